#include "editing/step_script.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane {
namespace {

TEST(JsonReader, AcceptsStrictJsonOnly) {
  const auto ok = ParseJson(R"( {"a": [1, -2.5e1, true, null, "x\u00e9\ud83d\ude00"]} )");
  ASSERT_TRUE(ok.ok) << ok.error;
  const JsonValue* a = ok.value.Find("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->items[1].number, -25);
  EXPECT_EQ(a->items[4].text, "x\xC3\xA9\xF0\x9F\x98\x80");
  for (const char* bad : {"[1,]", "{\"a\":1,\"a\":2}", "[01]", "[1.]", "['x']", "[\"\x01\"]",
                          "[\"\\ud800\"]", "[1e999]", "// c\n[]", "[] []", "", "[nul]"}) {
    EXPECT_FALSE(ParseJson(bad).ok) << bad;
  }
}

TEST(JsonReader, BoundsNestingDepthAndSize) {
  EXPECT_TRUE(ParseJson(std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']')).ok);
  const std::string deep(100000, '[');
  const auto r = ParseJson(deep);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("deeply"), std::string::npos);
  EXPECT_FALSE(ParseJson(std::string(kMaxJsonBytes + 1, ' ')).ok);
}

TEST(DrawScript, RunsStrokesWithSettingsCarriedOver) {
  CDib image;
  ASSERT_TRUE(image.Create(8, 8));
  UndoHistory history;
  EditCanvas canvas;
  canvas.Attach(&image, &history);
  const auto parsed = ParseDrawScript(R"([
      {"anti-aliasing": false, "color": "#FF0000FF", "color-2": "#FFFF0000"},
      {"tool": "line", "points": [[0, 0], [7, 0]]},
      {"tool": "pen", "points": [[3, 3], [5, 5]], "button": "right"},
      {"tool": "polygon", "points": [[1, 5], [3, 5], [3, 7]], "lock": "b"}])");
  ASSERT_TRUE(parsed.script) << parsed.error;
  EXPECT_EQ(parsed.script->StepCount(), 4u);
  parsed.script->Run(canvas);
  EXPECT_EQ(image.GetPixel(7, 0), 0xFF0000FFu);
  EXPECT_EQ(image.GetPixel(3, 3), 0xFFFF0000u);
  EXPECT_EQ(image.GetPixel(5, 5), 0xFFFF0000u);
  // The blue lock keeps the blue byte of the transparent pixels under the polygon at 0.
  EXPECT_EQ(image.GetPixel(2, 5), 0xFF000000u);
  EXPECT_TRUE(canvas.Points().empty());  // finished as by Enter
  EXPECT_EQ(history.Position(), 4);      // one undo step per stroke
}

TEST(DrawScript, GradientSettingsRenderTheGradient) {
  CDib image;
  ASSERT_TRUE(image.Create(4, 4));
  UndoHistory history;
  EditCanvas canvas;
  canvas.Attach(&image, &history);
  // Angle 90: the last stop on the left, the first on the right, stretched over the image.
  const auto parsed = ParseDrawScript(R"([
      {"grad-using": true, "angle": 90, "area-fill": 1,
       "colors": ["#FF000000", "#FFFFFFFF"], "colors-pos": [0, 1]},
      {"tool": "fill", "points": [[0, 0]]}])");
  ASSERT_TRUE(parsed.script) << parsed.error;
  parsed.script->Run(canvas);
  EXPECT_EQ(image.GetPixel(0, 2), 0xFFFFFFFFu);
  EXPECT_EQ(image.GetPixel(3, 2), 0xFF3E3E3Eu);  // source column 96: v = 31/127, index 62
}

}  // namespace
}  // namespace morvane
