// Icons and cursors against independent peers: what we write opens in Pillow, ImageMagick and
// icotool with the pixels we read back ourselves, and what Pillow and icotool write opens here
// with the pixels they read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "support/icotool_images.h"
#include "support/peer_decode.h"
#include "support/peers.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using testing::FindBySize;
using testing::MakeImage;
using testing::MixedPixel;
using testing::PeerImage;
using testing::VisiblePixels;

Pixel BlackWhite(int x, int y) {
  if ((x + y) % 6 == 0) return 0;
  return (x * y) % 3 == 0 ? 0xFFFFFFFF : 0xFF000000;
}

Pixel SystemColours(int x, int y) {
  static const Pixel colours[] = {0xFF800000, 0xFF008080, 0xFFFFFF00, 0xFFC0C0C0, 0xFF0000FF};
  return (x + 2 * y) % 7 == 0 ? 0 : colours[(x + y) % 5];
}

// An icon with every colour format at odd sizes (all different, so peers' images can be
// matched by size whatever order they list them in), plus a 256 x 256 PNG frame.
class OurIcon {
 public:
  // trueColourWidth: icotool addresses 24-bit rows as whole pixels (row bytes * 8 / 24), so it
  // misplaces rows padded by 1 or 2 bytes (widths 45, 46, 17...); it is given width 47.
  explicit OurIcon(int trueColourWidth = 45) {
    MakeImage(images_[0], 17, 17, BlackWhite);
    MakeImage(images_[1], 23, 21, SystemColours);
    MakeImage(images_[2], 31, 31, MixedPixel);
    MakeImage(images_[3], trueColourWidth, 40, MixedPixel);
    MakeImage(images_[4], 20, 20, MixedPixel);
    MakeImage(images_[5], 256, 256, MixedPixel);
    const int formats[] = {1, 4, 8, 24, 32, 32};
    for (int i = 0; i < 6; ++i) frames_.push_back({&images_[i], formats[i]});
  }

  // Writes the file and reads it back: what every peer must see.
  void Save(const fs::path& path, int hotspotX = -1, int hotspotY = -1) {
    ASSERT_TRUE(WriteIconFile(path, frames_, hotspotX, hotspotY).ok());
    auto read = ReadIconFile(path);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read->frames.size(), frames_.size());
    decoded_ = std::move(read->frames);
  }
  const std::vector<IconFrame>& Decoded() const { return decoded_; }

 private:
  CDib images_[6];
  std::vector<IconFrameRef> frames_;
  std::vector<IconFrame> decoded_;
};

void ExpectPeerSeesOurFrames(const std::vector<IconFrame>& ours,
                             const std::vector<PeerImage>& theirs, const char* peer) {
  ASSERT_EQ(theirs.size(), ours.size()) << peer;
  for (const IconFrame& f : ours) {
    const int w = f.image.GetWidth(), h = f.image.GetHeight();
    const PeerImage* match = FindBySize(theirs, w, h);
    ASSERT_NE(match, nullptr) << peer << " has no " << w << "x" << h << " image";
    EXPECT_EQ(VisiblePixels(*match), VisiblePixels(f.image)) << peer << ", format " << f.format;
  }
}

#define REQUIRE_PILLOW() \
  if (!testing::HavePillow()) GTEST_SKIP() << "Pillow not installed"
#define REQUIRE_ICOTOOL() \
  if (!testing::HaveIcotool()) GTEST_SKIP() << "icotool not installed"

TEST(InteropIco, PillowOpensOurIconWithTheSamePixels) {
  REQUIRE_PILLOW();
  testing::TempDir dir;
  OurIcon icon;
  icon.Save(dir / "ours.ico");
  ExpectPeerSeesOurFrames(icon.Decoded(), testing::PillowImages(dir / "ours.ico", dir.path()),
                          "Pillow");
}

