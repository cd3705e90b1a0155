// The effects' command names as the command line promises them, written out once so that the
// effect table and morvane-cli effect --list are both checked against the same independent list.
#pragma once

#include <array>

namespace morvane::testing {

inline constexpr std::array<const char*, 22> kEffectCommandNames = {
    "brightness-intensity-contrast",
    "hue-luminance-saturation",
    "colorize",
    "posterize",
    "invert",
    "opacity",
    "shadow",
    "3d-shadow",
    "bevel-boss",
    "aqua",
    "3d-rotate",
    "blur",
    "custom-blur",
    "smart-blur",
    "sharpen",
    "emboss",
    "flip-horizontal",
    "flip-vertical",
    "rotate-90-cw",
    "rotate-90-ccw",
    "rotate-180",
    "custom-rotate",
};

}  // namespace morvane::testing
