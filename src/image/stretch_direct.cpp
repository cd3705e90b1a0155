// The direct passes of the resampler: for few taps per source pixel (a small tent shrinking
// strongly, as every icon size is derived), reading the packed pixels costs less than setting up
// planes. Four channels of a pixel are summed as one vector of doubles, exactly the per-channel
// arithmetic of the planes and of the plain definition.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/stretch_parts.h"

namespace morvane::stretch {
namespace {

// Loops over the taps of one window run a handful of times each, over vectors already: the
// loop vectorizer's attempts to widen them further only add set-up work.
#if defined(__GNUC__) && !defined(__clang__)
#define MORVANE_TAP_LOOPS MORVANE_LANE_CLONES __attribute__((optimize("no-tree-loop-vectorize")))
#define MORVANE_UNROLL_2 _Pragma("GCC unroll 2")
#else
#define MORVANE_UNROLL_2
#define MORVANE_TAP_LOOPS MORVANE_LANE_CLONES
#endif

// The four channels of a pixel as doubles, in the order of its bytes in memory (blue, green,
// red, alpha on little-endian machines). Weighting and adding them as one vector does exactly
// the per-channel arithmetic, each lane on its own, in fewer instructions.
using Channels = double __attribute__((vector_size(4 * sizeof(double))));
// Vectors of them are kept in this wrapper, whose alignment the allocator honours (it would
// drop the vector type's own).
struct alignas(sizeof(Channels)) StoredChannels {
  Channels v;
};
using ChannelsVector = std::vector<StoredChannels>;
Channels* Data(ChannelsVector& v) {
  return &v.data()->v;
}
const Channels* Data(const ChannelsVector& v) {
  return &v.data()->v;
}
// Unpacked pixels are kept as 32-bit integers, half the memory of doubles, and turned into
// doubles (exactly) as they are read, which costs one instruction where vectors are wide.
using ChannelInts = std::int32_t __attribute__((vector_size(4 * sizeof(std::int32_t))));
struct alignas(sizeof(ChannelInts)) StoredInts {
  ChannelInts v;
};
using IntsVector = std::vector<StoredInts>;
const ChannelInts* Data(const IntsVector& v) {
  return &v.data()->v;
}
// The helpers below take and return 32-byte vectors by value. They are internal and always
// inlined, so no calling convention is involved, whatever the compiler warns about code built
// without AVX.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wunknown-warning-option"
#endif
#pragma GCC diagnostic ignored "-Wpsabi"
[[gnu::always_inline]] inline Channels ToDoubles(const ChannelInts& v) {
  return Channels{double(v[0]), double(v[1]), double(v[2]), double(v[3])};
}
using ChannelBytes = std::uint8_t __attribute__((vector_size(16)));
constexpr int kAlphaLane = std::endian::native == std::endian::little ? 3 : 0;

// Scratch of the direct passes: one line of pixels as channels (transparent ones as transparent
// black), and 1 where a pixel is transparent.
struct UnpackedLine {
  std::vector<Pixel> visible;
  IntsVector channels;
  std::vector<double> clear;

