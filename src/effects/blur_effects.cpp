#include "effects/blur_effects.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "effects/effect_target.h"
#include "effects/pixel_cache.h"
#include "image/hls_color.h"

namespace morvane {
namespace {

constexpr double kSharpenKernel[9] = {1, 1, 1, 1, -9, 1, 1, 1, 1};
constexpr double kEmbossKernel[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 0};

// Runs a kernel over the rectangle as the canvas does for an in-place selection.
bool ApplyKernel(CDib& image, Rect rect, const double* kernel, int size, int level, bool lock) {
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const Rect& a = scope.Area();
  if (kernel == nullptr) {
    image.Blur(a.left, a.top, a.right - 1, a.bottom - 1, level, lock);
  } else {
    image.Convolve(a.left, a.top, a.right - 1, a.bottom - 1, kernel, size, level, lock);
  }
  return true;
}

}  // namespace

bool ApplyBlur(CDib& image, Rect rect, BlurParams params) {
  params.Clamp();
  return ApplyKernel(image, rect, nullptr, 5, params.level, params.lock);
}

bool ApplySharpen(CDib& image, Rect rect, SharpenParams params) {
  params.Clamp();
  return ApplyKernel(image, rect, kSharpenKernel, 3, params.level, params.lock);
}

bool ApplyCustomBlur(CDib& image, Rect rect, CustomBlurParams params) {
  params.Clamp();
  return ApplyKernel(image, rect, params.mask.data(), 3, params.level, params.lock);
}

bool ApplyEmboss(CDib& image, Rect rect, EmbossParams params) {
  params.Clamp();
  if (!ApplyKernel(image, rect, kEmbossKernel, 3, params.depth, true)) return false;
  ClipScope scope(image, rect);
  const double shift = params.brightness * 0.01;
  PixelCache cache;
  const Rect& c = image.clip;
  for (int y = c.top; y < c.bottom; ++y) {
    Pixel* row = image.Row(y);
    for (int x = c.left; x < c.right; ++x) {
      if (IsTransparent(row[x])) continue;
      row[x] = cache.Map(row[x], [shift](Pixel p) {
        HlsColor hls(p);
        hls.SetLuminance(hls.GetLuminance() + shift);
        hls.SetSaturation(0);
        return hls.ToRgb();
      });
    }
  }
  return true;
}

bool ApplySmartBlur(CDib& image, Rect rect, SmartBlurParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const Rect a = scope.Area();
  const std::vector<Pixel> before(image.Pixels(), image.Pixels() + image.StoredPixelCount());
  const int t = params.dither * 768 / 100;
  constexpr double kSum = 25;  // 5 x 5 weights of 1
  // The weight of a neighbour depends only on its colour distance: one table per run. Sums are
  // taken in the same order as ever, so the result is the same to the last bit.
  std::vector<double> weightOf(static_cast<std::size_t>(t) + 1);
  for (int diff = 0; diff <= t; ++diff) {
    double v = 1;
    if (diff > t / 2 && t > 0) v = v * (t - diff) / t * 0.5;
    weightOf[static_cast<std::size_t>(diff)] = v * params.level * 0.01;
  }
  const double centreWeight = kSum - (kSum - 1) * params.level * 0.01;
  const int stride = image.Stride();
  for (int y = a.top; y < a.bottom; ++y) {
    const int dyLow = std::max(-2, a.top - y), dyHigh = std::min(2, a.bottom - 1 - y);
    for (int x = a.left; x < a.right; ++x) {
      const int dxLow = std::max(-2, a.left - x), dxHigh = std::min(2, a.right - 1 - x);
      const Pixel c = before[static_cast<std::size_t>(y) * stride + x];
      const int cr = static_cast<int>(RedOf(c)), cg = static_cast<int>(GreenOf(c)),
                cb = static_cast<int>(BlueOf(c));
      double weight = 0, red = 0, green = 0, blue = 0;
      for (int dx = dxLow; dx <= dxHigh; ++dx) {
        for (int dy = dyLow; dy <= dyHigh; ++dy) {
          const Pixel n = before[static_cast<std::size_t>(y + dy) * stride + (x + dx)];
          if (IsTransparent(n)) continue;
          const int diff = std::abs(static_cast<int>(GreenOf(n)) - cg) +
                           std::abs(static_cast<int>(RedOf(n)) - cr) +
                           std::abs(static_cast<int>(BlueOf(n)) - cb);
          if (diff > t) continue;
          const double w =
              dx == 0 && dy == 0 ? centreWeight : weightOf[static_cast<std::size_t>(diff)];
          weight += w;
          red += w * RedOf(n);
          green += w * GreenOf(n);
          blue += w * BlueOf(n);
        }
      }
      if (!(weight > 0)) continue;
      auto channel = [weight](double sum) {
        return static_cast<std::uint32_t>(std::min(255.0, sum / weight + 0.5));
      };
      image.Row(y)[x] = MakePixel(AlphaOf(c), channel(red), channel(green), channel(blue));
    }
  }
  return true;
}

}  // namespace morvane
