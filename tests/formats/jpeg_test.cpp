#include "formats/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "format_test_support.h"
#include "support/mutations.h"

namespace morvane {
namespace {

using testing::ReadAll;
using testing::SharedData;

// A gentle gradient, so that the loss stays small wherever it is measured.
RgbImage Gradient(int width, int height) {
  RgbImage image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.rgb.push_back(static_cast<std::uint8_t>(60 + x * 3 % 150));
      image.rgb.push_back(static_cast<std::uint8_t>(200 - y * 2 % 150));
      image.rgb.push_back(static_cast<std::uint8_t>(90 + (x + y) % 50));
    }
  }
  return image;
}

RgbImage Flat(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  RgbImage image{width, height, {}};
  for (int i = 0; i < width * height; ++i) image.rgb.insert(image.rgb.end(), {r, g, b});
  return image;
}

std::vector<std::uint8_t> Encode(const RgbImage& image, bool color = true, int quality = 90) {
  std::vector<std::uint8_t> out;
  const Status st = EncodeJpeg(image, color, quality, out);
  EXPECT_TRUE(st.ok()) << st.message();
  return out;
}

int MaxDifference(const RgbImage& a, const RgbImage& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
    worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
  }
  return worst;
}

// Mean absolute difference per channel value: small for the same picture, large for swapped
// channels or shifted rows, whatever a few pixels at sharp edges do.
double MeanDifference(const RgbImage& a, const RgbImage& b) {
  EXPECT_EQ(a.rgb.size(), b.rgb.size());
  double sum = 0;
  for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
    sum += std::abs(a.rgb[i] - b.rgb[i]);
  }
  return a.rgb.empty() ? 0 : sum / static_cast<double>(a.rgb.size());
}

// Offset of the baseline start-of-frame marker, or 0.
std::size_t FindStartOfFrame(const std::vector<std::uint8_t>& file) {
  for (std::size_t i = 2; i + 10 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC0) return i;
  }
  return 0;
}

// --- Writing and reading ----------------------------------------------------------------------

TEST(Jpeg, ColourRoundTripsWithinTheLossAtOddSizes) {
  for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {17, 13}, {33, 9}}) {
    const RgbImage image = Gradient(w, h);
    const Result<RgbImage> back = LoadJpeg(Encode(image, true, 95));
    ASSERT_TRUE(back.ok()) << back.status().message();
    EXPECT_EQ(back->width, w);
    EXPECT_EQ(back->height, h);
    // Colour is subsampled 2 x 2, so single pixels of a steep gradient may be far off.
    EXPECT_LE(MeanDifference(image, *back), 2) << w << "x" << h;
    EXPECT_LE(MaxDifference(image, *back), 16) << w << "x" << h;
  }
}

TEST(Jpeg, GreyscaleSaveWritesOneComponentOfTheWeightedGrey) {
  const RgbImage image = Flat(16, 8, 200, 100, 50);  // 0.299*200 + 0.587*100 + 0.114*50 = 124.2
  const std::vector<std::uint8_t> file = Encode(image, false);
  const std::size_t sof = FindStartOfFrame(file);
  ASSERT_NE(sof, 0u);
  EXPECT_EQ(file[sof + 9], 1) << "one component";
  const Result<RgbImage> back = LoadJpeg(file);
  ASSERT_TRUE(back.ok());
  for (std::size_t i = 0; i < back->rgb.size(); i += 3) {
    ASSERT_EQ(back->rgb[i], back->rgb[i + 1]);
    ASSERT_EQ(back->rgb[i], back->rgb[i + 2]);
    ASSERT_NEAR(back->rgb[i], 124, 1);
  }
  EXPECT_EQ(Encode(image, true)[FindStartOfFrame(Encode(image, true)) + 9], 3);
}

TEST(Jpeg, QualityTradesSizeForFidelity) {
  const RgbImage image = Gradient(64, 64);
  const std::vector<std::uint8_t> low = Encode(image, true, 10), high = Encode(image, true, 100);
  EXPECT_LT(low.size(), high.size());
  EXPECT_LT(MaxDifference(image, *LoadJpeg(high)), MaxDifference(image, *LoadJpeg(low)));
}

