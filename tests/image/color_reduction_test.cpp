#include "image/color_reduction.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "image/dl1_quantizer.h"
#include "image/octree_quantizer.h"

namespace morvane {
namespace {

CDib MakeImage(int width, int height, Pixel fill) {
  CDib dib;
  EXPECT_TRUE(dib.Create(width, height));
  dib.Fill(fill);
  return dib;
}

// The reference the mapping must agree with: squared distance, ties to the lower index.
int BruteForceNearest(const Palette& palette, Pixel p) {
  int best = -1;
  long bestDistance = 0;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const long d0 = palette[i][0] - static_cast<long>(BlueOf(p));
    const long d1 = palette[i][1] - static_cast<long>(GreenOf(p));
    const long d2 = palette[i][2] - static_cast<long>(RedOf(p));
    const long distance = d0 * d0 + d1 * d1 + d2 * d2;
    if (best < 0 || distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  return best;
}

bool InSystemPalette(Pixel p) {
  for (const auto& rgb : SystemPalette16()) {
    if ((p & 0x00FFFFFF) == MakePixel(0, rgb[0], rgb[1], rgb[2])) return true;
  }
  return false;
}

// --- Monochrome ---------------------------------------------------------------------------

TEST(Monochrome, ThresholdsTheBrightestChannelAndKeepsAlpha) {
  CDib dib;
  ASSERT_TRUE(dib.Create(4, 1));
  dib.SetPixel(0, 0, MakePixel(200, 64, 64, 64));
  dib.SetPixel(1, 0, MakePixel(255, 65, 0, 0));
  dib.SetPixel(2, 0, 0x00123456);  // transparent: colour bits stay
  dib.SetPixel(3, 0, MakePixel(10, 0, 0, 200));
  ReduceToMonochrome(dib, dib);
  EXPECT_EQ(dib.GetPixel(0, 0), 0xC8000000u);
  EXPECT_EQ(dib.GetPixel(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(dib.GetPixel(2, 0), 0x00123456u);
  EXPECT_EQ(dib.GetPixel(3, 0), 0x0AFFFFFFu);
}

TEST(Monochrome, CreatesAnEmptyTargetAndRespectsTheClipInPlace) {
  CDib source = MakeImage(3, 2, 0xFF808080);
  CDib target;
  ReduceToMonochrome(source, target);
  ASSERT_EQ(target.GetWidth(), 3);
  ASSERT_EQ(target.GetHeight(), 2);
  EXPECT_EQ(target.GetPixel(2, 1), 0xFFFFFFFFu);
  EXPECT_EQ(source.GetPixel(2, 1), 0xFF808080u);

  source.clip = {1, 0, 2, 2};
  ReduceToMonochrome(source, source);
  EXPECT_EQ(source.Pixels()[0], 0xFF808080u);
  EXPECT_EQ(source.Pixels()[1], 0xFFFFFFFFu);
}

// --- Fixed 16-colour palette ---------------------------------------------------------------

TEST(SixteenColors, FlatGreyMapsToEntryEightWithAndWithoutDithering) {
  for (int level : {0, 31}) {
    CDib dib = MakeImage(9, 7, 0xFF808080);
    ASSERT_TRUE(ReduceTo16Colors(dib, dib, level));
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 9; ++x) EXPECT_EQ(dib.GetPixel(x, y), 0xFF808080u) << level;
    }
  }
  CDib dib = MakeImage(5, 3, 0xFF808080);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 16, out, false, false));
  EXPECT_EQ(out.indices, std::vector<std::uint8_t>(15, 8));
  EXPECT_EQ(out.palette, SystemPalette16Bgr());
}

TEST(SixteenColors, TheSameByteTriplesServeBothChannelOrders) {
  // Fed as (blue, green, red) the triple (128, 0, 0) at entry 1 is dark blue, as BMP and ICO
  // palettes store it; fed as (red, green, blue) it is dark red. Each colour maps to itself.
  CDib dib = MakeImage(2, 2, 0xFF000080);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 16, out, false, false));
  EXPECT_EQ(out.indices[0], 1);
  EXPECT_EQ(out.palette[1], (PaletteEntry{128, 0, 0, 0}));
  EXPECT_EQ(out.palette[4], (PaletteEntry{0, 0, 128, 0}));
  dib.SetPixel(1, 1, 0x7F7F0000);
  ASSERT_TRUE(ReduceTo16Colors(dib, dib, 0));
  EXPECT_EQ(dib.GetPixel(1, 1), 0x7F800000u);
  EXPECT_EQ(dib.GetPixel(0, 0), 0xFF000080u);
}

