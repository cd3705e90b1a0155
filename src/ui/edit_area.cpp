#include "ui/edit_area.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "editing/fills.h"
#include "formats/executable_objects.h"
#include "shell/frame_texts.h"
#include "shell/zoom.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr int kGridDarkening = 24;
constexpr int kStatusIntervalMs = 100;

QColor GridColor(std::uint32_t bgr) {
  const QColor base = FromPlatformColor(bgr);
  return QColor(std::max(base.red() - kGridDarkening, 0),
                std::max(base.green() - kGridDarkening, 0),
                std::max(base.blue() - kGridDarkening, 0));
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

MouseButton ButtonOf(Qt::MouseButton button) {
  return button == Qt::RightButton ? MouseButton::kRight : MouseButton::kLeft;
}

unsigned ModsOf(Qt::KeyboardModifiers mods) {
  unsigned out = 0;
  if (mods & Qt::ShiftModifier) out |= kModShift;
  if (mods & Qt::ControlModifier) out |= kModCtrl;
  return out;
}

bool IsTool(const EditCanvas& canvas, CanvasTool tool) {
  return canvas.Tool() == static_cast<int>(tool);
}

// Each colour byte replaced by 255 minus it; alpha kept.
void InvertRowAndColumn(QImage& image, int x, int y) {
  auto invert = [&](int px, int py) {
    const QRgb v = image.pixel(px, py);
    image.setPixel(px, py, qRgba(255 - qRed(v), 255 - qGreen(v), 255 - qBlue(v), qAlpha(v)));
  };
  for (int i = 0; i < image.width(); ++i) invert(i, y);
  for (int j = 0; j < image.height(); ++j) {
    if (j != y) invert(x, j);
  }
}

}  // namespace

EditArea::EditArea(QWidget* parent) : QAbstractScrollArea(parent) {
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setFrameShape(QFrame::StyledPanel);
  setFocusPolicy(Qt::StrongFocus);
  statusTimer_.setInterval(kStatusIntervalMs);
  connect(&statusTimer_, &QTimer::timeout, this, [this] {
    // The cursor left the image without a move event over it: reset the fields once.
    const QPoint pos = viewport()->mapFromGlobal(QCursor::pos());
    if (!ImageFromScreen(pos)) {
      statusTimer_.stop();
      cursorPixel_.reset();
      ReportStatus(std::nullopt);
      viewport()->update();
    }
  });
}

const CDib* EditArea::ShownImage() const {
  if (!document_) return nullptr;
  int index = shownFrame_ >= 0 ? shownFrame_ : document_->Current();
  if (index < 0 || index >= document_->Count()) return nullptr;
  const CDib& image = document_->Frame(index).image;
  return image.GetWidth() > 0 ? &image : nullptr;
}

bool EditArea::InputEnabled() const {
  return session_ != nullptr && shownFrame_ < 0 && session_->Canvas().Target() != nullptr &&
         const_cast<CanvasSession*>(session_)->Canvas().Target()->IsLive();
}

void EditArea::SetShownFrame(int index) {
  shownFrame_ = index;
  ImageChanged();
}

void EditArea::RefreshDisplay() {
  const CDib* image = ShownImage();
  display_ = image ? ToDisplayImage(*image, PlatformToRgb(background_)) : QImage();
}

void EditArea::ImageChanged() {
  const QSize before = display_.size();
  RefreshDisplay();
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
  SetZoom(ZoomInLevel(view_.Scale()));
}
void EditArea::ZoomOut() {
  SetZoom(ZoomOutLevel(view_.Scale()));
}

void EditArea::SetShowGrid(bool show) {
  showGrid_ = show;
  viewport()->update();
}

void EditArea::SetBackground(std::uint32_t bgr) {
  background_ = bgr & 0xFFFFFF;
  if (session_) session_->Canvas().backgroundColour = background_;
  ImageChanged();
}

void EditArea::SyncView() {
  const QSize client = viewport()->size();
  view_.SetClient(0, 0, client.width(), client.height());
  view_.SetImageSize(display_.width(), display_.height());
}

void EditArea::UpdateScale(bool resetScroll) {
  SyncView();
  const QSize client = viewport()->size();
  const double scale = display_.isNull() ? 1
                                         : ZoomScale(zoomLevel_, client.width(), client.height(),
                                                     display_.width(), display_.height());
  if (resetScroll || scale != view_.Scale()) view_.SetScale(scale);
  if (session_) session_->Selection().SetViewScale(scale);
  UpdateScrollBars(resetScroll);
}

