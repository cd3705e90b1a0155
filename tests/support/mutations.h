// Robustness helpers for reader tests: every single-bit flip and every truncation of a valid
// file. The readers under test must fail cleanly or decode; the sanitizer build catches the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvane::testing {

// Calls fn(mutated bytes) once per flipped bit of data[begin, end) (end clipped to the size).
template <class Fn>
void ForEachBitFlip(std::span<const std::uint8_t> data, Fn&& fn, std::size_t begin = 0,
                    std::size_t end = SIZE_MAX) {
  std::vector<std::uint8_t> work(data.begin(), data.end());
  end = end < work.size() ? end : work.size();
  for (std::size_t i = begin; i < end; ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      work[i] ^= static_cast<std::uint8_t>(1u << bit);
      fn(std::span<const std::uint8_t>(work));
      work[i] ^= static_cast<std::uint8_t>(1u << bit);
    }
  }
}

// Calls fn(prefix) for every proper prefix of data, from empty to size - 1 bytes. Each prefix is
// a fresh allocation of exactly that size, so a read past its end is caught by the sanitizers.
template <class Fn>
void ForEachTruncation(std::span<const std::uint8_t> data, Fn&& fn) {
  for (std::size_t n = 0; n < data.size(); ++n) {
    std::vector<std::uint8_t> prefix(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    fn(std::span<const std::uint8_t>(prefix));
  }
}

}  // namespace morvane::testing
