// The checks of an animated cursor: the RIFF chunks, the header's counts against the frames,
// rates and sequence, the texts' code page, and every frame's icon or cursor stream.
#include <algorithm>
#include <set>
#include <string>

#include "formats/ico_codec.h"
#include "formats/icon_lint.h"
#include "formats/icon_lint_parts.h"

namespace morvane {
namespace lint {
namespace {

constexpr std::size_t kMaxListedFrames = 0xFFFF;

bool TagIs(Bytes data, std::uint64_t at, std::string_view tag) {
  const std::optional<Bytes> b = SliceOf(data, at, 4);
  return b && std::equal(tag.begin(), tag.end(), b->begin(),
                         [](char t, std::uint8_t c) { return static_cast<std::uint8_t>(t) == c; });
}

std::string TagText(Bytes data, std::uint64_t at) {
  std::string tag;
  for (std::uint64_t i = at; i < at + 4 && i < data.size(); ++i) {
    tag += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '?';
  }
  return tag;
}

// The chunk at `at`: its body, cut to `limit`, and where the next one starts (odd sizes padded).
struct ChunkSpan {
  std::uint64_t body = 0;
  std::uint64_t size = 0;
  std::uint64_t next = 0;
  bool cut = false;
};

ChunkSpan SpanAt(Bytes data, std::uint64_t at, std::uint64_t limit) {
  ChunkSpan c;
  c.body = at + 8;
  const std::uint64_t declared = *LoadU32(data, at + 4);
  c.cut = c.body + declared > limit;
  c.size = c.cut ? limit - std::min(limit, c.body) : declared;
  c.next = c.body + declared + (declared % 2);
  return c;
}

void WalkFrameList(Bytes data, const ChunkSpan& list, AniChunks& out) {
  std::uint64_t pos = list.body + 4;
  const std::uint64_t end = list.body + list.size;
  while (RangeFits(end, pos, 8) && out.frames.size() < kMaxListedFrames) {
    const ChunkSpan c = SpanAt(data, pos, end);
    if (c.cut) out.truncated.push_back(TagText(data, pos));
    if (TagIs(data, pos, "icon")) out.frames.push_back(data.subspan(c.body, c.size));
    pos = c.next;
  }
}

bool IsTopLevelTag(Bytes data, std::uint64_t at) {
  return TagIs(data, at, "anih") || TagIs(data, at, "rate") || TagIs(data, at, "seq ") ||
         TagIs(data, at, "LIST");
}

// Writers in the wild overstate the INFO list's size; a top-level tag met among its entries
// ends it there. Returns where the walk goes on.
std::uint64_t WalkInfoList(Bytes data, std::uint64_t at, const ChunkSpan& list, AniChunks& out) {
  std::uint64_t pos = list.body + 4;
  const std::uint64_t end = list.body + list.size;
  while (pos < end) {
    if (IsTopLevelTag(data, pos)) {
      out.overstatedInfoSize = static_cast<std::uint32_t>(list.size);
      out.info = data.subspan(at, pos - at);
      return pos;
    }
    if (!RangeFits(end, pos, 8)) break;
    pos = SpanAt(data, pos, end).next;
  }
  out.info = data.subspan(at, list.size + 8);
  return list.next;
}

}  // namespace

AniChunks WalkAniChunks(Bytes data) {
  AniChunks out;
  out.riffSize = LoadU32(data, 4).value_or(0);
  std::uint64_t pos = 12;
  while (RangeFits(data.size(), pos, 8)) {
    const ChunkSpan c = SpanAt(data, pos, data.size());
    if (c.cut) out.truncated.push_back(TagText(data, pos));
    const Bytes body = data.subspan(c.body, c.size);
    if (TagIs(data, pos, "anih") && !out.header) {
      out.header = body;
    } else if (TagIs(data, pos, "rate") && !out.rates) {
      out.rates = body;
    } else if (TagIs(data, pos, "seq ") && !out.sequence) {
      out.sequence = body;
    } else if (TagIs(data, pos, "LIST") && TagIs(data, c.body, "fram") && !out.haveFrameList) {
      out.haveFrameList = true;
      WalkFrameList(data, c, out);
    } else if (TagIs(data, pos, "LIST") && TagIs(data, c.body, "INFO") && !out.info) {
      pos = WalkInfoList(data, pos, c, out);
      continue;
    }
    pos = c.next;
  }
  out.end = std::min<std::uint64_t>(pos, data.size());
  return out;
}

}  // namespace lint

namespace {

using lint::Place;

std::string Num(std::uint64_t v) {
  return std::to_string(v);
}

class AniChecker {
 public:
  AniChecker(Bytes data, const LintOptions& options, std::vector<LintFinding>& out)
      : data_(data), options_(options), out_(out), chunks_(lint::WalkAniChunks(data)) {}

