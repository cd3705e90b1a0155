#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "image/dib.h"

namespace morvane {
namespace {

// --- A slow, obvious resampler to check the fast one against -----------------------------
// Written straight from the rules: per-pixel reads through GetPixel, the vertical pass column
// by column, the whole destination rectangle computed and only its visible part stored.

struct RefEntry {
  int left, right;
  std::vector<double> w;
};

std::vector<RefEntry> RefContributions(double v, long long length, int sourceLength) {
  const double r = std::fabs(v);
  const double s = static_cast<double>(length) / sourceLength;
  const double halfwidth = s < 1 ? r / s : r;
  const double f = s < 1 ? s : 1.0;
  const double window = 2 * std::ceil(halfwidth) + 1;
  auto k = [&](double t) {
    if (v > 0) return std::fabs(t) < r ? r - std::fabs(t) : 0.0;
    return std::fabs(t) <= r ? std::exp(-t * t / r - 1) / std::sqrt(2 * std::numbers::pi) : 0.0;
  };
  std::vector<RefEntry> table;
  for (long long u = 0; u < length; ++u) {
    const double c = u / s;
    int left = static_cast<int>(std::max(0.0, std::floor(c - halfwidth)));
    int right = static_cast<int>(std::min(std::ceil(c + halfwidth), sourceLength - 1.0));
    if (right - left + 1 > window) ++left;
    RefEntry e{left, right, {}};
    double sum = 0;
    for (int i = left; i <= right; ++i) {
      e.w.push_back(f * k(f * (c - i)));
      sum += e.w.back();
    }
    if (sum > 0) {
      for (double& w : e.w) w /= sum;
    } else {  // no source pixel under the kernel: the nearest one
      const int nearest = std::clamp(static_cast<int>(std::ceil(c - 0.5)), 0, sourceLength - 1);
      e = {nearest, nearest, {1.0}};
    }
    table.push_back(e);
  }
  return table;
}

Pixel RefFilter(const std::vector<Pixel>& line, const RefEntry& e) {
  double t = 0;
  for (int i = e.left; i <= e.right; ++i) {
    if (AlphaOf(line[i]) == 0) t += e.w[i - e.left];
  }
  const double g = t < 1 ? 1 / (1 - t) : t;
  double a = 0, r = 0, gr = 0, b = 0;
  for (int i = e.left; i <= e.right; ++i) {
    const Pixel p = line[i];
    if (AlphaOf(p) == 0) continue;
    const double w = e.w[i - e.left];
    r += g * w * RedOf(p);
    gr += g * w * GreenOf(p);
    b += g * w * BlueOf(p);
    a += w * AlphaOf(p);
  }
  auto byte = [](double sum) {
    return static_cast<std::uint32_t>(std::clamp(sum + 0.5, 0.0, 255.0));
  };
  return MakePixel(byte(a), byte(r), byte(gr), byte(b));
}

void RefStretch(const CDib& src, Rect sr, double v, CDib& dst, Rect dr) {
  if (dr.IsWhole()) dr = {0, 0, dst.GetWidth(), dst.GetHeight()};
  const int sw = sr.Width(), sh = sr.Height(), dw = dr.Width(), dh = dr.Height();
  if (std::fabs(v) < 0.1) {
    for (int y = 0; y < dh; ++y) {
      for (int x = 0; x < dw; ++x) {
        const int sx = sr.left + static_cast<int>(1LL * x * sw / dw);
        const int sy = sr.top + static_cast<int>(1LL * y * sh / dh);
        const int tx = dr.left + x, ty = dr.top + y;
        if (tx >= 0 && ty >= 0 && tx < dst.GetWidth() && ty < dst.GetHeight()) {
          dst.Row(ty)[tx] = src.Row(sy)[sx];
        }
      }
    }
    return;
  }
  const auto across = RefContributions(v, dw, sw);
  const auto down = RefContributions(v, dh, sh);
  std::vector<std::vector<Pixel>> middle(sh, std::vector<Pixel>(dw));
  for (int y = 0; y < sh; ++y) {
    std::vector<Pixel> line(sw);
    for (int x = 0; x < sw; ++x) line[x] = src.GetPixel(sr.left + x, sr.top + y);
    for (int u = 0; u < dw; ++u) middle[y][u] = RefFilter(line, across[u]);
  }
  for (int x = 0; x < dw; ++x) {
    std::vector<Pixel> column(sh);
    for (int y = 0; y < sh; ++y) column[y] = middle[y][x];
    for (int u = 0; u < dh; ++u) {
      const int tx = dr.left + x, ty = dr.top + u;
      if (tx >= 0 && ty >= 0 && tx < dst.GetWidth() && ty < dst.GetHeight()) {
        dst.Row(ty)[tx] = RefFilter(column, down[u]);
      }
    }
  }
}

// --- Helpers -----------------------------------------------------------------------------

// Random pixels; about a third fully transparent (as transparent black, the form readers
// produce) and a third partly transparent.
void FillRandom(CDib& dib, std::mt19937& rng, bool withTransparency = true) {
  std::uniform_int_distribution<std::uint32_t> any;
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      Pixel v = any(rng);
      const std::uint32_t kind = withTransparency ? v % 3 : 2;
      if (kind == 0) v = 0;
      if (kind == 1) v = (v & 0x00FFFFFF) | (1 + (v >> 24) % 254) << 24;
      if (kind == 2) v |= 0xFF000000;
      dib.Row(y)[x] = v;
    }
  }
}

