// PNG against independent peers: our streams open in Pillow and ImageMagick with the pixels we
// read back, and theirs (every colour type they write, interlaced too) open here with theirs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "format_test_support.h"
#include "formats/png_codec.h"
#include "support/peer_decode.h"
#include "support/peers.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using testing::MakeImage;
using testing::MixedPixel;
using testing::PeerImage;
using testing::VisiblePixels;

#define REQUIRE_PILLOW() \
  if (!testing::HavePillow()) GTEST_SKIP() << "Pillow not installed"
#define REQUIRE_MAGICK() \
  if (!testing::HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed"

// Our decode of a file next to a peer's decode of it.
void ExpectSamePixels(const fs::path& file, const std::vector<PeerImage>& theirs,
                      const char* peer) {
  CDib ours;
  const Result<int> read = LoadPng(testing::ReadAll(file), ours);
  ASSERT_TRUE(read.ok()) << file << ": " << read.status().message();
  ASSERT_EQ(theirs.size(), 1u) << peer << " could not read " << file;
  EXPECT_EQ(theirs[0].width, ours.GetWidth());
  EXPECT_EQ(VisiblePixels(theirs[0]), VisiblePixels(ours)) << peer << ": " << file.filename();
}

// Writes our PNGs at every depth from the same picture.
std::vector<fs::path> WriteOurPngs(const testing::TempDir& dir) {
  CDib image;
  MakeImage(image, 13, 9, MixedPixel);
  std::vector<fs::path> files;
  for (const int depth : {4, 8, 24, 32}) {
    files.push_back(dir / ("ours-" + std::to_string(depth) + ".png"));
    EXPECT_TRUE(SavePngFile(files.back(), image, depth).ok());
  }
  // Large enough for every row filter to be chosen somewhere.
  MakeImage(image, 70, 50, [](int x, int y) {
    if (x < 25) return MakePixel(0xFF, (x * 9) & 0xFF, (y * 5) & 0xFF, (x * y) & 0xFF);
    if (x < 45) return y % 2 == 0 ? 0xFF204060u : 0x80C0A000u;
    return MixedPixel(x, y);
  });
  for (const int depth : {24, 32}) {
    files.push_back(dir / ("filters-" + std::to_string(depth) + ".png"));
    EXPECT_TRUE(SavePngFile(files.back(), image, depth).ok());
  }
  return files;
}

TEST(InteropPng, PillowOpensOurPngsWithTheSamePixels) {
  REQUIRE_PILLOW();
  testing::TempDir dir;
  for (const fs::path& file : WriteOurPngs(dir)) {
    ExpectSamePixels(file, testing::PillowImages(file, dir.path()), "Pillow");
  }
}

TEST(InteropPng, MagickOpensOurPngsWithTheSamePixels) {
  REQUIRE_MAGICK();
  testing::TempDir dir;
  for (const fs::path& file : WriteOurPngs(dir)) {
    ExpectSamePixels(file, testing::MagickImages(file, dir.path()), "ImageMagick");
  }
}

constexpr const char* kPillowPngScript = R"(
import sys
from PIL import Image
out = sys.argv[1]
im = Image.new('RGBA', (11, 7))
for y in range(7):
    for x in range(11):
        a = 0 if (x + y) % 4 == 0 else (100 if x % 3 == 0 else 255)
        im.putpixel((x, y), ((x * 23) % 256, (y * 41) % 256, (x * y * 5) % 256, a))
im.save(out + '/rgba.png')
rgb = im.convert('RGB')
rgb.save(out + '/rgb.png')
rgb.save(out + '/rgb-key.png', transparency=rgb.getpixel((1, 0)))
im.convert('P').save(out + '/p.png')
im.quantize(16).save(out + '/p16.png', bits=4)
im.convert('L').save(out + '/l.png')
im.convert('L').save(out + '/l-key.png', transparency=im.convert('L').getpixel((2, 1)))
im.convert('LA').save(out + '/la.png')
im.convert('1').save(out + '/one.png')
)";

TEST(InteropPng, PngsPillowWritesOpenHereWithPillowsPixels) {
  REQUIRE_PILLOW();
  testing::TempDir dir;
  const fs::path out = dir / "pillow";
  fs::create_directories(out);
  ASSERT_TRUE(testing::RunPython(dir.path(), kPillowPngScript, {out}));
  int count = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    const fs::path work = dir / ("w-" + entry.path().stem().string());
    fs::create_directories(work);
    ExpectSamePixels(entry.path(), testing::PillowImages(entry.path(), work), "Pillow");
    ++count;
  }
  EXPECT_EQ(count, 9);
}

TEST(InteropPng, PngsMagickWritesOpenHereWithMagicksPixels) {
  REQUIRE_MAGICK();
  testing::TempDir dir;
  CDib image;
  MakeImage(image, 21, 14, MixedPixel);
  const fs::path source = dir / "source.png";
  ASSERT_TRUE(SavePngFile(source, image, 32).ok());
  const std::pair<const char*, const char*> variants[] = {
      {"png32", "PNG32:"},
      {"png24", "PNG24:"},
      {"png8", "PNG8:"},
      {"interlaced32", "-interlace PNG PNG32:"},
      {"interlaced8", "-interlace PNG PNG8:"},
      {"grey", "-colorspace Gray PNG:"},
  };
  for (const auto& [name, option] : variants) {
    SCOPED_TRACE(name);
    const std::string spec(option);
    const std::size_t split = spec.rfind(' ');
    const std::string flags = split == std::string::npos ? "" : spec.substr(0, split);
    const std::string prefix = split == std::string::npos ? spec : spec.substr(split + 1);
    const fs::path file = dir / (std::string(name) + ".png");
    ASSERT_TRUE(testing::RunQuiet("convert " + testing::ShellQuote(source) + " " + flags + " " +
                                  prefix + testing::ShellQuote(file)));
    const fs::path work = dir / (std::string("w-") + name);
    fs::create_directories(work);
    ExpectSamePixels(file, testing::MagickImages(file, work), "ImageMagick");
  }
}

}  // namespace
}  // namespace morvane
