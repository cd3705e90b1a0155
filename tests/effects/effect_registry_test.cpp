// The effect table: names, parameter ranges and defaults, and every runner's behaviour on
// hostile values and rectangles.
#include "effects/effect_registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "effect_test_support.h"
#include "support/effect_names.h"

namespace morvane::testing {
namespace {

CDib Mixed() {
  CDib image;
  EXPECT_TRUE(image.Create(12, 9));
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 12; ++x) {
      const Pixel alpha = x < 3 ? 0 : (x < 6 ? 0x80 : 0xFF);
      image.SetPixel(x, y,
                     alpha << 24 | static_cast<Pixel>(x * 20) << 16 | static_cast<Pixel>(y * 25));
    }
  }
  return image;
}

TEST(EffectRegistry, HoldsTheTwentyTwoEffectsUnderTheirCommandNames) {
  const std::set<std::string> expected(kEffectCommandNames.begin(), kEffectCommandNames.end());
  std::set<std::string> names;
  for (const EffectInfo& e : Effects()) names.insert(e.cliName);
  EXPECT_EQ(names, expected);
  EXPECT_EQ(Effects().size(), 22u);
}

TEST(EffectRegistry, DefaultsLieInTheirRanges) {
  for (const EffectInfo& e : Effects()) {
    std::set<std::string> params;
    for (const EffectParam& p : e.params) {
      EXPECT_TRUE(params.insert(p.cliName).second) << e.cliName << " " << p.cliName;
      if (p.kind != ParamKind::kMask) {
        EXPECT_LE(p.min, p.def) << e.cliName << " " << p.cliName;
        EXPECT_LE(p.def, p.max) << e.cliName << " " << p.cliName;
      }
    }
    int index = -1;
    if (!e.params.empty()) {
      EXPECT_EQ(FindParam(e, e.params.back().cliName, &index),
                static_cast<int>(e.params.size()) - 1);
      EXPECT_EQ(index + e.params.back().Count(), static_cast<int>(DefaultValues(e).size()));
    }
    EXPECT_EQ(FindParam(e, "no-such-parameter"), -1);
  }
  const EffectInfo* custom = FindEffect("custom-blur");
  ASSERT_NE(custom, nullptr);
  EXPECT_EQ(DefaultValues(*custom), (EffectValues{1, 1, 1, 9, 9, 9, 1, 1, 1, 0, 1}));
  EXPECT_EQ(FindEffect("Blur"), nullptr);
}

TEST(EffectRegistry, EveryEffectSurvivesHostileValues) {
  for (const EffectInfo& e : Effects()) {
    for (const double v : {double{NAN}, double{INFINITY}, -1e300, 1e300}) {
      CDib image = Mixed();
      const EffectValues values(DefaultValues(e).size(), v);
      e.run(image, Rect::Whole(), values);
      EXPECT_GT(image.GetWidth(), 0) << e.cliName;
    }
    CDib image = Mixed();
    e.run(image, Rect::Whole(), {});  // too few values: the rest count as 0
  }
}

TEST(EffectRegistry, RectangleOutsideTheImageChangesNothing) {
  for (const EffectInfo& e : Effects()) {
    CDib image = Mixed();
    const std::vector<Pixel> before = PixelsOf(image);
    EXPECT_FALSE(e.run(image, {40, 40, 50, 50}, DefaultValues(e))) << e.cliName;
    EXPECT_EQ(PixelsOf(image), before) << e.cliName;
  }
}

TEST(EffectRegistry, InPlaceRectangleLeavesTheRestAlone) {
  const Rect rect{4, 2, 9, 7};
  for (const EffectInfo& e : Effects()) {
    if (e.geometric) continue;  // they lift the selection first
    CDib image = Mixed();
    const CDib original = Mixed();
    EffectValues values = DefaultValues(e);
    e.run(image, rect, values);
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 12; ++x) {
        if (!rect.Contains(x, y)) {
          EXPECT_EQ(At(image, x, y), At(original, x, y)) << e.cliName << " " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(image.clip, (Rect{0, 0, 12, 9})) << e.cliName;
  }
}

TEST(EffectRegistry, MultiFrameEffectsAlsoChangeTheExtraFramesWhole) {
  CDib target = Filled(4, 4, 0xFF102030);
  CDib extra1 = Filled(3, 3, 0xFF102030);
  CDib extra2 = Filled(2, 5, 0x80405060);
  CDib* extras[] = {&extra1, &extra2};
  const EffectInfo* opacity = FindEffect("opacity");
  ASSERT_NE(opacity, nullptr);
  ASSERT_TRUE(ApplyEffect(*opacity, target, {0, 0, 1, 1}, extras, EffectValues{-50}));
  EXPECT_EQ(At(target, 0, 0), 0x80102030u);  // the selection of the current image
  EXPECT_EQ(At(target, 1, 1), 0xFF102030u);
  for (const Pixel p : PixelsOf(extra1)) EXPECT_EQ(p, 0x80102030u);  // extra frames whole
  for (const Pixel p : PixelsOf(extra2)) EXPECT_EQ(p, 0x01405060u);

  // Posterize, Shadow, Bevel Boss, Aqua, the 3D effects, Smart blur and the transforms never
  // touch extra frames.
  for (const char* name : {"posterize", "shadow", "3d-shadow", "bevel-boss", "aqua", "3d-rotate",
                           "smart-blur", "custom-rotate", "invert", "rotate-90-cw"}) {
    const EffectInfo* e = FindEffect(name);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->multiFrame) << name;
    CDib frame = Mixed();
    CDib* one[] = {&frame};
    CDib image = Mixed();
    ApplyEffect(*e, image, Rect::Whole(), one, DefaultValues(*e));
    EXPECT_EQ(PixelsOf(frame), PixelsOf(Mixed())) << name;
  }
}

TEST(EffectRegistry, EmptyImageIsLeftAlone) {
  for (const EffectInfo& e : Effects()) {
    CDib image;
    EXPECT_FALSE(e.run(image, Rect::Whole(), DefaultValues(e))) << e.cliName;
  }
}

}  // namespace
}  // namespace morvane::testing
