#include "ui/custom_size_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include "image/icon_document.h"
#include "shell/dialog_ids.h"
#include "ui/widget_translation.h"

namespace morvane {

CustomSizeDialog::CustomSizeDialog(const LanguagePack& pack, int width, int height, QWidget* parent)
    : QDialog(parent), width_(new QSpinBox(this)), height_(new QSpinBox(this)) {
  setWindowTitle("Custom size");
  for (QSpinBox* box : {width_, height_}) box->setRange(1, IconDocument::kMaxFrameSide);
  width_->setValue(width);
  height_->setValue(height);
  auto* widthLabel = new QLabel("Width:", this);
  auto* heightLabel = new QLabel("Height:", this);
  set_control_id(widthLabel, custom_size_dialog::kWidthLabel);
  set_control_id(heightLabel, custom_size_dialog::kHeightLabel);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QFormLayout(this);
  layout->addRow(widthLabel, width_);
  layout->addRow(heightLabel, height_);
  layout->addRow(buttons);
  translate_dialog(pack, custom_size_dialog::kSection, this);
}

int CustomSizeDialog::ChosenWidth() const {
  return width_->value();
}
int CustomSizeDialog::ChosenHeight() const {
  return height_->value();
}

}  // namespace morvane
