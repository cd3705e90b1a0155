#include "editing/selection.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

namespace hit = selection_hit;

// Each pixel's value names its place: 0xFF00yyxx.
CDib Numbered(int w, int h) {
  CDib image;
  image.Create(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, 0xFF000000u | y << 8 | x);
  image.clip = {0, 0, w, h};
  return image;
}

void Drag(SelectionModel& s, CDib& target, int x0, int y0, int x1, int y1, bool ctrl = false,
          bool transparent = false) {
  const int code = s.HitTest(x0, y0, target.GetWidth(), target.GetHeight(), 1, 64);
  s.Press(target, x0, y0, code, ctrl);
  s.Move(target, x1, y1, false, transparent);
  s.Release(target, transparent);
}

TEST(Selection, ClickWithoutDragLeavesNoSelection) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 3, 3, 3, 3);
  EXPECT_FALSE(s.Exists());
  EXPECT_EQ(image.clip, (Rect{0, 0, 8, 8}));
}

TEST(Selection, MovingLeavesATransparentHoleWithColourBitsKept) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 1, 1, 3, 3);  // (1, 1)-(4, 4)
  ASSERT_TRUE(s.IsFloating());
  EXPECT_EQ(s.Rectangle(), (Rect{1, 1, 4, 4}));
  EXPECT_EQ(image.clip, (Rect{1, 1, 4, 4}));
  Drag(s, image, 2, 2, 6, 5);  // inside: move by (4, 3)
  EXPECT_EQ(s.Rectangle(), (Rect{5, 4, 8, 7}));
  EXPECT_EQ(image.GetPixel(5, 4), 0xFF000101u);  // lifted pixel (1, 1)
  image.clip = {0, 0, 8, 8};
  EXPECT_EQ(image.GetPixel(1, 1), 0x00000101u);  // hole: alpha 0, colour kept
  EXPECT_EQ(image.GetPixel(4, 4), 0xFF000404u);
}

TEST(Selection, ReversedDragIsNormalisedAroundBothEnds) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 5, 5, 2, 6);
  EXPECT_EQ(s.Rectangle(), (Rect{2, 5, 6, 7}));
}

TEST(Selection, TransparentModeShowsTheImageThroughTransparentFloatingPixels) {
  for (bool transparent : {false, true}) {
    CDib image = Numbered(4, 4);
    SelectionModel s;
    CDib picture;
    picture.Create(2, 1);
    picture.SetPixel(0, 0, 0xFFABCDEF);  // (1, 0) stays fully transparent
    s.PlacePicture(image, std::move(picture), transparent);
    image.clip = {0, 0, 4, 4};
    EXPECT_EQ(image.GetPixel(0, 0), 0xFFABCDEFu);
    EXPECT_EQ(image.GetPixel(1, 0), transparent ? 0xFF000001u : 0u);
  }
}

TEST(Selection, CtrlDragLeavesACopyBehind) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 0, 0, 2, 2);
  Drag(s, image, 1, 1, 5, 5, true);
  image.clip = {0, 0, 8, 8};
  EXPECT_EQ(image.GetPixel(1, 1), 0xFF000101u);  // stamped copy
  EXPECT_EQ(image.GetPixel(5, 5), 0xFF000101u);  // moved copy
}

TEST(Selection, DeleteRemovesOnlyTheFloatingPixels) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 2, 2, 4, 4);
  Drag(s, image, 3, 3, 6, 6);  // floating now at (5, 5)-(8, 8)
  s.DeleteFloating(image);
  EXPECT_FALSE(s.Exists());
  EXPECT_EQ(image.GetPixel(5, 5), 0xFF000505u);  // the image beneath is back
  EXPECT_EQ(image.GetPixel(2, 2), 0x00000202u);  // the hole stays
}

TEST(Selection, PastedPictureLargerThanTheFrameClipsToTheFrame) {
  CDib image = Numbered(16, 16);
  SelectionModel s;
  CDib picture;
  picture.Create(48, 48);
  s.PlacePicture(image, std::move(picture), false);
  EXPECT_EQ(s.Rectangle(), (Rect{0, 0, 48, 48}));
  EXPECT_EQ(image.clip, (Rect{0, 0, 16, 16}));
}

TEST(Selection, ResizeStretchesAndCapsTheSides) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 0, 0, 1, 0);  // 2 x 1: pixels (0,0) and (1,0)
  const int code = s.HitTest(2, 1, 8, 8, 1, 64);
  EXPECT_EQ(code, hit::kRight | hit::kBottom);
  s.Press(image, 2, 1, code, false);
  s.Move(image, 3, 0, false, false);  // right edge to 4: width 4, nearest neighbour doubles
  EXPECT_EQ(s.Floating().GetWidth(), 4);
  EXPECT_EQ(s.Floating().GetPixel(1, 0), 0xFF000000u);
  EXPECT_EQ(s.Floating().GetPixel(2, 0), 0xFF000001u);
  s.Move(image, 100000, 100000, false, false);
  EXPECT_EQ(s.Rectangle().Width(), kMaxFloatingSide);
  EXPECT_EQ(s.Rectangle().Height(), kMaxFloatingSide);
  EXPECT_EQ(image.clip, (Rect{0, 0, 8, 8}));
  s.Release(image, false);
}

TEST(Selection, CancelPutsPixelsBackAndSurvivesASizeChange) {
  CDib image = Numbered(8, 8);
  SelectionModel s;
  Drag(s, image, 1, 1, 3, 3);
  Drag(s, image, 2, 2, 4, 4);
  s.Cancel(image);
  EXPECT_FALSE(s.Exists());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(image.GetPixel(x, y), 0xFF000000u | y << 8 | x);
  // A frame operation resized the image under a floating selection: the stale image beneath
  // is not written back.
  Drag(s, image, 1, 1, 2, 2);
  CDib smaller = Numbered(4, 4);
  s.Cancel(smaller);
  EXPECT_EQ(smaller.GetWidth(), 4);
  EXPECT_EQ(smaller.GetPixel(3, 3), 0xFF000303u);
  EXPECT_EQ(smaller.clip, (Rect{0, 0, 4, 4}));
}

TEST(Selection, HitTestBandsAndCorners) {
  CDib image = Numbered(64, 64);
  SelectionModel s;
  Drag(s, image, 10, 10, 49, 49);  // (10, 10)-(50, 50); band max(64 / 16, 2) = 4
  const double scale = 16;
  EXPECT_EQ(s.HitTest(50, 50, 64, 64, 1, scale), hit::kRight | hit::kBottom);
  EXPECT_EQ(s.HitTest(10, 10, 64, 64, 1, scale), hit::kLeft | hit::kTop);
  EXPECT_EQ(s.HitTest(10, 49, 64, 64, 1, scale), hit::kLeft | hit::kBottom);
  EXPECT_EQ(s.HitTest(52, 30, 64, 64, 1, scale), hit::kRight);
  EXPECT_EQ(s.HitTest(30, 8, 64, 64, 1, scale), hit::kTop);
  EXPECT_EQ(s.HitTest(30, 30, 64, 64, 1, scale), hit::kInside);
  EXPECT_EQ(s.HitTest(60, 30, 64, 64, 1, scale), hit::kOutside);
}

}  // namespace
}  // namespace morvane
