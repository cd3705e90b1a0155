#include "image/icon_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace morvane {
namespace {

constexpr ColorFormat k1 = ColorFormat::kMono;
constexpr ColorFormat k4 = ColorFormat::k16Colors;
constexpr ColorFormat k8 = ColorFormat::k256Colors;
constexpr ColorFormat k24 = ColorFormat::kTrueColor;
constexpr ColorFormat k32 = ColorFormat::kTrueColorAlpha;
const UndoContext kCanvas{1, {kNotSet, 0, 0, 0}, 0x00FFFFFF};

// Every test frame is filled with an opaque colour that names it, so frames can be followed
// through reorderings by their pixels.
Pixel Marker(int id) {
  return 0xFF000000u | static_cast<Pixel>(id);
}
int MarkerOf(const ImageFrame& frame) {
  return static_cast<int>(frame.image.Pixels()[0] & 0xFFFFFF);
}

struct Spec {
  int width, height;
  ColorFormat format;
};

void AddMarked(IconDocument& doc, std::vector<Spec> specs) {
  for (const Spec& s : specs) {
    const AddResult r = doc.AddFrame(s.width, s.height, s.format, nullptr, false);
    ASSERT_TRUE(r.Added());
    doc.Frame(r.index).image.Fill(Marker(r.index));
  }
  doc.SelectFrame(0);
}

std::vector<int> Markers(const IconDocument& doc) {
  std::vector<int> out;
  for (int i = 0; i < doc.Count(); ++i) out.push_back(MarkerOf(doc.Frame(i)));
  return out;
}

std::vector<std::pair<int, ColorFormat>> Shapes(const IconDocument& doc) {
  std::vector<std::pair<int, ColorFormat>> out;
  for (int i = 0; i < doc.Count(); ++i) {
    out.emplace_back(doc.Frame(i).image.GetWidth(), doc.Frame(i).format);
  }
  return out;
}

struct Recorder : DocumentObserver {
  int frames = 0, current = 0, modified = 0, kind = 0;
  std::vector<int> images;
  void OnFramesChanged(const IconDocument&) override { ++frames; }
  void OnCurrentFrameChanged(const IconDocument&) override { ++current; }
  void OnFrameImageChanged(const IconDocument&, int index) override { images.push_back(index); }
  void OnModifiedChanged(const IconDocument&) override { ++modified; }
  void OnKindChanged(const IconDocument&) override { ++kind; }
};

// --- Tables and names ------------------------------------------------------------------------

TEST(ColorFormatTables, MenusHoldTheirItemsInOrder) {
  ASSERT_EQ(AddImageItems().size(), 24u);
  EXPECT_EQ(AddImageItems().front().size, 256);
  EXPECT_EQ(AddImageItems().front().format, k32);
  EXPECT_EQ(AddImageItems()[8].size, 256);
  EXPECT_EQ(AddImageItems()[8].format, k8);
  EXPECT_EQ(AddImageItems().back().size, 16);
  EXPECT_EQ(AddImageItems().back().format, k24);
  ASSERT_EQ(CreateImageFromSelectedItems().size(), 22u);
  EXPECT_EQ(CreateImageFromSelectedItems().front().size, 128);
  EXPECT_EQ(CreateImageFromSelectedItems().back().format, k24);
  EXPECT_EQ(SizeMenuItems().size(), 9u);
  EXPECT_STREQ(ColorFormatName(k32), "32 bits color");
  EXPECT_STREQ(ColorFormatName(k1), "Mono");
  EXPECT_FALSE(ColorFormatFromBits(16).has_value());
  EXPECT_EQ(ColorFormatFromBits(4), k4);
}

// --- Adding and finding ----------------------------------------------------------------------

TEST(IconDocumentAdd, FindFrameReturnsTheLaterMatchAndNegativeMatchesAnything) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k32}, {16, 16, k8}, {32, 32, k32}});
  EXPECT_EQ(doc.FindFrame(32, 32, k32), 2);
  EXPECT_EQ(doc.FindFrame(16, -1, -1), 1);
  EXPECT_EQ(doc.FindFrame(-1, -1, BitsOf(k8)), 1);
  EXPECT_EQ(doc.FindFrame(32, 32, k24), -1);
}

