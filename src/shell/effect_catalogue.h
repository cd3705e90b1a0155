// The editor's view of the effect table: each effect's command, language section and help
// page, the preset buttons of its dialog, how its stored values are read and written, and the
// timing rules of the dialogs that render with a delay.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "effects/effect_registry.h"
#include "shell/settings.h"

namespace morvane {

// A value a preset button sets: the parameter's command-line name and the value.
struct PresetValue {
  const char* param;
  double value;
};
struct EffectPreset {
  const char* label;  // "Reset", "XP Style"
  std::span<const PresetValue> values;
};

struct EffectCommand {
  int commandId;
  const char* cliName;
  const char* languageSection;  // nullptr without a dialog
  const char* helpPage;
  // The two three-slider dialogs and Emboss: clicking a slider's label resets that slider.
  bool labelResets;
  // 3D Shadow and 3D Rotate: renders wait for a set-up and for a pause in the changes.
  bool delayedRender;
  std::span<const EffectPreset> presets;
  // The dialog's title where it differs from the menu text.
  const char* title = nullptr;
};

std::span<const EffectCommand> EffectCommands();
const EffectCommand* FindEffectCommand(int commandId);
const EffectCommand* FindEffectCommandByName(std::string_view cliName);

// The stored values of an effect's dialog (defaults for what is missing or not stored),
// clamped to the table's ranges. Colours come back as 0x00BBGGRR.
EffectValues ReadEffectValues(const Settings& settings, const EffectInfo& effect);
// Writes every stored value; a custom blur weight is stored as its whole-number part.
void WriteEffectValues(Settings& settings, const EffectInfo& effect, const EffectValues& values);

// A dialog's window position: X = -1 means "where the platform puts it".
struct DialogPosition {
  int x = -1;
  int y = 50;
};
DialogPosition ReadDialogPosition(const Settings& settings, std::string_view section);
void WriteDialogPosition(Settings& settings, std::string_view section, DialogPosition position);

// The effects toolbar's visibility ("Show" in "Effects toolbar").
inline constexpr std::string_view kEffectsToolbarSection = "Effects toolbar";

}  // namespace morvane

// Control identifiers of the effect dialogs, the same in every effect's language section: the
// caption of parameter n (table order) is kParamLabel + n, preset button n is kPreset + n.
namespace effect_dialog_ids {
inline constexpr int kApply = 1700;
inline constexpr int kPreset = 1701;
inline constexpr int kParamLabel = 1710;
}  // namespace effect_dialog_ids
