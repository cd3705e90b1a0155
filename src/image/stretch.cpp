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
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <numbers>
#include <optional>
#include <vector>

#include "image/dib.h"

namespace morvane {
namespace {

// Filter values closer to 0 than this copy without filtering.
constexpr double kNearestLimit = 0.1;
// Keeps the kernel arithmetic finite for absurd filter values; no caller comes near it.
constexpr double kMaxRadius = 1e6;
// Upper bound of the weights one contribution table may hold (256 MiB of doubles).
constexpr double kMaxTableWeights = double{1 << 25};

enum class Kernel { kTent, kGaussian };

struct Filter {
  Kernel kernel;
  double radius;
};

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

// The source pixels feeding one destination index: left..right (inclusive) with their weights.
struct Contribution {
  int left = 0;
  int right = 0;
  std::size_t offset = 0;  // into ContributionTable's weight storage
};

// Weights of one pass, built once and used for every row (or column) of that pass. Only the
// destination indices [first, last) are computed: the part of the line inside the image.
class ContributionTable {
 public:
  bool Build(const Filter& filter, std::int64_t length, int sourceLength, std::int64_t first,
             std::int64_t last);

  std::size_t Size() const { return entries_.size(); }
  const Contribution& operator[](std::size_t k) const { return entries_[k]; }
  const double* Weights(const Contribution& c) const { return weights_.data() + c.offset; }
  // The range of source indices that any entry reads.
  int LowestSource() const { return lowest_; }
  int HighestSource() const { return highest_; }

 private:
  Contribution TrimZeros(Contribution c) const;

  std::vector<Contribution> entries_;
  std::vector<double> weights_;
  int lowest_ = 0;
  int highest_ = 0;
};

// Pixels of weight 0 at either end add exactly nothing to any sum (the colour weights g * w are
// 0 as well), so leaving them out changes no result and saves work: an unscaled line with the
// weights (0, 1, 0) becomes a copy of one pixel.
Contribution ContributionTable::TrimZeros(Contribution c) const {
  while (c.left < c.right && weights_[c.offset] == 0.0) {
    ++c.left;
    ++c.offset;
  }
  while (c.right > c.left && weights_[c.offset + (c.right - c.left)] == 0.0) --c.right;
  return c;
}

bool ContributionTable::Build(const Filter& filter, std::int64_t length, int sourceLength,
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
  entries_.reserve(static_cast<std::size_t>(count));
  weights_.reserve(static_cast<std::size_t>(weightsNeeded));
  lowest_ = sourceLength - 1;
  highest_ = 0;

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
      const double w = kernelScale * KernelAt(filter, kernelScale * (centre - i));
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
  }
  return true;
}

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

// Weighted sums of one destination pixel. Colour sums cover only pixels with alpha, scaled by g
// so the visible neighbours fill in for the transparent ones; alpha is the plain weighted mean.
struct ChannelSums {
  double alpha = 0.0;
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;

  void Add(Pixel v, double w, double gw) {
    alpha += w * AlphaOf(v);
    red += gw * RedOf(v);
    green += gw * GreenOf(v);
    blue += gw * BlueOf(v);
  }
  Pixel ToPixel() const {
    return MakePixel(ToChannel(alpha), ToChannel(red), ToChannel(green), ToChannel(blue));
  }
};

// g from t, the summed weight of the fully transparent pixels under the kernel.
double ColourGain(double t) {
  return t < 1.0 ? 1.0 / (1.0 - t) : t;
}

// One destination pixel from n source pixels with weights w, some of them transparent.
// Transparent pixels get a colour weight of 0 rather than a branch (adding 0.0 leaves a sum
// exactly as it was), which keeps the loop free of unpredictable branches on speckled alpha.
Pixel FilterMixed(const Pixel* p, const double* w, int n) {
  double t = 0.0;
  for (int j = 0; j < n; ++j) t += IsTransparent(p[j]) ? w[j] : 0.0;
  const double g = ColourGain(t);
  ChannelSums sums;
  for (int j = 0; j < n; ++j) sums.Add(p[j], w[j], IsTransparent(p[j]) ? 0.0 : g * w[j]);
  return sums.ToPixel();
}

// A window of one pixel with weight 1 (unscaled lines) passes that pixel through: its sums are
// its own channels, and a transparent pixel comes out transparent black.
bool IsPassThrough(const Contribution& c, const double* w) {
  return c.left == c.right && w[0] == 1.0;
}
Pixel PassThrough(Pixel v) {
  return IsTransparent(v) ? 0 : v;
}

// Horizontal pass over one row of `width` pixels. A count of the transparent pixels before each
// column tells every window apart: none transparent means g is 1 and a plain weighted sum gives
// exactly the same result; all transparent gives transparent black (no colour, alpha 0).
void FilterRow(const Pixel* source, int width, const ContributionTable& table,
               std::vector<int>& transparentBefore, Pixel* out) {
  transparentBefore[0] = 0;
  for (int x = 0; x < width; ++x) {
    transparentBefore[x + 1] = transparentBefore[x] + (IsTransparent(source[x]) ? 1 : 0);
  }
  for (std::size_t k = 0; k < table.Size(); ++k) {
    const Contribution& c = table[k];
    const Pixel* p = source + c.left;
    const double* w = table.Weights(c);
    const int n = c.right - c.left + 1;
    const int transparent = transparentBefore[c.right + 1] - transparentBefore[c.left];
    if (IsPassThrough(c, w)) {
      out[k] = PassThrough(*p);
    } else if (transparent == n) {
      out[k] = 0;
    } else if (transparent > 0) {
      out[k] = FilterMixed(p, w, n);
    } else {
      ChannelSums sums;
      for (int j = 0; j < n; ++j) sums.Add(p[j], w[j], w[j]);
      out[k] = sums.ToPixel();
    }
  }
}

// A rectangle of pixels read by the passes: rows of `width` pixels, `stride` apart.
struct PixelView {
  const Pixel* pixels = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;