  void Resize(int n) {
    visible.resize(static_cast<std::size_t>(n));
    channels.resize(static_cast<std::size_t>(n));
    clear.resize(static_cast<std::size_t>(n));
  }
  std::size_t HeldBytes() const {
    return visible.capacity() * sizeof(Pixel) + channels.capacity() * sizeof(ChannelInts) +
           clear.capacity() * sizeof(double);
  }
};

// Unpacks in[0..n) into `line`; returns the number of transparent pixels. Plain loops over
// bytes, which the compiler converts many at a time.
MORVANE_LANE_CLONES int Unpack(const Pixel* in, int n, UnpackedLine& line) {
  int transparent = 0;
  for (int x = 0; x < n; ++x) {
    const bool clear = IsTransparent(in[x]);
    transparent += clear ? 1 : 0;
    line.clear[static_cast<std::size_t>(x)] = clear ? 1.0 : 0.0;
    line.visible[static_cast<std::size_t>(x)] = clear ? 0 : in[x];
  }
  const auto* from = reinterpret_cast<const std::uint8_t*>(line.visible.data());
  auto* to = reinterpret_cast<std::int32_t*>(line.channels.data());
  const std::size_t count = static_cast<std::size_t>(n) * sizeof(Pixel);
  for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
  return transparent;
}

// The integer parts of the lanes as the bytes of a pixel.
[[gnu::always_inline]] inline Pixel Truncate(const Channels& v) {
  const ChannelInts ints = __builtin_convertvector(v, ChannelInts);
  const auto bytes = reinterpret_cast<ChannelBytes>(ints);
  const auto low = __builtin_shufflevector(bytes, bytes, 0, 4, 8, 12);
  Pixel p;
  std::memcpy(&p, &low, sizeof p);
  return p;
}

// ToChannel on every lane.
[[gnu::always_inline]] inline Pixel Pack(const Channels& sums) {
  const Channels zero = {}, top = zero + 255.0;
  Channels v = sums + 0.5;
  v = v > zero ? v : zero;  // NaN lands here too
  v = v < top ? v : top;
  return Truncate(v);
}

// ToChannel on every lane of sums taken with plain weights (g is 1): weighted means of bytes,
// whose weights add up to 1 within far less than 0.5 / 255, so the clamps never act.
[[gnu::always_inline]] inline Pixel PackMeans(const Channels& sums) {
  return Truncate(sums + 0.5);
}

// g on the colour lanes, 1 on the alpha lane: times w, the weights of a visible pixel.
[[gnu::always_inline]] inline void SetGains(double g, Channels& gains) {
  gains = Channels{} + g;
  gains[kAlphaLane] = 1.0;
}

// Source rows filtered together by the direct horizontal pass: they share every weight, and
// summing them side by side shares the loop and the loads of the weights.
constexpr int kRowsTogether = 4;

// kRowsTogether source rows unpacked, and their transparency side by side: lane r of clear[x]
// is 1 where pixel x of row r is transparent.
struct UnpackedRows {
  UnpackedLine rows[kRowsTogether];
  ChannelsVector clear;

