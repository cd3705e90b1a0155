// The two effects drawn with Renderer3D. Both leave the image unchanged when no pixel inside
// the rectangle has alpha (there is no shape to put on a card).
#pragma once

#include "effects/effect_params.h"
#include "image/dib.h"

namespace morvane {

// Turns the shape into a flat card tilted in space and draws it back with perspective.
bool ApplyRotate3d(CDib& image, Rect rect, Rotate3dParams params);

// Lays a blurred silhouette of the shape onto a tilted plane, under or over the shape.
bool ApplyShadow3d(CDib& image, Rect rect, Shadow3dParams params);

}  // namespace morvane
