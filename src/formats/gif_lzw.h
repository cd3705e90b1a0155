// The variable-length-code LZW of GIF image data, both directions. The data travels in
// sub-blocks: a length byte (1..255) followed by that many bytes, ended by a zero-length block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/byte_reader.h"
#include "image/byte_sink.h"

namespace morvane {

// GIF's code space: codes are at most 12 bits wide.
inline constexpr int kGifMaxCodes = 4096;

// Compresses one index byte per pixel with minimum code size 8 (clear code 256, end code 257,
// initial width 9) and appends the code stream as sub-blocks of at most 254 bytes. The zero-length
// terminator is not written: it belongs to the image that owns the data.
void EncodeGifLzw(std::span<const std::uint8_t> indices, ByteSink& out);

// Receives decoded indices string by string. Returning false stops the decoder (the image is
// complete and whatever follows is of no interest).
class GifIndexSink {
 public:
  virtual bool Put(std::span<const std::uint8_t> indices) = 0;

 protected:
  ~GifIndexSink() = default;
};

// Why decoding stopped.
enum class GifLzwEnd {
  kEndCode,    // the end code was read
  kDataEnded,  // the zero-length block came before the end code
  kSinkFull,   // the sink asked to stop
  kBadCode,    // a code that names no table entry: the data is corrupt
  kTruncated,  // the input ended inside the data
};

class GifLzwDecoder {
 public:
  // minCodeSize must lie in [kMinCodeSize, kMaxCodeSize]; check with IsValidCodeSize first.
  static constexpr int kMinCodeSize = 2;
  static constexpr int kMaxCodeSize = 9;
  static bool IsValidCodeSize(int size) { return size >= kMinCodeSize && size <= kMaxCodeSize; }

  explicit GifLzwDecoder(int minCodeSize);

  // Decodes from in, positioned at the first sub-block's length byte.
  GifLzwEnd Run(ByteReader& in, GifIndexSink& sink);
  // Moves in past the zero-length block that ends the data, wherever decoding stopped.
  // False when the input ends first.
  bool SkipToTerminator(ByteReader& in);

 private:
  enum class Fetch { kCode, kDataEnded, kTruncated };
  Fetch NextCode(ByteReader& in, int& code);
  Fetch NextByte(ByteReader& in, std::uint8_t& byte);
  void ResetTable();

  int minCodeSize_;
  int clearCode_;
  int endCode_;
  int width_ = 0;
  int limit_ = 0;
  int freeCode_ = 0;

  std::uint32_t bits_ = 0;  // pending input bits, least significant first
  int bitCount_ = 0;
  int blockLeft_ = 0;  // data bytes left in the current sub-block
  bool blocksEnded_ = false;

  std::array<std::uint16_t, kGifMaxCodes> prefix_{};
  std::array<std::uint8_t, kGifMaxCodes> suffix_{};
  std::array<std::uint8_t, kGifMaxCodes + 1> stack_{};
};

// Skips sub-blocks up to and including the zero-length one. False when the input ends first.
bool SkipGifSubBlocks(ByteReader& in);

}  // namespace morvane
