#include "formats/bmp_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "format_test_support.h"
#include "formats/png_codec.h"
#include "image/byte_sink.h"
#include "support/mutations.h"

namespace morvane {
namespace {

using testing::MakeImage;
using testing::PixelsOf;
using testing::ReadAll;
using testing::SharedData;

// A BMP built field by field, so each test states exactly the file it feeds the reader.
struct RawBmp {
  std::uint32_t headerSize = 40;
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::array<std::uint8_t, 3>> palette;  // (blue, green, red)
  std::uint32_t gap = 0;                             // bytes between palette and rows
  bool zeroDataOffset = false;
  std::vector<std::vector<std::uint8_t>> rows;  // in file order, unpadded
};

std::vector<std::uint8_t> MakeBmp(const RawBmp& b) {
  std::vector<std::uint8_t> file;
  file.reserve(4096);  // also keeps GCC 12 from a false stringop-overflow warning on insert
  ByteSink out(file);
  const std::uint32_t entryBytes = b.headerSize == 12 ? 3 : 4;
  const auto dataOffset =
      static_cast<std::uint32_t>(14 + b.headerSize + entryBytes * b.palette.size() + b.gap);
  out.Tag("BM");
  out.U32(0);  // file size: readers must not need it
  out.U32(0);
  out.U32(b.zeroDataOffset ? 0 : dataOffset);
  out.U32(b.headerSize);
  if (b.headerSize == 12) {
    out.U16(static_cast<std::uint16_t>(b.width));
    out.U16(static_cast<std::uint16_t>(b.height));
    out.U16(1);
    out.U16(b.bitCount);
  } else {
    out.I32(b.width);
    out.I32(b.height);
    out.U16(1);
    out.U16(b.bitCount);
    out.U32(b.compression);
    out.Zeros(12);
    out.U32(b.colorsUsed);
    out.U32(0);
    if (b.headerSize > 40) out.Zeros(b.headerSize - 40);
  }
  for (const auto& e : b.palette) {
    out.Bytes(e);
    if (entryBytes == 4) out.U8(0x55);  // the reserved byte is not alpha
  }
  out.Zeros(b.gap);
  for (const auto& row : b.rows) {
    out.Bytes(row);
    out.Zeros((4 - row.size() % 4) % 4);
  }
  return file;
}

Result<int> Load(const std::vector<std::uint8_t>& file, CDib& image) {
  return LoadBmp(file, image);
}

constexpr Pixel kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00, kRed = 0xFFFF0000, kGrey = 0xFF808080;

// --- Reading hand-built files -----------------------------------------------------------------

TEST(BmpRead, OneBitImagesUseTheirPalette) {
  RawBmp b;
  b.width = 10;
  b.height = 2;
  b.bitCount = 1;
  b.palette = {{255, 0, 0}, {0, 255, 255}};                       // blue, yellow
  b.rows = {{0b10000000, 0b01000000}, {0b01010101, 0b11000000}};  // bottom row first
  CDib image;
  const Result<int> depth = Load(MakeBmp(b), image);
  ASSERT_TRUE(depth.ok()) << depth.status().message();
  EXPECT_EQ(*depth, 1);
  const Pixel B = kBlue, Y = kYellow;
  EXPECT_EQ(PixelsOf(image),
            (std::vector<Pixel>{B, Y, B, Y, B, Y, B, Y, Y, Y, Y, B, B, B, B, B, B, B, B, Y}));
}

TEST(BmpRead, FourAndEightBitIndicesWithPaletteAndBlackBeyondIt) {
  RawBmp four;
  four.width = 3;
  four.bitCount = 4;
  four.colorsUsed = 2;
  four.palette = {{0, 0, 255}, {128, 128, 128}};
  four.rows = {{0x01, 0x50}};  // 0, 1 | 5 (past the two colours)
  CDib image;
  ASSERT_EQ(*Load(MakeBmp(four), image), 4);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{kRed, kGrey, 0xFF000000}));

