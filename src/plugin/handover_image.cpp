#include "plugin/handover_image.h"

#include <new>

namespace morvane::handover {

void PutU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
void PutU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void PutU64(std::uint8_t* at, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint16_t GetU16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t GetU32(const std::uint8_t* at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | at[i];
  return v;
}
std::uint64_t GetU64(const std::uint8_t* at) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | at[i];
  return v;
}

std::optional<std::uint64_t> BlockSize(std::uint64_t width, std::uint64_t height) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  const std::uint64_t pixelBytes = 4 * width * height;  // at most 2^34: no overflow
  if (pixelBytes > kMaxPixelBytes) return std::nullopt;
  return kBitmapHeaderSize + pixelBytes + kBlockTail;
}

std::optional<std::vector<std::uint8_t>> MakeBlock(std::uint32_t width, std::uint32_t height) {
  const auto size = BlockSize(width, height);
  if (!size) return std::nullopt;
  std::vector<std::uint8_t> block;
  try {
    block.assign(static_cast<std::size_t>(*size), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  const std::uint64_t pixelBytes = *size - kBitmapHeaderSize - kBlockTail;
  std::fill(block.begin() + kBitmapHeaderSize,
            block.begin() + static_cast<std::ptrdiff_t>(kBitmapHeaderSize + pixelBytes), 0xFF);
  std::uint8_t* h = block.data();
  PutU32(h + 0, kBitmapHeaderSize);
  PutU32(h + 4, width);
  PutU32(h + 8, height);
  PutU16(h + 12, 1);
  PutU16(h + 14, 32);
  PutU32(h + 16, 0);
  PutU32(h + 20, static_cast<std::uint32_t>(pixelBytes));
  return block;
}

std::optional<std::vector<std::uint8_t>> BlockFromPicture(const Picture& picture) {
  if (picture.argb.size() != std::uint64_t{picture.width} * picture.height) return std::nullopt;
  auto block = MakeBlock(picture.width, picture.height);
  if (!block) return std::nullopt;
  std::uint8_t* pixels = block->data() + kBitmapHeaderSize;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    const std::uint32_t* row = picture.argb.data() + std::size_t{y} * picture.width;
    std::uint8_t* out = pixels + std::size_t{picture.height - 1 - y} * picture.width * 4;
    for (std::uint32_t x = 0; x < picture.width; ++x) PutU32(out + 4 * x, row[x]);
  }
  return block;
}

BlockError CheckBlock(std::span<const std::uint8_t> block) {
  if (block.size() < kBitmapHeaderSize) return BlockError::kTruncated;
  const std::uint8_t* h = block.data();
  const std::int32_t width = static_cast<std::int32_t>(GetU32(h + 4));
  const std::int32_t height = static_cast<std::int32_t>(GetU32(h + 8));
  if (GetU32(h) != kBitmapHeaderSize || GetU16(h + 12) != 1 || GetU16(h + 14) != 32 ||
      GetU32(h + 16) != 0 || width <= 0 || height <= 0)
    return BlockError::kMalformed;
  const auto size =
      BlockSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
  if (!size) return BlockError::kTooLarge;
  const std::uint64_t pixelBytes = *size - kBitmapHeaderSize - kBlockTail;
  if (GetU32(h + 20) != pixelBytes) return BlockError::kMalformed;
  // The tail is optional for a reader: a sender that leaves it out loses nothing.
  if (block.size() < kBitmapHeaderSize + pixelBytes) return BlockError::kTruncated;
  if (block.size() > *size) return BlockError::kMalformed;
  return BlockError::kNone;
}

ParsedBlock ParseBlock(std::span<const std::uint8_t> block) {
  ParsedBlock result;
  result.error = CheckBlock(block);
  if (result.error != BlockError::kNone) return result;
  Picture& p = result.picture;
  p.width = GetU32(block.data() + 4);
  p.height = GetU32(block.data() + 8);
  p.argb.resize(std::size_t{p.width} * p.height);
  const std::uint8_t* pixels = block.data() + kBitmapHeaderSize;
  for (std::uint32_t y = 0; y < p.height; ++y) {
    const std::uint8_t* in = pixels + std::size_t{p.height - 1 - y} * p.width * 4;
    std::uint32_t* out = p.argb.data() + std::size_t{y} * p.width;
    for (std::uint32_t x = 0; x < p.width; ++x) out[x] = GetU32(in + 4 * x);
  }
  return result;
}

}  // namespace morvane::handover
