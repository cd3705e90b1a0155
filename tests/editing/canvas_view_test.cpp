#include "editing/canvas_view.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(CanvasView, CentredImageMapsWithTheHalfPixelOrigin) {
  CanvasView view;
  view.SetClient(0, 0, 101, 101);
  view.SetImageSize(16, 16);
  view.SetScale(4);
  // Extent 65: origin 0.5 + (101 - 65) / 2 = 18.5.
  EXPECT_DOUBLE_EQ(view.OriginX(), 18.5);
  EXPECT_EQ(view.ImageFromScreen(18.5, 18.5), (ImagePoint{0, 0}));
  EXPECT_EQ(view.ImageFromScreen(22.4, 22.6), (ImagePoint{0, 1}));
  // Left of the origin by less than a pixel truncates toward zero, not down.
  EXPECT_EQ(view.ImageFromScreen(16, 16), (ImagePoint{0, 0}));
  EXPECT_EQ(view.ImageFromScreen(10, 10), (ImagePoint{-2, -2}));
  // Supersampled coordinates for text: (30 - 18.5) / 4 * 3 = 8.625.
  EXPECT_EQ(view.ImageFromScreen(30, 30, 3), (ImagePoint{8, 8}));
  EXPECT_EQ(view.ScrollRangeX(), 0);
}

TEST(CanvasView, ScrolledImageAndClampedOffsets) {
  CanvasView view;
  view.SetClient(0, 0, 100, 50);
  view.SetImageSize(32, 32);
  view.SetScale(10);  // extent 321
  EXPECT_EQ(view.ScrollRangeX(), 221);
  EXPECT_EQ(view.ScrollRangeY(), 271);
  view.ScrollTo(500, -3);
  EXPECT_EQ(view.ScrollX(), 221);
  EXPECT_EQ(view.ScrollY(), 0);
  view.ScrollTo(40, 20);
  EXPECT_DOUBLE_EQ(view.OriginX(), -39.5);
  EXPECT_EQ(view.ImageFromScreen(0, 0), (ImagePoint{3, 1}));
  view.SetScale(2);  // a new zoom resets the offsets
  EXPECT_EQ(view.ScrollX(), 0);
}

}  // namespace
}  // namespace morvane
