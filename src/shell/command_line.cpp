#include "shell/command_line.h"

#include <algorithm>
#include <cctype>

namespace morvane {

bool HasLibraryExtension(const std::string& path) {
  constexpr std::size_t kLength = 4;
  if (path.size() < kLength) return false;
  std::string ext = path.substr(path.size() - kLength);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".icl";
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
