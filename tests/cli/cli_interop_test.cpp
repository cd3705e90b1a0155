// morvane-cli on real programs, libraries and cursors, checked against independent tools:
// wrestool's listings and extractions, icotool, Pillow and ImageMagick.
#include <gtest/gtest.h>

#include <set>

#include "cli_test_support.h"
#include "formats/image_export.h"
#include "formats/picture_file.h"

namespace morvane::testing {
namespace {

const char* const kPrograms[] = {
    "pe/wine64/notepad.exe", "pe/wine64/regedit.exe",          "pe/wine64/wordpad.exe",
    "pe/wine64/user32.dll",  "pe/nsis/Stubs/zlib-x86-unicode", "pe/nsis/Stubs/lzma-amd64-unicode"};

// "icon <id> <image count>" per group of `info --json`, read by Python's own JSON parser (which
// also proves the output is JSON).
std::vector<std::string> JsonGroups(const std::string& json, const std::filesystem::path& scratch) {
  const std::filesystem::path file = scratch / "info.json";
  WriteAll(file, {json.begin(), json.end()});
  const std::filesystem::path script = scratch / "groups.py";
  const std::string code =
      "import json, sys\n"
      "d = json.load(open(sys.argv[1]))\n"
      "assert set(d) == {'file','kind','hotspot','title','author','frames','groups'}\n"
      "for g in d['groups']:\n"
      "    print(g['type'], g['id'], len(g['images']))\n";
  WriteAll(script, {code.begin(), code.end()});
  std::vector<std::string> lines;
  std::istringstream in(
      CaptureText(PythonWithPillow() + " " + ShellQuote(script) + " " + ShellQuote(file)));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The image blocks of an icon or cursor file, by its directory (size and offset per entry).
std::vector<std::vector<std::uint8_t>> IconBlocks(const std::vector<std::uint8_t>& file) {
  std::vector<std::vector<std::uint8_t>> blocks;
  const Bytes bytes(file);
  const auto count = LoadU16(bytes, 4);
  for (std::uint32_t i = 0; count && i < *count; ++i) {
    const auto size = LoadU32(bytes, 6 + 16 * i + 8);
    const auto offset = LoadU32(bytes, 6 + 16 * i + 12);
    if (!size || !offset) return {};
    const auto block = SliceOf(bytes, *offset, *size);
    if (!block) return {};
    blocks.emplace_back(block->begin(), block->end());
  }
  return blocks;
}

TEST(InteropCliInfo, GroupsAreThoseWrestoolLists) {
  if (!HaveWrestool() || !HavePillow()) GTEST_SKIP() << "wrestool or Pillow missing";
  TempDir dir;
  for (const char* name : kPrograms) {
    const std::filesystem::path file = SharedData(name);
    const CliRun run = RunCli({"info", Path(file), "--json"}, dir.path());
    ASSERT_EQ(run.status, 0) << name << ": " << run.err;
    std::vector<std::string> ours;
    for (const std::string& line : JsonGroups(run.out, dir.path())) {
      ours.push_back(line.substr(0, line.rfind(' ')));
    }
    std::vector<std::string> theirs;
    for (const char* type : {"14", "12"}) {
      const std::string listing =
          CaptureText("wrestool -l --type=" + std::string(type) + " " + ShellQuote(file));
      for (const WrestoolEntry& e : ParseWrestoolListing(listing)) {
        theirs.push_back(std::string(type == std::string("14") ? "icon " : "cursor ") + e.name);
      }
    }
    EXPECT_EQ(ours, theirs) << name;
  }
}

TEST(InteropCliInfo, AnimatedCursorAsItsNotesDescribe) {
  TempDir dir;
  const CliRun run = RunCli(
      {"info", Path(SharedData("ani/kimageformats/autotests/ani/test.ani")), "--json"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"kind\":\"animated-cursor\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"title\":\"ANI Test\""), std::string::npos);
  EXPECT_NE(run.out.find("\"author\":\"KDE Community\""), std::string::npos);
  EXPECT_NE(run.out.find("\"rate\":10},{\"width\":32,\"height\":32,\"format\":32,\"rate\":20}"),
            std::string::npos);
  EXPECT_NE(run.out.find("\"groups\":[]"), std::string::npos);
}

TEST(InteropCliExtract, GroupImagesAreWrestoolsByteForByte) {
  if (!HaveWrestool()) GTEST_SKIP() << "wrestool missing";
  TempDir dir;
  // Beside the real programs, an icon library of our own: a 16-bit file whose resources are
  // padded to whole sectors.
  const std::filesystem::path icon = dir.path() / "three.ico";
  const std::filesystem::path library = dir.path() / "lib.icl";
  ASSERT_EQ(RunCli({"convert", Path(WriteSourcePng(dir.path())), Path(icon), "--sizes", "48,32,16",
                    "--formats", "32,8,4"},
                   dir.path())
                .status,
            0);
  ASSERT_EQ(RunCli({"convert", Path(icon), Path(icon), Path(library)}, dir.path()).status, 0);
  std::vector<std::filesystem::path> files{library};
  for (const char* name : kPrograms) files.push_back(SharedData(name));
  for (const std::filesystem::path& file : files) {
    const std::string name = file.filename().string();
    const std::filesystem::path ours = dir.path() / "ours";
    const std::filesystem::path theirs = dir.path() / "theirs";
    std::filesystem::remove_all(ours);
    std::filesystem::remove_all(theirs);
    std::filesystem::create_directories(theirs);
    ASSERT_EQ(RunCli({"extract", Path(file), Path(ours)}, dir.path()).status, 0) << name;
    ASSERT_TRUE(
        RunQuiet("wrestool -x --type=14 -o " + ShellQuote(theirs) + " " + ShellQuote(file)));
    ASSERT_TRUE(
        RunQuiet("wrestool -x --type=12 -o " + ShellQuote(theirs) + " " + ShellQuote(file)));
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(theirs)) {
      // wrestool names them <file>_<type>_<id>, with _<language> after it for most files.
      const std::string stem = entry.path().stem().string();
      const std::string ext = entry.path().extension().string();
      const std::string prefix = file.filename().string() + (ext == ".ico" ? "_14_" : "_12_");
      ASSERT_EQ(stem.rfind(prefix, 0), 0u) << stem;
      std::string id = stem.substr(prefix.size());
      std::filesystem::path mine = ours / (id + ext);
      if (!std::filesystem::exists(mine)) mine = ours / (id.substr(0, id.rfind('_')) + ext);
      ASSERT_TRUE(std::filesystem::exists(mine)) << mine;
      auto want = IconBlocks(ReadAll(entry.path()));
      ASSERT_FALSE(want.empty()) << entry.path();
      const auto got = IconBlocks(ReadAll(mine));
      ASSERT_EQ(got.size(), want.size()) << mine;
      if (ext == ".cur") {
        // wrestool's cursor entries count the resource's 4 hotspot bytes in the image size,
        // although the image it writes starts after them.
        for (std::size_t i = 0; i < want.size(); ++i) {
          ASSERT_EQ(want[i].size(), got[i].size() + 4) << mine << " image " << i;
          want[i].resize(got[i].size());
        }
      }
      EXPECT_EQ(got, want) << mine;
      ++compared;
    }
    EXPECT_GT(compared, 0) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ours),
                            std::filesystem::directory_iterator()),
              compared)
        << name;
  }
}

