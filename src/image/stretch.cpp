// CDib::StretchTo: the one scaling routine. Nearest neighbour for filter values near 0, otherwise
// a two-pass separable filter (tent or Gaussian) that keeps fully transparent pixels from tinting
// their visible neighbours.
//
// Hostile or careless rectangles are tamed rather than trusted:
// - (-1, -1, -1, -1) means the whole image, for the source as for the destination;
// - the source rectangle is cut to the source image, and the part that exists is what gets
//   scaled; an empty or inverted result does nothing;
// - the destination rectangle keeps its geometry (the scale follows its full size), but only its
//   part inside the destination image is computed and written; nothing else is touched.
// Filtered scaling reads the source through its clip (outside it: outsideValue), as every
// resampling reader does; nearest neighbour copies the stored pixels, as a plain blit would.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <optional>
#include <vector>

#include "image/dib.h"
#include "image/stretch_parts.h"

namespace morvane {
using namespace stretch;
namespace {

// Filter values closer to 0 than this copy without filtering.
constexpr double kNearestLimit = 0.1;
// Keeps the kernel arithmetic finite for absurd filter values; no caller comes near it.
constexpr double kMaxRadius = 1e6;
// Upper bound of the weights one contribution table may hold (256 MiB of doubles).
constexpr double kMaxTableWeights = double{1 << 25};

std::optional<Filter> FilterFor(double v) {
  if (!(std::fabs(v) >= kNearestLimit)) return std::nullopt;  // NaN lands here too
  const double radius = std::min(std::fabs(v), kMaxRadius);
  return Filter{v > 0 ? Kernel::kTent : Kernel::kGaussian, radius};
}

double KernelAt(const Filter& filter, double t) {
  const double distance = std::fabs(t);
  if (filter.kernel == Kernel::kTent) {
    return distance < filter.radius ? filter.radius - distance : 0.0;
  }
  if (distance > filter.radius) return 0.0;
  return std::exp(-t * t / filter.radius - 1.0) / std::sqrt(2.0 * std::numbers::pi);
}

}  // namespace

// Pixels of weight 0 at either end add exactly nothing to any sum (the colour weights g * w are
// 0 as well), so leaving them out changes no result and saves work: an unscaled line with the
// weights (0, 1, 0) becomes a copy of one pixel.
Contribution stretch::ContributionTable::TrimZeros(Contribution c) const {
  while (c.left < c.right && weights_[c.offset] == 0.0) {
    ++c.left;
    ++c.offset;
  }
  while (c.right > c.left && weights_[c.offset + (c.right - c.left)] == 0.0) --c.right;
  return c;
}

bool stretch::ContributionTable::Build(const Filter& filter, std::int64_t length, int sourceLength,
                                       std::int64_t first, std::int64_t last) {
  const double scale = static_cast<double>(length) / static_cast<double>(sourceLength);
  double halfwidth = filter.radius;
  double kernelScale = 1.0;
  if (scale < 1.0) {  // shrinking widens the kernel over the source
    halfwidth = filter.radius / scale;
    kernelScale = scale;
  }
  const double window = 2.0 * std::ceil(halfwidth) + 1.0;
  const double count = static_cast<double>(last - first);
  const double weightsNeeded = count * std::min(window, static_cast<double>(sourceLength));
  if (weightsNeeded > kMaxTableWeights) return false;
  entries_.clear();
  weights_.clear();
  entries_.reserve(static_cast<std::size_t>(count));
  weights_.reserve(static_cast<std::size_t>(weightsNeeded));
  lowest_ = sourceLength - 1;
  highest_ = 0;
  widest_ = 0;
  taps_ = 0;

  // Unscaled, the kernel is read at whole distances u - i only (and is symmetric), so each
  // value is computed once: the same call with the same argument, hence the same double.
  std::vector<double> atDistance;
  if (scale == 1.0) {
    const auto reach =
        static_cast<std::size_t>(std::min(window, static_cast<double>(sourceLength)));
    atDistance.resize(reach + 1);
    for (std::size_t d = 0; d <= reach; ++d) {
      atDistance[d] = kernelScale * KernelAt(filter, kernelScale * static_cast<double>(d));
    }
  }
  const double lastSource = static_cast<double>(sourceLength - 1);
  for (std::int64_t u = first; u < last; ++u) {
    const double centre = static_cast<double>(u) / scale;  // no half-pixel offset
    double left = std::max(0.0, std::floor(centre - halfwidth));
    double right = std::min(std::ceil(centre + halfwidth), lastSource);
    if (right - left + 1.0 > window) {
      if (left < sourceLength) {
        left += 1.0;
      } else {
        right -= 1.0;
      }
    }
    const std::size_t offset = weights_.size();
    double sum = 0.0;
    for (double i = left; i <= right; i += 1.0) {
      const double w = atDistance.empty()
                           ? kernelScale * KernelAt(filter, kernelScale * (centre - i))
                           : atDistance[static_cast<std::size_t>(std::fabs(centre - i))];
      weights_.push_back(w);
      sum += w;
    }
    if (sum > 0.0) {
      for (std::size_t k = offset; k < weights_.size(); ++k) weights_[k] /= sum;
      entries_.push_back(TrimZeros({static_cast<int>(left), static_cast<int>(right), offset}));
    } else {
      // A narrow kernel can fall between two source pixels when enlarging (radius below 0.5),
      // which would leave a hole of transparent black; the nearest source pixel stands in
      // (the lower one on a tie, as nearest-neighbour scaling picks).
      weights_.resize(offset);
      const double nearest = std::clamp(std::ceil(centre - 0.5), 0.0, lastSource);
      weights_.push_back(1.0);
      entries_.push_back({static_cast<int>(nearest), static_cast<int>(nearest), offset});
    }
    lowest_ = std::min(lowest_, entries_.back().left);
    highest_ = std::max(highest_, entries_.back().right);
    widest_ = std::max(widest_, entries_.back().right - entries_.back().left + 1);
    taps_ += entries_.back().right - entries_.back().left + 1;
  }
  return true;
}

namespace {

// The integer part of (sum + 0.5) as a byte. Sums of non-negative, normalised weights stay
// within 0..255 with one exception: a visible pixel at the very edge of the kernel (weight near
// 1e-16) among transparent ones makes 1 - t cancel, and g * w overshoots. That pixel comes out
// with alpha 0, and the clamp keeps its meaningless colour from spilling into the alpha byte.
std::uint32_t ToChannel(double sum) {
  const double v = sum + 0.5;
  if (!(v > 0.0)) return 0;
  if (v >= 255.0) return 255;
  return static_cast<std::uint32_t>(v);
}

// Lanes summed together in registers: two AVX2 registers, four SSE2 ones, per channel.
constexpr int kChunk = 8;

// Several lines of pixels side by side as doubles, one plane per channel: element (i, l) is
// pixel i of lane l. Filtering adds the same weighted term to every lane at once, which the
// compiler turns into vector arithmetic, while each lane still adds its terms one by one in
// increasing i, exactly as filtering that line alone does. A transparent pixel is stored with
// colour 0: its colour weight g * w times 0 adds exactly nothing, as leaving it out does.
// Lanes are padded to a multiple of kChunk with transparent black, whose results are dropped.
struct Planes {
  enum Kind : std::uint8_t { kOpaqueLine, kMixedLine, kClearLine };  // transparent: none/some/all

