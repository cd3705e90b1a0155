// Cost of writing and reading icon libraries: what "Save library" and "Open library" take for
// a large library, and for one beyond 8 MB that needs the wider sector shift.
#include <benchmark/benchmark.h>

#include "formats/icl_reader.h"
#include "formats/icl_writer.h"

namespace morvane {
namespace {

// groups groups of the given sides, all 32-bit, pixels varying so the encoders do real work.
IconLibrary MakeLibrary(int groups, std::initializer_list<int> sides) {
  IconLibrary library;
  library.groupCount = groups;
  for (int g = 0; g < groups; ++g) {
    for (int side : sides) {
      LibraryImage image;
      image.pixels.Create(side, side);
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
          image.pixels.SetPixel(x, y,
                                static_cast<Pixel>((x * 7 + y * 13 + g) * 0x010203) | 0xFF000000);
      image.width = image.height = side;
      image.bits = 32;
      image.group = g;
      library.images.push_back(std::move(image));
    }
  }
  return library;
}

void BM_WriteLibrary300Groups(benchmark::State& state) {
  const IconLibrary library = MakeLibrary(300, {16, 32, 48});
  std::vector<std::uint8_t> out;
  for (auto _ : state) {
    out.clear();
    benchmark::DoNotOptimize(WriteIcl(library, out));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.size()));
}
BENCHMARK(BM_WriteLibrary300Groups)->Unit(benchmark::kMillisecond);

void BM_ReadLibrary300Groups(benchmark::State& state) {
  std::vector<std::uint8_t> file;
  WriteIcl(MakeLibrary(300, {16, 32, 48}), file);
  for (auto _ : state) {
    IconLibrary read;
    benchmark::DoNotOptimize(ReadLibrary(Bytes(file), read));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_ReadLibrary300Groups)->Unit(benchmark::kMillisecond);

// 33 images of 256 pixels do not fit 128-byte sectors: the first layout is abandoned and the
// library written again with shift 8.
void BM_WriteLibraryBeyond8MB(benchmark::State& state) {
  const IconLibrary library = MakeLibrary(33, {256});
  std::vector<std::uint8_t> out;
  for (auto _ : state) {
    out.clear();
    benchmark::DoNotOptimize(WriteIcl(library, out));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.size()));
}
BENCHMARK(BM_WriteLibraryBeyond8MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvane
