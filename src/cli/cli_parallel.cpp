#include "cli/cli_parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace morvane::cli {
namespace {

// Enough writes in flight to fill a journal commit; more only adds threads.
constexpr std::size_t kMaxWorkers = 8;

}  // namespace

std::optional<Failure> RunInParallel(
    std::size_t count, const std::function<std::optional<Failure>(std::size_t)>& task) {
  std::vector<std::optional<Failure>> failures(count);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      try {
        failures[i] = task(i);
      } catch (const std::exception& e) {
        failures[i] = Failure{kExitOutput, std::string("cannot write: ") + e.what()};
      }
    }
  };
  std::vector<std::thread> workers;
  const std::size_t wanted = std::min(count, kMaxWorkers);
  try {
    for (std::size_t w = 1; w < wanted; ++w) workers.emplace_back(work);
  } catch (const std::system_error&) {
    // Fewer threads only make it slower: the calling thread takes what is left.
  }
  work();
  for (std::thread& t : workers) t.join();
  for (std::optional<Failure>& failure : failures) {
    if (failure) return failure;
  }
  return std::nullopt;
}

}  // namespace morvane::cli
