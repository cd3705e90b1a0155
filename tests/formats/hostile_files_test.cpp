// Files that once crashed, hung or exhausted a reader under the fuzzer, and files that claim
// pictures too large to allocate. They stay in tests/data/<format>/ forever; every reader must
// either refuse them with a reason or decode something sound. Files named too_large_* must be
// refused as too large (the reader checks the size before allocating).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "format_test_support.h"
#include "formats/ani_codec.h"
#include "formats/bmp_codec.h"
#include "formats/executable_objects.h"
#include "formats/gif_codec.h"
#include "formats/icl_reader.h"
#include "formats/ico_codec.h"
#include "formats/icon_groups.h"
#include "formats/icon_image.h"
#include "formats/jpeg_codec.h"
#include "formats/ne_resources.h"
#include "formats/png_codec.h"
#include "formats/resource_tree.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

// What a reader made of one file: its failure, or nothing when it read the file.
using Outcome = std::optional<Status>;
using Reader = std::function<Outcome(Bytes)>;

Outcome FromStatus(const Status& status) {
  if (status.ok()) return std::nullopt;
  return status;
}

// A failure must say why.
void ExpectSound(const Outcome& outcome) {
  if (outcome) {
    EXPECT_NE(outcome->code(), ErrorCode::kNone);
    EXPECT_FALSE(outcome->message().empty());
  }
}

int RunFolder(const std::string& folder, const Reader& read) {
  const fs::path dir = testing::OwnData(folder);
  if (!fs::exists(dir)) return 0;
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(folder + "/" + name);
    const std::vector<std::uint8_t> data = testing::ReadAll(entry.path());
    const Outcome outcome = read(data);
    ExpectSound(outcome);
    if (name.starts_with("too_large_")) {
      EXPECT_TRUE(outcome.has_value()) << "read a picture too large to allocate";
      if (outcome) {
        EXPECT_EQ(outcome->code(), ErrorCode::kTooLarge) << outcome->message();
      }
    }
    ++count;
  }
  return count;
}

Outcome ReadPicture(Bytes data, const std::function<Status(Bytes, CDib&)>& load) {
  CDib image;
  const Status status = load(data, image);
  if (status.ok()) {
    EXPECT_GT(image.GetWidth(), 0);
    EXPECT_GT(image.GetHeight(), 0);
  }
  return FromStatus(status);
}

TEST(HostileFiles, PicturesFailCleanlyOrDecode) {
  RunFolder("png", [](Bytes data) {
    return ReadPicture(data, [](Bytes d, CDib& image) { return LoadPng(d, image).status(); });
  });
  RunFolder("bmp", [](Bytes data) {
    return ReadPicture(data, [](Bytes d, CDib& image) { return LoadBmp(d, image).status(); });
  });
  RunFolder("gif", [](Bytes data) { return ReadPicture(data, ReadGif); });
  RunFolder("jpeg", [](Bytes data) {
    const Result<RgbImage> read = LoadJpeg(data);
    if (read.ok()) {
      EXPECT_EQ(read->rgb.size(), std::size_t{3} * read->width * read->height);
    }
    return FromStatus(read.status());
  });
}

// 255 images of 16000 x 16000 whose data stores no row (4 KB in all): each made the reader
// create and clear a 1 GiB canvas, two minutes in all. The canvas now waits for the first row.
TEST(HostileFiles, GifImagesWithoutRowsCostNothing) {
  CDib image;
  const Status read =
      ReadGifFile(testing::OwnData("gif/images_16000x16000_without_rows_255_times.gif"), image);
  EXPECT_EQ(read.code(), ErrorCode::kTruncated) << read.message();
  EXPECT_FALSE(image.IsLive());
}

TEST(HostileFiles, IconsAndIconImagesFailCleanlyOrDecode) {
  RunFolder("icon_image", [](Bytes data) {
    const Result<DecodedIconImage> read = DecodeIconImage(data);
    if (read.ok()) {
      EXPECT_GT(read->image.GetWidth(), 0);
    }
    return FromStatus(read.status());
  });
  RunFolder("ico", [](Bytes data) {
    const Result<IconFileContents> read = ReadIconFile(data);
    if (read.ok()) {
      EXPECT_FALSE(read->frames.empty());
    }
    return FromStatus(read.status());
  });
  RunFolder("ani", [](Bytes data) {
    const Result<AniContents> read = LoadAniFile(data);
    if (read.ok()) {
      EXPECT_FALSE(read->frames.empty());
    }
    return FromStatus(read.status());
  });
}