TEST(InteropIco, MagickOpensOurIconWithTheSamePixels) {
  if (!testing::HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  testing::TempDir dir;
  OurIcon icon;
  icon.Save(dir / "ours.ico");
  ExpectPeerSeesOurFrames(icon.Decoded(), testing::MagickImages(dir / "ours.ico", dir.path()),
                          "ImageMagick");
}

TEST(InteropIco, IcotoolExtractsOurIconAndCursorWithTheSamePixels) {
  REQUIRE_ICOTOOL();
  testing::TempDir dir;
  OurIcon icon(47);
  icon.Save(dir / "ours.ico");
  ExpectPeerSeesOurFrames(icon.Decoded(), testing::IcotoolImages(dir / "ours.ico", dir / "ico"),
                          "icotool");

  OurIcon cursor(47);
  cursor.Save(dir / "ours.cur", 5, 7);
  ExpectPeerSeesOurFrames(cursor.Decoded(), testing::IcotoolImages(dir / "ours.cur", dir / "cur"),
                          "icotool");
  ASSERT_TRUE(
      testing::RunToFile("icotool -l " + testing::ShellQuote(dir / "ours.cur"), dir / "list.txt"));
  const std::string listing = testing::ReadText(dir / "list.txt");
  EXPECT_NE(listing.find("--hotspot-x=5 --hotspot-y=7"), std::string::npos) << listing;
}

TEST(InteropIco, PillowOpensOurOneImageCursor) {
  REQUIRE_PILLOW();
  testing::TempDir dir;
  CDib image;
  MakeImage(image, 32, 32, MixedPixel);
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(WriteOneImageIconFile(file, image, 32, 3, 4).ok());
  testing::WriteAll(dir / "one.cur", file);
  const auto theirs = testing::PillowImages(dir / "one.cur", dir.path());
  ASSERT_EQ(theirs.size(), 1u);
  auto ours = ReadIconFile(file);
  ASSERT_TRUE(ours.ok());
  EXPECT_EQ(VisiblePixels(theirs[0]), VisiblePixels(ours->frames[0].image));
}

// A picture script for Pillow: 'RGBA' images of the given sizes with hard and soft edges.
constexpr const char* kPillowIconScript = R"(
import sys
from PIL import Image
out, fmt = sys.argv[1], sys.argv[2]
def picture(w, h, mode):
    im = Image.new('RGBA', (w, h))
    for y in range(h):
        for x in range(w):
            a = 0 if (x + y) % 5 == 0 else (128 if (x * y) % 7 == 1 else 255)
            im.putpixel((x, y), ((x * 40) % 256, (y * 30) % 256, (x * y) % 256, a))
    return im if mode == 'RGBA' else im.convert(mode)
sizes = [(16, 16), (24, 24), (32, 32), (48, 48), (256, 256)]
frames = [picture(w, h, 'RGBA') for (w, h) in sizes]
frames[1] = picture(24, 24, 'RGB')
frames[2] = picture(32, 32, 'P')
big = frames[-1]
big.save(out, format='ICO', sizes=sizes, append_images=frames[:-1], bitmap_format=fmt)
)";

TEST(InteropIco, IconsPillowWritesOpenHereWithPillowsPixels) {
  REQUIRE_PILLOW();
  for (const char* format : {"png", "bmp"}) {
    SCOPED_TRACE(format);
    testing::TempDir dir;
    const fs::path file = dir / (std::string("pillow-") + format + ".ico");
    ASSERT_TRUE(testing::RunPython(dir.path(), kPillowIconScript, {file, format}));
    auto ours = ReadIconFile(file);
    ASSERT_TRUE(ours.ok()) << ours.status().message();
    ExpectPeerSeesOurFrames(ours->frames, testing::PillowImages(file, dir.path()), "Pillow");
  }
}

TEST(InteropIco, IconsIcotoolCreatesOpenHereWithTheirPixels) {
  REQUIRE_ICOTOOL();
  testing::TempDir dir;
  // Sources written by our PNG encoder, each with content its bit depth holds.
  struct Source {
    const char* name;
    int size;
    Pixel (*fn)(int, int);
    int bits;
  };
  const Source sources[] = {
      {"a", 19, MixedPixel, 32}, {"b", 22, SystemColours, 8}, {"c", 27, SystemColours, 4},
      {"d", 30, BlackWhite, 1},  {"e", 256, MixedPixel, 32},
  };
  for (const Source& s : sources) {
    SCOPED_TRACE(s.name);
    CDib image;
    MakeImage(image, s.size, s.size, s.fn);
    const fs::path png = dir / (std::string(s.name) + ".png");
    ASSERT_TRUE(SavePngFile(png, image, 32).ok());
    for (const bool cursor : {false, true}) {
      const fs::path ico = dir / (std::string(s.name) + (cursor ? ".cur" : ".ico"));
      const std::string kind = cursor ? " --cursor -X 2 -Y 9" : "";
      ASSERT_TRUE(testing::RunQuiet("icotool -c -b " + std::to_string(s.bits) + kind + " -o " +
                                    testing::ShellQuote(ico) + " " + testing::ShellQuote(png)));
      auto ours = ReadIconFile(ico);
      ASSERT_TRUE(ours.ok()) << ours.status().message();
      ASSERT_EQ(ours->frames.size(), 1u);
      EXPECT_EQ(ours->frames[0].format, s.bits);
      if (cursor) {
        EXPECT_EQ(ours->hotspotX, 2);
        EXPECT_EQ(ours->hotspotY, 9);
      }
      const auto theirs = testing::IcotoolImages(ico, dir / (ico.filename().string() + "-x"));
      ExpectPeerSeesOurFrames(ours->frames, theirs, "icotool");
      if (s.bits == 32) {
        EXPECT_EQ(VisiblePixels(ours->frames[0].image), VisiblePixels(image));
      }
    }
  }
}

}  // namespace
}  // namespace morvane
