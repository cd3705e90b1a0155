#include "image/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace morvane {

void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& work,
                 unsigned maxThreads) {
  if (count == 0) return;
  if (maxThreads == 0) maxThreads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::exception_ptr> errors(count);
  std::atomic<std::size_t> next{0};
  auto run = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      try {
        work(i);
      } catch (...) {
        errors[i] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> helpers;
  const std::size_t wanted = std::min<std::size_t>(count, maxThreads);
  try {
    for (std::size_t t = 1; t < wanted; ++t) helpers.emplace_back(run);
  } catch (const std::exception&) {
    // No thread (or no memory for one): fewer threads only take longer.
  }
  run();
  for (std::thread& t : helpers) t.join();
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace morvane
