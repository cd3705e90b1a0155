// The editor program: handles "/install" and "/uninstall", chooses the language pack, opens the
// main window and runs the command line.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QTimer>

#include "shell/command_line.h"
#include "shell/install_switches.h"
#include "shell/language_pack.h"
#include "shell/language_pack_menu.h"
#include "shell/settings.h"
#include "shell/settings_qt_store.h"
#include "ui/handover_import.h"
#include "ui/handover_server.h"
#include "ui/import_controller.h"
#include "ui/main_window.h"
#include "ui/startup_probe.h"

int main(int argc, char* argv[]) {
  using namespace morvane;
  QApplication app(argc, argv);
  QApplication::setApplicationName(
      QString::fromUtf8(kProductName.data(), static_cast<int>(kProductName.size())));
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toStdString());

  QtSettingsStore store;
  Settings settings(store);
  const std::string exePath = QApplication::applicationFilePath().toStdString();
  const DesktopFolders desktop = DesktopFolders::FromEnvironment();
  std::vector<std::string> errors;
  if (handle_install_switch(arguments, settings, exePath, &desktop, &errors)) {
    for (const std::string& error : errors) std::fprintf(stderr, "morvane: %s\n", error.c_str());
    return errors.empty() ? 0 : 1;
  }

  LanguagePack& pack = AppLanguagePack();
  pack.discover(QApplication::applicationDirPath().toStdString());
  select_stored_language(pack, settings);

  const StartupCommand command = ParseStartupCommand(arguments);
  std::optional<handover::Picture> incoming;
  if (const auto done = HandOverAtStartup(command, incoming)) return *done;

  StartupProbe probe;
  MainWindow window(settings, pack);
  // A picture larger than an image opens the import dialog, as pasting one does; the dialog
  // waits until the sender has been answered.
  const LargePictureImport importLarge = [&window](CDib&& picture) {
    auto shared = std::make_shared<CDib>(std::move(picture));
    QTimer::singleShot(0, &window,
                       [&window, shared] { window.Import().FromClipboard(std::move(*shared)); });
  };
  HandoverServer handover([&window, &importLarge](handover::Picture&& picture) {
    const handover::AckCode code = AddHandedOverPicture(window.Document(), picture, importLarge);
    if (code == handover::AckCode::kAccepted) BringToFront(window);
    return code;
  });
  handover.Listen();
  window.show();
  QTimer::singleShot(0, &window, [&window, &probe, command, &incoming, &importLarge] {
    if (incoming) AddHandedOverPicture(window.Document(), *incoming, importLarge);
    window.RunStartupCommand(command);
    probe.Arm();
  });
  // Pictures of the dialogs over the editor (scripts/screenshot.sh): runs one menu command once
  // the file is open.
  const int shownCommand = qEnvironmentVariableIntValue("MORVANE_SCREENSHOT_COMMAND");
  if (shownCommand > 0) {
    QTimer::singleShot(300, &window, [&window, shownCommand] { window.RunCommand(shownCommand); });
  }
  return QApplication::exec();
}
