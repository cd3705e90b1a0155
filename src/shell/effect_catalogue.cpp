#include "shell/effect_catalogue.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace morvane {
namespace {

constexpr PresetValue kToneReset[] = {{"brightness", 0}, {"intensity", 0}, {"contrast", 0}};
constexpr PresetValue kHlsReset[] = {{"hue", 0}, {"luminance", 0}, {"saturation", 0}};
constexpr PresetValue kEmbossReset[] = {{"depth", 50}, {"brightness", 35}};
constexpr PresetValue kShadowReset[] = {
    {"blur", 11}, {"x-offset", 1}, {"y-offset", 1}, {"transparency", 15}, {"inner", 0}};
// Bevel Boss keeps "Inside".
constexpr PresetValue kBevelReset[] = {
    {"blur", 6}, {"x-offset", 1}, {"y-offset", 1}, {"transparency", 35}};
constexpr PresetValue kAquaReset[] = {{"light-intensity", 50},
                                      {"light-size", 88},
                                      {"reflex-intensity", 50},
                                      {"shadow-intensity", 30}};
constexpr PresetValue kShadow3dReset[] = {
    {"blur", 20},        {"transparency", 40}, {"angle-x", -100}, {"angle-y", 0},
    {"angle-z", 0},      {"pos-x", 0},         {"pos-y", 0},      {"zoom", 100},
    {"perspective", 90}, {"color", 0},         {"outside", 1},    {"shadow-position", 0}};
constexpr PresetValue kRotate3dReset[] = {{"angle-x", 0}, {"angle-y", 0}, {"angle-z", 0},
                                          {"pos-x", 0},   {"pos-y", 0},   {"perspective", 90},
                                          {"zoom", 100}};
constexpr PresetValue kRotate3dXp[] = {{"angle-x", 0}, {"angle-y", -15}, {"angle-z", 0},
                                       {"pos-x", 0},   {"pos-y", 100},   {"perspective", 95},
                                       {"zoom", 90}};

constexpr EffectPreset kToneP[] = {{"Reset", kToneReset}};
constexpr EffectPreset kHlsP[] = {{"Reset", kHlsReset}};
constexpr EffectPreset kEmbossP[] = {{"Reset", kEmbossReset}};
constexpr EffectPreset kShadowP[] = {{"Reset", kShadowReset}};
constexpr EffectPreset kBevelP[] = {{"Reset", kBevelReset}};
constexpr EffectPreset kAquaP[] = {{"Reset", kAquaReset}};
constexpr EffectPreset kShadow3dP[] = {{"Reset", kShadow3dReset}};
constexpr EffectPreset kRotate3dP[] = {{"Reset", kRotate3dReset}, {"XP Style", kRotate3dXp}};
constexpr std::span<const EffectPreset> kNoPresets{};

// Menu order.
constexpr EffectCommand kCommands[] = {
    {32887, "brightness-intensity-contrast", "BIC", "bic.html", true, false, kToneP},
    {32888, "hue-luminance-saturation", "HLS", "hls.html", true, false, kHlsP},
    {33023, "colorize", "Colorize", "colorize.html", false, false, kNoPresets},
    {32889, "posterize", "Decrease", "coldec.html", false, false, kNoPresets},
    {33024, "invert", nullptr, nullptr, false, false, kNoPresets},
    {33025, "opacity", "Opacity", "opacity.html", false, false, kNoPresets},
    {32890, "shadow", "Shadow", "shadow.html", false, false, kShadowP},
    {33049, "3d-shadow", "3D_shadow", "3dshadow.html", false, true, kShadow3dP},
    {32891, "bevel-boss", "Bevel", "boss.html", false, false, kBevelP},
    {33037, "aqua", "Aqua", "aqua.html", false, false, kAquaP},
    {33069, "3d-rotate", "3D_rotate", "3drotate.html", false, true, kRotate3dP},
    {32892, "blur", "Blur", "blurim.html", false, false, kNoPresets, "Blur image"},
    {32893, "custom-blur", "Custblur", "custblur.html", false, false, kNoPresets,
     "Custom blur image"},
    {33022, "smart-blur", "Smart_blur", "blursmart.html", false, false, kNoPresets},
    {33046, "sharpen", "Sharpen", "sharpen.html", false, false, kNoPresets, "Sharpen image"},
    {33064, "emboss", "Emboss", "emboss.html", true, false, kEmbossP},
    {32894, "flip-horizontal", nullptr, nullptr, false, false, kNoPresets},
    {32895, "flip-vertical", nullptr, nullptr, false, false, kNoPresets},
    {32896, "rotate-90-cw", nullptr, nullptr, false, false, kNoPresets},
    {32897, "rotate-90-ccw", nullptr, nullptr, false, false, kNoPresets},
    {32898, "rotate-180", nullptr, nullptr, false, false, kNoPresets},
    {32899, "custom-rotate", "Rotate", "custrot.html", false, false, kNoPresets},
};

std::string MaskName(const char* pattern, int i) {
  std::string name(pattern);
  const std::size_t at = name.find("%d");
  if (at != std::string::npos) name.replace(at, 2, std::to_string(i));
  return name;
}

double StoredInt(double v) {
  // Whole-number part, kept inside the 32-bit range the store holds.
  if (!(v == v)) return 0;
  return std::trunc(std::clamp(v, -2147483648.0, 2147483647.0));
}

}  // namespace

