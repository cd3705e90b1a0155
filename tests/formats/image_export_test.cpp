// The image export's flattening rules, and stored groups written as icon and cursor files.
#include "formats/image_export.h"

#include <gtest/gtest.h>

#include "format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"

namespace morvane::testing {
namespace {

constexpr Pixel kMatte = 0x00336699;
constexpr int kLevel = 100;

// One pixel of each kind: opaque, fully transparent (with colour bits), below the threshold,
// at it, and partly transparent above it.
void MakeKinds(CDib& image) {
  ASSERT_TRUE(image.Create(5, 1));
  image.SetPixel(0, 0, 0xFF112233);
  image.SetPixel(1, 0, 0x00ABCDEF);
  image.SetPixel(2, 0, MakePixel(kLevel - 1, 0xFF, 0, 0));
  image.SetPixel(3, 0, MakePixel(kLevel, 0, 0xFF, 0));
  image.SetPixel(4, 0, MakePixel(200, 0, 0, 0xFF));
}

TEST(ImageExportFlatten, KeepTransparencyLeavesOnlyOpaqueAndTransparentBlack) {
  CDib frame;
  MakeKinds(frame);
  CDib flat;
  ASSERT_TRUE(FlattenKeepTransparency(frame, kMatte, kLevel, flat));
  const Pixel matte = 0xFF000000 | kMatte;
  EXPECT_EQ(flat.GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(flat.GetPixel(1, 0), 0u);
  EXPECT_EQ(flat.GetPixel(2, 0), 0u);
  EXPECT_EQ(flat.GetPixel(3, 0), AlphaOver(matte, frame.GetPixel(3, 0)) | 0xFF000000);
  EXPECT_EQ(flat.GetPixel(4, 0), AlphaOver(matte, frame.GetPixel(4, 0)) | 0xFF000000);
}

TEST(ImageExportFlatten, OpaqueShowsTheMatteWhereNothingIsVisible) {
  CDib frame;
  MakeKinds(frame);
  CDib flat;
  ASSERT_TRUE(FlattenOpaque(frame, kMatte, kLevel, flat));
  const Pixel matte = 0xFF000000 | kMatte;
  EXPECT_EQ(flat.GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(flat.GetPixel(1, 0), matte);
  EXPECT_EQ(flat.GetPixel(2, 0), matte);  // below the threshold: hidden, not blended
  EXPECT_EQ(flat.GetPixel(3, 0), AlphaOver(matte, frame.GetPixel(3, 0)));
  EXPECT_EQ(flat.GetPixel(4, 0), AlphaOver(matte, frame.GetPixel(4, 0)));
  for (const Pixel p : PixelsOf(flat)) EXPECT_EQ(AlphaOf(p), 255u);
  // The frame itself is left as it was.
  EXPECT_EQ(frame.GetPixel(2, 0), MakePixel(kLevel - 1, 0xFF, 0, 0));
}

TEST(ImageExportFlatten, EmptyFrameFlattensToNothing) {
  CDib empty;
  CDib out;
  EXPECT_FALSE(FlattenKeepTransparency(empty, kMatte, kLevel, out));
  EXPECT_FALSE(FlattenOpaque(empty, kMatte, kLevel, out));
}

TEST(ImageExportPicture, FlattensByFormAndDepth) {
  TempDir dir;
  CDib frame;
  MakeImage(frame, 9, 7, MixedPixel);
  PictureExportOptions options;
  options.matte = kMatte;
  options.alphaLevel = kLevel;
  CDib keep;
  ASSERT_TRUE(FlattenKeepTransparency(frame, kMatte, kLevel, keep));
  CDib opaque;
  ASSERT_TRUE(FlattenOpaque(frame, kMatte, kLevel, opaque));

  struct Case {
    const char* name;
    int format;
    int depth;
    const CDib* expected;
  };
  // A frame's own format decides unless a depth is asked for.
  const Case cases[] = {{"a.png", 32, 0, &frame},  {"b.png", 24, 0, &keep},
                        {"c.png", 32, 24, &keep},  {"d.bmp", 32, 0, &frame},
                        {"e.bmp", 24, 0, &opaque}, {"f.bmp", 32, 24, &opaque},
                        {"g.png", 24, 32, &frame}};
  for (const Case& c : cases) {
    options.depth = c.depth;
    const std::filesystem::path path = dir.path() / c.name;
    ASSERT_TRUE(ExportPicture(path, frame, c.format, options).ok()) << c.name;
    CDib back;
    ASSERT_TRUE(LoadPictureFile(path, back).ok()) << c.name;
    std::vector<Pixel> got = PixelsOf(back);
    std::vector<Pixel> want = PixelsOf(*c.expected);
    // A colour key marks transparent pixels in a 24-bit PNG: compare them by alpha only.
    for (std::size_t i = 0; i < got.size(); ++i) {
      if (IsTransparent(got[i]) && IsTransparent(want[i])) got[i] = want[i];
    }
    EXPECT_EQ(got, want) << c.name;
  }
}

TEST(ImageExportPicture, FailureKeepsTheExistingFile) {
  TempDir dir;
  CDib frame;
  MakeImage(frame, 4, 4, MixedPixel);
  const std::filesystem::path path = dir.path() / "keep.tiff";
  WriteAll(path, {1, 2});
  EXPECT_FALSE(ExportPicture(path, frame, 32).ok());
  EXPECT_EQ(ReadAll(path), (std::vector<std::uint8_t>{1, 2}));
  CDib empty;
  EXPECT_EQ(ExportPicture(dir.path() / "x.png", empty, 32).code(), ErrorCode::kNoImages);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.png"));
}

// A group whose images are real icon blocks, as a resource reader would list them.
struct StoredGroup {
  std::vector<std::vector<std::uint8_t>> blocks;
  IconGroup group;
};

void MakeGroup(GroupKind kind, StoredGroup& stored) {
  stored.group.kind = kind;
  for (const int side : {32, 256}) {
    CDib image;
    MakeImage(image, side, side, MixedPixel);
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(WriteIconImage(image, side == 32 ? 8 : 32, block).ok());
    stored.blocks.push_back(std::move(block));
  }
  for (std::size_t i = 0; i < stored.blocks.size(); ++i) {
    GroupImage image;
    const int side = i == 0 ? 32 : 256;
    image.entry = {static_cast<std::uint16_t>(side == 256 ? 0 : side),
                   static_cast<std::uint16_t>(side == 256 ? 0 : side),
                   0,
                   1,
                   static_cast<std::uint16_t>(i == 0 ? 8 : 32),
                   0,
                   static_cast<std::uint16_t>(i + 1)};
    image.width = side;
    image.height = side;
    image.bits = i == 0 ? 8 : 32;
    image.hotspotX = 3 + static_cast<int>(i);
    image.hotspotY = 9;
    image.data = stored.blocks[i];
    stored.group.images.push_back(image);
  }
}

TEST(ImageExportGroup, IconGroupKeepsItsEntriesAndBlocks) {
  StoredGroup stored;
  MakeGroup(GroupKind::kIcon, stored);
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(WriteStoredGroup(stored.group, file).ok());
  const Bytes bytes(file);
  EXPECT_EQ(*LoadU16(bytes, 2), 1);
  EXPECT_EQ(*LoadU16(bytes, 4), 2);
  EXPECT_EQ(file[6], 32);
  EXPECT_EQ(file[6 + 16], 0);  // 256 is stored as 0
  EXPECT_EQ(*LoadU16(bytes, 6 + 6), 8);
  std::uint32_t offset = 6 + 2 * 16;
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(*LoadU32(bytes, 6 + 16 * i + 8), stored.blocks[i].size());
    EXPECT_EQ(*LoadU32(bytes, 6 + 16 * i + 12), offset);
    const auto block = SliceOf(bytes, offset, stored.blocks[i].size());
    ASSERT_TRUE(block);
    EXPECT_TRUE(std::equal(block->begin(), block->end(), stored.blocks[i].begin()));
    offset += static_cast<std::uint32_t>(stored.blocks[i].size());
  }
  EXPECT_EQ(file.size(), offset);
  const auto read = ReadIconFile(bytes);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames.size(), 2u);
}

TEST(ImageExportGroup, CursorGroupCarriesEachHotspot) {
  StoredGroup stored;
  MakeGroup(GroupKind::kCursor, stored);
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(WriteStoredGroup(stored.group, file).ok());
  const auto read = ReadIconFile(Bytes(file));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->type, IconFileType::kCursor);
  ASSERT_EQ(read->frames.size(), 2u);
  EXPECT_EQ(read->frames[0].hotspotX, 3);
  EXPECT_EQ(read->frames[1].hotspotX, 4);
  EXPECT_EQ(read->frames[1].hotspotY, 9);
}

TEST(ImageExportGroup, SectorPaddingIsLeftOutWhereTheEntrySaysTheImageEnds) {
  for (const GroupKind kind : {GroupKind::kIcon, GroupKind::kCursor}) {
    StoredGroup stored;
    MakeGroup(kind, stored);
    const std::size_t exact = stored.blocks[0].size();
    // The resource runs on to the end of its sector; the entry counts a cursor's hotspot too.
    stored.blocks[0].resize(exact + 100, 0xEE);
    GroupImage& image = stored.group.images[0];
    image.data = stored.blocks[0];
    image.entry.bytesInResource =
        static_cast<std::uint32_t>(exact + (kind == GroupKind::kCursor ? 4 : 0));
    std::vector<std::uint8_t> padded;
    std::vector<std::uint8_t> trimmed;
    ASSERT_TRUE(WriteStoredGroup(stored.group, padded).ok());
    ASSERT_TRUE(WriteStoredGroup(stored.group, trimmed, true).ok());
    EXPECT_EQ(padded.size(), trimmed.size() + 100);
    EXPECT_EQ(*LoadU32(Bytes(trimmed), 6 + 8), exact);
    const auto read = ReadIconFile(Bytes(trimmed));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->frames.size(), 2u);
  }
}

TEST(ImageExportGroup, EmptyGroupIsRefusedAndOutputKept) {
  IconGroup group;
  std::vector<std::uint8_t> file{5};
  EXPECT_EQ(WriteStoredGroup(group, file).code(), ErrorCode::kNoImages);
  EXPECT_EQ(file, std::vector<std::uint8_t>{5});
  TempDir dir;
  EXPECT_FALSE(WriteStoredGroupFile(dir.path() / "g.ico", group).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "g.ico"));
}

}  // namespace
}  // namespace morvane::testing
