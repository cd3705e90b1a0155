#include "image/palette.h"

#include <algorithm>
#include <climits>

namespace morvane {
namespace {

int ChannelWithWidestRange(const Palette& palette) {
  int widest = 0;
  int widestRange = -1;
  for (int channel = 0; channel < 3; ++channel) {
    int low = 255;
    int high = 0;
    for (const PaletteEntry& e : palette) {
      low = std::min<int>(low, e[channel]);
      high = std::max<int>(high, e[channel]);
    }
    if (high - low > widestRange) {
      widestRange = high - low;
      widest = channel;
    }
  }
  return widest;
}

}  // namespace

NearestColorSearch::NearestColorSearch(const Palette& palette)
    : keyChannel_(ChannelWithWidestRange(palette)) {
  sorted_.reserve(palette.size());
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const PaletteEntry& e = palette[i];
    sorted_.push_back(Entry{e[keyChannel_], e[0], e[1], e[2], static_cast<int>(i)});
  }
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [](const Entry& a, const Entry& b) { return a.key < b.key; });
}

// Takes the entry when it is nearer, or as near and earlier in the palette; an entry farther in
// the key channel alone than the best distance ends the walk in that direction (strictly: an
// entry at exactly that distance may still tie with a lower index).
bool NearestColorSearch::Consider(const Entry& e, int c0, int c1, int c2, int& best,
                                  int& bestIndex) const {
  const int key = keyChannel_ == 0 ? c0 : keyChannel_ == 1 ? c1 : c2;
  const int dk = e.key - key;
  if (dk * dk > best) return false;
  const int d0 = e.c0 - c0;
  const int d1 = e.c1 - c1;
  const int d2 = e.c2 - c2;
  const int distance = d0 * d0 + d1 * d1 + d2 * d2;
  if (distance < best || (distance == best && e.index < bestIndex)) {
    best = distance;
    bestIndex = e.index;
  }
  return true;
}

int NearestColorSearch::Find(int c0, int c1, int c2) const {
  if (sorted_.empty()) return 0;
  const int key = keyChannel_ == 0 ? c0 : keyChannel_ == 1 ? c1 : c2;
  const auto start = std::lower_bound(sorted_.begin(), sorted_.end(), key,
                                      [](const Entry& e, int k) { return e.key < k; });
  int best = kNoDistance;
  int bestIndex = INT_MAX;
  for (auto it = start; it != sorted_.end(); ++it) {
    if (!Consider(*it, c0, c1, c2, best, bestIndex)) break;
  }
  for (auto it = start; it != sorted_.begin();) {
    if (!Consider(*--it, c0, c1, c2, best, bestIndex)) break;
  }
  return bestIndex;
}

}  // namespace morvane