TEST(IconDocumentAdd, NewFrameTakesTheCurrentRatesAndAnEmptyHistory) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k32}});
  doc.Frame(0).rate = 7;
  doc.Frame(0).savedRate = 9;
  const AddResult r = doc.AddImage(16, k24);
  ASSERT_EQ(r.index, 1);
  EXPECT_EQ(doc.Current(), 1);
  EXPECT_EQ(doc.Frame(1).rate, 7);
  EXPECT_EQ(doc.Frame(1).savedRate, 9);
  EXPECT_FALSE(doc.Frame(1).history.CanUndo());
  EXPECT_EQ(doc.Frame(1).image.GetPixel(15, 15), 0u);
  EXPECT_TRUE(doc.IsModified());
}

TEST(IconDocumentAdd, The257thFrameIsRefusedWithoutAnyChange) {
  IconDocument doc;
  for (int i = 0; i < IconDocument::kMaxFrames; ++i) ASSERT_TRUE(doc.AddImage(16, k32).Added());
  doc.SetModified(false);
  Recorder rec;
  doc.AddObserver(&rec);
  const int current = doc.Current();
  const AddResult r = doc.AddImage(32, k32);
  EXPECT_EQ(r.index, -1);
  EXPECT_EQ(r.status, FrameStatus::kFrameLimit);
  EXPECT_EQ(doc.DuplicateImage().status, FrameStatus::kFrameLimit);
  EXPECT_EQ(doc.Count(), IconDocument::kMaxFrames);
  EXPECT_EQ(doc.Current(), current);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(rec.frames + rec.current + rec.modified, 0);
  CDib decoded;
  ASSERT_TRUE(decoded.Create(8, 8));
  EXPECT_EQ(doc.AdoptFrame(std::move(decoded), k32).status, FrameStatus::kFrameLimit);
  EXPECT_EQ(decoded.GetWidth(), 8);  // left with the caller
}

TEST(IconDocumentAdd, ImpossibleSizesAndFormatsAreRefused) {
  IconDocument doc;
  EXPECT_EQ(doc.AddImage(0, k32).status, FrameStatus::kInvalidArgument);
  EXPECT_EQ(doc.AddImage(257, k32).status, FrameStatus::kInvalidArgument);
  EXPECT_EQ(doc.AddImage(16, static_cast<ColorFormat>(16)).status, FrameStatus::kInvalidArgument);
  EXPECT_EQ(doc.Count(), 0);
  EXPECT_EQ(doc.CreateImageFromSelected(16, k32).status, FrameStatus::kNoFrame);
}

TEST(IconDocumentAdd, CreateFromSelectedResamplesAndReducesToTheFormat) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k32}});
  doc.Frame(0).image.Fill(0xFF102030);
  const AddResult half = doc.CreateImageFromSelected(16, k32);
  ASSERT_TRUE(half.Added());
  EXPECT_EQ(doc.Current(), half.index);
  EXPECT_EQ(doc.Frame(half.index).image.GetWidth(), 16);
  EXPECT_EQ(doc.Frame(half.index).image.GetPixel(7, 9), 0xFF102030u);
  doc.SelectFrame(0);
  const AddResult mono = doc.CreateImageFromSelected(16, k1);
  ASSERT_TRUE(mono.Added());
  EXPECT_EQ(doc.Frame(mono.index).image.GetPixel(3, 3), 0xFF000000u);  // brightest channel 48
}

TEST(IconDocumentAdd, DuplicateCopiesExactPixelsAndFormat) {
  IconDocument doc;
  AddMarked(doc, {{24, 24, k8}});
  doc.Frame(0).image.SetPixel(5, 6, 0x80123456);
  const AddResult r = doc.DuplicateImage();
  ASSERT_EQ(r.index, 1);
  EXPECT_EQ(doc.Current(), 1);
  EXPECT_EQ(doc.Frame(1).format, k8);
  EXPECT_EQ(doc.Frame(1).image.GetPixel(5, 6), 0x80123456u);
  EXPECT_EQ(doc.Frame(1).image.GetPixel(0, 0), Marker(0));
}

// --- Order -----------------------------------------------------------------------------------

TEST(IconDocumentOrder, SortPutsFormatsAscendingAndWidthsDescending) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k32}, {16, 16, k4}, {48, 48, k32}, {16, 16, k32}});
  doc.SelectFrame(2);  // the 48 x 48 frame
  doc.SortForWindowsXP();
  EXPECT_EQ(Markers(doc), (std::vector<int>{1, 2, 0, 3}));
  EXPECT_EQ(doc.Current(), 1);  // the current frame followed
}

