#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "exe_fixtures.h"
#include "format_test_support.h"
#include "formats/file_io.h"
#include "formats/icl_library.h"
#include "formats/icl_reader.h"
#include "formats/icl_rewrite.h"
#include "formats/icl_writer.h"
#include "formats/ico_codec.h"
#include "formats/resource_tree.h"
#include "image/color_reduction.h"
#include "support/mutations.h"
#include "support/peers.h"

namespace morvane {
namespace {

namespace fx = morvane::testing;
using fx::ByteVector;

struct ImageShape {
  int group = 0;
  int width = 32;
  int height = 32;
  int bits = 32;
};

// Pixels every format stores exactly: black and white for 1 bit, system palette colours for 4,
// a handful of colours for 8, opaque colours for 24; 32 bits keeps anything. Some pixels are
// transparent in every format.
Pixel ExactPixel(int bits, int x, int y) {
  if ((x * 3 + y) % 11 == 0) return 0;
  switch (bits) {
    case 1:
      return (x ^ y) & 1 ? 0xFF000000 : 0xFFFFFFFF;
    case 4: {
      const auto& c = SystemPalette16()[static_cast<std::size_t>(x + 2 * y) % 16];
      return MakePixel(255, c[0], c[1], c[2]);
    }
    case 8: {
      static constexpr Pixel kColors[] = {0xFF102030, 0xFFC08040, 0xFF00FF00, 0xFFFFFFFF,
                                          0xFF7F7F7F};
      return kColors[(x / 3 + y / 5) % 5];
    }
    case 24:
      return fx::MixedPixel(x, y) | 0xFF000000;
    default:
      return fx::MixedPixel(x, y);
  }
}

LibraryImage ShapedImage(const ImageShape& shape) {
  LibraryImage image;
  fx::MakeImage(image.pixels, shape.width, shape.height,
                [&](int x, int y) { return ExactPixel(shape.bits, x, y); });
  image.width = shape.width;
  image.height = shape.height;
  image.bits = shape.bits;
  image.group = shape.group;
  return image;
}

IconLibrary MakeLibrary(const std::vector<ImageShape>& shapes, int groups) {
  IconLibrary library;
  library.groupCount = groups;
  for (const ImageShape& shape : shapes) library.images.push_back(ShapedImage(shape));
  return library;
}

ByteVector Written(const IconLibrary& library, std::vector<IclPlacement>* placements = nullptr) {
  ByteVector out;
  const Status status = WriteIcl(library, out, placements);
  EXPECT_TRUE(status.ok()) << status.message();
  return out;
}

std::uint16_t U16At(const ByteVector& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

// The length of a bitmap icon block, computed independently of the writers.
std::size_t BlockLength(int width, int height, int bits) {
  const std::size_t palette = bits <= 8 ? (std::size_t{4} << bits) : 0;
  const auto row = [](int w, int b) { return (static_cast<std::size_t>(w) * b + 31) / 32 * 4; };
  return 40 + palette + (row(width, bits) + row(width, 1)) * static_cast<std::size_t>(height);
}

std::size_t Sectors(std::size_t bytes) {
  return (bytes + 127) / 128;
}

// Transparent pixels need only stay transparent; every other pixel must be equal.
void ExpectSamePixels(const CDib& expected, const CDib& actual, const std::string& what) {
  ASSERT_EQ(expected.GetWidth(), actual.GetWidth()) << what;
  ASSERT_EQ(expected.GetHeight(), actual.GetHeight()) << what;
  int mismatches = 0;
  for (int y = 0; y < expected.GetHeight(); ++y) {
    for (int x = 0; x < expected.GetWidth(); ++x) {
      const Pixel e = expected.GetPixel(x, y);
      const Pixel a = actual.GetPixel(x, y);
      const bool same = IsTransparent(e) ? IsTransparent(a) : e == a;
      if (!same && mismatches++ < 3) {
        ADD_FAILURE() << what << " at (" << x << ", " << y << "): expected " << std::hex << e
                      << ", got " << a;
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << what;
}

void ExpectSameLibraries(const IconLibrary& expected, const IconLibrary& actual) {
  ASSERT_EQ(actual.groupCount, expected.groupCount);
  ASSERT_EQ(actual.images.size(), expected.images.size());
  for (std::size_t i = 0; i < expected.images.size(); ++i) {
    const LibraryImage& e = expected.images[i];
    const LibraryImage& a = actual.images[i];
    const std::string what = "image " + std::to_string(i);
    EXPECT_EQ(a.group, e.group) << what;
    EXPECT_EQ(a.width, e.width) << what;
    EXPECT_EQ(a.height, e.height) << what;
    EXPECT_EQ(a.bits, e.bits) << what;
    ExpectSamePixels(e.pixels, a.pixels, what);
  }
}

// --- Writer: bytes -----------------------------------------------------------------------

TEST(IclWriter, OneGroupOfOneImageIsLaidOutByteForByte) {
  const IconLibrary library = MakeLibrary({{0, 32, 32, 8}}, 1);
  const ByteVector file = Written(library);

  const std::size_t block = BlockLength(32, 32, 8);
  ByteVector expected(512, 0);
  expected[0] = 'M';
  expected[1] = 'Z';
  fx::PutU16(expected, 0x3C, 0x80);
  expected[0x7E] = 'I';
  expected[0x7F] = 'M';
  expected[0x80] = 'N';
  expected[0x81] = 'E';
  fx::PutU16(expected, 0xA2, 0x40);
  fx::PutU16(expected, 0xA4, 0x40);
  fx::PutU16(expected, 0xA6, 128);  // R: H = 234, 234 - 128 rounded up
  expected[0xB6] = 2;
  fx::PutU16(expected, 0xBE, 0x0300);
  fx::PutU16(expected, 0xC0, 7);
  const ByteVector tables = {0x0E, 0x80, 1,
                             0,    0,    0,
                             0,    0,  // group icons
                             2,    0,    1,
                             0,    0x30, 0x1C,
                             0x81, 0x80, 0,
                             0,    0,    0,  // group 129
                             0x03, 0x80, 1,
                             0,    0,    0,
                             0,    0,  // icons
                             4,    0,    static_cast<std::uint8_t>(Sectors(block)),
                             0,    0x30, 0x1C,
                             0x01, 0x80, 0,
                             0,    0,    0,
                             0,    0};  // terminator at H = 234
  std::copy(tables.begin(), tables.end(), expected.begin() + 0xC2);
  // The entry gives the image's byte count (2216 = 0x8A8): tools that rebuild an icon file from
  // the group take the image's length from it.
  const ByteVector group = {0, 0, 1, 0, 1, 0, 0x20, 0x20, 0, 0, 1, 0, 8, 0, 0xA8, 8, 0, 0, 1, 0};
  std::copy(group.begin(), group.end(), expected.begin() + 0x100);

  // The last image is padded to its sector end like every block, so the record's sectors lie
  // inside the file.
  ASSERT_EQ(file.size(), 512 + Sectors(block) * 128);
  EXPECT_EQ(ByteVector(file.begin(), file.begin() + 512), expected);
  ByteVector image;
  ASSERT_TRUE(WriteImage8(library.images[0].pixels, image).ok());
  image.resize(Sectors(block) * 128, 0);
  EXPECT_EQ(ByteVector(file.begin() + 512, file.end()), image);
}

TEST(IclWriter, FiveGroupsOfTwentyImagesListImagesInImageOrderAndFollowEachOther) {
  // Image i belongs to group i % 5, so each group collects images from across the list.
  std::vector<ImageShape> shapes;
  constexpr int kBits[] = {1, 4, 8, 24, 32};
  for (int i = 0; i < 20; ++i) shapes.push_back({i % 5, 16, 16, kBits[i / 4]});
  std::vector<IclPlacement> placements;
  const ByteVector file = Written(MakeLibrary(shapes, 5), &placements);

  EXPECT_EQ(U16At(file, 0xA6), 384);  // H = 510
  EXPECT_EQ(U16At(file, 510), 0);
  EXPECT_EQ(U16At(file, 0xC2), 0x800E);
  EXPECT_EQ(U16At(file, 0xC4), 5);
  for (int g = 0; g < 5; ++g) {
    const std::size_t record = 0xCA + 12 * g;
    EXPECT_EQ(U16At(file, record), 4 + g) << "group " << g;  // data starts at 512
    EXPECT_EQ(U16At(file, record + 2), 1);
    EXPECT_EQ(U16At(file, record + 6), 0x8081 + g);
    const std::size_t data = (4 + g) * 128;
    EXPECT_EQ(U16At(file, data + 4), 4);
    for (int k = 0; k < 4; ++k) {
      const std::size_t entry = data + 6 + 14 * k;
      EXPECT_EQ(U16At(file, entry + 12), g + 5 * k + 1) << "group " << g;
      EXPECT_EQ(U16At(file, entry + 8), BlockLength(16, 16, shapes[g + 5 * k].bits));
    }
  }
  const std::size_t icons = 0xCA + 12 * 5;
  EXPECT_EQ(U16At(file, icons), 0x8003);
  EXPECT_EQ(U16At(file, icons + 2), 20);
  std::size_t sector = 4 + 5 + 1;  // one empty sector after the groups
  for (int i = 0; i < 20; ++i) {
    const std::size_t record = icons + 8 + 12 * i;
    const std::size_t length = Sectors(BlockLength(16, 16, shapes[i].bits));
    EXPECT_EQ(U16At(file, record), sector) << "image " << i;
    EXPECT_EQ(U16At(file, record + 2), length) << "image " << i;
    EXPECT_EQ(U16At(file, record + 4), 0x1C30);
    EXPECT_EQ(U16At(file, record + 6), 0x8001 + i);
    EXPECT_EQ(placements[i].offset, static_cast<std::int64_t>(sector * 128));
    sector += length;
  }
  EXPECT_EQ(file.size(), sector * 128);
}

TEST(IclWriter, AnEmptyLibraryEndsWithTheTerminatorAt210) {
  const ByteVector file = Written(MakeLibrary({}, 0));
  ASSERT_EQ(file.size(), 212u);
  EXPECT_EQ(U16At(file, 0xC2), 0x800E);
  EXPECT_EQ(U16At(file, 0xC4), 0);
  EXPECT_EQ(U16At(file, 0xCA), 0x8003);
  EXPECT_EQ(U16At(file, 0xCC), 0);
  EXPECT_EQ(U16At(file, 210), 0);
}

TEST(IclWriter, GroupBlocksTakeWholeSectorsAndOddImagesAreListedAsTheyAre) {
  // Nine entries (132 bytes) need two sectors. A 256 x 256 image is listed with size bytes 0 and
  // stored as a bitmap; an image of an unknown bit count is listed but has no data.
  std::vector<ImageShape> shapes(9, ImageShape{0, 16, 16, 4});
  shapes.push_back({1, 256, 256, 32});
  shapes.push_back({1, 16, 16, 16});
  shapes.push_back({1, 16, 16, 1});
  IconLibrary library = MakeLibrary(shapes, 2);
  std::vector<IclPlacement> placements;
  const ByteVector file = Written(library, &placements);

  EXPECT_EQ(U16At(file, 0xCA + 2), 2);
  const std::size_t group1 = U16At(file, 0xCA + 12) * std::size_t{128};
  EXPECT_EQ(U16At(file, 0xCA + 12), U16At(file, 0xCA) + 2);
  EXPECT_EQ(file[group1 + 6], 0);  // width 256
  EXPECT_EQ(file[group1 + 7], 0);
  EXPECT_EQ(U16At(file, group1 + 6 + 14 + 6), 16);  // the unknown bit count, as it is

  const std::size_t icons = 0xCA + 24 + 8;
  const std::size_t big = icons + 12 * 9, odd = big + 12, last = odd + 12;
  EXPECT_EQ(U16At(file, big + 2), Sectors(BlockLength(256, 256, 32)));
  EXPECT_EQ(file[U16At(file, big) * std::size_t{128}], 40);  // a bitmap header, not PNG
  EXPECT_EQ(U16At(file, odd + 2), 0);
  EXPECT_EQ(U16At(file, odd), U16At(file, last));
  EXPECT_EQ(placements[10].offset, -1);

  IconLibrary read;
  const LibraryReadResult result = ReadLibrary(file, read);
  EXPECT_EQ(result.groups, 2);
  EXPECT_EQ(result.skippedImages, 1);
  library.images.erase(library.images.begin() + 10);
  ExpectSameLibraries(library, read);
}

TEST(IclWriter, ALibraryBeyondEightMegabytesTakesTheSmallestShiftThatAddressesIt) {
  // Each 256 x 256 bitmap takes 2113 sectors of 128 bytes; the 33rd would start beyond sector
  // 65535, so the library is written in 256-byte sectors (shift 8), and read back whole.
  IconLibrary library = MakeLibrary({}, 1);
  LibraryImage big = ShapedImage({0, 256, 256, 32});
  for (int i = 0; i < 33; ++i) {
    LibraryImage copy;
    big.pixels.CopyTo(copy.pixels);
    copy.width = copy.height = 256;
    library.images.push_back(std::move(copy));
  }
  const ByteVector large = Written(library);
  EXPECT_EQ(U16At(large, 0xC0), 8);
  // The data starts at the first 256-byte sector after the table, where the resident names are.
  const std::size_t table = 12 * 34 + 210;
  EXPECT_EQ(U16At(large, 0xA6), (table + 255) / 256 * 256 - 128);
  EXPECT_EQ(U16At(large, 0xCA), (table + 255) / 256);
  IconLibrary read;
  ASSERT_EQ(ReadLibrary(large, read).groups, 1);
  ASSERT_EQ(read.images.size(), 33u);
  ExpectSamePixels(big.pixels, read.images[32].pixels, "last image");

  // One image fewer fits 128-byte sectors, and today's layout stays.
  library.images.pop_back();
  EXPECT_EQ(U16At(Written(library), 0xC0), 7);
}

TEST(IclWriter, AFailedOrCancelledWriteLeavesTheExistingFileAlone) {
  fx::TempDir dir;
  const auto path = dir / "lib.icl";
  fx::WriteAll(path, {'o', 'l', 'd'});
  IconLibrary library = MakeLibrary({{0, 16, 16, 32}, {0, 16, 16, 8}}, 1);

  int calls = 0;
  const Status cancelled = WriteLibrary(library, path, {}, [&](int done, int total) {
    EXPECT_EQ(total, 2);
    EXPECT_EQ(done, ++calls);
    return false;
  });
  EXPECT_FALSE(cancelled.ok());
  EXPECT_EQ(calls, 1);

  LibraryImage empty;
  empty.width = empty.height = 16;
  library.images.push_back(std::move(empty));  // 32 bits but no pixels
  EXPECT_FALSE(SaveLibrary(library, path).ok());
  EXPECT_EQ(fx::ReadAll(path), (ByteVector{'o', 'l', 'd'}));
  EXPECT_EQ(library.path, kNewLibraryName);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// --- Reader ------------------------------------------------------------------------------

TEST(IclReader, ReadsBackWhatWasWritten) {
  fx::TempDir dir;
  IconLibrary library = MakeLibrary({{0, 32, 32, 32},
                                     {0, 16, 16, 8},
                                     {0, 48, 48, 4},
                                     {1, 17, 13, 24},
                                     {1, 32, 32, 1},
                                     {2, 256, 256, 32},
                                     {2, 24, 24, 8}},
                                    3);
  library.modified = true;
  const auto path = dir / "round.icl";
  ASSERT_TRUE(SaveLibrary(library, path).ok());
  EXPECT_FALSE(library.modified);
  EXPECT_EQ(library.path, path);

  IconLibrary read;
  const LibraryReadResult result = ReadLibrary(path, read);
  EXPECT_EQ(result.groups, 3);
  EXPECT_TRUE(result.fromNe);
  EXPECT_EQ(result.skippedImages, 0);
  EXPECT_TRUE(read.isIcl);
  EXPECT_EQ(read.path, path);
  ExpectSameLibraries(library, read);
  const auto bytes = fx::ReadAll(path);
  for (std::size_t i = 0; i < read.images.size(); ++i) {
    const LibraryImage& image = read.images[i];
    EXPECT_EQ(image.fileOffset, library.images[i].fileOffset) << i;
    EXPECT_FALSE(image.storedAsPng);
    // The noted length covers the block in whole sectors.
    EXPECT_EQ(image.dataLength,
              Sectors(static_cast<std::size_t>(library.images[i].dataLength)) * 128)
        << i;
    EXPECT_LE(static_cast<std::size_t>(image.fileOffset + image.dataLength), bytes.size());
    EXPECT_EQ(image.name, std::to_string(129 + image.group));
  }
}

TEST(IclReader, AGroupOf256ImagesIsReadAndALargerOneLeftOut) {
  std::vector<ImageShape> shapes(256, ImageShape{0, 1, 1, 1});
  shapes.insert(shapes.end(), 257, ImageShape{1, 1, 1, 1});
  shapes.push_back({2, 8, 8, 4});
  IconLibrary read;
  const LibraryReadResult result = ReadLibrary(Written(MakeLibrary(shapes, 3)), read);
  EXPECT_EQ(result.groups, 2);
  EXPECT_EQ(result.skippedGroups, 1);
  ASSERT_EQ(read.images.size(), 257u);
  EXPECT_EQ(read.GroupImages(0).size(), 256u);
  EXPECT_EQ(read.images.back().group, 1);
  EXPECT_EQ(read.images.back().width, 8);
}

TEST(IclReader, FilesThatAreNoLibraryGiveNoGroupsAndLeaveTheModelAlone) {
  const ByteVector good = Written(MakeLibrary({{0, 16, 16, 4}}, 1));
  const auto damaged = [&](std::size_t at, std::uint16_t value) {
    ByteVector b = good;
    fx::PutU16(b, at, value);
    return b;
  };
  const std::vector<std::pair<const char*, ByteVector>> cases = {
      {"no MZ", damaged(0, 0x5A4E)},
      {"no NE", damaged(0x80, 0x4550)},
      {"empty resource table", damaged(0xA6, 0x40)},
      {"alignment shift above 256", damaged(0xC0, 257)},
      {"no group type", damaged(0xC2, 0x8005)},
      {"table ends at once", damaged(0xC2, 0)},
      {"empty", {}},
  };
  for (const auto& [what, bytes] : cases) {
    IconLibrary library = MakeLibrary({{0, 8, 8, 32}}, 1);
    const LibraryReadResult result = ReadLibrary(bytes, library);
    EXPECT_EQ(result.groups, 0) << what;
    EXPECT_EQ(result.status.code(), ErrorCode::kNoImages) << what;
    EXPECT_EQ(library.images.size(), 1u) << what;
  }
  IconLibrary library;
  EXPECT_EQ(ReadLibrary(std::filesystem::path("/nonexistent/x.icl"), library).status.code(),
            ErrorCode::kCannotOpen);
}

TEST(IclReader, ImagesThatDoNotDecodeAreSkippedAndTheirGroupKept) {
  ByteVector file = Written(MakeLibrary({{0, 16, 16, 4}, {0, 32, 32, 32}, {1, 16, 16, 8}}, 2));
  const std::size_t icons = 0xCA + 24 + 8;
  const std::size_t first = U16At(file, icons) * std::size_t{128};
  fx::PutU16(file, first + 14, 7);  // bit count 7
  const std::size_t third = U16At(file, icons + 24) * std::size_t{128};
  fx::PutU16(file, third + 14, 9);
  IconLibrary read;
  const LibraryReadResult result = ReadLibrary(file, read);
  EXPECT_EQ(result.groups, 1);
  EXPECT_EQ(result.skippedImages, 2);
  EXPECT_EQ(result.skippedGroups, 1);
  ASSERT_EQ(read.images.size(), 1u);
  EXPECT_EQ(read.images[0].width, 32);
  EXPECT_EQ(read.images[0].group, 0);
}

TEST(IclReader, OneImageListedOverAndOverStopsAtThePixelBudget) {
  // 40 groups of 200 entries all name one 32 x 32 image (4 KiB of pixels each when decoded).
  std::vector<fx::NeFixtureResource> resources;
  const std::vector<fx::GroupFixtureEntry> entries(200, {32, 32, 4, 1});
  for (std::uint16_t g = 0; g < 40; ++g) {
    resources.push_back({kResourceIconGroup, static_cast<std::uint16_t>(129 + g), "",
                         fx::GroupData(false, entries)});
  }
  resources.push_back({kResourceIcon, 1, "", fx::IconImageBlock(32, 32, 4)});
  IconLibrary library;
  const LibraryReadResult result = ReadLibrary(fx::BuildNe(resources).bytes, library, 400 << 10);
  // The one icon record is decoded once and belongs to the first group naming it; the other
  // groups are left without images.
  EXPECT_EQ(library.images.size(), 1u);
  EXPECT_EQ(result.groups, 1);
  EXPECT_EQ(result.skippedGroups, 39);
}

TEST(IclReader, ImagesComeInRecordOrderOnceEachAndUnnamedOnesAreKept) {
  // Records 1..4: group 129 names 3 and 1, group 130 names 2, group 131 names 2 again; no
  // group names 4.
  std::vector<fx::NeFixtureResource> resources = {
      {kResourceIconGroup, 129, "", fx::GroupData(false, {{32, 32, 4, 3}, {16, 16, 4, 1}})},
      {kResourceIconGroup, 130, "", fx::GroupData(false, {{24, 24, 4, 2}})},
      {kResourceIconGroup, 131, "", fx::GroupData(false, {{24, 24, 4, 2}})},
      {kResourceIcon, 1, "", fx::IconImageBlock(16, 16, 4)},
      {kResourceIcon, 2, "", fx::IconImageBlock(24, 24, 4)},
      {kResourceIcon, 3, "", fx::IconImageBlock(32, 32, 4)},
      {kResourceIcon, 4, "", fx::IconImageBlock(48, 48, 4)},
  };
  IconLibrary library;
  const LibraryReadResult result = ReadLibrary(fx::BuildNe(resources).bytes, library);
  ASSERT_EQ(library.images.size(), 4u);
  const int widths[] = {16, 24, 32, 48};
  const int groups[] = {0, 1, 0, 2};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(library.images[i].width, widths[i]) << i;
    EXPECT_EQ(library.images[i].group, groups[i]) << i;
  }
  EXPECT_EQ(library.groupCount, 3);
  EXPECT_EQ(result.groups, 3);
  EXPECT_EQ(result.skippedGroups, 1);  // group 131: its only image belongs to 130
  EXPECT_EQ(library.GroupImages(0), (std::vector<int>{0, 2}));
}

TEST(IclReader, SurvivesEveryBitFlipAndTruncation) {
  const ByteVector file =
      Written(MakeLibrary({{0, 16, 16, 4}, {0, 8, 8, 32}, {1, 16, 16, 1}, {1, 9, 7, 8}}, 2));
  const auto check = [](Bytes bytes) {
    IconLibrary library;
    const LibraryReadResult result = ReadLibrary(bytes, library);
    for (const LibraryImage& image : library.images) {
      ASSERT_TRUE(library.HasGroup(image.group));
      ASSERT_EQ(image.pixels.GetWidth(), image.width);
      ASSERT_LE(image.width, 256);
      ASSERT_LE(image.height, 256);
      ASSERT_TRUE(RangeFits(bytes.size(), static_cast<std::uint64_t>(image.fileOffset),
                            static_cast<std::uint64_t>(image.dataLength)));
    }
    ASSERT_EQ(result.groups, library.groupCount);
  };
  fx::ForEachBitFlip(file, check);
  fx::ForEachTruncation(file, check);
}

// --- Rewriting in place --------------------------------------------------------------------

// Replacement frames: each image's pixels turned upside down.
std::vector<CDib> Flipped(const IconLibrary& library, int group) {
  std::vector<CDib> out;
  for (int i : library.GroupImages(group)) {
    const CDib& source = library.images[static_cast<std::size_t>(i)].pixels;
    CDib& flipped = out.emplace_back();
    fx::MakeImage(flipped, source.GetWidth(), source.GetHeight(),
                  [&](int x, int y) { return source.GetPixel(x, source.GetHeight() - 1 - y); });
  }
  return out;
}

std::vector<IconFrameRef> Refs(const std::vector<CDib>& images, const IconLibrary& library,
                               int group) {
  std::vector<IconFrameRef> refs;
  const std::vector<int> members = library.GroupImages(group);
  for (std::size_t j = 0; j < images.size(); ++j) {
    refs.push_back({&images[j], library.images[static_cast<std::size_t>(members[j])].bits});
  }
  return refs;
}

TEST(IclRewrite, WritesOneGroupOverItsStoredImagesAndNothingElse) {
  fx::TempDir dir;
  const auto path = dir / "lib.icl";
  ASSERT_TRUE(
      WriteLibrary(
          MakeLibrary({{0, 16, 16, 32}, {1, 32, 32, 8}, {1, 16, 16, 1}, {2, 16, 16, 4}}, 3), path)
          .ok());
  const ByteVector before = fx::ReadAll(path);
  IconLibrary library;
  ASSERT_EQ(ReadLibrary(path, library).groups, 3);

  const std::vector<CDib> flipped = Flipped(library, 1);
  const auto refs = Refs(flipped, library, 1);
  ASSERT_TRUE(RewriteImagesInPlace(library, 1, refs).ok());

  const ByteVector after = fx::ReadAll(path);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t at = 0; at < before.size(); ++at) {
    if (before[at] == after[at]) continue;
    const bool inside = (library.images[1].fileOffset <= static_cast<std::int64_t>(at) &&
                         static_cast<std::int64_t>(at) < library.images[2].fileOffset) ||
                        (library.images[2].fileOffset <= static_cast<std::int64_t>(at) &&
                         static_cast<std::int64_t>(at) < library.images[3].fileOffset);
    ASSERT_TRUE(inside) << "byte " << at << " changed outside group 1";
  }
  IconLibrary reread;
  ASSERT_EQ(ReadLibrary(path, reread).groups, 3);
  ExpectSameLibraries(library, reread);
  ExpectSamePixels(flipped[0], reread.images[1].pixels, "rewritten 32 x 32");
  ExpectSamePixels(flipped[1], reread.images[2].pixels, "rewritten 16 x 16");
}

TEST(IclRewrite, RefusesReplacementsThatDoNotMatchAndLeavesTheFileUnchanged) {
  fx::TempDir dir;
  const auto path = dir / "lib.icl";
  ASSERT_TRUE(WriteLibrary(MakeLibrary({{0, 16, 16, 8}, {0, 32, 32, 4}}, 1), path).ok());
  const ByteVector before = fx::ReadAll(path);
  IconLibrary library;
  ASSERT_EQ(ReadLibrary(path, library).groups, 1);
  const std::vector<CDib> flipped = Flipped(library, 0);

  std::vector<IconFrameRef> refs = Refs(flipped, library, 0);
  refs[1].format = 8;
  EXPECT_FALSE(RewriteImagesInPlace(library, 0, refs).ok()) << "format";
  refs = Refs(flipped, library, 0);
  std::swap(refs[0].image, refs[1].image);
  EXPECT_FALSE(RewriteImagesInPlace(library, 0, refs).ok()) << "size";
  refs = Refs(flipped, library, 0);
  refs.pop_back();
  EXPECT_FALSE(RewriteImagesInPlace(library, 0, refs).ok()) << "count";
  EXPECT_FALSE(RewriteImagesInPlace(library, 1, refs).ok()) << "group";
  library.images[1].dataLength = 100;
  EXPECT_FALSE(RewriteImagesInPlace(library, 0, Refs(flipped, library, 0)).ok()) << "too long";
  EXPECT_EQ(fx::ReadAll(path), before);
}

TEST(IclRewrite, WritesTheGroupOfAProgramAtItsResourcesOffsets) {
  ByteVector small, large;
  CDib a, b;
  fx::MakeImage(a, 16, 16, [](int x, int y) { return ExactPixel(32, x, y); });
  fx::MakeImage(b, 32, 32, [](int x, int y) { return ExactPixel(4, x, y); });
  ASSERT_TRUE(WriteImage32(a, small).ok());
  ASSERT_TRUE(WriteImage4(b, large).ok());
  fx::PeFixture pe = fx::BuildPe(
      {{kResourceIcon, 1, u"", 0, small},
       {kResourceIcon, 2, u"", 0, large},
       {kResourceIconGroup, 7, u"", 0, fx::GroupData(false, {{16, 16, 32, 1}, {32, 32, 4, 2}})}});
  IconLibrary library;
  const LibraryReadResult result = ReadLibrary(pe.bytes, library);
  ASSERT_EQ(result.groups, 1);
  EXPECT_FALSE(result.fromNe);
  EXPECT_EQ(library.images[0].name, "7");

  const ByteVector before = pe.bytes;
  const std::vector<CDib> flipped = Flipped(library, 0);
  ASSERT_TRUE(RewriteImagesInPlace(library, 0, Refs(flipped, library, 0), pe.bytes).ok());
  std::size_t changed = 0;
  for (std::size_t at = 0; at < before.size(); ++at) {
    if (before[at] == pe.bytes[at]) continue;
    ++changed;
    const auto offset = static_cast<std::int64_t>(at);
    const bool inside = std::any_of(library.images.begin(), library.images.end(), [&](auto& i) {
      return i.fileOffset <= offset && offset < i.fileOffset + i.dataLength;
    });
    ASSERT_TRUE(inside) << "byte " << at;
  }
  EXPECT_GT(changed, 0u);
  IconLibrary reread;
  ASSERT_EQ(ReadLibrary(pe.bytes, reread).groups, 1);
  ExpectSamePixels(flipped[0], reread.images[0].pixels, "16 x 16");
  ExpectSamePixels(flipped[1], reread.images[1].pixels, "32 x 32");
  ExpectSamePixels(flipped[1], library.images[1].pixels, "model");
}

// --- Library model -------------------------------------------------------------------------

TEST(IconLibraryModel, AddIconAppendsATransparentGroupInTheDarkenedWindowColour) {
  IconLibrary library = IconLibrary::New();
  EXPECT_EQ(library.path, kNewLibraryName);
  EXPECT_TRUE(library.isIcl);
  EXPECT_EQ(library.groupCount, 1);

  const int index = library.AddGroup(0xFF10C8FF);
  ASSERT_EQ(index, 0);
  const LibraryImage& image = library.images[0];
  EXPECT_EQ(image.group, 1);
  EXPECT_EQ(library.groupCount, 2);
  EXPECT_EQ(image.width, 48);
  EXPECT_EQ(image.bits, 32);
  EXPECT_EQ(image.fileOffset, -1);
  EXPECT_EQ(image.pixels.GetPixel(0, 0), 0x0000B0E7u);
  EXPECT_EQ(image.pixels.GetPixel(47, 47), 0x0000B0E7u);
  EXPECT_TRUE(library.modified);
}

TEST(IconLibraryModel, DeletingAGroupRenumbersTheHigherOnes) {
  IconLibrary library = MakeLibrary({{0}, {1}, {1}, {2}, {3}}, 4);
  ASSERT_EQ(library.DeleteGroup(1), LibraryEditStatus::kOk);
  EXPECT_EQ(library.groupCount, 3);
  ASSERT_EQ(library.images.size(), 3u);
  EXPECT_EQ(library.images[1].group, 1);
  EXPECT_EQ(library.images[2].group, 2);
  EXPECT_TRUE(library.modified);

  EXPECT_EQ(CurrentGroupAfterDelete(3, 1), 2);  // an open group 4 becomes group 3
  EXPECT_EQ(CurrentGroupAfterDelete(1, 1), 0);
  EXPECT_EQ(CurrentGroupAfterDelete(0, 1), 0);

  EXPECT_EQ(library.DeleteGroup(3), LibraryEditStatus::kNoSuchGroup);
  ASSERT_EQ(library.DeleteGroup(0), LibraryEditStatus::kOk);
  ASSERT_EQ(library.DeleteGroup(0), LibraryEditStatus::kOk);
  EXPECT_EQ(library.DeleteGroup(0), LibraryEditStatus::kLastGroup);
  EXPECT_EQ(library.groupCount, 1);
}

TEST(IconLibraryModel, RenameNamesEveryImageOfTheGroup) {
  IconLibrary library = MakeLibrary({{0}, {1}, {1}}, 2);
  ASSERT_EQ(library.RenameGroup(1, "Folder"), LibraryEditStatus::kOk);
  EXPECT_EQ(library.images[0].name, "");
  EXPECT_EQ(library.images[1].name, "Folder");
  EXPECT_EQ(library.images[2].name, "Folder");
  EXPECT_EQ(library.RenameGroup(2, "x"), LibraryEditStatus::kNoSuchGroup);
}

TEST(IconLibraryModel, ReplacingAGroupPutsTheFramesAtItsFirstImageReducedAndFlattened) {
  IconLibrary library = MakeLibrary({{0, 8, 8}, {1, 8, 8}, {1, 8, 8}, {2, 8, 8}}, 3);
  CDib soft, mono;
  // Alpha 0x30 is below the default level 85, 0x80 above it.
  fx::MakeImage(soft, 4, 4, [](int x, int) { return x < 2 ? 0x30FF0000u : 0x80FF0000u; });
  fx::MakeImage(mono, 5, 5, [](int x, int) { return x < 2 ? 0xFF202020u : 0xFFE0E0E0u; });
  const std::vector<IconFrameRef> frames = {{&soft, 24}, {&mono, 1}, {&soft, 32}};
  WriteBackOptions options;
  options.previewColor = 0x0000FF;  // platform order: red
  ASSERT_EQ(library.ReplaceGroup(1, frames, options), LibraryEditStatus::kOk);

  ASSERT_EQ(library.images.size(), 5u);
  const std::vector<int> members = library.GroupImages(1);
  EXPECT_EQ(members, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(library.images[4].group, 2);
  const LibraryImage& flat = library.images[1];
  EXPECT_EQ(flat.bits, 24);
  EXPECT_EQ(flat.fileOffset, -1);
  EXPECT_EQ(flat.pixels.GetPixel(0, 0), 0u);
  EXPECT_EQ(flat.pixels.GetPixel(3, 0), 0xFFFF0000u);  // red over red stays red, made opaque
  EXPECT_EQ(library.images[2].pixels.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(library.images[2].pixels.GetPixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(library.images[3].pixels.GetPixel(0, 0), 0x30FF0000u);  // 32 bits keep alpha
  EXPECT_TRUE(library.modified);

  // A frame without pixels is refused and the group stays as it was.
  CDib none;
  const std::vector<IconFrameRef> bad = {{&soft, 32}, {&none, 32}};
  EXPECT_EQ(library.ReplaceGroup(1, bad), LibraryEditStatus::kInvalidImage);
  EXPECT_EQ(library.GroupImages(1).size(), 3u);
}

TEST(IconLibraryModel, ANewLibrarySavedAtOnceHoldsOneGroupOfTheDocumentsFrames) {
  fx::TempDir dir;
  IconLibrary library = IconLibrary::New();
  CDib a, b;
  fx::MakeImage(a, 32, 32, [](int x, int y) { return ExactPixel(32, x, y); });
  fx::MakeImage(b, 16, 16, [](int x, int y) { return ExactPixel(4, x, y); });
  const std::vector<IconFrameRef> frames = {{&a, 32}, {&b, 4}};
  ASSERT_EQ(library.ReplaceGroup(0, frames), LibraryEditStatus::kOk);
  const auto path = dir / "saved.icl";
  ASSERT_TRUE(SaveLibrary(library, path).ok());

  IconLibrary read;
  ASSERT_EQ(ReadLibrary(path, read).groups, 1);
  ExpectSameLibraries(library, read);
  ExpectSamePixels(a, read.images[0].pixels, "32 bits");
}

// --- Interoperability with icoutils ---------------------------------------------------------

int CountOccurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos;
       at = text.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

TEST(InteropIcl, NeFontsHoldNoIconGroups) {
  const auto folder = fx::SharedData("ne/wine-fonts");
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no " << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".fon") continue;
    ++files;
    IconLibrary library;
    const LibraryReadResult result = ReadLibrary(entry.path(), library);
    EXPECT_EQ(result.groups, 0) << entry.path();
    EXPECT_EQ(result.status.code(), ErrorCode::kNoImages) << entry.path();
    EXPECT_EQ(library.path, kNewLibraryName);
  }
  EXPECT_GT(files, 0);
}

TEST(InteropIcl, WrestoolListsAndExtractsTheGroupsWeWrite) {
  if (!fx::HaveWrestool()) GTEST_SKIP() << "wrestool (icoutils) is not installed";
  fx::TempDir dir;
  const IconLibrary library = MakeLibrary({{0, 32, 32, 32},
                                           {0, 16, 16, 8},
                                           {0, 48, 48, 24},
                                           {1, 32, 32, 4},
                                           {1, 16, 16, 1},
                                           {2, 256, 256, 32}},
                                          3);
  const auto path = dir / "ours.icl";
  ASSERT_TRUE(WriteLibrary(library, path).ok());

  const std::string listing = fx::CaptureText("wrestool -l " + fx::ShellQuote(path));
  EXPECT_EQ(CountOccurrences(listing, "--type=14 "), 3) << listing;
  EXPECT_EQ(CountOccurrences(listing, "--type=3 "), 6) << listing;

  for (int g = 0; g < library.groupCount; ++g) {
    const std::string name = std::to_string(129 + g);
    EXPECT_NE(listing.find("--type=14 --name=" + name), std::string::npos) << listing;
    const auto ico = dir / ("group" + name + ".ico");
    ASSERT_TRUE(fx::RunQuiet("wrestool -x --type=14 --name=" + name + " -o " + fx::ShellQuote(ico) +
                             " " + fx::ShellQuote(path)))
        << "group " << name;
    const auto extracted = ReadIconFile(ico);
    ASSERT_TRUE(extracted.ok()) << extracted.status().message();
    const std::vector<int> members = library.GroupImages(g);
    ASSERT_EQ(extracted->frames.size(), members.size()) << "group " << name;
    for (std::size_t j = 0; j < members.size(); ++j) {
      const LibraryImage& ours = library.images[static_cast<std::size_t>(members[j])];
      EXPECT_EQ(extracted->frames[j].format, ours.bits) << "group " << name << " image " << j;
      ExpectSamePixels(ours.pixels, extracted->frames[j].image,
                       "group " + name + " image " + std::to_string(j));
    }
  }
}

TEST(InteropIcl, WrestoolReadsALibraryWrittenWithTheWiderSectorShift) {
  if (!fx::HaveWrestool()) GTEST_SKIP() << "wrestool (icoutils) is not installed";
  fx::TempDir dir;
  // 33 images of 256 pixels in two groups: beyond what 128-byte sectors address.
  IconLibrary library = MakeLibrary({}, 2);
  const LibraryImage big = ShapedImage({0, 256, 256, 32});
  for (int i = 0; i < 33; ++i) {
    LibraryImage copy;
    big.pixels.CopyTo(copy.pixels);
    copy.width = copy.height = 256;
    copy.group = i < 30 ? 0 : 1;
    library.images.push_back(std::move(copy));
  }
  const auto path = dir / "large.icl";
  ASSERT_TRUE(WriteLibrary(library, path).ok());
  const ByteVector file = fx::ReadAll(path);
  ASSERT_EQ(U16At(file, 0xC0), 8);

  const std::string listing = fx::CaptureText("wrestool -l " + fx::ShellQuote(path));
  EXPECT_EQ(CountOccurrences(listing, "--type=14 "), 2) << listing;
  EXPECT_EQ(CountOccurrences(listing, "--type=3 "), 33) << listing;
  // The group of the last three images, far beyond 8 MB, comes out whole.
  const auto ico = dir / "group130.ico";
  ASSERT_TRUE(fx::RunQuiet("wrestool -x --type=14 --name=130 -o " + fx::ShellQuote(ico) + " " +
                           fx::ShellQuote(path)));
  const auto extracted = ReadIconFile(ico);
  ASSERT_TRUE(extracted.ok()) << extracted.status().message();
  ASSERT_EQ(extracted->frames.size(), 3u);
  ExpectSamePixels(big.pixels, extracted->frames[2].image, "last image");
}

TEST(IclRewrite, ImagesLeftAsTheyWereKeepTheirStoredBytes) {
  fx::TempDir dir;
  const auto path = dir / "lib.icl";
  ASSERT_TRUE(WriteLibrary(MakeLibrary({{0, 16, 16, 32}, {0, 32, 32, 32}}, 1), path).ok());
  IconLibrary library;
  ASSERT_EQ(ReadLibrary(path, library).groups, 1);
  // The second image's stored length is cut so that no new encoding of it could fit: it is
  // passed over because its pixels did not change, while the first one is rewritten.
  library.images[1].dataLength = 10;
  std::vector<CDib> replacements = Flipped(library, 0);
  ASSERT_TRUE(library.images[1].pixels.CopyTo(replacements[1], CDib::CopyMode::kRecreate));
  const ByteVector before = fx::ReadAll(path);
  ASSERT_TRUE(RewriteImagesInPlace(library, 0, Refs(replacements, library, 0)).ok());
  const ByteVector after = fx::ReadAll(path);
  const auto second = static_cast<std::size_t>(library.images[1].fileOffset);
  EXPECT_TRUE(std::equal(before.begin() + static_cast<std::ptrdiff_t>(second), before.end(),
                         after.begin() + static_cast<std::ptrdiff_t>(second)));
  EXPECT_NE(before, after);
}

TEST(IclRewrite, IsRefusedWhenTheFileChangedOnDiskSinceItWasRead) {
  fx::TempDir dir;
  const auto path = dir / "lib.icl";
  ASSERT_TRUE(WriteLibrary(MakeLibrary({{0, 16, 16, 32}, {1, 16, 16, 8}}, 2), path).ok());
  IconLibrary library;
  ASSERT_EQ(ReadLibrary(path, library).groups, 2);
  const std::vector<CDib> flipped = Flipped(library, 0);

  // Another program appends to the file: the offsets read may no longer be right.
  ByteVector changed = fx::ReadAll(path);
  changed.push_back(0);
  fx::WriteAll(path, changed);
  EXPECT_EQ(RewriteImagesInPlace(library, 0, Refs(flipped, library, 0)).code(),
            ErrorCode::kChangedOnDisk);
  EXPECT_EQ(fx::ReadAll(path), changed);

  // Read again, the rewrite goes through, and the next one still matches the new stamp.
  ASSERT_EQ(ReadLibrary(path, library).groups, 2);
  EXPECT_TRUE(RewriteImagesInPlace(library, 0, Refs(flipped, library, 0)).ok());
  EXPECT_TRUE(RewriteImagesInPlace(library, 0, Refs(flipped, library, 0)).ok());

  library.stamp.reset();  // a library never read from this file
  EXPECT_EQ(RewriteImagesInPlace(library, 0, Refs(flipped, library, 0)).code(),
            ErrorCode::kChangedOnDisk);
}

}  // namespace
}  // namespace morvane
