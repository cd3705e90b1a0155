// HlsColor: hue / luminance / saturation view of a pixel word, shared by the tone effects,
// emboss and the Replace colors tool. The word's byte 0 plays red and byte 2 blue, so a pixel
// passed directly has its channels swapped inside the model; callers that mix pixels and chosen
// colours convert the colour to pixel layout first so both are treated alike. The top byte
// (a pixel's alpha) travels through every conversion untouched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

class HlsColor {
 public:
  HlsColor() = default;
  explicit HlsColor(std::uint32_t word) { FromRgb(word); }

  void FromRgb(std::uint32_t word);
  // Hue in degrees (one correction by 360 each way), luminance and saturation clamped to 0..1.
  void FromHls(double hue, double luminance, double saturation);

  double GetHue();
  double GetSaturation();
  double GetLuminance();
  void SetHue(double hue);
  void SetSaturation(double saturation);
  void SetLuminance(double luminance);

  // The whole word, top byte included.
  std::uint32_t ToRgb();

  // Text form "RRGGBB" of bytes 0, 1, 2 (hex). Parse accepts one or two hex digits per byte and
  // returns false, leaving the colour unchanged, on anything else.
  bool Parse(std::string_view text);
  std::string Format();

 private:
  void EnsureHls();
  void EnsureRgb();

  std::uint32_t rgb_ = 0;
  double hue_ = 0;
  double saturation_ = 0;
  double luminance_ = 0;
  bool rgbValid_ = true;
  bool hlsValid_ = false;
};

}  // namespace morvane
