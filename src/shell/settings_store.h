// Where the settings tree lives. The program keeps it in QSettings (settings_qt_store.h); tests
// use MemorySettingsStore so that they never touch the user's real settings.
//
// A store knows sections and typed values only. Section "" is the root key; any other section
// is one sub-key below it. Stores never report failures: a store that cannot be opened behaves
// as an empty one and drops writes, because settings must never keep the editor from running.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace morvane {

using SettingBytes = std::vector<std::uint8_t>;
// A 32-bit integer, a UTF-8 string or a binary block (such as the 60-byte font record).
using SettingValue = std::variant<std::int32_t, std::string, SettingBytes>;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored value, or nothing when it is missing or the store cannot be read.
  virtual std::optional<SettingValue> get(std::string_view section,
                                          std::string_view name) const = 0;
  virtual void set(std::string_view section, std::string_view name, const SettingValue& value) = 0;
  virtual void remove(std::string_view section, std::string_view name) = 0;
  // Removes a sub-key with all its values; the empty section removes the whole tree.
  virtual void remove_section(std::string_view section) = 0;
};

// Keeps the tree in memory, with names compared exactly as the file-backed store does.
class MemorySettingsStore final : public SettingsStore {
 public:
  std::optional<SettingValue> get(std::string_view section, std::string_view name) const override;
  void set(std::string_view section, std::string_view name, const SettingValue& value) override;
  void remove(std::string_view section, std::string_view name) override;
  void remove_section(std::string_view section) override;

  // Number of values in all sections, so that tests can see that a tree was emptied.
  std::size_t value_count() const;

 private:
  std::map<std::string, std::map<std::string, SettingValue, std::less<>>, std::less<>> sections_;
};

}  // namespace morvane
