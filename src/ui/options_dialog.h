// "Options ...": the settings that have no other place: "Alpha level" and "Matte color" (how
// images are written in formats without alpha), the edit-area background and grid, the language,
// and a way to the file associations.
#pragma once

#include <functional>

#include <QDialog>

#include "shell/language_pack.h"
#include "shell/options_values.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;
class QSpinBox;

namespace morvane {

class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  OptionsDialog(const LanguagePack& pack, const OptionsValues& values,
                std::function<void()> associations, QWidget* parent = nullptr);
  OptionsValues Values() const;

 private:
  void SetColor(QPushButton* button, std::uint32_t bgr);
  void ChooseColor(QPushButton* button);

  OptionsValues values_;
  QSpinBox* alphaLevel_;
  QSlider* alphaSlider_;
  QPushButton* matte_;
  QPushButton* background_;
  QCheckBox* grid_;
  QComboBox* language_;
};

}  // namespace morvane
