// The tool panels: values pushed into the canvas at once, stored in their own sections when the
// panel closes, read back when it opens; and the gradient panel's direction and stop rules.
#include <gtest/gtest.h>

#include <QSlider>
#include <QTemporaryDir>

#include "editing/canvas_session.h"
#include "shell/settings_qt_store.h"
#include "support/qt_app.h"
#include "ui/gradient_panel.h"
#include "ui/tool_panels.h"

#include <QMainWindow>

namespace morvane {
namespace {

TEST(GradientPanelRules, DirectionAngleAndSnapping) {
  EXPECT_EQ(DirectionAngle(0, 10, false, false), 0);
  // atan2(10, 0) * 57.3248 = 90.04, truncated.
  EXPECT_EQ(DirectionAngle(10, 0, false, false), 90);
  // atan2(10, -2) = 1.76819 rad -> 101.36 -> 101; Shift: (101 + 45) / 90 * 90 = 90;
  // Ctrl: (101 - 45) / 90 * 90 + 45 = 45.
  EXPECT_EQ(DirectionAngle(10, -2, false, false), 101);
  EXPECT_EQ(DirectionAngle(10, -2, true, false), 90);
  EXPECT_EQ(DirectionAngle(10, -2, false, true), 45);
  // -90 with Ctrl: (-135) / 90 truncates to -1: -90 + 45 = -45.
  EXPECT_EQ(DirectionAngle(-10, 0, false, true), -45);
}

TEST(GradientPanelRules, StopPositionStaysBetweenItsNeighbours) {
  // (58 - 0 - 8) / (114 - 14) = 0.5.
  EXPECT_DOUBLE_EQ(StopPosition(58, 0, 114, 0, 1), 0.5);
  EXPECT_DOUBLE_EQ(StopPosition(58, 0, 114, 0.6, 1), 0.6);
  EXPECT_DOUBLE_EQ(StopPosition(58, 0, 114, 0, 0.25), 0.25);
  EXPECT_DOUBLE_EQ(StopPosition(-50, 0, 114, 0, 1), 0.0);
  EXPECT_DOUBLE_EQ(StopPosition(500, 0, 114, 0, 1), 1.0);
}

TEST(ToolPanels, RectanglePanelLinksCornersAndStoresItsSection) {
  testing::EnsureApplication();
  QTemporaryDir dir;
  QtSettingsStore store(std::filesystem::path(dir.path().toStdString()) / "set.ini");
  Settings settings(store);
  settings.write_int("Rectangle properties dialog", "Round height", 9);
  QMainWindow window;
  CanvasSession session;
  ToolPanels panels(&window, settings, session);
  panels.ShowFor(tool::kRectangle);
  ASSERT_NE(panels.Current(), nullptr);
  EXPECT_EQ(session.Canvas().tools.rectangle.roundHeight, 9);
  auto sliders = panels.Current()->findChildren<QSlider*>();
  ASSERT_EQ(sliders.size(), 2);
  sliders[0]->setValue(12);  // round width; the link moves the height along
  EXPECT_EQ(session.Canvas().tools.rectangle.roundWidth, 12);
  EXPECT_EQ(session.Canvas().tools.rectangle.roundHeight, 12);
  EXPECT_EQ(sliders[1]->value(), 12);
  panels.Current()->SetMinimized(true);
  panels.ShowFor(tool::kPen);  // closing writes the section
  EXPECT_EQ(settings.read_int("Rectangle properties dialog", "Round width", -1), 12);
  EXPECT_EQ(settings.read_int("Rectangle properties dialog", "Minimize", -1), 1);
  // The Text panel falls back to the default font for a damaged record.
  settings.write_binary("Text properties dialog", "Font", SettingBytes(59, 'A'));
  panels.ShowFor(tool::kText);
  EXPECT_EQ(session.Text().font, DefaultFontRecord());
}

}  // namespace
}  // namespace morvane
