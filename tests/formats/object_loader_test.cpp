#include "formats/object_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "exe_fixtures.h"
#include "format_test_support.h"
#include "formats/ani_codec.h"
#include "formats/ico_codec.h"
#include "formats/icon_image.h"
#include "formats/picture_file.h"
#include "formats/png_codec.h"
#include "support/mutations.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
namespace fx = morvane::testing;
using fx::ByteVector;

constexpr Pixel kRed = 0xFFFF0000;
constexpr Pixel kGreen = 0xFF00FF00;

std::vector<HistoryKind> EveryHistory() {
  return {HistoryKind::kIcons, HistoryKind::kCursors, HistoryKind::kAnimatedCursors,
          HistoryKind::kImages, HistoryKind::kExecutables};
}

void Solid(CDib& image, int width, int height, Pixel v) {
  fx::MakeImage(image, width, height, [v](int, int) { return v; });
}

// An icon (hotspotX == kIconNoHotspot) or cursor file with one image per (size, format).
void WriteIcons(const fs::path& path, const std::vector<std::pair<int, int>>& sizes,
                int hotspotX = kIconNoHotspot, int hotspotY = kIconNoHotspot) {
  std::vector<CDib> images(sizes.size());
  std::vector<IconFrameRef> refs;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    Solid(images[i], sizes[i].first, sizes[i].first, kGreen);
    refs.push_back({&images[i], sizes[i].second});
  }
  ASSERT_TRUE(WriteIconFile(path, refs, hotspotX, hotspotY).ok());
}

void WritePng(const fs::path& path, int width, int height) {
  CDib image;
  fx::MakeImage(image, width, height, fx::MixedPixel);
  ASSERT_TRUE(SavePngFile(path, image, 32).ok());
}

// A document of n blank 16 x 16 frames.
void Fill(IconDocument& document, int n) {
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(document.AddFrame(16, 16, ColorFormat::kTrueColorAlpha, nullptr, false).Added());
  }
}

// --- Reading ---------------------------------------------------------------------------------

TEST(ObjectLoaderOpen, AnUpperCaseIcoExtensionIsReadAsAnIcon) {
  fx::TempDir dir;
  WriteIcons(dir / "SHOUT.ICO", {{32, 32}, {16, 4}});
  OpenOutcome outcome = OpenObject(dir / "SHOUT.ICO", false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  EXPECT_EQ(outcome.kind, DocumentKind::kIcon);
  ASSERT_EQ(outcome.frames.size(), 2u);
  EXPECT_EQ(outcome.frames[1].image.GetWidth(), 16);
  EXPECT_EQ(outcome.frames[1].format, ColorFormat::k16Colors);
  EXPECT_EQ(outcome.hotspot.x, kNotSet);
  EXPECT_EQ(outcome.addToHistories, std::vector<HistoryKind>{HistoryKind::kIcons});
  EXPECT_FALSE(outcome.message.has_value());
}

TEST(ObjectLoaderOpen, AMissingPathIsNotFoundAndLeavesEveryHistory) {
  fx::TempDir dir;
  fs::create_directories(dir / "folder.ico");
  for (const fs::path& path : {dir / "gone.ico", dir / "gone.dll", dir / "folder.ico",
                               fs::path((dir / "x.ico").string() + "\\")}) {
    SCOPED_TRACE(path.string());
    const OpenOutcome outcome = OpenObject(path, false, 0);
    EXPECT_EQ(outcome.action, OpenAction::kFailed);
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->section, "Msg");
    EXPECT_EQ(outcome.message->key, "file_not_found");
    EXPECT_EQ(outcome.message->english, "Sorry, file '%s' not found!");
    EXPECT_EQ(outcome.message->argument, path.string());
    EXPECT_EQ(outcome.removeFromHistories, EveryHistory());
    EXPECT_TRUE(outcome.addToHistories.empty());
  }
}

