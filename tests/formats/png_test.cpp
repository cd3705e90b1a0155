#include "formats/png_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "format_test_support.h"
#include "formats/file_io.h"
#include "png_test_support.h"
#include "support/mutations.h"

namespace morvane {
namespace {

using testing::FindChunk;
using testing::ListPngChunks;
using testing::MakeImage;
using testing::MakeRawPng;
using testing::MixedPixel;
using testing::PixelsOf;
using testing::RawPng;

Result<int> Load(const std::vector<std::uint8_t>& png, CDib& image) {
  return LoadPng(png, image);
}

std::vector<std::uint8_t> Encode(const CDib& image, int depth) {
  std::vector<std::uint8_t> out;
  const Result<std::size_t> produced = EncodePng(image, depth, out);
  EXPECT_TRUE(produced.ok()) << produced.status().message();
  if (produced.ok()) {
    EXPECT_EQ(*produced, out.size());
  }
  return out;
}

// --- Reading ----------------------------------------------------------------------------------

TEST(PngRead, TwoBitPaletteReportsFourAndUsesPaletteAlphas) {
  RawPng spec;
  spec.width = 4;
  spec.colorType = PNG_COLOR_TYPE_PALETTE;
  spec.bitDepth = 2;
  spec.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
  spec.paletteAlpha = {0, 128};
  spec.rows = {{0b00011011}};
  CDib image;
  const Result<int> depth = Load(MakeRawPng(spec), image);
  ASSERT_TRUE(depth.ok()) << depth.status().message();
  EXPECT_EQ(*depth, 4);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x000A141E, 0x8028323C, 0xFF46505A, 0xFF646E78}));
}

TEST(PngRead, PaletteIndexBeyondThePaletteIsTransparentBlack) {
  RawPng spec;
  spec.width = 2;
  spec.colorType = PNG_COLOR_TYPE_PALETTE;
  spec.palette = {{255, 0, 0}};
  spec.rows = {{0, 7}};
  CDib image;
  ASSERT_TRUE(Load(MakeRawPng(spec), image).ok());
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFFFF0000, 0x00000000}));
}

TEST(PngRead, SixteenBitImagesAreStrippedToTheirHighBytes) {
  RawPng rgba;
  rgba.width = 1;
  rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  rgba.bitDepth = 16;
  rgba.rows = {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x7F, 0xFF}};
  CDib image;
  Result<int> depth = Load(MakeRawPng(rgba), image);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 32);
  EXPECT_EQ(image.GetPixel(0, 0), 0x7F12569Au);

  RawPng grey;
  grey.width = 2;
  grey.colorType = PNG_COLOR_TYPE_GRAY;
  grey.bitDepth = 16;
  grey.rows = {{0xAB, 0xFF, 0x01, 0x00}};
  depth = Load(MakeRawPng(grey), image);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 8) << "16-bit grey goes through the grey ramp as depth 8";
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFFABABAB, 0xFF010101}));
}

TEST(PngRead, GreyAlphaKeepsItsAlphaButReportsEight) {
  RawPng spec;
  spec.width = 2;
  spec.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  spec.rows = {{0x40, 0x80, 0xC0, 0x00}};
  CDib image;
  const Result<int> depth = Load(MakeRawPng(spec), image);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 8);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x80404040, 0x00C0C0C0}));
}

TEST(PngRead, GreyRampsSpreadTheLevelsOverTheFullRange) {
  RawPng spec;
  spec.width = 4;
  spec.colorType = PNG_COLOR_TYPE_GRAY;
  spec.bitDepth = 2;
  spec.rows = {{0b00011011}};
  CDib image;
  ASSERT_TRUE(Load(MakeRawPng(spec), image).ok());
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}));
}

TEST(PngRead, RgbColourKeyMakesExactlyThatColourTransparent) {
  RawPng spec;
  spec.width = 3;
  spec.rows = {{1, 2, 3, 1, 2, 4, 9, 9, 9}};
  spec.key = png_color_16{0, 1, 2, 3, 0};
  CDib image;
  const Result<int> depth = Load(MakeRawPng(spec), image);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 24);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x00010203, 0xFF010204, 0xFF090909}));
}

