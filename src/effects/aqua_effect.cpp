// Aqua: the shape becomes a glossy gel button with a highlight band at the top, a reflex at
// the bottom and edges darkened towards the outline.
#include <algorithm>

#include "effects/effect_target.h"
#include "effects/shadow_effects.h"

namespace morvane {
namespace {

struct AquaGeometry {
  int w, h, m, f;               // shape size, its smaller side, half its height
  int top, bottom, mid, inset;  // the highlight band
};

AquaGeometry Geometry(int w, int h, const AquaParams& p) {
  AquaGeometry g{w, h, std::min(w, h), h / 2, 0, 0, 0, 0};
  g.top = (100 - p.lightSize) * g.m / 200;
  g.bottom = g.f + h / 12;
  g.mid = g.f;
  g.inset = g.top;
  if (p.sphereMode) {
    g.bottom = g.f - h / 12;
    g.mid = (g.f + g.top - h / 12) / 2;
    g.inset = g.top + g.m / 5;
  }
  return g;
}

// The highlight: the shape squeezed into the band, fading from the top down, then blurred.
void Highlight(const CDib& shape, const AquaGeometry& g, const AquaParams& p, Pixel light,
               CDib& q) {
  shape.StretchTo(q, {0, 0, g.w, g.f}, 0.8, {g.inset, g.top, g.w - g.inset, g.mid});
  shape.StretchTo(q, {0, g.f + 1, g.w, g.h}, 0.8, {g.inset, g.mid, g.w - g.inset, g.bottom});
  for (int y = std::max(g.top, 0); y < std::min(g.bottom, g.h); ++y) {
    const double k = std::min(
        1.0, p.lightIntensity * (static_cast<double>(g.bottom - y) / (g.bottom - g.top)) * 0.02);
    Pixel* row = q.Row(y);
    const Pixel* s = shape.Row(y);
    for (int x = 0; x < g.w; ++x) {
      const auto a = static_cast<Pixel>(AlphaOf(row[x]) * AlphaOf(s[x]) * k / 255);
      row[x] = light | a << 24;
    }
  }
  q.BlurAll(std::clamp(g.m - 30, 1, 178), false);
}

// Only the alpha of a widely blurred shape is used, and the alpha a resampling computes does
// not depend on colours: without them it sums alpha alone.
void DropColours(CDib& image) {
  for (int y = 0; y < image.GetHeight(); ++y) {
    Pixel* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) row[x] &= 0xFF000000;
  }
}

// The reflex: the lower half of the shape, squeezed, widely blurred and laid into q.
void Reflex(const CDib& shape, const AquaGeometry& g, const AquaParams& p, Pixel light, CDib& q,
            CDib& work) {
  shape.StretchTo(work, {0, g.f + 1, g.w, g.h}, 0.7,
                  {g.m / 8, g.f + g.h / 10, g.w - g.m / 8, g.h - g.h / 17});
  CDib s;
  if (!s.Create(g.w, g.h)) return;
  DropColours(work);
  work.StretchTo(s, -static_cast<double>(g.m * 150 / 100));
  for (int y = 0; y < g.h; ++y) {
    const Pixel* sr = s.Row(y);
    const Pixel* gr = shape.Row(y);
    for (int x = 0; x < g.w; ++x) {
      const int a = static_cast<int>((AlphaOf(gr[x]) * AlphaOf(sr[x]) / 255) *
                                     static_cast<unsigned>(p.reflexIntensity) * 0.01);
      if (a != 0) q.PaintPixel(x, y, light | static_cast<Pixel>(a) << 24);
    }
  }
}

// Darkens the shape's colours towards its outline.
void EdgeShade(CDib& shape, const AquaGeometry& g, const AquaParams& p, CDib& work) {
  shape.StretchTo(work, Rect::Whole(), 0.7, {g.m / 10, g.m / 10, g.w - g.m / 10, g.h - g.m / 10});
  CDib r;
  if (!r.Create(g.w, g.h)) return;
  DropColours(work);
  work.StretchTo(r, -static_cast<double>(2 * g.m));
  const int strength = p.shadowIntensity * 255 / 100;
  for (int y = 0; y < g.h; ++y) {
    Pixel* row = shape.Row(y);
    const Pixel* rr = r.Row(y);
    for (int x = 0; x < g.w; ++x) {
      const int d = strength * static_cast<int>(AlphaOf(rr[x])) / 255 - strength;
      if (d >= 0) continue;
      auto shade = [d](unsigned c) { return c * static_cast<unsigned>(d + 255) / 255; };
      row[x] = MakePixel(AlphaOf(row[x]), shade(RedOf(row[x])), shade(GreenOf(row[x])),
                         shade(BlueOf(row[x])));
    }
  }
}

}  // namespace

bool ApplyAqua(CDib& image, Rect rect, AquaParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  Rect box = image.GetChannelBounds(24);
  if (box.left < 0) box = image.clip;  // no visible pixel: the whole rectangle
  const AquaGeometry g = Geometry(box.Width(), box.Height(), params);
  CDib shape, q, work;
  if (!shape.Create(g.w, g.h) || !q.Create(g.w, g.h) || !work.Create(g.w, g.h)) return false;
  shape.CopyAt(image, -box.left, -box.top);
  const Pixel light = SwapRedBlue(params.color);

  Highlight(shape, g, params, light, q);
  Reflex(shape, g, params, light, q, work);
  EdgeShade(shape, g, params, work);
  shape.BlendFrom(q, 255);

  for (int y = box.top; y < box.bottom; ++y) {
    std::fill(image.Row(y) + box.left, image.Row(y) + box.right, Pixel{0});
  }
  for (int y = 0; y < g.h; ++y) {
    const Pixel* row = shape.Row(y);
    for (int x = 0; x < g.w; ++x) image.PaintPixel(box.left + x, box.top + y, row[x]);
  }
  return true;
}

}  // namespace morvane
