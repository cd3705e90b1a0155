// The object loader on files other programs made: icons and cursors against icoutils' icotool,
// animated cursors against their projects' expectations, and the groups of real programs and
// libraries against what wrestool extracts and icotool decodes from the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "format_test_support.h"
#include "formats/object_loader.h"
#include "formats/png_codec.h"
#include "support/icotool_images.h"
#include "support/peer_decode.h"
#include "support/peers.h"
#include "support/wrestool_listing.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
namespace fx = morvane::testing;
using fx::SharedData;

// One image as `icotool -l` lists it.
struct ListedImage {
  int width = 0;
  int height = 0;
  int bits = 0;
  int hotspotX = -1;
  int hotspotY = -1;
};

std::vector<ListedImage> IcotoolList(const fs::path& file) {
  static const std::regex line(
      R"(--(?:icon|cursor) --index=\d+ --width=(\d+) --height=(\d+) --bit-depth=(\d+))"
      R"( --palette-size=\d+(?: --hotspot-x=(\d+) --hotspot-y=(\d+))?)");
  const auto out = fx::RunCapture("icotool -l " + fx::ShellQuote(file));
  std::vector<ListedImage> images;
  if (!out) return images;
  const std::string text(out->begin(), out->end());
  for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    ListedImage image{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
    if (m[4].matched) {
      image.hotspotX = std::stoi(m[4]);
      image.hotspotY = std::stoi(m[5]);
    }
    images.push_back(image);
  }
  return images;
}

// True when two straight-alpha pixels are the same, or differ in colour only as far as a peer
// that stores premultiplied pixels can round them: up to 255 / alpha per channel.
bool SameUpToPremultiplying(Pixel a, Pixel b) {
  if (AlphaOf(a) != AlphaOf(b)) return false;
  if (IsOpaque(a) || IsTransparent(a)) return a == b;
  const int tolerance = static_cast<int>(255 / AlphaOf(a));
  for (int shift : {0, 8, 16}) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || -d > tolerance) return false;
  }
  return true;
}

// Compares visible pixels and reports how many differ and the first that does, instead of
// dumping thousands of values.
void ExpectSamePixels(const std::vector<Pixel>& ours, const std::vector<Pixel>& theirs,
                      bool premultipliedPeer = false) {
  ASSERT_EQ(ours.size(), theirs.size());
  std::size_t differing = 0, first = 0;
  for (std::size_t i = ours.size(); i-- > 0;) {
    const bool same =
        premultipliedPeer ? SameUpToPremultiplying(ours[i], theirs[i]) : ours[i] == theirs[i];
    if (!same) {
      ++differing;
      first = i;
    }
  }
  EXPECT_EQ(differing, 0u) << "first at " << first << ": ours " << std::hex << ours[first]
                           << ", theirs " << theirs[first];
}

// --- Icons and cursors -----------------------------------------------------------------------

class InteropLoaderIcons : public ::testing::TestWithParam<const char*> {};

