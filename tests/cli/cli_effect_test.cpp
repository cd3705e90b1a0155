// morvane-cli effect: its table, its refusals, and its results on real icons read back by an
// independent reader (Pillow).
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "formats/picture_file.h"
#include "support/effect_names.h"

namespace morvane::testing {
namespace {

class CliEffect : public ::testing::Test {
 protected:
  CliRun Effect(std::vector<std::string> args) {
    args.insert(args.begin(), "effect");
    return RunCli(args, dir_.path());
  }
  std::string Out(const std::string& name) const { return Path(dir_.path() / name); }

  TempDir dir_;
};

TEST_F(CliEffect, ListShowsEveryEffectWithRangesAndDefaults) {
  CliRun run = Effect({"--list"});
  ASSERT_EQ(run.status, 0);
  run.out.insert(0, "\n");
  for (const char* name : kEffectCommandNames) {
    EXPECT_NE(run.out.find(std::string("\n") + name + "  ("), std::string::npos) << name;
  }
  EXPECT_NE(run.out.find("--x-offset -16..16, default 1"), std::string::npos);
  EXPECT_NE(run.out.find("--color #RRGGBB, default #0000FF"), std::string::npos);  // Colorize
  EXPECT_NE(run.out.find("--mask nine numbers, default 1,1,1,9,9,9,1,1,1"), std::string::npos);
  EXPECT_NE(run.out.find("--light-size 60..100, default 88"), std::string::npos);
}

TEST_F(CliEffect, RefusesUnknownNamesParametersAndValuesWithStatusTwo) {
  const std::string in = Path(WriteSourcePng(dir_.path(), 16));
  const std::string out = Out("out.png");
  struct Case {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      {{"sparkle", in, out}, "sparkle"},
      {{"blur", "--depth", "3", in, out}, "--depth"},
      {{"blur", "--level", "256", in, out}, "--level"},
      {{"shadow", "--x-offset", "-17", in, out}, "--x-offset"},
      {{"aqua", "--light-size", "59", in, out}, "--light-size"},
      {{"blur", "--lock", "2", in, out}, "--lock"},
      {{"colorize", "--color", "12345", in, out}, "--color"},
      {{"custom-blur", "--mask", "1,1,1,9,9,9,1,1", in, out}, "--mask"},
      {{"custom-blur", "--mask", "1,1,1,9,nan,9,1,1,1", in, out}, "--mask"},
      {{"custom-blur", "--mask", "1,1,1,9,9,9,1,1,1,1", in, out}, "--mask"},
      {{"flip-horizontal", "--rect", "0,0,4,4", in, out}, "--rect"},
      {{"custom-rotate", "--rect", "0,0,4,4", in, out}, "--rect"},
      {{"invert", "--rect", "4,0,2,4", in, out}, "--rect"},
  };
  for (const Case& c : cases) {
    const CliRun run = Effect(c.args);
    EXPECT_EQ(run.status, 2) << c.args[0] << " " << c.named;
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
  EXPECT_EQ(Effect({"blur", in}).status, 1);  // no OUTPUT: wrong usage
}

TEST_F(CliEffect, MaskValuesAreRealNumbersWhateverTheLocale) {
  const std::string in = Path(WriteSourcePng(dir_.path(), 16));
  const CliRun run = Effect(
      {"custom-blur", "--mask", "0.5,1,1,9,9,9,1,1,-2.25e0", "--level", "255", in, Out("out.png")});
  EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(CliEffect, InvertOnARealIconAsPillowReadsIt) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow missing";
  const std::filesystem::path input = SharedData("ani/aniFileExtractor/test/test.ico");
  if (!std::filesystem::exists(input)) GTEST_SKIP() << "shared test data not present";
  const std::string out = Out("inverted.ico");
  const CliRun run = Effect({"invert", Path(input), out});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<PeerImage> before = PillowImages(input, dir_.path());
  const std::vector<PeerImage> after = PillowImages(out, dir_.path());
  ASSERT_FALSE(before.empty());
  ASSERT_EQ(after.size(), before.size());
  for (const PeerImage& a : before) {
    const PeerImage* b = FindBySize(after, a.width, a.height);
    ASSERT_NE(b, nullptr) << a.width;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
      if (IsTransparent(a.pixels[i])) continue;
      ASSERT_EQ(b->pixels[i], a.pixels[i] ^ 0x00FFFFFF) << a.width << " pixel " << i;
    }
  }
}

TEST_F(CliEffect, RectangleAndFrameLimitTheChange) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow missing";
  const std::filesystem::path input = WriteSourcePng(dir_.path(), 64);
  const std::string out = Out("opaque.png");
  ASSERT_EQ(Effect({"opacity", "--level", "100", "--rect", "32,32,64,64", "--frame", "0",
                    Path(input), out})
                .status,
            0);
  const std::optional<PeerImage> a = PillowPicture(input, dir_.path());
  const std::optional<PeerImage> b = PillowPicture(out, dir_.path());
  ASSERT_TRUE(a && b);
  int raised = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Pixel p = a->At(x, y);
      const bool inside = x >= 32 && y >= 32;
      const Pixel expected = inside && !IsTransparent(p) ? (p | 0xFF000000) : p;
      ASSERT_EQ(b->At(x, y), expected) << x << "," << y;
      raised += expected != p;
    }
  }
  EXPECT_GT(raised, 0);  // the half-transparent quarter became opaque
  EXPECT_EQ(Effect({"invert", "--frame", "3", Path(input), out}).status, 2);
  const CliRun outside = Effect({"invert", "--rect", "64,0,70,8", Path(input), Out("none.png")});
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("--rect"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Out("none.png")));
}

TEST_F(CliEffect, RefusesPicturesLargerThanAnIconImage) {
  const CliRun run = Effect({"aqua", Path(WriteSourcePng(dir_.path(), 300)), Out("big.png")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("300x300"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(Out("big.png")));
}

TEST_F(CliEffect, QuarterTurnChangesTheFrameSize) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow missing";
  CDib image;
  ASSERT_TRUE(image.Create(48, 32));
  image.SetPixel(0, 0, 0xFF112233);
  const std::filesystem::path input = dir_.path() / "wide.png";
  ASSERT_TRUE(SavePngFile(input, image, 32).ok());
  const std::string out = Out("tall.ico");
  ASSERT_EQ(Effect({"rotate-90-cw", Path(input), out}).status, 0);
  const std::vector<PeerImage> images = PillowImages(out, dir_.path());
  ASSERT_EQ(images.size(), 1u);
  ASSERT_EQ(images[0].width, 32);
  ASSERT_EQ(images[0].height, 48);
  EXPECT_EQ(images[0].At(31, 0), 0xFF112233u);
}

TEST_F(CliEffect, EveryEffectRunsOnARealIconWithItsDefaults) {
  const std::filesystem::path input = SharedData("ico/icojs/test-fixtures/images/basic.ico");
  if (!std::filesystem::exists(input)) GTEST_SKIP() << "shared test data not present";
  const CliRun list = Effect({"--list"});
  std::istringstream lines(list.out);
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == ' ') continue;
    const std::string name = line.substr(0, line.find(' '));
    const CliRun run = Effect({name, Path(input), Out(name + ".ico")});
    EXPECT_EQ(run.status, 0) << name << ": " << run.err;
    ++count;
  }
  EXPECT_EQ(count, 22);
}

}  // namespace
}  // namespace morvane::testing
