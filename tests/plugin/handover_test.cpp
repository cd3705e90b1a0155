// The hand-over image block and the message around it: every field a receiver checks, and the
// hostile messages it must refuse before buffering them.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/handover_image.h"
#include "plugin/handover_protocol.h"

namespace morvane::handover {
namespace {

Picture TwoByOne() {
  // Top row only: a red pixel with alpha 0x80 and a blue opaque one.
  return Picture{2, 2, {0x80FF0000u, 0xFF0000FFu, 0x01020304u, 0x00000000u}};
}

TEST(HandoverBlock, LaysOutHeaderAndBottomUpBgraPixels) {
  const auto block = BlockFromPicture(TwoByOne());
  ASSERT_TRUE(block);
  ASSERT_EQ(block->size(), 40u + 16u + 4u);
  const std::uint8_t* b = block->data();
  EXPECT_EQ(GetU32(b), 40u);
  EXPECT_EQ(GetU32(b + 4), 2u);
  EXPECT_EQ(GetU32(b + 8), 2u);  // positive: bottom-up
  EXPECT_EQ(GetU16(b + 12), 1u);
  EXPECT_EQ(GetU16(b + 14), 32u);
  EXPECT_EQ(GetU32(b + 16), 0u);
  EXPECT_EQ(GetU32(b + 20), 16u);
  for (int i = 24; i < 40; ++i) EXPECT_EQ(b[i], 0) << i;
  // The bottom row (0x01020304, 0) comes first, as blue, green, red, alpha.
  const std::uint8_t expected[16] = {4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0xFF, 0x80, 0xFF, 0, 0, 0xFF};
  EXPECT_EQ(std::memcmp(b + 40, expected, 16), 0);
  EXPECT_EQ(GetU32(b + 56), 0u);

  const ParsedBlock parsed = ParseBlock(*block);
  ASSERT_EQ(parsed.error, BlockError::kNone);
  EXPECT_EQ(parsed.picture.argb, TwoByOne().argb);
}

TEST(HandoverBlock, RefusesEveryBadHeaderField) {
  const auto good = *BlockFromPicture(TwoByOne());
  struct Case {
    std::size_t offset;
    std::uint32_t value;
    BlockError error;
  };
  const Case cases[] = {
      {0, 41, BlockError::kMalformed}, {4, 0, BlockError::kMalformed},
      {8, 0, BlockError::kMalformed},  {8, 0xFFFFFFFEu, BlockError::kMalformed},
      {16, 1, BlockError::kMalformed}, {20, 15, BlockError::kMalformed},
      {4, 3, BlockError::kTruncated},  // claims more pixels than the block holds
  };
  for (const Case& c : cases) {
    auto bad = good;
    if (c.offset == 20) {
      PutU32(bad.data() + 20, c.value);
    } else {
      PutU32(bad.data() + c.offset, c.value);
      if (c.offset == 4 && c.value == 3) PutU32(bad.data() + 20, 24);
    }
    EXPECT_EQ(ParseBlock(bad).error, c.error) << c.offset << " " << c.value;
  }
  auto bpp = good;
  PutU16(bpp.data() + 14, 24);
  EXPECT_EQ(ParseBlock(bpp).error, BlockError::kMalformed);
  EXPECT_EQ(ParseBlock(std::span(good).first(30)).error, BlockError::kTruncated);
  EXPECT_EQ(ParseBlock(std::span(good).first(50)).error, BlockError::kTruncated);
  // Without its zero tail the block is still whole; with extra bytes it is not.
  EXPECT_EQ(ParseBlock(std::span(good).first(56)).error, BlockError::kNone);
  auto longer = good;
  longer.push_back(0);
  EXPECT_EQ(ParseBlock(longer).error, BlockError::kMalformed);
}

TEST(HandoverBlock, SizesAreComputedIn64BitsAndCappedAtThePictureLimit) {
  // 4 x 32768 x 32768 wraps to 0 in 32 bits; it is 4 GiB, four times the limit.
  EXPECT_FALSE(BlockSize(32768, 32768));
  EXPECT_FALSE(BlockSize(65536, 1));
  EXPECT_FALSE(BlockSize(0, 5));
  EXPECT_EQ(*BlockSize(16384, 16384), 40u + (std::uint64_t{1} << 30) + 4u);
  EXPECT_FALSE(BlockSize(16384, 16385));

  auto header = *MakeBlock(1, 1);
  PutU32(header.data() + 4, 32768);
  PutU32(header.data() + 8, 32768);
  PutU32(header.data() + 20, 0);  // what 4 x W x H gives in 32 bits
  EXPECT_EQ(ParseBlock(header).error, BlockError::kTooLarge);
}

std::vector<std::uint8_t> Message() {
  return EncodeMessage(*BlockFromPicture(TwoByOne()));
}

TEST(HandoverMessage, ArrivesWholeInAnyPieces) {
  const auto message = Message();
  ASSERT_EQ(message.size(), 24u + 60u);
  EXPECT_EQ(std::memcmp(message.data(), "MVEX", 4), 0);
  EXPECT_EQ(GetU32(message.data() + 8), 666u);
  EXPECT_EQ(GetU64(message.data() + 16), 60u);
  MessageReader reader;
  for (std::uint8_t byte : message) {
    ASSERT_EQ(reader.state(), MessageReader::State::kNeedMore);
    reader.Feed(std::span(&byte, 1));
  }
  ASSERT_EQ(reader.state(), MessageReader::State::kComplete);
  EXPECT_EQ(reader.picture().argb, TwoByOne().argb);
  EXPECT_EQ(reader.Finish(), MessageReader::State::kComplete);
}

TEST(HandoverMessage, RefusesHostileFramesEarly) {
  auto magic = Message();
  magic[0] = 'X';
  MessageReader a;
  EXPECT_EQ(a.Feed(std::span(magic).first(24)), MessageReader::State::kFailed);
  EXPECT_EQ(a.error(), AckCode::kMalformed);

  // A length of 2^63 is refused on the header alone, before any buffering.
  auto huge = Message();
  PutU64(huge.data() + 16, std::uint64_t{1} << 63);
  MessageReader b;
  EXPECT_EQ(b.Feed(std::span(huge).first(24)), MessageReader::State::kFailed);
  EXPECT_EQ(b.error(), AckCode::kTooLarge);

  MessageReader c;
  const auto partial = Message();
  c.Feed(std::span(partial).first(50));
  EXPECT_EQ(c.Finish(), MessageReader::State::kFailed);
  EXPECT_EQ(c.error(), AckCode::kTruncated);

  auto extra = Message();
  extra.push_back(7);
  MessageReader d;
  EXPECT_EQ(d.Feed(extra), MessageReader::State::kFailed);
  EXPECT_EQ(d.error(), AckCode::kMalformed);

  // A frame whose length disagrees with the block's own header.
  auto shorter = Message();
  PutU64(shorter.data() + 16, 56);
  shorter.resize(24 + 56);
  PutU32(shorter.data() + 24 + 20, 12);
  MessageReader e;
  EXPECT_EQ(e.Feed(shorter), MessageReader::State::kFailed);
}

TEST(HandoverMessage, AcknowledgementRoundTripsAndRefusesNoise) {
  for (AckCode code : {AckCode::kAccepted, AckCode::kTooLarge, AckCode::kRefused})
    EXPECT_EQ(DecodeAck(EncodeAck(code)), code);
  auto noise = EncodeAck(AckCode::kAccepted);
  noise[0] = 'm';
  EXPECT_EQ(DecodeAck(noise), AckCode::kMalformed);
  auto unknown = EncodeAck(AckCode::kAccepted);
  PutU32(unknown.data() + 4, 99);
  EXPECT_EQ(DecodeAck(unknown), AckCode::kMalformed);
  EXPECT_EQ(DecodeAck(std::span(noise).first(7)), AckCode::kMalformed);
}

}  // namespace
}  // namespace morvane::handover
