// Timings of the pixel core's hot loops: compositing, blending whole images and scaling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "image/dib.h"

namespace morvane {
namespace {

constexpr int kSide = 256;

// A picture the size of the largest icon: a third transparent, a third partly transparent, a
// third opaque, so that both alpha-aware paths of every operation run.
void FillMixed(CDib& dib, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < dib.GetHeight(); ++y) {
    for (int x = 0; x < dib.GetWidth(); ++x) {
      Pixel v = rng();
      switch (v % 3) {
        case 0:
          v &= 0x00FFFFFF;
          break;
        case 1:
          v = (v & 0x00FFFFFF) | 0x80000000;
          break;
        default:
          v |= 0xFF000000;
          break;
      }
      dib.Row(y)[x] = v;
    }
  }
}

std::vector<Pixel> MixedPixels(std::uint32_t seed) {
  CDib dib;
  dib.Create(kSide, kSide);
  FillMixed(dib, seed);
  return {dib.Pixels(), dib.Pixels() + dib.StoredPixelCount()};
}

void BM_AlphaOver(benchmark::State& state) {
  const std::vector<Pixel> under = MixedPixels(1);
  const std::vector<Pixel> over = MixedPixels(2);
  for (auto _ : state) {
    std::uint32_t acc = 0;
    for (std::size_t i = 0; i < under.size(); ++i) acc += AlphaOver(under[i], over[i]);
    benchmark::DoNotOptimize(acc);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(under.size()));
}
BENCHMARK(BM_AlphaOver);

void BM_BlendFrom(benchmark::State& state) {
  CDib source, target;
  source.Create(kSide, kSide);
  target.Create(kSide, kSide);
  FillMixed(source, 3);
  const int opacity = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    FillMixed(target, 4);
    state.ResumeTiming();
    target.BlendFrom(source, opacity);
    benchmark::DoNotOptimize(target.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_BlendFrom)->Arg(255)->Arg(128);

// An icon-like picture: a shaded disc with a soft edge on a transparent background, so that
// most filter windows are wholly opaque or wholly transparent, as in real artwork.
void FillIcon(CDib& dib) {
  const double centre = (dib.GetWidth() - 1) / 2.0, radius = dib.GetWidth() * 0.42;
  for (int y = 0; y < dib.GetHeight(); ++y) {
    for (int x = 0; x < dib.GetWidth(); ++x) {
      const double d = std::hypot(x - centre, y - centre);
      const double coverage = std::clamp(radius - d + 0.5, 0.0, 1.0);
      const auto a = static_cast<std::uint32_t>(coverage * 255.0);
      dib.Row(y)[x] = a == 0 ? 0 : MakePixel(a, x & 0xFF, y & 0xFF, (x + y) / 2 & 0xFF);
    }
  }
}

// Filter values are passed in tenths: 7 is 0.7 (tent), -20 is -2 (Gaussian). Picture 0 is the
// icon-like one, 1 the speckled worst case where every window mixes transparent pixels in.
void BM_StretchTo(benchmark::State& state) {
  CDib source, target;
  source.Create(kSide, kSide);
  if (state.range(2) == 0) {
    FillIcon(source);
  } else {
    FillMixed(source, 5);
  }
  const int side = static_cast<int>(state.range(0));
  const double filter = static_cast<double>(state.range(1)) / 10.0;
  target.Create(side, side);
  for (auto _ : state) {
    source.StretchTo(target, filter);
    benchmark::DoNotOptimize(target.Pixels());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_StretchTo)
    ->ArgNames({"side", "filter_x10", "speckled"})
    ->ArgsProduct({{48, 16}, {7, -20}, {0, 1}})
    ->Args({256, 7, 0})
    ->Args({320, 7, 0})    // enlarging a little: few taps per pixel both ways
    ->Args({512, 7, 0})    // enlarging twice: planes
    ->Args({320, -20, 0})  // enlarging with a Gaussian
    ->Args({48, 0, 0});

}  // namespace
}  // namespace morvane
