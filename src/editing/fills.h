// Region operations: the Fill tool's flood fill (solid or gradient), the Replace colors dab and
// filling the whole image.
#pragma once

#include "editing/draw_settings.h"
#include "image/dib.h"
#include "image/pixel.h"

namespace morvane {

// Fills the 4-connected region around (x, y). useGradient lets the fill use the gradient of
// settings (the right button switches it off). Returns the number of pixels changed.
int FloodFill(CDib& image, int x, int y, Pixel colour, const DrawSettings& settings,
              bool useGradient = true);

struct ReplaceParams {
  int brushSize = 1;         // pen size, the dab's square
  int hueDelta = 15;         // 1..180
  int luminanceDelta = 100;  // 1..100
  bool singleDestination = false;
};

// One Replace colors dab at (x, y): pixels of the square whose strokeBase colour is close in
// hue and lightness to first are recoloured toward second.
void ReplaceColors(CDib& image, const CDib& strokeBase, int x, int y, const ReplaceParams& params,
                   Pixel first, Pixel second);

// The square brush of size w around (x, y): (x - (w - 1) / 2, y - (w - 1) / 2) to
// (x + w / 2, y + w / 2) inclusive, returned with right and bottom exclusive.
inline Rect BrushSquare(int x, int y, int w) {
  return {x - (w - 1) / 2, y - (w - 1) / 2, x + w / 2 + 1, y + w / 2 + 1};
}

}  // namespace morvane
