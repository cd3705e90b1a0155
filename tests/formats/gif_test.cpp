#include "formats/gif_codec.h"

#include <gtest/gtest.h>

#include <random>

#include "format_test_support.h"
#include "formats/gif_lzw.h"
#include "formats/png_codec.h"
#include "image/byte_sink.h"
#include "support/mutations.h"

namespace morvane {
namespace {

using testing::MakeImage;
using testing::PixelsOf;
using testing::ReadAll;
using testing::SharedData;

// Offsets in the files our writer produces.
constexpr std::size_t kPaletteAt = 13;
constexpr std::size_t kGraphicControlAt = kPaletteAt + 768;
constexpr std::size_t kDescriptorAt = kGraphicControlAt + 8;
constexpr std::size_t kCodeSizeAt = kDescriptorAt + 10;

std::vector<std::uint8_t> Encode(const CDib& image) {
  std::vector<std::uint8_t> out;
  const Status st = WriteGif(image, out);
  EXPECT_TRUE(st.ok()) << st.message();
  return out;
}

// Pixels the way a GIF gives them back: transparent ones become index 0 (transparent black),
// all others opaque.
std::vector<Pixel> AsGifSees(const std::vector<Pixel>& pixels) {
  std::vector<Pixel> out;
  for (Pixel p : pixels) out.push_back(IsTransparent(p) ? 0 : p | 0xFF000000u);
  return out;
}

// The data sub-blocks from offset on, joined, up to the zero-length block.
std::vector<std::uint8_t> JoinSubBlocks(const std::vector<std::uint8_t>& file, std::size_t at,
                                        std::vector<int>* lengths = nullptr) {
  std::vector<std::uint8_t> data;
  while (at < file.size() && file[at] != 0) {
    const std::size_t n = file[at];
    if (lengths) lengths->push_back(static_cast<int>(n));
    data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(at + 1),
                file.begin() + static_cast<std::ptrdiff_t>(at + 1 + n));
    at += n + 1;
  }
  return data;
}

struct Code {
  int value;
  int width;
};

// An independent reading of a minimum-code-size-8 stream: which codes, at which widths. Any
// decoder adds one table entry per code after the first that follows a clear, and widens the
// codes when the table reaches 2^width entries.
std::vector<Code> CodesOf(const std::vector<std::uint8_t>& data) {
  std::vector<Code> codes;
  int width = 9, next = 258;
  bool afterClear = true;
  std::size_t bit = 0;
  while (bit + static_cast<std::size_t>(width) <= data.size() * 8) {
    int value = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      value |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
    }
    codes.push_back({value, width});
    if (value == 257) break;
    if (value == 256) {
      width = 9;
      next = 258;
      afterClear = true;
      continue;
    }
    if (!afterClear && next < 4096) ++next;
    afterClear = false;
    if (next == (1 << width) && width < 12) ++width;
  }
  return codes;
}

// --- Hand-built files -------------------------------------------------------------------------

// Literal LZW: every index as its own code, with a clear code before the table would make the
// codes wider. Independent of our encoder, and able to use any minimum code size.
void LiteralLzw(ByteSink& out, const std::vector<int>& indices, int minCodeSize) {
  const int clear = 1 << minCodeSize, width = minCodeSize + 1;
  const std::size_t run = static_cast<std::size_t>(clear - 2);
  std::vector<std::uint8_t> bytes;
  std::uint32_t acc = 0;
  int bits = 0;
  auto put = [&](int code) {
    acc |= static_cast<std::uint32_t>(code) << bits;
    for (bits += width; bits >= 8; bits -= 8, acc >>= 8) {
      bytes.push_back(static_cast<std::uint8_t>(acc));
    }
  };
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % run == 0) put(clear);
    put(indices[i]);
  }
  put(clear + 1);
  if (bits > 0) bytes.push_back(static_cast<std::uint8_t>(acc));
  out.U8(static_cast<std::uint8_t>(minCodeSize));
  for (std::size_t at = 0; at < bytes.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, bytes.size() - at);
    out.U8(static_cast<std::uint8_t>(n));
    out.Bytes(std::span<const std::uint8_t>(bytes.data() + at, n));
  }
  out.U8(0);
}

