#include <gtest/gtest.h>

#include <filesystem>

#include "shell/language_pack.h"
#include "shell/language_pack_menu.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

// The repository root: its "langs" folder is where the built programs get their packs from.
// Resolved by text: the test data folder need not exist in a fresh checkout.
const std::filesystem::path kRoot =
    (std::filesystem::path(MORVANE_OWN_TESTDATA_DIR) / ".." / "..").lexically_normal();

LanguagePack German() {
  LanguagePack pack;
  pack.discover(kRoot);
  pack.select("Deutsch");
  return pack;
}

int CountConversions(const std::string& text) {
  int count = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%') count += text[++i] != '%';
  }
  return count;
}

TEST(ShippedPacks, BothAreListedAndEnglishStaysTheStartingLanguage) {
  LanguagePack pack;
  pack.discover(kRoot);
  EXPECT_EQ(pack.pack_names(), (std::vector<std::string>{"Deutsch", "English"}));
  MemorySettingsStore store;
  const Settings settings(store);
  select_stored_language(pack, settings);
  EXPECT_EQ(pack.selected_name(), "English");
  EXPECT_EQ(pack.text("Main_menu", "32884", "Save object ...\tF2"), "Save object ...\tF2");
}

TEST(ShippedPacks, GermanTranslatesMenusWithShortcutsAndUmlauts) {
  const LanguagePack pack = German();
  EXPECT_EQ(pack.text("Main_menu", "0+32881", "&File"), "&Datei");
  EXPECT_EQ(pack.text("Main_menu", "32884", "Save object ...\tF2"), "Objekt &speichern ...\tF2");
  EXPECT_EQ(pack.text("Main_menu", "32879", "Undo\tCtrl+Z"),
            "&R\xC3\xBC"
            "ckg\xC3\xA4ngig\tStrg+Z");
  EXPECT_EQ(pack.text("Main_menu", "32896", "Rotate 90\xC2\xB0 CW"),
            "90\xC2\xB0 im Uhrzeigersinn drehen");
  EXPECT_EQ(pack.text("Libtools", "open", "Open library ..."),
            "Bibliothek \xC3\xB6"
            "ffnen ...");
  EXPECT_EQ(pack.text("Main_open", "no_icons", "-- no icons --"), "-- keine Symbole --");
  EXPECT_EQ(pack.text("DEFAULT", "2", "Cancel"), "Abbrechen");
}

TEST(ShippedPacks, GermanHasEveryMessageWithTheSamePlaceholders) {
  const LanguagePack pack = German();
  const std::pair<const char*, const char*> messages[] = {
      {"save_icon", "Icon have been modified. Save file?"},
      {"save_lib", "Library have been modified. Save library?"},
      {"update_lib", "Icon have been modified. Update library?"},
      {"del_frames", "Do you want remove selected frame(s)?"},
      {"del_icons", "Do you want remove selected icon?"},
      {"save_icon_rewrite", "Do you want to save file"},
      {"file_not_found", "Sorry, file '%s' not found!"},
      {"icon_not_found", "Sorry, icons not found in this file!"},
      {"icon_not_found_2", "Sorry, images not found in '%s'!"},
      {"same_size", "All images must have the same size!"},
      {"cant_open", "Can't open file for write!"},
      {"save_icl", "Saving ICL... Please wait..."},
      {"plugin_ok", "Plug-in has installed successfully!"},
      {"plugin_error", "Sorry, can't install plug-in to selected folder!"},
      {"save_cur_image_title", "Save Current Image"},
      {"save_image_list_title", "Save Image List"},
  };
  for (const auto& [key, english] : messages) {
    const std::string german = pack.text("Msg", key, "");
    EXPECT_FALSE(german.empty()) << key;
    // A message is formatted with the arguments of the English text: a missing or extra
    // conversion would print garbage or read past the arguments.
    EXPECT_EQ(CountConversions(german), CountConversions(english)) << key;
    if (CountConversions(english) > 0) {
      EXPECT_NE(german.find("%s"), std::string::npos) << key;
    }
  }
}

}  // namespace
}  // namespace morvane
