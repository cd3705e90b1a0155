// The table of every effect: its command-line name, menu text, settings section, parameters
// (with their command-line names, stored value names, ranges and defaults) and the function
// that runs it. The command line lists and runs effects from it; the effect dialogs read it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "image/dib.h"

namespace morvane {

enum class ParamKind {
  kInt,     // a slider or number
  kToggle,  // 0 or 1
  kColor,   // platform colour value 0x00BBGGRR
  kMask,    // nine real weights, row-major from the top left
};

struct EffectParam {
  const char* cliName;    // "x-offset"
  const char* valueName;  // the stored value name ("X offset"); nullptr when not stored
  const char* label;      // the control's label
  ParamKind kind;
  double min;
  double max;
  double def;  // unused for kMask (see EffectParam::maskDefault)
  const double* maskDefault = nullptr;
  int Count() const { return kind == ParamKind::kMask ? 9 : 1; }
};

// Parameter values in table order; a mask takes nine consecutive values.
using EffectValues = std::vector<double>;

// Runs the effect on image, confined to rect (Rect::Whole() for the whole image). Geometric
// effects work on the whole image (they may change its size); given a rectangle they lift it,
// transform it and lay it back. Values are clamped to their ranges. Returns false when nothing
// could be changed.
using EffectRunner = bool (*)(CDib& image, Rect rect, std::span<const double> values);

struct EffectInfo {
  const char* cliName;          // "brightness-intensity-contrast"
  const char* menuText;         // "Brightness - Intensity - Contrast"
  const char* settingsSection;  // "Effect BSC dialog"; nullptr without a dialog
  bool multiFrame;              // also applied to the extra-selected frames
  bool geometric;               // lifts an in-place selection; may change the image's size
  std::span<const EffectParam> params;
  EffectRunner run;
};

std::span<const EffectInfo> Effects();
const EffectInfo* FindEffect(std::string_view cliName);
// Index of the parameter's first value in EffectValues; -1 when the effect has no such name.
int FindParam(const EffectInfo& effect, std::string_view cliName, int* valueIndex = nullptr);
EffectValues DefaultValues(const EffectInfo& effect);

// One application as the editor makes it: the target (the current image confined to rect, or
// a floating bitmap passed whole), then, for a multi-frame effect, each extra-selected frame's
// whole image in list order. Returns false when the target could not be changed.
bool ApplyEffect(const EffectInfo& effect, CDib& target, Rect rect,
                 std::span<CDib* const> extraFrames, std::span<const double> values);

}  // namespace morvane
