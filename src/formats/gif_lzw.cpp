#include "formats/gif_lzw.h"

#include <algorithm>
#include <vector>

namespace morvane {

namespace {

// The compressor: a 5,003-slot open-addressing hash of (prefix code, byte) pairs, codes growing
// from 9 to 12 bits, and a clear code once all 4,096 codes are taken.
class LzwEncoder {
 public:
  explicit LzwEncoder(ByteSink& out) : out_(out), keys_(kHashSize, -1), codes_(kHashSize, 0) {}

  void Run(std::span<const std::uint8_t> indices) {
    Output(kClearCode);
    if (indices.empty()) {
      Output(kEndCode);
      return;
    }
    int prefix = indices[0];
    for (std::size_t n = 1; n < indices.size(); ++n) {
      const int byte = indices[n];
      const std::int32_t key = (byte << kMaxBits) + prefix;
      int slot = (byte << kHashShift) ^ prefix;
      if (Find(key, slot)) {
        prefix = codes_[slot];
        continue;
      }
      Output(prefix);
      prefix = byte;
      if (freeCode_ < kGifMaxCodes) {
        codes_[slot] = static_cast<std::uint16_t>(freeCode_++);
        keys_[slot] = key;
      } else {
        ClearTable();
      }
    }
    Output(prefix);
    Output(kEndCode);
  }

 private:
  static constexpr int kHashSize = 5003;
  // 8 minus the number of doublings of kHashSize that reach 65,536.
  static constexpr int kHashShift = 4;
  static constexpr int kMaxBits = 12;
  static constexpr int kInitBits = 9;
  static constexpr int kClearCode = 256;
  static constexpr int kEndCode = 257;
  static constexpr int kBlockBytes = 254;

  // Looks key up from slot, stepping back on collisions. Leaves slot at the match, or at the
  // empty slot where the key belongs.
  bool Find(std::int32_t key, int& slot) const {
    if (keys_[slot] == key) return true;
    if (keys_[slot] < 0) return false;
    const int step = slot == 0 ? 1 : kHashSize - slot;
    for (;;) {
      slot -= step;
      if (slot < 0) slot += kHashSize;
      if (keys_[slot] == key) return true;
      if (keys_[slot] < 0) return false;
    }
  }

  void ClearTable() {
    std::fill(keys_.begin(), keys_.end(), -1);
    freeCode_ = kClearCode + 2;
    clearPending_ = true;
    Output(kClearCode);
  }

  void Output(int code) {
    accumulator_ |= static_cast<std::uint32_t>(code) << pendingBits_;
    pendingBits_ += width_;
    while (pendingBits_ >= 8) {
      Byte(static_cast<std::uint8_t>(accumulator_));
      accumulator_ >>= 8;
      pendingBits_ -= 8;
    }
    // The width changes only after a code has gone out, so the decoder sees the same switch.
    if (clearPending_) {
      width_ = kInitBits;
      limit_ = (1 << width_) - 1;
      clearPending_ = false;
    } else if (freeCode_ > limit_) {
      ++width_;
      limit_ = width_ == kMaxBits ? kGifMaxCodes : (1 << width_) - 1;
    }
    if (code == kEndCode) {
      while (pendingBits_ > 0) {
        Byte(static_cast<std::uint8_t>(accumulator_));
        accumulator_ >>= 8;
        pendingBits_ -= 8;
      }
      FlushBlock();
    }
  }

  void Byte(std::uint8_t b) {
    block_[blockFill_++] = b;
    if (blockFill_ >= kBlockBytes) FlushBlock();
  }

  void FlushBlock() {
    if (blockFill_ == 0) return;
    out_.U8(static_cast<std::uint8_t>(blockFill_));
    out_.Bytes(std::span<const std::uint8_t>(block_.data(), static_cast<std::size_t>(blockFill_)));
    blockFill_ = 0;
  }

