#include "editing/clipboard_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace morvane {
namespace {

void Put32(std::vector<std::uint8_t>& d, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A header of headerSize bytes for a 32-bit w x h block, with room for extra bytes after it.
std::vector<std::uint8_t> Header(std::uint32_t headerSize, std::int32_t w, std::int32_t h,
                                 std::uint32_t compression, std::size_t extra) {
  std::vector<std::uint8_t> d(headerSize + extra, 0);
  Put32(d, 0, headerSize);
  Put32(d, 4, static_cast<std::uint32_t>(w));
  Put32(d, 8, static_cast<std::uint32_t>(h));
  d[12] = 1;
  d[14] = 32;
  Put32(d, 16, compression);
  return d;
}

TEST(ClipboardDib, BuildWritesBottomUpRowsAndBackgroundForTransparentPixels) {
  CDib image;
  ASSERT_TRUE(image.Create(2, 2));
  image.SetPixel(0, 0, 0x00123456);  // transparent: becomes background with alpha 0
  image.SetPixel(1, 0, 0xFF102030);
  image.SetPixel(0, 1, 0x80405060);
  image.SetPixel(1, 1, 0xFFA0B0C0);
  const auto block = BuildClipboardDib(image, 0x00CCBBAA);  // platform 0x00BBGGRR
  ASSERT_EQ(block.size(), 40u + 16);
  EXPECT_EQ(block[0], 40);
  EXPECT_EQ(block[8], 2);  // positive height: bottom-up
  EXPECT_EQ(block[14], 32);
  EXPECT_EQ(block[20], 16);  // image size
  auto at = [&](std::size_t i) {
    return static_cast<std::uint32_t>(block[i] | block[i + 1] << 8 | block[i + 2] << 16 |
                                      block[i + 3] << 24);
  };
  EXPECT_EQ(at(40), 0x80405060u);  // first stored row is the bottom one
  EXPECT_EQ(at(44), 0xFFA0B0C0u);
  EXPECT_EQ(at(48), 0x00AABBCCu);  // background red AA, green BB, blue CC, alpha 0
  EXPECT_EQ(at(52), 0xFF102030u);
}

TEST(ClipboardDib, RoundTripKeepsAlphaOfOurOwnBlock) {
  CDib image;
  ASSERT_TRUE(image.Create(3, 1));
  image.SetPixel(0, 0, 0x40FF0000);
  image.SetPixel(1, 0, 0xFF00FF00);
  const auto parsed = ParseClipboardDib(BuildClipboardDib(image, 0), false);
  ASSERT_EQ(parsed.error, DibError::kNone);
  EXPECT_EQ(parsed.image.GetPixel(0, 0), 0x40FF0000u);
  EXPECT_EQ(parsed.image.GetPixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(parsed.image.GetPixel(2, 0), 0x00000000u);
}

TEST(ClipboardDib, ForeignPictureWithoutAlphaPastesOpaqueAndTopDownRowsStayInOrder) {
  auto d = Header(40, 1, -2, 0, 8);  // top-down
  Put32(d, 40, 0x00112233);
  Put32(d, 44, 0x00445566);
  const auto parsed = ParseClipboardDib(d, true);
  ASSERT_EQ(parsed.error, DibError::kNone);
  EXPECT_EQ(parsed.image.GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(parsed.image.GetPixel(0, 1), 0xFF445566u);
}

TEST(ClipboardDib, BitFieldsAfterSmallHeaderAndInsideLargeHeader) {
  // 40-byte header: three masks follow it; swapped red and blue masks.
  auto d = Header(40, 1, 1, 3, 16);
  Put32(d, 40, 0x000000FF);
  Put32(d, 44, 0x0000FF00);
  Put32(d, 48, 0x00FF0000);
  Put32(d, 52, 0x7F332211);
  auto parsed = ParseClipboardDib(d, false);
  ASSERT_EQ(parsed.error, DibError::kNone);
  EXPECT_TRUE(parsed.bitFields);
  EXPECT_EQ(parsed.image.GetPixel(0, 0), 0x7F112233u);
  // 124-byte header with a 5-6-5 layout and no alpha mask: 5-bit 31 scales to 255.
  auto v5 = Header(124, 1, 1, 3, 4);
  Put32(v5, 40, 0xF800);
  Put32(v5, 44, 0x07E0);
  Put32(v5, 48, 0x001F);
  Put32(v5, 124, 0xF800);  // pure red
  parsed = ParseClipboardDib(v5, true);
  ASSERT_EQ(parsed.error, DibError::kNone);
  EXPECT_EQ(parsed.image.GetPixel(0, 0), 0xFFFF0000u);
}

TEST(ClipboardDib, HostileBlocksAreRefused) {
  EXPECT_EQ(ParseClipboardDib(std::vector<std::uint8_t>(39, 0), true).error, DibError::kTruncated);
  EXPECT_EQ(ParseClipboardDib(Header(64, 1, 1, 0, 4), true).error, DibError::kBadHeader);
  auto eightBit = Header(40, 1, 1, 0, 4);
  eightBit[14] = 8;
  EXPECT_EQ(ParseClipboardDib(eightBit, true).error, DibError::kUnsupported);
  EXPECT_EQ(ParseClipboardDib(Header(40, 0, 5, 0, 0), true).error, DibError::kBadSize);
  EXPECT_EQ(ParseClipboardDib(Header(40, 65536, 1, 0, 0), true).error, DibError::kTooLarge);
  // The smallest negative height has no positive counterpart in 32 bits.
  EXPECT_EQ(ParseClipboardDib(Header(40, 1, INT32_MIN, 0, 0), true).error, DibError::kTooLarge);
  // 65535 x 65535 x 4 is within 32 bits' reach only by overflow; above the pixel bound.
  EXPECT_EQ(ParseClipboardDib(Header(40, 65535, 65535, 0, 0), true).error, DibError::kTooLarge);
  // Rows missing: 2 x 2 needs 16 bytes.
  EXPECT_EQ(ParseClipboardDib(Header(40, 2, 2, 0, 15), true).error, DibError::kTruncated);
  // A colour table that pushes the rows past the end.
  auto table = Header(40, 1, 1, 0, 4);
  Put32(table, 32, 2);
  EXPECT_EQ(ParseClipboardDib(table, true).error, DibError::kTruncated);
  auto hugeTable = Header(40, 1, 1, 0, 4);
  Put32(hugeTable, 32, 0xFFFFFFFF);
  EXPECT_EQ(ParseClipboardDib(hugeTable, true).error, DibError::kBadHeader);
  // Masks that overlap or have holes.
  auto overlap = Header(40, 1, 1, 3, 16);
  Put32(overlap, 40, 0x00FF0000);
  Put32(overlap, 44, 0x00FFFF00);
  Put32(overlap, 48, 0x000000FF);
  EXPECT_EQ(ParseClipboardDib(overlap, true).error, DibError::kBadBitFields);
  auto holes = Header(40, 1, 1, 3, 16);
  Put32(holes, 40, 0x00F0F000);
  Put32(holes, 44, 0x00000F00);
  Put32(holes, 48, 0x000000FF);
  EXPECT_EQ(ParseClipboardDib(holes, true).error, DibError::kBadBitFields);
  // Masks cut off by the end of the block.
  EXPECT_EQ(ParseClipboardDib(Header(40, 1, 1, 3, 8), true).error, DibError::kTruncated);
}

}  // namespace
}  // namespace morvane
