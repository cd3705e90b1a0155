// The portable core of the export plug-in: turns a host's filter rectangle (interleaved samples,
// optional transparency plane and selection mask) into the hand-over image. It crops to what is
// visible or selected, makes the selection the picture's alpha, and never changes the host's
// buffers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace morvane::handover {

struct HostImage {
  std::uint32_t width = 0;   // filterRect right - left
  std::uint32_t height = 0;  // filterRect bottom - top
  int planes = 3;            // 3: red, green, blue; 4: and transparency
  // Interleaved samples, host rows top-down, rowBytes apart.
  std::span<const std::uint8_t> samples;
  std::size_t rowBytes = 0;
  // One byte per pixel, rows top-down, maskRowBytes apart; empty without a selection.
  std::span<const std::uint8_t> mask;
  std::size_t maskRowBytes = 0;
};

// Inclusive bounds of the picture, rows counted from the bottom of the rectangle.
struct CropBox {
  std::uint32_t r0 = 0, r1 = 0, c0 = 0, c1 = 0;
};

// The box the export crops to (see export_bridge.cpp); nothing when the buffers are too small
// for the sizes they claim.
std::optional<CropBox> ExportBox(const HostImage& host);
// The hand-over block of the export; nothing when the buffers do not fit their sizes or the
// picture is above the hand-over limit.
std::optional<std::vector<std::uint8_t>> ExportBlock(const HostImage& host);

}  // namespace morvane::handover