  RawBmp eight = four;
  eight.bitCount = 8;
  eight.rows = {{1, 0, 200}};
  ASSERT_EQ(*Load(MakeBmp(eight), image), 8);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{kGrey, kRed, 0xFF000000}));
}

TEST(BmpRead, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
  RawBmp b;
  b.width = 2;
  b.height = 2;
  b.rows = {{255, 0, 0, 0, 255, 255}, {0, 0, 255, 128, 128, 128}};
  CDib image;
  ASSERT_EQ(*Load(MakeBmp(b), image), 24);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{kRed, kGrey, kBlue, kYellow}));
}

TEST(BmpRead, ThirtyTwoBitKeepsAlphaUnlessNoPixelHasAny) {
  RawBmp b;
  b.width = 2;
  b.bitCount = 32;
  b.rows = {{1, 2, 3, 0, 4, 5, 6, 0x80}};
  CDib image;
  ASSERT_EQ(*Load(MakeBmp(b), image), 32);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x00030201, 0x80060504}));

  b.rows = {{1, 2, 3, 0, 4, 5, 6, 0}};
  ASSERT_EQ(*Load(MakeBmp(b), image), 32);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF030201, 0xFF060504}))
      << "all alpha bytes 0: an image without alpha, not an invisible one";
}

TEST(BmpRead, TopDownRowsAndCoreHeaders) {
  RawBmp b;
  b.width = 1;
  b.height = -2;
  b.rows = {{0, 0, 255}, {255, 0, 0}};
  CDib image;
  ASSERT_TRUE(Load(MakeBmp(b), image).ok());
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{kRed, kBlue}));

  RawBmp core;
  core.headerSize = 12;
  core.width = 2;
  core.height = 1;
  core.bitCount = 8;
  core.palette.assign(256, {0, 0, 0});
  core.palette[7] = {255, 0, 0};
  core.rows = {{7, 0}};
  ASSERT_EQ(*Load(MakeBmp(core), image), 8);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{kBlue, 0xFF000000}));
}

TEST(BmpRead, RowsStartAtTheDataOffset) {
  RawBmp b;
  b.bitCount = 8;
  b.colorsUsed = 1;
  b.palette = {{0, 0, 255}};
  b.gap = 6;
  b.rows = {{0}};
  CDib image;
  ASSERT_TRUE(Load(MakeBmp(b), image).ok());
  EXPECT_EQ(image.GetPixel(0, 0), kRed);
  // A file that leaves the offset 0 has its rows right after the palette.
  b.gap = 0;
  b.zeroDataOffset = true;
  ASSERT_TRUE(Load(MakeBmp(b), image).ok());
  EXPECT_EQ(image.GetPixel(0, 0), kRed);
}

