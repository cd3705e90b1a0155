// Animated cursors: the written layout byte for byte, reading back, the variants other writers
// produce, bounds on hostile files, and real files from other programs.
#include "formats/ani_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "support/mutations.h"
#include "support/peer_decode.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using ByteVector = std::vector<std::uint8_t>;
using testing::MakeImage;
using testing::PixelsOf;

// --- Building RIFF files by hand ----------------------------------------------------------

ByteVector Str(std::string_view s) {
  return {s.begin(), s.end()};
}
ByteVector U32s(std::initializer_list<std::uint32_t> values) {
  ByteVector out;
  for (std::uint32_t v : values) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
  }
  return out;
}
ByteVector Cat(std::initializer_list<ByteVector> parts) {
  ByteVector out;
  for (const ByteVector& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
ByteVector Chunk(std::string_view tag, const ByteVector& body, bool pad = true) {
  ByteVector out = Cat({Str(tag), U32s({static_cast<std::uint32_t>(body.size())}), body});
  if (pad && body.size() % 2 != 0) out.push_back(0);
  return out;
}
ByteVector List(std::string_view type, std::initializer_list<ByteVector> parts) {
  return Chunk("LIST", Cat({Str(type), Cat(parts)}));
}
ByteVector Riff(std::initializer_list<ByteVector> parts) {
  const ByteVector body = Cat({Str("ACON"), Cat(parts)});
  return Cat({Str("RIFF"), U32s({static_cast<std::uint32_t>(body.size())}), body});
}
ByteVector Anih(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate) {
  return Chunk("anih", U32s({36, frames, steps, 0, 0, 0, 0, rate, 1}));
}

// Frame k: opaque, a colour of its own, so frames can be told apart after sequencing.
Pixel FramePixel(int k, int x, int y) {
  return MakePixel(0xFF, static_cast<std::uint8_t>(40 * k + 10), static_cast<std::uint8_t>(x * 8),
                   static_cast<std::uint8_t>(y * 8));
}

// Stored frames as one-image icon streams, their images kept for comparison.
struct Streams {
  std::array<CDib, 4> images;
  std::vector<ByteVector> data;
  explicit Streams(int count, int hotspotX = kIconNoHotspot, int hotspotY = kIconNoHotspot) {
    for (int k = 0; k < count; ++k) {
      MakeImage(images[k], 16, 16, [k](int x, int y) { return FramePixel(k, x, y); });
      ByteVector s;
      EXPECT_TRUE(WriteOneImageIconFile(s, images[k], 32, hotspotX, hotspotY).ok());
      data.push_back(s);
    }
  }
  ByteVector Icon(int k, bool pad = true) const { return Chunk("icon", data[k], pad); }
  std::vector<Pixel> Pixels(int k) const { return PixelsOf(images[k]); }
};

AniContents Load(const ByteVector& file, int maxFrames = 0, int capacity = kMaxIconFrames) {
  Result<AniContents> r = LoadAniFile(Bytes(file), maxFrames, capacity);
  EXPECT_TRUE(r.ok()) << r.status().message();
  return r.ok() ? std::move(*r) : AniContents{};
}

std::vector<int> Rates(const AniContents& c) {
  std::vector<int> out;
  for (const AniFrame& f : c.frames) out.push_back(f.rate);
  return out;
}

std::uint32_t U32At(const ByteVector& d, std::size_t at) {
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

std::size_t Find(const ByteVector& d, std::string_view tag, std::size_t from = 0) {
  const ByteVector t = Str(tag);
  return static_cast<std::size_t>(
      std::search(d.begin() + static_cast<std::ptrdiff_t>(from), d.end(), t.begin(), t.end()) -
      d.begin());
}

// --- Writing ------------------------------------------------------------------------------

class AniWrite : public ::testing::Test {
 protected:
  AniWrite() : streams_(3) {
    for (int k = 0; k < 3; ++k) refs_.push_back({&streams_.images[k], 32});
  }
  ByteVector Save(std::string_view title = "", std::string_view author = "", int hx = -1,
                  int hy = -1) {
    ByteVector out;
    EXPECT_TRUE(SaveAniFile(out, refs_, rates_, hx, hy, title, author).ok());
    return out;
  }
  Streams streams_;
  std::vector<IconFrameRef> refs_;
  std::vector<int> rates_{0, 5, 0};
};

TEST_F(AniWrite, ReplacesUnsetRatesInTheCallersArrayAndWritesTheFixedLayout) {
  const ByteVector file = Save();
  EXPECT_EQ(rates_, (std::vector<int>{12, 5, 12}));

  EXPECT_EQ(ByteVector(file.begin(), file.begin() + 4), Str("RIFF"));
  EXPECT_EQ(U32At(file, 4), file.size() - 8);
  const ByteVector anih(file.begin() + 8, file.begin() + 56);
  EXPECT_EQ(anih, Cat({Str("ACON"), Anih(3, 3, 10)}));
  EXPECT_EQ(ByteVector(file.begin() + 56, file.begin() + 76),
            Cat({Str("rate"), U32s({12, 12, 5, 12})}));
  EXPECT_EQ(ByteVector(file.begin() + 76, file.begin() + 80), Str("LIST"));
  EXPECT_EQ(U32At(file, 80), file.size() - 76 - 8);
  // The frames follow "fram" as icon streams (type 1), each chunk sized to its stream.
  std::size_t at = 88;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(ByteVector(file.begin() + at, file.begin() + at + 4), Str("icon"));
    EXPECT_EQ(ByteVector(file.begin() + at + 8, file.begin() + at + 8 + U32At(file, at + 4)),
              streams_.data[k]);
    at += 8 + U32At(file, at + 4);
  }
  EXPECT_EQ(at, file.size());
}

TEST_F(AniWrite, InfoListHoldsTheNonEmptyTextsWithPadBytes) {
  struct Case {
    std::string title, author;
    ByteVector info;
  };
  const Case cases[] = {
      {"", "", {}},
      {"Abcd", "", Cat({Str("LIST"), U32s({18}), Str("INFOINAM"), U32s({5}), Str("Abcd"), {0, 0}})},
      {"Abcde", "", Cat({Str("LIST"), U32s({18}), Str("INFOINAM"), U32s({6}), Str("Abcde"), {0}})},
      {"", "Xyz", Cat({Str("LIST"), U32s({16}), Str("INFOIART"), U32s({4}), Str("Xyz"), {0}})},
      {"T", "Auth",
       Cat({Str("LIST"),
            U32s({28}),
            Str("INFOINAM"),
            U32s({2}),
            Str("T"),
            {0},
            Str("IART"),
            U32s({5}),
            Str("Auth"),
            {0, 0}})},
  };
  for (const Case& c : cases) {
    const ByteVector file = Save(c.title, c.author);
    const auto anih = static_cast<std::ptrdiff_t>(12 + c.info.size());
    EXPECT_EQ(ByteVector(file.begin() + 12, file.begin() + anih), c.info) << c.title << c.author;
    EXPECT_EQ(ByteVector(file.begin() + anih, file.begin() + anih + 4), Str("anih"));
    const AniContents read = Load(file);
    EXPECT_EQ(read.title, c.title);
    EXPECT_EQ(read.author, c.author);
  }
}

TEST_F(AniWrite, TextsAreCutAndStoredInTheWesternCodePage) {
  const std::string longTitle(1500, 'x');
  ByteVector file = Save(longTitle, "Caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5");
  EXPECT_EQ(U32At(file, Find(file, "INAM") + 4), 1024u);
  const std::size_t iart = Find(file, "IART");
  EXPECT_EQ(ByteVector(file.begin() + iart + 8, file.begin() + iart + 16),
            (ByteVector{'C', 'a', 'f', 0xE9, ' ', 0x80, ' ', '?'}));
  const AniContents read = Load(file);
  EXPECT_EQ(read.title, std::string(1023, 'x'));
  EXPECT_EQ(read.author, "Caf\xC3\xA9 \xE2\x82\xAC ?");
}

TEST_F(AniWrite, CursorHotspotGoesIntoEveryStream) {
  const ByteVector file = Save("", "", 5, 7);
  std::size_t at = Find(file, "icon");
  for (int k = 0; k < 3; ++k, at = Find(file, "icon", at + 8)) {
    ASSERT_LT(at, file.size());
    EXPECT_EQ(file[at + 8 + 2], 2) << "cursor stream";
    EXPECT_EQ(file[at + 8 + 10], 5);
    EXPECT_EQ(file[at + 8 + 12], 7);
  }
  const AniContents read = Load(file);
  EXPECT_EQ(read.hotspotX, 5);
  EXPECT_EQ(read.hotspotY, 7);
}

TEST_F(AniWrite, RefusesWhatItCannotWriteAndLeavesOutputAlone) {
  ByteVector out{1, 2, 3};
  std::vector<int> shortRates{0, 0};
  EXPECT_FALSE(SaveAniFile(out, refs_, shortRates, -1, -1, "", "").ok());
  EXPECT_EQ(shortRates, (std::vector<int>{0, 0}));
  EXPECT_FALSE(SaveAniFile(out, {}, std::span<int>(), -1, -1, "", "").ok());
  refs_[1].image = nullptr;
  EXPECT_FALSE(SaveAniFile(out, refs_, rates_, -1, -1, "", "").ok());
  EXPECT_EQ(out, (ByteVector{1, 2, 3}));
}

TEST_F(AniWrite, PathIsReplacedOnlyOnSuccess) {
  testing::TempDir dir;
  const fs::path path = dir / "a.ani";
  ASSERT_TRUE(SaveAniFile(path, refs_, rates_, -1, -1, "T", "").ok());
  const ByteVector first = testing::ReadAll(path);
  EXPECT_EQ(first, Save("T"));
  refs_[2].image = nullptr;
  EXPECT_FALSE(SaveAniFile(path, refs_, rates_, -1, -1, "", "").ok());
  EXPECT_EQ(testing::ReadAll(path), first);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  EXPECT_TRUE(LoadAniFile(path).ok());
}

// A 256 x 256 frame is a PNG stream, whose length may be odd.
void MakeOddPngFrame(CDib& image) {
  for (int seed = 0; seed < 64; ++seed) {
    MakeImage(image, 256, 256, [seed](int x, int y) {
      return MakePixel(0xFF, static_cast<std::uint8_t>(x ^ y), static_cast<std::uint8_t>(seed),
                       static_cast<std::uint8_t>(x * y));
    });
    if (IconImageLength(image, 32).value() % 2 == 1) return;
  }
  FAIL() << "no odd-length PNG stream found";
}

TEST(AniPadding, OddPngStreamIsPaddedAndReadBothWays) {
  CDib big;
  MakeOddPngFrame(big);
  Streams small(1);
  const std::vector<IconFrameRef> refs{{&big, 32}, {&small.images[0], 32}};
  std::vector<int> rates{3, 4};
  ByteVector file;
  ASSERT_TRUE(SaveAniFile(file, refs, rates, -1, -1, "", "").ok());

  const std::size_t first = Find(file, "icon");
  const std::uint32_t length = U32At(file, first + 4);
  ASSERT_EQ(length % 2, 1u);
  EXPECT_EQ(file[first + 8 + length], 0) << "pad byte";
  EXPECT_EQ(Find(file, "icon", first + 8), first + 8 + length + 1);
  EXPECT_EQ(U32At(file, 4), file.size() - 8);

  // Ours, and the same frames as other writers leave them: padded by hand and unpadded.
  const ByteVector stream(file.begin() + first + 8, file.begin() + first + 8 + length);
  const ByteVector padded =
      Riff({Anih(2, 2, 10), List("fram", {Chunk("icon", stream, true), small.Icon(0)})});
  const ByteVector unpadded =
      Riff({Anih(2, 2, 10), List("fram", {Chunk("icon", stream, false), small.Icon(0)})});
  for (const ByteVector& f : {file, padded, unpadded}) {
    const AniContents read = Load(f);
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_EQ(PixelsOf(read.frames[0].image), PixelsOf(big));
    EXPECT_EQ(PixelsOf(read.frames[1].image), small.Pixels(0));
  }
}

// --- Reading ------------------------------------------------------------------------------

TEST(AniRead, ReadsBackWhatWasWritten) {
  Streams s(3);
  CDib mono;
  MakeImage(mono, 32, 32, [](int x, int y) { return (x + y) % 3 ? 0xFFFFFFFF : 0xFF000000; });
  const std::vector<IconFrameRef> refs{
      {&s.images[0], 32}, {&mono, 1}, {&s.images[1], 24}, {&s.images[2], 32}};
  std::vector<int> rates{7, 0, 30, 1};
  ByteVector file;
  ASSERT_TRUE(SaveAniFile(file, refs, rates, -1, -1, "Title", "Author").ok());

  const AniContents read = Load(file);
  ASSERT_EQ(read.frames.size(), 4u);
  EXPECT_EQ(Rates(read), (std::vector<int>{7, 12, 30, 1}));
  EXPECT_EQ(read.hotspotX, kIconNoHotspot);
  EXPECT_EQ(read.hotspotY, kIconNoHotspot);
  EXPECT_EQ(read.title, "Title");
  EXPECT_EQ(read.author, "Author");
  EXPECT_FALSE(read.sequenced);
  const int formats[] = {32, 1, 24, 32};
  const std::vector<Pixel> expected[] = {s.Pixels(0), PixelsOf(mono), s.Pixels(1), s.Pixels(2)};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(read.frames[k].format, formats[k]);
    EXPECT_EQ(PixelsOf(read.frames[k].image), expected[k]) << k;
  }
}

TEST(AniRead, SequenceRepeatsStoredFramesWithTheirFormats) {
  Streams s(2);
  CDib mono;
  MakeImage(mono, 16, 16, [](int x, int) { return x % 2 ? 0xFFFFFFFF : 0xFF000000; });
  ByteVector monoStream;
  ASSERT_TRUE(WriteOneImageIconFile(monoStream, mono, 1, -1, -1).ok());
  const ByteVector seq = Chunk("seq ", U32s({0, 1, 0}));
  const ByteVector frames = List("fram", {Chunk("icon", monoStream), s.Icon(1)});
  // Without "rate" every step has the header's rate; the sequence counts wherever it stands.
  for (const ByteVector& file :
       {Riff({Anih(2, 3, 9), seq, frames}), Riff({Anih(2, 3, 9), frames, seq})}) {
    const AniContents read = Load(file);
    ASSERT_EQ(read.frames.size(), 3u);
    EXPECT_TRUE(read.sequenced);
    EXPECT_EQ(Rates(read), (std::vector<int>{9, 9, 9}));
    EXPECT_EQ(PixelsOf(read.frames[2].image), PixelsOf(mono));
    EXPECT_EQ(PixelsOf(read.frames[1].image), s.Pixels(1));
    EXPECT_EQ(read.frames[0].format, 1);
    EXPECT_EQ(read.frames[1].format, 32);
    EXPECT_EQ(read.frames[2].format, 1);
  }
}

TEST(AniRead, MaxFramesReadsStoredFramesAndIgnoresTheSequence) {
  Streams s(4);
  const ByteVector file = Riff({Anih(5, 3, 10), Chunk("seq ", U32s({2, 1, 0})),
                                List("fram", {s.Icon(0), s.Icon(1), s.Icon(2), s.Icon(3)})});
  const AniContents one = Load(file, 1);
  ASSERT_EQ(one.frames.size(), 1u);
  EXPECT_FALSE(one.sequenced);
  EXPECT_EQ(PixelsOf(one.frames[0].image), s.Pixels(0));
  // The document's room left cuts what is delivered but keeps the sequence.
  const AniContents room = Load(file, 0, 2);
  ASSERT_EQ(room.frames.size(), 2u);
  EXPECT_TRUE(room.sequenced);
  EXPECT_EQ(PixelsOf(room.frames[0].image), s.Pixels(2));
}

TEST(AniRead, FindsItsChunksAmongOtherListsAndChunks) {
  Streams s(2, 3, 4);
  const ByteVector info = List("INFO", {Chunk("INAM", Cat({Str("Name"), {0}}), false),
                                        Chunk("IART", Cat({Str("Me"), {0}}))});
  const ByteVector file =
      Riff({Chunk("junk", {1, 2, 3}), Anih(2, 2, 10), info, List("abcd", {s.Icon(0)}),
            Chunk("rate", U32s({5, 6})), List("fram", {Chunk("xtra", {9}), s.Icon(0), s.Icon(1)})});
  const AniContents read = Load(file);
  EXPECT_EQ(read.title, "Name");
  EXPECT_EQ(read.author, "Me");
  EXPECT_EQ(read.hotspotX, 3);
  EXPECT_EQ(read.hotspotY, 4);
  ASSERT_EQ(read.frames.size(), 2u);
  EXPECT_EQ(Rates(read), (std::vector<int>{5, 6}));
  EXPECT_EQ(PixelsOf(read.frames[1].image), s.Pixels(1));
}

TEST(AniRead, OverstatedInfoListEndsAtTheHeader) {
  Streams s(1);
  ByteVector info = List("INFO", {Chunk("INAM", Cat({Str("Abc"), {0}}))});
  info[4] += 2;  // as one widely used sample file says
  const AniContents read = Load(Riff({info, Anih(1, 1, 10), List("fram", {s.Icon(0)})}));
  EXPECT_EQ(read.title, "Abc");
  EXPECT_EQ(read.frames.size(), 1u);
}

TEST(AniRead, CountsAndIndicesAreCutToWhatIsThere) {
  Streams s(2);
  const ByteVector frames = List("fram", {s.Icon(0), s.Icon(1)});
  // Steps beyond the table, an index past the frames (dropped with its rate), a short "rate".
  const AniContents cut = Load(Riff({Anih(9, 1000, 8), Chunk("rate", U32s({1, 2, 3})),
                                     Chunk("seq ", U32s({1, 7, 0, 1})), frames}));
  ASSERT_EQ(cut.frames.size(), 3u);
  EXPECT_EQ(Rates(cut), (std::vector<int>{1, 3, 8}));
  EXPECT_EQ(PixelsOf(cut.frames[1].image), s.Pixels(0));
  // A sequence naming no frame at all leaves the stored order.
  const AniContents junk = Load(Riff({Anih(2, 2, 8), Chunk("seq ", U32s({5, 6})), frames}));
  EXPECT_EQ(junk.frames.size(), 2u);
  EXPECT_FALSE(junk.sequenced);

  ByteVector longName(3000, 'n');
  const AniContents titled = Load(
      Riff({List("INFO", {Chunk("INAM", longName)}), Anih(1, 1, 1), List("fram", {s.Icon(0)})}));
  EXPECT_EQ(titled.title, std::string(1023, 'n'));
}

TEST(AniRead, RefusesFilesWithoutFrames) {
  Streams s(1);
  const ByteVector frames = List("fram", {s.Icon(0)});
  const ByteVector bad[] = {
      {},
      Cat({Str("RIFX"), U32s({0}), Str("ACON"), Anih(1, 1, 1), frames}),
      Riff({frames}),
      Riff({Anih(0, 0, 1), frames}),
      Riff({Chunk("anih", U32s({36, 1, 1})), frames}),
      Riff({Anih(1, 1, 1), List("fram", {Chunk("icon", {0, 0, 1, 0, 1, 0})})}),
      Riff({Anih(1, 1, 1)}),
  };
  for (const ByteVector& file : bad) EXPECT_FALSE(LoadAniFile(Bytes(file)).ok()) << file.size();
  EXPECT_EQ(LoadAniFile(fs::path("/nonexistent/x.ani")).status().code(), ErrorCode::kCannotOpen);
}

TEST(AniRobustness, EveryBitFlipAndTruncationFailsCleanlyOrReads) {
  Streams s(2, 1, 2);
  const ByteVector file =
      Riff({List("INFO", {Chunk("INAM", Cat({Str("Ab"), {0}}))}), Anih(2, 3, 10),
            Chunk("rate", U32s({1, 2, 3})), Chunk("seq ", U32s({0, 1, 0})),
            List("fram", {s.Icon(0), s.Icon(1)})});
  ASSERT_EQ(Load(file).frames.size(), 3u);
  std::size_t read = 0;
  auto check = [&read](Bytes mutated) {
    const Result<AniContents> r = LoadAniFile(mutated);
    if (!r.ok()) return;
    ++read;
    EXPECT_LE(r->frames.size(), static_cast<std::size_t>(kMaxIconFrames));
    for (const AniFrame& f : r->frames) EXPECT_TRUE(f.image.IsLive());
  };
  testing::ForEachBitFlip(file, check);
  testing::ForEachTruncation(file, check);
  EXPECT_GT(read, 0u);
}

// --- Files of other programs --------------------------------------------------------------

fs::path AniData(const std::string& relative) {
  return testing::SharedData("ani/" + relative);
}

// The "icon" chunk bodies of a frame list, found without our reader.
std::vector<ByteVector> StoredStreams(const ByteVector& file) {
  std::vector<ByteVector> out;
  for (std::size_t at = Find(file, "icon"); at + 8 <= file.size(); at = Find(file, "icon", at)) {
    const std::uint32_t n = U32At(file, at + 4);
    out.emplace_back(file.begin() + at + 8, file.begin() + at + 8 + n);
    at += 8 + n;
  }
  return out;
}

TEST(InteropAni, SequencedCursorWithoutRatesMatchesPillowsFrames) {
  if (!testing::HavePillow()) GTEST_SKIP() << "Pillow not installed";
  const fs::path path = AniData("aniFileExtractor/test/test.ani");
  const ByteVector file = testing::ReadAll(path);
  const std::vector<ByteVector> stored = StoredStreams(file);
  ASSERT_EQ(stored.size(), 4u);
  const Result<AniContents> read = LoadAniFile(path);
  ASSERT_TRUE(read.ok()) << read.status().message();
  ASSERT_EQ(read->frames.size(), 20u);
  EXPECT_TRUE(read->sequenced);
  EXPECT_EQ(Rates(*read), std::vector<int>(20, 12));
  EXPECT_EQ(read->hotspotX, 0);
  EXPECT_EQ(read->hotspotY, 0);

  testing::TempDir dir;
  const std::uint32_t seq[20] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 1};
  std::vector<std::vector<Pixel>> pillow;
  for (std::size_t k = 0; k < stored.size(); ++k) {
    const fs::path cur = dir.path() / "frame.cur";
    testing::WriteAll(cur, stored[k]);
    const std::vector<testing::PeerImage> images = testing::PillowImages(cur, dir.path());
    ASSERT_EQ(images.size(), 1u);
    pillow.push_back(testing::VisiblePixels(images[0]));
  }
  for (int j = 0; j < 20; ++j) {
    EXPECT_EQ(read->frames[j].format, 32);
    EXPECT_EQ(testing::VisiblePixels(read->frames[j].image), pillow[seq[j]]) << "step " << j;
  }
}

