// morvane-cli draw: runs a drawing script on an object's frames and writes the result like
// convert does.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_frames.h"
#include "cli/cli_outputs.h"
#include "editing/step_script.h"
#include "formats/image_export.h"
#include "formats/picture_file.h"

namespace morvane::cli {

namespace {

std::string BuildDrawUsage() {
  std::string text =
      "usage: morvane-cli draw INPUT OUTPUT --script FILE [--frame N] [options]\n"
      "\n"
      "Runs the drawing steps of FILE (\"-\" reads standard input) on each frame of INPUT in\n"
      "turn, or on frame N only, and writes OUTPUT by its extension like convert: .ico .cur\n"
      ".ani .icl .png .gif .jpg .bmp (a picture gets frame N, default 0), with convert's\n"
      "output options:\n";
  text += kOutputOptionsHelp;
  text +=
      "\n"
      "The script is a JSON array of steps. A step is an object with:\n"
      "  \"tool\"       one of:";
  int column = 100;
  for (const std::string_view name : ScriptToolNames()) {
    if (column + name.size() > 80) {
      text += "\n                ";
      column = 16;
    } else {
      text += ' ';
      ++column;
    }
    text += name;
    column += static_cast<int>(name.size());
  }
  text +=
      "\n"
      "  \"points\"     [[x, y], ...] image pixels: press at the first, move to each later one,\n"
      "               release at the last; polyline and polygon vertices, finished as by Enter\n"
      "  \"button\"     \"left\" (default) or \"right\"\n"
      "  \"modifiers\"  any of \"shift\", \"ctrl\"\n"
      "and settings, which carry over to later steps and start from a fresh installation's:\n"
      "  \"color\", \"color-2\"   the brush colours as \"#AARRGGBB\"\n"
      "  \"lock\"               locked channels, letters of \"argb\"\n"
      "  \"colors\", \"colors-pos\"  the gradient stops (\"#AARRGGBB\" colours, positions 0..1)\n"
      "  other keys:";
  column = 100;
  for (const std::string& key : ScriptSettingKeys()) {
    if (key == "color" || key == "color-2" || key == "lock" || key == "colors" ||
        key == "colors-pos") {
      continue;
    }
    if (column + key.size() > 80) {
      text += "\n    ";
      column = 4;
    } else {
      text += ' ';
      ++column;
    }
    text += key;
    column += static_cast<int>(key.size());
  }
  text +=
      "\n"
      "\n"
      "An unknown tool, key or value, or points of the wrong shape, stop with status 2 before\n"
      "anything is written; the message names the step and the key.\n";
  return text;
}

const OptionSpec kSpec = [] {
  OptionSpec options{{"--script", "--frame"}, {"--help"}};
  AddOutputOptionNames(options);
  return options;
}();

bool ReadScriptText(const std::string& source, std::string& text) {
  std::ostringstream buffer;
  if (source == "-") {
    buffer << std::cin.rdbuf();
  } else {
    std::ifstream in(source, std::ios::binary);
    if (!in) return false;
    buffer << in.rdbuf();
  }
  text = buffer.str();
  return true;
}

}  // namespace

const char* const kDrawUsage = [] {
  static const std::string text = BuildDrawUsage();
  return text.c_str();
}();

int RunDraw(const std::vector<std::string>& args) {
  const ParsedArgs p = ParseArgs(args, kSpec);
  if (p.Has("--help")) {
    std::fputs(kDrawUsage, stdout);
    return kExitOk;
  }
  if (!p.error.empty()) return UsageError(p.error, kDrawUsage);
  if (p.positional.size() != 2) return UsageError("draw needs an INPUT and an OUTPUT", kDrawUsage);
  const std::string* scriptPath = p.Value("--script");
  if (scriptPath == nullptr) return UsageError("draw needs --script FILE", kDrawUsage);
  int frame = -1;
  if (const std::string* v = p.Value("--frame")) {
    const auto n = ParseInt(*v, 0, 65535);
    if (!n) return UsageError("--frame needs a frame index (0 or more)", kDrawUsage);
    frame = *n;
  }
  OutputOptions options;
  if (std::string problem = ReadOutputOptions(p, options); !problem.empty()) {
    return UsageError(problem, kDrawUsage);
  }
  const std::filesystem::path input = p.positional[0];
  const std::filesystem::path output = p.positional[1];
  const std::string ext = LowerExtension(output);
  if (!IsIconOutput(ext) && !IsPictureOutput(ext)) {
    return UsageError("cannot write " + output.string() +
                          ": the extension must be .ico, .cur, .ani, .icl, .png, .gif, .jpg or "
                          ".bmp",
                      kDrawUsage);
  }

  std::string text;
  const std::string scriptName = *scriptPath == "-" ? "standard input" : *scriptPath;
  if (!ReadScriptText(*scriptPath, text)) {
    return Report({kExitInput, Describe(*scriptPath, "cannot be read")});
  }
  const ScriptParseResult script = ParseDrawScript(text);
  if (!script.script) return Report({kExitInput, scriptName + ": " + script.error});

  LoadedInputs inputs;
  if (auto failed = LoadInputs({input}, 0, inputs)) return Report(*failed);
  IconDocument& document = inputs.document;
  if (document.Count() == 0) {
    return Report({kExitInput, Describe(input, "holds no image of up to 256 pixels to draw on")});
  }
  if (frame >= document.Count()) {
    return Report({kExitInput, Describe(input, "holds no frame " + std::to_string(frame))});
  }
  for (int i = 0; i < document.Count(); ++i) {
    if (frame >= 0 && i != frame) continue;
    ImageFrame& f = document.Frame(i);
    EditCanvas canvas;
    UndoHistory history;
    canvas.Attach(&f.image, &history);
    script.script->Run(canvas);
  }
  const Status st = WriteDocumentOutput(output, ext, document, frame < 0 ? 0 : frame, options);
  if (!st.ok()) return Report({kExitOutput, Describe(output, st.message())});
  return kExitOk;
}

}  // namespace morvane::cli