// Colour i of a table: distinct, easy to recognise.
Pixel TableColor(int i) {
  return MakePixel(0, (i * 7) & 0xFF, (100 + i) & 0xFF, (255 - i) & 0xFF);
}

void ColorTable(ByteSink& out, int entries) {
  for (int i = 0; i < entries; ++i) {
    const Pixel c = TableColor(i);
    out.U8(static_cast<std::uint8_t>(RedOf(c)));
    out.U8(static_cast<std::uint8_t>(GreenOf(c)));
    out.U8(static_cast<std::uint8_t>(BlueOf(c)));
  }
}

// A table flag byte for 2^(size + 1) entries.
std::uint8_t TableBits(int entries) {
  int size = 0;
  while ((2 << size) < entries) ++size;
  return static_cast<std::uint8_t>(0x80 | size);
}

struct HandImage {
  int width = 1;
  int height = 1;
  std::vector<int> indices;
  bool interlaced = false;
  int localEntries = 0;  // 0: no local table
  int transparent = -1;  // written as a graphic control extension when set
  int minCodeSize = 8;
};

void AppendImage(ByteSink& out, const HandImage& im) {
  if (im.transparent >= 0) {
    out.U8(0x21);
    out.U8(0xF9);
    out.U8(4);
    out.U8(1);
    out.U16(0);
    out.U8(static_cast<std::uint8_t>(im.transparent));
    out.U8(0);
  }
  out.U8(0x2C);
  out.U16(3);  // left and top are ignored
  out.U16(5);
  out.U16(static_cast<std::uint16_t>(im.width));
  out.U16(static_cast<std::uint16_t>(im.height));
  std::uint8_t packed = im.interlaced ? 0x40 : 0;
  if (im.localEntries > 0) packed |= TableBits(im.localEntries);
  out.U8(packed);
  if (im.localEntries > 0) ColorTable(out, im.localEntries);
  LiteralLzw(out, im.indices, im.minCodeSize);
}

std::vector<std::uint8_t> HandGif(int globalEntries, const std::vector<HandImage>& images) {
  std::vector<std::uint8_t> file;
  ByteSink out(file);
  out.Tag("GIF89a");
  out.U16(40);
  out.U16(40);
  out.U8(globalEntries > 0 ? TableBits(globalEntries) : 0);
  out.U16(0);
  if (globalEntries > 0) ColorTable(out, globalEntries);
  for (const HandImage& im : images) AppendImage(out, im);
  out.U8(0x3B);
  return file;
}

// The pixels im must decode to with a table of `entries` colours (indices past it are black).
std::vector<Pixel> Expected(const HandImage& im, int mask, int entries) {
  std::vector<Pixel> out;
  for (int index : im.indices) {
    const int i = index & mask;
    const Pixel color = i < entries ? TableColor(i) : 0;
    out.push_back(i == im.transparent ? color : color | 0xFF000000u);
  }
  return out;
}

// --- Writing ----------------------------------------------------------------------------------

