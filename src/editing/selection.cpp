#include "editing/selection.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace morvane {
namespace {

namespace hit = selection_hit;

Rect Normalised(Rect r) {
  // A reversed side swaps so that the pixel under each end stays inside.
  if (r.left >= r.right) r = {r.right - 1, r.top, r.left + 1, r.bottom};
  if (r.top >= r.bottom) r = {r.left, r.bottom - 1, r.right, r.top + 1};
  return r;
}

void ClearAlpha(CDib& target, Rect r) {
  const Rect inside = IntersectWithImage(r, target.GetWidth(), target.GetHeight());
  for (int y = inside.top; y < inside.bottom; ++y) {
    Pixel* row = target.Row(y);
    for (int x = inside.left; x < inside.right; ++x) row[x] &= 0x00FFFFFF;
  }
}

}  // namespace

Rect IntersectWithImage(Rect r, int width, int height) {
  Rect out{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
           std::min(r.bottom, height)};
  if (out.right <= out.left || out.bottom <= out.top) return {0, 0, 0, 0};
  return out;
}

void ClipTo(CDib& target, const Rect* rect) {
  const int w = target.GetWidth();
  const int h = target.GetHeight();
  // Every clip is confined to the image: a pasted picture larger than the frame must not leave
  // a clip that reaches past it.
  target.clip = rect ? IntersectWithImage(Normalised(*rect), w, h) : Rect{0, 0, w, h};
}

int SelectionModel::HitTest(int x, int y, int imageWidth, int imageHeight, int factor,
                            double scale) const {
  if (!Exists()) return hit::kOutside;
  const Rect r = IntersectWithImage(Normalised(rect_), imageWidth, imageHeight);
  const int l = r.left * factor, t = r.top * factor, rt = r.right * factor, b = r.bottom * factor;
  const double band = std::max(64.0 / std::max(scale, 1e-6), 2.0);
  double hx = band, hy = band;
  if (2 * hx >= rt - l) hx = (rt - l) / 4.0;
  if (2 * hy >= b - t) hy = (b - t) / 4.0;
  auto near = [](int v, int edge, double h) { return std::abs(v - edge) < h; };
  const bool inX = x >= l - hx && x < rt + hx;
  const bool inY = y >= t - hy && y < b + hy;
  const bool nr = near(x, rt, hx) && inY, nl = near(x, l, hx) && inY;
  const bool nb = near(y, b, hy) && inX, nt = near(y, t, hy) && inX;
  if (nr && nb) return hit::kRight | hit::kBottom;
  if (nl && nt) return hit::kLeft | hit::kTop;
  if (nl && nb) return hit::kLeft | hit::kBottom;
  if (nr && nt) return hit::kRight | hit::kTop;
  if (nr) return hit::kRight;
  if (nl) return hit::kLeft;
  if (nb) return hit::kBottom;
  if (nt) return hit::kTop;
  if (x >= l && x < rt && y >= t && y < b) return hit::kInside;
  return hit::kOutside;
}

void SelectionModel::StartNew(const CDib& target, int x, int y) {
  x = std::clamp(x, 0, std::max(target.GetWidth() - 1, 0));
  y = std::clamp(y, 0, std::max(target.GetHeight() - 1, 0));
  rect_ = {x, y, x + 1, y + 1};
  pressX_ = x;
  pressY_ = y;
  dragMode_ = 0;
}

void SelectionModel::Press(CDib& target, int x, int y, int hitCode, bool ctrl) {
  if (!Exists() || hitCode == hit::kOutside) {
    Remove(target);
    StartNew(target, x, y);
    return;
  }
  if (!IsFloating()) Lift(target, false);
  dragMode_ = hitCode;
  moveX_ = x;
  moveY_ = y;
  dragStartRect_ = rect_;
  if (hitCode != hit::kInside) floating_.CopyTo(resizeSource_, CDib::CopyMode::kRecreate);
  // Ctrl stamps the floating pixels into the image; a copy moves on.
  if (ctrl && BeneathFits(target)) target.CopyTo(beneath_);
}

void SelectionModel::Move(CDib& target, int x, int y, bool antiAlias, bool transparentMode) {
  if (dragMode_ < 0) return;
  if (dragMode_ == 0) {
    const int w = target.GetWidth(), h = target.GetHeight();
    rect_.right = (x < 0 ? 0 : std::min(x, w - 1)) + 1;
    rect_.bottom = (y < 0 ? 0 : std::min(y, h - 1)) + 1;
    rect_.left = pressX_;
    rect_.top = pressY_;
  } else if (dragMode_ == hit::kInside) {
    const int dx = x - moveX_, dy = y - moveY_;
    rect_ = {rect_.left + dx, rect_.top + dy, rect_.right + dx, rect_.bottom + dy};
    moveX_ = x;
    moveY_ = y;
  } else {
    ResizeTo(x, y, antiAlias);
  }
  ClipTo(target, &rect_);
  if (dragMode_ != 0) Composite(target, transparentMode);
}