  const Pixel* Row(int y) const { return pixels + static_cast<std::size_t>(y) * stride; }
};

bool AnyTransparent(const Pixel* row, int width) {
  return std::any_of(row, row + width, [](Pixel v) { return IsTransparent(v); });
}

// Per-column working memory of the vertical pass, allocated once per call.
struct ColumnSums {
  explicit ColumnSums(std::size_t n) : t(n), g(n), alpha(n), red(n), green(n), blue(n) {}
  std::vector<double> t, g, alpha, red, green, blue;

  void Clear() {
    for (auto* v : {&alpha, &red, &green, &blue}) std::fill(v->begin(), v->end(), 0.0);
  }
};

// Vertical pass into one destination row. The columns are walked together, row after row of
// the intermediate image, so memory is read in order; each column still sums its source rows in
// increasing order, exactly as filtering it alone would.
template <bool kAnyTransparent>
void FilterColumns(const PixelView& rows, const Contribution& c, const double* w, ColumnSums& sums,
                   Pixel* out) {
  const int n = c.right - c.left + 1;
  const int width = rows.width;
  if (IsPassThrough(c, w)) {
    std::transform(rows.Row(c.left), rows.Row(c.left) + width, out, PassThrough);
    return;
  }
  if constexpr (kAnyTransparent) {
    std::fill(sums.t.begin(), sums.t.end(), 0.0);
    for (int j = 0; j < n; ++j) {
      const Pixel* row = rows.Row(c.left + j);
      for (int x = 0; x < width; ++x) sums.t[x] += IsTransparent(row[x]) ? w[j] : 0.0;
    }
    for (int x = 0; x < width; ++x) sums.g[x] = ColourGain(sums.t[x]);
  }
  sums.Clear();
  for (int j = 0; j < n; ++j) {
    const Pixel* row = rows.Row(c.left + j);
    const double wj = w[j];
    for (int x = 0; x < width; ++x) {
      const Pixel v = row[x];
      double gw = wj;
      if constexpr (kAnyTransparent) gw = IsTransparent(v) ? 0.0 : sums.g[x] * wj;
      sums.alpha[x] += wj * AlphaOf(v);  // a transparent pixel adds 0
      sums.red[x] += gw * RedOf(v);
      sums.green[x] += gw * GreenOf(v);
      sums.blue[x] += gw * BlueOf(v);
    }
  }
  for (int x = 0; x < width; ++x) {
    out[x] = MakePixel(ToChannel(sums.alpha[x]), ToChannel(sums.red[x]), ToChannel(sums.green[x]),
                       ToChannel(sums.blue[x]));
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
  ContributionTable across, down;
  if (!across.Build(filter, d.Width(), source.width, v.left - d.left, v.right - d.left) ||
      !down.Build(filter, d.Height(), source.height, v.top - d.top, v.bottom - d.top)) {
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
  const PixelView middle{buffer.get(), static_cast<std::size_t>(columns), columns, rows};
  std::vector<int> transparentRowsBefore(static_cast<std::size_t>(rows) + 1, 0);
  ColumnSums sums(static_cast<std::size_t>(columns));
  std::vector<int> transparentBefore(static_cast<std::size_t>(source.width) + 1);

  for (int y = 0; y < rows; ++y) {
    const Pixel* in = source.Row(firstRow + y);
    Pixel* out = buffer.get() + static_cast<std::size_t>(y) * columns;
    FilterRow(in, source.width, across, transparentBefore, out);
    transparentRowsBefore[y + 1] = transparentRowsBefore[y] + AnyTransparent(out, columns);
  }

  for (std::size_t k = 0; k < down.Size(); ++k) {
    Contribution c = down[k];
    c.left -= firstRow;
    c.right -= firstRow;
    Pixel* out = destination.Row(static_cast<int>(v.top) + static_cast<int>(k)) + v.left;
    const double* w = down.Weights(down[k]);
    if (transparentRowsBefore[c.right + 1] != transparentRowsBefore[c.left]) {
      FilterColumns<true>(middle, c, w, sums, out);
    } else {
      FilterColumns<false>(middle, c, w, sums, out);
    }
  }
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