TEST(GifWrite, OneByOneImageHasTheFixedLayout) {
  CDib image;
  MakeImage(image, 1, 1, [](int, int) { return 0xFFFF0000u; });
  std::vector<std::uint8_t> expected = {'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0xE7, 0, 0};
  std::vector<std::uint8_t> palette(768, 0);
  palette[3] = 0xFF;  // entry 0 stays black for transparency; the red moved to entry 1
  expected.insert(expected.end(), palette.begin(), palette.end());
  const std::vector<std::uint8_t> tail = {
      0x21, 0xF9, 4,    1,    0,    0, 0, 0,        // graphic control: transparent index 0
      0x2C, 0,    0,    0,    0,    1, 0, 1, 0, 0,  // descriptor
      8,                                            // minimum code size
      4,    0x00, 0x03, 0x04, 0x04,                 // clear 256, pixel 1, end 257 at 9 bits
      0,    0x3B};
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(Encode(image), expected);
  EXPECT_EQ(expected.size(), 807u);
}

TEST(GifWrite, FullyTransparentImageWritesIndexZeroEverywhere) {
  CDib image;
  MakeImage(image, 5, 3, [](int x, int y) { return MakePixel(0, x * 40, y * 70, 9); });
  const std::vector<std::uint8_t> file = Encode(image);
  EXPECT_EQ(file[kGraphicControlAt + 3], 1);  // transparent flag
  EXPECT_EQ(file[kGraphicControlAt + 6], 0);  // transparent index
  for (const Code& c : CodesOf(JoinSubBlocks(file, kCodeSizeAt + 1))) {
    EXPECT_TRUE(c.value == 0 || c.value >= 256) << "only index 0 (or strings of it)";
  }
  CDib back;
  ASSERT_TRUE(ReadGif(file, back).ok());
  EXPECT_EQ(PixelsOf(back), std::vector<Pixel>(15, 0u));
}

TEST(GifWrite, RoundTripsAtOddSizes) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 5}, {7, 2}, {17, 13}, {64, 1}, {1, 33}, {255, 3}}) {
    CDib image;
    MakeImage(image, w, h, [](int x, int y) {
      const int i = (x * 13 + y * 29) % 200;  // at most 200 colours: the reduction keeps them
      const std::uint32_t alpha = (x + 2 * y) % 5 == 0 ? 0 : (x + y) % 3 == 0 ? 0x7F : 0xFF;
      return MakePixel(alpha, i, 255 - i, (i * 3) & 0xFF);
    });
    CDib back;
    const Status st = ReadGif(Encode(image), back);
    ASSERT_TRUE(st.ok()) << w << "x" << h << ": " << st.message();
    EXPECT_EQ(PixelsOf(back), AsGifSees(PixelsOf(image))) << w << "x" << h;
  }
}

// Random indices give a new string at nearly every pixel, so 4,096 codes are used up quickly.
void MakeNoise(CDib& image, int width, int height) {
  std::mt19937 rng(7);
  MakeImage(image, width, height, [&](int, int) {
    const int i = static_cast<int>(rng() % 250);
    return MakePixel(255, i, i / 2, 255 - i);
  });
}

TEST(GifWrite, ClearCodeAfter4096CodesThenWidthNine) {
  CDib image;
  MakeNoise(image, 97, 89);
  const std::vector<std::uint8_t> file = Encode(image);
  const std::vector<Code> codes = CodesOf(JoinSubBlocks(file, kCodeSizeAt + 1));
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes.front().value, 256);
  EXPECT_EQ(codes.back().value, 257);
  int clears = 0;
  for (std::size_t i = 1; i + 1 < codes.size(); ++i) {
    if (codes[i].value != 256) continue;
    ++clears;
    EXPECT_EQ(codes[i].width, 12) << "the table was full";
    EXPECT_EQ(codes[i + 1].width, 9) << "codes restart at 9 bits after a clear";
  }
  EXPECT_GE(clears, 2);
  CDib back;
  ASSERT_TRUE(ReadGif(file, back).ok());
  EXPECT_EQ(PixelsOf(back), PixelsOf(image));
}

TEST(GifWrite, DataTravelsInSubBlocksOf254Bytes) {
  CDib image;
  MakeNoise(image, 40, 40);
  const std::vector<std::uint8_t> file = Encode(image);
  std::vector<int> lengths;
  JoinSubBlocks(file, kCodeSizeAt + 1, &lengths);
  ASSERT_GE(lengths.size(), 3u);
  for (std::size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], 254);
  EXPECT_LE(lengths.back(), 254);
  EXPECT_EQ(file[file.size() - 2], 0);
  EXPECT_EQ(file.back(), 0x3B);
}

