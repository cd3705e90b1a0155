// The per-user settings tree: read_int / read_string / write_int / write_string over a
// SettingsStore. The empty section is the root key; any other section is a sub-key of it
// named after its window or dialog ("Effect blur dialog"). A missing or unreadable value reads
// as the caller's default, and writes to a store that cannot be opened are lost without a word.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell/settings_store.h"

namespace morvane {

// The maker word and product string that name the settings root. The product string is also the
// program name a language pack must declare.
inline constexpr std::string_view kMakerName = "Brenk Ltd";
inline constexpr std::string_view kProductName = "Morvane Pro";

class Settings {
 public:
  explicit Settings(SettingsStore& store) : store_(store) {}

  // Integers are 32-bit as in the registry; colour values above 0x7FFFFFFF come back negative
  // and are meant to be cast to std::uint32_t. A value stored as decimal text (as INI files
  // hold every number) is read as that number; any other text reads as the default.
  std::int32_t read_int(std::string_view section, std::string_view name,
                        std::int32_t defaultValue) const;
  // A value that is not a string (an integer or binary value) reads as the default.
  std::string read_string(std::string_view section, std::string_view name,
                          std::string_view defaultValue) const;
  // Binary blocks such as the 60-byte font record; empty when missing or not binary.
  SettingBytes read_binary(std::string_view section, std::string_view name) const;

  void write_int(std::string_view section, std::string_view name, std::int32_t value);
  void write_string(std::string_view section, std::string_view name, std::string_view value);
  void write_binary(std::string_view section, std::string_view name, const SettingBytes& value);

  void remove_value(std::string_view section, std::string_view name);
  // Removes a sub-key with everything in it; the empty section removes the whole tree.
  void remove_section(std::string_view section);

  SettingsStore& store() { return store_; }

 private:
  SettingsStore& store_;
};

// Reads decimal text as a 32-bit registry integer: an optional sign, then digits, nothing else.
// Values from 2^31 to 2^32 - 1 wrap to negative numbers, as a DWORD read into an int does.
std::optional<std::int32_t> ParseSettingInt(std::string_view text);

}  // namespace morvane
