// The library manager's tool window: the "Library" toolbar (new, open with its history drop-down,
// save, save as, add, delete, close), the "Library icons" list with one preview per image,
// grouped by group, and the status line of the selected image. It shows the session it is given
// and reports what the user does; the library controller acts on it.
#pragma once

#include <QDockWidget>

#include "shell/language_pack.h"
#include "shell/library_session.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QToolButton;

namespace morvane {

class LibraryWindow : public QDockWidget {
  Q_OBJECT

 public:
  LibraryWindow(const LanguagePack& pack, QWidget* parent = nullptr);

  // Rebuilds the list from the session; the selection follows `select` (an image index).
  void Show(const LibrarySession& session, int select = -1);
  // Enables the buttons as the session allows.
  void UpdateButtons(const LibrarySession& session);
  // The group of the selected image, or -1.
  int SelectedGroup() const;
  int SelectedImage() const;
  QString StatusText() const;
  QMenu* OpenMenu() const { return openMenu_; }
  QListWidget* List() const { return list_; }
  QAction* Button(int which) const;

  enum ButtonId { kNew, kOpen, kSave, kSaveAs, kAdd, kDelete, kClose, kButtonCount };

 signals:
  void Triggered(int button);
  void GroupActivated(int group);
  void SelectionMoved();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowStatus();

  const LanguagePack& pack_;
  const LibrarySession* session_ = nullptr;
  QListWidget* list_ = nullptr;
  QLabel* status_ = nullptr;
  QMenu* openMenu_ = nullptr;
  QAction* buttons_[kButtonCount] = {};
};

}  // namespace morvane
