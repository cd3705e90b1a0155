#include "effects/effect_params.h"

#include <algorithm>
#include <cmath>

namespace morvane {
namespace {

void Limit(int& v, int low, int high) {
  v = std::clamp(v, low, high);
}
void LimitColor(std::uint32_t& c) {
  c &= 0xFFFFFF;
}

}  // namespace

void BrightnessIntensityContrastParams::Clamp() {
  Limit(brightness, -100, 100);
  Limit(intensity, -100, 100);
  Limit(contrast, -100, 100);
}

void HueLuminanceSaturationParams::Clamp() {
  Limit(hue, -180, 180);
  Limit(luminance, -100, 100);
  Limit(saturation, -100, 100);
}

void ColorizeParams::Clamp() {
  LimitColor(color);
}
void PosterizeParams::Clamp() {
  Limit(colors, 2, 64);
}
void OpacityParams::Clamp() {
  Limit(level, -100, 100);
}

void ShadowParams::Clamp() {
  Limit(blur, 0, 100);
  Limit(xOffset, -16, 16);
  Limit(yOffset, -16, 16);
  Limit(transparency, 0, 100);
  LimitColor(color);
}

void BevelBossParams::Clamp() {
  Limit(blur, 0, 100);
  Limit(xOffset, -16, 16);
  Limit(yOffset, -16, 16);
  Limit(transparency, 0, 100);
  LimitColor(lightColor);
  LimitColor(darkColor);
}

void AquaParams::Clamp() {
  Limit(lightIntensity, 0, 100);
  Limit(lightSize, 60, 100);
  Limit(reflexIntensity, 0, 100);
  Limit(shadowIntensity, 0, 100);
  LimitColor(color);
}

void Shadow3dParams::Clamp() {
  Limit(blur, 0, 100);
  Limit(transparency, 0, 100);
  Limit(angleX, -180, 180);
  Limit(angleY, -180, 180);
  Limit(angleZ, -180, 180);
  Limit(posX, -100, 100);
  Limit(posY, -100, 100);
  Limit(zoom, 50, 150);
  Limit(perspective, 0, 100);
  LimitColor(color);
  Limit(shadowPosition, 0, 2);
}

void Rotate3dParams::Clamp() {
  Limit(angleX, -180, 180);
  Limit(angleY, -180, 180);
  Limit(angleZ, -180, 180);
  Limit(posX, -100, 100);
  Limit(posY, -100, 100);
  Limit(zoom, 50, 150);
  Limit(perspective, 0, 100);
}

void BlurParams::Clamp() {
  Limit(level, 0, 255);
}
void SharpenParams::Clamp() {
  Limit(level, 0, 255);
}

void CustomBlurParams::Clamp() {
  for (double& w : mask)
    w = std::isfinite(w) ? std::clamp(w, -kMaxMaskWeight, kMaxMaskWeight) : 0.0;
  Limit(level, 0, 255);
}

void SmartBlurParams::Clamp() {
  Limit(level, 0, 100);
  Limit(dither, 1, 100);
}

void EmbossParams::Clamp() {
  Limit(depth, 0, 255);
  Limit(brightness, -100, 100);
}

void CustomRotateParams::Clamp() {
  Limit(angle, -90, 90);
  Limit(antiAliasingLevel, 1, 16);
}

}  // namespace morvane
