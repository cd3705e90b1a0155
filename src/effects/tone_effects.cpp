#include "effects/tone_effects.h"

#include <algorithm>
#include <array>

#include "effects/effect_target.h"
#include "effects/pixel_cache.h"
#include "image/color_reduction.h"
#include "image/hls_color.h"

namespace morvane {
namespace {

// Calls f(pixel) -> new pixel for every visible pixel inside the clip.
template <typename F>
void ForEachVisible(CDib& image, F&& f) {
  const Rect& c = image.clip;
  for (int y = c.top; y < c.bottom; ++y) {
    Pixel* row = image.Row(y);
    for (int x = c.left; x < c.right; ++x) {
      if (!IsTransparent(row[x])) row[x] = f(row[x]);
    }
  }
}

std::uint32_t ClampContrast(double v) {
  if (v <= 0) return 0;
  if (v > 255) return 255;
  return static_cast<std::uint32_t>(v);
}

}  // namespace

std::optional<double> ContrastPivot(const CDib& image) {
  std::array<long long, 11> counts{};
  long long n = 0;
  const Rect& c = image.clip;
  for (int y = c.top; y < c.bottom; ++y) {
    const Pixel* row = image.Row(y);
    for (int x = c.left; x < c.right; ++x) {
      if (IsTransparent(row[x])) continue;
      HlsColor hls(row[x]);
      ++counts[static_cast<std::size_t>(hls.GetLuminance() * 10)];
      ++n;
    }
  }
  if (n == 0) return std::nullopt;
  double weighted = 0;
  for (int j = 0; j <= 10; ++j) weighted += static_cast<double>(counts[j]) * (j * 0.1);
  return weighted / static_cast<double>(n) * 255;
}

bool ApplyBrightnessIntensityContrast(CDib& image, Rect rect,
                                      BrightnessIntensityContrastParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const std::optional<double> pivotOrNone = ContrastPivot(image);
  if (!pivotOrNone) return true;  // nothing visible: nothing to change
  const double pivot = *pivotOrNone;
  const double b = params.brightness * 0.01;
  const double i = params.intensity * 0.01;
  double k = params.contrast * 0.01 + 1;
  if (k > 1) k = (k - 1) * 3 + 1;
  PixelCache cache;
  ForEachVisible(image, [&](Pixel p) {
    return cache.Map(p, [&](Pixel v) {
      HlsColor hls(v);
      const double l = hls.GetLuminance() + b;
      hls.SetLuminance(l + l * i);
      const Pixel c = hls.ToRgb();
      auto channel = [&](std::uint32_t ch) {
        return ClampContrast(pivot + (static_cast<double>(ch) - pivot) * k);
      };
      return MakePixel(AlphaOf(c), channel(RedOf(c)), channel(GreenOf(c)), channel(BlueOf(c)));
    });
  });
  return true;
}

bool ApplyHueLuminanceSaturation(CDib& image, Rect rect, HueLuminanceSaturationParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const double dh = params.hue;
  const double dl = params.luminance * 0.01;
  const double ds = params.saturation * 0.01;
  PixelCache cache;
  ForEachVisible(image, [&](Pixel p) {
    return cache.Map(p, [&](Pixel v) {
      HlsColor hls(v);
      hls.SetHue(hls.GetHue() + dh);
      if (ds > 0) hls.SetSaturation(hls.GetSaturation() + ds);
      hls.SetLuminance(hls.GetLuminance() + dl);
      const Pixel c = hls.ToRgb();
      if (!(ds < 0)) return c;
      const int grey = static_cast<int>((RedOf(c) * 30 + GreenOf(c) * 59 + BlueOf(c) * 11) / 100);
      const double f = 1 + ds;
      auto channel = [&](std::uint32_t ch) {
        return static_cast<std::uint32_t>((1 - f) * grey + f * static_cast<double>(ch));
      };
      return MakePixel(AlphaOf(c), channel(RedOf(c)), channel(GreenOf(c)), channel(BlueOf(c)));
    });
  });
  return true;
}

bool ApplyColorize(CDib& image, Rect rect, ColorizeParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  HlsColor chosen(SwapRedBlue(params.color) | 0xFF000000);
  const double hue = chosen.GetHue();
  const double saturation = chosen.GetSaturation();
  const double shift = chosen.GetLuminance() - 0.5;
  PixelCache cache;
  ForEachVisible(image, [&](Pixel p) {
    return cache.Map(p, [&](Pixel v) {
      const int percent =
          static_cast<int>(RedOf(v) * 37 / 255 + GreenOf(v) * 50 / 255 + BlueOf(v) * 13 / 255);
      HlsColor hls(v);
      hls.SetHue(hue);
      hls.SetSaturation(saturation);
      hls.SetLuminance(hls.GetLuminance() * 0.8 + shift + percent * 0.01 * 0.2);
      return hls.ToRgb();
    });
  });
  return true;
}

bool Posterize(CDib& image, Rect rect, PosterizeParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  return ReduceToColors(image, params.colors);
}

bool Invert(CDib& image, Rect rect) {
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const Rect& c = image.clip;
  for (int y = c.top; y < c.bottom; ++y) {
    Pixel* row = image.Row(y);
    for (int x = c.left; x < c.right; ++x) row[x] ^= 0x00FFFFFF;
  }
  return true;
}

bool ApplyOpacity(CDib& image, Rect rect, OpacityParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const int delta = params.level * 255 / 100;
  ForEachVisible(image, [&](Pixel p) {
    const int a = std::clamp(static_cast<int>(AlphaOf(p)) + delta, 0, 255);
    return (p & 0x00FFFFFF) | static_cast<Pixel>(a) << 24;
  });
  return true;
}

}  // namespace morvane
