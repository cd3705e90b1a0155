#include "shell/settings_main_window.h"

#include <algorithm>
#include <cstdio>

namespace morvane {

namespace {

constexpr std::string_view kRoot = kRootSection;

std::uint32_t ReadColor(const Settings& s, std::string_view name, std::uint32_t def) {
  return static_cast<std::uint32_t>(s.read_int(kRoot, name, static_cast<std::int32_t>(def)));
}

void WriteColor(Settings& s, std::string_view name, std::uint32_t value) {
  s.write_int(kRoot, name, static_cast<std::int32_t>(value));
}

bool ReadFlag(const Settings& s, std::string_view name, bool def) {
  return s.read_int(kRoot, name, def ? 1 : 0) != 0;
}

std::int32_t ReadClamped(const Settings& s, std::string_view name, std::int32_t def,
                         std::int32_t low, std::int32_t high) {
  return std::clamp(s.read_int(kRoot, name, def), low, high);
}

}  // namespace

std::string read_language(const Settings& settings) {
  std::string name = settings.read_string(kRoot, root_value::kLanguage, kDefaultLanguage);
  if (name.empty()) name = kDefaultLanguage;
  return name;
}

void write_language(Settings& settings, std::string_view name) {
  settings.write_string(kRoot, root_value::kLanguage, name);
}

MainWindowSettings MainWindowSettings::Load(const Settings& s) {
  namespace v = root_value;
  MainWindowSettings m;
  m.lastWorkingFolder = s.read_string(kRoot, v::kLastWorkingFolder, m.lastWorkingFolder);
  m.defaultOpenDialog = s.read_int(kRoot, v::kDefaultOpenDialog, m.defaultOpenDialog);
  m.lastTool = s.read_int(kRoot, v::kLastTool, m.lastTool);
  m.lastColor = ReadColor(s, v::kLastColor, m.lastColor);
  m.lastColor2 = ReadColor(s, v::kLastColor2, m.lastColor2);
  m.transpColor = ReadColor(s, v::kTranspColor, m.transpColor);
  m.transparency = ReadClamped(s, v::kTransparency, m.transparency, 0, 255);
  m.transparency2 = ReadClamped(s, v::kTransparency2, m.transparency2, 0, 255);
  m.penSize = ReadClamped(s, v::kPenSize, m.penSize, 1, 64);
  m.gradUsing = ReadFlag(s, v::kGradUsing, m.gradUsing);
  m.antiAliasing = ReadFlag(s, v::kAntiAliasing, m.antiAliasing);
  m.antiAliasingLevel = ReadClamped(s, v::kAntiAliasingLevel, m.antiAliasingLevel, 1, 16);
  m.transparentMode = ReadFlag(s, v::kTransparentMode, m.transparentMode);
  m.lockedChannels = ReadColor(s, v::kLockedChannels, m.lockedChannels);
  m.zoom = ReadClamped(s, v::kZoom, m.zoom, -1, 12);
  m.showGrid = ReadFlag(s, v::kShowGrid, m.showGrid);
  m.matteColor = ReadColor(s, v::kMatteColor, m.matteColor);
  m.previewColor = ReadColor(s, v::kPreviewColor, m.previewColor);
  m.alphaLevel = ReadClamped(s, v::kAlphaLevel, m.alphaLevel, 1, 255);
  m.x = s.read_int(kRoot, v::kX, m.x);
  m.y = s.read_int(kRoot, v::kY, m.y);
  m.width = s.read_int(kRoot, v::kWidth, m.width);
  m.height = s.read_int(kRoot, v::kHeight, m.height);
  m.lastSaveImageFormat = s.read_int(kRoot, v::kLastSaveImageFormat, m.lastSaveImageFormat);
  m.firstLaunch = ReadFlag(s, v::kFirstLaunch, m.firstLaunch);
  return m;
}

void MainWindowSettings::Save(Settings& s) const {
  namespace v = root_value;
  s.write_string(kRoot, v::kLastWorkingFolder, lastWorkingFolder);
  s.write_int(kRoot, v::kDefaultOpenDialog, defaultOpenDialog);
  s.write_int(kRoot, v::kLastTool, lastTool);
  WriteColor(s, v::kLastColor, lastColor);
  WriteColor(s, v::kLastColor2, lastColor2);
  WriteColor(s, v::kTranspColor, transpColor);
  s.write_int(kRoot, v::kTransparency, transparency);
  s.write_int(kRoot, v::kTransparency2, transparency2);
  s.write_int(kRoot, v::kPenSize, penSize);
  s.write_int(kRoot, v::kGradUsing, gradUsing ? 1 : 0);
  s.write_int(kRoot, v::kAntiAliasing, antiAliasing ? 1 : 0);
  s.write_int(kRoot, v::kAntiAliasingLevel, antiAliasingLevel);
  s.write_int(kRoot, v::kTransparentMode, transparentMode ? 1 : 0);
  WriteColor(s, v::kLockedChannels, lockedChannels);
  s.write_int(kRoot, v::kZoom, zoom);
  s.write_int(kRoot, v::kShowGrid, showGrid ? 1 : 0);
  WriteColor(s, v::kMatteColor, matteColor);
  WriteColor(s, v::kPreviewColor, previewColor);
  s.write_int(kRoot, v::kAlphaLevel, alphaLevel);
  // An unplaced window has no position to remember.
  if (x != kNotSet && y != kNotSet) {
    s.write_int(kRoot, v::kX, x);
    s.write_int(kRoot, v::kY, y);
  }
  s.write_int(kRoot, v::kWidth, width);
  s.write_int(kRoot, v::kHeight, height);
  s.write_int(kRoot, v::kLastSaveImageFormat, lastSaveImageFormat);
  s.write_int(kRoot, v::kFirstLaunch, firstLaunch ? 1 : 0);
}

AppearanceSettings AppearanceSettings::Load(const Settings& s) {
  namespace v = root_value;
  AppearanceSettings a;
  a.fadeInterface = s.read_int(kRoot, v::kFadeInterface, a.fadeInterface);
  a.buttonsStyle = s.read_int(kRoot, v::kButtonsStyle, a.buttonsStyle);
  a.buttonsBackground = s.read_int(kRoot, v::kButtonsBackground, a.buttonsBackground);
  a.linearInterface = s.read_int(kRoot, v::kLinearInterface, a.linearInterface);
  a.rgbViewFormat = s.read_string(kRoot, v::kRgbViewFormat, a.rgbViewFormat);
  a.controlsColor = ReadColor(s, v::kControlsColor, a.controlsColor);
  a.onControlsColor = ReadColor(s, v::kOnControlsColor, a.onControlsColor);
  a.toolbarColor = ReadColor(s, v::kToolbarColor, a.toolbarColor);
  a.onToolbarColor = ReadColor(s, v::kOnToolbarColor, a.onToolbarColor);
  a.topColor = ReadColor(s, v::kTopColor, a.topColor);
  a.bottomColor = ReadColor(s, v::kBottomColor, a.bottomColor);
  a.middleColor = ReadColor(s, v::kMiddleColor, a.middleColor);
  a.userControlsColor = ReadColor(s, v::kUserControlsColor, a.userControlsColor);
  a.userOnControlsColor = ReadColor(s, v::kUserOnControlsColor, a.userOnControlsColor);
  a.userToolbarColor = ReadColor(s, v::kUserToolbarColor, a.userToolbarColor);
  a.userOnToolbarColor = ReadColor(s, v::kUserOnToolbarColor, a.userOnToolbarColor);
  a.userTopColor = ReadColor(s, v::kUserTopColor, a.userTopColor);
  a.userBottomColor = ReadColor(s, v::kUserBottomColor, a.userBottomColor);
  a.userMiddleColor = ReadColor(s, v::kUserMiddleColor, a.userMiddleColor);
  return a;
}

void AppearanceSettings::Save(Settings& s) const {
  namespace v = root_value;
  s.write_int(kRoot, v::kFadeInterface, fadeInterface);
  s.write_int(kRoot, v::kButtonsStyle, buttonsStyle);
  s.write_int(kRoot, v::kButtonsBackground, buttonsBackground);
  s.write_int(kRoot, v::kLinearInterface, linearInterface);
  s.write_string(kRoot, v::kRgbViewFormat, rgbViewFormat);
  WriteColor(s, v::kControlsColor, controlsColor);
  WriteColor(s, v::kOnControlsColor, onControlsColor);
  WriteColor(s, v::kToolbarColor, toolbarColor);
  WriteColor(s, v::kOnToolbarColor, onToolbarColor);
  WriteColor(s, v::kTopColor, topColor);
  WriteColor(s, v::kBottomColor, bottomColor);
  WriteColor(s, v::kMiddleColor, middleColor);
  WriteColor(s, v::kUserControlsColor, userControlsColor);
  WriteColor(s, v::kUserOnControlsColor, userOnControlsColor);
  WriteColor(s, v::kUserToolbarColor, userToolbarColor);
  WriteColor(s, v::kUserOnToolbarColor, userOnToolbarColor);
  WriteColor(s, v::kUserTopColor, userTopColor);
  WriteColor(s, v::kUserBottomColor, userBottomColor);
  WriteColor(s, v::kUserMiddleColor, userMiddleColor);
}

namespace {

// Length of an integer conversion starting at format[0] == '%', or 0 when it is not one.
std::size_t IntegerConversionLength(std::string_view format) {
  std::size_t i = 1;
  while (i < format.size() && std::string_view("-0 +#").find(format[i]) != std::string_view::npos) {
    ++i;
  }
  if (i < format.size() && format[i] >= '1' && format[i] <= '9') ++i;
  if (i < format.size() && std::string_view("diuxX").find(format[i]) != std::string_view::npos) {
    return i + 1;
  }
  return 0;
}

}  // namespace

std::string FormatRgbView(std::string_view format, int red, int green, int blue) {
  const int channels[3] = {red, green, blue};
  int used = 0;
  std::string out;
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    const std::size_t n =
        format[i] == '%' && used < 3 ? IntegerConversionLength(format.substr(i)) : 0;
    if (n == 0) {
      out += format[i++];
      continue;
    }
    // The conversion was checked above and takes exactly one int: safe to hand to snprintf.
    const std::string spec(format.substr(i, n));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, spec.c_str(), channels[used++]);
    out += buffer;
    i += n;
  }
  return out;
}

}  // namespace morvane
