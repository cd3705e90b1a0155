#include "editing/canvas_view.h"

#include <algorithm>
#include <cmath>

namespace morvane {

void CanvasView::SetClient(int left, int top, int width, int height) {
  clientLeft_ = left;
  clientTop_ = top;
  clientWidth_ = std::max(width, 0);
  clientHeight_ = std::max(height, 0);
  ScrollTo(scrollX_, scrollY_);
}

void CanvasView::SetImageSize(int width, int height) {
  imageWidth_ = std::max(width, 0);
  imageHeight_ = std::max(height, 0);
  ScrollTo(scrollX_, scrollY_);
}

void CanvasView::SetScale(double scale) {
  scale_ = scale > 0 ? scale : 1;
  scrollX_ = scrollY_ = 0;
}

double CanvasView::OriginX() const {
  const double ew = ExtentX();
  if (ew < clientWidth_) return clientLeft_ + 0.5 + (clientWidth_ - ew) * 0.5;
  return clientLeft_ + 0.5 - scrollX_;
}

double CanvasView::OriginY() const {
  const double eh = ExtentY();
  if (eh < clientHeight_) return clientTop_ + 0.5 + (clientHeight_ - eh) * 0.5;
  return clientTop_ + 0.5 - scrollY_;
}

ImagePoint CanvasView::ImageFromScreen(double x, double y, int multiplier) const {
  const int m = std::max(multiplier, 1);
  return {static_cast<int>(std::trunc((x - OriginX()) / scale_ * m)),
          static_cast<int>(std::trunc((y - OriginY()) / scale_ * m))};
}

int CanvasView::ScrollRangeX() const {
  return std::max(static_cast<int>(ExtentX()) - clientWidth_, 0);
}

int CanvasView::ScrollRangeY() const {
  return std::max(static_cast<int>(ExtentY()) - clientHeight_, 0);
}

void CanvasView::ScrollTo(int x, int y) {
  scrollX_ = std::clamp(x, 0, ScrollRangeX());
  scrollY_ = std::clamp(y, 0, ScrollRangeY());
}

}  // namespace morvane
