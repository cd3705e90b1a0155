#include "editing/font_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace morvane {
namespace {

TEST(FontRecord, EveryFieldSurvivesTheStoredRecord) {
  FontRecord font;
  font.height = -23;
  font.width = 7;
  font.escapement = 900;
  font.orientation = 450;
  font.weight = 700;
  font.italic = 1;
  font.underline = 1;
  font.strikeOut = 1;
  font.charSet = 204;
  font.outPrecision = 3;
  font.clipPrecision = 2;
  font.quality = 4;
  font.pitchAndFamily = 0x22;
  font.faceName = "DejaVu Serif";
  const auto bytes = EncodeFontRecord(font);
  EXPECT_EQ(bytes[0], 0xE9);  // -23 little-endian
  EXPECT_EQ(bytes[3], 0xFF);
  EXPECT_EQ(bytes[23], 204);
  EXPECT_EQ(bytes[28], 'D');
  const auto back = DecodeFontRecord(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, font);
}

TEST(FontRecord, LongFaceNameIsCutToKeepItsTerminator) {
  FontRecord font;
  font.faceName = std::string(40, 'x');
  const auto back = DecodeFontRecord(EncodeFontRecord(font));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->faceName, std::string(31, 'x'));
}

TEST(FontRecord, BadRecordsFallBackToTheDefaultFont) {
  auto bytes = EncodeFontRecord(FontRecord{.height = -40, .faceName = "Mono"});
  std::vector<std::uint8_t> shorter(bytes.begin(), bytes.end() - 1);
  EXPECT_FALSE(DecodeFontRecord(shorter));
  EXPECT_EQ(FontRecordOrDefault(shorter), DefaultFontRecord());
  std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
  longer.push_back(0);
  EXPECT_FALSE(DecodeFontRecord(longer));
  for (std::size_t i = 28; i < 60; ++i) bytes[i] = 'A';  // no terminating zero
  EXPECT_FALSE(DecodeFontRecord(bytes));
  EXPECT_EQ(FontRecordOrDefault(bytes), DefaultFontRecord());
}

TEST(FontRecord, HeightIsClampedBeforeTheAntiAliasingFactor) {
  EXPECT_EQ(FontPixelHeight(FontRecord{.height = -20}, 1), 20);
  EXPECT_EQ(FontPixelHeight(FontRecord{.height = 20}, 4), 80);
  EXPECT_EQ(FontPixelHeight(FontRecord{.height = INT_MIN}, 4), kMaxFontHeight * 4);
  EXPECT_EQ(FontPixelHeight(FontRecord{.height = 100000}, 8), kMaxFontHeight * 8);
}

}  // namespace
}  // namespace morvane