TEST(Jpeg, RefusesToEncodeWhatIsNotAnImage) {
  std::vector<std::uint8_t> out;
  EXPECT_EQ(EncodeJpeg(RgbImage{}, true, 90, out).code(), ErrorCode::kNoImages);
  RgbImage wrongSize = Flat(4, 4, 1, 2, 3);
  wrongSize.rgb.pop_back();
  EXPECT_EQ(EncodeJpeg(wrongSize, true, 90, out).code(), ErrorCode::kNoImages);
  // Beyond the format's own limit of 65,500: the library's error comes back.
  const RgbImage wide = Flat(65501, 1, 0, 0, 0);
  const Status st = EncodeJpeg(wide, true, 90, out);
  EXPECT_EQ(st.code(), ErrorCode::kLibrary);
  EXPECT_NE(st.message().find("65500"), std::string::npos) << st.message();
  EXPECT_TRUE(out.empty());
}

TEST(Jpeg, LibraryErrorsAndWarningsComeBackWithTheLibraryText) {
  const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  Result<RgbImage> got = LoadJpeg(png);
  ASSERT_FALSE(got.ok());
  EXPECT_EQ(got.status().code(), ErrorCode::kLibrary);
  EXPECT_EQ(got.status().message(), "Not a JPEG file: starts with 0x89 0x50");

  std::vector<std::uint8_t> file = Encode(Gradient(32, 32));
  file.resize(file.size() * 2 / 3);  // the data stops in the middle of the scan: a warning
  got = LoadJpeg(file);
  ASSERT_FALSE(got.ok());
  EXPECT_EQ(got.status().message(), "Premature end of JPEG file");

  EXPECT_FALSE(LoadJpeg({}).ok());
}

TEST(Jpeg, RefusesAPictureOverOneGibibyteBeforeDecoding) {
  std::vector<std::uint8_t> file = Encode(Flat(8, 8, 1, 2, 3));
  const std::size_t sof = FindStartOfFrame(file);
  ASSERT_NE(sof, 0u);
  // Height and width are big-endian 16-bit values after the length and precision.
  file[sof + 5] = 16384 >> 8;
  file[sof + 6] = 0;
  file[sof + 7] = 16385 >> 8;
  file[sof + 8] = 16385 & 0xFF;
  const Result<RgbImage> got = LoadJpeg(file);
  ASSERT_FALSE(got.ok());
  EXPECT_EQ(got.status().code(), ErrorCode::kTooLarge);
}

TEST(Jpeg, FilesAreReplacedAtomicallyAndReadBack) {
  testing::TempDir dir;
  const RgbImage image = Gradient(9, 5);
  ASSERT_TRUE(SaveJpegFile(dir / "a.jpg", image, true, 90).ok());
  const Result<RgbImage> back = LoadJpegFile(dir / "a.jpg");
  ASSERT_TRUE(back.ok());
  EXPECT_LE(MaxDifference(image, *back), 24);
  EXPECT_EQ(SaveJpegFile(dir / "none" / "a.jpg", image, true, 90).code(), ErrorCode::kCannotWrite);
  EXPECT_EQ(LoadJpegFile(dir / "none.jpg").status().code(), ErrorCode::kCannotOpen);
}

TEST(Jpeg, ConversionsToAndFromTheImage) {
  CDib image;
  ASSERT_TRUE(image.Create(2, 1));
  image.SetPixel(0, 0, 0x80102030);
  image.SetPixel(1, 0, 0x00405060);
  const Result<RgbImage> rgb = RgbFromDib(image);
  ASSERT_TRUE(rgb.ok());
  EXPECT_EQ(rgb->rgb, (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60}));
  CDib back;
  ASSERT_TRUE(DibFromRgb(*rgb, back).ok());
  EXPECT_EQ(back.GetPixel(0, 0), 0xFF102030u);
  EXPECT_EQ(back.GetPixel(1, 0), 0xFF405060u);
  EXPECT_FALSE(RgbFromDib(CDib()).ok());
}

// --- CMYK and YCCK, written here through the library itself -----------------------------------

