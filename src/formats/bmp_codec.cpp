#include "formats/bmp_codec.h"

#include <array>
#include <string>

#include "formats/file_io.h"
#include "formats/whole_clip.h"

namespace morvane {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

// What the headers say, normalised over the core and info header forms.
struct BmpHeader {
  std::uint32_t dataOffset = 0;
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows stored top-down
  int bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  int paletteEntryBytes = 4;
};

Status ReadHeaders(ByteReader& in, BmpHeader& h) {
  if (!in.Expect("BM")) return {ErrorCode::kBadFormat, "not a BMP file"};
  in.Skip(8);  // file size, reserved words: often wrong in the wild, never needed
  h.dataOffset = in.U32();
  h.headerSize = in.U32();
  if (!in.ok()) return {ErrorCode::kTruncated, "BMP header is cut short"};
  if (h.headerSize != kCoreHeaderSize && h.headerSize < kInfoHeaderSize) {
    return {ErrorCode::kBadFormat,
            "BMP info header of " + std::to_string(h.headerSize) + " bytes is not a known kind"};
  }
  if (!RangeFits(in.Data().size(), kFileHeaderSize, h.headerSize)) {
    return {ErrorCode::kTruncated, "BMP info header is cut short"};
  }
  if (h.headerSize == kCoreHeaderSize) {
    h.width = in.U16();
    h.height = in.U16();
    in.Skip(2);  // planes
    h.bitCount = in.U16();
    h.paletteEntryBytes = 3;
  } else {
    h.width = in.I32();
    h.height = in.I32();
    in.Skip(2);  // planes
    h.bitCount = in.U16();
    h.compression = in.U32();
    in.Skip(12);  // image size, resolutions
    h.colorsUsed = in.U32();
  }
  return Status::Ok();
}

Status CheckHeader(const BmpHeader& h) {
  if (h.compression != 0) {
    return {ErrorCode::kUnsupported, "compressed BMP images are not supported"};
  }
  if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24 &&
      h.bitCount != 32) {
    return {ErrorCode::kUnsupported,
            "BMP images of " + std::to_string(h.bitCount) + " bits are not supported"};
  }
  if (h.width <= 0 || h.height == 0) {
    return {ErrorCode::kBadFormat, "BMP image has no pixels"};
  }
  const std::uint64_t height = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
  const std::uint64_t stride = (static_cast<std::uint64_t>(h.width) + 3) & ~std::uint64_t{3};
  if (stride * height * sizeof(Pixel) > kMaxImageBytes) {
    return {ErrorCode::kTooLarge, "BMP image of " + std::to_string(h.width) + " x " +
                                      std::to_string(height) + " pixels is too large"};
  }
  return Status::Ok();
}

// The colour of every possible index: the file's palette, opaque; indices past it are black.
Status ReadPalette(Bytes data, const BmpHeader& h, std::array<Pixel, 256>& table,
                   std::uint64_t& paletteEnd) {
  table.fill(0xFF000000u);
  std::uint64_t count = h.colorsUsed;
  if (count == 0 && h.bitCount <= 8) count = std::uint64_t{1} << h.bitCount;
  if (h.bitCount <= 8 && count > 256) {
    return {ErrorCode::kBadFormat, "BMP palette size is invalid"};
  }
  const std::uint64_t start = kFileHeaderSize + std::uint64_t{h.headerSize};
  const std::uint64_t bytes = count * static_cast<std::uint64_t>(h.paletteEntryBytes);
  const auto palette = SliceOf(data, start, bytes);
  if (!palette) return {ErrorCode::kTruncated, "BMP palette is cut short"};
  // Images of 24 and 32 bits may carry a palette for display on palette devices; it is skipped.
  const std::size_t used = h.bitCount <= 8 ? static_cast<std::size_t>(count) : 0;
  for (std::size_t i = 0; i < used; ++i) {
    const std::uint8_t* e = palette->data() + i * static_cast<std::size_t>(h.paletteEntryBytes);
    table[i] = MakePixel(255, e[2], e[1], e[0]);
  }
  paletteEnd = start + bytes;
  return Status::Ok();
}

void DecodeRow(const std::uint8_t* src, int bitCount, const std::array<Pixel, 256>& table,
               int width, Pixel* out) {
  switch (bitCount) {
    case 1:
      for (int x = 0; x < width; ++x) out[x] = table[(src[x / 8] >> (7 - x % 8)) & 1];
      break;
    case 4:
      for (int x = 0; x < width; ++x) out[x] = table[(src[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F];
      break;
    case 8:
      for (int x = 0; x < width; ++x) out[x] = table[src[x]];
      break;
    case 24:
      for (int x = 0; x < width; ++x, src += 3) out[x] = MakePixel(255, src[2], src[1], src[0]);
      break;
    default:
      for (int x = 0; x < width; ++x, src += 4) out[x] = MakePixel(src[3], src[2], src[1], src[0]);
      break;
  }
}

// A 32-bit image whose alpha bytes are all 0 is an image without alpha, not an invisible one.
void OpaqueWhenAlphaUnused(CDib& image) {
  for (int y = 0; y < image.GetHeight(); ++y) {
    const Pixel* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) {
      if (AlphaOf(row[x]) != 0) return;
    }
  }
  for (int y = 0; y < image.GetHeight(); ++y) {
    Pixel* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) row[x] |= 0xFF000000u;
  }
}

}  // namespace

Result<int> LoadBmp(Bytes data, CDib& image) {
  ByteReader in(data);
  BmpHeader h;
  if (Status st = ReadHeaders(in, h); !st.ok()) return st;
  if (Status st = CheckHeader(h); !st.ok()) return st;
  std::array<Pixel, 256> table;
  std::uint64_t paletteEnd = 0;
  if (Status st = ReadPalette(data, h, table, paletteEnd); !st.ok()) return st;

  const int width = static_cast<int>(h.width);
  const int height = static_cast<int>(h.height < 0 ? -h.height : h.height);
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * h.bitCount + 31) / 32 * 4;
  // The data offset says where the rows are; a file that leaves it 0 has them after the palette.
  const std::uint64_t offset = h.dataOffset != 0 ? h.dataOffset : paletteEnd;
  const auto pixels = SliceOf(data, offset, rowBytes * static_cast<std::uint64_t>(height));
  if (!pixels) return Status(ErrorCode::kTruncated, "BMP pixel data is cut short");

  CDib decoded;
  if (!decoded.Create(width, height)) {
    return Status(ErrorCode::kOutOfMemory, "no memory for the BMP image");
  }
  for (int y = 0; y < height; ++y) {
    const int target = h.height < 0 ? y : height - 1 - y;
    DecodeRow(pixels->data() + rowBytes * static_cast<std::uint64_t>(y), h.bitCount, table, width,
              decoded.Row(target));
  }
  if (h.bitCount == 32) OpaqueWhenAlphaUnused(decoded);
  image = std::move(decoded);
  return h.bitCount;
}

Result<int> LoadBmpFile(const std::filesystem::path& path, CDib& image) {
  auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  Result<int> depth = LoadBmp(*bytes, image);
  if (!depth.ok()) return depth.status().WithContext(path.string());
  return depth;
}

Status EncodeBmp(const CDib& image, int bitCount, std::vector<std::uint8_t>& out) {
  if (image.GetWidth() <= 0 || image.GetHeight() <= 0) {
    return {ErrorCode::kNoImages, "no image to write"};
  }
  CDib scratch;
  const CDib* source = WithWholeClip(image, scratch);
  if (source == nullptr) return {ErrorCode::kOutOfMemory, "no memory for the BMP image"};
  std::size_t written = 0;
  if (bitCount >= 1 && bitCount <= 4) {
    written = source->WriteBmp4(out);
  } else if (bitCount == 8) {
    written = source->WriteBmp8(out);
  } else if (bitCount == 24) {
    written = source->WriteBmp24(out);
  } else {
    written = source->WriteBmp32(out);
  }
  if (written == 0) return {ErrorCode::kOutOfMemory, "the BMP image could not be encoded"};
  return Status::Ok();
}

Status SaveBmpFile(const std::filesystem::path& path, const CDib& image, int bitCount) {
  std::vector<std::uint8_t> bytes;
  Status st = EncodeBmp(image, bitCount, bytes);
  if (!st.ok()) return st.WithContext(path.string());
  return WriteFileAtomic(path, bytes);
}

}  // namespace morvane
