#include "plugin/handover_protocol.h"

#include <algorithm>
#include <cstring>

namespace morvane::handover {

namespace {
constexpr char kMagic[4] = {'M', 'V', 'E', 'X'};
constexpr char kAckMagic[4] = {'M', 'V', 'A', 'K'};
}  // namespace

std::string_view AckCodeText(AckCode code) {
  switch (code) {
    case AckCode::kAccepted:
      return "accepted";
    case AckCode::kMalformed:
      return "the editor refused a malformed picture";
    case AckCode::kTooLarge:
      return "the picture is larger than the editor takes";
    case AckCode::kTruncated:
      return "the picture arrived incomplete";
    case AckCode::kRefused:
      return "the editor cannot take a picture now";
  }
  return "unknown answer";
}

std::vector<std::uint8_t> EncodeMessage(std::span<const std::uint8_t> block) {
  std::vector<std::uint8_t> message(kFrameHeaderSize + block.size());
  std::memcpy(message.data(), kMagic, 4);
  PutU32(message.data() + 4, kVersion);
  PutU32(message.data() + 8, kFirstParameter);
  PutU32(message.data() + 12, 0);
  PutU64(message.data() + 16, block.size());
  std::copy(block.begin(), block.end(), message.begin() + kFrameHeaderSize);
  return message;
}

std::vector<std::uint8_t> EncodeAck(AckCode code) {
  std::vector<std::uint8_t> ack(kAckSize);
  std::memcpy(ack.data(), kAckMagic, 4);
  PutU32(ack.data() + 4, static_cast<std::uint32_t>(code));
  return ack;
}

AckCode DecodeAck(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kAckSize || std::memcmp(bytes.data(), kAckMagic, 4) != 0)
    return AckCode::kMalformed;
  const std::uint32_t code = GetU32(bytes.data() + 4);
  if (code > static_cast<std::uint32_t>(AckCode::kRefused)) return AckCode::kMalformed;
  return static_cast<AckCode>(code);
}

MessageReader::State MessageReader::Fail(AckCode code) {
  state_ = State::kFailed;
  error_ = code;
  buffer_.clear();
  buffer_.shrink_to_fit();
  return state_;
}

MessageReader::State MessageReader::CheckFrameHeader() {
  const std::uint8_t* h = buffer_.data();
  if (std::memcmp(h, kMagic, 4) != 0 || GetU32(h + 4) != kVersion) return Fail(AckCode::kMalformed);
  const std::uint64_t blockLength = GetU64(h + 16);
  // The largest block there can be; the block's own header is checked against it later.
  if (blockLength > kBitmapHeaderSize + kMaxPixelBytes + kBlockTail)
    return Fail(AckCode::kTooLarge);
  if (blockLength < kBitmapHeaderSize) return Fail(AckCode::kMalformed);
  expected_ = kFrameHeaderSize + blockLength;
  return state_;
}

MessageReader::State MessageReader::Feed(std::span<const std::uint8_t> bytes) {
  if (state_ != State::kNeedMore) {
    // Bytes after a complete message are not part of the protocol.
    if (state_ == State::kComplete && !bytes.empty()) return Fail(AckCode::kMalformed);
    return state_;
  }
  while (!bytes.empty()) {
    std::size_t want;
    if (expected_ == 0) {
      want = kFrameHeaderSize - buffer_.size();
    } else {
      want = static_cast<std::size_t>(expected_ - buffer_.size());
    }
    const std::size_t take = std::min(want, bytes.size());
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (expected_ == 0 && buffer_.size() == kFrameHeaderSize) {
      if (CheckFrameHeader() == State::kFailed) return state_;
    }
    if (expected_ != 0 && buffer_.size() == expected_) {
      if (!bytes.empty()) return Fail(AckCode::kMalformed);
      ParsedBlock parsed =
          ParseBlock(std::span<const std::uint8_t>(buffer_).subspan(kFrameHeaderSize));
      switch (parsed.error) {
        case BlockError::kNone:
          break;
        case BlockError::kTooLarge:
          return Fail(AckCode::kTooLarge);
        case BlockError::kTruncated:
          return Fail(AckCode::kTruncated);
        case BlockError::kMalformed:
          return Fail(AckCode::kMalformed);
      }
      picture_ = std::move(parsed.picture);
      buffer_.clear();
      buffer_.shrink_to_fit();
      state_ = State::kComplete;
      return state_;
    }
  }
  return state_;
}

MessageReader::State MessageReader::Finish() {
  if (state_ == State::kNeedMore) return Fail(AckCode::kTruncated);
  return state_;
}

}  // namespace morvane::handover
