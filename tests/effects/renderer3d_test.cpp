// The 3D renderer and the two effects drawn with it. At angles 0, zoom 100 the card lies at the
// focal distance (f = 1): with the image 64 x 64 and the centre at 31.5, a card vertex at X
// lands on screen column X + 32, so the shape's box is redrawn centred on the image.
#include "effects/renderer3d.h"

#include <gtest/gtest.h>

#include "effect_test_support.h"
#include "effects/effects3d.h"

namespace morvane::testing {
namespace {

// An 8 x 6 block at (20, 30), every pixel different, on a 64 x 64 transparent image.
CDib Block() {
  CDib image = Filled(64, 64, 0);
  for (int y = 30; y < 36; ++y) {
    for (int x = 20; x < 28; ++x) {
      image.SetPixel(x, y, 0xFF000000 | static_cast<Pixel>(x) << 8 | static_cast<Pixel>(y));
    }
  }
  return image;
}

int VisibleCount(const CDib& image) {
  int n = 0;
  for (const Pixel p : PixelsOf(image)) n += IsTransparent(p) ? 0 : 1;
  return n;
}

TEST(Rotate3d, NeutralSettingsRedrawTheShapeCentred) {
  // Card 48 x 46 from (-24, -23) to (23, 22): screen columns 8..55, rows 9..54; texture pixel
  // (i, j) holds image (i, j + 10), so image (x, y) moves to (x + 8, y - 1).
  const CDib original = Block();
  CDib image = Block();
  ASSERT_TRUE(ApplyRotate3d(image, Rect::Whole(), {}));
  EXPECT_EQ(VisibleCount(image), 48);
  for (int y = 30; y < 36; ++y) {
    for (int x = 20; x < 28; ++x)
      EXPECT_EQ(At(image, x + 8, y - 1), At(original, x, y)) << x << "," << y;
  }
}

TEST(Rotate3d, HalfTurnAboutXShowsTheBackMirroredVertically) {
  // y -> -y: card rows 10..55, texture row j on screen row 55 - j; image (x, y) -> (x + 8, 65 - y).
  const CDib original = Block();
  CDib image = Block();
  Rotate3dParams p;
  p.angleX = 180;
  ASSERT_TRUE(ApplyRotate3d(image, Rect::Whole(), p));
  EXPECT_EQ(VisibleCount(image), 48);
  for (int y = 30; y < 36; ++y) {
    for (int x = 20; x < 28; ++x)
      EXPECT_EQ(At(image, x + 8, 65 - y), At(original, x, y)) << x << "," << y;
  }
}

TEST(Rotate3d, QuarterTurnsAboutZKeepTheWholeShape) {
  // Flat top and bottom edges fall on every vertex pair in turn; the card must never vanish.
  // (A quarter turn swaps the card's sides, so the texture is resampled and edges soften.)
  for (const int angle : {90, -90, 180}) {
    CDib image = Block();
    Rotate3dParams p;
    p.angleZ = angle;
    ASSERT_TRUE(ApplyRotate3d(image, Rect::Whole(), p));
    EXPECT_GE(VisibleCount(image), 48) << angle;
  }
}

TEST(Rotate3d, EdgeOnCardDrawsNothing) {
  CDib image = Block();
  Rotate3dParams p;
  p.angleY = 90;
  ASSERT_TRUE(ApplyRotate3d(image, Rect::Whole(), p));
  EXPECT_EQ(VisibleCount(image), 0);
}

TEST(Rotate3d, ImageWithoutVisiblePixelsIsLeftAlone) {
  CDib image = Filled(8, 8, 0x00ABCDEF);
  ASSERT_TRUE(ApplyRotate3d(image, Rect::Whole(), {30, 20, 10, 0, 0, 100, 90}));
  Shadow3dParams shadow;
  ASSERT_TRUE(ApplyShadow3d(image, Rect::Whole(), shadow));
  for (const Pixel p : PixelsOf(image)) EXPECT_EQ(p, 0x00ABCDEFu);
}

TEST(Rotate3d, InPlaceSelectionConfinesTheResult) {
  CDib image = Block();
  image.SetPixel(0, 0, 0x00ABCDEF);
  ASSERT_TRUE(ApplyRotate3d(image, {16, 26, 40, 40}, {}));
  EXPECT_EQ(At(image, 0, 0), 0x00ABCDEFu);
  EXPECT_EQ(VisibleCount(image), 48);
}

TEST(Renderer3D, FourVerticesOnOneRowDrawNothingAndEnd) {
  CDib output;
  ASSERT_TRUE(output.Create(16, 16));
  Renderer3D r(output);
  r.viewDistance = 10;
  const Pixel texel = 0xFFFFFFFF;
  r.AddTexture(1, 1, &texel, 1);
  const int o = r.AddObject(9, 0);
  r.AddVertex(o, -4, 0, 0, 0, 0);
  r.AddVertex(o, 4, 0, 0, 1, 0);
  r.AddVertex(o, 6, 0, 0, 1, 1);
  r.AddVertex(o, -6, 0, 0, 0, 1);
  r.AddQuad(o, 0, 1, 2, 3);
  r.AddQuad(o, 3, 2, 1, 0);
  r.TranslateObject(o, 0, 0, 10);
  r.Render();
  EXPECT_EQ(VisibleCount(output), 0);
}

TEST(Renderer3D, AnglesAreWholeDegrees) {
  CDib a;
  CDib b;
  ASSERT_TRUE(a.Create(32, 32));
  ASSERT_TRUE(b.Create(32, 32));
  const CDib texture = Filled(4, 4, 0xFF808080);
  for (CDib* out : {&a, &b}) {
    Renderer3D r(*out);
    r.viewDistance = 40;
    r.AddTexture(4, 4, texture.Pixels(), texture.Stride());
    BuildCard(r, 4, 4);
    r.RotateObject(0, out == &a ? 10.7 : 10, 0, 0);
    r.TranslateObject(0, 0, 0, 40);
    r.Render();
  }
  EXPECT_EQ(PixelsOf(a), PixelsOf(b));
  EXPECT_GT(VisibleCount(a), 0);
}

TEST(Shadow3d, CentredFlatShadowHidesUnderAnOpaqueShape) {
  // Angles 0, position Center, no blur: the silhouette projects onto the shape itself, so with
  // "Only Outside" nothing of it shows; transparent pixels come back as 0.
  const CDib original = Block();
  CDib image = Block();
  Shadow3dParams p;
  p.blur = 0;
  p.transparency = 0;
  p.angleX = 0;
  p.shadowPosition = 1;
  ASSERT_TRUE(ApplyShadow3d(image, Rect::Whole(), p));
  EXPECT_EQ(PixelsOf(image), PixelsOf(original));
}

TEST(Shadow3d, DefaultShadowFallsOutsideTheShape) {
  CDib image = Block();
  ASSERT_TRUE(ApplyShadow3d(image, Rect::Whole(), {}));
  EXPECT_GT(VisibleCount(image), 48);
  const CDib original = Block();
  for (int y = 30; y < 36; ++y) {
    for (int x = 20; x < 28; ++x) EXPECT_EQ(At(image, x, y), At(original, x, y));
  }
}

}  // namespace
}  // namespace morvane::testing
