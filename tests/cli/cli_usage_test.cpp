// Exit statuses, usage texts and messages of morvane-cli, and that failures leave no output.
#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace morvane::testing {
namespace {

TEST(CliUsage, VersionAndHelpSucceedOnStdout) {
  TempDir dir;
  const CliRun version = RunCli({"--version"}, dir.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("morvane-cli ", 0), 0u);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                               {"info", "--help"},
                                               {"convert", "--help"},
                                               {"extract", "--help"}}) {
    const CliRun help = RunCli(args, dir.path());
    EXPECT_EQ(help.status, 0) << args[0];
    EXPECT_NE(help.out.find("usage: morvane-cli"), std::string::npos) << args[0];
    EXPECT_TRUE(help.err.empty()) << args[0];
  }
}

TEST(CliUsage, WrongUsageExitsOneWithUsageText) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  const std::string out = Path(dir.path() / "out.ico");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"info"},
      {"info", src, src},
      {"info", src, "--bogus"},
      {"convert", src},
      {"convert", src, Path(dir.path() / "out.tiff")},
      {"convert", src, out, "--sizes", "0,16"},
      {"convert", src, out, "--sizes", "300"},
      {"convert", src, out, "--sizes", "16,"},
      {"convert", src, out, "--formats", "16"},
      {"convert", src, out, "--standard", "--sizes", "16"},
      {"convert", src, out, "--alpha-level", "0"},
      {"convert", src, out, "--matte", "GGHHII"},
      {"convert", src, out, "--hotspot", "3"},
      {"convert", src, out, "--quality", "101"},
      {"convert", src, out, "--depth", "16"},
      {"convert", src, out, "--frame"},
      {"extract", src},
  };
  for (const auto& args : cases) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    const CliRun run = RunCli(args, dir.path());
    EXPECT_EQ(run.status, 1) << joined;
    EXPECT_NE(run.err.find("usage: morvane-cli"), std::string::npos) << joined;
    EXPECT_FALSE(std::filesystem::exists(out)) << joined;
  }
}

TEST(CliUsage, UsageErrorNamesTheOption) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  const CliRun run =
      RunCli({"convert", src, Path(dir.path() / "o.ico"), "--alpha-level", "300"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--alpha-level"), std::string::npos) << run.err;
}

// Every bad input: exit 2, a message naming the file, and no output file.
TEST(CliFailure, BadInputsExitTwoAndWriteNothing) {
  TempDir dir;
  const std::filesystem::path empty = dir.path() / "empty.ico";
  WriteAll(empty, {});
  const std::filesystem::path text = dir.path() / "notes.ico";
  const std::string words = "this is not an icon\n";
  WriteAll(text, {words.begin(), words.end()});
  const std::filesystem::path folder = dir.path() / "folder.ico";
  std::filesystem::create_directory(folder);
  const std::filesystem::path truncated = dir.path() / "cut.png";
  std::vector<std::uint8_t> png = ReadAll(WriteSourcePng(dir.path()));
  png.resize(png.size() / 3);
  WriteAll(truncated, png);
  const std::filesystem::path missing = dir.path() / "missing.cur";
  const std::filesystem::path noGroups = dir.path() / "plain.exe";
  WriteAll(noGroups, {'M', 'Z', 0, 0});

  const std::filesystem::path out = dir.path() / "out.ico";
  const std::filesystem::path outdir = dir.path() / "frames";
  for (const auto& input : {empty, text, folder, truncated, missing, noGroups}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"convert", Path(input), Path(out)},
          {"info", Path(input)},
          {"extract", Path(input), Path(outdir)}}) {
      const CliRun run = RunCli(args, dir.path());
      EXPECT_EQ(run.status, 2) << args[0] << " " << input;
      EXPECT_NE(run.err.find(input.string()), std::string::npos) << run.err;
      EXPECT_TRUE(run.out.empty()) << run.out;
      EXPECT_FALSE(std::filesystem::exists(out)) << input;
      EXPECT_FALSE(std::filesystem::exists(outdir)) << input;
    }
  }
}

