#include "ui/edit_area.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "shell/frame_texts.h"
#include "shell/zoom.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr int kGridDarkening = 24;

QColor GridColor(std::uint32_t bgr) {
  const QColor base = FromPlatformColor(bgr);
  return QColor(std::max(base.red() - kGridDarkening, 0),
                std::max(base.green() - kGridDarkening, 0),
                std::max(base.blue() - kGridDarkening, 0));
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

EditArea::EditArea(QWidget* parent) : QAbstractScrollArea(parent) {
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setFrameShape(QFrame::StyledPanel);
}

const CDib* EditArea::ShownImage() const {
  if (!document_) return nullptr;
  int index = shownFrame_ >= 0 ? shownFrame_ : document_->Current();
  if (index < 0 || index >= document_->Count()) return nullptr;
  const CDib& image = document_->Frame(index).image;
  return image.GetWidth() > 0 ? &image : nullptr;
}

void EditArea::SetShownFrame(int index) {
  shownFrame_ = index;
  ImageChanged();
}

void EditArea::ImageChanged() {
  const CDib* image = ShownImage();
  const QSize before = display_.size();
  display_ = image ? ToDisplayImage(*image, PlatformToRgb(background_)) : QImage();
  // A new size re-applies the zoom level; new pixels alone keep the view where it is.
  if (display_.size() != before) UpdateScale(true);
  viewport()->update();
}

void EditArea::SetZoom(int level) {
  zoomLevel_ = ClampZoomLevel(level);
  UpdateScale(true);
  viewport()->update();
  emit ZoomChanged(zoomLevel_);
}

void EditArea::ZoomIn() {
  SetZoom(ZoomInLevel(scale_));
}
void EditArea::ZoomOut() {
  SetZoom(ZoomOutLevel(scale_));
}

void EditArea::SetShowGrid(bool show) {
  showGrid_ = show;
  viewport()->update();
}

void EditArea::SetBackground(std::uint32_t bgr) {
  background_ = bgr & 0xFFFFFF;
  ImageChanged();
}

void EditArea::UpdateScale(bool resetScroll) {
  const QSize client = viewport()->size();
  scale_ = display_.isNull() ? 1
                             : ZoomScale(zoomLevel_, client.width(), client.height(),
                                         display_.width(), display_.height());
  UpdateScrollBars(resetScroll);
}

void EditArea::UpdateScrollBars(bool resetScroll) {
  const QSize client = viewport()->size();
  const int contentW = display_.isNull() ? 0 : static_cast<int>(scale_ * display_.width()) + 1;
  const int contentH = display_.isNull() ? 0 : static_cast<int>(scale_ * display_.height()) + 1;
  horizontalScrollBar()->setRange(0, std::max(contentW - client.width(), 0));
  verticalScrollBar()->setRange(0, std::max(contentH - client.height(), 0));
  horizontalScrollBar()->setPageStep(client.width());
  verticalScrollBar()->setPageStep(client.height());
  if (resetScroll) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
  }
}

QRect EditArea::ImageRect() const {
  if (display_.isNull()) return {};
  const int w = static_cast<int>(scale_ * display_.width());
  const int h = static_cast<int>(scale_ * display_.height());
  const QSize client = viewport()->size();
  // Centred while it fits; scrolled from the top-left corner otherwise.
  const int x = w + 1 < client.width() ? (client.width() - w) / 2 : -horizontalScrollBar()->value();
  const int y = h + 1 < client.height() ? (client.height() - h) / 2 : -verticalScrollBar()->value();
  return QRect(x, y, w, h);
}

void EditArea::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Window));
  if (display_.isNull()) return;
  const QRect target = ImageRect();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, display_);
  const bool fills =
      target.width() + 1 >= viewport()->width() && target.height() + 1 >= viewport()->height();
  if (showGrid_ && scale_ >= 4) {
    painter.setPen(GridColor(background_));
    for (int i = 0; i <= display_.width(); ++i) {
      const int x = target.left() + static_cast<int>(i * scale_);
      painter.drawLine(x, target.top(), x, target.top() + target.height());
    }
    for (int j = 0; j <= display_.height(); ++j) {
      const int y = target.top() + static_cast<int>(j * scale_);
      painter.drawLine(target.left(), y, target.left() + target.width(), y);
    }
  } else if (!fills) {
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(target.adjusted(-1, -1, 0, 0));
  }
}

void EditArea::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScale(false);
}

void EditArea::scrollContentsBy(int, int) {
  viewport()->update();
}

std::optional<QPoint> EditArea::ImageFromScreen(QPoint viewportPos) const {
  if (display_.isNull() || scale_ <= 0) return std::nullopt;
  const QRect target = ImageRect();
  const int x = static_cast<int>(std::floor((viewportPos.x() - target.left()) / scale_));
  const int y = static_cast<int>(std::floor((viewportPos.y() - target.top()) / scale_));
  if (x < 0 || y < 0 || x >= display_.width() || y >= display_.height()) return std::nullopt;
  return QPoint(x, y);
}

void EditArea::ReportStatus(std::optional<QPoint> pixel) {
  const CDib* image = ShownImage();
  std::optional<std::pair<int, int>> position;
  std::optional<Pixel> color;
  if (pixel && image) {
    position = std::make_pair(pixel->x(), pixel->y());
    color = image->GetPixel(pixel->x(), pixel->y());
  }
  emit StatusChanged(Q(PositionStatus(position)), Q(SizeStatus(0, 0)), Q(ColorStatus(color)));
}

void EditArea::mouseMoveEvent(QMouseEvent* event) {
  ReportStatus(ImageFromScreen(event->position().toPoint()));
  QAbstractScrollArea::mouseMoveEvent(event);
}

void EditArea::leaveEvent(QEvent* event) {
  ReportStatus(std::nullopt);
  QAbstractScrollArea::leaveEvent(event);
}

void EditArea::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  SetZoom(WheelZoomLevel(zoomLevel_, delta));
  event->accept();
}

}  // namespace morvane
