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
  std::vector<Pixel> before(image.Pixels(), image.Pixels() + image.StoredPixelCount());
  auto at = [&](int x, int y) { return before[static_cast<std::size_t>(y) * image.Stride() + x]; };
  const int t = params.dither * 768 / 100;
  constexpr double kSum = 25;  // 5 x 5 weights of 1
  for (int y = a.top; y < a.bottom; ++y) {
    for (int x = a.left; x < a.right; ++x) {
      const Pixel c = at(x, y);
      double weight = 0, red = 0, green = 0, blue = 0;
      for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
          const int nx = x + dx, ny = y + dy;
          if (!a.Contains(nx, ny)) continue;
          const Pixel n = at(nx, ny);
          if (IsTransparent(n)) continue;
          const int diff = std::abs(static_cast<int>(GreenOf(n)) - static_cast<int>(GreenOf(c))) +
                           std::abs(static_cast<int>(RedOf(n)) - static_cast<int>(RedOf(c))) +
                           std::abs(static_cast<int>(BlueOf(n)) - static_cast<int>(BlueOf(c)));
          if (diff > t) continue;
          double v = 1;
          if (diff > t / 2 && t > 0) v = v * (t - diff) / t * 0.5;
          const bool centre = dx == 0 && dy == 0;
          if (centre) v = kSum - v;
          double wt = v * params.level * 0.01;
          if (centre) wt = kSum - wt;
          weight += wt;
          red += wt * RedOf(n);
          green += wt * GreenOf(n);
          blue += wt * BlueOf(n);
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
