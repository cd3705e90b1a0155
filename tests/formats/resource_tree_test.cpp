#include "formats/resource_tree.h"

#include <gtest/gtest.h>

#include "exe_fixtures.h"
#include "support/mutations.h"

namespace morvane {
namespace {

namespace fx = morvane::testing;
using fx::ByteVector;

const ByteVector kGroupSeven = fx::GroupData(false, {{16, 16, 32, 1}, {32, 32, 8, 2}});
const ByteVector kGroupSevenGerman = fx::GroupData(false, {{16, 16, 32, 1}});
const ByteVector kNamedGroup = fx::GroupData(false, {{32, 32, 8, 2}});

std::vector<fx::PeFixtureResource> SampleResources() {
  return {
      {kResourceIcon, 1, u"", 0, fx::IconImageBlock(16, 16, 32)},
      {kResourceIcon, 2, u"", 0, fx::IconImageBlock(32, 32, 8)},
      {kResourceIconGroup, 7, u"", 1033, kGroupSeven},
      {kResourceIconGroup, 0, u"MAIN\u00CFCON", 0, kNamedGroup},
      {kResourceIconGroup, 7, u"", 1031, kGroupSevenGerman},
  };
}

ByteVector ToVector(Bytes b) {
  return {b.begin(), b.end()};
}

// File offset of the first data entry under type entry `type` and name entry `name`.
std::size_t DataEntryOffset(const fx::PeFixture& f, std::size_t type, std::size_t name) {
  const Bytes b = f.bytes;
  const auto child = [&](std::size_t table, std::size_t index) {
    return f.rootOffset + (*LoadU32(b, table + 16 + 8 * index + 4) & 0x7FFFFFFF);
  };
  const std::size_t typeTable = child(f.rootOffset, type);
  const std::size_t languageTable = child(typeTable, name);
  return child(languageTable, 0);
}

// The file offset of entry `index` of the table at `table`.
std::size_t EntryOffset(std::size_t table, std::size_t index) {
  return table + 16 + 8 * index;
}

class ResourceTreeHeaders : public ::testing::TestWithParam<bool> {};

TEST_P(ResourceTreeHeaders, FindsDirectoriesEntriesAndDataOfPe32AndPe32Plus) {
  const fx::PeFixture f = fx::BuildPe(SampleResources(), {.pe32Plus = GetParam()});
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  EXPECT_EQ(tree.IsPe32Plus(), GetParam());

  const auto groups = tree.FindDirectory(kResourceIconGroup);
  ASSERT_TRUE(groups);
  EXPECT_EQ(groups->EntryCount(), 2u);
  const auto first = groups->NextEntry(std::nullopt);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->index, 0u);
  EXPECT_EQ(first->name, ResourceName::Text("MAIN\xC3\x8F"
                                            "CON"))
      << "named entries come first";
  EXPECT_EQ(ToVector(*groups->ItemData(*first)), kNamedGroup);

  const auto second = groups->NextEntry(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->name, ResourceName::Number(7));
  EXPECT_EQ(second->language, 1033) << "the data of the first language";
  EXPECT_EQ(ToVector(*groups->ItemData(*second)), kGroupSeven);
  EXPECT_EQ(groups->ItemSize(*second), kGroupSeven.size());
  EXPECT_FALSE(groups->NextEntry(second));