  void Resize(int width) {
    for (UnpackedLine& row : rows) row.Resize(width);
    clear.resize(static_cast<std::size_t>(width));
  }
  std::size_t HeldBytes() const {
    std::size_t bytes = clear.capacity() * sizeof(Channels);
    for (const UnpackedLine& row : rows) bytes += row.HeldBytes();
    return bytes;
  }
};

// u.clear from the rows' own flags.
MORVANE_LANE_CLONES void InterleaveClear(UnpackedRows& u, int width) {
  Channels* clear = Data(u.clear);
  const double* c0 = u.rows[0].clear.data();
  const double* c1 = u.rows[1].clear.data();
  const double* c2 = u.rows[2].clear.data();
  const double* c3 = u.rows[3].clear.data();
  int x = 0;
  for (; x + 4 <= width; x += 4) {  // a 4 x 4 transposition
    Channels a, b, c, d;
    std::memcpy(&a, c0 + x, sizeof a);
    std::memcpy(&b, c1 + x, sizeof b);
    std::memcpy(&c, c2 + x, sizeof c);
    std::memcpy(&d, c3 + x, sizeof d);
    const Channels abEven = __builtin_shufflevector(a, b, 0, 4, 2, 6);
    const Channels abOdd = __builtin_shufflevector(a, b, 1, 5, 3, 7);
    const Channels cdEven = __builtin_shufflevector(c, d, 0, 4, 2, 6);
    const Channels cdOdd = __builtin_shufflevector(c, d, 1, 5, 3, 7);
    clear[x] = __builtin_shufflevector(abEven, cdEven, 0, 1, 4, 5);
    clear[x + 1] = __builtin_shufflevector(abOdd, cdOdd, 0, 1, 4, 5);
    clear[x + 2] = __builtin_shufflevector(abEven, cdEven, 2, 3, 6, 7);
    clear[x + 3] = __builtin_shufflevector(abOdd, cdOdd, 2, 3, 6, 7);
  }
  for (; x < width; ++x) clear[x] = Channels{c0[x], c1[x], c2[x], c3[x]};
}

// Unpacks rows[0..kRowsTogether) of `width` pixels; returns the number of transparent pixels.
int UnpackRows(const Pixel* const* rows, int width, UnpackedRows& u) {
  int transparent = 0;
  for (int r = 0; r < kRowsTogether; ++r) transparent += Unpack(rows[r], width, u.rows[r]);
  InterleaveClear(u, width);
  return transparent;
}

// The last step of one row's window: sums and t were taken with plain weights, which is exact
// whenever t is 0 (g is 1) or the alpha sum is 0 (every visible pixel has weight 0, so every
// colour term is 0 whatever g is). Only windows that mix transparent and visible pixels are
// summed again: colour weights g * w so the visible neighbours fill in for the transparent
// ones, alpha weights w.
[[gnu::always_inline]] inline Pixel FinishWindow(Channels sums, double t, const ChannelInts* p,
                                                 const double* w, int n) {
  if (t == 0.0 || sums[kAlphaLane] == 0.0) return PackMeans(sums);
  Channels gains;
  SetGains(ColourGain(t), gains);
  sums = Channels{};
  for (int j = 0; j < n; ++j) sums += (gains * w[j]) * ToDoubles(p[j]);
  return Pack(sums);
}

// Horizontal pass over kRowsTogether unpacked rows into out[r] for row r.
MORVANE_TAP_LOOPS void FilterRowGroup(const UnpackedRows& u, const ContributionTable& table,
                                      Pixel* const* out) {
  static_assert(kRowsTogether == 4, "the sums below are written out for four rows");
  const Channels* clear = Data(u.clear);
  for (std::size_t k = 0; k < table.Size(); ++k) {
    const Contribution& c = table[k];
    const double* w = table.Weights(c);
    const int n = c.right - c.left + 1;
    const ChannelInts* p0 = Data(u.rows[0].channels) + c.left;
    const ChannelInts* p1 = Data(u.rows[1].channels) + c.left;
    const ChannelInts* p2 = Data(u.rows[2].channels) + c.left;
    const ChannelInts* p3 = Data(u.rows[3].channels) + c.left;
    const Channels* cl = clear + c.left;
    Channels s0 = {}, s1 = {}, s2 = {}, s3 = {}, t = {};
    MORVANE_UNROLL_2
    for (int j = 0; j < n; ++j) {
      const double wj = w[j];
      s0 += wj * ToDoubles(p0[j]);
      s1 += wj * ToDoubles(p1[j]);
      s2 += wj * ToDoubles(p2[j]);
      s3 += wj * ToDoubles(p3[j]);
      t += wj * cl[j];
    }
    if (t[0] + t[1] + t[2] + t[3] == 0.0) {  // no transparent pixel in the four windows
      out[0][k] = PackMeans(s0);
      out[1][k] = PackMeans(s1);
      out[2][k] = PackMeans(s2);
      out[3][k] = PackMeans(s3);
    } else {
      out[0][k] = FinishWindow(s0, t[0], p0, w, n);
      out[1][k] = FinishWindow(s1, t[1], p1, w, n);
      out[2][k] = FinishWindow(s2, t[2], p2, w, n);
      out[3][k] = FinishWindow(s3, t[3], p3, w, n);
    }
  }
}

}  // namespace

// kRowsTogether rows at a time; a last, shorter group repeats its last row (and writes the same
// results over it again).
void FilterRowsDirect(const PixelView& source, int first, int count, const ContributionTable& table,
                      Pixel* out) {
  const std::size_t columns = table.Size();
  if (AllPassThrough(table)) {  // an unscaled copy
    // Unscaled, the entries read consecutive pixels; a narrow kernel enlarging repeats them.
    const int from = table[0].left;
    bool consecutive = true;
    for (std::size_t k = 0; k < columns; ++k) {
      consecutive = consecutive && table[k].left == from + static_cast<int>(k);
    }
    for (int y = 0; y < count; ++y) {
      const Pixel* in = source.Row(first + y);
      Pixel* row = out + static_cast<std::size_t>(y) * columns;
      if (consecutive) {
        std::transform(in + from, in + from + columns, row, PassThrough);
      } else {
        for (std::size_t k = 0; k < columns; ++k) row[k] = PassThrough(in[table[k].left]);
      }
    }
    return;
  }
  Scratch<UnpackedRows, 0> scratch;
  scratch->Resize(source.width);
  for (int y0 = 0; y0 < count; y0 += kRowsTogether) {
    const int rows = std::min(kRowsTogether, count - y0);
    const Pixel* in[kRowsTogether];
    Pixel* results[kRowsTogether];
    for (int r = 0; r < kRowsTogether; ++r) {
      const int y = y0 + std::min(r, rows - 1);
      in[r] = source.Row(first + y);
      results[r] = out + static_cast<std::size_t>(y) * columns;
    }
    if (UnpackRows(in, source.width, *scratch) == kRowsTogether * source.width) {
      std::fill_n(results[0], static_cast<std::size_t>(rows) * columns, Pixel{0});
    } else {
      FilterRowGroup(*scratch, table, results);
    }
  }
}

namespace {

// Working memory of the direct vertical pass: the intermediate rows a window reads, unpacked
// once each (windows move down the image, so a ring of the widest window's rows holds them),
// and per column the sums and t of the destination row being computed.
struct DownScratch {
  std::vector<UnpackedLine> ring;
  std::vector<int> ringRow, ringTransparent;
  ChannelsVector sums;
  std::vector<double> t;