bool SameVisiblePixels(const CDib& a, const CDib& b) {
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      if (a.Row(y)[x] != b.Row(y)[x]) {
        ADD_FAILURE() << "first difference at (" << x << ", " << y << "): " << std::hex
                      << a.Row(y)[x] << " vs " << b.Row(y)[x];
        return false;
      }
    }
  }
  return true;
}

void CopyOf(const CDib& from, CDib& to) {
  ASSERT_TRUE(from.CopyTo(to, CDib::CopyMode::kRecreate));
}

// --- Filtered scaling: hand-computed values ------------------------------------------------

// 32 -> 16 at 0.7: destination u reads 2u-1, 2u, 2u+1 weighted 0.2, 0.7, 0.2 over 1.1; at u = 0
// only 0 and 1 remain, weighted 0.7 and 0.2 over 0.9.
TEST(StretchFilter, HalvingWeighsThreeNeighboursAndRenormalisesAtTheBorder) {
  for (bool vertical : {false, true}) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(32, 32));
    std::vector<std::uint32_t> value(32, 0);
    value[0] = 90;
    value[1] = 180;
    value[5] = 220;   // 2u+1 of u = 2 and 2u-1 of u = 3
    value[12] = 110;  // centre of u = 6
    value[31] = 200;  // last pixel: 2u+1 of u = 15
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const std::uint32_t c = value[vertical ? y : x];
        src.Row(y)[x] = MakePixel(255, c, 255 - c, 7);
      }
    }
    src.StretchTo(dst, 0.7, Rect::Whole());  // a new destination takes the source size
    ASSERT_EQ(dst.GetWidth(), 32);
    CDib half;
    ASSERT_TRUE(half.Create(16, 16));
    src.StretchTo(half, 0.7);
    auto red = [&](int u) { return RedOf(vertical ? half.GetPixel(5, u) : half.GetPixel(u, 5)); };
    EXPECT_EQ(red(0), 110u);  // (0.7 * 90 + 0.2 * 180) / 0.9
    EXPECT_EQ(red(1), 33u);   // 0.2 * 180 / 1.1 = 32.7
    EXPECT_EQ(red(2), 40u);   // 0.2 * 220 / 1.1
    EXPECT_EQ(red(3), 40u);
    EXPECT_EQ(red(6), 70u);   // 0.7 * 110 / 1.1
    EXPECT_EQ(red(15), 36u);  // 0.2 * 200 / 1.1 = 36.4
    EXPECT_EQ(GreenOf(half.GetPixel(2, 2)), 215u);
    EXPECT_EQ(AlphaOf(half.GetPixel(15, 15)), 255u);
    EXPECT_EQ(BlueOf(half.GetPixel(9, 9)), 7u);
  }
}

