// The central edit area: the current frame shown zoomed without smoothing, transparent pixels
// over the edit-area background colour, a pixel grid from a scale of 4, and the three status
// texts of the pixel under the mouse. Drawing tools come later; this widget only shows.
#pragma once

#include <cstdint>
#include <optional>

#include <QAbstractScrollArea>
#include <QImage>
#include <QString>

#include "image/icon_document.h"

namespace morvane {

class EditArea : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit EditArea(QWidget* parent = nullptr);

  void SetDocument(const IconDocument* document) { document_ = document; }
  // Shows frame index instead of the current one (the animated-cursor preview); -1 shows the
  // current frame again.
  void SetShownFrame(int index);
  int ShownFrame() const { return shownFrame_; }
  // The frame's pixels changed, or another frame is shown: re-reads and re-applies the zoom.
  void ImageChanged();

  // Zoom level -1..12 (zoom.h); the scale follows the image and the client area.
  void SetZoom(int level);
  int ZoomLevel() const { return zoomLevel_; }
  double Scale() const { return scale_; }
  void ZoomIn();
  void ZoomOut();

  void SetShowGrid(bool show);
  bool ShowGrid() const { return showGrid_; }
  // A platform colour value, 0x00BBGGRR.
  void SetBackground(std::uint32_t bgr);
  std::uint32_t Background() const { return background_; }

  // The image pixel under a viewport position; nothing outside the image.
  std::optional<QPoint> ImageFromScreen(QPoint viewportPos) const;

 signals:
  void ZoomChanged(int level);
  void StatusChanged(const QString& position, const QString& size, const QString& color);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  const CDib* ShownImage() const;
  // Scroll offsets go back to 0 when the zoom level or the image size changes.
  void UpdateScale(bool resetScroll);
  void UpdateScrollBars(bool resetScroll);
  QRect ImageRect() const;
  void ReportStatus(std::optional<QPoint> pixel);

  const IconDocument* document_ = nullptr;
  int shownFrame_ = -1;
  QImage display_;
  int zoomLevel_ = 0;
  double scale_ = 1;
  bool showGrid_ = false;
  std::uint32_t background_ = 0xD2CABF;
};

}  // namespace morvane
