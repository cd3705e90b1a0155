// Reading whole files and replacing files safely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "formats/status.h"

namespace morvane {

// Files larger than this are refused before anything is read: no icon object comes near it.
inline constexpr std::uint64_t kMaxInputFileBytes = std::uint64_t{1} << 30;

// What tells a file apart from the one read earlier without reading it again: its size and
// modification time.
struct FileStamp {
  std::uint64_t size = 0;
  std::filesystem::file_time_type modified{};
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// Nothing when the file cannot be examined.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                std::uint64_t maxBytes = kMaxInputFileBytes);

// Writes data to a temporary file in the target's folder and renames it over the target; when
// the target exists the data is flushed to the disk first. On any failure the temporary file is
// removed and the existing target is untouched.
Status WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> data);

}  // namespace morvane