TEST(ObjectLoaderOpen, AFileWithoutReadableImagesSaysSoAndLeavesTheHistories) {
  fx::TempDir dir;
  fx::WriteAll(dir / "empty.cur", {});
  fx::WriteAll(dir / "text.ico", ByteVector(100, 'x'));
  fx::WriteAll(dir / "broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  fx::WriteAll(dir / "broken.ani", {'R', 'I', 'F', 'F', 0, 0, 0, 0});
  for (const char* name : {"empty.cur", "text.ico", "broken.png", "broken.ani"}) {
    SCOPED_TRACE(name);
    const OpenOutcome outcome = OpenObject(dir / name, false, 0);
    EXPECT_EQ(outcome.action, OpenAction::kFailed);
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->key, "icon_not_found_2");
    EXPECT_EQ(outcome.message->english, "Sorry, images not found in '%s'!");
    EXPECT_EQ(outcome.message->argument, (dir / name).string());
    EXPECT_EQ(outcome.removeFromHistories, EveryHistory());
  }
}

TEST(ObjectLoaderOpen, APictureLargerThan256PixelsGoesToTheImportWithItsPixels) {
  fx::TempDir dir;
  WritePng(dir / "wide.png", 300, 200);
  OpenOutcome outcome = OpenObject(dir / "wide.png", false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kImportPicture);
  EXPECT_TRUE(outcome.frames.empty());
  EXPECT_EQ(outcome.picture.GetWidth(), 300);
  EXPECT_EQ(outcome.picture.GetHeight(), 200);
  EXPECT_EQ(outcome.picture.GetPixel(299, 199), fx::MixedPixel(299, 199));
  EXPECT_EQ(outcome.pictureDepth, 32);
  EXPECT_TRUE(outcome.addToHistories.empty());
  EXPECT_TRUE(outcome.removeFromHistories.empty());

  IconDocument document;
  Fill(document, 2);
  EXPECT_EQ(ApplyOpenOutcome(outcome, document).added, 0);
  EXPECT_EQ(document.Count(), 2);
}

TEST(ObjectLoaderOpen, PicturesUpTo256PixelsBecomeOneFrameOfTheirDepth) {
  fx::TempDir dir;
  WritePng(dir / "big.png", 256, 256);
  WritePng(dir / "tall.PNG", 10, 257);
  CDib small;
  Solid(small, 20, 10, kRed);
  ASSERT_TRUE(SavePictureFile(dir / "small.bmp", small, {24}).ok());

  const OpenOutcome big = OpenObject(dir / "big.png", false, 0);
  ASSERT_EQ(big.action, OpenAction::kFrames);
  ASSERT_EQ(big.frames.size(), 1u);
  EXPECT_EQ(big.frames[0].image.GetWidth(), 256);
  EXPECT_EQ(big.kind, DocumentKind::kIcon);
  EXPECT_EQ(big.addToHistories, std::vector<HistoryKind>{HistoryKind::kImages});

  EXPECT_EQ(OpenObject(dir / "tall.PNG", false, 0).action, OpenAction::kImportPicture);

  const OpenOutcome bmp = OpenObject(dir / "small.bmp", false, 0);
  ASSERT_EQ(bmp.action, OpenAction::kFrames);
  EXPECT_EQ(bmp.frames[0].format, ColorFormat::kTrueColor);
  EXPECT_EQ(bmp.frames[0].image.GetPixel(19, 9), kRed);
}

TEST(ObjectLoaderOpen, AppendingReadsOnlyTheRoomLeftInTheDocument) {
  fx::TempDir dir;
  std::vector<std::pair<int, int>> ten;
  for (int i = 0; i < 10; ++i) ten.push_back({16 + i, 32});
  WriteIcons(dir / "ten.ico", ten);

  OpenOutcome outcome = OpenObject(dir / "ten.ico", true, 250);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  ASSERT_EQ(outcome.frames.size(), 6u);
  EXPECT_EQ(outcome.frames[5].image.GetWidth(), 21);  // the first six, in file order

  IconDocument document;
  Fill(document, 250);
  const ApplyResult applied = ApplyOpenOutcome(outcome, document);
  EXPECT_EQ(applied.firstFrame, 250);
  EXPECT_EQ(applied.added, 6);
  EXPECT_EQ(document.Count(), IconDocument::kMaxFrames);

  // Replacing is not bounded by the frames the document holds now.
  EXPECT_EQ(OpenObject(dir / "ten.ico", false, 256).frames.size(), 10u);
}

