// Mirrors and rotations, and the selection geometry around them.
#include "effects/transforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "effect_test_support.h"
#include "effects/effect_registry.h"
#include "effects/effect_target.h"

namespace morvane::testing {
namespace {

// Every pixel different, some transparent with colour bits, some partly transparent.
CDib Pattern(int w, int h) {
  CDib image;
  EXPECT_TRUE(image.Create(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Pixel alpha = (x + y) % 5 == 0 ? 0 : ((x + y) % 5 == 1 ? 0x80 : 0xFF);
      image.SetPixel(x, y, alpha << 24 | static_cast<Pixel>(x) << 8 | static_cast<Pixel>(y));
    }
  }
  return image;
}

TEST(RotateExact, QuarterTurnOfANonSquareImage) {
  CDib image = Pattern(48, 32);
  const Pixel corner = At(image, 0, 1);  // (0, 0) is transparent in the pattern
  ASSERT_TRUE(RotateExact(image, 90));
  ASSERT_EQ(image.GetWidth(), 32);
  ASSERT_EQ(image.GetHeight(), 48);
  EXPECT_EQ(At(image, 30, 0), corner);  // (x, y) -> (H - 1 - y, x)
  CDib ccw = Pattern(48, 32);
  ASSERT_TRUE(RotateExact(ccw, -90));
  EXPECT_EQ(At(ccw, 1, 47), corner);  // (x, y) -> (y, W - 1 - x)
}

TEST(RotateExact, FourTurnsRestoreAllButTransparentColourBits) {
  const CDib original = Pattern(7, 5);
  CDib image = Copy(original);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(RotateExact(image, 90));
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const Pixel p = At(original, x, y);
      EXPECT_EQ(At(image, x, y), IsTransparent(p) ? 0 : p);
    }
  }
  EXPECT_FALSE(RotateExact(image, 45));
}

TEST(RotateExact, FlipsTogetherEqualAHalfTurnForOpaquePixels) {
  CDib flipped = Filled(5, 3, 0xFF000000);
  for (int i = 0; i < 15; ++i) flipped.SetPixel(i % 5, i / 5, 0xFF000000 | static_cast<Pixel>(i));
  CDib turned = Copy(flipped);
  FlipHorizontal(flipped);
  FlipVertical(flipped);
  ASSERT_TRUE(RotateExact(turned, 180));
  EXPECT_EQ(PixelsOf(flipped), PixelsOf(turned));
}

TEST(Flips, KeepTransparentPixelsWhole) {
  CDib image = Image({{0x00123456, 0xFF000001}, {0x80000002, 0x00654321}});
  FlipHorizontal(image);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF000001, 0x00123456, 0x00654321, 0x80000002}));
  FlipVertical(image);
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x00654321, 0x80000002, 0xFF000001, 0x00123456}));
}

TEST(RotateFree, AngleZeroLeavesPixelsUnchangedWithAndWithoutAntiAliasing) {
  for (const bool aa : {false, true}) {
    CDib image = Pattern(6, 4);
    ASSERT_TRUE(RotateFree(image, {0, aa, 8}));
    ASSERT_EQ(image.GetWidth(), 6);
    ASSERT_EQ(image.GetHeight(), 4);
    const CDib original = Pattern(6, 4);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) {
        const Pixel p = At(original, x, y);
        EXPECT_EQ(At(image, x, y), IsTransparent(p) ? 0 : p) << aa << " " << x << "," << y;
      }
    }
  }
}

TEST(RotateFree, ThinSelectionKeepsEveryPixel) {
  // A 1 x 10 column at 5 degrees: a box truncated toward zero would be 0 pixels wide.
  CDib image;
  ASSERT_TRUE(image.Create(1, 10));
  for (int y = 0; y < 10; ++y) image.SetPixel(0, y, 0xFF000000 | static_cast<Pixel>(y + 1));
  ASSERT_TRUE(RotateFree(image, {5, false, 8}));
  ASSERT_GE(image.GetWidth(), 1);
  std::set<Pixel> seen;
  for (const Pixel p : PixelsOf(image)) {
    if (!IsTransparent(p)) seen.insert(p);
  }
  EXPECT_EQ(seen.size(), 10u);
}

