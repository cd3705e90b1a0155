#include "image/color_format.h"

#include <array>

namespace morvane {
namespace {

constexpr ColorFormat k32 = ColorFormat::kTrueColorAlpha;
constexpr ColorFormat k24 = ColorFormat::kTrueColor;
constexpr ColorFormat k8 = ColorFormat::k256Colors;
constexpr ColorFormat k4 = ColorFormat::k16Colors;

constexpr std::array<FrameFormatItem, 24> kAddImageItems{{
    {256, k32}, {128, k32}, {96, k32}, {64, k32}, {48, k32}, {32, k32}, {24, k32}, {16, k32},
    {256, k8},  {128, k8},  {96, k8},  {64, k8},  {48, k8},  {32, k8},  {24, k8},  {16, k8},
    {48, k4},   {32, k4},   {24, k4},  {16, k4},  {48, k24}, {32, k24}, {24, k24}, {16, k24},
}};

constexpr std::array<FrameFormatItem, 22> kCreateFromSelectedItems{{
    {128, k32}, {96, k32}, {64, k32}, {48, k32}, {32, k32}, {24, k32}, {16, k32}, {128, k8},
    {96, k8},   {64, k8},  {48, k8},  {32, k8},  {24, k8},  {16, k8},  {48, k4},  {32, k4},
    {24, k4},   {16, k4},  {48, k24}, {32, k24}, {24, k24}, {16, k24},
}};

constexpr std::array<int, 9> kSizeMenuItems{16, 24, 32, 48, 64, 72, 96, 128, 256};

}  // namespace

std::optional<ColorFormat> ColorFormatFromBits(int bits) {
  switch (bits) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
      return static_cast<ColorFormat>(bits);
    default:
      return std::nullopt;
  }
}

const char* ColorFormatName(ColorFormat format) {
  switch (format) {
    case ColorFormat::kMono:
      return "Mono";
    case ColorFormat::k16Colors:
      return "16 colors";
    case ColorFormat::k256Colors:
      return "256 colors";
    case ColorFormat::kTrueColor:
      return "True-color";
    case ColorFormat::kTrueColorAlpha:
      return "32 bits color";
  }
  return "";
}

std::span<const FrameFormatItem> AddImageItems() {
  return kAddImageItems;
}
std::span<const FrameFormatItem> CreateImageFromSelectedItems() {
  return kCreateFromSelectedItems;
}
std::span<const int> SizeMenuItems() {
  return kSizeMenuItems;
}

}  // namespace morvane
