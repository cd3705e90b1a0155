#include "editing/primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "editing/rasterizer.h"

namespace morvane {
namespace {

// Coordinates beyond this lie far outside any image (at most 256 pixels) and keep the integer
// arithmetic of the line walk and the supersampling well inside 32 bits.
constexpr int kFarPixel = 1 << 16;
int Far(int v) {
  return std::clamp(v, -kFarPixel, kFarPixel);
}
double FarD(double v) {
  if (!std::isfinite(v)) return 0;
  return std::clamp(v, double{-kFarPixel}, double{kFarPixel});
}

Rect Inflate(Rect r, int by) {
  return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

// The pixel box of a unit box at factor f (rounded outwards).
Rect PixelBox(double l, double t, double r, double b, int f) {
  return {static_cast<int>(std::floor(l / f)), static_cast<int>(std::floor(t / f)),
          static_cast<int>(std::ceil(r / f)), static_cast<int>(std::ceil(b / f))};
}

// Rasterises a shape at factor f over the pixel box, reduces it into a pixel mask and applies
// it. draw receives the mask to draw into (units of 1/f pixel when f > 1).
template <typename Draw>
void Render(CDib& target, Rect pixelBox, int f, Pixel colour, Rect area,
            const DrawSettings& settings, Draw&& draw) {
  const int w = target.GetWidth();
  const int h = target.GetHeight();
  if (w <= 0 || h <= 0) return;
  CoverageMask mask;
  if (!mask.Create(w, h, Inflate(pixelBox, 1))) return;
  if (f <= 1) {
    draw(mask);
  } else {
    const Rect b = mask.Bounds();
    CoverageMask big;
    if (!big.Create(w * f, h * f, {b.left * f, b.top * f, b.right * f, b.bottom * f})) return;
    draw(big);
    DownsampleCoverage(big, mask, Rect::Whole());
  }
  ApplyCoverageMask(target, mask, colour, area, settings);
}

void RunAcross(CoverageMask& mask, bool steep, int major, int centre, int from, int to,
               std::uint8_t v) {
  for (int o = from; o <= to; ++o) {
    if (steep) {
      mask.Set(centre + o, major, v);
    } else {
      mask.Set(major, centre + o, v);
    }
  }
}

void SetAt(CoverageMask& mask, bool steep, int major, int minor, int v) {
  if (steep) {
    mask.Set(minor, major, static_cast<std::uint8_t>(v));
  } else {
    mask.Set(major, minor, static_cast<std::uint8_t>(v));
  }
}

// Points of a polyline or polygon in mask units: trunc(v + 0.5) pixels (as unit centres) without
// anti-aliasing, trunc((v + 0.5) * f + 0.5) units with it.
std::vector<PointD> ToUnits(const std::vector<PointD>& points, int f, bool centres) {
  std::vector<PointD> out;
  out.reserve(points.size());
  for (const PointD& p : points) {
    const double x = FarD(p.x);
    const double y = FarD(p.y);
    if (f <= 1) {
      const double c = centres ? 0.5 : 0;
      out.push_back({std::trunc(x + 0.5) + c, std::trunc(y + 0.5) + c});
    } else {
      out.push_back({std::trunc((x + 0.5) * f + 0.5), std::trunc((y + 0.5) * f + 0.5)});
    }
  }
  return out;
}

Rect PointsBox(const std::vector<PointD>& units, double margin, int f) {
  double l = units[0].x, t = units[0].y, r = l, b = t;
  for (const PointD& p : units) {
    l = std::min(l, p.x);
    t = std::min(t, p.y);
    r = std::max(r, p.x);
    b = std::max(b, p.y);
  }
  return PixelBox(l - margin, t - margin, r + margin + 1, b + margin + 1, f);
}

}  // namespace

std::vector<PointD> ReplicatePoints(const std::vector<PointD>& points, std::uint32_t replication) {
  if (replication == 0) return points;
  const int n = std::min<int>(replication & 0xFFFF, 1000);
  const int p = std::clamp<int>(static_cast<std::int16_t>(replication >> 16), -100, 100);
  // The first point is the centre; without an arm (or copies) there is nothing to draw.
  if (n == 0 || points.size() < 2) return {};
  const double fx = p < 0 ? (p + 100) / 100.0 : 1.0;
  const double fy = p > 0 ? (100 - p) / 100.0 : 1.0;
  const PointD c = points[0];
  std::vector<PointD> out;
  out.reserve(static_cast<std::size_t>(n) * (points.size() - 1) + 1);
  for (int i = 0; i < n; ++i) {
    const double w = i * 2 * std::numbers::pi / n;
    const double cs = std::cos(w);
    const double sn = std::sin(w);
    for (std::size_t j = 1; j < points.size(); ++j) {
      const double x = points[j].x - c.x;
      const double y = points[j].y - c.y;
      out.push_back({(cs * x - sn * y) * fx + c.x, (sn * x + cs * y) * fy + c.y});
    }
  }
  out.push_back(out.front());
  return out;
}

void FillRectangle(CDib& target, int x1, int y1, int x2, int y2, Pixel colour,
                   const DrawSettings& settings) {
  x1 = Far(x1), y1 = Far(y1), x2 = Far(x2), y2 = Far(y2);
  CoverageMask mask;
  if (!mask.Create(
          target.GetWidth(), target.GetHeight(),
          {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1})) {
    return;
  }
  const std::uint8_t s = CoverageStrength(colour);
  for (int y = y1; y <= y2; ++y) mask.SetSpan(y, x1, x2 + 1, s);
  ApplyCoverageMask(target, mask, colour, Rect::Whole(), settings);
}

void RasterizeLine(CoverageMask& mask, int x0, int y0, int x1, int y1, std::uint8_t s, int width,
                   bool antiAlias) {
  x0 = Far(x0), y0 = Far(y0), x1 = Far(x1), y1 = Far(y1);
  width = std::clamp(width, 1, 1024);
  const int dx = 2 * std::abs(x1 - x0);
  const int dy = 2 * std::abs(y1 - y0);
  const int sx = x1 < x0 ? -1 : 1;
  const int sy = y1 < y0 ? -1 : 1;
  const int g = width / 2;
  const int h = (width - 1) / 2;
  // The walk is written once with "major" the axis stepped every iteration.
  const bool steep = dx < dy;
  const int dMajor = steep ? dy : dx;
  const int dMinor = steep ? dx : dy;
  const int sMinor = steep ? sx : sy;
  const int sMajor = steep ? sy : sx;
  int major = steep ? y0 : x0;
  int minor = steep ? x0 : y0;
  const int end = (steep ? y1 : x1) + sMajor;
  int err = dMinor - dMajor / 2;
  int u = (dMajor - dMajor / 2) * 180;
  for (; major != end; major += sMajor) {
    if (antiAlias && dMinor > 0) {
      int w = u / dMajor;
      if (w == 0) w = 1;
      const int ahead = sMinor > 0 ? minor + sMinor + g : minor - 1 - h;
      const int behind = sMinor > 0 ? minor - h - 1 : minor + g + 1;
      SetAt(mask, steep, major, ahead, w * s / 255);
      SetAt(mask, steep, major, behind, (w == 180 ? 1 : 180 - w) * s / 255);
      if (width > 1) {
        RunAcross(mask, steep, major, minor, -h, g, s);
      } else {
        SetAt(mask, steep, major, minor, (255 - std::abs(w - 90) * 76 / 90) * s / 255);
      }
    } else {
      RunAcross(mask, steep, major, minor, -h, g, s);
    }
    if (err >= 0) {
      minor += sMinor;
      err -= dMajor;
      u -= dMajor * 180;
    }
    err += dMinor;
    u += dMinor * 180;
  }
}

void DrawLine(CDib& target, int x0, int y0, int x1, int y1, Pixel colour, int width,
              const DrawSettings& settings) {
  x0 = Far(x0), y0 = Far(y0), x1 = Far(x1), y1 = Far(y1);
  width = std::clamp(width, 1, 1024);
  CoverageMask mask;
  const Rect box{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
  if (!mask.Create(target.GetWidth(), target.GetHeight(), Inflate(box, width + 1))) return;
  RasterizeLine(mask, x0, y0, x1, y1, CoverageStrength(colour), width, settings.antiAlias);
  ApplyCoverageMask(target, mask, colour, Rect::Whole(), settings);
}

void FillRoundRectangle(CDib& target, int x1, int y1, int x2, int y2, int roundW, int roundH,
                        Pixel colour, const DrawSettings& settings) {
  x1 = Far(x1), y1 = Far(y1), x2 = Far(x2), y2 = Far(y2);
  const int f = settings.SampleFactor();
  const std::uint8_t s = CoverageStrength(colour);
  Render(target, {x1, y1, x2, y2}, f, colour, {x1, y1, x2 + 1, y2 + 1}, settings,
         [&](CoverageMask& m) {
           raster::FillRoundRect(m, x1 * f, y1 * f, x2 * f, y2 * f, roundW * f, roundH * f, s);
         });
}

void DrawRoundRectangle(CDib& target, int x1, int y1, int x2, int y2, int roundW, int roundH,
                        Pixel colour, int width, const DrawSettings& settings) {
  x1 = Far(x1), y1 = Far(y1), x2 = Far(x2), y2 = Far(y2);
  width = std::clamp(width, 1, 1024);
  const int f = settings.SampleFactor();
  const std::uint8_t s = CoverageStrength(colour);
  const int cutW = f > 1 ? roundW - std::min(roundW, 2) : roundW;
  const int cutH = f > 1 ? roundH - std::min(roundH, 2) : roundH;
  Render(target, {x1, y1, x2, y2}, f, colour, {x1, y1, x2 + 1, y2 + 1}, settings,
         [&](CoverageMask& m) {
           raster::FillRoundRect(m, x1 * f, y1 * f, x2 * f, y2 * f, roundW * f, roundH * f, s);
           raster::FillRoundRect(m, (x1 + width) * f, (y1 + width) * f, (x2 - width) * f,
                                 (y2 - width) * f, cutW * f, cutH * f, 0);
         });
}

void DrawEllipse(CDib& target, int x1, int y1, int x2, int y2, Pixel colour, int width,
                 const DrawSettings& settings) {
  x1 = Far(x1), y1 = Far(y1), x2 = Far(x2), y2 = Far(y2);
  width = std::clamp(width, 1, 1024);
  const int f = settings.SampleFactor();
  const std::uint8_t s = CoverageStrength(colour);
  Render(target, {x1, y1, x2 + 1, y2 + 1}, f, colour, {x1, y1, x2 + 1, y2 + 1}, settings,
         [&](CoverageMask& m) {
           if (f == 1 && width == 1) {
             raster::OutlineEllipse(m, x1, y1, x2 + 1, y2 + 1, s);
             return;
           }
           raster::FillEllipse(m, x1 * f, y1 * f, (x2 + 1) * f, (y2 + 1) * f, s);
           raster::FillEllipse(m, (x1 + width) * f, (y1 + width) * f, (x2 - width + 1) * f,
                               (y2 - width + 1) * f, 0);
         });
}

void FillEllipse(CDib& target, int x1, int y1, int x2, int y2, Pixel colour,
                 const DrawSettings& settings) {
  x1 = Far(x1), y1 = Far(y1), x2 = Far(x2), y2 = Far(y2);
  const int f = settings.SampleFactor();
  const std::uint8_t s = CoverageStrength(colour);
  const int inset = f > 1 ? 2 : 0;
  Render(target, {x1, y1, x2 + 1, y2 + 1}, f, colour, {x1, y1, x2 + 1, y2 + 1}, settings,
         [&](CoverageMask& m) {
           raster::FillEllipse(m, x1 * f + inset, y1 * f + inset, (x2 + 1) * f - inset,
                               (y2 + 1) * f - inset, s);
         });
}

void DrawPolyline(CDib& target, const std::vector<PointD>& points, Pixel colour, int width,
                  std::uint32_t replication, const DrawSettings& settings) {
  const std::vector<PointD> shape = ReplicatePoints(points, replication);
  if (shape.empty()) return;
  width = std::clamp(width, 1, 1024);
  const int f = settings.SampleFactor();
  const std::uint8_t s = CoverageStrength(colour);
  // A one-pixel pen walks pixel indices; wider pens are centred on the pixel centres.
  const bool thin = f == 1 && width == 1;
  const std::vector<PointD> units = ToUnits(shape, f, !thin);
  const double diameter = f > 1 ? width * f - 1 : width;
  Render(target, PointsBox(units, diameter, f), f, colour, Rect::Whole(), settings,
         [&](CoverageMask& m) { raster::StrokePolyline(m, units, diameter, s); });
}

void FillPolygon(CDib& target, const std::vector<PointD>& points, Pixel colour,
                 std::uint32_t replication, const DrawSettings& settings) {
  const std::vector<PointD> shape = ReplicatePoints(points, replication);
  if (shape.empty()) return;
  const int f = settings.SampleFactor();
  const std::uint8_t s = CoverageStrength(colour);
  std::vector<PointD> centres = ToUnits(shape, f, true);
  std::vector<PointD> outline = f > 1 ? centres : ToUnits(shape, 1, false);
  outline.push_back(outline.front());
  const double pen = f > 1 ? f / 2.0 : 1;
  Render(target, PointsBox(centres, pen, f), f, colour, Rect::Whole(), settings,
         [&](CoverageMask& m) {
           raster::FillPolygon(m, centres, s);
           raster::StrokePolyline(m, outline, pen, s);
         });
}

}  // namespace morvane
