// JPEG files through libjpeg's IJG interface. Pixels travel as packed red, green, blue bytes;
// whatever the library reports (errors and warnings alike) comes back as a failure carrying the
// library's own message text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// width x height pixels of 3 bytes (red, green, blue), rows top-down without padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// Grey files are widened to RGB; CMYK and YCCK files are converted to RGB. Files of other
// colour layouts, and pictures larger than the program's image limit, are refused.
Result<RgbImage> LoadJpeg(Bytes data);
Result<RgbImage> LoadJpegFile(const std::filesystem::path& path);

// Encodes image at quality 1..100 (baseline). Without color the pixels are stored as one grey
// byte each, grey = trunc(0.299 R + 0.587 G + 0.114 B).
Status EncodeJpeg(const RgbImage& image, bool color, int quality, std::vector<std::uint8_t>& out);
// Replaces the file at path through a temporary file, so a failed save keeps the old one.
Status SaveJpegFile(const std::filesystem::path& path, const RgbImage& image, bool color,
                    int quality);

// The pixels of image (alpha dropped: flatten first where transparency matters), or nothing when
// the image is empty or the memory cannot be had.
Result<RgbImage> RgbFromDib(const CDib& image);
// Creates image at the size of rgb with its pixels at alpha 255.
Status DibFromRgb(const RgbImage& rgb, CDib& image);

}  // namespace morvane
