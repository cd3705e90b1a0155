// Object > "Ani-cursor properties ...": shows the number of timed frames and the target
// duration, and edits the title and the author; Apply copies both into the document.
#pragma once

#include <QDialog>

#include "image/icon_document.h"
#include "shell/language_pack.h"

class QLabel;
class QLineEdit;

namespace morvane {

class AniPropertiesDialog : public QDialog {
  Q_OBJECT

 public:
  AniPropertiesDialog(const LanguagePack& pack, IconDocument& document, QWidget* parent = nullptr);

  QString FramesText() const;
  QString DurationText() const;
  void SetTexts(const QString& title, const QString& author);
  void accept() override;

 private:
  IconDocument& document_;
  QLabel* frames_;
  QLabel* duration_;
  QLineEdit* title_;
  QLineEdit* author_;
};

}  // namespace morvane
