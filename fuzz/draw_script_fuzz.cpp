// Drawing scripts over arbitrary bytes: the JSON reader and the step checks, and running small
// scripts that pass them on a 16 x 16 frame through the canvas.
#include <string_view>

#include "editing/step_script.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ScriptParseResult parsed = ParseDrawScript(text);
  // Long scripts are valid work, not faults; keep each run short.
  if (!parsed.script || size > 2048) return 0;
  CDib image;
  if (!image.Create(16, 16)) return 0;
  UndoHistory history;
  EditCanvas canvas;
  canvas.Attach(&image, &history);
  parsed.script->Run(canvas);
  return 0;
}
