// One reader over a byte span for every binary format. Reads are little-endian and fail on short
// input (they never pad with zeros); every slice is checked with overflow-safe arithmetic, so a
// hostile offset or length can never lead outside the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace morvane {

using Bytes = std::span<const std::uint8_t>;

// True when [offset, offset + length) lies inside a buffer of `size` bytes, without overflow.
constexpr bool RangeFits(std::size_t size, std::uint64_t offset, std::uint64_t length) {
  return offset <= size && length <= size - offset;
}

// The sub-span [offset, offset + length), or nothing when it does not fit.
inline std::optional<Bytes> SliceOf(Bytes data, std::uint64_t offset, std::uint64_t length) {
  if (!RangeFits(data.size(), offset, length)) return std::nullopt;
  return data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

// Little-endian loads at a checked offset; nothing when the value does not fit.
inline std::optional<std::uint16_t> LoadU16(Bytes d, std::uint64_t at) {
  if (!RangeFits(d.size(), at, 2)) return std::nullopt;
  return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}
inline std::optional<std::uint32_t> LoadU32(Bytes d, std::uint64_t at) {
  if (!RangeFits(d.size(), at, 4)) return std::nullopt;
  return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
         static_cast<std::uint32_t>(d[at + 2]) << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

// Sequential reading. After the first failed read the reader stays failed and every further read
// returns 0, so a parser can read a whole header and check ok() once.
class ByteReader {
 public:
  explicit ByteReader(Bytes data, std::size_t offset = 0) : data_(data), pos_(offset) {
    if (offset > data.size()) failed_ = true;
  }

  bool ok() const { return !failed_; }
  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return failed_ ? 0 : data_.size() - pos_; }
  Bytes Data() const { return data_; }

  std::uint8_t U8() { return Need(1) ? data_[pos_++] : 0; }
  std::uint16_t U16() {
    if (!Need(2)) return 0;
    const auto v = static_cast<std::uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  std::uint32_t U32() {
    if (!Need(4)) return 0;
    const std::uint32_t v = *LoadU32(data_, pos_);
    pos_ += 4;
    return v;
  }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

  // The next `length` bytes as a span, or an empty span (and failure) when they are not there.
  Bytes Take(std::uint64_t length) {
    if (!Need(length)) return {};
    Bytes out = data_.subspan(pos_, static_cast<std::size_t>(length));
    pos_ += static_cast<std::size_t>(length);
    return out;
  }
  bool Skip(std::uint64_t length) { return Need(length) && (pos_ += length, true); }
  bool Seek(std::uint64_t offset) {
    if (failed_ || offset > data_.size()) return Fail();
    pos_ = static_cast<std::size_t>(offset);
    return true;
  }
  // True when the next bytes equal `tag` (consumed on success).
  bool Expect(std::string_view tag) {
    if (!Need(tag.size())) return false;
    for (std::size_t i = 0; i < tag.size(); ++i) {
      if (data_[pos_ + i] != static_cast<std::uint8_t>(tag[i])) return false;
    }
    pos_ += tag.size();
    return true;
  }

 private:
  bool Need(std::uint64_t length) {
    if (failed_ || !RangeFits(data_.size(), pos_, length)) return Fail();
    return true;
  }
  bool Fail() {
    failed_ = true;
    return false;
  }

  Bytes data_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace morvane