  void Run() {
    CheckContainer();
    if (!chunks_.header || chunks_.header->size() < 36) {
      Add("ani-header-missing", LintLevel::kError, "",
          "The animated cursor has no complete \"anih\" header.");
      return;
    }
    frames_ = LoadU32(*chunks_.header, 4).value_or(0);
    steps_ = LoadU32(*chunks_.header, 8).value_or(0);
    flags_ = LoadU32(*chunks_.header, 32).value_or(0);
    CheckCounts();
    CheckSequence();
    CheckRates();
    CheckTexts();
    CheckFrames();
  }

 private:
  void Add(std::string id, LintLevel level, std::string_view item, std::string message) {
    out_.push_back({std::move(id), level, std::move(message), Place("", item)});
  }

  void CheckContainer() {
    for (const std::string& tag : chunks_.truncated) {
      Add("chunk-truncated", LintLevel::kError, "",
          "The \"" + tag + "\" chunk reaches past the end of the file.");
    }
    if (chunks_.overstatedInfoSize) {
      Add("list-size-mismatch", LintLevel::kWarning, "",
          "The INFO list counts " + Num(*chunks_.overstatedInfoSize) + " bytes but its entries " +
              "end after " + Num(chunks_.info->size() - 8) + "; strict readers lose the header.");
    }
    if (std::uint64_t{chunks_.riffSize} + 8 != data_.size()) {
      Add("riff-size-mismatch", LintLevel::kWarning, "",
          "The RIFF header counts " + Num(chunks_.riffSize) + " bytes but the file holds " +
              Num(data_.size() >= 8 ? data_.size() - 8 : 0) + " after it.");
    }
  }

  void CheckCounts() {
    const std::size_t stored = chunks_.frames.size();
    if (stored == 0) {
      Add("ani-no-frames", LintLevel::kError, "", "The animated cursor holds no frames.");
    } else if (frames_ != stored) {
      Add("frame-count-mismatch", LintLevel::kError, "",
          "The header announces " + Num(frames_) + " frames but the file holds " + Num(stored) +
              ".");
    }
    if (!chunks_.sequence && steps_ != frames_) {
      Add("step-count-mismatch", LintLevel::kError, "",
          "The header announces " + Num(steps_) + " steps for " + Num(frames_) +
              " frames without a sequence.");
    }
    if ((flags_ & 1) == 0) {
      Add("ani-flags", LintLevel::kWarning, "",
          "The header does not mark the frames as icon or cursor streams.");
    }
    if (((flags_ & 2) != 0) != chunks_.sequence.has_value()) {
      Add("ani-flags", LintLevel::kWarning, "",
          chunks_.sequence ? "The file has a sequence but the header does not say so."
                           : "The header announces a sequence that the file does not hold.");
    }
  }

  void CheckSequence() {
    if (!chunks_.sequence) return;
    const std::size_t entries = chunks_.sequence->size() / 4;
    if (entries != steps_) {
      Add("step-count-mismatch", LintLevel::kError, "",
          "The header announces " + Num(steps_) + " steps but the sequence lists " + Num(entries) +
              ".");
    }
    for (std::size_t j = 0; j < entries; ++j) {
      const std::uint32_t index = lint::TableEntry(*chunks_.sequence, j);
      if (index >= chunks_.frames.size()) {
        Add("sequence-missing-frame", LintLevel::kError, "step " + Num(j + 1),
            "The sequence names frame " + Num(index + std::uint64_t{1}) + ", which the file " +
                "does not hold.");
      }
    }
  }

  void CheckRates() {
    if (!chunks_.rates) return;
    const std::size_t entries = chunks_.rates->size() / 4;
    const std::uint64_t expected = chunks_.sequence ? chunks_.sequence->size() / 4 : frames_;
    if (entries != expected || chunks_.rates->size() % 4 != 0) {
      Add("rate-count-mismatch", LintLevel::kError, "",
          "The \"rate\" chunk holds " + Num(entries) + " rates for " + Num(expected) +
              (chunks_.sequence ? " steps." : " frames."));
    }
    for (std::size_t j = 0; j < entries; ++j) {
      if (lint::TableEntry(*chunks_.rates, j) == 0) {
        Add("rate-zero", LintLevel::kWarning, "step " + Num(j + 1),
            "The display time is 0; programs show the step for no time or a default.");
      }
    }
  }

