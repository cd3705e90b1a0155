#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_image.h"
#include "ui/widget_translation.h"

namespace morvane {
namespace {

constexpr std::string_view kSection = "Options dialog";

QString Text(const LanguagePack& pack, std::string_view key, std::string_view english) {
  return PackText(pack, kSection, key, english);
}

}  // namespace

OptionsDialog::OptionsDialog(const LanguagePack& pack, const OptionsValues& values,
                             std::function<void()> associations, QWidget* parent)
    : QDialog(parent),
      values_(values),
      alphaLevel_(new QSpinBox(this)),
      alphaSlider_(new QSlider(Qt::Horizontal, this)),
      matte_(new QPushButton(this)),
      background_(new QPushButton(this)),
      grid_(new QCheckBox(Text(pack, "grid", "Grid on edit area"), this)),
      language_(new QComboBox(this)) {
  setWindowTitle(Text(pack, "title", "Options"));

  alphaLevel_->setRange(1, 255);
  alphaSlider_->setRange(1, 255);
  alphaLevel_->setValue(values.alphaLevel);
  alphaSlider_->setValue(values.alphaLevel);
  connect(alphaSlider_, &QSlider::valueChanged, alphaLevel_, &QSpinBox::setValue);
  connect(alphaLevel_, &QSpinBox::valueChanged, alphaSlider_, &QSlider::setValue);
  SetColor(matte_, values.matteColor);
  SetColor(background_, values.editBackground);
  for (QPushButton* button : {matte_, background_}) {
    connect(button, &QPushButton::clicked, this, [this, button] { ChooseColor(button); });
  }
  grid_->setChecked(values.showGrid);

  auto* saving = new QGroupBox(Text(pack, "saving", "Saving without alpha channel"), this);
  auto* savingForm = new QFormLayout(saving);
  auto* alphaRow = new QHBoxLayout;
  alphaRow->addWidget(alphaSlider_, 1);
  alphaRow->addWidget(alphaLevel_);
  savingForm->addRow(Text(pack, "alpha_level", "Alpha level:"), alphaRow);
  auto* alphaHint = new QLabel(Text(pack, "alpha_hint",
                                    "Pixels less opaque than this are transparent in 1-, 4-, 8- "
                                    "and 24-bit images."),
                               this);
  alphaHint->setWordWrap(true);
  savingForm->addRow(alphaHint);
  savingForm->addRow(Text(pack, "matte", "Matte color:"), matte_);

  auto* editing = new QGroupBox(Text(pack, "edit_area", "Edit area"), this);
  auto* editingForm = new QFormLayout(editing);
  editingForm->addRow(Text(pack, "background", "Background:"), background_);
  editingForm->addRow(grid_);

  auto* general = new QGroupBox(Text(pack, "general", "General"), this);
  auto* generalForm = new QFormLayout(general);
  for (const std::string& name : pack.pack_names()) {
    language_->addItem(QString::fromStdString(name));
  }
  if (language_->findText(QString::fromStdString(values.language)) < 0) {
    language_->addItem(QString::fromStdString(values.language));
  }
  language_->setCurrentText(QString::fromStdString(values.language));
  generalForm->addRow(Text(pack, "language", "Language:"), language_);
  auto* associate = new QPushButton(Text(pack, "associations", "Associations ..."), this);
  associate->setEnabled(static_cast<bool>(associations));
  connect(associate, &QPushButton::clicked, this, [associations] {
    if (associations) associations();
  });
  generalForm->addRow(Text(pack, "files", "File types:"), associate);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(saving);
  layout->addWidget(editing);
  layout->addWidget(general);
  layout->addWidget(buttons);
  setMinimumWidth(380);
}

void OptionsDialog::SetColor(QPushButton* button, std::uint32_t bgr) {
  const QColor color = FromPlatformColor(bgr);
  button->setProperty("platformColor", static_cast<uint>(bgr & 0xFFFFFF));
  button->setText(color.name().toUpper());
  const QString ink = color.lightness() > 128 ? "black" : "white";
  button->setStyleSheet(QString("background-color: %1; color: %2;").arg(color.name(), ink));
}

void OptionsDialog::ChooseColor(QPushButton* button) {
  const QColor chosen = QColorDialog::getColor(
      FromPlatformColor(button->property("platformColor").toUInt()), this, windowTitle());
  if (chosen.isValid()) SetColor(button, ToPlatformColor(chosen));
}

OptionsValues OptionsDialog::Values() const {
  OptionsValues v = values_;
  v.alphaLevel = alphaLevel_->value();
  v.matteColor = matte_->property("platformColor").toUInt();
  v.editBackground = background_->property("platformColor").toUInt();
  v.showGrid = grid_->isChecked();
  v.language = language_->currentText().toStdString();
  return v;
}

}  // namespace morvane
