// Reading icoutils' wrestool resource listings, so that our resource readers can be compared
// with an independent one on the same files (support/peers.h runs it).
#pragma once

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace morvane::testing {

// One line of `wrestool -l`: "--type=3 --name=1 --language=0 [type=icon offset=0x.. size=..]".
// Quoted names are unquoted; languages are absent for NE files.
struct WrestoolEntry {
  std::string type;
  std::string name;
  std::optional<int> language;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// The value after `key` in `line`: a quoted text up to its closing quote, or up to a space.
inline std::optional<std::string> WrestoolField(const std::string& line, const std::string& key) {
  const std::size_t at = line.find(key);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t begin = at + key.size();
  if (begin < line.size() && line[begin] == '\'') {
    const std::size_t close = line.find('\'', begin + 1);
    if (close == std::string::npos) return std::nullopt;
    return line.substr(begin + 1, close - begin - 1);
  }
  return line.substr(begin, line.find_first_of(" ]", begin) - begin);
}

inline std::vector<WrestoolEntry> ParseWrestoolListing(const std::string& text) {
  std::vector<WrestoolEntry> entries;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const auto type = WrestoolField(line, "--type=");
    const auto name = WrestoolField(line, "--name=");
    const std::size_t bracket = line.find(" [");
    if (!type || !name || bracket == std::string::npos) continue;
    const std::string details = line.substr(bracket);
    const auto offset = WrestoolField(details, "offset=0x");
    const auto size = WrestoolField(details, "size=");
    if (!offset || !size) continue;
    WrestoolEntry e{*type, *name, std::nullopt, std::stoull(*offset, nullptr, 16),
                    std::stoull(*size)};
    if (const auto language = WrestoolField(line, "--language=")) e.language = std::stoi(*language);
    entries.push_back(e);
  }
  return entries;
}

}  // namespace morvane::testing
