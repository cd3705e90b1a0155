// Scanline filtering for the PNG encoder: turns raw rows into the filtered stream that is then
// compressed as the picture's image data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvane {

// Filters rows one at a time into a buffer of (1 + rowBytes) bytes per row. With adaptive
// filtering each row takes the filter whose output has the smallest sum of absolute values (as
// signed bytes), the usual choice for true-colour pictures; otherwise every row is stored
// unfiltered, the usual choice for palette pictures.
class PngRowFilter {
 public:
  // bytesPerPixel is the distance to the left neighbour (1 for palette depths).
  PngRowFilter(std::size_t rowBytes, std::size_t bytesPerPixel, bool adaptive);

  // Appends the filter byte and the filtered row to out (which must not be row).
  void Add(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out);

 private:
  std::size_t rowBytes_;
  std::size_t bpp_;
  bool adaptive_;
  std::vector<std::uint8_t> previous_;   // the raw row above, zeros before the first
  std::vector<std::uint8_t> candidate_;  // one filter's output
  std::vector<std::uint8_t> best_;       // the smallest output so far
};

}  // namespace morvane
