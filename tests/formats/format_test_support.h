// Shared helpers of the codec tests: test data paths, pixel dumps, generated images and a
// temporary folder per test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "image/dib.h"

namespace morvane::testing {

inline std::filesystem::path SharedData(const std::string& relative) {
  return std::filesystem::path(MORVANE_TESTDATA_DIR) / relative;
}
inline std::filesystem::path OwnData(const std::string& relative) {
  return std::filesystem::path(MORVANE_OWN_TESTDATA_DIR) / relative;
}

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& path, const std::vector<std::uint8_t>& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
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

// A fresh folder for the running test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& ch : name) {
      if (ch == '/') ch = '_';
    }
    path_ = std::filesystem::temp_directory_path() /
            ("morvane-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace morvane::testing
