#include "formats/ne_resources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "exe_fixtures.h"
#include "format_test_support.h"
#include "formats/file_io.h"
#include "formats/icon_groups.h"
#include "support/wrestool_listing.h"

namespace morvane {
namespace {

namespace fx = morvane::testing;
using fx::ByteVector;

const ByteVector kGroup = fx::GroupData(false, {{16, 16, 4, 1}});
const ByteVector kIconOne = fx::IconImageBlock(16, 16, 4);
const ByteVector kIconTwo = fx::IconImageBlock(32, 32, 4);  // 744 bytes: no whole sector

fx::NeFixture SampleNe(int shift = 4) {
  return fx::BuildNe({{14, 1, "", kGroup},
                      {3, 1, "", kIconOne},
                      {3, 0, "LOGO", ByteVector(40, 7)},
                      {3, 2, "", kIconTwo}},
                     shift);
}

ByteVector Prefix(Bytes b, std::size_t n) {
  return {b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST(NeResources, ReadsTypesNamesOffsetsAndLengths) {
  const fx::NeFixture f = SampleNe();
  NeResources ne;
  ASSERT_TRUE(ne.Open(f.bytes));
  EXPECT_EQ(ne.AlignmentShift(), 4);
  const auto& r = ne.Resources();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].type, ResourceName::Number(14));
  EXPECT_EQ(r[0].name, ResourceName::Number(1));
  EXPECT_EQ(r[0].flags, 0x1C30);
  EXPECT_EQ(r[0].recordOffset, f.resourceTable + 2 + 8);
  EXPECT_EQ(r[0].offset % 16, 0u);
  EXPECT_EQ(r[0].length, 32u) << "whole sectors";
  EXPECT_EQ(Prefix(*ne.Data(r[0]), kGroup.size()), kGroup);
  EXPECT_EQ(r[2].name, ResourceName::Text("LOGO"));

  const NeResource* two = ne.Find(3, 2);
  ASSERT_TRUE(two);
  EXPECT_EQ(two, &r[3]);
  EXPECT_GT(two->offset + two->length, f.bytes.size()) << "the fixture leaves the last unpadded";
  EXPECT_EQ(fx::ByteVector(ne.Data(*two)->begin(), ne.Data(*two)->end()), kIconTwo);
  EXPECT_FALSE(ne.Find(3, 9));
  EXPECT_FALSE(ne.Find(14, 2));
}

TEST(NeResources, NamedTypesCarryTheirName) {
  fx::NeFixture f = SampleNe();
  NeResources ne;
  ASSERT_TRUE(ne.Open(f.bytes));
  // Re-point the first type at the string the named resource uses.
  const std::size_t logoRecord = ne.Resources()[2].recordOffset;
  fx::PutU16(f.bytes, f.resourceTable + 2, *LoadU16(f.bytes, logoRecord + 6));
  ASSERT_TRUE(ne.Open(f.bytes));
  EXPECT_EQ(ne.Resources()[0].type, ResourceName::Text("LOGO"));
  EXPECT_FALSE(ne.Find(14, 1));
}

TEST(NeResources, RefusesWhatHasNoResourceTable) {
  const fx::NeFixture f = SampleNe();
  const auto opens = [](const ByteVector& b) {
    NeResources ne;
    const bool opened = ne.Open(b);
    EXPECT_EQ(opened, ne.IsOpen());
    EXPECT_EQ(opened, !ne.Resources().empty());
    return opened;
  };
  ASSERT_TRUE(opens(f.bytes));
  EXPECT_FALSE(opens({}));
  ByteVector b = f.bytes;
  b[0] = 'Z';
  EXPECT_FALSE(opens(b)) << "no MZ";
  b = f.bytes;
  b[0x81] = 'X';
  EXPECT_FALSE(opens(b)) << "no NE";
  b = f.bytes;
  fx::PutU16(b, 0x80 + 0x26, 0x40);
  EXPECT_FALSE(opens(b)) << "resource table offset equals the resident name table offset";
  b = f.bytes;
  fx::PutU16(b, f.resourceTable, 257);
  EXPECT_FALSE(opens(b)) << "alignment shift above 256";
  b = f.bytes;
  fx::PutU16(b, f.resourceTable + 2 + 2, 0x7FFF);
  EXPECT_FALSE(opens(b)) << "the first type's records run past the file";
  EXPECT_FALSE(opens(fx::BuildPe({}).bytes)) << "a PE file";
}

TEST(NeResources, ATableDamagedPartWayKeepsTheRecordsBeforeTheDamage) {
  fx::NeFixture f = SampleNe();
  // The second type record (icons) claims more records than the file holds.
  const std::size_t secondType = f.resourceTable + 2 + 8 + 12;
  ASSERT_EQ(LoadU16(f.bytes, secondType), 0x8003);
  fx::PutU16(f.bytes, secondType + 2, 0xFFFF);
  NeResources ne;
  ASSERT_TRUE(ne.Open(f.bytes));
  ASSERT_EQ(ne.Resources().size(), 1u);
  EXPECT_EQ(ne.Resources()[0].type, ResourceName::Number(14));
}

TEST(NeResources, HugeAlignmentShiftsNeverLeadOutsideTheFile) {
  const fx::NeFixture f = SampleNe();
  for (std::uint16_t shift : {31, 47, 48, 63, 64, 200, 256}) {
    ByteVector b = f.bytes;
    fx::PutU16(b, f.resourceTable, shift);
    NeResources ne;
    ASSERT_TRUE(ne.Open(b)) << shift;
    for (const NeResource& r : ne.Resources()) EXPECT_FALSE(ne.Data(r)) << shift;
  }
}

// The fonts' resource tables, as wrestool listed them, against ours.
TEST(InteropNeFonts, ResourceTablesMatchWrestoolsListingAndHoldNoIconGroups) {
  const std::filesystem::path dir = fx::SharedData("ne/wine-fonts");
  const auto listing = ReadFileBytes(dir / "RESOURCES_wrestool.txt");
  ASSERT_TRUE(listing.ok());
  std::map<std::string, std::string> sections;
  std::string current;
  std::istringstream in(std::string(listing->begin(), listing->end()));
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("== ", 0) == 0) {
      current = line.substr(3);
    } else {
      sections[current] += line + "\n";
    }
  }
  ASSERT_EQ(sections.size(), 6u);
  for (const auto& [name, text] : sections) {
    SCOPED_TRACE(name);
    const auto bytes = ReadFileBytes(dir / name);
    ASSERT_TRUE(bytes.ok());
    NeResources ne;
    ASSERT_TRUE(ne.Open(*bytes));
    const auto expected = fx::ParseWrestoolListing(text);
    ASSERT_EQ(ne.Resources().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const NeResource& r = ne.Resources()[i];
      EXPECT_EQ(r.type.ToString(), expected[i].type);
      EXPECT_EQ(r.name.ToString(), expected[i].name);
      EXPECT_EQ(r.offset, expected[i].offset);
      EXPECT_EQ(r.length, expected[i].size);
      EXPECT_TRUE(ne.Data(r));
    }
    const IconGroupList groups = ListExecutableGroups(*bytes);
    EXPECT_TRUE(groups.groups.empty());
    EXPECT_TRUE(groups.fromNe);
  }
}

}  // namespace
}  // namespace morvane
