// Small images for the effect tests, built from rows of pixel values.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "image/dib.h"

namespace morvane::testing {

// An image whose rows are given top-down.
inline CDib Image(std::initializer_list<std::initializer_list<Pixel>> rows) {
  CDib image;
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(rows.begin()->size());
  EXPECT_TRUE(image.Create(w, h));
  int y = 0;
  for (const auto& row : rows) {
    int x = 0;
    for (const Pixel p : row) image.SetPixel(x++, y, p);
    ++y;
  }
  return image;
}

inline CDib Filled(int w, int h, Pixel p) {
  CDib image;
  EXPECT_TRUE(image.Create(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, p);
  }
  return image;
}

inline CDib Copy(const CDib& image) {
  CDib copy;
  EXPECT_TRUE(image.CopyTo(copy));
  return copy;
}

// The visible width x height pixels, rows top-down.
inline std::vector<Pixel> PixelsOf(const CDib& image) {
  std::vector<Pixel> out;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) out.push_back(image.Row(y)[x]);
  }
  return out;
}

inline Pixel At(const CDib& image, int x, int y) {
  return image.Row(y)[x];
}

}  // namespace morvane::testing
