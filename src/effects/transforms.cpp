#include "effects/transforms.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace morvane {
namespace {

// pi / 180 as the rotation uses it.
constexpr double kDegree = 0.017453292519943295;
// Rounding noise of the sine and cosine (cos 90 is not exactly 0) must not grow the box.
constexpr double kBoxSlack = 1e-3;

// Sums one block of a supersampled image: alpha over the whole block, colour over its visible
// pixels only.
struct BlockSum {
  unsigned alpha = 0, red = 0, green = 0, blue = 0, visible = 0;

  void Add(Pixel p) {
    if (IsTransparent(p)) return;
    alpha += AlphaOf(p);
    red += RedOf(p);
    green += GreenOf(p);
    blue += BlueOf(p);
    ++visible;
  }
  Pixel Result(unsigned blockPixels) const {
    if (visible == 0) return 0;
    return MakePixel(alpha / blockPixels, red / visible, green / visible, blue / visible);
  }
};

// The bounding box of a w x h rectangle rotated about its corner (0, 0), rounded outward.
template <typename Real>
Rect RotatedBox(Real w, Real h, Real cs, Real sn) {
  const Real xs[4] = {0, w * cs, -(h * sn), w * cs - h * sn};
  const Real ys[4] = {0, w * sn, h * cs, w * sn + h * cs};
  Rect box{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    box.left = std::min(box.left, static_cast<int>(std::floor(xs[i] + kBoxSlack)));
    box.top = std::min(box.top, static_cast<int>(std::floor(ys[i] + kBoxSlack)));
    box.right = std::max(box.right, static_cast<int>(std::ceil(xs[i] - kBoxSlack)));
    box.bottom = std::max(box.bottom, static_cast<int>(std::ceil(ys[i] - kBoxSlack)));
  }
  box.right = std::max(box.right, box.left + 1);
  box.bottom = std::max(box.bottom, box.top + 1);
  return box;
}

// Source pixel under a destination point, transparent outside the source.
template <typename Real, typename Scale>
Pixel Sample(const CDib& source, Real x, Real y, Real cs, Real sn, Scale scale) {
  const int sx = static_cast<int>(x * cs + y * sn);
  const int sy = static_cast<int>(y * cs - x * sn);
  if (sx < 0 || sy < 0 || sx >= source.GetWidth() * scale || sy >= source.GetHeight() * scale) {
    return 0;
  }
  return source.Row(sy / scale)[sx / scale];
}

bool RotateNearest(CDib& image, double angle) {
  const float theta = static_cast<float>(angle * kDegree);
  const float cs = std::cos(theta);
  const float sn = std::sin(theta);
  const Rect box = RotatedBox<float>(static_cast<float>(image.GetWidth()),
                                     static_cast<float>(image.GetHeight()), cs, sn);
  CDib result;
  if (!result.Create(box.Width(), box.Height())) return false;
  for (int row = 0; row < box.Height(); ++row) {
    Pixel* out = result.Row(row);
    const auto y = static_cast<float>(row + box.top);
    for (int col = 0; col < box.Width(); ++col) {
      const Pixel p = Sample<float>(image, static_cast<float>(col + box.left), y, cs, sn,
                                    std::integral_constant<int, 1>{});
      out[col] = IsTransparent(p) ? 0 : p;
    }
  }
  image = std::move(result);
  return true;
}

// True when no sample point of the block (col, row) can fall inside the enlarged source: the
// points lie within the convex hull of the block's corners, so it is enough that the corners'
// source positions all lie beyond one edge. The margin covers rounding in the per-point sums.
bool BlockMissesSource(double x0, double y0, double size, double cs, double sn, double w,
                       double h) {
  constexpr double kMargin = 1e-6;
  double uLow = 1e300, uHigh = -1e300, vLow = 1e300, vHigh = -1e300;
  for (const double dx : {0.0, size}) {
    for (const double dy : {0.0, size}) {
      const double x = x0 + dx, y = y0 + dy;
      const double u = x * cs + y * sn, v = y * cs - x * sn;
      uLow = std::min(uLow, u), uHigh = std::max(uHigh, u);
      vLow = std::min(vLow, v), vHigh = std::max(vHigh, v);
    }
  }
  // A point samples the source when -1 < u < w and -1 < v < h (truncation toward zero).
  return uHigh <= -1 - kMargin || uLow >= w + kMargin || vHigh <= -1 - kMargin ||
         vLow >= h + kMargin;
}

// Samples the image enlarged J times by replication and shrinks each J x J block back, in one
// pass, without building either large image.
template <int J>
bool RotateSupersampled(CDib& image, double angle) {
  const double theta = angle * kDegree;
  const double cs = std::cos(theta);
  const double sn = std::sin(theta);
  const Rect box = RotatedBox<double>(image.GetWidth() * J, image.GetHeight() * J, cs, sn);
  const int width = (box.Width() + J - 1) / J;
  const int height = (box.Height() + J - 1) / J;
  CDib result;
  if (!result.Create(width, height)) return false;
  const double sourceW = image.GetWidth() * J;
  const double sourceH = image.GetHeight() * J;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const double x0 = col * J + box.left;
      const double y0 = row * J + box.top;
      if (BlockMissesSource(x0, y0, J - 1, cs, sn, sourceW, sourceH)) continue;
      BlockSum sum;
      for (int sy = 0; sy < J; ++sy) {
        const double y = row * J + sy + box.top;
        for (int sx = 0; sx < J; ++sx) {
          sum.Add(Sample<double>(image, col * J + sx + box.left, y, cs, sn,
                                 std::integral_constant<int, J>{}));
        }
      }
      result.PaintPixel(col, row, sum.Result(J * J));
    }
  }
  image = std::move(result);
  return true;
}

