// A desktop's mimeapps.list (or any key file) edited line by line: only the lines of the keys
// that change are touched; comments, other groups, unknown keys and their order are kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

inline constexpr std::string_view kDefaultApplications = "Default Applications";

class KeyFileLines {
 public:
  explicit KeyFileLines(std::string_view text = {});

  // The value of key in the first group of that name; nothing when absent.
  std::optional<std::string> Get(std::string_view group, std::string_view key) const;
  // Replaces the key's line (dropping later duplicates in the group) or adds one at the end of
  // the group, adding the group at the end of the file when it is missing.
  void Set(std::string_view group, std::string_view key, std::string_view value);
  // Removes every line of the key in the group.
  void Remove(std::string_view group, std::string_view key);

  std::string Text() const;

 private:
  // Line range [begin, end) of the group's body; nothing when the group is missing.
  std::optional<std::pair<std::size_t, std::size_t>> GroupBody(std::string_view group) const;

  std::vector<std::string> lines_;
  bool finalNewline_ = true;
};

// The first desktop id of a list value such as "a.desktop;b.desktop;".
std::string FirstDesktopId(std::string_view value);

}  // namespace morvane
