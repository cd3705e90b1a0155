// PNG decoding through libpng from a memory buffer.
//
// Palette and plain grey images are read packed and looked up in a 256-entry ARGB table; every
// other colour type is expanded by libpng to 8-bit RGBA rows that are stored as they are.
// Interlaced images are read pass by pass into a whole-image row store, so each pass refines the
// rows of the previous one.
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "formats/png_codec.h"
#include "formats/png_glue.h"

namespace morvane {
namespace {

// The ancillary chunks the decode has no use for: only the palette and tRNS matter. libpng reads
// a text chunk by first allocating its whole declared length (up to 2 GiB, whatever the stream
// holds); chunks it is told to ignore are skipped in small pieces instead.
constexpr png_byte kIgnoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0"
    "iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0"
    "sPLT\0sRGB\0tEXt\0tIME\0zTXt";
constexpr int kIgnoredChunkCount = sizeof kIgnoredChunks / 5;

// The bytes libpng reads from, with the capacity every read is checked against.
struct MemorySource {
  const std::uint8_t* buffer = nullptr;
  std::size_t position = 0;
  std::size_t capacity = 0;
  bool exhausted = false;
};

void ReadFromMemory(png_structp png, png_bytep out, std::size_t length) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (length > source->capacity - source->position) {
    source->exhausted = true;
    png_error(png, "read Error");
  }
  std::memcpy(out, source->buffer + source->position, length);
  source->position += length;
}

enum class RowKind {
  kIndexed,  // palette or grey samples of 1, 2, 4 or 8 bits, looked up in the table
  kRgba,     // 8-bit R, G, B, A produced by libpng's expansions
};

struct ReadContext {
  png_glue::ErrorState error;
  MemorySource source;
  png_structp png = nullptr;
  png_infop info = nullptr;
  CDib* image = nullptr;
  // Why the read stopped when it was not the library (kLibrary otherwise).
  ErrorCode failure = ErrorCode::kLibrary;
  int depth = 0;
  RowKind kind = RowKind::kRgba;
  int sampleBits = 8;
  int passes = 1;  // 7 for an interlaced file
  Pixel table[256] = {};
  std::vector<std::uint8_t> rowStore;
  std::size_t rowBytes = 0;

  ~ReadContext() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

// The depth a caller takes as the frame's colour format: bits per pixel over all channels with
// 16-bit samples counted as stripped to 8; 2-bit images count as 4.
int ReportedDepth(int bitDepth, int channels) {
  const int pixelBits = bitDepth * channels;
  switch (pixelBits) {
    case 2:
      return 4;
    case 16:
      return 8;
    case 48:
      return 24;
    case 64:
      return 32;
    default:
      return pixelBits;
  }
}

// Grey ramp of min(2^bits, 256) levels, or the palette with its tRNS alphas; the rest of the
// table stays transparent black.
void BuildTable(ReadContext& c, int colorType, int bitDepth) {
  std::fill(std::begin(c.table), std::end(c.table), Pixel{0});
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(c.png, c.info, &palette, &count) != 0) {
      for (int i = 0; i < count && i < 256; ++i) {
        c.table[i] = MakePixel(255, palette[i].red, palette[i].green, palette[i].blue);
      }
    }
    png_bytep alphas = nullptr;
    int transCount = 0;
    if (png_get_tRNS(c.png, c.info, &alphas, &transCount, nullptr) != 0 && alphas != nullptr) {
      for (int i = 0; i < transCount && i < 256; ++i) {
        c.table[i] = (c.table[i] & 0x00FFFFFF) | Pixel{alphas[i]} << 24;
      }
    }
    return;
  }
  const int levels = bitDepth >= 8 ? 256 : 1 << bitDepth;
  for (int i = 0; i < levels; ++i) {
    const auto v = static_cast<std::uint32_t>(i * 255 / (levels - 1));
    c.table[i] = MakePixel(255, v, v, v);
  }
}

// Chooses libpng's transformations. Grey and RGB images with a tRNS colour key are expanded to
// RGBA by libpng, which compares the key at the file's own sample depth (a 16-bit key cannot be
// compared after stripping, and a grey key is a sample value, not a palette alpha).
void ChooseTransforms(ReadContext& c, int colorType, int bitDepth) {
  const bool hasKey =
      colorType != PNG_COLOR_TYPE_PALETTE && png_get_valid(c.png, c.info, PNG_INFO_tRNS) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE || (colorType == PNG_COLOR_TYPE_GRAY && !hasKey)) {
    c.kind = RowKind::kIndexed;
    c.sampleBits = bitDepth > 8 ? 8 : bitDepth;
    BuildTable(c, colorType, bitDepth);
    return;
  }
  c.kind = RowKind::kRgba;
  if (hasKey) png_set_tRNS_to_alpha(c.png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
    png_set_gray_to_rgb(c.png);
    png_set_expand(c.png);
  }
  png_set_filler(c.png, 0xFF, PNG_FILLER_AFTER);
}

