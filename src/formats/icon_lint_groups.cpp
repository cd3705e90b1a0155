// The checks of the icon and cursor groups of a program or icon library: each group directory
// entry against its image, and each image as in an icon file.
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "formats/ico_codec.h"
#include "formats/icon_groups.h"
#include "formats/icon_lint.h"
#include "formats/icon_lint_parts.h"

namespace morvane {
namespace {

std::string Num(std::uint64_t v) {
  return std::to_string(v);
}

std::string SizeText(int w, int h) {
  return Num(w) + " x " + Num(h);
}

class GroupChecker {
 public:
  GroupChecker(const IconGroup& group, const LintOptions& options, std::vector<LintFinding>& out,
               std::uint64_t& budget)
      : group_(group),
        options_(options),
        out_(out),
        budget_(budget),
        where_((group.kind == GroupKind::kCursor ? "cursor group " : "icon group ") +
               Num(group.index + 1)) {}

  void Run() {
    for (std::size_t i = 0; i < group_.images.size(); ++i) CheckImage(i, group_.images[i]);
    if (group_.kind != GroupKind::kIcon) return;
    for (const int size : options_.requiredSizes) {
      if (!sizes_.contains({size, size})) {
        Add("missing-size", LintLevel::kWarning, "",
            "The size " + SizeText(size, size) + " of the chosen set is missing.");
      }
    }
  }

 private:
  void Add(std::string id, LintLevel level, std::string_view item, std::string message) {
    out_.push_back({std::move(id), level, std::move(message), lint::Place(where_, item)});
  }

  void CheckImage(std::size_t i, const GroupImage& image) {
    const std::string item = "image " + Num(i + 1);
    const Result<IconBlockFacts> facts = InspectIconBlock(image.data);
    if (!facts.ok()) {
      Add("image-unreadable", LintLevel::kError, item,
          "The image cannot be read: " + facts.status().message() + ".");
      return;
    }
    if (facts->needed > image.data.size()) {
      Add("image-truncated", LintLevel::kError, item,
          "The image needs " + Num(facts->needed) + " bytes but its resource holds only " +
              Num(image.data.size()) + ".");
    }
    const bool icon = group_.kind == GroupKind::kIcon;
    // Cursor group entries often double the height; only icon entries are held to the image.
    const int entryW = image.entry.width == 0 ? 256 : image.entry.width;
    const int entryH = image.entry.height == 0 ? 256 : image.entry.height;
    if (icon && (entryW != facts->width || entryH != facts->height)) {
      Add("entry-size-mismatch", LintLevel::kError, item,
          "The group entry says " + SizeText(entryW, entryH) + " but the image is " +
              SizeText(facts->width, facts->height) + ".");
    }
    if (icon && image.entry.bitCount != 0 && image.entry.bitCount != facts->bitCount) {
      Add("entry-bit-count-mismatch", LintLevel::kWarning, item,
          "The group entry says " + Num(image.entry.bitCount) +
              " bits per pixel but the image has " + Num(facts->bitCount) + ".");
    }
    if (facts->width == 256 && facts->height == 256 && !facts->png && facts->bitCount >= 8) {
      Add("large-not-png", LintLevel::kWarning, item,
          "The 256 x 256 image is stored as a bitmap; it should be a PNG stream.");
    }
    if (facts->png && (facts->pngBitDepth != 8 || facts->pngColorType != 6)) {
      Add("png-not-rgba", LintLevel::kWarning, item, "The PNG image is not 8-bit RGBA.");
    }
    if (facts->alphaAllZero) {
      Add("alpha-all-zero", LintLevel::kWarning, item,
          "The 32-bit image has an alpha channel of zeros; programs that trust it show nothing.");
    }
    if (!icon && (image.hotspotX >= facts->width || image.hotspotY >= facts->height)) {
      Add("hotspot-outside", LintLevel::kError, item,
          "The hotspot (" + Num(image.hotspotX) + ", " + Num(image.hotspotY) +
              ") lies outside the " + SizeText(facts->width, facts->height) + " image.");
    }
    CheckDecodes(item, image, *facts);
    const auto key = std::make_tuple(facts->width, facts->height, facts->bitCount);
    if (const auto [it, fresh] = seen_.emplace(key, i); !fresh) {
      Add("duplicate-entry", LintLevel::kWarning, item,
          "The image repeats the size " + SizeText(facts->width, facts->height) + " at " +
              Num(facts->bitCount) + " bits of image " + Num(it->second + 1) + ".");
    }
    sizes_.insert({facts->width, facts->height});
  }

  void CheckDecodes(const std::string& item, const GroupImage& image, const IconBlockFacts& f) {
    const std::uint64_t bytes = std::uint64_t(f.width) * std::uint64_t(f.height) * 4;
    if (f.needed > image.data.size() || bytes > budget_) return;
    budget_ -= bytes;
    if (!DecodeIconImage(image.data).ok()) {
      Add("image-unreadable", LintLevel::kError, item, "The image data does not decode.");
    }
  }

  const IconGroup& group_;
  const LintOptions& options_;
  std::vector<LintFinding>& out_;
  std::uint64_t& budget_;
  std::string where_;
  std::map<std::tuple<int, int, int>, std::size_t> seen_;
  std::set<std::pair<int, int>> sizes_;
};

}  // namespace

bool LintExecutableGroups(Bytes data, const LintOptions& options, LintReport& report) {
  const IconGroupList list = ListExecutableGroups(data);
  if (list.groups.empty()) return false;
  report.kind = list.fromNe ? LintedKind::kLibrary : LintedKind::kProgram;
  std::uint64_t budget = kMaxIconFilePixelBytes;
  for (const IconGroup& group : list.groups) {
    GroupChecker(group, options, report.findings, budget).Run();
  }
  if (list.skippedGroups > 0) {
    report.findings.push_back(
        {"group-unreadable", LintLevel::kError,
         Num(list.skippedGroups) + " groups are malformed, have no data or no readable image.",
         "file"});
  }
  if (list.truncated) {
    report.findings.push_back({"too-many-groups", LintLevel::kWarning,
                               "The file lists more group entries than are checked.", "file"});
  }
  return true;
}

}  // namespace morvane
