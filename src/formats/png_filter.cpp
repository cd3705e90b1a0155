#include "formats/png_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace morvane {
namespace {

enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// The PNG predictor: of left, above and upper-left, the one nearest to left + above - upper-left
// (ties in that order). Written with selects only, so that the compiler can vectorise the row.
inline int Paeth(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  const int nearerOfBC = pb <= pc ? b : c;
  return pa <= std::min(pb, pc) ? a : nearerOfBC;
}

// One filter over a whole row; the first bpp bytes have no left neighbour (taken as 0).
void Apply(Filter filter, const std::uint8_t* cur, const std::uint8_t* up, std::size_t n,
           std::size_t bpp, std::uint8_t* out) {
  const std::size_t head = std::min(bpp, n);
  switch (filter) {
    case kNone:
      std::memcpy(out, cur, n);
      break;
    case kSub:
      std::memcpy(out, cur, head);
      for (std::size_t x = head; x < n; ++x)
        out[x] = static_cast<std::uint8_t>(cur[x] - cur[x - bpp]);
      break;
    case kUp:
      for (std::size_t x = 0; x < n; ++x) out[x] = static_cast<std::uint8_t>(cur[x] - up[x]);
      break;
    case kAverage:
      for (std::size_t x = 0; x < head; ++x)
        out[x] = static_cast<std::uint8_t>(cur[x] - (up[x] >> 1));
      for (std::size_t x = head; x < n; ++x) {
        out[x] = static_cast<std::uint8_t>(cur[x] - ((cur[x - bpp] + up[x]) >> 1));
      }
      break;
    case kPaeth:
      for (std::size_t x = 0; x < head; ++x) out[x] = static_cast<std::uint8_t>(cur[x] - up[x]);
      for (std::size_t x = head; x < n; ++x) {
        out[x] = static_cast<std::uint8_t>(cur[x] - Paeth(cur[x - bpp], up[x], up[x - bpp]));
      }
      break;
  }
}

// The cost of a filtered row: bytes read as signed values, summed by magnitude.
std::uint64_t Cost(const std::uint8_t* row, std::size_t n) {
  std::uint64_t sum = 0;
  for (std::size_t x = 0; x < n; ++x) {
    const int v = static_cast<std::int8_t>(row[x]);
    sum += static_cast<std::uint64_t>(v < 0 ? -v : v);
  }
  return sum;
}

}  // namespace

PngRowFilter::PngRowFilter(std::size_t rowBytes, std::size_t bytesPerPixel, bool adaptive)
    : rowBytes_(rowBytes),
      bpp_(bytesPerPixel),
      adaptive_(adaptive),
      previous_(rowBytes, 0),
      candidate_(adaptive ? rowBytes : 0),
      best_(adaptive ? rowBytes : 0) {}

void PngRowFilter::Add(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& out) {
  const std::uint8_t* cur = row.data();
  if (!adaptive_) {
    out.push_back(kNone);
    out.insert(out.end(), cur, cur + rowBytes_);
    return;
  }
  Filter chosen = kNone;
  Apply(kNone, cur, previous_.data(), rowBytes_, bpp_, best_.data());
  std::uint64_t lowest = Cost(best_.data(), rowBytes_);
  for (Filter f : {kSub, kUp, kAverage, kPaeth}) {
    Apply(f, cur, previous_.data(), rowBytes_, bpp_, candidate_.data());
    const std::uint64_t cost = Cost(candidate_.data(), rowBytes_);
    if (cost < lowest) {
      lowest = cost;
      chosen = f;
      best_.swap(candidate_);
    }
  }
  out.push_back(chosen);
  out.insert(out.end(), best_.begin(), best_.end());
  std::memcpy(previous_.data(), cur, rowBytes_);
}

}  // namespace morvane
