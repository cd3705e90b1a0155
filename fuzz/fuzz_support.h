// Shared pieces of the fuzz harnesses: the input as a byte span, and a check that aborts so
// libFuzzer records the input when a round trip breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/byte_reader.h"

namespace morvane::fuzz {

inline Bytes Input(const std::uint8_t* data, std::size_t size) {
  return Bytes(data, size);
}

// A reader accepted the input and the writer wrote it back, so reading that output must work.
inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "round trip failed: %s\n", what);
  std::abort();
}

}  // namespace morvane::fuzz