void EditArea::UpdateScrollBars(bool resetScroll) {
  horizontalScrollBar()->setRange(0, view_.ScrollRangeX());
  verticalScrollBar()->setRange(0, view_.ScrollRangeY());
  horizontalScrollBar()->setSingleStep(CanvasView::kLineStep);
  verticalScrollBar()->setSingleStep(CanvasView::kLineStep);
  horizontalScrollBar()->setPageStep(CanvasView::kPageStep);
  verticalScrollBar()->setPageStep(CanvasView::kPageStep);
  if (resetScroll) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
  }
}

QRect EditArea::ImageRect() const {
  if (display_.isNull()) return {};
  const int w = static_cast<int>(view_.Scale() * display_.width());
  const int h = static_cast<int>(view_.Scale() * display_.height());
  return QRect(static_cast<int>(std::floor(view_.OriginX())),
               static_cast<int>(std::floor(view_.OriginY())), w, h);
}

void EditArea::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Window));
  if (display_.isNull()) return;
  const QRect target = ImageRect();
  QImage shown = display_;
  if (session_ && shownFrame_ < 0) {
    const EditCanvas& canvas = session_->Canvas();
    if (IsTool(canvas, CanvasTool::kHotspot) && shown.valid(canvas.hotspot.x, canvas.hotspot.y)) {
      shown.setPixel(canvas.hotspot.x, canvas.hotspot.y, qRgb(255, 0, 0));
    }
    const bool ellipse =
        IsTool(canvas, CanvasTool::kEllipse) || IsTool(canvas, CanvasTool::kFilledEllipse);
    const bool idleSelect =
        IsTool(canvas, CanvasTool::kSelect) && !dragging_ && cursorPixel_ &&
        session_->Selection().HitAt(canvas, {cursorPixel_->x(), cursorPixel_->y()}) == 0;
    if (cursorPixel_ && window()->isActiveWindow() && (ellipse || idleSelect)) {
      InvertRowAndColumn(shown, cursorPixel_->x(), cursorPixel_->y());
    }
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, shown);
  const double scale = view_.Scale();
  const bool fills =
      target.width() + 1 >= viewport()->width() && target.height() + 1 >= viewport()->height();
  if (showGrid_ && scale >= 4) {
    painter.setPen(GridColor(background_));
    for (int i = 0; i <= display_.width(); ++i) {
      const int x = target.left() + static_cast<int>(i * scale);
      painter.drawLine(x, target.top(), x, target.top() + target.height());
    }
    for (int j = 0; j <= display_.height(); ++j) {
      const int y = target.top() + static_cast<int>(j * scale);
      painter.drawLine(target.left(), y, target.left() + target.width(), y);
    }
  } else if (!fills) {
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(target.adjusted(-1, -1, 0, 0));
  }
  if (session_ && shownFrame_ < 0) PaintOverlays(painter, target);
}

void EditArea::PaintOverlays(QPainter& painter, const QRect& target) {
  const double scale = view_.Scale();
  auto screenRect = [&](Rect r) {
    return QRect(target.left() + static_cast<int>(r.left * scale),
                 target.top() + static_cast<int>(r.top * scale),
                 static_cast<int>(r.Width() * scale), static_cast<int>(r.Height() * scale));
  };
  const SelectionModel& selection = session_->SelectionState();
  if (selection.Exists()) {
    Rect r = selection.Rectangle();
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    if (r.Width() * r.Height() > 1) {
      const QRect box = screenRect(r).adjusted(0, 0, -1, -1);
      painter.setPen(QPen(Qt::white, 1));
      painter.drawRect(box);
      painter.setPen(QPen(QColor(0, 0, 128), 1, Qt::DotLine));
      painter.drawRect(box);
      // Tick marks at the middle of each edge and at the corners.
      const int tick = 3;
      painter.setPen(QPen(Qt::red, 1));
      for (const QPoint c : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
        painter.drawLine(c.x() - tick, c.y(), c.x() + tick, c.y());
        painter.drawLine(c.x(), c.y() - tick, c.x(), c.y() + tick);
      }
      painter.setPen(QPen(Qt::gray, 1));
      const QPoint mid = box.center();
      painter.drawLine(mid.x(), box.top() - tick, mid.x(), box.top() + tick);
      painter.drawLine(mid.x(), box.bottom() - tick, mid.x(), box.bottom() + tick);
      painter.drawLine(box.left() - tick, mid.y(), box.left() + tick, mid.y());
      painter.drawLine(box.right() - tick, mid.y(), box.right() + tick, mid.y());
    }
  }
  const EditCanvas& canvas = session_->Canvas();
  const bool brush =
      IsTool(canvas, CanvasTool::kReplaceColors) || IsTool(canvas, CanvasTool::kBlur);
  if (brush && cursorPixel_) {
    Rect square = BrushSquare(cursorPixel_->x(), cursorPixel_->y(), canvas.tools.penSize);
    if (selection.Exists()) {
      const Rect& s = selection.Rectangle();
      square = {std::max(square.left, s.left), std::max(square.top, s.top),
                std::min(square.right, s.right), std::min(square.bottom, s.bottom)};
    }
    if (square.Width() > 0 && square.Height() > 0) {
      painter.setPen(QPen(Qt::black, 1));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(screenRect(square).adjusted(0, 0, -1, -1));
    }
  }
}

