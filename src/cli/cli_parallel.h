// Writing many output files at once. Each file is still written whole to a temporary file,
// flushed to the disk and renamed; running several such writes together lets the file system
// commit their flushes in batches instead of one after the other, which is where an extraction
// of many small files spends its time.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "cli/cli_common.h"

namespace morvane::cli {

// Runs task(i) for every i in [0, count) on a few threads (on the calling thread alone when no
// thread can be started) and returns the failure of the lowest index that failed, so the message
// does not depend on timing. Every task runs, whatever the others return.
std::optional<Failure> RunInParallel(
    std::size_t count, const std::function<std::optional<Failure>(std::size_t)>& task);

}  // namespace morvane::cli
