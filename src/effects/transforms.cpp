#include "effects/transforms.h"

#include <algorithm>
#include <cmath>

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
template <typename Real>
Pixel Sample(const CDib& source, Real x, Real y, Real cs, Real sn, int scale) {
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
      const Pixel p = Sample<float>(image, static_cast<float>(col + box.left), y, cs, sn, 1);
      out[col] = IsTransparent(p) ? 0 : p;
    }
  }
  image = std::move(result);
  return true;
}

// Samples the image enlarged j times by replication and shrinks each j x j block back, in one
// pass, without building either large image.
bool RotateSupersampled(CDib& image, double angle, int j) {
  const double theta = angle * kDegree;
  const double cs = std::cos(theta);
  const double sn = std::sin(theta);
  const Rect box = RotatedBox<double>(image.GetWidth() * j, image.GetHeight() * j, cs, sn);
  const int width = (box.Width() + j - 1) / j;
  const int height = (box.Height() + j - 1) / j;
  CDib result;
  if (!result.Create(width, height)) return false;
  const auto blockPixels = static_cast<unsigned>(j * j);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      BlockSum sum;
      for (int sy = 0; sy < j; ++sy) {
        const double y = row * j + sy + box.top;
        for (int sx = 0; sx < j; ++sx) {
          sum.Add(Sample<double>(image, col * j + sx + box.left, y, cs, sn, j));
        }
      }
      result.PaintPixel(col, row, sum.Result(blockPixels));
    }
  }
  image = std::move(result);
  return true;
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
