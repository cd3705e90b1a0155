#include "shell/import_image.h"

#include <gtest/gtest.h>

#include <clocale>

#include "shell/settings_store.h"

namespace morvane {
namespace {

Rect Dest(int w, int h, int iconW, int iconH, bool proportion = true) {
  return ImportDestination(w, h, IconSize{iconW, iconH}, proportion);
}

TEST(ImportDestination, KeepsTheSelectionsProportionCentredInTheIcon) {
  // Wide: full width, height 50 / (100 / 32) = 16, centred at (32 - 16) / 2 = 8.
  EXPECT_EQ(Dest(100, 50, 32, 32), (Rect{0, 8, 32, 24}));
  // Tall: the mirror case.
  EXPECT_EQ(Dest(50, 100, 32, 32), (Rect{8, 0, 24, 32}));
  // Square selections and ties fill the icon.
  EXPECT_EQ(Dest(40, 40, 32, 32), (Rect{0, 0, 32, 32}));
  // 3 x 2 into 16: 2 / (3 / 16) = 10.67 rounds to 11, top (16 - 11) / 2 = 2.
  EXPECT_EQ(Dest(3, 2, 16, 16), (Rect{0, 2, 16, 13}));
  // A non-square icon: 10 x 10 into 48 x 24: 10/48 < 10/24, width 10 / (10 / 24) = 24.
  EXPECT_EQ(Dest(10, 10, 48, 24), (Rect{12, 0, 36, 24}));
  // Without "Save proportion" the whole icon.
  EXPECT_EQ(Dest(100, 50, 32, 32, false), (Rect{0, 0, 32, 32}));
}

TEST(ImportDestination, ExtremeShapesKeepAtLeastOnePixelAndEmptyOnesGiveNothing) {
  // 1000 x 1 into 16: height 0.016 would round to 0; it stays 1 pixel, centred at 7.
  EXPECT_EQ(Dest(1000, 1, 16, 16), (Rect{0, 7, 16, 8}));
  EXPECT_EQ(Dest(1, 65535, 256, 256), (Rect{127, 0, 128, 256}));
  EXPECT_EQ(Dest(0, 50, 32, 32), Rect{});
  EXPECT_EQ(Dest(50, 0, 32, 32), Rect{});
  EXPECT_EQ(Dest(50, 50, 0, 32), Rect{});
}

TEST(ImportSelection, IconEqualSelectionClampsTheDragTo256AndTheIconFollows) {
  const Rect drag = DragSelection(10, 20, 310, 320, 1000, 1000, true);
  EXPECT_EQ(drag, (Rect{10, 20, 266, 276}));
  const IconSize icon = ImportIconSize(drag, 32, true);
  EXPECT_EQ(icon.width, 256);
  EXPECT_EQ(icon.height, 256);
  // Dragging up and left keeps the anchor corner.
  EXPECT_EQ(DragSelection(400, 400, 0, 100, 1000, 1000, true), (Rect{144, 144, 400, 400}));
  // Off, the selection may be large but stays inside the picture.
  EXPECT_EQ(DragSelection(-5, 10, 2000, 30, 1000, 1000, false), (Rect{0, 10, 1000, 30}));
  // The icon size is the chosen size then, and a click without a drag gives no icon.
  EXPECT_EQ(ImportIconSize(Rect{0, 10, 1000, 30}, 48, false).width, 48);
  EXPECT_TRUE(ImportIconSize(DragSelection(5, 5, 5, 9, 100, 100, false), 48, false).Empty());
}

TEST(ImportSelection, ChoosingASizeResizesTheSelectionFromItsTopLeftCorner) {
  EXPECT_EQ(ResizeSelection({10, 10, 20, 30}, 48, 100, 100), (Rect{10, 10, 58, 58}));
  // Near the picture's edge it stops there.
  EXPECT_EQ(ResizeSelection({90, 10, 95, 15}, 48, 100, 100), (Rect{90, 10, 100, 58}));
  EXPECT_EQ(IconSizeChoice(72), 72);
  EXPECT_EQ(IconSizeChoice(40), 32);
  EXPECT_EQ(IconSizeChoice(0), 32);
}

TEST(ImportLevel, StoredLevelsReadAsTheirNamesInAnyLocale) {
  EXPECT_EQ(LevelName(*ParseLevel("0.5")), FilterLevel::kWeak);
  EXPECT_EQ(LevelName(0.05), FilterLevel::kOff);
  EXPECT_EQ(LevelName(0.65), FilterLevel::kNormal);
  EXPECT_EQ(LevelName(0.95), FilterLevel::kStrong);
  EXPECT_EQ(LevelText(FilterLevel::kWeak), "Bilinear weak");
  // A decimal-comma locale changes neither reading nor writing.
  const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(FormatLevel(0.7), "0.7");
  EXPECT_EQ(FormatLevel(LevelValue(FilterLevel::kStrong)), "1");
  EXPECT_EQ(ParseLevel("0.4"), 0.4);
  if (old) std::setlocale(LC_NUMERIC, "C");
  EXPECT_FALSE(ParseLevel("0,4").has_value());
  EXPECT_FALSE(ParseLevel("").has_value());
  EXPECT_FALSE(ParseLevel("nan").has_value());
}

TEST(ImportOptionsStore, DefaultsAndRoundTripWithAnUnreadableLevel) {
  MemorySettingsStore store;
  Settings settings(store);
  ImportOptions o = LoadImportOptions(settings);
  EXPECT_EQ(o.masks, "*.png,*.bmp,*.gif,*.jpg,*.exe,*.dll,*.scr");
  EXPECT_DOUBLE_EQ(o.level, 0.7);
  EXPECT_TRUE(o.saveProportion);
  o.level = 0.4;
  o.iconEqualSelection = true;
  SaveImportOptions(settings, o);
  EXPECT_EQ(settings.read_string(kImportDialogSection, "Bilinear level", ""), "0.4");
  EXPECT_TRUE(LoadImportOptions(settings).iconEqualSelection);
  settings.write_string(kImportDialogSection, "Bilinear level", "strong");
  EXPECT_DOUBLE_EQ(LoadImportOptions(settings).level, 0.7);
}

TEST(ImportPreview, ScalesTheSelectedRegionIntoTheDestinationAndLeavesTheRestTransparent) {
  // A 40 x 20 picture: left half red, right half blue. Selecting the whole picture into 16 x 16
  // with nearest neighbour gives rows 4..11 (height 20 / (40 / 16) = 8, top 4).
  CDib picture;
  ASSERT_TRUE(picture.Create(40, 20));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) picture.SetPixel(x, y, x < 20 ? 0xFFFF0000 : 0xFF0000FF);
  CDib preview;
  ASSERT_TRUE(MakeImportPreview(picture, {0, 0, 40, 20}, {16, 16}, 0, true, preview));
  EXPECT_EQ(preview.GetWidth(), 16);
  EXPECT_EQ(preview.GetPixel(0, 3), 0u);
  EXPECT_EQ(preview.GetPixel(0, 4), 0xFFFF0000u);
  EXPECT_EQ(preview.GetPixel(15, 11), 0xFF0000FFu);
  EXPECT_EQ(preview.GetPixel(15, 12), 0u);
  // An empty selection or no picture gives no preview at all.
  EXPECT_FALSE(MakeImportPreview(picture, {5, 5, 5, 9}, {16, 16}, 0.7, true, preview));
  EXPECT_FALSE(preview.IsLive());
  EXPECT_FALSE(MakeImportPreview(CDib(), {0, 0, 4, 4}, {16, 16}, 0.7, true, preview));
}

}  // namespace
}  // namespace morvane
