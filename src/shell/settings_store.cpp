#include "shell/settings_store.h"

namespace morvane {

std::optional<SettingValue> MemorySettingsStore::get(std::string_view section,
                                                     std::string_view name) const {
  const auto s = sections_.find(section);
  if (s == sections_.end()) return std::nullopt;
  const auto v = s->second.find(name);
  if (v == s->second.end()) return std::nullopt;
  return v->second;
}

void MemorySettingsStore::set(std::string_view section, std::string_view name,
                              const SettingValue& value) {
  auto s = sections_.find(section);
  if (s == sections_.end())
    s = sections_.emplace(std::string(section), decltype(s->second){}).first;
  s->second.insert_or_assign(std::string(name), value);
}

void MemorySettingsStore::remove(std::string_view section, std::string_view name) {
  const auto s = sections_.find(section);
  if (s == sections_.end()) return;
  const auto v = s->second.find(name);
  if (v != s->second.end()) s->second.erase(v);
}

void MemorySettingsStore::remove_section(std::string_view section) {
  if (section.empty()) {
    sections_.clear();
    return;
  }
  const auto s = sections_.find(section);
  if (s != sections_.end()) sections_.erase(s);
}

std::size_t MemorySettingsStore::value_count() const {
  std::size_t count = 0;
  for (const auto& [name, values] : sections_) count += values.size();
  return count;
}

}  // namespace morvane
