#include "effects/transforms.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "image/cpu_clones.h"
#include "image/parallel.h"

namespace morvane {
namespace {

// pi / 180 as the rotation uses it.
constexpr double kDegree = 0.017453292519943295;
// Rounding noise of the sine and cosine (cos 90 is not exactly 0) must not grow the box.
constexpr double kBoxSlack = 1e-3;

// Sums one block of a supersampled image: alpha over the whole block, colour over its visible
// pixels only.
struct BlockSum {
  unsigned alpha = 0, red = 0, green = 0, blue = 0, visible = 0;

  void Add(Pixel p) {
    if (IsTransparent(p)) return;
    alpha += AlphaOf(p);
    red += RedOf(p);
    green += GreenOf(p);
    blue += BlueOf(p);
    ++visible;
  }
  Pixel Result(unsigned blockPixels) const {
    if (visible == 0) return 0;
    return MakePixel(alpha / blockPixels, red / visible, green / visible, blue / visible);
  }
};

// The bounding box of a w x h rectangle rotated about its corner (0, 0), rounded outward.
template <typename Real>
Rect RotatedBox(Real w, Real h, Real cs, Real sn) {
  const Real xs[4] = {0, w * cs, -(h * sn), w * cs - h * sn};
  const Real ys[4] = {0, w * sn, h * cs, w * sn + h * cs};
  Rect box{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    box.left = std::min(box.left, static_cast<int>(std::floor(xs[i] + kBoxSlack)));
    box.top = std::min(box.top, static_cast<int>(std::floor(ys[i] + kBoxSlack)));
    box.right = std::max(box.right, static_cast<int>(std::ceil(xs[i] - kBoxSlack)));
    box.bottom = std::max(box.bottom, static_cast<int>(std::ceil(ys[i] - kBoxSlack)));
  }
  box.right = std::max(box.right, box.left + 1);
  box.bottom = std::max(box.bottom, box.top + 1);
  return box;
}

// Source pixel under a destination point, transparent outside the source.
template <typename Real, typename Scale>
Pixel Sample(const CDib& source, Real x, Real y, Real cs, Real sn, Scale scale) {
  const int sx = static_cast<int>(x * cs + y * sn);
  const int sy = static_cast<int>(y * cs - x * sn);
  if (sx < 0 || sy < 0 || sx >= source.GetWidth() * scale || sy >= source.GetHeight() * scale) {
    return 0;
  }
  return source.Row(sy / scale)[sx / scale];
}

bool RotateNearest(CDib& image, double angle) {
  const float theta = static_cast<float>(angle * kDegree);
  const float cs = std::cos(theta);
  const float sn = std::sin(theta);
  const Rect box = RotatedBox<float>(static_cast<float>(image.GetWidth()),
                                     static_cast<float>(image.GetHeight()), cs, sn);
  CDib result;
  if (!result.Create(box.Width(), box.Height())) return false;
  for (int row = 0; row < box.Height(); ++row) {
    Pixel* out = result.Row(row);
    const auto y = static_cast<float>(row + box.top);
    for (int col = 0; col < box.Width(); ++col) {
      const Pixel p = Sample<float>(image, static_cast<float>(col + box.left), y, cs, sn,
                                    std::integral_constant<int, 1>{});
      out[col] = IsTransparent(p) ? 0 : p;
    }
  }
  image = std::move(result);
  return true;
}

// Helpers of a cloned loop are inlined into it, so that they too use its instruction set; how
// a call would pass wide vectors does not matter then.
#define MORVANE_LANE_INLINE [[gnu::always_inline]] inline
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

// N sample points side by side: their source coordinates, and what they yield.
template <int N>
struct LaneTypes {
  typedef double Reals __attribute__((vector_size(N * sizeof(double))));
  typedef std::int32_t Ints __attribute__((vector_size(N * sizeof(std::int32_t))));
  typedef std::uint32_t Words __attribute__((vector_size(N * sizeof(std::uint32_t))));
};
template <int N>
using Reals = typename LaneTypes<N>::Reals;
template <int N>
using Ints = typename LaneTypes<N>::Ints;
template <int N>
using Words = typename LaneTypes<N>::Words;
// A block's sample points are taken kLanes at a time: a whole sample row (and spare lanes), or
// kRows whole rows where several fit.
template <int J>
constexpr int kLanes = J <= 3 ? 4 : 8;
template <int J>
constexpr int kRows = kLanes<J> % J == 0 ? std::min(kLanes<J> / J, J) : 1;
// Lane l holds point (l % kRowLanes, l / kRowLanes) of the rows taken; lanes past J are spare.
template <int J>
constexpr int kRowLanes = kRows<J> > 1 ? J : kLanes<J>;

// y sin and y cos of the sample rows of one row of blocks, laid out as the lanes take them.
template <int J>
struct RowProducts {
  Reals<kLanes<J>> ySin[J / kRows<J>], yCos[J / kRows<J>];
};

// Where the J x J sample points of a block fall in the enlarged source.
enum class Cover { kNone, kSome, kAll };

// How far the source positions of a block's corners reach from its first point's (u0, v0):
// u = u0 + dx cos + dy sin and v = v0 + dy cos - dx sin with dx, dy 0 or J - 1.
struct CornerReach {
  double uLow = 0, uHigh = 0, vLow = 0, vHigh = 0;

