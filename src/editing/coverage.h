// Coverage masks: the strength 0..255 of a shape at each pixel, already multiplied by the brush
// alpha. Every primitive rasterises into a mask first; ApplyCoverageMask then combines the mask
// with the brush colour and the target under the drawing modes.
//
// A mask holds one byte per pixel over a window (bounds) of its plane: a supersampled mask at
// factor 16 over a 256 x 256 image is a 4096 x 4096 plane, but only the shape's box is stored.
// Writes outside the window are dropped and reads outside it give 0.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/draw_settings.h"
#include "image/dib.h"
#include "image/pixel.h"

namespace morvane {

class CoverageMask {
 public:
  CoverageMask() = default;
  // A mask over the window bounds (clipped to the plane 0..planeWidth x 0..planeHeight).
  // Returns false, leaving an empty mask, when the window is empty or too large.
  bool Create(int planeWidth, int planeHeight, Rect bounds);
  bool Create(int planeWidth, int planeHeight) {
    return Create(planeWidth, planeHeight, {0, 0, planeWidth, planeHeight});
  }

  int PlaneWidth() const { return planeWidth_; }
  int PlaneHeight() const { return planeHeight_; }
  const Rect& Bounds() const { return bounds_; }
  bool IsEmpty() const { return values_.empty(); }

  std::uint8_t Get(int x, int y) const { return bounds_.Contains(x, y) ? values_[Index(x, y)] : 0; }
  void Set(int x, int y, std::uint8_t v) {
    if (bounds_.Contains(x, y)) values_[Index(x, y)] = v;
  }
  // Row y of the window (bounds.top <= y < bounds.bottom), starting at bounds.left.
  const std::uint8_t* WindowRow(int y) const { return values_.data() + Index(bounds_.left, y); }
  // Sets the pixels x0 <= x < x1 of row y (clipped to the window).
  void SetSpan(int y, int x0, int x1, std::uint8_t v);
  // Box of the non-zero values; all -1 when there are none.
  Rect NonZeroBounds() const;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y - bounds_.top) * static_cast<std::size_t>(bounds_.Width()) +
           static_cast<std::size_t>(x - bounds_.left);
  }

  int planeWidth_ = 0;
  int planeHeight_ = 0;
  Rect bounds_{0, 0, 0, 0};
  std::vector<std::uint8_t> values_;
};

// The mask value a primitive writes for colour: its alpha, or 255 for an erasing colour.
constexpr std::uint8_t CoverageStrength(Pixel colour) {
  return AlphaOf(colour) == 0 ? 255 : static_cast<std::uint8_t>(AlphaOf(colour));
}

// The rectangle ApplyCoverageMask works in: the target's clip (the whole image when never set),
// narrowed to area unless area is Rect::Whole(), and always kept inside the image.
Rect CoverageWorkRect(const CDib& target, Rect area);

// Combines mask with colour and target under the drawing modes (erase, composite in
// Transparent mode, replace alpha with it off; gradient fill; the alpha lock inside the blend).
void ApplyCoverageMask(CDib& target, const CoverageMask& mask, Pixel colour, Rect area,
                       const DrawSettings& settings);

// Merges a layer pixel into the target with Transparent mode off: the coverage m (of brush
// alpha c) moves the alpha toward the brush alpha; with alphaLocked the alpha never rises.
Pixel BlendCoverage(Pixel target, Pixel layer, int m, int c, bool alphaLocked);

// Box-filters big (factor f = big plane width / small plane width) into small over area (or
// small's whole window for Rect::Whole()). Reads and writes stay inside both windows.
void DownsampleCoverage(const CoverageMask& big, CoverageMask& small, Rect area);

// Paints settings.gradientImage, stretched over the mask's shape box (area fill) or the whole
// target, where the mask is set. keepAlpha mixes the colour in and keeps each pixel's alpha.
void PaintGradientThroughMask(const CoverageMask& mask, CDib& target, bool keepAlpha, int ox,
                              int oy, const DrawSettings& settings);

}  // namespace morvane