bool RotateSupersampled(CDib& image, double angle, int j) {
  switch (j) {
    case 1:
      return RotateSupersampled<1>(image, angle);
    case 2:
      return RotateSupersampled<2>(image, angle);
    case 3:
      return RotateSupersampled<3>(image, angle);
    case 4:
      return RotateSupersampled<4>(image, angle);
    case 5:
      return RotateSupersampled<5>(image, angle);
    case 6:
      return RotateSupersampled<6>(image, angle);
    case 7:
      return RotateSupersampled<7>(image, angle);
    default:
      return RotateSupersampled<8>(image, angle);
  }
}

}  // namespace

void FlipHorizontal(CDib& image) {
  const int w = image.GetWidth();
  for (int y = 0; y < image.GetHeight(); ++y) std::reverse(image.Row(y), image.Row(y) + w);
}

void FlipVertical(CDib& image) {
  const int w = image.GetWidth();
  for (int top = 0, bottom = image.GetHeight() - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(image.Row(top), image.Row(top) + w, image.Row(bottom));
  }
}

bool RotateExact(CDib& image, int angle) {
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  if (w <= 0 || h <= 0) return false;
  if (angle == -90) angle = 270;
  if (angle != 90 && angle != 180 && angle != 270) return false;
  CDib result;
  if (!result.Create(angle == 180 ? w : h, angle == 180 ? h : w)) return false;
  for (int y = 0; y < h; ++y) {
    const Pixel* row = image.Row(y);
    for (int x = 0; x < w; ++x) {
      const Pixel p = IsTransparent(row[x]) ? 0 : row[x];
      if (angle == 90) {
        result.Row(x)[h - 1 - y] = p;
      } else if (angle == 270) {
        result.Row(w - 1 - x)[y] = p;
      } else {
        result.Row(h - 1 - y)[w - 1 - x] = p;
      }
    }
  }
  image = std::move(result);
  return true;
}

bool RotateFree(CDib& image, CustomRotateParams params) {
  params.Clamp();
  if (image.GetWidth() <= 0 || image.GetHeight() <= 0) return false;
  if (params.angle == 0) {
    // cos 0 = 1 and sin 0 = 0 exactly: every path samples each pixel onto itself (a
    // supersampled block holds copies of one pixel), and transparent pixels arrive as 0.
    for (int y = 0; y < image.GetHeight(); ++y) {
      Pixel* row = image.Row(y);
      for (int x = 0; x < image.GetWidth(); ++x) row[x] = IsTransparent(row[x]) ? 0 : row[x];
    }
    return true;
  }
  if (!params.antiAliasing) return RotateNearest(image, params.angle);
  return RotateSupersampled(image, params.angle, std::clamp(params.antiAliasingLevel / 2, 1, 8));
}

bool BoxShrinkInto(const CDib& source, CDib& destination) {
  const int w = destination.GetWidth();
  const int h = destination.GetHeight();
  if (w <= 0 || h <= 0 || source.GetWidth() % w != 0) return false;
  const int c = source.GetWidth() / w;
  if (c <= 0 || source.GetHeight() < h * c) return false;
  const auto blockPixels = static_cast<unsigned>(c * c);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      BlockSum sum;
      for (int by = 0; by < c; ++by) {
        const Pixel* row = source.Row(y * c + by) + x * c;
        for (int bx = 0; bx < c; ++bx) sum.Add(row[bx]);
      }
      destination.PaintPixel(x, y, sum.Result(blockPixels));
    }
  }
  return true;
}

}  // namespace morvane
