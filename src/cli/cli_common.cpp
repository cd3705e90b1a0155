#include "cli/cli_common.h"

#include <cstdio>
#include <system_error>

#include "formats/ani_codec.h"
#include "formats/file_io.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"

namespace morvane::cli {
namespace {

// Why the loader found nothing: the state of the path first, then the reader's own reason. Only
// runs after a failure, so reading the file once more costs nothing on the normal path.
std::string ReasonNothingRead(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return "no such file";
  if (status.type() == std::filesystem::file_type::directory) return "is a folder, not a file";
  if (!ec && status.type() != std::filesystem::file_type::regular) return "not a regular file";
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status().message();
  if (bytes->empty()) return "the file is empty";
  Status why;
  switch (KindOfPath(path)) {
    case ObjectKind::kIcon:
    case ObjectKind::kCursor:
      why = ReadIconFile(Bytes(*bytes)).status();
      break;
    case ObjectKind::kAnimatedCursor:
      why = LoadAniFile(Bytes(*bytes)).status();
      break;
    case ObjectKind::kPicture: {
      CDib image;
      why = LoadPictureFile(path, image).status();
      break;
    }
    case ObjectKind::kExecutable:
    case ObjectKind::kLibrary:
      return "holds no icon or cursor groups";
  }
  if (why.ok()) return "holds no image of 1 to 256 pixels each way";
  return why.message();
}

Failure InputFailure(const std::filesystem::path& path, std::string_view reason) {
  return {kExitInput, Describe(path, reason)};
}

}  // namespace

int Report(const Failure& failure) {
  std::fprintf(stderr, "morvane-cli: %s\n", failure.message.c_str());
  return failure.exitCode;
}

int UsageError(std::string_view problem, std::string_view usage) {
  std::fprintf(stderr, "morvane-cli: %.*s\n\n%.*s", static_cast<int>(problem.size()),
               problem.data(), static_cast<int>(usage.size()), usage.data());
  return kExitUsage;
}

std::string Describe(const std::filesystem::path& path, std::string_view reason) {
  const std::string name = path.string();
  if (reason.starts_with(name)) return std::string(reason);
  return name + ": " + std::string(reason);
}

std::string_view ObjectKindName(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::kIcon:
      return "icon";
    case ObjectKind::kCursor:
      return "cursor";
    case ObjectKind::kAnimatedCursor:
      return "animated-cursor";
    case ObjectKind::kPicture:
      return "picture";
    case ObjectKind::kExecutable:
      return "executable";
    case ObjectKind::kLibrary:
      return "library";
  }
  return "unknown";
}

ObjectKind KindOfPath(const std::filesystem::path& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".ico") return ObjectKind::kIcon;
  if (ext == ".cur") return ObjectKind::kCursor;
  if (ext == ".ani") return ObjectKind::kAnimatedCursor;
  if (ext == ".png" || ext == ".gif" || ext == ".jpg" || ext == ".bmp") return ObjectKind::kPicture;
  if (ext == ".dll" || ext == ".icl" || ext == ".ocx" || ext == ".cpl" || ext == ".drv" ||
      ext == ".fon") {
    return ObjectKind::kLibrary;
  }
  return ObjectKind::kExecutable;
}

ReadResult ReadObject(const std::filesystem::path& path) {
  ReadResult result;
  result.outcome = OpenObject(path, false, 0);
  if (result.outcome.action == OpenAction::kFailed || result.outcome.action == OpenAction::kNone) {
    result.failure = InputFailure(path, ReasonNothingRead(path));
  }
  return result;
}

ReadResult ReadFrames(const std::filesystem::path& path, int group) {
  ReadResult result = ReadObject(path);
  if (result.failure || result.outcome.action != OpenAction::kChooseObject) return result;
  const ExecutableObjects objects = std::move(result.outcome.objects);
  if (group >= objects.Count()) {
    result.failure = InputFailure(path, "holds no group " + std::to_string(group) + " (it has " +
                                            std::to_string(objects.Count()) + ")");
    return result;
  }
  result.outcome = OpenChosenObject(objects, group, false, 0);
  if (result.outcome.action != OpenAction::kFrames) {
    result.failure =
        InputFailure(path, "no image of group " + std::to_string(group) + " could be read");
  }
  return result;
}

}  // namespace morvane::cli
