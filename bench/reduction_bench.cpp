// Colour reduction on a 256 x 256 photo-like image: smooth gradients plus noise, fixed seed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "image/color_reduction.h"
#include "image/dib.h"

namespace morvane {
namespace {

constexpr int kSize = 256;

const CDib& Photo() {
  static const CDib photo = [] {
    CDib dib;
    dib.Create(kSize, kSize);
    std::mt19937 random(20240611);
    std::normal_distribution<double> noise(0.0, 6.0);
    auto channel = [&](double smooth) {
      return static_cast<std::uint32_t>(std::clamp(smooth + noise(random), 0.0, 255.0));
    };
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const double red = 128 + 100 * std::sin(x / 40.0) * std::cos(y / 55.0);
        const double green = x * 0.6 + y * 0.3;
        const double blue = 255 - y * 0.8 + 30 * std::sin((x + y) / 23.0);
        dib.SetPixel(x, y, MakePixel(255, channel(red), channel(green), channel(blue)));
      }
    }
    return dib;
  }();
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
