// Decoding of one icon image block: a PNG stream, or a bitmap with its AND mask.
#include <array>
#include <string>

#include "formats/icon_image.h"
#include "formats/png_codec.h"

namespace morvane {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;

std::uint64_t RowBytes(std::uint64_t width, int bitCount) {
  return (width * bitCount + 31) / 32 * 4;
}

Status Fail(ErrorCode code, const std::string& what) {
  return {code, "Icon image: " + what};
}

}  // namespace

Result<IconBitmapLayout> ReadIconBitmapLayout(Bytes data) {
  ByteReader r(data);
  const std::uint32_t headerSize = r.U32();
  const std::int32_t width = r.I32();
  const std::int32_t heightField = r.I32();
  r.U16();  // planes
  const int bitCount = r.U16();
  const std::uint32_t compression = r.U32();
  r.Skip(12);  // image size, resolutions
  const std::uint32_t colorsUsed = r.U32();
  if (!r.ok()) return Fail(ErrorCode::kTruncated, "header cut short");

  IconBitmapLayout l;
  l.width = width;
  l.height = heightField / 2;
  l.bitCount = bitCount;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
    return Fail(ErrorCode::kUnsupported, "bit count " + std::to_string(bitCount));
  }
  if (compression != 0) {
    return Fail(ErrorCode::kUnsupported, "compression " + std::to_string(compression));
  }
  if (l.width <= 0 || l.height <= 0) return Fail(ErrorCode::kBadFormat, "empty or negative size");
  if (headerSize > data.size()) return Fail(ErrorCode::kTruncated, "header size beyond the data");

  l.paletteOffset = headerSize > kInfoHeaderSize ? headerSize : kInfoHeaderSize;
  const std::uint32_t fullPalette = bitCount <= 8 ? 1u << bitCount : 0;
  l.paletteEntries = colorsUsed != 0 && colorsUsed < fullPalette ? colorsUsed : fullPalette;
  l.colorOffset = l.paletteOffset + std::uint64_t{l.paletteEntries} * 4;
  l.colorRowBytes = RowBytes(static_cast<std::uint64_t>(l.width), bitCount);
  l.maskOffset = l.colorOffset + l.colorRowBytes * static_cast<std::uint64_t>(l.height);
  l.maskRowBytes = RowBytes(static_cast<std::uint64_t>(l.width), 1);
  return l;
}

namespace {

std::uint64_t MaskEnd(const IconBitmapLayout& l) {
  return l.MaskEnd();
}

// The palette as opaque pixels; indices beyond a shortened palette give opaque black.
std::array<Pixel, 256> ReadPalette(Bytes data, const IconBitmapLayout& l) {
  std::array<Pixel, 256> table;
  table.fill(0xFF000000);
  for (std::uint32_t i = 0; i < l.paletteEntries; ++i) {
    const std::uint64_t at = l.paletteOffset + std::uint64_t{i} * 4;
    table[i] = MakePixel(255, data[at + 2], data[at + 1], data[at]);
  }
  return table;
}

Pixel ColorPixel(const std::uint8_t* row, int x, int bitCount,
                 const std::array<Pixel, 256>& table) {
  switch (bitCount) {
    case 1:
      return (row[x / 8] >> (7 - x % 8) & 1) != 0 ? 0xFFFFFFFF : 0xFF000000;
    case 4:
      return table[x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F];
    case 8:
      return table[row[x]];
    case 24:
      return MakePixel(255, row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default:
      return MakePixel(row[4 * x + 3], row[4 * x + 2], row[4 * x + 1], row[4 * x]);
  }
}

// Colour rows, bottom-up. Returns true when any pixel has a non-zero alpha byte.
bool DecodeColorRows(Bytes data, const IconBitmapLayout& l, CDib& image) {
  const std::array<Pixel, 256> table = ReadPalette(data, l);
  bool anyAlpha = false;
  for (int r = 0; r < l.height; ++r) {
    const std::uint8_t* row = data.data() + l.colorOffset + l.colorRowBytes * r;
    Pixel* out = image.Row(l.height - 1 - r);
    for (int x = 0; x < l.width; ++x) {
      out[x] = ColorPixel(row, x, l.bitCount, table);
      anyAlpha |= AlphaOf(out[x]) != 0;
    }
  }
  return anyAlpha;
}

// Every pixel whose mask bit is set becomes transparent black; with opaqueRest the others get
// alpha 255 (a 32-bit image without alpha).
void ApplyMask(Bytes data, const IconBitmapLayout& l, CDib& image, bool opaqueRest) {
  for (int r = 0; r < l.height; ++r) {
    const std::uint8_t* row = data.data() + l.maskOffset + l.maskRowBytes * r;
    Pixel* out = image.Row(l.height - 1 - r);
    for (int x = 0; x < l.width; ++x) {
      if ((row[x / 8] >> (7 - x % 8) & 1) != 0) {
        out[x] = 0;
      } else if (opaqueRest) {
        out[x] |= 0xFF000000;
      }
    }
  }
}

Result<DecodedIconImage> DecodeBitmap(Bytes data) {
  Result<IconBitmapLayout> layout = ReadIconBitmapLayout(data);
  if (!layout.ok()) return layout.status();
  const IconBitmapLayout& l = *layout;
  // A 32-bit image carries its transparency in the alpha bytes; its mask is needed only when
  // they are all 0, and may be missing.
  const bool maskRequired = l.bitCount != 32;
  const bool hasMask = MaskEnd(l) <= data.size();
  if (l.maskOffset > data.size() || (maskRequired && !hasMask)) {
    return Fail(ErrorCode::kTruncated, "data shorter than the header's size needs");
  }
  const std::uint64_t pixelBytes =
      std::uint64_t{static_cast<std::uint32_t>(StrideFor(l.width))} * l.height * 4;
  if (pixelBytes > kMaxImageBytes) return Fail(ErrorCode::kTooLarge, "image too large");

  DecodedIconImage decoded;
  decoded.bitCount = l.bitCount;
  if (!decoded.image.Create(l.width, l.height)) return Fail(ErrorCode::kOutOfMemory, "no memory");
  const bool anyAlpha = DecodeColorRows(data, l, decoded.image);
  if (l.bitCount != 32) {
    ApplyMask(data, l, decoded.image, false);
  } else if (!anyAlpha) {
    // All-zero alpha: an image without alpha for the system that shows icons.
    if (hasMask) {
      ApplyMask(data, l, decoded.image, true);
    } else {
      decoded.image.SetAlpha(255);
    }
  }
  return decoded;
}

bool IsPngBlock(Bytes data) {
  return data.size() >= 4 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G';
}

}  // namespace

Result<DecodedIconImage> DecodeIconImage(Bytes data) {
  if (!IsPngBlock(data)) return DecodeBitmap(data);
  DecodedIconImage decoded;
  decoded.isPng = true;
  Result<int> depth = LoadPng(data, decoded.image);
  if (!depth.ok()) return depth.status().WithContext("Icon image");
  decoded.bitCount = *depth;
  return decoded;
}

}  // namespace morvane
