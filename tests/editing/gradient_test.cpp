#include "editing/gradient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace morvane {
namespace {

GradientSettings Type(int type) {
  GradientSettings g;
  g.type = type;
  return g;
}

TEST(GradientPalette, DefaultStops) {
  const GradientPalette p = BuildGradientPalette(DefaultGradientStops());
  EXPECT_EQ(p[0], 0xFFFFFFFFu);
  // Entry 127: t = 254/255 of the way from white to blue: red and green 1.
  EXPECT_EQ(p[127], 0xFF0101FFu);
  // Entry 128: past 0.5, t = 1/255 from blue to transparent blue: alpha 254.
  EXPECT_EQ(p[128], 0xFE0000FFu);
  EXPECT_EQ(p[255], 0x000000FFu);
}

TEST(GradientPalette, StopsAtOnePositionAndLateFirstStop) {
  const GradientPalette p = BuildGradientPalette(
      {{0xFF000000, 0.5}, {0xFFFF0000, 0.5}, {0xFF00FF00, 0.5}, {0xFF0000FF, 1}});
  EXPECT_EQ(p[0], 0xFF000000u);  // before the first stop: its colour
  EXPECT_EQ(p[127], 0xFF000000u);
  EXPECT_EQ(p[128], 0xFFFF0000u);  // an empty segment takes its upper colour
  EXPECT_EQ(p[255], 0xFF0000FFu);
}

TEST(GradientStops, StoredBytesAreValidated) {
  std::vector<std::uint8_t> colours, positions;
  const std::vector<GradientStop> two{{0xFF102030, 0}, {0x00405060, 1}};
  StopsToBytes(two, colours, positions);
  EXPECT_EQ(StopsFromBytes(colours, positions), two);
  // n = min(colours / 4, positions / 8): an extra colour is ignored.
  colours.insert(colours.end(), {1, 2, 3, 4});
  EXPECT_EQ(StopsFromBytes(colours, positions), two);
  // One stop, decreasing or non-finite positions: the defaults.
  EXPECT_EQ(StopsFromBytes({1, 2, 3, 4}, std::vector<std::uint8_t>(8)), DefaultGradientStops());
  StopsToBytes({{0, 0.7}, {0, 0.2}}, colours, positions);
  EXPECT_EQ(StopsFromBytes(colours, positions), DefaultGradientStops());
  StopsToBytes({{0, 0}, {0, std::numeric_limits<double>::quiet_NaN()}}, colours, positions);
  EXPECT_EQ(StopsFromBytes(colours, positions), DefaultGradientStops());
  StopsToBytes({{0, 0}, {0, 1.5}}, colours, positions);
  EXPECT_EQ(StopsFromBytes(colours, positions), DefaultGradientStops());
}

TEST(GradientTypes, LinearAngles) {
  GradientSettings g;
  EXPECT_EQ(GradientIndex(g, 50, 0), 255);  // angle 0: 1 along the top
  EXPECT_EQ(GradientIndex(g, 50, 127), 0);
  g.angle = 90;
  EXPECT_EQ(GradientIndex(g, 0, 50), 255);
  EXPECT_EQ(GradientIndex(g, 127, 50), 0);
  g.angle = -90;
  EXPECT_EQ(GradientIndex(g, 0, 50), 0);
  g.angle = 45;
  EXPECT_EQ(GradientIndex(g, 0, 0), 255);
  EXPECT_EQ(GradientIndex(g, 127, 127), 0);
  EXPECT_EQ(GradientIndex(g, 127, 0), 127);  // corners (1, 0.5, 0.5, 0): 0.5 * 255
  g.angle = 180;
  EXPECT_EQ(GradientIndex(g, 50, 127), 255);
}

TEST(GradientTypes, RadialFamily) {
  GradientSettings cycle = Type(1);
  EXPECT_EQ(GradientIndex(cycle, 64, 64), 0);
  EXPECT_EQ(GradientIndex(cycle, 127, 64), 180);  // 63 / (63 sqrt 2) * 255 = 180.3
  EXPECT_EQ(GradientIndex(cycle, 0, 0), 255);     // distance 90.5 > 89.1
  cycle.xOffset = 10;                             // centre 64 + 15
  cycle.yOffset = -3;                             // 64 + (-9 / 2) = 60
  EXPECT_EQ(GradientIndex(cycle, 79, 60), 0);

  const GradientSettings radial = Type(2);
  EXPECT_EQ(GradientIndex(radial, 64, 64), 254);  // the centre takes 359 degrees
  EXPECT_EQ(GradientIndex(radial, 0, 64), 127);   // 180 degrees
  EXPECT_EQ(GradientIndex(radial, 64, 0), 191);   // dx 0, dy > 0: 270 degrees
  EXPECT_EQ(GradientIndex(radial, 127, 64), 255);

  // At (64, 0): r = 64 and phi = 270.
  EXPECT_EQ(GradientIndex(Type(3), 64, 0), 227);   // R = ((0.5 - 0.354) * 0.95 + 1) * 63
  EXPECT_EQ(GradientIndex(Type(6), 64, 30), 190);  // R = 127 - 0.917 * 88.9, r = 34
  EXPECT_EQ(GradientIndex(Type(10), 64, 0), 207);  // sin(1080) = 0: R = 78.75
}

TEST(GradientSettings, NormalizeWrapsAndResets) {
  GradientSettings g;
  g.type = 12;
  g.angle = 200;
  g.areaFill = 7;
  g.stops = {{0, 0}};
  g.Normalize();
  EXPECT_EQ(g.type, 0);
  EXPECT_EQ(g.angle, -160);
  EXPECT_EQ(g.areaFill, 0);
  EXPECT_EQ(g.stops, DefaultGradientStops());
  g.angle = -540;
  g.Normalize();
  EXPECT_EQ(g.angle, -180);
}

TEST(RenderGradient, UsesPaletteColoursOnly) {
  CDib out;
  RenderGradient(GradientSettings{}, out);
  ASSERT_EQ(out.GetWidth(), 128);
  EXPECT_EQ(out.GetPixel(10, 0), 0x000000FFu);
  EXPECT_EQ(out.GetPixel(10, 127), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace morvane
