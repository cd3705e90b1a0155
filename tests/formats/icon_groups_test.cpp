#include "formats/icon_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>

#include "exe_fixtures.h"
#include "format_test_support.h"
#include "formats/file_io.h"
#include "support/mutations.h"
#include "support/peers.h"
#include "support/wrestool_listing.h"

namespace morvane {
namespace {

namespace fx = morvane::testing;
using fx::ByteVector;
using fx::GroupData;
using fx::IconImageBlock;

ByteVector ToVector(Bytes b) {
  return {b.begin(), b.end()};
}

std::vector<std::uint16_t> ImageIds(const IconGroup& group) {
  std::vector<std::uint16_t> ids;
  for (const GroupImage& image : group.images) ids.push_back(image.entry.resourceId);
  return ids;
}

// The file offset of the data of the first `name` entry under type `type`.
std::size_t DataOffset(const ByteVector& file, std::uint16_t type, std::uint16_t name) {
  ResourceTree tree;
  EXPECT_TRUE(tree.Open(file));
  const auto dir = tree.FindDirectory(type);
  const auto data = dir->ItemData(*dir->FindItem(name));
  return static_cast<std::size_t>(data->data() - file.data());
}

class IconGroupHeaders : public ::testing::TestWithParam<bool> {};

TEST_P(IconGroupHeaders, TwoGroupsOfThreeAndTwoImagesYieldFiveImagesInGroupOrder) {
  const fx::PeFixture f = fx::BuildPe(
      {{kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
       {kResourceIcon, 2, u"", 0, IconImageBlock(32, 32, 8)},
       {kResourceIcon, 3, u"", 0, IconImageBlock(48, 48, 32)},
       {kResourceIcon, 4, u"", 0, IconImageBlock(24, 24, 24)},
       {kResourceIconGroup, 20, u"", 0,
        GroupData(false, {{16, 16, 4, 1}, {32, 32, 8, 2}, {48, 48, 32, 3}})},
       {kResourceIconGroup, 21, u"", 0, GroupData(false, {{24, 24, 24, 4}, {16, 16, 4, 1}})}},
      {.pe32Plus = GetParam()});
  const IconGroupList list = ListExecutableGroups(f.bytes);
  EXPECT_FALSE(list.fromNe);
  EXPECT_EQ(list.skippedGroups, 0);
  ASSERT_EQ(list.groups.size(), 2u);

  const IconGroup& first = list.groups[0];
  EXPECT_EQ(first.kind, GroupKind::kIcon);
  EXPECT_EQ(first.name, ResourceName::Number(20));
  EXPECT_EQ(first.index, 0);
  EXPECT_EQ(ImageIds(first), (std::vector<std::uint16_t>{1, 2, 3}));
  EXPECT_EQ(list.groups[1].index, 1);
  EXPECT_EQ(ImageIds(list.groups[1]), (std::vector<std::uint16_t>{4, 1}));

  const GroupImage& big = first.images[2];
  EXPECT_EQ(big.width, 48);
  EXPECT_EQ(big.height, 48);
  EXPECT_EQ(big.bits, 32);
  EXPECT_FALSE(big.isPng);
  EXPECT_EQ(ToVector(big.data), IconImageBlock(48, 48, 32));
  EXPECT_EQ(big.fileOffset, DataOffset(f.bytes, kResourceIcon, 3));
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, IconGroupHeaders, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Pe32Plus" : "Pe32"; });

TEST(IconGroups, AGroupWhoseEntryTableOverrunsItsDataIsSkippedAndTheOthersKept) {
  // Counts of 2 and 3 over data holding two entries; the second group lacks one byte of its
  // table, which the check on count * 14 + 4 alone would let through.
  ByteVector overrun = GroupData(false, {{16, 16, 4, 1}, {16, 16, 4, 1}});
  fx::PutU16(overrun, 4, 3);
  ByteVector shortByOne = GroupData(false, {{16, 16, 4, 1}, {16, 16, 4, 1}});
  shortByOne.pop_back();
  fx::PeFixture f =
      fx::BuildPe({{kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
                   {kResourceIconGroup, 1, u"", 0, GroupData(false, {{16, 16, 4, 1}})},
                   {kResourceIconGroup, 2, u"", 0, overrun},
                   {kResourceIconGroup, 3, u"", 0, shortByOne},
                   {kResourceIconGroup, 4, u"", 0, GroupData(false, {{16, 16, 4, 1}})},
                   {kResourceIconGroup, 5, u"", 0, {0, 0, 1, 0}}});
  const IconGroupList list = ListExecutableGroups(f.bytes);
  ASSERT_EQ(list.groups.size(), 2u);
  EXPECT_EQ(list.groups[0].name, ResourceName::Number(1));
  EXPECT_EQ(list.groups[1].name, ResourceName::Number(4));
  EXPECT_EQ(list.groups[1].index, 1);
  EXPECT_EQ(list.skippedGroups, 3);
}

TEST(IconGroups, MissingImagesAreSkippedAndAGroupWithoutAnyIsLeftOut) {
  const fx::PeFixture f = fx::BuildPe(
      {{kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
       {kResourceIcon, 0, u"NAMED", 0, IconImageBlock(16, 16, 4)},
       {kResourceIconGroup, 1, u"", 0, GroupData(false, {{16, 16, 4, 99}, {16, 16, 4, 1}})},
       {kResourceIconGroup, 2, u"", 0, GroupData(false, {{16, 16, 4, 98}})},
       {kResourceIconGroup, 3, u"", 0, GroupData(false, {})}});
  const IconGroupList list = ListExecutableGroups(f.bytes);
  ASSERT_EQ(list.groups.size(), 1u);
  EXPECT_EQ(ImageIds(list.groups[0]), (std::vector<std::uint16_t>{1}));
  EXPECT_EQ(list.skippedGroups, 2);
}

TEST(IconGroups, ImagesAreFoundOnlyAmongNumberedResources) {
  fx::PeFixture f = fx::BuildPe(
      {{kResourceIcon, 0, u"NAMED", 0, IconImageBlock(16, 16, 4)},
       {kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
       {kResourceIconGroup, 1, u"", 0, GroupData(false, {{16, 16, 4, 0xEEEE}, {16, 16, 4, 1}})}});
  // Point the group's first entry at the named icon's name field (a string offset) as a number.
  const std::uint64_t typeTable =
      f.rootOffset + (*LoadU32(f.bytes, f.rootOffset + 20) & 0x7FFFFFFF);
  const auto nameField = static_cast<std::uint16_t>(*LoadU32(f.bytes, typeTable + 16));
  const std::size_t firstId = DataOffset(f.bytes, kResourceIconGroup, 1) + 18;
  ASSERT_EQ(LoadU16(f.bytes, firstId), 0xEEEE);
  fx::PutU16(f.bytes, firstId, nameField);
  const IconGroupList list = ListExecutableGroups(f.bytes);
  ASSERT_EQ(list.groups.size(), 1u);
  EXPECT_EQ(ImageIds(list.groups[0]), (std::vector<std::uint16_t>{1}));
}

TEST(IconGroups, NamedGroupsAreListedAsWellAsNumberedOnes) {
  const fx::PeFixture f =
      fx::BuildPe({{kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
                   {kResourceIconGroup, 5, u"", 0, GroupData(false, {{16, 16, 4, 1}})},
                   {kResourceIconGroup, 0, u"APPICON", 0, GroupData(false, {{16, 16, 4, 1}})}});
  const IconGroupList list = ListExecutableGroups(f.bytes);
  ASSERT_EQ(list.groups.size(), 2u);
  EXPECT_EQ(list.groups[0].name, ResourceName::Text("APPICON"));
  EXPECT_EQ(list.groups[0].name.ToString(), "APPICON");
  EXPECT_EQ(list.groups[1].name.ToString(), "5");
}

TEST(IconGroups, CursorGroupsFollowIconGroupsWithHotspotAndTheImageAfterIt) {
  const ByteVector image = IconImageBlock(32, 32, 1);
  const fx::PeFixture f =
      fx::BuildPe({{kResourceCursorGroup, 7, u"", 0, GroupData(true, {{32, 64, 1, 1}})},
                   {kResourceCursor, 1, u"", 0, fx::CursorResource(5, 9, image)},
                   {kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
                   {kResourceIconGroup, 3, u"", 0, GroupData(false, {{16, 16, 4, 1}})}});
  const IconGroupList list = ListExecutableGroups(f.bytes);
  ASSERT_EQ(list.groups.size(), 2u);
  EXPECT_EQ(list.groups[0].kind, GroupKind::kIcon);
  const IconGroup& cursor = list.groups[1];
  EXPECT_EQ(cursor.kind, GroupKind::kCursor);
  EXPECT_EQ(cursor.index, 1);
  ASSERT_EQ(cursor.images.size(), 1u);
  const GroupImage& img = cursor.images[0];
  EXPECT_EQ(img.entry.width, 32);
  EXPECT_EQ(img.entry.height, 64) << "cursor entries hold 16-bit sizes";
  EXPECT_EQ(img.hotspotX, 5);
  EXPECT_EQ(img.hotspotY, 9);
  EXPECT_EQ(ToVector(img.data), image);
  EXPECT_EQ(img.fileOffset, DataOffset(f.bytes, kResourceCursor, 1) + 4);
  EXPECT_EQ(img.width, 32);
  EXPECT_EQ(img.height, 32);
  EXPECT_EQ(img.bits, 1);
}

TEST(IconGroups, SizeAndFormatComeFromTheImageHeaderWhereTheEntryCannotTell) {
  ByteVector noHeader(8, 0);
  const fx::PeFixture f = fx::BuildPe({
      {kResourceIcon, 1, u"", 0, fx::PngHead(256, 256)},
      {kResourceIcon, 2, u"", 0, IconImageBlock(32, 32, 8)},
      {kResourceIcon, 3, u"", 0, noHeader},
      {kResourceIcon, 4, u"", 0, fx::PngHead(300, 20, 4, 3)},
      {kResourceIconGroup, 1, u"", 0,
       GroupData(false,
                 {{0, 0, 32, 1},
                  {32, 32, 0, 2},
                  {.width = 0, .height = 20, .bitCount = 0, .resourceId = 3, .colorCount = 16},
                  {44, 20, 0, 4}})},
      {kResourceCursor, 5, u"", 0, fx::CursorResource(1, 2, noHeader)},
      {kResourceCursorGroup, 2, u"", 0, GroupData(true, {{48, 96, 0, 5}})},
  });
  const IconGroupList list = ListExecutableGroups(f.bytes);
  ASSERT_EQ(list.groups.size(), 2u);
  const auto& icons = list.groups[0].images;
  ASSERT_EQ(icons.size(), 4u);
  EXPECT_TRUE(icons[0].isPng);
  EXPECT_EQ(icons[0].width, 256);
  EXPECT_EQ(icons[0].bits, 32);
  EXPECT_EQ(icons[1].bits, 8) << "entry bit count 0: the header's";
  EXPECT_EQ(icons[2].width, 256) << "unreadable header: the entry, 0 meaning 256";
  EXPECT_EQ(icons[2].height, 20);
  EXPECT_EQ(icons[2].bits, 4) << "16 colours";
  EXPECT_EQ(icons[3].width, 300) << "a PNG may be wider than an entry byte says";
  EXPECT_EQ(icons[3].bits, 4);
  const GroupImage& cursor = list.groups[1].images.at(0);
  EXPECT_EQ(cursor.width, 48);
  EXPECT_EQ(cursor.height, 48) << "a doubled entry height is halved";
  EXPECT_EQ(cursor.bits, 32);
}

TEST(IconGroups, ManyGroupsSharingOneLongEntryTableStopAtTheBound) {
  // Three groups whose data entries all lead to one table of 65535 entries.
  std::vector<fx::GroupFixtureEntry> entries(0xFFFF, {16, 16, 4, 1});
  fx::PeFixture f = fx::BuildPe({{kResourceIcon, 1, u"", 0, IconImageBlock(16, 16, 4)},
                                 {kResourceIconGroup, 1, u"", 0, GroupData(false, entries)},
                                 {kResourceIconGroup, 2, u"", 0, {0}},
                                 {kResourceIconGroup, 3, u"", 0, {0}}});
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  const auto groups = tree.FindDirectory(kResourceIconGroup);
  const ResourceItem first = *groups->FindItem(1);
  for (std::uint16_t id : {2, 3}) {
    // Find the data entry through the tree's own view: rewrite address and size in place.
    const ResourceItem other = *groups->FindItem(id);
    for (std::size_t at = f.rootOffset; at + 8 <= f.bytes.size(); at += 4) {
      if (LoadU32(f.bytes, at) == other.dataAddress && LoadU32(f.bytes, at + 4) == 1u) {
        fx::PutU32(f.bytes, at, first.dataAddress);
        fx::PutU32(f.bytes, at + 4, first.dataSize);
        break;
      }
    }
  }
  const auto start = std::chrono::steady_clock::now();
  const IconGroupList list = ListExecutableGroups(f.bytes);
  EXPECT_TRUE(list.truncated);
  std::size_t images = 0;
  for (const IconGroup& g : list.groups) images += g.images.size();
  EXPECT_EQ(images, kMaxGroupEntries);
  EXPECT_EQ(list.groups.size(), 2u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(IconGroups, NeFilesAreListedWhenThereIsNoPeTree) {
  const ByteVector cursorImage = IconImageBlock(32, 32, 1);
  const fx::NeFixture f =
      fx::BuildNe({{14, 1, "", GroupData(false, {{16, 16, 4, 1}, {32, 32, 8, 2}})},
                   {12, 0, "ARROW", GroupData(true, {{32, 64, 1, 3}})},
                   {1, 3, "", fx::CursorResource(3, 4, cursorImage)},
                   {3, 1, "", IconImageBlock(16, 16, 4)},
                   {3, 2, "", IconImageBlock(32, 32, 8)}},
                  7);
  const IconGroupList list = ListExecutableGroups(f.bytes);
  EXPECT_TRUE(list.fromNe);
  ASSERT_EQ(list.groups.size(), 2u);
  EXPECT_EQ(ImageIds(list.groups[0]), (std::vector<std::uint16_t>{1, 2}));
  const GroupImage& last = list.groups[0].images[1];
  EXPECT_EQ(ToVector(last.data), IconImageBlock(32, 32, 8))
      << "the last resource ends with the file, inside its last sector";
  EXPECT_EQ(last.fileOffset + last.data.size(), f.bytes.size());
  EXPECT_EQ(last.bits, 8);
  EXPECT_EQ(list.groups[1].name, ResourceName::Text("ARROW"));
  EXPECT_EQ(list.groups[1].images.at(0).hotspotY, 4);
}

TEST(IconGroups, FilesWithoutResourcesListNothing) {
  EXPECT_TRUE(ListExecutableGroups({}).groups.empty());
  const ByteVector text{'n', 'o', 't', ' ', 'a', 'n', ' ', 'e', 'x', 'e'};
  EXPECT_TRUE(ListExecutableGroups(text).groups.empty());
  EXPECT_TRUE(ListIconGroups(ResourceTree()).groups.empty());
}

// Whatever a damaged file holds, every image handed out lies inside it.
void ExerciseListing(Bytes bytes) {
  const IconGroupList list = ListExecutableGroups(bytes);
  for (const IconGroup& g : list.groups) {
    ASSERT_FALSE(g.images.empty());
    for (const GroupImage& image : g.images) {
      ASSERT_LE(image.fileOffset + image.data.size(), bytes.size());
      ASSERT_EQ(image.data.data(), bytes.data() + image.fileOffset);
    }
  }
}

TEST(IconGroupsRobustness, EveryBitFlipAndTruncationOfAPeFileFailsCleanlyOrReads) {
  const fx::PeFixture f =
      fx::BuildPe({{kResourceIcon, 1, u"", 0, IconImageBlock(2, 2, 1)},
                   {kResourceIconGroup, 0, u"G", 0, GroupData(false, {{2, 2, 1, 1}})},
                   {kResourceCursor, 2, u"", 0, fx::CursorResource(1, 1, fx::PngHead(2, 2))},
                   {kResourceCursorGroup, 9, u"", 0, GroupData(true, {{2, 4, 1, 2}})}});
  ASSERT_EQ(ListExecutableGroups(f.bytes).groups.size(), 2u);
  fx::ForEachBitFlip(f.bytes, ExerciseListing);
  fx::ForEachTruncation(f.bytes, ExerciseListing);
}

TEST(IconGroupsRobustness, EveryBitFlipAndTruncationOfAnNeFileFailsCleanlyOrReads) {
  const fx::NeFixture f = fx::BuildNe(
      {{14, 0, "G", GroupData(false, {{2, 2, 1, 1}})}, {3, 1, "", IconImageBlock(2, 2, 1)}}, 4);
  ASSERT_EQ(ListExecutableGroups(f.bytes).groups.size(), 1u);
  fx::ForEachBitFlip(f.bytes, ExerciseListing);
  fx::ForEachTruncation(f.bytes, ExerciseListing);
}

// ---------------------------------------------------------------------------------------------
// Real programs and libraries

struct KnownFile {
  const char* path;  // under the shared test data's pe/ folder
  std::size_t iconGroups;
  std::size_t cursorGroups;
  bool pe32Plus;
};

const KnownFile kKnownFiles[] = {
    {"wine64/notepad.exe", 1, 0, true},
    {"wine64/regedit.exe", 6, 0, true},
    {"wine64/wordpad.exe", 1, 1, true},
    {"wine64/user32.dll", 7, 28, true},
    {"nsis/Stubs/zlib-x86-ansi", 1, 0, false},
    {"nsis/Stubs/zlib-amd64-unicode", 1, 0, true},
    {"nsis/Stubs/lzma_solid-x86-unicode", 1, 0, false},
    {"nsis/Stubs/bzip2_solid-amd64-unicode", 1, 0, true},
};

std::string TestNameOf(const std::string& path) {
  std::string name;
  for (char c : path) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

std::size_t CountKind(const IconGroupList& list, GroupKind kind) {
  std::size_t n = 0;
  for (const IconGroup& g : list.groups) n += g.kind == kind;
  return n;
}

class InteropPeFiles : public ::testing::TestWithParam<KnownFile> {
 protected:
  std::filesystem::path Path() const {
    return fx::SharedData(std::string("pe/") + GetParam().path);
  }
};

TEST_P(InteropPeFiles, ListsTheKnownNumberOfIconAndCursorGroups) {
  const auto bytes = ReadFileBytes(Path());
  ASSERT_TRUE(bytes.ok());
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(*bytes));
  EXPECT_EQ(tree.IsPe32Plus(), GetParam().pe32Plus);
  const IconGroupList list = ListIconGroups(tree);
  EXPECT_EQ(CountKind(list, GroupKind::kIcon), GetParam().iconGroups);
  EXPECT_EQ(CountKind(list, GroupKind::kCursor), GetParam().cursorGroups);
  EXPECT_EQ(list.skippedGroups, 0);
}

// Entries of the file's own group data, read here independently of the reader under test.
struct RawEntry {
  std::uint16_t width, height, planes, bits, id;
  std::uint8_t colors;
  std::uint32_t bytes;
};

std::vector<RawEntry> RawEntries(const ByteVector& group, bool cursor) {
  std::vector<RawEntry> out;
  const std::size_t count = group.size() >= 6 ? group[4] | group[5] << 8 : 0;
  for (std::size_t k = 0; k < count && 6 + 14 * (k + 1) <= group.size(); ++k) {
    const Bytes e = Bytes(group).subspan(6 + 14 * k, 14);
    RawEntry r{};
    r.width = cursor ? *LoadU16(e, 0) : e[0];
    r.height = cursor ? *LoadU16(e, 2) : e[1];
    r.colors = cursor ? 0 : e[2];
    r.planes = *LoadU16(e, 4);
    r.bits = *LoadU16(e, 6);
    r.bytes = *LoadU32(e, 8);
    r.id = *LoadU16(e, 12);
    out.push_back(r);
  }
  return out;
}

// The first language of every name of one type, in listed order.
std::vector<std::string> NamesOfType(const std::vector<fx::WrestoolEntry>& listing,
                                     const std::string& type) {
  std::vector<std::string> names;
  for (const auto& e : listing) {
    if (e.type == type && std::find(names.begin(), names.end(), e.name) == names.end()) {
      names.push_back(e.name);
    }
  }
  return names;
}

class PeerComparison {
 public:
  explicit PeerComparison(std::filesystem::path path) : path_(std::move(path)) {}

  ByteVector Extract(const std::string& args) const {
    auto out = fx::RunCapture("wrestool -x " + args + " " + fx::ShellQuote(path_));
    EXPECT_TRUE(out) << args;
    return out.value_or(ByteVector{});
  }

  // Group entries, image bytes and hotspots against the raw resources wrestool extracts; sizes,
  // formats and hotspots against the icon or cursor file it converts the group into.
  void CheckGroup(const IconGroup& group, const std::vector<std::string>& imageNames) const {
    const bool cursor = group.kind == GroupKind::kCursor;
    const std::string groupType = cursor ? "12" : "14";
    const std::string imageType = cursor ? "1" : "3";
    const std::string name = fx::ShellQuote(group.name.ToString());
    std::vector<RawEntry> expected;
    for (const RawEntry& e : RawEntries(Extract("--raw -t " + groupType + " -n " + name), cursor)) {
      if (std::find(imageNames.begin(), imageNames.end(), std::to_string(e.id)) !=
          imageNames.end()) {
        expected.push_back(e);
      }
    }
    ASSERT_EQ(group.images.size(), expected.size());
    const ByteVector converted = Extract("-t " + groupType + " -n " + name);
    ASSERT_GE(converted.size(), 6 + 16 * expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      SCOPED_TRACE("image " + std::to_string(k));
      const GroupImage& image = group.images[k];
      const RawEntry& e = expected[k];
      EXPECT_EQ(image.entry.resourceId, e.id);
      EXPECT_EQ(image.entry.width, e.width);
      EXPECT_EQ(image.entry.height, e.height);
      EXPECT_EQ(image.entry.colorCount, e.colors);
      EXPECT_EQ(image.entry.planes, e.planes);
      EXPECT_EQ(image.entry.bitCount, e.bits);
      EXPECT_EQ(image.entry.bytesInResource, e.bytes);

      ByteVector raw = Extract("--raw -t " + imageType + " -n " + std::to_string(e.id));
      const Bytes dir = Bytes(converted).subspan(6 + 16 * k, 16);
      EXPECT_EQ(dir[0], image.width & 0xFF);
      if (cursor) {
        ASSERT_GE(raw.size(), 4u);
        EXPECT_EQ(image.hotspotX, *LoadU16(raw, 0));
        EXPECT_EQ(image.hotspotY, *LoadU16(raw, 2));
        EXPECT_EQ(*LoadU16(dir, 4), image.hotspotX);
        EXPECT_EQ(*LoadU16(dir, 6), image.hotspotY);
        raw.erase(raw.begin(), raw.begin() + 4);
      } else {
        EXPECT_EQ(dir[1], image.height & 0xFF);
        EXPECT_EQ(*LoadU16(dir, 6), image.bits);
      }
      EXPECT_TRUE(ToVector(image.data) == raw) << "image bytes differ from wrestool's";
    }
  }

 private:
  std::filesystem::path path_;
};

TEST_P(InteropPeFiles, GroupsAndImagesMatchWrestool) {
  if (!fx::HaveWrestool()) GTEST_SKIP() << "icoutils' wrestool is not installed";
  const auto bytes = ReadFileBytes(Path());
  ASSERT_TRUE(bytes.ok());
  const IconGroupList list = ListExecutableGroups(*bytes);
  const auto text = fx::RunCapture("wrestool -l " + fx::ShellQuote(Path()));
  ASSERT_TRUE(text);
  const auto listing = fx::ParseWrestoolListing(std::string(text->begin(), text->end()));

  std::vector<std::pair<GroupKind, std::string>> expected;
  for (const auto& n : NamesOfType(listing, "14")) expected.emplace_back(GroupKind::kIcon, n);
  for (const auto& n : NamesOfType(listing, "12")) expected.emplace_back(GroupKind::kCursor, n);
  ASSERT_EQ(list.groups.size(), expected.size());
  const PeerComparison peer(Path());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const IconGroup& group = list.groups[i];
    SCOPED_TRACE("group " + group.name.ToString());
    EXPECT_EQ(group.kind, expected[i].first);
    EXPECT_EQ(group.name.ToString(), expected[i].second);
    peer.CheckGroup(group, NamesOfType(listing, group.kind == GroupKind::kIcon ? "3" : "1"));
  }
}

INSTANTIATE_TEST_SUITE_P(SharedTestData, InteropPeFiles, ::testing::ValuesIn(kKnownFiles),
                         [](const auto& info) { return TestNameOf(info.param.path); });

TEST(InteropPeFiles, TheUninstallerDataStubIsNoExecutable) {
  const auto bytes = ReadFileBytes(fx::SharedData("pe/nsis/Stubs/uninst"));
  ASSERT_TRUE(bytes.ok());
  EXPECT_TRUE(ListExecutableGroups(*bytes).groups.empty());
}

}  // namespace
}  // namespace morvane
