#include "editing/canvas_session.h"

#include <gtest/gtest.h>

#include <optional>

#include "editing/effect_canvas.h"

namespace morvane {
namespace {

// Each pixel's value names its place: 0xFF00yyxx.
void Number(CDib& image) {
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) image.SetPixel(x, y, 0xFF000000u | y << 8 | x);
}

class CanvasSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.Create(16, 16);
    image_.clip = {0, 0, 16, 16};
    Number(image_);
    session_.Attach(&image_, &history_);
    session_.Selection().SetViewScale(8);
  }
  void Drag(ImagePoint a, ImagePoint b, unsigned mods = 0) {
    session_.Canvas().Press(a, MouseButton::kLeft, mods);
    session_.Canvas().Move(b, mods);
    session_.Canvas().Release(b, MouseButton::kLeft, mods);
  }
  Pixel At(int x, int y) { return image_.Row(y)[x]; }

  CDib image_;
  UndoHistory history_;
  CanvasSession session_;
};

TEST_F(CanvasSessionTest, MovedSelectionLeavesAHoleAndUndoBringsItBack) {
  session_.Canvas().SetTool(static_cast<int>(CanvasTool::kSelect));
  Drag({2, 2}, {6, 5});  // (2, 2)-(7, 6)
  ASSERT_TRUE(session_.SelectionState().IsFloating());
  EXPECT_EQ(session_.Canvas().selection, (Rect{2, 2, 7, 6}));
  Drag({4, 4}, {9, 10});  // moved by (5, 6)
  EXPECT_EQ(session_.Canvas().selection, (Rect{7, 8, 12, 12}));
  EXPECT_EQ(At(2, 2), 0x00000202u);
  EXPECT_EQ(At(7, 8), 0xFF000202u);
  ASSERT_TRUE(session_.Undo());
  EXPECT_EQ(session_.Canvas().selection, (Rect{2, 2, 7, 6}));
  EXPECT_EQ(At(2, 2), 0xFF000202u);
  EXPECT_EQ(At(7, 8), 0xFF000807u);
  // Moving again after the undo must not leave a second copy behind.
  Drag({4, 4}, {5, 4});
  EXPECT_EQ(At(2, 2), 0x00000202u);
  EXPECT_EQ(At(3, 2), 0xFF000202u);
  ASSERT_TRUE(session_.Undo());
  ASSERT_TRUE(session_.Redo());
  EXPECT_EQ(At(3, 2), 0xFF000202u);
}

TEST_F(CanvasSessionTest, DeleteAndCopySourceFollowTheSelection) {
  CDib scratch;
  EXPECT_EQ(session_.CopySource(scratch), &image_);
  session_.Canvas().SetTool(static_cast<int>(CanvasTool::kSelect));
  Drag({1, 1}, {2, 3});
  const CDib* floating = session_.CopySource(scratch);
  ASSERT_NE(floating, nullptr);
  EXPECT_EQ(floating->GetWidth(), 2);
  EXPECT_EQ(floating->GetPixel(1, 2), 0xFF000302u);
  // Another tool: the selection's area of the image.
  session_.Canvas().SetTool(static_cast<int>(CanvasTool::kPen));
  const CDib* area = session_.CopySource(scratch);
  ASSERT_EQ(area, &scratch);
  EXPECT_EQ(area->GetPixel(0, 0), 0xFF000101u);
  session_.DeleteSelection();
  EXPECT_EQ(At(1, 1), 0x00000101u);
  EXPECT_EQ(At(3, 1), 0xFF000103u);
  EXPECT_FALSE(session_.HasSelection());
  session_.Undo();
  EXPECT_EQ(At(1, 1), 0xFF000101u);
}

TEST_F(CanvasSessionTest, PasteFloatsAtTheCornerAndRefusesLargePictures) {
  CDib picture;
  picture.Create(3, 2);
  picture.Fill(0xFF00FF00);
  EXPECT_TRUE(session_.Paste(std::move(picture)));
  EXPECT_EQ(session_.Canvas().Tool(), static_cast<int>(CanvasTool::kSelect));
  EXPECT_EQ(session_.Canvas().selection, (Rect{0, 0, 3, 2}));
  EXPECT_EQ(At(2, 1), 0xFF00FF00u);
  EXPECT_EQ(At(3, 1), 0xFF000103u);
  session_.Undo();
  EXPECT_EQ(At(2, 1), 0xFF000102u);
  CDib large;
  large.Create(257, 1);
  EXPECT_FALSE(session_.Paste(std::move(large)));
}

TEST_F(CanvasSessionTest, EffectTargetFollowsTheSelectionState) {
  auto target = [this] { return ResolveEffectTarget(EffectCanvasFrom(session_.Canvas())); };
  std::optional<ResolvedTarget> t = target();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->image, &image_);
  EXPECT_EQ(t->rect, Rect::Whole());
  session_.Canvas().SetTool(static_cast<int>(CanvasTool::kSelect));
  Drag({12, 12}, {20, 20});  // clamped to the image: (12, 12)-(16, 16)
  t = target();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->image, &session_.Selection().Model().Floating());
  EXPECT_TRUE(t->floating);
  EXPECT_EQ(t->image->GetWidth(), 4);
  session_.Canvas().SetTool(static_cast<int>(CanvasTool::kPen));
  t = target();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->image, &image_);
  EXPECT_EQ(t->rect, (Rect{12, 12, 16, 16}));
  session_.LiftSelection();
  EXPECT_TRUE(session_.SelectionState().IsFloating());
  EXPECT_EQ(session_.Canvas().Tool(), static_cast<int>(CanvasTool::kSelect));
}

}  // namespace
}  // namespace morvane
