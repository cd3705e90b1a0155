// PNG writing at icon sizes: the row filter on its own and whole streams. The pictures are an
// icon-like disc with soft edges on transparency and a photo-like one (gradients plus noise).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "bench_pictures.h"
#include "formats/png_codec.h"
#include "formats/png_filter.h"
#include "image/dib.h"

namespace morvane {
namespace {

CDib Disc(int size) {
  CDib dib;
  dib.Create(size, size);
  const double centre = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre) / centre;
      const double alpha = std::clamp((0.9 - r) * 20.0, 0.0, 1.0);
      const auto a = static_cast<std::uint32_t>(alpha * 255);
      dib.SetPixel(x, y, a == 0 ? 0 : MakePixel(a, 200 - x * 100 / size, 60 + y * 120 / size, 40));
    }
  }
  return dib;
}

CDib Photo(int size) {
  return bench::PhotoLikePicture(size, 20261208);
}

const CDib& Picture(int which) {
  static const CDib disc = Disc(256);
  static const CDib photo = Photo(256);
  return which == 0 ? disc : photo;
}

// Filtering alone: 256 rows of 256 pixels in RGBA sample order, already filled.
void BM_RowFilter256(benchmark::State& state) {
  const CDib& image = Picture(static_cast<int>(state.range(0)));
  const std::size_t rowBytes = 4 * 256;
  std::vector<std::vector<std::uint8_t>> rows(256, std::vector<std::uint8_t>(rowBytes));
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const Pixel v = image.GetPixel(x, y);
      const std::uint8_t rgba[4] = {
          static_cast<std::uint8_t>(RedOf(v)), static_cast<std::uint8_t>(GreenOf(v)),
          static_cast<std::uint8_t>(BlueOf(v)), static_cast<std::uint8_t>(AlphaOf(v))};
      std::memcpy(rows[y].data() + 4 * x, rgba, 4);
    }
  }
  std::vector<std::uint8_t> out((rowBytes + 1) * 256);
  for (auto _ : state) {
    PngRowFilter filter(rowBytes, 4, true);
    for (int y = 0; y < 256; ++y) {
      std::memcpy(filter.NextRow(), rows[y].data(), rowBytes);
      filter.Filter(out.data() + (rowBytes + 1) * y);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 256 * rowBytes);
}
BENCHMARK(BM_RowFilter256)->Arg(0)->Arg(1)->ArgNames({"photo"})->Unit(benchmark::kMicrosecond);

// Whole streams: filling, filtering, compressing and framing.
void BM_EncodePng(benchmark::State& state) {
  const CDib& image = Picture(static_cast<int>(state.range(0)));
  const int depth = static_cast<int>(state.range(1));
  for (auto _ : state) {
    std::vector<std::uint8_t> out;
    benchmark::DoNotOptimize(EncodePng(image, depth, out));
  }
}
BENCHMARK(BM_EncodePng)
    ->ArgsProduct({{0, 1}, {32, 24}})
    ->ArgNames({"photo", "depth"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace morvane