bool AllocateRowStore(ReadContext& c, std::size_t bytes) {
  try {
    c.rowStore.assign(bytes, 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Checks the size, creates the image and the row store. Runs under the read's setjmp.
bool PrepareImage(ReadContext& c) {
  const png_uint_32 width = png_get_image_width(c.png, c.info);
  const png_uint_32 height = png_get_image_height(c.png, c.info);
  const int colorType = png_get_color_type(c.png, c.info);
  const int bitDepth = png_get_bit_depth(c.png, c.info);
  c.depth = ReportedDepth(bitDepth, png_get_channels(c.png, c.info));

  // Rows padded to 4 pixels, as CDib stores them.
  const std::uint64_t pixelBytes = ((std::uint64_t{width} + 3) & ~std::uint64_t{3}) * height * 4;
  if (width == 0 || height == 0 || pixelBytes > kMaxImageBytes) {
    c.failure = ErrorCode::kTooLarge;
    return false;
  }
  ChooseTransforms(c, colorType, bitDepth);
  c.passes = png_set_interlace_handling(c.png);
  png_read_update_info(c.png, c.info);

  c.rowBytes = png_get_rowbytes(c.png, c.info);
  const std::uint64_t storeBytes = std::uint64_t{c.rowBytes} * height;
  if (c.rowBytes == 0 || storeBytes > kMaxImageBytes) {
    c.failure = ErrorCode::kTooLarge;
    return false;
  }
  if (!c.image->Create(static_cast<int>(width), static_cast<int>(height)) ||
      !AllocateRowStore(c, static_cast<std::size_t>(storeBytes))) {
    c.failure = ErrorCode::kOutOfMemory;
    return false;
  }
  return true;
}

// Every pass reads each row over what the previous passes left in the store.
void ReadRows(ReadContext& c) {
  const int height = c.image->Height();
  for (int pass = 0; pass < c.passes; ++pass) {
    for (int y = 0; y < height; ++y) {
      png_read_row(c.png, c.rowStore.data() + static_cast<std::size_t>(y) * c.rowBytes, nullptr);
    }
  }
}

void ConvertIndexedRow(const ReadContext& c, const std::uint8_t* row, Pixel* out, int width) {
  const int bits = c.sampleBits;
  const int perByte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  for (int x = 0; x < width; ++x) {
    const int shift = 8 - bits * (x % perByte + 1);
    out[x] = c.table[(row[x / perByte] >> shift) & mask];
  }
}

void ConvertRgbaRow(const std::uint8_t* row, Pixel* out, int width) {
  for (int x = 0; x < width; ++x, row += 4) out[x] = MakePixel(row[3], row[0], row[1], row[2]);
}

void ConvertRows(ReadContext& c) {
  const int width = c.image->Width();
  for (int y = 0; y < c.image->Height(); ++y) {
    const std::uint8_t* row = c.rowStore.data() + static_cast<std::size_t>(y) * c.rowBytes;
    if (c.kind == RowKind::kIndexed) {
      ConvertIndexedRow(c, row, c.image->Row(y), width);
    } else {
      ConvertRgbaRow(row, c.image->Row(y), width);
    }
  }
}

// The whole decode. Locals here and in the helpers it calls have no destructors: a library error
// jumps straight back to the setjmp below.
bool ReadGuarded(ReadContext& c) {
  if (setjmp(png_jmpbuf(c.png)) != 0) return false;
  png_set_read_fn(c.png, &c.source, ReadFromMemory);
  png_set_keep_unknown_chunks(c.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(c.png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
  png_set_strip_16(c.png);
  png_read_info(c.png, c.info);
  if (!PrepareImage(c)) return false;
  ReadRows(c);
  ConvertRows(c);
  png_read_end(c.png, nullptr);
  return true;
}

Status ReadFailure(const ReadContext& c) {
  switch (c.failure) {
    case ErrorCode::kTooLarge:
      return {ErrorCode::kTooLarge, "Error reading PNG file: picture too large"};
    case ErrorCode::kOutOfMemory:
      return {ErrorCode::kOutOfMemory, "Error reading PNG file: out of memory"};
    default:
      break;
  }
  const ErrorCode code = c.source.exhausted ? ErrorCode::kTruncated : ErrorCode::kLibrary;
  return {code, std::string("Error reading PNG file: ") + c.error.message};
}

}  // namespace

Result<int> LoadPng(Bytes data, CDib& image) {
  image.Release();
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) {
    return Status(ErrorCode::kBadFormat, "Error reading PNG file: not a PNG stream");
  }
  ReadContext c;
  c.image = &image;
  c.source = {data.data(), 0, data.size(), false};
  c.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &c.error, png_glue::OnError,
                                 png_glue::OnWarning);
  if (c.png == nullptr) return Status(ErrorCode::kLibrary, "Failed to create PNG structure");
  c.info = png_create_info_struct(c.png);
  if (c.info == nullptr) {
    return Status(ErrorCode::kLibrary, "Failed to initialize PNG info structure");
  }
  if (!ReadGuarded(c)) {
    image.Release();
    return ReadFailure(c);
  }
  return c.depth;
}

}  // namespace morvane
