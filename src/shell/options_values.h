// The values the options dialog edits, all root values of the settings tree: "Alpha level",
// "Matte color", the edit-area background ("Transp color"), "Show grid" and "Language". The
// dialog's OK writes them at once, so they hold even if the window never closes normally.
#pragma once

#include <cstdint>
#include <string>

#include "shell/settings.h"

namespace morvane {

struct OptionsValues {
  std::int32_t alphaLevel = 85;             // 1..255
  std::uint32_t matteColor = 0xDDDDDD;      // platform colour 0x00BBGGRR
  std::uint32_t editBackground = 0xD2CABF;  // platform colour
  bool showGrid = false;
  std::string language = "English";

  // Reads with the defaults and clamps of the main window's settings.
  static OptionsValues Load(const Settings& settings);
  void Save(Settings& settings) const;
};

}  // namespace morvane
