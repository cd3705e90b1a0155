// The "/install" and "/uninstall" switches of the command line. Both end the program without
// opening its window: "/install" writes the first-run defaults of the settings tree and the
// desktop's entries for the editor, "/uninstall" gives every file type back to its previous
// handler, removes those entries and the whole tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/associations.h"
#include "shell/settings.h"

namespace morvane {

enum class InstallSwitch { kNone, kInstall, kUninstall };

// Looks at the first argument (after the program name), compared in lower case.
InstallSwitch parse_install_switch(const std::vector<std::string>& arguments);

// Writes the placements of the tool windows and dialogs, then the root values: "ExePath" and
// "Main executable" = exePath made absolute, the main window's placement, the
// interface colours and, when language is not null, "Language".
void write_first_run_defaults(Settings& settings, std::string_view exePath,
                              const std::string* language);

// Removes the whole settings tree.
void remove_settings_tree(Settings& settings);

// Runs "/install" or "/uninstall" when the first argument is one of them, taking the language
// from the second argument. Returns true when a switch ran and the program should end. With
// desktop, the associations are installed or removed there too, and what failed is added to
// errors.
bool handle_install_switch(const std::vector<std::string>& arguments, Settings& settings,
                           std::string_view exePath, const DesktopFolders* desktop = nullptr,
                           std::vector<std::string>* errors = nullptr);

}  // namespace morvane
