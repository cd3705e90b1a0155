// The rectangular selection of the edit canvas: the rectangle that confines drawing, and the
// floating bitmap that the Select tool lifts out of the image, moves, resizes and drops again.
// The model works on the canvas's target image passed in; it keeps the lifted pixels
// (floating), the image under them (beneath) and the drag state.
#pragma once

#include "image/dib.h"
#include "image/pixel.h"

namespace morvane {

// Hit-test codes and drag modes: sums of the edges for the corners.
namespace selection_hit {
inline constexpr int kOutside = 0;
inline constexpr int kInside = 1;
inline constexpr int kRight = 2;
inline constexpr int kBottom = 4;
inline constexpr int kLeft = 8;
inline constexpr int kTop = 16;
}  // namespace selection_hit

// A floating bitmap is never resized beyond this side, however far the mouse is dragged.
inline constexpr int kMaxFloatingSide = 1024;

// rect intersected with the image of width x height (an empty rectangle when they miss).
Rect IntersectWithImage(Rect rect, int width, int height);
// Sets the clip of target to rect intersected with the image, or to the whole image.
void ClipTo(CDib& target, const Rect* rect);

class SelectionModel {
 public:
  bool Exists() const { return rect_.left != kNotSet; }
  bool IsFloating() const { return floating_.IsLive(); }
  const Rect& Rectangle() const { return rect_; }
  CDib& Floating() { return floating_; }
  const CDib& Floating() const { return floating_; }
  CDib& Beneath() { return beneath_; }
  const CDib& Beneath() const { return beneath_; }
  int DragMode() const { return dragMode_; }
  bool Dragging() const { return dragMode_ >= 0; }

  // Hit test of a point in supersampled coordinates (image coordinates times factor);
  // scale is the canvas zoom.
  int HitTest(int x, int y, int imageWidth, int imageHeight, int factor, double scale) const;

  // Select tool strokes, in image coordinates. hit is HitTest's code for the press point.
  void Press(CDib& target, int x, int y, int hit, bool ctrl);
  void Move(CDib& target, int x, int y, bool antiAlias, bool transparentMode);
  void Release(CDib& target, bool transparentMode);

  // The selection's pixels float; their place in the image becomes transparent.
  void Lift(CDib& target, bool transparentMode);
  // Redraws target from beneath plus the floating bitmap.
  void Composite(CDib& target, bool transparentMode) const;
  // Forgets the selection; the pixels now in target stay (a floating bitmap is dropped).
  void Remove(CDib& target);
  // Another tool was chosen: the floating pixels stay in the image where they are and the
  // rectangle stays as the drawing clip. A rectangle covering the whole image or lying wholly
  // outside it is removed.
  void Settle(CDib& target);
  // The floating pixels are gone and their hole stays: target = beneath.
  void DeleteFloating(CDib& target);
  void SelectAll(CDib& target, bool transparentMode);
  // picture floats at (0, 0) above target as it is.
  void PlacePicture(CDib& target, CDib&& picture, bool transparentMode);
  // Puts the lifted pixels back where they came from and forgets the selection. When the image
  // changed size since the lift, the saved image no longer fits: target keeps its pixels.
  void Cancel(CDib& target);
  // Sets state restored by undo: the rectangle, and the floating bitmap and beneath image when
  // given (both moved in). The clip follows the rectangle.
  void Restore(CDib& target, Rect rect, CDib* floating, CDib* beneath);

 private:
  void StartNew(const CDib& target, int x, int y);
  void ResizeTo(int x, int y, bool antiAlias);
  bool BeneathFits(const CDib& target) const;

  Rect rect_{kNotSet, 0, 0, 0};
  // Where the floating pixels were lifted from (for Cancel).
  Rect liftedFrom_{kNotSet, 0, 0, 0};
  CDib floating_;
  CDib beneath_;
  CDib lifted_;  // the floating pixels as lifted, for Cancel
  CDib resizeSource_;
  Rect dragStartRect_{};
  int dragMode_ = -1;
  int pressX_ = 0, pressY_ = 0;
  int moveX_ = 0, moveY_ = 0;
};

}  // namespace morvane
