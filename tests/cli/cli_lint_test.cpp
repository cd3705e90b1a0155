// morvane-cli lint: its findings as text and JSON, its exit statuses, --sizes and --fix.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "formats/ico_codec.h"
#include "formats/icon_lint.h"

namespace morvane::testing {
namespace {

// A 32 x 32 icon of our writer; `width` is written into its entry.
std::filesystem::path WriteIcon(const std::filesystem::path& folder, const std::string& name,
                                int width = 32) {
  CDib image;
  MakeImage(image, 32, 32, MixedPixel);
  const std::vector<IconFrameRef> frames{{&image, 32}};
  std::vector<std::uint8_t> data;
  EXPECT_TRUE(WriteIconFile(data, frames, kIconNoHotspot, 0).ok());
  data[6] = static_cast<std::uint8_t>(width);
  WriteAll(folder / name, data);
  return folder / name;
}

TEST(CliLint, ExitStatusTellsWhetherErrorsWereFound) {
  TempDir dir;
  const std::string good = Path(WriteIcon(dir.path(), "good.ico"));
  const std::string bad = Path(WriteIcon(dir.path(), "bad.ico", 30));

  const CliRun clean = RunCli({"lint", good}, dir.path());
  EXPECT_EQ(clean.status, 0);
  EXPECT_NE(clean.out.find("0 errors, 0 warnings"), std::string::npos) << clean.out;

  // Warnings alone do not fail.
  const CliRun warned = RunCli({"lint", good, "--sizes", "favicon"}, dir.path());
  EXPECT_EQ(warned.status, 0);
  EXPECT_NE(warned.out.find("warning missing-size (file)"), std::string::npos) << warned.out;

  const CliRun errors = RunCli({"lint", good, bad}, dir.path());
  EXPECT_EQ(errors.status, 4);
  EXPECT_NE(errors.out.find(bad + ": error entry-size-mismatch (image 1): The entry says 30 x 32"),
            std::string::npos)
      << errors.out;

  const CliRun missing = RunCli({"lint", Path(dir.path() / "none.ico"), bad}, dir.path());
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("none.ico"), std::string::npos);
  EXPECT_NE(missing.out.find("bad.ico"), std::string::npos) << "the other file is still checked";

  EXPECT_EQ(RunCli({"lint"}, dir.path()).status, 1);
  EXPECT_EQ(RunCli({"lint", good, "--sizes", "tiny"}, dir.path()).status, 1);
  EXPECT_EQ(RunCli({"lint", good, bad, "--fix", Path(dir.path() / "x.ico")}, dir.path()).status, 1);
}

TEST(CliLint, HelpDocumentsTheExitStatus) {
  TempDir dir;
  const CliRun help = RunCli({"lint", "--help"}, dir.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("4 errors found"), std::string::npos) << help.out;
  EXPECT_NE(RunCli({"--help"}, dir.path()).out.find("lint FILE..."), std::string::npos);
}

TEST(CliLint, JsonListsEveryFileWithItsFindings) {
  TempDir dir;
  const std::string bad = Path(WriteIcon(dir.path(), "bad.ico", 30));
  const CliRun run = RunCli({"lint", bad, "--json"}, dir.path());
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out.rfind("[{\"file\":\"" + bad + "\"", 0), 0u) << run.out;
  EXPECT_NE(
      run.out.find("{\"id\":\"entry-size-mismatch\",\"level\":\"error\",\"where\":\"image 1\""),
      std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"errors\":1,\"warnings\":0"), std::string::npos);
}

TEST(CliLint, FixWritesACorrectedCopyAndLeavesTheInput) {
  TempDir dir;
  const std::filesystem::path bad = WriteIcon(dir.path(), "bad.ico", 30);
  const std::vector<std::uint8_t> before = ReadAll(bad);
  const std::filesystem::path out = dir.path() / "fixed.ico";
  const CliRun run = RunCli({"lint", Path(bad), "--fix", Path(out)}, dir.path());
  EXPECT_EQ(run.status, 4) << "the status is that of the file checked";
  EXPECT_NE(run.out.find("fixed: image 1: directory size set to 32 x 32"), std::string::npos)
      << run.out;
  EXPECT_EQ(ReadAll(bad), before);
  EXPECT_EQ(ReadAll(out), ReadAll(WriteIcon(dir.path(), "good.ico")));
  EXPECT_EQ(RunCli({"lint", Path(out)}, dir.path()).status, 0);

  // Several files go into a folder under their own names.
  const std::filesystem::path folder = dir.path() / "out";
  std::filesystem::create_directory(folder);
  const std::filesystem::path other = WriteIcon(dir.path(), "other.ico", 31);
  EXPECT_EQ(RunCli({"lint", Path(bad), Path(other), "--fix", Path(folder)}, dir.path()).status, 4);
  EXPECT_TRUE(std::filesystem::exists(folder / "bad.ico"));
  EXPECT_TRUE(std::filesystem::exists(folder / "other.ico"));

  // An output that cannot be written is status 3.
  const CliRun unwritable =
      RunCli({"lint", Path(bad), "--fix", Path(dir.path() / "no" / "such" / "x.ico")}, dir.path());
  EXPECT_EQ(unwritable.status, 3);
}

TEST(CliLint, ConvertAcceptsNamedSizeSets) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  const std::filesystem::path out = dir.path() / "fav.ico";
  ASSERT_EQ(RunCli({"convert", src, Path(out), "--sizes", "favicon,64"}, dir.path()).status, 0);
  Result<IconFileContents> read = ReadIconFile(out);
  ASSERT_TRUE(read.ok());
  std::vector<int> sizes;
  for (const IconFrame& f : read->frames) sizes.push_back(f.image.GetWidth());
  EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16, 64}));
  EXPECT_EQ(RunCli({"lint", Path(out), "--sizes", "favicon"}, dir.path()).out.find("missing"),
            std::string::npos);
  EXPECT_EQ(RunCli({"convert", src, Path(out), "--sizes", "windowz"}, dir.path()).status, 1);
}

}  // namespace
}  // namespace morvane::testing