TEST(StretchFilter, EqualSizesReproduceTheSourceExactly) {
  std::mt19937 rng(7);
  for (double v : {0.7, 1.0, 0.4}) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(23, 17));
    FillRandom(src, rng);
    ASSERT_TRUE(dst.Create(23, 17));
    src.StretchTo(dst, v);
    EXPECT_TRUE(SameVisiblePixels(src, dst)) << "filter " << v;
  }
}

TEST(StretchFilter, TransparentColourDoesNotTintVisibleNeighbours) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(4, 1));
  const Pixel blue = 0xFF0000FF;
  src.Row(0)[0] = blue;
  src.Row(0)[1] = 0x00FF0000;  // transparent, but red underneath
  src.Row(0)[2] = blue;
  src.Row(0)[3] = blue;
  ASSERT_TRUE(dst.Create(2, 1));
  src.StretchTo(dst, 0.7);
  // u = 0 weighs pixels 0 and 1 by 7/9 and 2/9: the colour stays pure blue, the alpha is
  // 255 * 7/9 = 198.3; u = 1 weighs 1, 2, 3 by 2/11, 7/11, 2/11: alpha 255 * 9/11 = 208.6.
  EXPECT_EQ(dst.GetPixel(0, 0), 0xC60000FFu);
  EXPECT_EQ(dst.GetPixel(1, 0), 0xD10000FFu);
}

// Lines filtered side by side (rows four at a time across, columns a whole row at a time down)
// each keep their own t and g. Four lines of four pixels, halved at 0.7 (weights 7/9, 2/9 and
// 2/11, 7/11, 2/11 as above): all blue; blue with a transparent red second pixel; all transparent;
// transparent red then blue. In the last, u = 0 has alpha 255 * 2/9 = 56.7 and g = 4.5, which
// brings the lone visible blue back to 255.
TEST(StretchFilter, EachLineGetsItsOwnTransparencyGain) {
  const Pixel blue = 0xFF0000FF, red = 0x00FF0000;
  const Pixel lines[4][4] = {{blue, blue, blue, blue},
                             {blue, red, blue, blue},
                             {red, red, red, red},
                             {red, blue, blue, blue}};
  const Pixel expected[4][2] = {
      {0xFF0000FF, 0xFF0000FF}, {0xC60000FF, 0xD10000FF}, {0, 0}, {0x390000FF, 0xFF0000FF}};
  for (bool vertical : {false, true}) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(4, 4));
    for (int line = 0; line < 4; ++line) {
      for (int i = 0; i < 4; ++i) {
        (vertical ? src.Row(i)[line] : src.Row(line)[i]) = lines[line][i];
      }
    }
    ASSERT_TRUE(dst.Create(vertical ? 4 : 2, vertical ? 2 : 4));
    src.StretchTo(dst, 0.7);
    for (int line = 0; line < 4; ++line) {
      for (int u = 0; u < 2; ++u) {
        const Pixel p = vertical ? dst.GetPixel(line, u) : dst.GetPixel(u, line);
        EXPECT_EQ(p, expected[line][u]) << (vertical ? "column " : "row ") << line << ", " << u;
      }
    }
  }
}

TEST(StretchFilter, FullyTransparentAreaStaysTransparentBlack) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(8, 8));
  src.Fill(0x00FF00FF);
  ASSERT_TRUE(dst.Create(3, 5));
  dst.Fill(0xFFFFFFFF);
  src.StretchTo(dst, -1.5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.GetPixel(x, y), 0u);
  }
}

