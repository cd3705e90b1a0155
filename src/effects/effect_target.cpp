#include "effects/effect_target.h"

#include <algorithm>
#include <utility>

namespace morvane {

std::optional<Rect> ResolveEffectRect(const CDib& image, Rect selection) {
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  if (w <= 0 || h <= 0) return std::nullopt;
  if (selection.IsWhole()) return Rect{0, 0, w, h};
  if (selection.left > selection.right) std::swap(selection.left, selection.right);
  if (selection.top > selection.bottom) std::swap(selection.top, selection.bottom);
  const Rect r{std::max(selection.left, 0), std::max(selection.top, 0),
               std::min(selection.right, w), std::min(selection.bottom, h)};
  if (r.left >= r.right || r.top >= r.bottom) return std::nullopt;
  return r;
}

ClipScope::ClipScope(CDib& image, Rect rect) : image_(image), saved_(image.clip) {
  const std::optional<Rect> r = ResolveEffectRect(image, rect);
  if (!r) return;
  Rect area = *r;
  if (saved_.left != kNotSet) {
    area = {std::max(area.left, saved_.left), std::max(area.top, saved_.top),
            std::min(area.right, saved_.right), std::min(area.bottom, saved_.bottom)};
  }
  if (area.left >= area.right || area.top >= area.bottom) return;
  area_ = area;
  image_.clip = area;
  ok_ = true;
}

ClipScope::~ClipScope() {
  image_.clip = saved_;
}

std::optional<Rect> VisibleBox(const CDib& image) {
  const Rect& c = image.clip;
  Rect box{c.right, c.bottom, c.left - 1, c.top - 1};  // inclusive maxima while scanning
  for (int y = c.top; y < c.bottom; ++y) {
    const Pixel* row = image.Row(y);
    for (int x = c.left; x < c.right; ++x) {
      if (IsTransparent(row[x])) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  if (box.left > box.right) return std::nullopt;
  return Rect{box.left, box.top, box.right + 1, box.bottom + 1};
}

void CopyThroughClip(const CDib& source, CDib& target) {
  if (source.GetWidth() != target.GetWidth() || source.GetHeight() != target.GetHeight()) return;
  for (int y = 0; y < target.GetHeight(); ++y) {
    const Pixel* s = source.Row(y);
    for (int x = 0; x < target.GetWidth(); ++x) target.SetPixel(x, y, s[x]);
  }
}

std::optional<FloatingSelection> LiftSelection(CDib& image, Rect selection) {
  const std::optional<Rect> r = ResolveEffectRect(image, selection);
  if (!r) return std::nullopt;
  FloatingSelection f;
  f.rect = *r;
  if (!f.bitmap.Create(r->Width(), r->Height())) return std::nullopt;
  f.bitmap.CopyAt(image, -r->left, -r->top);
  for (int y = r->top; y < r->bottom; ++y) {
    std::fill(image.Row(y) + r->left, image.Row(y) + r->right, Pixel{0});
  }
  return f;
}

void DropSelection(const FloatingSelection& floating, CDib& image) {
  image.BlendAt(floating.bitmap, floating.rect.left, floating.rect.top, 255);
}

Rect QuarterTurnedRect(Rect r) {
  // Both new sides come from the old rectangle.
  return {r.left, r.top, r.left + (r.bottom - r.top), r.top + (r.right - r.left)};
}

Rect RecentredRect(Rect r, int width, int height) {
  const int left = (r.left + r.right - width) / 2;
  const int top = (r.top + r.bottom - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace morvane
