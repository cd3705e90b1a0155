#include "formats/png_filter.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace morvane {
namespace {

using Row = std::vector<std::uint8_t>;

// The predictor of filter type 1..4 for one byte, as the format defines it: a is the byte on the
// left, b the byte above, c the byte above-left, each 0 outside the picture.
int Predicted(int filter, int a, int b, int c) {
  switch (filter) {
    case 1:
      return a;
    case 2:
      return b;
    case 3:
      return (a + b) / 2;
    case 4: {
      const int p = a + b - c;
      const int pa = std::abs(p - a);
      const int pb = std::abs(p - b);
      const int pc = std::abs(p - c);
      if (pa <= pb && pa <= pc) return a;
      if (pb <= pc) return b;
      return c;
    }
    default:
      return 0;
  }
}

Row ReferenceFiltered(int filter, const Row& cur, const Row& up, std::size_t bpp) {
  Row out(cur.size());
  for (std::size_t x = 0; x < cur.size(); ++x) {
    const int a = x >= bpp ? cur[x - bpp] : 0;
    const int c = x >= bpp ? up[x - bpp] : 0;
    out[x] = static_cast<std::uint8_t>(cur[x] - Predicted(filter, a, up[x], c));
  }
  return out;
}

// The filter byte and the filtered row: the filter whose bytes, read as signed, have the
// smallest sum of magnitudes; the first one on a tie.
Row ReferenceRow(const Row& cur, const Row& up, std::size_t bpp) {
  Row best;
  long lowest = 0;
  for (int filter = 0; filter <= 4; ++filter) {
    Row candidate = ReferenceFiltered(filter, cur, up, bpp);
    long cost = 0;
    for (const std::uint8_t v : candidate) cost += std::abs(static_cast<std::int8_t>(v));
    if (filter == 0 || cost < lowest) {
      lowest = cost;
      candidate.insert(candidate.begin(), static_cast<std::uint8_t>(filter));
      best = candidate;
    }
  }
  return best;
}

// Runs rows through the filter and compares every output row with the reference; returns how
// often each filter was chosen.
std::array<int, 5> ExpectSameAsReference(const std::vector<Row>& rows, std::size_t bpp,
                                         const std::string& what) {
  std::array<int, 5> chosen{};
  if (rows.empty()) return chosen;
  const std::size_t n = rows[0].size();
  PngRowFilter filter(n, bpp, true);
  Row up(n, 0);
  for (std::size_t y = 0; y < rows.size(); ++y) {
    std::memcpy(filter.NextRow(), rows[y].data(), n);
    Row out(n + 1, 0xEE);
    filter.Filter(out.data());
    const Row expected = ReferenceRow(rows[y], up, bpp);
    EXPECT_EQ(out, expected) << what << ", " << n << " bytes, bpp " << bpp << ", row " << y;
    if (expected[0] < 5) ++chosen[expected[0]];
    up = rows[y];
  }
  return chosen;
}

using Generator = std::function<std::uint8_t(std::size_t x, std::size_t y)>;

std::vector<Row> MakeRows(std::size_t n, std::size_t count, const Generator& byteAt) {
  std::vector<Row> rows(count, Row(n));
  for (std::size_t y = 0; y < count; ++y) {
    for (std::size_t x = 0; x < n; ++x) rows[y][x] = byteAt(x, y);
  }
  return rows;
}

// Rows that filter type f predicts up to a small error, built left to right from random rows
// above, so that f wins and its bytes are checked over many neighbourhoods.
std::vector<Row> RowsPredictedBy(int f, std::size_t n, std::size_t bpp, std::size_t count,
                                 std::mt19937& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> error(-1, 1);
  std::vector<Row> rows;
  Row up(n);
  for (std::uint8_t& v : up) v = static_cast<std::uint8_t>(byte(random));
  rows.push_back(up);
  for (std::size_t y = 1; y < count; ++y) {
    Row cur(n);
    for (std::size_t x = 0; x < n; ++x) {
      const int a = x >= bpp ? cur[x - bpp] : 0;
      const int c = x >= bpp ? up[x - bpp] : 0;
      cur[x] = static_cast<std::uint8_t>(Predicted(f, a, up[x], c) + error(random));
    }
    rows.push_back(cur);
    // A fresh random row above the next one keeps the neighbourhoods varied.
    for (std::uint8_t& v : up) v = static_cast<std::uint8_t>(byte(random));
    rows.push_back(up);
  }
  return rows;
}

TEST(PngRowFilter, ChoosesAndFiltersLikeTheDefinitionAtEveryWidth) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> byte(0, 255);
  std::array<int, 5> total{};
  const auto add = [&](const std::array<int, 5>& counts) {
    for (int f = 0; f < 5; ++f) total[f] += counts[f];
  };
  for (const std::size_t bpp : {3u, 4u}) {
    for (std::size_t width = 1; width <= 67; ++width) {
      const std::size_t n = width * bpp;
      add(ExpectSameAsReference(
          MakeRows(n, 6, [&](std::size_t, std::size_t) { return byte(random); }), bpp, "random"));
      add(ExpectSameAsReference(
          MakeRows(n, 4, [](std::size_t, std::size_t y) { return 60 * y + 7; }), bpp, "flat"));
      add(ExpectSameAsReference(
          MakeRows(n, 4, [](std::size_t x, std::size_t y) { return 3 * x + 17 * y; }), bpp,
          "gradient"));
      add(ExpectSameAsReference(
          MakeRows(n, 4, [&](std::size_t x, std::size_t y) { return (x / bpp + y) % 2 ? 250 : 3; }),
          bpp, "alternating"));
      for (int f = 1; f <= 4; ++f) {
        add(ExpectSameAsReference(RowsPredictedBy(f, n, bpp, 3, random), bpp, "predicted"));
      }
    }
  }
  // Every filter won somewhere, so each one's bytes were compared.
  for (int f = 0; f < 5; ++f) EXPECT_GT(total[f], 10) << "filter " << f;
}