TEST(IconDocumentOrder, SortIsStableAndSelectionFollows) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {32, 32, k8}, {16, 16, k32}, {32, 32, k8}, {16, 16, k32}});
  const std::vector<int> list{4, 1};
  doc.SetSelection(2, list);
  doc.SortForWindowsXP();
  EXPECT_EQ(Markers(doc), (std::vector<int>{1, 3, 0, 2, 4}));
  EXPECT_EQ(MarkerOf(*doc.CurrentFrame()), 2);
  ASSERT_EQ(doc.Selection().size(), 2u);
  EXPECT_EQ(MarkerOf(doc.Frame(doc.Selection()[0])), 4);
  EXPECT_EQ(MarkerOf(doc.Frame(doc.Selection()[1])), 1);
}

TEST(IconDocumentOrder, MoveAtTheEndsDoesNothingAndMovesOtherwise) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k32}, {16, 16, k32}});
  doc.SetModified(false);
  EXPECT_FALSE(doc.MoveUp());
  doc.SelectFrame(2);
  EXPECT_FALSE(doc.MoveDown());
  EXPECT_EQ(Markers(doc), (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(doc.MoveUp());
  EXPECT_EQ(Markers(doc), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(doc.Current(), 1);
  EXPECT_TRUE(doc.IsModified());
}

TEST(IconDocumentOrder, SwappingMovesUndoHistoriesWithTheirFrames) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k32}});
  ImageFrame& first = doc.Frame(0);
  first.history.Push(&first.image, nullptr, kCanvas);
  first.image.Fill(0xFFFFFFFF);
  doc.SwapFrames(0, 1);
  EXPECT_FALSE(doc.Frame(0).history.CanUndo());
  ImageFrame& moved = doc.Frame(1);
  ASSERT_TRUE(moved.history.CanUndo());
  UndoContext context = kCanvas;
  ASSERT_TRUE(moved.history.Undo(moved.image, context));
  EXPECT_EQ(MarkerOf(moved), 0);
}

// --- Delete ----------------------------------------------------------------------------------

TEST(IconDocumentDelete, DeletingTheOnlyFrameLeavesOneBlank32x32Frame) {
  IconDocument doc;
  AddMarked(doc, {{48, 48, k8}});
  doc.DeleteSelectedFrames();
  ASSERT_EQ(doc.Count(), 1);
  EXPECT_EQ(doc.Current(), 0);
  EXPECT_EQ(doc.Frame(0).image.GetWidth(), 32);
  EXPECT_EQ(doc.Frame(0).image.GetHeight(), 32);
  EXPECT_EQ(doc.Frame(0).format, k32);
  EXPECT_EQ(doc.Frame(0).image.GetPixel(0, 0), 0u);
}

TEST(IconDocumentDelete, MultiSelectionIsReindexedWhileDeleting) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k32}, {16, 16, k32}, {16, 16, k32}, {16, 16, k32}});
  const std::vector<int> list{3};
  doc.SetSelection(1, list);
  doc.DeleteSelectedFrames();
  EXPECT_EQ(Markers(doc), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(doc.Current(), 1);  // the frame now at the old current index
  EXPECT_TRUE(doc.Selection().empty());
}

TEST(IconDocumentDelete, SelectionBelowTheCurrentFrameAndLastFrames) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k32}, {16, 16, k32}, {16, 16, k32}, {16, 16, k32}});
  const std::vector<int> list{0, 3};
  doc.SetSelection(4, list);
  doc.DeleteSelectedFrames();
  EXPECT_EQ(Markers(doc), (std::vector<int>{1, 2}));
  EXPECT_EQ(doc.Current(), 1);
}

// --- Deriving --------------------------------------------------------------------------------

TEST(IconDocumentDerive, StandardFormatsFromTrueColorGoOnlyDownwards) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k24}});
  const FramesResult r = doc.CreateStandardFormats();
  EXPECT_EQ(r.added, 4);
  EXPECT_EQ(r.status, FrameStatus::kOk);
  EXPECT_EQ(Shapes(doc), (std::vector<std::pair<int, ColorFormat>>{
                             {32, k4}, {16, k4}, {32, k8}, {16, k8}, {32, k24}}));
  EXPECT_EQ(doc.Current(), 4);  // the source stays current after the sort
  EXPECT_EQ(MarkerOf(*doc.CurrentFrame()), 0);
}

