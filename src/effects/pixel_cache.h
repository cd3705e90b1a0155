// Remembers the result of a per-pixel colour function for recently seen pixel words. Icons
// repeat few colours, so most pixels of a tone effect cost one table look-up instead of a
// colour-model round trip; the result is the function's own, bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/pixel.h"

namespace morvane {

class PixelCache {
 public:
  template <typename F>
  Pixel Map(Pixel p, F&& f) {
    Entry& e = entries_[(p * 0x9E3779B1u) >> (32 - kBits)];
    if (e.valid && e.key == p) return e.value;
    e = {p, f(p), true};
    return e.value;
  }

 private:
  static constexpr int kBits = 12;
  struct Entry {
    Pixel key = 0;
    Pixel value = 0;
    bool valid = false;
  };
  std::vector<Entry> entries_ = std::vector<Entry>(std::size_t{1} << kBits);
};

}  // namespace morvane
