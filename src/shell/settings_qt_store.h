// The settings tree of the program, kept by QSettings: on Windows that is the registry key
// "Software\Brenk Ltd\Morvane Pro" of the current user, elsewhere the user's configuration file.
#pragma once

#include <filesystem>
#include <memory>

#include "shell/settings_store.h"

class QSettings;

namespace morvane {

class QtSettingsStore final : public SettingsStore {
 public:
  // The program's own tree (organisation kMakerName, application kProductName, native format).
  QtSettingsStore();
  // A tree in an INI file at the given path; tests use this so that they never write to the
  // user's real settings.
  explicit QtSettingsStore(const std::filesystem::path& iniFile);
  // Writes pending changes.
  ~QtSettingsStore() override;
  QtSettingsStore(const QtSettingsStore&) = delete;
  QtSettingsStore& operator=(const QtSettingsStore&) = delete;

  std::optional<SettingValue> get(std::string_view section, std::string_view name) const override;
  void set(std::string_view section, std::string_view name, const SettingValue& value) override;
  void remove(std::string_view section, std::string_view name) override;
  void remove_section(std::string_view section) override;

  // Writes pending changes now. Failures are ignored, as for every settings write.
  void sync();

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace morvane
