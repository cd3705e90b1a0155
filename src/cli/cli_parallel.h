// Writing many output files at once. Each file is still written whole to a temporary file and
// renamed; a file that replaces an existing one is flushed to the disk first. Running several
// such writes together encodes on every core and lets the file system commit the flushes of a
// re-run extraction in batches instead of one after the other.
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