TEST(RotateFree, FortyFiveDegreesGrowsTheSquareWithClearCorners) {
  CDib image = Filled(32, 32, 0xFF3070E0);
  ASSERT_TRUE(RotateFree(image, {45, false, 8}));
  // 32 x sqrt 2 = 45.25, rounded outward on both sides of the centre.
  EXPECT_EQ(image.GetWidth(), 46);
  EXPECT_EQ(image.GetHeight(), 46);
  EXPECT_EQ(At(image, 0, 0), 0u);
  EXPECT_EQ(At(image, 45, 45), 0u);
  EXPECT_EQ(At(image, 23, 23), 0xFF3070E0u);
}

TEST(RotateFree, AntiAliasedEdgesStepInSixteenths) {
  CDib image = Filled(16, 16, 0xFFFFFFFF);
  ASSERT_TRUE(RotateFree(image, {30, true, 8}));  // J = 4: 4 x 4 blocks
  std::set<unsigned> allowed;
  for (unsigned k = 0; k <= 16; ++k) allowed.insert(255 * k / 16);
  bool partial = false;
  for (const Pixel p : PixelsOf(image)) {
    EXPECT_TRUE(allowed.contains(AlphaOf(p))) << AlphaOf(p);
    partial |= AlphaOf(p) != 0 && AlphaOf(p) != 255;
  }
  EXPECT_TRUE(partial);
}

// The anti-aliased rotation as written: enlarge by replication, sample every point of the
// enlarged box (rounded up to whole blocks), shrink the blocks.
CDib ReferenceSupersampled(const CDib& source, double angle, int j) {
  const double theta = angle * 0.017453292519943295;
  const double cs = std::cos(theta), sn = std::sin(theta);
  const double w = source.GetWidth() * j, h = source.GetHeight() * j;
  const double xs[] = {0, w * cs, -(h * sn), w * cs - h * sn};
  const double ys[] = {0, w * sn, h * cs, w * sn + h * cs};
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (int i = 0; i < 4; ++i) {
    minX = std::min(minX, static_cast<int>(std::floor(xs[i] + 1e-3)));
    minY = std::min(minY, static_cast<int>(std::floor(ys[i] + 1e-3)));
    maxX = std::max(maxX, static_cast<int>(std::ceil(xs[i] - 1e-3)));
    maxY = std::max(maxY, static_cast<int>(std::ceil(ys[i] - 1e-3)));
  }
  const int bw = j * ((maxX - minX + j - 1) / j), bh = j * ((maxY - minY + j - 1) / j);
  CDib big;
  EXPECT_TRUE(big.Create(bw, bh));
  for (int row = 0; row < bh; ++row) {
    for (int col = 0; col < bw; ++col) {
      const double x = col + minX, y = row + minY;
      const int sx = static_cast<int>(x * cs + y * sn), sy = static_cast<int>(y * cs - x * sn);
      if (sx >= 0 && sy >= 0 && sx < w && sy < h)
        big.PaintPixel(col, row, At(source, sx / j, sy / j));
    }
  }
  CDib small;
  EXPECT_TRUE(small.Create(bw / j, bh / j));
  EXPECT_TRUE(BoxShrinkInto(big, small));
  return small;
}

TEST(RotateFree, AntiAliasedRotationIsEnlargeSampleShrink) {
  for (const int angle : {-89, -45, -7, 0, 3, 30, 60, 90}) {
    for (const int level : {3, 6, 8, 16}) {
      const CDib source = Pattern(9, 5);
      CDib image = Copy(source);
      ASSERT_TRUE(RotateFree(image, {angle, true, level}));
      const CDib expected = ReferenceSupersampled(source, angle, std::clamp(level / 2, 1, 8));
      ASSERT_EQ(image.GetWidth(), expected.GetWidth()) << angle << " " << level;
      ASSERT_EQ(image.GetHeight(), expected.GetHeight()) << angle << " " << level;
      EXPECT_EQ(PixelsOf(image), PixelsOf(expected)) << angle << " " << level;
    }
  }
}

