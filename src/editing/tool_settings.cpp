#include "editing/tool_settings.h"

#include <algorithm>
#include <array>

#include "editing/primitives.h"

namespace morvane {

void RectangleToolSettings::SetRoundWidth(int v) {
  roundWidth = std::clamp(v, 0, 64);
  if (link) roundHeight = roundWidth;
}

void RectangleToolSettings::SetRoundHeight(int v) {
  roundHeight = std::clamp(v, 0, 64);
  if (link) roundWidth = roundHeight;
}

std::uint32_t PolygonToolSettings::Replication() const {
  return convex ? PackReplication(count, proportion) : 0;
}

namespace {

int Tip(int v) {
  return std::clamp(v, 0, 4);
}

constexpr std::string_view kMain;  // the main settings section

// Spec rows: section, name, range, default, getter, setter.
#define MORVANE_INT_SETTING(section, name, lo, hi, def, field)                      \
  ToolSettingSpec {                                                                 \
    section, name, lo, hi, def, [](const ToolSettings& s) { return int(s.field); }, \
        [](ToolSettings& s, int v) { s.field = std::clamp(v, lo, hi); }             \
  }
#define MORVANE_BOOL_SETTING(section, name, def, field)                           \
  ToolSettingSpec {                                                               \
    section, name, 0, 1, def, [](const ToolSettings& s) { return int(s.field); }, \
        [](ToolSettings& s, int v) { s.field = v != 0; }                          \
  }

const std::array kSpecs = {
    MORVANE_INT_SETTING(kMain, "Pen size", 1, 64, 1, penSize),
    MORVANE_INT_SETTING(kRectanglePanelSection, "Round width", 0, 64, 0, rectangle.roundWidth),
    MORVANE_INT_SETTING(kRectanglePanelSection, "Round height", 0, 64, 0, rectangle.roundHeight),
    MORVANE_BOOL_SETTING(kRectanglePanelSection, "Link width and height", 1, rectangle.link),
    MORVANE_INT_SETTING(kPolygonPanelSection, "Count", 3, 15, 5, polygon.count),
    MORVANE_INT_SETTING(kPolygonPanelSection, "Proportion", -100, 100, 0, polygon.proportion),
    MORVANE_BOOL_SETTING(kPolygonPanelSection, "Convex", 0, polygon.convex),
    MORVANE_INT_SETTING(kReplacePanelSection, "Hue delta", 1, 180, 15, replace.hueDelta),
    MORVANE_INT_SETTING(kReplacePanelSection, "Luminance delta", 1, 100, 100,
                        replace.luminanceDelta),
    MORVANE_BOOL_SETTING(kReplacePanelSection, "Single destination color", 0,
                         replace.singleDestination),
    // A type out of range means nothing; it becomes the first type.
    ToolSettingSpec{
        kFillPanelSection, "Type", 0, kGradientTypeCount - 1, 0,
        [](const ToolSettings& s) { return s.gradient.type; },
        [](ToolSettings& s, int v) { s.gradient.type = v >= 0 && v < kGradientTypeCount ? v : 0; }},
    MORVANE_INT_SETTING(kFillPanelSection, "Area fill", 0, 1, 0, gradient.areaFill),
    // An angle out of range wraps around rather than sticking at an end.
    ToolSettingSpec{kFillPanelSection, "Angle", -180, 180, 0,
                    [](const ToolSettings& s) { return s.gradient.angle; },
                    [](ToolSettings& s, int v) {
                      s.gradient.angle = v;
                      s.gradient.Normalize();
                    }},
    MORVANE_INT_SETTING(kFillPanelSection, "X offset", -1000, 1000, 0, gradient.xOffset),
    MORVANE_INT_SETTING(kFillPanelSection, "Y offset", -1000, 1000, 0, gradient.yOffset),
};

#undef MORVANE_INT_SETTING
#undef MORVANE_BOOL_SETTING

}  // namespace

void ToolSettings::Clamp() {
  for (const ToolSettingSpec& spec : kSpecs) spec.set(*this, spec.get(*this));
  penTip = static_cast<TipShape>(Tip(static_cast<int>(penTip)));
  eraserTip = static_cast<TipShape>(Tip(static_cast<int>(eraserTip)));
  gradient.Normalize();
}

std::span<const ToolSettingSpec> ToolSettingSpecs() {
  return kSpecs;
}

const ToolSettingSpec* FindToolSetting(std::string_view name) {
  for (const ToolSettingSpec& spec : kSpecs) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

}  // namespace morvane
