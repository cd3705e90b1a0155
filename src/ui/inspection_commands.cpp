#include "ui/inspection_commands.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QScrollArea>
#include <QTimer>

#include "shell/document_check.h"
#include "ui/check_icon_dialog.h"
#include "ui/object_search_dialog.h"
#include "ui/options_dialog.h"
#include "ui/preview_pane.h"

namespace morvane {

InspectionCommands::InspectionCommands(InspectionHost host) : host_(std::move(host)) {}

InspectionCommands::~InspectionCommands() {
  delete dock_;
}

void InspectionCommands::SearchObject() {
  const QString folder = QString::fromStdString(host_.editor.state->lastWorkingFolder);
  auto* dialog = new ObjectSearchDialog(
      *host_.editor.pack, folder,
      [this](const std::string& path) {
        if (host_.openPath) host_.openPath(path);
      },
      host_.mainWindow);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
}

void InspectionCommands::Options() {
  OptionsDialog dialog(*host_.editor.pack, host_.currentOptions(), host_.associations,
                       host_.mainWindow);
  if (dialog.exec() != QDialog::Accepted) return;
  const OptionsValues values = dialog.Values();
  host_.applyOptions(values);
  values.Save(*host_.editor.settings);
}

void InspectionCommands::CheckIcon() {
  const MainWindowSettings& state = *host_.editor.state;
  const IconWriteOptions options{state.alphaLevel, state.matteColor};
  CheckIconDialog dialog(
      *host_.editor.pack,
      [this, options](const LintOptions& lint) {
        return CheckDocument(*host_.editor.document, options, lint);
      },
      host_.mainWindow);
  dialog.exec();
}

void InspectionCommands::TogglePreviewPane() {
  if (!dock_) {
    dock_ = new QDockWidget(
        QString::fromStdString(host_.editor.pack->text("Preview pane", "title", "Preview")),
        host_.mainWindow);
    dock_->setObjectName("PreviewPane");
    pane_ = new PreviewPane(*host_.editor.pack, dock_);
    pane_->SetDocument(host_.editor.document);
    auto* scroll = new QScrollArea(dock_);
    scroll->setWidget(pane_);
    scroll->setWidgetResizable(true);
    dock_->setWidget(scroll);
    host_.mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock_);
    // Shares the place of the last docked panel (the fill panel) as a tab, rather than a sliver
    // beneath the panels.
    QDockWidget* last = nullptr;
    for (QDockWidget* other : host_.mainWindow->findChildren<QDockWidget*>()) {
      if (other != dock_ && !other->isHidden() && !other->isFloating() &&
          host_.mainWindow->dockWidgetArea(other) == Qt::RightDockWidgetArea) {
        last = other;
      }
    }
    if (last) {
      // The panels keep their width: the pane scrolls rather than squeezing the edit area.
      const int width = last->width();
      host_.mainWindow->tabifyDockWidget(last, dock_);
      // The tab bar is built once the layout has run; raising before that leaves it behind.
      QTimer::singleShot(0, dock_, [window = host_.mainWindow, dock = dock_, width] {
        dock->raise();
        window->resizeDocks({dock}, {width}, Qt::Horizontal);
      });
      return;
    }
    // Wide enough for every column without scrolling: the strips are about real sizes.
    host_.mainWindow->resizeDocks({dock_}, {pane_->sizeHint().width() + 24}, Qt::Horizontal);
    return;
  }
  dock_->setVisible(dock_->isHidden());
}

bool InspectionCommands::PreviewPaneShown() const {
  return dock_ && !dock_->isHidden();
}

}  // namespace morvane
