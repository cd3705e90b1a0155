// morvane-cli effect: applies one effect to every frame of an object (or one frame) and writes
// the result like convert.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_effect_values.h"
#include "cli/cli_frames.h"
#include "cli/cli_outputs.h"
#include "formats/picture_file.h"

namespace morvane::cli {

const char* const kEffectUsage =
    "usage: morvane-cli effect NAME [--PARAM VALUE]... INPUT OUTPUT [options]\n"
    "       morvane-cli effect --list\n"
    "\n"
    "Applies the effect NAME to every frame of INPUT (an icon, cursor, animated cursor, picture,\n"
    "or a group of a program or library) and writes OUTPUT by its extension, as convert does.\n"
    "Parameters not given take the effect's defaults; --list shows every effect with its\n"
    "parameters, ranges and defaults.\n"
    "\n"
    "  --frame N        apply to frame N only (a picture output is written from it)\n"
    "  --rect L,T,R,B   change only this rectangle (right and bottom exclusive); not for flips\n"
    "                   and rotations\n"
    "  --group N        the group of a program or library, by position (default 0)\n"
    "\n"
    "An unknown effect or parameter, or a value out of range, exits with status 2.\n";

namespace {

struct EffectRequest {
  const EffectInfo* effect = nullptr;
  EffectValues values;
  std::filesystem::path input;
  std::filesystem::path output;
  std::string ext;
  std::optional<int> frame;
  Rect rect = Rect::Whole();
  int group = 0;
};

// Options of the effect itself plus the command's own.
OptionSpec SpecFor(const EffectInfo& effect) {
  OptionSpec options{{"--frame", "--rect", "--group"}, {"--help"}};
  for (const EffectParam& p : effect.params) options.valued.insert("--" + std::string(p.cliName));
  return options;
}

std::optional<std::string> ReadRect(const std::string& text, Rect& rect) {
  const auto n = ParseIntList(text, -65536, 65536);
  if (!n || n->size() != 4) return "--rect needs L,T,R,B";
  rect = {(*n)[0], (*n)[1], (*n)[2], (*n)[3]};
  if (rect.left >= rect.right || rect.top >= rect.bottom) {
    return "--rect needs left < right and top < bottom";
  }
  return std::nullopt;
}

// Problems with the effect's own values (exit 2) are kept apart from wrong usage (exit 1).
struct Problem {
  int exitCode = kExitUsage;
  std::string message;
};

std::optional<Problem> ReadRequest(const ParsedArgs& p, EffectRequest& r) {
  const EffectInfo& e = *r.effect;
  for (const auto& [name, text] : p.values) {
    int valueIndex = 0;
    const int index = FindParam(e, std::string_view(name).substr(2), &valueIndex);
    if (index < 0) continue;
    if (auto bad = ReadEffectValue(e.params[static_cast<std::size_t>(index)], text, r.values,
                                   valueIndex)) {
      return Problem{kExitInput, *bad};
    }
  }
  if (const std::string* v = p.Value("--rect")) {
    if (e.geometric) {
      return Problem{kExitInput, std::string(e.cliName) +
                                     " works on whole images only: --rect "
                                     "cannot be used with it"};
    }
    if (auto bad = ReadRect(*v, r.rect)) return Problem{kExitInput, *bad};
  }
  if (const std::string* v = p.Value("--frame")) {
    const auto n = ParseInt(*v, 0, 65535);
    if (!n) return Problem{kExitUsage, "--frame needs a frame index (0 or more)"};
    r.frame = *n;
  }
  if (const std::string* v = p.Value("--group")) {
    const auto n = ParseInt(*v, 0, 65535);
    if (!n) return Problem{kExitUsage, "--group needs a group position (0 or more)"};
    r.group = *n;
  }
  if (p.positional.size() != 2) return Problem{kExitUsage, "effect needs an INPUT and an OUTPUT"};
  r.input = p.positional[0];
  r.output = p.positional[1];
  r.ext = LowerExtension(r.output);
  if (!IsIconOutput(r.ext) && !IsPictureOutput(r.ext)) {
    return Problem{kExitUsage, "cannot write " + r.output.string() +
                                   ": the extension must be .ico, .cur, .ani, .icl, .png, .gif, "
                                   ".jpg or .bmp"};
  }
  return std::nullopt;
}

// Applies the effect to the chosen frames. Effects are made for icon images: a larger picture
// is refused (the widest blurs would take minutes on it), as the editor imports it first.
std::optional<Failure> ApplyToInputs(const EffectRequest& r, LoadedInputs& inputs) {
  if (!inputs.large.empty()) {
    const CDib& big = inputs.large.front().image;
    return Failure{kExitInput, Describe(r.input, std::to_string(big.GetWidth()) + "x" +
                                                     std::to_string(big.GetHeight()) +
                                                     " is larger than an icon image (256 pixels); "
                                                     "convert it to icon sizes first")};
  }
  IconDocument& doc = inputs.document;
  if (doc.Count() == 0) return Failure{kExitInput, Describe(r.input, "holds no images")};
  if (r.frame && *r.frame >= doc.Count()) {
    return Failure{kExitInput, Describe(r.input, "holds no frame " + std::to_string(*r.frame))};
  }
  bool changed = false;
  for (int i = 0; i < doc.Count(); ++i) {
    if (!r.frame || *r.frame == i) changed |= r.effect->run(doc.Frame(i).image, r.rect, r.values);
  }
  if (!changed && !r.rect.IsWhole()) {
    return Failure{kExitInput, "--rect lies outside every frame it was to change"};
  }
  return std::nullopt;
}

int Write(const EffectRequest& r, const IconDocument& doc) {
  const Status st = WriteDocumentOutput(r.output, r.ext, doc, r.frame.value_or(0), OutputOptions{});
  if (!st.ok()) return Report({kExitOutput, Describe(r.output, st.message())});
  return kExitOk;
}

}  // namespace

int RunEffect(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError("effect needs the name of an effect", kEffectUsage);
  if (args[0] == "--help") {
    std::fputs(kEffectUsage, stdout);
    return kExitOk;
  }
  if (args[0] == "--list") {
    std::fputs(EffectList().c_str(), stdout);
    return kExitOk;
  }
  EffectRequest request;
  request.effect = FindEffect(args[0]);
  if (request.effect == nullptr) {
    return Report({kExitInput, "unknown effect " + args[0] + " (see morvane-cli effect --list)"});
  }
  const ParsedArgs parsed = ParseArgs({args.begin() + 1, args.end()}, SpecFor(*request.effect));
  if (parsed.Has("--help")) {
    std::fputs(kEffectUsage, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) {
    // Unknown options are parameters the effect does not have.
    const bool unknown = parsed.error.starts_with("unknown option");
    return Report({unknown ? kExitInput : kExitUsage,
                   parsed.error + (unknown ? " for " + std::string(request.effect->cliName) : "")});
  }
  request.values = DefaultValues(*request.effect);
  if (auto problem = ReadRequest(parsed, request)) {
    if (problem->exitCode == kExitUsage) return UsageError(problem->message, kEffectUsage);
    return Report({problem->exitCode, problem->message});
  }
  auto inputs = std::make_unique<LoadedInputs>();
  if (auto failed = LoadInputs({request.input}, request.group, *inputs)) return Report(*failed);
  if (auto failed = ApplyToInputs(request, *inputs)) return Report(*failed);
  return Write(request, inputs->document);
}

}  // namespace morvane::cli
