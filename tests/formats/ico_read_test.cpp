// Reading rules of icon and cursor files on hand-built bytes: image forms, the format of each
// frame, the faults files in the wild have, and hostile directories.
#include <gtest/gtest.h>

#include "format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "image/byte_sink.h"
#include "support/mutations.h"

namespace morvane {
namespace {

using testing::MakeImage;
using testing::MixedPixel;
using testing::PixelsOf;

struct BitmapSpec {
  int width = 2;
  int height = 2;
  int bitCount = 32;
  std::uint32_t headerSize = 40;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint32_t> palette;   // 0x00RRGGBB, written as blue, green, red, 0
  std::vector<std::uint8_t> colorRows;  // bottom-up, padded
  std::vector<std::uint8_t> maskRows;   // bottom-up, padded
};

std::vector<std::uint8_t> BitmapBlock(const BitmapSpec& s) {
  std::vector<std::uint8_t> out;
  ByteSink sink(out);
  sink.U32(s.headerSize);
  sink.I32(s.width);
  sink.I32(2 * s.height);
  sink.U16(1);
  sink.U16(static_cast<std::uint16_t>(s.bitCount));
  sink.U32(s.compression);
  sink.Zeros(12);
  sink.U32(s.colorsUsed);
  sink.U32(0);
  if (s.headerSize > 40) sink.Zeros(s.headerSize - 40);
  for (std::uint32_t c : s.palette) sink.U32(c);
  sink.Bytes(s.colorRows);
  sink.Bytes(s.maskRows);
  return out;
}

struct Entry {
  std::vector<std::uint8_t> data;
  int planes = 1;
  int bitCount = 32;
};

std::vector<std::uint8_t> IconFileOf(const std::vector<Entry>& entries, int type = 1,
                                     int count = -1) {
  std::vector<std::uint8_t> out;
  ByteSink sink(out);
  sink.U16(0);
  sink.U16(static_cast<std::uint16_t>(type));
  sink.U16(static_cast<std::uint16_t>(count < 0 ? entries.size() : count));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const Entry& e : entries) {
    sink.U32(0);  // width, height, colour count, reserved: the reader does not trust them
    sink.U16(static_cast<std::uint16_t>(e.planes));
    sink.U16(static_cast<std::uint16_t>(e.bitCount));
    sink.U32(static_cast<std::uint32_t>(e.data.size()));
    sink.U32(offset);
    offset += static_cast<std::uint32_t>(e.data.size());
  }
  for (const Entry& e : entries) sink.Bytes(e.data);
  return out;
}

// A 2 x 2 32-bit image: bottom row (1, 2), top row (3, 4) as pixel values, mask rows given.
BitmapSpec ThirtyTwoBit(std::uint32_t alpha, std::uint8_t bottomMask, std::uint8_t topMask) {
  BitmapSpec s;
  for (std::uint32_t v : {0x010101u, 0x020202u, 0x030303u, 0x040404u}) {
    const std::uint32_t pixel = v | alpha << 24;
    for (int shift = 0; shift < 32; shift += 8) {
      s.colorRows.push_back(static_cast<std::uint8_t>(pixel >> shift));
    }
  }
  s.maskRows = {bottomMask, 0, 0, 0, topMask, 0, 0, 0};
  return s;
}

// --- Image forms --------------------------------------------------------------------------------

TEST(IconImageDecode, ThirtyTwoBitWithAlphaIgnoresTheMask) {
  Result<DecodedIconImage> d = DecodeIconImage(BitmapBlock(ThirtyTwoBit(0x80, 0xC0, 0xC0)));
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(d->bitCount, 32);
  EXPECT_EQ(PixelsOf(d->image),
            (std::vector<Pixel>{0x80030303, 0x80040404, 0x80010101, 0x80020202}));
}

TEST(IconImageDecode, ThirtyTwoBitWithAllZeroAlphaIsOpaqueWithItsMask) {
  Result<DecodedIconImage> d = DecodeIconImage(BitmapBlock(ThirtyTwoBit(0, 0x40, 0x80)));
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(PixelsOf(d->image), (std::vector<Pixel>{0, 0xFF040404, 0xFF010101, 0}));

  BitmapSpec noMask = ThirtyTwoBit(0, 0, 0);
  noMask.maskRows.clear();
  d = DecodeIconImage(BitmapBlock(noMask));
  ASSERT_TRUE(d.ok()) << "a 32-bit image may lack its mask";
  EXPECT_EQ(d->image.GetPixel(0, 0), 0xFF030303u);
}

TEST(IconImageDecode, PalettedRowsAndTheirMasks) {
  BitmapSpec s;
  s.width = 3;
  s.height = 1;
  s.bitCount = 4;
  s.palette.assign(16, 0);
  s.palette[1] = 0x112233;
  s.palette[15] = 0xABCDEF;
  s.colorRows = {0x1F, 0x10, 0, 0};
  s.maskRows = {0x20, 0, 0, 0};
  Result<DecodedIconImage> d = DecodeIconImage(BitmapBlock(s));
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(d->bitCount, 4);
  EXPECT_EQ(PixelsOf(d->image), (std::vector<Pixel>{0xFF112233, 0xFFABCDEF, 0}));

  s.bitCount = 1;
  s.palette = {0x00FF00, 0xFF0000};  // ignored: set bits are white, clear bits black
  s.colorRows = {0xA0, 0, 0, 0};
  s.maskRows = {0x00, 0, 0, 0};
  d = DecodeIconImage(BitmapBlock(s));
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(PixelsOf(d->image), (std::vector<Pixel>{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}));
}

TEST(IconImageDecode, ShortenedPaletteAndNewerHeadersArePlacedByTheirSizes) {
  BitmapSpec s;
  s.width = 2;
  s.height = 1;
  s.bitCount = 8;
  s.colorsUsed = 2;
  s.palette = {0x102030, 0x405060};
  s.colorRows = {1, 0, 0, 0};
  s.maskRows = {0x40, 0, 0, 0};
  Result<DecodedIconImage> d = DecodeIconImage(BitmapBlock(s));
  ASSERT_TRUE(d.ok()) << d.status().message();
  EXPECT_EQ(PixelsOf(d->image), (std::vector<Pixel>{0xFF405060, 0}));

  s.headerSize = 124;  // a V5 header
  d = DecodeIconImage(BitmapBlock(s));
  ASSERT_TRUE(d.ok()) << d.status().message();
  EXPECT_EQ(PixelsOf(d->image), (std::vector<Pixel>{0xFF405060, 0}));
}

TEST(IconImageDecode, RefusesWhatItCannotReadAndShortData) {
  BitmapSpec s = ThirtyTwoBit(0xFF, 0, 0);
  s.bitCount = 16;
  EXPECT_EQ(DecodeIconImage(BitmapBlock(s)).status().code(), ErrorCode::kUnsupported);
  s = ThirtyTwoBit(0xFF, 0, 0);
  s.compression = 1;
  EXPECT_EQ(DecodeIconImage(BitmapBlock(s)).status().code(), ErrorCode::kUnsupported);
  s = ThirtyTwoBit(0xFF, 0, 0);
  s.colorRows.resize(15);
  s.maskRows.clear();
  EXPECT_EQ(DecodeIconImage(BitmapBlock(s)).status().code(), ErrorCode::kTruncated);

  BitmapSpec four;
  four.bitCount = 4;
  four.palette.assign(16, 0);
  four.colorRows.assign(8, 0);
  four.maskRows.assign(7, 0);  // one byte short of its mask
  EXPECT_EQ(DecodeIconImage(BitmapBlock(four)).status().code(), ErrorCode::kTruncated);

  BitmapSpec huge;
  huge.width = 0x7FFFFFFF;
  huge.height = 0x3FFFFFFF;
  EXPECT_EQ(DecodeIconImage(BitmapBlock(huge)).status().code(), ErrorCode::kTruncated)
      << "refused by the data length before any allocation";
  EXPECT_FALSE(DecodeIconImage(std::vector<std::uint8_t>(39, 0)).ok());
  EXPECT_FALSE(DecodeIconImage({}).ok());
}

TEST(IconImageDecode, PngBlocksAreRecognisedByTheirSecondToFourthBytes) {
  CDib image;
  MakeImage(image, 3, 2, MixedPixel);
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(EncodePng(image, 32, png).ok());
  Result<DecodedIconImage> d = DecodeIconImage(png);
  ASSERT_TRUE(d.ok());
  EXPECT_TRUE(d->isPng);
  EXPECT_EQ(d->bitCount, 32);
  EXPECT_EQ(PixelsOf(d->image), PixelsOf(image));
  png[0] = 0;  // byte 0 is not part of the test, but libpng checks the whole signature
  EXPECT_FALSE(DecodeIconImage(png).ok());
}

// --- Frame formats --------------------------------------------------------------------------

std::vector<std::uint8_t> PngBlock(int depth) {
  CDib image;
  MakeImage(image, 4, 4, [](int x, int) { return x == 0 ? Pixel{0} : 0xFF336699; });
  std::vector<std::uint8_t> png;
  EXPECT_TRUE(EncodePng(image, depth, png).ok());
  return png;
}

TEST(IcoFormats, EntryBitCountWinsUnlessItIsNoFormat) {
  const auto bmp = BitmapBlock(ThirtyTwoBit(0xFF, 0, 0));
  const auto file = IconFileOf({{bmp, 1, 8},
                                {bmp, 1, 0},
                                {bmp, 1, 500},
                                {bmp, 1, 65535},
                                {PngBlock(8), 1, 0},
                                {PngBlock(24), 1, 500},
                                {PngBlock(4), 1, 32}});
  auto read = ReadIconFile(file);
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read->frames.size(), 7u);
  const int expected[] = {8, 32, 32, 32, 32, 24, 32};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(read->frames[i].format, expected[i]) << "entry " << i;
}

