// The tool settings the property panels edit, as plain structs, with a table that gives every
// value its persisted name, settings section, range and default. Reading and writing through
// the settings store happens in the shell; everything here is plain data.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "editing/gradient.h"

namespace morvane {

// Panel settings sections.
inline constexpr std::string_view kPenPanelSection = "Pen properties dialog";
inline constexpr std::string_view kEraserPanelSection = "Eraser properties dialog";
inline constexpr std::string_view kRectanglePanelSection = "Rectangle properties dialog";
inline constexpr std::string_view kPolygonPanelSection = "Polygon properties dialog";
inline constexpr std::string_view kReplacePanelSection = "Replace properties dialog";
inline constexpr std::string_view kFillPanelSection = "Fill properties dialog";
// Values every panel section also holds.
inline constexpr std::string_view kMinimizeValue = "Minimize";

enum class TipShape : int {
  kSquare = 0,
  kCircle = 1,
  kVertical = 2,
  kHorizontal = 3,
  kDiagonal = 4
};

struct RectangleToolSettings {
  int roundWidth = 0;   // "Round width", 0..64
  int roundHeight = 0;  // "Round height", 0..64
  bool link = true;     // "Link width and height"
  // Moving one slider with the link on moves the other to the same value.
  void SetRoundWidth(int v);
  void SetRoundHeight(int v);
};

struct PolygonToolSettings {
  int count = 5;        // "Count", 3..15
  int proportion = 0;   // "Proportion", -100..100
  bool convex = false;  // "Convex"
  // The value the canvas draws with: 0 without "Convex", else the packed count and proportion.
  std::uint32_t Replication() const;
};

struct ReplaceToolSettings {
  int hueDelta = 15;               // "Hue delta", 1..180
  int luminanceDelta = 100;        // "Luminance delta", 1..100
  bool singleDestination = false;  // "Single destination color"
};

// Everything the canvas's tools read besides the drawing modes and colours.
struct ToolSettings {
  int penSize = 1;                         // "Pen size" (main settings), 1..64
  TipShape penTip = TipShape::kSquare;     // not persisted
  TipShape eraserTip = TipShape::kSquare;  // not persisted
  RectangleToolSettings rectangle;
  PolygonToolSettings polygon;
  ReplaceToolSettings replace;
  GradientSettings gradient;

  // Brings every value into its range (values read from a file may be anything).
  void Clamp();
};

// One integer-valued setting: where it is stored, its range and default, and where it lives in
// ToolSettings. Booleans have the range 0..1.
struct ToolSettingSpec {
  std::string_view section;  // empty: the main settings
  std::string_view name;
  int minimum;
  int maximum;
  int defaultValue;
  int (*get)(const ToolSettings&);
  void (*set)(ToolSettings&, int);  // stores the value clamped to the range
};

// Every persisted integer setting of the tools (the gradient stops are binary, see gradient.h).
std::span<const ToolSettingSpec> ToolSettingSpecs();
// The spec with this persisted name (case-sensitive), or nullptr.
const ToolSettingSpec* FindToolSetting(std::string_view name);

}  // namespace morvane
