// The object dialog: lists the icon and cursor groups of a program or library, previews the
// images of the chosen group with their sizes and colour formats, and asks whether the group
// replaces the document or is added to it.
#pragma once

#include <QDialog>

#include "formats/executable_objects.h"
#include "shell/language_pack.h"

class QListWidget;
class QRadioButton;

namespace morvane {

class ObjectDialog : public QDialog {
  Q_OBJECT

 public:
  ObjectDialog(const LanguagePack& pack, const ExecutableObjects& objects, bool canAppend,
               QWidget* parent = nullptr);

  // The chosen group, an index for OpenChosenObject; -1 when none is chosen.
  int ChosenObject() const;
  bool Append() const;
  void Choose(int object);

 private:
  void ShowPreviews();

  const LanguagePack& pack_;
  const ExecutableObjects& objects_;
  QListWidget* groups_;
  QListWidget* images_;
  QRadioButton* replace_;
  QRadioButton* append_;
};

}  // namespace morvane
