#include "effects/effect_registry.h"

#include <algorithm>
#include <array>
#include <optional>

#include "effects/blur_effects.h"
#include "effects/effect_target.h"
#include "effects/effects3d.h"
#include "effects/shadow_effects.h"
#include "effects/tone_effects.h"
#include "effects/transforms.h"

namespace morvane {
namespace {

using K = ParamKind;
constexpr double kColorMax = 0xFFFFFF;
constexpr double kCustomMask[9] = {1, 1, 1, 9, 9, 9, 1, 1, 1};

// Reads the values of a span in table order.
class Reader {
 public:
  explicit Reader(std::span<const double> v) : v_(v) {}
  int Int() { return static_cast<int>(Next()); }
  bool Toggle() { return Next() != 0; }
  std::uint32_t Color() { return static_cast<std::uint32_t>(std::clamp(Next(), 0.0, kColorMax)); }
  double Next() {
    const double d = i_ < v_.size() ? v_[i_] : 0;
    ++i_;
    return d == d ? std::clamp(d, -2e9, 2e9) : 0;  // NaN and huge values cannot reach an int
  }

 private:
  std::span<const double> v_;
  std::size_t i_ = 0;
};

// --- Parameter tables ----------------------------------------------------------------------

constexpr EffectParam kBicParams[] = {
    {"brightness", "Brightness", "Brightness", K::kInt, -100, 100, 0},
    {"intensity", "Intensity", "Intensity", K::kInt, -100, 100, 0},
    {"contrast", "Contrast", "Contrast", K::kInt, -100, 100, 0}};
constexpr EffectParam kHlsParams[] = {
    {"hue", "Hue", "Hue", K::kInt, -180, 180, 0},
    {"luminance", "Luminance", "Luminance", K::kInt, -100, 100, 0},
    {"saturation", "Saturation", "Saturation", K::kInt, -100, 100, 0}};
constexpr EffectParam kColorizeParams[] = {
    {"color", "Color", "Color", K::kColor, 0, kColorMax, 0xFF0000}};
constexpr EffectParam kPosterizeParams[] = {
    {"number-of-colors", nullptr, "Number of colors", K::kInt, 2, 64, 16}};
constexpr EffectParam kOpacityParams[] = {{"level", "Level", "Level", K::kInt, -100, 100, 0}};
constexpr EffectParam kShadowParams[] = {
    {"blur", "Blur", "Blur", K::kInt, 0, 100, 11},
    {"x-offset", "X offset", "X offset", K::kInt, -16, 16, 1},
    {"y-offset", "Y offset", "Y offset", K::kInt, -16, 16, 1},
    {"transparency", "Transparency", "Transparency", K::kInt, 0, 100, 15},
    {"color", "Color", "Color", K::kColor, 0, kColorMax, 0},
    {"inner", "Inner", "Inner", K::kToggle, 0, 1, 0},
    {"link", "Link", "Link", K::kToggle, 0, 1, 1}};
constexpr EffectParam kBevelParams[] = {
    {"blur", "Blur", "Blur", K::kInt, 0, 100, 6},
    {"x-offset", "X offset", "X offset", K::kInt, -16, 16, 1},
    {"y-offset", "Y offset", "Y offset", K::kInt, -16, 16, 1},
    {"transparency", "Transparency", "Transparency", K::kInt, 0, 100, 35},
    {"light-color", "Light color", "Light", K::kColor, 0, kColorMax, 0xFFFFFF},
    {"dark-color", "Dark color", "Dark", K::kColor, 0, kColorMax, 0},
    {"inner", "Inner", "Inside", K::kToggle, 0, 1, 0},
    {"link", "Link", "Link", K::kToggle, 0, 1, 1}};
constexpr EffectParam kAquaParams[] = {
    {"light-intensity", "Light intensity", "Top light intensity", K::kInt, 0, 100, 50},
    {"light-size", "Light size", "Top light size", K::kInt, 60, 100, 88},
    {"reflex-intensity", "Reflex intensity", "Reflex intensity", K::kInt, 0, 100, 50},
    {"shadow-intensity", "Shadow intensity", "Shadow intensity", K::kInt, 0, 100, 30},
    {"color", "Color", "Light color", K::kColor, 0, kColorMax, 0xFFFFFF},
    {"sphere-mode", "Sphere mode", "Sphere mode", K::kToggle, 0, 1, 1}};
constexpr EffectParam kShadow3dParams[] = {
    {"blur", "Blur", "Blur", K::kInt, 0, 100, 20},
    {"transparency", "Transparency", "Transparency", K::kInt, 0, 100, 40},
    {"angle-x", "Angle X", "Angle X", K::kInt, -180, 180, -100},
    {"angle-y", "Angle Y", "Angle Y", K::kInt, -180, 180, 0},
    {"angle-z", "Angle Z", "Angle Z", K::kInt, -180, 180, 0},
    {"pos-x", "Pos X", "Offset X", K::kInt, -100, 100, 0},
    {"pos-y", "Pos Y", "Offset Y", K::kInt, -100, 100, 0},
    {"zoom", "Zoom", "Zoom", K::kInt, 50, 150, 100},
    {"perspective", "Perspective", "Perspective", K::kInt, 0, 100, 90},
    {"color", "Color", "Color", K::kColor, 0, kColorMax, 0},
    {"outside", "Outside", "Only Outside", K::kToggle, 0, 1, 1},
    {"shadow-position", "Shadow Position", "Front, Center, Rear", K::kInt, 0, 2, 0}};
constexpr EffectParam kRotate3dParams[] = {
    {"angle-x", "Angle X", "Angle X", K::kInt, -180, 180, 0},
    {"angle-y", "Angle Y", "Angle Y", K::kInt, -180, 180, 0},
    {"angle-z", "Angle Z", "Angle Z", K::kInt, -180, 180, 0},
    {"pos-x", "Pos X", "Offset X", K::kInt, -100, 100, 0},
    {"pos-y", "Pos Y", "Offset Y", K::kInt, -100, 100, 0},
    {"zoom", "Zoom", "Zoom", K::kInt, 50, 150, 100},
    {"perspective", "Perspective", "Perspective", K::kInt, 0, 100, 90}};
constexpr EffectParam kLevelLockParams[] = {{"level", "Level", "Level", K::kInt, 0, 255, 0},
                                            {"lock", "Lock", "Lock mask", K::kToggle, 0, 1, 1}};
constexpr EffectParam kCustomBlurParams[] = {
    {"mask", "mask.%d", "Mask", K::kMask, -kMaxMaskWeight, kMaxMaskWeight, 0, kCustomMask},
    {"level", "Level", "Level", K::kInt, 0, 255, 0},
    {"lock", "Lock", "Lock mask", K::kToggle, 0, 1, 1}};
constexpr EffectParam kSmartBlurParams[] = {{"level", "Level", "Level", K::kInt, 0, 100, 100},
                                            {"dither", "Dither", "Threshold", K::kInt, 1, 100, 21}};
constexpr EffectParam kEmbossParams[] = {
    {"depth", "Depth", "Depth", K::kInt, 0, 255, 50},
    {"brightness", "Brightness", "Brightness", K::kInt, -100, 100, 35}};
constexpr EffectParam kCustomRotateParams[] = {
    {"angle", nullptr, "Angle", K::kInt, -90, 90, 0},
    {"anti-aliasing", nullptr, "Anti-aliasing", K::kToggle, 0, 1, 1},
    {"anti-aliasing-level", "Anti-aliasing level", "Anti-aliasing level", K::kInt, 1, 16, 8}};

// --- Runners: values to records -------------------------------------------------------------

bool RunBic(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyBrightnessIntensityContrast(image, rect, {r.Int(), r.Int(), r.Int()});
}
bool RunHls(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyHueLuminanceSaturation(image, rect, {r.Int(), r.Int(), r.Int()});
}
bool RunColorize(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyColorize(image, rect, {r.Color()});
}
bool RunPosterize(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return Posterize(image, rect, {r.Int()});
}
bool RunInvert(CDib& image, Rect rect, std::span<const double>) {
  return Invert(image, rect);
}
bool RunOpacity(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyOpacity(image, rect, {r.Int()});
}
bool RunShadow(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyShadow(image, rect,
                     {r.Int(), r.Int(), r.Int(), r.Int(), r.Color(), r.Toggle(), r.Toggle()});
}
bool RunBevel(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyBevelBoss(
      image, rect,
      {r.Int(), r.Int(), r.Int(), r.Int(), r.Color(), r.Color(), r.Toggle(), r.Toggle()});
}
bool RunAqua(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyAqua(image, rect, {r.Int(), r.Int(), r.Int(), r.Int(), r.Color(), r.Toggle()});
}
bool RunShadow3d(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  Shadow3dParams p{r.Int(), r.Int(), r.Int(), r.Int(), r.Int(), r.Int(), r.Int(), r.Int(), r.Int()};
  p.color = r.Color();
  p.outside = r.Toggle();
  p.shadowPosition = r.Int();
  return ApplyShadow3d(image, rect, p);
}
bool RunRotate3d(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyRotate3d(image, rect,
                       {r.Int(), r.Int(), r.Int(), r.Int(), r.Int(), r.Int(), r.Int()});
}
bool RunBlur(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyBlur(image, rect, {r.Int(), r.Toggle()});
}
bool RunCustomBlur(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  CustomBlurParams p;
  for (double& w : p.mask) w = r.Next();
  p.level = r.Int();
  p.lock = r.Toggle();
  return ApplyCustomBlur(image, rect, p);
}
bool RunSmartBlur(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplySmartBlur(image, rect, {r.Int(), r.Int()});
}
bool RunSharpen(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplySharpen(image, rect, {r.Int(), r.Toggle()});
}
bool RunEmboss(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  return ApplyEmboss(image, rect, {r.Int(), r.Int()});
}

// Geometric effects transform the whole image, or a lifted selection laid back afterwards.
template <typename Transform>
bool Reshape(CDib& image, Rect rect, Transform&& transform) {
  if (rect.IsWhole()) return transform(image, std::optional<Rect>{});
  std::optional<FloatingSelection> floating = LiftSelection(image, rect);
  if (!floating) return false;
  const bool ok = transform(floating->bitmap, std::optional<Rect>{floating->rect});
  if (ok) {
    // The new rectangle: a quarter turn swaps the sides, a free rotation re-centres.
    const int w = floating->bitmap.GetWidth();
    const int h = floating->bitmap.GetHeight();
    if (w != floating->rect.Width() || h != floating->rect.Height()) {
      floating->rect = w == floating->rect.Height() && h == floating->rect.Width()
                           ? QuarterTurnedRect(floating->rect)
                           : RecentredRect(floating->rect, w, h);
    }
  }
  DropSelection(*floating, image);
  return ok;
}

bool RunFlipH(CDib& image, Rect rect, std::span<const double>) {
  return Reshape(image, rect, [](CDib& d, std::optional<Rect>) {
    FlipHorizontal(d);
    return d.GetWidth() > 0;
  });
}
bool RunFlipV(CDib& image, Rect rect, std::span<const double>) {
  return Reshape(image, rect, [](CDib& d, std::optional<Rect>) {
    FlipVertical(d);
    return d.GetWidth() > 0;
  });
}
template <int Angle>
bool RunRotate(CDib& image, Rect rect, std::span<const double>) {
  return Reshape(image, rect, [](CDib& d, std::optional<Rect>) { return RotateExact(d, Angle); });
}
bool RunCustomRotate(CDib& image, Rect rect, std::span<const double> v) {
  Reader r(v);
  CustomRotateParams p{r.Int(), r.Toggle(), r.Int()};
  // Without a selection the whole image becomes one, so the frame keeps its size.
  const Rect selection = rect.IsWhole() ? Rect{0, 0, image.GetWidth(), image.GetHeight()} : rect;
  std::optional<FloatingSelection> floating = LiftSelection(image, selection);
  if (!floating) return false;
  const bool ok = RotateFree(floating->bitmap, p);
  if (ok) {
    floating->rect =
        RecentredRect(floating->rect, floating->bitmap.GetWidth(), floating->bitmap.GetHeight());
  }
  DropSelection(*floating, image);
  return ok;
}

constexpr std::span<const EffectParam> kNone{};

const EffectInfo kEffects[] = {
    {"brightness-intensity-contrast", "Brightness - Intensity - Contrast", "Effect BSC dialog",
     true, false, kBicParams, RunBic},
    {"hue-luminance-saturation", "Hue - Luminance - Saturation", "Effect HLS dialog", true, false,
     kHlsParams, RunHls},
    {"colorize", "Colorize", "Effect colorize dialog", true, false, kColorizeParams, RunColorize},
    {"posterize", "Posterize", "Effect posterize dialog", false, false, kPosterizeParams,
     RunPosterize},
    {"invert", "Invert", nullptr, false, false, kNone, RunInvert},
    {"opacity", "Opacity", "Effect opacity dialog", true, false, kOpacityParams, RunOpacity},
    {"shadow", "Shadow", "Effect shadow dialog", false, false, kShadowParams, RunShadow},
    {"3d-shadow", "3D Shadow", "Effect 3D shadow dialog", false, false, kShadow3dParams,
     RunShadow3d},
    {"bevel-boss", "Bevel Boss", "Effect boss dialog", false, false, kBevelParams, RunBevel},
    {"aqua", "Aqua", "Effect aqua dialog", false, false, kAquaParams, RunAqua},
    {"3d-rotate", "3D Rotate", "Effect 3D rotate dialog", false, false, kRotate3dParams,
     RunRotate3d},
    {"blur", "Blur", "Effect blur dialog", true, false, kLevelLockParams, RunBlur},
    {"custom-blur", "Custom blur", "Effect custom blur dialog", true, false, kCustomBlurParams,
     RunCustomBlur},
    {"smart-blur", "Smart blur", "Effect smart blur dialog", false, false, kSmartBlurParams,
     RunSmartBlur},
    {"sharpen", "Sharpen", "Effect sharpen dialog", true, false, kLevelLockParams, RunSharpen},
    {"emboss", "Emboss", "Effect Emboss dialog", true, false, kEmbossParams, RunEmboss},
    {"flip-horizontal", "Flip horizontal", nullptr, false, true, kNone, RunFlipH},
    {"flip-vertical", "Flip vertical", nullptr, false, true, kNone, RunFlipV},
    {"rotate-90-cw", "Rotate 90\xC2\xB0 CW", nullptr, false, true, kNone, RunRotate<90>},
    {"rotate-90-ccw", "Rotate 90\xC2\xB0 CCW", nullptr, false, true, kNone, RunRotate<270>},
    {"rotate-180", "Rotate 180\xC2\xB0", nullptr, false, true, kNone, RunRotate<180>},
    {"custom-rotate", "Custom rotate", "Effect rotate dialog", false, true, kCustomRotateParams,
     RunCustomRotate},
};

}  // namespace

std::span<const EffectInfo> Effects() {
  return kEffects;
}

const EffectInfo* FindEffect(std::string_view cliName) {
  for (const EffectInfo& e : kEffects) {
    if (cliName == e.cliName) return &e;
  }
  return nullptr;
}

int FindParam(const EffectInfo& effect, std::string_view cliName, int* valueIndex) {
  int value = 0;
  for (std::size_t i = 0; i < effect.params.size(); ++i) {
    if (cliName == effect.params[i].cliName) {
      if (valueIndex != nullptr) *valueIndex = value;
      return static_cast<int>(i);
    }
    value += effect.params[i].Count();
  }
  return -1;
}

EffectValues DefaultValues(const EffectInfo& effect) {
  EffectValues values;
  for (const EffectParam& p : effect.params) {
    if (p.kind == ParamKind::kMask) {
      values.insert(values.end(), p.maskDefault, p.maskDefault + 9);
    } else {
      values.push_back(p.def);
    }
  }
  return values;
}

bool ApplyEffect(const EffectInfo& effect, CDib& target, Rect rect,
                 std::span<CDib* const> extraFrames, std::span<const double> values) {
  const bool changed = effect.run(target, rect, values);
  if (effect.multiFrame) {
    for (CDib* frame : extraFrames) {
      if (frame != nullptr && frame != &target) effect.run(*frame, Rect::Whole(), values);
    }
  }
  return changed;
}

}  // namespace morvane
