#include "editing/coverage.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

CDib Image(int w, int h, Pixel fill) {
  CDib dib;
  EXPECT_TRUE(dib.Create(w, h));
  dib.Fill(fill);
  return dib;
}

CoverageMask FullMask(int w, int h, std::uint8_t v) {
  CoverageMask mask;
  EXPECT_TRUE(mask.Create(w, h));
  for (int y = 0; y < h; ++y) mask.SetSpan(y, 0, w, v);
  return mask;
}

DrawSettings Modes(bool transparent, std::uint32_t locks = 0) {
  DrawSettings s;
  s.transparentMode = transparent;
  s.lockMask = locks;
  return s;
}

TEST(ApplyCoverageMask, OpaqueColourWithFullCoverageIsStoredExactly) {
  for (bool transparent : {true, false}) {
    CDib dib = Image(2, 2, 0x80123456);
    ApplyCoverageMask(dib, FullMask(2, 2, 255), 0xFFABCDEF, Rect::Whole(), Modes(transparent));
    EXPECT_EQ(dib.GetPixel(1, 1), 0xFFABCDEFu) << transparent;
  }
}

TEST(ApplyCoverageMask, HalfAlphaColourReplacesAlphaOnlyWithTransparentModeOff) {
  CDib off = Image(1, 1, 0xFF000000);
  ApplyCoverageMask(off, FullMask(1, 1, 128), 0x80FF0000, Rect::Whole(), Modes(false));
  // a = (128 * 128 + 0 * 255) / 128 = 128; colour: AlphaOver(black, 255-alpha red) = red.
  EXPECT_EQ(off.GetPixel(0, 0), 0x80FF0000u);

  CDib on = Image(1, 1, 0xFF000000);
  ApplyCoverageMask(on, FullMask(1, 1, 128), 0x80FF0000, Rect::Whole(), Modes(true));
  // Composited: alpha stays 255, red = 255 * 128 / 255 = 128.
  EXPECT_EQ(on.GetPixel(0, 0), 0xFF800000u);
}

TEST(ApplyCoverageMask, PartialCoverageMovesAlphaTowardTheBrush) {
  CDib dib = Image(1, 1, 0xFF0000FF);
  // m = 51 of c = 255: a = 51 + 255 * 204 / 255 = 255; colour = blue with red at 51/255.
  ApplyCoverageMask(dib, FullMask(1, 1, 51), 0xFFFF0000, Rect::Whole(), Modes(false));
  // AlphaOver(0xFF0000FF, 0x33FF0000): red = 255*51/255 = 51, blue = 255*204*255/255/255 = 204.
  EXPECT_EQ(dib.GetPixel(0, 0), 0xFF3300CCu);

  // Coverage above the brush alpha is limited to it instead of pushing alpha below zero.
  CDib over = Image(1, 1, 0xC8FFFFFF);
  ApplyCoverageMask(over, FullMask(1, 1, 255), 0x64000000, Rect::Whole(), Modes(false));
  EXPECT_EQ(over.GetPixel(0, 0), 0x64000000u);
}

TEST(ApplyCoverageMask, ErasingLowersAlphaAndKeepsColourBits) {
  CDib dib = Image(2, 1, 0xFF123456);
  CoverageMask mask;
  ASSERT_TRUE(mask.Create(2, 1));
  mask.Set(0, 0, 255);
  mask.Set(1, 0, 51);
  ApplyCoverageMask(dib, mask, 0x00FFFFFF, Rect::Whole(), Modes(false));
  EXPECT_EQ(dib.GetPixel(0, 0), 0x00123456u);
  EXPECT_EQ(dib.GetPixel(1, 0), 0xCC123456u);  // 255 * 204 / 255
}

TEST(ApplyCoverageMask, AlphaLockKeepsTransparentPixelsTransparentWithModeOff) {
  CDib dib = Image(1, 1, 0x00000000);
  ApplyCoverageMask(dib, FullMask(1, 1, 255), 0xFF0000FF, Rect::Whole(), Modes(false, kLockAlpha));
  EXPECT_EQ(dib.GetPixel(0, 0), 0x000000FFu);
}