TEST(IconDocumentDerive, All32bitFormatsFrom256AddSevenFramesUnsorted) {
  IconDocument doc;
  AddMarked(doc, {{256, 256, k32}});
  EXPECT_EQ(doc.CreateAll32bitFormats().added, 7);
  EXPECT_EQ(Shapes(doc), (std::vector<std::pair<int, ColorFormat>>{{256, k32},
                                                                   {128, k32},
                                                                   {96, k32},
                                                                   {64, k32},
                                                                   {48, k32},
                                                                   {32, k32},
                                                                   {24, k32},
                                                                   {16, k32}}));
  EXPECT_EQ(doc.Current(), 0);
  EXPECT_EQ(doc.CreateAll32bitFormats().added, 0);  // every size exists now
}

TEST(IconDocumentDerive, All256ColorFormatsSkipLargerSizes) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k32}});
  EXPECT_EQ(doc.CreateAll256ColorFormats().added, 3);
  EXPECT_EQ(Shapes(doc),
            (std::vector<std::pair<int, ColorFormat>>{{32, k32}, {32, k8}, {24, k8}, {16, k8}}));
}

TEST(IconDocumentDerive, CompleteAddsEvenWhereA256ColorFrameExists) {
  IconDocument doc;
  AddMarked(doc, {{48, 48, k32}, {16, 16, k32}, {16, 16, k8}, {32, 32, k24}});
  const FramesResult r = doc.CompleteStandardFormats();
  EXPECT_EQ(r.added, 2);
  EXPECT_EQ(Shapes(doc), (std::vector<std::pair<int, ColorFormat>>{
                             {48, k8}, {16, k8}, {16, k8}, {32, k24}, {48, k32}, {16, k32}}));
}

TEST(IconDocumentDerive, DerivingStopsAtTheFrameLimitAndSaysSo) {
  IconDocument doc;
  AddMarked(doc, {{256, 256, k32}});
  for (int i = 1; i < IconDocument::kMaxFrames - 3; ++i) ASSERT_TRUE(doc.AddImage(20, k32).Added());
  doc.SelectFrame(0);
  const FramesResult r = doc.CreateAll32bitFormats();
  EXPECT_EQ(r.added, 3);
  EXPECT_EQ(r.status, FrameStatus::kFrameLimit);
  EXPECT_EQ(doc.Count(), IconDocument::kMaxFrames);
}

// A soft-edged, many-coloured picture, so that resampling and every reduction have work to do.
CDib GradientPicture(int side) {
  CDib image;
  image.Create(side, side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const int d = std::abs(x - side / 2) + std::abs(y - side / 2);
      const std::uint32_t alpha = d > side / 2 ? 0 : std::min(255, 2 * (side / 2 - d) + 40);
      image.SetPixel(x, y, MakePixel(alpha, x & 0xFF, y & 0xFF, (x * y) & 0xFF));
    }
  }
  return image;
}

bool SamePixels(const CDib& a, const CDib& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y) {
    if (!std::equal(a.Row(y), a.Row(y) + a.GetWidth(), b.Row(y))) return false;
  }
  return true;
}

TEST(IconDocumentDerive, DerivingManyAtOnceMatchesAddingOneAfterAnother) {
  const CDib source = GradientPicture(200);
  const std::vector<IconDocument::FrameSpec> specs{{128, 128, k32}, {48, 48, k8},  {32, 32, k4},
                                                   {16, 16, k1},    {24, 20, k24}, {256, 256, k32}};
  IconDocument one, many;
  one.New(DocumentKind::kIcon);
  many.New(DocumentKind::kIcon);
  for (const IconDocument::FrameSpec& s : specs) {
    ASSERT_TRUE(one.AddFrame(s.width, s.height, s.format, &source, false).Added());
  }
  const FramesResult r = many.AddDerivedFrames(specs, source);
  EXPECT_EQ(r.added, 6);
  EXPECT_EQ(r.status, FrameStatus::kOk);
  ASSERT_EQ(many.Count(), one.Count());
  for (int i = 0; i < one.Count(); ++i) {
    EXPECT_EQ(many.Frame(i).format, one.Frame(i).format) << i;
    EXPECT_TRUE(SamePixels(many.Frame(i).image, one.Frame(i).image)) << i;
  }
  EXPECT_EQ(many.Current(), 0);  // none of the new frames is selected
}

