// morvane-cli convert: reads objects, optionally derives frames, writes by the output extension.
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_frames.h"
#include "cli/cli_outputs.h"
#include "formats/picture_file.h"
#include "image/size_sets.h"

namespace morvane::cli {

namespace {

constexpr const char* kConvertIntro =
    "usage: morvane-cli convert INPUT... OUTPUT [options]\n"
    "\n"
    "Reads icons, cursors, animated cursors, pictures and the icon or cursor groups of programs\n"
    "and libraries, and writes OUTPUT by its extension: .ico .cur .ani (frames in order) .icl\n"
    "(one group per input) .png .gif .jpg .bmp. The inputs' frames are written in order.\n"
    "\n"
    "  --group N            the group of a program or library, by position (default 0)\n"
    "  --frame N            the frame written to a picture output (default 0)\n"
    "  --sizes 256,48,...   derive these square sizes from the largest, richest input image;\n"
    "                       a set name stands for its sizes: windows (256,48,32,24,16),\n"
    "                       windows-scaled (256,64,48,40,32,24,20,16), favicon (48,32,16),\n"
    "                       cursor (32,48,64,96,128)\n"
    "  --formats 32,8,4     derive these colour formats (1, 4, 8, 24, 32); only the derived\n"
    "                       frames are written\n"
    "  --standard           the source frame and the standard formats derived from it, sorted\n"
    "  --sort               sort the frames: formats ascending, widths descending\n";

}  // namespace

const char* const kConvertUsage = [] {
  static const std::string text = std::string(kConvertIntro) + kOutputOptionsHelp;
  return text.c_str();
}();

namespace {

struct ConvertRequest {
  std::vector<std::filesystem::path> inputs;
  std::filesystem::path output;
  std::string ext;
  int group = 0;
  int frame = 0;
  bool sort = false;
  DeriveRequest derive;
  OutputOptions options;
};

const OptionSpec kSpec = [] {
  OptionSpec options{{"--group", "--frame", "--sizes", "--formats"},
                     {"--standard", "--sort", "--help"}};
  AddOutputOptionNames(options);
  return options;
}();

bool ValidFormats(const std::vector<int>& formats) {
  for (const int f : formats) {
    if (f != 1 && f != 4 && f != 8 && f != 24 && f != 32) return false;
  }
  return true;
}

// Each option's value, checked; the error names the option.
std::string ReadNumbers(const ParsedArgs& p, ConvertRequest& r) {
  if (const std::string* v = p.Value("--group")) {
    const auto n = ParseInt(*v, 0, 65535);
    if (!n) return "--group needs a group position (0 or more)";
    r.group = *n;
  }
  if (const std::string* v = p.Value("--frame")) {
    const auto n = ParseInt(*v, 0, 65535);
    if (!n) return "--frame needs a frame index (0 or more)";
    r.frame = *n;
  }
  if (const std::string* v = p.Value("--sizes")) {
    const auto n = ParseSizeList(*v, 1, IconDocument::kMaxFrameSide);
    if (!n) return "--sizes needs sizes of 1 to 256 or set names, separated by commas";
    r.derive.sizes = *n;
  }
  if (const std::string* v = p.Value("--formats")) {
    const auto n = ParseIntList(*v, 1, 32);
    if (!n || !ValidFormats(*n)) return "--formats needs formats of 1, 4, 8, 24 or 32";
    r.derive.formats = *n;
  }
  return {};
}

std::string ReadSettings(const ParsedArgs& p, ConvertRequest& r) {
  if (std::string problem = ReadOutputOptions(p, r.options); !problem.empty()) return problem;
  r.derive.standard = p.Has("--standard");
  r.sort = p.Has("--sort");
  if (r.derive.standard && (!r.derive.sizes.empty() || !r.derive.formats.empty())) {
    return "--standard cannot be combined with --sizes or --formats";
  }
  return {};
}

std::string ReadRequest(const ParsedArgs& p, ConvertRequest& r) {
  if (!p.error.empty()) return p.error;
  if (p.positional.size() < 2) return "convert needs at least one INPUT and an OUTPUT";
  r.inputs.assign(p.positional.begin(), p.positional.end() - 1);
  r.output = p.positional.back();
  r.ext = LowerExtension(r.output);
  if (!IsIconOutput(r.ext) && !IsPictureOutput(r.ext)) {
    return "cannot write " + r.output.string() +
           ": the extension must be .ico, .cur, .ani, .icl, .png, .gif, .jpg or .bmp";
  }
  std::string problem = ReadNumbers(p, r);
  if (problem.empty()) problem = ReadSettings(p, r);
  return problem;
}

// The frames to write: derived ones, or the inputs' own (sorted when asked).
struct FrameSet {
  std::unique_ptr<LoadedInputs> inputs = std::make_unique<LoadedInputs>();
  std::unique_ptr<IconDocument> derived;

