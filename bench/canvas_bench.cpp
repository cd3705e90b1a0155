// One mouse move of a shape tool on a 256 x 256 frame through the canvas: the stroke base is
// copied back and the shape drawn anew from the press point to the cursor, under the default
// drawing modes (anti-aliasing at level 8, Transparent mode). The target is under 4 ms.
#include <benchmark/benchmark.h>

#include "editing/edit_canvas.h"

namespace morvane {
namespace {

void MoveOfTool(benchmark::State& state, CanvasTool tool) {
  CDib image;
  image.Create(256, 256);
  image.Fill(0xFF336699);
  image.clip = {0, 0, 256, 256};
  UndoHistory history;
  EditCanvas canvas;
  canvas.Attach(&image, &history);
  canvas.tools.penSize = 3;
  canvas.SetTool(static_cast<int>(tool));
  canvas.Press({20, 24}, MouseButton::kLeft);
  int i = 0;
  for (auto _ : state) {
    // Alternate between two cursor positions so that every move redraws.
    canvas.Move({230 - (i & 1), 210}, 0);
    ++i;
    benchmark::DoNotOptimize(image.Pixels());
  }
  canvas.Release({230, 210}, MouseButton::kLeft);
}

void BM_LineMove(benchmark::State& state) {
  MoveOfTool(state, CanvasTool::kLine);
}
void BM_FilledEllipseMove(benchmark::State& state) {
  MoveOfTool(state, CanvasTool::kFilledEllipse);
}

BENCHMARK(BM_LineMove)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilledEllipseMove)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvane
