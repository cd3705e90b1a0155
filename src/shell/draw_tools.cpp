#include "shell/draw_tools.h"

#include <array>

namespace morvane {
namespace {

constexpr std::array<DrawTool, 15> kTools = {{
    {tool::kPen, 32907, "Pen", "P", PanelKind::kPen},
    {tool::kLine, 32911, "Line", "L", PanelKind::kNone},
    {tool::kRectangle, 32912, "Rectangle", "R", PanelKind::kRectangle},
    {tool::kFilledRectangle, 32913, "Filled rectangle", "Shift+R", PanelKind::kRectangle},
    {tool::kEllipse, 32914, "Ellipse", "E", PanelKind::kNone},
    {tool::kFilledEllipse, 32915, "Filled ellipse", "Shift+E", PanelKind::kNone},
    {tool::kPolyline, 32916, "Polyline", "W", PanelKind::kPolygon},
    {tool::kPolygon, 32917, "Polygon", "Shift+W", PanelKind::kPolygon},
    {tool::kFill, 32918, "Fill", "F", PanelKind::kNone},
    {tool::kText, 32920, "Text", "T", PanelKind::kText},
    {tool::kEraser, 33066, "Eraser", "C", PanelKind::kEraser},
    {tool::kSelect, 32906, "Select rectangle area", "S", PanelKind::kNone},
    {tool::kReplace, 32919, "Replace colors", "", PanelKind::kReplace},
    {tool::kBlur, 32921, "Blur", "", PanelKind::kNone},
    {tool::kPickColor, 32923, "Pick color", "I", PanelKind::kNone},
}};

}  // namespace

std::span<const DrawTool> DrawTools() {
  return kTools;
}

const DrawTool* ToolByIndex(int index) {
  for (const DrawTool& t : kTools) {
    if (t.index == index) return &t;
  }
  return nullptr;
}

const DrawTool* ToolByCommand(int command) {
  for (const DrawTool& t : kTools) {
    if (t.command == command) return &t;
  }
  return nullptr;
}

std::string_view PanelSection(PanelKind panel) {
  switch (panel) {
    case PanelKind::kPen:
      return "Pen properties dialog";
    case PanelKind::kEraser:
      return "Eraser properties dialog";
    case PanelKind::kRectangle:
      return "Rectangle properties dialog";
    case PanelKind::kPolygon:
      return "Polygon properties dialog";
    case PanelKind::kReplace:
      return "Replace properties dialog";
    case PanelKind::kText:
      return "Text properties dialog";
    case PanelKind::kNone:
      break;
  }
  return {};
}

}  // namespace morvane
