// Tone and colour effects on small images with mixed alpha; expected values worked out from the
// algorithms by hand (the HLS round trips chosen where they are exact).
#include "effects/tone_effects.h"

#include <gtest/gtest.h>

#include "effect_test_support.h"

namespace morvane::testing {
namespace {

constexpr Pixel kGrey100 = 0xFF646464;
constexpr Pixel kWhite = 0xFFFFFFFF;
constexpr Pixel kClear = 0x00123456;  // transparent with colour bits, which must survive

TEST(BrightnessIntensityContrast, FullContrastCutFlattensToThePivot) {
  // Grey 100 has L = 0.392 (bucket 3, weight 0.30000000000000004), white bucket 10; the
  // half-transparent grey counts too. pivot = (2 x 0.30000000000000004 + 2 x 1) / 4 x 255
  // = 165.75, and k = 0 gives truncate(pivot) = 165 (0xA5), each pixel keeping its alpha.
  CDib image = Image({{kGrey100, kWhite, kClear}, {0x80646464, kClear, kWhite}});
  ASSERT_TRUE(ApplyBrightnessIntensityContrast(image, Rect::Whole(), {0, 0, -100}));
  EXPECT_EQ(PixelsOf(image),
            (std::vector<Pixel>{0xFFA5A5A5, 0xFFA5A5A5, kClear, 0x80A5A5A5, kClear, 0xFFA5A5A5}));
}

TEST(BrightnessIntensityContrast, PivotComesFromTheRectangleOnly) {
  // Only grey 100 is inside: pivot = 0.30000000000000004 * 255 = 76.5 -> 76 (0x4C).
  CDib image = Image({{kGrey100, kWhite}});
  ASSERT_TRUE(ApplyBrightnessIntensityContrast(image, {0, 0, 1, 1}, {0, 0, -100}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF4C4C4C, kWhite}));
  EXPECT_EQ(image.clip, (Rect{0, 0, 2, 1}));  // the caller's clip comes back
}

TEST(BrightnessIntensityContrast, NothingVisibleLeavesTheImageAlone) {
  CDib image = Image({{kClear, 0}});
  EXPECT_TRUE(ApplyBrightnessIntensityContrast(image, Rect::Whole(), {50, 50, 100}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{kClear, 0}));
  EXPECT_FALSE(ContrastPivot(image).has_value());
}

TEST(BrightnessIntensityContrast, FullBrightnessGivesWhiteAtUnitContrast) {
  // L + 1 clamps to 1, grey stays grey: 255 in every channel; with k = 1 the pivot cancels.
  CDib image = Image({{0xC0000000, kClear}});
  ASSERT_TRUE(ApplyBrightnessIntensityContrast(image, Rect::Whole(), {100, 0, 0}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xC0FFFFFF, kClear}));
}

TEST(HueLuminanceSaturation, SaturationCutGivesTheIntegerGrey) {
  // Pure red and green survive the HLS round trip exactly; grey = (R 30 + G 59 + B 11) / 100.
  CDib image = Image({{0xFFFF0000, 0x8000FF00, kClear}});
  ASSERT_TRUE(ApplyHueLuminanceSaturation(image, Rect::Whole(), {0, 0, -100}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF4C4C4C, 0x80969696, kClear}));
}

TEST(HueLuminanceSaturation, HueTurnsInTheModelsOwnChannelOrder) {
  // Pixel red sits in the model's blue role (hue 240); +120 gives 360, which the model's
  // channel function puts into byte 0: the pixel's blue.
  CDib image = Image({{0xFFFF0000}});
  ASSERT_TRUE(ApplyHueLuminanceSaturation(image, Rect::Whole(), {120, 0, 0}));
  EXPECT_EQ(At(image, 0, 0), 0xFF0000FFu);
}

TEST(HueLuminanceSaturation, GreyStaysGreyAtZero) {
  CDib image = Image({{kGrey100, 0xFF808080}});
  ASSERT_TRUE(ApplyHueLuminanceSaturation(image, Rect::Whole(), {0, 0, 0}));
  for (const Pixel p : PixelsOf(image)) {
    EXPECT_EQ(RedOf(p), GreenOf(p));
    EXPECT_EQ(GreenOf(p), BlueOf(p));
  }
}

