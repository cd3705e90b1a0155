// Most-recently-used lists of files and folders: full paths, newest first.
//
// In the settings tree a list lives in its own sub-key as string values "History.0",
// "History.1", ... in list order, followed by one more "History.<n>" holding the empty string.
// Reading stops at the first empty or missing value, so values left behind by an older, longer
// list are never read back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/settings.h"

namespace morvane {

class MruList {
 public:
  static constexpr int kDefaultMaximum = 8;
  // The main window raises the four lists behind its "Open object" drop-down (icons, cursors,
  // executables, images) to this maximum; folders and libraries keep the default.
  static constexpr int kRaisedMaximum = 12;

  explicit MruList(int maximum = kDefaultMaximum);

  // Puts path at the front. An empty path is ignored; entries equal to it without regard to
  // letter case are removed first, so the new spelling is the one kept.
  void add(std::string_view path);
  // Removes every entry equal to path without regard to letter case.
  void remove(std::string_view path);
  void clear() { entries_.clear(); }

  // Replaces the list by the one stored under subKey. At most maximum() entries are read, so
  // a damaged tree with endless values cannot stall the start.
  void load(const Settings& settings, std::string_view subKey);
  void save(Settings& settings, std::string_view subKey) const;

  const std::vector<std::string>& entries() const { return entries_; }
  int size() const { return static_cast<int>(entries_.size()); }
  bool empty() const { return entries_.empty(); }
  int maximum() const { return maximum_; }
  // Changes the maximum (at least 1) and cuts the list to it.
  void set_maximum(int maximum);

 private:
  void cut_to_maximum();

  int maximum_;
  std::vector<std::string> entries_;
};

// The sub-keys of the lists, and the maximum each list gets from the main window.
namespace history_key {
inline constexpr std::string_view kIcons = "Icons history";
inline constexpr std::string_view kCursors = "Cursors history";
inline constexpr std::string_view kExecutables = "Executables history";
inline constexpr std::string_view kImages = "Images history";
inline constexpr std::string_view kFolders = "Folders history";
inline constexpr std::string_view kLibraries = "Libraries history";
}  // namespace history_key

int HistoryMaximum(std::string_view subKey);

// Case-insensitive comparison of two UTF-8 paths, as the lists compare entries.
bool SamePathIgnoringCase(std::string_view a, std::string_view b);

}  // namespace morvane
