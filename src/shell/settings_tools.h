// Reads and writes the tool panels' settings (pen size, rectangle corners, polygon replication,
// Replace colors, the gradient) through the settings tree. Every value read is brought into its
// range, since a settings file is as open to damage as any other file.
#pragma once

#include "editing/tool_settings.h"
#include "shell/settings.h"

namespace morvane {

ToolSettings LoadToolSettings(const Settings& settings);
void SaveToolSettings(Settings& settings, const ToolSettings& tools);

// The gradient values alone ("Fill properties dialog"), stops included.
GradientSettings LoadGradientSettings(const Settings& settings);
void SaveGradientSettings(Settings& settings, const GradientSettings& gradient);

}  // namespace morvane
