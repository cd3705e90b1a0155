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

TEST_F(CanvasTest, EachChannelLockKeepsItsByte) {
  for (const std::uint32_t lock : {kLockAlpha, kLockRed, kLockGreen, kLockBlue}) {
    image.Fill(0);  // Fill composites a translucent colour, so clear first
    image.Fill(0x80402010);
    canvas.draw.lockMask = lock;
    canvas.firstColour = 0xFFFFFFFF;
    canvas.SetTool(static_cast<int>(CanvasTool::kPen));
    Click({3, 3});
    // Transparent mode on: the opaque white is stored, then the locked byte comes back.
    EXPECT_EQ(image.GetPixel(3, 3), (0xFFFFFFFFu & ~lock) | (0x80402010u & lock)) << lock;
  }
}

TEST_F(CanvasTest, BlurDabWithAlphaLockAndTransparentModeOffDoesNotRaiseAlpha) {
  image.SetPixel(5, 5, 0xFF0000FF);
  image.SetPixel(4, 5, 0x100000FF);
  canvas.draw.transparentMode = false;  // the dab itself does not lock alpha then
  canvas.draw.lockMask = kLockAlpha;
  canvas.tools.penSize = 3;
  canvas.SetTool(static_cast<int>(CanvasTool::kBlur));
  Click({5, 5});
  EXPECT_LE(AlphaOf(image.GetPixel(4, 5)), 0x10u);
  EXPECT_EQ(AlphaOf(image.GetPixel(4, 4)), 0u);
  EXPECT_LT(AlphaOf(image.GetPixel(5, 5)), 0xFFu);  // alpha may still fall
}

TEST_F(CanvasTest, ConvexTurnsTwoClicksIntoAFivePointFigure) {
  canvas.tools.polygon.convex = true;  // count 5, proportion 0
  canvas.SetTool(static_cast<int>(CanvasTool::kPolyline));
  Click({5, 5});
  Click({5, 1});
  canvas.Key(CanvasKey::kEnter, {5, 1});
  // The arm point and its copies at 72-degree steps: (5, 1), (8.8, 3.8), (7.4, 8.2), ...
  EXPECT_NE(image.GetPixel(5, 1), 0u);
  EXPECT_NE(image.GetPixel(9, 4), 0u);
  EXPECT_NE(image.GetPixel(1, 4), 0u);
  EXPECT_EQ(image.GetPixel(5, 5), 0u);  // the centre is not part of the figure
}

TEST_F(CanvasTest, FillImageTakesAnUndoStepAndDropsTheSelection) {
  canvas.selection = {1, 1, 3, 3};
  image.clip = {1, 1, 3, 3};
  canvas.FillImage(canvas.clearColour);
  EXPECT_EQ(image.GetPixel(0, 0), 0x00D2CABFu);
  EXPECT_EQ(canvas.selection.left, kNotSet);
  EXPECT_EQ(history.Position(), 2);
}

TEST(RectangleSettings, LinkedCornersFollowEachOther) {
  RectangleToolSettings r;
  r.SetRoundWidth(12);
  EXPECT_EQ(r.roundHeight, 12);
  r.link = false;
  r.SetRoundHeight(70);
  EXPECT_EQ(r.roundHeight, 64);
  EXPECT_EQ(r.roundWidth, 12);
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
  canvas.Hover({1, 6});  // the open segment follows the cursor
  EXPECT_NE(image.GetPixel(1, 4), 0u);
  Click({1, 1}, MouseButton::kRight);
  EXPECT_TRUE(canvas.Points().empty());
  EXPECT_EQ(CountNonZero(), 0);
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
