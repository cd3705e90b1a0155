// Translating menus through a language pack, the Language menu, and the language chosen at
// start-up. The walk over a menu is written against MenuAccess so that its key rules hold for
// any toolkit; the Qt adapter in ui/ implements MenuAccess over QMenu and QMenuBar.
//
// Keys of a menu section:
//   - a command item: its decimal command identifier, for example "32884";
//   - a popup item: "<n>+<id>", where id is the first positive command identifier found in the
//     popup and n is the number of levels descended to find it. A popup whose own level holds a
//     command has n = 0 ("0+32881" is the File menu); a popup whose level holds only sub-popups
//     is searched in its first sub-popup (n = 1), and so on. This rule depends only on the
//     menu's shape, so a translator can always tell which key a popup has.
// A found, non-empty text replaces the item's text; the item's checked and enabled state stay.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/control_ids.h"
#include "shell/language_pack.h"
#include "shell/settings.h"

namespace morvane {

// One menu level as translate_menu sees it.
class MenuAccess {
 public:
  virtual ~MenuAccess() = default;
  virtual int item_count() const = 0;
  // The command identifier of a command item; 0 for separators and items without one.
  virtual int command_id(int index) const = 0;
  // The popup an item opens, or null when the item is not a popup.
  virtual std::unique_ptr<MenuAccess> popup(int index) = 0;
  virtual void set_text(int index, const std::string& text) = 0;
};

// The key of a popup (see above); nothing when no level of it holds a command.
std::optional<std::string> popup_key(MenuAccess& popup);

// Translates every item of menu and, recursively, of its popups, from one section.
void translate_menu(const LanguagePack& pack, std::string_view section, MenuAccess& menu);

// The key of item index of the control controlId (a combo box item, a tab, a column header).
std::string ItemKey(int controlId, int index);

// The Language menu: one checkable entry per pack, in pack order, for the first 30 packs.
struct LanguageMenuEntry {
  int commandId = 0;
  std::string name;
  bool checked = false;
};
std::vector<LanguageMenuEntry> language_menu_entries(const LanguagePack& pack);

// Runs Language menu command kLanguageCommandFirst + n: selects pack n by its name. Returns
// true when the selection changed and the window must translate itself again; commands out of
// range, and any command while there are no packs, do nothing.
bool run_language_command(LanguagePack& pack, int commandId);

// Start-up: selects the pack named by the stored "Language" (missing or empty: "English").
// With packs present but none of that name, the first pack is selected.
void select_stored_language(LanguagePack& pack, const Settings& settings);

// Shut-down: stores the selected pack's name in "Language". With no pack selected the stored
// value is left alone, so a pack that is missing for one run is not forgotten.
void store_selected_language(const LanguagePack& pack, Settings& settings);

}  // namespace morvane
