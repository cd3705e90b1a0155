#include "editing/gradient.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace morvane {
namespace {

constexpr std::string_view kTypeNames[kGradientTypeCount] = {
    "Linear", "Cycle",  "Radial", "Triangle", "Square",   "Pentagon",
    "3-Star", "4-Star", "5-Star", "3-Flower", "4-Flower", "5-Flower"};

constexpr double kDegrees = std::numbers::pi / 180;

int WrapAngle(int a) {
  if (a >= -180 && a <= 180) return a;
  return static_cast<int>(((static_cast<long long>(a) + 180) % 360 + 360) % 360) - 180;
}

std::uint32_t MixChannel(std::uint32_t l, std::uint32_t u, double t) {
  const double v = (1 - t) * l + t * u + 0.5;
  if (!(v > 0)) return 0;
  return v >= 255 ? 255 : static_cast<std::uint32_t>(v);
}

Pixel Mix(Pixel upper, Pixel lower, double t) {
  return MakePixel(
      MixChannel(AlphaOf(lower), AlphaOf(upper), t), MixChannel(RedOf(lower), RedOf(upper), t),
      MixChannel(GreenOf(lower), GreenOf(upper), t), MixChannel(BlueOf(lower), BlueOf(upper), t));
}

double LinearValue(int angle, int x, int y) {
  const int a = angle < 0 ? angle + 180 : angle;
  const double m = angle >= 0 ? 1 : 0;
  const double t = 1 - m;
  const double u = (a % 90) / 90.0;
  const double l = m * (1 - u) + t * u;
  const double b = t * (1 - u) + m * u;
  double tl, tr, bl, br;
  if (a < 90) {
    tl = m, tr = l, bl = b, br = t;
  } else if (a < 180) {
    tl = l, tr = t, bl = m, br = b;
  } else {
    tl = t, tr = t, bl = m, br = l;
  }
  const double X = x / 127.0;
  const double Y = y / 127.0;
  return (1 - X) * ((1 - Y) * tl + Y * bl) + X * ((1 - Y) * tr + Y * br);
}

int ToIndex(double v) {
  if (!(v > 0)) return 0;
  if (v >= 1) return 255;
  return static_cast<int>(v * 255);
}

}  // namespace

std::string_view GradientTypeName(int type) {
  return type >= 0 && type < kGradientTypeCount ? kTypeNames[type] : std::string_view{};
}

std::vector<GradientStop> DefaultGradientStops() {
  return {{0xFFFFFFFF, 0}, {0xFF0000FF, 0.5}, {0x000000FF, 1}};
}

bool ValidGradientStops(const std::vector<GradientStop>& stops) {
  if (stops.size() < 2) return false;
  double previous = 0;
  for (const GradientStop& s : stops) {
    if (!std::isfinite(s.position) || s.position < 0 || s.position > 1) return false;
    if (s.position < previous) return false;
    previous = s.position;
  }
  return true;
}

void GradientSettings::Normalize() {
  if (type < 0 || type >= kGradientTypeCount) type = 0;
  areaFill = areaFill == 1 ? 1 : 0;
  angle = WrapAngle(angle);
  rotation = WrapAngle(rotation);
  xOffset = std::clamp(xOffset, -1000, 1000);
  yOffset = std::clamp(yOffset, -1000, 1000);
  if (!ValidGradientStops(stops)) stops = DefaultGradientStops();
}

std::vector<GradientStop> StopsFromBytes(const std::vector<std::uint8_t>& colours,
                                         const std::vector<std::uint8_t>& positions) {
  const std::size_t n = std::min(colours.size() / 4, positions.size() / 8);
  std::vector<GradientStop> stops(std::min<std::size_t>(n, 256));
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const std::uint8_t* c = colours.data() + i * 4;
    stops[i].colour = static_cast<Pixel>(c[0]) | static_cast<Pixel>(c[1]) << 8 |
                      static_cast<Pixel>(c[2]) << 16 | static_cast<Pixel>(c[3]) << 24;
    std::uint64_t bits = 0;
    for (int b = 7; b >= 0; --b) bits = bits << 8 | positions[i * 8 + static_cast<std::size_t>(b)];
    std::memcpy(&stops[i].position, &bits, sizeof bits);
  }
  if (n > 256 || !ValidGradientStops(stops)) return DefaultGradientStops();
  return stops;
}

