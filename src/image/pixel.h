// Pixel values, rectangles and the one compositing rule shared by the whole program.
#pragma once

#include <cstdint>

namespace morvane {

// 0xAARRGGBB, not premultiplied. In memory (little-endian) the bytes are blue, green, red, alpha.
using Pixel = std::uint32_t;

// Marks a value that was never set: a clip rectangle without a clip, a document without hotspot.
inline constexpr std::int32_t kNotSet = -9999;

constexpr std::uint32_t AlphaOf(Pixel v) { return v >> 24; }
constexpr std::uint32_t RedOf(Pixel v) { return (v >> 16) & 0xFF; }
constexpr std::uint32_t GreenOf(Pixel v) { return (v >> 8) & 0xFF; }
constexpr std::uint32_t BlueOf(Pixel v) { return v & 0xFF; }
constexpr Pixel MakePixel(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}
constexpr bool IsTransparent(Pixel v) { return v <= 0x00FFFFFF; }
constexpr bool IsOpaque(Pixel v) { return v >= 0xFF000000; }

// Converts between 0xAARRGGBB and the platform's 0x00BBGGRR colour values, either way.
// The alpha byte of the result is 0.
constexpr Pixel SwapRedBlue(Pixel v) {
  return (v & 0x0000FF00) | ((v >> 16) & 0xFF) | ((v & 0xFF) << 16);
}

// Composites source s over destination d with straight (non-premultiplied) alpha.
constexpr Pixel AlphaOver(Pixel d, Pixel s) {
  const std::uint32_t as = AlphaOf(s);
  if (as == 255) return s;
  if (as == 0) return d;
  const std::uint32_t ad = AlphaOf(d);
  const std::uint32_t ao = ad + as - (ad * as) / 255;
  if (ao == 0) return d;
  auto mix = [&](std::uint32_t cd, std::uint32_t cs) {
    return ((cd * (255 - as) * ad) / 255 + cs * as) / ao;
  };
  return MakePixel(ao, mix(RedOf(d), RedOf(s)), mix(GreenOf(d), GreenOf(s)),
                   mix(BlueOf(d), BlueOf(s)));
}

// (left, top, right, bottom) with right and bottom exclusive. (-1, -1, -1, -1) passed to an
// operation that takes a rectangle means the whole image.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  static constexpr Rect Whole() { return {-1, -1, -1, -1}; }
  constexpr bool IsWhole() const {
    return left == -1 && top == -1 && right == -1 && bottom == -1;
  }
  constexpr std::int32_t Width() const { return right - left; }
  constexpr std::int32_t Height() const { return bottom - top; }
  constexpr bool Contains(std::int32_t x, std::int32_t y) const {
    return left <= x && x < right && top <= y && y < bottom;
  }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace morvane