TEST(PngRead, SixteenBitAndGreyKeysCompareAtTheFilesOwnDepth) {
  // Only the full 16-bit sample equals the key: 0x0102 matches, 0x01FF (same high byte) not.
  RawPng rgb16;
  rgb16.width = 2;
  rgb16.bitDepth = 16;
  rgb16.rows = {{1, 2, 1, 2, 1, 2, 1, 0xFF, 1, 2, 1, 2}};
  rgb16.key = png_color_16{0, 0x0102, 0x0102, 0x0102, 0};
  CDib image;
  ASSERT_TRUE(Load(MakeRawPng(rgb16), image).ok());
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x00010101, 0xFF010101}));

  // A grey key names a grey level, not a palette alpha: level 2 of 4 bits is transparent.
  RawPng grey;
  grey.width = 2;
  grey.colorType = PNG_COLOR_TYPE_GRAY;
  grey.bitDepth = 4;
  grey.rows = {{0x02}};
  grey.key = png_color_16{0, 0, 0, 0, 2};
  const Result<int> depth = Load(MakeRawPng(grey), image);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 4);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF000000, 0x00222222}));
}

TEST(PngRead, InterlacedEqualsNonInterlacedAtOddSizes) {
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 5}, {9, 2}, {13, 17}}) {
    RawPng spec;
    spec.width = w;
    spec.height = h;
    spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < h; ++y) {
      std::vector<std::uint8_t> row;
      for (int x = 0; x < w; ++x) {
        const Pixel v = MixedPixel(x, y);
        row.insert(row.end(),
                   {static_cast<std::uint8_t>(RedOf(v)), static_cast<std::uint8_t>(GreenOf(v)),
                    static_cast<std::uint8_t>(BlueOf(v)), static_cast<std::uint8_t>(AlphaOf(v))});
      }
      spec.rows.push_back(row);
    }
    CDib plain, interlaced;
    ASSERT_TRUE(Load(MakeRawPng(spec), plain).ok());
    spec.interlaced = true;
    ASSERT_TRUE(Load(MakeRawPng(spec), interlaced).ok());
    EXPECT_EQ(PixelsOf(interlaced), PixelsOf(plain)) << w << "x" << h;
    EXPECT_EQ(plain.GetPixel(w - 1, h - 1), MixedPixel(w - 1, h - 1));
  }
}

TEST(PngRead, RefusesPicturesOverOneGibibyteBeforeAllocating) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  // 20000 x 20000 RGBA: 1.6 GB of pixels; no IDAT needed to be refused.
  testing::AppendPngChunk(png, "IHDR", {0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20, 8, 6, 0, 0, 0});
  testing::AppendPngChunk(png, "IDAT", {});
  CDib image;
  const Result<int> depth = Load(png, image);
  ASSERT_FALSE(depth.ok());
  EXPECT_EQ(depth.status().code(), ErrorCode::kTooLarge);
  EXPECT_TRUE(image.IsEmpty());
}

TEST(PngRead, RejectsNonPngAndTruncatedStreams) {
  CDib image;
  EXPECT_EQ(Load({}, image).status().code(), ErrorCode::kBadFormat);
  EXPECT_EQ(Load({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, image).status().code(),
            ErrorCode::kBadFormat);
  CDib source;
  MakeImage(source, 5, 5, MixedPixel);
  const std::vector<std::uint8_t> png = Encode(source, 32);
  ASSERT_GT(png.size(), 20u);
  const std::vector<std::uint8_t> shortened(png.begin(), png.end() - 20);
  const Result<int> cut = Load(shortened, image);
  EXPECT_EQ(cut.status().code(), ErrorCode::kTruncated) << cut.status().message();
  EXPECT_NE(cut.status().message().find("read Error"), std::string::npos);
  EXPECT_TRUE(image.IsEmpty());
}

// Rebuilds a stream with one bit of one chunk's data flipped and the CRC made right again, so
// the mutation gets past the CRC check into the decoder.
std::vector<std::uint8_t> WithChunkBitFlipped(const std::vector<testing::PngChunk>& chunks,
                                              std::size_t chunk, std::size_t bit) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    std::vector<std::uint8_t> data = chunks[i].data;
    if (i == chunk) data[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    testing::AppendPngChunk(png, chunks[i].type.c_str(), data);
  }
  return png;
}

TEST(PngRead, EveryBitFlipAndTruncationFailsCleanlyOrDecodes) {
  CDib source;
  MakeImage(source, 7, 5, MixedPixel);
  for (const int depth : {4, 8, 24, 32}) {
    const std::vector<std::uint8_t> png = Encode(source, depth);
    int decoded = 0;
    auto check = [&](std::span<const std::uint8_t> bytes) {
      CDib image;
      const Result<int> read = LoadPng(bytes, image);
      if (read.ok()) {
        ++decoded;
        EXPECT_TRUE(image.IsLive());
      } else {
        EXPECT_TRUE(image.IsEmpty());
      }
    };
    testing::ForEachBitFlip(png, check);
    testing::ForEachTruncation(png, check);
    const auto chunks = ListPngChunks(png);
    for (std::size_t c = 0; c < chunks.size(); ++c) {
      for (std::size_t bit = 0; bit < chunks[c].data.size() * 8; ++bit) {
        check(WithChunkBitFlipped(chunks, c, bit));
      }
    }
    EXPECT_GT(decoded, 0) << "flips behind a corrected CRC partly decode";
  }
}

