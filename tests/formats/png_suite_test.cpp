// The PNG reader against PngSuite: every valid file decodes to the reference RGBA dump, every
// corrupt one (x*.png) fails cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "format_test_support.h"
#include "formats/png_codec.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using testing::PixelsOf;
using testing::ReadAll;
using testing::SharedData;

// The reference dumps are flat JSON arrays of numbers.
std::vector<std::uint32_t> ReadNumberArray(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::uint32_t> values;
  std::uint32_t current = 0;
  bool inNumber = false;
  for (char ch; in.get(ch);) {
    if (std::isdigit(static_cast<unsigned char>(ch)) != 0) {
      current = current * 10 + static_cast<std::uint32_t>(ch - '0');
      inNumber = true;
    } else if (inNumber) {
      values.push_back(current);
      current = 0;
      inNumber = false;
    }
  }
  return values;
}

std::vector<fs::path> SuiteFiles(bool corrupt) {
  std::vector<fs::path> files;
  const fs::path dir = SharedData("png/pngsuite");
  if (!fs::exists(dir)) return files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".png") continue;
    if ((name[0] == 'x') == corrupt) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The reference pixels as 0xAARRGGBB. 16-bit files are dumped with 16-bit samples, of which the
// reader keeps the high byte.
std::vector<Pixel> ExpectedPixels(const fs::path& png) {
  const std::string stem = png.stem().string();
  const std::vector<std::uint32_t> samples =
      ReadNumberArray(SharedData("png/pngsuite-expected-rgba/" + stem + ".json"));
  const int shift = stem.substr(stem.size() - 2) == "16" ? 8 : 0;
  std::vector<Pixel> pixels;
  for (std::size_t i = 0; i + 3 < samples.size(); i += 4) {
    pixels.push_back(MakePixel(samples[i + 3] >> shift, samples[i] >> shift,
                               samples[i + 1] >> shift, samples[i + 2] >> shift));
  }
  return pixels;
}

TEST(PngSuite, ValidFilesDecodeToTheReferencePixels) {
  const auto files = SuiteFiles(false);
  if (files.empty()) GTEST_SKIP() << "PngSuite not present";
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    CDib image;
    const Result<int> depth = LoadPng(ReadAll(file), image);
    ASSERT_TRUE(depth.ok()) << depth.status().message();
    const std::vector<Pixel> expected = ExpectedPixels(file);
    ASSERT_EQ(PixelsOf(image).size(), expected.size());
    EXPECT_EQ(PixelsOf(image), expected);
  }
}

TEST(PngSuite, CorruptFilesFailCleanly) {
  const auto files = SuiteFiles(true);
  if (files.empty()) GTEST_SKIP() << "PngSuite not present";
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    CDib image;
    const Result<int> depth = LoadPng(ReadAll(file), image);
    EXPECT_FALSE(depth.ok());
    EXPECT_TRUE(image.IsEmpty()) << "a failed read leaves no half image behind";
    EXPECT_FALSE(depth.status().message().empty());
  }
}

TEST(PngSuite, ReportedDepthFollowsTheFilesPixelDepth) {
  if (!fs::exists(SharedData("png/pngsuite"))) GTEST_SKIP() << "PngSuite not present";
  const std::pair<const char*, int> cases[] = {
      {"basn0g01", 1},  {"basn0g02", 4},  {"basn0g04", 4},  {"basn0g08", 8},  {"basn0g16", 8},
      {"basn2c08", 24}, {"basn2c16", 24}, {"basn3p01", 1},  {"basn3p02", 4},  {"basn3p04", 4},
      {"basn3p08", 8},  {"basn4a08", 8},  {"basn4a16", 32}, {"basn6a08", 32}, {"basn6a16", 32},
  };
  for (const auto& [name, depth] : cases) {
    CDib image;
    const Result<int> read =
        LoadPng(ReadAll(SharedData(std::string("png/pngsuite/") + name + ".png")), image);
    ASSERT_TRUE(read.ok()) << name;
    EXPECT_EQ(*read, depth) << name;
  }
}

TEST(PngSuite, InterlacedFilesEqualTheirNonInterlacedTwins) {
  const auto files = SuiteFiles(false);
  if (files.empty()) GTEST_SKIP() << "PngSuite not present";
  int pairs = 0;
  for (const auto& file : files) {
    std::string name = file.filename().string();
    if (name.rfind("basi", 0) != 0) continue;
    name[3] = 'n';
    SCOPED_TRACE(name);
    CDib interlaced, plain;
    const Result<int> a = LoadPng(ReadAll(file), interlaced);
    const Result<int> b = LoadPng(ReadAll(file.parent_path() / name), plain);
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(PixelsOf(interlaced), PixelsOf(plain));
    ++pairs;
  }
  EXPECT_GE(pairs, 15);
}

}  // namespace
}  // namespace morvane