TEST(ObjectLoaderOpen, ObserversHearOfAWholeOpenOnce) {
  // Views rebuild on every notice: one per adopted frame made opening quadratic in frames.
  struct Counter : DocumentObserver {
    int frames = 0;
    void OnFramesChanged(const IconDocument&) override { ++frames; }
  } counter;
  fx::TempDir dir;
  WriteIcons(dir / "five.ico", {{16, 32}, {24, 32}, {32, 32}, {48, 32}, {64, 32}});
  IconDocument document;
  document.AddObserver(&counter);
  for (const bool append : {false, true}) {
    OpenOutcome outcome = OpenObject(dir / "five.ico", append, document.Count());
    counter.frames = 0;
    EXPECT_EQ(ApplyOpenOutcome(outcome, document).added, 5);
    EXPECT_EQ(counter.frames, 1) << (append ? "append" : "replace");
  }
  EXPECT_EQ(document.Count(), 10);
  document.RemoveObserver(&counter);
}

TEST(ObjectLoaderOpen, AppendingToAFullDocumentSaysSoAndKeepsTheFileInTheHistories) {
  fx::TempDir dir;
  WriteIcons(dir / "one.ico", {{16, 32}});
  const OpenOutcome outcome = OpenObject(dir / "one.ico", true, IconDocument::kMaxFrames);
  EXPECT_EQ(outcome.action, OpenAction::kFailed);
  ASSERT_TRUE(outcome.message.has_value());
  EXPECT_EQ(outcome.message->key, "frames_limit");
  EXPECT_TRUE(outcome.removeFromHistories.empty());
}

