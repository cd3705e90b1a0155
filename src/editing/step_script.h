// Drawing scripts: a JSON array of steps, each setting drawing values and optionally running
// one tool stroke through an EditCanvas, exactly as mouse input would. morvane-cli draw runs
// them on icon frames; tests run them on the editor's canvas.
//
// A step is an object. "tool" names a Draw-menu tool (pen, line, rectangle, ...), "points" the
// stroke's pixels ([[x, y], ...]: press at the first, a move to each later one, release at the
// last; for polyline and polygon each point is a vertex and the shape is finished as Enter
// finishes it), "button" "left" or "right", "modifiers" any of "shift" and "ctrl". Every other
// key is a setting, named by its stored value name in lower case with hyphens ("pen-size",
// "anti-aliasing", "hue-delta", ...), plus "color" and "color-2" (#AARRGGBB), "lock" (letters of
// "argb"), "colors" and "colors-pos" (the gradient stops), "pen-tip" and "eraser-tip" (0..4).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editing/edit_canvas.h"
#include "editing/json_reader.h"

namespace morvane {

// The tool names of scripts, in Draw-menu order.
std::vector<std::string_view> ScriptToolNames();
// The setting keys of scripts.
std::vector<std::string> ScriptSettingKeys();

class DrawScript;

struct ScriptParseResult {
  std::unique_ptr<DrawScript> script;  // null on error
  // "step N: key "K": reason" (steps counted from 1), or the JSON error.
  std::string error;
};

// Reads and checks every step before anything runs, so a bad script changes nothing.
ScriptParseResult ParseDrawScript(std::string_view text);

class DrawScript {
 public:
  struct Setting;
  struct Step;

  DrawScript();
  ~DrawScript();
  DrawScript(const DrawScript&) = delete;
  DrawScript& operator=(const DrawScript&) = delete;

  std::size_t StepCount() const;
  // Runs every step on the canvas (which must have a frame attached). Settings carry over from
  // step to step; the canvas keeps them afterwards.
  void Run(EditCanvas& canvas) const;

 private:
  friend ScriptParseResult ParseDrawScript(std::string_view text);
  std::vector<Step> steps_;
};

// Puts a canvas's drawing values back to those of a fresh installation.
void ResetCanvasSettings(EditCanvas& canvas);

}  // namespace morvane
