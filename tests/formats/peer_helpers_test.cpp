// The shared helpers that run peer tools: what a test hands a tool must reach it unchanged,
// whatever a path holds, and a peer's decode must be the picture, not an earlier leftover.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "support/peer_decode.h"
#include "support/peers.h"

namespace morvane::testing {
namespace {

TEST(InteropPeerHelpers, QuotedWordsReachTheCommandUnchanged) {
  for (const std::string text :
       {"plain", "with space", "it's", "'", "a''b", "$HOME `id` \"q\" \\ * ; |", ""}) {
    EXPECT_EQ(CaptureText("printf %s " + ShellQuote(text)), text);
  }
  EXPECT_EQ(CaptureText("printf %s " + ShellQuote(std::filesystem::path("/a b/c'd"))), "/a b/c'd");
}

TEST(InteropPeerHelpers, FailuresAreReportedAndTheCommandsOwnRedirectionsHold) {
  EXPECT_FALSE(RunCapture("exit 3"));
  EXPECT_FALSE(RunQuiet("exit 1"));
  EXPECT_TRUE(RunQuiet("true"));
  TempDir dir;
  const auto err = dir / "it's err.txt";
  // A wrapper that added its own "2>/dev/null" after this one would leave the file empty.
  EXPECT_EQ(CaptureText("sh -c 'echo out; echo oops >&2' 2>" + ShellQuote(err)), "out\n");
  EXPECT_EQ(ReadText(err), "oops\n");
  EXPECT_TRUE(RunQuiet("sh -c 'echo again >&2' 2>" + ShellQuote(err)));
  EXPECT_EQ(ReadText(err), "again\n");
  ASSERT_TRUE(RunToFile("printf 'a b'", dir / "out file"));
  EXPECT_EQ(ReadText(dir / "out file"), "a b");
}

TEST(TempDir, EachFolderIsFreshAndItsOwnAndGoesAway) {
  std::filesystem::path first;
  {
    TempDir a;
    TempDir b;
    first = a.path();
    WriteText(a / "kept.txt", "a");
    EXPECT_NE(a.path(), b.path());
    EXPECT_TRUE(std::filesystem::exists(a / "kept.txt")) << "making b leaves a alone";
    EXPECT_TRUE(std::filesystem::is_empty(b.path()));
  }
  EXPECT_FALSE(std::filesystem::exists(first));
}

// An icon whose name needs quoting: every entry in Pillow's and ImageMagick's decode, each
// call seeing only its own file.
TEST(InteropPeerHelpers, PeersDecodeEveryImageOfAFileWithAnAwkwardName) {
  if (!HavePillow() || !HaveImageMagick()) GTEST_SKIP() << "Pillow or ImageMagick missing";
  TempDir dir;
  CDib big, small;
  MakeImage(big, 24, 24, MixedPixel);
  MakeImage(small, 16, 16, [](int x, int y) { return MixedPixel(y, x); });
  const std::vector<IconFrameRef> frames = {{&big, 32}, {&small, 32}};
  const auto icon = dir / "it's an icon $x.ico";
  ASSERT_TRUE(WriteIconFile(icon, frames, -1, -1).ok());

  for (const auto& images : {PillowImages(icon, dir.path()), MagickImages(icon, dir.path())}) {
    ASSERT_EQ(images.size(), 2u);
    for (const CDib* ours : {&big, &small}) {
      const PeerImage* theirs = FindBySize(images, ours->GetWidth(), ours->GetHeight());
      ASSERT_NE(theirs, nullptr);
      EXPECT_EQ(VisiblePixels(*theirs), VisiblePixels(*ours));
    }
  }
  // The default picture: Pillow opens an icon at its largest entry, ImageMagick at its first.
  const auto pillow = PillowPicture(icon, dir.path());
  ASSERT_TRUE(pillow);
  EXPECT_EQ(pillow->width, 24);
  const auto magick = MagickPicture(icon, dir.path());
  ASSERT_TRUE(magick);
  EXPECT_EQ(magick->width, 24);

  // A file the peers cannot read gives nothing, not the icon decoded before.
  const auto junk = dir / "junk.png";
  WriteText(junk, "not a picture");
  EXPECT_TRUE(PillowImages(junk, dir.path()).empty());
  EXPECT_FALSE(PillowPicture(junk, dir.path()));
  EXPECT_TRUE(MagickImages(junk, dir.path()).empty());
}

}  // namespace
}  // namespace morvane::testing
