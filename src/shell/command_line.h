// What the editor does with its command line once the main window is up. "/install" and
// "/uninstall" are handled before (install_switches.h) and end the program.
#pragma once

#include <string>
#include <vector>

namespace morvane {

enum class StartupAction {
  kNone,
  kPasteClipboard,  // "/clipboard": import the image waiting on the clipboard
  kOpenObject,      // open path as an icon object
  kOpenLibrary,     // open path in the icon library manager (".icl")
  kImport,  // "--import FILE": hand the picture to a running editor, or open it as a new image
};

struct StartupCommand {
  StartupAction action = StartupAction::kNone;
  std::string path;
};

// arguments excludes the program name. "/clipboard" is compared exactly, case included;
// "--import" followed by a path (its pieces joined with single spaces) imports that picture; any
// other arguments are joined with single spaces into one path, so that an unquoted path with
// spaces survives the shell's splitting.
StartupCommand ParseStartupCommand(const std::vector<std::string>& arguments);

// True when the path's extension is ".icl" in any letter case.
bool HasLibraryExtension(const std::string& path);

}  // namespace morvane
