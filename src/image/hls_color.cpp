#include "image/hls_color.h"

#include <algorithm>
#include <cstdio>

namespace morvane {
namespace {

double WrapHue(double h) {
  if (h < 0) h += 360;
  if (h > 360) h -= 360;
  return h;
}

double Clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}

// Truncates a 0..255 product to a byte; NaN and out-of-range values cannot reach a cast.
std::uint32_t ToByte(double v) {
  if (!(v > 0)) return 0;
  if (v >= 255) return 255;
  return static_cast<std::uint32_t>(v);
}

std::uint32_t Channel(double m1, double m2, double h) {
  if (h > 360) {
    h -= 360;
  } else if (h < 0) {
    h += 360;
  }
  if (h < 60) return ToByte((m1 + (m2 - m1) * h / 60) * 255);
  if (h < 180) return ToByte(m2 * 255);
  if (h < 240) return ToByte((m1 + (m2 - m1) * (240 - h) / 60) * 255);
  return ToByte(m1 * 255);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void HlsColor::FromRgb(std::uint32_t word) {
  rgb_ = word;
  rgbValid_ = true;
  hlsValid_ = false;
}

void HlsColor::FromHls(double hue, double luminance, double saturation) {
  hue_ = WrapHue(hue);
  luminance_ = Clamp01(luminance);
  saturation_ = Clamp01(saturation);
  hlsValid_ = true;
  rgbValid_ = false;
}

void HlsColor::EnsureHls() {
  if (hlsValid_) return;
  const int r = rgb_ & 0xFF;
  const int g = (rgb_ >> 8) & 0xFF;
  const int b = (rgb_ >> 16) & 0xFF;
  const int mx = std::max({r, g, b});
  const int mn = std::min({r, g, b});
  luminance_ = (mx + mn) / 510.0;
  hue_ = 0;
  saturation_ = 0;
  if (mx != mn) {
    const double d = mx - mn;
    saturation_ = luminance_ <= 0.5 ? d / (mx + mn) : d / (510 - mx - mn);
    const double rc = (mx - r) / d;
    const double gc = (mx - g) / d;
    const double bc = (mx - b) / d;
    if (r == mx) hue_ = (6 + bc - gc) * 60;
    if (g == mx) hue_ = (2 + rc - bc) * 60;
    if (b == mx) hue_ = (4 + gc - rc) * 60;
    if (hue_ > 360) hue_ -= 360;
  }
  hlsValid_ = true;
}

void HlsColor::EnsureRgb() {
  if (rgbValid_) return;
  std::uint32_t b0, b1, b2;
  if (saturation_ == 0) {
    b0 = b1 = b2 = ToByte(luminance_ * 255);
  } else {
    const double m2 = luminance_ <= 0.5 ? luminance_ * (1 + saturation_)
                                        : luminance_ + saturation_ - luminance_ * saturation_;
    const double m1 = 2 * luminance_ - m2;
    b0 = Channel(m1, m2, hue_ + 120);
    b1 = Channel(m1, m2, hue_);
    b2 = Channel(m1, m2, hue_ - 120);
  }
  rgb_ = (rgb_ & 0xFF000000u) | b2 << 16 | b1 << 8 | b0;
  rgbValid_ = true;
}

double HlsColor::GetHue() {
  EnsureHls();
  return hue_;
}
double HlsColor::GetSaturation() {
  EnsureHls();
  return saturation_;
}
double HlsColor::GetLuminance() {
  EnsureHls();
  return luminance_;
}

void HlsColor::SetHue(double hue) {
  EnsureHls();
  hue_ = WrapHue(hue);
  rgbValid_ = false;
}
void HlsColor::SetSaturation(double saturation) {
  EnsureHls();
  saturation_ = Clamp01(saturation);
  rgbValid_ = false;
}
void HlsColor::SetLuminance(double luminance) {
  EnsureHls();
  luminance_ = Clamp01(luminance);
  rgbValid_ = false;
}

std::uint32_t HlsColor::ToRgb() {
  EnsureRgb();
  return rgb_;
}

bool HlsColor::Parse(std::string_view text) {
  // Three fields of one or two hex digits each, like "%2x%2x%2x": a field ends after two digits
  // or at the first non-digit, so only an all-digit text of 3..6 characters splits unambiguously.
  std::uint32_t bytes[3] = {0, 0, 0};
  std::size_t pos = 0;
  for (std::uint32_t& byte : bytes) {
    int digits = 0;
    while (digits < 2 && pos < text.size() && HexDigit(text[pos]) >= 0) {
      byte = byte * 16 + HexDigit(text[pos]);
      ++pos;
      ++digits;
    }
    if (digits == 0) return false;
  }
  if (pos != text.size()) return false;
  FromRgb((rgb_ & 0xFF000000u) | bytes[2] << 16 | bytes[1] << 8 | bytes[0]);
  return true;
}

std::string HlsColor::Format() {
  EnsureRgb();
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", rgb_ & 0xFF, (rgb_ >> 8) & 0xFF,
                (rgb_ >> 16) & 0xFF);
  return text;
}

}  // namespace morvane