TEST(IconDocumentDerive, DerivingManyStopsWhereAddingOneByOneWould) {
  const CDib source = GradientPicture(64);
  IconDocument doc;
  doc.New(DocumentKind::kIcon);
  const std::vector<IconDocument::FrameSpec> specs{{32, 32, k32}, {0, 5, k32}, {16, 16, k32}};
  const FramesResult bad = doc.AddDerivedFrames(specs, source);
  EXPECT_EQ(bad.added, 1);
  EXPECT_EQ(bad.status, FrameStatus::kInvalidArgument);
  EXPECT_EQ(doc.Count(), 2);

  while (doc.Count() < IconDocument::kMaxFrames - 1) ASSERT_TRUE(doc.AddImage(8, k32).Added());
  const std::vector<IconDocument::FrameSpec> two{{16, 16, k32}, {8, 8, k32}};
  const FramesResult full = doc.AddDerivedFrames(two, source);
  EXPECT_EQ(full.added, 1);
  EXPECT_EQ(full.status, FrameStatus::kFrameLimit);
  EXPECT_EQ(doc.Count(), IconDocument::kMaxFrames);
}

// --- Size ------------------------------------------------------------------------------------

class IconDocumentSize : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.New(DocumentKind::kIcon);
    CDib& image = doc.Frame(0).image;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) image.SetPixel(x, y, 0xFF000000u | (y << 8) | x);
    }
  }
  const CDib& Image() const { return doc.Frame(0).image; }
  IconDocument doc;
};

