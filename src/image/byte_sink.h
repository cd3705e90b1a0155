// Little-endian writing into a growing byte buffer, shared by every binary writer (BMP, ICO,
// CUR, ANI, ICL, GIF). Writers reserve a placeholder, write what follows and patch the size in
// afterwards, so nothing needs to know a block's length in advance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace morvane {

class ByteSink {
 public:
  explicit ByteSink(std::vector<std::uint8_t>& out) : out_(out), start_(out.size()) {}

  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void Bytes(std::span<const std::uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  // Four-character codes and other fixed ASCII tags, written without a terminator.
  void Tag(std::string_view tag) { out_.insert(out_.end(), tag.begin(), tag.end()); }
  void Zeros(std::size_t count) { out_.insert(out_.end(), count, std::uint8_t{0}); }

  // Offset (into the whole buffer) of the next byte to be written.
  std::size_t Position() const { return out_.size(); }
  // Bytes written through this sink so far.
  std::size_t Written() const { return out_.size() - start_; }

  void PatchU16(std::size_t at, std::uint16_t v) {
    out_[at] = static_cast<std::uint8_t>(v);
    out_[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  void PatchU32(std::size_t at, std::uint32_t v) {
    PatchU16(at, static_cast<std::uint16_t>(v));
    PatchU16(at + 2, static_cast<std::uint16_t>(v >> 16));
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::size_t start_;
};

}  // namespace morvane