TEST(PngRowFilter, TiesGoToTheEarlierFilter) {
  // All zeros: every filter costs 0, None wins both rows.
  const std::size_t bpp = 4;
  EXPECT_EQ(ExpectSameAsReference({Row(20, 0), Row(20, 0)}, bpp, "zeros"),
            (std::array<int, 5>{2, 0, 0, 0, 0}));
  // Ones above zeros: Sub and Paeth both leave the first pixel (4) against 20 for the others, Sub
  // comes first. Ones again: Up and Paeth both leave nothing, Up comes first.
  EXPECT_EQ(ExpectSameAsReference({Row(20, 1), Row(20, 1)}, bpp, "ones"),
            (std::array<int, 5>{0, 1, 1, 0, 0}));

  // Worked by hand with one byte per pixel. 10 20 30 40 above zeros: None and Up 100, Sub 40,
  // Average 10 + 15 + 20 + 25 = 70, Paeth predicts the left byte from the second on: 40, tied
  // with Sub. The same row again: Up leaves zeros, and so does Paeth (it predicts the byte above).
  PngRowFilter filter(4, 1, true);
  const Row row = {10, 20, 30, 40};
  Row out(5);
  std::memcpy(filter.NextRow(), row.data(), 4);
  filter.Filter(out.data());
  EXPECT_EQ(out, (Row{1, 10, 10, 10, 10}));
  std::memcpy(filter.NextRow(), row.data(), 4);
  filter.Filter(out.data());
  EXPECT_EQ(out, (Row{2, 0, 0, 0, 0}));
}

TEST(PngRowFilter, LongRowsWithTheLargestBytesSumExactly) {
  // 0x80 is -128, the largest magnitude: sums over rows of thousands of bytes must not wrap.
  // Filters that only tie with the best after most of the row must still lose to the first.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (const std::size_t n : {255u * 4, 1024u, 4099u * 3}) {
    const std::size_t bpp = n % 4 == 0 ? 4 : 3;
    std::vector<Row> rows = {Row(n, 0x80), Row(n, 0x00), Row(n, 0x80), Row(n, 0x80)};
    rows.push_back(MakeRows(n, 1, [&](std::size_t, std::size_t) { return byte(random); })[0]);
    rows.push_back(MakeRows(
        n, 1, [&](std::size_t x, std::size_t) { return x < n / 2 ? 0x80 : byte(random); })[0]);
    ExpectSameAsReference(rows, bpp, "long");
  }
}

TEST(PngRowFilter, PaletteRowsAreStoredUnfilteredWhateverWouldBeSmaller) {
  PngRowFilter filter(5, 1, false);
  const Row rows[] = {{9, 9, 9, 9, 9}, {9, 9, 9, 9, 9}, {1, 2, 3, 4, 5}};
  for (const Row& row : rows) {
    std::memcpy(filter.NextRow(), row.data(), row.size());
    Row out(6);
    filter.Filter(out.data());
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(Row(out.begin() + 1, out.end()), row);
  }
}

TEST(PngSamples, PixelsBecomeRedGreenBlueAlphaAtEveryCount) {
  // Counts around the vector widths, so that the tails are covered too.
  for (std::size_t count = 1; count <= 37; ++count) {
    std::vector<std::uint32_t> pixels(count);
    Row expected;
    for (std::size_t x = 0; x < count; ++x) {
      const auto k = static_cast<std::uint8_t>(x);
      pixels[x] = 0x80000000u + 0x00102030u + 0x01010101u * k;  // alpha 128+k, red 16+k, ...
      expected.insert(expected.end(),
                      {static_cast<std::uint8_t>(0x10 + k), static_cast<std::uint8_t>(0x20 + k),
                       static_cast<std::uint8_t>(0x30 + k), static_cast<std::uint8_t>(0x80 + k)});
    }
    Row out(4 * count + 1, 0xEE);
    ToRgbaSamples(pixels.data(), count, out.data());
    EXPECT_EQ(Row(out.begin(), out.end() - 1), expected) << count;
    EXPECT_EQ(out.back(), 0xEE) << "wrote past the row at " << count;
  }
}

TEST(PngSamples, TransparentPixelsTakeTheKeyColourWhenThereIsOne) {
  // Transparent black, transparent white, barely visible red, opaque blue, then the same again
  // so that the vector loops (and not only their tails) see each case.
  const std::vector<std::uint32_t> base = {0x00000000, 0x00FFFFFF, 0x01FF0000, 0xFF0000FF};
  std::vector<std::uint32_t> pixels;
  for (int i = 0; i < 12; ++i) pixels.insert(pixels.end(), base.begin(), base.end());
  const auto run = [&](std::uint32_t key) {
    Row out(3 * pixels.size());
    ToRgbSamples(pixels.data(), pixels.size(), key, out.data());
    return out;
  };
  const Row keyed = run(0x123456);
  const Row plain = run(0);
  const Row keyedBase = {0x12, 0x34, 0x56, 0x12, 0x34, 0x56, 0xFF, 0, 0, 0, 0, 0xFF};
  const Row plainBase = {0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF};
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    EXPECT_EQ(Row(keyed.begin() + 3 * i, keyed.begin() + 3 * i + 12), keyedBase) << i;
    EXPECT_EQ(Row(plain.begin() + 3 * i, plain.begin() + 3 * i + 12), plainBase) << i;
  }
}

}  // namespace
}  // namespace morvane
