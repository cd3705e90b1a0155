// Where the zoomed image sits in the canvas window: the mapping from window positions to image
// pixels, the scroll offsets and their ranges. The scale comes from the zoom rules; this model
// only places the image for it.
#pragma once

#include "editing/edit_canvas.h"

namespace morvane {

class CanvasView {
 public:
  void SetClient(int left, int top, int width, int height);
  void SetImageSize(int width, int height);
  // Screen pixels per image pixel, equal in both directions. Scroll offsets go back to 0.
  void SetScale(double scale);
  double Scale() const { return scale_; }
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }

  // The canvas extent: scale x image size + 1 (one more for the frame line).
  double ExtentX() const { return scale_ * imageWidth_ + 1; }
  double ExtentY() const { return scale_ * imageHeight_ + 1; }
  // The window position of the image's top-left corner: centred while the image fits, else
  // moved by the scroll offset; the +0.5 puts a pixel's boundary between screen pixels.
  double OriginX() const;
  double OriginY() const;

  // The image pixel under a window position, truncated toward zero; multiplier m > 1 gives
  // supersampled coordinates (text with anti-aliasing). May lie outside the image.
  ImagePoint ImageFromScreen(double x, double y, int multiplier = 1) const;
  bool Contains(ImagePoint p) const {
    return p.x >= 0 && p.y >= 0 && p.x < imageWidth_ && p.y < imageHeight_;
  }

  // Scroll ranges (0 when the image fits that way) and the offsets, kept within them.
  int ScrollRangeX() const;
  int ScrollRangeY() const;
  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  void ScrollTo(int x, int y);
  // A line step of a scroll bar moves 1 screen pixel, a page step 32.
  static constexpr int kLineStep = 1;
  static constexpr int kPageStep = 32;

 private:
  int clientLeft_ = 0, clientTop_ = 0, clientWidth_ = 0, clientHeight_ = 0;
  int imageWidth_ = 0, imageHeight_ = 0;
  double scale_ = 1;
  int scrollX_ = 0, scrollY_ = 0;
};

}  // namespace morvane