TEST(BmpRead, RefusesWhatItDoesNotRead) {
  struct Case {
    const char* what;
    RawBmp bmp;
    ErrorCode code;
  };
  RawBmp base;
  base.width = 4;
  base.height = 2;
  base.bitCount = 8;
  base.palette = {{1, 2, 3}};
  base.colorsUsed = 1;
  base.rows = {{0, 0, 0, 0}, {0, 0, 0, 0}};
  std::vector<Case> cases;
  auto add = [&](const char* what, ErrorCode code, auto change) {
    RawBmp b = base;
    change(b);
    cases.push_back({what, b, code});
  };
  add("RLE8", ErrorCode::kUnsupported, [](RawBmp& b) { b.compression = 1; });
  add("bit fields", ErrorCode::kUnsupported, [](RawBmp& b) { b.compression = 3; });
  add("2 bits", ErrorCode::kUnsupported, [](RawBmp& b) { b.bitCount = 2; });
  add("16 bits", ErrorCode::kUnsupported, [](RawBmp& b) { b.bitCount = 16; });
  add("short rows", ErrorCode::kTruncated, [](RawBmp& b) { b.rows.pop_back(); });
  add("zero width", ErrorCode::kBadFormat, [](RawBmp& b) { b.width = 0; });
  add("zero height", ErrorCode::kBadFormat, [](RawBmp& b) { b.height = 0; });
  add("negative width", ErrorCode::kBadFormat, [](RawBmp& b) { b.width = -4; });
  add("300 colours", ErrorCode::kBadFormat, [](RawBmp& b) { b.colorsUsed = 300; });
  add("palette past the end", ErrorCode::kTruncated, [](RawBmp& b) {
    b.colorsUsed = 200;
    b.rows.clear();
  });
  add("header size 20", ErrorCode::kBadFormat, [](RawBmp& b) { b.headerSize = 20; });
  add("over 1 GiB", ErrorCode::kTooLarge, [](RawBmp& b) {
    b.width = 16385;
    b.height = 16384;
    b.bitCount = 32;
    b.rows.clear();
  });
  add("height -2^31", ErrorCode::kTooLarge, [](RawBmp& b) {
    b.height = INT32_MIN;
    b.rows.clear();
  });
  for (const Case& c : cases) {
    CDib image;
    MakeImage(image, 1, 1, [](int, int) { return 0xFF445566u; });
    const Result<int> depth = Load(MakeBmp(c.bmp), image);
    ASSERT_FALSE(depth.ok()) << c.what;
    EXPECT_EQ(depth.status().code(), c.code) << c.what << ": " << depth.status().message();
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF445566u) << c.what << ": a failed load changes nothing";
  }
  CDib image;
  EXPECT_EQ(Load({'B', 'A', 0, 0}, image).status().code(), ErrorCode::kBadFormat);
  EXPECT_EQ(Load({'B', 'M', 0, 0}, image).status().code(), ErrorCode::kTruncated);
  std::vector<std::uint8_t> shortHeader = MakeBmp(base);
  shortHeader.resize(14 + 30);
  EXPECT_EQ(Load(shortHeader, image).status().code(), ErrorCode::kTruncated);
}

// --- Writing ----------------------------------------------------------------------------------

std::vector<std::uint8_t> Encode(const CDib& image, int bitCount) {
  std::vector<std::uint8_t> out;
  const Status st = EncodeBmp(image, bitCount, out);
  EXPECT_TRUE(st.ok()) << st.message();
  return out;
}

TEST(BmpWrite, RequestedBitCountChoosesTheWriter) {
  CDib image;
  MakeImage(image, 3, 2, [](int x, int y) { return MakePixel(255, x * 80, y * 80, 0); });
  const std::pair<int, int> cases[] = {{1, 4},   {2, 4},   {3, 4},  {4, 4},   {8, 8},
                                       {24, 24}, {32, 32}, {0, 32}, {16, 32}, {-1, 32}};
  for (auto [requested, written] : cases) {
    const std::vector<std::uint8_t> file = Encode(image, requested);
    ASSERT_GT(file.size(), 30u);
    EXPECT_EQ(file[28], written) << "requested " << requested;
  }
}

// Pixels of a small palette, so that the 8-bit reduction keeps them exactly.
Pixel FewColours(int x, int y) {
  const int i = (x * 7 + y * 3) % 40;
  return MakePixel(255, i * 6, 255 - i * 3, (i * 50) & 0xFF);
}

// Colours of the fixed 16-colour palette: the 4-bit writer keeps them exactly.
Pixel SystemColours(int x, int y) {
  static const Pixel colours[] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,
                                  0xFF000080, 0xFFC0C0C0, 0xFFFF0000, 0xFF00FFFF};
  return colours[(x + 3 * y) % 8];
}

