// Interoperability of the GIF, BMP and JPEG codecs with independent peers: what we write opens
// in Pillow and ImageMagick with the same pixels (within JPEG's loss), and what they write
// opens here with the pixels they decode themselves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "format_test_support.h"
#include "formats/bmp_codec.h"
#include "formats/gif_codec.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_file.h"
#include "support/peer_decode.h"
#include "support/peers.h"

namespace morvane {
namespace {

using testing::MagickPicture;
using testing::MakeImage;
using testing::PeerImage;
using testing::PillowPicture;
using testing::TempDir;

enum class Compare {
  kExact,       // every channel of every pixel
  kVisible,     // alpha everywhere, colour where the pixel is not transparent
  kColourOnly,  // the peer drops alpha
};

// Largest channel difference between our image and a peer's decode, under the rule.
int Difference(const CDib& ours, const PeerImage& theirs, Compare rule) {
  EXPECT_EQ(ours.GetWidth(), theirs.width);
  EXPECT_EQ(ours.GetHeight(), theirs.height);
  if (ours.GetWidth() != theirs.width || ours.GetHeight() != theirs.height) return 999;
  int worst = 0;
  for (int y = 0; y < theirs.height; ++y) {
    for (int x = 0; x < theirs.width; ++x) {
      const Pixel a = ours.GetPixel(x, y), b = theirs.At(x, y);
      if (rule != Compare::kColourOnly) {
        worst = std::max(worst, std::abs(static_cast<int>(AlphaOf(a)) - int(AlphaOf(b))));
      }
      if (rule == Compare::kVisible && IsTransparent(a)) continue;
      for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF),
                  cb = static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, std::abs(ca - cb));
      }
    }
  }
  return worst;
}

// Mean channel difference: for JPEG, where decoders may round differently here and there.
double MeanDifference(const CDib& ours, const PeerImage& theirs) {
  if (ours.GetWidth() != theirs.width || ours.GetHeight() != theirs.height) return 999;
  double sum = 0;
  for (int y = 0; y < theirs.height; ++y) {
    for (int x = 0; x < theirs.width; ++x) {
      const Pixel a = ours.GetPixel(x, y), b = theirs.At(x, y);
      for (int shift : {0, 8, 16}) {
        sum +=
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
      }
    }
  }
  return sum / (3.0 * theirs.width * theirs.height);
}

Pixel FewColoursWithHoles(int x, int y) {
  const int i = (x * 7 + y * 3) % 40;
  const std::uint32_t alpha = (x + y) % 6 == 0 ? 0 : 255;
  return MakePixel(alpha, i * 6, 255 - i * 3, (i * 50) & 0xFF);
}

PeerImage PeerOf(const CDib& image) {
  PeerImage p{image.GetWidth(), image.GetHeight(), testing::PixelsOf(image)};
  return p;
}

bool HaveAnyPeer() {
  return testing::HavePillow() || testing::HaveImageMagick();
}

// Every installed peer decodes our file to the expected pixels.
void ExpectPeersRead(const std::filesystem::path& file, const CDib& expected, Compare rule,
                     int tolerance, const std::filesystem::path& scratch) {
  if (testing::HavePillow()) {
    const auto pillow = PillowPicture(file, scratch);
    ASSERT_TRUE(pillow.has_value()) << "Pillow cannot read " << file;
    EXPECT_LE(Difference(expected, *pillow, rule), tolerance) << "Pillow, " << file.filename();
  }
  if (testing::HaveImageMagick()) {
    const auto magick = MagickPicture(file, scratch);
    ASSERT_TRUE(magick.has_value()) << "ImageMagick cannot read " << file;
    EXPECT_LE(Difference(expected, *magick, rule), tolerance) << "ImageMagick, " << file.filename();
  }
}

TEST(InteropGif, PeersReadWhatWeWrite) {
  if (!HaveAnyPeer()) GTEST_SKIP() << "neither Pillow nor ImageMagick is installed";
  TempDir dir;
  CDib image;
  MakeImage(image, 13, 7, FewColoursWithHoles);
  ASSERT_TRUE(WriteGifFile(dir / "ours.gif", image).ok());
  ExpectPeersRead(dir / "ours.gif", image, Compare::kVisible, 0, dir.path());

  // Large enough for several clear codes: peers must follow the code width changes.
  MakeImage(image, 150, 120, [](int x, int y) {
    const int i = (x * x + y * 7 + (x ^ y)) % 250;
    return MakePixel(255, i, (i * 5) & 0xFF, 255 - i);
  });
  ASSERT_TRUE(WriteGifFile(dir / "noise.gif", image).ok());
  ExpectPeersRead(dir / "noise.gif", image, Compare::kExact, 0, dir.path());
}