TEST_P(InteropLoaderIcons, FramesMatchTheImagesIcotoolLists) {
  if (!fx::HaveIcotool()) GTEST_SKIP() << "icoutils' icotool is not installed";
  const fs::path path = SharedData(GetParam());
  if (!fs::exists(path)) GTEST_SKIP() << path << " not present";
  const std::vector<ListedImage> listed = IcotoolList(path);
  ASSERT_FALSE(listed.empty());

  OpenOutcome outcome = OpenObject(path, false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  ASSERT_EQ(outcome.frames.size(), listed.size());
  for (std::size_t i = 0; i < listed.size(); ++i) {
    SCOPED_TRACE("image " + std::to_string(i + 1));
    EXPECT_EQ(outcome.frames[i].image.GetWidth(), listed[i].width);
    EXPECT_EQ(outcome.frames[i].image.GetHeight(), listed[i].height);
    EXPECT_EQ(BitsOf(outcome.frames[i].format), listed[i].bits);
  }
  const bool cursor = path.extension() == ".cur";
  if (cursor) {
    EXPECT_EQ(outcome.hotspot, (Hotspot{listed[0].hotspotX, listed[0].hotspotY}));
  }

  IconDocument document;
  ApplyOpenOutcome(outcome, document);
  EXPECT_EQ(document.Count(), static_cast<int>(listed.size()));
  EXPECT_EQ(document.Kind(), cursor ? DocumentKind::kCursor : DocumentKind::kIcon);
}

INSTANTIATE_TEST_SUITE_P(
    SharedTestData, InteropLoaderIcons,
    ::testing::Values(
        "ico/go-ico/testdata/icon.ico", "ico/go-ico/testdata/cursor.cur",
        "ico/icojs/test-fixtures/images/basic.ico", "ico/icojs/test-fixtures/images/palette.ico",
        "ico/icojs/test-fixtures/images/png.ico", "ico/icojs/test-fixtures/images/cursor.cur",
        "ico/image-rs/images/ico/images/bmp-24bpp-mask.ico",
        "ico/image-rs/images/ico/images/bmp-32bpp-alpha.ico",
        "ico/image-rs/images/ico/images/multiple_entries_with_different_bit_depth.ico",
        "ico/image-rs/images/ico/images/png-32bpp-alpha.ico",
        "ico/image-rs/images/ico/images/png_rgb8.ico", "ico/image-rs/images/ico/images/smile.ico",
        "ico/image-rs/images/ico/images/two-entry-order-test.ico"));

// --- Animated cursors ------------------------------------------------------------------------

TEST(InteropLoaderAni, KdeTestCursorHasItsTitleAuthorRatesAndSequencedFrames) {
  const fs::path dir = SharedData("ani/kimageformats/autotests/ani");
  if (!fs::exists(dir)) GTEST_SKIP() << dir << " not present";
  OpenOutcome outcome = OpenObject(dir / "test.ani", false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  ASSERT_EQ(outcome.frames.size(), 4u);
  EXPECT_EQ(outcome.title, "ANI Test");
  EXPECT_EQ(outcome.author, "KDE Community");
  const int rates[] = {10, 20, 10, 10};
  const char* expected[] = {"test_1.png", "test_2.png", "test_3.png", "test_2.png"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(outcome.frames[i].rate, rates[i]);
    CDib png;
    ASSERT_TRUE(LoadPng(fx::ReadAll(dir / expected[i]), png).ok());
    // The expected frames went through a premultiplied decode.
    ExpectSamePixels(fx::VisiblePixels(outcome.frames[i].image), fx::VisiblePixels(png), true);
  }

  IconDocument document;
  ApplyOpenOutcome(outcome, document);
  EXPECT_EQ(document.Kind(), DocumentKind::kAnimatedCursor);
  EXPECT_EQ(document.Title(), "ANI Test");
  EXPECT_EQ(document.Frame(1).savedRate, 20);
  EXPECT_EQ(document.GetHotspot(), (Hotspot{0, 0}));
}

TEST(InteropLoaderAni, CursorWithoutRateChunkFollowsItsSequenceAtTheDefaultRate) {
  const fs::path path = SharedData("ani/aniFileExtractor/test/test.ani");
  if (!fs::exists(path)) GTEST_SKIP() << path << " not present";
  const OpenOutcome outcome = OpenObject(path, false, 0);
  ASSERT_EQ(outcome.action, OpenAction::kFrames);
  ASSERT_EQ(outcome.frames.size(), 20u);
  // Steps 0..15 alternate stored frames 0 and 1; then 2, 3, 2, 1.
  const int stored[20] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 1};
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(outcome.frames[i].rate, 12);
    const int first = static_cast<int>(std::find(stored, stored + 20, stored[i]) - stored);
    EXPECT_EQ(fx::PixelsOf(outcome.frames[i].image), fx::PixelsOf(outcome.frames[first].image));
  }
  EXPECT_NE(fx::PixelsOf(outcome.frames[0].image), fx::PixelsOf(outcome.frames[1].image));
}

// --- Programs and libraries ------------------------------------------------------------------

class InteropLoaderExecutables : public ::testing::TestWithParam<const char*> {
 protected:
  fs::path Path() const { return SharedData(GetParam()); }

  // The group as wrestool converts it into an icon or cursor file.
  fs::path Extract(const IconGroup& group) const {
    const bool cursor = group.kind == GroupKind::kCursor;
    const fs::path out =
        dir_ / ("group" + std::to_string(group.index) + (cursor ? ".cur" : ".ico"));
    const auto bytes =
        fx::RunCapture("wrestool -x -t " + std::string(cursor ? "12" : "14") + " -n " +
                       fx::ShellQuote(group.name.ToString()) + " " + fx::ShellQuote(Path()));
    EXPECT_TRUE(bytes.has_value());
    fx::WriteAll(out, bytes.value_or(std::vector<std::uint8_t>{}));
    return out;
  }

