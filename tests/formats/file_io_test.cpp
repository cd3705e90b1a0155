#include "formats/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "formats/byte_reader.h"
#include "support/temp_dir.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
 protected:
  testing::TempDir scratch_;
  const fs::path dir_ = scratch_.path();
};

TEST_F(FileIo, AtomicWriteReplacesTheFileAndLeavesNoTemporaryBehind) {
  const fs::path target = dir_ / "a.ico";
  const std::vector<std::uint8_t> first{1, 2, 3}, second{9, 8};
  ASSERT_TRUE(WriteFileAtomic(target, first).ok());
  ::chmod(target.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomic(target, second).ok());
  auto read = ReadFileBytes(target);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(*read, second);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "a replaced file keeps its permissions";
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIo, FailedWriteKeepsTheExistingFile) {
  const fs::path target = dir_ / "keep.ico";
  ASSERT_TRUE(WriteFileAtomic(target, std::vector<std::uint8_t>{7}).ok());
  const Status st =
      WriteFileAtomic(dir_ / "missing-folder" / "x.ico", std::vector<std::uint8_t>{1});
  EXPECT_EQ(st.code(), ErrorCode::kCannotWrite);
  EXPECT_NE(st.message().find("missing-folder"), std::string::npos);
  EXPECT_EQ(*ReadFileBytes(target), std::vector<std::uint8_t>{7});
}

TEST_F(FileIo, ReadRefusesMissingFilesFoldersAndOversizedFiles) {
  EXPECT_EQ(ReadFileBytes(dir_ / "nope").status().code(), ErrorCode::kCannotOpen);
  EXPECT_EQ(ReadFileBytes(dir_).status().code(), ErrorCode::kCannotOpen);
  ASSERT_EQ(::mkfifo((dir_ / "pipe.ico").c_str(), 0600), 0);
  EXPECT_EQ(ReadFileBytes(dir_ / "pipe.ico").status().code(), ErrorCode::kCannotOpen)
      << "a pipe must be refused, not block";
  ASSERT_TRUE(WriteFileAtomic(dir_ / "big", std::vector<std::uint8_t>(100, 1)).ok());
  EXPECT_EQ(ReadFileBytes(dir_ / "big", 99).status().code(), ErrorCode::kTooLarge);
  EXPECT_TRUE(ReadFileBytes(dir_ / "big", 100).ok());
}

TEST(ByteReader, FailsOnShortInputAndStaysFailed) {
  const std::uint8_t data[] = {0x34, 0x12, 0x78, 0x56, 0xFF};
  ByteReader r{Bytes(data)};
  EXPECT_EQ(r.U16(), 0x1234);
  EXPECT_EQ(r.U16(), 0x5678);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.U32(), 0u);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.U8(), 0) << "no read succeeds after a failure";
  EXPECT_TRUE(r.Take(0).empty());
}

TEST(ByteReader, SlicesRejectOverflowingOffsets) {
  const std::uint8_t data[8] = {};
  EXPECT_TRUE(SliceOf(Bytes(data), 8, 0).has_value());
  EXPECT_FALSE(SliceOf(Bytes(data), 9, 0).has_value());
  EXPECT_FALSE(SliceOf(Bytes(data), 4, ~std::uint64_t{0} - 2).has_value());
  EXPECT_FALSE(SliceOf(Bytes(data), ~std::uint64_t{0}, 2).has_value());
  EXPECT_FALSE(LoadU32(Bytes(data), 5).has_value());
  ByteReader r{Bytes(data), 9};
  EXPECT_FALSE(r.ok());
  ByteReader s{Bytes(data)};
  EXPECT_FALSE(s.Seek(9));
  EXPECT_FALSE(s.ok());
}

}  // namespace
}  // namespace morvane
