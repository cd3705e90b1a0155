#include "shell/history_menu.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "shell/control_ids.h"

namespace morvane {

HistoryTexts IconHistoryTexts() {
  return {language_section::kMainOpen, "other_icons", "Other icons", "no_icons", "-- no icons --"};
}
HistoryTexts CursorHistoryTexts() {
  return {language_section::kMainOpen, "other_cursors", "Other cursors", "no_cursors",
          "-- no cursors --"};
}
HistoryTexts ExecutableHistoryTexts() {
  return {language_section::kMainOpen, "other_executables", "Other executables", "no_executables",
          "-- no executables --"};
}
HistoryTexts ImageHistoryTexts() {
  return {language_section::kMainOpen, "other_images", "Other images", "no_images",
          "-- no images --"};
}
HistoryTexts LibraryHistoryTexts() {
  return {language_section::kLibraryTools, "other_libraries", "Other libraries", "no_libs",
          "-- no libraries --"};
}

bool HistoryIconAllowed(const std::string& path) {
  // Where removable media, optical discs and network shares are mounted.
  static constexpr std::array<std::string_view, 5> kMountRoots = {"/media/", "/mnt/", "/run/media/",
                                                                  "/net/", "//"};
  for (std::string_view root : kMountRoots)
    if (std::string_view(path).substr(0, root.size()) == root) return false;
  constexpr std::uintmax_t kLargestFile = 16u << 20;
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error)) return false;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  return !error && size <= kLargestFile;
}

std::vector<HistoryItem> BuildHistoryItems(const MruList& list, int firstCommand,
                                           const HistoryTexts& texts, const LanguagePack& pack) {
  const std::string_view section = texts.section;
  if (list.empty())
    return {{HistoryItemKind::kEmpty,
             firstCommand,
             pack.text(section, texts.emptyKey, texts.emptyEnglish),
             {}}};
  std::vector<HistoryItem> all;
  for (int i = 0; i < list.size(); ++i)
    all.push_back({HistoryItemKind::kEntry,
                   firstCommand + i,
                   list.entries()[static_cast<std::size_t>(i)],
                   {}});
  if (list.size() <= kHistoryShownDirectly) return all;
  std::vector<HistoryItem> items(all.begin(), all.begin() + kHistoryShownDirectly);
  items.push_back({HistoryItemKind::kOther, firstCommand,
                   pack.text(section, texts.otherKey, texts.otherEnglish), std::move(all)});
  return items;
}

std::vector<HistoryItem> BuildLibraryHistoryItems(const MruList& list, int firstCommand,
                                                  const LanguagePack& pack) {
  const HistoryTexts texts = LibraryHistoryTexts();
  if (list.empty()) {
    return {{HistoryItemKind::kEmpty,
             firstCommand,
             pack.text(texts.section, texts.emptyKey, texts.emptyEnglish),
             {}}};
  }
  std::vector<HistoryItem> items;
  const int shown = std::min(list.size(), kLibraryEntriesShown);
  for (int i = 0; i < shown; ++i) {
    items.push_back({HistoryItemKind::kEntry,
                     firstCommand + 1 + i,
                     list.entries()[static_cast<std::size_t>(i)],
                     {}});
  }
  return items;
}

int LibraryHistoryPosition(int command, int firstCommand) {
  const int position = command - firstCommand - 1;
  return position >= 0 && position < kLibraryEntriesShown ? position : -1;
}

}  // namespace morvane
