// The main window's commands that talk to the desktop: "Associations ...", "Install Photshop
// Plug-in ..." and "Rebuild icon cache". Each shows its dialog and its result; the logic is in
// shell/associations.h and shell/plugin_installer.h.
#pragma once

#include <string>
#include <vector>

#include "shell/language_pack.h"
#include "ui/prompts.h"

class QWidget;

namespace morvane {

void RunAssociationsCommand(QWidget* parent, const LanguagePack& pack, Prompts& prompts);
void RunPluginInstallerCommand(QWidget* parent, const LanguagePack& pack);
// files: the files whose cached thumbnails are forgotten (the editor's histories).
void RunRebuildIconCacheCommand(QWidget* parent, Prompts& prompts,
                                const std::vector<std::string>& files);

}  // namespace morvane
