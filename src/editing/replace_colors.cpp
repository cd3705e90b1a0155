// The Replace colors dab: recolours pixels close in hue and lightness to the first brush colour,
// judged on the image as it was when the stroke began.
#include <algorithm>
#include <cmath>

#include "editing/fills.h"
#include "image/hls_color.h"

namespace morvane {

void ReplaceColors(CDib& image, const CDib& strokeBase, int x, int y, const ReplaceParams& params,
                   Pixel first, Pixel second) {
  if (!image.IsLive()) return;
  const Rect dab = BrushSquare(x, y, std::clamp(params.brushSize, 1, 64));
  const bool baseUsable = strokeBase.Width() == image.Width() &&
                          strokeBase.Height() == image.Height() && !strokeBase.IsEmpty();
  HlsColor from(first);
  HlsColor to(second);
  const double hueFrom = from.GetHue();
  const double lumFrom = from.GetLuminance();
  const double satFrom = from.GetSaturation();
  for (int py = dab.top; py < dab.bottom; ++py) {
    for (int px = dab.left; px < dab.right; ++px) {
      if (!image.IsWritable(px, py) || IsTransparent(image.GetPixel(px, py))) continue;
      const Pixel o = baseUsable ? strokeBase.Row(py)[px] : image.GetPixel(px, py);
      HlsColor old(o);
      if (!(std::fabs(old.GetHue() - hueFrom) < 2.0 * params.hueDelta)) continue;
      if (!(std::fabs(100 * old.GetLuminance() - 100 * lumFrom) < params.luminanceDelta)) {
        continue;
      }
      Pixel result;
      if (IsTransparent(second)) {
        result = 0;
      } else if (params.singleDestination) {
        result = (second & 0x00FFFFFF) | (o & 0xFF000000);
      } else {
        HlsColor c(second);
        c.SetHue(old.GetHue() + to.GetHue() - hueFrom);
        c.SetLuminance(old.GetLuminance() + to.GetLuminance() - lumFrom);
        c.SetSaturation(old.GetSaturation() + to.GetSaturation() - satFrom);
        result = (c.ToRgb() & 0x00FFFFFF) | (o & 0xFF000000);
      }
      image.SetPixel(px, py, result);
    }
  }
}

}  // namespace morvane