void StopsToBytes(const std::vector<GradientStop>& stops, std::vector<std::uint8_t>& colours,
                  std::vector<std::uint8_t>& positions) {
  colours.clear();
  positions.clear();
  for (const GradientStop& s : stops) {
    for (int b = 0; b < 4; ++b) colours.push_back(static_cast<std::uint8_t>(s.colour >> (8 * b)));
    std::uint64_t bits;
    std::memcpy(&bits, &s.position, sizeof bits);
    for (int b = 0; b < 8; ++b) positions.push_back(static_cast<std::uint8_t>(bits >> (8 * b)));
  }
}

GradientPalette BuildGradientPalette(const std::vector<GradientStop>& given) {
  const std::vector<GradientStop> stops =
      ValidGradientStops(given) ? given : DefaultGradientStops();
  const int n = static_cast<int>(stops.size());
  GradientPalette palette{};
  int j = stops[0].position == 0 ? 0 : -1;
  for (int k = 0; k < 256; ++k) {
    const double v = k / 255.0;
    if (j < n - 1 && v > stops[static_cast<std::size_t>(j + 1)].position) ++j;
    const GradientStop& lower = stops[static_cast<std::size_t>(std::max(j, 0))];
    const GradientStop& upper = stops[static_cast<std::size_t>(std::min(j + 1, n - 1))];
    const double a = j < 0 ? 0 : lower.position;
    const double b = j >= n - 1 ? 1 : upper.position;
    // Two stops at one position make an empty segment: take its upper colour.
    const double t = b > a ? std::clamp((v - a) / (b - a), 0.0, 1.0) : 1.0;
    palette[static_cast<std::size_t>(k)] = Mix(upper.colour, lower.colour, t);
  }
  return palette;
}

int GradientIndex(const GradientSettings& s, int x, int y) {
  if (s.type <= 0 || s.type >= kGradientTypeCount)
    return ToIndex(LinearValue(WrapAngle(s.angle), x, y));
  const int cx = 64 + 3 * std::clamp(s.xOffset, -1000, 1000) / 2;
  const int cy = 64 + 3 * std::clamp(s.yOffset, -1000, 1000) / 2;
  const double dx = cx - x;
  const double dy = cy - y;
  const double r = std::sqrt(dx * dx + dy * dy);
  double phi;
  if (dx == 0) {
    phi = dy < 0 ? 90 : dy > 0 ? 270 : (s.type == 2 ? 359 : 0);
  } else {
    phi = std::atan2(dy, dx) / kDegrees + 180;
  }
  phi += WrapAngle(s.rotation);
  const bool star = s.type >= 6 && s.type <= 8;
  if (phi < 0) phi += 360;
  if (star ? phi > 359 : phi > 360) phi -= 360;

  switch (s.type) {
    case 1:
      return ToIndex(r / (63 * std::numbers::sqrt2));
    case 2:
      return std::clamp(static_cast<int>(phi * 0.7083333333333334), 0, 255);
    case 3:
    case 4:
    case 5: {
      const int k = s.type;
      const double big = ((0.5 - 0.5 * std::fabs(std::sin(phi * k * std::numbers::pi / 360))) *
                              ((5 - k) * 0.3 + 0.35) +
                          1) *
                         63;
      return ToIndex(r / big);
    }
    case 6:
    case 7:
    case 8: {
      static constexpr double kTurns[3] = {1.5, 2, 2.5};
      static constexpr double kDepth[3] = {88.9, 76.2, 63.5};
      const int i = s.type - 6;
      const double big =
          127 - std::sqrt(std::sqrt(std::fabs(std::sin(kTurns[i] * phi * kDegrees)))) * kDepth[i];
      return ToIndex(r / big);
    }
    default: {
      const int k = s.type - 6;  // 3, 4, 5 petals for types 9, 10, 11
      const double big = (std::sin(k * phi * kDegrees) + 1) * 0.5 * 31.5 + 63;
      return ToIndex(r / big);
    }
  }
}

void RenderGradient(const GradientSettings& settings, CDib& out) {
  if (!out.Create(kGradientSize, kGradientSize)) return;
  const GradientPalette palette = BuildGradientPalette(settings.stops);
  for (int y = 0; y < kGradientSize; ++y) {
    Pixel* row = out.Row(y);
    for (int x = 0; x < kGradientSize; ++x) {
      row[x] = palette[static_cast<std::size_t>(GradientIndex(settings, x, y))];
    }
  }
}

}  // namespace morvane
