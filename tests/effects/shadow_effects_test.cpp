// Shadow, Bevel Boss and Aqua: exact values of the unblurred shadow worked out by hand, and the
// confinement of every write-back to an in-place selection.
#include "effects/shadow_effects.h"

#include <gtest/gtest.h>

#include "effect_test_support.h"

namespace morvane::testing {
namespace {

ShadowParams Sharp(int dx, int dy, int transparency, bool inner = false) {
  ShadowParams p;
  p.blur = 0;  // the 5 x 5 kernel at level 0: no blur
  p.xOffset = dx;
  p.yOffset = dy;
  p.transparency = transparency;
  p.inner = inner;
  return p;
}

TEST(Shadow, OuterShadowLiesUnderTheShiftedSilhouette) {
  CDib image = Image({{0xFFFF0000, 0x00000000, 0x00ABCDEF}});
  ASSERT_TRUE(ApplyShadow(image, Rect::Whole(), Sharp(1, 0, 0)));
  // Pixel 0 keeps its colour over a clear shadow pixel, pixel 1 gets the opaque black shadow,
  // pixel 2 is clear shadow with nothing over it.
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFFFF0000, 0xFF000000, 0x00000000}));
}

TEST(Shadow, UnshiftedSharpShadowShowsOnlyThroughPartialAlpha) {
  // Default transparency 15: opacity 216. Under alpha 128: t = 216 x 128 / 255 = 108. Red over
  // that black: alpha 108 + 128 - 54 = 182, red 255 x 128 / 182 = 179.
  CDib image = Image({{0x80FF0000, 0xFF00FF00, 0x00000000}});
  ASSERT_TRUE(ApplyShadow(image, Rect::Whole(), Sharp(0, 0, 15)));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xB6B30000, 0xFF00FF00, 0x00000000}));
}

TEST(Shadow, FaintShadowOfAVisiblePixelNeverVanishes) {
  // Transparency 99: opacity 2; 2 x 100 / 255 = 0 becomes 1.
  CDib image = Image({{0x64FFFFFF, 0x00000000}});
  ASSERT_TRUE(ApplyShadow(image, Rect::Whole(), Sharp(1, 0, 99)));
  EXPECT_EQ(At(image, 1, 0), 0x01000000u);
  EXPECT_EQ(At(image, 0, 0), 0x64FFFFFFu);
}

TEST(Shadow, InnerShadowDarkensWhereTheSilhouetteMovedAway) {
  // Shifted right by one, column 0 is outside the silhouette: o = 255 there, black over white.
  CDib image = Image({{0xFFFFFFFF, 0xFFFFFFFF}});
  ASSERT_TRUE(ApplyShadow(image, Rect::Whole(), Sharp(1, 0, 0, true)));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF000000, 0xFFFFFFFF}));
}

TEST(Shadow, FullTransparencyKeepsAnOpaqueImage) {
  CDib image = Image({{0xFF102030, 0xFF405060}});
  ASSERT_TRUE(ApplyShadow(image, Rect::Whole(), Sharp(1, 1, 100)));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF102030, 0xFF405060}));
}

TEST(Shadow, InPlaceSelectionConfinesTheCopyBack) {
  // The shadow of pixel 0 would fall on pixel 1, which lies outside the selection.
  CDib image = Image({{0xFFFF0000, 0x00ABCDEF, 0x00ABCDEF}});
  ASSERT_TRUE(ApplyShadow(image, {0, 0, 1, 1}, Sharp(1, 0, 0)));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFFFF0000, 0x00ABCDEF, 0x00ABCDEF}));
  for (const bool inner : {false, true}) {
    CDib blurred = Filled(6, 6, 0x00ABCDEF);
    blurred.SetPixel(2, 2, 0xFF00FF00);
    ShadowParams p;
    p.blur = 40;  // the resampling blur
    p.inner = inner;
    ASSERT_TRUE(ApplyShadow(blurred, {2, 2, 3, 3}, p));
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 6; ++x) {
        if (x != 2 || y != 2) {
          EXPECT_EQ(At(blurred, x, y), 0x00ABCDEFu) << x << "," << y;
        }
      }
    }
  }
}

