#include "shell/options_values.h"

#include <algorithm>

#include "shell/settings_main_window.h"

namespace morvane {

OptionsValues OptionsValues::Load(const Settings& settings) {
  const MainWindowSettings window = MainWindowSettings::Load(settings);
  OptionsValues v;
  v.alphaLevel = window.alphaLevel;
  v.matteColor = window.matteColor & 0xFFFFFF;
  v.editBackground = window.transpColor & 0xFFFFFF;
  v.showGrid = window.showGrid;
  v.language = read_language(settings);
  return v;
}

void OptionsValues::Save(Settings& settings) const {
  using namespace root_value;
  settings.write_int(kRootSection, kAlphaLevel, std::clamp(alphaLevel, 1, 255));
  settings.write_int(kRootSection, kMatteColor, static_cast<std::int32_t>(matteColor & 0xFFFFFF));
  settings.write_int(kRootSection, kTranspColor,
                     static_cast<std::int32_t>(editBackground & 0xFFFFFF));
  settings.write_int(kRootSection, kShowGrid, showGrid ? 1 : 0);
  write_language(settings, language);
}

}  // namespace morvane