TEST(Colorize, WorkedExampleWithPureRed) {
  // Chosen colour: platform 0x0000FF (red) -> hue 240, saturation 1, luminance 0.5.
  // Grey 100: p = 14 + 19 + 5 = 38; L' = 0.39215686 x 0.8 + 0 + 0.076 = 0.38972549;
  // m2 = 2 L' = 0.77945098, m1 = 0: byte 2 (pixel red) = truncate(198.76) = 198.
  CDib image = Image({{kGrey100, 0x40646464, kClear}});
  ASSERT_TRUE(ApplyColorize(image, Rect::Whole(), {0x0000FF}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFFC60000, 0x40C60000, kClear}));
}

TEST(Opacity, AddsTheTruncatedStepAndKeepsColourBytes) {
  // -50: 255 x -50 / 100 = -127 (towards zero).
  CDib image = Image({{0xFF102030, 0x80102030, 0x40102030, kClear}});
  ASSERT_TRUE(ApplyOpacity(image, Rect::Whole(), {-50}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x80102030, 0x01102030, 0x00102030, kClear}));
  // A pixel brought to alpha 0 is skipped from then on.
  ASSERT_TRUE(ApplyOpacity(image, Rect::Whole(), {100}));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0xFF102030, 0xFF102030, 0x00102030, kClear}));
}

TEST(Invert, IncludesTransparentPixelsAndTwiceRestores) {
  CDib image = Image({{0x80123456, kClear}, {0xFF000000, 0}});
  ASSERT_TRUE(Invert(image, Rect::Whole()));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x80EDCBA9, 0x00EDCBA9, 0xFFFFFFFF, 0x00FFFFFF}));
  ASSERT_TRUE(Invert(image, Rect::Whole()));
  EXPECT_EQ(PixelsOf(image), (std::vector<Pixel>{0x80123456, kClear, 0xFF000000, 0}));
}

TEST(ToneEffects, InPlaceRectangleConfinesEveryEffect) {
  CDib original = Image({{0xFF204060, 0x80A0B0C0, kClear}, {0xFF112233, 0xFFFFFFFF, 0x40808080}});
  const Rect rect{1, 0, 3, 1};  // the top row's right two pixels
  auto check = [&](auto apply) {
    CDib image = Copy(original);
    apply(image);
    EXPECT_EQ(At(image, 0, 0), At(original, 0, 0));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(image, x, 1), At(original, x, 1));
  };
  check([&](CDib& i) { Invert(i, rect); });
  check([&](CDib& i) { ApplyOpacity(i, rect, {-100}); });
  check([&](CDib& i) { ApplyColorize(i, rect, {0x00FF00}); });
  check([&](CDib& i) { ApplyHueLuminanceSaturation(i, rect, {90, 20, -40}); });
  check([&](CDib& i) { ApplyBrightnessIntensityContrast(i, rect, {20, 10, 50}); });
  check([&](CDib& i) { Posterize(i, rect, {2}); });
}

TEST(ToneEffects, RectangleOutsideTheImageChangesNothing) {
  CDib image = Image({{0xFF204060}});
  EXPECT_FALSE(Invert(image, {5, 5, 9, 9}));
  EXPECT_FALSE(ApplyOpacity(image, {-4, 0, 0, 1}, {50}));
  EXPECT_EQ(At(image, 0, 0), 0xFF204060u);
}

TEST(Posterize, KeepsEachPixelsAlpha) {
  CDib image = Image({{0xFF000000, 0x80FFFFFF, 0x00FFFFFF, 0xFF0000FF}});
  ASSERT_TRUE(Posterize(image, Rect::Whole(), {2}));
  const std::vector<Pixel> p = PixelsOf(image);
  EXPECT_EQ(AlphaOf(p[0]), 0xFFu);
  EXPECT_EQ(AlphaOf(p[1]), 0x80u);
  EXPECT_EQ(AlphaOf(p[2]), 0u);
}

TEST(ToneEffects, ParametersOutOfRangeAreClamped) {
  // Opacity 1000 acts as 100, -1000 as -100.
  CDib image = Image({{0x80102030}});
  ASSERT_TRUE(ApplyOpacity(image, Rect::Whole(), {1000}));
  EXPECT_EQ(At(image, 0, 0), 0xFF102030u);
  ASSERT_TRUE(ApplyOpacity(image, Rect::Whole(), {-1000}));
  EXPECT_EQ(At(image, 0, 0), 0x00102030u);
}

}  // namespace
}  // namespace morvane::testing