  fx::TempDir dir_;
};

TEST_P(InteropLoaderExecutables, EveryGroupOpensWithTheImagesIcoutilsExtract) {
  if (!fx::HaveWrestool() || !fx::HaveIcotool()) GTEST_SKIP() << "icoutils missing";
  if (!fs::exists(Path())) GTEST_SKIP() << Path() << " not present";
  const OpenOutcome listing = OpenObject(Path(), false, 0);
  ASSERT_EQ(listing.action, OpenAction::kChooseObject);
  const ExecutableObjects& objects = listing.objects;

  const auto text = fx::RunCapture("wrestool -l " + fx::ShellQuote(Path()));
  ASSERT_TRUE(text);
  int groups = 0;
  for (const auto& e : fx::ParseWrestoolListing(std::string(text->begin(), text->end()))) {
    groups += e.type == "14" || e.type == "12";
  }
  EXPECT_EQ(objects.Count(), groups);

  for (const IconGroup& group : objects.Groups().groups) {
    SCOPED_TRACE("group " + group.name.ToString());
    OpenOutcome opened = OpenChosenObject(objects, group.index, false, 0);
    ASSERT_EQ(opened.action, OpenAction::kFrames);
    const fs::path extracted = Extract(group);
    const std::vector<ListedImage> listed = IcotoolList(extracted);
    const auto bytes = fx::ReadAll(extracted);
    ASSERT_EQ(opened.frames.size(), group.images.size());
    if (group.kind == GroupKind::kCursor) {
      // icotool refuses these cursor files (their sizes count the hotspot); their directory
      // still gives each image's size and the hotspot.
      ASSERT_GE(bytes.size(), 6 + 16 * opened.frames.size());
      EXPECT_EQ(opened.hotspot, (Hotspot{*LoadU16(bytes, 10), *LoadU16(bytes, 12)}));
      for (std::size_t k = 0; k < opened.frames.size(); ++k) {
        EXPECT_EQ(opened.frames[k].image.GetWidth() & 0xFF, bytes[6 + 16 * k]);
      }
      continue;
    }
    ASSERT_EQ(opened.frames.size(), listed.size());
    const auto peer = fx::IcotoolImages(extracted, dir_ / (extracted.stem().string() + "-images"));
    ASSERT_EQ(peer.size(), listed.size()) << "icotool extracts every image";
    for (std::size_t k = 0; k < listed.size(); ++k) {
      SCOPED_TRACE("image " + std::to_string(k + 1));
      const LoadedFrame& frame = opened.frames[k];
      EXPECT_EQ(frame.image.GetWidth(), listed[k].width);
      EXPECT_EQ(frame.image.GetHeight(), listed[k].height);
      // The format follows the entry's bit count, as in an icon file's directory; icotool
      // reports a PNG stream's own depth instead.
      EXPECT_EQ(BitsOf(frame.format), *LoadU16(bytes, 6 + 16 * k + 6));
      if (!group.images[k].isPng) {
        EXPECT_EQ(BitsOf(frame.format), listed[k].bits);
      }
      ExpectSamePixels(fx::VisiblePixels(frame.image), fx::VisiblePixels(peer[k]));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    SharedTestData, InteropLoaderExecutables,
    ::testing::Values("pe/wine64/notepad.exe", "pe/wine64/regedit.exe", "pe/wine64/wordpad.exe",
                      "pe/wine64/user32.dll", "pe/nsis/Stubs/zlib-x86-ansi",
                      "pe/nsis/Stubs/zlib-amd64-unicode", "pe/nsis/Stubs/lzma_solid-x86-unicode",
                      "pe/nsis/Stubs/bzip2-amd64-unicode", "pe/nsis/Stubs/lzma-x86-unicode"));

TEST(InteropLoaderNe, FontLibrariesHoldNoIcons) {
  const fs::path dir = SharedData("ne/wine-fonts");
  if (!fs::exists(dir)) GTEST_SKIP() << dir << " not present";
  int fonts = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".fon") continue;
    SCOPED_TRACE(entry.path().string());
    ++fonts;
    const OpenOutcome outcome = OpenObject(entry.path(), false, 0);
    EXPECT_EQ(outcome.action, OpenAction::kFailed);
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->key, "icon_not_found");
  }
  EXPECT_EQ(fonts, 6);
}

}  // namespace
}  // namespace morvane