  int used = 0;                                        // lanes holding pixels
  int lanes = 0;                                       // used, padded
  std::vector<double> alpha, red, green, blue, clear;  // clear: 1 where alpha is 0
  std::vector<Kind> kind;                              // per line

  void Resize(int usedLanes, int lines) {
    used = usedLanes;
    lanes = (usedLanes + kChunk - 1) / kChunk * kChunk;
    const std::size_t n = static_cast<std::size_t>(lanes) * lines;
    for (auto* v : {&alpha, &red, &green, &blue, &clear}) v->resize(n);
    kind.resize(static_cast<std::size_t>(lines));
  }
  void Set(int line, int lane, Pixel v) {
    const std::size_t k = static_cast<std::size_t>(line) * lanes + lane;
    const bool visible = !IsTransparent(v);
    alpha[k] = AlphaOf(v);
    red[k] = visible ? RedOf(v) : 0;
    green[k] = visible ? GreenOf(v) : 0;
    blue[k] = visible ? BlueOf(v) : 0;
    clear[k] = visible ? 0.0 : 1.0;
  }
  // Call once the used lanes of a line are set: pads the line and classifies it by its used
  // lanes (what padding lanes add is never read).
  void Complete(int line) {
    for (int l = used; l < lanes; ++l) Set(line, l, 0);
    const double* c = Row(clear, line);
    const auto transparent = std::count(c, c + used, 1.0);
    kind[line] = transparent == 0 ? kOpaqueLine : transparent == used ? kClearLine : kMixedLine;
  }
  std::size_t HeldBytes() const { return 5 * alpha.capacity() * sizeof(double); }
  const double* Row(const std::vector<double>& plane, int line) const {
    return plane.data() + static_cast<std::size_t>(line) * lanes;
  }
};

// Per-lane t and g of one destination index, allocated once per pass.
struct LaneGains {
  explicit LaneGains(int lanes) : t(static_cast<std::size_t>(lanes)), g(t) {}
  std::vector<double> t, g;
};

// t for every lane: the weights of its transparent pixels, added in increasing i. Lines
// without a transparent pixel add exactly nothing and are passed over. False when no used lane
// has a transparent pixel (g is 1 everywhere).
MORVANE_LANE_CLONES bool TransparentWeights(const Planes& p, const Contribution& c, const double* w,
                                            LaneGains& s) {
  const int lanes = p.lanes;
  double* t = s.t.data();
  std::fill(t, t + lanes, 0.0);
  bool any = false;
  for (int i = c.left; i <= c.right; ++i) {
    const double wi = w[i - c.left];
    if (p.kind[i] == Planes::kOpaqueLine) continue;
    any = true;
    if (p.kind[i] == Planes::kClearLine) {
      for (int l = 0; l < lanes; ++l) t[l] += wi;
    } else {
      const double* clear = p.Row(p.clear, i);
      for (int l = 0; l < lanes; ++l) t[l] += wi * clear[l];
    }
  }
  if (any) {
    for (int l = 0; l < lanes; ++l) s.g[l] = ColourGain(t[l]);
  }
  return any;
}

// Sums of kChunk lanes from lane l0 on, kept in registers over the whole window. kColour
// false: every source pixel has red, green and blue 0, so the colour sums are 0 whatever g is
// and only alpha is summed. kGained false: g is 1, and 1 * w is w.
template <bool kColour, bool kGained>
MORVANE_LANE_CLONES void FilterChunk(const Planes& p, const Contribution& c, const double* w,
                                     const double* g, int l0, Pixel* out) {
  double alpha[kChunk] = {}, red[kChunk] = {}, green[kChunk] = {}, blue[kChunk] = {};
  for (int i = c.left; i <= c.right; ++i) {
    if (p.kind[i] == Planes::kClearLine) continue;  // every term is 0
    const double wi = w[i - c.left];
    const double* a = p.Row(p.alpha, i) + l0;
    for (int l = 0; l < kChunk; ++l) alpha[l] += wi * a[l];
    if constexpr (kColour) {
      const double* r = p.Row(p.red, i) + l0;
      const double* gr = p.Row(p.green, i) + l0;
      const double* b = p.Row(p.blue, i) + l0;
      for (int l = 0; l < kChunk; ++l) {
        const double gw = kGained ? g[l0 + l] * wi : wi;
        red[l] += gw * r[l];
        green[l] += gw * gr[l];
        blue[l] += gw * b[l];
      }
    }
  }
  for (int l = 0; l < kChunk; ++l) {
    out[l] =
        MakePixel(ToChannel(alpha[l]), ToChannel(red[l]), ToChannel(green[l]), ToChannel(blue[l]));
  }
}

// Filters lines c.left..c.right of every lane into one destination index: out[l] for lane l
// (out holds p.lanes pixels).
void FilterLanes(const Planes& p, const Contribution& c, const double* w, bool colour, LaneGains& s,
                 Pixel* out) {
  const bool gained = colour && TransparentWeights(p, c, w, s);
  const double* g = s.g.data();
  for (int l0 = 0; l0 < p.lanes; l0 += kChunk) {
    if (!colour) {
      FilterChunk<false, false>(p, c, w, g, l0, out + l0);
    } else if (gained) {
      FilterChunk<true, true>(p, c, w, g, l0, out + l0);
    } else {
      FilterChunk<true, false>(p, c, w, g, l0, out + l0);
    }
  }
}

bool HasColour(const PixelView& view) {
  for (int y = 0; y < view.height; ++y) {
    const Pixel* row = view.Row(y);
    if (std::any_of(row, row + view.width, [](Pixel v) { return (v & 0x00FFFFFF) != 0; })) {
      return true;
    }
  }
  return false;
}

// Setting up the planes costs about as much as two taps per source pixel: below this many
// taps per source pixel (small radii, strong shrinking) rows are filtered from the packed pixels.
constexpr double kPlanesMinTaps = 2.0;

// Rows filtered together by the horizontal pass, as the lanes of one set of planes.
constexpr int kRowsPerStrip = kChunk;

// Horizontal pass of source rows first..first+count-1 into `out` (table.Size() pixels a row).
// The rows are taken kRowsPerStrip at a time and turned on their side, so that a column of the
// strip is one line of the planes.
void FilterRows(const PixelView& source, int first, int count, const ContributionTable& table,
                bool colour, Pixel* out) {
  Scratch<Planes, 0> scratch;
  Planes& planes = *scratch;
  planes.Resize(kRowsPerStrip, source.width);
  LaneGains gains(planes.lanes);
  Pixel strip[kRowsPerStrip];
  const std::size_t columns = table.Size();
  for (int y0 = 0; y0 < count; y0 += kRowsPerStrip) {
    const int rows = std::min(kRowsPerStrip, count - y0);
    planes.Resize(rows, source.width);  // same storage
    for (int x = 0; x < source.width; ++x) {
      for (int l = 0; l < rows; ++l) planes.Set(x, l, source.Row(first + y0 + l)[x]);
      planes.Complete(x);
    }
    Pixel* block = out + static_cast<std::size_t>(y0) * columns;
    for (std::size_t k = 0; k < columns; ++k) {
      FilterLanes(planes, table[k], table.Weights(table[k]), colour, gains, strip);
      for (int l = 0; l < rows; ++l) block[l * columns + k] = strip[l];
    }
  }
}

// Columns filtered together by the vertical pass: enough lanes for vector arithmetic, few
// enough that the planes of a tall image stay smaller than the intermediate image.
constexpr int kColumnsPerStrip = 8 * kChunk;

// Vertical pass: the intermediate rows are the lines, a strip of its columns the lanes. All
// memory is taken before the first destination pixel is written.
void FilterColumns(const Pixel* middle, int columns, int rows, const ContributionTable& table,
                   int firstRow, bool colour, CDib& destination, int left, int top) {
  Scratch<Planes, 1> scratch;
  Planes& planes = *scratch;
  planes.Resize(std::min(columns, kColumnsPerStrip), rows);
  LaneGains gains(planes.lanes);
  std::vector<Pixel> results(static_cast<std::size_t>(planes.lanes));
  for (int x0 = 0; x0 < columns; x0 += kColumnsPerStrip) {
    planes.Resize(std::min(columns - x0, kColumnsPerStrip), rows);  // never grows
    for (int y = 0; y < rows; ++y) {
      const Pixel* in = middle + static_cast<std::size_t>(y) * columns + x0;
      for (int x = 0; x < planes.used; ++x) planes.Set(y, x, in[x]);
      planes.Complete(y);
    }
    for (std::size_t k = 0; k < table.Size(); ++k) {
      Contribution c = table[k];
      const double* w = table.Weights(c);
      c.left -= firstRow;
      c.right -= firstRow;
      FilterLanes(planes, c, w, colour, gains, results.data());
      Pixel* out = destination.Row(top + static_cast<int>(k)) + left + x0;
      std::copy_n(results.data(), planes.used, out);
    }
  }
}

// 64-bit rectangle, so that differences of extreme 32-bit coordinates cannot overflow.
struct Span {
  std::int64_t left, top, right, bottom;
  std::int64_t Width() const { return right - left; }
  std::int64_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
};

Span Resolve(Rect r, int width, int height) {
  if (r.IsWhole()) return {0, 0, width, height};
  return {r.left, r.top, r.right, r.bottom};
}

Span Intersect(const Span& a, int width, int height) {
  return {std::max<std::int64_t>(a.left, 0), std::max<std::int64_t>(a.top, 0),
          std::min<std::int64_t>(a.right, width), std::min<std::int64_t>(a.bottom, height)};
}

// One call's geometry: the source rectangle (inside the source image), the destination
// rectangle as given, and its part inside the destination image.
struct Geometry {
  Span source, dest, visible;
};

// Where the source pixels come from: directly from the image, or from a private copy when
// they must not be read in place. `owned` keeps a copy alive.
struct SourcePixels {
  PixelView view;
  std::unique_ptr<Pixel[]> owned;
};

// A copy of the source rectangle; with `throughClip` each pixel is read by the clip rule
// (outside the clip: the image's outside value), as every resampling reader does.
SourcePixels CopySource(const CDib& image, const Span& rect, bool throughClip) {
  SourcePixels s;
  const int w = static_cast<int>(rect.Width()), h = static_cast<int>(rect.Height());
  s.owned = std::make_unique_for_overwrite<Pixel[]>(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    Pixel* out = s.owned.get() + static_cast<std::size_t>(y) * w;
    const int sy = static_cast<int>(rect.top) + y;
    for (int x = 0; x < w; ++x) {
      const int sx = static_cast<int>(rect.left) + x;
      out[x] = throughClip ? image.GetPixel(sx, sy) : image.Row(sy)[sx];
    }
  }
  s.view = {s.owned.get(), static_cast<std::size_t>(w), w, h};
  return s;
}

SourcePixels InPlaceSource(const CDib& image, const Span& rect) {
  SourcePixels s;
  s.view = {image.Row(static_cast<int>(rect.top)) + rect.left,
            static_cast<std::size_t>(image.Stride()), static_cast<int>(rect.Width()),
            static_cast<int>(rect.Height())};
  return s;
}

bool InsideClip(const CDib& image, const Span& rect) {
  const Rect& c = image.clip;
  return c.left <= rect.left && c.top <= rect.top && rect.right <= c.right &&
         rect.bottom <= c.bottom;
}

// Each destination index u takes source index floor(u * S / L): rows and columns are dropped
// or repeated, never blended, like the platform's plain stretch blit (which ignores clips).
void StretchNearest(const PixelView& source, const Geometry& g, CDib& destination) {
  const Span& d = g.dest;
  const Span& v = g.visible;
  std::vector<int> columns(static_cast<std::size_t>(v.Width()));
  for (std::int64_t x = v.left; x < v.right; ++x) {
    columns[static_cast<std::size_t>(x - v.left)] =
        static_cast<int>((x - d.left) * source.width / d.Width());
  }
  for (std::int64_t y = v.top; y < v.bottom; ++y) {
    const Pixel* in = source.Row(static_cast<int>((y - d.top) * source.height / d.Height()));
    Pixel* out = destination.Row(static_cast<int>(y)) + v.left;
    for (std::size_t k = 0; k < columns.size(); ++k) out[k] = in[columns[k]];
  }
}

void StretchFiltered(const PixelView& source, const Geometry& g, const Filter& filter,
                     CDib& destination) {
  const Span& d = g.dest;
  const Span& v = g.visible;
  Scratch<ContributionTable, 0> acrossTable;
  Scratch<ContributionTable, 1> downTable;
  ContributionTable& across = *acrossTable;
  ContributionTable& down = *downTable;
  if (!across.Build(filter, d.Width(), source.width, v.left - d.left, v.right - d.left)) return;
  // A square scaled to a square, visible alike both ways, has the same weights down as across.
  const bool sameBothWays = d.Width() == d.Height() && source.width == source.height &&
                            v.left - d.left == v.top - d.top && v.Width() == v.Height();
  if (sameBothWays) {
    down = across;
  } else if (!down.Build(filter, d.Height(), source.height, v.top - d.top, v.bottom - d.top)) {
    return;
  }
  // The intermediate image holds the visible columns of only the source rows that the
  // vertical pass reads. Everything is allocated before the destination is touched.
  const int columns = static_cast<int>(v.Width());
  const int firstRow = down.LowestSource();
  const int rows = down.HighestSource() - firstRow + 1;
  if (static_cast<double>(columns) * rows * sizeof(Pixel) > static_cast<double>(kMaxImageBytes)) {
    return;
  }
  auto buffer = std::make_unique_for_overwrite<Pixel[]>(static_cast<std::size_t>(columns) * rows);
  // Whether any pixel has colour matters only to the planes, and costs a look at every pixel.
  std::optional<bool> colour;
  auto hasColour = [&] {
    if (!colour) colour = HasColour(source);
    return *colour;
  };
  if (across.Taps() < kPlanesMinTaps * source.width) {
    FilterRowsDirect(source, firstRow, rows, across, buffer.get());
  } else {
    FilterRows(source, firstRow, rows, across, hasColour(), buffer.get());
  }
  if (down.Widest() == 1 && AllPassThrough(down)) {  // an unscaled copy
    for (std::size_t k = 0; k < down.Size(); ++k) {
      const Pixel* in = buffer.get() + static_cast<std::size_t>(down[k].left - firstRow) * columns;
      Pixel* out = destination.Row(static_cast<int>(v.top) + static_cast<int>(k)) + v.left;
      std::transform(in, in + columns, out, PassThrough);
    }
    return;
  }
  if (down.Taps() < kPlanesMinTaps * rows && DirectDownFits(down, columns)) {
    FilterDown(buffer.get(), columns, down, firstRow, destination, static_cast<int>(v.left),
               static_cast<int>(v.top));
    return;
  }
  FilterColumns(buffer.get(), columns, rows, down, firstRow, hasColour(), destination,
                static_cast<int>(v.left), static_cast<int>(v.top));
}

}  // namespace

void CDib::StretchTo(CDib& destination, Rect sourceRect, double filter, Rect destRect,
                     int flag) const {
  // flag selects a colour-only mode that no caller asks for: colour and alpha are always
  // filtered together.
  static_cast<void>(flag);
  if (!live_) return;
  if (!destination.IsLive() && !destination.Create(width_, height_)) return;

  Geometry g;
  g.source = Intersect(Resolve(sourceRect, width_, height_), width_, height_);
  g.dest = Resolve(destRect, destination.width_, destination.height_);
  if (g.source.IsEmpty() || g.dest.IsEmpty()) return;
  g.visible = Intersect(g.dest, destination.width_, destination.height_);
  if (g.visible.IsEmpty()) return;

  try {
    const std::optional<Filter> kernel = FilterFor(filter);
    if (!kernel) {
      // Writing while reading the same pixels would smear them: copy first.
      const SourcePixels s = &destination == this ? CopySource(*this, g.source, false)
                                                  : InPlaceSource(*this, g.source);
      StretchNearest(s.view, g, destination);
      return;
    }
    // The filtered passes read the source completely before the first destination write, so
    // the same image may be both; only a narrowed clip calls for a copy.
    const SourcePixels s = InsideClip(*this, g.source) ? InPlaceSource(*this, g.source)
                                                       : CopySource(*this, g.source, true);
    StretchFiltered(s.view, g, *kernel, destination);
  } catch (const std::bad_alloc&) {
    // Out of memory before the first write: the destination stays as it was.
  }
}

void CDib::StretchTo(CDib& destination, double filter, Rect destRect) const {
  StretchTo(destination, Rect::Whole(), filter, destRect);
}

}  // namespace morvane
