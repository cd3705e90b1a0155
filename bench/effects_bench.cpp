// Every effect once on a 256 x 256 icon-like frame, at its defaults and at its most expensive
// settings: the work the live preview repeats on every slider movement. Each iteration includes
// restoring the frame from its snapshot (a 256 KiB copy), as the preview does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "effects/effect_registry.h"
#include "image/dib.h"

namespace morvane {
namespace {

constexpr int kSide = 256;

// A soft-edged, shaded disc with a few colours on a transparent background, like an icon.
CDib IconLike() {
  CDib dib;
  dib.Create(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const double d = std::hypot(x - 127.5, y - 127.5);
      if (d > 110) continue;
      const auto alpha = static_cast<Pixel>(d > 100 ? 255 * (110 - d) / 10 : 255);
      const Pixel colour =
          x < 128 ? (y < 128 ? 0x3070E0 : 0xE03030) : (y < 128 ? 0x30C060 : 0xF0D020);
      const auto shade = static_cast<Pixel>((x + y) / 32);
      dib.Row(y)[x] = alpha << 24 | (colour - shade * 0x010101);
    }
  }
  return dib;
}

struct Setting {
  const char* label;
  std::vector<std::pair<const char*, std::vector<double>>> values;  // parameter, values
};

// The most expensive settings of each effect with parameters that change the work done.
const std::vector<std::pair<const char*, Setting>>& Expensive() {
  static const std::vector<std::pair<const char*, Setting>> settings = {
      {"brightness-intensity-contrast", {"max", {{"brightness", {40}}, {"contrast", {100}}}}},
      {"hue-luminance-saturation", {"max", {{"hue", {90}}, {"saturation", {-100}}}}},
      {"posterize", {"64 colours", {{"number-of-colors", {64}}}}},
      {"shadow", {"blur 100", {{"blur", {100}}, {"x-offset", {16}}, {"y-offset", {16}}}}},
      {"shadow", {"blur 10", {{"blur", {10}}, {"inner", {1}}}}},
      {"bevel-boss", {"blur 100", {{"blur", {100}}}}},
      {"bevel-boss", {"blur 10", {{"blur", {10}}}}},
      {"aqua", {"sphere off", {{"sphere-mode", {0}}, {"light-size", {60}}}}},
      {"3d-shadow",
       {"blur 100 rear", {{"blur", {100}}, {"shadow-position", {2}}, {"zoom", {150}}}}},
      {"3d-rotate",
       {"tilted zoom 150",
        {{"angle-x", {30}},
         {"angle-y", {-30}},
         {"angle-z", {20}},
         {"zoom", {150}},
         {"perspective", {0}}}}},
      {"blur", {"level 255", {{"level", {255}}, {"lock", {0}}}}},
      {"custom-blur", {"level 255", {{"level", {255}}, {"lock", {0}}}}},
      {"sharpen", {"level 255", {{"level", {255}}, {"lock", {0}}}}},
      {"emboss", {"depth 255", {{"depth", {255}}}}},
      {"smart-blur", {"threshold 100", {{"dither", {100}}}}},
      {"custom-rotate",
       {"45 anti-aliased level 16", {{"angle", {45}}, {"anti-aliasing-level", {16}}}}},
      {"custom-rotate", {"45 anti-aliased", {{"angle", {45}}}}},
      {"custom-rotate",
       {"30 anti-aliased level 16", {{"angle", {30}}, {"anti-aliasing-level", {16}}}}},
      {"custom-rotate", {"30 anti-aliased", {{"angle", {30}}}}},
      {"custom-rotate",
       {"-7 anti-aliased level 6", {{"angle", {-7}}, {"anti-aliasing-level", {6}}}}},
      {"custom-rotate", {"45 nearest", {{"angle", {45}}, {"anti-aliasing", {0}}}}},
  };
  return settings;
}

void Run(benchmark::State& state, const EffectInfo* effect, EffectValues values) {
  const CDib frame = IconLike();
  CDib work;
  for (auto _ : state) {
    frame.CopyTo(work);
    effect->run(work, Rect::Whole(), values);
    benchmark::DoNotOptimize(work.Pixels());
  }
}

int Register() {
  for (const EffectInfo& e : Effects()) {
    benchmark::RegisterBenchmark((std::string(e.cliName) + "/default").c_str(), Run, &e,
                                 DefaultValues(e))
        ->Unit(benchmark::kMillisecond);
  }
  for (const auto& [name, setting] : Expensive()) {
    const EffectInfo* e = FindEffect(name);
    if (e == nullptr) continue;
    EffectValues values = DefaultValues(*e);
    for (const auto& [param, v] : setting.values) {
      int index = 0;
      if (FindParam(*e, param, &index) < 0) continue;
      for (std::size_t k = 0; k < v.size(); ++k) values[static_cast<std::size_t>(index) + k] = v[k];
    }
    benchmark::RegisterBenchmark((std::string(name) + "/" + setting.label).c_str(), Run, e, values)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}

const int kRegistered = Register();

}  // namespace
}  // namespace morvane