std::span<const EffectCommand> EffectCommands() {
  return kCommands;
}

const EffectCommand* FindEffectCommand(int commandId) {
  for (const EffectCommand& c : kCommands) {
    if (c.commandId == commandId) return &c;
  }
  return nullptr;
}

const EffectCommand* FindEffectCommandByName(std::string_view cliName) {
  for (const EffectCommand& c : kCommands) {
    if (cliName == c.cliName) return &c;
  }
  return nullptr;
}

EffectValues ReadEffectValues(const Settings& settings, const EffectInfo& effect) {
  EffectValues values;
  const std::string_view section = effect.settingsSection ? effect.settingsSection : "";
  for (const EffectParam& p : effect.params) {
    if (p.kind == ParamKind::kMask) {
      for (int i = 0; i < 9; ++i) {
        const double def = p.maskDefault ? p.maskDefault[i] : 0;
        const double v = p.valueName && !section.empty()
                             ? settings.read_int(section, MaskName(p.valueName, i),
                                                 static_cast<std::int32_t>(def))
                             : def;
        values.push_back(std::clamp(v, p.min, p.max));
      }
      continue;
    }
    double v = p.def;
    if (p.valueName != nullptr && !section.empty()) {
      const std::int32_t raw =
          settings.read_int(section, p.valueName, static_cast<std::int32_t>(p.def));
      v = p.kind == ParamKind::kColor
              ? static_cast<double>(static_cast<std::uint32_t>(raw) & 0xFFFFFF)
              : static_cast<double>(raw);
    }
    values.push_back(std::clamp(v, p.min, p.max));
  }
  return values;
}

void WriteEffectValues(Settings& settings, const EffectInfo& effect, const EffectValues& values) {
  if (effect.settingsSection == nullptr) return;
  std::size_t at = 0;
  for (const EffectParam& p : effect.params) {
    const int count = p.Count();
    if (p.valueName != nullptr && at + static_cast<std::size_t>(count) <= values.size()) {
      if (p.kind == ParamKind::kMask) {
        for (int i = 0; i < 9; ++i) {
          settings.write_int(effect.settingsSection, MaskName(p.valueName, i),
                             static_cast<std::int32_t>(StoredInt(values[at + i])));
        }
      } else if (p.kind == ParamKind::kColor) {
        settings.write_int(effect.settingsSection, p.valueName,
                           static_cast<std::int32_t>(static_cast<std::uint32_t>(values[at])));
      } else {
        settings.write_int(effect.settingsSection, p.valueName,
                           static_cast<std::int32_t>(StoredInt(values[at])));
      }
    }
    at += static_cast<std::size_t>(count);
  }
}

DialogPosition ReadDialogPosition(const Settings& settings, std::string_view section) {
  return {settings.read_int(section, "X", -1), settings.read_int(section, "Y", 50)};
}

void WriteDialogPosition(Settings& settings, std::string_view section, DialogPosition position) {
  settings.write_int(section, "X", position.x);
  settings.write_int(section, "Y", position.y);
}

}  // namespace morvane
