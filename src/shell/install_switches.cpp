#include "shell/install_switches.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "formats/ansi_text.h"
#include "shell/settings_main_window.h"

namespace morvane {

namespace {

struct Placement {
  std::string_view subKey;
  std::int32_t x;
  std::int32_t y;
  std::optional<std::int32_t> width;
  std::optional<std::int32_t> height;
};

// First-run placements of the tool windows and dialogs; windows without a size are not
// resizable.
constexpr Placement kPlacements[] = {
    {"Color toolbar", 483, 0, 137, 298},
    {"Effects toolbar", -90, 0, {}, {}},
    {"Fill properties dialog", 209, 452, {}, {}},
    {"Library dialog", -180, 229, 180, 332},
    {"Library toolbar", -180, 89, {}, {}},
    {"Pen properties dialog", 0, 452, {}, {}},
    {"Eraser properties dialog", 0, 452, {}, {}},
    {"Replace properties dialog", 0, 452, {}, {}},
    {"Polygon properties dialog", 0, 452, {}, {}},
    {"Rectangle properties dialog", 0, 452, {}, {}},
    {"Text properties dialog", 0, 452, 209, 109},
    {"Navigator toolbar", 483, 298, 137, 154},
    {"Icon size dialog", 234, 177, {}, {}},
    {"Effect shadow dialog", 283, 365, {}, {}},
    {"Effect custom blur dialog", 283, 365, {}, {}},
    {"Effect blur dialog", 283, 365, {}, {}},
    {"Effect BSC dialog", 283, 365, {}, {}},
    {"Effect HLS dialog", 283, 365, {}, {}},
    {"Effect rotate dialog", 283, 365, {}, {}},
};

// Dialogs that keep their placement as one "left,top,right,bottom,a,b" string.
struct PositionString {
  std::string_view subKey;
  std::string_view value;
};
constexpr std::string_view kWindowsPosition = "Windows position";
constexpr PositionString kPositionStrings[] = {
    {"Open II dialog", "36,32,734,519,3,2"},
    {"Import from image dialog", "23,22,602,493,1,0"},
};

void WritePlacements(Settings& settings) {
  for (const Placement& p : kPlacements) {
    settings.write_int(p.subKey, root_value::kX, p.x);
    settings.write_int(p.subKey, root_value::kY, p.y);
    if (p.width) settings.write_int(p.subKey, root_value::kWidth, *p.width);
    if (p.height) settings.write_int(p.subKey, root_value::kHeight, *p.height);
  }
  for (const PositionString& p : kPositionStrings) {
    settings.write_string(p.subKey, kWindowsPosition, p.value);
  }
}

void WriteRootValues(Settings& settings, std::string_view exePath) {
  namespace v = root_value;
  settings.write_string(kRootSection, v::kExePath, exePath);
  settings.write_string(kRootSection, v::kMainExecutable, exePath);
  settings.write_int(kRootSection, v::kX, 184);
  settings.write_int(kRootSection, v::kY, 5);
  settings.write_int(kRootSection, v::kWidth, 483);
  settings.write_int(kRootSection, v::kHeight, 452);
  settings.write_int(kRootSection, v::kAlphaLevel, 85);
  // The first-run appearance is the appearance defaults, minus the two values that first run
  // leaves unwritten ("Fade interface", "Buttons style").
  const AppearanceSettings a;
  settings.write_string(kRootSection, v::kRgbViewFormat, a.rgbViewFormat);
  const std::pair<std::string_view, std::uint32_t> colors[] = {
      {v::kControlsColor, a.controlsColor},
      {v::kOnControlsColor, a.onControlsColor},
      {v::kToolbarColor, a.toolbarColor},
      {v::kOnToolbarColor, a.onToolbarColor},
      {v::kTopColor, a.topColor},
      {v::kBottomColor, a.bottomColor},
      {v::kMiddleColor, a.middleColor},
      {v::kUserControlsColor, a.userControlsColor},
      {v::kUserOnControlsColor, a.userOnControlsColor},
      {v::kUserToolbarColor, a.userToolbarColor},
      {v::kUserOnToolbarColor, a.userOnToolbarColor},
      {v::kUserTopColor, a.userTopColor},
      {v::kUserBottomColor, a.userBottomColor},
      {v::kUserMiddleColor, a.userMiddleColor},
  };
  for (const auto& [name, color] : colors) {
    settings.write_int(kRootSection, name, static_cast<std::int32_t>(color));
  }
  settings.write_int(kRootSection, v::kButtonsBackground, a.buttonsBackground);
  settings.write_int(kRootSection, v::kLinearInterface, a.linearInterface);
}

}  // namespace

InstallSwitch parse_install_switch(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return InstallSwitch::kNone;
  const std::string first = AsciiLower(arguments.front());
  if (first == "/install") return InstallSwitch::kInstall;
  if (first == "/uninstall") return InstallSwitch::kUninstall;
  return InstallSwitch::kNone;
}

void write_first_run_defaults(Settings& settings, std::string_view exePath,
                              const std::string* language) {
  WritePlacements(settings);
  // The export plug-in starts the editor from this path whatever its working folder is.
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(exePath, ec);
  WriteRootValues(settings, ec ? std::string(exePath) : absolute.string());
  if (language) write_language(settings, *language);
}

void remove_settings_tree(Settings& settings) {
  settings.remove_section(kRootSection);
}

bool handle_install_switch(const std::vector<std::string>& arguments, Settings& settings,
                           std::string_view exePath, const DesktopFolders* desktop,
                           std::vector<std::string>* errors) {
  AssociationReport report;
  switch (parse_install_switch(arguments)) {
    case InstallSwitch::kInstall:
      write_first_run_defaults(settings, exePath, arguments.size() > 1 ? &arguments[1] : nullptr);
      if (desktop) report = RegisterDesktopFiles(*desktop, ProgramPathsFor(exePath));
      break;
    case InstallSwitch::kUninstall:
      if (desktop) report = RemoveAssociations(*desktop);
      remove_settings_tree(settings);
      break;
    case InstallSwitch::kNone:
      return false;
  }
  if (errors) errors->insert(errors->end(), report.errors.begin(), report.errors.end());
  return true;
}

}  // namespace morvane
