// "Check icon ...": the findings of the icon checker on the open document, with a size set to
// check the sizes against.
#pragma once

#include <functional>

#include <QDialog>

#include "formats/icon_lint.h"
#include "shell/language_pack.h"

class QComboBox;
class QLabel;
class QTreeWidget;

namespace morvane {

class CheckIconDialog : public QDialog {
  Q_OBJECT

 public:
  // check runs the checker with the given options (the window binds the document and settings).
  using CheckFn = std::function<Result<LintReport>(const LintOptions&)>;
  CheckIconDialog(const LanguagePack& pack, CheckFn check, QWidget* parent = nullptr);
  int FindingCount() const;

 private:
  void Run();

  const LanguagePack& pack_;
  CheckFn check_;
  QComboBox* sizeSet_;
  QTreeWidget* findings_;
  QLabel* summary_;
};

}  // namespace morvane
