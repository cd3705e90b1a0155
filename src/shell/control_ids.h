// The numbers and section names by which a language pack addresses the program's texts, in one
// table. Menu commands are keyed by their command identifiers; dialog controls by the
// identifiers below, which each widget carries as the property kControlIdProperty (widgets have
// no resource identifiers of their own). Identifiers are never reused or renumbered: packs in
// the field depend on them.
#pragma once

#include <string_view>

namespace morvane {

// Name of the integer property that holds a widget's or menu action's identifier.
inline constexpr char kControlIdProperty[] = "morvaneId";

namespace control_id {

// The dialog or window itself: its title is keyed 0.
inline constexpr int kWindow = 0;

// Standard buttons carry the numbers of the platform's dialog results, so that a pack gives
// "OK" and "Cancel" the same keys in every dialog. Buttons of a button box (and of message
// boxes) that carry no identifier of their own get these from their standard role, and are
// looked up in their dialog's section first and then in section "DEFAULT".
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
inline constexpr int kClose = 8;
inline constexpr int kHelp = 9;

// Controls of our own dialogs take numbers from 1000 up, a block of 50 per dialog, listed here
// as the dialogs are built (the numbers themselves are in dialog_ids.h):
//   1000-1049  Custom size       (section "Custom_size")
//   1050-1099  Dither            (section "Dither")
//   1100-1149  Ani properties    (section "Ani")
//   1150-1199  Object dialog     (section "Object")
//   1200-1249  (next dialog)

}  // namespace control_id

// Item texts of combo boxes, tab bars and list-view column headers are keyed
// "<control id>_<item index>" (see ItemKey in language_pack_menu.h).

// The Language menu lists the packs under these command identifiers; at most 30 packs are
// reachable.
inline constexpr int kLanguageCommandFirst = 33300;
inline constexpr int kLanguageCommandLast = 33329;

// Sections of the program's texts.
namespace language_section {
inline constexpr std::string_view kInfo = "Info";               // program, version, name
inline constexpr std::string_view kMessages = "Msg";            // message boxes
inline constexpr std::string_view kMainMenu = "Main_menu";      // the main window's menu bar
inline constexpr std::string_view kMainOpen = "Main_open";      // the "Open object" drop-down
inline constexpr std::string_view kMainColors = "Main_colors";  // format names by bit count
inline constexpr std::string_view kLibraryTools = "Libtools";   // the library toolbar
inline constexpr std::string_view kDefault = "DEFAULT";         // texts shared by all dialogs
}  // namespace language_section

}  // namespace morvane
