#include "shell/mru_list.h"

#include <gtest/gtest.h>

#include "shell/settings_store.h"

namespace morvane {
namespace {

using Entries = std::vector<std::string>;

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string.
std::string Numbered(std::string prefix, int i) {
  return prefix.append(std::to_string(i));
}

TEST(MruList, AddingAPathInOtherLetterCaseKeepsOneEntryWithTheNewSpelling) {
  MruList list;
  list.add("C:\\Icons\\a.ico");
  list.add("C:\\Icons\\b.ico");
  list.add("c:\\icons\\A.ICO");
  EXPECT_EQ(list.entries(), (Entries{"c:\\icons\\A.ICO", "C:\\Icons\\b.ico"}));
  // Letter case beyond ASCII is folded too.
  list.add("/home/\xC3\xA4rger.ico");  // "ärger"
  list.add("/HOME/\xC3\x84RGER.ICO");  // "ÄRGER"
  EXPECT_EQ(list.size(), 3);
  EXPECT_EQ(list.entries().front(), "/HOME/\xC3\x84RGER.ICO");
}

TEST(MruList, NinthEntryDropsTheOldestAndEmptyPathsAreIgnored) {
  MruList list;
  for (int i = 1; i <= 9; ++i) list.add(Numbered("f", i));
  list.add("");
  ASSERT_EQ(list.size(), 8);
  EXPECT_EQ(list.entries().front(), "f9");
  EXPECT_EQ(list.entries().back(), "f2");
}

TEST(MruList, RemoveDropsEveryEntryEqualWithoutRegardToCase) {
  MruList list;
  list.add("x.cur");
  list.add("y.cur");
  list.remove("X.CUR");
  EXPECT_EQ(list.entries(), (Entries{"y.cur"}));
  list.remove("nothing");
  EXPECT_EQ(list.size(), 1);
}

TEST(MruList, SaveWritesEntriesAndAnEmptyTerminator) {
  MemorySettingsStore store;
  Settings s(store);
  MruList list;
  list.add("c");
  list.add("b");
  list.add("a");
  list.save(s, "Icons history");
  EXPECT_EQ(s.read_string("Icons history", "History.0", "-"), "a");
  EXPECT_EQ(s.read_string("Icons history", "History.2", "-"), "c");
  EXPECT_EQ(s.read_string("Icons history", "History.3", "-"), "");
  EXPECT_EQ(store.value_count(), 4u);
}

TEST(MruList, StaleValueBeyondTheTerminatorIsNotReadBack) {
  MemorySettingsStore store;
  Settings s(store);
  MruList longer;
  for (const char* p : {"e", "d", "c", "b", "a"}) longer.add(p);
  longer.save(s, "Cursors history");
  MruList shorter;
  for (const char* p : {"z", "y", "x"}) shorter.add(p);
  shorter.save(s, "Cursors history");
  ASSERT_EQ(s.read_string("Cursors history", "History.4", ""), "e");  // left behind

  MruList loaded;
  loaded.load(s, "Cursors history");
  EXPECT_EQ(loaded.entries(), (Entries{"x", "y", "z"}));
}

TEST(MruList, LoadStopsAtAMissingValueAndAtTheMaximum) {
  MemorySettingsStore store;
  Settings s(store);
  s.write_string("Images history", "History.0", "a");
  s.write_string("Images history", "History.2", "c");
  MruList gap;
  gap.load(s, "Images history");
  EXPECT_EQ(gap.entries(), (Entries{"a"}));

  for (int i = 0; i < 1000; ++i) s.write_string("Folders history", Numbered("History.", i), "p");
  MruList capped(3);
  capped.load(s, "Folders history");
  EXPECT_EQ(capped.size(), 3);
}

TEST(MruList, FourListsOfTheOpenDropDownHoldTwelve) {
  EXPECT_EQ(HistoryMaximum(history_key::kIcons), 12);
  EXPECT_EQ(HistoryMaximum(history_key::kCursors), 12);
  EXPECT_EQ(HistoryMaximum(history_key::kExecutables), 12);
  EXPECT_EQ(HistoryMaximum(history_key::kImages), 12);
  EXPECT_EQ(HistoryMaximum(history_key::kFolders), 8);
  EXPECT_EQ(HistoryMaximum(history_key::kLibraries), 8);

  MruList list(12);
  for (int i = 0; i < 13; ++i) list.add(std::to_string(i));
  EXPECT_EQ(list.size(), 12);
  list.set_maximum(8);
  EXPECT_EQ(list.size(), 8);
  EXPECT_EQ(list.entries().front(), "12");
}

}  // namespace
}  // namespace morvane
