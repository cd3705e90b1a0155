// Alpha-aware convolution with a strength that blends the kernel with the identity kernel.
#include <algorithm>
#include <cmath>

#include "image/dib.h"

namespace morvane {

const double kBlurKernel5[25] = {5,  10, 15, 10, 5,  10, 15, 20, 15, 10, 15, 20, 25,
                                 20, 15, 10, 15, 20, 15, 10, 5,  10, 15, 10, 5};

namespace {

// Rounds to a channel byte. The clamp happens in floating point, before any conversion, so
// huge sums from custom kernels and NaN (a 0 x infinity weight) cannot reach an undefined cast.
std::uint32_t ClampChannel(double v) {
  v += 0.5;
  if (!(v >= 0)) return 0;  // negative or NaN
  if (v >= 255) return 255;
  return static_cast<std::uint32_t>(v);
}

struct Sums {
  double a = 0, r = 0, g = 0, b = 0, opaque = 0, all = 0;
};

}  // namespace

void CDib::Convolve(int x0, int y0, int x1, int y1, const double* kernel, int size, int level,
                    bool lockAlpha) {
  if (!live_ || width_ <= 0 || height_ <= 0 || kernel == nullptr) return;
  if (size != 3 && size != 5) return;
  Rect r{std::min(x0, x1 + 1), std::min(y0, y1 + 1), std::max(x0, x1 + 1), std::max(y0, y1 + 1)};
  r.left = std::max(r.left, clip.left);
  r.top = std::max(r.top, clip.top);
  r.right = std::min(r.right, clip.right);
  r.bottom = std::min(r.bottom, clip.bottom);
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width_);
  r.bottom = std::min(r.bottom, height_);
  if (r.left >= r.right || r.top >= r.bottom) return;

  const int n = size * size;
  const int half = size / 2;
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += kernel[i];
  const bool zeroSum = std::fabs(sum) <= 0.001;
  const double t = std::clamp(level, 0, 255) / 255.0;
  double weights[25];
  for (int i = 0; i < n; ++i) weights[i] = kernel[i] * t;
  weights[half * size + half] = sum - (sum - kernel[half * size + half]) * t;

  const std::vector<Pixel> source = pixels_;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      Sums s;
      for (int dy = -half; dy <= half; ++dy) {
        const int ny = y + dy;
        if (ny < 0 || ny >= height_) continue;
        for (int dx = -half; dx <= half; ++dx) {
          const int nx = x + dx;
          if (nx < 0 || nx >= width_) continue;
          const double w = weights[(dy + half) * size + dx + half];
          const Pixel p = source[Index(nx, ny)];
          s.all += w;
          if (AlphaOf(p) == 0) continue;
          s.a += AlphaOf(p) * w;
          s.r += RedOf(p) * w;
          s.g += GreenOf(p) * w;
          s.b += BlueOf(p) * w;
          s.opaque += w;
        }
      }
      Pixel& out = pixels_[Index(x, y)];
      const std::uint32_t a0 = AlphaOf(out);
      if (zeroSum) {
        if (s.all > 0.00001) s.a /= s.all;
        const std::uint32_t a = lockAlpha ? a0 : ClampChannel(s.a);
        out =
            MakePixel(a, ClampChannel(s.r + 127), ClampChannel(s.g + 127), ClampChannel(s.b + 127));
        continue;
      }
      if (s.opaque == 0 || s.all == 0) continue;
      const std::uint32_t a = lockAlpha ? a0 : ClampChannel(s.a / s.all);
      out = MakePixel(a, ClampChannel(s.r / s.opaque), ClampChannel(s.g / s.opaque),
                      ClampChannel(s.b / s.opaque));
    }
  }
}

void CDib::ConvolveAll(const double* kernel, int size, int level, bool lockAlpha) {
  Convolve(0, 0, width_ - 1, height_ - 1, kernel, size, level, lockAlpha);
}

void CDib::Blur(int x0, int y0, int x1, int y1, int level, bool lockAlpha) {
  Convolve(x0, y0, x1, y1, kBlurKernel5, 5, level, lockAlpha);
}

void CDib::BlurAll(int level, bool lockAlpha) {
  Blur(0, 0, width_ - 1, height_ - 1, level, lockAlpha);
}

}  // namespace morvane
