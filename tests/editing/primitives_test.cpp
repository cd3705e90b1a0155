#include "editing/primitives.h"

#include <gtest/gtest.h>

#include <cmath>

namespace morvane {
namespace {

DrawSettings Aliased(bool on, int level = 8) {
  DrawSettings s;
  s.antiAlias = on;
  s.antiAliasLevel = level;
  return s;
}

int Count(const CDib& dib) {
  int n = 0;
  for (int y = 0; y < dib.GetHeight(); ++y) {
    for (int x = 0; x < dib.GetWidth(); ++x) n += dib.GetPixel(x, y) != 0;
  }
  return n;
}

TEST(DrawLine, AntiAliasedDiagonalWeighsTheSidePixels) {
  CoverageMask m;
  ASSERT_TRUE(m.Create(5, 4));
  RasterizeLine(m, 0, 0, 3, 1, 255, 1, true);
  // Flat case: dx = 6, dy = 2, u starts at 540; w = u / 6 per column = 90, 150, 30, 90.
  // Ahead (below) gets w, behind (above) 180 - w, the centre 255 - |w - 90| * 76 / 90.
  const int expected[4][5] = {
      {255, 205, 150, 90, 0},
      {90, 150, 205, 255, 0},
      {0, 0, 30, 90, 0},
      {0, 0, 0, 0, 0},
  };
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(m.Get(x, y), expected[y][x]) << x << "," << y;
  }
}

TEST(DrawLine, WithoutAntiAliasingSetsOnePixelPerColumn) {
  CoverageMask m;
  ASSERT_TRUE(m.Create(5, 3));
  RasterizeLine(m, 0, 0, 3, 1, 200, 1, false);
  const int expected[3][5] = {{200, 200, 0, 0, 0}, {0, 0, 200, 200, 0}, {0, 0, 0, 0, 0}};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(m.Get(x, y), expected[y][x]) << x << "," << y;
  }
}

TEST(DrawLine, WidthRunsAcrossAndStraightLinesAreNeverSmoothed) {
  for (int width : {3, 4}) {
    CDib dib;
    ASSERT_TRUE(dib.Create(8, 8));
    DrawLine(dib, 1, 4, 6, 4, 0xFFFF0000, width, Aliased(true));
    // h = (width - 1) / 2 rows above, g = width / 2 below.
    const int top = 4 - (width - 1) / 2;
    const int bottom = 4 + width / 2;
    for (int y = 0; y < 8; ++y) {
      const bool in = y >= top && y <= bottom;
      EXPECT_EQ(dib.GetPixel(3, y), in ? 0xFFFF0000u : 0u) << width << " " << y;
    }
    EXPECT_EQ(Count(dib), 6 * width);
  }
  CDib vertical;
  ASSERT_TRUE(vertical.Create(5, 5));
  DrawLine(vertical, 2, 0, 2, 4, 0xFF0000FF, 1, Aliased(true));
  EXPECT_EQ(Count(vertical), 5);
}

TEST(DrawLine, PartlyOutsideTheImageIsClipped) {
  CDib dib;
  ASSERT_TRUE(dib.Create(4, 4));
  DrawLine(dib, -1000, 1, 1000, 1, 0xFF00FF00, 1, Aliased(false));
  EXPECT_EQ(Count(dib), 4);
  DrawLine(dib, -50, -50, -10, -3, 0xFF00FF00, 9, Aliased(true));
  EXPECT_EQ(Count(dib), 4);
}

TEST(Ellipse, FilledAndOutlinedWithoutAntiAliasing) {
  CDib filled;
  ASSERT_TRUE(filled.Create(6, 6));
  // Box 0..3: rows 0 and 3 cover x 1..2 (half width 1.32 at row centre 0.5), rows 1 and 2 all.
  FillEllipse(filled, 0, 0, 3, 3, 0xFF000000, Aliased(false));
  EXPECT_EQ(Count(filled), 12);
  EXPECT_EQ(filled.GetPixel(0, 0), 0u);
  EXPECT_EQ(filled.GetPixel(1, 0), 0xFF000000u);
  EXPECT_EQ(filled.GetPixel(0, 1), 0xFF000000u);

  CDib ring;
  ASSERT_TRUE(ring.Create(6, 6));
  DrawEllipse(ring, 0, 0, 3, 3, 0xFF000000, 1, Aliased(false));
  EXPECT_EQ(Count(ring), 8);
  EXPECT_EQ(ring.GetPixel(1, 1), 0u);
  EXPECT_EQ(ring.GetPixel(2, 2), 0u);
}

TEST(Ellipse, HugeAntiAliasedEllipseAtLevelSixteenFillsTheImage) {
  CDib dib;
  ASSERT_TRUE(dib.Create(256, 256));
  FillEllipse(dib, -500, -500, 800, 800, 0xFF336699, Aliased(true, 16));
  EXPECT_EQ(dib.GetPixel(0, 0), 0xFF336699u);
  EXPECT_EQ(dib.GetPixel(255, 255), 0xFF336699u);
  DrawEllipse(dib, -500, -500, 800, 800, 0xFF000000, 3, Aliased(true, 16));
  EXPECT_EQ(dib.GetPixel(128, 128), 0xFF336699u);  // the ring lies outside the image
}

