// What the two halves of the resampler share (stretch.cpp: the weights, the planes and the
// geometry; stretch_direct.cpp: the passes that read the packed pixels directly).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/cpu_clones.h"
#include "image/dib.h"

namespace morvane::stretch {

// The filter of one call: a tent or a Gaussian of this radius.
enum class Kernel { kTent, kGaussian };

struct Filter {
  Kernel kernel;
  double radius;
};

// Working memory kept from call to call by each thread: the live preview resamples the same
// sizes over and over, and fresh memory costs more than the work done in it (page faults,
// zeroing). Whatever is beyond a few megabytes is given back after the call.
template <typename T, int kSlot>
class Scratch {
 public:
  Scratch() : item_(Slot()) {}
  ~Scratch() {
    if (item_.HeldBytes() > kKeptBytes) item_ = T{};
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  T& operator*() { return item_; }
  T* operator->() { return &item_; }

 private:
  static constexpr std::size_t kKeptBytes = std::size_t{8} << 20;
  static T& Slot() {
    thread_local T item;
    return item;
  }
  T& item_;
};

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
  std::size_t HeldBytes() const {
    return weights_.capacity() * sizeof(double) + entries_.capacity() * sizeof(Contribution);
  }
  // The range of source indices that any entry reads.
  int LowestSource() const { return lowest_; }
  int HighestSource() const { return highest_; }
  // The most source pixels any entry reads, and the number all entries read together.
  int Widest() const { return widest_; }
  double Taps() const { return taps_; }

 private:
  Contribution TrimZeros(Contribution c) const;

  std::vector<Contribution> entries_;
  std::vector<double> weights_;
  int lowest_ = 0;
  int highest_ = 0;
  int widest_ = 0;
  double taps_ = 0;
};

// g from t, the summed weight of the fully transparent pixels under the kernel.
inline double ColourGain(double t) {
  return t < 1.0 ? 1.0 / (1.0 - t) : t;
}

// A rectangle of pixels read by the passes: rows of `width` pixels, `stride` apart.
struct PixelView {
  const Pixel* pixels = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;

  const Pixel* Row(int y) const { return pixels + static_cast<std::size_t>(y) * stride; }
};

// A transparent pixel counts for nothing but its alpha of 0: as transparent black, every term
// it adds is exactly 0, whatever its weights, as leaving it out does.
constexpr Pixel Visible(Pixel v) {
  return IsTransparent(v) ? 0 : v;
}

// A window of one pixel with weight 1 (unscaled lines) passes that pixel through: its sums are
// its own channels, and a transparent pixel comes out transparent black.
inline bool IsPassThrough(const Contribution& c, const double* w) {
  return c.left == c.right && w[0] == 1.0;
}
inline Pixel PassThrough(Pixel v) {
  return Visible(v);
}

inline bool AllPassThrough(const ContributionTable& table) {
  for (std::size_t k = 0; k < table.Size(); ++k) {
    if (!IsPassThrough(table[k], table.Weights(table[k]))) return false;
  }
  return true;
}

// Horizontal pass of source rows first..first+count-1 into `out` (table.Size() pixels a row)
// straight from the pixels, for few taps per source pixel.
void FilterRowsDirect(const PixelView& source, int first, int count, const ContributionTable& table,
                      Pixel* out);

// Whether the direct vertical pass keeps its working memory within bounds for `columns`.
bool DirectDownFits(const ContributionTable& table, int columns);

// Vertical pass straight from the packed intermediate rows (`columns` pixels each, the first
// being source row firstRow), for few taps per row, into the rectangle of destination at (left,
// top).
void FilterDown(const Pixel* middle, int columns, const ContributionTable& table, int firstRow,
                CDib& destination, int left, int top);

}  // namespace morvane::stretch
