// Test helpers for PNG streams: building exact files with libpng (colour types, bit depths, tRNS
// and interlacing that our own writer never produces) and listing a stream's chunks.
#pragma once

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane::testing {

struct RawPng {
  int width = 1;
  int height = 1;
  int colorType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<std::vector<std::uint8_t>> rows;  // packed samples as the PNG stores them
  std::vector<png_color> palette;
  std::vector<std::uint8_t> paletteAlpha;  // tRNS of a palette image
  std::optional<png_color_16> key;         // tRNS of a grey or RGB image
};

namespace detail {
struct RawPngWriter {
  std::vector<std::uint8_t> out;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~RawPngWriter() { png_destroy_write_struct(&png, &info); }
};
inline void AppendBytes(png_structp png, png_bytep data, std::size_t length) {
  auto* w = static_cast<RawPngWriter*>(png_get_io_ptr(png));
  w->out.insert(w->out.end(), data, data + length);
}
inline void NoFlush(png_structp) {}
inline bool WriteRawGuarded(RawPngWriter& w, const RawPng& spec) {
  if (setjmp(png_jmpbuf(w.png)) != 0) return false;
  png_set_write_fn(w.png, &w, AppendBytes, NoFlush);
  png_set_IHDR(w.png, w.info, spec.width, spec.height, spec.bitDepth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty()) {
    png_set_PLTE(w.png, w.info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  }
  if (!spec.paletteAlpha.empty()) {
    png_set_tRNS(w.png, w.info, spec.paletteAlpha.data(),
                 static_cast<int>(spec.paletteAlpha.size()), nullptr);
  }
  if (spec.key) png_set_tRNS(w.png, w.info, nullptr, 1, &*spec.key);
  png_write_info(w.png, w.info);
  const int passes = png_set_interlace_handling(w.png);
  for (int pass = 0; pass < passes; ++pass) {
    for (const auto& row : spec.rows) png_write_row(w.png, row.data());
  }
  png_write_end(w.png, w.info);
  return true;
}
}  // namespace detail

// The PNG stream for spec, or an empty vector when libpng refuses it.
inline std::vector<std::uint8_t> MakeRawPng(const RawPng& spec) {
  detail::RawPngWriter w;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  w.info = png_create_info_struct(w.png);
  if (!detail::WriteRawGuarded(w, spec)) return {};
  return std::move(w.out);
}

struct PngChunk {
  std::string type;
  std::vector<std::uint8_t> data;
};

// The chunks of a stream in order (no CRC check); empty when the signature is missing.
inline std::vector<PngChunk> ListPngChunks(const std::vector<std::uint8_t>& png) {
  std::vector<PngChunk> chunks;
  if (png.size() < 8) return chunks;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 |
                                 std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    if (length > png.size() - at - 12) break;
    PngChunk chunk;
    chunk.type.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8));
    chunk.data.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  return chunks;
}

inline const PngChunk* FindChunk(const std::vector<PngChunk>& chunks, const std::string& type) {
  for (const auto& c : chunks) {
    if (c.type == type) return &c;
  }
  return nullptr;
}

// Appends one chunk with a correct CRC, for crafting headers no encoder would write.
inline void AppendPngChunk(std::vector<std::uint8_t>& out, const char* type,
                           const std::vector<std::uint8_t>& data) {
  const auto length = static_cast<std::uint32_t>(data.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(length >> shift));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const auto crc =
      static_cast<std::uint32_t>(crc32(0, out.data() + typeAt, static_cast<uInt>(4 + data.size())));
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(crc >> shift));
}

}  // namespace morvane::testing
