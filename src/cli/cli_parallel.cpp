#include "cli/cli_parallel.h"

#include <exception>

#include "image/parallel.h"

namespace morvane::cli {
namespace {

// Enough writes in flight to fill a journal commit; more only adds threads.
constexpr unsigned kMaxWorkers = 8;

}  // namespace

std::optional<Failure> RunInParallel(
    std::size_t count, const std::function<std::optional<Failure>(std::size_t)>& task) {
  std::vector<std::optional<Failure>> failures(count);
  ParallelFor(
      count,
      [&](std::size_t i) {
        try {
          failures[i] = task(i);
        } catch (const std::exception& e) {
          failures[i] = Failure{kExitOutput, std::string("cannot write: ") + e.what()};
        }
      },
      kMaxWorkers);
  for (std::optional<Failure>& failure : failures) {
    if (failure) return failure;
  }
  return std::nullopt;
}

}  // namespace morvane::cli