// A 16 x 16 file of one colour: CMYK input for four-component colour spaces, else RGB.
std::vector<std::uint8_t> LibraryJpeg(J_COLOR_SPACE stored, bool adobeMarker,
                                      const std::uint8_t color[4], bool progressive = false) {
  const int components = stored == JCS_CMYK || stored == JCS_YCCK ? 4 : 3;
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 16;
  info.image_height = 16;
  info.input_components = components;
  info.in_color_space = components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, stored);
  info.write_Adobe_marker = adobeMarker;
  jpeg_set_quality(&info, 100, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row;
  for (int x = 0; x < 16; ++x) row.insert(row.end(), color, color + components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

TEST(Jpeg, CmykAndYcckAreConvertedToRgb) {
  const std::uint8_t values[4] = {255, 128, 0, 200};
  // Adobe's files store the inks inverted (255 = no ink): r = c * k / 255.
  for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
    const Result<RgbImage> got = LoadJpeg(LibraryJpeg(stored, true, values));
    ASSERT_TRUE(got.ok()) << got.status().message();
    ASSERT_EQ(got->rgb.size(), 16u * 16 * 3);
    EXPECT_NEAR(got->rgb[0], 255 * 200 / 255, 3);
    EXPECT_NEAR(got->rgb[1], 128 * 200 / 255, 3);
    EXPECT_NEAR(got->rgb[2], 0, 3);
  }
  // Without the marker the values are plain inks: r = (255 - c) * (255 - k) / 255.
  const Result<RgbImage> plain = LoadJpeg(LibraryJpeg(JCS_CMYK, false, values));
  ASSERT_TRUE(plain.ok());
  EXPECT_NEAR(plain->rgb[0], 0, 3);
  EXPECT_NEAR(plain->rgb[1], 127 * 55 / 255, 3);
  EXPECT_NEAR(plain->rgb[2], 255 * 55 / 255, 3);
}

TEST(Jpeg, ProgressiveFilesDecode) {
  const std::uint8_t values[4] = {10, 200, 30, 0};
  const Result<RgbImage> got = LoadJpeg(LibraryJpeg(JCS_YCbCr, false, values, true));
  ASSERT_TRUE(got.ok()) << got.status().message();
  EXPECT_LE(MeanDifference(*got, Flat(16, 16, 10, 200, 30)), 2);
}

// --- Files made by other programs --------------------------------------------------------------

std::filesystem::path TurboFile(const std::string& name) {
  return SharedData("jpeg/libjpeg-turbo/" + name);
}

TEST(JpegSuite, BaselineAndArithmeticFilesDecode) {
  const Result<RgbImage> reference = LoadJpegFile(TurboFile("testorig.jpg"));
  ASSERT_TRUE(reference.ok()) << reference.status().message();
  EXPECT_EQ(reference->width, 227);
  EXPECT_EQ(reference->height, 149);
  for (const char* name : {"testimgint.jpg", "testimgari.jpg"}) {
    const Result<RgbImage> got = LoadJpegFile(TurboFile(name));
    ASSERT_TRUE(got.ok()) << name << ": " << got.status().message();
    ASSERT_EQ(got->width, 227) << name;
    ASSERT_EQ(got->height, 149) << name;
    EXPECT_LE(MeanDifference(*got, *reference), 2) << name << ": the same picture";
  }
}

TEST(JpegSuite, TwelveBitFileDecodesOrFailsWithTheLibraryText) {
  const Result<RgbImage> got = LoadJpegFile(TurboFile("monkey12.jpg"));
  if (got.ok()) {
    EXPECT_GT(got->width, 0);
  } else {
    EXPECT_EQ(got.status().code(), ErrorCode::kLibrary);
    EXPECT_NE(got.status().message().find("precision 12"), std::string::npos)
        << got.status().message();
  }
}

// --- Hostile input ----------------------------------------------------------------------------

void LoadSurvives(std::span<const std::uint8_t> data) {
  const Result<RgbImage> got = LoadJpeg(data);
  if (got.ok()) {
    EXPECT_EQ(got->rgb.size(), static_cast<std::size_t>(got->width) * got->height * 3);
  } else {
    EXPECT_FALSE(got.status().message().empty());
  }
}

TEST(JpegRobustness, EveryBitFlipAndTruncationOfASmallFile) {
  const std::vector<std::uint8_t> grey = Encode(Gradient(8, 8), false, 50);
  testing::ForEachBitFlip(grey, LoadSurvives);
  testing::ForEachTruncation(grey, LoadSurvives);
}

TEST(JpegRobustness, EveryBitFlipAndTruncationOfAProgressiveFile) {
  const std::uint8_t values[4] = {10, 200, 30, 0};
  const std::vector<std::uint8_t> file = LibraryJpeg(JCS_YCbCr, false, values, true);
  testing::ForEachBitFlip(file, LoadSurvives);
  testing::ForEachTruncation(file, LoadSurvives);
}

TEST(JpegRobustness, BitFlipsAroundTheFrameAndScanHeadersOfRealFiles) {
  // Start of frame from byte 158 in both; tables and the scan header follow.
  for (auto [name, end] : {std::pair{"testimgint.jpg", 240}, {"testimgari.jpg", 260}}) {
    const std::vector<std::uint8_t> file = ReadAll(TurboFile(name));
    ASSERT_GT(file.size(), 400u);
    testing::ForEachBitFlip(file, LoadSurvives, 150, end);
  }
}

}  // namespace
}  // namespace morvane