TEST(GifWrite, WritesTheWholeImageWhateverTheClip) {
  CDib image;
  MakeImage(image, 6, 4, [](int x, int y) { return MakePixel(255, x * 40, y * 60, 7); });
  const std::vector<std::uint8_t> whole = Encode(image);
  image.clip = {1, 1, 3, 2};
  EXPECT_EQ(Encode(image), whole);
  EXPECT_EQ(image.clip, (Rect{1, 1, 3, 2})) << "the caller's clip is left alone";
}

TEST(GifWrite, RefusesWhatAGifCannotHold) {
  std::vector<std::uint8_t> out;
  EXPECT_EQ(WriteGif(CDib(), out).code(), ErrorCode::kNoImages);
  CDib wide;
  ASSERT_TRUE(wide.Create(65536, 1));
  EXPECT_EQ(WriteGif(wide, out).code(), ErrorCode::kTooLarge);
  EXPECT_TRUE(out.empty());
}

TEST(GifWrite, LzwRoundTripsLongRunsAndEmptyInput) {
  // One long run builds ever longer strings, the case where a code names the string being built.
  std::vector<std::uint8_t> indices(20000, 5);
  for (std::size_t i = 0; i < indices.size(); i += 997) indices[i] = static_cast<std::uint8_t>(i);
  std::vector<std::uint8_t> data;
  ByteSink sink(data);
  EncodeGifLzw(indices, sink);
  data.push_back(0);
  struct Collect final : GifIndexSink {
    std::vector<std::uint8_t> got;
    bool Put(std::span<const std::uint8_t> s) override {
      got.insert(got.end(), s.begin(), s.end());
      return true;
    }
  } collect;
  ByteReader in(data);
  GifLzwDecoder decoder(8);
  EXPECT_EQ(decoder.Run(in, collect), GifLzwEnd::kEndCode);
  EXPECT_EQ(collect.got, indices);

  std::vector<std::uint8_t> empty;
  ByteSink emptySink(empty);
  EncodeGifLzw({}, emptySink);
  const std::vector<Code> codes = CodesOf(JoinSubBlocks(empty, 0));
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(codes[0].value, 256);
  EXPECT_EQ(codes[1].value, 257);
}

TEST(GifWrite, FileWriteAndReadBack) {
  testing::TempDir dir;
  CDib image;
  MakeImage(image, 9, 7, [](int x, int y) { return MakePixel(x == y ? 0 : 255, x * 20, y, 3); });
  ASSERT_TRUE(WriteGifFile(dir / "a.gif", image).ok());
  CDib back;
  ASSERT_TRUE(ReadGifFile(dir / "a.gif", back).ok());
  EXPECT_EQ(PixelsOf(back), AsGifSees(PixelsOf(image)));
  const Status missing = ReadGifFile(dir / "none.gif", back);
  EXPECT_EQ(missing.code(), ErrorCode::kCannotOpen);
  EXPECT_EQ(WriteGifFile(dir / "no" / "b.gif", image).code(), ErrorCode::kCannotWrite);
}

// --- Reading ----------------------------------------------------------------------------------

TEST(GifRead, IndexMaskFollowsTheColourCount) {
  struct Case {
    int entries, mask;
  };
  for (const Case c : {Case{2, 0x01}, Case{4, 0x0F}, Case{16, 0x0F}, Case{32, 0xFF}}) {
    HandImage im;
    im.width = 8;
    im.indices = {0, 1, 2, 3, 17, 30, 31, 15};
    im.minCodeSize = 5;
    CDib image;
    ASSERT_TRUE(ReadGif(HandGif(c.entries, {im}), image).ok()) << c.entries;
    EXPECT_EQ(PixelsOf(image), Expected(im, c.mask, c.entries)) << c.entries << " entries";
  }
}