TEST(IcoFormats, BogusBitCountsTakeTheImagesOwnDepth) {
  BitmapSpec four;
  four.bitCount = 4;
  four.palette.assign(16, 0);
  four.colorRows.assign(8, 0);
  four.maskRows.assign(8, 0);
  auto read = ReadIconFile(IconFileOf({{BitmapBlock(four), 1, 500}, {PngBlock(8), 1, 65535}}));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].format, 4);
  EXPECT_EQ(read->frames[1].format, 8);
}

// --- Header and directory -------------------------------------------------------------------

TEST(IcoDirectory, BadHeadersYieldNoImages) {
  const auto good = IconFileOf({{BitmapBlock(ThirtyTwoBit(0xFF, 0, 0))}});
  ASSERT_TRUE(ReadIconFile(good).ok());
  auto bad = good;
  bad[0] = 1;
  EXPECT_EQ(ReadIconFile(bad).status().code(), ErrorCode::kBadFormat) << "reserved 1";
  bad = good;
  bad[2] = 3;
  EXPECT_EQ(ReadIconFile(bad).status().code(), ErrorCode::kBadFormat) << "type 3";
  bad = good;
  bad[4] = 0;
  EXPECT_EQ(ReadIconFile(bad).status().code(), ErrorCode::kBadFormat) << "count 0";
  EXPECT_EQ(ReadIconFile(std::vector<std::uint8_t>{0, 0, 1}).status().code(),
            ErrorCode::kTruncated);
}