// 256 entries of 12 KB named one 8200 x 8200 PNG stream: 64 GiB of pixels before the icon reader
// bounded all images of a file together. The first entry, 4096 x 4000, fits and loads.
TEST(HostileFiles, IconEntriesSharingOneHugeImageAreBoundedTogether) {
  const auto read = ReadIconFile(testing::OwnData("ico/entries_sharing_one_8200x8200_png.ico"));
  ASSERT_TRUE(read.ok()) << read.status().message();
  ASSERT_EQ(read->frames.size(), 1u);
  EXPECT_EQ(read->frames[0].image.GetWidth(), 4096);
  EXPECT_EQ(read->skipped, 255);
  EXPECT_EQ(read->firstSkipReason.code(), ErrorCode::kTooLarge);
}

// 64 frames, each a 6000 x 6000 PNG cursor (287 KB in all): every frame was decoded, most only to
// be dropped by the bound on all frames, which took seconds and over 1 GiB. A frame announcing
// more than is left is now refused before decoding.
TEST(HostileFiles, AnimatedCursorFramesBeyondTheBoundAreNotDecoded) {
  const auto read = LoadAniFile(testing::OwnData("ani/frames_6000x6000_64_times.ani"));
  ASSERT_TRUE(read.ok()) << read.status().message();
  ASSERT_EQ(read->frames.size(), 1u);
  EXPECT_EQ(read->frames[0].image.GetWidth(), 6000);
  EXPECT_EQ(read->skipped, 63);
  EXPECT_EQ(read->firstSkipReason.code(), ErrorCode::kNoImages);
  EXPECT_NE(read->firstSkipReason.message().find("too large"), std::string::npos)
      << read->firstSkipReason.message();
}

// A group of 256 entries naming one 8200 x 8200 PNG icon: the previews kept a display copy of
// each, 64 GiB in all. Images larger than a frame are neither previewed nor decoded now.
TEST(HostileFiles, GroupImagesLargerThanAFrameAreNotDecoded) {
  const ExecutableObjects objects(
      "hostile.dll",
      testing::ReadAll(testing::OwnData("pe/group_naming_one_8200x8200_png_256_times.dll")));
  ASSERT_EQ(objects.Count(), 1);
  const std::vector<ObjectPreview> previews = objects.Previews(0, 0);
  ASSERT_EQ(previews.size(), 256u);
  EXPECT_EQ(previews[0].info.width, 8200);
  EXPECT_FALSE(previews[0].readable);
  const ObjectFrames frames = objects.Decode(0, IconDocument::kMaxFrames);
  EXPECT_TRUE(frames.frames.empty());
  EXPECT_EQ(frames.skipped, 256);
}

TEST(HostileFiles, ExecutablesAndLibrariesFailCleanlyOrList) {
  const Reader listGroups = [](Bytes data) -> Outcome {
    const IconGroupList list = ListExecutableGroups(data);
    for (const IconGroup& group : list.groups) {
      EXPECT_FALSE(group.images.empty());
    }
    const ExecutableObjects objects("hostile.dll",
                                    std::vector<std::uint8_t>(data.begin(), data.end()));
    for (int group = 0; group < objects.Count(); ++group) {
      for (const ObjectPreview& preview : objects.Previews(group, 0)) {
        if (preview.readable) {
          EXPECT_TRUE(FitsDocumentFrame(preview.preview));
        }
      }
      for (const ObjectFrames::Frame& frame :
           objects.Decode(group, IconDocument::kMaxFrames).frames) {
        EXPECT_TRUE(FitsDocumentFrame(frame.image));
      }
    }
    IconLibrary library;
    const LibraryReadResult read = ReadLibrary(data, library);
    if (read.groups == 0) {
      EXPECT_FALSE(read.status.ok());
      return read.status;
    }
    EXPECT_EQ(library.groupCount, read.groups);
    return std::nullopt;
  };
  RunFolder("pe", listGroups);
  RunFolder("ne", listGroups);
  RunFolder("icl", listGroups);
}

}  // namespace
}  // namespace morvane