// Shrinking 16 -> 10 at 1.0 puts the lone visible pixel at the very edge of some kernels, with a
// weight near 1e-16 beside transparent ones: the renormalised colour overshoots 255 there, and
// must not spill into the alpha byte and make an invisible pixel visible.
TEST(StretchFilter, VanishingWeightsNeverMakeTransparentPixelsVisible) {
  for (bool vertical : {false, true}) {
    CDib src, dst;
    ASSERT_TRUE(src.Create(vertical ? 1 : 16, vertical ? 16 : 1));
    src.Row(vertical ? 8 : 0)[vertical ? 0 : 8] = 0xFFC8C8C8;
    ASSERT_TRUE(dst.Create(vertical ? 1 : 10, vertical ? 10 : 1));
    src.StretchTo(dst, 1.0);
    int visible = 0;
    for (int i = 0; i < 10; ++i) {
      const Pixel p = vertical ? dst.GetPixel(0, i) : dst.GetPixel(i, 0);
      if (AlphaOf(p) == 0) continue;
      ++visible;
      EXPECT_EQ(p & 0x00FFFFFF, 0x00C8C8C8u) << i;
    }
    EXPECT_EQ(visible, 1);
  }
}

TEST(StretchFilter, GaussianIsSymmetricAndNormalised) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(15, 15));
  src.Fill(0xFF204060);
  src.Row(7)[7] = 0xFFFFFFFF;
  ASSERT_TRUE(dst.Create(15, 15));
  src.StretchTo(dst, -3.0);
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 15; ++x) {
      const Pixel p = dst.GetPixel(x, y);
      EXPECT_EQ(p, dst.GetPixel(14 - x, y));
      EXPECT_EQ(p, dst.GetPixel(x, 14 - y));
      EXPECT_EQ(AlphaOf(p), 255u) << "weights must sum to one";
    }
  }
  EXPECT_GT(RedOf(dst.GetPixel(7, 7)), 0x20u);
  EXPECT_LT(RedOf(dst.GetPixel(7, 7)), 0xFFu) << "a blur spreads the bright pixel";
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF204060u) << "beyond the radius nothing arrives";

  // A flat colour stays flat through shrinking and enlarging.
  CDib small, large;
  ASSERT_TRUE(small.Create(4, 6));
  ASSERT_TRUE(large.Create(41, 29));
  CDib flat;
  ASSERT_TRUE(flat.Create(15, 15));
  flat.Fill(0x80A0B0C0);
  flat.StretchTo(small, -2.0);
  flat.StretchTo(large, -0.5);
  for (const CDib* d : {&small, &large}) {
    for (int y = 0; y < d->GetHeight(); ++y) {
      for (int x = 0; x < d->GetWidth(); ++x) ASSERT_EQ(d->GetPixel(x, y), 0x80A0B0C0u);
    }
  }
}

// A narrow kernel between two source pixels reaches neither; the nearest pixel fills in
// instead of a hole of transparent black.
TEST(StretchFilter, NarrowKernelLeavesNoHolesWhenEnlarging) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(3, 3));
  src.Fill(0xFF336699);
  src.Row(1)[2] = 0xFFCC0000;
  ASSERT_TRUE(dst.Create(6, 6));
  src.StretchTo(dst, 0.4);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      // Each source pixel covers two destination pixels, as without filtering.
      const Pixel expected = x >= 4 && (y == 2 || y == 3) ? 0xFFCC0000 : 0xFF336699;
      EXPECT_EQ(dst.GetPixel(x, y), expected) << x << "," << y;
    }
  }
}

// --- Nearest neighbour -----------------------------------------------------------------

