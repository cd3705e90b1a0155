// The options dialog's values: stored as the root values the main window reads, with the same
// defaults and clamps.
#include <gtest/gtest.h>

#include "shell/options_values.h"
#include "shell/settings_main_window.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

TEST(OptionsValues, SavedAsTheMainWindowsRootValues) {
  MemorySettingsStore store;
  Settings settings(store);
  const OptionsValues defaults = OptionsValues::Load(settings);
  EXPECT_EQ(defaults.alphaLevel, 85);
  EXPECT_EQ(defaults.matteColor, 0xDDDDDDu);
  EXPECT_EQ(defaults.editBackground, 0xD2CABFu);
  EXPECT_FALSE(defaults.showGrid);
  EXPECT_EQ(defaults.language, "English");

  OptionsValues v{300, 0x10203040, 0x00ABCDEF, true, "Deutsch"};
  v.Save(settings);
  EXPECT_EQ(settings.read_int("", "Alpha level", 0), 255);  // clamped on writing
  EXPECT_EQ(settings.read_int("", "Matte color", 0), 0x203040);
  EXPECT_EQ(settings.read_int("", "Transp color", 0), 0xABCDEF);
  EXPECT_EQ(settings.read_int("", "Show grid", 0), 1);
  EXPECT_EQ(settings.read_string("", "Language", ""), "Deutsch");

  const MainWindowSettings window = MainWindowSettings::Load(settings);
  EXPECT_EQ(window.alphaLevel, 255);
  EXPECT_EQ(window.matteColor, 0x203040u);
  EXPECT_EQ(window.transpColor, 0xABCDEFu);
  EXPECT_TRUE(window.showGrid);
  const OptionsValues back = OptionsValues::Load(settings);
  EXPECT_EQ(back.language, "Deutsch");
  EXPECT_EQ(back.editBackground, 0xABCDEFu);
}

}  // namespace
}  // namespace morvane