TEST(GifRead, LocalTableReplacesTheGlobalOne) {
  HandImage im;
  im.width = 4;
  im.indices = {0, 1, 2, 3};
  im.localEntries = 4;
  im.minCodeSize = 2;
  CDib image;
  ASSERT_TRUE(ReadGif(HandGif(2, {im}), image).ok());
  EXPECT_EQ(PixelsOf(image), Expected(im, 0x0F, 4)) << "4 local entries: indices 2 and 3 survive";
}

TEST(GifRead, TransparentIndexAppliesToTheNextImageOnly) {
  HandImage first;
  first.width = 3;
  first.indices = {0, 1, 2};
  first.transparent = 1;
  CDib image;
  ASSERT_TRUE(ReadGif(HandGif(256, {first}), image).ok());
  EXPECT_EQ(PixelsOf(image), Expected(first, 0xFF, 256));
  EXPECT_EQ(AlphaOf(image.GetPixel(1, 0)), 0u);
  EXPECT_EQ(image.GetPixel(1, 0), TableColor(1)) << "colour bits stay";

  HandImage second = first;
  second.transparent = -1;
  ASSERT_TRUE(ReadGif(HandGif(256, {first, second}), image).ok());
  EXPECT_TRUE(IsOpaque(image.GetPixel(1, 0)));
}

TEST(GifRead, InterlacedEqualsNonInterlaced) {
  for (int height : {1, 2, 3, 4, 5, 7, 8, 9, 13, 16, 17, 31}) {
    HandImage plain;
    plain.width = 3;
    plain.height = height;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < 3; ++x) plain.indices.push_back((y * 3 + x) % 256);
    }
    // The interlaced file stores rows 0, 8, 16.. then 4, 12.. then 2, 6.. then 1, 3, 5..
    HandImage interlaced = plain;
    interlaced.interlaced = true;
    interlaced.indices.clear();
    for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
      for (int y = start; y < height; y += step) {
        for (int x = 0; x < 3; ++x) interlaced.indices.push_back(plain.indices[y * 3 + x]);
      }
    }
    CDib a, b;
    ASSERT_TRUE(ReadGif(HandGif(256, {plain}), a).ok());
    ASSERT_TRUE(ReadGif(HandGif(256, {interlaced}), b).ok());
    EXPECT_EQ(PixelsOf(b), PixelsOf(a)) << "height " << height;
    EXPECT_EQ(PixelsOf(a), Expected(plain, 0xFF, 256));
  }
}

TEST(GifRead, LastImageOfAnAnimationWinsAtItsOwnSize) {
  HandImage first;
  first.width = 4;
  first.height = 4;
  first.indices.assign(16, 1);
  HandImage last;
  last.width = 2;
  last.height = 3;
  last.indices = {5, 6, 7, 8, 9, 10};
  CDib image;
  ASSERT_TRUE(ReadGif(HandGif(256, {first, last}), image).ok());
  ASSERT_EQ(image.GetWidth(), 2);
  ASSERT_EQ(image.GetHeight(), 3);
  EXPECT_EQ(PixelsOf(image), Expected(last, 0xFF, 256));
}

TEST(GifRead, TruncatedDataKeepsTheRowsAlreadyStored) {
  CDib image;
  MakeImage(image, 24, 24, [](int x, int y) { return MakePixel(255, y * 10, x % 8 * 30, 77); });
  const std::vector<std::uint8_t> file = Encode(image);
  const std::vector<Pixel> full = PixelsOf(image);
  int partial = 0;
  for (std::size_t cut = kCodeSizeAt + 3; cut < file.size() - 2; ++cut) {
    const std::vector<std::uint8_t> part(file.begin(), file.begin() + static_cast<long>(cut));
    CDib back;
    if (!ReadGif(part, back).ok()) continue;  // not a single row yet
    ASSERT_EQ(back.GetWidth(), 24);
    const std::vector<Pixel> got = PixelsOf(back);
    int rows = 0;
    while (rows < 24 && std::equal(got.begin() + rows * 24, got.begin() + rows * 24 + 24,
                                   full.begin() + rows * 24)) {
      ++rows;
    }
    EXPECT_GE(rows, 1);
    for (std::size_t i = static_cast<std::size_t>(rows) * 24; i < got.size(); ++i) {
      ASSERT_EQ(got[i], 0u) << "cut at " << cut << ": rows after the last stored one stay empty";
    }
    if (rows < 24) ++partial;
  }
  EXPECT_GT(partial, 10);
}