TEST(InteropCliExtract, ExtractedGroupsPassIcotool) {
  if (!HaveIcotool()) GTEST_SKIP() << "icotool missing";
  TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  ASSERT_EQ(
      RunCli({"extract", Path(SharedData("pe/wine64/wordpad.exe")), Path(out)}, dir.path()).status,
      0);
  for (const char* file : {"102.ico", "103.cur"}) {
    const std::filesystem::path err = dir.path() / "icotool.err";
    const std::string listing =
        CaptureText("icotool -l " + ShellQuote(out / file) + " 2>" + ShellQuote(err));
    EXPECT_EQ(ReadText(err), "") << file;
    const bool isCursor = std::string(file).ends_with(".cur");
    EXPECT_NE(listing.find(isCursor ? "--cursor" : "--icon"), std::string::npos) << listing;
  }
  const std::string cursor = CaptureText("icotool -l " + ShellQuote(out / "103.cur"));
  EXPECT_NE(cursor.find("--width=64 --height=64"), std::string::npos) << cursor;
}

TEST(InteropCliConvert, SevenSizeIconPassesIcotool) {
  if (!HaveIcotool()) GTEST_SKIP() << "icotool missing";
  TempDir dir;
  const std::filesystem::path icon = dir.path() / "app.ico";
  ASSERT_EQ(RunCli({"convert", Path(WriteSourcePng(dir.path())), Path(icon), "--sizes",
                    "256,128,96,64,48,32,16"},
                   dir.path())
                .status,
            0);
  const std::filesystem::path err = dir.path() / "icotool.err";
  const std::string listing =
      CaptureText("icotool -l " + ShellQuote(icon) + " 2>" + ShellQuote(err));
  EXPECT_EQ(ReadText(err), "");
  int index = 1;
  for (const int size : {256, 128, 96, 64, 48, 32, 16}) {
    const std::string line = "--icon --index=" + std::to_string(index++) +
                             " --width=" + std::to_string(size) +
                             " --height=" + std::to_string(size) + " --bit-depth=32";
    EXPECT_NE(listing.find(line), std::string::npos) << line << "\n" << listing;
  }
  // icotool's own decode of every frame gives our pixels back.
  const std::filesystem::path frames = dir.path() / "frames";
  std::filesystem::create_directories(frames);
  ASSERT_TRUE(RunQuiet("icotool -x -o " + ShellQuote(frames) + " " + ShellQuote(icon)));
  const auto ours = ReadIconFile(icon);
  ASSERT_TRUE(ours.ok());
  for (const IconFrame& frame : ours->frames) {
    const int side = frame.image.GetWidth();
    const std::string name = "app_" + std::to_string(&frame - ours->frames.data() + 1) + "_" +
                             std::to_string(side) + "x" + std::to_string(side) + "x32.png";
    CDib theirs;
    ASSERT_TRUE(LoadPictureFile(frames / name, theirs).ok()) << name;
    EXPECT_EQ(PixelsOf(theirs), PixelsOf(frame.image)) << name;
  }
}