TEST(Ellipse, AntiAliasingLevelOneStillSamplesTwice) {
  CDib dib;
  ASSERT_TRUE(dib.Create(8, 8));
  // f = 2: box 0..7 becomes units 2..14; pixel (4, 4) lies deep inside.
  FillEllipse(dib, 0, 0, 7, 7, 0xFF000000, Aliased(true, 1));
  EXPECT_EQ(dib.GetPixel(4, 4), 0xFF000000u);
  CDib line;
  ASSERT_TRUE(line.Create(8, 3));
  DrawPolyline(line, {{0, 1}, {7, 1}}, 0xFF000000, 1, 0, Aliased(true, 1));
  EXPECT_GT(AlphaOf(line.GetPixel(3, 1)), 0u);  // a pen of 2 * 1 - 1 = 1 unit, not 0
}

TEST(RoundRectangle, OutlineAndOversizedCut) {
  CDib dib;
  ASSERT_TRUE(dib.Create(8, 8));
  DrawRoundRectangle(dib, 1, 1, 7, 7, 0, 0, 0xFF000000, 1, Aliased(false));
  // Box 1..6 with the inside 2..5 cut away: 36 - 16 pixels.
  EXPECT_EQ(Count(dib), 20);
  EXPECT_EQ(dib.GetPixel(3, 3), 0u);
  CDib solid;
  ASSERT_TRUE(solid.Create(8, 8));
  // A pen wider than half the box turns the cut inside out: it cuts nothing.
  DrawRoundRectangle(solid, 1, 1, 7, 7, 0, 0, 0xFF000000, 10, Aliased(true));
  EXPECT_EQ(Count(solid), 36);
  EXPECT_EQ(solid.GetPixel(3, 3), 0xFF000000u);
}

TEST(RoundRectangle, CornersAreCut) {
  CDib dib;
  ASSERT_TRUE(dib.Create(10, 10));
  FillRoundRectangle(dib, 0, 0, 10, 10, 6, 6, 0xFF000000, Aliased(false));
  EXPECT_EQ(dib.GetPixel(0, 0), 0u);
  EXPECT_EQ(dib.GetPixel(9, 9), 0u);
  EXPECT_EQ(dib.GetPixel(5, 0), 0xFF000000u);
  EXPECT_EQ(dib.GetPixel(0, 5), 0xFF000000u);
}

TEST(Replication, FivePointsAroundTheCentreMakeAPentagon) {
  const auto out = ReplicatePoints({{10, 10}, {10, 0}}, PackReplication(5, 0));
  ASSERT_EQ(out.size(), 6u);
  for (int i = 0; i < 5; ++i) {
    const double w = i * 2 * 3.141592653589793 / 5;
    EXPECT_NEAR(out[i].x, 10 + 10 * std::sin(w), 1e-9);
    EXPECT_NEAR(out[i].y, 10 - 10 * std::cos(w), 1e-9);
  }
  EXPECT_EQ(out[5], out[0]);
  // A negative proportion squeezes x: fx = 0.5.
  const auto squeezed = ReplicatePoints({{10, 10}, {10, 0}}, PackReplication(4, -50));
  EXPECT_NEAR(squeezed[1].x, 15, 1e-9);  // 90 degrees: x = 10 + 10 * 0.5
  // No arm yet, or no copies: nothing, and nothing read past the points.
  EXPECT_TRUE(ReplicatePoints({{1, 1}}, PackReplication(5, 0)).empty());
  EXPECT_TRUE(ReplicatePoints({}, PackReplication(5, 0)).empty());
  EXPECT_TRUE(ReplicatePoints({{1, 1}, {2, 2}}, PackReplication(0, 30)).empty());
}

TEST(Polygon, FillCoversInsideAndOutline) {
  CDib dib;
  ASSERT_TRUE(dib.Create(8, 8));
  FillPolygon(dib, {{1, 1}, {5, 1}, {5, 5}, {1, 5}}, 0xFF00FF00, 0, Aliased(false));
  EXPECT_EQ(Count(dib), 25);  // pixels 1..5 in both directions
  EXPECT_EQ(dib.GetPixel(3, 3), 0xFF00FF00u);
  CDib aa;
  ASSERT_TRUE(aa.Create(8, 8));
  FillPolygon(aa, {{1, 1}, {5, 1}, {5, 5}, {1, 5}}, 0xFF00FF00, 0, Aliased(true));
  EXPECT_EQ(aa.GetPixel(3, 3), 0xFF00FF00u);
  EXPECT_EQ(aa.GetPixel(0, 3), 0u);
  EXPECT_GT(AlphaOf(aa.GetPixel(1, 3)), 0u);
  EXPECT_LT(AlphaOf(aa.GetPixel(1, 3)), 255u);  // a partly covered edge
}

TEST(Polyline, WidePenHasRoundEnds) {
  CDib dib;
  ASSERT_TRUE(dib.Create(12, 12));
  DrawPolyline(dib, {{3, 5}, {8, 5}}, 0xFF000000, 5, 0, Aliased(false));
  EXPECT_EQ(dib.GetPixel(5, 3), 0xFF000000u);
  EXPECT_EQ(dib.GetPixel(5, 7), 0xFF000000u);
  EXPECT_EQ(dib.GetPixel(1, 5), 0xFF000000u);  // the round end reaches 2 pixels past the point
  EXPECT_EQ(dib.GetPixel(1, 3), 0u);           // but not its corners
}

TEST(FillRectangle, CoversTheInclusiveBoxOnly) {
  CDib dib;
  ASSERT_TRUE(dib.Create(6, 6));
  FillRectangle(dib, 1, 2, 3, 4, 0x80FFFFFF, Aliased(true));
  EXPECT_EQ(Count(dib), 9);
  EXPECT_EQ(dib.GetPixel(1, 2), 0x80FFFFFFu);
}

}  // namespace
}  // namespace morvane
