#include "formats/ico_codec.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "format_test_support.h"
#include "formats/png_codec.h"
#include "image/color_reduction.h"
#include "support/mutations.h"

namespace morvane {
namespace {

using testing::MakeImage;
using testing::MixedPixel;
using testing::PixelsOf;

std::uint16_t U16At(const std::vector<std::uint8_t>& d, std::size_t at) {
  return *LoadU16(d, at);
}
std::uint32_t U32At(const std::vector<std::uint8_t>& d, std::size_t at) {
  return *LoadU32(d, at);
}

std::vector<std::uint8_t> WriteIcon(const std::vector<IconFrameRef>& frames, int hotspotX = -1,
                                    int hotspotY = -1, const IconWriteOptions& options = {}) {
  std::vector<std::uint8_t> out;
  const Status st = WriteIconFile(out, frames, hotspotX, hotspotY, options);
  EXPECT_TRUE(st.ok()) << st.message();
  return out;
}

std::vector<std::uint8_t> WriteOne(const CDib& image, int format, const IconWriteOptions& o = {}) {
  return WriteIcon({{&image, format}}, -1, -1, o);
}

// The one image of a one-image file.
Bytes ImageBlock(const std::vector<std::uint8_t>& file, std::size_t entry = 0) {
  const std::size_t at = 6 + 16 * entry;
  return Bytes(file).subspan(U32At(file, at + 12), U32At(file, at + 8));
}

// --- Byte layouts ---------------------------------------------------------------------------

TEST(IcoLayout, FourBitFortyEightSquareIs1640Bytes) {
  CDib image;
  MakeImage(image, 48, 48, MixedPixel);
  const auto file = WriteOne(image, 4);
  EXPECT_EQ(U16At(file, 0), 0);
  EXPECT_EQ(U16At(file, 2), 1);
  EXPECT_EQ(U16At(file, 4), 1);
  EXPECT_EQ(file[6], 48);
  EXPECT_EQ(file[7], 48);
  EXPECT_EQ(file[8], 16) << "colour count";
  EXPECT_EQ(U16At(file, 10), 1) << "planes";
  EXPECT_EQ(U16At(file, 12), 4) << "bit count";
  EXPECT_EQ(U32At(file, 14), 1640u);
  EXPECT_EQ(U32At(file, 18), 22u);
  ASSERT_EQ(file.size(), 22u + 1640);
  EXPECT_EQ(U32At(file, 22), 40u);
  EXPECT_EQ(U32At(file, 26), 48u);
  EXPECT_EQ(U32At(file, 30), 96u) << "colour rows plus mask rows";
  EXPECT_EQ(U16At(file, 36), 4);
  EXPECT_EQ(U32At(file, 42), 1152u) << "image size: the colour rows";
  // The fixed palette that the colour mapping used, entry 0 black and entry 15 white.
  const Palette fixed = SystemPalette16Bgr();
  ASSERT_EQ(fixed.size(), 16u);
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_TRUE(std::equal(fixed[i].begin(), fixed[i].end(), file.begin() + 62 + 4 * i)) << i;
  }
  EXPECT_EQ(U32At(file, 62), 0x00000000u);
  EXPECT_EQ(U32At(file, 62 + 60), 0x00FFFFFFu);
}

TEST(IcoLayout, TrueColourAndMonochromeSixteenSquare) {
  CDib image;
  MakeImage(image, 16, 16, MixedPixel);
  auto file = WriteOne(image, 24);
  EXPECT_EQ(U32At(file, 14), 872u);
  EXPECT_EQ(file[8], 0);
  EXPECT_EQ(U32At(file, 22 + 20), 768u);

  file = WriteOne(image, 1);
  EXPECT_EQ(U32At(file, 14), 176u);
  EXPECT_EQ(file[8], 2);
  EXPECT_EQ(U32At(file, 22 + 20), 64u);
  EXPECT_EQ(U32At(file, 62), 0x00000000u) << "palette: black";
  EXPECT_EQ(U32At(file, 66), 0x00FFFFFFu) << "then white";

  file = WriteOne(image, 8);
  EXPECT_EQ(U32At(file, 14), 256u + 64 + 1064);
  file = WriteOne(image, 32);
  EXPECT_EQ(U32At(file, 14), 1024u + 64 + 40);
  EXPECT_EQ(U32At(file, 22 + 20), 1024u + 64) << "32-bit image size counts the mask";
}

TEST(IcoLayout, OddWidthsPadRowsAndTheDirectoryChainsOffsets) {
  CDib a, b, c;
  MakeImage(a, 5, 3, MixedPixel);
  MakeImage(b, 33, 2, MixedPixel);
  MakeImage(c, 1, 1, MixedPixel);
  const auto file = WriteIcon({{&a, 24}, {&b, 1}, {&c, 7}});
  EXPECT_EQ(U32At(file, 6 + 8), 3u * 16 + 3 * 4 + 40) << "rows of 15 -> 16 bytes, mask 4";
  EXPECT_EQ(U32At(file, 22 + 8), 2u * (2 * 8) + 48) << "33 pixels: 8-byte rows";
  EXPECT_EQ(U16At(file, 38 + 6), 32) << "an unknown format is written as 32";
  EXPECT_EQ(U32At(file, 6 + 12), 6u + 3 * 16);
  EXPECT_EQ(U32At(file, 22 + 12), U32At(file, 6 + 12) + U32At(file, 6 + 8));
  EXPECT_EQ(U32At(file, 38 + 12), U32At(file, 22 + 12) + U32At(file, 22 + 8));
  EXPECT_EQ(file.size(), U32At(file, 38 + 12) + U32At(file, 38 + 8));
}

TEST(IcoLayout, Frames256UsePngForFormats8To32AndBitmapsBelow) {
  CDib image;
  MakeImage(image, 256, 256, MixedPixel);
  for (const int format : {1, 4, 8, 24, 32}) {
    const auto file = WriteOne(image, format);
    EXPECT_EQ(file[6], 0) << "256 is written as 0";
    EXPECT_EQ(file[7], 0);
    EXPECT_EQ(U16At(file, 12), format);
    const Bytes block = ImageBlock(file);
    const bool png = block.size() > 4 && block[1] == 'P' && block[2] == 'N' && block[3] == 'G';
    EXPECT_EQ(png, format >= 8) << format;
    auto read = ReadIconFile(file);
    ASSERT_TRUE(read.ok()) << read.status().message();
    EXPECT_EQ(read->frames[0].format, format);
    EXPECT_EQ(read->frames[0].image.GetWidth(), 256);
  }
  const auto file = WriteOne(image, 32);
  CDib back;
  ASSERT_TRUE(LoadPng(ImageBlock(file), back).ok());
  EXPECT_EQ(PixelsOf(back), PixelsOf(image)) << "format 32 is encoded as it is";
}

TEST(IcoLayout, LargeIconsEncodedSideBySideKeepEveryImageAndItsPlace) {
  // Enough pixels that the images are encoded on several threads.
  CDib big, mid, small;
  MakeImage(big, 256, 256, MixedPixel);
  MakeImage(mid, 128, 128, MixedPixel);
  MakeImage(small, 31, 17, MixedPixel);
  const std::vector<IconFrameRef> frames{{&big, 32}, {&mid, 8},  {&small, 4},
                                         {&mid, 32}, {&big, 24}, {&small, 1}};
  const auto file = WriteIcon(frames);
  std::size_t expectedOffset = 6 + 16 * frames.size();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    std::vector<std::uint8_t> alone;
    ASSERT_TRUE(WriteIconImage(*frames[i].image, frames[i].format, alone, {}).ok());
    EXPECT_EQ(U32At(file, 6 + 16 * i + 12), expectedOffset) << i;
    const Bytes block = ImageBlock(file, i);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), alone.begin(), alone.end())) << i;
    expectedOffset += alone.size();
  }
  EXPECT_EQ(file.size(), expectedOffset);
}