TEST(InteropBmp, PeersReadWhatWeWrite) {
  if (!HaveAnyPeer()) GTEST_SKIP() << "neither Pillow nor ImageMagick is installed";
  TempDir dir;
  CDib image;
  MakeImage(image, 13, 7, [](int x, int y) { return FewColoursWithHoles(x, y) | 0xFF000000u; });
  for (int bitCount : {8, 24}) {
    const std::filesystem::path file = dir / ("ours" + std::to_string(bitCount) + ".bmp");
    ASSERT_TRUE(SaveBmpFile(file, image, bitCount).ok());
    ExpectPeersRead(file, image, Compare::kExact, 0, dir.path());
  }
  MakeImage(image, 13, 7, FewColoursWithHoles);
  ASSERT_TRUE(SaveBmpFile(dir / "ours32.bmp", image, 32).ok());
  // Peers take a 32-bit BMP without bit fields as having no alpha.
  ExpectPeersRead(dir / "ours32.bmp", image, Compare::kColourOnly, 0, dir.path());
}

TEST(InteropJpeg, PeersReadWhatWeWrite) {
  if (!HaveAnyPeer()) GTEST_SKIP() << "neither Pillow nor ImageMagick is installed";
  TempDir dir;
  CDib image;
  MakeImage(image, 37, 21,
            [](int x, int y) { return MakePixel(255, 40 + x * 4, 200 - y * 5, 90); });
  Result<RgbImage> rgb = RgbFromDib(image);
  ASSERT_TRUE(rgb.ok());
  for (bool color : {true, false}) {
    const std::filesystem::path file = dir / (color ? "colour.jpg" : "grey.jpg");
    ASSERT_TRUE(SaveJpegFile(file, *rgb, color, 90).ok());
    CDib ours;
    ASSERT_TRUE(LoadPictureFile(file, ours).ok());
    if (color) {
      EXPECT_LE(MeanDifference(image, PeerOf(ours)), 3) << "close to the original";
    }
    // Every decoder of the same file agrees with ours up to rounding.
    ExpectPeersRead(file, ours, Compare::kColourOnly, 3, dir.path());
  }
}

// --- What the peers write ----------------------------------------------------------------------

struct PeerFile {
  const char* name;
  Compare rule;
  int tolerance;
};

// Pillow writes each file from one picture and dumps its own decode of it beside it.
constexpr const char* kPillowWrites = R"(
import sys
from PIL import Image
out = sys.argv[1]
W, H = 23, 19
rgb = Image.new('RGB', (W, H))
rgb.putdata([((x * 37 + y * 11) % 256, (x * 5 + y * 53) % 256, (x * y * 7 + 13) % 256)
             for y in range(H) for x in range(W)])
pal = rgb.quantize(200)
pal.save(out + '/pillow.gif', transparency=3, interlace=True)
rgb.convert('1').save(out + '/pillow1.bmp')
pal.save(out + '/pillow8.bmp')
rgb.convert('P', palette=Image.ADAPTIVE, colors=16).save(out + '/pillow4.bmp', bits=4)
rgb.save(out + '/pillow24.bmp')
rgba = rgb.copy()
rgba.putalpha(Image.linear_gradient('L').resize((W, H)))
rgba.save(out + '/pillow32.bmp')
rgb.save(out + '/pillow.jpg', quality=90)
rgb.convert('L').save(out + '/pillowgrey.jpg')
rgb.convert('CMYK').save(out + '/pillowcmyk.jpg', quality=95)
rgb.save(out + '/pillowprogressive.jpg', progressive=True)
for name in ['pillow.gif', 'pillow1.bmp', 'pillow8.bmp', 'pillow4.bmp', 'pillow24.bmp',
             'pillow32.bmp', 'pillow.jpg', 'pillowgrey.jpg', 'pillowcmyk.jpg',
             'pillowprogressive.jpg']:
    dump(Image.open(out + '/' + name), out + '/' + name + '.rgba')
)";

