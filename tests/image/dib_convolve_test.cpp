#include <gtest/gtest.h>

#include <limits>

#include "image/dib.h"

namespace morvane {
namespace {

// A transparent image with one opaque pixel.
CDib Dot(int w, int h, int x, int y, Pixel v) {
  CDib dib;
  EXPECT_TRUE(dib.Create(w, h));
  dib.SetPixel(x, y, v);
  return dib;
}

TEST(Convolve, BlurAveragesColoursOverOpaqueNeighboursAndAlphaOverAll) {
  CDib dib = Dot(7, 7, 3, 3, 0xFF204080);
  dib.BlurAll(255, false);
  // Centre: every weight inside, only the centre (25) opaque: alpha 255*25/325 = 19.6 -> 20.
  EXPECT_EQ(dib.GetPixel(3, 3), 0x14204080u);
  // (2, 2): all 25 neighbours inside, the dot at weight 15: 255*15/325 = 11.8 -> 12.
  EXPECT_EQ(dib.GetPixel(2, 2), 0x0C204080u);
  // (1, 1): row -1 and column -1 are outside (45 + 45 - 5 = 85 of weight), so alpha is
  // 255*5/240 = 5.3 -> 5.
  EXPECT_EQ(dib.GetPixel(1, 1), 0x05204080u);
  // (0, 0) has no opaque neighbour within two pixels: left alone.
  EXPECT_EQ(dib.GetPixel(0, 0), 0u);
}

TEST(Convolve, NeighboursOutsideTheImageDoNotCount) {
  CDib dib = Dot(5, 5, 2, 2, 0xFF0000FF);
  dib.BlurAll(255, false);
  // (0, 0): weights of the lower-right 3x3 of the kernel: 25+20+15 + 20+15+10 + 15+10+5 = 135;
  // the dot sits at weight 5: 255*5/135 = 9.44 -> 9.
  EXPECT_EQ(dib.GetPixel(0, 0), 0x090000FFu);
}

TEST(Convolve, LevelBlendsKernelsAndZeroIsIdentity) {
  CDib dib = Dot(5, 5, 2, 2, 0xFF102030);
  dib.BlurAll(0, false);
  EXPECT_EQ(dib.GetPixel(2, 2), 0xFF102030u);
  EXPECT_EQ(dib.GetPixel(1, 1), 0u);
  // Level 128: centre weight 325 - 300 * 128/255 = 174.41; alpha 255 * 174.41 / 325 = 136.85.
  dib.BlurAll(128, false);
  EXPECT_EQ(dib.GetPixel(2, 2), 0x89102030u);
}

TEST(Convolve, AlphaLockKeepsEveryAlphaAndClipConfinesWrites) {
  CDib dib = Dot(5, 5, 2, 2, 0xFF0000FF);
  dib.BlurAll(255, true);
  EXPECT_EQ(dib.GetPixel(2, 2), 0xFF0000FFu);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x000000FFu);  // colour taken, alpha kept at 0

  CDib clipped = Dot(5, 5, 2, 2, 0xFF0000FF);
  clipped.clip = {0, 0, 2, 5};  // the dot itself is outside but still read as a neighbour
  clipped.BlurAll(255, false);
  EXPECT_EQ(clipped.GetPixel(0, 0), 0x090000FFu);
  clipped.clip = {0, 0, 5, 5};
  EXPECT_EQ(clipped.GetPixel(2, 2), 0xFF0000FFu);
  EXPECT_EQ(clipped.GetPixel(3, 3), 0u);
}

TEST(Convolve, ZeroSumKernelAddsBiasAndReadsFromACopy) {
  CDib dib;
  ASSERT_TRUE(dib.Create(3, 1));
  dib.SetPixel(0, 0, 0xFF0A0000);
  dib.SetPixel(1, 0, 0xFF140000);
  dib.SetPixel(2, 0, 0xFF1E0000);
  const double edge[9] = {0, 0, 0, -1, 0, 1, 0, 0, 0};
  dib.ConvolveAll(edge, 3, 255, true);
  EXPECT_EQ(dib.GetPixel(0, 0), 0xFF937F7Fu);  // 20 + 127 (left neighbour outside)
  EXPECT_EQ(dib.GetPixel(1, 0), 0xFF937F7Fu);  // 30 - 10 + 127, from the unchanged copy
  EXPECT_EQ(dib.GetPixel(2, 0), 0xFF6B7F7Fu);  // -20 + 127
  // Without the lock the alpha sum is not divided (all weights cancel): alpha 0.
  dib.ConvolveAll(edge, 3, 255, false);
  EXPECT_EQ(AlphaOf(dib.GetPixel(1, 0)), 0u);
}

TEST(Convolve, HugeAndNonFiniteKernelsGiveClampedBytes) {
  CDib dib;
  ASSERT_TRUE(dib.Create(3, 3));
  dib.Fill(0xFFFFFFFF);
  double huge[9];
  for (double& k : huge) k = std::numeric_limits<double>::max();
  // The sum overflows to infinity and the centre weight becomes inf - inf = NaN: every
  // channel is NaN and must come out as 0, not as whatever a bad conversion yields.
  dib.ConvolveAll(huge, 3, 255, false);
  EXPECT_EQ(dib.GetPixel(1, 1), 0u);

  dib.Fill(0xFF808080);
  const double steep[9] = {0, 0, 0, 0, 1e300, 0, 0, 0, -1e300};
  dib.ConvolveAll(steep, 3, 255, true);  // sum 0: zero-sum path with colossal terms
  const Pixel p = dib.GetPixel(2, 2);    // its (+1, +1) neighbour is outside
  EXPECT_EQ(RedOf(p), 255u);             // 128 * 1e300 + 127 clamps high
}

TEST(Convolve, RefusesBadSizesAndEmptyImages) {
  CDib empty;
  empty.BlurAll(255, false);
  CDib dib = Dot(3, 3, 1, 1, 0xFF000000);
  const double k[16] = {1};
  dib.ConvolveAll(k, 4, 255, false);
  EXPECT_EQ(dib.GetPixel(1, 1), 0xFF000000u);
}

}  // namespace
}  // namespace morvane
