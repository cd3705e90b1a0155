#include "shell/language_pack_menu.h"

#include <gtest/gtest.h>

#include "pack_files.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

using testing::PackFolder;

// A menu tree in memory: items with a command identifier (0 for separators) or a popup.
struct FakeMenu {
  struct Item {
    int id = 0;
    std::string text;
    std::shared_ptr<FakeMenu> popup;
  };
  std::vector<Item> items;

  FakeMenu& Command(int id, std::string text) {
    items.push_back({id, std::move(text), nullptr});
    return *this;
  }
  FakeMenu& Separator() { return Command(0, "-"); }
  FakeMenu& Popup(std::string text, FakeMenu sub) {
    items.push_back({0, std::move(text), std::make_shared<FakeMenu>(std::move(sub))});
    return *this;
  }
  const std::string& Text(std::size_t i) const { return items[i].text; }
  FakeMenu& Sub(std::size_t i) { return *items[i].popup; }
};

class FakeMenuAccess final : public MenuAccess {
 public:
  explicit FakeMenuAccess(FakeMenu& menu) : menu_(menu) {}
  int item_count() const override { return static_cast<int>(menu_.items.size()); }
  int command_id(int index) const override {
    return menu_.items[static_cast<std::size_t>(index)].id;
  }
  std::unique_ptr<MenuAccess> popup(int index) override {
    auto& sub = menu_.items[static_cast<std::size_t>(index)].popup;
    return sub ? std::make_unique<FakeMenuAccess>(*sub) : nullptr;
  }
  void set_text(int index, const std::string& text) override {
    menu_.items[static_cast<std::size_t>(index)].text = text;
  }

 private:
  FakeMenu& menu_;
};

std::optional<std::string> KeyOf(FakeMenu menu) {
  FakeMenuAccess access(menu);
  return popup_key(access);
}

TEST(PopupKey, CountsTheLevelsDescendedToTheFirstCommand) {
  EXPECT_EQ(KeyOf(FakeMenu().Separator().Command(32881, "New icon").Command(32882, "")), "0+32881");
  // A popup with a command after a sub-popup is keyed by that command, at its own level.
  EXPECT_EQ(KeyOf(FakeMenu().Popup("sub", FakeMenu().Command(5, "")).Command(7, "")), "0+7");
  const FakeMenu addImage = FakeMenu()
                                .Popup("True-color with alpha", FakeMenu().Command(33085, "256"))
                                .Popup("256 colors", FakeMenu().Command(33089, "256"));
  EXPECT_EQ(KeyOf(addImage), "1+33085");
  EXPECT_EQ(KeyOf(FakeMenu().Popup("a", FakeMenu().Popup("b", FakeMenu().Command(9, "")))), "2+9");
  EXPECT_EQ(KeyOf(FakeMenu().Separator()), std::nullopt);
  EXPECT_EQ(KeyOf(FakeMenu().Popup("empty", FakeMenu()).Popup("later", FakeMenu().Command(3, ""))),
            std::nullopt);
}

TEST(TranslateMenu, ReplacesCommandAndPopupTextsFoundInTheSection) {
  PackFolder folder;
  folder.WritePack("de.lng", "Deutsch",
                   "[Main_menu]\n0+32881=&Datei\n32881=Neues &Symbol\n32884=Objekt &speichern "
                   "...\\tF2\n1+33085=Bild hinzuf\xC3\xBCgen\n0+33085=Echtfarben mit Alpha\n"
                   "33085=256 x 256 (de)\n0=never used\n");
  LanguagePack pack;
  pack.discover(folder.root());
  pack.select("Deutsch");

  FakeMenu bar;
  bar.Popup("&File", FakeMenu()
                         .Command(32881, "New icon")
                         .Command(32882, "New cursor")
                         .Separator()
                         .Command(32884, "Save object ...\tF2")
                         .Popup("Add image", FakeMenu().Popup("True-color with alpha",
                                                              FakeMenu().Command(33085, "256"))));
  FakeMenuAccess access(bar);
  translate_menu(pack, "Main_menu", access);

  FakeMenu& file = bar.Sub(0);
  EXPECT_EQ(bar.Text(0), "&Datei");
  EXPECT_EQ(file.Text(0), "Neues &Symbol");
  EXPECT_EQ(file.Text(1), "New cursor");
  EXPECT_EQ(file.Text(2), "-");
  EXPECT_EQ(file.Text(3), "Objekt &speichern ...\tF2");
  EXPECT_EQ(file.Text(4), "Bild hinzuf\xC3\xBCgen");
  EXPECT_EQ(file.Sub(4).Text(0), "Echtfarben mit Alpha");
  EXPECT_EQ(file.Sub(4).Sub(0).Text(0), "256 x 256 (de)");
}

