#include "cli/cli_heap.h"

#include <cstdlib>  // defines __GLIBC__ where it applies

#if defined(__GLIBC__) && defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define MORVANE_TUNE_HEAP 1
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace morvane::cli {

#ifdef MORVANE_TUNE_HEAP
namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
// Address space the heap grows by at a time; untouched, it costs nothing.
constexpr int kHeapStep = 32 << 20;
// Blocks above this are still mapped on their own (the largest value the C library takes).
constexpr int kOwnMappingFrom = 32 << 20;
constexpr int kNeverTrim = 1 << 30;

// Fills the heap up to a large-page boundary, so that what is allocated next starts on one.
// Deliberately never freed; reachable through this pointer for leak checkers.
void* headPadding = nullptr;

}  // namespace

void PrepareHeap() {
  // Freed blocks return to the heap and stay there: no mapping and unmapping per image.
  mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
  mallopt(M_TRIM_THRESHOLD, kNeverTrim);
  mallopt(M_TOP_PAD, kHeapStep);
  // Worker threads would otherwise get arenas of their own, outside the large pages.
  mallopt(M_ARENA_MAX, 1);

  // The free space at the heap's end (its top) starts at the break minus the top's size.
  const auto brk0 = reinterpret_cast<std::uintptr_t>(sbrk(0));
  const std::uintptr_t top = brk0 - mallinfo2().keepcost;
  const std::uintptr_t boundary = (top + 64 + kLargePage - 1) & ~(kLargePage - 1);
  // A block's header and rounding take at most 32 bytes beyond its size.
  headPadding = std::malloc(boundary - top - 32);
  if (headPadding == nullptr) return;
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kLargePage - 1);
  if (end > boundary) madvise(reinterpret_cast<void*>(boundary), end - boundary, MADV_HUGEPAGE);
}

#else

void PrepareHeap() {}

#endif

}  // namespace morvane::cli
