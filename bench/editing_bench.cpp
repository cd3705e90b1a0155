// Timings of the drawing tools on the largest frame (256 x 256): each should stay well under
// 2 ms so that tools follow the mouse at any zoom.
#include <benchmark/benchmark.h>

#include <random>

#include "editing/edit_canvas.h"
#include "editing/fills.h"
#include "editing/gradient.h"
#include "editing/primitives.h"

namespace morvane {
namespace {

constexpr int kSide = 256;

void FillIconLike(CDib& dib) {
  std::mt19937 rng(7);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const int cx = x - 128, cy = y - 128;
      const Pixel colour = (rng() & 0x003F3F3F) | 0x00C04020;
      dib.SetPixel(x, y, cx * cx + cy * cy < 110 * 110 ? colour | 0xFF000000 : 0);
    }
  }
}

// One pen move: a dab at a new position, through the canvas (stroke rules, locks, repaint hook).
void BM_PenMove(benchmark::State& state) {
  CDib image;
  image.Create(kSide, kSide);
  UndoHistory history;
  EditCanvas canvas;
  canvas.Attach(&image, &history);
  canvas.tools.penSize = static_cast<int>(state.range(0));
  canvas.tools.penTip = state.range(1) ? TipShape::kCircle : TipShape::kSquare;
  canvas.SetTool(static_cast<int>(CanvasTool::kPen));
  canvas.Press({128, 128}, MouseButton::kLeft);
  int x = 0;
  for (auto _ : state) {
    canvas.Move({x & 255, 128});
    ++x;
  }
  canvas.Release({0, 0}, MouseButton::kLeft);
}
BENCHMARK(BM_PenMove)->Args({1, 0})->Args({16, 1})->Args({64, 1})->Unit(benchmark::kMicrosecond);

// A flood fill of the whole (transparent) frame; the colour alternates so every fill works.
void BM_FloodFillWhole(benchmark::State& state) {
  CDib image;
  image.Create(kSide, kSide);
  DrawSettings settings;
  bool flip = false;
  for (auto _ : state) {
    FloodFill(image, 5, 5, flip ? 0xFFFF0000 : 0xFF00FF00, settings);
    flip = !flip;
  }
}
BENCHMARK(BM_FloodFillWhole)->Unit(benchmark::kMicrosecond);

void BM_GradientFill(benchmark::State& state) {
  DrawSettings settings;
  settings.gradientFill = true;
  GradientSettings g;
  g.type = static_cast<int>(state.range(0));
  RenderGradient(g, settings.gradientImage);
  CDib image;
  for (auto _ : state) {
    image.Create(kSide, kSide);
    FloodFill(image, 5, 5, 0xFF000000, settings);
  }
}
BENCHMARK(BM_GradientFill)->Arg(0)->Arg(7)->Unit(benchmark::kMicrosecond);

void BM_RenderGradient(benchmark::State& state) {
  GradientSettings g;
  g.type = static_cast<int>(state.range(0));
  CDib out;
  for (auto _ : state) RenderGradient(g, out);
}
BENCHMARK(BM_RenderGradient)->Arg(0)->Arg(7)->Unit(benchmark::kMicrosecond);

void BM_FilledEllipseAntiAliased(benchmark::State& state) {
  CDib image;
  image.Create(kSide, kSide);
  DrawSettings settings;
  settings.antiAliasLevel = static_cast<int>(state.range(0));
  for (auto _ : state) FillEllipse(image, 0, 0, 255, 255, 0x80FF0000, settings);
}
BENCHMARK(BM_FilledEllipseAntiAliased)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_PolygonAntiAliased(benchmark::State& state) {
  CDib image;
  image.Create(kSide, kSide);
  DrawSettings settings;
  const std::vector<PointD> arm{{128, 128}, {128, 10}, {150, 100}};
  for (auto _ : state) {
    FillPolygon(image, arm, 0xFF0000FF, PackReplication(7, 0), settings);
  }
}
BENCHMARK(BM_PolygonAntiAliased)->Unit(benchmark::kMicrosecond);

void BM_ReplaceColorsDab(benchmark::State& state) {
  CDib image, base;
  image.Create(kSide, kSide);
  FillIconLike(image);
  image.CopyTo(base);
  ReplaceParams params;
  params.brushSize = static_cast<int>(state.range(0));
  params.hueDelta = 180;
  for (auto _ : state) ReplaceColors(image, base, 128, 128, params, 0xFFC04020, 0xFF2040C0);
}
BENCHMARK(BM_ReplaceColorsDab)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

void BM_BlurDab(benchmark::State& state) {
  CDib image;
  image.Create(kSide, kSide);
  FillIconLike(image);
  const int w = static_cast<int>(state.range(0));
  for (auto _ : state) image.Blur(128 - w / 2, 128 - w / 2, 128 + w / 2, 128 + w / 2, 255, false);
}
BENCHMARK(BM_BlurDab)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace morvane
