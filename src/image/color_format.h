// ColorFormat: the colour format a frame is declared to be saved in, and the (size, format)
// tables of the commands that add images.
//
// The format is a promise about how the frame will be written, not a property of its pixels:
// every frame is edited as 32-bit ARGB and reduced when it is saved.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace morvane {

// The values are the bit counts stored in icon files.
enum class ColorFormat : std::int32_t {
  kMono = 1,
  k16Colors = 4,
  k256Colors = 8,
  kTrueColor = 24,
  kTrueColorAlpha = 32,
};

constexpr int BitsOf(ColorFormat format) {
  return static_cast<int>(format);
}

// The format with this bit count; nothing for any other value.
std::optional<ColorFormat> ColorFormatFromBits(int bits);

// The English user-interface name: "Mono", "16 colors", "256 colors", "True-color",
// "32 bits color" (language section "Main_colors"). Empty for a value outside the enumeration.
const char* ColorFormatName(ColorFormat format);

// One item of a menu that adds square images: its side length and format.
struct FrameFormatItem {
  int size;
  ColorFormat format;
};

// "Add image", in menu order: 256 .. 16 at formats 32 and 8, then 48 .. 16 at formats 4 and 24
// (24 items).
std::span<const FrameFormatItem> AddImageItems();
// "Create image from selected", in menu order: 128 .. 16 at formats 32 and 8, then 48 .. 16 at
// formats 4 and 24 (22 items).
std::span<const FrameFormatItem> CreateImageFromSelectedItems();
// Image > "Size": 16, 24, 32, 48, 64, 72, 96, 128, 256.
std::span<const int> SizeMenuItems();

}  // namespace morvane
