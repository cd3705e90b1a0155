#include "shell/draw_tools.h"

#include <array>

namespace morvane {
namespace {

constexpr std::array<DrawTool, 15> kTools = {{
    {tool::kPen, 32907, "Pen", "P", ToolPanel::kPen},
    {tool::kLine, 32911, "Line", "L", ToolPanel::kNone},
    {tool::kRectangle, 32912, "Rectangle", "R", ToolPanel::kRectangle},
    {tool::kFilledRectangle, 32913, "Filled rectangle", "Shift+R", ToolPanel::kRectangle},
    {tool::kEllipse, 32914, "Ellipse", "E", ToolPanel::kNone},
    {tool::kFilledEllipse, 32915, "Filled ellipse", "Shift+E", ToolPanel::kNone},
    {tool::kPolyline, 32916, "Polyline", "W", ToolPanel::kPolygon},
    {tool::kPolygon, 32917, "Polygon", "Shift+W", ToolPanel::kPolygon},
    {tool::kFill, 32918, "Fill", "F", ToolPanel::kNone},
    {tool::kText, 32920, "Text", "T", ToolPanel::kText},
    {tool::kEraser, 33066, "Eraser", "C", ToolPanel::kEraser},
    {tool::kSelect, 32906, "Select rectangle area", "S", ToolPanel::kNone},
    {tool::kReplace, 32919, "Replace colors", "", ToolPanel::kReplace},
    {tool::kBlur, 32921, "Blur", "", ToolPanel::kNone},
    {tool::kPickColor, 32923, "Pick color", "I", ToolPanel::kNone},
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

std::string_view PanelSection(ToolPanel panel) {
  switch (panel) {
    case ToolPanel::kPen:
      return "Pen properties dialog";
    case ToolPanel::kEraser:
      return "Eraser properties dialog";
    case ToolPanel::kRectangle:
      return "Rectangle properties dialog";
    case ToolPanel::kPolygon:
      return "Polygon properties dialog";
    case ToolPanel::kReplace:
      return "Replace properties dialog";
    case ToolPanel::kText:
      return "Text properties dialog";
    case ToolPanel::kNone:
      break;
  }
  return {};
}

}  // namespace morvane