// Scrambled colours in every channel, alpha 0 (colour bits kept), 1, 127, 254 and 255, and
// opaque white patches whose blocks sum every channel to its largest value. The padding past
// each row's end is opaque, so that reading it by mistake shows.
CDib Scrambled(int w, int h) {
  constexpr Pixel kAlphas[] = {0, 0, 1, 0x7F, 0xFE, 0xFF, 0xFF, 0xFF};
  CDib image;
  EXPECT_TRUE(image.Create(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const auto hash = static_cast<Pixel>(x * 2654435761u ^ y * 40503u ^ (x + 7) * (y + 3) * 97u);
      const Pixel p = (x / 5 + y / 4) % 3 == 0 ? 0xFFFFFFFF : kAlphas[hash >> 29] << 24 | hash >> 5;
      image.SetPixel(x, y, p);
    }
    std::fill(image.Row(y) + w, image.Row(y) + image.Stride(), 0xFF123456);
  }
  return image;
}

TEST(RotateAntiAliased, MatchesThePlainRuleForEveryFactorSizeAndAngle) {
  // Small and fractional angles put block corners right at the source's edges; 1 x 1 and
  // 3 x 7 give boxes of one or two blocks, 33 x 17 and 40 x 40 blocks wholly inside.
  const double angles[] = {-90, -60.25, -45, -12.5, -1, -0.5, 0.5, 1, 7.3, 45, 89.5, 90};
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 7}, {33, 17}, {40, 40}}) {
    const CDib source = Scrambled(w, h);
    for (int j = 1; j <= 8; ++j) {
      for (const double angle : angles) {
        CDib image = Copy(source);
        ASSERT_TRUE(RotateAntiAliased(image, angle, j));
        const CDib expected = ReferenceSupersampled(source, angle, j);
        const auto where = ::testing::Message() << w << "x" << h << " J " << j << " " << angle;
        ASSERT_EQ(image.GetWidth(), expected.GetWidth()) << where;
        ASSERT_EQ(image.GetHeight(), expected.GetHeight()) << where;
        ASSERT_EQ(PixelsOf(image), PixelsOf(expected)) << where;
      }
    }
  }
}

TEST(RotateAntiAliased, MatchesThePlainRuleOnVeryWideImages) {
  // Beyond about 8000 pixels enlarged 7 times the division by the factor takes another way.
  const CDib source = Scrambled(8300, 1);
  for (const double angle : {0.1, -0.1}) {
    CDib image = Copy(source);
    ASSERT_TRUE(RotateAntiAliased(image, angle, 7));
    const CDib expected = ReferenceSupersampled(source, angle, 7);
    ASSERT_EQ(image.GetHeight(), expected.GetHeight()) << angle;
    ASSERT_EQ(PixelsOf(image), PixelsOf(expected)) << angle;
  }
}

TEST(RotateAntiAliased, MatchesThePlainRuleWhenSpreadOverCores) {
  // Millions of samples: the rows of blocks are shared among threads.
  const CDib source = Scrambled(300, 290);
  for (const auto& [angle, j] : {std::pair{3.0, 7}, {-33.3, 8}}) {
    CDib image = Copy(source);
    ASSERT_TRUE(RotateAntiAliased(image, angle, j));
    const CDib expected = ReferenceSupersampled(source, angle, j);
    ASSERT_EQ(image.GetHeight(), expected.GetHeight()) << angle;
    ASSERT_EQ(PixelsOf(image), PixelsOf(expected)) << angle;
  }
}

TEST(RotateAntiAliased, FullChannelsAverageBackToThemselves) {
  // 64 samples of 255 in every channel: the largest sums a block can hold.
  CDib image = Filled(24, 24, 0xFFFFFFFF);
  ASSERT_TRUE(RotateAntiAliased(image, 30, 8));
  EXPECT_EQ(At(image, image.GetWidth() / 2, image.GetHeight() / 2), 0xFFFFFFFFu);
}

