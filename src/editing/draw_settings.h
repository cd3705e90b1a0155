// DrawSettings: the drawing modes every primitive reads (anti-aliasing, Transparent mode,
// channel locks, gradient fill). One record lives beside the edit canvas; primitives take it
// by reference instead of reading a global.
#pragma once

#include <algorithm>
#include <cstdint>

#include "image/dib.h"
#include "image/pixel.h"

namespace morvane {

inline constexpr std::uint32_t kLockAlpha = 0xFF000000;
inline constexpr std::uint32_t kLockRed = 0x00FF0000;
inline constexpr std::uint32_t kLockGreen = 0x0000FF00;
inline constexpr std::uint32_t kLockBlue = 0x000000FF;

struct DrawSettings {
  bool antiAlias = true;         // "Anti-aliasing"
  int antiAliasLevel = 8;        // "Anti-aliasing level", 1..16
  bool transparentMode = true;   // "Transparent mode"
  std::uint32_t lockMask = 0;    // "Locked channels"
  bool gradientFill = false;     // "Grad using"
  CDib gradientImage;            // 128 x 128 while gradient fill is on, else empty
  bool gradientAreaFill = true;  // "Area fill" (true) or "Image fill" (false)

  // The supersampling factor, or 1 without anti-aliasing. A factor of 1 would inset filled
  // ellipses by whole pixels and give polylines a pen of width 0, so anti-aliasing always
  // samples at least twice per pixel.
  int SampleFactor() const { return antiAlias ? std::clamp(antiAliasLevel, 2, 16) : 1; }
  bool UsesGradient() const { return gradientFill && gradientImage.IsLive(); }
};

}  // namespace morvane
