// Shared helpers of the codec tests: test data paths, pixel dumps and generated images. Files
// and the per-test scratch folder come from the helpers every test program shares.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "image/dib.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace morvane::testing {

inline std::filesystem::path SharedData(const std::string& relative) {
  return std::filesystem::path(MORVANE_TESTDATA_DIR) / relative;
}
inline std::filesystem::path OwnData(const std::string& relative) {
  return std::filesystem::path(MORVANE_OWN_TESTDATA_DIR) / relative;
}

// The visible pixels row by row, without the stride padding.
inline std::vector<Pixel> PixelsOf(const CDib& image) {
  std::vector<Pixel> out;
  for (int y = 0; y < image.GetHeight(); ++y) {
    out.insert(out.end(), image.Row(y), image.Row(y) + image.GetWidth());
  }
  return out;
}

// A live image whose pixel (x, y) is fn(x, y).
inline void MakeImage(CDib& image, int width, int height,
                      const std::function<Pixel(int, int)>& fn) {
  ASSERT_TRUE(image.Create(width, height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.SetPixel(x, y, fn(x, y));
  }
}

// A pattern that mixes opaque, transparent and partly transparent pixels of many colours.
inline Pixel MixedPixel(int x, int y) {
  const auto r = static_cast<std::uint32_t>((x * 37 + y * 11) & 0xFF);
  const auto g = static_cast<std::uint32_t>((x * 5 + y * 53) & 0xFF);
  const auto b = static_cast<std::uint32_t>((x * y * 7 + 13) & 0xFF);
  const std::uint32_t a = (x + y) % 7 == 0 ? 0 : (x * 3 + y) % 5 == 0 ? 0x80 : 0xFF;
  return MakePixel(a, r, g, b);
}

}  // namespace morvane::testing
