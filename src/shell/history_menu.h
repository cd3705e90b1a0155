// The items of a history popup: at most five entries directly, then one item that opens the
// whole list ("Other icons"); an empty list shows one disabled item ("-- no icons --").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/language_pack.h"
#include "shell/mru_list.h"

namespace morvane {

// The texts of one kind of history and the section they are looked up in.
struct HistoryTexts {
  std::string_view section;   // "Main_open"
  std::string_view otherKey;  // "other_icons"
  std::string_view otherEnglish;
  std::string_view emptyKey;  // "no_icons"
  std::string_view emptyEnglish;
};

HistoryTexts IconHistoryTexts();
HistoryTexts CursorHistoryTexts();
HistoryTexts ExecutableHistoryTexts();
HistoryTexts ImageHistoryTexts();
HistoryTexts LibraryHistoryTexts();

enum class HistoryItemKind { kEntry, kOther, kEmpty };

struct HistoryItem {
  HistoryItemKind kind = HistoryItemKind::kEntry;
  int command = 0;                // first + entry index (kEntry); first for the others
  std::string text;               // the path, or the translated text
  std::vector<HistoryItem> more;  // kOther: every entry of the list
};

inline constexpr int kHistoryShownDirectly = 5;

// Whether a history entry may show the icon read from its file. Files on removable media and
// network mounts are never touched for that (a menu must not spin up a drive or wait for a
// server), and nor are files too large to read for a menu.
bool HistoryIconAllowed(const std::string& path);

std::vector<HistoryItem> BuildHistoryItems(const MruList& list, int firstCommand,
                                           const HistoryTexts& texts, const LanguagePack& pack);

// The File menu's "Libraries history": every path flat, newest first, at firstCommand + 1 +
// position (at most kLibraryEntriesShown); the empty text at firstCommand.
inline constexpr int kLibraryEntriesShown = 20;
std::vector<HistoryItem> BuildLibraryHistoryItems(const MruList& list, int firstCommand,
                                                  const LanguagePack& pack);
// The history position a command of that menu stands for, or -1 (the empty entry).
int LibraryHistoryPosition(int command, int firstCommand);

}  // namespace morvane