TEST(BmpWrite, RoundTripsEveryDepthAtOddSizes) {
  for (int width : {1, 3, 5, 7, 13}) {
    for (int height : {1, 2, 9}) {
      CDib mixed, few, system;
      MakeImage(mixed, width, height, testing::MixedPixel);
      MakeImage(few, width, height, FewColours);
      MakeImage(system, width, height, SystemColours);
      CDib back;
      const std::string size = std::to_string(width) + "x" + std::to_string(height);

      ASSERT_EQ(*Load(Encode(mixed, 32), back), 32) << size;
      const std::vector<Pixel> original = PixelsOf(mixed);
      const bool anyAlpha =
          std::any_of(original.begin(), original.end(), [](Pixel p) { return AlphaOf(p) != 0; });
      if (anyAlpha) {
        EXPECT_EQ(PixelsOf(back), original) << size;
      }

      ASSERT_EQ(*Load(Encode(mixed, 24), back), 24) << size;
      std::vector<Pixel> opaque = original;
      for (Pixel& p : opaque) p |= 0xFF000000u;  // alpha dropped, not flattened
      EXPECT_EQ(PixelsOf(back), opaque) << size;

      ASSERT_EQ(*Load(Encode(few, 8), back), 8) << size;
      EXPECT_EQ(PixelsOf(back), PixelsOf(few)) << size;

      ASSERT_EQ(*Load(Encode(system, 4), back), 4) << size;
      EXPECT_EQ(PixelsOf(back), PixelsOf(system)) << size;
    }
  }
}

TEST(BmpWrite, WritesTheWholeImageWhateverTheClip) {
  CDib image;
  MakeImage(image, 5, 3, testing::MixedPixel);
  const std::vector<std::uint8_t> whole = Encode(image, 32);
  image.clip = {1, 1, 2, 2};
  EXPECT_EQ(Encode(image, 32), whole);
  std::vector<std::uint8_t> out;
  EXPECT_EQ(EncodeBmp(CDib(), 24, out).code(), ErrorCode::kNoImages);
}

TEST(BmpWrite, SaveReplacesTheFileAndLoadReadsIt) {
  testing::TempDir dir;
  CDib image, back;
  MakeImage(image, 7, 5, FewColours);
  ASSERT_TRUE(SaveBmpFile(dir / "a.bmp", image, 8).ok());
  ASSERT_TRUE(SaveBmpFile(dir / "a.bmp", image, 24).ok());
  const Result<int> depth = LoadBmpFile(dir / "a.bmp", back);
  ASSERT_TRUE(depth.ok());
  EXPECT_EQ(*depth, 24);
  EXPECT_EQ(PixelsOf(back), PixelsOf(image));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  EXPECT_EQ(SaveBmpFile(dir / "missing" / "b.bmp", image, 24).code(), ErrorCode::kCannotWrite);
  EXPECT_EQ(LoadBmpFile(dir / "none.bmp", back).status().code(), ErrorCode::kCannotOpen);
}

// --- The BMP suite ----------------------------------------------------------------------------

std::filesystem::path Suite(const std::string& relative) {
  return SharedData("bmp/bmpsuite/" + relative);
}

TEST(BmpSuite, GoodFilesMatchTheReferenceRenderings) {
  struct Case {
    const char* bmp;
    const char* reference;
    int depth;
  };
  const Case cases[] = {
      {"pal1", "pal1", 1},         {"pal1wb", "pal1", 1},
      {"pal1bg", "pal1bg", 1},     {"pal4", "pal4", 4},
      {"pal4gs", "pal4gs", 4},     {"pal8", "pal8", 8},
      {"pal8-0", "pal8", 8},       {"pal8gs", "pal8gs", 8},
      {"pal8w124", "pal8w124", 8}, {"pal8w125", "pal8w125", 8},
      {"pal8w126", "pal8w126", 8}, {"pal8topdown", "pal8", 8},
      {"pal8os2", "pal8", 8},      {"pal8v4", "pal8", 8},
      {"pal8v5", "pal8", 8},       {"pal8nonsquare", "pal8nonsquare-e", 8},
      {"rgb24", "rgb24", 24},      {"rgb24pal", "rgb24", 24},
      {"rgb32", "rgb24", 32},
  };
  for (const Case& c : cases) {
    CDib image, reference;
    const Result<int> depth = LoadBmpFile(Suite(std::string("g/") + c.bmp + ".bmp"), image);
    ASSERT_TRUE(depth.ok()) << c.bmp << ": " << depth.status().message();
    EXPECT_EQ(*depth, c.depth) << c.bmp;
    ASSERT_TRUE(LoadPngFile(Suite(std::string("html/") + c.reference + ".png"), 0, reference).ok());
    ASSERT_EQ(image.GetWidth(), reference.GetWidth()) << c.bmp;
    ASSERT_EQ(image.GetHeight(), reference.GetHeight()) << c.bmp;
    EXPECT_EQ(PixelsOf(image), PixelsOf(reference)) << c.bmp;
  }
}

