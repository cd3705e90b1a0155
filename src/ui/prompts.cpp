#include "ui/prompts.h"

#include <QFileDialog>

#include "shell/frame_texts.h"
#include "ui/object_dialog.h"

namespace morvane {

QMessageBox::StandardButton Prompts::Ask(QWidget* parent, const QString& text,
                                         QMessageBox::StandardButtons buttons) {
  return QMessageBox::question(
      parent, QString::fromUtf8(kProgramTitle.data(), static_cast<int>(kProgramTitle.size())), text,
      buttons);
}

void Prompts::ShowError(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

void Prompts::ShowInfo(QWidget* parent, const QString& text) {
  QMessageBox::information(
      parent, QString::fromUtf8(kProgramTitle.data(), static_cast<int>(kProgramTitle.size())),
      text);
}

QString Prompts::ChooseOpenPath(QWidget* parent, const QString& title, const QString& folder,
                                const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString Prompts::ChooseSavePath(QWidget* parent, const QString& title, const QString& suggested,
                                const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

bool Prompts::ChooseObject(QWidget* parent, const LanguagePack& pack,
                           const ExecutableObjects& objects, bool canAppend, int& object,
                           bool& append) {
  ObjectDialog dialog(pack, objects, canAppend, parent);
  if (dialog.exec() != QDialog::Accepted || dialog.ChosenObject() < 0) return false;
  object = dialog.ChosenObject();
  append = dialog.Append();
  return true;
}

}  // namespace morvane