  const IconDocument& Frames() const { return derived ? *derived : inputs->document; }
};

std::optional<Failure> BuildFrames(const ConvertRequest& r,
                                   std::span<const std::filesystem::path> paths, FrameSet& set) {
  if (auto failed = LoadInputs({paths.begin(), paths.end()}, r.group, *set.inputs)) return failed;
  IconDocument* frames = &set.inputs->document;
  if (r.derive.Derives()) {
    set.derived = std::make_unique<IconDocument>();
    if (auto failed = DeriveFrames(*set.inputs, r.derive, *set.derived)) return failed;
    frames = set.derived.get();
  }
  if (r.sort) frames->SortForWindowsXP();
  return std::nullopt;
}

// An icon object holds only frames of up to 256 pixels; larger pictures need deriving.
std::optional<Failure> CheckIconFrames(const FrameSet& set) {
  if (!set.derived && !set.inputs->large.empty()) {
    const LargePicture& big = set.inputs->large.front();
    return Failure{kExitInput,
                   Describe(big.path, std::to_string(big.image.GetWidth()) + "x" +
                                          std::to_string(big.image.GetHeight()) +
                                          " is larger than an icon image (256 pixels); derive "
                                          "frames with --sizes or --standard")};
  }
  if (set.Frames().Count() == 0) return Failure{kExitInput, "the inputs hold no images"};
  return std::nullopt;
}

int WritePicture(const ConvertRequest& r, const FrameSet& set) {
  const IconDocument& frames = set.Frames();
  const CDib* image = nullptr;
  int format = 32;
  if (r.frame < frames.Count()) {
    image = &frames.Frame(r.frame).image;
    format = BitsOf(frames.Frame(r.frame).format);
  } else if (!set.derived) {
    // Pictures too large for a frame follow the frames.
    const std::size_t k = static_cast<std::size_t>(r.frame - frames.Count());
    if (k < set.inputs->large.size()) {
      image = &set.inputs->large[k].image;
      format = set.inputs->large[k].depth;
    }
  }
  if (image == nullptr) {
    return Report({kExitInput, "the inputs hold no frame " + std::to_string(r.frame)});
  }
  const Status st = ExportPicture(r.output, *image, format, r.options.picture);
  if (!st.ok()) return Report({kExitOutput, Describe(r.output, st.message())});
  return kExitOk;
}

int WriteLibrary(const ConvertRequest& r) {
  std::vector<std::unique_ptr<FrameSet>> sets;
  std::vector<const IconDocument*> groups;
  for (const std::filesystem::path& input : r.inputs) {
    auto set = std::make_unique<FrameSet>();
    if (auto failed = BuildFrames(r, {&input, 1}, *set)) return Report(*failed);
    if (auto failed = CheckIconFrames(*set)) return Report(*failed);
    groups.push_back(&set->Frames());
    sets.push_back(std::move(set));
  }
  const Status st = WriteLibraryOutput(r.output, groups, r.options);
  if (!st.ok()) return Report({kExitOutput, Describe(r.output, st.message())});
  return kExitOk;
}

int WriteObject(const ConvertRequest& r) {
  FrameSet set;
  if (auto failed = BuildFrames(r, r.inputs, set)) return Report(*failed);
  if (IsPictureOutput(r.ext)) return WritePicture(r, set);
  if (auto failed = CheckIconFrames(set)) return Report(*failed);
  Status st;
  if (r.ext == ".ani") {
    st = WriteAniOutput(r.output, set.Frames(), r.options);
  } else {
    st = WriteIconOutput(r.output, set.Frames(), r.ext == ".cur", r.options);
  }
  if (!st.ok()) return Report({kExitOutput, Describe(r.output, st.message())});
  return kExitOk;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, kSpec);
  if (parsed.Has("--help")) {
    std::fputs(kConvertUsage, stdout);
    return kExitOk;
  }
  ConvertRequest request;
  const std::string problem = ReadRequest(parsed, request);
  if (!problem.empty()) return UsageError(problem, kConvertUsage);
  if (request.ext == ".icl") return WriteLibrary(request);
  return WriteObject(request);
}

}  // namespace morvane::cli