  CornerReach(double size, double cs, double sn) {
    const double c = size * cs, s = size * sn;
    uLow = std::min(0.0, c) + std::min(0.0, s);
    uHigh = std::max(0.0, c) + std::max(0.0, s);
    vLow = std::min(0.0, c) + std::min(0.0, -s);
    vHigh = std::max(0.0, c) + std::max(0.0, -s);
  }
};

// The points lie within the convex hull of the block's corners, so the corners' source
// positions bound them all; the margin covers rounding, in the per-point sums and in the
// corners worked out from the first point. A point samples the source when -1 < u < w and
// -1 < v < h (truncation toward zero).
MORVANE_LANE_INLINE Cover BlockCover(double u0, double v0, const CornerReach& r, double w,
                                     double h) {
  constexpr double kMargin = 1e-6;
  const double uLow = u0 + r.uLow, uHigh = u0 + r.uHigh;
  const double vLow = v0 + r.vLow, vHigh = v0 + r.vHigh;
  if (uHigh <= -1 - kMargin || uLow >= w + kMargin || vHigh <= -1 - kMargin ||
      vLow >= h + kMargin) {
    return Cover::kNone;
  }
  if (uLow >= -1 + kMargin && uHigh <= w - kMargin && vLow >= -1 + kMargin &&
      vHigh <= h - kMargin) {
    return Cover::kAll;
  }
  return Cover::kSome;
}

// What every block row of one supersampled rotation shares. The sample point (x, y) reads the
// source at (trunc(x cos + y sin), trunc(y cos - x sin)) of the image enlarged J times, that is
// source pixel (. / J, . / J). x cos and x sin of every sample column are worked out once here:
// the very products each sample would compute, so the sums come out the same.
struct SampleGrid {
  const Pixel* pixels = nullptr;
  int stride = 0;
  int sampleW = 0, sampleH = 0;  // the enlarged source
  double cs = 0, sn = 0;
  Rect box;                      // the enlarged result, whole blocks
  std::vector<double> xcs, xsn;  // per sample column, spare ones at the end for the lanes
};

// n / J as (n m) >> shift in 32-bit lanes, exact for 0 <= n < limit: with e = m J - 2^shift,
// n m / 2^shift exceeds n / J by n e / (J 2^shift), less than 1 / J while n e < 2^shift; and
// n m must not overflow. The shift allowing the largest n is picked.
struct Divider {
  std::uint32_t m = 1;
  int shift = 0, limit = 0;
};
template <int J>
constexpr Divider kDivider = [] {
  Divider best;
  for (int shift = 1; shift < 32; ++shift) {
    const std::uint64_t power = std::uint64_t{1} << shift;
    const std::uint64_t m = (power + J - 1) / J, e = m * J - power;
    const std::uint64_t exact = e == 0 ? ~std::uint64_t{0} : (power - 1) / e + 1;
    const std::uint64_t limit = std::min({exact, 0xFFFFFFFF / m + 1, std::uint64_t{0x7FFFFFFF}});
    if (limit > static_cast<std::uint64_t>(best.limit))
      best = {static_cast<std::uint32_t>(m), shift, static_cast<int>(limit)};
  }
  return best;
}();

template <int J>
constexpr bool DividesExactly() {
  for (std::uint32_t n = 0; n < static_cast<std::uint32_t>(kDivider<J>.limit); ++n) {
    if ((n * kDivider<J>.m) >> kDivider<J>.shift != n / J) return false;
  }
  return true;
}
static_assert(DividesExactly<3>() && DividesExactly<5>() && DividesExactly<6>() &&
              DividesExactly<7>() && kDivider<7>.limit >= 8192 * 7);

// Source column or row of an enlarged coordinate n: an integer division by J. kNarrow: every
// coordinate is below kDivider<J>.limit. Otherwise, where J is no power of two, it is done on
// doubles: (n + 0.5) / J lies at least 1 / 2J from any integer, far more than the rounding of
// the product can move it. Lanes that are left out may hold anything.
template <int J, bool kNarrow, int N>
MORVANE_LANE_INLINE Ints<N> DivideByFactor(const Ints<N>& n) {
  if constexpr ((J & (J - 1)) == 0) {
    return n >> std::countr_zero(static_cast<unsigned>(J));
  } else if constexpr (kNarrow) {
    const Words<N> q = reinterpret_cast<Words<N>>(n) * kDivider<J>.m >> kDivider<J>.shift;
    return reinterpret_cast<Ints<N>>(q);
  } else {
    const Reals<N> scaled = (__builtin_convertvector(n, Reals<N>) + 0.5) * (1.0 / J);
    return __builtin_convertvector(scaled, Ints<N>);
  }
}

// The pixels at index, one load per lane (unsigned: no sign extension before each load).
template <int N>
MORVANE_LANE_INLINE Words<N> Fetch(const Pixel* pixels, const Words<N>& index) {
  Words<N> p;
  for (int l = 0; l < N; ++l) p[l] = pixels[index[l]];
  return p;
}

// The sum of all lanes, halving the vector in each step.
template <int N>
MORVANE_LANE_INLINE std::uint32_t LaneSum(const Words<N>& v) {
  if constexpr (N == 1) {
    return v[0];
  } else {
    return [&]<std::size_t... L>(std::index_sequence<L...>) {
      return LaneSum<N / 2>(__builtin_shufflevector(v, v, L...) +
                            __builtin_shufflevector(v, v, (L + N / 2)...));
    }
    (std::make_index_sequence<N / 2>{});
  }
}

// ceil(2^32 / n): sum * it >> 32 is sum / n for every sum below 2^16 and n up to 64 (the error
// stays below sum / 2^32 < 1 / n). A division would cost more than the rest of a small block.
constexpr auto kReciprocals = [] {
  std::array<std::uint64_t, 65> r{};
  for (std::uint64_t n = 1; n <= 64; ++n) r[n] = ((std::uint64_t{1} << 32) + n - 1) / n;
  return r;
}();

// The sums of one block's visible samples, packed: red and blue, alpha and green share a word
// each, in halves that cannot carry into each other (64 x 255 < 65536).
template <int N>
struct PackedSums {
  Words<N> redBlue{}, alphaGreen{}, visible{};