TEST(IcoLayout, OneImageFilesPutTheImageAt22) {
  CDib image;
  MakeImage(image, 7, 9, MixedPixel);
  std::vector<std::uint8_t> out = {0xAA};
  ASSERT_TRUE(WriteOneImageIconFile(out, image, 24, 3, 4).ok());
  EXPECT_EQ(out[0], 0xAA) << "appended";
  const std::vector<std::uint8_t> file(out.begin() + 1, out.end());
  EXPECT_EQ(U16At(file, 2), 2) << "a hotspot makes it a cursor";
  EXPECT_EQ(U16At(file, 4), 1);
  EXPECT_EQ(U32At(file, 18), 22u);
}

// --- Writers: threshold, matte, palettes ----------------------------------------------------

TEST(IcoWriters, AlphaBelowTheLevelIsTransparentInFormatsWithoutAlpha) {
  CDib image;
  MakeImage(image, 2, 1, [](int x, int) { return x == 0 ? Pixel{0x54FFFFFF} : 0x55FFFFFF; });
  for (const int format : {1, 4, 8, 24}) {
    auto read = ReadIconFile(WriteOne(image, format));
    ASSERT_TRUE(read.ok());
    const CDib& back = read->frames[0].image;
    EXPECT_EQ(back.GetPixel(0, 0), 0u) << "alpha 84 in format " << format;
    EXPECT_TRUE(IsOpaque(back.GetPixel(1, 0))) << "alpha 85 in format " << format;
  }
  auto read = ReadIconFile(WriteOne(image, 32));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].image.GetPixel(0, 0), 0x54FFFFFFu) << "format 32 keeps alpha 84";

  IconWriteOptions strict;
  strict.alphaLevel = 86;
  read = ReadIconFile(WriteOne(image, 24, strict));
  EXPECT_EQ(read->frames[0].image.GetPixel(1, 0), 0u) << "the level is a parameter";
}