TEST(ApplyCoverageMask, StaysInsideClipAreaAndMaskWindow) {
  CDib dib = Image(4, 1, 0);
  dib.clip = {1, 0, 4, 1};
  CoverageMask mask;
  ASSERT_TRUE(mask.Create(4, 1, {0, 0, 3, 1}));
  mask.SetSpan(0, -10, 10, 255);  // clipped to the window
  ApplyCoverageMask(dib, mask, 0xFF00FF00, {0, 0, 2, 1}, Modes(true));
  EXPECT_EQ(dib.GetPixel(0, 0), 0u);  // outside clip
  dib.clip = {0, 0, 4, 1};
  EXPECT_EQ(dib.GetPixel(0, 0), 0u);
  EXPECT_EQ(dib.GetPixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(dib.GetPixel(2, 0), 0u);  // outside area
  EXPECT_EQ(dib.GetPixel(3, 0), 0u);  // outside the mask window
}

TEST(DownsampleCoverage, AveragesBlocksAndSurvivesMismatchedMasks) {
  CoverageMask big;
  ASSERT_TRUE(big.Create(16, 16));
  for (int y = 0; y < 8; ++y) big.SetSpan(y, 0, 4, 255);  // half of the first 8 x 8 block
  CoverageMask small;
  ASSERT_TRUE(small.Create(2, 2));
  DownsampleCoverage(big, small, Rect::Whole());
  EXPECT_EQ(small.Get(0, 0), 127);  // 32 * 255 / 64
  EXPECT_EQ(small.Get(1, 0), 0);

  // A big mask narrower than the small one gives f = 0: nothing happens.
  CoverageMask narrow;
  ASSERT_TRUE(narrow.Create(1, 1));
  DownsampleCoverage(narrow, small, Rect::Whole());
  EXPECT_EQ(small.Get(0, 0), 127);
  // Areas past both masks are cut to them.
  DownsampleCoverage(big, small, {-100, -100, 100, 100});
  EXPECT_EQ(small.Get(0, 0), 127);
  // A big window covering only part of the plane reads 0 elsewhere.
  CoverageMask part;
  ASSERT_TRUE(part.Create(16, 16, {8, 8, 16, 16}));
  part.SetSpan(8, 8, 16, 255);
  DownsampleCoverage(part, small, Rect::Whole());
  EXPECT_EQ(small.Get(0, 0), 0);
  EXPECT_EQ(small.Get(1, 1), 31);  // 8 * 255 / 64
}

TEST(PaintGradientThroughMask, StretchesOverTheShapeBoxOrTheImage) {
  DrawSettings settings;
  ASSERT_TRUE(settings.gradientImage.Create(128, 128));
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) settings.gradientImage.SetPixel(x, y, 0xFF000000u | x);
  }
  CoverageMask mask;
  ASSERT_TRUE(mask.Create(20, 1));
  mask.SetSpan(0, 10, 14, 255);

  CDib area = Image(20, 1, 0);
  settings.gradientAreaFill = true;
  PaintGradientThroughMask(mask, area, false, 0, 0, settings);
  // Box 10..13: source columns (x - 10) * 128 / 4.
  EXPECT_EQ(area.GetPixel(10, 0), 0xFF000000u);
  EXPECT_EQ(area.GetPixel(11, 0), 0xFF000020u);
  EXPECT_EQ(area.GetPixel(13, 0), 0xFF000060u);
  EXPECT_EQ(area.GetPixel(9, 0), 0u);

  CDib whole = Image(20, 1, 0);
  settings.gradientAreaFill = false;
  PaintGradientThroughMask(mask, whole, false, 0, 0, settings);
  // Whole image: x * 128 / 20.
  EXPECT_EQ(whole.GetPixel(10, 0), 0xFF000040u);
  EXPECT_EQ(whole.GetPixel(11, 0), 0xFF000046u);
  EXPECT_EQ(whole.GetPixel(13, 0), 0xFF000053u);

  // keepAlpha mixes the colour in and leaves alpha alone.
  CDib kept = Image(20, 1, 0x40FF0000);
  PaintGradientThroughMask(mask, kept, true, 0, 0, settings);
  EXPECT_EQ(kept.GetPixel(10, 0), 0x40000040u);
}

}  // namespace
}  // namespace morvane
