// The texts the main window shows about frames and pixels: frame list labels, the size label,
// the window title, the edit area's status fields and the animated-cursor properties.
#pragma once

#include <optional>
#include <string>

#include "image/color_format.h"
#include "image/icon_document.h"
#include "image/pixel.h"
#include "shell/language_pack.h"

namespace morvane {

inline constexpr std::string_view kProgramTitle = "Morvane Pro";

// "%d x %d".
std::string SizeText(int width, int height);
// The format's name through section "Main_colors", keyed by its bit count.
std::string FormatText(const LanguagePack& pack, ColorFormat format);
// A frame list label: "32 x 32" and the format on a second line; for an animated cursor
// "N %d - %d jifs" (frame number from 1, then its rate).
std::string FrameLabel(const LanguagePack& pack, const IconDocument& document, int index);
// The file name of the path, " - " and the program name.
std::string WindowTitle(const std::string& path);

// The status fields of the edit area. A position outside the image is nothing.
std::string PositionStatus(std::optional<std::pair<int, int>> position);
// The dragged or selected size; nothing (or one pixel) shows "-, -".
std::string SizeStatus(int width, int height);
// "%d, %d, %d, %d" (red, green, blue, alpha) when alpha is above 0, "screen" when fully
// transparent, "-, -, -, -" outside the image.
std::string ColorStatus(std::optional<Pixel> pixel);

// The animated-cursor properties: frames with a non-zero rate, and the duration in seconds,
// trunc(sum of rates x 0.0162 x 100) x 0.01.
int AniCountedFrames(const IconDocument& document);
double AniDurationSeconds(const IconDocument& document);
// printf "%g" of the duration, as the dialog shows it after "Target duration:".
std::string AniDurationText(double seconds);

}  // namespace morvane
