// PNG reading and writing through libpng, from and to memory and files. The ICO/CUR codec uses
// the memory forms for the PNG streams inside icon files; the picture loader uses the file forms.
//
// Reading turns every colour type into 32-bit ARGB and reports the colour depth the file had,
// which the caller takes as the frame's colour format: 16-bit samples are stripped to 8 bits
// (depth 16 -> 8, 48 -> 24, 64 -> 32), grey and palette images go through a lookup table,
// 2-bit images report 4, grey+alpha reports 8 and keeps its alpha, and a tRNS colour key makes
// exactly the matching pixels transparent.
//
// Writing with requested depth 4 or 8 reduces the colours to a palette whose index 0 is kept
// for transparent pixels; depth 24 marks transparent pixels with a colour key no pixel uses;
// any other depth writes RGBA (below 4 means 4).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// Decodes the PNG stream in data into image (re-created at the picture's size) and returns the
// depth read: 1, 4, 8, 24 or 32. On failure the image is released. Bytes after the stream's
// end are ignored. A picture whose pixels would need more than kMaxImageBytes is refused
// before anything is allocated.
Result<int> LoadPng(Bytes data, CDib& image);

// The same for a PNG stream that starts at byte `offset` of a file.
Result<int> LoadPngFile(const std::filesystem::path& path, std::uint64_t offset, CDib& image);

// No limit on the bytes a PNG encoding may produce.
inline constexpr std::size_t kUnlimitedPngBytes = SIZE_MAX;

// Encodes image (all of it, whatever its clip) at the requested depth and appends the stream to
// out. Returns the number of bytes produced. When the stream would exceed maxBytes the encoding
// fails ("write Error (not enough memory") and out is left as it was.
Result<std::size_t> EncodePng(const CDib& image, int requestedDepth, std::vector<std::uint8_t>& out,
                              std::size_t maxBytes = kUnlimitedPngBytes);

// The exact length EncodePng would produce, found by running the encoder without storing its
// output (the size pass of the icon writer).
Result<std::size_t> MeasurePng(const CDib& image, int requestedDepth);

// Encodes image and replaces the file at path with the stream (through a temporary file, so a
// failed save leaves an existing file untouched).
Status SavePngFile(const std::filesystem::path& path, const CDib& image, int requestedDepth);

}  // namespace morvane
