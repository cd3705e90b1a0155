// What every command of morvane-cli shares: exit statuses, messages on stderr that name the file
// and the reason, the kinds of object, and reading an input through the object loader.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "formats/object_loader.h"

namespace morvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;     // wrong usage; a usage text follows the message
inline constexpr int kExitInput = 2;     // an input cannot be read or holds no images
inline constexpr int kExitOutput = 3;    // an output cannot be written
inline constexpr int kExitFindings = 4;  // lint found errors

// A failure on its way to the user.
struct Failure {
  int exitCode = kExitInput;
  std::string message;  // names the file and the reason
};

// Prints "morvane-cli: <message>" on stderr and returns the exit status.
int Report(const Failure& failure);
// Prints the problem and the command's usage text on stderr; returns kExitUsage.
int UsageError(std::string_view problem, std::string_view usage);

// "path: reason"; a reason that already starts with the path is kept as it is.
std::string Describe(const std::filesystem::path& path, std::string_view reason);

enum class ObjectKind { kIcon, kCursor, kAnimatedCursor, kPicture, kExecutable, kLibrary };

// "icon", "cursor", "animated-cursor", "picture", "executable", "library".
std::string_view ObjectKindName(ObjectKind kind);
// The kind a path is read as, by its extension (as the object loader chooses its reader);
// programs and libraries are told apart by their extension.
ObjectKind KindOfPath(const std::filesystem::path& path);

// The loader's outcome for path, read as a newly opened object (up to 256 images), or why
// nothing could be read from it. A kFailed outcome never comes back: it becomes the failure,
// with the reason the reader gave.
struct ReadResult {
  OpenOutcome outcome;
  std::optional<Failure> failure;
};
ReadResult ReadObject(const std::filesystem::path& path);

// The frames of an object: a program or library gives the group at position `group`. A picture
// too large for a frame comes back as kImportPicture.
ReadResult ReadFrames(const std::filesystem::path& path, int group);

}  // namespace morvane::cli
