#include "formats/picture_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "format_test_support.h"

namespace morvane {
namespace {

using testing::MakeImage;
using testing::PixelsOf;
using testing::TempDir;

Pixel Opaque(int x, int y) {
  return MakePixel(255, x * 30, y * 40, 200);
}

TEST(PictureFile, ExtensionIsComparedInLowerCase) {
  EXPECT_EQ(LowerExtension("a/photo.JPG"), ".jpg");
  EXPECT_EQ(LowerExtension("Icon.Gif"), ".gif");
  EXPECT_EQ(LowerExtension("noextension"), "");
  EXPECT_EQ(LowerExtension("dir.png/file"), "");
}

TEST(PictureFile, EachExtensionReportsItsDepth) {
  TempDir dir;
  CDib image;
  MakeImage(image, 5, 3, Opaque);
  struct Case {
    const char* name;
    int savedDepth;
    int reported;
  };
  for (const Case& c :
       {Case{"a.gif", 32, 8}, Case{"a.bmp", 4, 4}, Case{"b.BMP", 8, 8}, Case{"a.bmp", 24, 24},
        Case{"a.png", 24, 24}, Case{"a.png", 32, 32}, Case{"A.PNG", 8, 8}, Case{"a.jpg", 32, 24}}) {
    const std::filesystem::path path = dir / c.name;
    PictureSaveOptions options;
    options.depth = c.savedDepth;
    const Status saved = SavePictureFile(path, image, options);
    ASSERT_TRUE(saved.ok()) << c.name << ": " << saved.message();
    CDib back;
    const Result<int> depth = LoadPictureFile(path, back);
    ASSERT_TRUE(depth.ok()) << c.name << ": " << depth.status().message();
    EXPECT_EQ(*depth, c.reported) << c.name << " saved at " << c.savedDepth;
    EXPECT_EQ(back.GetWidth(), 5);
    EXPECT_EQ(back.GetHeight(), 3);
  }
}

TEST(PictureFile, LosslessFormatsKeepThePixels) {
  TempDir dir;
  CDib image;
  MakeImage(image, 7, 4, Opaque);
  for (const char* name : {"a.gif", "a.png", "a.bmp"}) {
    ASSERT_TRUE(SavePictureFile(dir / name, image).ok()) << name;
    CDib back;
    ASSERT_TRUE(LoadPictureFile(dir / name, back).ok()) << name;
    EXPECT_EQ(PixelsOf(back), PixelsOf(image)) << name;
  }
}

TEST(PictureFile, JpegLoadsOpaqueAndOnlyUnderThreeLetters) {
  TempDir dir;
  CDib image;
  MakeImage(image, 8, 8, [](int, int) { return 0x80406080u; });  // alpha is dropped
  ASSERT_TRUE(SavePictureFile(dir / "photo.JPG", image).ok());
  CDib back;
  const Result<int> depth = LoadPictureFile(dir / "photo.JPG", back);
  ASSERT_TRUE(depth.ok()) << depth.status().message();
  EXPECT_EQ(*depth, 24);
  for (Pixel p : PixelsOf(back)) EXPECT_TRUE(IsOpaque(p));

  std::filesystem::copy_file(dir / "photo.JPG", dir / "photo.jpeg");
  const Result<int> four = LoadPictureFile(dir / "photo.jpeg", back);
  ASSERT_FALSE(four.ok()) << "the four-letter extension is not a picture extension";
  EXPECT_EQ(four.status().code(), ErrorCode::kUnsupported);

  PictureSaveOptions grey;
  grey.jpegColor = false;
  MakeImage(image, 8, 8, [](int, int) { return 0xFFC86432u; });
  ASSERT_TRUE(SavePictureFile(dir / "grey.jpg", image, grey).ok());
  ASSERT_TRUE(LoadPictureFile(dir / "grey.jpg", back).ok());
  EXPECT_NEAR(static_cast<int>(RedOf(back.GetPixel(3, 3))), 124, 1);
  EXPECT_EQ(RedOf(back.GetPixel(3, 3)), BlueOf(back.GetPixel(3, 3)));
}

TEST(PictureFile, FailuresLeaveTheImageAndFilesAlone) {
  TempDir dir;
  CDib image;
  MakeImage(image, 2, 2, Opaque);
  const std::vector<Pixel> before = PixelsOf(image);

  EXPECT_EQ(LoadPictureFile(dir / "a.tif", image).status().code(), ErrorCode::kUnsupported);
  EXPECT_EQ(LoadPictureFile(dir / "missing.png", image).status().code(), ErrorCode::kCannotOpen);
  testing::WriteAll(dir / "fake.bmp", {'G', 'I', 'F', '8', '9', 'a', 0, 0});
  EXPECT_FALSE(LoadPictureFile(dir / "fake.bmp", image).ok()) << "content must match the name";
  testing::WriteAll(dir / "fake.png", {'B', 'M', 0, 0});
  EXPECT_FALSE(LoadPictureFile(dir / "fake.png", image).ok());
  EXPECT_EQ(PixelsOf(image), before);

  EXPECT_EQ(SavePictureFile(dir / "a.ico", image).code(), ErrorCode::kUnsupported);
  EXPECT_EQ(SavePictureFile(dir / "a.jpeg", image).code(), ErrorCode::kUnsupported);
  EXPECT_FALSE(SavePictureFile(dir / "empty.gif", CDib()).ok());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
      << "only the two fakes: failed saves leave nothing behind";
}

}  // namespace
}  // namespace morvane
