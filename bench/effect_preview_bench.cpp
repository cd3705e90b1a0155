// From a slider change to the repainted canvas on a 256 x 256 frame: the preview restores the
// snapshot, runs the effect with the new value, and the edit area re-reads and paints the frame.
// Aqua, 3D Rotate and Shadow at Blur 100 are the heaviest dialogs.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "effects/effect_session.h"
#include "ui/edit_area.h"

namespace morvane {
namespace {

constexpr int kSide = 256;

// A soft-edged disc on transparency, as icons are.
void PaintDisc(CDib& image) {
  const double c = (kSide - 1) / 2.0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const double d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c));
      const double a = std::clamp((100.0 - d) / 4.0, 0.0, 1.0);
      const auto alpha = static_cast<Pixel>(a * 255);
      image.Row(y)[x] = alpha << 24 | static_cast<Pixel>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
    }
  }
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "effect_preview_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// slider: the parameter that moves; the others keep their defaults (with overrides).
void SliderToCanvas(benchmark::State& state, const char* effectName, const char* slider,
                    std::vector<std::pair<const char*, double>> fixed) {
  App();
  IconDocument document;
  document.New(DocumentKind::kIcon);
  document.ResizeFrame(document.Current(), kSide, kSide, Rect::Whole());
  ImageFrame& frame = *document.CurrentFrame();
  PaintDisc(frame.image);
  EditArea area;
  area.resize(600, 600);
  area.SetDocument(&document);
  area.show();

  const EffectInfo& effect = *FindEffect(effectName);
  EffectValues values = DefaultValues(effect);
  for (const auto& [name, value] : fixed) {
    int at = 0;
    if (FindParam(effect, name, &at) >= 0) values[static_cast<std::size_t>(at)] = value;
  }
  int sliderAt = 0;
  FindParam(effect, slider, &sliderAt);
  EffectCanvas canvas;
  canvas.image = &frame.image;
  canvas.history = &frame.history;
  EffectSession session(effect, canvas, {});
  session.Open();
  int step = 0;
  for (auto _ : state) {
    values[static_cast<std::size_t>(sliderAt)] = 10 + (step++ % 20);
    session.Preview(values);
    area.ImageChanged();
    area.viewport()->repaint();
  }
  session.Cancel();
}

// The effect alone, without restoring or painting: how much of the time is the algorithm's.
void BM_AquaEffectOnly(benchmark::State& state) {
  CDib image;
  image.Create(kSide, kSide);
  PaintDisc(image);
  const EffectInfo& effect = *FindEffect("aqua");
  const EffectValues values = DefaultValues(effect);
  CDib work;
  for (auto _ : state) {
    image.CopyTo(work);
    effect.run(work, Rect::Whole(), values);
  }
}

void BM_AquaSliderToCanvas(benchmark::State& state) {
  SliderToCanvas(state, "aqua", "light-intensity", {});
}
void BM_Rotate3dSliderToCanvas(benchmark::State& state) {
  SliderToCanvas(state, "3d-rotate", "angle-y", {{"angle-x", 20}});
}
void BM_ShadowBlur100SliderToCanvas(benchmark::State& state) {
  SliderToCanvas(state, "shadow", "transparency", {{"blur", 100}, {"x-offset", 4}});
}
void BM_Shadow3dSliderToCanvas(benchmark::State& state) {
  SliderToCanvas(state, "3d-shadow", "angle-y", {{"blur", 100}});
}
BENCHMARK(BM_AquaEffectOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AquaSliderToCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate3dSliderToCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShadowBlur100SliderToCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Shadow3dSliderToCanvas)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvane
