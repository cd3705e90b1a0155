// convert: the frames it derives and writes are the editor's, byte for byte, and each output
// form gets what the editor would hand its writer.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "formats/ani_codec.h"
#include "formats/icl_reader.h"
#include "formats/image_export.h"
#include "formats/picture_file.h"
#include "image/icon_document.h"

namespace morvane::testing {
namespace {

constexpr ColorFormat k32 = ColorFormat::kTrueColorAlpha;
constexpr ColorFormat k8 = ColorFormat::k256Colors;

class CliConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = WriteSourcePng(dir_.path());
    ASSERT_TRUE(LoadPictureFile(source_, picture_).ok());
  }

  CliRun Convert(std::vector<std::string> args) {
    args.insert(args.begin(), "convert");
    return RunCli(args, dir_.path());
  }
  std::string Out(const std::string& name) const { return Path(dir_.path() / name); }

  // What the editor's icon writer makes of a document's frames.
  static std::vector<std::uint8_t> IconBytes(const IconDocument& document, int hotspotX = -1,
                                             int hotspotY = -1) {
    std::vector<IconFrameRef> refs;
    for (int i = 0; i < document.Count(); ++i) {
      refs.push_back({&document.Frame(i).image, BitsOf(document.Frame(i).format)});
    }
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(WriteIconFile(bytes, refs, hotspotX, hotspotY).ok());
    return bytes;
  }

  TempDir dir_;
  std::filesystem::path source_;
  CDib picture_;
};

std::vector<std::pair<int, int>> SizesAndFormats(const IconFileContents& contents) {
  std::vector<std::pair<int, int>> list;
  for (const IconFrame& f : contents.frames) list.emplace_back(f.image.GetWidth(), f.format);
  return list;
}

TEST_F(CliConvert, SizesAndFormatsDeriveExactlyTheEditorsFrames) {
  const CliRun run =
      Convert({Path(source_), Out("o.ico"), "--sizes", "48,16", "--formats", "32,8"});
  ASSERT_EQ(run.status, 0) << run.err;
  IconDocument expected;
  for (const ColorFormat format : {k32, k8}) {
    for (const int size : {48, 16}) expected.AddFrame(size, size, format, &picture_, false);
  }
  EXPECT_EQ(ReadAll(Out("o.ico")), IconBytes(expected));
}

TEST_F(CliConvert, SizesAloneDeriveTrueColourAlphaFrames) {
  ASSERT_EQ(Convert({Path(source_), Out("o.ico"), "--sizes", "256,20,16"}).status, 0);
  const auto read = ReadIconFile(std::filesystem::path(Out("o.ico")));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(SizesAndFormats(*read),
            (std::vector<std::pair<int, int>>{{256, 32}, {20, 32}, {16, 32}}));
}

TEST_F(CliConvert, StandardIsTheEditorsCommandOnTheSourceFrame) {
  ASSERT_EQ(Convert({Path(source_), Out("o.ico"), "--standard"}).status, 0);
  IconDocument expected;
  CDib copy;
  ASSERT_TRUE(picture_.CopyTo(copy));
  expected.AdoptFrame(std::move(copy), k32);
  expected.SelectFrame(0);
  expected.CreateStandardFormats();
  EXPECT_EQ(ReadAll(Out("o.ico")), IconBytes(expected));
}

TEST_F(CliConvert, DerivesFromTheLargestRichestInput) {
  // A 16-pixel 8-bit icon first, then the 256-pixel picture: the picture is the source.
  ASSERT_EQ(Convert({Path(source_), Out("small.ico"), "--sizes", "16", "--formats", "8"}).status,
            0);
  ASSERT_EQ(Convert({Out("small.ico"), Path(source_), Out("o.ico"), "--sizes", "32"}).status, 0);
  IconDocument expected;
  expected.AddFrame(32, 32, k32, &picture_, false);
  EXPECT_EQ(ReadAll(Out("o.ico")), IconBytes(expected));
}

TEST_F(CliConvert, InputsAppendInOrderAndSortOrdersLikeTheEditor) {
  ASSERT_EQ(Convert({Path(source_), Out("a.ico"), "--sizes", "16,48", "--formats", "8"}).status, 0);
  ASSERT_EQ(Convert({Out("a.ico"), Path(source_), Out("b.ico")}).status, 0);
  auto read = ReadIconFile(std::filesystem::path(Out("b.ico")));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(SizesAndFormats(*read),
            (std::vector<std::pair<int, int>>{{16, 8}, {48, 8}, {256, 32}}));

  ASSERT_EQ(Convert({Out("a.ico"), Path(source_), Out("c.ico"), "--sort"}).status, 0);
  read = ReadIconFile(std::filesystem::path(Out("c.ico")));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(SizesAndFormats(*read),
            (std::vector<std::pair<int, int>>{{48, 8}, {16, 8}, {256, 32}}));
}

TEST_F(CliConvert, CursorHotspotIsAskedForKeptOrTopLeft) {
  ASSERT_EQ(Convert({Path(source_), Out("a.cur"), "--sizes", "32,16", "--hotspot", "5,7"}).status,
            0);
  auto read = ReadIconFile(std::filesystem::path(Out("a.cur")));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->type, IconFileType::kCursor);
  for (const IconFrame& f : read->frames) {
    EXPECT_EQ(f.hotspotX, 5);
    EXPECT_EQ(f.hotspotY, 7);
  }
  // A cursor input brings its hotspot; an icon input has none, so the corner is taken.
  ASSERT_EQ(Convert({Out("a.cur"), Out("b.cur")}).status, 0);
  read = ReadIconFile(std::filesystem::path(Out("b.cur")));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->hotspotX, 5);
  EXPECT_EQ(read->hotspotY, 7);
  ASSERT_EQ(Convert({Path(source_), Out("c.cur")}).status, 0);
  read = ReadIconFile(std::filesystem::path(Out("c.cur")));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->hotspotX, 0);
  EXPECT_EQ(read->hotspotY, 0);
}

TEST_F(CliConvert, AnimatedCursorKeepsOrderRatesAndTexts) {
  ASSERT_EQ(Convert({Path(source_), Out("f.ico"), "--sizes", "32,24,16"}).status, 0);
  ASSERT_EQ(Convert({Out("f.ico"), Out("a.ani"), "--title", "Spinner", "--author", "Zoë",
                     "--hotspot", "2,3"})
                .status,
            0);
  auto ani = LoadAniFile(std::filesystem::path(Out("a.ani")));
  ASSERT_TRUE(ani.ok());
  ASSERT_EQ(ani->frames.size(), 3u);
  EXPECT_EQ(ani->frames[0].image.GetWidth(), 32);
  EXPECT_EQ(ani->frames[2].image.GetWidth(), 16);
  EXPECT_EQ(ani->frames[1].rate, kAniRateForUnset);  // icon frames carry no rate
  EXPECT_EQ(ani->title, "Spinner");
  EXPECT_EQ(ani->author, "Zoë");
  EXPECT_EQ(ani->hotspotX, 2);
  EXPECT_EQ(ani->hotspotY, 3);

  // An animated cursor converted again keeps its rates and texts unless told otherwise.
  ASSERT_EQ(Convert({Out("a.ani"), Out("b.ani"), "--title", "Other"}).status, 0);
  ani = LoadAniFile(std::filesystem::path(Out("b.ani")));
  ASSERT_TRUE(ani.ok());
  EXPECT_EQ(ani->title, "Other");
  EXPECT_EQ(ani->author, "Zoë");
  EXPECT_EQ(ani->hotspotX, 2);
  ASSERT_EQ(Convert({Out("a.ani"), Out("c.ani"), "--rate", "4"}).status, 0);
  ani = LoadAniFile(std::filesystem::path(Out("c.ani")));
  ASSERT_TRUE(ani.ok());
  for (const AniFrame& f : ani->frames) EXPECT_EQ(f.rate, 4);
}

TEST_F(CliConvert, LibraryHoldsOneGroupPerInput) {
  ASSERT_EQ(Convert({Path(source_), Out("a.ico"), "--sizes", "32,16"}).status, 0);
  ASSERT_EQ(Convert({Path(source_), Out("b.ico"), "--sizes", "48", "--formats", "4"}).status, 0);
  ASSERT_EQ(Convert({Out("a.ico"), Out("b.ico"), Out("l.icl")}).status, 0);
  IconLibrary library;
  const LibraryReadResult read = ReadLibrary(std::filesystem::path(Out("l.icl")), library);
  ASSERT_EQ(read.groups, 2) << read.status.message();
  ASSERT_EQ(library.GroupImages(0).size(), 2u);
  ASSERT_EQ(library.GroupImages(1).size(), 1u);
  const LibraryImage& b = library.images[static_cast<std::size_t>(library.GroupImages(1)[0])];
  EXPECT_EQ(b.width, 48);
  EXPECT_EQ(b.bits, 4);

  // Derivation applies to each input's group on its own.
  ASSERT_EQ(Convert({Out("a.ico"), Out("b.ico"), Out("m.icl"), "--sizes", "24"}).status, 0);
  IconLibrary derived;
  ASSERT_EQ(ReadLibrary(std::filesystem::path(Out("m.icl")), derived).groups, 2);
  EXPECT_EQ(derived.images.size(), 2u);
}

TEST_F(CliConvert, PngAtFullDepthKeepsAlpha) {
  ASSERT_EQ(Convert({Path(source_), Out("o.png")}).status, 0);
  CDib back;
  ASSERT_TRUE(LoadPictureFile(Out("o.png"), back).ok());
  EXPECT_EQ(PixelsOf(back), PixelsOf(picture_));
  // A 32-bit BMP is the frame itself too.
  ASSERT_EQ(Convert({Path(source_), Out("o.bmp")}).status, 0);
  ASSERT_TRUE(LoadPictureFile(Out("o.bmp"), back).ok());
  EXPECT_EQ(PixelsOf(back), PixelsOf(picture_));
}

TEST_F(CliConvert, PngBelowFullDepthKeepsTransparencyOverTheMatte) {
  ASSERT_EQ(Convert({Path(source_), Out("o.png"), "--depth", "24", "--matte", "00FF00",
                     "--alpha-level", "100"})
                .status,
            0);
  CDib back;
  ASSERT_TRUE(LoadPictureFile(Out("o.png"), back).ok());
  CDib expected;
  ASSERT_TRUE(FlattenKeepTransparency(picture_, 0x00FF00, 100, expected));
  // Transparent pixels come back in the colour key that marked them: only their alpha counts.
  std::vector<Pixel> got = PixelsOf(back);
  for (Pixel& p : got) p = IsTransparent(p) ? 0 : p;
  EXPECT_EQ(got, PixelsOf(expected));
  // The half-transparent corner (alpha 0x80 >= 100) is now opaque, blended over green.
  EXPECT_EQ(back.GetPixel(200, 180), AlphaOver(0xFF00FF00, 0x802040E0));
}

TEST_F(CliConvert, BmpBelowFullDepthAndJpegAreOpaqueOverTheMatte) {
  ASSERT_EQ(Convert({Path(source_), Out("o.bmp"), "--depth", "24", "--matte", "102030"}).status, 0);
  CDib back;
  ASSERT_TRUE(LoadPictureFile(Out("o.bmp"), back).ok());
  CDib expected;
  ASSERT_TRUE(FlattenOpaque(picture_, 0x102030, 85, expected));
  EXPECT_EQ(PixelsOf(back), PixelsOf(expected));
  EXPECT_EQ(back.GetPixel(0, 0), 0xFF102030u);  // transparent corner shows the matte

  ASSERT_EQ(Convert({Path(source_), Out("o.jpg"), "--matte", "00FF00", "--quality", "100"}).status,
            0);
  ASSERT_TRUE(LoadPictureFile(Out("o.jpg"), back).ok());
  const Pixel corner = back.GetPixel(2, 2);
  EXPECT_LT(RedOf(corner), 8u);
  EXPECT_GT(GreenOf(corner), 247u);
  ASSERT_EQ(Convert({Path(source_), Out("g.jpg"), "--grayscale"}).status, 0);
  ASSERT_TRUE(LoadPictureFile(Out("g.jpg"), back).ok());
  const Pixel p = back.GetPixel(60, 100);
  EXPECT_EQ(RedOf(p), GreenOf(p));
  EXPECT_EQ(GreenOf(p), BlueOf(p));
}

TEST_F(CliConvert, GifKeepsOnlyVisiblePixels) {
  ASSERT_EQ(Convert({Path(source_), Out("o.gif"), "--alpha-level", "200"}).status, 0);
  CDib back;
  ASSERT_TRUE(LoadPictureFile(Out("o.gif"), back).ok());
  for (int y = 0; y < 256; y += 5) {
    for (int x = 0; x < 256; x += 5) {
      const bool visible = AlphaOf(picture_.GetPixel(x, y)) >= 200;
      ASSERT_EQ(AlphaOf(back.GetPixel(x, y)), visible ? 255u : 0u) << x << "," << y;
    }
  }
}

TEST_F(CliConvert, FrameChoosesThePictureWritten) {
  ASSERT_EQ(Convert({Path(source_), Out("f.ico"), "--sizes", "32,16"}).status, 0);
  ASSERT_EQ(Convert({Out("f.ico"), Out("o.png"), "--frame", "1"}).status, 0);
  CDib back;
  ASSERT_TRUE(LoadPictureFile(Out("o.png"), back).ok());
  EXPECT_EQ(back.GetWidth(), 16);
  const CliRun run = Convert({Out("f.ico"), Out("p.png"), "--frame", "2"});
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(std::filesystem::exists(Out("p.png")));
}

TEST_F(CliConvert, PicturesLargerThanAFrameNeedDeriving) {
  CDib big;
  MakeImage(big, 300, 200, [](int x, int y) { return MakePixel(255, x & 0xFF, y, 9); });
  const std::filesystem::path bigPath = dir_.path() / "big.png";
  ASSERT_TRUE(SavePngFile(bigPath, big, 32).ok());

  const CliRun refused = Convert({Path(bigPath), Out("o.ico")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--sizes"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(Out("o.ico")));

  ASSERT_EQ(Convert({Path(bigPath), Out("o.ico"), "--sizes", "64"}).status, 0);
  IconDocument expected;
  expected.AddFrame(64, 64, k32, &big, false);
  EXPECT_EQ(ReadAll(Out("o.ico")), IconBytes(expected));

  ASSERT_EQ(Convert({Path(bigPath), Out("o.bmp")}).status, 0);
  CDib back;
  ASSERT_TRUE(LoadPictureFile(Out("o.bmp"), back).ok());
  EXPECT_EQ(PixelsOf(back), PixelsOf(big));
}

TEST(CliExtract, FramesBecomeNamedTrueColourPngs) {
  TempDir dir;
  const std::filesystem::path source = WriteSourcePng(dir.path());
  const std::filesystem::path icon = dir.path() / "f.ico";
  ASSERT_EQ(RunCli({"convert", Path(source), Path(icon), "--sizes", "32,16", "--formats", "32,4"},
                   dir.path())
                .status,
            0);
  const std::filesystem::path out = dir.path() / "new" / "folder";
  ASSERT_EQ(RunCli({"extract", Path(icon), Path(out)}, dir.path()).status, 0);
  const auto frames = ReadIconFile(icon);
  ASSERT_TRUE(frames.ok());
  const char* names[] = {"0_32x32_32.png", "1_16x16_32.png", "2_32x32_4.png", "3_16x16_4.png"};
  for (std::size_t i = 0; i < 4; ++i) {
    CDib back;
    const Result<int> depth = LoadPictureFile(out / names[i], back);
    ASSERT_TRUE(depth.ok()) << names[i];
    EXPECT_EQ(*depth, 32);
    EXPECT_EQ(PixelsOf(back), PixelsOf(frames->frames[i].image)) << names[i];
  }
}

}  // namespace
}  // namespace morvane::testing