  MORVANE_LANE_INLINE void Add(const Words<N>& pixels) {
    const auto shown = reinterpret_cast<Words<N>>((pixels >> 24) != 0);  // all ones where visible
    const Words<N> p = pixels & shown;
    visible -= shown;
    redBlue += p & 0x00FF00FFu;
    alphaGreen += (p >> 8) & 0x00FF00FFu;
  }
  MORVANE_LANE_INLINE Pixel Result(unsigned blockPixels) const {
    const std::uint32_t count = LaneSum<N>(visible);
    if (count == 0) return 0;
    const std::uint32_t rb = LaneSum<N>(redBlue), ag = LaneSum<N>(alphaGreen);
    const std::uint64_t r = kReciprocals[count];
    const auto share = [r](std::uint32_t sum) { return static_cast<std::uint32_t>(sum * r >> 32); };
    return MakePixel((ag >> 16) / blockPixels, share(rb >> 16), share(ag & 0xFFFF),
                     share(rb & 0xFFFF));
  }
};

// The lanes' values of a block's sample columns, from those of its first column on: one row's
// worth, repeated for each row taken. (Copying the row into memory twice and loading the
// vector back would stall on store forwarding.)
template <int J>
MORVANE_LANE_INLINE Reals<kLanes<J>> RowLanes(const double* columns) {
  Reals<kLanes<J>> lanes;
  if constexpr (kRows<J> == 1) {
    std::memcpy(&lanes, columns, sizeof lanes);
  } else {
    for (int l = 0; l < kLanes<J>; ++l) lanes[l] = columns[l % kRowLanes<J>];
  }
  return lanes;
}

// Sums the samples of block col, kLanes of them at a time. kChecked: some points may miss the
// source and are left out.
template <int J, bool kNarrow, bool kChecked>
MORVANE_LANE_INLINE Pixel SampleBlock(const SampleGrid& g, int col, const RowProducts<J>& y) {
  static_assert(J * J <= 64, "packed sums hold at most 64 samples");
  constexpr int N = kLanes<J>;
  const double* xcs = g.xcs.data() + static_cast<std::ptrdiff_t>(col) * J;
  const double* xsn = g.xsn.data() + static_cast<std::ptrdiff_t>(col) * J;
  const Reals<N> xc = RowLanes<J>(xcs), xs = RowLanes<J>(xsn);
  Ints<N> spare;
  for (int l = 0; l < N; ++l) spare[l] = l % kRowLanes<J> < J ? -1 : 0;
  PackedSums<N> sums;
  for (int k = 0; k < J / kRows<J>; ++k) {
    const auto su = __builtin_convertvector(xc + y.ySin[k], Ints<N>);  // x cos + y sin
    const auto sv = __builtin_convertvector(y.yCos[k] - xs, Ints<N>);  // y cos - x sin
    Ints<N> keep = spare;
    if constexpr (kChecked) keep &= (su >= 0) & (su < g.sampleW) & (sv >= 0) & (sv < g.sampleH);
    // Unsigned, so that the lanes left out may wrap around harmlessly.
    const auto qy = reinterpret_cast<Words<N>>(DivideByFactor<J, kNarrow, N>(sv));
    const auto qx = reinterpret_cast<Words<N>>(DivideByFactor<J, kNarrow, N>(su));
    const auto kept = reinterpret_cast<Words<N>>(keep);
    sums.Add(Fetch<N>(g.pixels, (qy * static_cast<std::uint32_t>(g.stride) + qx) & kept) & kept);
  }
  return sums.Result(J * J);
}

// Samples and paints one row of result blocks.
template <int J, bool kNarrow>
MORVANE_LANE_CLONES void SampleBlockRow(const SampleGrid& g, int row, CDib& result) {
  RowProducts<J> y;
  for (int k = 0; k < J / kRows<J>; ++k) {
    for (int l = 0; l < kLanes<J>; ++l) {
      const double sampleY = row * J + k * kRows<J> + l / kRowLanes<J> + g.box.top;
      y.ySin[k][l] = sampleY * g.sn;
      y.yCos[k][l] = sampleY * g.cs;
    }
  }
  const CornerReach reach(J - 1, g.cs, g.sn);
  // The result starts clear, and painting onto a clear pixel stores the value, or 0 where its
  // alpha is 0.
  Pixel* out = result.Row(row);
  const auto paint = [out](int col, Pixel p) { out[col] = AlphaOf(p) == 0 ? 0 : p; };
  for (int col = 0; col < result.GetWidth(); ++col) {
    const double u0 = g.xcs[col * J] + y.ySin[0][0], v0 = y.yCos[0][0] - g.xsn[col * J];
    switch (BlockCover(u0, v0, reach, g.sampleW, g.sampleH)) {
      case Cover::kNone:
        break;  // every sample is transparent
      case Cover::kAll:
        paint(col, SampleBlock<J, kNarrow, false>(g, col, y));
        break;
      case Cover::kSome:
        paint(col, SampleBlock<J, kNarrow, true>(g, col, y));
        break;
    }
  }
}

// Samples the image enlarged J times by replication and shrinks each J x J block back, in one
// pass, without building either large image.
template <int J>
bool RotateSupersampled(CDib& image, double angle) {
  SampleGrid g;
  const double theta = angle * kDegree;
  g.cs = std::cos(theta);
  g.sn = std::sin(theta);
  g.sampleW = image.GetWidth() * J;
  g.sampleH = image.GetHeight() * J;
  g.box = RotatedBox<double>(g.sampleW, g.sampleH, g.cs, g.sn);
  const int width = (g.box.Width() + J - 1) / J;
  const int height = (g.box.Height() + J - 1) / J;
  CDib result;
  if (!result.Create(width, height)) return false;
  g.pixels = image.Pixels();
  g.stride = image.Stride();
  const std::size_t columns = static_cast<std::size_t>(width) * J + kLanes<J>;
  g.xcs.resize(columns);
  g.xsn.resize(columns);
  for (std::size_t i = 0; i < columns; ++i) {
    const double x = static_cast<int>(i) + g.box.left;
    g.xcs[i] = x * g.cs;
    g.xsn[i] = x * g.sn;
  }
  // Rows of blocks are independent. Measured on two cores, a second thread adds about half a
  // millisecond of processor time: worth it from about four million samples (2.5 ms on one
  // core) on, such as 256 x 256 pixels at the highest level, not at the default one.
  constexpr double kParallelSamples = 1 << 22;
  const unsigned threads = static_cast<double>(width) * height * J * J < kParallelSamples ? 1 : 0;
  const bool narrow = (J & (J - 1)) == 0 || std::max(g.sampleW, g.sampleH) < kDivider<J>.limit;
  ParallelFor(
      static_cast<std::size_t>(height),
      [&](std::size_t row) {
        if (narrow) {
          SampleBlockRow<J, true>(g, static_cast<int>(row), result);
        } else if constexpr ((J & (J - 1)) != 0) {
          SampleBlockRow<J, false>(g, static_cast<int>(row), result);
        }
      },
      threads);
  image = std::move(result);
  return true;
}

}  // namespace

void FlipHorizontal(CDib& image) {
  const int w = image.GetWidth();
  for (int y = 0; y < image.GetHeight(); ++y) std::reverse(image.Row(y), image.Row(y) + w);
}

void FlipVertical(CDib& image) {
  const int w = image.GetWidth();
  for (int top = 0, bottom = image.GetHeight() - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(image.Row(top), image.Row(top) + w, image.Row(bottom));
  }
}

bool RotateExact(CDib& image, int angle) {
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  if (w <= 0 || h <= 0) return false;
  if (angle == -90) angle = 270;
  if (angle != 90 && angle != 180 && angle != 270) return false;
  CDib result;
  if (!result.Create(angle == 180 ? w : h, angle == 180 ? h : w)) return false;
  for (int y = 0; y < h; ++y) {
    const Pixel* row = image.Row(y);
    for (int x = 0; x < w; ++x) {
      const Pixel p = IsTransparent(row[x]) ? 0 : row[x];
      if (angle == 90) {
        result.Row(x)[h - 1 - y] = p;
      } else if (angle == 270) {
        result.Row(w - 1 - x)[y] = p;
      } else {
        result.Row(h - 1 - y)[w - 1 - x] = p;
      }
    }
  }
  image = std::move(result);
  return true;
}

bool RotateFree(CDib& image, CustomRotateParams params) {
  params.Clamp();
  if (image.GetWidth() <= 0 || image.GetHeight() <= 0) return false;
  if (params.angle == 0) {
    // cos 0 = 1 and sin 0 = 0 exactly: every path samples each pixel onto itself (a
    // supersampled block holds copies of one pixel), and transparent pixels arrive as 0.
    for (int y = 0; y < image.GetHeight(); ++y) {
      Pixel* row = image.Row(y);
      for (int x = 0; x < image.GetWidth(); ++x) row[x] = IsTransparent(row[x]) ? 0 : row[x];
    }
    return true;
  }
  if (!params.antiAliasing) return RotateNearest(image, params.angle);
  return RotateAntiAliased(image, params.angle, params.antiAliasingLevel / 2);
}

bool RotateAntiAliased(CDib& image, double angle, int factor) {
  if (image.GetWidth() <= 0 || image.GetHeight() <= 0 || !std::isfinite(angle)) return false;
  switch (std::clamp(factor, 1, 8)) {
    case 1:
      return RotateSupersampled<1>(image, angle);
    case 2:
      return RotateSupersampled<2>(image, angle);
    case 3:
      return RotateSupersampled<3>(image, angle);
    case 4:
      return RotateSupersampled<4>(image, angle);
    case 5:
      return RotateSupersampled<5>(image, angle);
    case 6:
      return RotateSupersampled<6>(image, angle);
    case 7:
      return RotateSupersampled<7>(image, angle);
    default:
      return RotateSupersampled<8>(image, angle);
  }
}

bool BoxShrinkInto(const CDib& source, CDib& destination) {
  const int w = destination.GetWidth();
  const int h = destination.GetHeight();
  if (w <= 0 || h <= 0 || source.GetWidth() % w != 0) return false;
  const int c = source.GetWidth() / w;
  if (c <= 0 || source.GetHeight() < h * c) return false;
  const auto blockPixels = static_cast<unsigned>(c * c);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      BlockSum sum;
      for (int by = 0; by < c; ++by) {
        const Pixel* row = source.Row(y * c + by) + x * c;
        for (int bx = 0; bx < c; ++bx) sum.Add(row[bx]);
      }
      destination.PaintPixel(x, y, sum.Result(blockPixels));
    }
  }
  return true;
}

}  // namespace morvane
