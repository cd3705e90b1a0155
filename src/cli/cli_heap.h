// Memory set-up for a short-lived command.
#pragma once

namespace morvane::cli {

// Keeps freed memory for reuse, gives all threads one heap and asks the kernel for large pages
// for it. A command runs for milliseconds and touches a few megabytes once: on virtual machines
// every first touch of a 4 KiB page costs microseconds, which made page faults a third of
// building an icon and most of extracting a program's groups. Does nothing where the C library
// or a sanitizer's allocator does not allow it. Call before the work starts; only once.
void PrepareHeap();

}  // namespace morvane::cli
