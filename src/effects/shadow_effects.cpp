#include "effects/shadow_effects.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "effects/effect_target.h"

namespace morvane {
namespace {

// The small shadow blur (5 x 5).
constexpr double kShadowKernel[25] = {5,  10, 10, 10, 5,  10, 25, 25, 25, 10, 10, 25, 25,
                                      25, 10, 10, 25, 25, 25, 10, 5,  10, 10, 10, 5};

// The silhouette of image (read through its clip) shifted by (dx, dy), as shadow colour with
// the shadow's alpha per pixel.
bool Silhouette(const CDib& image, int dx, int dy, Pixel colour, bool inner, CDib& s) {
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  if (!s.Create(w, h)) return false;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s.PaintPixel(x + dx, y + dy, image.GetPixel(x, y));
  }
  const unsigned opacity = AlphaOf(colour);
  const Pixel rgb = colour & 0x00FFFFFF;
  for (int y = 0; y < h; ++y) {
    Pixel* row = s.Row(y);
    for (int x = 0; x < w; ++x) {
      const unsigned o = inner ? 255 - AlphaOf(row[x]) : AlphaOf(row[x]);
      unsigned t = opacity * o / 255;
      if (t == 0 && o != 0 && opacity != 0) t = 1;  // a faint shadow never vanishes
      row[x] = rgb | t << 24;
    }
  }
  return true;
}

// Where the blurred silhouette can differ from the blur of nothing: the box of the silhouette's
// visible pixels grown by `margin`, cut to the image. Only an outer shadow has a transparent
// surround (an inner one is shadow all round the shape).
std::optional<Rect> BlurArea(const CDib& s, bool inner, int margin) {
  const Rect whole{0, 0, s.GetWidth(), s.GetHeight()};
  if (inner) return whole;
  const std::optional<Rect> box = VisibleBox(s);
  if (!box) return std::nullopt;
  return Rect{std::max(box->left - margin, 0), std::max(box->top - margin, 0),
              std::min(box->right + margin, whole.right),
              std::min(box->bottom + margin, whole.bottom)};
}

}  // namespace

void CastShadow(CDib& image, int blur, int dx, int dy, Pixel colour, bool inner) {
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  CDib s;
  if (!Silhouette(image, dx, dy, colour, inner, s)) return;
  // Blurring a transparent area gives transparent black (resampling) or leaves it as it is
  // (convolution), so only the silhouette's surroundings are worked on. The resampling margin is
  // twice the filter's reach: a pixel whose filter is cut at the area's edge sees only
  // transparent pixels either way.
  CDib r;
  if (blur > 10) {
    if (!r.Create(w, h)) return;
    const double filter = blur * 0.2;
    if (const auto area = BlurArea(s, inner, 2 * static_cast<int>(std::ceil(filter)) + 2)) {
      s.StretchTo(r, *area, -filter, *area);
    }
  } else {
    if (!s.CopyTo(r)) return;
    if (const auto area = BlurArea(s, inner, 2)) {
      r.Convolve(area->left, area->top, area->right - 1, area->bottom - 1, kShadowKernel, 5,
                 blur * 20, false);
    }
  }
  if (!inner) {
    r.BlendAt(image, 0, 0, 255);
    CopyThroughClip(r, image);
    return;
  }
  const Rect& c = image.clip;
  for (int y = c.top; y < c.bottom; ++y) {
    Pixel* row = image.Row(y);
    const Pixel* shade = r.Row(y);
    for (int x = c.left; x < c.right; ++x) {
      row[x] = (row[x] & 0xFF000000) | (AlphaOver(row[x] | 0xFF000000, shade[x]) & 0x00FFFFFF);
    }
  }
}

bool ApplyShadow(CDib& image, Rect rect, ShadowParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const Pixel colour = SwapRedBlue(params.color) |
                       static_cast<Pixel>(OpacityOfTransparency(params.transparency)) << 24;
  CastShadow(image, params.blur, params.xOffset, params.yOffset, colour, params.inner);
  return true;
}

bool ApplyBevelBoss(CDib& image, Rect rect, BevelBossParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const Pixel alpha = static_cast<Pixel>(OpacityOfTransparency(params.transparency)) << 24;
  const Pixel dark = SwapRedBlue(params.darkColor) | alpha;
  const Pixel light = SwapRedBlue(params.lightColor) | alpha;
  const int f = params.inner ? -1 : 1;
  CastShadow(image, params.blur, f * params.xOffset, 0, dark, params.inner);
  CastShadow(image, params.blur, 0, f * params.yOffset, dark, params.inner);
  CastShadow(image, params.blur, -f * params.xOffset, 0, light, params.inner);
  CastShadow(image, params.blur, 0, -f * params.yOffset, light, params.inner);
  return true;
}

}  // namespace morvane
