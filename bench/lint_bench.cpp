// Cost of checking and repairing an icon of the "windows" size set: what "lint" spends per file
// and "Check icon" per click.
#include <benchmark/benchmark.h>

#include <vector>

#include "formats/ico_codec.h"
#include "formats/icon_lint.h"

namespace morvane {
namespace {

std::vector<std::uint8_t> WindowsIcon() {
  std::vector<CDib> images;
  for (const int side : {256, 48, 32, 24, 16}) {
    CDib& image = images.emplace_back();
    image.Create(side, side);
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        image.SetPixel(x, y, MakePixel((x + y) % 255, x * 7 & 0xFF, y * 3 & 0xFF, 0x80));
      }
    }
  }
  std::vector<IconFrameRef> frames;
  for (const CDib& image : images) frames.push_back({&image, 32});
  std::vector<std::uint8_t> out;
  WriteIconFile(out, frames, kIconNoHotspot, 0);
  return out;
}

void BM_LintWindowsIcon(benchmark::State& state) {
  const std::vector<std::uint8_t> icon = WindowsIcon();
  for (auto _ : state) benchmark::DoNotOptimize(LintIconData(icon));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(icon.size()));
}
BENCHMARK(BM_LintWindowsIcon);

void BM_FixWindowsIcon(benchmark::State& state) {
  const std::vector<std::uint8_t> icon = WindowsIcon();
  for (auto _ : state) benchmark::DoNotOptimize(FixIconData(icon));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(icon.size()));
}
BENCHMARK(BM_FixWindowsIcon);

}  // namespace
}  // namespace morvane
