// The image list on the left of the main window: one row per frame with its thumbnail over the
// list's background colour and its label ("32 x 32" and the colour format, or "N 1 - 10 jifs"
// for an animated cursor). Its multi-selection becomes the document's selection list.
#pragma once

#include <cstdint>
#include <vector>

#include <QListWidget>

#include "image/icon_document.h"
#include "shell/language_pack.h"

namespace morvane {

class FrameList : public QListWidget {
  Q_OBJECT

 public:
  static constexpr int kThumbnailSide = 48;

  explicit FrameList(QWidget* parent = nullptr);

  // Rebuilds every row from the document and selects its current frame and selection list.
  void Refresh(const IconDocument& document, const LanguagePack& pack);
  // Marks the document's current and selected frames without rebuilding the rows.
  void ShowSelection(const IconDocument& document);
  // Redraws one thumbnail after its pixels changed.
  void RefreshThumbnail(const IconDocument& document, int index);

  // A platform colour value, 0x00BBGGRR.
  void SetBackground(std::uint32_t bgr);
  std::uint32_t Background() const { return background_; }

 signals:
  // The user changed the selection: current is the focused frame, others the further ones.
  void SelectionEdited(int current, const std::vector<int>& others);

 private:
  void EmitSelection();
  QIcon Thumbnail(const CDib& image) const;

  std::uint32_t background_ = 0xFFFFFF;
  bool updating_ = false;
};

}  // namespace morvane
