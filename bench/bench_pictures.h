// Pictures the benchmarks share, made the same way every run (fixed seeds).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "image/dib.h"

namespace morvane::bench {

// Opaque and photo-like: smooth gradients in every channel plus a little noise, the hardest case
// for colour reduction and PNG compression alike.
inline CDib PhotoLikePicture(int size, unsigned seed) {
  CDib dib;
  dib.Create(size, size);
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 6.0);
  const auto channel = [&](double smooth) {
    return static_cast<std::uint32_t>(std::clamp(smooth + noise(random), 0.0, 255.0));
  };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double red = 128 + 100 * std::sin(x / 40.0) * std::cos(y / 55.0);
      const double green = x * 0.6 + y * 0.3;
      const double blue = 255 - y * 0.8 + 30 * std::sin((x + y) / 23.0);
      dib.SetPixel(x, y, MakePixel(255, channel(red), channel(green), channel(blue)));
    }
  }
  return dib;
}

}  // namespace morvane::bench
