// The zoom rules of the edit area: levels -1 (max zoom), 0 (fit to area) and 1..12 (fixed
// factors 1..10, 15 and 20), the zoom in/out steps, the wheel, and the combo box texts.
#pragma once

#include <string_view>

namespace morvane {

inline constexpr int kZoomMax = -1;  // largest whole factor that fits
inline constexpr int kZoomFit = 0;   // fractional factor that fits
inline constexpr int kZoomLastLevel = 12;

// The level "Zoom in" selects from the current scale: trunc(scale + 1), at most 12.
int ZoomInLevel(double scale);
// The level "Zoom out" selects: 11 above a scale of 15, 10 above 10, trunc(scale - 1) above 1,
// else 1.
int ZoomOutLevel(double scale);
// The mouse wheel adds delta / 120 to the level, kept within -1..12.
int WheelZoomLevel(int level, int delta);
// A stored or requested level brought into -1..12.
int ClampZoomLevel(int level);

// Screen pixels per image pixel for a level, an image and a client area (both sides shrink by
// one for the frame line). Fixed levels give their factor; 0 and -1 the factor that fits, -1
// rounded down to a whole number (at least 1). 1 for an empty image.
double ZoomScale(int level, int clientWidth, int clientHeight, int imageWidth, int imageHeight);

// The zoom combo box: entry level + 1 of "Max zoom", "Fit to area", "1 x" ... "10 x", "15 x",
// "20 x " (with its trailing space).
inline constexpr int kZoomComboEntries = 14;
std::string_view ZoomComboText(int entry);

}  // namespace morvane
