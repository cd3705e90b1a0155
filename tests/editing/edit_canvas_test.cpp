#include "editing/edit_canvas.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(image.Create(10, 10));
    canvas.Attach(&image, &history);
    canvas.draw.antiAlias = false;
  }
  int CountNonZero() const {
    int n = 0;
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 10; ++x) n += image.GetPixel(x, y) != 0;
    }
    return n;
  }
  void Click(ImagePoint p, MouseButton b = MouseButton::kLeft) {
    canvas.Press(p, b);
    canvas.Release(p, b);
  }

  CDib image;
  UndoHistory history;
  EditCanvas canvas;
};

TEST_F(CanvasTest, LineDraggedBackToThePressPointLeavesOnePixel) {
  canvas.SetTool(static_cast<int>(CanvasTool::kLine));
  canvas.Press({2, 2}, MouseButton::kLeft);
  canvas.Move({8, 5});
  EXPECT_GT(CountNonZero(), 5);
  canvas.Move({2, 2});
  canvas.Release({2, 2}, MouseButton::kLeft);
  EXPECT_EQ(CountNonZero(), 1);
  EXPECT_EQ(image.GetPixel(2, 2), canvas.firstColour);
  EXPECT_EQ(history.Position(), 2);  // one undo step for the stroke
}

TEST_F(CanvasTest, PenDabsAtEachPointAndRightButtonUsesTheSecondColour) {
  canvas.SetTool(static_cast<int>(CanvasTool::kPen));
  canvas.secondColour = 0xFF0000FF;
  canvas.Press({1, 1}, MouseButton::kRight);
  canvas.Move({5, 1});
  canvas.Release({5, 1}, MouseButton::kRight);
  EXPECT_EQ(image.GetPixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(image.GetPixel(5, 1), 0xFF0000FFu);
  EXPECT_EQ(image.GetPixel(3, 1), 0u);  // dabs are not joined
}

TEST_F(CanvasTest, RedLockKeepsTheRedChannel) {
  image.Fill(0xFFFF0000);
  canvas.draw.lockMask = kLockRed;
  canvas.firstColour = 0xFF0000FF;
  canvas.SetTool(static_cast<int>(CanvasTool::kPen));
  Click({3, 3});
  EXPECT_EQ(image.GetPixel(3, 3), 0xFFFF00FFu);
}

TEST_F(CanvasTest, FillWithAlphaLockAndTransparentModeOffDoesNotRaiseAlpha) {
  canvas.draw.transparentMode = false;
  canvas.draw.lockMask = kLockAlpha;
  canvas.firstColour = 0xFF00FF00;
  canvas.SetTool(static_cast<int>(CanvasTool::kFill));
  Click({0, 0});
  EXPECT_EQ(image.GetPixel(4, 4), 0x0000FF00u);
}

TEST_F(CanvasTest, PolylineOfFiveClicksIsOneUndoStep) {
  canvas.SetTool(static_cast<int>(CanvasTool::kPolyline));
  for (ImagePoint p : {ImagePoint{1, 1}, {8, 1}, {8, 8}, {1, 8}, {4, 4}}) Click(p);
  EXPECT_EQ(canvas.Points().size(), 5u);
  EXPECT_EQ(history.Position(), 2);
  EXPECT_NE(image.GetPixel(5, 1), 0u);
  EXPECT_NE(image.GetPixel(8, 5), 0u);
  canvas.Key(CanvasKey::kEnter, {4, 4});
  EXPECT_TRUE(canvas.Points().empty());
  UndoContext context;
  ASSERT_TRUE(history.Undo(image, context));
  EXPECT_EQ(CountNonZero(), 0);
}

TEST_F(CanvasTest, RightReleaseRemovesTheLastVertexAndRedraws) {
  canvas.SetTool(static_cast<int>(CanvasTool::kPolyline));
  Click({1, 1});
  Click({8, 1});
  EXPECT_NE(image.GetPixel(5, 1), 0u);
  Click({1, 1}, MouseButton::kRight);
  EXPECT_EQ(canvas.Points().size(), 1u);
  EXPECT_EQ(image.GetPixel(5, 1), 0u);
}

TEST_F(CanvasTest, PickColorTakesThePixelAndReturnsToThePreviousTool) {
  image.SetPixel(2, 2, 0x80112233);
  canvas.SetTool(static_cast<int>(CanvasTool::kEllipse));
  canvas.SetTool(static_cast<int>(CanvasTool::kPickColor));
  Click({2, 2});
  EXPECT_EQ(canvas.firstColour, 0x80112233u);
  EXPECT_EQ(canvas.Tool(), static_cast<int>(CanvasTool::kEllipse));
  canvas.SetTool(static_cast<int>(CanvasTool::kPickColor));
  Click({5, 5}, MouseButton::kRight);  // transparent: the second colour loses its alpha
  EXPECT_EQ(canvas.secondColour, 0x00BFCAD2u);
  EXPECT_EQ(history.Position(), 1);  // picking takes no undo step
}

TEST_F(CanvasTest, HotspotPlacementReportsThePixel) {
  struct Observer : CanvasObserver {
    int x = -1, y = -1;
    void HotspotChosen(int hx, int hy) override { x = hx, y = hy; }
  } observer;
  canvas.SetObserver(&observer);
  canvas.SetTool(static_cast<int>(CanvasTool::kFill));
  canvas.BeginHotspotPlacement({0, 0});
  Click({7, 3});
  EXPECT_EQ(observer.x, 7);
  EXPECT_EQ(observer.y, 3);
  EXPECT_EQ(canvas.Tool(), static_cast<int>(CanvasTool::kFill));
  EXPECT_EQ(CountNonZero(), 0);
}

TEST_F(CanvasTest, InputWithoutAFrameIsIgnored) {
  canvas.Attach(nullptr, nullptr);
  canvas.Press({1, 1}, MouseButton::kLeft);
  canvas.Move({2, 2});
  canvas.Release({2, 2}, MouseButton::kLeft);
  canvas.Key(CanvasKey::kSpace, {1, 1});
  EXPECT_FALSE(canvas.InStroke());
}

}  // namespace
}  // namespace morvane
