#include "image/dib.h"

#include <gtest/gtest.h>

#include <random>

namespace morvane {
namespace {

TEST(CDib, CreatePadsRowsToFourPixelsAndStartsTransparent) {
  CDib dib;
  EXPECT_EQ(dib.GetWidth(), 0);
  EXPECT_EQ(dib.clip.left, kNotSet);
  ASSERT_TRUE(dib.Create(5, 3));
  EXPECT_EQ(dib.Stride(), 8);
  EXPECT_EQ(dib.StoredPixelCount(), 24u);
  EXPECT_EQ(dib.clip, (Rect{0, 0, 5, 3}));
  for (std::size_t i = 0; i < dib.StoredPixelCount(); ++i) EXPECT_EQ(dib.Pixels()[i], 0u);
  const BitmapInfoHeader h = dib.Header();
  EXPECT_EQ(h.width, 8);
  EXPECT_EQ(h.height, -3);
  EXPECT_EQ(h.imageSize, 3u * 8 * 4);
}

TEST(CDib, CreateRefusesImpossibleSizesAndStaysEmpty) {
  CDib dib;
  EXPECT_FALSE(dib.Create(0, 10));
  EXPECT_FALSE(dib.Create(-1, 10));
  EXPECT_FALSE(dib.Create(1 << 20, 1 << 20));
  EXPECT_TRUE(dib.IsEmpty());
  EXPECT_EQ(dib.GetHeight(), 0);
}

TEST(CDib, CreateOnSameSizeClearsAndReleaseKeepsStrideAndClip) {
  CDib dib;
  ASSERT_TRUE(dib.Create(3, 2));
  dib.Fill(0xFF112233);
  dib.clip = {1, 0, 2, 1};
  ASSERT_TRUE(dib.Create(3, 2));
  EXPECT_EQ(dib.GetPixel(0, 0), 0u);
  EXPECT_EQ(dib.clip, (Rect{0, 0, 3, 2}));
  dib.clip = {1, 1, 2, 2};
  dib.Release();
  EXPECT_EQ(dib.GetWidth(), 0);
  EXPECT_EQ(dib.Stride(), 4);
  EXPECT_EQ(dib.clip, (Rect{1, 1, 2, 2}));
}

TEST(CDib, ReadsAndWritesOutsideTheClipAreRefused) {
  CDib dib;
  ASSERT_TRUE(dib.Create(4, 4));
  dib.Fill(0xFF0000FF);
  EXPECT_EQ(dib.GetPixel(-1, 0), 0u);
  EXPECT_EQ(dib.GetPixel(4, 0), 0u);
  dib.outsideValue = 0x12345678;
  EXPECT_EQ(dib.GetPixel(0, 4), 0x12345678u);
  dib.SetPixel(4, 0, 0xFFFFFFFF);  // padding pixel: outside the clip
  EXPECT_EQ(dib.Pixels()[4], 0xFF0000FFu);
  dib.clip = {1, 1, 3, 3};
  dib.SetPixel(0, 0, 0xFFFFFFFF);
  dib.PaintPixel(3, 3, 0xFFFFFFFF);
  dib.ErasePixel(0, 3, 255);
  EXPECT_EQ(dib.Row(0)[0], 0xFF0000FFu);
  EXPECT_EQ(dib.Row(3)[3], 0xFF0000FFu);
  EXPECT_EQ(dib.Row(3)[0], 0xFF0000FFu);
  dib.SetPixel(1, 1, 0xFFFFFFFF);
  EXPECT_EQ(dib.Row(1)[1], 0xFFFFFFFFu);
}

TEST(CDib, PaintPixelStoresOpaqueClearsAlphaZeroAndCompositesTheRest) {
  CDib dib;
  ASSERT_TRUE(dib.Create(1, 1));
  dib.SetPixel(0, 0, 0xFFFF0000);
  dib.PaintPixel(0, 0, 0x00123456);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x00FF0000u);
  dib.PaintPixel(0, 0, 0xFF0000FF);
  EXPECT_EQ(dib.GetPixel(0, 0), 0xFF0000FFu);
  dib.PaintPixel(0, 0, 0x80FF0000);
  EXPECT_EQ(dib.GetPixel(0, 0), AlphaOver(0xFF0000FF, 0x80FF0000));
}

TEST(CDib, ErasePixelLowersAlphaOnly) {
  CDib dib;
  ASSERT_TRUE(dib.Create(1, 1));
  dib.SetPixel(0, 0, 0xC8102030);
  dib.ErasePixel(0, 0, 100);
  EXPECT_EQ(dib.GetPixel(0, 0), (Pixel{200 * 155 / 255} << 24) | 0x102030);
  dib.ErasePixel(0, 0, 255);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x00102030u);
}

