#include "editing/coverage.h"

#include <algorithm>

namespace morvane {
namespace {

Rect Intersect(Rect a, Rect b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool IsEmptyRect(Rect r) {
  return r.left >= r.right || r.top >= r.bottom;
}

// Largest mask window: a 256 x 256 image at factor 16 is 4096 x 4096 = 16 MiB of bytes.
constexpr std::size_t kMaxMaskBytes = std::size_t{64} << 20;

}  // namespace

bool CoverageMask::Create(int planeWidth, int planeHeight, Rect bounds) {
  values_.clear();
  planeWidth_ = std::max(planeWidth, 0);
  planeHeight_ = std::max(planeHeight, 0);
  bounds_ = Intersect(bounds, {0, 0, planeWidth_, planeHeight_});
  if (IsEmptyRect(bounds_)) {
    bounds_ = {0, 0, 0, 0};
    return false;
  }
  const std::size_t bytes =
      static_cast<std::size_t>(bounds_.Width()) * static_cast<std::size_t>(bounds_.Height());
  if (bytes > kMaxMaskBytes) {
    bounds_ = {0, 0, 0, 0};
    return false;
  }
  values_.assign(bytes, 0);
  return true;
}

void CoverageMask::SetSpan(int y, int x0, int x1, std::uint8_t v) {
  if (y < bounds_.top || y >= bounds_.bottom) return;
  x0 = std::max(x0, bounds_.left);
  x1 = std::min(x1, bounds_.right);
  if (x0 >= x1) return;
  std::fill_n(values_.begin() + static_cast<std::ptrdiff_t>(Index(x0, y)), x1 - x0, v);
}

Rect CoverageMask::NonZeroBounds() const {
  Rect r{bounds_.right, bounds_.bottom, bounds_.left - 1, bounds_.top - 1};
  bool any = false;
  for (int y = bounds_.top; y < bounds_.bottom; ++y) {
    const std::uint8_t* row = values_.data() + Index(bounds_.left, y);
    for (int x = 0; x < bounds_.Width(); ++x) {
      if (row[x] == 0) continue;
      any = true;
      r.left = std::min(r.left, bounds_.left + x);
      r.right = std::max(r.right, bounds_.left + x);
      r.top = std::min(r.top, y);
      r.bottom = std::max(r.bottom, y);
    }
  }
  if (!any) return {-1, -1, -1, -1};
  return {r.left, r.top, r.right + 1, r.bottom + 1};
}

Rect CoverageWorkRect(const CDib& target, Rect area) {
  const Rect image{0, 0, target.GetWidth(), target.GetHeight()};
  Rect work = target.clip.left == kNotSet ? image : Intersect(target.clip, image);
  if (!area.IsWhole()) work = Intersect(work, area);
  return work;
}

Pixel BlendCoverage(Pixel d, Pixel layer, int m, int c, bool alphaLocked) {
  // Coverage above the brush alpha would make (c - m) negative and push alpha below 0.
  m = std::min(m, c);
  const int ad = static_cast<int>(AlphaOf(d));
  int a = (c * static_cast<int>(AlphaOf(layer)) + (c - m) * ad) / c;
  a = std::clamp(a, 0, 255);
  const Pixel fraction = static_cast<Pixel>(m * 255 / c);
  const Pixel rgb = AlphaOver(d, fraction << 24 | (layer & 0x00FFFFFF));
  if (alphaLocked && ad < a) a = ad;
  return (rgb & 0x00FFFFFF) | static_cast<Pixel>(a) << 24;
}

void ApplyCoverageMask(CDib& target, const CoverageMask& mask, Pixel colour, Rect area,
                       const DrawSettings& settings) {
  if (!target.IsLive() || mask.IsEmpty()) return;
  const Rect work = Intersect(CoverageWorkRect(target, area), mask.Bounds());
  if (IsEmptyRect(work)) return;

  if (AlphaOf(colour) == 0) {
    for (int y = work.top; y < work.bottom; ++y) {
      for (int x = work.left; x < work.right; ++x) {
        const int m = mask.Get(x, y);
        if (m > 0) target.ErasePixel(x, y, m);
      }
    }
    return;
  }

  const bool gradient = settings.UsesGradient();
  if (settings.transparentMode) {
    if (gradient) {
      PaintGradientThroughMask(mask, target, false, 0, 0, settings);
      return;
    }
    for (int y = work.top; y < work.bottom; ++y) {
      for (int x = work.left; x < work.right; ++x) {
        const Pixel m = mask.Get(x, y);
        if (m > 0) target.PaintPixel(x, y, m << 24 | (colour & 0x00FFFFFF));
      }
    }
    return;
  }

  // Transparent mode off: the shape is painted into a clear layer, then merged so that the
  // brush alpha replaces the image's alpha in proportion to the coverage.
  CDib layer;
  if (gradient) {
    if (!layer.Create(target.GetWidth(), target.GetHeight())) return;
    PaintGradientThroughMask(mask, layer, false, 0, 0, settings);
  }
  const Pixel c = AlphaOf(colour);
  const bool alphaLocked = (settings.lockMask & kLockAlpha) != 0;
  for (int y = work.top; y < work.bottom; ++y) {
    Pixel* row = target.Row(y);
    for (int x = work.left; x < work.right; ++x) {
      const Pixel m = mask.Get(x, y);
      if (m == 0) continue;
      const Pixel l =
          gradient ? layer.Row(y)[x] : (std::min<Pixel>(m, c) << 24 | (colour & 0x00FFFFFF));
      row[x] = BlendCoverage(row[x], l, static_cast<int>(m), static_cast<int>(c), alphaLocked);
    }
  }
}

void DownsampleCoverage(const CoverageMask& big, CoverageMask& small, Rect area) {
  if (big.IsEmpty() || small.IsEmpty() || small.PlaneWidth() <= 0) return;
  const int f = big.PlaneWidth() / small.PlaneWidth();
  if (f <= 0) return;
  const Rect work = area.IsWhole() ? small.Bounds() : Intersect(area, small.Bounds());
  if (IsEmptyRect(work)) return;
  const Rect bb = big.Bounds();
  const int divisor = f * f;
  // The columns of big under the work rectangle that big actually holds.
  const int bx0 = std::max(work.left * f, bb.left);
  const int bx1 = std::min(work.right * f, bb.right);
  // Column sums of f big rows first (a plain loop the compiler vectorises), then f columns
  // of them per small pixel. 16 x 255 fits the 16-bit sums.
  std::vector<std::uint16_t> columns(static_cast<std::size_t>(std::max(bx1 - bx0, 0)));
  for (int y = work.top; y < work.bottom; ++y) {
    std::fill(columns.begin(), columns.end(), std::uint16_t{0});
    const int by0 = std::max(y * f, bb.top);
    const int by1 = std::min(y * f + f, bb.bottom);
    for (int by = by0; by < by1 && bx0 < bx1; ++by) {
      const std::uint8_t* row = big.WindowRow(by) + (bx0 - bb.left);
      std::uint16_t* sum = columns.data();
      const int n = bx1 - bx0;
      for (int i = 0; i < n; ++i) sum[i] = static_cast<std::uint16_t>(sum[i] + row[i]);
    }
    for (int x = work.left; x < work.right; ++x) {
      int total = 0;
      const int from = std::max(x * f, bx0);
      const int to = std::min(x * f + f, bx1);
      for (int bx = from; bx < to; ++bx) total += columns[static_cast<std::size_t>(bx - bx0)];
      small.Set(x, y, static_cast<std::uint8_t>(total / divisor));
    }
  }
}

void PaintGradientThroughMask(const CoverageMask& mask, CDib& target, bool keepAlpha, int ox,
                              int oy, const DrawSettings& settings) {
  const CDib& g = settings.gradientImage;
  if (!g.IsLive() || mask.IsEmpty()) return;
  const Rect box = settings.gradientAreaFill ? mask.NonZeroBounds()
                                             : Rect{0, 0, target.GetWidth(), target.GetHeight()};
  if (IsEmptyRect(box)) return;
  const Rect work = Intersect(box, mask.Bounds());
  const std::int64_t bw = box.Width();
  const std::int64_t bh = box.Height();
  for (int y = work.top; y < work.bottom; ++y) {
    // Nearest neighbour: source index floor(u * S / L).
    const int gy = static_cast<int>((y - box.top) * std::int64_t{g.GetHeight()} / bh);
    const Pixel* grow = g.Row(gy);
    for (int x = work.left; x < work.right; ++x) {
      const std::uint32_t m = mask.Get(x, y);
      if (m == 0) continue;
      const Pixel gp = grow[(x - box.left) * std::int64_t{g.GetWidth()} / bw];
      std::uint32_t t = AlphaOf(gp) * m / 255;
      if (t == 0 && AlphaOf(gp) > 0) t = 1;
      if (t == 0) continue;
      const Pixel u = t << 24 | (gp & 0x00FFFFFF);
      const int tx = ox + x;
      const int ty = oy + y;
      if (keepAlpha) {
        if (!target.IsWritable(tx, ty)) continue;
        const Pixel v = target.GetPixel(tx, ty);
        target.SetPixel(tx, ty, (AlphaOver(v | 0xFF000000, u) & 0x00FFFFFF) | (v & 0xFF000000));
      } else {
        target.PaintPixel(tx, ty, u);
      }
    }
  }
}

}  // namespace morvane
