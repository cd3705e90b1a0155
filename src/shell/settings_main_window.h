// The root values of the settings tree: the main window's state and the interface appearance,
// with their names and defaults. A missing value reads as the default below.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/pixel.h"
#include "shell/settings.h"

namespace morvane {

// The root section.
inline constexpr std::string_view kRootSection = "";

// Value names of the root section.
namespace root_value {
inline constexpr std::string_view kLanguage = "Language";
inline constexpr std::string_view kLastWorkingFolder = "Last working folder";
inline constexpr std::string_view kDefaultOpenDialog = "Default open dialog";
inline constexpr std::string_view kLastTool = "Last tool";
inline constexpr std::string_view kLastColor = "Last color";
inline constexpr std::string_view kLastColor2 = "Last color 2";
inline constexpr std::string_view kTranspColor = "Transp color";
inline constexpr std::string_view kTransparency = "Transparency";
inline constexpr std::string_view kTransparency2 = "Transparency 2";
inline constexpr std::string_view kPenSize = "Pen size";
inline constexpr std::string_view kGradUsing = "Grad using";
inline constexpr std::string_view kAntiAliasing = "Anti-aliasing";
inline constexpr std::string_view kAntiAliasingLevel = "Anti-aliasing level";
inline constexpr std::string_view kTransparentMode = "Transparent mode";
inline constexpr std::string_view kLockedChannels = "Locked channels";
inline constexpr std::string_view kZoom = "Zoom";
inline constexpr std::string_view kShowGrid = "Show grid";
inline constexpr std::string_view kMatteColor = "Matte color";
inline constexpr std::string_view kPreviewColor = "Preview color";
inline constexpr std::string_view kAlphaLevel = "Alpha level";
inline constexpr std::string_view kX = "X";
inline constexpr std::string_view kY = "Y";
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";
inline constexpr std::string_view kLastSaveImageFormat = "Last save image format";
inline constexpr std::string_view kFirstLaunch = "First launch";
inline constexpr std::string_view kMainExecutable = "Main executable";
inline constexpr std::string_view kExePath = "ExePath";
inline constexpr std::string_view kFadeInterface = "Fade interface";
inline constexpr std::string_view kButtonsStyle = "Buttons style";
inline constexpr std::string_view kButtonsBackground = "Buttons background";
inline constexpr std::string_view kLinearInterface = "Linear interface";
inline constexpr std::string_view kRgbViewFormat = "RGB view format";
inline constexpr std::string_view kControlsColor = "Controls color";
inline constexpr std::string_view kOnControlsColor = "On controls color";
inline constexpr std::string_view kToolbarColor = "Toolbar color";
inline constexpr std::string_view kOnToolbarColor = "On toolbar color";
inline constexpr std::string_view kTopColor = "Top color";
inline constexpr std::string_view kBottomColor = "Bottom color";
inline constexpr std::string_view kMiddleColor = "Middle color";
inline constexpr std::string_view kUserControlsColor = "User controls color";
inline constexpr std::string_view kUserOnControlsColor = "User on controls color";
inline constexpr std::string_view kUserToolbarColor = "User toolbar color";
inline constexpr std::string_view kUserOnToolbarColor = "User on toolbar color";
inline constexpr std::string_view kUserTopColor = "User top color";
inline constexpr std::string_view kUserBottomColor = "User bottom color";
inline constexpr std::string_view kUserMiddleColor = "User middle color";
}  // namespace root_value

inline constexpr std::string_view kDefaultLanguage = "English";

// "Language": the display name of the chosen pack; missing or empty reads as "English".
std::string read_language(const Settings& settings);
void write_language(Settings& settings, std::string_view name);

// The main window's state, read when it opens and written when it closes. Values whose range
// sizes memory or indexes tables are clamped on reading, because the settings file is as open
// to damage as any other file: pen size 1..64, anti-aliasing level 1..16, alpha level 1..255,
// transparencies 0..255, zoom -1..12.
struct MainWindowSettings {
  std::string lastWorkingFolder;
  std::int32_t defaultOpenDialog = 107;  // 107 is "Open object"
  std::int32_t lastTool = 10;            // tool index plus 9; 10 is the pen
  Pixel lastColor = 0xFF80FF80;
  Pixel lastColor2 = 0x00BFCAD2;         // "Transp color" with red and blue exchanged, alpha 0
  std::uint32_t transpColor = 0xD2CABF;  // platform colour 0x00BBGGRR
  std::int32_t transparency = 0;
  std::int32_t transparency2 = 255;
  std::int32_t penSize = 1;
  bool gradUsing = false;
  bool antiAliasing = true;
  std::int32_t antiAliasingLevel = 8;
  bool transparentMode = true;
  std::uint32_t lockedChannels = 0;  // 0xFF000000 alpha, 0x00FF0000 red, ...
  std::int32_t zoom = 0;
  bool showGrid = false;
  std::uint32_t matteColor = 0xDDDDDD;    // platform colour
  std::uint32_t previewColor = 0xC0C0C0;  // platform colour
  std::int32_t alphaLevel = 85;
  // Window placement; kNotSet lets the window system place the window, a size of 0 keeps the
  // built-in size.
  std::int32_t x = kNotSet;
  std::int32_t y = kNotSet;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t lastSaveImageFormat = 1;
  bool firstLaunch = true;

  static MainWindowSettings Load(const Settings& settings);
  void Save(Settings& settings) const;
};

// Appearance of the interface chrome; the options dialog writes it.
struct AppearanceSettings {
  std::int32_t fadeInterface = 0;
  std::int32_t buttonsStyle = 0;
  std::int32_t buttonsBackground = 8;
  std::int32_t linearInterface = 4;
  std::string rgbViewFormat = "%02X %02X %02X";
  std::uint32_t controlsColor = 0xF1D8C0;
  std::uint32_t onControlsColor = 0xF5E4D3;
  std::uint32_t toolbarColor = 0xF0F0F0;
  std::uint32_t onToolbarColor = 0xFFFFFF;
  std::uint32_t topColor = 0xFFFFFF;
  std::uint32_t bottomColor = 0xE1E1E1;
  std::uint32_t middleColor = 0xF0F0F0;
  std::uint32_t userControlsColor = 0xECDED5;
  std::uint32_t userOnControlsColor = 0xF1EAE2;
  std::uint32_t userToolbarColor = 0xF0F0F0;
  std::uint32_t userOnToolbarColor = 0xFFFFFF;
  std::uint32_t userTopColor = 0xFFFFFF;
  std::uint32_t userBottomColor = 0xE1E1E1;
  std::uint32_t userMiddleColor = 0xEAEAEA;

  static AppearanceSettings Load(const Settings& settings);
  void Save(Settings& settings) const;
};

// Formats a colour's channels with the "RGB view format". The format comes from the settings
// file, so it is never handed to printf: only integer conversions (%d %i %u %x %X with flags
// "-0 +#" and a width up to 9) and "%%" are honoured, each taking the next of red, green and
// blue; anything else, and any conversion after the third, is copied as written.
std::string FormatRgbView(std::string_view format, int red, int green, int blue);

}  // namespace morvane
