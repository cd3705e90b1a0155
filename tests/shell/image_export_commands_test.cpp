#include "shell/image_export_commands.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/peer_decode.h"
#include "support/peers.h"
#include "support/temp_dir.h"

namespace morvane {
namespace {

namespace fx = morvane::testing;

// Platform colour 0x00BBGGRR of the opaque matte 0xFF112233 the tests expect.
constexpr std::uint32_t kMatte = 0x00332211;
constexpr Pixel kMatteArgb = 0xFF112233;
// 0x80FFFFFF over the matte, worked out from AlphaOver: (c * 127 + 255 * 128) / 255 per channel.
constexpr Pixel kHalfWhiteOverMatte = 0xFF889099;

void AddFrame(IconDocument& doc, int size, ColorFormat format, Pixel fill) {
  const AddResult added = doc.AddFrame(size, size, format, nullptr, false);
  ASSERT_GE(added.index, 0);
  doc.Frame(added.index).image.Fill(fill);
}

// Three 16 x 16 frames: red with one transparent pixel, white at half alpha, blue.
void ThreeFrames(IconDocument& doc) {
  doc.RemoveAllFrames();
  AddFrame(doc, 16, ColorFormat::kTrueColorAlpha, 0xFFFF0000);
  doc.Frame(0).image.SetPixel(1, 1, 0);
  AddFrame(doc, 16, ColorFormat::kTrueColorAlpha, 0x80FFFFFF);
  AddFrame(doc, 16, ColorFormat::kTrueColorAlpha, 0xFF0000FF);
}

TEST(ExportTypes, TheTypeListDrivesTheInitialTypeAndTheRenaming) {
  const auto types = ParseExportTypes(kSaveCurrentImageTypes);
  ASSERT_EQ(types.size(), 5u);
  EXPECT_EQ(types[1].pattern, "*.png");
  EXPECT_EQ(types[1].extension, ".png");
  EXPECT_EQ(types[3].description, "JPEG image (*.jpg)");
  EXPECT_EQ(InitialExportName("", types), "*.ico");
  EXPECT_EQ(InitialExportType("/a/b/Pic.GIF", types), 2);
  EXPECT_EQ(InitialExportType("/a/b/pic", types), 0);
  EXPECT_EQ(InitialExportType("/a/b/pic.tif", types), 0);
  // The first "." of the file name, never one in a folder name.
  EXPECT_EQ(RenameForType("/a.b/icon.ico", types[1]), "/a.b/icon.png");
  EXPECT_EQ(RenameForType("/a.b/icon.old.ico", types[2]), "/a.b/icon.gif");
  EXPECT_EQ(RenameForType("/a.b/new", types[4]), "/a.b/new.bmp");
  EXPECT_EQ(RenameForType("*.ico", types[3]), "*.jpg");
  // Two bitmap types share an extension: the first is chosen.
  EXPECT_EQ(InitialExportType("x.bmp", ParseExportTypes(kSaveImageListTypes)), 0);
  // At most 20 types; damaged descriptions are passed over.
  std::string many;
  for (int i = 0; i < 25; ++i) many += "T" + std::to_string(i) + " (*.t" + std::to_string(i) + ")|";
  EXPECT_EQ(ParseExportTypes(many).size(), 20u);
  EXPECT_EQ(ParseExportTypes("no pattern|PNG (*.png)|").size(), 1u);
}

TEST(ExportTypes, AStoredFilterIndexIsClampedToTheList) {
  EXPECT_EQ(ClampFilterIndex(1, 5), 1);
  EXPECT_EQ(ClampFilterIndex(5, 5), 5);
  EXPECT_EQ(ClampFilterIndex(0, 5), 1);
  EXPECT_EQ(ClampFilterIndex(-7, 5), 1);
  EXPECT_EQ(ClampFilterIndex(99, 5), 5);
}

TEST(SaveCurrentImage, OverwritingIsAlwaysAskedAndTheOpenDocumentNamed) {
  fx::TempDir dir;
  const auto document = dir / "many.ico";
  const auto other = dir / "other.png";
  EXPECT_EQ(QuestionBeforeWriting(document, document.string()), OverwriteQuestion::kNone);
  fx::WriteAll(document, {1});
  fx::WriteAll(other, {1});
  EXPECT_EQ(QuestionBeforeWriting(document, document.string()), OverwriteQuestion::kOpenDocument);
  EXPECT_EQ(QuestionBeforeWriting(other, document.string()), OverwriteQuestion::kOverwrite);
  EXPECT_EQ(QuestionBeforeWriting(other, ""), OverwriteQuestion::kOverwrite);
}

TEST(ImageList, TheInitialTypeFollowsTheDocumentNameThenTheFirstFormat) {
  EXPECT_EQ(InitialImageListType("/x/a.GIF", 32), 5);
  EXPECT_EQ(InitialImageListType("/x/a.png", 4), 6);
  EXPECT_EQ(InitialImageListType("/x/a.ico", 4), 1);
  EXPECT_EQ(InitialImageListType("/x/a.ico", 8), 2);
  EXPECT_EQ(InitialImageListType("/x/a.ico", 24), 3);
  EXPECT_EQ(InitialImageListType("/x/a.ico", 1), 4);
}

TEST(ImageList, FramesOfDifferentSizesAreRefusedAndNothingIsWritten) {
  fx::TempDir dir;
  IconDocument doc;
  doc.RemoveAllFrames();
  AddFrame(doc, 16, ColorFormat::kTrueColorAlpha, 0xFFFF0000);
  AddFrame(doc, 32, ColorFormat::kTrueColorAlpha, 0xFFFF0000);
  const Status status = SaveImageList(dir / "strip.bmp", 3, doc, {kMatte, 85});
  EXPECT_EQ(status.message(), "All images must have the same size!");
  EXPECT_FALSE(std::filesystem::exists(dir / "strip.bmp"));
}

TEST(ImageList, StripPixelsFollowTheDrawingRules) {
  IconDocument doc;
  ThreeFrames(doc);
  CDib strip;
  ASSERT_TRUE(BuildStrip(doc, 3, 0x112233, strip).ok());
  EXPECT_EQ(strip.GetWidth(), 48);
  EXPECT_EQ(strip.GetHeight(), 16);
  EXPECT_EQ(strip.GetPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(strip.GetPixel(1, 1), 0x00112233u);  // alpha 0 clears only the alpha byte
  EXPECT_EQ(strip.GetPixel(16, 0), kHalfWhiteOverMatte);
  EXPECT_EQ(strip.GetPixel(47, 15), 0xFF0000FFu);
  ASSERT_TRUE(BuildStrip(doc, 6, 0x112233, strip).ok());
  EXPECT_EQ(strip.GetPixel(1, 1), 0u);
  EXPECT_EQ(strip.GetPixel(16, 0), 0x80FFFFFFu);  // over nothing, the frame pixel itself
}

TEST(ImageListInterop, PillowReadsTheTrueColorStripOverTheMatteAndThePngWithItsAlpha) {
  if (!fx::HavePillow()) GTEST_SKIP() << "Pillow not available";
  fx::TempDir dir;
  IconDocument doc;
  ThreeFrames(doc);
  ASSERT_TRUE(SaveImageList(dir / "strip.bmp", 3, doc, {kMatte, 85}).ok());
  const auto bmp = fx::PillowPicture(dir / "strip.bmp", dir.path());
  ASSERT_TRUE(bmp);
  ASSERT_EQ(bmp->width, 48);
  ASSERT_EQ(bmp->height, 16);
  EXPECT_EQ(bmp->At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp->At(1, 1), kMatteArgb);
  EXPECT_EQ(bmp->At(20, 5), kHalfWhiteOverMatte);
  EXPECT_EQ(bmp->At(40, 9), 0xFF0000FFu);

  ASSERT_TRUE(SaveImageList(dir / "strip", 6, doc, {kMatte, 85}).ok());  // extension added
  const auto png = fx::PillowPicture(dir / "strip.png", dir.path());
  ASSERT_TRUE(png);
  EXPECT_EQ(png->At(1, 1) >> 24, 0u);
  EXPECT_EQ(png->At(20, 5), 0x80FFFFFFu);
  EXPECT_EQ(png->At(47, 0), 0xFF0000FFu);
}

TEST(FolderExport, ADocumentWithoutANameIsRefused) {
  IconDocument doc;
  doc.New(DocumentKind::kIcon);
  EXPECT_FALSE(PlanFolderExport(doc, true, true).ok());
  doc.SetFileName("");
  EXPECT_FALSE(PlanFolderExport(doc, true, true).ok());
}

TEST(FolderExportInterop, WritesBySizeBesideTheDocumentReportsSkipsAndAsksBeforeOverwriting) {
  if (!fx::HavePillow()) GTEST_SKIP() << "Pillow not available";
  fx::TempDir dir;
  IconDocument doc;
  doc.RemoveAllFrames();
  AddFrame(doc, 16, ColorFormat::kTrueColorAlpha, 0x40102030);
  AddFrame(doc, 32, ColorFormat::kTrueColorAlpha, 0xFF00FF00);
  AddFrame(doc, 32, ColorFormat::k256Colors, 0xFF00FF00);
  doc.Frame(2).image.SetPixel(0, 0, 0x3200FF00);  // below the threshold: transparent
  doc.Frame(2).image.SetPixel(1, 0, 0xC800FF00);  // above: opaque over the matte
  std::filesystem::create_directories(dir / "ico");
  doc.SetFileName((dir / "ico" / "Name.ico").string());

  auto plan = PlanFolderExport(doc, true, true);
  ASSERT_TRUE(plan.ok());
  ASSERT_EQ(plan->size(), 3u);
  EXPECT_EQ((*plan)[0].path, dir / "ico" / "png" / "16" / "Name.png");
  EXPECT_EQ((*plan)[2].path, dir / "ico" / "gif" / "32" / "Name.gif");

  // No folders are made: the gif folder is missing, so that file is skipped and reported.
  std::filesystem::create_directories(dir / "ico" / "png" / "16");
  std::filesystem::create_directories(dir / "ico" / "png" / "32");
  int asked = 0;
  const auto decline = [&](const std::filesystem::path&) {
    ++asked;
    return false;
  };
  FolderExportReport report = RunFolderExport(doc, *plan, {kMatte, 85}, decline);
  EXPECT_EQ(report.written, 2);
  EXPECT_EQ(report.skipped, 1);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_NE(report.problems[0].find("gif"), std::string::npos);
  EXPECT_EQ(report.base, dir / "ico");
  EXPECT_EQ(asked, 0);

  std::filesystem::create_directories(dir / "ico" / "gif" / "32");
  report = RunFolderExport(doc, *plan, {kMatte, 85}, decline);
  EXPECT_EQ(report.written, 1);
  EXPECT_EQ(report.skipped, 2);
  EXPECT_EQ(asked, 2);

  const auto png = fx::PillowPicture(dir / "ico" / "png" / "16" / "Name.png", dir.path());
  ASSERT_TRUE(png);
  EXPECT_EQ(png->At(3, 3), 0x40102030u);  // 32-bit frames keep their alpha
  const auto gif = fx::PillowPicture(dir / "ico" / "gif" / "32" / "Name.gif", dir.path());
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->At(0, 0) >> 24, 0u);
  // 0xC800FF00 over 0x112233: (c * 55 + s * 200) / 255 gives 3, 207, 11.
  EXPECT_EQ(gif->At(1, 0), 0xFF03CF0Bu);
  EXPECT_EQ(gif->At(5, 5), 0xFF00FF00u);
}

}  // namespace
}  // namespace morvane
