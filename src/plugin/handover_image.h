// The hand-over image: one block of a 40-byte bitmap header, 32-bit pixels (blue, green, red,
// alpha; the bottom row first) and a 4-byte zero tail. Senders build it, the editor reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace morvane::handover {

inline constexpr std::uint32_t kBitmapHeaderSize = 40;
inline constexpr std::uint32_t kBlockTail = 4;
// The largest picture handed over: the editor creates no image above 1 GiB of pixels, and no
// side above this.
inline constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{1} << 30;
inline constexpr std::uint32_t kMaxSide = 65535;

// Bytes of a block for width x height, computed in 64 bits; nothing above the picture limit.
std::optional<std::uint64_t> BlockSize(std::uint64_t width, std::uint64_t height);

// A picture with rows top-down and pixels 0xAARRGGBB, not premultiplied.
struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> argb;
};

enum class BlockError { kNone, kMalformed, kTooLarge, kTruncated };

struct ParsedBlock {
  BlockError error = BlockError::kNone;
  Picture picture;
};

// Makes a block with the pixel area filled with 0xFF bytes and the header written; nothing when
// the size is refused or the memory cannot be had.
std::optional<std::vector<std::uint8_t>> MakeBlock(std::uint32_t width, std::uint32_t height);
// The block of a top-down ARGB picture.
std::optional<std::vector<std::uint8_t>> BlockFromPicture(const Picture& picture);
// Checks every header field of a block and its length against the size it announces, without
// reading the pixels.
BlockError CheckBlock(std::span<const std::uint8_t> block);
// Reads a block after CheckBlock's checks.
ParsedBlock ParseBlock(std::span<const std::uint8_t> block);

// Little-endian stores and loads shared by the protocol's writers and readers.
void PutU16(std::uint8_t* at, std::uint16_t value);
void PutU32(std::uint8_t* at, std::uint32_t value);
void PutU64(std::uint8_t* at, std::uint64_t value);
std::uint16_t GetU16(const std::uint8_t* at);
std::uint32_t GetU32(const std::uint8_t* at);
std::uint64_t GetU64(const std::uint8_t* at);

}  // namespace morvane::handover
