// Reading a language pack file the way the platform reads private-profile (INI) files, rather
// than through QSettings, whose INI dialect treats backslashes, commas and quotes on its own.
//
// Rules: "[name]" starts a section (the name runs to the last "]" of the line); "key=value"
// lines belong to the section above them; a line without "=" is a key with an empty value;
// lines starting with ";" are comments. Section and key names are compared without regard to
// ASCII letter case; keys and values are trimmed of spaces and tabs, and one pair of matching
// quotes around a value is removed. When a section or a key occurs twice, the first occurrence
// wins, as the platform's lookup finds the first one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace morvane {

// A pack holds a few hundred short texts; anything far larger is not a pack.
inline constexpr std::uint64_t kMaxPackFileBytes = 4u << 20;

class PackProfile {
 public:
  // Parses UTF-8 text.
  static PackProfile Parse(std::string_view text);
  // Reads and decodes a file (see DecodePackText). Nothing when the path is not a regular file,
  // cannot be read or is larger than kMaxPackFileBytes.
  static std::optional<PackProfile> Load(const std::filesystem::path& path);

  // The value of key in section; empty when either is missing.
  std::string_view value(std::string_view section, std::string_view key) const;

 private:
  using Keys = std::unordered_map<std::string, std::string>;
  std::unordered_map<std::string, Keys> sections_;
};

// Turns a pack file's bytes into UTF-8. A pack is a platform INI file, so it is normally in the
// ANSI code page of its language; packs are read the same way on every platform:
//   - a UTF-8 byte order mark: UTF-8; a UTF-16 mark (either order): UTF-16;
//   - otherwise text that is valid UTF-8 is UTF-8 (a pack written by a translator on Linux);
//   - otherwise Windows-1252, the Western European ANSI code page (the shipped German pack).
// Packs in other code pages must be saved as UTF-8 or UTF-16 to be read everywhere.
std::string DecodePackText(std::span<const std::uint8_t> bytes);

}  // namespace morvane
