// PNG encoding into a growing byte buffer, or into nothing to measure the length.
//
// The rows are filtered into one buffer and compressed in a single call to libdeflate, which
// is several times faster than zlib's streaming deflate at the same or a smaller size on icon
// pictures (long transparent runs make zlib's match search slow); the chunks around the image
// data are framed here.
#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "formats/png_codec.h"
#include "formats/png_filter.h"
#include "formats/whole_clip.h"
#include "image/color_reduction.h"

namespace morvane {
namespace {

// libdeflate's level 6 matches libpng's default size on icon pictures (see bench/README.md).
constexpr int kCompressionLevel = 6;
// Image data is split into chunks of this size, as other encoders do, so that no reader meets
// a single chunk of hundreds of megabytes.
constexpr std::size_t kMaxIdatBytes = std::size_t{1} << 20;

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct EncodeContext {
  const CDib* image = nullptr;
  int depth = 32;
  IndexedImage indexed;        // depths 4 and 8
  std::uint32_t keyColor = 0;  // depth 24: 0x00RRGGBB no pixel uses, 0 when none is free
};

int EffectiveDepth(int requested) {
  if (requested < 4) return 4;
  if (requested == 4 || requested == 8 || requested == 24) return requested;
  return 32;
}

// The smallest 24-bit colour from 0x000001 up that no pixel uses (alpha ignored), 0 when every
// colour is taken.
std::uint32_t FindKeyColor(const CDib& image) {
  std::vector<std::uint64_t> used((1u << 24) / 64, 0);
  for (int y = 0; y < image.Height(); ++y) {
    const Pixel* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      const std::uint32_t rgb = row[x] & 0x00FFFFFF;
      used[rgb / 64] |= std::uint64_t{1} << (rgb % 64);
    }
  }
  for (std::uint32_t v = 1; v < (1u << 24); ++v) {
    if ((used[v / 64] & (std::uint64_t{1} << (v % 64))) == 0) return v;
  }
  return 0;
}

std::size_t BitsPerPixel(int depth) {
  return depth <= 8 ? depth : depth == 24 ? 24 : 32;
}

std::size_t PngRowBytes(const EncodeContext& c) {
  return (static_cast<std::size_t>(c.image->Width()) * BitsPerPixel(c.depth) + 7) / 8;
}

// Palette indices, two to a byte at depth 4. Index 0 is the transparent one.
void FillIndices(const Pixel* pixels, const std::uint8_t* indices, int width, int depth,
                 std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t index = IsTransparent(pixels[x]) ? 0 : indices[x];
    if (depth == 8) {
      out[x] = index;
    } else {
      const std::uint8_t nibble = index & 0x0F;
      out[x / 2] = static_cast<std::uint8_t>(x % 2 == 0 ? nibble << 4 : out[x / 2] | nibble);
    }
  }
}

// One row of the picture in PNG's sample order.
void FillRow(const EncodeContext& c, int y, std::uint8_t* out) {
  const Pixel* pixels = c.image->Row(y);
  const int width = c.image->Width();
  if (c.depth == 32) {
    ToRgbaSamples(pixels, static_cast<std::size_t>(width), out);
  } else if (c.depth == 24) {
    ToRgbSamples(pixels, static_cast<std::size_t>(width), c.keyColor, out);
  } else {
    FillIndices(pixels, c.indexed.indices.data() + static_cast<std::size_t>(y) * width, width,
                c.depth, out);
  }
}

// Bytes left uninitialised until written: clearing them first would cost as much as filling them.
struct ByteBuffer {
  std::unique_ptr<std::uint8_t[]> bytes;
  std::size_t size = 0;
  std::span<const std::uint8_t> View() const { return {bytes.get(), size}; }
};

// The filtered scanlines, the input of the compressor: each row is written straight into the
// filter's buffer and filtered straight into its place in the result.
ByteBuffer FilteredRows(const EncodeContext& c) {
  const std::size_t rowBytes = PngRowBytes(c);
  // Palette rows compress best unfiltered; true-colour rows choose a filter each.
  const bool adaptive = c.depth > 8;
  PngRowFilter filter(rowBytes, adaptive ? BitsPerPixel(c.depth) / 8 : 1, adaptive);
  const std::size_t size = (rowBytes + 1) * static_cast<std::size_t>(c.image->Height());
  ByteBuffer filtered{std::make_unique_for_overwrite<std::uint8_t[]>(size), size};
  for (int y = 0; y < c.image->Height(); ++y) {
    FillRow(c, y, filter.NextRow());
    filter.Filter(filtered.bytes.get() + (rowBytes + 1) * static_cast<std::size_t>(y));
  }
  return filtered;
}

// A compressor per thread: allocating one costs more than compressing a small icon.
libdeflate_compressor* Compressor() {
  struct Free {
    void operator()(libdeflate_compressor* p) const { libdeflate_free_compressor(p); }
  };
  thread_local std::unique_ptr<libdeflate_compressor, Free> compressor;
  if (!compressor) compressor.reset(libdeflate_alloc_compressor(kCompressionLevel));
  return compressor.get();
}

