#include "image/hls_color.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(HlsColor, ReadsByteZeroAsRedAndWorksOutHueLuminanceSaturation) {
  // bytes 0,1,2 = 96, 64, 32: max 96, min 32, L = 128/510, S = 64/128,
  // H = (6 + bc - gc) * 60 = (6 + 1 - 0.5) * 60 = 390 -> 30.
  HlsColor c(0x80204060);
  EXPECT_NEAR(c.GetLuminance(), 128.0 / 510, 1e-12);
  EXPECT_NEAR(c.GetSaturation(), 0.5, 1e-12);
  EXPECT_NEAR(c.GetHue(), 30, 1e-9);
  // Pure byte-0 red lands on 360, not 0 (the test order and "> 360" leave it there).
  EXPECT_DOUBLE_EQ(HlsColor(0x000000FF).GetHue(), 360);
  // Ties: later tests win, so a grey-free yellow (bytes 0 and 1 at max) takes the green rule:
  // H = (2 + rc - bc) * 60 = (2 + 0 - 1) * 60 = 60.
  EXPECT_DOUBLE_EQ(HlsColor(0x0000FFFF).GetHue(), 60);
  HlsColor grey(0x00FFFFFF);
  EXPECT_EQ(grey.GetSaturation(), 0);
  EXPECT_EQ(grey.GetLuminance(), 1);
}

TEST(HlsColor, ConvertsBackWithTruncationAndKeepsTheTopByte) {
  HlsColor c;
  c.FromHls(0, 0.5, 1);  // m2 = 1, m1 = 0: byte0 = ch(120) = 255, byte1 = ch(0) = 0
  EXPECT_EQ(c.ToRgb(), 0x000000FFu);
  c.FromHls(60, 0.5, 1);  // byte0 = ch(180) = 255, byte1 = ch(60) = 255, byte2 = ch(-60) = 0
  EXPECT_EQ(c.ToRgb(), 0x0000FFFFu);
  c.FromHls(-300, 0.5, 1);  // -300 + 360 = 60
  EXPECT_EQ(c.ToRgb(), 0x0000FFFFu);

  // Alpha 0x7F travels through; L 0.25: m2 = 0.5, byte0 = trunc(127.5) = 127.
  HlsColor pixel(0x7F0000FF);
  pixel.SetLuminance(0.25);
  EXPECT_EQ(pixel.ToRgb(), 0x7F00007Fu);
  pixel.SetLuminance(7);  // clamped to 1: white
  EXPECT_EQ(pixel.ToRgb(), 0x7FFFFFFFu);
  pixel.SetSaturation(-1);  // clamped to 0: grey of L = 1
  EXPECT_EQ(pixel.ToRgb(), 0x7FFFFFFFu);
}

TEST(HlsColor, SetHueCorrectsOnceEachWayAndRecolours) {
  HlsColor c(0x000000FF);
  c.SetHue(420);  // -> 60: byte0 = 255, byte1 = 255
  EXPECT_DOUBLE_EQ(c.GetHue(), 60);
  EXPECT_EQ(c.ToRgb(), 0x0000FFFFu);
  c.SetHue(-120);  // -> 240: byte0 = ch(360) = m1 = 0, byte1 = ch(240) = 0, byte2 = ch(120) = 255
  EXPECT_EQ(c.ToRgb(), 0x00FF0000u);
}

TEST(HlsColor, ParsesAndFormatsBytesZeroOneTwoInOrder) {
  HlsColor c(0xAB000000);
  ASSERT_TRUE(c.Parse("0a0B0c"));
  EXPECT_EQ(c.ToRgb(), 0xAB0C0B0Au);
  EXPECT_EQ(c.Format(), "0A0B0C");
  for (const char* bad : {"", "zz0000", "12345678", "12 34 56", "1234"}) {
    HlsColor d(0x00123456);
    EXPECT_FALSE(d.Parse(bad)) << bad;
    EXPECT_EQ(d.ToRgb(), 0x00123456u) << bad;
  }
}

}  // namespace
}  // namespace morvane
