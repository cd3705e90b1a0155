// The Fill tool: a 4-connected scan-line flood fill with an explicit stack of seeds, so a region
// of any shape costs no machine stack.
#include <algorithm>
#include <vector>

#include "editing/coverage.h"
#include "editing/fills.h"

namespace morvane {
namespace {

struct Region {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> member;  // 1 for region pixels
  int count = 0;
};

// Marks the region around (x, y): visible pixels of the seed's colour bits, or transparent
// pixels, 4-connected, inside the clip.
Region FindRegion(const CDib& image, int x, int y) {
  Region region;
  region.width = image.GetWidth();
  region.height = image.GetHeight();
  region.member.assign(static_cast<std::size_t>(region.width) * region.height, 0);
  const Pixel seed = image.GetPixel(x, y);
  const bool visible = !IsTransparent(seed);
  auto belongs = [&](int px, int py) {
    if (!image.IsWritable(px, py)) return false;
    if (region.member[static_cast<std::size_t>(py) * region.width + px]) return false;
    const Pixel q = image.Row(py)[px];
    return visible ? !IsTransparent(q) && ((q ^ seed) & 0x00FFFFFF) == 0 : IsTransparent(q);
  };
  std::vector<std::pair<int, int>> stack{{x, y}};
  while (!stack.empty()) {
    const auto [sx, sy] = stack.back();
    stack.pop_back();
    if (!belongs(sx, sy)) continue;
    int left = sx;
    int right = sx;
    while (belongs(left - 1, sy)) --left;
    while (belongs(right + 1, sy)) ++right;
    std::fill_n(region.member.begin() + static_cast<std::ptrdiff_t>(sy) * region.width + left,
                right - left + 1, std::uint8_t{1});
    region.count += right - left + 1;
    for (const int ny : {sy - 1, sy + 1}) {
      bool inRun = false;
      for (int nx = left; nx <= right; ++nx) {
        const bool b = belongs(nx, ny);
        if (b && !inRun) stack.emplace_back(nx, ny);
        inRun = b;
      }
    }
  }
  return region;
}

}  // namespace

int FloodFill(CDib& image, int x, int y, Pixel colour, const DrawSettings& settings,
              bool useGradient) {
  if (!image.IsLive() || !image.IsWritable(x, y)) return 0;
  const Pixel p = image.GetPixel(x, y);
  const bool visible = !IsTransparent(p);
  const bool gradient = useGradient && settings.UsesGradient() && !IsTransparent(colour);
  if (!IsTransparent(colour) && !gradient && visible && ((colour ^ p) & 0x00FFFFFF) == 0) return 0;
  if (!visible && IsTransparent(colour)) return 0;

  const Region region = FindRegion(image, x, y);
  const int w = region.width;
  if (!gradient) {
    for (int py = 0; py < region.height; ++py) {
      Pixel* row = image.Row(py);
      const std::uint8_t* member = region.member.data() + static_cast<std::size_t>(py) * w;
      for (int px = 0; px < w; ++px) {
        if (!member[px]) continue;
        const Pixel q = row[px];
        row[px] = IsTransparent(colour) || !visible
                      ? colour
                      : (AlphaOver(q | 0xFF000000, colour) & 0x00FFFFFF) | (q & 0xFF000000);
      }
    }
    return region.count;
  }

  CoverageMask mask;
  if (!mask.Create(w, region.height)) return 0;
  const Pixel c = AlphaOf(colour);
  const Pixel marker = c << 24 | c << 16 | c;
  for (int py = 0; py < region.height; ++py) {
    const Pixel* row = image.Row(py);
    const std::uint8_t* member = region.member.data() + static_cast<std::size_t>(py) * w;
    for (int px = 0; px < w; ++px) {
      if (!member[px]) continue;
      const std::uint8_t s =
          visible ? static_cast<std::uint8_t>(BlueOf(AlphaOver(row[px] | 0xFF000000, marker)))
                  : static_cast<std::uint8_t>(c);
      mask.Set(px, py, s);
    }
  }
  PaintGradientThroughMask(mask, image, visible, 0, 0, settings);
  return region.count;
}

}  // namespace morvane