TEST(AlphaOver, ComposesStraightAlpha) {
  EXPECT_EQ(AlphaOver(0x00000000, 0x80FF0000), 0x80FF0000u);
  EXPECT_EQ(AlphaOver(0xFF0000FF, 0x80FF0000), 0xFF80007Fu);
  EXPECT_EQ(AlphaOver(0x12345678, 0x00FFFFFF), 0x12345678u);
  EXPECT_EQ(AlphaOver(0x12345678, 0xFFABCDEF), 0xFFABCDEFu);
  EXPECT_EQ(SwapRedBlue(0xFF112233), 0x00332211u);
}

TEST(CDib, FillClearsWithExactValuesAndCompositesPartialAlpha) {
  CDib dib;
  ASSERT_TRUE(dib.Create(3, 1));  // one padding pixel
  dib.Fill(0xFFFFFFFF);
  EXPECT_EQ(dib.Pixels()[3], 0xFFFFFFFFu) << "whole-buffer operations reach the padding";
  dib.Fill(0x80000000);
  EXPECT_EQ(dib.GetPixel(0, 0), AlphaOver(0xFFFFFFFF, 0x80000000));
  EXPECT_EQ(dib.Pixels()[3], AlphaOver(0xFFFFFFFF, 0x80000000));
  dib.Fill(0x00000000);
  EXPECT_EQ(dib.Pixels()[3], 0u);
  dib.Fill(0x00ABCDEF);
  EXPECT_EQ(dib.GetPixel(1, 0), 0x00ABCDEFu);
  dib.SetAlpha(7);
  EXPECT_EQ(dib.Pixels()[3], 0x07ABCDEFu);
}

TEST(CDib, BlendFromKeepsFaintPixelsVisibleAndIgnoresOtherSizes) {
  CDib dst, src, other;
  ASSERT_TRUE(dst.Create(2, 1));
  ASSERT_TRUE(src.Create(2, 1));
  ASSERT_TRUE(other.Create(3, 1));
  src.SetPixel(0, 0, 0xC8FF0000);
  dst.BlendFrom(src, 1);
  EXPECT_EQ(dst.GetPixel(0, 0), 0x01FF0000u);
  dst.BlendFrom(src, 0);
  EXPECT_EQ(dst.GetPixel(0, 0), 0x01FF0000u);
  other.Fill(0xFFFFFFFF);
  dst.BlendFrom(other, 255);
  EXPECT_EQ(dst.GetPixel(1, 0), 0u);
}

TEST(CDib, CopyToBothFormsAndSnapshots) {
  CDib a, b;
  ASSERT_TRUE(a.Create(5, 2));
  a.Fill(0xFF445566);
  a.SetPixel(4, 1, 0x11223344);
  ASSERT_TRUE(a.CopyTo(b));
  EXPECT_EQ(b.GetWidth(), 5);
  EXPECT_EQ(b.GetPixel(4, 1), 0x11223344u);
  EXPECT_EQ(b.Pixels()[7], 0xFF445566u) << "padding copied";
  b.clip = {0, 0, 1, 1};
  ASSERT_TRUE(a.CopyTo(b, CDib::CopyMode::kRecreate));
  EXPECT_EQ(b.clip, (Rect{0, 0, 5, 2}));

  CDib snap;
  snap.TakeSnapshot(&a);
  EXPECT_EQ(snap.GetWidth(), 0);
  EXPECT_EQ(snap.Width(), 5);
  EXPECT_TRUE(snap.IsSnapshot());
  EXPECT_FALSE(snap.CopyTo(b)) << "a snapshot cannot be copied as a live image";
  CDib restored;
  ASSERT_TRUE(snap.RestoreSnapshotTo(restored));
  EXPECT_EQ(restored.GetPixel(4, 1), 0x11223344u);
  snap.TakeSnapshot(nullptr);
  EXPECT_TRUE(snap.IsEmpty());
  EXPECT_FALSE(snap.RestoreSnapshotTo(restored));
  EXPECT_EQ(restored.GetWidth(), 0);

  CDib empty;
  EXPECT_FALSE(empty.CopyTo(b));
  EXPECT_EQ(b.GetWidth(), 5) << "copying from an empty image touches nothing";
}