// --- Writing ----------------------------------------------------------------------------------

TEST(PngWrite, KeyColourIsTheFirstUnusedColourFromOne) {
  CDib image;
  // Uses every colour from 0x000001 to 0x0000FF, plus one transparent pixel.
  MakeImage(image, 16, 16, [](int x, int y) {
    const int i = y * 16 + x;
    return i == 0 ? Pixel{0x00000000} : MakePixel(255, 0, 0, static_cast<std::uint32_t>(i));
  });
  const std::vector<std::uint8_t> png = Encode(image, 24);
  const auto chunks = ListPngChunks(png);
  const testing::PngChunk* trns = FindChunk(chunks, "tRNS");
  ASSERT_NE(trns, nullptr);
  EXPECT_EQ(trns->data, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0})) << "key 0x000100";
  CDib back;
  const Result<int> depth = Load(png, back);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 24);
  EXPECT_EQ(back.GetPixel(0, 0), 0x00000100u) << "transparent pixels carry the key colour";
  EXPECT_EQ(back.GetPixel(5, 0), 0xFF000005u);
}

TEST(PngWrite, TwentyFourBitDropsPartialAlpha) {
  CDib image;
  MakeImage(image, 2, 1, [](int x, int) { return x == 0 ? Pixel{0x80123456} : 0x00FFFFFF; });
  CDib back;
  ASSERT_TRUE(Load(Encode(image, 24), back).ok());
  EXPECT_EQ(back.GetPixel(0, 0), 0xFF123456u);
  EXPECT_EQ(back.GetPixel(1, 0), 0x00000001u) << "key: white is used, 0x000001 is free";
}

TEST(PngWrite, DepthBelowFourWritesAFourBitPaletteWithOneTransparentEntry) {
  CDib image;
  MakeImage(image, 3, 2, [](int x, int) { return x == 0 ? Pixel{0} : 0xFF800000; });
  const std::vector<std::uint8_t> png = Encode(image, 1);
  const auto chunks = ListPngChunks(png);
  ASSERT_FALSE(chunks.empty());
  EXPECT_EQ(chunks[0].data[8], 4) << "bit depth";
  EXPECT_EQ(chunks[0].data[9], PNG_COLOR_TYPE_PALETTE);
  ASSERT_NE(FindChunk(chunks, "PLTE"), nullptr);
  EXPECT_EQ(FindChunk(chunks, "PLTE")->data.size(), 16u * 3);
  ASSERT_NE(FindChunk(chunks, "tRNS"), nullptr);
  EXPECT_EQ(FindChunk(chunks, "tRNS")->data, std::vector<std::uint8_t>{0});
  CDib back;
  const Result<int> depth = Load(png, back);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 4);
  EXPECT_EQ(PixelsOf(back),
            (std::vector<Pixel>{0, 0xFF800000, 0xFF800000, 0, 0xFF800000, 0xFF800000}));
}

TEST(PngWrite, EightBitPaletteKeepsIndexZeroForTransparency) {
  CDib image;
  MakeImage(image, 9, 7, [](int x, int y) {
    if ((x + y) % 4 == 0) return Pixel{0x00123456};
    return MakePixel(x % 3 == 0 ? 0x40 : 0xFF, static_cast<std::uint32_t>(x * 20),
                     static_cast<std::uint32_t>(y * 30), 7);
  });
  const std::vector<std::uint8_t> png = Encode(image, 8);
  const auto chunks = ListPngChunks(png);
  EXPECT_EQ(chunks[0].data[8], 8);
  EXPECT_EQ(FindChunk(chunks, "PLTE")->data.size(), 256u * 3);
  CDib back;
  ASSERT_TRUE(Load(png, back).ok());
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 9; ++x) {
      const Pixel v = image.GetPixel(x, y);
      const Pixel expected = IsTransparent(v) ? 0 : (v | 0xFF000000);
      EXPECT_EQ(back.GetPixel(x, y), expected) << x << "," << y << ": few colours stay exact";
    }
  }
}