TEST(StretchNearest, TakesSourceIndexFloorOfUTimesSOverL) {
  CDib three, seven, back;
  ASSERT_TRUE(three.Create(3, 1));
  for (int x = 0; x < 3; ++x)
    three.Row(0)[x] = 0x10000000u * (x + 1) + 0x00ABCDEF;  // partial alpha
  ASSERT_TRUE(seven.Create(7, 1));
  three.StretchTo(seven, 0.05);
  const int expected7[] = {0, 0, 0, 1, 1, 2, 2};
  for (int u = 0; u < 7; ++u) EXPECT_EQ(seven.GetPixel(u, 0), three.Row(0)[expected7[u]]);

  for (int x = 0; x < 7; ++x) seven.Row(0)[x] = 0x01000000u * (x + 1);
  ASSERT_TRUE(back.Create(3, 1));
  seven.StretchTo(back, -0.05);
  EXPECT_EQ(back.GetPixel(0, 0), seven.Row(0)[0]);
  EXPECT_EQ(back.GetPixel(1, 0), seven.Row(0)[2]);
  EXPECT_EQ(back.GetPixel(2, 0), seven.Row(0)[4]);
}

// --- Rectangles ------------------------------------------------------------------------

TEST(StretchRects, WholeDestinationRectangleFillsEveryPixel) {
  std::mt19937 rng(3);
  CDib src, a, b;
  ASSERT_TRUE(src.Create(5, 4));
  FillRandom(src, rng);
  for (double v : {0.0, 0.7, -1.0}) {
    ASSERT_TRUE(a.Create(9, 6));
    ASSERT_TRUE(b.Create(9, 6));
    a.clip = {2, 2, 3, 3};  // the destination's clip does not confine the writes
    src.StretchTo(a, Rect::Whole(), v, Rect::Whole());
    src.StretchTo(b, Rect{0, 0, 5, 4}, v, Rect{0, 0, 9, 6});
    EXPECT_TRUE(SameVisiblePixels(a, b));
  }
}

TEST(StretchRects, PixelsOutsideTheDestinationRectangleStayUntouched) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(6, 6));
  src.Fill(0xFF00FF00);
  ASSERT_TRUE(dst.Create(10, 10));
  dst.Fill(0x7F123456);
  src.StretchTo(dst, Rect::Whole(), 0.7, Rect{2, 3, 7, 9});
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 3 && y < 9;
      EXPECT_EQ(dst.GetPixel(x, y), inside ? 0xFF00FF00u : 0x7F123456u) << x << "," << y;
    }
  }
  EXPECT_EQ(dst.Pixels()[10], 0x7F123456u) << "row padding is not part of the image";
}

TEST(StretchRects, BadRectanglesAndImagesDoNothing) {
  CDib src, dst, empty, snapshot;
  ASSERT_TRUE(src.Create(8, 8));
  src.Fill(0xFFFFFFFF);
  snapshot.TakeSnapshot(&src);
  ASSERT_TRUE(dst.Create(8, 8));
  for (double v : {0.0, 0.7, -2.0}) {
    src.StretchTo(dst, Rect{4, 4, 4, 8}, v, Rect::Whole());   // empty source
    src.StretchTo(dst, Rect{6, 6, 2, 2}, v, Rect::Whole());   // inverted source
    src.StretchTo(dst, Rect{8, 0, 20, 8}, v, Rect::Whole());  // beside the image
    src.StretchTo(dst, Rect::Whole(), v, Rect{5, 5, 1, 1});   // inverted destination
    src.StretchTo(dst, Rect::Whole(), v, Rect{-2000000000, 0, -1999999990, 8});  // far away
    src.StretchTo(dst, Rect::Whole(), v, Rect{8, 8, 2000000000, 2000000000});
    empty.StretchTo(dst, v);
    snapshot.StretchTo(dst, v);
  }
  for (std::size_t i = 0; i < dst.StoredPixelCount(); ++i) ASSERT_EQ(dst.Pixels()[i], 0u);
  EXPECT_TRUE(empty.IsEmpty()) << "an empty source does not create anything";
}

