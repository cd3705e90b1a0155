#include "shell/command_line.h"

#include <filesystem>

#include "formats/icl_library.h"

namespace morvane {

bool HasLibraryExtension(const std::string& path) {
  return HasIclExtension(std::filesystem::path(path));
}

StartupCommand ParseStartupCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  if (arguments.front() == "/clipboard") return {StartupAction::kPasteClipboard, {}};
  std::string path;
  for (const std::string& argument : arguments) {
    if (!path.empty()) path += ' ';
    path += argument;
  }
  if (path.empty()) return {};
  const StartupAction action =
      HasLibraryExtension(path) ? StartupAction::kOpenLibrary : StartupAction::kOpenObject;
  return {action, path};
}

}  // namespace morvane
