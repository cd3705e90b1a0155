// Edit > "Associations ...": one check box per associated file type with "Mark all",
// "Unmark all" and "Invert". The boxes start from the types the editor handles now.
#pragma once

#include <array>

#include <QDialog>

#include "shell/associations.h"
#include "shell/language_pack.h"

class QCheckBox;

namespace morvane {

class AssociationsDialog : public QDialog {
  Q_OBJECT

 public:
  AssociationsDialog(const LanguagePack& pack, const AssociationChecks& checks,
                     QWidget* parent = nullptr);
  AssociationChecks Checks() const;

  void MarkAll(bool on);
  void Invert();

 private:
  std::array<QCheckBox*, kAssociatedTypes.size()> boxes_{};
};

}  // namespace morvane
