#include "editing/clipboard_dib.h"

#include <bit>
#include <cstring>
#include <limits>

namespace morvane {
namespace {

constexpr std::uint32_t kPlainRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::int64_t kMaxSide = 65535;
// A colour table beside 32-bit pixels is never needed; more entries than this is garbage.
constexpr std::uint32_t kMaxColorTable = 256;

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
         static_cast<std::uint32_t>(d[at + 2]) << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

// One channel described by a mask: where it starts and how many bits it has.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static Channel Of(std::uint32_t mask) {
    if (mask == 0) return {};
    return {mask, std::countr_zero(mask), std::popcount(mask)};
  }
  bool Contiguous() const { return mask == 0 || (mask >> shift) == ((1ull << bits) - 1); }
  std::uint32_t Extract(std::uint32_t v) const {
    if (bits == 0) return 0;
    const std::uint32_t raw = (v & mask) >> shift;
    if (bits >= 8) return raw >> (bits - 8);
    return raw * 255 / ((1u << bits) - 1);
  }
};

struct Masks {
  Channel red, green, blue, alpha;
  bool any = false;  // false: plain pixels, bytes taken as they are
};

DibError ReadMasks(std::span<const std::uint8_t> d, std::uint32_t headerSize, Masks& masks) {
  // A 40-byte header keeps its three masks right behind it; larger headers hold them (and an
  // alpha mask) inside.
  const std::size_t at = 40;
  if (d.size() < at + 12) return DibError::kTruncated;
  masks.red = Channel::Of(Get32(d, at));
  masks.green = Channel::Of(Get32(d, at + 4));
  masks.blue = Channel::Of(Get32(d, at + 8));
  if (headerSize >= 108) masks.alpha = Channel::Of(Get32(d, at + 12));
  masks.any = true;
  const Channel* all[] = {&masks.red, &masks.green, &masks.blue, &masks.alpha};
  std::uint32_t seen = 0;
  for (const Channel* c : all) {
    if (!c->Contiguous() || (seen & c->mask) != 0) return DibError::kBadBitFields;
    seen |= c->mask;
  }
  if (masks.red.mask == 0 || masks.green.mask == 0 || masks.blue.mask == 0) {
    return DibError::kBadBitFields;
  }
  return DibError::kNone;
}

Pixel Decode(std::uint32_t v, const Masks& masks) {
  if (!masks.any) return v;
  // Without an alpha mask the top byte is taken as it is, as plain pixels are.
  const std::uint32_t a = masks.alpha.mask ? masks.alpha.Extract(v) : v >> 24;
  return MakePixel(a, masks.red.Extract(v), masks.green.Extract(v), masks.blue.Extract(v));
}

void MakeOpaqueIfAlphaless(CDib& image) {
  for (int y = 0; y < image.GetHeight(); ++y) {
    const Pixel* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) {
      if (AlphaOf(row[x]) != 0) return;
    }
  }
  image.SetAlpha(255);
}

}  // namespace

std::vector<std::uint8_t> BuildClipboardDib(const CDib& source, std::uint32_t backgroundBgr) {
  const int w = source.GetWidth();
  const int h = source.GetHeight();
  if (w <= 0 || h <= 0) return {};
  const std::size_t pixelBytes = static_cast<std::size_t>(w) * h * 4;
  std::vector<std::uint8_t> out(40 + pixelBytes, 0);
  Put32(out, 0, 40);
  Put32(out, 4, static_cast<std::uint32_t>(w));
  Put32(out, 8, static_cast<std::uint32_t>(h));
  out[12] = 1;   // planes
  out[14] = 32;  // bit count
  Put32(out, 20, static_cast<std::uint32_t>(pixelBytes));
  const Pixel background = SwapRedBlue(backgroundBgr);
  std::size_t at = 40;
  for (int y = h - 1; y >= 0; --y) {
    const Pixel* row = source.Row(y);
    for (int x = 0; x < w; ++x, at += 4) {
      Put32(out, at, IsTransparent(row[x]) ? background : row[x]);
    }
  }
  return out;
}