TEST(GifRead, BadMinimumCodeSizeAbandonsThatImage) {
  HandImage good;
  good.width = 2;
  good.indices = {1, 2};
  for (int bad : {0, 1, 10, 12}) {
    std::vector<std::uint8_t> file = HandGif(256, {good});
    const std::size_t codeSizeAt = 13 + 768 + 10;
    ASSERT_EQ(file[codeSizeAt], 8);
    file[codeSizeAt] = static_cast<std::uint8_t>(bad);
    CDib image;
    MakeImage(image, 1, 1, [](int, int) { return 0xFF123456u; });
    EXPECT_FALSE(ReadGif(file, image).ok()) << "no image yielded a row";
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF123456u) << "a failed read leaves the image alone";

    // An abandoned image after a good one: the good one stays.
    std::vector<std::uint8_t> two = HandGif(256, {good, good});
    const std::size_t imageBytes = (two.size() - 1 - 13 - 768) / 2;
    const std::size_t secondCodeSize = codeSizeAt + imageBytes;
    ASSERT_EQ(two[secondCodeSize], 8);
    two[secondCodeSize] = static_cast<std::uint8_t>(bad);
    ASSERT_TRUE(ReadGif(two, image).ok());
    EXPECT_EQ(PixelsOf(image), Expected(good, 0xFF, 256));
  }
}

TEST(GifRead, FirstCodeAfterClearBeyondTheTableMeansIndexZero) {
  // Codes at 3 bits (minimum size 2): clear 4, then 7 (not yet in the table), 1, end 5.
  std::vector<std::uint8_t> file = HandGif(4, {});
  file.pop_back();  // trailer
  ByteSink out(file);
  out.U8(0x2C);
  out.Zeros(4);
  out.U16(2);
  out.U16(1);
  out.U8(0);
  out.U8(2);
  const std::uint32_t bits = 4u | 7u << 3 | 1u << 6 | 5u << 9;
  out.U8(2);
  out.U16(static_cast<std::uint16_t>(bits));
  out.U8(0);
  out.U8(0x3B);
  CDib image;
  ASSERT_TRUE(ReadGif(file, image).ok());
  EXPECT_EQ(PixelsOf(image),
            (std::vector<Pixel>{TableColor(0) | 0xFF000000u, TableColor(1) | 0xFF000000u}));
}

TEST(GifRead, CorruptCodeStopsDecodingButKeepsRows) {
  // A 1 x 2 image, codes at 3 bits: clear 4, 1 (row 0), then 7 while the next free code is 6.
  std::vector<std::uint8_t> file = HandGif(4, {});
  file.pop_back();
  ByteSink out(file);
  out.U8(0x2C);
  out.Zeros(4);
  out.U16(1);
  out.U16(2);
  out.U8(0);
  out.U8(2);
  const std::uint32_t bits = 4u | 1u << 3 | 7u << 6 | 1u << 9 | 5u << 12;
  out.U8(2);
  out.U16(static_cast<std::uint16_t>(bits));
  out.U8(0);
  out.U8(0x3B);
  CDib image;
  ASSERT_TRUE(ReadGif(file, image).ok());
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{TableColor(1) | 0xFF000000u, 0}));
}

TEST(GifRead, RefusesWhatIsNotAPicture) {
  CDib image;
  MakeImage(image, 1, 1, [](int, int) { return 0xFF00FF00u; });
  const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  EXPECT_EQ(ReadGif(png, image).code(), ErrorCode::kBadFormat);
  EXPECT_EQ(ReadGif(HandGif(2, {}), image).code(), ErrorCode::kNoImages);
  std::vector<std::uint8_t> shortTable = HandGif(256, {});
  shortTable.resize(13 + 100);
  EXPECT_EQ(ReadGif(shortTable, image).code(), ErrorCode::kTruncated);
  EXPECT_EQ(image.GetPixel(0, 0), 0xFF00FF00u);
}