TEST(ObjectLoaderOpen, ImagesLargerThanAFrameAreSkippedAndTheOthersKept) {
  // A hand-made icon file: a 16 x 16 bitmap entry and a 300 x 300 PNG entry.
  CDib small, huge;
  Solid(small, 16, 16, kRed);
  Solid(huge, 300, 300, kGreen);
  ByteVector first, second;
  ASSERT_TRUE(WriteIconImage(small, 32, first).ok());
  ASSERT_TRUE(EncodePng(huge, 32, second).ok());
  ByteVector file(6 + 2 * 16, 0);
  fx::PutU16(file, 2, 1);
  fx::PutU16(file, 4, 2);
  std::size_t offset = file.size();
  for (int i = 0; i < 2; ++i) {
    const ByteVector& block = i == 0 ? first : second;
    const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
    file[at] = i == 0 ? 16 : 0;
    file[at + 1] = i == 0 ? 16 : 0;
    fx::PutU16(file, at + 4, 1);
    fx::PutU16(file, at + 6, 32);
    fx::PutU32(file, at + 8, static_cast<std::uint32_t>(block.size()));
    fx::PutU32(file, at + 12, static_cast<std::uint32_t>(offset));
    offset += block.size();
  }
  file.insert(file.end(), first.begin(), first.end());
  file.insert(file.end(), second.begin(), second.end());
  fx::TempDir dir;
  fx::WriteAll(dir / "mixed.ico", file);

  const OpenOutcome outcome = OpenObject(dir / "mixed.ico", false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  ASSERT_EQ(outcome.frames.size(), 1u);
  EXPECT_EQ(outcome.frames[0].image.GetWidth(), 16);
  EXPECT_EQ(outcome.skipped, 1);
}

TEST(ObjectLoaderOpen, AnAnimatedCursorBringsRatesTextsAndHotspot) {
  fx::TempDir dir;
  CDib a, b;
  Solid(a, 32, 32, kRed);
  Solid(b, 32, 32, kGreen);
  const std::vector<IconFrameRef> refs{{&a, 32}, {&b, 8}};
  std::vector<int> rates{5, 9};
  ASSERT_TRUE(SaveAniFile(dir / "walk.ani", refs, rates, 6, 7, "Walker", "Someone").ok());

  const OpenOutcome outcome = OpenObject(dir / "walk.ani", false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  EXPECT_EQ(outcome.kind, DocumentKind::kAnimatedCursor);
  ASSERT_EQ(outcome.frames.size(), 2u);
  EXPECT_EQ(outcome.frames[0].rate, 5);
  EXPECT_EQ(outcome.frames[1].rate, 9);
  EXPECT_EQ(outcome.frames[1].format, ColorFormat::k256Colors);
  EXPECT_EQ(outcome.hotspot, (Hotspot{6, 7}));
  EXPECT_EQ(outcome.title, "Walker");
  EXPECT_EQ(outcome.author, "Someone");
  EXPECT_EQ(outcome.addToHistories, std::vector<HistoryKind>{HistoryKind::kAnimatedCursors});
}

TEST(ObjectLoaderOpen, IconLibrariesAreRecognisedByTheirExtensionInAnyCase) {
  EXPECT_TRUE(IsIconLibraryPath("/a/b/Library.ICL"));
  EXPECT_TRUE(IsIconLibraryPath("x.icl"));
  EXPECT_FALSE(IsIconLibraryPath("x.icl.ico"));
  EXPECT_FALSE(IsIconLibraryPath("icl"));
}

// --- Applying --------------------------------------------------------------------------------

class ObjectLoaderApply : public ::testing::Test {
 protected:
  OpenOutcome Open(const std::string& name, bool append) {
    return OpenObject(dir_ / name, append, document_.Count());
  }

  fx::TempDir dir_;
  IconDocument document_;
};

TEST_F(ObjectLoaderApply, ReplacingGivesADocumentOfTheFileAlone) {
  WriteIcons(dir_ / "new.ico", {{48, 32}, {32, 8}, {16, 1}});
  Fill(document_, 4);
  document_.SelectFrame(3);
  document_.SetTitle("old title");
  document_.SetAuthor("old author");
  document_.SetHotspot({4, 4});
  document_.SetKind(DocumentKind::kAnimatedCursor);
  document_.Frame(0).rate = 30;

  OpenOutcome outcome = Open("new.ico", false);
  const ApplyResult applied = ApplyOpenOutcome(outcome, document_);
  EXPECT_EQ(applied.firstFrame, 0);
  EXPECT_EQ(applied.added, 3);
  ASSERT_EQ(document_.Count(), 3);
  EXPECT_EQ(document_.Frame(0).image.GetWidth(), 48);
  EXPECT_EQ(document_.Frame(2).format, ColorFormat::kMono);
  EXPECT_EQ(document_.Current(), 0);
  EXPECT_EQ(document_.Kind(), DocumentKind::kIcon);
  EXPECT_EQ(document_.FileName(), (dir_ / "new.ico").string());
  EXPECT_FALSE(document_.IsModified());
  EXPECT_EQ(document_.Title(), "");
  EXPECT_EQ(document_.Author(), "");
  EXPECT_EQ(document_.GetHotspot(), (Hotspot{kNotSet, 0}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(document_.Frame(i).rate, 0);
    EXPECT_EQ(document_.Frame(i).savedRate, 0);
    EXPECT_FALSE(document_.Frame(i).history.CanUndo());
  }
}

TEST_F(ObjectLoaderApply, AppendingACursorToAnIconKeepsKindAndTitleAndTakesTheHotspot) {
  WriteIcons(dir_ / "base.ico", {{32, 32}});
  WriteIcons(dir_ / "arrow.cur", {{32, 32}, {16, 32}}, 5, 7);
  OpenOutcome base = Open("base.ico", false);
  ApplyOpenOutcome(base, document_);
  document_.SetTitle("kept");

  OpenOutcome cursor = Open("arrow.cur", true);
  ASSERT_EQ(cursor.action, OpenAction::kFrames);
  EXPECT_EQ(cursor.addToHistories, std::vector<HistoryKind>{HistoryKind::kCursors});
  const ApplyResult applied = ApplyOpenOutcome(cursor, document_);
  EXPECT_EQ(applied.firstFrame, 1);
  EXPECT_EQ(applied.added, 2);
  EXPECT_EQ(document_.Count(), 3);
  EXPECT_EQ(document_.Kind(), DocumentKind::kIcon);
  EXPECT_EQ(document_.Title(), "kept");
  EXPECT_EQ(document_.GetHotspot(), (Hotspot{5, 7}));
  EXPECT_EQ(document_.Current(), 0);
  EXPECT_EQ(document_.FileName(), (dir_ / "base.ico").string());
  EXPECT_TRUE(document_.IsModified());

  // An icon appended afterwards clears the icon document's hotspot again.
  OpenOutcome icon = Open("base.ico", true);
  ApplyOpenOutcome(icon, document_);
  EXPECT_EQ(document_.GetHotspot(), (Hotspot{kNotSet, 0}));
}

TEST_F(ObjectLoaderApply, ImagesAppendedToACursorKeepItsHotspotAndTheFramesTheirRates) {
  CDib a;
  Solid(a, 32, 32, kRed);
  std::vector<int> rates{4, 0};
  const std::vector<IconFrameRef> refs{{&a, 32}, {&a, 32}};
  ASSERT_TRUE(SaveAniFile(dir_ / "spin.ani", refs, rates, 2, 3, "", "Author").ok());
  WriteIcons(dir_ / "plain.ico", {{16, 32}});

  OpenOutcome ani = Open("spin.ani", false);
  ApplyOpenOutcome(ani, document_);
  ASSERT_EQ(document_.Count(), 2);
  EXPECT_EQ(document_.Kind(), DocumentKind::kAnimatedCursor);
  EXPECT_EQ(document_.GetHotspot(), (Hotspot{2, 3}));
  EXPECT_EQ(document_.Frame(0).rate, 4);
  EXPECT_EQ(document_.Frame(0).savedRate, 4);
  EXPECT_EQ(document_.Frame(1).rate, 12);  // the writer stored 12 for "not set"
  EXPECT_EQ(document_.Author(), "Author");
  document_.Frame(1).rate = 20;  // an edit not yet saved
  document_.SelectFrame(1);

  OpenOutcome icon = Open("plain.ico", true);
  ApplyOpenOutcome(icon, document_);
  ASSERT_EQ(document_.Count(), 3);
  EXPECT_EQ(document_.Kind(), DocumentKind::kAnimatedCursor);
  EXPECT_EQ(document_.GetHotspot(), (Hotspot{2, 3}));
  EXPECT_EQ(document_.Frame(1).rate, 20);
  EXPECT_EQ(document_.Frame(2).rate, 0);  // not the current frame's 20
  EXPECT_EQ(document_.Frame(2).savedRate, 0);
  EXPECT_EQ(document_.Current(), 1);
}

TEST_F(ObjectLoaderApply, AppendedAnimatedCursorTextsFillOnlyWhatTheDocumentLacks) {
  CDib a;
  Solid(a, 32, 32, kRed);
  std::vector<int> rates{4};
  const std::vector<IconFrameRef> refs{{&a, 32}};
  ASSERT_TRUE(SaveAniFile(dir_ / "t.ani", refs, rates, 0, 0, "File title", "File author").ok());
  Fill(document_, 1);
  document_.SetTitle("Mine");

  OpenOutcome ani = Open("t.ani", true);
  ApplyOpenOutcome(ani, document_);
  EXPECT_EQ(document_.Title(), "Mine");
  EXPECT_EQ(document_.Author(), "File author");
}

TEST_F(ObjectLoaderApply, AppendingToAnEmptyDocumentOpensTheFile) {
  WriteIcons(dir_ / "arrow.cur", {{32, 32}}, 1, 2);
  OpenOutcome outcome = Open("arrow.cur", true);
  ApplyOpenOutcome(outcome, document_);
  EXPECT_EQ(document_.Kind(), DocumentKind::kCursor);
  EXPECT_EQ(document_.Current(), 0);
  EXPECT_EQ(document_.FileName(), (dir_ / "arrow.cur").string());
  EXPECT_FALSE(document_.IsModified());
}

TEST_F(ObjectLoaderApply, AnImageOfALibraryBeingEditedKeepsItsNameAndIsModified) {
  WriteIcons(dir_ / "a.ico", {{32, 32}});
  document_.New(DocumentKind::kIcon);
  document_.SetFileName("library image");
  OpenOutcome outcome = Open("a.ico", false);
  ApplyOpenOutcome(outcome, document_, {.editingLibraryImage = true});
  EXPECT_EQ(document_.FileName(), "library image");
  EXPECT_TRUE(document_.IsModified());
  EXPECT_EQ(document_.Count(), 1);
}

TEST_F(ObjectLoaderApply, OutcomesWithoutFramesLeaveTheDocumentAlone) {
  Fill(document_, 2);
  document_.SetModified(false);
  OpenOutcome missing = Open("missing.ico", false);
  EXPECT_EQ(ApplyOpenOutcome(missing, document_).added, 0);
  EXPECT_EQ(document_.Count(), 2);
  EXPECT_FALSE(document_.IsModified());
}

// --- Programs and libraries ------------------------------------------------------------------

// A 32 x 32 image: (0, 0) half-transparent red, (1, 0) transparent, the rest opaque green.
ByteVector Pattern32() {
  CDib image;
  fx::MakeImage(image, 32, 32, [](int x, int y) {
    if (y == 0 && x == 0) return Pixel{0x80FF0000};
    if (y == 0 && x == 1) return Pixel{0};
    return kGreen;
  });
  ByteVector block;
  EXPECT_TRUE(WriteImage32(image, block).ok());
  return block;
}

// Two icon groups (a 32-bit 32 x 32 with a 4-bit 16 x 16, and a 48 x 48 8-bit image whose
// group also names a missing image) and one cursor group with hotspot (3, 4).
std::vector<fx::PeFixtureResource> ProgramResources() {
  using E = fx::GroupFixtureEntry;
  return {
      {kResourceIcon, 1, {}, 0, Pattern32()},
      {kResourceIcon, 2, {}, 0, fx::IconImageBlock(16, 16, 4)},
      {kResourceIcon, 3, {}, 0, fx::IconImageBlock(48, 48, 8)},
      {kResourceCursor, 1, {}, 0, fx::CursorResource(3, 4, fx::IconImageBlock(32, 32, 1))},
      {kResourceIconGroup, 10, {}, 0, fx::GroupData(false, {E{32, 32, 32, 1}, E{16, 16, 4, 2}})},
      {kResourceIconGroup, 11, {}, 0, fx::GroupData(false, {E{48, 48, 8, 3}, E{16, 16, 8, 9}})},
      {kResourceCursorGroup, 20, {}, 0, fx::GroupData(true, {E{32, 64, 1, 1}})},
  };
}

class ObjectLoaderExecutable : public ::testing::Test {
 protected:
  fs::path WriteProgram(const std::string& name, bool pe32Plus = false) {
    fx::WriteAll(dir_ / name, fx::BuildPe(ProgramResources(), {pe32Plus, 0}).bytes);
    return dir_ / name;
  }

  fx::TempDir dir_;
  IconDocument document_;
};

TEST_F(ObjectLoaderExecutable, AnyOtherExtensionListsTheGroupsForChoosing) {
  for (bool pe32Plus : {false, true}) {
    const fs::path path = WriteProgram(pe32Plus ? "prog64.EXE" : "prog.scr", pe32Plus);
    const OpenOutcome outcome = OpenObject(path, true, 3);
    ASSERT_EQ(outcome.action, OpenAction::kChooseObject);
    EXPECT_TRUE(outcome.addToHistories.empty());  // only once a group is opened
    EXPECT_EQ(outcome.objects.Count(), 3);
    EXPECT_FALSE(outcome.objects.FromNe());

    const std::vector<ObjectInfo> list = outcome.objects.List();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].kind, GroupKind::kIcon);
    EXPECT_EQ(list[0].name, ResourceName::Number(10));
    ASSERT_EQ(list[0].images.size(), 2u);
    EXPECT_EQ(list[0].images[1].width, 16);
    EXPECT_EQ(list[0].images[1].format, ColorFormat::k16Colors);
    ASSERT_EQ(list[1].images.size(), 1u);  // the missing image is not offered
    EXPECT_EQ(list[1].images[0].format, ColorFormat::k256Colors);
    EXPECT_EQ(list[2].kind, GroupKind::kCursor);
    EXPECT_EQ(list[2].images[0].height, 32);
    EXPECT_EQ(list[2].images[0].format, ColorFormat::kMono);
  }
}

TEST_F(ObjectLoaderExecutable, PreviewsAreDisplayCopiesOverTheBackground) {
  Result<ExecutableObjects> objects = ExecutableObjects::Read(WriteProgram("prog.dll"));
  ASSERT_TRUE(objects.ok());
  constexpr Pixel kBackground = 0x000000FF;  // blue; the alpha byte is ignored
  const std::vector<ObjectPreview> previews = objects->Previews(0, kBackground);
  ASSERT_EQ(previews.size(), 2u);
  ASSERT_TRUE(previews[0].readable);
  const CDib& p = previews[0].preview;
  EXPECT_EQ(p.GetPixel(0, 0), AlphaOver(0xFF0000FF, 0x80FF0000));
  EXPECT_EQ(p.GetPixel(1, 0), 0xFF0000FFu);
  EXPECT_EQ(p.GetPixel(5, 5), kGreen);
  EXPECT_EQ(previews[0].info.format, ColorFormat::kTrueColorAlpha);

  // The 4-bit image: mask bits 0x5A make pixel 1 of every row transparent, pixel 0 opaque.
  const CDib& q = previews[1].preview;
  EXPECT_EQ(q.GetPixel(0, 3), 0xFF5A5A5Au);
  EXPECT_EQ(q.GetPixel(1, 3), 0xFF0000FFu);
  EXPECT_EQ(previews[1].info.format, ColorFormat::k16Colors);

  EXPECT_TRUE(objects->Previews(3, kBackground).empty());
  EXPECT_TRUE(objects->Previews(-1, kBackground).empty());
}

TEST_F(ObjectLoaderExecutable, AChosenIconGroupOpensWithItsImagesAndFormats) {
  Result<ExecutableObjects> objects = ExecutableObjects::Read(WriteProgram("prog.dll"));
  ASSERT_TRUE(objects.ok());
  OpenOutcome outcome = OpenChosenObject(*objects, 0, false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  EXPECT_EQ(outcome.addToHistories, std::vector<HistoryKind>{HistoryKind::kExecutables});
  ASSERT_EQ(outcome.frames.size(), 2u);
  EXPECT_EQ(outcome.frames[0].image.GetPixel(0, 0), 0x80FF0000u);  // the pixels, not a preview
  EXPECT_EQ(outcome.frames[1].format, ColorFormat::k16Colors);

  Fill(document_, 1);
  ApplyOpenOutcome(outcome, document_);
  EXPECT_EQ(document_.Count(), 2);
  EXPECT_EQ(document_.Kind(), DocumentKind::kIcon);
  EXPECT_EQ(document_.FileName(), objects->Path().string());
}

TEST_F(ObjectLoaderExecutable, AChosenCursorGroupMakesACursorWithItsHotspot) {
  Result<ExecutableObjects> objects = ExecutableObjects::Read(WriteProgram("prog.dll"));
  ASSERT_TRUE(objects.ok());
  OpenOutcome outcome = OpenChosenObject(*objects, 2, false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  ApplyOpenOutcome(outcome, document_);
  EXPECT_EQ(document_.Kind(), DocumentKind::kCursor);
  EXPECT_EQ(document_.GetHotspot(), (Hotspot{3, 4}));
  EXPECT_EQ(document_.Frame(0).format, ColorFormat::kMono);
}

TEST_F(ObjectLoaderExecutable, AChosenGroupIsBoundedByTheRoomLeft) {
  Result<ExecutableObjects> objects = ExecutableObjects::Read(WriteProgram("prog.dll"));
  ASSERT_TRUE(objects.ok());
  EXPECT_EQ(OpenChosenObject(*objects, 0, true, 255).frames.size(), 1u);
  EXPECT_EQ(OpenChosenObject(*objects, 0, false, 255).frames.size(), 2u);
  const OpenOutcome full = OpenChosenObject(*objects, 0, true, 256);
  ASSERT_TRUE(full.message.has_value());
  EXPECT_EQ(full.message->key, "frames_limit");
  EXPECT_EQ(OpenChosenObject(*objects, 7, false, 0).action, OpenAction::kFailed);
}

TEST_F(ObjectLoaderExecutable, AFileWithoutIconOrCursorGroupsHasNoIcons) {
  using E = fx::GroupFixtureEntry;
  fx::WriteAll(dir_ / "bitmaps.dll",
               fx::BuildPe({{kResourceBitmap, 1, {}, 0, ByteVector(40, 1)}}).bytes);
  fx::WriteAll(dir_ / "fonts.fon", fx::BuildNe({{8, 1, {}, ByteVector(64, 2)}}).bytes);
  // A group whose only image is missing lists nothing either.
  fx::WriteAll(dir_ / "hollow.ocx",
               fx::BuildPe({{kResourceIconGroup, 1, {}, 0, fx::GroupData(false, {E{}})}}).bytes);
  fx::WriteAll(dir_ / "notes.txt", ByteVector(300, 'a'));
  for (const char* name : {"bitmaps.dll", "fonts.fon", "hollow.ocx", "notes.txt"}) {
    SCOPED_TRACE(name);
    const OpenOutcome outcome = OpenObject(dir_ / name, false, 0);
    EXPECT_EQ(outcome.action, OpenAction::kFailed);
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->key, "icon_not_found");
    EXPECT_EQ(outcome.message->english, "Sorry, icons not found in this file!");
    EXPECT_EQ(outcome.removeFromHistories, EveryHistory());
  }
  EXPECT_EQ(OpenExecutable(dir_ / "absent.exe").message->key, "file_not_found");
}

TEST_F(ObjectLoaderExecutable, IconLibrariesAreReadAsNeFiles) {
  using E = fx::GroupFixtureEntry;
  const fs::path path = dir_ / "set.icl";
  fx::WriteAll(path, fx::BuildNe({
                                     {14, 1, {}, fx::GroupData(false, {E{32, 32, 8, 1}})},
                                     {3, 1, {}, fx::IconImageBlock(32, 32, 8)},
                                 })
                         .bytes);
  const OpenOutcome outcome = OpenObject(path, false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kChooseObject);
  EXPECT_TRUE(outcome.objects.FromNe());
  ASSERT_EQ(outcome.objects.Count(), 1);
  const OpenOutcome opened = OpenChosenObject(outcome.objects, 0, false, 0);
  ASSERT_EQ(opened.frames.size(), 1u);
  EXPECT_EQ(opened.frames[0].format, ColorFormat::k256Colors);
}

TEST(ObjectLoaderFormats, AGroupImageIsFormattedLikeAnIcoDirectoryEntry) {
  EXPECT_EQ(GroupImageFormat(32, false, 8), ColorFormat::kTrueColorAlpha);  // the entry says
  EXPECT_EQ(GroupImageFormat(4, true, 32), ColorFormat::k16Colors);
  EXPECT_EQ(GroupImageFormat(0, false, 8), ColorFormat::k256Colors);       // unset: the image says
  EXPECT_EQ(GroupImageFormat(0, true, 24), ColorFormat::kTrueColorAlpha);  // unset PNG
  EXPECT_EQ(GroupImageFormat(16, true, 24), ColorFormat::kTrueColor);      // no format: image
  EXPECT_EQ(GroupImageFormat(16, false, 7), ColorFormat::kTrueColorAlpha);
}

TEST(ObjectLoaderFormats, DisplayCopiesAreOpaqueAndLeaveTheSourceAlone) {
  CDib image;
  fx::MakeImage(image, 3, 1, [](int x, int) { return x == 0 ? Pixel{0} : Pixel{0x40102030}; });
  const CDib copy = MakeDisplayCopy(image, 0x12FFFFFF);
  EXPECT_EQ(copy.GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(copy.GetPixel(1, 0), AlphaOver(0xFFFFFFFF, 0x40102030));
  EXPECT_EQ(image.GetPixel(1, 0), 0x40102030u);
  EXPECT_TRUE(MakeDisplayCopy(CDib(), 0).IsEmpty());
}

TEST(ObjectLoaderRobustness, EveryBitFlipAndTruncationOfAProgramListsAndOpensCleanly) {
  const ByteVector program = fx::BuildPe(ProgramResources()).bytes;
  const auto exercise = [](Bytes bytes) {
    const ExecutableObjects objects("mutant.exe", ByteVector(bytes.begin(), bytes.end()));
    for (int i = 0; i < objects.Count(); ++i) {
      for (const ObjectPreview& p : objects.Previews(i, 0)) {
        ASSERT_EQ(p.readable, p.preview.IsLive());
      }
      IconDocument document;
      OpenOutcome outcome = OpenChosenObject(objects, i, false, 0);
      ApplyOpenOutcome(outcome, document);
      ASSERT_LE(document.Count(), IconDocument::kMaxFrames);
    }
  };
  // The headers and tables: the image bytes themselves belong to the decoder's own tests.
  fx::ForEachBitFlip(program, exercise, 0, 0x600);
  fx::ForEachTruncation(program, exercise);
}

}  // namespace
}  // namespace morvane
