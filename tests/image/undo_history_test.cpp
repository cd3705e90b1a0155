#include "image/undo_history.h"

#include <gtest/gtest.h>

#include <utility>

namespace morvane {
namespace {

// A stroke paints the whole image with a colour that names the stroke, after pushing the state
// before it, as the canvas does.
Pixel StrokeColour(int stroke) {
  return 0xFF000000u | static_cast<Pixel>(stroke);
}

class UndoStrokes : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(image.Create(4, 3)); }

  void Stroke(int n, UndoContext ctx = {}) {
    history.Push(&image, nullptr, ctx);
    image.Fill(StrokeColour(n));
  }
  void Strokes(int count) {
    for (int n = 1; n <= count; ++n) Stroke(n);
  }
  int UndoAll() {
    int undone = 0;
    while (history.Undo(image, context)) ++undone;
    return undone;
  }

  CDib image;
  UndoHistory history;
  UndoContext context;
};

TEST_F(UndoStrokes, SixtyStrokesLeaveFortyNineUndosBackToBeforeTheTwelfth) {
  Strokes(60);
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(59));
  EXPECT_EQ(1 + UndoAll(), UndoHistory::kMaxUndoSteps);
  EXPECT_EQ(image.GetPixel(3, 2), StrokeColour(11));  // the state before stroke 12
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.Undo(image, context));  // the 50th does nothing
  EXPECT_EQ(image.GetPixel(3, 2), StrokeColour(11));
  EXPECT_TRUE(history.Slot(UndoHistory::kSlotCount).image.IsEmpty());  // slot 51 never written
}

TEST_F(UndoStrokes, TenStrokesAreAllUndoneAndRedone) {
  Strokes(10);
  EXPECT_EQ(UndoAll(), 10);
  EXPECT_EQ(image.GetPixel(0, 0), 0u);
  int redone = 0;
  while (history.Redo(image, context)) ++redone;
  EXPECT_EQ(redone, 10);
  EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(10));
  EXPECT_FALSE(history.CanRedo());
}

TEST_F(UndoStrokes, UndoThenRedoReturnsToTheLastStrokeWithToolAndBackground) {
  Stroke(1, {1, {kNotSet, 0, 0, 0}, 0x00FFFFFF});
  Stroke(2, {1, {kNotSet, 0, 0, 0}, 0x00FFFFFF});
  const UndoContext now{5, {1, 1, 3, 2}, 0x00123456};  // tool and background changed since
  context = now;
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(1));
  EXPECT_EQ(context.tool, 1);
  EXPECT_EQ(context.background, 0x00FFFFFFu);
  ASSERT_TRUE(history.Redo(image, context));
  EXPECT_EQ(image.Pixels()[0], StrokeColour(2));
  EXPECT_EQ(context, now);
  EXPECT_EQ(image.clip, (Rect{1, 1, 3, 2}));  // the restored selection confines drawing again
  EXPECT_FALSE(history.Redo(image, context));
}

TEST_F(UndoStrokes, ANewStrokeAfterUndoDiscardsRedo) {
  Strokes(5);
  history.Undo(image, context);
  history.Undo(image, context);
  EXPECT_TRUE(history.CanRedo());
  Stroke(6);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_FALSE(history.Redo(image, context));
  EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(6));
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(3));
}

TEST_F(UndoStrokes, UndoOfAResizeRestoresTheOldSizeAndAClipInsideIt) {
  history.Push(&image, nullptr, 0, Rect{2, 1, 9, 9}, 0);  // selection reaching past the image
  ASSERT_TRUE(image.Create(16, 16));
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(image.GetWidth(), 4);
  EXPECT_EQ(image.GetHeight(), 3);
  EXPECT_EQ(image.clip, (Rect{2, 1, 4, 3}));
  ASSERT_TRUE(history.Redo(image, context));
  EXPECT_EQ(image.GetWidth(), 16);
  EXPECT_EQ(image.clip, (Rect{0, 0, 16, 16}));
}

