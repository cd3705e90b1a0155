// The Qt side of language packs: walks a dialog's widgets or a menu's actions and asks the
// LanguagePack for each text. The key rules live in shell/ (language_pack_menu.h,
// control_ids.h); this file only knows where Qt keeps each caption.
//
// Dialog captions: the window's own title is keyed 0; a child widget is keyed by the
// identifier it carries (set_control_id); a button of a QDialogButtonBox without one is keyed
// by its standard role (control_id::kOk ...) and falls back to section "DEFAULT". Combo box
// items, tabs and the column headers of tree and table widgets are keyed
// "<control id>_<index>". A carriage return in a pack text is shown as a line break.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QString>

#include "shell/language_pack.h"

class QMenu;
class QMenuBar;
class QObject;
class QWidget;

namespace morvane {

// Gives a widget or a menu action the identifier a pack keys its text by.
void set_control_id(QObject* object, int id);
std::optional<int> control_id_of(const QObject* object);

// Replaces the title of window and the captions of its widgets by their translations; widgets
// without a translation keep their caption. A combo box keeps its current item.
void translate_dialog(const LanguagePack& pack, std::string_view section, QWidget* window);

// Translates a menu or a menu bar and all popups below it (rules in language_pack_menu.h).
void translate_menu(const LanguagePack& pack, std::string_view section, QMenu* menu);
void translate_menu(const LanguagePack& pack, std::string_view section, QMenuBar* menuBar);

// Sets the tooltips listed as "hint_<n>" in section on the widgets of window they name.
void apply_hints(const LanguagePack& pack, std::string_view section, QWidget* window);

// Fills the Language popup with one checkable entry per pack (commands 33300 to 33329), the
// selected pack checked. Without packs the popup stays empty.
void fill_language_menu(const LanguagePack& pack, QMenu* menu);

// A pack text as Qt shows it: carriage returns become line feeds.
QString ToDisplayText(std::string_view packText);
// The translation of key in section (english where the pack has none), as Qt shows it.
QString PackText(const LanguagePack& pack, std::string_view section, std::string_view key,
                 std::string_view english);

}  // namespace morvane
