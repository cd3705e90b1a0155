// Cost of the undo snapshots a 256 x 256 frame takes before every stroke.
#include <benchmark/benchmark.h>

#include "image/dib.h"
#include "image/undo_history.h"

namespace morvane {
namespace {

constexpr int kSide = 256;
constexpr std::int64_t kImageBytes = std::int64_t{kSide} * kSide * 4;

CDib MakeImage() {
  CDib image;
  image.Create(kSide, kSide);
  image.Fill(0xFF336699);
  return image;
}

// A push while the stack still has room.
void BM_UndoPush256(benchmark::State& state) {
  CDib image = MakeImage();
  UndoHistory history;
  const UndoContext context;
  for (auto _ : state) {
    history.Push(&image, nullptr, context);
    if (history.Position() > UndoHistory::kWrittenSlots) {
      state.PauseTiming();
      history.Clear();
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(state.iterations() * kImageBytes);
}
BENCHMARK(BM_UndoPush256);

// A push onto a full stack: the oldest step is dropped and the slots shift down.
void BM_UndoPush256FullStack(benchmark::State& state) {
  CDib image = MakeImage();
  UndoHistory history;
  const UndoContext context;
  for (int i = 0; i < UndoHistory::kWrittenSlots; ++i) history.Push(&image, nullptr, context);
  for (auto _ : state) history.Push(&image, nullptr, context);
  state.SetBytesProcessed(state.iterations() * kImageBytes);
}
BENCHMARK(BM_UndoPush256FullStack);

// One undo and one redo of a 256 x 256 image (each restores a whole snapshot).
void BM_UndoRedo256(benchmark::State& state) {
  CDib image = MakeImage();
  UndoHistory history;
  UndoContext context;
  for (int i = 0; i < 10; ++i) history.Push(&image, nullptr, context);
  for (auto _ : state) {
    history.Undo(image, context);
    history.Redo(image, context);
  }
  state.SetBytesProcessed(state.iterations() * 2 * kImageBytes);
}
BENCHMARK(BM_UndoRedo256);

}  // namespace
}  // namespace morvane