TEST_F(UndoStrokes, EffectPreviewRestoresWithKeepAndCancelLeavesNoRedo) {
  Strokes(2);
  const int position = history.Position();
  // Opening an effect: one snapshot. Each preview restores it and keeps it.
  history.Push(&image, nullptr, context);
  for (int preview = 0; preview < 3; ++preview) {
    image.Fill(0xFFABCDEF);
    ASSERT_TRUE(history.Restore(image, true));
    EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(2));
    EXPECT_EQ(history.Position(), position + 1);
  }
  // Cancel drops the snapshot: the history is as before, and Redo cannot bring back a preview.
  image.Fill(0xFFABCDEF);
  ASSERT_TRUE(history.Restore(image, false));
  EXPECT_EQ(image.GetPixel(0, 0), StrokeColour(2));
  EXPECT_EQ(history.Position(), position);
  EXPECT_FALSE(history.CanRedo());
}

TEST_F(UndoStrokes, CancelledCanvasPreviewCanDiscardItsRedoStep) {
  Strokes(1);
  history.Push(&image, nullptr, context);  // effect opened
  image.Fill(0xFFABCDEF);                  // preview
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_TRUE(history.CanRedo());
  history.DiscardRedo();
  EXPECT_FALSE(history.CanRedo());
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(image.GetPixel(0, 0), 0u);
}

TEST_F(UndoStrokes, StepsForTheCanvasKeepFloatingSnapshots) {
  CDib floating;
  ASSERT_TRUE(floating.Create(2, 2));
  floating.Fill(0xFF00FF00);
  history.Push(&image, &floating, 0, Rect{0, 0, 2, 2}, 0);
  ASSERT_TRUE(history.NeedsCurrentState());
  history.PushCurrentState(&image, nullptr, context);
  EXPECT_EQ(history.Position(), history.Top());
  const UndoSlot* slot = history.StepBack();
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->floating.Width(), 2);
  EXPECT_EQ(slot->floating.Pixels()[0], 0xFF00FF00u);
  ASSERT_NE(history.StepForward(), nullptr);
  EXPECT_EQ(history.StepForward(), nullptr);
}

TEST_F(UndoStrokes, MovingAHistoryHandsItOverAndCopyIsDeep) {
  Strokes(3);
  UndoHistory copy;
  ASSERT_TRUE(copy.CopyFrom(history));
  UndoHistory moved = std::move(history);
  EXPECT_FALSE(history.CanUndo());  // NOLINT(bugprone-use-after-move): moved-from is empty
  EXPECT_EQ(history.Position(), 1);
  EXPECT_EQ(moved.Position(), 4);

  CDib other;
  ASSERT_TRUE(other.Create(4, 3));
  int undone = 0;
  while (moved.Undo(other, context)) ++undone;
  EXPECT_EQ(undone, 3);
  EXPECT_EQ(other.GetPixel(0, 0), 0u);
  // The copy kept its own snapshots and positions.
  EXPECT_EQ(copy.Position(), 4);
  ASSERT_TRUE(copy.Undo(other, context));
  EXPECT_EQ(other.GetPixel(0, 0), StrokeColour(2));
}

TEST_F(UndoStrokes, ClearEmptiesEverything) {
  Strokes(4);
  history.Clear();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  for (int n = 1; n <= UndoHistory::kSlotCount; ++n) EXPECT_TRUE(history.Slot(n).image.IsEmpty());
  EXPECT_FALSE(history.Undo(image, context));
}

TEST_F(UndoStrokes, PushWithoutImageRestoresNoImage) {
  CDib none;
  history.Push(&none, nullptr, context);
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(image.GetWidth(), 0);
  ASSERT_TRUE(history.Redo(image, context));
  EXPECT_EQ(image.GetWidth(), 4);  // the state at the undo came back
}

}  // namespace
}  // namespace morvane
