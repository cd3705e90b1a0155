// The command set of the main window as data: every command identifier, its English menu text
// and its shortcut, arranged in the menu tree the window builds. Language packs key menu texts by
// these identifiers, so they are never renumbered.
//
// Texts carry their shortcut after a tab ("Open object ...\tF3"), as packs write them; the
// `shortcut` field holds the same key in the portable form a toolkit parses ("Ctrl+F3",
// "Num++" for the keypad plus).
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace morvane {

namespace command {
// File
inline constexpr int kNewIcon = 32881;
inline constexpr int kNewCursor = 32882;
inline constexpr int kNewAniCursor = 32883;
inline constexpr int kNewLibrary = 32927;
inline constexpr int kOpenObject = 32874;
inline constexpr int kSearchObject = 32875;
inline constexpr int kImportFromImage = 32876;
inline constexpr int kOpenLibrary = 32924;
inline constexpr int kSaveObject = 32884;
inline constexpr int kSaveObjectAs = 33077;
inline constexpr int kSaveCurrentImage = 32885;
inline constexpr int kSaveImageList = 32886;
// The folder exports have no number of old; these follow the language entries' range.
inline constexpr int kExportPng = 33400;
inline constexpr int kExportGif = 33401;
inline constexpr int kExportPngGif = 33402;
inline constexpr int kSaveLibrary = 32925;
inline constexpr int kSaveAsIclLibrary = 32926;
inline constexpr int kInstallPlugin = 33045;
inline constexpr int kCustomizeShellIcons = 33053;
inline constexpr int kExit = 57665;
// Edit
inline constexpr int kUndo = 32879;
inline constexpr int kRedo = 32880;
inline constexpr int kCopy = 32877;
inline constexpr int kCut = 32934;
inline constexpr int kPaste = 32878;
inline constexpr int kPasteAsNewImage = 33020;
inline constexpr int kClearAll = 32922;
inline constexpr int kFillByFirstColor = 32986;
inline constexpr int kSelectAll = 32987;
inline constexpr int kRemoveSelection = 32988;
inline constexpr int kAssociations = 33040;
inline constexpr int kOptions = 32970;
// Object
inline constexpr int kKindIcon = 32936;
inline constexpr int kKindCursor = 32937;
inline constexpr int kKindAniCursor = 32938;
inline constexpr int kCreateStandardFormats = 33019;
inline constexpr int kCompleteStandardFormats = 33075;
inline constexpr int kDuplicateImage = 32935;
inline constexpr int kDeleteImages = 32953;
inline constexpr int kSortForWindowsXP = 33065;
inline constexpr int kAniPreview = 32989;
inline constexpr int kAniProperties = 32940;
inline constexpr int kSetHotspot = 32956;
inline constexpr int kAddIconToLibrary = 32928;
inline constexpr int kCheckIcon = 33110;
inline constexpr int kDeleteIconFromLibrary = 32929;
// Image
inline constexpr int kCrop = 33021;
inline constexpr int kCustomSize = 32964;
inline constexpr int kFormatTrueColorAlpha = 32965;
inline constexpr int kFormatTrueColor = 32966;
inline constexpr int kFormat256Colors = 32967;
inline constexpr int kFormat16Colors = 32968;
inline constexpr int kFormatMonochrome = 32969;
inline constexpr int kMoveUp = 32954;
inline constexpr int kMoveDown = 32955;
// View
inline constexpr int kZoomIn = 32932;
inline constexpr int kZoomOut = 32933;
inline constexpr int kMaxZoom = 32930;
inline constexpr int kFitToArea = 32931;
inline constexpr int kNavigatorBackground = 32990;
inline constexpr int kImageListBackground = 32991;
inline constexpr int kEditAreaBackground = 32980;
inline constexpr int kShowGrid = 33039;
inline constexpr int kRebuildIconCache = 32985;
inline constexpr int kPreviewPane = 33111;
// Help
inline constexpr int kHelpIndex = 57670;
inline constexpr int kAbout = 57664;
}  // namespace command

// The first command of each history popup; entry i of a list has the command first + i.
namespace history_command {
inline constexpr int kIcons = 30000;
inline constexpr int kCursors = 30100;
inline constexpr int kExecutables = 30200;
inline constexpr int kImages = 30300;
inline constexpr int kLibraries = 30400;
// Room for the entries of one list (its maximum is far below).
inline constexpr int kSpan = 100;
}  // namespace history_command

enum class MenuEntryKind {
  kCommand,
  kPopup,
  kSeparator,
  kHistory,   // a history popup, filled from its list; id is its first command
  kLanguage,  // the Language popup, filled from the packs
};

struct MenuEntry {
  MenuEntryKind kind = MenuEntryKind::kCommand;
  int id = 0;
  std::string_view text;  // English default, with "\t" and the shortcut text where it has one
  std::string_view shortcut;
  bool checkable = false;
  std::vector<MenuEntry> children;
};

// The menu bar: one popup per top-level menu, in menu order.
const std::vector<MenuEntry>& MainMenu();

// Every command entry of the tree, depth first (for look-ups by identifier).
std::vector<const MenuEntry*> AllCommands();
const MenuEntry* FindCommand(int id);

// Object > "Add image" and "Create image from selected": the commands in the order of
// AddImageItems() and CreateImageFromSelectedItems() (color_format.h).
std::span<const int> AddImageCommands();
std::span<const int> CreateFromSelectedCommands();
// Object > "Create size set from selected": one command per set of SizeSets() (size_sets.h), in
// its order.
std::span<const int> SizeSetCommands();

// The Image > "Size" command of a side length; 0 when there is none.
int SizeCommand(int size);
// The side length of a Size command; 0 for any other command.
int SizeOfCommand(int id);

}  // namespace morvane