TEST(CliFailure, ReasonsSayWhatIsWrong) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / "folder.ico";
  std::filesystem::create_directory(folder);
  EXPECT_NE(RunCli({"info", Path(dir.path() / "gone.ico")}, dir.path()).err.find("no such file"),
            std::string::npos);
  EXPECT_NE(RunCli({"info", Path(folder)}, dir.path()).err.find("folder"), std::string::npos);
  const std::filesystem::path text = dir.path() / "notes.ico";
  WriteAll(text, {'h', 'e', 'l', 'l', 'o', '\n'});
  EXPECT_NE(RunCli({"info", Path(text)}, dir.path()).err.find("not an icon"), std::string::npos);
}

// A failed read replaces nothing: an existing output keeps its bytes.
TEST(CliFailure, BadInputLeavesExistingOutputUntouched) {
  TempDir dir;
  const std::filesystem::path out = dir.path() / "keep.ico";
  WriteAll(out, {1, 2, 3});
  const CliRun run = RunCli({"convert", Path(dir.path() / "missing.png"), Path(out)}, dir.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(ReadAll(out), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(CliFailure, UnwritableOutputExitsThree) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  const std::filesystem::path blocker = dir.path() / "file";
  WriteAll(blocker, {0});
  // A folder that cannot exist: its parent is a file.
  for (const char* name :
       {"out.ico", "out.cur", "out.ani", "out.icl", "out.png", "out.gif", "out.jpg", "out.bmp"}) {
    const CliRun run = RunCli({"convert", src, Path(blocker / name)}, dir.path());
    EXPECT_EQ(run.status, 3) << name;
    EXPECT_NE(run.err.find(Path(blocker / name)), std::string::npos) << run.err;
  }
  const CliRun extract = RunCli({"extract", src, Path(blocker / "frames")}, dir.path());
  EXPECT_EQ(extract.status, 3);
}

// An output that cannot be produced (an icon library's resource table ends within 64 KB, so it
// lists at most about 5,440 groups and images) leaves the existing file as it was and no
// temporary file beside it.
TEST(CliFailure, FailedWriteLeavesExistingFileUntouched) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  const std::filesystem::path small = dir.path() / "small.ico";
  ASSERT_EQ(
      RunCli({"convert", src, Path(small), "--sizes", "16,15,14,13,12,11,10,9"}, dir.path()).status,
      0);
  const std::filesystem::path out = dir.path() / "lib.icl";
  WriteAll(out, {7, 7, 7});
  // 610 groups of 8 images: 5,490 resource records.
  std::vector<std::string> args{"convert"};
  for (int i = 0; i < 610; ++i) args.push_back(Path(small));
  args.push_back(Path(out));
  const CliRun run = RunCli(args, dir.path());
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find(out.string()), std::string::npos) << run.err;
  EXPECT_EQ(ReadAll(out), (std::vector<std::uint8_t>{7, 7, 7}));
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
  }
  EXPECT_EQ(files, 3);  // source.png, big.ico and lib.icl: no temporary file is left
}

// The inputs together may not hold more than an icon object: nothing is silently dropped.
TEST(CliFailure, MoreThan256ImagesInAllAreRefused) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  std::string sizes = "16";
  for (int i = 1; i < 150; ++i) sizes += ",16";
  const std::filesystem::path many = dir.path() / "many.ico";
  ASSERT_EQ(RunCli({"convert", src, Path(many), "--sizes", sizes}, dir.path()).status, 0);
  const std::filesystem::path out = dir.path() / "out.ico";
  const CliRun run = RunCli({"convert", Path(many), Path(many), Path(out)}, dir.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("256"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// An image that does not decode is left out with a warning; the others are written.
TEST(CliFailure, UnreadableImagesAreReportedAndLeftOut) {
  TempDir dir;
  const std::string src = Path(WriteSourcePng(dir.path()));
  const std::filesystem::path icon = dir.path() / "two.ico";
  ASSERT_EQ(RunCli({"convert", src, Path(icon), "--sizes", "32,16"}, dir.path()).status, 0);
  std::vector<std::uint8_t> bytes = ReadAll(icon);
  const std::uint32_t second = *LoadU32(Bytes(bytes), 6 + 16 + 12);
  bytes[second + 14] = 3;  // a bit count no reader accepts
  WriteAll(icon, bytes);
  const std::filesystem::path out = dir.path() / "out.ico";
  const CliRun run = RunCli({"convert", Path(icon), Path(out)}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find(icon.string()), std::string::npos) << run.err;
  const auto read = ReadIconFile(out);
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read->frames.size(), 1u);
  EXPECT_EQ(read->frames[0].image.GetWidth(), 32);
}

}  // namespace
}  // namespace morvane::testing
