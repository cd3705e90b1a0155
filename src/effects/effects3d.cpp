#include "effects/effects3d.h"

#include <algorithm>

#include "effects/effect_target.h"
#include "effects/renderer3d.h"

namespace morvane {
namespace {

// Margin of transparent pixels around the shape on its card.
constexpr int kCardMargin = 20;

// The camera distance both effects derive from the perspective slider.
double CardDistance(int perspective) {
  return 500 - perspective * 5;
}

// The shape's box copied onto a transparent texture image with the card's margin, each pixel
// passed through `map`.
template <typename Map>
bool CardTexture(const CDib& image, const Rect& box, CDib& texture, Map&& map) {
  if (!texture.Create(box.Width() + 2 * kCardMargin, box.Height() + 2 * kCardMargin)) return false;
  for (int y = box.top; y < box.bottom; ++y) {
    const Pixel* row = image.Row(y);
    Pixel* out = texture.Row(y - box.top + kCardMargin) + kCardMargin;
    for (int x = box.left; x < box.right; ++x) out[x - box.left] = map(row[x]);
  }
  return true;
}

void SetTexture(Renderer3D& renderer, const CDib& texture) {
  renderer.RemoveTexture(0);
  renderer.AddTexture(texture.GetWidth(), texture.GetHeight(), texture.Pixels(), texture.Stride());
}

}  // namespace

bool ApplyRotate3d(CDib& image, Rect rect, Rotate3dParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const std::optional<Rect> box = VisibleBox(image);
  if (!box) return true;
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  CDib output;
  CDib texture;
  if (!output.Create(w, h)) return false;
  if (!CardTexture(image, *box, texture, [](Pixel p) { return p; })) return false;
  Renderer3D renderer(output);
  renderer.baseDistance = std::max(w, h);
  BuildCard(renderer, box->Width(), box->Height());
  SetTexture(renderer, texture);

  const double d = CardDistance(params.perspective);
  renderer.viewDistance = (d + renderer.baseDistance) * params.zoom * 0.01;
  renderer.ResetTransform(0);
  renderer.RotateObject(0, params.angleX, params.angleY, 0);
  renderer.RotateObject(0, 0, 0, params.angleZ);
  const int tx = params.posX * (w / 2) / 100;
  const int ty = params.posY * (h / 2) / 100;
  renderer.TranslateObject(0, tx, ty, d + renderer.baseDistance);
  renderer.cx = w / 2.0 - 0.5 - tx;
  renderer.cy = h / 2.0 - 0.5 - ty;
  renderer.Render();
  CopyThroughClip(output, image);
  return true;
}

bool ApplyShadow3d(CDib& image, Rect rect, Shadow3dParams params) {
  params.Clamp();
  ClipScope scope(image, rect);
  if (!scope.Ok()) return false;
  const std::optional<Rect> box = VisibleBox(image);
  if (!box) return true;
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  CDib output;
  CDib silhouette;
  CDib texture;
  if (!output.Create(w, h)) return false;
  const Pixel color = SwapRedBlue(params.color);
  if (!CardTexture(image, *box, silhouette,
                   [color](Pixel p) { return color | (p & 0xFF000000); })) {
    return false;
  }
  silhouette.StretchTo(texture, params.blur * 0.2);

  Renderer3D renderer(output);
  renderer.cx = (box->left + box->right - 1) / 2.0;
  renderer.cy = (box->top + box->bottom - 1) / 2.0;
  renderer.baseDistance = std::max(w, h);
  BuildCard(renderer, box->Width(), box->Height());
  SetTexture(renderer, texture);

  const double d = CardDistance(params.perspective);
  renderer.viewDistance = (d + renderer.baseDistance) * params.zoom * 0.01;
  renderer.ResetTransform(0);
  const double hw = box->Width() / 2;
  const double hh = box->Height() / 2;
  int ax = params.angleX;
  int ay = params.angleY;
  const int az = params.angleZ;
  const bool sx = ay < 0;
  const bool sy = ax < 0;
  const bool sz = az < 0;
  const int position = params.shadowPosition;
  if (position == 2) {
    ax = -ax;
    ay = -ay;
  }
  // Front and rear tilt the plane about the shape's edge nearest the light, centre about its
  // middle.
  if (position != 1) renderer.TranslateObject(0, sx ? -hw : hw, sy ? -hh : hh, 0);
  renderer.RotateObject(0, ax, ay, 0);
  if (position != 1) renderer.TranslateObject(0, sx ? hw : -hw, sy ? hh : -hh, 0);
  if (position != 1) renderer.TranslateObject(0, sz ? hw : -hw, 0, 0);
  renderer.RotateObject(0, 0, 0, az);
  if (position != 1) renderer.TranslateObject(0, sz ? -hw : hw, 0, 0);
  renderer.TranslateObject(0, params.posX, params.posY, d + renderer.baseDistance);
  renderer.Render();

  const int opacity = (25500 - params.transparency * 255) / 100;
  CDib result;
  if (!result.Create(w, h)) return false;
  if (params.outside) {
    result.BlendFrom(output, opacity);
    result.BlendFrom(image, 255);
  } else {
    result.BlendFrom(image, 255);
    result.BlendFrom(output, opacity);
  }
  CopyThroughClip(result, image);
  return true;
}

}  // namespace morvane
