// Reading and printing effect parameter values for morvane-cli effect: the values of the
// effect table, as "--NAME VALUE" arguments and as the lines of "effect --list".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "effects/effect_registry.h"

namespace morvane::cli {

// Stores the value text of one parameter into values (at the parameter's place). Returns the
// problem, naming the option, or nothing on success. Colours are "#RRGGBB"; toggles 0 or 1;
// masks nine comma-separated finite numbers.
std::optional<std::string> ReadEffectValue(const EffectParam& param, std::string_view text,
                                           EffectValues& values, int valueIndex);

// The table of every effect, its parameters, ranges and defaults, one effect per paragraph.
std::string EffectList();

}  // namespace morvane::cli