TEST(CDib, ChannelBounds) {
  CDib dib;
  ASSERT_TRUE(dib.Create(6, 5));
  EXPECT_EQ(dib.GetChannelBounds(24), (Rect{-1, -1, -1, -1}));
  dib.SetPixel(2, 1, 0x01000000);
  dib.SetPixel(4, 3, 0x80000000);
  dib.SetPixel(0, 4, 0x000000FF);
  EXPECT_EQ(dib.GetChannelBounds(24), (Rect{2, 1, 5, 4}));
  EXPECT_EQ(dib.GetChannelBounds(0), (Rect{0, 4, 1, 5}));
}

// Reference placement: every source pixel lands at its offset when that lies inside the image.
void ReferenceCopyAt(CDib& dst, const CDib& src, int x, int y) {
  for (int sy = 0; sy < src.Height(); ++sy) {
    for (int sx = 0; sx < src.Width(); ++sx) {
      const int dx = sx + x, dy = sy + y;
      if (dx >= 0 && dy >= 0 && dx < dst.Width() && dy < dst.Height()) {
        dst.Row(dy)[dx] = src.Row(sy)[sx];
      }
    }
  }
}

TEST(CDib, CopyAtAndBlendAtMatchAReferenceAndNeverWriteOutside) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> size(1, 12), offset(-14, 14);
  for (int round = 0; round < 400; ++round) {
    CDib dst, src, expected;
    ASSERT_TRUE(dst.Create(size(rng), size(rng)));
    ASSERT_TRUE(src.Create(size(rng), size(rng)));
    for (std::size_t i = 0; i < src.StoredPixelCount(); ++i) src.Pixels()[i] = rng() | 0xFF000000;
    dst.Fill(0x00ABCDEF);
    ASSERT_TRUE(dst.CopyTo(expected));
    const int x = offset(rng), y = offset(rng);
    ReferenceCopyAt(expected, src, x, y);
    CDib blended;
    ASSERT_TRUE(dst.CopyTo(blended));
    dst.CopyAt(src, x, y);
    blended.BlendAt(src, x, y, 255);  // opaque sources blend to a plain copy
    for (std::size_t i = 0; i < dst.StoredPixelCount(); ++i) {
      ASSERT_EQ(dst.Pixels()[i], expected.Pixels()[i]) << "round " << round << " index " << i;
      ASSERT_EQ(blended.Pixels()[i], expected.Pixels()[i]) << "round " << round;
    }
  }
}

TEST(CDib, MoveLeavesSourceEmpty) {
  CDib a;
  ASSERT_TRUE(a.Create(2, 2));
  CDib b(std::move(a));
  EXPECT_EQ(b.GetWidth(), 2);
  EXPECT_EQ(a.GetWidth(), 0);  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(a.IsEmpty());    // NOLINT(bugprone-use-after-move)
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

TEST(CDib, AClipWiderThanTheImageOrOutlivingReleaseNeverLeadsOutsideThePixels) {
  CDib dib;
  ASSERT_TRUE(dib.Create(4, 4));
  dib.clip = {-5, -5, 50, 50};
  dib.SetPixel(10, 1, 0xFFFFFFFF);
  dib.PaintPixel(-1, 1, 0xFFFFFFFF);
  dib.ErasePixel(1, 4, 255);
  EXPECT_EQ(dib.GetPixel(10, 1), 0u);
  EXPECT_EQ(dib.GetChannelBounds(24), (Rect{-1, -1, -1, -1}));
  dib.Release();
  EXPECT_EQ(dib.clip, (Rect{-5, -5, 50, 50}));
  dib.SetPixel(1, 1, 0xFFFFFFFF);
  EXPECT_EQ(dib.GetPixel(1, 1), 0u);
}

}  // namespace
}  // namespace morvane