TEST(IcoDirectory, EntriesThatDoNotFitAreSkippedAndTheRestLoad) {
  const auto block = BitmapBlock(ThirtyTwoBit(0xFF, 0, 0));
  auto file = IconFileOf({{block}, {block}, {block}});
  // Entry 1: offset beyond the end; entry 2: length beyond the end.
  file[6 + 16 + 12] = 0xFF;
  file[6 + 16 + 13] = 0xFF;
  file[6 + 32 + 8] = 0xFF;
  file[6 + 32 + 11] = 0x7F;
  auto read = ReadIconFile(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames.size(), 1u);
  EXPECT_EQ(read->skipped, 2);
  EXPECT_EQ(read->firstSkipReason.code(), ErrorCode::kTruncated);

  file[6 + 12] = 0xFF;
  file[6 + 13] = 0xFF;
  const auto none = ReadIconFile(file);
  EXPECT_EQ(none.status().code(), ErrorCode::kNoImages);
  EXPECT_NE(none.status().message().find("image 1"), std::string::npos);
}

TEST(IcoDirectory, CountBeyondTheFileYieldsTheEntriesThatFit) {
  const auto block = BitmapBlock(ThirtyTwoBit(0xFF, 0, 0));
  // Two real entries and images, a count of 60000: the images occupy the bytes where entries
  // 3 and on would be, so a few more "entries" are read from image bytes.
  auto read = ReadIconFile(IconFileOf({{block}, {block}}, 1, 60000));
  ASSERT_TRUE(read.ok());
  EXPECT_GE(read->frames.size(), 2u);
  EXPECT_EQ(static_cast<int>(read->frames.size()) + read->skipped, 60000);
}

