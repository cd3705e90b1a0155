// Image > "Custom size ...": asks for a width and a height (1 to 256) starting at the current
// frame's size.
#pragma once

#include <QDialog>

#include "shell/language_pack.h"

class QSpinBox;

namespace morvane {

class CustomSizeDialog : public QDialog {
  Q_OBJECT

 public:
  CustomSizeDialog(const LanguagePack& pack, int width, int height, QWidget* parent = nullptr);
  int ChosenWidth() const;
  int ChosenHeight() const;

 private:
  QSpinBox* width_;
  QSpinBox* height_;
};

}  // namespace morvane