TEST(RotateAntiAliased, RefusesEmptyImagesAndAnglesThatAreNotNumbers) {
  CDib image = Filled(4, 4, 0xFF102030);
  EXPECT_FALSE(RotateAntiAliased(image, std::nan(""), 4));
  EXPECT_FALSE(RotateAntiAliased(image, INFINITY, 4));
  EXPECT_EQ(image.GetWidth(), 4);
  CDib empty;
  EXPECT_FALSE(RotateAntiAliased(empty, 30, 4));
}

TEST(RotateFree, AntiAliasingFactorIsBounded) {
  // Levels 0 and 1 would give a factor of 0; the factor is at least 1 (and at most 8).
  for (const int level : {0, 1, 1000}) {
    CDib image = Filled(8, 8, 0xFF102030);
    ASSERT_TRUE(RotateFree(image, {20, true, level}));
    EXPECT_GT(image.GetWidth(), 8);
  }
}

TEST(BoxShrink, AveragesColourOverVisiblePixelsAndAlphaOverTheBlock) {
  const CDib source = Image({{0xFFFF0000, 0x00FFFFFF}, {0x800000FF, 0x00000000}});
  CDib destination;
  ASSERT_TRUE(destination.Create(1, 1));
  ASSERT_TRUE(BoxShrinkInto(source, destination));
  // Alpha (255 + 128) / 4 = 95, red 255 / 2 = 127, blue 255 / 2 = 127.
  EXPECT_EQ(At(destination, 0, 0), 0x5F7F007Fu);
  CDib odd;
  ASSERT_TRUE(odd.Create(3, 1));
  EXPECT_FALSE(BoxShrinkInto(source, odd));
}

TEST(SelectionGeometry, QuarterTurnSwapsSidesFromTheOldRectangle) {
  EXPECT_EQ(QuarterTurnedRect({2, 3, 10, 5}), (Rect{2, 3, 4, 11}));
  EXPECT_EQ(RecentredRect({0, 0, 32, 32}, 46, 46), (Rect{-7, -7, 39, 39}));
}

TEST(SelectionGeometry, RotatingAnInPlaceSelectionLiftsAndSwapsIt) {
  // A 3 x 1 strip at (1, 1) turned clockwise becomes a 1 x 3 strip at the same corner.
  CDib image = Filled(5, 5, 0xFF000000);
  image.SetPixel(1, 1, 0xFF0000AA);
  image.SetPixel(2, 1, 0xFF0000BB);
  image.SetPixel(3, 1, 0xFF0000CC);
  const EffectInfo* rotate = FindEffect("rotate-90-cw");
  ASSERT_NE(rotate, nullptr);
  ASSERT_TRUE(rotate->run(image, {1, 1, 4, 2}, {}));
  EXPECT_EQ(At(image, 1, 1), 0xFF0000AAu);
  EXPECT_EQ(At(image, 1, 2), 0xFF0000BBu);
  EXPECT_EQ(At(image, 1, 3), 0xFF0000CCu);
  EXPECT_EQ(At(image, 2, 1), 0u);  // lifted away and left clear
  EXPECT_EQ(At(image, 3, 1), 0u);
}

TEST(SelectionGeometry, ResolvesNormalisesAndCutsTheRectangle) {
  CDib image = Filled(10, 8, 0);
  EXPECT_EQ(ResolveEffectRect(image, {12, 6, 4, -3}), (Rect{4, 0, 10, 6}));
  EXPECT_EQ(ResolveEffectRect(image, Rect::Whole()), (Rect{0, 0, 10, 8}));
  EXPECT_FALSE(ResolveEffectRect(image, {20, 20, 30, 30}).has_value());
  CDib empty;
  EXPECT_FALSE(ResolveEffectRect(empty, Rect::Whole()).has_value());
}

}  // namespace
}  // namespace morvane::testing
