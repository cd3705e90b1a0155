// The export's crop and alpha rules on small host pictures worked out by hand, and the property
// list bytes a host reads.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/export_bridge.h"
#include "plugin/handover_image.h"
#include "plugin/property_list.h"

namespace morvane::handover {
namespace {

struct Host {
  std::uint32_t w, h;
  int planes;
  std::vector<std::uint8_t> samples;
  std::vector<std::uint8_t> mask;

  Host(std::uint32_t width, std::uint32_t height, int p, std::uint8_t alpha = 0xFF)
      : w(width), h(height), planes(p), samples(std::size_t{width} * height * p) {
    for (std::uint32_t y = 0; y < h; ++y)
      for (std::uint32_t x = 0; x < w; ++x) {
        std::uint8_t* s = &samples[(std::size_t{y} * w + x) * p];
        s[0] = static_cast<std::uint8_t>(x);  // red: column
        s[1] = static_cast<std::uint8_t>(y);  // green: host row
        s[2] = 7;
        if (p == 4) s[3] = alpha;
      }
  }
  HostImage View() const {
    HostImage v;
    v.width = w;
    v.height = h;
    v.planes = planes;
    v.samples = samples;
    v.rowBytes = std::size_t{w} * planes;
    v.mask = mask;
    v.maskRowBytes = mask.empty() ? 0 : w;
    return v;
  }
  void Select(std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
              std::uint8_t value) {
    if (mask.empty()) mask.assign(std::size_t{w} * h, 0);
    for (std::uint32_t y = y0; y <= y1; ++y)
      for (std::uint32_t x = x0; x <= x1; ++x) mask[std::size_t{y} * w + x] = value;
  }
  std::uint8_t* Alpha(std::uint32_t x, std::uint32_t y) {
    return &samples[(std::size_t{y} * w + x) * planes + 3];
  }
};

Picture Export(const Host& host) {
  const auto block = ExportBlock(host.View());
  EXPECT_TRUE(block);
  if (!block) return {};
  ParsedBlock parsed = ParseBlock(*block);
  EXPECT_EQ(parsed.error, BlockError::kNone);
  return parsed.picture;
}

TEST(ExportBridge, TransparentLayerGivesSixBySixFromTheLowerLeftCorner) {
  const Host host(10, 10, 4, 0);
  const Picture p = Export(host);
  ASSERT_EQ(p.width, 6u);
  ASSERT_EQ(p.height, 6u);
  // Top-left of the picture is host column 0, host row 4 (the sixth row from the bottom).
  EXPECT_EQ(p.argb[0], 0x00000407u);
  EXPECT_EQ(p.argb[5 * 6 + 5], 0x00050907u);
}

TEST(ExportBridge, OpaqueImageWithoutSelectionIsKeptWhole) {
  const Host host(100, 80, 3);
  const Picture p = Export(host);
  ASSERT_EQ(p.width, 100u);
  ASSERT_EQ(p.height, 80u);
  EXPECT_EQ(p.argb[0], 0xFF000007u);
  EXPECT_EQ(p.argb[79 * 100 + 99], 0xFF634F07u);
}

TEST(ExportBridge, SelectionOnFlatImageBecomesAlphaWithoutWidening) {
  Host host(20, 20, 3);
  host.Select(3, 4, 6, 5, 200);
  host.mask[4 * 20 + 3] = 10;
  const Picture p = Export(host);
  ASSERT_EQ(p.width, 4u);
  ASSERT_EQ(p.height, 2u);
  EXPECT_EQ(p.argb[0], 0x0A030407u);
  EXPECT_EQ(p.argb[1], 0xC8040407u);
  EXPECT_EQ(p.argb[7], 0xC8060507u);
}

TEST(ExportBridge, LayerAlphaIsMultipliedByTheSelection) {
  Host host(12, 12, 4, 0);
  for (std::uint32_t y = 2; y <= 9; ++y)
    for (std::uint32_t x = 2; x <= 9; ++x) *host.Alpha(x, y) = 200;
  host.Select(5, 5, 11, 11, 128);
  const Picture p = Export(host);
  // Pixels kept: the overlap 5..9 of both; 200 x 128 / 255 = 100.39, truncated to 100.
  ASSERT_EQ(p.width, 5u);
  ASSERT_EQ(p.height, 5u);
  EXPECT_EQ(p.argb[0], 0x64050507u);
  EXPECT_EQ(p.argb[24], 0x64090907u);
}

TEST(ExportBridge, TransparentLayerIsCroppedToItsVisiblePixelsPlusFive) {
  Host host(30, 30, 4, 0);
  *host.Alpha(12, 20) = 255;
  const auto box = ExportBox(host.View());
  ASSERT_TRUE(box);
  // Host row 20 is row 9 from the bottom; widened by 5 each side.
  EXPECT_EQ(box->r0, 4u);
  EXPECT_EQ(box->r1, 14u);
  EXPECT_EQ(box->c0, 7u);
  EXPECT_EQ(box->c1, 17u);
}

TEST(ExportBridge, RefusesBuffersSmallerThanTheirSizes) {
  Host host(8, 8, 4);
  HostImage view = host.View();
  view.samples = view.samples.first(view.samples.size() - 1);
  EXPECT_FALSE(ExportBlock(view));
  host.Select(0, 0, 1, 1, 255);
  view = host.View();
  view.mask = view.mask.first(63);
  EXPECT_FALSE(ExportBlock(view));
  view = host.View();
  view.planes = 5;
  EXPECT_FALSE(ExportBlock(view));
  view = host.View();
  view.height = 70000;
  EXPECT_FALSE(ExportBlock(view));
}

TEST(PropertyList, HoldsEightPropertiesAsAHostReadsThem) {
  const auto bytes = PropertyListBytes();
  ASSERT_EQ(bytes.size(), 258u);
  EXPECT_EQ(GetU16(bytes.data()), 1u);
  EXPECT_EQ(GetU32(bytes.data() + 2), 0u);
  EXPECT_EQ(GetU32(bytes.data() + 6), 8u);
  EXPECT_EQ(std::memcmp(bytes.data() + 10, "MIB8dnik", 8), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 26, "MFB8", 4), 0);
  // name: length 24, then 21 and the text, padded with two zero bytes.
  EXPECT_EQ(std::memcmp(bytes.data() + 30, "MIB8eman", 8), 0);
  EXPECT_EQ(GetU32(bytes.data() + 42), 24u);
  EXPECT_EQ(bytes[46], 21);
  EXPECT_EQ(std::memcmp(bytes.data() + 47, "Export to Morvane Pro\0\0", 23), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 74, "gtac", 4), 0);
  EXPECT_EQ(bytes[86], 14);
  EXPECT_EQ(std::memcmp(bytes.data() + 87, "Brenk Software\0", 15), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 106, "srev", 4), 0);
  EXPECT_EQ(GetU32(bytes.data() + 118), 0x00010001u);
  EXPECT_EQ(GetU32(bytes.data() + 134), 12u);
  EXPECT_EQ(std::memcmp(bytes.data() + 138, "ENTRYPOINT\0\0", 12), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 154, "edom", 4), 0);
  EXPECT_EQ(bytes[166], 0x10);
  EXPECT_EQ(std::memcmp(bytes.data() + 186, "in (PSHOP_ImageMode,RGBMode)", 28), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 218, "icif", 4), 0);
  const std::uint8_t cases[8] = {1, 1, 7, 0, 1, 1, 15, 0};
  EXPECT_EQ(std::memcmp(bytes.data() + 230, cases, 8), 0);
  EXPECT_EQ(bytes[257], 0);
  EXPECT_EQ(bytes[256], 15);
}

}  // namespace
}  // namespace morvane::handover
