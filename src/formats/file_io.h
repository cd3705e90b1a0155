// Reading whole files and replacing files safely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "formats/status.h"

namespace morvane {

// Files larger than this are refused before anything is read: no icon object comes near it.
inline constexpr std::uint64_t kMaxInputFileBytes = std::uint64_t{1} << 30;

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                std::uint64_t maxBytes = kMaxInputFileBytes);

// Writes data to a temporary file in the target's folder and renames it over the target; when
// the target exists the data is flushed to the disk first. On any failure the temporary file is
// removed and the existing target is untouched.
Status WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> data);

}  // namespace morvane
