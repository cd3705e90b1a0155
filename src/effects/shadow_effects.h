// Light and shade around or inside the drawn shape: Shadow, Bevel Boss and Aqua.
#pragma once

#include "effects/effect_params.h"
#include "image/dib.h"

namespace morvane {

// Casts a blurred copy of the image's silhouette, offset by (dx, dy), in colour's RGB with
// colour's alpha as its opacity: under the image (outer) or over it where the image is
// transparent (inner). Works through the image's clip.
void CastShadow(CDib& image, int blur, int dx, int dy, Pixel colour, bool inner);

// Opacity 0..255 of a "Transparency" slider value 0..100.
constexpr int OpacityOfTransparency(int transparency) {
  return (100 - transparency) * 255 / 100;
}

bool ApplyShadow(CDib& image, Rect rect, ShadowParams params);
bool ApplyBevelBoss(CDib& image, Rect rect, BevelBossParams params);
// Changes only pixels inside the shape's bounding box (inside the rectangle).
bool ApplyAqua(CDib& image, Rect rect, AquaParams params);

}  // namespace morvane
