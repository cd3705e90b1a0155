// The gradient model: colour stops, the 256-entry palette built from them and the 128 x 128
// gradient image of every type, which painting stretches instead of evaluating per pixel.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "image/dib.h"
#include "image/pixel.h"

namespace morvane {

inline constexpr int kGradientTypeCount = 12;
inline constexpr int kGradientSize = 128;

// Type names in table order ("Linear", "Cycle", ...).
std::string_view GradientTypeName(int type);

struct GradientStop {
  Pixel colour = 0;
  double position = 0;
  friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

// White at 0, opaque blue at 0.5, transparent blue at 1.
std::vector<GradientStop> DefaultGradientStops();

// The gradient values of the Fill panel ("Fill properties dialog").
struct GradientSettings {
  int type = 0;      // "Type", 0..11
  int areaFill = 0;  // "Area fill": 0 area fill, 1 image fill
  int angle = 0;     // "Angle", -180..180
  int xOffset = 0;   // "X offset"
  int yOffset = 0;   // "Y offset"
  int rotation = 0;  // the non-linear types' rotation; set in the panel only, not persisted
  std::vector<GradientStop> stops = DefaultGradientStops();

  // Brings values read from a file into range: a type out of range becomes 0, the angle wraps
  // to -180..180, offsets are limited to -1000..1000, and stops that are not usable fall back to
  // the default stops.
  void Normalize();
};

// True when stops can drive a palette: at least two, finite positions in 0..1, non-decreasing.
bool ValidGradientStops(const std::vector<GradientStop>& stops);

// Stops from the stored "Colors" (4 bytes each) and "Colors pos" (8-byte doubles) blocks:
// n = min(colour bytes / 4, position bytes / 8) stops; the default stops when they are not valid.
std::vector<GradientStop> StopsFromBytes(const std::vector<std::uint8_t>& colours,
                                         const std::vector<std::uint8_t>& positions);
void StopsToBytes(const std::vector<GradientStop>& stops, std::vector<std::uint8_t>& colours,
                  std::vector<std::uint8_t>& positions);

using GradientPalette = std::array<Pixel, 256>;
// Requires valid stops; invalid ones are replaced by the default stops.
GradientPalette BuildGradientPalette(const std::vector<GradientStop>& stops);

// The palette index 0..255 of pixel (x, y) of the 128 x 128 gradient.
int GradientIndex(const GradientSettings& settings, int x, int y);
// Renders the 128 x 128 gradient image.
void RenderGradient(const GradientSettings& settings, CDib& out);

}  // namespace morvane
