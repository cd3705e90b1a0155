#include "editing/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace morvane::raster {
namespace {

// Rows of the mask window that the vertical extent top..bottom can touch.
void RowRange(const CoverageMask& mask, double top, double bottom, int& y0, int& y1) {
  const Rect& b = mask.Bounds();
  y0 = static_cast<int>(std::max<double>(b.top, std::floor(top)));
  y1 = static_cast<int>(std::min<double>(b.bottom, std::ceil(bottom) + 1));
}

// Covers the units whose centres lie in [lo, hi].
void SpanClosed(CoverageMask& mask, int y, double lo, double hi, std::uint8_t v) {
  if (!(lo <= hi)) return;
  const Rect& b = mask.Bounds();
  const double x0 = std::max<double>(b.left, std::ceil(lo - 0.5));
  const double x1 = std::min<double>(b.right, std::floor(hi - 0.5) + 1);
  if (x0 < x1) mask.SetSpan(y, static_cast<int>(x0), static_cast<int>(x1), v);
}

// Covers the units whose centres lie in [lo, hi).
void SpanHalfOpen(CoverageMask& mask, int y, double lo, double hi, std::uint8_t v) {
  const Rect& b = mask.Bounds();
  const double x0 = std::max<double>(b.left, std::ceil(lo - 0.5));
  const double x1 = std::min<double>(b.right, std::ceil(hi - 0.5));
  if (x0 < x1) mask.SetSpan(y, static_cast<int>(x0), static_cast<int>(x1), v);
}

// Half width of the ellipse at row centre yc, or a negative value outside it.
double EllipseHalfWidth(double cy, double rx, double ry, double yc) {
  const double d = (yc - cy) / ry;
  if (d * d > 1) return -1;
  return rx * std::sqrt(1 - d * d);
}

// The ellipse inscribed in a box; valid only when both radii are positive.
struct Ellipse {
  double cx, cy, rx, ry;
  Ellipse(double left, double top, double right, double bottom)
      : cx((left + right) / 2),
        cy((top + bottom) / 2),
        rx((right - left) / 2),
        ry((bottom - top) / 2) {}
  bool Valid() const { return rx > 0 && ry > 0; }
  // Half the width of the ellipse on the line y = yc; negative above and below it.
  double HalfWidthAt(double yc) const { return EllipseHalfWidth(cy, rx, ry, yc); }
};

void WalkSegment(CoverageMask& mask, int x0, int y0, int x1, int y1, std::uint8_t v) {
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    mask.Set(x0, y0, v);
    if (x0 == x1 && y0 == y1) return;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

bool Finite(PointD p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// Unit coordinates beyond this never reach a mask (at most 4096 units wide) and keep integer
// conversions defined.
constexpr double kFar = 1 << 24;
int ClampToInt(double v) {
  return static_cast<int>(std::clamp(std::floor(v), -kFar, kFar));
}

}  // namespace

void FillEllipse(CoverageMask& mask, double left, double top, double right, double bottom,
                 std::uint8_t v) {
  const Ellipse e(left, top, right, bottom);
  if (!e.Valid()) return;
  int y0, y1;
  RowRange(mask, top, bottom, y0, y1);
  for (int y = y0; y < y1; ++y) {
    const double h = e.HalfWidthAt(y + 0.5);
    if (h >= 0) SpanClosed(mask, y, e.cx - h, e.cx + h, v);
  }
}

void OutlineEllipse(CoverageMask& mask, double left, double top, double right, double bottom,
                    std::uint8_t v) {
  const Ellipse e(left, top, right, bottom);
  if (!e.Valid()) return;
  // Span of covered units on row y as [a, b), empty when a >= b.
  auto span = [&](int y, int& a, int& b) {
    const double h = e.HalfWidthAt(y + 0.5);
    if (h < 0) {
      a = b = 0;
      return;
    }
    a = ClampToInt(std::ceil(e.cx - h - 0.5));
    b = ClampToInt(std::floor(e.cx + h - 0.5)) + 1;
  };
  int y0, y1;
  RowRange(mask, top, bottom, y0, y1);
  const Rect& bounds = mask.Bounds();
  for (int y = y0; y < y1; ++y) {
    int a, b, ua, ub, da, db;
    span(y, a, b);
    if (a >= b) continue;
    span(y - 1, ua, ub);
    span(y + 1, da, db);
    const int xa = std::max(a, bounds.left);
    const int xb = std::min(b, bounds.right);
    for (int x = xa; x < xb; ++x) {
      const bool edge = x == a || x == b - 1 || x < ua || x >= ub || x < da || x >= db;
      if (edge) mask.Set(x, y, v);
    }
  }
}

void FillRoundRect(CoverageMask& mask, double left, double top, double right, double bottom,
                   double roundW, double roundH, std::uint8_t v) {
  if (!(right > left && bottom > top)) return;
  const double a = std::clamp(roundW, 0.0, right - left) / 2;
  const double b = std::clamp(roundH, 0.0, bottom - top) / 2;
  const bool rounded = a > 0 && b > 0;
  int y0, y1;
  RowRange(mask, top, bottom, y0, y1);
  for (int y = y0; y < y1; ++y) {
    const double yc = y + 0.5;
    if (yc < top || yc >= bottom) continue;
    double inset = 0;
    if (rounded && (yc < top + b || yc > bottom - b)) {
      const double cy = yc < top + b ? top + b : bottom - b;
      const double h = EllipseHalfWidth(cy, a, b, yc);
      if (h < 0) continue;
      inset = a - h;
    }
    SpanHalfOpen(mask, y, left + inset, right - inset, v);
  }
}

void FillPolygon(CoverageMask& mask, const std::vector<PointD>& points, std::uint8_t v) {
  const std::size_t n = points.size();
  if (n < 3) return;
  double top = std::numeric_limits<double>::max();
  double bottom = std::numeric_limits<double>::lowest();
  for (const PointD& p : points) {
    if (!Finite(p)) return;
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  int y0, y1;
  RowRange(mask, top, bottom, y0, y1);
  std::vector<double> xs;
  for (int y = y0; y < y1; ++y) {
    const double yc = y + 0.5;
    xs.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const PointD& p = points[i];
      const PointD& q = points[(i + 1) % n];
      if ((p.y <= yc) == (q.y <= yc)) continue;
      xs.push_back(p.x + (yc - p.y) * (q.x - p.x) / (q.y - p.y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) SpanHalfOpen(mask, y, xs[i], xs[i + 1], v);
  }
}

void FillCapsule(CoverageMask& mask, PointD a, PointD b, double diameter, std::uint8_t v) {
  const double r = diameter / 2;
  if (!(r > 0) || !Finite(a) || !Finite(b)) return;
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  PointD corners[4];
  if (len > 0) {
    const double nx = -(b.y - a.y) / len * r;
    const double ny = (b.x - a.x) / len * r;
    corners[0] = {a.x + nx, a.y + ny};
    corners[1] = {b.x + nx, b.y + ny};
    corners[2] = {b.x - nx, b.y - ny};
    corners[3] = {a.x - nx, a.y - ny};
  }
  int y0, y1;
  RowRange(mask, std::min(a.y, b.y) - r, std::max(a.y, b.y) + r, y0, y1);
  for (int y = y0; y < y1; ++y) {
    const double yc = y + 0.5;
    double lo = std::numeric_limits<double>::max();
    double hi = std::numeric_limits<double>::lowest();
    for (const PointD& c : {a, b}) {
      const double d = yc - c.y;
      if (d * d > r * r) continue;
      const double h = std::sqrt(r * r - d * d);
      lo = std::min(lo, c.x - h);
      hi = std::max(hi, c.x + h);
    }
    if (len > 0) {
      for (int i = 0; i < 4; ++i) {
        const PointD& p = corners[i];
        const PointD& q = corners[(i + 1) % 4];
        if ((p.y < yc && q.y < yc) || (p.y > yc && q.y > yc)) continue;
        const double x = p.y == q.y ? p.x : p.x + (yc - p.y) * (q.x - p.x) / (q.y - p.y);
        lo = std::min({lo, x, p.y == q.y ? q.x : x});
        hi = std::max({hi, x, p.y == q.y ? q.x : x});
      }
    }
    SpanClosed(mask, y, lo, hi, v);
  }
}

void StrokePolyline(CoverageMask& mask, const std::vector<PointD>& points, double diameter,
                    std::uint8_t v) {
  if (points.empty()) return;
  if (diameter <= 1) {
    if (points.size() == 1) {
      mask.Set(ClampToInt(points[0].x), ClampToInt(points[0].y), v);
      return;
    }
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
      if (!Finite(points[i]) || !Finite(points[i + 1])) continue;
      WalkSegment(mask, ClampToInt(points[i].x), ClampToInt(points[i].y),
                  ClampToInt(points[i + 1].x), ClampToInt(points[i + 1].y), v);
    }
    return;
  }
  if (points.size() == 1) {
    FillCapsule(mask, points[0], points[0], diameter, v);
    return;
  }
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    FillCapsule(mask, points[i], points[i + 1], diameter, v);
  }
}

}  // namespace morvane::raster
