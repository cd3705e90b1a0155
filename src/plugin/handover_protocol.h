// The hand-over message that a sender writes to a running editor, and the acknowledgement the
// editor answers with. A message is a 24-byte frame header followed by one hand-over image
// block (handover_image.h):
//
//   0  4  "MVEX"
//   4  4  protocol version 1
//   8  4  first parameter (666), 12 4 second parameter (0): the values the export always sent
//   16 8  length of the block that follows, 64 bits
//
// The acknowledgement is "MVAK" and a 32-bit code. A sender that gets no acknowledgement treats
// the hand-over as failed: the picture may not have arrived.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "plugin/handover_image.h"

namespace morvane::handover {

inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::uint32_t kFirstParameter = 666;
inline constexpr std::size_t kFrameHeaderSize = 24;
inline constexpr std::size_t kAckSize = 8;
// The name the editor listens under, one socket per user.
inline constexpr std::string_view kServerName = "Morvane.export";

enum class AckCode : std::uint32_t {
  kAccepted = 0,
  kMalformed = 1,
  kTooLarge = 2,
  kTruncated = 3,
  kRefused = 4,  // the editor cannot take a picture now
};

std::string_view AckCodeText(AckCode code);

// The whole message for a block.
std::vector<std::uint8_t> EncodeMessage(std::span<const std::uint8_t> block);
std::vector<std::uint8_t> EncodeAck(AckCode code);
// The code of an 8-byte acknowledgement; kMalformed for anything else.
AckCode DecodeAck(std::span<const std::uint8_t> bytes);

// Collects a message as it arrives. The frame header is checked as soon as it is complete, so a
// hostile length is refused before anything is buffered for it.
class MessageReader {
 public:
  enum class State { kNeedMore, kComplete, kFailed };

  State Feed(std::span<const std::uint8_t> bytes);
  // The sender closed its side: a message still incomplete is truncated.
  State Finish();

  State state() const { return state_; }
  AckCode error() const { return error_; }
  // The parsed picture once the state is kComplete.
  const Picture& picture() const { return picture_; }
  Picture TakePicture() { return std::move(picture_); }

 private:
  State Fail(AckCode code);
  State CheckFrameHeader();

  State state_ = State::kNeedMore;
  AckCode error_ = AckCode::kAccepted;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t expected_ = 0;  // bytes of the whole message, once the header is read
  Picture picture_;
};

}  // namespace morvane::handover