// The expected pictures went through premultiplied alpha, which moves the colour of a few faint
// pixels by one step; alpha must match exactly.
void ExpectSamePicture(const std::vector<Pixel>& ours, const std::vector<Pixel>& theirs, int j) {
  ASSERT_EQ(ours.size(), theirs.size());
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const Pixel a = ours[i], b = theirs[i];
    bool near = AlphaOf(a) == AlphaOf(b);
    for (int shift = 0; shift < 24; shift += 8) {
      const int ca = static_cast<int>(a >> shift & 0xFF), cb = static_cast<int>(b >> shift & 0xFF);
      near = near && std::abs(ca - cb) <= 1;
    }
    EXPECT_TRUE(near) << "step " << j << " pixel " << i << ": " << std::hex << a << " vs " << b;
  }
}

TEST(InteropAni, TitledCursorMatchesTheExpectedFrames) {
  const Result<AniContents> read = LoadAniFile(AniData("kimageformats/autotests/ani/test.ani"));
  ASSERT_TRUE(read.ok()) << read.status().message();
  EXPECT_EQ(read->title, "ANI Test");
  EXPECT_EQ(read->author, "KDE Community");
  ASSERT_EQ(read->frames.size(), 4u);
  EXPECT_EQ(Rates(*read), (std::vector<int>{10, 20, 10, 10}));
  const int expected[] = {1, 2, 3, 2};
  for (int j = 0; j < 4; ++j) {
    CDib png;
    const std::string name =
        "kimageformats/autotests/ani/test_" + std::to_string(expected[j]) + ".png";
    ASSERT_TRUE(LoadPngFile(AniData(name), 0, png).ok());
    ExpectSamePicture(testing::VisiblePixels(read->frames[j].image), testing::VisiblePixels(png),
                      j);
  }
}

}  // namespace
}  // namespace morvane
