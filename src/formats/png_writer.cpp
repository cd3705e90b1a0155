// PNG encoding through libpng into a growing byte buffer, or into nothing to measure the length.
//
// Everything that allocates (the colour reduction, the key-colour search, the row buffer) runs
// before the encoder's setjmp; the guarded part only hands rows to libpng.
#include <csetjmp>
#include <new>
#include <string>
#include <vector>

#include "formats/png_codec.h"
#include "formats/png_glue.h"
#include "formats/whole_clip.h"
#include "image/color_reduction.h"

namespace morvane {
namespace {

// Where the encoded bytes go: appended to out, or only counted when out is null.
struct MemorySink {
  std::vector<std::uint8_t>* out = nullptr;
  std::size_t produced = 0;
  std::size_t capacity = kUnlimitedPngBytes;
};

void WriteToMemory(png_structp png, png_bytep data, std::size_t length) {
  auto* sink = static_cast<MemorySink*>(png_get_io_ptr(png));
  if (length > sink->capacity - sink->produced) png_error(png, "write Error (not enough memory");
  bool stored = true;
  if (sink->out != nullptr) {
    try {
      sink->out->insert(sink->out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
      stored = false;
    }
  }
  if (!stored) png_error(png, "write Error (not enough memory");
  sink->produced += length;
}

void FlushMemory(png_structp) {}

struct WriteContext {
  png_glue::ErrorState error;
  MemorySink sink;
  png_structp png = nullptr;
  png_infop info = nullptr;
  const CDib* image = nullptr;
  int depth = 32;
  IndexedImage indexed;           // depths 4 and 8
  std::uint32_t keyColor = 0;     // depth 24: 0x00RRGGBB no pixel uses, 0 when none is free
  std::vector<std::uint8_t> row;  // one encoded row

  ~WriteContext() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
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

void SetHeader(WriteContext& c) {
  const bool indexed = c.depth <= 8;
  const int colorType = indexed         ? PNG_COLOR_TYPE_PALETTE
                        : c.depth == 24 ? PNG_COLOR_TYPE_RGB
                                        : PNG_COLOR_TYPE_RGB_ALPHA;
  png_set_IHDR(c.png, c.info, static_cast<png_uint_32>(c.image->Width()),
               static_cast<png_uint_32>(c.image->Height()), indexed ? c.depth : 8, colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) {
    png_color colors[256] = {};
    const std::size_t count = std::size_t{1} << c.depth;
    for (std::size_t i = 0; i < count && i < c.indexed.palette.size(); ++i) {
      const PaletteEntry& e = c.indexed.palette[i];  // blue, green, red, 0
      colors[i] = {e[2], e[1], e[0]};
    }
    png_set_PLTE(c.png, c.info, colors, static_cast<int>(count));
    png_byte alpha[1] = {0};  // index 0 is the transparent one
    png_set_tRNS(c.png, c.info, alpha, 1, nullptr);
  } else if (c.depth == 24 && c.keyColor != 0) {
    png_color_16 key{};
    key.red = static_cast<png_uint_16>(c.keyColor >> 16);
    key.green = static_cast<png_uint_16>((c.keyColor >> 8) & 0xFF);
    key.blue = static_cast<png_uint_16>(c.keyColor & 0xFF);
    png_set_tRNS(c.png, c.info, nullptr, 1, &key);
  }
}

void FillRow(WriteContext& c, int y) {
  const Pixel* pixels = c.image->Row(y);
  const int width = c.image->Width();
  std::uint8_t* out = c.row.data();
  // Only the palette depths have indices; offsetting the empty vector's null data is undefined.
  const std::uint8_t* indices =
      c.indexed.indices.empty() ? nullptr
                                : c.indexed.indices.data() + static_cast<std::size_t>(y) * width;
  for (int x = 0; x < width; ++x) {
    const Pixel v = pixels[x];
    switch (c.depth) {
      case 4: {
        const std::uint8_t index = IsTransparent(v) ? 0 : indices[x] & 0x0F;
        out[x / 2] = static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : out[x / 2] | index);
        break;
      }
      case 8:
        out[x] = IsTransparent(v) ? 0 : indices[x];
        break;
      case 24: {
        const Pixel rgb = IsTransparent(v) && c.keyColor != 0 ? c.keyColor : v;
        out[3 * x] = static_cast<std::uint8_t>(RedOf(rgb));
        out[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(rgb));
        out[3 * x + 2] = static_cast<std::uint8_t>(BlueOf(rgb));
        break;
      }
      default:
        out[4 * x] = static_cast<std::uint8_t>(RedOf(v));
        out[4 * x + 1] = static_cast<std::uint8_t>(GreenOf(v));
        out[4 * x + 2] = static_cast<std::uint8_t>(BlueOf(v));
        out[4 * x + 3] = static_cast<std::uint8_t>(AlphaOf(v));
        break;
    }
  }
}

// The encode itself; nothing with a destructor lives on this frame or below it.
bool WriteGuarded(WriteContext& c) {
  if (setjmp(png_jmpbuf(c.png)) != 0) return false;
  png_set_write_fn(c.png, &c.sink, WriteToMemory, FlushMemory);
  SetHeader(c);
  png_write_info(c.png, c.info);
  for (int y = 0; y < c.image->Height(); ++y) {
    FillRow(c, y);
    png_write_row(c.png, c.row.data());
  }
  png_write_end(c.png, c.info);
  return true;
}

// Prepares the palette or key colour and the row buffer, outside the guarded encode.
Status PrepareEncoding(WriteContext& c) {
  const CDib& image = *c.image;
  try {
    if (c.depth == 8 || c.depth == 4) {
      const bool computed = c.depth == 8;
      if (!ReduceToIndices(image, computed ? 256 : 16, c.indexed, computed, true)) {
        return {ErrorCode::kOutOfMemory, "Error saving PNG file: colour reduction failed"};
      }
    } else if (c.depth == 24) {
      c.keyColor = FindKeyColor(image);
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(image.Width()) * c.depth + 31) / 32 * 4;
    c.row.assign(rowBytes, 0);
  } catch (const std::bad_alloc&) {
    return {ErrorCode::kOutOfMemory, "Error saving PNG file: out of memory"};
  }
  return Status::Ok();
}

Result<std::size_t> RunEncoder(const CDib& image, int requestedDepth,
                               std::vector<std::uint8_t>* out, std::size_t maxBytes) {
  if (!image.IsLive()) return Status(ErrorCode::kBadFormat, "Error saving PNG file: no image");
  // The encoder reads every pixel, whatever clip a selection left on the image.
  CDib scratch;
  const CDib* source = WithWholeClip(image, scratch);
  if (source == nullptr) {
    return Status(ErrorCode::kOutOfMemory, "Error saving PNG file: out of memory");
  }
  WriteContext c;
  c.image = source;
  c.depth = EffectiveDepth(requestedDepth);
  c.sink = {out, 0, maxBytes};
  if (Status st = PrepareEncoding(c); !st.ok()) return st;
  c.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &c.error, png_glue::OnError,
                                  png_glue::OnWarning);
  if (c.png == nullptr) return Status(ErrorCode::kLibrary, "Failed to create PNG structure");
  c.info = png_create_info_struct(c.png);
  if (c.info == nullptr) {
    return Status(ErrorCode::kLibrary, "Failed to initialize PNG info structure");
  }
  if (!WriteGuarded(c)) {
    return Status(ErrorCode::kLibrary, std::string("Error saving PNG file: ") + c.error.message);
  }
  return c.sink.produced;
}

}  // namespace

Result<std::size_t> EncodePng(const CDib& image, int requestedDepth, std::vector<std::uint8_t>& out,
                              std::size_t maxBytes) {
  const std::size_t start = out.size();
  Result<std::size_t> produced = RunEncoder(image, requestedDepth, &out, maxBytes);
  if (!produced.ok()) out.resize(start);
  return produced;
}

Result<std::size_t> MeasurePng(const CDib& image, int requestedDepth) {
  return RunEncoder(image, requestedDepth, nullptr, kUnlimitedPngBytes);
}

}  // namespace morvane