TEST(IcoWriters, PartialAlphaIsFlattenedOntoTheMatte) {
  CDib image;
  MakeImage(image, 1, 1, [](int, int) { return Pixel{0x80FF0000}; });
  auto file = WriteOne(image, 24);
  const std::size_t pixel = 22 + 40;
  EXPECT_EQ(file[pixel], 0x6E) << "blue";
  EXPECT_EQ(file[pixel + 1], 0x6E) << "green";
  EXPECT_EQ(file[pixel + 2], 0xEE) << "red";

  IconWriteOptions blueMatte;
  blueMatte.matteColor = 0xFF0000;  // platform 0x00BBGGRR: pure blue
  file = WriteOne(image, 24, blueMatte);
  EXPECT_EQ(file[pixel], 0x7F);
  EXPECT_EQ(file[pixel + 2], 0x80);

  auto read = ReadIconFile(WriteOne(image, 8));
  EXPECT_EQ(read->frames[0].image.GetPixel(0, 0), 0xFFEE6E6Eu) << "format 8 flattens too";
}

TEST(IcoWriters, EightBitReservesIndexZeroForTransparentPixels) {
  CDib image;
  MakeImage(image, 4, 2, [](int x, int y) {
    if (x == 3) return Pixel{0x00000000};
    return Pixel{y == 0 ? 0xFF000000 : 0xFF00FF00};  // black takes index 0 in the reduction
  });
  const auto file = WriteOne(image, 8);
  const std::size_t palette = 22 + 40;
  EXPECT_EQ(U32At(file, palette), 0u) << "entry 0 is (0, 0, 0, 0)";
  const std::size_t rows = palette + 1024;
  // Bottom-up: file row 0 is image row 1 (green), file row 1 is image row 0 (black).
  EXPECT_EQ(file[rows + 3], 0) << "transparent pixel: index 0";
  EXPECT_NE(file[rows + 4], 0) << "black moved away from index 0";
  EXPECT_EQ(U32At(file, palette + 4 * file[rows + 4]), 0u);
  EXPECT_EQ(U32At(file, palette + 4 * file[rows]), 0x0000FF00u);
  EXPECT_EQ(file[rows + 8], 0x10) << "mask row: only x = 3";
}