TEST_F(IconDocumentSize, LargerSizeCentresTheOldPixelsUnscaled) {
  ASSERT_EQ(doc.SetSize(48, kCanvas), FrameStatus::kOk);
  ASSERT_EQ(Image().GetWidth(), 48);
  EXPECT_EQ(Image().GetPixel(8, 8), 0xFF000000u);
  EXPECT_EQ(Image().GetPixel(39, 39), 0xFF001F1Fu);
  EXPECT_EQ(Image().GetPixel(7, 20), 0u);
  EXPECT_EQ(Image().GetPixel(40, 20), 0u);
  EXPECT_EQ(Image().GetPixel(20, 47), 0u);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(IconDocumentSize, SmallerSizeKeepsTheTopLeftAndUndoRestoresTheOldSize) {
  ASSERT_EQ(doc.SetSize(16, kCanvas), FrameStatus::kOk);
  ASSERT_EQ(Image().GetWidth(), 16);
  EXPECT_EQ(Image().GetPixel(15, 15), 0xFF000F0Fu);
  ImageFrame& frame = doc.Frame(0);
  UndoContext context = kCanvas;
  ASSERT_TRUE(frame.history.Undo(frame.image, context));
  EXPECT_EQ(Image().GetWidth(), 32);
  EXPECT_EQ(Image().GetPixel(31, 31), 0xFF001F1Fu);
}

TEST_F(IconDocumentSize, SizeAndCropClearTheColourOfTransparentPixelsOnly) {
  CDib& image = doc.Frame(0).image;
  image.SetPixel(0, 0, 0x00FF0000);  // invisible red
  image.SetPixel(1, 0, 0x01FF0000);  // barely visible red
  image.SetPixel(5, 5, 0x00123456);
  ASSERT_EQ(doc.SetSize(48, kCanvas), FrameStatus::kOk);
  EXPECT_EQ(Image().GetPixel(8, 8), 0u);
  EXPECT_EQ(Image().GetPixel(9, 8), 0x01FF0000u);
  EXPECT_EQ(Image().GetPixel(10, 8), 0xFF000002u);
  ASSERT_EQ(doc.Crop({12, 12, 15, 14}, kCanvas), FrameStatus::kOk);
  EXPECT_EQ(Image().GetPixel(1, 1), 0u);  // the old (5, 5)
  EXPECT_EQ(Image().GetPixel(0, 0), 0xFF000404u);
}

TEST_F(IconDocumentSize, CustomSizeMayBeOblongAndRefusesImpossibleSizes) {
  ASSERT_EQ(doc.CustomSize(40, 20, kCanvas), FrameStatus::kOk);
  EXPECT_EQ(Image().GetPixel(4, 0), 0xFF000000u);
  EXPECT_EQ(Image().GetHeight(), 20);
  EXPECT_EQ(doc.CustomSize(0, 20, kCanvas), FrameStatus::kInvalidArgument);
  EXPECT_EQ(doc.CustomSize(300, 20, kCanvas), FrameStatus::kInvalidArgument);
  EXPECT_EQ(Image().GetWidth(), 40);
}

TEST_F(IconDocumentSize, CropKeepsTheSelectionAndIgnoresWhatLiesOutside) {
  ASSERT_EQ(doc.Crop({4, 6, 12, 10}, kCanvas), FrameStatus::kOk);
  EXPECT_EQ(Image().GetWidth(), 8);
  EXPECT_EQ(Image().GetHeight(), 4);
  EXPECT_EQ(Image().GetPixel(0, 0), 0xFF000604u);
  EXPECT_EQ(Image().GetPixel(7, 3), 0xFF00090Bu);
  ASSERT_EQ(doc.Crop({-5, 2, 3, 40}, kCanvas), FrameStatus::kOk);  // clipped to the image
  EXPECT_EQ(Image().GetWidth(), 3);
  EXPECT_EQ(Image().GetHeight(), 2);
  EXPECT_EQ(Image().GetPixel(0, 0), 0xFF000804u);
  EXPECT_EQ(doc.Crop({kNotSet, 0, 0, 0}, kCanvas), FrameStatus::kNoFrame);
  EXPECT_EQ(doc.Crop({50, 50, 60, 60}, kCanvas), FrameStatus::kNoFrame);
  EXPECT_EQ(Image().GetWidth(), 3);
}

// --- Colour format ---------------------------------------------------------------------------

TEST(IconDocumentFormat, TrueColorFormatsChangeOnlyTheDeclaredFormat) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k8}, {16, 16, k32}});
  const std::vector<int> list{1};
  doc.SetSelection(0, list);
  EXPECT_TRUE(doc.SetSelectedFormat(k24));
  EXPECT_EQ(doc.Frame(0).format, k24);
  EXPECT_EQ(doc.Frame(1).format, k24);
  EXPECT_EQ(doc.Frame(2).format, k32);
  EXPECT_EQ(Markers(doc), (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(doc.SetSelectedFormat(k8));
}

TEST(IconDocumentFormat, MonochromeReducesEveryWholeSelectedImageWithAnUndoStep) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k32}});
  doc.Frame(0).image.Fill(0xFFC0C0C0);
  doc.Frame(1).image.Fill(0);
  doc.Frame(1).image.Fill(0xC8404040);
  doc.Frame(0).image.clip = {0, 0, 2, 2};  // a selection on the canvas
  const std::vector<int> list{1};
  doc.SetSelection(0, list);
  EXPECT_EQ(doc.ConvertSelectedToMonochrome(kCanvas), FrameStatus::kOk);
  EXPECT_EQ(doc.Frame(0).format, k1);
  EXPECT_EQ(doc.Frame(0).image.Pixels()[15 * 16 + 15], 0xFFFFFFFFu);
  EXPECT_EQ(doc.Frame(0).image.clip, (Rect{0, 0, 2, 2}));
  EXPECT_EQ(doc.Frame(1).image.GetPixel(3, 3), 0xC8000000u);
  ImageFrame& other = doc.Frame(1);
  UndoContext context = kCanvas;
  ASSERT_TRUE(other.history.Undo(other.image, context));
  EXPECT_EQ(other.image.GetPixel(3, 3), 0xC8404040u);
}

TEST(IconDocumentFormat, TwoHundredFiftySixColorsSetsFormat8) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}});
  doc.Frame(0).image.Fill(0xFF336699);
  EXPECT_EQ(doc.ConvertSelectedTo256Colors(kCanvas), FrameStatus::kOk);
  EXPECT_EQ(doc.Frame(0).format, k8);
  EXPECT_EQ(doc.Frame(0).image.GetPixel(5, 5), 0xFF336699u);  // one colour survives exactly
  EXPECT_TRUE(doc.Frame(0).history.CanUndo());
}

