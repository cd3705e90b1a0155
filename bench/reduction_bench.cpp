// Colour reduction on a 256 x 256 photo-like image: smooth gradients plus noise, fixed seed.
#include <benchmark/benchmark.h>

#include "bench_pictures.h"
#include "image/color_reduction.h"
#include "image/dib.h"

namespace morvane {
namespace {

constexpr int kSize = 256;

const CDib& Photo() {
  static const CDib photo = bench::PhotoLikePicture(kSize, 20240611);
  return photo;
}

void BM_OctreeIndices256(benchmark::State& state) {
  IndexedImage out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReduceToIndices(Photo(), 256, out, true, false));
  }
}
BENCHMARK(BM_OctreeIndices256)->Unit(benchmark::kMillisecond);

// Includes copying the source into the working image (a few microseconds).
void BM_ReduceToColors256(benchmark::State& state) {
  CDib work;
  for (auto _ : state) {
    Photo().CopyTo(work);
    benchmark::DoNotOptimize(ReduceToColors(work, 256));
  }
}
BENCHMARK(BM_ReduceToColors256)->Unit(benchmark::kMillisecond);

void BM_SixteenColors(benchmark::State& state) {
  CDib target;
  const int level = static_cast<int>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReduceTo16Colors(Photo(), target, level));
  }
}
BENCHMARK(BM_SixteenColors)->Arg(0)->Arg(31)->Unit(benchmark::kMillisecond);

void BM_Dl1ComputedIndices16(benchmark::State& state) {
  IndexedImage out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReduceToIndices(Photo(), 16, out, true, false));
  }
}
BENCHMARK(BM_Dl1ComputedIndices16)->Unit(benchmark::kMillisecond);

void BM_FixedIndices16(benchmark::State& state) {
  IndexedImage out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReduceToIndices(Photo(), 16, out, false, true));
  }
}
BENCHMARK(BM_FixedIndices16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvane
