#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "image/color_reduction.h"
#include "image/dib.h"
#include "support/files.h"
#include "support/peer_decode.h"
#include "support/peers.h"
#include "support/temp_dir.h"

namespace morvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Writer = std::function<std::size_t(const CDib&, Bytes&)>;

std::uint32_t U16At(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return U16At(b, at) | U16At(b, at + 2) << 16;
}

struct Depth {
  int bits;
  Writer write;
  std::uint32_t colours;
  std::uint32_t dataOffset;
  std::function<std::uint32_t(std::uint32_t)> rowBytes;
};

std::vector<Depth> AllDepths() {
  return {
      {24, [](const CDib& d, Bytes& o) { return d.WriteBmp24(o); }, 0, 54,
       [](std::uint32_t w) { return (3 * w + 3) & ~3u; }},
      {32, [](const CDib& d, Bytes& o) { return d.WriteBmp32(o); }, 0, 54,
       [](std::uint32_t w) { return 4 * w; }},
      {8, [](const CDib& d, Bytes& o) { return d.WriteBmp8(o); }, 256, 1078,
       [](std::uint32_t w) { return (w + 3) / 4 * 4; }},
      {4, [](const CDib& d, Bytes& o) { return d.WriteBmp4(o); }, 16, 118,
       [](std::uint32_t w) { return (w + 7) / 8 * 4; }},
  };
}

// A small image whose colours all come from the fixed palette, so every depth keeps them exactly.
CDib PaletteImage(int width, int height) {
  CDib dib;
  EXPECT_TRUE(dib.Create(width, height));
  const auto& palette = SystemPalette16();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto& rgb = palette[(x * 3 + y * 5) % 16];
      dib.SetPixel(x, y, MakePixel(255, rgb[0], rgb[1], rgb[2]));
    }
  }
  return dib;
}

TEST(BmpWriter, HeadersFieldByFieldForOddWidths) {
  for (const Depth& depth : AllDepths()) {
    for (int width : {1, 3, 5, 7}) {
      SCOPED_TRACE(::testing::Message() << depth.bits << " bits, width " << width);
      const int height = 3;
      CDib dib = PaletteImage(width, height);
      Bytes out;
      const std::size_t written = depth.write(dib, out);
      const std::uint32_t imageSize = height * depth.rowBytes(width);
      ASSERT_EQ(written, out.size());
      ASSERT_EQ(out.size(), depth.dataOffset + imageSize);
      EXPECT_EQ(out[0], 'B');
      EXPECT_EQ(out[1], 'M');
      EXPECT_EQ(U32At(out, 2), out.size());
      EXPECT_EQ(U32At(out, 6), 0u);  // both reserved words
      EXPECT_EQ(U32At(out, 10), depth.dataOffset);
      EXPECT_EQ(U32At(out, 14), 40u);
      EXPECT_EQ(U32At(out, 18), static_cast<std::uint32_t>(width));  // not the stride
      EXPECT_EQ(U32At(out, 22), static_cast<std::uint32_t>(height));
      EXPECT_EQ(U16At(out, 26), 1u);
      EXPECT_EQ(U16At(out, 28), static_cast<std::uint32_t>(depth.bits));
      EXPECT_EQ(U32At(out, 30), 0u);
      EXPECT_EQ(U32At(out, 34), imageSize);
      EXPECT_EQ(U32At(out, 38), 0u);
      EXPECT_EQ(U32At(out, 42), 0u);
      EXPECT_EQ(U32At(out, 46), depth.colours);
      EXPECT_EQ(U32At(out, 50), 0u);
    }
  }
}

TEST(BmpWriter, TrueColourRowsAreBottomUpWithZeroPadding) {
  CDib dib;
  ASSERT_TRUE(dib.Create(1, 2));
  dib.SetPixel(0, 0, 0x80112233);
  dib.SetPixel(0, 1, 0x00445566);
  Bytes out;
  ASSERT_EQ(dib.WriteBmp24(out), 54u + 8u);
  EXPECT_EQ(Bytes(out.begin() + 54, out.end()),
            (Bytes{0x66, 0x55, 0x44, 0, 0x33, 0x22, 0x11, 0}));  // alpha dropped, not flattened
  out.clear();
  ASSERT_EQ(dib.WriteBmp32(out), 54u + 8u);
  EXPECT_EQ(Bytes(out.begin() + 54, out.end()),
            (Bytes{0x66, 0x55, 0x44, 0x00, 0x33, 0x22, 0x11, 0x80}));
  EXPECT_EQ(dib.Header().width, 4);  // the live header stays as it was
  EXPECT_EQ(dib.Header().height, -2);
}

