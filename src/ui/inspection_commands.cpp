#include "ui/inspection_commands.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QScrollArea>

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
  const QString folder = host_.startFolder ? host_.startFolder() : QString();
  auto* dialog = new ObjectSearchDialog(
      *host_.pack, folder,
      [this](const std::string& path) {
        if (host_.openPath) host_.openPath(path);
      },
      host_.window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
}

void InspectionCommands::Options() {
  OptionsDialog dialog(*host_.pack, host_.currentOptions(), host_.associations, host_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  const OptionsValues values = dialog.Values();
  host_.applyOptions(values);
  values.Save(*host_.settings);
}

void InspectionCommands::CheckIcon() {
  const IconWriteOptions options = host_.writeOptions ? host_.writeOptions() : IconWriteOptions{};
  CheckIconDialog dialog(
      *host_.pack,
      [this, options](const LintOptions& lint) {
        return CheckDocument(*host_.document, options, lint);
      },
      host_.window);
  dialog.exec();
}

void InspectionCommands::TogglePreviewPane() {
  if (!dock_) {
    dock_ = new QDockWidget(
        QString::fromStdString(host_.pack->text("Preview pane", "title", "Preview")), host_.window);
    dock_->setObjectName("PreviewPane");
    pane_ = new PreviewPane(*host_.pack, dock_);
    pane_->SetDocument(host_.document);
    auto* scroll = new QScrollArea(dock_);
    scroll->setWidget(pane_);
    scroll->setWidgetResizable(true);
    dock_->setWidget(scroll);
    host_.window->addDockWidget(Qt::RightDockWidgetArea, dock_);
    // Shares the place of the last docked panel (the fill panel) as a tab, rather than a sliver
    // beneath the panels.
    QDockWidget* last = nullptr;
    for (QDockWidget* other : host_.window->findChildren<QDockWidget*>()) {
      if (other != dock_ && !other->isHidden() && !other->isFloating() &&
          host_.window->dockWidgetArea(other) == Qt::RightDockWidgetArea) {
        last = other;
      }
    }
    if (last) {
      host_.window->tabifyDockWidget(last, dock_);
      dock_->raise();
      return;
    }
    // Wide enough for every column without scrolling: the strips are about real sizes.
    host_.window->resizeDocks({dock_}, {pane_->sizeHint().width() + 24}, Qt::Horizontal);
    return;
  }
  dock_->setVisible(dock_->isHidden());
}

bool InspectionCommands::PreviewPaneShown() const {
  return dock_ && !dock_->isHidden();
}

}  // namespace morvane