TEST(GifRead, RefusesAnImageOverOneGibibyteBeforeAllocating) {
  HandImage huge;
  huge.width = 16385;
  huge.height = 16384;
  huge.indices = {0};
  CDib image;
  EXPECT_EQ(ReadGif(HandGif(2, {huge}), image).code(), ErrorCode::kTooLarge);
  EXPECT_EQ(image.GetWidth(), 0);
}

TEST(GifRead, AnEarlierImageServesWhenTheLaterOnesStoreNoRow) {
  HandImage first;
  first.width = 2;
  first.height = 2;
  first.indices = {1, 2, 3, 4};
  first.transparent = 2;
  HandImage second;  // its one pixel does not complete a row of 3
  second.width = 3;
  second.indices = {5};
  HandImage third;  // no data at all
  third.indices = {};
  CDib image;
  ASSERT_TRUE(ReadGif(HandGif(256, {first, second, third}), image).ok());
  ASSERT_EQ(image.GetWidth(), 2);
  EXPECT_EQ(PixelsOf(image), Expected(first, 0xFF, 256));
  EXPECT_EQ(AlphaOf(image.GetPixel(1, 0)), 0u) << "the first image keeps its transparent index";
}

TEST(GifRead, ManyLargeImagesYieldTheLastOneStored) {
  // Each image claims 8000 x 8000 pixels (256 MB) and stores one row. Only the last one is
  // decoded now; decoding each onto a canvas of its own took about 30 s here (no timing is
  // asserted: a slow run shows in the test's time).
  std::vector<HandImage> images(48);
  for (std::size_t i = 0; i < images.size(); ++i) {
    images[i].width = 8000;
    images[i].height = 8000;
    images[i].indices.assign(8000, static_cast<int>(i % 200));
  }
  CDib image;
  ASSERT_TRUE(ReadGif(HandGif(256, images), image).ok());
  ASSERT_EQ(image.GetWidth(), 8000);
  EXPECT_EQ(image.GetPixel(7999, 0), TableColor(47) | 0xFF000000u);
  EXPECT_EQ(image.GetPixel(0, 1), 0u);
}

TEST(GifRead, EmptyImageIsSkipped) {
  HandImage empty;
  empty.width = 0;
  empty.indices = {};
  HandImage good;
  good.indices = {3};
  CDib image;
  ASSERT_TRUE(ReadGif(HandGif(8, {good, empty}), image).ok());
  EXPECT_EQ(PixelsOf(image), Expected(good, 0x0F, 8));
}

// --- Files made by other programs --------------------------------------------------------------

std::filesystem::path SuiteFile(const std::string& name) {
  return SharedData("gif/peterdn/gifs/" + name);
}

void LoadExpectedFrame(const std::string& name, CDib& frame) {
  const Result<int> depth = LoadPngFile(SuiteFile("frames/" + name), 0, frame);
  ASSERT_TRUE(depth.ok()) << name << ": " << depth.status().message();
}