TEST(InteropPillow, WeReadWhatPillowWrites) {
  if (!testing::HavePillow()) GTEST_SKIP() << "python3 with Pillow is not installed";
  TempDir dir;
  const std::string script = std::string(testing::kPillowDump) + kPillowWrites;
  ASSERT_TRUE(testing::RunPython(dir.path(), script, {dir.path()}));
  const PeerFile files[] = {
      {"pillow.gif", Compare::kVisible, 0},   {"pillow1.bmp", Compare::kExact, 0},
      {"pillow8.bmp", Compare::kExact, 0},    {"pillow4.bmp", Compare::kExact, 0},
      {"pillow24.bmp", Compare::kExact, 0},   {"pillow32.bmp", Compare::kColourOnly, 0},
      {"pillow.jpg", Compare::kExact, 1},     {"pillowgrey.jpg", Compare::kExact, 1},
      {"pillowcmyk.jpg", Compare::kExact, 2}, {"pillowprogressive.jpg", Compare::kExact, 1},
  };
  for (const PeerFile& f : files) {
    const auto theirs = testing::ReadRgbaDump(dir / (std::string(f.name) + ".rgba"));
    ASSERT_TRUE(theirs.has_value()) << f.name;
    CDib ours;
    const Result<int> depth = LoadPictureFile(dir / f.name, ours);
    ASSERT_TRUE(depth.ok()) << f.name << ": " << depth.status().message();
    EXPECT_LE(Difference(ours, *theirs, f.rule), f.tolerance) << f.name;
  }
}

TEST(InteropMagick, WeReadWhatImageMagickWrites) {
  if (!testing::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string source =
      "-size 21x17 gradient:red-blue \\( -size 17x21 gradient:yellow-black -rotate 90 \\) "
      "-compose plus -composite";
  const std::pair<const char*, const char*> writes[] = {
      {"magick.gif", "-interlace GIF"},
      {"magick8.bmp", "-type palette -compress none BMP3:"},
      {"magick24.bmp", "-type truecolor BMP3:"},
      {"magick.jpg", "-quality 85"},
  };
  for (auto [name, options] : writes) {
    std::string opts = options;
    std::string prefix;
    if (opts.ends_with(':')) {  // a format prefix goes in front of the file name
      prefix = opts.substr(opts.rfind(' ') + 1);
      opts = opts.substr(0, opts.rfind(' '));
    }
    const std::string command =
        "convert " + source + " " + opts + " " + prefix + testing::ShellQuote(dir / name);
    ASSERT_TRUE(testing::RunQuiet(command)) << command;
    const auto theirs = MagickPicture(dir / name, dir.path());
    ASSERT_TRUE(theirs.has_value()) << name;
    CDib ours;
    const Result<int> depth = LoadPictureFile(dir / name, ours);
    ASSERT_TRUE(depth.ok()) << name << ": " << depth.status().message();
    const bool jpeg = std::string(name).ends_with(".jpg");
    if (jpeg) {
      EXPECT_LE(MeanDifference(ours, *theirs), 1.0) << name;
    } else {
      EXPECT_EQ(Difference(ours, *theirs, Compare::kExact), 0) << name;
    }
  }
}

TEST(InteropPillow, RealFilesDecodeAsPillowDecodesThem) {
  if (!testing::HavePillow()) GTEST_SKIP() << "python3 with Pillow is not installed";
  TempDir dir;
  const char* files[] = {
      "jpeg/libjpeg-turbo/testorig.jpg",       "jpeg/libjpeg-turbo/testimgari.jpg",
      "jpeg/libjpeg-turbo/testimgint.jpg",     "jpeg/libjpeg-turbo/shira_bird8.bmp",
      "jpeg/libjpeg-turbo/vgl_6434_0018a.bmp", "jpeg/libjpeg-turbo/vgl_6548_0026a.bmp"};
  for (const char* relative : files) {
    const std::filesystem::path path = testing::SharedData(relative);
    const auto theirs = PillowPicture(path, dir.path());
    ASSERT_TRUE(theirs.has_value()) << relative;
    CDib ours;
    const Result<int> depth = LoadPictureFile(path, ours);
    ASSERT_TRUE(depth.ok()) << relative << ": " << depth.status().message();
    EXPECT_LE(Difference(ours, *theirs, Compare::kExact), 1) << relative;
  }
}

}  // namespace
}  // namespace morvane
