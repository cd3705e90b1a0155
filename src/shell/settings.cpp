#include "shell/settings.h"

#include <charconv>

namespace morvane {

std::optional<std::int32_t> ParseSettingInt(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (negative ? magnitude > 0x80000000ULL : magnitude > 0xFFFFFFFFULL) return std::nullopt;
  const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
  return static_cast<std::int32_t>(bits);
}

std::int32_t Settings::read_int(std::string_view section, std::string_view name,
                                std::int32_t defaultValue) const {
  const auto value = store_.get(section, name);
  if (!value) return defaultValue;
  if (const auto* i = std::get_if<std::int32_t>(&*value)) return *i;
  if (const auto* s = std::get_if<std::string>(&*value)) {
    return ParseSettingInt(*s).value_or(defaultValue);
  }
  return defaultValue;
}

std::string Settings::read_string(std::string_view section, std::string_view name,
                                  std::string_view defaultValue) const {
  const auto value = store_.get(section, name);
  if (value) {
    if (const auto* s = std::get_if<std::string>(&*value)) return *s;
  }
  return std::string(defaultValue);
}

SettingBytes Settings::read_binary(std::string_view section, std::string_view name) const {
  const auto value = store_.get(section, name);
  if (value) {
    if (const auto* b = std::get_if<SettingBytes>(&*value)) return *b;
  }
  return {};
}

void Settings::write_int(std::string_view section, std::string_view name, std::int32_t value) {
  store_.set(section, name, value);
}

void Settings::write_string(std::string_view section, std::string_view name,
                            std::string_view value) {
  store_.set(section, name, std::string(value));
}

void Settings::write_binary(std::string_view section, std::string_view name,
                            const SettingBytes& value) {
  store_.set(section, name, value);
}

void Settings::remove_value(std::string_view section, std::string_view name) {
  store_.remove(section, name);
}

void Settings::remove_section(std::string_view section) {
  store_.remove_section(section);
}

}  // namespace morvane
