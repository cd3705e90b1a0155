#include "editing/fills.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

CDib Image(int w, int h, Pixel fill = 0) {
  CDib dib;
  EXPECT_TRUE(dib.Create(w, h));
  dib.Fill(fill);
  return dib;
}

TEST(FloodFill, FillsTheFourConnectedRegionOnly) {
  CDib dib = Image(3, 3, 0xFF000000);
  for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {2, 2}}) dib.SetPixel(x, y, 0xFFFF0000);
  DrawSettings s;
  EXPECT_EQ(FloodFill(dib, 0, 0, 0xFF0000FF, s), 3);
  EXPECT_EQ(dib.GetPixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(dib.GetPixel(2, 2), 0xFFFF0000u);  // touches only diagonally
  EXPECT_EQ(dib.GetPixel(0, 1), 0xFF000000u);
}

TEST(FloodFill, MixedAlphaRules) {
  DrawSettings s;
  CDib half = Image(2, 1, 0x80FF0000);
  half.SetPixel(1, 0, 0x20FF0000);  // same colour bits, other alpha: same region
  EXPECT_EQ(FloodFill(half, 0, 0, 0xFF00FF00, s), 2);
  EXPECT_EQ(half.GetPixel(0, 0), 0x8000FF00u);
  EXPECT_EQ(half.GetPixel(1, 0), 0x2000FF00u);

  CDib clear = Image(2, 1, 0x00123456);
  clear.SetPixel(1, 0, 0x00ABCDEF);  // transparent pixels join whatever their bits
  EXPECT_EQ(FloodFill(clear, 0, 0, 0x40FF0000, s), 2);
  EXPECT_EQ(clear.GetPixel(1, 0), 0x40FF0000u);
  EXPECT_EQ(FloodFill(clear, 0, 0, 0x40FF0000, s), 0);  // same colour bits: nothing

  CDib empty = Image(2, 1, 0x00123456);
  EXPECT_EQ(FloodFill(empty, 0, 0, 0x00FFFFFF, s), 0);  // erasing the transparent
  EXPECT_EQ(empty.GetPixel(0, 0), 0x00123456u);

  // Translucent colour over a visible area: composited as if opaque, alpha kept.
  CDib mix = Image(1, 1, 0x80000000);
  FloodFill(mix, 0, 0, 0x80FF0000, s);
  EXPECT_EQ(mix.GetPixel(0, 0), 0x80800000u);  // red 255 * 128 / 255 = 128
  // Erasing a visible area stores the colour exactly.
  FloodFill(mix, 0, 0, 0x00ABCDEF, s);
  EXPECT_EQ(mix.GetPixel(0, 0), 0x00ABCDEFu);
}

TEST(FloodFill, OutsideTheClipDoesNothingAndTheClipBoundsTheRegion) {
  CDib dib = Image(4, 1);
  dib.clip = {0, 0, 2, 1};
  DrawSettings s;
  EXPECT_EQ(FloodFill(dib, 3, 0, 0xFF000000, s), 0);
  EXPECT_EQ(FloodFill(dib, 0, 0, 0xFF000000, s), 2);
  dib.clip = {0, 0, 4, 1};
  EXPECT_EQ(dib.GetPixel(2, 0), 0u);
}

TEST(FloodFill, SerpentineCorridorIsFilledWithoutRecursion) {
  CDib dib = Image(256, 256, 0xFF000000);
  int corridor = 0;
  for (int y = 0; y < 256; y += 2) {
    for (int x = 0; x < 256; ++x) dib.SetPixel(x, y, 0);
    corridor += 256;
    if (y + 2 < 256) {
      dib.SetPixel((y / 2) % 2 == 0 ? 255 : 0, y + 1, 0);  // the bend to the next row
      ++corridor;
    }
  }
  DrawSettings s;
  EXPECT_EQ(FloodFill(dib, 0, 0, 0xFF00FF00, s), corridor);
  EXPECT_EQ(dib.GetPixel(0, 254), 0xFF00FF00u);
  EXPECT_EQ(dib.GetPixel(255, 1), 0xFF00FF00u);
  EXPECT_EQ(dib.GetPixel(0, 1), 0xFF000000u);
  EXPECT_EQ(dib.GetPixel(255, 3), 0xFF000000u);
}

TEST(FloodFill, GradientPaintsTransparentAreasAndColoursVisibleOnes) {
  DrawSettings s;
  s.gradientFill = true;
  ASSERT_TRUE(s.gradientImage.Create(128, 128));
  s.gradientImage.Fill(0xFF0000FF);
  CDib clear = Image(2, 2);
  FloodFill(clear, 0, 0, 0xFFFFFFFF, s);
  EXPECT_EQ(clear.GetPixel(1, 1), 0xFF0000FFu);

  // Visible area, c = 128: s = (255 * 127 + 128 * 128) / 255 = 191, the gradient at alpha 191
  // over white gives red and green 64; alpha stays 0x80.
  CDib seen = Image(2, 2, 0x80FFFFFF);
  FloodFill(seen, 0, 0, 0x80000000, s);
  EXPECT_EQ(seen.GetPixel(0, 0), 0x804040FFu);
  // The right button switches the gradient off: a solid fill.
  CDib solid = Image(1, 1);
  FloodFill(solid, 0, 0, 0xFF00FF00, s, false);
  EXPECT_EQ(solid.GetPixel(0, 0), 0xFF00FF00u);
}

TEST(ReplaceColors, RecoloursByHueAndLightnessAgainstTheStrokeBase) {
  CDib dib = Image(3, 1, 0x80FF0000);
  dib.SetPixel(1, 0, 0xFF00FF00);  // hue 120, far from 240
  dib.SetPixel(2, 0, 0);           // transparent pixels are left alone
  CDib base;
  ASSERT_TRUE(dib.CopyTo(base));
  ReplaceParams p;
  p.brushSize = 3;
  // First colour: pixel red = role "blue", hue 240; second: green, hue 120.
  ReplaceColors(dib, base, 1, 0, p, 0xFFFF0000, 0xFF00FF00);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x8000FF00u);  // hue 240 + 120 - 240, alpha of the original
  EXPECT_EQ(dib.GetPixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(dib.GetPixel(2, 0), 0u);

  CDib dark = Image(1, 1, 0xFF800000);  // lightness 128 / 510: 25 from the first colour's 50
  ASSERT_TRUE(dark.CopyTo(base));
  p.luminanceDelta = 20;
  ReplaceColors(dark, base, 0, 0, p, 0xFFFF0000, 0xFF00FF00);
  EXPECT_EQ(dark.GetPixel(0, 0), 0xFF800000u);
  p.luminanceDelta = 30;
  p.singleDestination = true;
  ReplaceColors(dark, base, 0, 0, p, 0xFFFF0000, 0x1000FF00);
  EXPECT_EQ(dark.GetPixel(0, 0), 0xFF00FF00u);
  ReplaceColors(dark, base, 0, 0, p, 0xFFFF0000, 0x0000FF00);
  EXPECT_EQ(dark.GetPixel(0, 0), 0u);  // a transparent second colour clears
}

}  // namespace
}  // namespace morvane