TEST(SixteenColors, DitheringAGradientStaysInThePaletteAndDiffersFromPlainMapping) {
  CDib gradient;
  ASSERT_TRUE(gradient.Create(64, 16));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 64; ++x) {
      gradient.SetPixel(x, y, MakePixel(255 - y, x * 4, 255 - x * 4, y * 16));
    }
  }
  CDib plain, dithered;
  ASSERT_TRUE(ReduceTo16Colors(gradient, plain, 0));
  ASSERT_TRUE(ReduceTo16Colors(gradient, dithered, 64));
  int differing = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 64; ++x) {
      EXPECT_TRUE(InSystemPalette(dithered.GetPixel(x, y)));
      EXPECT_EQ(AlphaOf(dithered.GetPixel(x, y)), 255u - y);
      if (plain.GetPixel(x, y) != dithered.GetPixel(x, y)) ++differing;
    }
  }
  EXPECT_GT(differing, 64);
  EXPECT_EQ(gradient.GetPixel(10, 3), MakePixel(252, 40, 215, 48));  // source untouched
}

TEST(SixteenColors, DitheringFollowsTheSerpentinePathWithClampedErrors) {
  // Expected indices worked out step by step outside the program; row 1 runs right to left.
  const Pixel pixels[2][4] = {{0xFFC81E5A, 0xFF0ADC8C, 0xFFFAFA14, 0xFF5A5AC8},
                              {0xFF3C3C3C, 0xFFB41414, 0xFF1E1EAA, 0xFFF0A000}};
  const std::pair<int, std::array<int, 8>> cases[] = {
      {0, {5, 6, 11, 8, 0, 1, 4, 11}},
      {128, {5, 6, 11, 8, 3, 9, 12, 3}},
      {31, {5, 6, 11, 8, 6, 9, 4, 3}},
  };
  for (const auto& [level, expected] : cases) {
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 2));
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) dib.SetPixel(x, y, pixels[y][x]);
    }
    ASSERT_TRUE(ReduceTo16Colors(dib, dib, level));
    for (int i = 0; i < 8; ++i) {
      const auto& rgb = SystemPalette16()[expected[i]];
      EXPECT_EQ(dib.GetPixel(i % 4, i / 4), MakePixel(255, rgb[0], rgb[1], rgb[2]))
          << "level " << level << " pixel " << i;
    }
  }
  CDib grey = MakeImage(4, 2, 0xFF646464);  // the error only tips pixel (2, 1) over to black
  ASSERT_TRUE(ReduceTo16Colors(grey, grey, 128));
  EXPECT_EQ(grey.GetPixel(2, 1), 0xFF000000u);
  EXPECT_EQ(grey.GetPixel(1, 1), 0xFF808080u);
}

TEST(SixteenColors, DitherErrorIsClampedToTheLevel) {
  // Grey 100 maps to grey 128 with an error of -28. Clamped to -1 the error cannot move any
  // pixel to another colour; unclamped it must bring in darker pixels.
  CDib weak = MakeImage(16, 16, 0xFF646464);
  CDib strong = MakeImage(16, 16, 0xFF646464);
  ASSERT_TRUE(ReduceTo16Colors(weak, weak, 1));
  ASSERT_TRUE(ReduceTo16Colors(strong, strong, 128));
  std::set<Pixel> strongColours;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(weak.GetPixel(x, y), 0xFF808080u);
      strongColours.insert(strong.GetPixel(x, y));
    }
  }
  EXPECT_TRUE(strongColours.count(0xFF000000u));
}