TEST(TranslateMenu, WithoutAPackNothingChanges) {
  LanguagePack pack;
  FakeMenu menu;
  menu.Command(32881, "New icon").Popup("Size", FakeMenu().Command(32957, "16"));
  FakeMenuAccess access(menu);
  translate_menu(pack, "Main_menu", access);
  EXPECT_EQ(menu.Text(0), "New icon");
  EXPECT_EQ(menu.Text(1), "Size");
}

TEST(TranslateMenu, AMenuThatContainsItselfDoesNotRecurseForever) {
  auto loop = std::make_shared<FakeMenu>();
  loop->items.push_back({0, "self", loop});
  FakeMenuAccess access(*loop);
  LanguagePack pack;
  translate_menu(pack, "Main_menu", access);
  EXPECT_EQ(popup_key(access), std::nullopt);
  loop->items.clear();  // break the cycle so the menu is freed
}

TEST(LanguageMenu, ListsPacksUnderTheirCommandsAndSelectsByCommand) {
  PackFolder folder;
  folder.WritePack("a.lng", "Deutsch", "[Msg]\nk=de\n");
  folder.WritePack("b.lng", "English", "");
  LanguagePack pack;
  EXPECT_TRUE(language_menu_entries(pack).empty());
  EXPECT_FALSE(run_language_command(pack, kLanguageCommandFirst));

  pack.discover(folder.root());
  pack.select("English");
  const auto entries = language_menu_entries(pack);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].commandId, 33300);
  EXPECT_EQ(entries[0].name, "Deutsch");
  EXPECT_FALSE(entries[0].checked);
  EXPECT_EQ(entries[1].commandId, 33301);
  EXPECT_TRUE(entries[1].checked);

  EXPECT_TRUE(run_language_command(pack, 33300));
  EXPECT_EQ(pack.text("Msg", "k", ""), "de");
  EXPECT_FALSE(run_language_command(pack, 33300));  // already selected
  EXPECT_FALSE(run_language_command(pack, 33302));  // no third pack
  EXPECT_FALSE(run_language_command(pack, 33299));
  EXPECT_EQ(pack.selected(), 0);
}

TEST(LanguageMenu, OnlyThirtyPacksAreReachable) {
  PackFolder folder;
  for (int i = 0; i < 32; ++i) {
    const std::string number = std::to_string(100 + i);
    folder.WritePack(number + ".lng", number, "");
  }
  LanguagePack pack;
  pack.discover(folder.root());
  ASSERT_EQ(pack.pack_names().size(), 32u);
  const auto entries = language_menu_entries(pack);
  ASSERT_EQ(entries.size(), 30u);
  EXPECT_EQ(entries.back().commandId, kLanguageCommandLast);
  EXPECT_FALSE(run_language_command(pack, kLanguageCommandLast + 1));
}

TEST(StoredLanguage, EnglishWithOnePackSelectsThatPack) {
  PackFolder folder;
  folder.WritePack("langs/deutsch.lng", "Deutsch", "");
  LanguagePack pack;
  pack.discover(folder.root());
  MemorySettingsStore store;
  Settings settings(store);
  select_stored_language(pack, settings);  // nothing stored: "English"
  EXPECT_EQ(pack.selected(), 0);
}

TEST(StoredLanguage, IsWrittenBackOnlyWhenAPackIsSelected) {
  MemorySettingsStore store;
  Settings settings(store);
  settings.write_string("", "Language", "Deutsch");
  LanguagePack none;
  select_stored_language(none, settings);
  store_selected_language(none, settings);
  EXPECT_EQ(settings.read_string("", "Language", ""), "Deutsch");

  PackFolder folder;
  folder.WritePack("fr.lng",
                   "Fran\xC3\xA7"
                   "ais",
                   "");
  LanguagePack pack;
  pack.discover(folder.root());
  select_stored_language(pack, settings);
  store_selected_language(pack, settings);
  EXPECT_EQ(settings.read_string("", "Language", ""),
            "Fran\xC3\xA7"
            "ais");
}

}  // namespace
}  // namespace morvane
