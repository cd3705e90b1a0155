#include "shell/settings_tools.h"

#include <gtest/gtest.h>

#include "editing/primitives.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

TEST(ToolSettingsStore, FreshInstallationGivesTheDefaults) {
  MemorySettingsStore store;
  const ToolSettings t = LoadToolSettings(Settings(store));
  EXPECT_EQ(t.penSize, 1);
  EXPECT_EQ(t.rectangle.roundWidth, 0);
  EXPECT_TRUE(t.rectangle.link);
  EXPECT_EQ(t.polygon.count, 5);
  EXPECT_EQ(t.polygon.Replication(), 0u);
  EXPECT_EQ(t.replace.hueDelta, 15);
  EXPECT_EQ(t.replace.luminanceDelta, 100);
  EXPECT_EQ(t.gradient.stops, DefaultGradientStops());
}

TEST(ToolSettingsStore, DamagedValuesAreBroughtIntoRange) {
  MemorySettingsStore store;
  Settings s(store);
  s.write_int("", "Pen size", 1000);
  s.write_int("Polygon properties dialog", "Count", 0);
  s.write_int("Polygon properties dialog", "Proportion", -5000);
  s.write_int("Replace properties dialog", "Hue delta", -3);
  s.write_int("Fill properties dialog", "Type", 99);
  s.write_int("Fill properties dialog", "Angle", 200);
  s.write_binary("Fill properties dialog", "Colors", SettingBytes(8, 0xFF));
  s.write_binary("Fill properties dialog", "Colors pos", SettingBytes(16, 0xFF));  // NaNs
  const ToolSettings t = LoadToolSettings(s);
  EXPECT_EQ(t.penSize, 64);
  EXPECT_EQ(t.polygon.count, 3);
  EXPECT_EQ(t.polygon.proportion, -100);
  EXPECT_EQ(t.replace.hueDelta, 1);
  EXPECT_EQ(t.gradient.type, 0);
  EXPECT_EQ(t.gradient.angle, -160);  // wraps instead of sticking at 180
  EXPECT_EQ(t.gradient.stops, DefaultGradientStops());
}

TEST(ToolSettingsStore, RoundTripsEveryValueAndTheStops) {
  MemorySettingsStore store;
  Settings s(store);
  ToolSettings t;
  t.penSize = 7;
  t.rectangle.link = false;
  t.rectangle.SetRoundWidth(9);
  t.polygon = {7, -30, true};
  t.replace = {40, 60, true};
  t.gradient.type = 9;
  t.gradient.angle = -45;
  t.gradient.xOffset = 12;
  t.gradient.stops = {{0xFF112233, 0}, {0x80FFFFFF, 0.25}, {0x00000000, 1}};
  SaveToolSettings(s, t);
  const ToolSettings r = LoadToolSettings(s);
  EXPECT_EQ(r.penSize, 7);
  EXPECT_EQ(r.rectangle.roundWidth, 9);
  EXPECT_EQ(r.rectangle.roundHeight, 0);
  EXPECT_EQ(r.polygon.Replication(), PackReplication(7, -30));
  EXPECT_EQ(r.replace.luminanceDelta, 60);
  EXPECT_TRUE(r.replace.singleDestination);
  EXPECT_EQ(r.gradient.type, 9);
  EXPECT_EQ(r.gradient.angle, -45);
  EXPECT_EQ(r.gradient.xOffset, 12);
  EXPECT_EQ(r.gradient.stops, t.gradient.stops);
}

}  // namespace
}  // namespace morvane