void SelectionModel::ResizeTo(int x, int y, bool antiAlias) {
  Rect r = rect_;
  if (dragMode_ & hit::kRight) r.right = std::clamp(x + 1, r.left + 1, r.left + kMaxFloatingSide);
  if (dragMode_ & hit::kBottom) r.bottom = std::clamp(y + 1, r.top + 1, r.top + kMaxFloatingSide);
  if (dragMode_ & hit::kLeft) r.left = std::clamp(x, r.right - kMaxFloatingSide, r.right - 1);
  if (dragMode_ & hit::kTop) r.top = std::clamp(y, r.bottom - kMaxFloatingSide, r.bottom - 1);
  rect_ = r;
  if (!resizeSource_.IsLive()) return;
  if (floating_.GetWidth() == r.Width() && floating_.GetHeight() == r.Height()) return;
  CDib resized;
  if (!resized.Create(r.Width(), r.Height())) return;
  resizeSource_.StretchTo(resized, antiAlias ? 0.7 : 0.0, Rect::Whole());
  floating_ = std::move(resized);
}

void SelectionModel::Release(CDib& target, bool transparentMode) {
  if (dragMode_ < 0) return;
  rect_ = Normalised(rect_);
  const int mode = dragMode_;
  dragMode_ = -1;
  resizeSource_.Release();
  if (mode != 0) {
    ClipTo(target, &rect_);
    return;
  }
  if (rect_.Width() == 1 && rect_.Height() == 1) {
    Remove(target);
    return;
  }
  ClipTo(target, &rect_);
  Lift(target, transparentMode);
}

void SelectionModel::Lift(CDib& target, bool transparentMode) {
  if (!Exists() || target.GetWidth() <= 0) return;
  rect_ = Normalised(rect_);
  CDib lifted;
  if (!lifted.Create(rect_.Width(), rect_.Height())) return;
  lifted.CopyAt(target, -rect_.left, -rect_.top);
  ClearAlpha(target, rect_);
  target.CopyTo(beneath_, CDib::CopyMode::kRecreate);
  lifted.CopyTo(lifted_, CDib::CopyMode::kRecreate);
  floating_ = std::move(lifted);
  liftedFrom_ = rect_;
  ClipTo(target, &rect_);
  Composite(target, transparentMode);
}

bool SelectionModel::BeneathFits(const CDib& target) const {
  return beneath_.IsLive() && beneath_.GetWidth() == target.GetWidth() &&
         beneath_.GetHeight() == target.GetHeight();
}

void SelectionModel::Composite(CDib& target, bool transparentMode) const {
  if (!Exists() || !IsFloating() || !BeneathFits(target)) return;
  const Rect clip = target.clip;
  beneath_.CopyTo(target);
  target.clip = clip;
  if (transparentMode) {
    target.BlendAt(floating_, rect_.left, rect_.top, 255);
  } else {
    target.CopyAt(floating_, rect_.left, rect_.top);
  }
}

void SelectionModel::Remove(CDib& target) {
  rect_ = {kNotSet, 0, 0, 0};
  liftedFrom_ = {kNotSet, 0, 0, 0};
  floating_.Release();
  beneath_.Release();
  lifted_.Release();
  resizeSource_.Release();
  dragMode_ = -1;
  ClipTo(target, nullptr);
}

void SelectionModel::Settle(CDib& target) {
  if (!Exists()) return;
  const Rect r = Normalised(rect_);
  const int w = target.GetWidth(), h = target.GetHeight();
  const bool whole = r.left <= 0 && r.top <= 0 && r.right >= w && r.bottom >= h;
  const Rect inside = IntersectWithImage(r, w, h);
  if (whole || inside.Width() <= 0) {
    Remove(target);
    return;
  }
  const Rect keep = r;
  Remove(target);
  rect_ = keep;
  ClipTo(target, &rect_);
}

void SelectionModel::DeleteFloating(CDib& target) {
  if (IsFloating() && BeneathFits(target)) beneath_.CopyTo(target);
  Remove(target);
}

void SelectionModel::SelectAll(CDib& target, bool transparentMode) {
  Remove(target);
  if (target.GetWidth() <= 0) return;
  rect_ = {0, 0, target.GetWidth(), target.GetHeight()};
  Lift(target, transparentMode);
}

void SelectionModel::PlacePicture(CDib& target, CDib&& picture, bool transparentMode) {
  Remove(target);
  if (!picture.IsLive() || target.GetWidth() <= 0) return;
  rect_ = {0, 0, picture.GetWidth(), picture.GetHeight()};
  floating_ = std::move(picture);
  target.CopyTo(beneath_, CDib::CopyMode::kRecreate);
  ClipTo(target, &rect_);
  Composite(target, transparentMode);
}

void SelectionModel::Cancel(CDib& target) {
  if (IsFloating() && BeneathFits(target)) {
    beneath_.CopyTo(target);
    if (liftedFrom_.left != kNotSet) target.CopyAt(lifted_, liftedFrom_.left, liftedFrom_.top);
  }
  Remove(target);
}

void SelectionModel::Restore(CDib& target, Rect rect, CDib* floating, CDib* beneath) {
  Remove(target);
  rect_ = rect;
  if (floating && beneath && floating->IsLive() && beneath->IsLive()) {
    floating_ = std::move(*floating);
    beneath_ = std::move(*beneath);
  }
  ClipTo(target, Exists() ? &rect_ : nullptr);
}

}  // namespace morvane
