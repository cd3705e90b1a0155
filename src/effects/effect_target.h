// Where an effect may write. An effect works on one image and a rectangle: the whole image, or
// an in-place selection that confines every read and write through the image's clip. A floating
// selection is an image of its own and is passed whole.
#pragma once

#include <optional>

#include "image/dib.h"

namespace morvane {

// The selection rectangle made usable: normalised so that left <= right and top <= bottom,
// then cut to the image. Rect::Whole() stands for the whole image. Nothing when the result is
// empty (the selection lies wholly outside the image) or the image has no pixels.
std::optional<Rect> ResolveEffectRect(const CDib& image, Rect selection);

// Confines the image's clip to a rectangle for the life of the scope and puts the former clip
// back afterwards. The rectangle is resolved as above and intersected with the current clip;
// Ok() is false when nothing is left to change.
class ClipScope {
 public:
  ClipScope(CDib& image, Rect rect);
  ~ClipScope();
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

  bool Ok() const { return ok_; }
  const Rect& Area() const { return area_; }

 private:
  CDib& image_;
  Rect saved_;
  Rect area_{};
  bool ok_ = false;
};

// The box of the pixels with non-zero alpha inside the image's clip; nothing when none.
std::optional<Rect> VisibleBox(const CDib& image);

// Copies every pixel of source that lies inside target's clip (images of equal size): how a
// whole-image result is written back without leaving an in-place selection.
void CopyThroughClip(const CDib& source, CDib& target);

// An in-place selection made floating: the rectangle's pixels (cut to the image) move into
// `bitmap` and are cleared to transparent in the image.
struct FloatingSelection {
  CDib bitmap;
  Rect rect{};
};
std::optional<FloatingSelection> LiftSelection(CDib& image, Rect selection);

// Lays a floating bitmap back into the image at its rectangle, its transparent pixels letting
// the image show through; parts outside the image are lost.
void DropSelection(const FloatingSelection& floating, CDib& image);

// The selection rectangle after a quarter turn keeps its top-left corner and swaps its sides.
Rect QuarterTurnedRect(Rect r);
// The selection rectangle of a new size re-centred on the old one's centre.
Rect RecentredRect(Rect r, int width, int height);

}  // namespace morvane