TEST(SixteenColors, ReserveZeroGivesUpWhiteAndMovesBlackToFifteen) {
  CDib dib;
  ASSERT_TRUE(dib.Create(3, 1));
  dib.SetPixel(0, 0, 0xFF000000);
  dib.SetPixel(1, 0, 0xFFFFFFFF);
  dib.SetPixel(2, 0, 0xFF0000FF);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 16, out, false, true));
  ASSERT_EQ(out.palette.size(), 16u);
  EXPECT_EQ(out.palette[0], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(out.palette[15], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(out.indices, (std::vector<std::uint8_t>{15, 7, 9}));  // white -> silver
}

// --- DL1 ----------------------------------------------------------------------------------

TEST(Dl1, EquidistantEntriesGoToTheLowerIndex) {
  // Cell centre (12, 4, 4) lies at distance 16 from both (8, 4, 4) and (16, 4, 4).
  const std::vector<std::uint8_t> pixel = {13, 1, 2};
  std::vector<std::uint8_t> indices;
  const Palette forward = {{8, 4, 4, 0}, {16, 4, 4, 0}};
  const Palette backward = {{16, 4, 4, 0}, {8, 4, 4, 0}};
  ASSERT_TRUE(Dl1MapToPalette({pixel, 1, 1}, forward, 0, indices));
  EXPECT_EQ(indices[0], 0);
  ASSERT_TRUE(Dl1MapToPalette({pixel, 1, 1}, backward, 0, indices));
  EXPECT_EQ(indices[0], 0);
  EXPECT_EQ(NearestPaletteIndex(backward, 12, 4, 4), 0);
}

TEST(Dl1, BuildsAPaletteByMergingTheSmallestSubtrees) {
  // Five pixels in cell 0 (centre 4, 4, 4), one in cell 4 (centre 12, 4, 4), four white
  // (centre 252). Two colours: the lone pixel's cell moves into its parent, the white chain
  // climbs to the root, then cell 0 joins the parent: (5*4 + 12 + 3) / 6 = 5 and
  // (6*4 + 3) / 6 = 4. Children come before the root in the palette.
  std::vector<std::uint8_t> channels;
  auto add = [&](int count, std::uint8_t c0, std::uint8_t c1, std::uint8_t c2) {
    for (int i = 0; i < count; ++i) {
      channels.push_back(c0);
      channels.push_back(c1);
      channels.push_back(c2);
    }
  };
  add(5, 0, 0, 0);
  add(1, 8, 0, 0);
  add(4, 255, 255, 255);
  Palette palette;
  std::vector<std::uint8_t> indices;
  ASSERT_TRUE(Dl1Quantize({channels, 10, 1}, 2, 0, palette, indices));
  EXPECT_EQ(palette, (Palette{{5, 4, 4, 0}, {252, 252, 252, 0}}));
  EXPECT_EQ(indices, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(Dl1, ComputedPaletteUsesCellCentresAndKeepsAlpha) {
  CDib dib = MakeImage(4, 4, MakePixel(255, 200, 100, 50));
  dib.SetPixel(0, 0, MakePixel(90, 10, 20, 250));
  ASSERT_TRUE(ReduceToColors(dib, 8));
  EXPECT_EQ(dib.GetPixel(3, 3), MakePixel(255, 204, 100, 52));
  EXPECT_EQ(dib.GetPixel(0, 0), MakePixel(90, 12, 20, 252));
}

TEST(Dl1, ReserveZeroOnAComputedPaletteUsesNMinusOne) {
  CDib dib = MakeImage(2, 2, 0xFF0000FF);
  dib.SetPixel(1, 1, 0xFFFFFFFF);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 16, out, true, true));
  ASSERT_EQ(out.palette.size(), 16u);
  EXPECT_EQ(out.palette[0], (PaletteEntry{0, 0, 0, 0}));
  // Palette order: white's subtree (mask bit 7) before blue's; white was entry 0.
  EXPECT_EQ(out.palette[15], (PaletteEntry{252, 252, 252, 0}));
  EXPECT_EQ(out.palette[1], (PaletteEntry{252, 4, 4, 0}));
  EXPECT_EQ(out.indices, (std::vector<std::uint8_t>{1, 1, 1, 15}));
}

TEST(Dl1, RejectsShortInputAndSurvivesAnEmptyImage) {
  const std::vector<std::uint8_t> two = {1, 2, 3, 4, 5};
  std::vector<std::uint8_t> indices;
  Palette palette;
  EXPECT_FALSE(Dl1MapToPalette({two, 2, 1}, SystemPalette16Bgr(), 0, indices));
  EXPECT_FALSE(Dl1Quantize({two, 2, 1}, 4, 0, palette, indices));
  EXPECT_FALSE(Dl1MapToPalette({two, 1, 1}, Palette{}, 0, indices));
  ASSERT_TRUE(Dl1Quantize({{}, 0, 0}, 4, 0, palette, indices));
  EXPECT_TRUE(indices.empty());
  EXPECT_EQ(palette.size(), 1u);
}

// --- Octree -------------------------------------------------------------------------------

TEST(Octree, FoldsTheDeepestMostRecentNodeFirst) {
  OctreeQuantizer octree(3);
  octree.AddColor(255, 0, 0);
  octree.AddColor(254, 0, 0);
  octree.AddColor(0, 255, 0);
  octree.AddColor(0, 254, 0);  // fourth leaf: the two greens (added last) are folded
  EXPECT_EQ(octree.LeafCount(), 3);
  EXPECT_EQ(octree.GetPalette(), (Palette{{0, 254, 0, 0}, {0, 0, 254, 0}, {0, 0, 255, 0}}));
}

TEST(Octree, SingleChildFoldsDoNotCountAndMeansAreTruncated) {
  OctreeQuantizer octree(2);
  octree.AddColor(255, 0, 0);
  octree.AddColor(0, 255, 0);
  octree.AddColor(0, 0, 255);  // three separate chains: only the root can merge them
  EXPECT_EQ(octree.LeafCount(), 1);
  EXPECT_EQ(octree.GetPalette(), (Palette{{85, 85, 85, 0}}));
}

TEST(Octree, SingleOpaqueColourGivesOneEntryAndUnchangedPixels) {
  CDib dib = MakeImage(5, 3, 0xFF3A7BC2);
  dib.SetPixel(2, 1, 0x803A7BC2);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 256, out, true, false));
  EXPECT_EQ(out.palette, (Palette{{0xC2, 0x7B, 0x3A, 0}}));
  EXPECT_EQ(out.indices, std::vector<std::uint8_t>(15, 0));
  ASSERT_TRUE(ReduceToColors(dib, 256));
  EXPECT_EQ(dib.GetPixel(4, 2), 0xFF3A7BC2u);
  EXPECT_EQ(dib.GetPixel(2, 1), 0x803A7BC2u);
}

