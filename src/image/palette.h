// Palettes of the palette-based formats and the nearest-colour search that maps pixels onto them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace morvane {

// Three channel bytes in the order they were fed in, then 0. Fed from a CDib directly the order
// is blue, green, red: the order of palette entries in BMP and ICO files.
using PaletteEntry = std::array<std::uint8_t, 4>;
using Palette = std::vector<PaletteEntry>;

// Larger than any squared distance between two colours (3 * 255^2 = 195075), so the first entry
// always replaces it.
inline constexpr int kNoDistance = 200000;

// Index of the entry nearest to (c0, c1, c2) by squared distance over the three channels. Only a
// strictly smaller distance replaces the best, so ties go to the lower index; an exact match ends
// the search. An empty palette gives 0.
inline int NearestPaletteIndex(const Palette& palette, int c0, int c1, int c2) {
  int best = kNoDistance;
  int bestIndex = 0;
  const int count = static_cast<int>(palette.size());
  for (int i = 0; i < count; ++i) {
    const PaletteEntry& e = palette[static_cast<std::size_t>(i)];
    const int d0 = e[0] - c0;
    const int d1 = e[1] - c1;
    const int d2 = e[2] - c2;
    const int distance = d0 * d0 + d1 * d1 + d2 * d2;
    if (distance < best) {
      best = distance;
      bestIndex = i;
      if (distance == 0) break;
    }
  }
  return bestIndex;
}

// The same answer as NearestPaletteIndex, found faster for many queries: entries are kept sorted
// by the channel in which the palette spreads most, and the search walks outwards from the
// query's value in that channel until that channel alone is farther than the best match.
class NearestColorSearch {
 public:
  explicit NearestColorSearch(const Palette& palette);
  int Find(int c0, int c1, int c2) const;

 private:
  struct Entry {
    int key;  // the sorting channel
    int c0, c1, c2;
    int index;
  };
  bool Consider(const Entry& e, int c0, int c1, int c2, int& best, int& bestIndex) const;

  int keyChannel_ = 0;
  std::vector<Entry> sorted_;
};

}  // namespace morvane