  void CheckTexts() {
    if (!chunks_.info) return;
    const Bytes list = *chunks_.info;
    std::uint64_t pos = 12;
    while (RangeFits(list.size(), pos, 8)) {
      const std::uint32_t size = *LoadU32(list, pos + 4);
      const Bytes body =
          list.subspan(pos + 8, std::min<std::uint64_t>(size, list.size() - pos - 8));
      const auto zero = std::find(body.begin(), body.end(), std::uint8_t{0});
      const Bytes text = body.first(static_cast<std::size_t>(zero - body.begin()));
      const std::string tag(list.begin() + pos, list.begin() + pos + 4);
      if (!LooksLikeCp1252(text)) {
        Add("text-not-cp1252", LintLevel::kWarning,
            tag == "INAM"   ? "title"
            : tag == "IART" ? "author"
                            : tag,
            "The text is not Windows-1252, the code page it is read in; it shows garbled.");
      }
      pos += 8 + std::uint64_t{size} + size % 2;
    }
  }

  void CheckFrames() {
    std::set<std::pair<int, int>> sizes;
    int firstW = 0;
    int firstH = 0;
    if (chunks_.frames.size() > kMaxIconFrames) {
      Add("too-many-frames", LintLevel::kError, "",
          "The file holds " + Num(chunks_.frames.size()) + " frames; at most " +
              Num(kMaxIconFrames) + " are read, and only those are checked.");
    }
    const std::size_t checked = std::min<std::size_t>(chunks_.frames.size(), kMaxIconFrames);
    for (std::size_t i = 0; i < checked; ++i) {
      const std::string where = "frame " + Num(i + 1);
      lint::IconEntry entry;
      lint::IconHeader header;
      const Bytes stream = chunks_.frames[i];
      lint::ReadIconHeader(stream, header);
      LintIconStream(stream, where, options_, out_, budget_);
      if (!header.Valid() || lint::EntriesInData(stream, header.count) == 0) continue;
      entry = lint::ReadIconEntry(stream, 0);
      const std::optional<Bytes> block = SliceOf(stream, entry.offset, entry.length);
      if (!block) continue;
      const Result<IconBlockFacts> facts = InspectIconBlock(*block);
      if (!facts.ok()) continue;
      if (sizes.empty()) {
        firstW = facts->width;
        firstH = facts->height;
      }
      if (sizes.insert({facts->width, facts->height}).second && sizes.size() > 1) {
        Add("frame-sizes-differ", LintLevel::kWarning, where,
            "The frame is " + Num(facts->width) + " x " + Num(facts->height) +
                " but the first frame is " + Num(firstW) + " x " + Num(firstH) + ".");
      }
    }
  }

  Bytes data_;
  const LintOptions& options_;
  std::vector<LintFinding>& out_;
  lint::AniChunks chunks_;
  std::uint32_t frames_ = 0;
  std::uint32_t steps_ = 0;
  std::uint32_t flags_ = 0;
  std::uint64_t budget_ = kMaxIconFilePixelBytes;
};

bool IsRiff(Bytes data) {
  return data.size() >= 12 && std::equal(data.begin(), data.begin() + 4, "RIFF");
}

}  // namespace

Result<LintReport> LintIconData(Bytes data, const LintOptions& options) {
  LintReport report;
  if (IsRiff(data)) {
    report.kind = LintedKind::kAnimatedCursor;
    AniChecker(data, options, report.findings).Run();
    return report;
  }
  if (data.size() >= 2 && data[0] == 'M' && data[1] == 'Z') {
    if (LintExecutableGroups(data, options, report)) return report;
    return Status(ErrorCode::kNoImages, "the program holds no icon or cursor groups");
  }
  lint::IconHeader header;
  if (!lint::ReadIconHeader(data, header) || !header.Valid()) {
    return Status(ErrorCode::kBadFormat, "not an icon, cursor or animated cursor");
  }
  report.kind = header.type == 2 ? LintedKind::kCursor : LintedKind::kIcon;
  std::uint64_t budget = kMaxIconFilePixelBytes;
  LintIconStream(data, "", options, report.findings, budget);
  return report;
}

}  // namespace morvane
