// Rules several readers and writers share: case-blind names and the bit count each colour
// format is written with.
#include <gtest/gtest.h>

#include "format_test_support.h"
#include "formats/ansi_text.h"
#include "formats/icl_library.h"
#include "formats/icl_writer.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"

namespace morvane {
namespace {

TEST(AsciiLower, LowersOnlyAsciiLettersAndKeepsUtf8Intact) {
  EXPECT_EQ(AsciiLower("Icon.ICL"), "icon.icl");
  EXPECT_EQ(AsciiLower("@[`{ 09 Z"), "@[`{ 09 z");
  EXPECT_EQ(AsciiLower("\xC3\x89T\xC3\x89.LNG"), "\xC3\x89t\xC3\x89.lng");  // "ÉTÉ": É stays
  EXPECT_EQ(AsciiLower(""), "");
}

TEST(AsciiLower, ExtensionsCompareWithoutCase) {
  EXPECT_TRUE(HasIclExtension("dir/Lib.IcL"));
  EXPECT_FALSE(HasIclExtension("lib.icl.bak"));
  EXPECT_FALSE(HasIclExtension("icl"));
  EXPECT_EQ(LowerExtension("A.PNG"), ".png");
}

TEST(WrittenBits, NamedFormatsStayAndAnyOtherIsThirtyTwo) {
  for (int format : {1, 4, 8, 24, 32}) EXPECT_EQ(WrittenBitsOf(format), format);
  for (int format : {0, 2, 16, 31, 33, -1}) EXPECT_EQ(WrittenBitsOf(format), 32) << format;
}

TEST(WrittenBits, BitmapBlocksRefuseOtherBitCountsWhereIconsWriteThirtyTwo) {
  CDib image;
  testing::MakeImage(image, 5, 3, testing::MixedPixel);
  std::vector<std::uint8_t> block{7};
  const auto refused = WriteIclImageBlock(image, 16, block);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.status().code(), ErrorCode::kUnsupported);
  EXPECT_EQ(block, std::vector<std::uint8_t>{7}) << "nothing appended";

  std::vector<std::uint8_t> asIcon, as32;
  ASSERT_TRUE(WriteIconImage(image, 16, asIcon).ok());
  ASSERT_TRUE(WriteBitmapImage(image, 32, as32).ok());
  EXPECT_EQ(asIcon, as32);
  for (int bits : {1, 4, 8, 24, 32}) {
    std::vector<std::uint8_t> library, icon;
    ASSERT_TRUE(WriteIclImageBlock(image, bits, library).ok()) << bits;
    ASSERT_TRUE(WriteIconImage(image, bits, icon).ok()) << bits;
    EXPECT_EQ(library, icon) << bits << ": a library stores the same block as an icon";
  }
}

}  // namespace
}  // namespace morvane