// The zlib stream of the filtered rows; empty when memory runs out.
ByteBuffer Compress(const ByteBuffer& filtered) {
  libdeflate_compressor* compressor = Compressor();
  if (compressor == nullptr) return {};
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor, filtered.size);
  // Left uninitialised: the bound is far above what an icon needs, and pages never written
  // are never faulted in.
  ByteBuffer z{std::make_unique_for_overwrite<std::uint8_t[]>(bound), 0};
  z.size = libdeflate_zlib_compress(compressor, filtered.bytes.get(), filtered.size, z.bytes.get(),
                                    bound);
  return z;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.insert(out.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                         static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data,
              std::size_t length) {
  PutU32(out, static_cast<std::uint32_t>(length));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (length > 0) out.insert(out.end(), data, data + length);
  PutU32(out, libdeflate_crc32(0, out.data() + typeAt, length + 4));
}

void PutHeader(std::vector<std::uint8_t>& out, const EncodeContext& c) {
  std::vector<std::uint8_t> ihdr;
  PutU32(ihdr, static_cast<std::uint32_t>(c.image->Width()));
  PutU32(ihdr, static_cast<std::uint32_t>(c.image->Height()));
  const bool indexed = c.depth <= 8;
  const std::uint8_t colorType = indexed ? 3 : c.depth == 24 ? 2 : 6;
  // Bit depth, colour type, compression, filter method, no interlacing.
  ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(indexed ? c.depth : 8), colorType, 0, 0, 0});
  PutChunk(out, "IHDR", ihdr.data(), ihdr.size());
  if (indexed) {
    std::vector<std::uint8_t> plte(3 * (std::size_t{1} << c.depth), 0);
    for (std::size_t i = 0; i < plte.size() / 3 && i < c.indexed.palette.size(); ++i) {
      const PaletteEntry& e = c.indexed.palette[i];  // blue, green, red, 0
      plte[3 * i] = e[2];
      plte[3 * i + 1] = e[1];
      plte[3 * i + 2] = e[0];
    }
    PutChunk(out, "PLTE", plte.data(), plte.size());
    const std::uint8_t alpha[1] = {0};  // index 0 is the transparent one
    PutChunk(out, "tRNS", alpha, 1);
  } else if (c.depth == 24 && c.keyColor != 0) {
    const std::uint8_t key[6] = {0, static_cast<std::uint8_t>(c.keyColor >> 16),
                                 0, static_cast<std::uint8_t>((c.keyColor >> 8) & 0xFF),
                                 0, static_cast<std::uint8_t>(c.keyColor & 0xFF)};
    PutChunk(out, "tRNS", key, sizeof key);
  }
}

// The whole stream: signature, header chunks, image data and end.
std::vector<std::uint8_t> Frame(const EncodeContext& c, std::span<const std::uint8_t> z) {
  std::vector<std::uint8_t> out;
  out.reserve(z.size() + 1024 + 12 * (z.size() / kMaxIdatBytes));
  out.insert(out.end(), kSignature.begin(), kSignature.end());
  PutHeader(out, c);
  for (std::size_t at = 0; at < z.size(); at += kMaxIdatBytes) {
    PutChunk(out, "IDAT", z.data() + at, std::min(kMaxIdatBytes, z.size() - at));
  }
  PutChunk(out, "IEND", nullptr, 0);
  return out;
}

// Prepares the palette or key colour.
Status PrepareEncoding(EncodeContext& c) {
  if (c.depth == 8 || c.depth == 4) {
    const bool computed = c.depth == 8;
    if (!ReduceToIndices(*c.image, computed ? 256 : 16, c.indexed, computed, true)) {
      return {ErrorCode::kOutOfMemory, "Error saving PNG file: colour reduction failed"};
    }
  } else if (c.depth == 24) {
    c.keyColor = FindKeyColor(*c.image);
  }
  return Status::Ok();
}

Result<std::vector<std::uint8_t>> RunEncoder(const CDib& image, int requestedDepth) {
  const Status noMemory(ErrorCode::kOutOfMemory, "Error saving PNG file: out of memory");
  if (!image.IsLive()) return Status(ErrorCode::kBadFormat, "Error saving PNG file: no image");
  try {
    // The encoder reads every pixel, whatever clip a selection left on the image.
    CDib scratch;
    EncodeContext c;
    c.image = WithWholeClip(image, scratch);
    if (c.image == nullptr) return noMemory;
    c.depth = EffectiveDepth(requestedDepth);
    if (Status st = PrepareEncoding(c); !st.ok()) return st;
    const ByteBuffer z = Compress(FilteredRows(c));
    if (z.size == 0) return noMemory;
    return Frame(c, z.View());
  } catch (const std::bad_alloc&) {
    return noMemory;
  }
}

}  // namespace

Result<std::size_t> EncodePng(const CDib& image, int requestedDepth, std::vector<std::uint8_t>& out,
                              std::size_t maxBytes) {
  Result<std::vector<std::uint8_t>> stream = RunEncoder(image, requestedDepth);
  if (!stream.ok()) return stream.status();
  const std::size_t produced = stream->size();
  if (produced > maxBytes) {
    return Status(ErrorCode::kLibrary, "Error saving PNG file: write Error (not enough memory");
  }
  try {
    if (out.empty()) {
      out = std::move(*stream);
    } else {
      out.insert(out.end(), stream->begin(), stream->end());
    }
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, "Error saving PNG file: out of memory");
  }
  return produced;
}

Result<std::size_t> MeasurePng(const CDib& image, int requestedDepth) {
  Result<std::vector<std::uint8_t>> stream = RunEncoder(image, requestedDepth);
  if (!stream.ok()) return stream.status();
  return stream->size();
}

}  // namespace morvane