TEST(StretchRects, EmptyDestinationIsCreatedAtTheSourceSize) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(7, 3));
  src.Fill(0xFF102030);
  src.StretchTo(dst, Rect{0, 0, 2, 2}, 0.7, Rect{0, 0, 1, 1});
  ASSERT_EQ(dst.GetWidth(), 7);
  ASSERT_EQ(dst.GetHeight(), 3);
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF102030u);
  EXPECT_EQ(dst.GetPixel(1, 0), 0u);
}

TEST(StretchRects, HugeDestinationRectangleComputesOnlyTheVisiblePart) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(8, 8));
  for (int i = 0; i < 64; ++i) src.Row(i / 8)[i % 8] = 0xFF000000u | static_cast<Pixel>(i);
  for (double v : {0.0, 0.7, -0.5}) {
    ASSERT_TRUE(dst.Create(8, 8));
    // The visible 8 x 8 pixels sit at the middle of a 4e9-pixel square: source pixel (4, 4).
    src.StretchTo(dst, Rect::Whole(), v, Rect{-2000000000, -2000000000, 2000000000, 2000000000});
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(4, 4)) << v;
    }
  }
}

TEST(StretchRects, SourceReachingOutsideTheImageScalesThePartThatExists) {
  std::mt19937 rng(11);
  CDib src, a, b;
  ASSERT_TRUE(src.Create(9, 7));
  FillRandom(src, rng);
  for (double v : {0.0, 0.8, -1.2}) {
    ASSERT_TRUE(a.Create(5, 5));
    ASSERT_TRUE(b.Create(5, 5));
    src.StretchTo(a, Rect{-3, 2, 40, 90}, v, Rect::Whole());
    src.StretchTo(b, Rect{0, 2, 9, 7}, v, Rect::Whole());
    EXPECT_TRUE(SameVisiblePixels(a, b));
  }
}

// A destination rectangle hanging over the edges keeps its scale: what is visible matches the
// same rectangle drawn whole on a larger canvas.
TEST(StretchRects, DestinationOverTheEdgesKeepsItsScale) {
  std::mt19937 rng(5);
  CDib src, big, small;
  ASSERT_TRUE(src.Create(13, 11));
  FillRandom(src, rng);
  for (double v : {0.0, 0.7, -1.5}) {
    ASSERT_TRUE(big.Create(40, 40));
    ASSERT_TRUE(small.Create(12, 12));
    src.StretchTo(big, Rect::Whole(), v, Rect{10, 10, 37, 30});
    src.StretchTo(small, Rect::Whole(), v, Rect{-5, -6, 22, 14});  // big's canvas shifted by 15, 16
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) ASSERT_EQ(small.GetPixel(x, y), big.GetPixel(x + 15, y + 16));
    }
  }
}

TEST(StretchRects, SameImageAsSourceAndDestinationReadsTheOriginalPixels) {
  std::mt19937 rng(9);
  for (double v : {0.0, 0.7, -2.5}) {
    CDib image, original, expected;
    ASSERT_TRUE(image.Create(16, 12));
    FillRandom(image, rng);
    CopyOf(image, original);
    CopyOf(image, expected);
    original.StretchTo(expected, Rect{2, 1, 14, 9}, v, Rect{4, 3, 16, 12});
    image.StretchTo(image, Rect{2, 1, 14, 9}, v, Rect{4, 3, 16, 12});
    EXPECT_TRUE(SameVisiblePixels(image, expected)) << "filter " << v;
  }
}

