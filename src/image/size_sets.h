// Named sets of icon sizes, for "--sizes" of the command line and the editor's new-image
// commands: one table, so both offer the same names with the same sizes.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace morvane {

struct SizeSet {
  std::string_view name;
  std::span<const int> sizes;  // square sizes, in the order frames are made
};

// "windows", "windows-scaled", "favicon", "cursor".
std::span<const SizeSet> SizeSets();
const SizeSet* FindSizeSet(std::string_view name);

// A decimal integer within [low, high], the whole text and nothing else.
std::optional<int> ParseIntInRange(std::string_view text, int low, int high);

// A comma-separated list of set names and sizes within [low, high] ("windows", "favicon,64",
// "256,48"), in the order named; a size named twice gives two frames, as it always has. Nothing
// when any item is neither.
std::optional<std::vector<int>> ParseSizeList(std::string_view text, int low, int high);

}  // namespace morvane
