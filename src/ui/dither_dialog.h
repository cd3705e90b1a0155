// "Convert to 16 system colors": the live dither dialog. Opening converts the frame at level 0;
// each slider move converts the kept original again at the new level; Apply keeps the result as
// one undo step with format 16 colors, Cancel (or closing) restores the original.
#pragma once

#include <QDialog>

#include "image/icon_document.h"
#include "shell/language_pack.h"

class QSlider;
class QLabel;

namespace morvane {

class DitherDialog : public QDialog {
  Q_OBJECT

 public:
  DitherDialog(const LanguagePack& pack, IconDocument& document, UndoContext canvas,
               QWidget* parent = nullptr);
  ~DitherDialog() override;

  // False when the frame could not be kept (no frame, out of memory); the dialog must not run.
  bool Started() const { return started_; }
  // A conversion failed for want of memory ("Error in dl1quant").
  bool Failed() const { return failed_; }
  void SetLevel(int level);

  void accept() override;
  void reject() override;

 private:
  void Preview(int level);

  IconDocument& document_;
  UndoContext canvas_;
  QSlider* slider_;
  QLabel* value_;
  bool started_ = false;
  bool finished_ = false;
  bool failed_ = false;
};

}  // namespace morvane
