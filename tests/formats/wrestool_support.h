// Running icoutils' wrestool from tests and reading its resource listings, so that our resource
// readers can be compared with an independent one on the same files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
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

inline std::vector<WrestoolEntry> ParseWrestoolListing(const std::string& text) {
  static const std::regex line(
      R"(--type=('[^']*'|\S+) --name=('[^']*'|\S+)(?: --language=(\d+))? \[(?:type=\S+ )?)"
      R"(offset=0x([0-9a-fA-F]+) size=(\d+)\])");
  const auto unquote = [](std::string s) {
    return s.size() >= 2 && s.front() == '\'' ? s.substr(1, s.size() - 2) : s;
  };
  std::vector<WrestoolEntry> entries;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    std::smatch m;
    if (!std::regex_search(l, m, line)) continue;
    WrestoolEntry e{unquote(m[1]), unquote(m[2]), std::nullopt,
                    std::stoull(m[4].str(), nullptr, 16), std::stoull(m[5].str())};
    if (m[3].matched) e.language = std::stoi(m[3].str());
    entries.push_back(e);
  }
  return entries;
}

}  // namespace morvane::testing
