#include "ui/dither_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "shell/dialog_ids.h"
#include "ui/widget_translation.h"

namespace morvane {

namespace {
constexpr int kMaxDitherLevel = 128;
}

DitherDialog::DitherDialog(const LanguagePack& pack, IconDocument& document, UndoContext canvas,
                           QWidget* parent)
    : QDialog(parent),
      document_(document),
      canvas_(canvas),
      slider_(new QSlider(Qt::Horizontal, this)),
      value_(new QLabel("0", this)) {
  setWindowTitle("Convert to 16 system colors");
  auto* label = new QLabel("Dithering level", this);
  set_control_id(label, dither_dialog::kLevelLabel);
  slider_->setRange(0, kMaxDitherLevel);
  slider_->setMinimumWidth(220);
  value_->setMinimumWidth(30);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* apply = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  set_control_id(apply, dither_dialog::kApply);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(slider_, &QSlider::valueChanged, this, &DitherDialog::Preview);

  auto* row = new QHBoxLayout;
  row->addWidget(slider_);
  row->addWidget(value_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(row);
  layout->addWidget(buttons);
  translate_dialog(pack, dither_dialog::kSection, this);

  started_ = document_.BeginSixteenColors();
  if (started_) Preview(0);
}

DitherDialog::~DitherDialog() {
  // A dialog destroyed without an answer must not leave the preview in the frame.
  if (started_ && !finished_) document_.CancelSixteenColors();
}

void DitherDialog::SetLevel(int level) {
  slider_->setValue(level);
}

void DitherDialog::Preview(int level) {
  value_->setNum(level);
  if (!started_ || finished_) return;
  if (document_.PreviewSixteenColors(level) == FrameStatus::kReductionFailed) failed_ = true;
}

void DitherDialog::accept() {
  if (started_ && !finished_) document_.ApplySixteenColors(canvas_);
  finished_ = true;
  QDialog::accept();
}

void DitherDialog::reject() {
  if (started_ && !finished_) document_.CancelSixteenColors();
  finished_ = true;
  QDialog::reject();
}

}  // namespace morvane