TEST(Octree, ReserveZeroWithThreeColours) {
  CDib dib = MakeImage(3, 1, 0);
  dib.SetPixel(0, 0, 0xFF0000FF);  // blue: child 1, first in the walk
  dib.SetPixel(1, 0, 0xFF00FF00);
  dib.SetPixel(2, 0, 0xFFFF0000);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 256, out, true, true));
  EXPECT_EQ(out.palette, (Palette{{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}}));
  EXPECT_EQ(out.indices, (std::vector<std::uint8_t>{3, 1, 2}));
}

TEST(Octree, ManyColoursGiveAtMostNEntriesAndNearestMapping) {
  std::mt19937 random(7);
  CDib dib;
  ASSERT_TRUE(dib.Create(37, 29));
  for (int y = 0; y < 29; ++y) {
    for (int x = 0; x < 37; ++x) dib.SetPixel(x, y, 0xFF000000 | (random() & 0x00FFFFFF));
  }
  dib.SetPixel(0, 0, 0x00123456);  // transparent pixels are mapped as well
  for (int n : {256, 200, 128}) {
    IndexedImage out;
    ASSERT_TRUE(ReduceToIndices(dib, n, out, true, false));
    ASSERT_LE(out.palette.size(), static_cast<std::size_t>(n));
    EXPECT_GT(out.palette.size(), static_cast<std::size_t>(n) / 2);
    ASSERT_EQ(out.indices.size(), 37u * 29u);
    for (int y = 0; y < 29; ++y) {
      for (int x = 0; x < 37; ++x) {
        ASSERT_EQ(out.indices[y * 37 + x], BruteForceNearest(out.palette, dib.GetPixel(x, y)));
      }
    }
  }
}

TEST(Octree, OnlyVisiblePixelsShapeThePalette) {
  CDib dib = MakeImage(4, 4, 0x0000FF00);  // transparent green
  dib.SetPixel(1, 1, 0xFFFF0000);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 256, out, true, false));
  EXPECT_EQ(out.palette, (Palette{{0, 0, 255, 0}}));
  EXPECT_EQ(out.indices, std::vector<std::uint8_t>(16, 0));
}

