#include "ui/associations_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widget_translation.h"

namespace morvane {

namespace {
constexpr std::string_view kSection = "Associations";

QString Tr(const LanguagePack& pack, std::string_view key, std::string_view english) {
  return PackText(pack, kSection, key, english);
}
}  // namespace

AssociationsDialog::AssociationsDialog(const LanguagePack& pack, const AssociationChecks& checks,
                                       QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(Tr(pack, "title", "Associations"));
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const auto& type = kAssociatedTypes[i];
    boxes_[i] = new QCheckBox(
        QString::fromUtf8(type.extension.data(), static_cast<int>(type.extension.size())), this);
    boxes_[i]->setChecked(checks[i]);
    grid->addWidget(boxes_[i], static_cast<int>(i % 4), static_cast<int>(i / 4));
  }
  auto* markAll = new QPushButton(Tr(pack, "mark_all", "Mark all"), this);
  auto* unmarkAll = new QPushButton(Tr(pack, "unmark_all", "Unmark all"), this);
  auto* invert = new QPushButton(Tr(pack, "invert", "Invert"), this);
  connect(markAll, &QPushButton::clicked, this, [this] { MarkAll(true); });
  connect(unmarkAll, &QPushButton::clicked, this, [this] { MarkAll(false); });
  connect(invert, &QPushButton::clicked, this, [this] { Invert(); });
  auto* row = new QHBoxLayout;
  row->addWidget(markAll);
  row->addWidget(unmarkAll);
  row->addWidget(invert);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(Tr(pack, "text", "Open these file types with Morvane Pro by default:"), this));
  layout->addLayout(grid);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

AssociationChecks AssociationsDialog::Checks() const {
  AssociationChecks checks{};
  for (std::size_t i = 0; i < boxes_.size(); ++i) checks[i] = boxes_[i]->isChecked();
  return checks;
}

void AssociationsDialog::MarkAll(bool on) {
  for (QCheckBox* box : boxes_) box->setChecked(on);
}

void AssociationsDialog::Invert() {
  for (QCheckBox* box : boxes_) box->setChecked(!box->isChecked());
}

}  // namespace morvane
