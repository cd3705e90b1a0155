// Per-pixel tone and colour effects. Each works on one image, confined to rect (Rect::Whole()
// for the whole image, otherwise an in-place selection applied through the clip), and leaves
// fully transparent pixels as they are unless it says otherwise. Each returns false when there
// was nothing to change (an image without pixels, a rectangle outside it).
#pragma once

#include <optional>

#include "effects/effect_params.h"
#include "image/dib.h"

namespace morvane {

bool ApplyBrightnessIntensityContrast(CDib& image, Rect rect,
                                      BrightnessIntensityContrastParams params);
bool ApplyHueLuminanceSaturation(CDib& image, Rect rect, HueLuminanceSaturationParams params);
bool ApplyColorize(CDib& image, Rect rect, ColorizeParams params);
// Reduces the rectangle to a computed palette; every pixel, transparent ones too, takes its
// entry's colour and keeps its own alpha.
bool Posterize(CDib& image, Rect rect, PosterizeParams params);
// Every pixel of the rectangle, transparent ones included; alpha kept.
bool Invert(CDib& image, Rect rect);
// Changes alpha only; a pixel brought to alpha 0 keeps its colour bytes.
bool ApplyOpacity(CDib& image, Rect rect, OpacityParams params);

// The contrast pivot of the pixels inside the image's clip: the mean luminance bucket of the
// visible pixels scaled to 0..255. Nothing when no pixel is visible.
std::optional<double> ContrastPivot(const CDib& image);

}  // namespace morvane