void EditArea::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScale(false);
}

void EditArea::scrollContentsBy(int, int) {
  view_.ScrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value());
  viewport()->update();
}

std::optional<QPoint> EditArea::ImageFromScreen(QPoint viewportPos) const {
  if (display_.isNull()) return std::nullopt;
  const ImagePoint p = view_.ImageFromScreen(viewportPos.x(), viewportPos.y());
  if (p.x < 0 || p.y < 0 || p.x >= display_.width() || p.y >= display_.height() ||
      viewportPos.x() < view_.OriginX() || viewportPos.y() < view_.OriginY()) {
    return std::nullopt;
  }
  return QPoint(p.x, p.y);
}

QPoint EditArea::ScreenFromImage(int x, int y) const {
  const double s = view_.Scale();
  return QPoint(static_cast<int>(std::floor(view_.OriginX() + (x + 0.5) * s)),
                static_cast<int>(std::floor(view_.OriginY() + (y + 0.5) * s)));
}

ImagePoint EditArea::MapInput(QPointF pos) const {
  const EditCanvas& canvas = session_->Canvas();
  // Text is placed in supersampled coordinates when anti-aliasing is on.
  const int m =
      IsTool(canvas, CanvasTool::kText) && canvas.draw.antiAlias ? canvas.draw.SampleFactor() : 1;
  const ImagePoint p = view_.ImageFromScreen(pos.x(), pos.y(), m);
  return {p.x, p.y};
}

void EditArea::ReportStatus(std::optional<QPoint> pixel) {
  const CDib* image = ShownImage();
  std::optional<std::pair<int, int>> position;
  std::optional<Pixel> color;
  if (pixel && image) {
    position = std::make_pair(pixel->x(), pixel->y());
    color = image->Pixels()[pixel->x() + static_cast<std::size_t>(pixel->y()) * image->Stride()];
  }
  int w = 0, h = 0;
  if (dragging_ && pixel && session_ && !IsTool(session_->Canvas(), CanvasTool::kSelect)) {
    w = std::abs(pixel->x() - dragStart_.x) + 1;
    h = std::abs(pixel->y() - dragStart_.y) + 1;
  } else if (session_ && session_->SelectionState().Exists()) {
    const Rect& r = session_->SelectionState().Rectangle();
    w = std::abs(r.Width());
    h = std::abs(r.Height());
  }
  emit StatusChanged(Q(PositionStatus(position)), Q(SizeStatus(w, h)), Q(ColorStatus(color)));
}