TEST(BmpSuite, CompressedAndSixteenBitFilesAreRefused) {
  for (const char* name : {"pal4rle", "pal8rle", "rgb16", "rgb16-565", "rgb16-565pal", "rgb16bfdef",
                           "rgb32bf", "rgb32bfdef"}) {
    CDib image;
    const Result<int> depth = LoadBmpFile(Suite(std::string("g/") + name + ".bmp"), image);
    ASSERT_FALSE(depth.ok()) << name;
    EXPECT_EQ(depth.status().code(), ErrorCode::kUnsupported) << name;
  }
}

TEST(BmpSuite, BadAndQuestionableFilesFailCleanlyOrDecode) {
  int failed = 0;
  for (const char* folder : {"b", "q", "x"}) {
    for (const auto& entry : std::filesystem::directory_iterator(Suite(folder))) {
      CDib image;
      const Result<int> depth = LoadBmpFile(entry.path(), image);
      if (depth.ok()) {
        EXPECT_GT(image.GetWidth(), 0) << entry.path();
      } else {
        ++failed;
        EXPECT_FALSE(depth.status().message().empty()) << entry.path();
      }
    }
  }
  EXPECT_GT(failed, 20);
  // The ones that must fail, whatever else a reader tolerates. (A wrong image-size field or an
  // odd info header size does not matter: neither is needed to find the rows.)
  for (const char* name : {"b/badbitcount", "b/badpalettesize", "b/badrle", "b/badwidth",
                           "b/reallybig", "b/shortfile", "b/rgb16-880", "x/ba-bm"}) {
    CDib image;
    EXPECT_FALSE(LoadBmpFile(Suite(std::string(name) + ".bmp"), image).ok()) << name;
  }
}

// --- Hostile input ----------------------------------------------------------------------------

void LoadSurvives(std::span<const std::uint8_t> data) {
  CDib image;
  const Result<int> depth = LoadBmp(data, image);
  if (depth.ok()) {
    EXPECT_TRUE(*depth == 1 || *depth == 4 || *depth == 8 || *depth == 24 || *depth == 32);
    EXPECT_GT(image.GetWidth(), 0);
  } else {
    EXPECT_EQ(image.GetWidth(), 0);
  }
}

TEST(BmpRobustness, EveryBitFlipAndTruncation) {
  for (int bitCount : {4, 8, 32}) {
    CDib image;
    MakeImage(image, 5, 3, testing::MixedPixel);
    const std::vector<std::uint8_t> file = Encode(image, bitCount);
    testing::ForEachBitFlip(file, LoadSurvives);
    testing::ForEachTruncation(file, LoadSurvives);
  }
  const std::vector<std::uint8_t> core = ReadAll(Suite("g/pal8os2.bmp"));
  // A missing suite file fails here instead of cutting a span past the end.
  ASSERT_GE(core.size(), 14u + 12 + 3 * 256 + 8u);
  testing::ForEachBitFlip(core, LoadSurvives, 0, 14 + 12 + 32);
  testing::ForEachTruncation(std::span(core).first(14 + 12 + 3 * 256 + 8), LoadSurvives);
}

}  // namespace
}  // namespace morvane
