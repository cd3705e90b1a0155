// The questions, messages and file choices of the main window, behind one interface so that
// tests can answer them without a modal dialog.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "formats/executable_objects.h"
#include "shell/language_pack.h"

namespace morvane {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A question with the given buttons; returns the button chosen.
  virtual QMessageBox::StandardButton Ask(QWidget* parent, const QString& text,
                                          QMessageBox::StandardButtons buttons);
  virtual void ShowError(QWidget* parent, const QString& title, const QString& text);
  virtual void ShowInfo(QWidget* parent, const QString& text);
  // Empty when the user cancels. filter is in Qt's form ("Icons (*.ico);;All files (*)").
  virtual QString ChooseOpenPath(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter);
  virtual QString ChooseSavePath(QWidget* parent, const QString& title, const QString& suggested,
                                 const QString& filter);
  // The object dialog on a program or library: false when cancelled; otherwise the chosen
  // group and whether it is added to the document.
  virtual bool ChooseObject(QWidget* parent, const LanguagePack& pack,
                            const ExecutableObjects& objects, bool canAppend, int& object,
                            bool& append);
};

}  // namespace morvane
