// The central edit area: a thin adapter between the window system and the canvas core. It
// shows the current frame zoomed without smoothing (transparent pixels over the edit-area
// background, a pixel grid from a scale of 4, the selection outline, the brush square and the
// crosshair), turns mouse, keyboard and wheel input into canvas calls in image coordinates, and
// reports the three status fields. All tool logic lives in the CanvasSession it drives.
#pragma once

#include <cstdint>
#include <optional>

#include <QAbstractScrollArea>
#include <QImage>
#include <QString>
#include <QTimer>

#include "editing/canvas_session.h"
#include "editing/canvas_view.h"
#include "image/icon_document.h"

namespace morvane {

class EditArea : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit EditArea(QWidget* parent = nullptr);

  void SetDocument(const IconDocument* document) { document_ = document; }
  // The canvas core the mouse drives; without one the area only shows.
  void SetSession(CanvasSession* session) { session_ = session; }
  CanvasSession* Session() const { return session_; }
  // Shows frame index instead of the current one (the animated-cursor preview); -1 shows the
  // current frame again. Input is ignored while another frame is shown.
  void SetShownFrame(int index);
  int ShownFrame() const { return shownFrame_; }
  // The frame's pixels changed, or another frame is shown: re-reads and re-applies the zoom.
  void ImageChanged();

  // Zoom level -1..12 (zoom.h); the scale follows the image and the client area.
  void SetZoom(int level);
  int ZoomLevel() const { return zoomLevel_; }
  double Scale() const { return view_.Scale(); }
  void ZoomIn();
  void ZoomOut();

  void SetShowGrid(bool show);
  bool ShowGrid() const { return showGrid_; }
  // A platform colour value, 0x00BBGGRR.
  void SetBackground(std::uint32_t bgr);
  std::uint32_t Background() const { return background_; }

  // The image pixel under a viewport position; nothing outside the image.
  std::optional<QPoint> ImageFromScreen(QPoint viewportPos) const;
  // The viewport position of the centre of an image pixel (for tests and scripted input).
  QPoint ScreenFromImage(int x, int y) const;

 signals:
  void ZoomChanged(int level);
  void StatusChanged(const QString& position, const QString& size, const QString& color);
  // A stroke or key changed the canvas (pixels, tool, colours or selection).
  void CanvasEdited();
  // The Delete key: the window runs its delete command.
  void DeletePressed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  const CDib* ShownImage() const;
  bool InputEnabled() const;
  // Scroll offsets go back to 0 when the zoom level or the image size changes.
  void UpdateScale(bool resetScroll);
  void UpdateScrollBars(bool resetScroll);
  void SyncView();
  QRect ImageRect() const;
  ImagePoint MapInput(QPointF pos) const;
  void ReportStatus(std::optional<QPoint> pixel);
  void PaintOverlays(QPainter& painter, const QRect& target);
  void AutoScroll(QPointF pos);
  // The pointer shape follows the tool and, for the Select tool, the hit test.
  void UpdateCursor(std::optional<QPoint> pixel);
  void RefreshDisplay();

  const IconDocument* document_ = nullptr;
  CanvasSession* session_ = nullptr;
  int shownFrame_ = -1;
  QImage display_;
  CanvasView view_;
  int zoomLevel_ = 0;
  bool showGrid_ = false;
  std::uint32_t background_ = 0xD2CABF;
  std::optional<QPoint> cursorPixel_;
  bool dragging_ = false;
  ImagePoint dragStart_;
  QTimer statusTimer_;
};

}  // namespace morvane
