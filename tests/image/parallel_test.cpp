#include "image/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace morvane {
namespace {

TEST(ParallelFor, RunsEveryIndexExactlyOnceWhateverTheThreadCount) {
  for (const unsigned threads : {0u, 1u, 2u, 8u, 64u}) {
    std::vector<std::atomic<int>> runs(1000);
    ParallelFor(
        runs.size(), [&](std::size_t i) { ++runs[i]; }, threads);
    for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i].load(), 1) << i;
  }
  ParallelFor(0, [](std::size_t) { FAIL() << "nothing to run"; });
}

TEST(ParallelFor, OneThreadMeansTheCallingThread) {
  const std::thread::id caller = std::this_thread::get_id();
  ParallelFor(
      5, [&](std::size_t) { EXPECT_EQ(std::this_thread::get_id(), caller); }, 1);
}

TEST(ParallelFor, EveryItemRunsAndTheLowestFailureIsRethrown) {
  std::vector<std::atomic<int>> runs(50);
  try {
    ParallelFor(runs.size(), [&](std::size_t i) {
      ++runs[i];
      if (i == 7 || i == 3 || i == 40) throw std::runtime_error(std::to_string(i));
    });
    FAIL() << "expected the failure to come back";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "3");
  }
  for (const std::atomic<int>& r : runs) EXPECT_EQ(r.load(), 1);
}

}  // namespace
}  // namespace morvane
