// Neighbourhood effects: exact values of Smart blur and Emboss worked out by hand, and the
// identities the kernel effects must keep.
#include "effects/blur_effects.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effect_test_support.h"

namespace morvane::testing {
namespace {

TEST(SmartBlur, WeighsNeighboursByTheirDistanceInColour) {
  // Threshold 1: T = 7. For the left pixel: itself (w = 25 - 24 = 1), the neighbour that differs
  // by 4 > T / 2 (v = 3 / 7 x 0.5 = 0.2142857), the red one (diff 300 > T) skipped.
  // R = (100 + 104 x 0.2142857) / 1.2142857 = 100.706 -> 101; G and B stay 100.
  CDib image = Image({{0xFF646464, 0xFF686464, 0x80C80000}});
  ASSERT_TRUE(ApplySmartBlur(image, Rect::Whole(), {100, 1}));
  EXPECT_EQ(At(image, 0, 0), 0xFF656464u);
  // The middle pixel: itself and the left one (diff 4): R = (104 + 100 x 0.2142857) / 1.2142857
  // = 103.29 -> 103.
  EXPECT_EQ(At(image, 1, 0), 0xFF676464u);
  // The red pixel has no similar neighbour and keeps its value and alpha.
  EXPECT_EQ(At(image, 2, 0), 0x80C80000u);
}

TEST(SmartBlur, LevelZeroKeepsEveryPixel) {
  CDib image = Image({{0xFF646464, 0xFF686464}, {0x00FFFFFF, 0x40102030}});
  const std::vector<Pixel> before = PixelsOf(image);
  ASSERT_TRUE(ApplySmartBlur(image, Rect::Whole(), {0, 50}));
  EXPECT_EQ(PixelsOf(image), before);
}

TEST(SmartBlur, NeverReadsOutsideTheRectangle) {
  // Inside the rectangle the left pixel is alone; the similar pixel beyond it must not count.
  CDib image = Image({{0xFF646464, 0xFF686464}});
  ASSERT_TRUE(ApplySmartBlur(image, {0, 0, 1, 1}, {100, 1}));
  EXPECT_EQ(At(image, 0, 0), 0xFF646464u);
  EXPECT_EQ(At(image, 1, 0), 0xFF686464u);
}

TEST(Emboss, FlatImageIsGreyInsideAndLighterAlongTheTopLeftEdge) {
  // The emboss kernel's weights at depth 50 (t = 50 / 255): -t at the upper-left neighbour, t at
  // the centre. Inside, they cancel: grey 127, L = 0.498 + 0.35 -> 216. Where the upper-left
  // neighbour is outside the image, R = 100 t = 19.6: 147, L = 0.5765 + 0.35 -> 236. The flat
  // image is therefore not uniformly grey, as the algorithm has it.
  CDib image = Filled(3, 3, 0xFF646464);
  ASSERT_TRUE(ApplyEmboss(image, Rect::Whole(), {}));
  EXPECT_EQ(At(image, 1, 1), 0xFFD8D8D8u);
  EXPECT_EQ(At(image, 2, 2), 0xFFD8D8D8u);
  EXPECT_EQ(At(image, 0, 0), 0xFFECECECu);
  EXPECT_EQ(At(image, 2, 0), 0xFFECECECu);
}

TEST(Emboss, KeepsAlphaAndSkipsTransparentPixels) {
  CDib image = Image({{0x80646464, 0x00123456}});
  ASSERT_TRUE(ApplyEmboss(image, Rect::Whole(), {0, 0}));
  // Depth 0: the zero-sum kernel leaves only the bias: 127 grey, alpha locked.
  // L = 254 / 510 = 0.498 -> truncate(127.0) = 127 for the visible pixel.
  EXPECT_EQ(At(image, 0, 0), 0x807F7F7Fu);
  EXPECT_EQ(AlphaOf(At(image, 1, 0)), 0u);
}

TEST(CustomBlur, ZeroSumKernelAtLevelZeroGivesGrey127AndZeroAlpha) {
  // All effective weights are 0, so colour = bias 127 and alpha = clamp(A) = 0 unless locked:
  // the algorithm, not the "alpha 127" its edge-case line suggests.
  CustomBlurParams p;
  p.mask = {0, 0, 0, 1, -1, 0, 0, 0, 0};
  p.lock = false;
  CDib image = Image({{0xFF102030, 0x80FFFFFF}});
  ASSERT_TRUE(ApplyCustomBlur(image, Rect::Whole(), p));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x007F7F7F, 0x007F7F7F}));
}

