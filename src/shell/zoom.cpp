#include "shell/zoom.h"

#include <algorithm>
#include <array>

namespace morvane {

int ClampZoomLevel(int level) {
  return std::clamp(level, kZoomMax, kZoomLastLevel);
}

int ZoomInLevel(double scale) {
  return std::min(static_cast<int>(scale + 1), kZoomLastLevel);
}

int ZoomOutLevel(double scale) {
  if (scale > 15) return 11;
  if (scale > 10) return 10;
  if (scale > 1) return static_cast<int>(scale - 1);
  return 1;
}

int WheelZoomLevel(int level, int delta) {
  return ClampZoomLevel(level + delta / 120);
}

double ZoomScale(int level, int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
  if (imageWidth <= 0 || imageHeight <= 0) return 1;
  level = ClampZoomLevel(level);
  if (level >= 1) {
    if (level == 11) return 15;
    if (level == 12) return 20;
    return level;
  }
  const int w = std::max(clientWidth - 1, 1);
  const int h = std::max(clientHeight - 1, 1);
  if (level == kZoomFit)
    return std::min(static_cast<double>(w) / imageWidth, static_cast<double>(h) / imageHeight);
  return std::max(std::min(w / imageWidth, h / imageHeight), 1);
}

std::string_view ZoomComboText(int entry) {
  static constexpr std::array<std::string_view, kZoomComboEntries> kTexts = {
      "Max zoom", "Fit to area", "1 x", "2 x", "3 x",  "4 x",  "5 x",
      "6 x",      "7 x",         "8 x", "9 x", "10 x", "15 x", "20 x "};
  if (entry < 0 || entry >= kZoomComboEntries) return {};
  return kTexts[static_cast<std::size_t>(entry)];
}

}  // namespace morvane
