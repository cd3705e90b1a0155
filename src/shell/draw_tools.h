// The drawing tools as data: canvas tool index, Draw-menu command, English name, shortcut and
// the settings section of the tool's property panel. The toolbox, the Draw menu's check marks
// and the panel switch all read this one table.
#pragma once

#include <span>
#include <string_view>

namespace morvane {

namespace tool {
inline constexpr int kSelect = 0;
inline constexpr int kPen = 1;
inline constexpr int kLine = 2;
inline constexpr int kRectangle = 3;
inline constexpr int kFilledRectangle = 4;
inline constexpr int kEllipse = 5;
inline constexpr int kFilledEllipse = 6;
inline constexpr int kPolyline = 7;
inline constexpr int kPolygon = 8;
inline constexpr int kFill = 9;
inline constexpr int kReplace = 10;
inline constexpr int kText = 11;
inline constexpr int kBlur = 12;
inline constexpr int kEraser = 13;
inline constexpr int kPickColor = 14;
inline constexpr int kHotspot = 15;
inline constexpr int kCount = 16;
}  // namespace tool

enum class PanelKind { kNone, kPen, kEraser, kRectangle, kPolygon, kReplace, kText };

struct DrawTool {
  int index;
  int command;  // Draw-menu command; 0 for hotspot placement, which has none
  std::string_view name;
  std::string_view shortcut;  // portable key text, empty when the tool has none
  PanelKind panel;
};

// The tools that the Draw menu and the toolbox offer, in menu order.
std::span<const DrawTool> DrawTools();
const DrawTool* ToolByIndex(int index);
const DrawTool* ToolByCommand(int command);

// The settings section of a panel ("Pen properties dialog" ...); empty for none.
std::string_view PanelSection(PanelKind panel);

}  // namespace morvane