TEST(GifSuite, StaticFilesMatchTheirExpectedFrames) {
  for (const char* name : {"static_nontransparent", "static_transparent"}) {
    CDib image, expected;
    const Status st = ReadGifFile(SuiteFile(std::string(name) + ".gif"), image);
    ASSERT_TRUE(st.ok()) << name << ": " << st.message();
    LoadExpectedFrame(std::string(name) + ".png", expected);
    ASSERT_EQ(image.GetWidth(), expected.GetWidth());
    ASSERT_EQ(image.GetHeight(), expected.GetHeight());
    int transparent = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
      for (int x = 0; x < image.GetWidth(); ++x) {
        const Pixel got = image.GetPixel(x, y), want = expected.GetPixel(x, y);
        ASSERT_EQ(AlphaOf(got), AlphaOf(want)) << name << " at " << x << "," << y;
        if (IsTransparent(got)) {
          ++transparent;
        } else {
          ASSERT_EQ(got, want) << name << " at " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(transparent > 0, std::string(name) == "static_transparent");
  }
}

// The last image is what we keep; the last expected frame shows it composed at its position.
TEST(GifSuite, AnimationsYieldTheirLastImage) {
  struct Case {
    const char* name;
    int left, top, size;
  };
  const Case cases[] = {
      {"animated_loop", 60, 60, 30},
      {"animated_loop_interlaced", 60, 60, 30},
      {"animated_noloop", 60, 60, 30},
      {"animated_loop_variable_delay", 60, 60, 30},
      {"animated_transparent_loop", 60, 60, 30},
      {"animated_transparent_restoreprev_loop", 60, 60, 30},
      {"animated_transparent_firstframerestoreprev_loop", 60, 60, 30},
      {"animated_transparent_frame_norestore_loop", 30, 30, 30},
      {"animated_transparent_frame_restorebackground_loop", 30, 30, 30},
      {"animated_transparent_frame_restoreprev_loop", 60, 60, 30},
      {"animated_transparent_loop_frames_out_of_bounds", 60, 60, 50},
  };
  for (const Case& c : cases) {
    CDib image, expected;
    const Status st = ReadGifFile(SuiteFile(std::string(c.name) + ".gif"), image);
    ASSERT_TRUE(st.ok()) << c.name << ": " << st.message();
    ASSERT_EQ(image.GetWidth(), c.size) << c.name;
    ASSERT_EQ(image.GetHeight(), c.size) << c.name;
    LoadExpectedFrame(std::string(c.name) + "-3.png", expected);
    int compared = 0;
    for (int y = 0; y < c.size; ++y) {
      for (int x = 0; x < c.size; ++x) {
        const Pixel got = image.GetPixel(x, y);
        if (IsTransparent(got) || c.left + x >= 100 || c.top + y >= 100) continue;
        ASSERT_EQ(got, expected.GetPixel(c.left + x, c.top + y)) << c.name << " " << x << "," << y;
        ++compared;
      }
    }
    EXPECT_GT(compared, 100) << c.name;
  }
}

TEST(GifSuite, InterlacedAnimationEqualsItsPlainTwin) {
  CDib plain, interlaced;
  ASSERT_TRUE(ReadGifFile(SuiteFile("animated_loop.gif"), plain).ok());
  ASSERT_TRUE(ReadGifFile(SuiteFile("animated_loop_interlaced.gif"), interlaced).ok());
  EXPECT_EQ(PixelsOf(interlaced), PixelsOf(plain));
}

// --- Hostile input ----------------------------------------------------------------------------

void ReadSurvives(std::span<const std::uint8_t> data) {
  CDib image;
  const Status st = ReadGif(data, image);
  if (st.ok()) {
    EXPECT_GT(image.GetWidth(), 0);
  } else {
    EXPECT_EQ(image.GetWidth(), 0);
  }
}

TEST(GifRobustness, EveryBitFlipAndTruncationOfOurOwnFile) {
  CDib image;
  MakeImage(image, 6, 5, [](int x, int y) { return MakePixel(x == 2 ? 0 : 255, x * 40, y, 9); });
  const std::vector<std::uint8_t> file = Encode(image);
  testing::ForEachBitFlip(file, ReadSurvives);
  testing::ForEachTruncation(file, ReadSurvives);
}

TEST(GifRobustness, EveryBitFlipAndTruncationOfAnInterlacedAnimation) {
  const std::vector<std::uint8_t> file = ReadAll(SuiteFile("animated_loop_interlaced.gif"));
  ASSERT_FALSE(file.empty());
  testing::ForEachBitFlip(file, ReadSurvives);
  testing::ForEachTruncation(file, ReadSurvives);
}

}  // namespace
}  // namespace morvane
