#include "shell/settings_tools.h"

namespace morvane {
namespace {

constexpr std::string_view kColors = "Colors";
constexpr std::string_view kColorsPos = "Colors pos";

}  // namespace

ToolSettings LoadToolSettings(const Settings& settings) {
  ToolSettings tools;
  for (const ToolSettingSpec& spec : ToolSettingSpecs()) {
    spec.set(tools, settings.read_int(spec.section, spec.name, spec.defaultValue));
  }
  tools.gradient.stops = StopsFromBytes(settings.read_binary(kFillPanelSection, kColors),
                                        settings.read_binary(kFillPanelSection, kColorsPos));
  tools.Clamp();
  return tools;
}

void SaveToolSettings(Settings& settings, const ToolSettings& tools) {
  for (const ToolSettingSpec& spec : ToolSettingSpecs()) {
    settings.write_int(spec.section, spec.name, spec.get(tools));
  }
  SaveGradientSettings(settings, tools.gradient);
}

GradientSettings LoadGradientSettings(const Settings& settings) {
  return LoadToolSettings(settings).gradient;
}

void SaveGradientSettings(Settings& settings, const GradientSettings& gradient) {
  ToolSettings tools;
  tools.gradient = gradient;
  for (const ToolSettingSpec& spec : ToolSettingSpecs()) {
    if (spec.section == kFillPanelSection) {
      settings.write_int(spec.section, spec.name, spec.get(tools));
    }
  }
  SettingBytes colours, positions;
  StopsToBytes(gradient.stops, colours, positions);
  settings.write_binary(kFillPanelSection, kColors, colours);
  settings.write_binary(kFillPanelSection, kColorsPos, positions);
}

}  // namespace morvane