enum class Match { kExact, kColoursOnly, kLossy };

// Visible pixels must agree (exactly, in colour only, or on average for lossy forms);
// transparent ones only in being transparent.
void ExpectSamePicture(const PeerImage& peer, const CDib& expected, Match match,
                       const std::string& what) {
  ASSERT_EQ(peer.width, expected.GetWidth()) << what;
  ASSERT_EQ(peer.height, expected.GetHeight()) << what;
  int bad = 0;
  long long difference = 0;
  for (int y = 0; y < peer.height; ++y) {
    for (int x = 0; x < peer.width; ++x) {
      Pixel p = peer.At(x, y);
      Pixel e = expected.GetPixel(x, y);
      if (match == Match::kColoursOnly) {
        p |= 0xFF000000;
        e |= 0xFF000000;
      } else if (AlphaOf(e) == 0) {
        bad += AlphaOf(p) != 0;
        continue;
      }
      if (match != Match::kLossy) {
        bad += p != e;
        continue;
      }
      for (const int shift : {0, 8, 16, 24}) {
        difference +=
            std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((e >> shift) & 0xFF));
      }
    }
  }
  EXPECT_EQ(bad, 0) << what;
  EXPECT_LT(difference, 2LL * 4 * peer.width * peer.height) << what;
}

