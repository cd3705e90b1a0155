// Spreading independent pieces of work, such as the frames of an icon, over the cores.
#pragma once

#include <cstddef>
#include <functional>

namespace morvane {

// Runs work(i) once for every i in [0, count) on up to maxThreads threads, the calling thread
// among them; when no further thread can be started, the calling thread does it all. Every item
// runs whatever the others do; if items throw, the exception of the lowest such index is
// rethrown after all have finished, so what a caller sees never depends on timing.
// maxThreads 0 means one per core.
void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& work,
                 unsigned maxThreads = 0);

}  // namespace morvane