TEST(CustomBlur, NonFiniteWeightsCountAsZero) {
  CustomBlurParams p;
  p.mask = {NAN, 0, 0, 0, INFINITY, 0, 0, 0, 0};
  p.level = 255;
  CDib image = Image({{0xFF102030, 0xFF405060}});
  ASSERT_TRUE(ApplyCustomBlur(image, Rect::Whole(), p));
  // An all-zero kernel is zero-sum: grey 127 everywhere, alpha locked.
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF7F7F7F, 0xFF7F7F7F}));
}

TEST(Blur, FullLevelSpreadsALonePixelIntoASoftSpot) {
  // 5 x 5, one opaque pixel in the middle. Its own alpha: 255 x 25 / 325 = 19.6 -> 20. The
  // corner sees the kernel's lower-right 3 x 3 (sum 135), the pixel at weight 5: 1275 / 135 =
  // 9.4 -> 9. Colours are the pixel's own wherever it is seen.
  CDib image = Filled(5, 5, 0);
  image.SetPixel(2, 2, 0xFFC08040);
  CDib locked = Copy(image);
  ASSERT_TRUE(ApplyBlur(image, Rect::Whole(), {255, false}));
  EXPECT_EQ(At(image, 2, 2), 0x14C08040u);
  EXPECT_EQ(At(image, 0, 0), 0x09C08040u);
  // Locked, transparent pixels take the colour but keep alpha 0.
  ASSERT_TRUE(ApplyBlur(locked, Rect::Whole(), {255, true}));
  EXPECT_EQ(At(locked, 2, 2), 0xFFC08040u);
  EXPECT_EQ(At(locked, 0, 0), 0x00C08040u);
}

TEST(KernelEffects, UniformOpaqueImageStaysUniformAtEveryLevel) {
  for (const int level : {0, 100, 255}) {
    CDib image = Filled(5, 4, 0xFF0A141E);
    ASSERT_TRUE(ApplySharpen(image, Rect::Whole(), {level, false}));
    ASSERT_TRUE(ApplyBlur(image, Rect::Whole(), {level, false}));
    for (const Pixel p : PixelsOf(image)) EXPECT_EQ(p, 0xFF0A141Eu) << level;
  }
}

TEST(KernelEffects, LevelZeroLeavesVisiblePixelsAlone) {
  CDib image = Image({{0xFF102030, 0x00000000, 0x80FF0000}, {0x00445566, 0xFF00FF00, 0x10203040}});
  const std::vector<Pixel> before = PixelsOf(image);
  ASSERT_TRUE(ApplyBlur(image, Rect::Whole(), {0, false}));
  ASSERT_TRUE(ApplySharpen(image, Rect::Whole(), {0, true}));
  ASSERT_TRUE(ApplyCustomBlur(image, Rect::Whole(), {}));
  EXPECT_EQ(PixelsOf(image), before);
}

TEST(KernelEffects, InPlaceRectangleConfinesTheKernel) {
  CDib image = Image({{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}, {0xFF000000, 0xFFFFFFFF, 0xFF000000}});
  const std::vector<Pixel> before = PixelsOf(image);
  ASSERT_TRUE(ApplyBlur(image, {1, 0, 2, 1}, {255, true}));
  std::vector<Pixel> after = PixelsOf(image);
  EXPECT_NE(after[1], before[1]);  // the pixel inside is blurred, with neighbours outside
  after[1] = before[1];
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace morvane::testing
