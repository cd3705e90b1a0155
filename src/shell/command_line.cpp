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
  const bool import = arguments.front() == "--import" && arguments.size() > 1;
  std::string path;
  for (std::size_t i = import ? 1 : 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!path.empty()) path += ' ';
    path += argument;
  }
  if (path.empty()) return {};
  if (import) return {StartupAction::kImport, path};
  const StartupAction action =
      HasLibraryExtension(path) ? StartupAction::kOpenLibrary : StartupAction::kOpenObject;
  return {action, path};
}

}  // namespace morvane