  const auto icons = tree.FindDirectory(kResourceIcon);
  ASSERT_TRUE(icons);
  const auto icon = icons->FindItem(2);
  ASSERT_TRUE(icon);
  EXPECT_EQ(ToVector(*icons->ItemData(*icon)), fx::IconImageBlock(32, 32, 8));
  EXPECT_FALSE(icons->FindItem(3));
  EXPECT_FALSE(tree.FindDirectory(kResourceCursor));
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, ResourceTreeHeaders, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Pe32Plus" : "Pe32"; });

TEST(ResourceTreeLookup, FindItemIgnoresNamedEntriesWhoseNameFieldLooksLikeTheId) {
  const fx::PeFixture f = fx::BuildPe(SampleResources());
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  const auto groups = tree.FindDirectory(kResourceIconGroup);
  ASSERT_TRUE(groups);
  // The named entry's name field is a string offset; its low 16 bits are no ID.
  const std::size_t typeTable =
      f.rootOffset + (*LoadU32(f.bytes, EntryOffset(f.rootOffset, 1) + 4) & 0x7FFFFFFF);
  const auto nameField = static_cast<std::uint16_t>(*LoadU32(f.bytes, EntryOffset(typeTable, 0)));
  ASSERT_NE(nameField, 7);
  EXPECT_FALSE(groups->FindItem(nameField));
  EXPECT_FALSE(tree.FindDirectory(nameField));
}

TEST(ResourceTreeLookup, CloseEmptiesTheTree) {
  const fx::PeFixture f = fx::BuildPe(SampleResources());
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  tree.Close();
  EXPECT_FALSE(tree.IsOpen());
  EXPECT_FALSE(tree.FindDirectory(kResourceIconGroup));
  EXPECT_FALSE(tree.NextEntry(std::nullopt));
}

TEST(ResourceTreeOpen, RefusesWhatIsNoPeFileWithResources) {
  const fx::PeFixture f = fx::BuildPe(SampleResources());
  const auto opens = [](const ByteVector& bytes) {
    ResourceTree tree;
    const bool opened = tree.Open(bytes);
    EXPECT_EQ(opened, tree.IsOpen());
    return opened;
  };
  ASSERT_TRUE(opens(f.bytes));
  EXPECT_FALSE(opens({}));
  EXPECT_FALSE(opens({'M', 'Z'}));

  ByteVector b = f.bytes;
  b[1] = 'Y';
  EXPECT_FALSE(opens(b)) << "no MZ";
  b = f.bytes;
  fx::PutU16(b, 24, 63);
  EXPECT_FALSE(opens(b)) << "not a new-style executable";
  b = f.bytes;
  b[0x41] = 'F';
  EXPECT_FALSE(opens(b)) << "no PE signature";
  b = f.bytes;
  fx::PutU32(b, 60, 0xFFFFFFF0u);
  EXPECT_FALSE(opens(b)) << "PE header beyond the file";
  b = f.bytes;
  fx::PutU16(b, 0x40 + 24, 0x107);
  EXPECT_FALSE(opens(b)) << "unknown optional header";
  b = f.bytes;
  fx::PutU32(b, f.resourceDataDirectory, 0);
  EXPECT_FALSE(opens(b)) << "no resource directory";
  b = f.bytes;
  fx::PutU32(b, f.resourceDataDirectory - 20, 2);
  EXPECT_FALSE(opens(b)) << "the directory count ends before the resource entry";
  b = f.bytes;
  fx::PutU16(b, 0x40 + 20, 96 + 16);
  EXPECT_FALSE(opens(b)) << "the optional header ends before the resource entry";
  b.assign(f.bytes.begin(), f.bytes.begin() + static_cast<std::ptrdiff_t>(f.rootOffset + 12));
  EXPECT_FALSE(opens(b)) << "root table cut off";
  EXPECT_FALSE(opens(fx::BuildNe({{14, 1, "", {0, 0, 1, 0, 0, 0}}}).bytes)) << "16-bit NE file";
}

TEST(ResourceTreeOpen, RefusesAResourceDirectoryInNoSection) {
  const fx::PeFixture f = fx::BuildPe(SampleResources(), {.resourceAddressOverride = 0x9000});
  ResourceTree tree;
  EXPECT_FALSE(tree.Open(f.bytes));
  EXPECT_FALSE(tree.FindDirectory(kResourceIconGroup));
}

TEST(ResourceTreeOpen, SectionWithoutVirtualSizeSpansItsRawData) {
  fx::PeFixture f = fx::BuildPe(SampleResources());
  fx::PutU32(f.bytes, f.sectionTable + 40 + 8, 0);
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  const auto icons = tree.FindDirectory(kResourceIcon);
  ASSERT_TRUE(icons && icons->FindItem(1));
  EXPECT_TRUE(icons->ItemData(*icons->FindItem(1)));
}

TEST(ResourceTreeBounds, DataOutsideTheFileYieldsNothingAndTheOtherEntriesStay) {
  fx::PeFixture f = fx::BuildPe(SampleResources());
  // Types are stored in first-seen order: icon (0), icon group (1).
  fx::PutU32(f.bytes, DataEntryOffset(f, 0, 0) + 4, 0x7FFFFFF0u);  // icon 1: huge size
  fx::PutU32(f.bytes, DataEntryOffset(f, 1, 0), 0x9000);           // named group: no section
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  const auto icons = tree.FindDirectory(kResourceIcon);
  ASSERT_TRUE(icons);
  const auto bad = icons->FindItem(1);
  ASSERT_TRUE(bad);
  EXPECT_FALSE(icons->ItemData(*bad));
  EXPECT_TRUE(icons->ItemData(*icons->FindItem(2)));

  const auto groups = tree.FindDirectory(kResourceIconGroup);
  const auto named = groups->NextEntry(std::nullopt);
  ASSERT_TRUE(named);
  EXPECT_FALSE(groups->ItemData(*named));
  EXPECT_TRUE(groups->ItemData(*groups->NextEntry(named)));
}

TEST(ResourceTreeBounds, TablesRunningPastTheFileAreNotFollowed) {
  fx::PeFixture f = fx::BuildPe(SampleResources());
  const std::size_t typeTable =
      f.rootOffset + (*LoadU32(f.bytes, EntryOffset(f.rootOffset, 1) + 4) & 0x7FFFFFFF);
  fx::PutU16(f.bytes, typeTable + 14, 0xFFFF);
  ResourceTree tree;
  ASSERT_TRUE(tree.Open(f.bytes));
  EXPECT_FALSE(tree.FindDirectory(kResourceIconGroup));
  EXPECT_TRUE(tree.FindDirectory(kResourceIcon)) << "the other type is unharmed";

  fx::PutU32(f.bytes, EntryOffset(f.rootOffset, 0) + 4, 0xFFFFFFF0u);
  ASSERT_TRUE(tree.Open(f.bytes));
  EXPECT_FALSE(tree.FindDirectory(kResourceIcon)) << "subdirectory offset beyond the file";
}

TEST(ResourceTreeBounds, SubdirectoryLoopsEndWithoutData) {
  const fx::PeFixture clean = fx::BuildPe(SampleResources());
  const std::size_t typeTable =
      clean.rootOffset + (*LoadU32(clean.bytes, EntryOffset(clean.rootOffset, 1) + 4) & 0x7FFFFFFF);
  const std::size_t languageTable =
      clean.rootOffset + (*LoadU32(clean.bytes, EntryOffset(typeTable, 0) + 4) & 0x7FFFFFFF);
  const std::uint32_t typeTableField =
      0x80000000u | static_cast<std::uint32_t>(typeTable - clean.rootOffset);

  // A language entry pointing back at the root; a name entry pointing at its own table.
  for (const auto& [entry, target] : {std::pair{EntryOffset(languageTable, 0), 0x80000000u},
                                      std::pair{EntryOffset(typeTable, 0), typeTableField}}) {
    ByteVector b = clean.bytes;
    fx::PutU32(b, entry + 4, target);
    ResourceTree tree;
    ASSERT_TRUE(tree.Open(b));
    const auto groups = tree.FindDirectory(kResourceIconGroup);
    ASSERT_TRUE(groups);
    int seen = 0;
    for (auto item = groups->NextEntry(std::nullopt); item; item = groups->NextEntry(item)) {
      if (item->index == 0) {
        EXPECT_FALSE(groups->ItemData(*item));
      }
      ++seen;
    }
    EXPECT_EQ(seen, 2);
  }
}

// Every lookup on a damaged file either fails or hands out bytes inside the file.
void ExerciseTree(Bytes bytes) {
  ResourceTree tree;
  if (!tree.Open(bytes)) return;
  for (std::uint16_t type : {kResourceIcon, kResourceIconGroup}) {
    const auto dir = tree.FindDirectory(type);
    if (!dir) continue;
    for (auto item = dir->NextEntry(std::nullopt); item; item = dir->NextEntry(item)) {
      if (const auto data = dir->ItemData(*item)) {
        ASSERT_GE(data->data(), bytes.data());
        ASSERT_LE(data->data() + data->size(), bytes.data() + bytes.size());
      }
    }
    for (std::uint16_t id : {1, 2, 7}) {
      if (const auto item = dir->FindItem(id)) {
        (void)dir->ItemData(*item);
      }
    }
  }
}

TEST(ResourceTreeRobustness, EveryBitFlipAndTruncationFailsCleanlyOrReads) {
  const fx::PeFixture f =
      fx::BuildPe({{kResourceIcon, 1, u"", 0, fx::IconImageBlock(2, 2, 1)},
                   {kResourceIconGroup, 0, u"G", 0, fx::GroupData(false, {{2, 2, 1, 1}})}});
  fx::ForEachBitFlip(f.bytes, ExerciseTree);
  fx::ForEachTruncation(f.bytes, ExerciseTree);
}

}  // namespace
}  // namespace morvane
