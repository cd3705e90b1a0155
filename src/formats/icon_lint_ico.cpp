// The checks of an icon or cursor stream: header and directory against the image blocks.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "formats/ico_codec.h"
#include "formats/icon_lint.h"
#include "formats/icon_lint_parts.h"

namespace morvane {
namespace {

using lint::IconEntry;
using lint::Place;

std::string Num(std::uint64_t v) {
  return std::to_string(v);
}

std::string SizeText(int w, int h) {
  return Num(w) + " x " + Num(h);
}

class IconStreamChecker {
 public:
  IconStreamChecker(Bytes data, std::string_view where, const LintOptions& options,
                    std::vector<LintFinding>& out, std::uint64_t& budget)
      : data_(data), where_(where), options_(options), out_(out), budget_(budget) {}

  void Run() {
    lint::IconHeader header;
    if (!lint::ReadIconHeader(data_, header) || !header.Valid()) {
      Add("header-invalid", LintLevel::kError, "",
          "The data does not start with an icon or cursor header.");
      return;
    }
    cursor_ = header.type == 2;
    if (header.count == 0) {
      Add("no-images", LintLevel::kError, "", "The directory lists no images.");
      return;
    }
    const std::size_t entries = lint::EntriesInData(data_, header.count);
    directoryEnd_ = lint::kIconHeaderSize + entries * lint::kIconEntrySize;
    if (entries < header.count) {
      Add("directory-truncated", LintLevel::kError, "",
          "The header announces " + Num(header.count) + " images but the file ends after " +
              Num(entries) + " directory entries.");
    }
    for (std::size_t i = 0; i < entries; ++i) CheckEntry(i, lint::ReadIconEntry(data_, i));
    CheckOverlaps();
    CheckTrailingBytes();
    CheckMissingSizes();
  }

 private:
  struct Extent {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::size_t index = 0;
  };

  void Add(std::string id, LintLevel level, std::string_view item, std::string message) {
    out_.push_back({std::move(id), level, std::move(message), Place(where_, item)});
  }

  void CheckEntry(std::size_t i, const IconEntry& e) {
    const std::string item = "image " + Num(i + 1);
    if (!RangeFits(data_.size(), e.offset, e.length)) {
      Add("image-out-of-bounds", LintLevel::kError, item,
          "The entry places the image at offset " + Num(e.offset) + " with " + Num(e.length) +
              " bytes, beyond the end of the data (" + Num(data_.size()) + " bytes).");
      extents_.push_back(
          {e.offset, std::min<std::uint64_t>(std::uint64_t{e.offset} + e.length, data_.size()), i});
      return;
    }
    extents_.push_back({e.offset, std::uint64_t{e.offset} + e.length, i});
    if (e.offset < directoryEnd_) {
      Add("image-overlaps-directory", LintLevel::kError, item,
          "The image starts at offset " + Num(e.offset) + ", inside the header and directory.");
    }
    const Bytes block = data_.subspan(e.offset, e.length);
    Result<IconBlockFacts> facts = InspectIconBlock(block);
    if (!facts.ok()) {
      Add("image-unreadable", LintLevel::kError, item,
          "The image cannot be read: " + facts.status().message() + ".");
      return;
    }
    CheckLength(item, e, *facts);
    CheckDirectoryFields(item, e, *facts);
    CheckForm(item, *facts);
    if (cursor_ && (e.planes >= facts->width || e.bitCount >= facts->height)) {
      Add("hotspot-outside", LintLevel::kError, item,
          "The hotspot (" + Num(e.planes) + ", " + Num(e.bitCount) + ") lies outside the " +
              SizeText(facts->width, facts->height) + " image.");
    }
    if (facts->needed <= block.size() && !Decodes(e, block, *facts)) {
      Add("image-unreadable", LintLevel::kError, item, "The image data does not decode.");
    }
    const auto key = std::make_tuple(facts->width, facts->height, facts->bitCount);
    if (const auto [it, fresh] = seen_.emplace(key, i); !fresh) {
      Add("duplicate-entry", LintLevel::kWarning, item,
          "The image repeats the size " + SizeText(facts->width, facts->height) + " at " +
              Num(facts->bitCount) + " bits of image " + Num(it->second + 1) +
              "; programs show only one of them.");
    }
    sizes_.insert({facts->width, facts->height});
  }

  // Each distinct block is decoded once, and only while the pixels decoded so far stay within
  // what one icon file may hold: a directory listing one large block many times costs nothing.
  bool Decodes(const IconEntry& e, Bytes block, const IconBlockFacts& f) {
    const auto key = std::make_pair(e.offset, e.length);
    if (const auto it = decoded_.find(key); it != decoded_.end()) return it->second;
    const std::uint64_t bytes = std::uint64_t(f.width) * std::uint64_t(f.height) * 4;
    if (bytes > budget_) return true;  // not decoded: nothing known against it
    budget_ -= bytes;
    const bool ok = DecodeIconImage(block).ok();
    decoded_.emplace(key, ok);
    return ok;
  }