TEST(Octree, NoVisiblePixelGivesOneBlackEntryInsteadOfAnEmptyPalette) {
  CDib dib = MakeImage(3, 3, 0x00FF8040);
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 256, out, true, false));
  EXPECT_EQ(out.palette, (Palette{{0, 0, 0, 0}}));
  EXPECT_EQ(out.indices, std::vector<std::uint8_t>(9, 0));
  ASSERT_TRUE(ReduceToIndices(dib, 256, out, true, true));
  EXPECT_EQ(out.palette, (Palette{{0, 0, 0, 0}, {0, 0, 0, 0}}));
  EXPECT_EQ(out.indices, std::vector<std::uint8_t>(9, 1));
  ASSERT_TRUE(ReduceToColors(dib, 256));
  EXPECT_EQ(dib.GetPixel(1, 1), 0x00000000u);
}

TEST(NearestColorSearch, AgreesWithTheLinearSearchIncludingTies) {
  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    // Few distinct channel values make duplicate entries and equal distances common.
    Palette palette(1 + random() % 256);
    for (PaletteEntry& e : palette) {
      for (int c = 0; c < 3; ++c) e[c] = static_cast<std::uint8_t>((random() % 8) * 34);
    }
    const NearestColorSearch search(palette);
    // Queries on the half grid sit exactly between entries.
    auto channel = [&](int query) { return query % 2 ? random() % 256 : (random() % 15) * 17; };
    for (int query = 0; query < 1000; ++query) {
      const int c0 = channel(query), c1 = channel(query), c2 = channel(query);
      ASSERT_EQ(search.Find(c0, c1, c2), NearestPaletteIndex(palette, c0, c1, c2));
    }
  }
  EXPECT_EQ(NearestColorSearch(Palette{}).Find(1, 2, 3), 0);
}

// --- Index mapping in general -------------------------------------------------------------

TEST(ReduceToIndices, ReadsThroughTheClipAndKeepsIndicesInRange) {
  CDib dib = MakeImage(4, 2, 0xFFFF0000);
  dib.clip = {0, 0, 2, 2};  // the right half reads as outsideValue: transparent black
  IndexedImage out;
  ASSERT_TRUE(ReduceToIndices(dib, 256, out, true, false));
  EXPECT_EQ(out.palette, (Palette{{0, 0, 255, 0}}));
  for (int n : {1, 2, 7, 127, 128, 255, 256, 1000, -5}) {
    for (bool computed : {false, true}) {
      for (bool reserve : {false, true}) {
        ASSERT_TRUE(ReduceToIndices(dib, n, out, computed, reserve));
        ASSERT_EQ(out.indices.size(), 8u);
        for (std::uint8_t index : out.indices) ASSERT_LT(index, out.palette.size()) << n;
        if (reserve) {
          for (std::uint8_t index : out.indices) ASSERT_NE(index, 0) << n;
        }
      }
    }
  }
}

TEST(ReduceToIndices, EmptyImageGivesNoIndices) {
  CDib empty;
  IndexedImage out;
  out.indices = {1, 2, 3};
  ASSERT_TRUE(ReduceToIndices(empty, 256, out, true, false));
  EXPECT_TRUE(out.indices.empty());
  ASSERT_TRUE(ReduceToIndices(empty, 16, out, false, false));
  EXPECT_TRUE(out.indices.empty());
  EXPECT_TRUE(ReduceTo16Colors(empty, empty, 0));
}

TEST(ReduceToColors, ChangesOnlyPixelsInsideTheClip) {
  CDib dib = MakeImage(4, 4, MakePixel(255, 200, 100, 50));
  dib.clip = {1, 1, 3, 3};
  ASSERT_TRUE(ReduceToColors(dib, 4));
  EXPECT_EQ(dib.GetPixel(1, 1), MakePixel(255, 204, 100, 52));
  EXPECT_EQ(dib.Pixels()[0], MakePixel(255, 200, 100, 50));
  EXPECT_EQ(dib.Pixels()[3 * dib.Stride() + 3], MakePixel(255, 200, 100, 50));
}

}  // namespace
}  // namespace morvane
