// Scanlines for the PNG encoder: pixels in PNG's sample order, and the filtering that turns raw
// rows into the stream then compressed as the picture's image data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

// count pixels 0xAARRGGBB as 4 * count samples: red, green, blue, alpha.
void ToRgbaSamples(const std::uint32_t* pixels, std::size_t count, std::uint8_t* out);
// count pixels as 3 * count samples: red, green, blue, with keyColor (0x00RRGGBB) in place of
// transparent ones; 0 means no key, and every pixel keeps its own colour.
void ToRgbSamples(const std::uint32_t* pixels, std::size_t count, std::uint32_t keyColor,
                  std::uint8_t* out);

// Filters rows one at a time into (1 + rowBytes) bytes per row. With adaptive filtering each row
// takes the filter whose output has the smallest sum of absolute values (as signed bytes), the
// first in the order None, Sub, Up, Average, Paeth on a tie; this is the usual choice for
// true-colour pictures. Otherwise every row is stored unfiltered, the usual choice for palette
// pictures.
class PngRowFilter {
 public:
  // bytesPerPixel is the distance to the left neighbour (1 for palette depths).
  PngRowFilter(std::size_t rowBytes, std::size_t bytesPerPixel, bool adaptive);
  PngRowFilter(const PngRowFilter&) = delete;
  PngRowFilter& operator=(const PngRowFilter&) = delete;

  // Where the caller writes the next raw row (rowBytes bytes). The filter keeps it as the row
  // above the next one, so the row is written in place rather than copied in.
  std::uint8_t* NextRow() { return current_; }

  // Filters the row written at NextRow() into out: the filter byte, then rowBytes filtered
  // bytes. out must not overlap the filter's rows.
  void Filter(std::uint8_t* out);

 private:
  std::size_t rowBytes_;
  std::size_t bpp_;
  bool adaptive_;
  // The current raw row and the one above (zeros at first), each after bpp zeros.
  std::vector<std::uint8_t> rows_;
  std::uint8_t* current_;
  std::uint8_t* previous_;
};

}  // namespace morvane
