// Small file helpers of the desktop integration: reading and atomically writing text files, and
// running the desktop's refresh tools without a shell.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace morvane {

// The file's text; an empty string when it does not exist; nothing when it exists but cannot
// be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);
// Creates the folder when missing and replaces the file atomically. Empty on success,
// otherwise the reason.
std::string WriteTextFile(const std::filesystem::path& path, const std::string& text);
// Removes one file; a missing file is fine. Empty on success, otherwise the reason.
std::string RemoveOwnFile(const std::filesystem::path& path);
// Runs a refresh tool found on PATH with these arguments, no shell between. False when it is
// missing or fails.
bool RunDesktopTool(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace morvane
