#include "ui/frame_list.h"

#include <QPainter>
#include <QPixmap>

#include "shell/frame_texts.h"
#include "ui/qt_image.h"

namespace morvane {

FrameList::FrameList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  setUniformItemSizes(false);
  setSpacing(2);
  setMinimumWidth(170);
  SetBackground(background_);
  connect(this, &QListWidget::itemSelectionChanged, this, &FrameList::EmitSelection);
  connect(this, &QListWidget::currentRowChanged, this, &FrameList::EmitSelection);
}

void FrameList::SetBackground(std::uint32_t bgr) {
  background_ = bgr & 0xFFFFFF;
  QPalette p = palette();
  p.setColor(QPalette::Base, FromPlatformColor(background_));
  setPalette(p);
}

QIcon FrameList::Thumbnail(const CDib& image) const {
  QPixmap canvas(kThumbnailSide, kThumbnailSide);
  canvas.fill(FromPlatformColor(background_));
  const QImage shown = ToDisplayImage(image, PlatformToRgb(background_));
  if (!shown.isNull()) {
    // Small images keep their pixels; larger ones shrink to fit, smoothly since this is only
    // a thumbnail.
    QImage fitted = shown;
    if (shown.width() > kThumbnailSide || shown.height() > kThumbnailSide)
      fitted = shown.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio,
                            Qt::SmoothTransformation);
    QPainter painter(&canvas);
    painter.drawImage((kThumbnailSide - fitted.width()) / 2, (kThumbnailSide - fitted.height()) / 2,
                      fitted);
  }
  return QIcon(canvas);
}

void FrameList::Refresh(const IconDocument& document, const LanguagePack& pack) {
  updating_ = true;
  clear();
  for (int i = 0; i < document.Count(); ++i) {
    auto* item = new QListWidgetItem(Thumbnail(document.Frame(i).image),
                                     QString::fromStdString(FrameLabel(pack, document, i)));
    addItem(item);
  }
  updating_ = false;
  ShowSelection(document);
}

void FrameList::ShowSelection(const IconDocument& document) {
  updating_ = true;
  if (document.Current() >= 0 && document.Current() < count())
    setCurrentRow(document.Current(), QItemSelectionModel::ClearAndSelect);
  for (int index : document.Selection())
    if (index < count()) item(index)->setSelected(true);
  updating_ = false;
}

void FrameList::RefreshThumbnail(const IconDocument& document, int index) {
  if (index < 0 || index >= count() || index >= document.Count()) return;
  item(index)->setIcon(Thumbnail(document.Frame(index).image));
}

void FrameList::EmitSelection() {
  if (updating_) return;
  const int current = currentRow();
  if (current < 0) return;
  std::vector<int> others;
  for (const QListWidgetItem* selected : selectedItems()) {
    const int row = this->row(selected);
    if (row != current) others.push_back(row);
  }
  emit SelectionEdited(current, others);
}

}  // namespace morvane