TEST(IcoWriters, RoundTripsInEveryFormatAtOddSizes) {
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 5}, {17, 9}, {33, 31}, {70, 3}}) {
    SCOPED_TRACE(::testing::Message() << w << "x" << h);
    // Colours every format holds exactly: black, white and system colours, opaque or clear.
    CDib image;
    MakeImage(image, w, h, [](int x, int y) -> Pixel {
      if ((x + 2 * y) % 5 == 0) return 0;
      return (x * 7 + y) % 3 == 0 ? 0xFFFFFFFF : (x + y) % 2 == 0 ? 0xFF000000 : 0xFF808000;
    });
    for (const int format : {4, 8, 24, 32}) {
      auto read = ReadIconFile(WriteOne(image, format));
      ASSERT_TRUE(read.ok()) << format;
      EXPECT_EQ(read->frames[0].format, format);
      EXPECT_EQ(PixelsOf(read->frames[0].image), PixelsOf(image)) << format;
    }
    auto read = ReadIconFile(WriteOne(image, 1));
    ASSERT_TRUE(read.ok());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Pixel v = image.GetPixel(x, y);
        const Pixel mono = v == 0 ? 0 : v == 0xFF000000 ? 0xFF000000 : 0xFFFFFFFF;
        EXPECT_EQ(read->frames[0].image.GetPixel(x, y), mono);
      }
    }
    // Format 32 keeps every alpha, and the colour of partly transparent pixels.
    MakeImage(image, w, h, MixedPixel);
    read = ReadIconFile(WriteOne(image, 32));
    ASSERT_TRUE(read.ok());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Pixel v = image.GetPixel(x, y);
        EXPECT_EQ(read->frames[0].image.GetPixel(x, y), IsTransparent(v) ? 0 : v);
      }
    }
  }
}

TEST(IcoWriters, WriteTheWholeImageWhateverTheClip) {
  CDib image;
  MakeImage(image, 9, 6, [](int x, int) { return x < 4 ? Pixel{0xFF000080} : 0xFFFFFF00; });
  image.clip = {0, 0, 2, 2};
  for (const int format : {4, 8, 24, 32}) {
    auto read = ReadIconFile(WriteOne(image, format));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->frames[0].image.GetPixel(8, 5), 0xFFFFFF00u) << format;
  }
  EXPECT_EQ(image.clip, (Rect{0, 0, 2, 2}));
}

TEST(IcoWriters, PngFormMeasuresExactlyWhatItWrites) {
  CDib image;
  MakeImage(image, 256, 256, MixedPixel);
  for (const int format : {8, 24, 32}) {
    const Result<std::size_t> measured = WriteImagePng(image, format, nullptr);
    std::vector<std::uint8_t> out;
    const Result<std::size_t> written = WriteImagePng(image, format, &out);
    ASSERT_TRUE(measured.ok() && written.ok());
    EXPECT_EQ(*measured, *written);
    EXPECT_EQ(out.size(), *written);
    EXPECT_EQ(*IconImageLength(image, format), *written);
  }
}

TEST(IcoWriters, PngFormsWithoutAlphaThresholdAndFlatten) {
  CDib image;
  MakeImage(image, 256, 256, [](int x, int) {
    return x == 0 ? Pixel{0x54FF0000} : x == 1 ? 0x80FF0000 : 0xFF0000FF;
  });
  for (const int format : {8, 24}) {
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(WriteImagePng(image, format, &out).ok());
    CDib back;
    const Result<int> depth = LoadPng(out, back);
    ASSERT_TRUE(depth.ok());
    EXPECT_EQ(*depth, format);
    EXPECT_TRUE(IsTransparent(back.GetPixel(0, 0))) << format;
    EXPECT_EQ(back.GetPixel(1, 0), 0xFFEE6E6Eu) << format;
    EXPECT_EQ(back.GetPixel(2, 0), 0xFF0000FFu) << format;
  }
}

