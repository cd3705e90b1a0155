// draw: scripts run on real icons through the editor's canvas; bad scripts change nothing.
#include <gtest/gtest.h>

#include <fstream>

#include "cli_test_support.h"
#include "formats/picture_file.h"

namespace morvane::testing {
namespace {

const std::filesystem::path kRealIcon =
    std::filesystem::path(MORVANE_TESTDATA_DIR) / "ico/icojs/test-fixtures/images/png.ico";

class CliDraw : public ::testing::Test {
 protected:
  CliRun Draw(const std::string& input, const std::string& output, const std::string& script,
              std::vector<std::string> extra = {}) {
    const std::filesystem::path scriptPath = dir_.path() / "script.json";
    std::ofstream(scriptPath) << script;
    std::vector<std::string> args{"draw", input, output, "--script", Path(scriptPath)};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args, dir_.path());
  }
  std::string Out(const std::string& name) const { return Path(dir_.path() / name); }

  TempDir dir_;
};

TEST_F(CliDraw, LineAndRectangleOnARealIconChangeExactlyTheirPixels) {
  if (!std::filesystem::exists(kRealIcon)) GTEST_SKIP() << kRealIcon << " is missing";
  auto original = ReadIconFile(kRealIcon);
  ASSERT_TRUE(original.ok());
  const CDib& before = original.value().frames.at(0).image;
  const CliRun run = Draw(Path(kRealIcon), Out("o.png"),
                          R"([{"anti-aliasing": false, "color": "#FFFF0000"},
                              {"tool": "line", "points": [[0, 0], [9, 2], [15, 15]]},
                              {"tool": "filled-rectangle", "points": [[100, 100], [109, 104]],
                               "color": "#FF0000FF"}])");
  ASSERT_EQ(run.status, 0) << run.err;
  CDib after;
  ASSERT_TRUE(LoadPictureFile(Out("o.png"), after).ok());
  ASSERT_EQ(after.GetWidth(), before.GetWidth());
  int changed = 0;
  for (int y = 0; y < after.GetHeight(); ++y) {
    for (int x = 0; x < after.GetWidth(); ++x) {
      // Only the last line remains: the diagonal from (0, 0) to (15, 15), one pixel a row.
      Pixel expected = before.GetPixel(x, y);
      if (x == y && x <= 15) expected = 0xFFFF0000;
      if (x >= 100 && x <= 109 && y >= 100 && y <= 104) expected = 0xFF0000FF;
      if (after.GetPixel(x, y) != before.GetPixel(x, y)) ++changed;
      ASSERT_EQ(after.GetPixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 0);
}

TEST_F(CliDraw, EveryFrameIsDrawnInTurnUnlessOneIsChosen) {
  const std::filesystem::path source = WriteSourcePng(dir_.path(), 64);
  ASSERT_EQ(
      RunCli({"convert", Path(source), Out("two.ico"), "--sizes", "32,16"}, dir_.path()).status, 0);
  const std::string script = R"([{"color": "#FF123456"}, {"tool": "pen", "points": [[0, 0]]}])";
  ASSERT_EQ(Draw(Out("two.ico"), Out("all.ico"), script).status, 0);
  auto all = ReadIconFile(std::filesystem::path(Out("all.ico")));
  ASSERT_TRUE(all.ok());
  ASSERT_EQ(all.value().frames.size(), 2u);
  for (const auto& f : all.value().frames) EXPECT_EQ(f.image.GetPixel(0, 0), 0xFF123456u);

  ASSERT_EQ(Draw(Out("two.ico"), Out("one.ico"), script, {"--frame", "1"}).status, 0);
  auto one = ReadIconFile(std::filesystem::path(Out("one.ico")));
  ASSERT_TRUE(one.ok());
  EXPECT_NE(one.value().frames[0].image.GetPixel(0, 0), 0xFF123456u);
  EXPECT_EQ(one.value().frames[1].image.GetPixel(0, 0), 0xFF123456u);
}

TEST_F(CliDraw, FillAndEraserFollowTheSettings) {
  const std::filesystem::path source = WriteSourcePng(dir_.path(), 32);
  const CliRun run = Draw(Path(source), Out("o.png"),
                          R"([{"tool": "fill", "points": [[0, 0]], "color": "#40FF0000"},
               {"tool": "eraser", "points": [[16, 2]], "pen-size": 3},
               {"tool": "pick-color", "points": [[0, 0]]},
               {"tool": "pen", "points": [[31, 31]], "pen-size": 1}])");
  ASSERT_EQ(run.status, 0) << run.err;
  CDib after;
  ASSERT_TRUE(LoadPictureFile(Out("o.png"), after).ok());
  // The corner region was transparent: filled with the colour exactly; the picked colour
  // (the fill's) is then painted at (31, 31), another part of the same region.
  EXPECT_EQ(after.GetPixel(0, 0), 0x40FF0000u);
  EXPECT_EQ(after.GetPixel(31, 31), AlphaOver(0x40FF0000, 0x40FF0000));
  // The eraser's 3 x 3 square clears alpha and keeps the colour bits.
  EXPECT_EQ(AlphaOf(after.GetPixel(15, 1)), 0u);
  EXPECT_EQ(AlphaOf(after.GetPixel(17, 3)), 0u);
}

TEST_F(CliDraw, TakesConvertsOutputOptions) {
  const std::filesystem::path source = WriteSourcePng(dir_.path(), 32);
  const std::string script = R"([{"tool": "pen", "points": [[3, 3]], "color": "#FF123456"}])";
  ASSERT_EQ(Draw(Path(source), Out("o.png"), script, {"--depth", "8"}).status, 0);
  std::ifstream png(Out("o.png"), std::ios::binary);
  char header[26] = {};
  png.read(header, sizeof header);
  EXPECT_EQ(header[25], 3) << "an 8-bit depth writes a palette picture";

  ASSERT_EQ(Draw(Path(source), Out("o.cur"), script, {"--hotspot", "5,7"}).status, 0);
  auto cursor = ReadIconFile(std::filesystem::path(Out("o.cur")));
  ASSERT_TRUE(cursor.ok());
  EXPECT_EQ(cursor.value().hotspotX, 5);
  EXPECT_EQ(cursor.value().hotspotY, 7);

  const CliRun bad = Draw(Path(source), Out("x.png"), script, {"--depth", "7"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("--depth needs"), std::string::npos) << bad.err;
  EXPECT_FALSE(std::filesystem::exists(Out("x.png")));
}

TEST_F(CliDraw, ReadsTheScriptFromStandardInput) {
  const std::filesystem::path source = WriteSourcePng(dir_.path(), 16);
  const std::filesystem::path script = dir_.path() / "stdin.json";
  std::ofstream(script) << R"([{"tool": "pen", "points": [[0, 0]], "color": "#FF010203"}])";
  const std::string command = ShellQuote(MORVANE_CLI_PATH) + " draw " + ShellQuote(Path(source)) +
                              " " + ShellQuote(Out("o.png")) + " --script - < " +
                              ShellQuote(Path(script));
  ASSERT_EQ(std::system(command.c_str()), 0);
  CDib after;
  ASSERT_TRUE(LoadPictureFile(Out("o.png"), after).ok());
  EXPECT_EQ(after.GetPixel(0, 0), 0xFF010203u);
}

TEST_F(CliDraw, BadScriptsNameTheStepAndKeyAndWriteNothing) {
  struct Case {
    const char* script;
    const char* mention;
  } cases[] = {
      {R"([{"color": "#FF000000"}, {"tool": "brush", "points": [[0, 0]]}])",
       "step 2: key \"tool\""},
      {R"([{"pen-width": 3}])", "step 1: key \"pen-width\""},
      {R"([{"tool": "pen", "points": [[0, 0, 1]]}])", "step 1: key \"points\""},
      {R"([{"tool": "pen", "points": [[0.5, 0]]}])", "step 1: key \"points\""},
      {R"([{"tool": "pen"}])", "step 1: key \"points\""},
      {R"([{"pen-size": 65}])", "step 1: key \"pen-size\""},
      {R"([{"color": "red"}])", "step 1: key \"color\""},
      {R"([{"lock": "rgbx"}])", "step 1: key \"lock\""},
      {R"([{"colors": ["#FF000000", "#FFFFFFFF"]}])", "step 1: key \"colors\""},
      {R"([{"tool": "pen", "points": [[0, 0]],}])", "not valid JSON"},
      {R"({"tool": "pen"})", "array"},
  };
  const std::filesystem::path source = WriteSourcePng(dir_.path(), 16);
  for (const Case& c : cases) {
    const CliRun run = Draw(Path(source), Out("never.png"), c.script);
    EXPECT_EQ(run.status, 2) << c.script;
    EXPECT_NE(run.err.find(c.mention), std::string::npos) << c.script << "\n" << run.err;
    EXPECT_FALSE(std::filesystem::exists(Out("never.png"))) << c.script;
  }
}

TEST_F(CliDraw, HelpListsTheToolsAndKeys) {
  const CliRun run = RunCli({"draw", "--help"}, dir_.path());
  ASSERT_EQ(run.status, 0);
  for (const char* word :
       {"pen", "filled-ellipse", "replace-colors", "pick-color", "pen-size", "anti-aliasing-level",
        "transparent-mode", "hue-delta", "grad-using", "round-width", "count", "proportion",
        "convex", "angle", "color-2", "lock"}) {
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
  }
  EXPECT_NE(RunCli({"--help"}, dir_.path()).out.find("draw"), std::string::npos);
}

}  // namespace
}  // namespace morvane::testing
