// Single-image GIF files for a CDib, with our own LZW (gif_lzw.h).
//
// The writer always produces a 256-colour "GIF87a" image whose index 0 is transparent. The reader
// turns a GIF into 32-bit pixels: alpha 0 for the transparent index, 255 elsewhere. Of an
// animation the last image that yields any pixels wins, decoded at its own size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// Decodes data into image. On failure image is left as it was. A damaged image (bad minimum code
// size, corrupt or missing LZW data) keeps the rows that were decoded; the read fails only when
// no image yields a single row.
Status ReadGif(Bytes data, CDib& image);
Status ReadGifFile(const std::filesystem::path& path, CDib& image);

// Appends a complete GIF file for image (read through a whole-image clip) to out.
Status WriteGif(const CDib& image, std::vector<std::uint8_t>& out);
// Writes image to path through a temporary file, so a failure keeps any existing file.
Status WriteGifFile(const std::filesystem::path& path, const CDib& image);

}  // namespace morvane
