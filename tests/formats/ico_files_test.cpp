// The icon reader against files other programs wrote, with the decodes their projects expect,
// and against files made to break readers.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using testing::SharedData;

// Pixels with transparent ones made 0: what a transparent pixel's colour bits hold is not part
// of the picture.
std::vector<Pixel> Visible(const CDib& image) {
  std::vector<Pixel> out = testing::PixelsOf(image);
  for (Pixel& v : out) {
    if (IsTransparent(v)) v = 0;
  }
  return out;
}

std::vector<Pixel> ExpectedPng(const fs::path& path) {
  CDib image;
  const Result<int> read = LoadPng(testing::ReadAll(path), image);
  EXPECT_TRUE(read.ok()) << path << ": " << read.status().message();
  return Visible(image);
}

Result<IconFileContents> ReadShared(const std::string& relative) {
  return ReadIconFile(SharedData(relative));
}

#define SKIP_WITHOUT(relative) \
  if (!fs::exists(SharedData(relative))) GTEST_SKIP() << relative << " not present"

TEST(IcoFiles, IcojsBasicIconInEveryFormat) {
  SKIP_WITHOUT("ico/icojs");
  const auto read = ReadShared("ico/icojs/test-fixtures/images/basic.ico");
  ASSERT_TRUE(read.ok()) << read.status().message();
  const std::pair<const char*, int> expected[] = {
      {"16x16-1bit", 1},   {"32x32-4bit", 4}, {"48x48-8bit", 8},   {"96x96-24bit", 24},
      {"256x256-4bit", 4}, {"5x32-4bit", 4},  {"32x32-32bit", 32},
  };
  ASSERT_EQ(read->frames.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].first);
    EXPECT_EQ(read->frames[i].format, expected[i].second);
    EXPECT_EQ(Visible(read->frames[i].image),
              ExpectedPng(SharedData(std::string("ico/icojs/test-fixtures/images/basic/") +
                                     expected[i].first + ".png")));
  }
}

TEST(IcoFiles, IcojsPaletteIconPngIconAndCursor) {
  SKIP_WITHOUT("ico/icojs");
  const std::string dir = "ico/icojs/test-fixtures/images/";
  auto read = ReadShared(dir + "palette.ico");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(Visible(read->frames[0].image),
            ExpectedPng(SharedData(dir + "palette/32x32-4bit.png")));

  read = ReadShared(dir + "png.ico");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].format, 32) << "bit count 0 and a PNG stream";
  EXPECT_EQ(Visible(read->frames[0].image), ExpectedPng(SharedData(dir + "png/256x256-32bit.png")));

  read = ReadShared(dir + "cursor.cur");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->type, IconFileType::kCursor);
  EXPECT_EQ(read->hotspotX, 2);
  EXPECT_EQ(read->hotspotY, 10);
  ASSERT_EQ(read->frames.size(), 2u);
  EXPECT_EQ(Visible(read->frames[0].image),
            ExpectedPng(SharedData(dir + "cursor/48x48-32bit.png")));
  EXPECT_EQ(Visible(read->frames[1].image),
            ExpectedPng(SharedData(dir + "cursor/32x32-32bit.png")));
}

TEST(IcoFiles, GoIcoFifteenEntriesAndAFourSizeCursor) {
  SKIP_WITHOUT("ico/go-ico");
  auto read = ReadShared("ico/go-ico/testdata/icon.ico");
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read->frames.size(), 15u);
  for (const IconFrame& f : read->frames) {
    const std::string name = "icon_" + std::to_string(f.image.GetWidth()) + "x" +
                             std::to_string(f.image.GetHeight()) + "-" + std::to_string(f.format) +
                             ".png";
    SCOPED_TRACE(name);
    EXPECT_EQ(Visible(f.image), ExpectedPng(SharedData("ico/go-ico/testdata/" + name)));
  }

  read = ReadShared("ico/go-ico/testdata/cursor.cur");
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read->frames.size(), 4u);
  EXPECT_EQ(read->hotspotX, 20);
  EXPECT_EQ(read->hotspotY, 20);
  const int hotspots[] = {20, 10, 5, 3};
  for (std::size_t i = 0; i < 4; ++i) {
    const IconFrame& f = read->frames[i];
    EXPECT_EQ(f.hotspotX, hotspots[i]);
    EXPECT_EQ(f.hotspotY, hotspots[i]);
    EXPECT_EQ(f.format, 32);
    const std::string size = std::to_string(f.image.GetWidth());
    EXPECT_EQ(Visible(f.image), ExpectedPng(SharedData("ico/go-ico/testdata/cursor_" + size + "x" +
                                                       size + "-32.png")));
  }
}

