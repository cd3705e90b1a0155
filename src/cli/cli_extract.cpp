// morvane-cli extract: the groups of a program or library as stored, or the frames of an icon,
// cursor or animated cursor as 32-bit PNG files.
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_parallel.h"
#include "formats/image_export.h"
#include "formats/png_codec.h"

namespace morvane::cli {

const char* const kExtractUsage =
    "usage: morvane-cli extract INPUT OUTDIR\n"
    "\n"
    "Writes every icon group of a program or library as OUTDIR/<group id>.ico and every cursor\n"
    "group as OUTDIR/<group id>.cur, each image byte for byte as stored; for an icon, cursor,\n"
    "animated cursor or picture, every frame as a 32-bit PNG named\n"
    "<index>_<width>x<height>_<format>.png. OUTDIR is created when missing.\n";

namespace {

// A resource name as a file name: path separators and control characters become '_', and a
// name made of dots only cannot climb out of the folder.
std::string SafeFileName(const std::string& name) {
  std::string safe = name;
  for (char& c : safe) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
  }
  if (safe.empty() || safe.find_first_not_of('.') == std::string::npos) safe.insert(0, "_");
  return safe;
}

int ExtractGroups(const ExecutableObjects& objects, const std::filesystem::path& folder) {
  const std::vector<IconGroup>& groups = objects.Groups().groups;
  const std::optional<Failure> failed = RunInParallel(groups.size(), [&](std::size_t i) {
    const IconGroup& group = groups[i];
    const char* ext = group.kind == GroupKind::kIcon ? ".ico" : ".cur";
    const std::filesystem::path path = folder / (SafeFileName(group.name.ToString()) + ext);
    const Status st = WriteStoredGroupFile(path, group, objects.FromNe());
    if (st.ok()) return std::optional<Failure>();
    return std::optional<Failure>(Failure{kExitOutput, Describe(path, st.message())});
  });
  return failed ? Report(*failed) : kExitOk;
}

std::string FrameFileName(std::size_t index, const CDib& image, int format) {
  return std::to_string(index) + "_" + std::to_string(image.GetWidth()) + "x" +
         std::to_string(image.GetHeight()) + "_" + std::to_string(format) + ".png";
}

int ExtractFrames(const OpenOutcome& outcome, const std::filesystem::path& folder) {
  struct Item {
    const CDib* image;
    int format;
  };
  std::vector<Item> items;
  if (outcome.action == OpenAction::kImportPicture) {
    items.push_back({&outcome.picture, outcome.pictureDepth});
  }
  for (const LoadedFrame& frame : outcome.frames) {
    items.push_back({&frame.image, BitsOf(frame.format)});
  }
  const std::optional<Failure> failed = RunInParallel(items.size(), [&](std::size_t i) {
    const std::filesystem::path path = folder / FrameFileName(i, *items[i].image, items[i].format);
    const Status st = SavePngFile(path, *items[i].image, 32);
    if (st.ok()) return std::optional<Failure>();
    return std::optional<Failure>(Failure{kExitOutput, Describe(path, st.message())});
  });
  return failed ? Report(*failed) : kExitOk;
}

}  // namespace

int RunExtract(const std::vector<std::string>& args) {
  const ParsedArgs parsed = ParseArgs(args, {{}, {"--help"}});
  if (parsed.Has("--help")) {
    std::fputs(kExtractUsage, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return UsageError(parsed.error, kExtractUsage);
  if (parsed.positional.size() != 2)
    return UsageError("extract takes INPUT and OUTDIR", kExtractUsage);

  const std::filesystem::path input = parsed.positional[0];
  const std::filesystem::path folder = parsed.positional[1];
  const ReadResult read = ReadObject(input);
  if (read.failure) return Report(*read.failure);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec || !std::filesystem::is_directory(folder, ec)) {
    return Report({kExitOutput, Describe(folder, ec ? ec.message() : "not a folder")});
  }
  if (read.outcome.action == OpenAction::kChooseObject) {
    return ExtractGroups(read.outcome.objects, folder);
  }
  return ExtractFrames(read.outcome, folder);
}

}  // namespace morvane::cli