  void Resize(int slots, int columns) {
    const auto n = static_cast<std::size_t>(columns);
    ring.resize(static_cast<std::size_t>(slots));
    for (UnpackedLine& line : ring) line.Resize(columns);
    ringRow.assign(static_cast<std::size_t>(slots), -1);
    ringTransparent.resize(static_cast<std::size_t>(slots));
    sums.resize(n);
    t.resize(n);
  }
  std::size_t HeldBytes() const {
    std::size_t bytes = sums.capacity() * sizeof(Channels);
    for (const UnpackedLine& line : ring) bytes += line.HeldBytes();
    return bytes + t.capacity() * sizeof(double);
  }
};

// Above this, the ring of the direct vertical pass would outgrow what the planes need.
constexpr double kMaxDirectBytes = double{64 << 20};

// t[x] += w * clear[x] over a row (the weight of each column's transparent pixel, if any), or
// t[x] = w * clear[x] for the first row of a window.
MORVANE_LANE_CLONES void AddTransparentWeights(const double* clear, double w, int n, bool first,
                                               double* t) {
  if (first) {
    for (int x = 0; x < n; ++x) t[x] = w * clear[x];
  } else {
    for (int x = 0; x < n; ++x) t[x] += w * clear[x];
  }
}

// Vertical pass straight from the packed intermediate rows, for few taps per row: every column
// is filtered as FilterRowGroup filters a window, the columns of a row side by side so that
// memory is read along rows. The plain sums of a column are exact where its t is 0 or its alpha
// sum is 0; the columns that mix transparent and visible pixels are summed again with their own
// g.
MORVANE_TAP_LOOPS void FilterColumnsDirect(const Pixel* middle, int columns,
                                           const ContributionTable& table, int firstRow,
                                           CDib& destination, int left, int top) {
  Scratch<DownScratch, 0> scratch;
  DownScratch& s = *scratch;
  const int slots = table.Widest();
  s.Resize(slots, columns);
  Channels* sums = Data(s.sums);
  std::vector<const UnpackedLine*> window(static_cast<std::size_t>(slots));
  for (std::size_t k = 0; k < table.Size(); ++k) {
    const Contribution& c = table[k];
    const double* w = table.Weights(c);
    const int n = c.right - c.left + 1;
    bool anyTransparent = false;
    for (int j = 0; j < n; ++j) {
      const int row = c.left - firstRow + j;
      const auto slot = static_cast<std::size_t>(row % slots);
      if (s.ringRow[slot] != row) {
        s.ringTransparent[slot] =
            Unpack(middle + static_cast<std::size_t>(row) * columns, columns, s.ring[slot]);
        s.ringRow[slot] = row;
      }
      anyTransparent = anyTransparent || s.ringTransparent[slot] > 0;
      window[static_cast<std::size_t>(j)] = &s.ring[slot];
    }
    // Every term is +0 or positive, so starting each sum at its first term instead of at 0
    // changes nothing and saves clearing the sums.
    auto lineOf = [&](int j) { return Data(window[static_cast<std::size_t>(j)]->channels); };
    // Rows are added two at a time where they can be: the same additions in the same order,
    // with half the trips through the sums.
    int j = 1;
    if (n % 2 == 0) {
      const ChannelInts* p = lineOf(0);
      const ChannelInts* q = lineOf(1);
      const double wp = w[0], wq = w[1];
      for (int x = 0; x < columns; ++x) sums[x] = wp * ToDoubles(p[x]) + wq * ToDoubles(q[x]);
      j = 2;
    } else {
      const ChannelInts* p = lineOf(0);
      const double wp = w[0];
      for (int x = 0; x < columns; ++x) sums[x] = wp * ToDoubles(p[x]);
    }
    for (; j < n; j += 2) {
      const ChannelInts* p = lineOf(j);
      const ChannelInts* q = lineOf(j + 1);
      const double wp = w[j], wq = w[j + 1];
      for (int x = 0; x < columns; ++x) {
        sums[x] = (sums[x] + wp * ToDoubles(p[x])) + wq * ToDoubles(q[x]);
      }
    }
    Pixel* out = destination.Row(top + static_cast<int>(k)) + left;
    if (!anyTransparent) {
      for (int x = 0; x < columns; ++x) out[x] = PackMeans(sums[x]);
      continue;
    }
    double* t = s.t.data();
    for (int j = 0; j < n; ++j) {
      const double* clear = window[static_cast<std::size_t>(j)]->clear.data();
      AddTransparentWeights(clear, w[j], columns, j == 0, t);
    }
    // As in FinishWindow, only columns mixing transparent and visible pixels are summed again.
    for (int x = 0; x < columns; ++x) {
      if (t[x] == 0.0 || sums[x][kAlphaLane] == 0.0) {
        out[x] = PackMeans(sums[x]);
        continue;
      }
      Channels gains;
      SetGains(ColourGain(t[x]), gains);
      Channels gained = (gains * w[0]) * ToDoubles(lineOf(0)[x]);
      for (int j = 1; j < n; ++j) gained += (gains * w[j]) * ToDoubles(lineOf(j)[x]);
      out[x] = Pack(gained);
    }
  }
}

}  // namespace

bool DirectDownFits(const ContributionTable& table, int columns) {
  return static_cast<double>(table.Widest()) * columns * sizeof(ChannelInts) <= kMaxDirectBytes;
}

void FilterDown(const Pixel* middle, int columns, const ContributionTable& table, int firstRow,
                CDib& destination, int left, int top) {
  FilterColumnsDirect(middle, columns, table, firstRow, destination, left, top);
}

}  // namespace morvane::stretch