  void CheckLength(const std::string& item, const IconEntry& e, const IconBlockFacts& f) {
    if (f.needed > e.length) {
      Add("image-truncated", LintLevel::kError, item,
          "The image needs " + Num(f.needed) + " bytes but its entry holds only " + Num(e.length) +
              ".");
    } else if (f.needed < e.length) {
      Add("entry-byte-count-mismatch", LintLevel::kWarning, item,
          "The entry counts " + Num(e.length) + " bytes but the image takes " + Num(f.needed) +
              ".");
    }
  }

  void CheckDirectoryFields(const std::string& item, const IconEntry& e, const IconBlockFacts& f) {
    if (e.Width() != f.width || e.Height() != f.height) {
      Add("entry-size-mismatch", LintLevel::kError, item,
          "The entry says " + SizeText(e.Width(), e.Height()) + " but the image is " +
              SizeText(f.width, f.height) + ".");
    }
    if (cursor_) return;  // planes and bit count hold the hotspot
    if (e.bitCount != 0 && e.bitCount != f.bitCount) {
      Add("entry-bit-count-mismatch", LintLevel::kWarning, item,
          "The entry says " + Num(e.bitCount) + " bits per pixel but the image has " +
              Num(f.bitCount) + ".");
    }
    if (e.planes > 1) {
      Add("entry-planes", LintLevel::kWarning, item,
          "The entry says " + Num(e.planes) + " colour planes; icons have 1.");
    }
  }

  void CheckForm(const std::string& item, const IconBlockFacts& f) {
    if (f.width == 256 && f.height == 256 && !f.png && f.bitCount >= 8) {
      Add("large-not-png", LintLevel::kWarning, item,
          "The 256 x 256 image is stored as a bitmap; it should be a PNG stream.");
    }
    if (f.png && (f.pngBitDepth != 8 || f.pngColorType != 6)) {
      Add("png-not-rgba", LintLevel::kWarning, item,
          "The PNG image is not 8-bit RGBA (bit depth " + Num(f.pngBitDepth) + ", colour type " +
              Num(f.pngColorType) + "); some programs do not show it.");
    }
    if (f.alphaAllZero) {
      Add("alpha-all-zero", LintLevel::kWarning, item,
          "The 32-bit image has an alpha channel of zeros; programs that trust it show nothing.");
    }
  }

  void CheckOverlaps() {
    std::vector<Extent> sorted = extents_;
    std::sort(sorted.begin(), sorted.end(), [](const Extent& a, const Extent& b) {
      return std::tie(a.start, a.index) < std::tie(b.start, b.index);
    });
    // The extent reaching furthest so far overlaps the next one whenever any earlier one does.
    std::size_t reach = 0;
    for (std::size_t k = 1; k < sorted.size(); ++k) {
      if (sorted[reach].end > sorted[k].start) {
        const std::size_t first = std::min(sorted[reach].index, sorted[k].index);
        const std::size_t second = std::max(sorted[reach].index, sorted[k].index);
        Add("images-overlap", LintLevel::kError, "image " + Num(second + 1),
            "The image's bytes overlap those of image " + Num(first + 1) + ".");
      }
      if (sorted[k].end > sorted[reach].end) reach = k;
    }
  }

  void CheckTrailingBytes() {
    std::uint64_t end = directoryEnd_;
    for (const Extent& x : extents_) end = std::max(end, x.end);
    if (end < data_.size()) {
      Add("trailing-bytes", LintLevel::kWarning, "",
          Num(data_.size() - end) + " bytes follow the last image.");
    }
  }

  void CheckMissingSizes() {
    for (const int size : options_.requiredSizes) {
      if (!sizes_.contains({size, size})) {
        Add("missing-size", LintLevel::kWarning, "",
            "The size " + SizeText(size, size) + " of the chosen set is missing.");
      }
    }
  }

  Bytes data_;
  std::string where_;
  const LintOptions& options_;
  std::vector<LintFinding>& out_;
  bool cursor_ = false;
  std::uint64_t directoryEnd_ = 0;
  std::vector<Extent> extents_;
  std::map<std::tuple<int, int, int>, std::size_t> seen_;
  std::set<std::pair<int, int>> sizes_;
  std::map<std::pair<std::uint32_t, std::uint32_t>, bool> decoded_;
  std::uint64_t& budget_;
};

}  // namespace

std::string_view LintLevelName(LintLevel level) {
  return level == LintLevel::kError ? "error" : "warning";
}

int LintReport::Count(LintLevel level) const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [&](const LintFinding& f) { return f.level == level; }));
}

bool LintReport::Has(std::string_view id) const {
  return std::any_of(findings.begin(), findings.end(),
                     [&](const LintFinding& f) { return f.id == id; });
}

void LintIconStream(Bytes data, std::string_view where, const LintOptions& options,
                    std::vector<LintFinding>& out, std::uint64_t& pixelBudget) {
  IconStreamChecker(data, where, options, out, pixelBudget).Run();
}

}  // namespace morvane