TEST(StretchRects, FilteredReadsFollowTheSourceClip) {
  CDib src, dst;
  ASSERT_TRUE(src.Create(4, 4));
  src.Fill(0xFFFF0000);
  src.clip = {0, 0, 2, 4};  // right half reads as outsideValue: transparent
  ASSERT_TRUE(dst.Create(4, 4));
  src.StretchTo(dst, 0.7);
  EXPECT_EQ(dst.GetPixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(dst.GetPixel(3, 1), 0u);
}

// --- Against the reference ---------------------------------------------------------------

TEST(StretchProperty, MatchesTheReferenceAndTouchesNothingOutsideTheRectangle) {
  std::mt19937 rng(2024);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const double filters[] = {0.0, 0.05, 0.3, 0.4, 0.7, 1.0, 2.3, -0.1, -0.8, -2.0, -6.5};
  for (int round = 0; round < 400; ++round) {
    CDib src, dst, expected;
    ASSERT_TRUE(src.Create(pick(1, 40), pick(1, 40)));
    FillRandom(src, rng, round % 4 != 0);
    ASSERT_TRUE(dst.Create(pick(1, 40), pick(1, 40)));
    FillRandom(dst, rng);
    CopyOf(dst, expected);
    const int sl = pick(0, src.GetWidth() - 1), st = pick(0, src.GetHeight() - 1);
    const Rect sr{sl, st, pick(sl + 1, src.GetWidth()), pick(st + 1, src.GetHeight())};
    const int dl = pick(-20, dst.GetWidth() + 2), dt = pick(-20, dst.GetHeight() + 2);
    const Rect dr{dl, dt, dl + pick(1, 60), dt + pick(1, 60)};
    const double v = filters[round % std::size(filters)];
    src.StretchTo(dst, sr, v, dr);
    RefStretch(src, sr, v, expected, dr);
    ASSERT_TRUE(SameVisiblePixels(dst, expected))
        << "round " << round << " filter " << v << " src " << src.GetWidth() << "x"
        << src.GetHeight() << " rect " << sr.left << "," << sr.top << "," << sr.right << ","
        << sr.bottom << " dst " << dst.GetWidth() << "x" << dst.GetHeight() << " rect " << dl << ","
        << dt << "," << dr.right << "," << dr.bottom;
    for (std::size_t i = 0; i < dst.StoredPixelCount(); ++i) {
      if (static_cast<int>(i % dst.Stride()) >= dst.GetWidth()) {
        ASSERT_EQ(dst.Pixels()[i], expected.Pixels()[i]) << "padding changed";
      }
    }
  }
}

// The passes filter several rows (8) and columns (64) side by side and sum only alpha when no
// pixel has colour. Sizes around those groupings, windows wider than the image (a blur radius
// beyond the image, as the glossy effects use), unscaled lines (kernel values shared by
// distance), colourless and single-colour silhouettes: all must match the reference bit for bit.
TEST(StretchProperty, WideKernelsAndLaneGroupsMatchTheReference) {
  std::mt19937 rng(77);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const double filters[] = {-0.5, -1.5, -4.0, -20.0, -57.3, -150.0, 0.8, 1.7, 9.5, 70.0};
  const int sides[] = {1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 129};
  for (int round = 0; round < 160; ++round) {
    const int w = round % 3 == 0 ? sides[pick(0, 10)] : pick(1, 90);
    const int h = round % 3 == 1 ? sides[pick(0, 10)] : pick(1, 90);
    CDib src, dst, expected;
    ASSERT_TRUE(src.Create(w, h));
    FillRandom(src, rng, round % 5 != 0);
    if (round % 4 == 1) {  // no colour at all: alpha alone is summed
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) src.Row(y)[x] &= 0xFF000000;
      }
    } else if (round % 4 == 2) {  // a shadow's silhouette: one colour, any alpha
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) src.Row(y)[x] = (src.Row(y)[x] & 0xFF000000) | 0x203040;
      }
    }
    // Half the rounds keep the size (unscaled), the others scale either way.
    const bool same = round % 2 == 0;
    const int dw = same ? w : pick(1, 100), dh = same ? h : pick(1, 100);
    ASSERT_TRUE(dst.Create(dw, dh));
    FillRandom(dst, rng);
    CopyOf(dst, expected);
    const double v = filters[round % std::size(filters)];
    src.StretchTo(dst, v);
    RefStretch(src, {0, 0, w, h}, v, expected, Rect::Whole());
    ASSERT_TRUE(SameVisiblePixels(dst, expected)) << "round " << round << " filter " << v << " "
                                                  << w << "x" << h << " to " << dw << "x" << dh;
  }
}

