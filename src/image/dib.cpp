#include "image/dib.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace morvane {

CDib::CDib(CDib&& other) noexcept { *this = std::move(other); }

CDib& CDib::operator=(CDib&& other) noexcept {
  if (this != &other) {
    outsideValue = other.outsideValue;
    clip = other.clip;
    pixels_ = std::move(other.pixels_);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    stride_ = other.stride_;
    live_ = std::exchange(other.live_, false);
    other.pixels_.clear();
  }
  return *this;
}

bool CDib::Create(int width, int height) {
  if (live_ && width == width_ && height == height_) {
    std::fill(pixels_.begin(), pixels_.end(), Pixel{0});
    clip = {0, 0, width, height};
    return true;
  }
  Release();
  if (width <= 0 || height <= 0) return false;
  const std::size_t stride = static_cast<std::size_t>(StrideFor(width));
  if (stride * static_cast<std::size_t>(height) > kMaxImageBytes / sizeof(Pixel)) return false;
  try {
    pixels_.assign(stride * static_cast<std::size_t>(height), Pixel{0});
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  width_ = width;
  height_ = height;
  stride_ = static_cast<int>(stride);
  live_ = true;
  clip = {0, 0, width, height};
  return true;
}

void CDib::Release() {
  std::vector<Pixel>().swap(pixels_);
  live_ = false;
  width_ = 0;
  height_ = 0;
}

BitmapInfoHeader CDib::Header() const {
  BitmapInfoHeader h;
  if (!live_) return h;
  h.width = stride_;
  h.height = -height_;
  h.imageSize = static_cast<std::uint32_t>(height_) * static_cast<std::uint32_t>(stride_) * 4;
  return h;
}

void CDib::TakeSnapshot(const CDib* source) {
  if (source == this) {  // a snapshot of itself only drops the live state
    live_ = false;
    return;
  }
  Release();
  if (source == nullptr || source->pixels_.empty()) return;
  try {
    pixels_ = source->pixels_;
  } catch (const std::bad_alloc&) {
    Release();
    return;
  }
  width_ = source->width_;
  height_ = source->height_;
  stride_ = source->stride_;
}

bool CDib::RestoreSnapshotTo(CDib& target) const {
  if (pixels_.empty()) {
    target.Release();
    return false;
  }
  if (!target.Create(width_, height_)) return false;
  std::copy(pixels_.begin(), pixels_.end(), target.pixels_.begin());
  return true;
}

bool CDib::CopyTo(CDib& target, CopyMode mode) const {
  if (!live_ || &target == this) return live_;
  const bool reuse = mode == CopyMode::kReuse && target.live_ && target.width_ == width_ &&
                     target.height_ == height_;
  if (!reuse && !target.Create(width_, height_)) return false;
  std::copy(pixels_.begin(), pixels_.end(), target.pixels_.begin());
  return true;
}

void CDib::PaintPixel(int x, int y, Pixel v) {
  if (!IsWritable(x, y)) return;
  Pixel& p = pixels_[Index(x, y)];
  if (v > 0xFEFFFFFF) {
    p = v;
  } else if (v < 0x01000000) {
    p &= 0x00FFFFFF;
  } else {
    p = AlphaOver(p, v);
  }
}

void CDib::ErasePixel(int x, int y, int strength) {
  if (!IsWritable(x, y)) return;
  Pixel& p = pixels_[Index(x, y)];
  const std::uint32_t s = static_cast<std::uint32_t>(std::clamp(strength, 0, 255));
  const std::uint32_t alpha = s == 255 ? 0 : AlphaOf(p) * (255 - s) / 255;
  p = (p & 0x00FFFFFF) | alpha << 24;
}

void CDib::Fill(Pixel v) {
  const std::uint32_t a = AlphaOf(v);
  if (a == 0 || a == 255) {
    std::fill(pixels_.begin(), pixels_.end(), v);
    return;
  }
  for (Pixel& p : pixels_) p = AlphaOver(p, v);
}

void CDib::SetAlpha(std::uint8_t alpha) {
  const Pixel a = Pixel{alpha} << 24;
  for (Pixel& p : pixels_) p = (p & 0x00FFFFFF) | a;
}

void CDib::BlendPixel(Pixel& d, Pixel s, int opacity) const {
  const std::uint32_t as = AlphaOf(s);
  std::uint32_t a = static_cast<std::uint32_t>(opacity) * as / 255;
  // A visible source pixel never vanishes through rounding.
  if (a == 0 && opacity != 0 && as != 0) a = 1;
  d = AlphaOver(d, (s & 0x00FFFFFF) | a << 24);
}

void CDib::BlendFrom(const CDib& source, int opacity) {
  if (pixels_.empty() || source.width_ != width_ || source.height_ != height_ ||
      source.pixels_.size() != pixels_.size()) {
    return;
  }
  opacity = std::clamp(opacity, 0, 255);
  if (opacity == 255) {
    // AlphaOver with the source's own alpha: the common case, kept branch-light.
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
      pixels_[i] = AlphaOver(pixels_[i], source.pixels_[i]);
    }
    return;
  }
  for (std::size_t i = 0; i < pixels_.size(); ++i) BlendPixel(pixels_[i], source.pixels_[i], opacity);
}

bool CDib::Place(const CDib& source, int x, int y, Placement& p) const {
  if (pixels_.empty() || source.pixels_.empty()) return false;
  const long long W = width_, H = height_, w = source.width_, h = source.height_;
  long long columns = w, rows = h;
  if (x + w >= W) columns = W - x;
  if (y + h >= H) rows = H - y;
  if (x < 0) columns += x;
  if (y < 0) rows += y;
  if (columns <= 0 || rows <= 0) return false;
  p.columns = static_cast<int>(columns);
  p.rows = static_cast<int>(rows);
  p.dstX = std::max(x, 0);
  p.dstY = std::max(y, 0);
  p.srcX = p.dstX - x;
  p.srcY = p.dstY - y;
  return true;
}

void CDib::CopyAt(const CDib& source, int x, int y) {
  Placement p;
  if (!Place(source, x, y, p)) return;
  for (int r = 0; r < p.rows; ++r) {
    std::memmove(Row(p.dstY + r) + p.dstX, source.Row(p.srcY + r) + p.srcX,
                 static_cast<std::size_t>(p.columns) * sizeof(Pixel));
  }
}

void CDib::BlendAt(const CDib& source, int x, int y, int opacity) {
  Placement p;
  if (!Place(source, x, y, p)) return;
  opacity = std::clamp(opacity, 0, 255);
  for (int r = 0; r < p.rows; ++r) {
    Pixel* d = Row(p.dstY + r) + p.dstX;
    const Pixel* s = source.Row(p.srcY + r) + p.srcX;
    for (int c = 0; c < p.columns; ++c) BlendPixel(d[c], s[c], opacity);
  }
}

Rect CDib::GetChannelBounds(int shift) const {
  Rect box{-1, -1, -1, -1};
  if (pixels_.empty() || shift < 0 || shift > 24) return box;
  bool found = false;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (((GetPixel(x, y) >> shift) & 0xFF) == 0) continue;
      if (!found) {
        box = {x, y, x + 1, y + 1};
        found = true;
        continue;
      }
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x + 1);
      box.bottom = y + 1;
    }
  }
  return box;
}

}  // namespace morvane
