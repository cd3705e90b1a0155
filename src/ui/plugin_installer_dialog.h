// File > "Install Photshop Plug-in ...": lists the image programs found on this machine with
// their plug-in folders, and installs the export plug-in into the Location folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "shell/language_pack.h"
#include "shell/plugin_installer.h"

class QLineEdit;
class QTreeWidget;

namespace morvane {

class PluginInstallerDialog : public QDialog {
  Q_OBJECT

 public:
  // Shows a message: the text, and whether it reports a failure.
  using Notify = std::function<void(QWidget*, const QString&, bool)>;

  PluginInstallerDialog(const LanguagePack& pack, HostProbe probe, std::string editor,
                        QWidget* parent = nullptr);

  void SetNotify(Notify notify) { notify_ = std::move(notify); }
  QString Location() const;
  void SetLocation(const QString& folder);
  QTreeWidget* List() const { return list_; }
  // "OK": installs; the dialog closes on success and stays open on failure.
  void Install();

 private:
  void Browse();

  const LanguagePack& pack_;
  HostProbe probe_;
  std::string editor_;
  std::vector<PluginHost> hosts_;
  QTreeWidget* list_;
  QLineEdit* location_;
  Notify notify_;
};

}  // namespace morvane
