#include "image/size_sets.h"

#include <array>
#include <charconv>

namespace morvane {
namespace {

constexpr std::array kWindows{256, 48, 32, 24, 16};
// What the desktop asks for at 100 to 200 % scaling.
constexpr std::array kWindowsScaled{256, 64, 48, 40, 32, 24, 20, 16};
constexpr std::array kFavicon{48, 32, 16};
constexpr std::array kCursor{32, 48, 64, 96, 128};

constexpr std::array kSets{
    SizeSet{"windows", kWindows},
    SizeSet{"windows-scaled", kWindowsScaled},
    SizeSet{"favicon", kFavicon},
    SizeSet{"cursor", kCursor},
};

}  // namespace

std::optional<int> ParseIntInRange(std::string_view text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::span<const SizeSet> SizeSets() {
  return kSets;
}

const SizeSet* FindSizeSet(std::string_view name) {
  for (const SizeSet& set : kSets) {
    if (set.name == name) return &set;
  }
  return nullptr;
}

std::optional<std::vector<int>> ParseSizeList(std::string_view text, int low, int high) {
  std::vector<int> sizes;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    if (const SizeSet* set = FindSizeSet(item)) {
      for (const int size : set->sizes) {
        if (size < low || size > high) return std::nullopt;
        sizes.push_back(size);
      }
    } else if (const std::optional<int> size = ParseIntInRange(item, low, high)) {
      sizes.push_back(*size);
    } else {
      return std::nullopt;
    }
    if (comma == std::string_view::npos) return sizes;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace morvane
