// The parameter record of every effect: one plain struct per effect holding the values its
// dialog shows and stores, with the defaults a fresh installation starts from. Clamp() brings
// every field into its range; each effect calls it on entry, so a record from a settings file or
// a script can never drive an effect outside the values it was made for.
//
// Colours are platform colour values 0x00BBGGRR, as the settings store them.
#pragma once

#include <array>
#include <cstdint>

namespace morvane {

struct BrightnessIntensityContrastParams {
  int brightness = 0;  // -100..100
  int intensity = 0;   // -100..100
  int contrast = 0;    // -100..100
  void Clamp();
};

struct HueLuminanceSaturationParams {
  int hue = 0;         // -180..180 degrees
  int luminance = 0;   // -100..100
  int saturation = 0;  // -100..100
  void Clamp();
};

struct ColorizeParams {
  std::uint32_t color = 0xFF0000;  // pure blue
  void Clamp();
};

struct PosterizeParams {
  int colors = 16;  // 2..64, not stored
  void Clamp();
};

struct OpacityParams {
  int level = 0;  // -100..100
  void Clamp();
};

struct ShadowParams {
  int blur = 11;          // 0..100
  int xOffset = 1;        // -16..16
  int yOffset = 1;        // -16..16
  int transparency = 15;  // 0..100
  std::uint32_t color = 0;
  bool inner = false;
  bool link = true;  // the dialog mirrors the offsets; no effect on pixels
  void Clamp();
};

struct BevelBossParams {
  int blur = 6;
  int xOffset = 1;
  int yOffset = 1;
  int transparency = 35;
  std::uint32_t lightColor = 0xFFFFFF;
  std::uint32_t darkColor = 0;
  bool inner = false;  // "Inside"
  bool link = true;
  void Clamp();
};

struct AquaParams {
  int lightIntensity = 50;   // 0..100
  int lightSize = 88;        // 60..100
  int reflexIntensity = 50;  // 0..100
  int shadowIntensity = 30;  // 0..100
  std::uint32_t color = 0xFFFFFF;
  bool sphereMode = true;
  void Clamp();
};

struct Shadow3dParams {
  int blur = 20;          // 0..100
  int transparency = 40;  // 0..100
  int angleX = -100;      // -180..180
  int angleY = 0;
  int angleZ = 0;
  int posX = 0;  // -100..100
  int posY = 0;
  int zoom = 100;        // 50..150
  int perspective = 90;  // 0..100
  std::uint32_t color = 0;
  bool outside = true;     // "Only Outside"
  int shadowPosition = 0;  // 0 front, 1 centre, 2 rear
  void Clamp();
};

struct Rotate3dParams {
  int angleX = 0;  // -180..180
  int angleY = 0;
  int angleZ = 0;
  int posX = 0;  // -100..100
  int posY = 0;
  int zoom = 100;        // 50..150
  int perspective = 90;  // 0..100
  void Clamp();
};

struct BlurParams {
  int level = 0;  // 0..255
  bool lock = true;
  void Clamp();
};

struct SharpenParams {
  int level = 0;  // 0..255
  bool lock = true;
  void Clamp();
};

struct CustomBlurParams {
  // Row-major from the top left. The edit boxes take real numbers; non-finite values count as 0.
  std::array<double, 9> mask{1, 1, 1, 9, 9, 9, 1, 1, 1};
  int level = 0;  // 0..255
  bool lock = true;
  void Clamp();
};

struct SmartBlurParams {
  int level = 100;  // 0..100
  int dither = 21;  // 1..100, labelled "Threshold"
  void Clamp();
};

struct EmbossParams {
  int depth = 50;       // 0..255
  int brightness = 35;  // -100..100
  void Clamp();
};

struct CustomRotateParams {
  int angle = 0;  // -90..90, not stored
  bool antiAliasing = true;
  int antiAliasingLevel = 8;  // the shared drawing setting; 1..16
  void Clamp();
};

// Largest magnitude of a custom blur weight: keeps every sum finite.
inline constexpr double kMaxMaskWeight = 1000000.0;

}  // namespace morvane