// CastShadow as written, over the whole image.
void ReferenceShadow(CDib& q, int blur, int dx, int dy, Pixel colour, bool inner) {
  const int w = q.GetWidth(), h = q.GetHeight();
  CDib s;
  ASSERT_TRUE(s.Create(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s.PaintPixel(x + dx, y + dy, q.GetPixel(x, y));
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned o = inner ? 255 - AlphaOf(At(s, x, y)) : AlphaOf(At(s, x, y));
      unsigned t = AlphaOf(colour) * o / 255;
      if (t == 0 && o != 0 && AlphaOf(colour) != 0) t = 1;
      s.SetPixel(x, y, (colour & 0xFFFFFF) | t << 24);
    }
  }
  CDib r;
  if (blur > 10) {
    ASSERT_TRUE(r.Create(w, h));
    s.StretchTo(r, -(blur * 0.2));
  } else {
    ASSERT_TRUE(s.CopyTo(r));
    const double kernel[25] = {5,  10, 10, 10, 5,  10, 25, 25, 25, 10, 10, 25, 25,
                               25, 10, 10, 25, 25, 25, 10, 5,  10, 10, 10, 5};
    r.ConvolveAll(kernel, 5, blur * 20, false);
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Pixel p = At(q, x, y);
      q.SetPixel(x, y,
                 inner ? (p & 0xFF000000) | (AlphaOver(p | 0xFF000000, At(r, x, y)) & 0xFFFFFF)
                       : AlphaOver(At(r, x, y), p));
    }
  }
}

TEST(Shadow, WorkingOnlyAroundTheSilhouetteChangesNoPixel) {
  for (const int blur : {0, 6, 10, 11, 40, 100}) {
    for (const bool inner : {false, true}) {
      for (const int at : {2, 30, 52}) {
        CDib image = Filled(64, 64, 0x00ABCDEF);
        for (int y = at; y < at + 9; ++y) {
          for (int x = at / 2; x < at / 2 + 7; ++x) {
            image.SetPixel(x, y, (x + y) % 3 == 0 ? 0x80FF8040 : 0xFF2060A0);
          }
        }
        CDib expected = Copy(image);
        ShadowParams p;
        p.blur = blur;
        p.xOffset = 3;
        p.yOffset = -2;
        p.inner = inner;
        ASSERT_TRUE(ApplyShadow(image, Rect::Whole(), p));
        ReferenceShadow(expected, blur, 3, -2, OpacityOfTransparency(15) << 24, inner);
        EXPECT_EQ(PixelsOf(image), PixelsOf(expected)) << blur << " " << inner << " " << at;
      }
    }
  }
}

TEST(BevelBoss, OpaqueImageWithoutOffsetsIsUnchanged) {
  BevelBossParams p;
  p.blur = 0;
  p.xOffset = 0;
  p.yOffset = 0;
  CDib image = Image({{0xFF102030, 0xFF405060}, {0xFF708090, 0xFFA0B0C0}});
  const std::vector<Pixel> before = PixelsOf(image);
  ASSERT_TRUE(ApplyBevelBoss(image, Rect::Whole(), p));
  EXPECT_EQ(PixelsOf(image), before);
}

TEST(BevelBoss, PassesRunDarkThenLight) {
  // One opaque pixel at x = 1 of three, offsets 1, no blur, no transparency. Pass 1 casts the
  // dark shadow to the right (x = 2), pass 3 the light one to the left (x = 0); the vertical
  // passes fall outside the one-row image.
  BevelBossParams p;
  p.blur = 0;
  p.transparency = 0;
  CDib image = Image({{0x00000000, 0xFF808080, 0x00000000}});
  ASSERT_TRUE(ApplyBevelBoss(image, Rect::Whole(), p));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFFFFFFFF, 0xFF808080, 0xFF000000}));
}

TEST(Aqua, NeverChangesPixelsOutsideTheShapesBox) {
  CDib image = Filled(40, 40, 0x00ABCDEF);
  for (int y = 10; y < 30; ++y) {
    for (int x = 12; x < 28; ++x) image.SetPixel(x, y, 0xFF3070E0);
  }
  ASSERT_TRUE(ApplyAqua(image, Rect::Whole(), {}));
  bool changedInside = false;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 12 && x < 28 && y >= 10 && y < 30;
      if (!inside) {
        EXPECT_EQ(At(image, x, y), 0x00ABCDEFu) << x << "," << y;
      } else {
        changedInside |= At(image, x, y) != 0xFF3070E0;
        EXPECT_EQ(AlphaOf(At(image, x, y)), 255u);
      }
    }
  }
  EXPECT_TRUE(changedInside);
}

TEST(Aqua, TransparentImageFallsBackToTheSelectionNotTheWholeImage) {
  CDib image = Filled(10, 10, 0x00ABCDEF);
  ASSERT_TRUE(ApplyAqua(image, {2, 2, 6, 6}, {}));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
      if (!inside) {
        EXPECT_EQ(At(image, x, y), 0x00ABCDEFu) << x << "," << y;
      }
    }
  }
}

TEST(Aqua, LightSizeAboveItsRangeIsClamped) {
  AquaParams p;
  p.lightSize = 1000;  // would put the band's top above the image
  CDib image = Filled(16, 16, 0xFF3070E0);
  CDib clamped = Copy(image);
  ASSERT_TRUE(ApplyAqua(image, Rect::Whole(), p));
  p.lightSize = 100;
  ASSERT_TRUE(ApplyAqua(clamped, Rect::Whole(), p));
  EXPECT_EQ(PixelsOf(image), PixelsOf(clamped));
}

}  // namespace
}  // namespace morvane::testing
