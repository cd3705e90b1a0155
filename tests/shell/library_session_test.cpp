#include "shell/library_session.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "formats/icl_reader.h"
#include "support/files.h"
#include "support/icotool_images.h"
#include "support/peers.h"
#include "support/temp_dir.h"
#include "support/wrestool_listing.h"

namespace morvane {
namespace {

namespace fx = morvane::testing;

// Answers questions from a script and records what was asked and done.
class ScriptedPrompts : public LibraryPrompts {
 public:
  std::deque<PromptAnswer> answers;
  std::vector<std::string> asked;
  bool saveLibraryResult = true;
  bool saveDocumentResult = true;
  int librarySaves = 0;
  int documentSaves = 0;
  int errors = 0;

  PromptAnswer Ask(std::string_view key) override {
    asked.emplace_back(key);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question " << key;
      return PromptAnswer::kCancel;
    }
    const PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool SaveDocument() override {
    ++documentSaves;
    return saveDocumentResult;
  }
  bool SaveLibrary() override {
    ++librarySaves;
    return saveLibraryResult;
  }
  void ShowError(const Status&) override { ++errors; }
};

// An ICL library of `groups` groups, group g holding one (16 + g % 8)-pixel image of colour g.
IconLibrary MakeLibrary(int groups) {
  IconLibrary library;
  library.groupCount = groups;
  for (int g = 0; g < groups; ++g) {
    LibraryImage image;
    const int side = 16 + g % 8;
    image.pixels.Create(side, side);
    image.pixels.Fill(0xFF000000 | static_cast<Pixel>(g * 977));
    image.width = image.height = side;
    image.bits = 32;
    image.group = g;
    library.images.push_back(std::move(image));
  }
  return library;
}

LibraryWriteOptions Options() {
  return {};
}

void Paint(IconDocument& doc, Pixel colour) {
  if (doc.Count() == 0) doc.New(DocumentKind::kIcon);
  doc.Frame(0).image.Fill(colour);
  doc.SetModified(true);
}

TEST(LibrarySession, OpeningAGroupLinksTheDocumentUntilItIsReplaced) {
  LibrarySession session;
  IconDocument doc;
  ASSERT_TRUE(session.Take(MakeLibrary(3)));
  EXPECT_EQ(session.CurrentGroup(), -1);
  EXPECT_FALSE(session.IsLinked(doc));
  // With no current group nothing is written back.
  Paint(doc, 0xFF123456);
  ASSERT_TRUE(session.WriteBack(doc, Options()).ok());
  EXPECT_FALSE(session.Library().modified);

  ASSERT_EQ(session.OpenGroup(1, doc), LibraryEditStatus::kOk);
  EXPECT_TRUE(session.IsLinked(doc));
  EXPECT_EQ(doc.Count(), 1);
  EXPECT_EQ(doc.Frame(0).image.GetWidth(), 17);
  EXPECT_FALSE(doc.IsModified());

  // A new document replaces the group's: saving the library must not write it into group 1.
  doc.New(DocumentKind::kIcon);
  Paint(doc, 0xFFABCDEF);
  EXPECT_FALSE(session.IsLinked(doc));
  ASSERT_TRUE(session.WriteBack(doc, Options()).ok());
  EXPECT_EQ(session.Library().images[1].pixels.GetPixel(0, 0), 0xFF000000u | 977u);
  EXPECT_FALSE(session.Library().modified);

  // An object opened from the library's own file is no group either.
  ASSERT_EQ(session.OpenGroup(1, doc), LibraryEditStatus::kOk);
  session.DocumentReplaced();
  EXPECT_FALSE(session.IsLinked(doc));

  ASSERT_EQ(session.OpenGroup(2, doc), LibraryEditStatus::kOk);
  Paint(doc, 0xFF00FF00);
  ASSERT_TRUE(session.WriteBack(doc, Options()).ok());
  EXPECT_EQ(session.Library().images[2].pixels.GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_TRUE(session.Library().modified);
  EXPECT_FALSE(doc.IsModified());
}

TEST(LibrarySession, DeletingRenumbersAndMovesTheEditorAsTheGroupsMove) {
  LibrarySession session;
  IconDocument doc;
  ASSERT_TRUE(session.Take(MakeLibrary(4)));
  ASSERT_EQ(session.OpenGroup(3, doc), LibraryEditStatus::kOk);
  // Deleting group 2 of 4 (index 1): the open group 4 becomes group 3, still linked.
  ASSERT_EQ(session.DeleteGroup(1, doc), LibraryEditStatus::kOk);
  EXPECT_EQ(session.Library().groupCount, 3);
  EXPECT_EQ(session.CurrentGroup(), 2);
  EXPECT_TRUE(session.IsLinked(doc));
  EXPECT_TRUE(session.Library().modified);
  // Deleting the open group opens the first.
  ASSERT_EQ(session.DeleteGroup(2, doc), LibraryEditStatus::kOk);
  EXPECT_EQ(session.CurrentGroup(), 0);
  EXPECT_EQ(doc.Frame(0).image.GetWidth(), 16);
  ASSERT_EQ(session.DeleteGroup(1, doc), LibraryEditStatus::kOk);
  EXPECT_EQ(session.DeleteGroup(0, doc), LibraryEditStatus::kLastGroup);
}

TEST(LibrarySession, NewLibraryTakesTheDocumentAsGroupZero) {
  LibrarySession session;
  IconDocument doc;
  doc.RemoveAllFrames();
  doc.AddFrame(32, 32, ColorFormat::kTrueColorAlpha, nullptr, false);
  doc.AddFrame(16, 16, ColorFormat::k256Colors, nullptr, false);
  ASSERT_TRUE(session.StartNew(doc, Options(), 0xFFFFFF).ok());
  EXPECT_TRUE(session.IsNew());
  EXPECT_EQ(session.Library().groupCount, 1);
  ASSERT_EQ(session.Library().GroupImages(0).size(), 2u);
  EXPECT_EQ(session.Library().images[1].bits, 8);
  EXPECT_TRUE(session.Library().modified);
  EXPECT_EQ(session.CurrentGroup(), 0);
  EXPECT_TRUE(session.IsLinked(doc));
  EXPECT_EQ(doc.FileName(), kNewLibraryName);
  EXPECT_GE(session.AddGroup(0xFFFFFF, doc), 0);
  EXPECT_EQ(session.CurrentGroup(), 1);
  EXPECT_EQ(doc.Frame(0).image.GetWidth(), 48);
}

TEST(LibrarySession, QuestionsBeforeLeavingAndAFailedSaveCancelsTheAction) {
  LibrarySession session;
  IconDocument doc;
  ScriptedPrompts prompts;
  // Nothing modified: nothing asked.
  ASSERT_TRUE(session.Take(MakeLibrary(2)));
  ASSERT_EQ(session.OpenGroup(0, doc), LibraryEditStatus::kOk);
  EXPECT_TRUE(session.ConfirmLeave(doc, prompts, Options(), true));
  EXPECT_TRUE(prompts.asked.empty());

  session.Library().modified = true;
  prompts.answers = {PromptAnswer::kCancel};
  EXPECT_FALSE(session.ConfirmLeave(doc, prompts, Options(), true));
  prompts.answers = {PromptAnswer::kNo};
  EXPECT_TRUE(session.ConfirmLeave(doc, prompts, Options(), true));
  // Yes, but the save fails or is cancelled: the action stops and the model stays modified.
  prompts.answers = {PromptAnswer::kYes};
  prompts.saveLibraryResult = false;
  EXPECT_FALSE(session.ConfirmLeave(doc, prompts, Options(), true));
  EXPECT_TRUE(session.Library().modified);
  EXPECT_EQ(prompts.librarySaves, 1);

  // A modified group of an ICL library: asked whether it goes back, then saved.
  prompts = ScriptedPrompts();
  session.Library().modified = false;
  Paint(doc, 0xFF0000FF);
  prompts.answers = {PromptAnswer::kYes, PromptAnswer::kYes};
  EXPECT_TRUE(session.ConfirmLeave(doc, prompts, Options(), true));
  EXPECT_EQ(prompts.asked, (std::vector<std::string>{"save_lib", "update_lib_save"}));
  EXPECT_EQ(session.Library().images[0].pixels.GetPixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(prompts.librarySaves, 1);

  // An unrelated modified document is offered for saving before a library replaces it.
  prompts = ScriptedPrompts();
  doc.New(DocumentKind::kIcon);
  Paint(doc, 0xFF00FF00);
  session.Library().modified = false;
  prompts.answers = {PromptAnswer::kYes};
  prompts.saveDocumentResult = false;
  EXPECT_FALSE(session.ConfirmLeave(doc, prompts, Options(), true));
  EXPECT_EQ(prompts.asked, (std::vector<std::string>{"save_icon"}));
  // When the action keeps the document (a new library takes it), it is not asked about.
  prompts = ScriptedPrompts();
  EXPECT_TRUE(session.ConfirmLeave(doc, prompts, Options(), false));
  EXPECT_TRUE(prompts.asked.empty());
}

TEST(LibrarySession, ActivatingAGroupAsksAboutTheEditedOne) {
  LibrarySession session;
  IconDocument doc;
  ScriptedPrompts prompts;
  ASSERT_TRUE(session.Take(MakeLibrary(3)));
  ASSERT_EQ(session.OpenGroup(0, doc), LibraryEditStatus::kOk);
  Paint(doc, 0xFF0000FF);
  prompts.answers = {PromptAnswer::kCancel};
  EXPECT_FALSE(session.ActivateGroup(2, doc, prompts, Options()));
  EXPECT_EQ(session.CurrentGroup(), 0);
  prompts.answers = {PromptAnswer::kYes};
  EXPECT_TRUE(session.ActivateGroup(2, doc, prompts, Options()));
  EXPECT_EQ(prompts.asked.back(), "update_lib");
  EXPECT_EQ(session.Library().images[0].pixels.GetPixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(session.CurrentGroup(), 2);
  EXPECT_EQ(doc.Frame(0).image.GetWidth(), 18);
}

TEST(LibrarySession, NothingChangesOrClosesTheLibraryWhileItSaves) {
  fx::TempDir dir;
  LibrarySession session;
  IconDocument doc;
  ScriptedPrompts prompts;
  ASSERT_TRUE(session.Take(MakeLibrary(3)));
  ASSERT_EQ(session.OpenGroup(0, doc), LibraryEditStatus::kOk);
  int calls = 0;
  const Status saved = session.Save(dir / "x.icl", doc, {}, [&](int, int) {
    ++calls;
    EXPECT_TRUE(session.Busy());
    EXPECT_FALSE(session.Take(MakeLibrary(1)));
    EXPECT_EQ(session.AddGroup(0, doc), -1);
    EXPECT_NE(session.DeleteGroup(1, doc), LibraryEditStatus::kOk);
    EXPECT_NE(session.OpenGroup(1, doc), LibraryEditStatus::kOk);
    EXPECT_FALSE(session.Save(dir / "y.icl", doc, {}).ok());
    EXPECT_FALSE(session.ConfirmLeave(doc, prompts, Options(), true));
    EXPECT_FALSE(session.ActivateGroup(1, doc, prompts, Options()));
    session.Close();
    EXPECT_TRUE(session.IsOpen());
    return true;
  });
  ASSERT_TRUE(saved.ok()) << saved.message();
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(session.Busy());
  EXPECT_FALSE(session.Library().modified);
  // The document follows the library to its new name.
  EXPECT_TRUE(session.IsLinked(doc));
  EXPECT_EQ(doc.FileName(), (dir / "x.icl").string());

  session.Library().modified = true;
  const Status cancelled = session.Save(dir / "z.icl", doc, {}, [](int, int) { return false; });
  EXPECT_FALSE(cancelled.ok());
  EXPECT_TRUE(session.Library().modified);
  EXPECT_EQ(session.Library().path, dir / "x.icl");
  EXPECT_FALSE(std::filesystem::exists(dir / "z.icl"));
}

TEST(LibrarySessionInterop, ThreeHundredGroupsSaveReopenAndListInWrestool) {
  fx::TempDir dir;
  LibrarySession session;
  IconDocument doc;
  ASSERT_TRUE(session.Take(MakeLibrary(300)));
  ASSERT_TRUE(session.Save(dir / "big.icl", doc, {}).ok());

  IconLibrary read;
  ASSERT_EQ(ReadLibrary(dir / "big.icl", read).groups, 300);
  ASSERT_EQ(read.images.size(), 300u);
  for (int g : {0, 151, 299}) {
    const LibraryImage& image = read.images[static_cast<std::size_t>(g)];
    EXPECT_EQ(image.group, g);
    EXPECT_EQ(image.width, 16 + g % 8);
    EXPECT_EQ(image.pixels.GetPixel(3, 3), 0xFF000000u | static_cast<Pixel>(g * 977));
  }
  if (!fx::HaveWrestool()) GTEST_SKIP() << "wrestool not available";
  const auto groups = fx::ParseWrestoolListing(
      fx::CaptureText("wrestool -l --type=14 " + fx::ShellQuote(dir / "big.icl")));
  ASSERT_EQ(groups.size(), 300u);
  EXPECT_EQ(groups.front().name, "129");
  EXPECT_EQ(groups.back().name, "428");
  const auto icons = fx::ParseWrestoolListing(
      fx::CaptureText("wrestool -l --type=3 " + fx::ShellQuote(dir / "big.icl")));
  EXPECT_EQ(icons.size(), 300u);
  // The last group comes out of wrestool as an icon file with its image.
  ASSERT_TRUE(fx::RunQuiet("wrestool -x --type=14 --name=428 -o " +
                           fx::ShellQuote(dir / "last.ico") + " " +
                           fx::ShellQuote(dir / "big.icl")));
  const auto images = fx::IcotoolImages(dir / "last.ico", dir / "last");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].width, 16 + 299 % 8);
  EXPECT_EQ(images[0].At(2, 2), 0xFF000000u | static_cast<Pixel>(299 * 977));
}

TEST(LibrarySessionInterop, WritesAGroupBackIntoACopyOfARealProgram) {
  if (!fx::HaveWrestool()) GTEST_SKIP() << "wrestool not available";
  const std::filesystem::path original =
      std::filesystem::path(MORVANE_TESTDATA_DIR) / "pe" / "wine64" / "notepad.exe";
  if (!std::filesystem::exists(original)) GTEST_SKIP() << "no test program";
  fx::TempDir dir;
  const auto copy = dir / "notepad.exe";
  std::filesystem::copy_file(original, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  const std::string listBefore = fx::CaptureText("wrestool -l " + fx::ShellQuote(copy));
  ASSERT_FALSE(listBefore.empty());

  IconLibrary library;
  ASSERT_GT(ReadLibrary(copy, library).groups, 0);
  EXPECT_FALSE(library.isIcl);
  LibrarySession session;
  IconDocument doc;
  ASSERT_TRUE(session.Take(std::move(library)));
  ASSERT_EQ(session.OpenGroup(0, doc), LibraryEditStatus::kOk);
  // Mark the 32 x 32 true-colour-with-alpha image with an opaque red square.
  const int target = doc.FindFrame(32, 32, ColorFormat::kTrueColorAlpha);
  ASSERT_GE(target, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) doc.Frame(target).image.SetPixel(x, y, 0xFFFF0000);
  doc.SetModified(true);
  const std::vector<std::uint8_t> before = fx::ReadAll(copy);
  const Status written = session.WriteBack(doc, Options());
  ASSERT_TRUE(written.ok()) << written.message();
  const std::vector<std::uint8_t> after = fx::ReadAll(copy);

  // Same size, same resource listing, and wrestool extracts the changed image.
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(fx::CaptureText("wrestool -l " + fx::ShellQuote(copy)), listBefore);
  EXPECT_NE(after, before);
  const auto groups =
      fx::ParseWrestoolListing(fx::CaptureText("wrestool -l --type=14 " + fx::ShellQuote(copy)));
  ASSERT_FALSE(groups.empty());
  ASSERT_TRUE(fx::RunQuiet("wrestool -x --type=14 --name=" + groups[0].name + " -o " +
                           fx::ShellQuote(dir / "g.ico") + " " + fx::ShellQuote(copy)));
  const auto images = fx::IcotoolImages(dir / "g.ico", dir / "g");
  const fx::PeerImage* image = fx::FindBySize(images, 32, 32);
  ASSERT_NE(image, nullptr);
  bool foundRed = false;
  for (const fx::PeerImage& i : images) {
    if (i.width == 32 && i.At(3, 3) == 0xFFFF0000u && i.At(7, 7) == 0xFFFF0000u) foundRed = true;
  }
  EXPECT_TRUE(foundRed);

  // Another program changes the file: the next write-back is refused and the file kept.
  fx::WriteAll(copy, before);
  Paint(doc, 0xFF00FF00);
  EXPECT_EQ(session.WriteBack(doc, Options()).code(), ErrorCode::kChangedOnDisk);
  EXPECT_EQ(fx::ReadAll(copy), before);
}

}  // namespace
}  // namespace morvane
