// The plug-in installer's logic: which image programs on this machine take an export plug-in,
// where their plug-in folders are, and the installation itself (copied under a temporary name
// and renamed, so a host never loads half a plug-in).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/associations.h"

namespace morvane {

enum class PluginKind {
  kGimp2,  // the compiled GIMP 2.10 plug-in
  kGimp3,  // a Python plug-in in its own sub-folder
  kKrita,  // a Python plug-in with its .desktop description
};

struct PluginHost {
  std::string application;  // list text
  std::filesystem::path folder;
  PluginKind kind;
};

// What the installer finds out about the machine; tests replace it.
struct HostProbe {
  DesktopFolders folders;
  // True when a program of this name is on PATH.
  std::function<bool(std::string_view)> hasProgram;
  // The compiled GIMP 2.10 plug-in, empty when it was not built.
  std::filesystem::path gimp2Plugin;
  static HostProbe ForEditor(const std::filesystem::path& editor);
};

// The hosts found, in table order: GIMP 2.10, GIMP 3, Krita. A host is found when its program
// is on PATH or its settings folder exists; GIMP 2.10 only when its plug-in was built.
std::vector<PluginHost> FindPluginHosts(const HostProbe& probe);

// Installs the plug-in for kind into folder. The folder must be absolute and exist. Returns an
// empty string on success, otherwise the reason.
std::string InstallPlugin(PluginKind kind, const std::filesystem::path& folder,
                          const HostProbe& probe, const std::string& editor);

// The Python plug-ins with the editor's path written in as a string literal.
std::string Gimp3PluginScript(const std::string& editor);
std::string KritaPluginScript(const std::string& editor);
// A Python string literal holding text exactly.
std::string PythonStringLiteral(std::string_view text);

}  // namespace morvane
