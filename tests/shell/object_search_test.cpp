// The object search: what it finds in the shared test data, symbolic-link loops, unreadable
// folders and damaged files, Stop, and the dialog's filters.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "formats/ico_codec.h"
#include "shell/object_search.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

struct Collector : SearchObserver {
  std::vector<FoundObject> found;
  int progress = 0;
  std::atomic<bool>* stopAfterFirst = nullptr;
  void Found(FoundObject object) override {
    found.push_back(std::move(object));
    if (stopAfterFirst) *stopAfterFirst = true;
  }
  void Progress(const SearchCounts&, const fs::path&) override { ++progress; }
  std::map<FoundKind, int> Kinds() const {
    std::map<FoundKind, int> kinds;
    for (const FoundObject& o : found) ++kinds[o.kind];
    return kinds;
  }
};

void WriteIcon(const fs::path& path, int size) {
  CDib image;
  ASSERT_TRUE(image.Create(size, size));
  image.Fill(0xFF336699);
  const std::vector<IconFrameRef> frames{{&image, 32}};
  ASSERT_TRUE(WriteIconFile(path, frames, kIconNoHotspot, 0).ok());
}

TEST(ObjectSearchInterop, FindsEveryObjectOfTheSharedTestData) {
  Collector c;
  std::atomic<bool> stop = false;
  const SearchCounts counts = SearchObjects(MORVANE_TESTDATA_DIR, c, stop);
  // By the listing of the folder: 21 .ico and 2 .cur files, of which the three image-rs
  // regression inputs and the truncated "bad" one cannot be read; 2 .ani files; notepad,
  // regedit, wordpad and user32.dll; 18 installer stubs without an extension, each with one
  // icon group. The NE fonts hold no icons.
  const std::map<FoundKind, int> kinds = c.Kinds();
  EXPECT_EQ(kinds.at(FoundKind::kIcon), 17);
  EXPECT_EQ(kinds.at(FoundKind::kCursor), 2);
  EXPECT_EQ(kinds.at(FoundKind::kAnimatedCursor), 2);
  EXPECT_EQ(kinds.at(FoundKind::kProgram), 4 + 18);
  EXPECT_EQ(counts.found, 17 + 2 + 2 + 22);
  EXPECT_EQ(counts.damagedFiles, 4);
  EXPECT_EQ(counts.symlinkLoops, 0);
  EXPECT_EQ(counts.unreadableFolders, 0);
  EXPECT_GT(c.progress, 0);
  for (const FoundObject& o : c.found) {
    EXPECT_FALSE(o.images.empty()) << o.path;
    EXPECT_TRUE(o.preview.IsLive()) << o.path;
  }
}

TEST(ObjectSearch, SkipsSymlinkLoopsAndCountsThem) {
  TempDir dir;
  fs::create_directories(dir.path() / "a" / "b");
  WriteIcon(dir.path() / "a" / "b" / "one.ico", 16);
  fs::create_directory_symlink(dir.path() / "a", dir.path() / "a" / "b" / "back");
  fs::create_directory_symlink(dir.path() / "a" / "b", dir.path() / "again");
  Collector c;
  std::atomic<bool> stop = false;
  const SearchCounts counts = SearchObjects(dir.path(), c, stop);
  ASSERT_EQ(c.found.size(), 1u);
  EXPECT_EQ(counts.symlinkLoops, 2);
  EXPECT_EQ(c.found[0].images.size(), 1u);
  EXPECT_EQ(c.found[0].images[0].width, 16);
}

TEST(ObjectSearch, CountsDamagedFilesAndUnreadableFolders) {
  TempDir dir;
  WriteAll(dir.path() / "broken.ico", {0, 0, 1, 0, 1, 0, 16, 16});
  WriteAll(dir.path() / "broken.ani", {'R', 'I', 'F', 'F', 0, 0});
  WriteAll(dir.path() / "notes.txt", {'h', 'i'});
  WriteAll(dir.path() / "noext", {'M', 'Z', 0, 0});
  const fs::path locked = dir.path() / "locked";
  fs::create_directory(locked);
  WriteIcon(locked / "hidden.ico", 16);
  fs::permissions(locked, fs::perms::none);
  Collector c;
  std::atomic<bool> stop = false;
  const SearchCounts counts = SearchObjects(dir.path(), c, stop);
  fs::permissions(locked, fs::perms::owner_all);
  // A file that merely starts like a program and holds no groups is of no interest.
  EXPECT_EQ(counts.damagedFiles, 2);
  EXPECT_EQ(counts.files, 4 + (geteuid() == 0 ? 1 : 0));
  if (geteuid() != 0) {  // root reads every folder
    EXPECT_EQ(counts.unreadableFolders, 1);
    EXPECT_TRUE(c.found.empty());
  }
}

TEST(ObjectSearch, StopEndsTheWalkBeforeTheNextFile) {
  TempDir dir;
  for (int i = 0; i < 20; ++i) WriteIcon(dir.path() / ("i" + std::to_string(i) + ".ico"), 16);
  Collector c;
  std::atomic<bool> stop = false;
  c.stopAfterFirst = &stop;
  const SearchCounts counts = SearchObjects(dir.path(), c, stop);
  EXPECT_EQ(c.found.size(), 1u);
  EXPECT_EQ(counts.files, 1);
}

TEST(ObjectSearch, FiltersNeedOneImageOfThatSizeAndFormat) {
  FoundObject o;
  o.images = {{16, 16, ColorFormat::k256Colors}, {32, 32, ColorFormat::kTrueColorAlpha}};
  EXPECT_TRUE(MatchesFilter(o, 0, 0));
  EXPECT_TRUE(MatchesFilter(o, 16, 8));
  EXPECT_TRUE(MatchesFilter(o, 32, 0));
  EXPECT_TRUE(MatchesFilter(o, 0, 32));
  EXPECT_FALSE(MatchesFilter(o, 16, 32));
  EXPECT_FALSE(MatchesFilter(o, 48, 0));
  EXPECT_FALSE(MatchesFilter(o, 0, 4));
}

}  // namespace
}  // namespace morvane::testing
