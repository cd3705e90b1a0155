// Neighbourhood effects: the kernel effects (Blur, Sharpen, Custom blur, Emboss) through the
// alpha-aware convolution, and the edge-preserving Smart blur.
#pragma once

#include "effects/effect_params.h"
#include "image/dib.h"

namespace morvane {

bool ApplyBlur(CDib& image, Rect rect, BlurParams params);
bool ApplySharpen(CDib& image, Rect rect, SharpenParams params);
bool ApplyCustomBlur(CDib& image, Rect rect, CustomBlurParams params);
// A grey relief: the emboss kernel, then every visible pixel made grey at its luminance shifted
// by the brightness.
bool ApplyEmboss(CDib& image, Rect rect, EmbossParams params);
// Averages each pixel with the similar pixels around it; neighbours outside the rectangle are
// never used.
bool ApplySmartBlur(CDib& image, Rect rect, SmartBlurParams params);

}  // namespace morvane