std::string_view DibErrorText(DibError error) {
  switch (error) {
    case DibError::kNone:
      return "no error";
    case DibError::kTruncated:
      return "the clipboard bitmap is shorter than its header announces";
    case DibError::kBadHeader:
      return "the clipboard bitmap has an unknown header";
    case DibError::kUnsupported:
      return "the clipboard bitmap is not a 32-bit bitmap";
    case DibError::kBadBitFields:
      return "the clipboard bitmap has invalid colour masks";
    case DibError::kBadSize:
      return "the clipboard bitmap has no pixels";
    case DibError::kTooLarge:
      return "the clipboard bitmap is too large";
    case DibError::kOutOfMemory:
      return "not enough memory for the clipboard bitmap";
  }
  return "unknown error";
}

DibPicture ParseClipboardDib(std::span<const std::uint8_t> block, bool foreign) {
  DibPicture result;
  auto fail = [&](DibError e) {
    result.error = e;
    result.image.Release();
    return std::move(result);
  };
  if (block.size() < 40) return fail(DibError::kTruncated);
  const std::uint32_t headerSize = Get32(block, 0);
  if (headerSize != 40 && headerSize != 108 && headerSize != 124) {
    return fail(DibError::kBadHeader);
  }
  if (block.size() < headerSize) return fail(DibError::kTruncated);
  const auto width = static_cast<std::int32_t>(Get32(block, 4));
  const auto rawHeight = static_cast<std::int32_t>(Get32(block, 8));
  const std::uint16_t planes = static_cast<std::uint16_t>(block[12] | block[13] << 8);
  const std::uint16_t bitCount = static_cast<std::uint16_t>(block[14] | block[15] << 8);
  const std::uint32_t compression = Get32(block, 16);
  const std::uint32_t colorsUsed = Get32(block, 32);
  if (planes != 1) return fail(DibError::kBadHeader);
  if (bitCount != 32 || (compression != kPlainRgb && compression != kBitFields)) {
    return fail(DibError::kUnsupported);
  }
  // 64-bit arithmetic throughout: a height of INT32_MIN has no positive counterpart in 32 bits.
  const std::int64_t w = width;
  const std::int64_t h = rawHeight < 0 ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  const bool topDown = rawHeight < 0;
  if (w <= 0 || h <= 0) return fail(w < 0 ? DibError::kBadHeader : DibError::kBadSize);
  if (w > kMaxSide || h > kMaxSide) return fail(DibError::kTooLarge);
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>(w) * h * 4;
  if (pixelBytes > kMaxImageBytes) return fail(DibError::kTooLarge);
  if (colorsUsed > kMaxColorTable) return fail(DibError::kBadHeader);

  Masks masks;
  std::uint64_t offset = headerSize;
  if (compression == kBitFields) {
    if (const DibError e = ReadMasks(block, headerSize, masks); e != DibError::kNone) {
      return fail(e);
    }
    if (headerSize == 40) offset += 12;
  }
  offset += static_cast<std::uint64_t>(colorsUsed) * 4;
  if (offset > block.size() || pixelBytes > block.size() - offset) {
    return fail(DibError::kTruncated);
  }
  if (!result.image.Create(static_cast<int>(w), static_cast<int>(h))) {
    return fail(DibError::kOutOfMemory);
  }
  result.bitFields = compression == kBitFields;
  for (std::int64_t row = 0; row < h; ++row) {
    const std::int64_t y = topDown ? row : h - 1 - row;
    Pixel* dst = result.image.Row(static_cast<int>(y));
    std::size_t at = static_cast<std::size_t>(offset + static_cast<std::uint64_t>(row) * w * 4);
    for (std::int64_t x = 0; x < w; ++x, at += 4) dst[x] = Decode(Get32(block, at), masks);
  }
  if (foreign) MakeOpaqueIfAlphaless(result.image);
  return result;
}

}  // namespace morvane
