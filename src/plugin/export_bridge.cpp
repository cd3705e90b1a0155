#include "plugin/export_bridge.h"

#include <algorithm>

#include "plugin/handover_image.h"

namespace morvane::handover {

namespace {

constexpr std::uint32_t kWidening = 5;

bool BuffersFit(const HostImage& host) {
  if (host.width == 0 || host.height == 0 || (host.planes != 3 && host.planes != 4)) return false;
  if (host.width > kMaxSide || host.height > kMaxSide) return false;
  const std::uint64_t rowNeed = std::uint64_t{host.width} * static_cast<std::uint64_t>(host.planes);
  if (host.rowBytes < rowNeed) return false;
  if (std::uint64_t{host.rowBytes} * (host.height - 1) + rowNeed > host.samples.size())
    return false;
  if (!host.mask.empty()) {
    if (host.maskRowBytes < host.width) return false;
    if (std::uint64_t{host.maskRowBytes} * (host.height - 1) + host.width > host.mask.size())
      return false;
  }
  return true;
}

// Sample of plane at host row y (top-down), column x.
std::uint8_t Sample(const HostImage& host, std::uint32_t y, std::uint32_t x, int plane) {
  return host.samples[std::size_t{y} * host.rowBytes + std::size_t{x} * host.planes +
                      static_cast<std::size_t>(plane)];
}

std::uint8_t MaskAt(const HostImage& host, std::uint32_t y, std::uint32_t x) {
  return host.mask[std::size_t{y} * host.maskRowBytes + x];
}

// Alpha of a pixel as the export sees it: with a transparency plane, the plane times the mask
// (the selection fades the layer); without one, the mask itself.
std::uint8_t EffectiveAlpha(const HostImage& host, std::uint32_t y, std::uint32_t x) {
  const bool hasMask = !host.mask.empty();
  if (host.planes >= 4) {
    const std::uint32_t alpha = Sample(host, y, x, 3);
    return static_cast<std::uint8_t>(hasMask ? MaskAt(host, y, x) * alpha / 255 : alpha);
  }
  return hasMask ? MaskAt(host, y, x) : 0xFF;
}

}  // namespace

std::optional<CropBox> ExportBox(const HostImage& host) {
  if (!BuffersFit(host)) return std::nullopt;
  const bool hasMask = !host.mask.empty();
  CropBox box;
  if (host.planes < 4 && !hasMask) {
    box = {0, host.height - 1, 0, host.width - 1};
  } else {
    // Smallest box of the pixels that keep any alpha; rows counted from the bottom.
    bool anyRow = false, anyColumn = false;
    std::uint32_t r0 = 0, r1 = 0, c0 = 0, c1 = 0;
    for (std::uint32_t r = 0; r < host.height; ++r) {
      const std::uint32_t y = host.height - 1 - r;
      for (std::uint32_t c = 0; c < host.width; ++c) {
        if (EffectiveAlpha(host, y, c) == 0) continue;
        if (!anyRow) r0 = r;
        r1 = r;
        anyRow = true;
        if (!anyColumn || c < c0) c0 = c;
        if (!anyColumn || c > c1) c1 = c;
        anyColumn = true;
      }
    }
    box = {r0, r1, c0, c1};
  }
  if (!hasMask) {
    box.c0 = box.c0 >= kWidening ? box.c0 - kWidening : 0;
    box.r0 = box.r0 >= kWidening ? box.r0 - kWidening : 0;
    box.c1 = std::min(box.c1 + kWidening, host.width - 1);
    box.r1 = std::min(box.r1 + kWidening, host.height - 1);
  }
  return box;
}

std::optional<std::vector<std::uint8_t>> ExportBlock(const HostImage& host) {
  const auto box = ExportBox(host);
  if (!box) return std::nullopt;
  const std::uint32_t w = box->c1 - box->c0 + 1;
  const std::uint32_t h = box->r1 - box->r0 + 1;
  auto block = MakeBlock(w, h);
  if (!block) return std::nullopt;
  const bool hasMask = !host.mask.empty();
  std::uint8_t* pixels = block->data() + kBitmapHeaderSize;
  for (std::uint32_t r = box->r0; r <= box->r1; ++r) {
    const std::uint32_t y = host.height - 1 - r;
    // Row 0 of the block is its bottom row, as the rows are counted here.
    std::uint8_t* out = pixels + std::size_t{r - box->r0} * w * 4;
    for (std::uint32_t c = box->c0; c <= box->c1; ++c, out += 4) {
      out[2] = Sample(host, y, c, 0);
      out[1] = Sample(host, y, c, 1);
      out[0] = Sample(host, y, c, 2);
      if (host.planes >= 4 || hasMask) out[3] = EffectiveAlpha(host, y, c);
    }
  }
  return block;
}

}  // namespace morvane::handover
