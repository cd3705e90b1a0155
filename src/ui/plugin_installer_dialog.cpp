#include "ui/plugin_installer_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/control_ids.h"

namespace morvane {

namespace {

constexpr std::string_view kSection = "Install_photoshop_plugin";

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

PluginInstallerDialog::PluginInstallerDialog(const LanguagePack& pack, HostProbe probe,
                                             std::string editor, QWidget* parent)
    : QDialog(parent),
      pack_(pack),
      probe_(std::move(probe)),
      editor_(std::move(editor)),
      hosts_(FindPluginHosts(probe_)),
      list_(new QTreeWidget(this)),
      location_(new QLineEdit(this)) {
  auto tr = [&pack](std::string_view key, std::string_view english) {
    return Q(pack.text(kSection, key, english));
  };
  setWindowTitle(tr("title", "Install Adobe Photoshop Plug-in"));
  auto* text = new QLabel(tr("text",
                             "Morvane Pro suggests you to install the plug-in at the locations "
                             "specified below (if Photoshop or compatible application is "
                             "installed on your computer) "),
                          this);
  text->setWordWrap(true);
  list_->setColumnCount(2);
  list_->setHeaderLabels({tr("application", "Application"), tr("folder", "Plug-in's folder")});
  list_->setRootIsDecorated(false);
  for (const PluginHost& host : hosts_)
    new QTreeWidgetItem(list_, {Q(host.application), Q(host.folder.string())});
  // The Location starts at the last program found.
  if (!hosts_.empty()) location_->setText(Q(hosts_.back().folder.string()));
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) location_->setText(item->text(1));
  });
  auto* browse = new QPushButton(tr("browse", "Browse ..."), this);
  connect(browse, &QPushButton::clicked, this, &PluginInstallerDialog::Browse);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(tr("location", "Location"), this));
  row->addWidget(location_, 1);
  row->addWidget(browse);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PluginInstallerDialog::Install);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(list_);
  layout->addLayout(row);
  layout->addWidget(buttons);
  notify_ = [](QWidget* owner, const QString& message, bool failure) {
    if (failure) {
      QMessageBox::critical(owner, "Morvane Pro - error", message);
    } else {
      QMessageBox::information(owner, "Morvane Pro", message);
    }
  };
}

QString PluginInstallerDialog::Location() const {
  return location_->text();
}
void PluginInstallerDialog::SetLocation(const QString& folder) {
  location_->setText(folder);
}

void PluginInstallerDialog::Browse() {
  const QString folder = QFileDialog::getExistingDirectory(this, QString(), Location());
  if (!folder.isEmpty()) SetLocation(folder);
}

void PluginInstallerDialog::Install() {
  auto message = [this](std::string_view key, std::string_view english) {
    return Q(pack_.text(language_section::kMessages, key, english));
  };
  // The plug-in of the chosen program; a browsed folder takes the selected (or last) program's.
  QTreeWidgetItem* item = list_->currentItem();
  const int row = item ? list_->indexOfTopLevelItem(item) : static_cast<int>(hosts_.size()) - 1;
  std::string error = "no image program that takes the plug-in was found";
  if (row >= 0 && row < static_cast<int>(hosts_.size())) {
    error = InstallPlugin(hosts_[static_cast<std::size_t>(row)].kind,
                          Location().trimmed().toStdString(), probe_, editor_);
  }
  if (error.empty()) {
    notify_(this, message("plugin_ok", "Plug-in has installed successfully!"), false);
    accept();
    return;
  }
  notify_(
      this,
      message("plugin_error", "Sorry, can't install plug-in to selected folder!") + "\n" + Q(error),
      true);
}

}  // namespace morvane
