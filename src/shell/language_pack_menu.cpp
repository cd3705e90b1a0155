#include "shell/language_pack_menu.h"

#include "shell/settings_main_window.h"

namespace morvane {

namespace {

// Menus are built by the program, but a menu that contains itself must not recurse forever.
constexpr int kMaxMenuDepth = 16;

// The first positive command identifier of one level, or 0.
int FirstCommandOf(MenuAccess& menu) {
  for (int i = 0; i < menu.item_count(); ++i) {
    if (menu.popup(i)) continue;
    if (const int id = menu.command_id(i); id > 0) return id;
  }
  return 0;
}

std::unique_ptr<MenuAccess> FirstPopupOf(MenuAccess& menu) {
  for (int i = 0; i < menu.item_count(); ++i) {
    if (auto sub = menu.popup(i)) return sub;
  }
  return nullptr;
}

void TranslateLevel(const LanguagePack& pack, std::string_view section, MenuAccess& menu,
                    int depth) {
  if (depth > kMaxMenuDepth) return;
  for (int i = 0; i < menu.item_count(); ++i) {
    std::string translated;
    if (auto sub = menu.popup(i)) {
      if (const auto key = popup_key(*sub)) translated = pack.text(section, *key, "");
      TranslateLevel(pack, section, *sub, depth + 1);
    } else if (const int id = menu.command_id(i); id > 0) {
      translated = pack.text(section, std::to_string(id), "");
    }
    if (!translated.empty()) menu.set_text(i, translated);
  }
}

}  // namespace

std::optional<std::string> popup_key(MenuAccess& popup) {
  std::unique_ptr<MenuAccess> descended;
  MenuAccess* level = &popup;
  for (int depth = 0; depth <= kMaxMenuDepth; ++depth) {
    if (const int id = FirstCommandOf(*level); id > 0) {
      return std::to_string(depth) + "+" + std::to_string(id);
    }
    descended = FirstPopupOf(*level);
    if (!descended) return std::nullopt;
    level = descended.get();
  }
  return std::nullopt;
}

void translate_menu(const LanguagePack& pack, std::string_view section, MenuAccess& menu) {
  TranslateLevel(pack, section, menu, 0);
}

std::string ItemKey(int controlId, int index) {
  return std::to_string(controlId) + "_" + std::to_string(index);
}

std::vector<LanguageMenuEntry> language_menu_entries(const LanguagePack& pack) {
  std::vector<LanguageMenuEntry> entries;
  const int reachable = kLanguageCommandLast - kLanguageCommandFirst + 1;
  const auto& names = pack.pack_names();
  for (int n = 0; n < static_cast<int>(names.size()) && n < reachable; ++n) {
    entries.push_back(
        {kLanguageCommandFirst + n, names[static_cast<std::size_t>(n)], n == pack.selected()});
  }
  return entries;
}

bool run_language_command(LanguagePack& pack, int commandId) {
  const int n = commandId - kLanguageCommandFirst;
  if (commandId < kLanguageCommandFirst || commandId > kLanguageCommandLast) return false;
  if (n >= static_cast<int>(pack.pack_names().size())) return false;
  return pack.select(pack.pack_names()[static_cast<std::size_t>(n)]);
}

void select_stored_language(LanguagePack& pack, const Settings& settings) {
  pack.select(read_language(settings));
}

void store_selected_language(const LanguagePack& pack, Settings& settings) {
  if (pack.selected() < 0) return;
  write_language(settings, pack.selected_name());
}

}  // namespace morvane
