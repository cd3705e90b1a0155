#include "ui/desktop_commands.h"

#include <QCoreApplication>

#include "shell/associations.h"
#include "shell/plugin_installer.h"
#include "ui/associations_dialog.h"
#include "ui/plugin_installer_dialog.h"

namespace morvane {

namespace {

std::string EditorPath() {
  return QCoreApplication::applicationFilePath().toStdString();
}

void ShowFailures(QWidget* parent, Prompts& prompts, const AssociationReport& report) {
  if (report.ok()) return;
  QString text;
  for (const std::string& error : report.errors) text += QString::fromStdString(error) + "\n";
  prompts.ShowError(parent, "Morvane Pro - error", text.trimmed());
}

}  // namespace

void RunAssociationsCommand(QWidget* parent, const LanguagePack& pack, Prompts& prompts) {
  const DesktopFolders folders = DesktopFolders::FromEnvironment();
  // Window-modal without a nested event loop: the first start opens it from a timer, and
  // nothing else waits for it.
  auto* dialog = new AssociationsDialog(pack, CurrentAssociations(folders), parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, parent, &prompts, folders] {
    ShowFailures(parent, prompts,
                 ApplyAssociations(folders, ProgramPathsFor(EditorPath()), dialog->Checks()));
  });
  dialog->open();
}

void RunPluginInstallerCommand(QWidget* parent, const LanguagePack& pack) {
  PluginInstallerDialog dialog(pack, HostProbe::ForEditor(EditorPath()), EditorPath(), parent);
  dialog.exec();
}

void RunRebuildIconCacheCommand(QWidget* parent, Prompts& prompts,
                                const std::vector<std::string>& files) {
  ShowFailures(parent, prompts, RebuildIconCache(DesktopFolders::FromEnvironment(), files));
}

}  // namespace morvane
