// "Import from image ...": browse folders for pictures, drag a selection over one, and preview
// the icon image it gives at the chosen size and filter level. The rules are the shell's
// (import_image.h); this is the dialog around them.
#pragma once

#include <filesystem>
#include <string>

#include <QDialog>
#include <QImage>
#include <QWidget>

#include "image/dib.h"
#include "shell/import_image.h"
#include "shell/language_pack.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QTreeView;
class QTreeWidget;
class QPushButton;

namespace morvane {

// The picture, scaled to fit, with the selection drawn over it; dragging chooses a new one.
class PictureSelector : public QWidget {
  Q_OBJECT

 public:
  explicit PictureSelector(QWidget* parent = nullptr);
  void SetPicture(const CDib* picture);
  void SetSelection(Rect selection);
  Rect Selection() const { return selection_; }
  void SetIconEqualSelection(bool on) { iconEqualSelection_ = on; }
  QSize sizeHint() const override { return {360, 300}; }

 signals:
  void SelectionChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  double Scale() const;
  QPoint Origin() const;
  QPoint ToPicture(const QPoint& widgetPoint) const;

  const CDib* picture_ = nullptr;
  QImage shown_;
  Rect selection_;
  QPoint anchor_;
  bool iconEqualSelection_ = false;
};

class ImportDialog : public QDialog {
  Q_OBJECT

 public:
  // picture: a picture handed over by Open or Paste (the browser is then hidden); null to browse
  // from folder.
  ImportDialog(const LanguagePack& pack, const ImportOptions& options, const std::string& folder,
               CDib* picture, QWidget* parent = nullptr);

  const ImportOptions& Options() const { return options_; }
  // The icon image of the current selection; empty when there is none.
  const CDib& Preview() const { return preview_; }
  // Tests and the command line choose a region as a drag would.
  void ChooseRegion(Rect selection);
  Rect Selection() const;
  void SetIconSize(int size);
  // Lists the pictures of a folder as choosing it in the tree does.
  void ShowFolder(const QString& folder) { ListFolder(folder); }

 private:
  QWidget* BuildBrowser(const std::string& folder);
  QWidget* BuildOptions();
  void LoadPicture(const std::filesystem::path& path);
  void ListFolder(const QString& folder);
  void UpdatePreview();

  const LanguagePack& pack_;
  ImportOptions options_;
  CDib ownPicture_;
  CDib* picture_ = nullptr;
  int iconSize_ = kImportDefaultIconSize;
  CDib preview_;

  PictureSelector* selector_ = nullptr;
  QLabel* previewLabel_ = nullptr;
  QLabel* selectionLabel_ = nullptr;
  QComboBox* sizeBox_ = nullptr;
  QComboBox* levelBox_ = nullptr;
  QCheckBox* equalBox_ = nullptr;
  QCheckBox* proportionBox_ = nullptr;
  QTreeView* folders_ = nullptr;
  QFileSystemModel* folderModel_ = nullptr;
  QTreeWidget* files_ = nullptr;
  QPushButton* okButton_ = nullptr;
};

}  // namespace morvane