  ByteSink& out_;
  std::vector<std::int32_t> keys_;  // (byte << 12) + prefix, or -1 for an empty slot
  std::vector<std::uint16_t> codes_;
  int freeCode_ = kClearCode + 2;
  int width_ = kInitBits;
  int limit_ = (1 << kInitBits) - 1;
  bool clearPending_ = false;
  std::uint32_t accumulator_ = 0;
  int pendingBits_ = 0;
  std::array<std::uint8_t, 255> block_{};
  int blockFill_ = 0;
};

}  // namespace

void EncodeGifLzw(std::span<const std::uint8_t> indices, ByteSink& out) {
  LzwEncoder(out).Run(indices);
}

GifLzwDecoder::GifLzwDecoder(int minCodeSize)
    : minCodeSize_(std::clamp(minCodeSize, kMinCodeSize, kMaxCodeSize)),
      clearCode_(1 << minCodeSize_),
      endCode_(clearCode_ + 1) {
  for (int i = 0; i < clearCode_; ++i) suffix_[i] = static_cast<std::uint8_t>(i);
  ResetTable();
}

void GifLzwDecoder::ResetTable() {
  width_ = minCodeSize_ + 1;
  limit_ = 1 << width_;
  freeCode_ = clearCode_ + 2;
}

GifLzwDecoder::Fetch GifLzwDecoder::NextByte(ByteReader& in, std::uint8_t& byte) {
  while (blockLeft_ == 0) {
    if (blocksEnded_) return Fetch::kDataEnded;
    const std::uint8_t length = in.U8();
    if (!in.ok()) return Fetch::kTruncated;
    if (length == 0) {
      blocksEnded_ = true;
      return Fetch::kDataEnded;
    }
    blockLeft_ = length;
  }
  byte = in.U8();
  if (!in.ok()) return Fetch::kTruncated;
  --blockLeft_;
  return Fetch::kCode;
}

GifLzwDecoder::Fetch GifLzwDecoder::NextCode(ByteReader& in, int& code) {
  while (bitCount_ < width_) {
    std::uint8_t byte = 0;
    const Fetch f = NextByte(in, byte);
    if (f != Fetch::kCode) return f;
    bits_ |= static_cast<std::uint32_t>(byte) << bitCount_;
    bitCount_ += 8;
  }
  code = static_cast<int>(bits_ & ((1u << width_) - 1));
  bits_ >>= width_;
  bitCount_ -= width_;
  return Fetch::kCode;
}

GifLzwEnd GifLzwDecoder::Run(ByteReader& in, GifIndexSink& sink) {
  bool first = true;  // the next code follows a clear (or starts the data)
  int previous = 0;
  std::uint8_t firstByte = 0;
  for (;;) {
    int code = 0;
    const Fetch f = NextCode(in, code);
    if (f == Fetch::kDataEnded) return GifLzwEnd::kDataEnded;
    if (f == Fetch::kTruncated) return GifLzwEnd::kTruncated;
    if (code == clearCode_) {
      ResetTable();
      first = true;
      continue;
    }
    if (code == endCode_) return GifLzwEnd::kEndCode;
    if (first) {
      if (code >= freeCode_) code = 0;
      first = false;
      previous = code;
      firstByte = suffix_[code];
      if (!sink.Put(std::span<const std::uint8_t>(&firstByte, 1))) return GifLzwEnd::kSinkFull;
      continue;
    }
    if (code > freeCode_) return GifLzwEnd::kBadCode;

    const int incoming = code;
    std::size_t depth = 0;
    if (code == freeCode_) {  // the string being defined: previous string plus its first byte
      stack_[depth++] = firstByte;
      code = previous;
    }
    // Every entry's prefix is a smaller code, so the chain ends at a root within the table size.
    while (code >= clearCode_) {
      if (depth >= stack_.size() - 1) return GifLzwEnd::kBadCode;
      stack_[depth++] = suffix_[code];
      code = prefix_[code];
    }
    firstByte = suffix_[code];
    stack_[depth++] = firstByte;

    if (freeCode_ < kGifMaxCodes) {
      prefix_[freeCode_] = static_cast<std::uint16_t>(previous);
      suffix_[freeCode_] = firstByte;
      ++freeCode_;
      if (freeCode_ >= limit_ && width_ < 12) {
        ++width_;
        limit_ <<= 1;
      }
    }
    previous = incoming;
    std::reverse(stack_.begin(), stack_.begin() + static_cast<std::ptrdiff_t>(depth));
    if (!sink.Put(std::span<const std::uint8_t>(stack_.data(), depth))) {
      return GifLzwEnd::kSinkFull;
    }
  }
}

bool GifLzwDecoder::SkipToTerminator(ByteReader& in) {
  if (blocksEnded_) return true;
  if (!in.Skip(static_cast<std::uint64_t>(blockLeft_))) return false;
  blockLeft_ = 0;
  blocksEnded_ = true;
  return SkipGifSubBlocks(in);
}

bool SkipGifSubBlocks(ByteReader& in) {
  for (;;) {
    const std::uint8_t length = in.U8();
    if (!in.ok()) return false;
    if (length == 0) return true;
    if (!in.Skip(length)) return false;
  }
}

}  // namespace morvane