TEST(InteropCliConvert, OutputsOpenInPillowAndImageMagickWithTheExpectedPixels) {
  if (!HavePillow() || !HaveImageMagick()) GTEST_SKIP() << "Pillow or ImageMagick missing";
  TempDir dir;
  const std::filesystem::path source = WriteSourcePng(dir.path());
  CDib picture;
  ASSERT_TRUE(LoadPictureFile(source, picture).ok());
  CDib keep;
  ASSERT_TRUE(FlattenKeepTransparency(picture, 0xDDDDDD, 85, keep));
  CDib opaque;
  ASSERT_TRUE(FlattenOpaque(picture, 0xDDDDDD, 85, opaque));

  struct Case {
    std::string name;
    std::vector<std::string> options;
    const CDib* expected;
    Match match;
    Match pillowMatch;  // Pillow reads no alpha from a 32-bit BMP with the 40-byte header
  };
  const std::vector<Case> cases = {
      {"full.png", {}, &picture, Match::kExact, Match::kExact},
      {"key.png", {"--depth", "24"}, &keep, Match::kExact, Match::kExact},
      {"flat.bmp", {"--depth", "24"}, &opaque, Match::kExact, Match::kExact},
      {"alpha.bmp", {}, &picture, Match::kExact, Match::kColoursOnly},
      {"photo.jpg", {"--quality", "100"}, &opaque, Match::kLossy, Match::kLossy},
      {"icon.ico", {}, &picture, Match::kExact, Match::kExact},
  };
  for (const Case& c : cases) {
    const std::filesystem::path out = dir.path() / c.name;
    std::vector<std::string> args{"convert", Path(source), Path(out)};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(RunCli(args, dir.path()).status, 0) << c.name;
    const auto pillow = PillowPicture(out, dir.path());
    ASSERT_TRUE(pillow) << c.name;
    ExpectSamePicture(*pillow, *c.expected, c.pillowMatch, "Pillow " + c.name);
    const auto magick = MagickPicture(out, dir.path());
    ASSERT_TRUE(magick) << c.name;
    ExpectSamePicture(*magick, *c.expected, c.match, "ImageMagick " + c.name);
  }
  // GIF reduces colours: the peers agree with us on which pixels are visible.
  const std::filesystem::path gif = dir.path() / "web.gif";
  ASSERT_EQ(RunCli({"convert", Path(source), Path(gif)}, dir.path()).status, 0);
  CDib ours;
  ASSERT_TRUE(LoadPictureFile(gif, ours).ok());
  for (const auto& peer : {PillowPicture(gif, dir.path()), MagickPicture(gif, dir.path())}) {
    ASSERT_TRUE(peer);
    ExpectSamePicture(*peer, ours, Match::kExact, "GIF");
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(AlphaOf(peer->At(x, y)), AlphaOf(keep.GetPixel(x, y))) << x << "," << y;
      }
    }
  }
}

TEST(InteropCliConvert, ProgramGroupByPosition) {
  if (!HaveWrestool()) GTEST_SKIP() << "wrestool missing";
  TempDir dir;
  const std::filesystem::path program = SharedData("pe/wine64/wordpad.exe");
  const std::filesystem::path cursor = dir.path() / "c.cur";
  ASSERT_EQ(RunCli({"convert", Path(program), Path(cursor), "--group", "1"}, dir.path()).status, 0);
  ASSERT_TRUE(
      RunQuiet("wrestool -x --type=12 -o " + ShellQuote(dir.path()) + " " + ShellQuote(program)));
  const auto ours = ReadIconFile(cursor);
  const auto theirs = ReadIconFile(dir.path() / "wordpad.exe_12_103_0.cur");
  ASSERT_TRUE(ours.ok());
  ASSERT_TRUE(theirs.ok());
  ASSERT_EQ(ours->frames.size(), theirs->frames.size());
  EXPECT_EQ(ours->hotspotX, theirs->hotspotX);
  EXPECT_EQ(ours->hotspotY, theirs->hotspotY);
  for (std::size_t i = 0; i < ours->frames.size(); ++i) {
    EXPECT_EQ(PixelsOf(ours->frames[i].image), PixelsOf(theirs->frames[i].image)) << i;
  }
  const CliRun missing =
      RunCli({"convert", Path(program), Path(dir.path() / "x.ico"), "--group", "2"}, dir.path());
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("group 2"), std::string::npos) << missing.err;
}

TEST(InteropCliFailure, TruncatedRealFilesExitTwo) {
  TempDir dir;
  const std::pair<const char*, std::size_t> cuts[] = {
      {"pe/wine64/user32.dll", 4096},
      {"ani/kimageformats/autotests/ani/test.ani", 40},
      {"ico/go-ico/testdata/icon.ico", 30},
  };
  for (const auto& [name, keep] : cuts) {
    std::vector<std::uint8_t> bytes = ReadAll(SharedData(name));
    ASSERT_GT(bytes.size(), keep) << name;
    bytes.resize(keep);
    const std::filesystem::path cut = dir.path() / std::filesystem::path(name).filename();
    WriteAll(cut, bytes);
    const std::filesystem::path out = dir.path() / "out.png";
    const CliRun run = RunCli({"convert", Path(cut), Path(out)}, dir.path());
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_NE(run.err.find(cut.string()), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << name;
  }
}

}  // namespace
}  // namespace morvane::testing
