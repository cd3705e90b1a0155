// Windows bitmap files. Reading takes uncompressed images of 1, 4, 8, 24 and 32 bits with the
// 40-byte info header (or a larger one) or the 12-byte core header; writing runs one of the
// CDib's BMP stream writers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// Decodes data into image and returns the file's bit count (1, 4, 8, 24 or 32). On failure the
// image is left as it was. Compressed images and other bit counts are refused, and so is pixel
// data shorter than the rows need. A 32-bit image whose alpha bytes are all 0 carries no alpha
// and loads opaque.
Result<int> LoadBmp(Bytes data, CDib& image);
Result<int> LoadBmpFile(const std::filesystem::path& path, CDib& image);

// Appends a BMP file of image to out: 4 bits for a requested bit count of 1 to 4, 8 for 8, 24
// for 24, and 32 bits for any other value.
Status EncodeBmp(const CDib& image, int bitCount, std::vector<std::uint8_t>& out);
// Replaces the file at path through a temporary file, so a failed save keeps the old one.
Status SaveBmpFile(const std::filesystem::path& path, const CDib& image, int bitCount);

}  // namespace morvane
