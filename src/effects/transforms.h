// Mirrors and rotations. Each works on a whole image: the frame's image, or a floating
// selection's bitmap (an in-place selection is lifted first, see effect_target.h). Rotations
// re-create the image at its new size.
#pragma once

#include "effects/effect_params.h"
#include "image/dib.h"

namespace morvane {

// Every pixel is mirrored, transparent ones included.
void FlipHorizontal(CDib& image);
void FlipVertical(CDib& image);

// Exact quarter and half turns: angle 90 (clockwise), 270 or -90 (counter-clockwise), 180.
// Fully transparent pixels arrive as 0. Returns false for other angles or an empty image.
bool RotateExact(CDib& image, int angle);

// Free rotation by params.angle degrees (clockwise), nearest pixel or anti-aliased by
// supersampling. The result is the rotated bounding box, at least 1 x 1, rounded outward so
// that no corner of the source falls outside it.
bool RotateFree(CDib& image, CustomRotateParams params);

// The anti-aliased free rotation by any finite angle in degrees (clockwise): every point of the
// image enlarged factor times (1..8, clamped) is sampled and each factor x factor block averaged
// back into one pixel. Returns false for an empty image or an angle that is not finite.
bool RotateAntiAliased(CDib& image, double angle, int factor);

// Reduces source by the integer factor source width / destination width into destination,
// averaging each block's visible pixels (alpha over the whole block). Returns false when the
// sizes do not divide.
bool BoxShrinkInto(const CDib& source, CDib& destination);

}  // namespace morvane