TEST(IcoDirectory, StopsAt256FramesOrTheRoomLeft) {
  const auto block = BitmapBlock(ThirtyTwoBit(0xFF, 0, 0));
  const std::vector<Entry> entries(300, Entry{block});
  const auto file = IconFileOf(entries);
  auto read = ReadIconFile(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames.size(), 256u);
  read = ReadIconFile(file, 10);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames.size(), 10u);
}

TEST(IcoDirectory, CursorHotspotComesFromTheFirstEntryEvenIfItFails) {
  const auto block = BitmapBlock(ThirtyTwoBit(0xFF, 0, 0));
  auto file = IconFileOf({{std::vector<std::uint8_t>(10, 0), 9, 11}, {block, 2, 3}}, 2);
  auto read = ReadIconFile(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->hotspotX, 9);
  EXPECT_EQ(read->hotspotY, 11);
  ASSERT_EQ(read->frames.size(), 1u);
  EXPECT_EQ(read->frames[0].hotspotX, 2);
  EXPECT_EQ(read->frames[0].format, 32) << "a cursor's format comes from the header";
}

// --- Hostile input ----------------------------------------------------------------------------

// A small icon with a bitmap entry and a PNG entry, the subject of the mutation loops.
std::vector<std::uint8_t> MixedIcon() {
  CDib small, png;
  MakeImage(small, 5, 3, MixedPixel);
  MakeImage(png, 3, 2, MixedPixel);
  std::vector<std::uint8_t> pngBlock;
  EncodePng(png, 8, pngBlock);
  std::vector<std::uint8_t> bmp;
  WriteImage4(small, bmp);
  return IconFileOf({{bmp, 1, 4}, {pngBlock, 1, 8}});
}

TEST(IcoRobustness, EveryBitFlipAndTruncationFailsCleanlyOrDecodes) {
  const auto file = MixedIcon();
  ASSERT_EQ(ReadIconFile(file)->frames.size(), 2u);
  int decoded = 0;
  auto check = [&](std::span<const std::uint8_t> bytes) {
    const auto read = ReadIconFile(bytes);
    if (!read.ok()) return;
    ++decoded;
    for (const IconFrame& f : read->frames) {
      EXPECT_TRUE(f.image.IsLive());
      EXPECT_TRUE(f.format == 1 || f.format == 4 || f.format == 8 || f.format == 24 ||
                  f.format == 32);
    }
  };
  testing::ForEachBitFlip(file, check);
  testing::ForEachTruncation(file, check);
  EXPECT_GT(decoded, 0);
}

}  // namespace
}  // namespace morvane
