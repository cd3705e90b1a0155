// Running icoutils' wrestool from tests and reading its resource listings, so that our resource
// readers can be compared with an independent one on the same files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace morvane::testing {

inline bool HaveWrestool() {
  return std::system("wrestool --version >/dev/null 2>&1") == 0;
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The command's standard output, or nothing when it could not run or exited with an error.
inline std::optional<std::vector<std::uint8_t>> RunCapture(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::vector<std::uint8_t> out;
  std::uint8_t buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.insert(out.end(), buffer, buffer + n);
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

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