TEST(IcoFiles, ImageRsReferencesMatchAFrameOfTheirFile) {
  SKIP_WITHOUT("ico/image-rs");
  const fs::path references = SharedData("ico/image-rs/reference/ico/images");
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(references)) {
    const std::string icoName = entry.path().stem().string();  // "smile.ico"
    SCOPED_TRACE(icoName);
    const auto read = ReadShared("ico/image-rs/images/ico/images/" + icoName);
    ASSERT_TRUE(read.ok()) << read.status().message();
    const std::vector<Pixel> expected = ExpectedPng(entry.path());
    bool found = false;
    for (const IconFrame& f : read->frames) found = found || Visible(f.image) == expected;
    EXPECT_TRUE(found) << "no frame equals the reference";
    ++checked;
  }
  EXPECT_GE(checked, 9);
}

TEST(IcoFiles, ImageRsFilesWithoutReferencesDecode) {
  SKIP_WITHOUT("ico/image-rs");
  const std::string dir = "ico/image-rs/images/ico/images/";
  auto read = ReadShared(dir + "bmp_v5_with_icc.ico");
  ASSERT_TRUE(read.ok()) << read.status().message();
  EXPECT_EQ(read->frames[0].image.GetWidth(), 127);
  EXPECT_EQ(read->frames[0].image.GetHeight(), 64);
  // Placed after the 124-byte header, the rows line up: the right edge is not a smear of the
  // next row's start.
  EXPECT_TRUE(IsOpaque(read->frames[0].image.GetPixel(126, 63)));

  read = ReadShared(dir + "truncated_mask_32bpp.ico");
  ASSERT_TRUE(read.ok()) << "a 32-bit image does not need its mask";
  EXPECT_EQ(read->frames[0].image.GetWidth(), 64);

  read = ReadShared(dir + "bmp-32bpp-conflicting-and-mask.ico");
  ASSERT_TRUE(read.ok());
  read = ReadShared(dir + "lenient-bpp.ico");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].format, 1) << "bit count 500: the PNG's own depth (1-bit palette)";
  read = ReadShared(dir + "smile.ico");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].format, 4) << "bit count 0: the header's";
}

TEST(IcoFiles, FilesMadeToBreakReadersFailCleanly) {
  SKIP_WITHOUT("ico/image-rs");
  int count = 0;
  // Every image of these is out of bounds or shorter than its header needs.
  for (const char* dir : {"ico/image-rs/bad/ico", "ico/image-rs/regression/ico"}) {
    for (const auto& entry : fs::directory_iterator(SharedData(dir))) {
      SCOPED_TRACE(entry.path().filename().string());
      const auto read = ReadIconFile(entry.path());
      EXPECT_FALSE(read.ok());
      EXPECT_EQ(read.status().code(), ErrorCode::kNoImages);
      ++count;
    }
  }
  EXPECT_GE(count, 4);
}

TEST(IcoFiles, FilesThatOnceCrashedOurReaderFailCleanlyOrDecode) {
  const fs::path dir = testing::OwnData("ico");
  if (!fs::exists(dir)) GTEST_SKIP() << "no file has crashed the reader yet";
  for (const auto& entry : fs::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().filename().string());
    const auto read = ReadIconFile(entry.path());
    if (read.ok()) {
      EXPECT_FALSE(read->frames.empty());
    }
  }
}

}  // namespace
}  // namespace morvane