TEST(IconDocumentFormat, SixteenColorCancelRestoresAndApplyIsOneUndoStep) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}});
  CDib& image = doc.Frame(0).image;
  image.Fill(0xFF7F1020);
  doc.SetModified(false);
  ASSERT_TRUE(doc.BeginSixteenColors());
  EXPECT_EQ(doc.PreviewSixteenColors(0), FrameStatus::kOk);
  EXPECT_EQ(image.GetPixel(1, 1), 0xFF800000u);
  EXPECT_EQ(doc.PreviewSixteenColors(64), FrameStatus::kOk);
  doc.CancelSixteenColors();
  EXPECT_EQ(image.GetPixel(1, 1), 0xFF7F1020u);
  EXPECT_EQ(doc.Frame(0).format, k32);
  EXPECT_FALSE(doc.IsModified());

  ASSERT_TRUE(doc.BeginSixteenColors());
  doc.PreviewSixteenColors(0);
  doc.ApplySixteenColors(kCanvas);
  EXPECT_EQ(doc.Frame(0).format, k4);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.PreviewSixteenColors(0), FrameStatus::kNoFrame);  // the dialog is closed
  UndoContext context = kCanvas;
  ASSERT_TRUE(doc.Frame(0).history.Undo(image, context));
  EXPECT_EQ(image.GetPixel(1, 1), 0xFF7F1020u);
}

// --- Document state and observers ------------------------------------------------------------

TEST(IconDocumentState, NewGivesOneBlankFrameNamedAfterTheKind) {
  IconDocument doc;
  ASSERT_TRUE(doc.New(DocumentKind::kCursor).Added());
  EXPECT_EQ(doc.Count(), 1);
  EXPECT_EQ(doc.Current(), 0);
  EXPECT_EQ(doc.FileName(), "new.cur");
  EXPECT_EQ(doc.GetHotspot(), (Hotspot{0, 0}));
  EXPECT_FALSE(doc.IsModified());
  doc.New(DocumentKind::kIcon);
  EXPECT_EQ(doc.FileName(), "new.ico");
  EXPECT_EQ(doc.GetHotspot().x, kNotSet);
  doc.New(DocumentKind::kAnimatedCursor);
  EXPECT_EQ(doc.FileName(), "new.ani");
  EXPECT_EQ(doc.Count(), 1);
}

TEST(IconDocumentState, BecomingACursorGivesAHotspotOnlyWhenNoneIsSet) {
  IconDocument doc;
  doc.SetKind(DocumentKind::kCursor);
  EXPECT_EQ(doc.GetHotspot(), (Hotspot{0, 0}));
  doc.SetHotspot({5, 7});
  doc.SetKind(DocumentKind::kAnimatedCursor);
  EXPECT_EQ(doc.GetHotspot(), (Hotspot{5, 7}));
}

TEST(IconDocumentState, SelectionNeverHoldsTheCurrentFrame) {
  IconDocument doc;
  AddMarked(doc, {{16, 16, k32}, {16, 16, k32}, {16, 16, k32}});
  const std::vector<int> list{2, 1, 2, 9, -1};
  doc.SetSelection(1, list);
  EXPECT_EQ(doc.Selection(), (std::vector<int>{2}));
  doc.Frame(1).image.clip = {0, 0, 2, 2};
  doc.SelectFrame(2);
  EXPECT_TRUE(doc.Selection().empty());
  EXPECT_EQ(doc.Frame(1).image.clip, (Rect{0, 0, 16, 16}));  // no selection survives a switch
}

TEST(IconDocumentState, ObserversHearOncePerOperation) {
  IconDocument doc;
  AddMarked(doc, {{32, 32, k24}});
  doc.SetModified(false);
  Recorder rec;
  doc.AddObserver(&rec);
  doc.CreateStandardFormats();
  EXPECT_EQ(rec.frames, 1);
  EXPECT_EQ(rec.current, 1);  // the source moved to the end
  EXPECT_EQ(rec.modified, 1);
  doc.SelectFrame(0);
  EXPECT_EQ(rec.current, 2);
  EXPECT_EQ(rec.frames, 1);
  doc.SelectFrame(0);
  EXPECT_EQ(rec.current, 2);
  doc.MarkImageChanged(3);
  EXPECT_EQ(rec.images, (std::vector<int>{3}));
  EXPECT_EQ(rec.modified, 1);  // already modified
  doc.SetKind(DocumentKind::kCursor);
  EXPECT_EQ(rec.kind, 1);
  doc.RemoveObserver(&rec);
  doc.DeleteSelectedFrames();
  EXPECT_EQ(rec.frames, 1);
}

}  // namespace
}  // namespace morvane
