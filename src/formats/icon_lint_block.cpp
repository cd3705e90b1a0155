// The facts of one image block, read from its bytes, and the code-page test of stored texts.
#include <algorithm>
#include <string>

#include "formats/icon_lint.h"

namespace morvane {
namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t BigEndian32(Bytes d, std::size_t at) {
  return std::uint32_t{d[at]} << 24 | std::uint32_t{d[at + 1]} << 16 |
         std::uint32_t{d[at + 2]} << 8 | d[at + 3];
}

// The depth the PNG reader reports for this header (the colour format a frame gets).
int PngFormat(int depth, int colorType) {
  const int sample = std::min(depth, 8);
  switch (colorType) {
    case 6:
      return 32;
    case 2:
      return 24;
    case 4:
      return 8;
    default:
      return sample == 2 ? 4 : sample;
  }
}

// Walks the chunks up to IEND; the stream's length is where IEND ends (beyond the data when
// a chunk is cut short, so the caller sees the stream is truncated).
std::uint64_t PngStreamLength(Bytes d) {
  std::uint64_t pos = 8;
  while (RangeFits(d.size(), pos, 8)) {
    const std::uint64_t end = pos + 12 + BigEndian32(d, static_cast<std::size_t>(pos));
    const auto type = d.subspan(static_cast<std::size_t>(pos) + 4, 4);
    if (std::equal(type.begin(), type.end(), "IEND")) return end;
    if (end > d.size()) return end;
    pos = end;
  }
  return pos + 12;
}

Result<IconBlockFacts> InspectPng(Bytes block) {
  if (block.size() < 33 || !std::equal(block.begin(), block.begin() + 8, kPngSignature) ||
      BigEndian32(block, 8) != 13 || !std::equal(block.begin() + 12, block.begin() + 16, "IHDR")) {
    return Status(ErrorCode::kBadFormat, "PNG stream without a valid header");
  }
  IconBlockFacts f;
  f.png = true;
  const std::uint32_t w = BigEndian32(block, 16);
  const std::uint32_t h = BigEndian32(block, 20);
  if (w == 0 || h == 0 || w > 0x10000 || h > 0x10000) {
    return Status(ErrorCode::kBadFormat, "PNG stream with an impossible size");
  }
  f.width = static_cast<int>(w);
  f.height = static_cast<int>(h);
  f.pngBitDepth = block[24];
  f.pngColorType = block[25];
  f.bitCount = PngFormat(f.pngBitDepth, f.pngColorType);
  f.needed = PngStreamLength(block);
  return f;
}

bool AlphaBytesAllZero(Bytes block, const IconBitmapLayout& l) {
  for (int r = 0; r < l.height; ++r) {
    const std::uint64_t row = l.colorOffset + l.colorRowBytes * static_cast<std::uint64_t>(r);
    for (int x = 0; x < l.width; ++x) {
      if (block[row + 4 * static_cast<std::uint64_t>(x) + 3] != 0) return false;
    }
  }
  return true;
}

// Valid UTF-8 with at least one multi-byte character: such bytes read as Windows-1252 give
// "Ã©" where "é" was meant.
bool IsUtf8BeyondAscii(Bytes t) {
  bool multiByte = false;
  for (std::size_t i = 0; i < t.size();) {
    const std::uint8_t b = t[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    const std::size_t more = b >= 0xC2 && b < 0xE0   ? 1
                             : b >= 0xE0 && b < 0xF0 ? 2
                             : b >= 0xF0 && b < 0xF5 ? 3
                                                     : 0;
    if (more == 0 || i + more >= t.size()) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      if ((t[i + k] & 0xC0) != 0x80) return false;
    }
    multiByte = true;
    i += more + 1;
  }
  return multiByte;
}

// True when the AND mask leaves some pixel opaque (or is missing): then an image without alpha
// is meant to show something. A blank image has every mask bit set and nothing to lose.
bool MaskShowsAnything(Bytes block, const IconBitmapLayout& l) {
  if (l.MaskEnd() > block.size()) return true;
  for (int r = 0; r < l.height; ++r) {
    const std::uint64_t row = l.maskOffset + l.maskRowBytes * static_cast<std::uint64_t>(r);
    for (int x = 0; x < l.width; ++x) {
      if ((block[row + static_cast<std::uint64_t>(x) / 8] >> (7 - x % 8) & 1) == 0) return true;
    }
  }
  return false;
}

}  // namespace

Result<IconBlockFacts> InspectIconBlock(Bytes block) {
  if (block.size() >= 4 && block[1] == 'P' && block[2] == 'N' && block[3] == 'G') {
    return InspectPng(block);
  }
  Result<IconBitmapLayout> layout = ReadIconBitmapLayout(block);
  if (!layout.ok()) return layout.status();
  IconBlockFacts f;
  f.width = layout->width;
  f.height = layout->height;
  f.bitCount = layout->bitCount;
  f.needed = layout->MaskEnd();
  if (f.bitCount == 32 && layout->maskOffset <= block.size()) {
    f.alphaAllZero = AlphaBytesAllZero(block, *layout) && MaskShowsAnything(block, *layout);
  }
  return f;
}

bool LooksLikeCp1252(Bytes text) {
  const bool unassigned = std::any_of(text.begin(), text.end(), [](std::uint8_t b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
  });
  return !unassigned && !IsUtf8BeyondAscii(text);
}

}  // namespace morvane