TEST(PngWrite, RoundTripsAtOddSizesInEveryDepth) {
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 7}, {17, 5}, {33, 2}}) {
    CDib image;
    MakeImage(image, w, h, MixedPixel);
    CDib back;
    ASSERT_TRUE(Load(Encode(image, 32), back).ok());
    EXPECT_EQ(PixelsOf(back), PixelsOf(image)) << w << "x" << h;

    ASSERT_TRUE(Load(Encode(image, 24), back).ok());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const Pixel v = image.GetPixel(x, y);
        if (IsTransparent(v)) {
          EXPECT_TRUE(IsTransparent(back.GetPixel(x, y)));
        } else {
          EXPECT_EQ(back.GetPixel(x, y), v | 0xFF000000);
        }
      }
    }
    for (const int depth : {4, 8}) {
      ASSERT_TRUE(Load(Encode(image, depth), back).ok());
      ASSERT_EQ(back.GetWidth(), w);
      ASSERT_EQ(back.GetHeight(), h);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          EXPECT_EQ(IsTransparent(back.GetPixel(x, y)), IsTransparent(image.GetPixel(x, y)));
        }
      }
    }
  }
}

TEST(PngWrite, EncodesTheWholeImageWhateverTheClip) {
  CDib image;
  MakeImage(image, 6, 4, MixedPixel);
  const std::vector<Pixel> pixels = PixelsOf(image);
  image.clip = {1, 1, 3, 2};
  CDib back;
  ASSERT_TRUE(Load(Encode(image, 32), back).ok());
  EXPECT_EQ(PixelsOf(back), pixels);
  EXPECT_EQ(image.clip, (Rect{1, 1, 3, 2})) << "the caller's clip is left alone";
}

TEST(PngWrite, MeasuringGivesTheExactLengthWithoutStoring) {
  CDib image;
  MakeImage(image, 19, 11, MixedPixel);
  for (const int depth : {4, 8, 24, 32}) {
    const Result<std::size_t> measured = MeasurePng(image, depth);
    ASSERT_TRUE(measured.ok());
    EXPECT_EQ(*measured, Encode(image, depth).size()) << depth;
  }
}

TEST(PngWrite, AStreamBeyondTheCapacityFailsAndLeavesTheBufferAsItWas) {
  CDib image;
  MakeImage(image, 8, 8, MixedPixel);
  std::vector<std::uint8_t> out = {1, 2, 3};
  const Result<std::size_t> produced = EncodePng(image, 32, out, 40);
  ASSERT_FALSE(produced.ok());
  EXPECT_NE(produced.status().message().find("write Error (not enough memory"), std::string::npos);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3}));

  const std::size_t exact = *MeasurePng(image, 32);
  EXPECT_TRUE(EncodePng(image, 32, out, exact).ok()) << "exactly the capacity is enough";
  EXPECT_EQ(out.size(), 3 + exact);
}

// The filter byte of each row, from the inflated image data of one of our streams.
std::vector<int> RowFilters(const std::vector<std::uint8_t>& png, std::size_t rowBytes, int rows) {
  std::vector<std::uint8_t> z;
  for (const auto& chunk : ListPngChunks(png)) {
    if (chunk.type == "IDAT") z.insert(z.end(), chunk.data.begin(), chunk.data.end());
  }
  std::vector<std::uint8_t> raw((rowBytes + 1) * static_cast<std::size_t>(rows));
  uLongf length = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(raw.data(), &length, z.data(), static_cast<uLong>(z.size())), Z_OK);
  EXPECT_EQ(length, raw.size());
  std::vector<int> filters;
  for (int y = 0; y < rows; ++y) filters.push_back(raw[y * (rowBytes + 1)]);
  return filters;
}

TEST(PngWrite, EachTrueColourRowTakesTheFilterThatLeavesTheSmallestSum) {
  // Row 0 is one colour: Sub leaves only the first pixel (10+20+30+1 = 61, alpha 0xFF counting
  // as -1) against 4 * 61 unfiltered; Paeth ties with Sub and the earlier filter wins. Row 1
  // repeats row 0, so Up leaves nothing. Row 2 is transparent black: unfiltered it is all zero.
  CDib image;
  MakeImage(image, 4, 3, [](int, int y) { return y < 2 ? 0xFF0A141E : 0x00000000; });
  const std::vector<std::uint8_t> png = Encode(image, 32);
  EXPECT_EQ(RowFilters(png, 16, 3), (std::vector<int>{1, 2, 0}));
  CDib back;
  ASSERT_TRUE(Load(png, back).ok());
  EXPECT_EQ(PixelsOf(back), PixelsOf(image));

  // Palette rows are stored unfiltered.
  EXPECT_EQ(RowFilters(Encode(image, 8), 4, 3), (std::vector<int>{0, 0, 0}));
}