TEST(BmpWriter, FourBitPutsEvenColumnsInTheHighNibble) {
  CDib dib;
  ASSERT_TRUE(dib.Create(3, 1));
  dib.SetPixel(0, 0, 0xFF000000);  // 0
  dib.SetPixel(1, 0, 0xFFFFFFFF);  // 15
  dib.SetPixel(2, 0, 0xFFFF0000);  // 12: the file palette's (blue, green, red) = (0, 0, 255)
  Bytes out;
  ASSERT_EQ(dib.WriteBmp4(out), 118u + 4u);
  EXPECT_EQ(Bytes(out.begin() + 118, out.end()), (Bytes{0x0F, 0xC0, 0, 0}));
  EXPECT_EQ(Bytes(out.begin() + 54 + 4 * 12, out.begin() + 54 + 4 * 13), (Bytes{0, 0, 255, 0}));
  EXPECT_EQ(Bytes(out.begin() + 54 + 4 * 1, out.begin() + 54 + 4 * 2), (Bytes{128, 0, 0, 0}));
}

TEST(BmpWriter, EightBitPalettePadsTo256Entries) {
  CDib dib;
  ASSERT_TRUE(dib.Create(2, 1));
  dib.Fill(0xFF204060);
  Bytes out;
  ASSERT_EQ(dib.WriteBmp8(out), 1078u + 4u);
  EXPECT_EQ(Bytes(out.begin() + 54, out.begin() + 58), (Bytes{0x60, 0x40, 0x20, 0}));
  EXPECT_EQ(Bytes(out.begin() + 58, out.begin() + 1078), Bytes(1020, 0));
  EXPECT_EQ(Bytes(out.begin() + 1078, out.end()), (Bytes{0, 0, 0, 0}));
}

TEST(BmpWriter, AppendsToTheStreamAndFailsCleanlyOnAnEmptyImage) {
  CDib dib = PaletteImage(5, 2);
  Bytes out = {1, 2, 3};
  const std::size_t written = dib.WriteBmp8(out);
  EXPECT_EQ(out.size(), 3 + written);
  EXPECT_EQ(out[3], 'B');
  CDib empty;
  for (const Depth& depth : AllDepths()) {
    Bytes untouched = {9};
    EXPECT_EQ(depth.write(empty, untouched), 0u);
    EXPECT_EQ(untouched, Bytes{9});
  }
}

TEST(BmpWriter, ReadsPixelsThroughTheClip) {
  CDib dib;
  ASSERT_TRUE(dib.Create(2, 1));
  dib.Fill(0xFFFFFFFF);
  dib.clip = {0, 0, 1, 1};
  Bytes out;
  ASSERT_GT(dib.WriteBmp24(out), 0u);
  EXPECT_EQ(Bytes(out.begin() + 54, out.end()), (Bytes{255, 255, 255, 0, 0, 0, 0, 0}));
}

// --- Interoperability: a peer decoder must read what we write -------------------------------

// Arbitrary colours, fewer than 256 of them, so the 8-bit palette holds each one exactly.
CDib RandomImage(int width, int height) {
  CDib dib;
  EXPECT_TRUE(dib.Create(width, height));
  std::uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      dib.SetPixel(x, y, 0xFF000000 | (state >> 8));
    }
  }
  return dib;
}

// Pillow reads every pixel's colour as we wrote it (these depths carry no alpha).
void ExpectPillowReads(const std::filesystem::path& file, const CDib& dib,
                       const std::filesystem::path& scratch) {
  const auto decoded = testing::PillowPicture(file, scratch);
  ASSERT_TRUE(decoded.has_value()) << file;
  ASSERT_EQ(decoded->width, dib.GetWidth());
  ASSERT_EQ(decoded->height, dib.GetHeight());
  for (int y = 0; y < dib.GetHeight(); ++y) {
    for (int x = 0; x < dib.GetWidth(); ++x) {
      EXPECT_EQ(decoded->At(x, y) & 0xFFFFFF, dib.GetPixel(x, y) & 0xFFFFFF) << x << "," << y;
    }
  }
}

TEST(BmpWriterInterop, PillowDecodesEveryDepth) {
  if (!testing::HavePillow()) GTEST_SKIP() << "python3 with Pillow is not installed";
  testing::TempDir folder;
  const CDib fixedColours = PaletteImage(7, 5);
  const CDib anyColours = RandomImage(11, 9);
  for (const Depth& depth : AllDepths()) {
    SCOPED_TRACE(depth.bits);
    const CDib& dib = depth.bits == 4 ? fixedColours : anyColours;
    Bytes out;
    ASSERT_GT(depth.write(dib, out), 0u);
    const std::filesystem::path file = folder / ("image" + std::to_string(depth.bits) + ".bmp");
    testing::WriteAll(file, out);
    ExpectPillowReads(file, dib, folder.path());
  }
}

}  // namespace
}  // namespace morvane
