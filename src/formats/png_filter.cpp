#include "formats/png_filter.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "image/cpu_clones.h"

namespace morvane {
namespace {

using Byte = std::uint8_t;

enum FilterType : Byte { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Row loops are inlined into the cloned function, so that each version compiles them for its
// own instruction set.
#if defined(__GNUC__)
#define MORVANE_ROW_LOOP [[gnu::always_inline]] inline
#else
#define MORVANE_ROW_LOOP inline
#endif

// The row being filtered and the raw row above it. Both are preceded by bpp zero bytes, the
// neighbours left of the picture, so that the first pixel needs no loop of its own.
struct Rows {
  const Byte* cur;
  const Byte* up;
  std::size_t n;    // bytes in a row
  std::size_t bpp;  // distance to the left neighbour
};

// Each filter's output byte from the current byte c and its neighbours: a on the left, b above,
// d above-left. Bytes left of the row are 0. Everything stays in bytes, so that the compiler can
// work on whole vectors of a row (no output depends on an earlier output).
struct NoneResidual {
  static Byte At(Byte c, Byte, Byte, Byte) { return c; }
};
struct SubResidual {
  static Byte At(Byte c, Byte a, Byte, Byte) { return static_cast<Byte>(c - a); }
};
struct UpResidual {
  static Byte At(Byte c, Byte, Byte b, Byte) { return static_cast<Byte>(c - b); }
};
struct AverageResidual {
  static Byte At(Byte c, Byte a, Byte b, Byte) { return static_cast<Byte>(c - ((a + b) >> 1)); }
};
// All ones where v holds, else zero: selects made of masks vectorise to a few instructions.
inline Byte Mask(bool v) {
  return static_cast<Byte>(-static_cast<int>(v));
}
inline Byte Select(Byte mask, Byte ifSet, Byte otherwise) {
  return static_cast<Byte>((ifSet & mask) | (otherwise & ~mask));
}

// The predictor is whichever of a, b, d is nearest to p = a + b - d (ties in that order). The
// distances are worked out in bytes: |p - a| = |b - d| and |p - b| = |a - d|, while |p - d| is
// their difference when a and b lie on opposite sides of d, else their sum. In place of the sum,
// which may not fit a byte, the larger distance serves: neither distance exceeds either value.
struct PaethResidual {
  static Byte At(Byte c, Byte a, Byte b, Byte d) {
    const Byte highBD = std::max(b, d);
    const Byte highAD = std::max(a, d);
    const Byte pa = static_cast<Byte>(highBD - std::min(b, d));
    const Byte pb = static_cast<Byte>(highAD - std::min(a, d));
    const Byte apart = Mask(highBD == b) ^ Mask(highAD == a);
    const Byte pc = static_cast<Byte>(std::max(pa, pb) - (std::min(pa, pb) & apart));
    const Byte nearestOfBC = std::min(pb, pc);
    const Byte nearerOfBD = Select(Mask(nearestOfBC == pb), b, d);
    return static_cast<Byte>(c - Select(Mask(std::min(pa, nearestOfBC) == pa), a, nearerOfBD));
  }
};

// A filtered byte read as signed, by magnitude: min(v, -v) in unsigned bytes.
inline Byte Magnitude(Byte v) {
  const Byte negated = static_cast<Byte>(-v);
  return std::min(v, negated);
}

// Bytes summed per block, between checks against the best cost so far.
constexpr std::size_t kBlock = 512;

// The blocks' magnitudes are summed as distances from a row of zeros read from memory: that is
// the pattern compilers turn into sum-of-absolute-differences instructions, which add up eight
// bytes in one step (a literal 0 would be folded away, and with it the pattern).
alignas(64) const Byte kZeros[kBlock] = {};

template <typename Residual>
MORVANE_ROW_LOOP std::uint32_t BlockCost(const Rows& r, std::size_t from, std::size_t count) {
  const Byte* c = r.cur + from;
  const Byte* a = c - r.bpp;
  const Byte* b = r.up + from;
  const Byte* d = b - r.bpp;
  int sum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    sum += std::abs(Magnitude(Residual::At(c[i], a[i], b[i], d[i])) - kZeros[i]);
  }
  return static_cast<std::uint32_t>(sum);
}

// The row's cost under one filter. Summing stops once it reaches limit: only a strictly lower
// cost can win, so the exact figure no longer matters.
template <typename Residual>
MORVANE_ROW_LOOP std::uint64_t RowCost(const Rows& r, std::uint64_t limit) {
  std::uint64_t sum = 0;
  for (std::size_t from = 0; from < r.n && sum < limit; from += kBlock) {
    sum += BlockCost<Residual>(r, from, std::min(kBlock, r.n - from));
  }
  return sum;
}

template <typename Residual>
MORVANE_ROW_LOOP void WriteRow(const Rows& r, Byte* __restrict out) {
  const Byte* c = r.cur;
  const Byte* a = r.cur - r.bpp;
  const Byte* b = r.up;
  const Byte* d = r.up - r.bpp;
  for (std::size_t x = 0; x < r.n; ++x) out[x] = Residual::At(c[x], a[x], b[x], d[x]);
}

// Chooses the row's filter and writes the filter byte and the filtered row to out.
MORVANE_LANE_CLONES void FilterAdaptive(const Rows& r, Byte* out) {
  FilterType chosen = kNone;
  std::uint64_t lowest = RowCost<NoneResidual>(r, std::numeric_limits<std::uint64_t>::max());
  const auto consider = [&](FilterType filter, std::uint64_t cost) {
    if (cost < lowest) {
      lowest = cost;
      chosen = filter;
    }
  };
  consider(kSub, RowCost<SubResidual>(r, lowest));
  consider(kUp, RowCost<UpResidual>(r, lowest));
  consider(kAverage, RowCost<AverageResidual>(r, lowest));
  consider(kPaeth, RowCost<PaethResidual>(r, lowest));
  out[0] = chosen;
  switch (chosen) {
    case kNone:
      std::memcpy(out + 1, r.cur, r.n);
      break;
    case kSub:
      WriteRow<SubResidual>(r, out + 1);
      break;
    case kUp:
      WriteRow<UpResidual>(r, out + 1);
      break;
    case kAverage:
      WriteRow<AverageResidual>(r, out + 1);
      break;
    case kPaeth:
      WriteRow<PaethResidual>(r, out + 1);
      break;
  }
}

}  // namespace

MORVANE_LANE_CLONES void ToRgbaSamples(const std::uint32_t* pixels, std::size_t count,
                                       std::uint8_t* out) {
  for (std::size_t x = 0; x < count; ++x) {
    const std::uint32_t v = pixels[x];
    if constexpr (std::endian::native == std::endian::little) {
      // Blue, green, red, alpha in memory: swapping blue and red gives the sample order.
      const std::uint32_t rgba = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
      std::memcpy(out + 4 * x, &rgba, 4);
    } else {
      out[4 * x] = static_cast<Byte>(v >> 16);
      out[4 * x + 1] = static_cast<Byte>(v >> 8);
      out[4 * x + 2] = static_cast<Byte>(v);
      out[4 * x + 3] = static_cast<Byte>(v >> 24);
    }
  }
}

MORVANE_LANE_CLONES void ToRgbSamples(const std::uint32_t* pixels, std::size_t count,
                                      std::uint32_t keyColor, std::uint8_t* out) {
  // Without a key the bound lets through only 0, which stays 0: one rule, one compare.
  const std::uint32_t keyedUpTo = keyColor != 0 ? 0x00FFFFFFu : 0u;
  for (std::size_t x = 0; x < count; ++x) {
    const std::uint32_t v = pixels[x];
    const std::uint32_t rgb = v <= keyedUpTo ? keyColor : v;
    out[3 * x] = static_cast<Byte>(rgb >> 16);
    out[3 * x + 1] = static_cast<Byte>(rgb >> 8);
    out[3 * x + 2] = static_cast<Byte>(rgb);
  }
}

PngRowFilter::PngRowFilter(std::size_t rowBytes, std::size_t bytesPerPixel, bool adaptive)
    : rowBytes_(rowBytes),
      bpp_(bytesPerPixel),
      adaptive_(adaptive),
      rows_(2 * (bytesPerPixel + rowBytes), 0),
      current_(rows_.data() + bytesPerPixel),
      previous_(current_ + rowBytes + bytesPerPixel) {}

void PngRowFilter::Filter(std::uint8_t* out) {
  if (adaptive_) {
    FilterAdaptive(Rows{current_, previous_, rowBytes_, bpp_}, out);
    std::swap(current_, previous_);
  } else {
    out[0] = kNone;
    std::memcpy(out + 1, current_, rowBytes_);
  }
}

}  // namespace morvane
