// The editor program: handles "/install" and "/uninstall", chooses the language pack, opens the
// main window and runs the command line.
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
  if (handle_install_switch(arguments, settings, exePath)) return 0;

  LanguagePack& pack = AppLanguagePack();
  pack.discover(QApplication::applicationDirPath().toStdString());
  select_stored_language(pack, settings);

  StartupProbe probe;
  MainWindow window(settings, pack);
  window.show();
  const StartupCommand command = ParseStartupCommand(arguments);
  QTimer::singleShot(0, &window, [&window, &probe, command] {
    window.RunStartupCommand(command);
    probe.Arm();
  });
  return QApplication::exec();
}