TEST(PngWrite, EveryFilterIsChosenWhereItPredictsBest) {
  // Grey levels, the same in every channel. Row 0 is flat (Sub). Row 1 halves the distance to
  // the 200 above at each step, which Average predicts exactly. Row 2 repeats row 1 (Up; Paeth
  // ties and the earlier filter wins). Row 4 is flat where row 3 is flat and copies row 3 where
  // row 3 alternates: only Paeth follows both (what is left is its first pixel, 77 - 10).
  const std::vector<std::vector<int>> levels = {{200, 200, 200, 200, 200, 200, 200, 200},
                                                {100, 150, 175, 187, 193, 196, 198, 199},
                                                {100, 150, 175, 187, 193, 196, 198, 199},
                                                {10, 10, 10, 10, 200, 10, 200, 10},
                                                {77, 77, 77, 77, 200, 10, 200, 10}};
  CDib image;
  MakeImage(image, 8, 5,
            [&](int x, int y) { return static_cast<Pixel>(levels[y][x]) * 0x01010101u; });
  for (const int depth : {24, 32}) {
    const std::vector<std::uint8_t> png = Encode(image, depth);
    const std::vector<int> filters = RowFilters(png, 8 * static_cast<std::size_t>(depth / 8), 5);
    ASSERT_EQ(filters.size(), 5u);
    EXPECT_EQ(filters[0], 1) << depth;
    EXPECT_EQ(filters[1], 3) << depth;
    EXPECT_EQ(filters[2], 2) << depth;
    EXPECT_EQ(filters[4], 4) << depth;
    CDib back;
    ASSERT_TRUE(Load(png, back).ok());
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 8; ++x) {
        const Pixel v = image.GetPixel(x, y);
        EXPECT_EQ(back.GetPixel(x, y), depth == 32 ? v : v | 0xFF000000) << x << "," << y;
      }
    }
  }
}

TEST(PngWrite, LargeImageDataIsSplitIntoChunksOfAtMostOneMebibyte) {
  std::uint32_t seed = 7;
  CDib image;
  MakeImage(image, 700, 600, [&](int, int) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<Pixel>(seed);
  });
  const std::vector<std::uint8_t> png = Encode(image, 32);
  int idat = 0;
  for (const auto& chunk : ListPngChunks(png)) {
    if (chunk.type != "IDAT") continue;
    ++idat;
    EXPECT_LE(chunk.data.size(), std::size_t{1} << 20);
  }
  EXPECT_GE(idat, 2);
  EXPECT_EQ(ListPngChunks(png).back().type, "IEND");
  CDib back;
  ASSERT_TRUE(Load(png, back).ok()) << "libpng checks every chunk's CRC";
  EXPECT_EQ(PixelsOf(back), PixelsOf(image));
}

TEST(PngWrite, EmptyImageIsRefused) {
  CDib empty;
  std::vector<std::uint8_t> out;
  EXPECT_FALSE(EncodePng(empty, 32, out).ok());
  EXPECT_TRUE(out.empty());
}

// --- Files ------------------------------------------------------------------------------------

TEST(PngFile, SavesAtomicallyAndLoadsAtAnOffset) {
  testing::TempDir dir;
  CDib image;
  MakeImage(image, 5, 3, MixedPixel);
  ASSERT_TRUE(SavePngFile(dir / "a.png", image, 32).ok());

  std::vector<std::uint8_t> embedded = {'j', 'u', 'n', 'k'};
  const std::vector<std::uint8_t> png = testing::ReadAll(dir / "a.png");
  embedded.insert(embedded.end(), png.begin(), png.end());
  testing::WriteAll(dir / "b.bin", embedded);
  CDib back;
  const Result<int> depth = LoadPngFile(dir / "b.bin", 4, back);
  ASSERT_TRUE(depth.ok()) << depth.status().message();
  EXPECT_EQ(PixelsOf(back), PixelsOf(image));
  EXPECT_FALSE(LoadPngFile(dir / "b.bin", 0, back).ok());
  EXPECT_EQ(LoadPngFile(dir / "b.bin", 1000, back).status().code(), ErrorCode::kTruncated);
  EXPECT_EQ(LoadPngFile(dir / "none.png", 0, back).status().code(), ErrorCode::kCannotOpen);

  // A save that cannot encode leaves the existing file as it was.
  CDib empty;
  EXPECT_FALSE(SavePngFile(dir / "a.png", empty, 32).ok());
  EXPECT_EQ(testing::ReadAll(dir / "a.png"), png);
}

}  // namespace
}  // namespace morvane