// Strong shrinking with a small tent reads the packed pixels directly in both passes: the
// horizontal one four rows at a time, the vertical one a whole row of columns at a time from a
// ring of unpacked rows. Transparent blocks and speckles give windows that are opaque,
// transparent and mixed side by side; destination rectangles hang over the edges, and odd sizes
// leave no grouping to rely on.
TEST(StretchProperty, StrongShrinkingMatchesTheReference) {
  std::mt19937 rng(4242);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const double filters[] = {0.7, 0.5, 0.9, 0.3};
  for (int round = 0; round < 60; ++round) {
    // Half the pictures are square into a square, which shares the weights between the passes
    // when the rectangle shows the square evenly (the even rounds).
    const bool square = round % 4 >= 2;
    const int w = pick(60, 260), h = square ? w : pick(60, 260);
    CDib src, dst, expected;
    ASSERT_TRUE(src.Create(w, h));
    FillRandom(src, rng, round % 6 != 0);
    if (round % 3 == 1) {  // an opaque band and a transparent block beside speckles
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          if (y < h / 3) src.Row(y)[x] |= 0xFF000000;
          if (x > w / 2 && y > h / 2) src.Row(y)[x] &= 0x00FFFFFF;
        }
      }
    }
    const int dw = pick(1, 49), dh = square ? dw : pick(1, 49);
    ASSERT_TRUE(dst.Create(dw, dh));
    FillRandom(dst, rng);
    CopyOf(dst, expected);
    const Rect dr = round % 2 == 0
                        ? Rect{0, 0, dw, dh}
                        : Rect{-pick(0, 9), -pick(0, 9), dw + pick(0, 9), dh + pick(0, 9)};
    const double v = filters[round % std::size(filters)];
    src.StretchTo(dst, Rect::Whole(), v, dr);
    RefStretch(src, {0, 0, w, h}, v, expected, dr);
    ASSERT_TRUE(SameVisiblePixels(dst, expected)) << "round " << round << " filter " << v << " "
                                                  << w << "x" << h << " to " << dw << "x" << dh;
  }
  // Shrinking an image into a corner of itself reads every source row before writing.
  CDib image, original;
  ASSERT_TRUE(image.Create(120, 90));
  FillRandom(image, rng);
  CopyOf(image, original);
  image.StretchTo(image, Rect::Whole(), 0.7, Rect{3, 5, 20, 17});
  CDib expected;
  CopyOf(original, expected);
  RefStretch(original, {0, 0, 120, 90}, 0.7, expected, Rect{3, 5, 20, 17});
  EXPECT_TRUE(SameVisiblePixels(image, expected));
}

// The alpha a resampling computes never depends on the colours (which is why an image's
// colours may be dropped before blurring it when only its alpha is wanted).
TEST(StretchProperty, AlphaDoesNotDependOnColour) {
  std::mt19937 rng(31);
  for (double v : {-3.0, -330.0, 0.7, 2.5}) {
    CDib src, grey, a, b;
    ASSERT_TRUE(src.Create(37, 29));
    FillRandom(src, rng);
    CopyOf(src, grey);
    for (int y = 0; y < 29; ++y) {
      for (int x = 0; x < 37; ++x) grey.Row(y)[x] &= 0xFF000000;
    }
    src.StretchTo(a, Rect::Whole(), v, Rect::Whole());
    grey.StretchTo(b, Rect::Whole(), v, Rect::Whole());
    for (int y = 0; y < 29; ++y) {
      for (int x = 0; x < 37; ++x) {
        ASSERT_EQ(AlphaOf(a.Row(y)[x]), AlphaOf(b.Row(y)[x])) << v << " at " << x << ", " << y;
        ASSERT_EQ(b.Row(y)[x] & 0x00FFFFFF, 0u);
      }
    }
  }
}

}  // namespace
}  // namespace morvane