void EditArea::mousePressEvent(QMouseEvent* event) {
  if (!InputEnabled() ||
      (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const ImagePoint p = MapInput(event->position());
  dragging_ = true;
  dragStart_ = view_.ImageFromScreen(event->position().x(), event->position().y());
  session_->Canvas().Press(p, ButtonOf(event->button()), ModsOf(event->modifiers()));
  RefreshDisplay();
  viewport()->update();
  emit CanvasEdited();
}

void EditArea::mouseMoveEvent(QMouseEvent* event) {
  const std::optional<QPoint> pixel = ImageFromScreen(event->position().toPoint());
  cursorPixel_ = pixel;
  if (!statusTimer_.isActive()) statusTimer_.start();
  if (InputEnabled() && dragging_) {
    AutoScroll(event->position());
    session_->Canvas().Move(MapInput(event->position()), ModsOf(event->modifiers()));
    RefreshDisplay();
    emit CanvasEdited();
  } else if (InputEnabled() && !session_->Canvas().Points().empty()) {
    // A polyline or polygon in progress follows the cursor between clicks.
    session_->Canvas().Hover(MapInput(event->position()));
    RefreshDisplay();
  }
  UpdateCursor(pixel);
  ReportStatus(pixel);
  viewport()->update();
  QAbstractScrollArea::mouseMoveEvent(event);
}

void EditArea::mouseReleaseEvent(QMouseEvent* event) {
  if (!InputEnabled() || !dragging_) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  session_->Canvas().Release(MapInput(event->position()), ButtonOf(event->button()),
                             ModsOf(event->modifiers()));
  ImageChanged();
  emit CanvasEdited();
}

void EditArea::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click ends a polyline or polygon, like Enter.
  if (InputEnabled() && (IsTool(session_->Canvas(), CanvasTool::kPolyline) ||
                         IsTool(session_->Canvas(), CanvasTool::kPolygon))) {
    session_->Canvas().Key(CanvasKey::kEnter, MapInput(event->position()));
    emit CanvasEdited();
    return;
  }
  mousePressEvent(event);
}

void EditArea::keyPressEvent(QKeyEvent* event) {
  if (!InputEnabled()) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  const QPointF cursor = viewport()->mapFromGlobal(QCursor::pos());
  const ImagePoint p = MapInput(cursor);
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      session_->Canvas().Key(CanvasKey::kEnter, p);
      break;
    case Qt::Key_Space:
      session_->Canvas().Key(CanvasKey::kSpace, p);
      break;
    case Qt::Key_Backspace:
      session_->Canvas().Key(CanvasKey::kBackspace, p);
      break;
    case Qt::Key_Escape:
      session_->CancelFloating();
      break;
    case Qt::Key_Delete:
      emit DeletePressed();
      return;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  ImageChanged();
  emit CanvasEdited();
}

void EditArea::UpdateCursor(std::optional<QPoint> pixel) {
  if (!session_ || shownFrame_ >= 0) {
    viewport()->unsetCursor();
    return;
  }
  const EditCanvas& canvas = session_->Canvas();
  Qt::CursorShape shape = Qt::ArrowCursor;
  switch (static_cast<CanvasTool>(canvas.Tool())) {
    case CanvasTool::kSelect: {
      // The drag or hit-test state: move inside, sizing arrows on the bands and corners.
      const int code = dragging_ ? session_->SelectionState().DragMode()
                       : pixel   ? session_->Selection().HitAt(canvas, {pixel->x(), pixel->y()})
                                 : 0;
      switch (code) {
        case selection_hit::kInside:
          shape = Qt::SizeAllCursor;
          break;
        case selection_hit::kLeft:
        case selection_hit::kRight:
          shape = Qt::SizeHorCursor;
          break;
        case selection_hit::kTop:
        case selection_hit::kBottom:
          shape = Qt::SizeVerCursor;
          break;
        case selection_hit::kRight | selection_hit::kBottom:
        case selection_hit::kLeft | selection_hit::kTop:
          shape = Qt::SizeFDiagCursor;
          break;
        case selection_hit::kLeft | selection_hit::kBottom:
        case selection_hit::kRight | selection_hit::kTop:
          shape = Qt::SizeBDiagCursor;
          break;
        default:
          shape = Qt::CrossCursor;
          break;
      }
      break;
    }
    case CanvasTool::kPen:
    case CanvasTool::kLine:
    case CanvasTool::kRectangle:
    case CanvasTool::kFilledRectangle:
    case CanvasTool::kEllipse:
    case CanvasTool::kFilledEllipse:
    case CanvasTool::kPolyline:
    case CanvasTool::kPolygon:
      shape = Qt::CrossCursor;
      break;
    case CanvasTool::kFill:
    case CanvasTool::kPickColor:
      shape = Qt::PointingHandCursor;
      break;
    default:
      break;
  }
  viewport()->setCursor(shape);
}

void EditArea::AutoScroll(QPointF pos) {
  // Outside the window the view follows the mouse by a fifth of the distance per move.
  const QSize client = viewport()->size();
  int dx = 0, dy = 0;
  if (pos.x() < 0) dx = static_cast<int>(pos.x() / 5);
  if (pos.x() > client.width()) dx = static_cast<int>((pos.x() - client.width()) / 5);
  if (pos.y() < 0) dy = static_cast<int>(pos.y() / 5);
  if (pos.y() > client.height()) dy = static_cast<int>((pos.y() - client.height()) / 5);
  if (dx) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
  if (dy) verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

void EditArea::leaveEvent(QEvent* event) {
  cursorPixel_.reset();
  ReportStatus(std::nullopt);
  viewport()->update();
  QAbstractScrollArea::leaveEvent(event);
}

void EditArea::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  SetZoom(WheelZoomLevel(zoomLevel_, delta));
  event->accept();
}

}  // namespace morvane
