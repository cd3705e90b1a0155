// Named size sets and the size lists that mix them with numbers.
#include <gtest/gtest.h>

#include "image/size_sets.h"

namespace morvane {
namespace {

using Sizes = std::vector<int>;

TEST(SizeSets, NamesStandForTheirSizes) {
  EXPECT_EQ(ParseSizeList("windows", 1, 256), (Sizes{256, 48, 32, 24, 16}));
  EXPECT_EQ(ParseSizeList("windows-scaled", 1, 256), (Sizes{256, 64, 48, 40, 32, 24, 20, 16}));
  EXPECT_EQ(ParseSizeList("favicon", 1, 256), (Sizes{48, 32, 16}));
  EXPECT_EQ(ParseSizeList("cursor", 1, 256), (Sizes{32, 48, 64, 96, 128}));
  EXPECT_EQ(SizeSets().size(), 4u);
}

TEST(SizeSets, ListsMixNamesAndSizesInOrder) {
  EXPECT_EQ(ParseSizeList("favicon,64,32", 1, 256), (Sizes{48, 32, 16, 64, 32}));
  EXPECT_EQ(ParseSizeList("20,favicon", 1, 256), (Sizes{20, 48, 32, 16}));
  for (const char* bad : {"", "Windows", "favicon,", "0", "257", "16,,32", "16 "}) {
    EXPECT_FALSE(ParseSizeList(bad, 1, 256).has_value()) << bad;
  }
  // A set with a size outside the bounds is refused whole.
  EXPECT_FALSE(ParseSizeList("windows", 1, 128).has_value());
}

}  // namespace
}  // namespace morvane