TEST(IcoWriters, FailuresLeaveTheOutputAsItWas) {
  CDib image, empty;
  MakeImage(image, 4, 4, MixedPixel);
  std::vector<std::uint8_t> out = {1, 2};
  EXPECT_FALSE(WriteIconFile(out, {}, -1, -1).ok()) << "no frames";
  const std::vector<IconFrameRef> withEmpty = {{&image, 32}, {&empty, 32}};
  const Status st = WriteIconFile(out, withEmpty, -1, -1);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("image 2"), std::string::npos) << st.message();
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_FALSE(WriteImage24(empty, out).ok());
  EXPECT_EQ(out.size(), 2u);
}

TEST(IcoFile, SaveReplacesTheFileOnlyOnSuccess) {
  testing::TempDir dir;
  CDib image, empty;
  MakeImage(image, 16, 16, MixedPixel);
  const std::vector<IconFrameRef> frames = {{&image, 32}};
  ASSERT_TRUE(WriteIconFile(dir / "a.ico", frames, -1, -1).ok());
  const auto before = testing::ReadAll(dir / "a.ico");
  const std::vector<IconFrameRef> bad = {{&image, 8}, {&empty, 32}};
  EXPECT_FALSE(WriteIconFile(dir / "a.ico", bad, -1, -1).ok());
  EXPECT_EQ(testing::ReadAll(dir / "a.ico"), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  auto read = ReadIconFile(dir / "a.ico");
  ASSERT_TRUE(read.ok());
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const Pixel v = image.GetPixel(x, y);
      EXPECT_EQ(read->frames[0].image.GetPixel(x, y), IsTransparent(v) ? 0 : v);
    }
  }
  EXPECT_EQ(ReadIconFile(dir / "missing.ico").status().code(), ErrorCode::kCannotOpen);
}

// --- Cursors ----------------------------------------------------------------------------------

TEST(IcoCursor, HotspotFillsEveryEntryAndFormatsComeFromTheHeaders) {
  CDib a, b;
  MakeImage(a, 32, 32, MixedPixel);
  MakeImage(b, 16, 16, MixedPixel);
  const auto file = WriteIcon({{&a, 4}, {&b, 24}}, 5, 7);
  EXPECT_EQ(U16At(file, 2), 2);
  for (std::size_t entry = 0; entry < 2; ++entry) {
    EXPECT_EQ(U16At(file, 6 + 16 * entry + 4), 5);
    EXPECT_EQ(U16At(file, 6 + 16 * entry + 6), 7);
  }
  auto read = ReadIconFile(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->type, IconFileType::kCursor);
  EXPECT_EQ(read->hotspotX, 5);
  EXPECT_EQ(read->hotspotY, 7);
  ASSERT_EQ(read->frames.size(), 2u);
  EXPECT_EQ(read->frames[0].format, 4);
  EXPECT_EQ(read->frames[1].format, 24);
  EXPECT_EQ(read->frames[1].hotspotX, 5);
}

TEST(IcoCursor, HotspotOutsideTheFieldRangeIsClamped) {
  CDib a;
  MakeImage(a, 8, 8, MixedPixel);
  const auto file = WriteIcon({{&a, 32}}, kNotSet, 70000);
  EXPECT_EQ(U16At(file, 2), 2);
  EXPECT_EQ(U16At(file, 10), 0);
  EXPECT_EQ(U16At(file, 12), 0xFFFF);
}

TEST(IcoCursor, PngImagesInCursorsCountAs32) {
  CDib image;
  MakeImage(image, 256, 256, MixedPixel);
  const auto file = WriteIcon({{&image, 24}}, 1, 2);
  auto read = ReadIconFile(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].format, 32);
}

}  // namespace
}  // namespace morvane
