// The mechanical repairs behind "lint --fix": every readable image block is kept as it is, or
// re-encoded where its form is the fault, and the directory, header and counts around the blocks
// are written anew from what the blocks really are.
#include <algorithm>
#include <new>
#include <string>

#include "formats/ico_codec.h"
#include "formats/icon_lint.h"
#include "formats/icon_lint_parts.h"
#include "image/byte_sink.h"

namespace morvane {
namespace {

using lint::IconEntry;

std::string Num(std::uint64_t v) {
  return std::to_string(v);
}

struct FixedImage {
  std::vector<std::uint8_t> block;
  int width = 0;
  int height = 0;
  int bits = 0;
  int planes = 1;    // a cursor's hotspot x
  int bitField = 0;  // a cursor's hotspot y; an icon's bit count
};

class IconStreamFixer {
 public:
  IconStreamFixer(Bytes data, std::string prefix, const IconWriteOptions& options,
                  LintFixResult& result, std::uint64_t& budget)
      : data_(data),
        prefix_(std::move(prefix)),
        options_(options),
        result_(result),
        budget_(budget) {}

  // The repaired stream, or nothing when no image in it is readable.
  std::optional<std::vector<std::uint8_t>> Run() {
    lint::IconHeader header;
    if (!lint::ReadIconHeader(data_, header) || !header.Valid()) return std::nullopt;
    cursor_ = header.type == 2;
    const std::size_t entries = lint::EntriesInData(data_, header.count);
    for (std::size_t i = 0; i < entries; ++i) FixEntry(i, lint::ReadIconEntry(data_, i));
    result_.dropped += static_cast<int>(header.count - entries);
    if (images_.empty()) return std::nullopt;
    return Write(header.type);
  }

 private:
  void Note(std::size_t i, const std::string& what) {
    result_.changes.push_back(prefix_ + "image " + Num(i + 1) + ": " + what);
  }

  void Drop(std::size_t i, const std::string& why) {
    ++result_.dropped;
    Note(i, "left out (" + why + ")");
  }

  void FixEntry(std::size_t i, const IconEntry& e) {
    std::optional<Bytes> block = SliceOf(data_, e.offset, e.length);
    if (!block)
      block =
          SliceOf(data_, e.offset, data_.size() - std::min<std::size_t>(e.offset, data_.size()));
    if (!block || block->empty()) return Drop(i, "beyond the end of the data");
    const Result<IconBlockFacts> facts = InspectIconBlock(*block);
    if (!facts.ok()) return Drop(i, facts.status().message());
    if (facts->width > 256 || facts->height > 256) return Drop(i, "larger than an icon holds");
    // A byte count smaller than the image while the file holds the rest: the count is wrong.
    if (facts->needed > block->size()) {
      if (const auto whole = SliceOf(data_, e.offset, facts->needed)) block = whole;
    }
    const std::uint64_t bytes = std::uint64_t(facts->width) * std::uint64_t(facts->height) * 4;
    if (bytes > budget_) return Drop(i, "the images together are too large");
    Result<DecodedIconImage> decoded = DecodeIconImage(*block);
    if (!decoded.ok()) return Drop(i, decoded.status().message());
    budget_ -= bytes;

    FixedImage out;
    out.width = facts->width;
    out.height = facts->height;
    if (!Reencode(i, *facts, *decoded, block->size(), out)) {
      out.bits = facts->bitCount;
      out.block.assign(block->begin(),
                       block->begin() + static_cast<std::ptrdiff_t>(
                                            std::min<std::uint64_t>(facts->needed, block->size())));
    }
    out.planes = cursor_ ? e.planes : 1;
    out.bitField = cursor_ ? e.bitCount : out.bits;
    NoteFieldChanges(i, e, out);
    images_.push_back(std::move(out));
  }

  // Re-encodes where the block's form is the fault; false keeps the block's bytes.
  bool Reencode(std::size_t i, const IconBlockFacts& f, const DecodedIconImage& d,
                std::size_t blockSize, FixedImage& out) {
    const bool large = f.width == 256 && f.height == 256;
    std::string why;
    if (large && !f.png && f.bitCount >= 8) {
      why = "stored as an 8-bit RGBA PNG stream instead of a bitmap";
    } else if (f.png && (f.pngBitDepth != 8 || f.pngColorType != 6)) {
      why = "PNG stream re-encoded as 8-bit RGBA";
    } else if (f.alphaAllZero) {
      why = "alpha channel made from the AND mask";
    } else if (f.needed > blockSize) {
      why = f.png ? "PNG stream re-encoded whole" : "re-encoded with the AND mask it lacked";
    } else {
      return false;
    }
    const Result<std::size_t> written = f.png || large
                                            ? WriteImagePng(d.image, 32, &out.block, options_)
                                            : WriteImage32(d.image, out.block, options_);
    if (!written.ok()) return false;
    out.bits = 32;
    Note(i, why);
    return true;
  }

  void NoteFieldChanges(std::size_t i, const IconEntry& e, const FixedImage& out) {
    if (e.Width() != out.width || e.Height() != out.height) {
      Note(i, "directory size set to " + Num(out.width) + " x " + Num(out.height));
    }
    if (!cursor_ && (e.bitCount != out.bits || e.planes != 1)) {
      Note(i, "directory planes and bit count set to 1 and " + Num(out.bits));
    }
    if (e.length != out.block.size()) {
      Note(i, "byte count set to " + Num(out.block.size()));
    }
  }

  std::vector<std::uint8_t> Write(std::uint16_t type) const {
    std::vector<std::uint8_t> out;
    ByteSink sink(out);
    sink.U16(0);
    sink.U16(type);
    sink.U16(static_cast<std::uint16_t>(images_.size()));
    std::uint64_t offset = lint::kIconHeaderSize + images_.size() * lint::kIconEntrySize;
    for (const FixedImage& im : images_) {
      sink.U8(static_cast<std::uint8_t>(im.width % 256));
      sink.U8(static_cast<std::uint8_t>(im.height % 256));
      sink.U8(static_cast<std::uint8_t>(im.bits == 1 ? 2 : im.bits == 4 ? 16 : 0));
      sink.U8(0);
      sink.U16(static_cast<std::uint16_t>(im.planes));
      sink.U16(static_cast<std::uint16_t>(im.bitField));
      sink.U32(static_cast<std::uint32_t>(im.block.size()));
      sink.U32(static_cast<std::uint32_t>(offset));
      offset += im.block.size();
    }
    for (const FixedImage& im : images_) sink.Bytes(im.block);
    return out;
  }

  Bytes data_;
  std::string prefix_;
  const IconWriteOptions& options_;
  LintFixResult& result_;
  std::uint64_t& budget_;
  bool cursor_ = false;
  std::vector<FixedImage> images_;
};

void Chunk(ByteSink& sink, std::string_view tag, Bytes body) {
  sink.Tag(tag);
  sink.U32(static_cast<std::uint32_t>(body.size()));
  sink.Bytes(body);
  if (body.size() % 2 != 0) sink.U8(0);
}

std::vector<std::uint8_t> Table(const std::vector<std::uint32_t>& values) {
  std::vector<std::uint8_t> out;
  ByteSink sink(out);
  for (const std::uint32_t v : values) sink.U32(v);
  return out;
}

class AniFixer {
 public:
  AniFixer(Bytes data, const IconWriteOptions& options, LintFixResult& result)
      : data_(data), options_(options), result_(result), chunks_(lint::WalkAniChunks(data)) {}

  Status Run() {
    if (!chunks_.header || chunks_.header->size() < 36) {
      return {ErrorCode::kBadFormat, "Animated cursor: no complete header to repair"};
    }
    FixFrames();
    if (frames_.empty()) return {ErrorCode::kNoImages, "Animated cursor: no frame is readable"};
    MakeSteps();
    Write();
    return Status::Ok();
  }

 private:
  void FixFrames() {
    const std::size_t count = std::min<std::size_t>(chunks_.frames.size(), kMaxIconFrames);
    newIndex_.assign(chunks_.frames.size(), -1);
    for (std::size_t i = 0; i < count; ++i) {
      IconStreamFixer fixer(chunks_.frames[i], "frame " + Num(i + 1) + ", ", options_, result_,
                            budget_);
      std::optional<std::vector<std::uint8_t>> stream = fixer.Run();
      if (!stream) {
        ++result_.dropped;
        result_.changes.push_back("frame " + Num(i + 1) + ": left out (not readable)");
        continue;
      }
      newIndex_[i] = static_cast<int>(frames_.size());
      frames_.push_back(std::move(*stream));
    }
    if (chunks_.frames.size() > count) {
      result_.dropped += static_cast<int>(chunks_.frames.size() - count);
      result_.changes.push_back("frames beyond " + Num(kMaxIconFrames) + " left out");
    }
  }

  // The steps as stored: the sequence's, or one per stored frame; each keeps its rate. Steps
  // naming a frame that is gone go, with their rates.
  void MakeSteps() {
    const Bytes header = *chunks_.header;
    const std::uint32_t defaultRate = *LoadU32(header, 28);
    const std::size_t rateCount = chunks_.rates ? chunks_.rates->size() / 4 : 0;
    const bool sequenced = chunks_.sequence.has_value();
    const std::size_t steps = sequenced ? chunks_.sequence->size() / 4 : chunks_.frames.size();
    for (std::size_t j = 0; j < steps; ++j) {
      const std::uint32_t stored =
          sequenced ? lint::TableEntry(*chunks_.sequence, j) : static_cast<std::uint32_t>(j);
      const std::uint32_t rate =
          j < rateCount ? lint::TableEntry(*chunks_.rates, j) : (defaultRate ? defaultRate : 10);
      if (stored >= newIndex_.size() || newIndex_[stored] < 0) {
        if (sequenced) result_.changes.push_back("step " + Num(j + 1) + ": left out (no frame)");
        continue;
      }
      sequence_.push_back(static_cast<std::uint32_t>(newIndex_[stored]));
      rates_.push_back(rate);
    }
    if (chunks_.rates && rateCount != steps) {
      result_.changes.push_back("rates made one per step");
    }
  }

  void Write() {
    std::vector<std::uint8_t>& out = result_.data;
    ByteSink sink(out);
    sink.Tag("RIFF");
    sink.U32(0);
    sink.Tag("ACON");
    if (chunks_.info) {
      const std::size_t at = sink.Position();
      sink.Bytes(*chunks_.info);
      sink.PatchU32(at + 4, static_cast<std::uint32_t>(chunks_.info->size() - 8));
      if (chunks_.info->size() % 2 != 0) sink.U8(0);
      if (chunks_.overstatedInfoSize) result_.changes.push_back("INFO list size corrected");
    }
    std::vector<std::uint8_t> header(chunks_.header->begin(), chunks_.header->begin() + 36);
    const bool sequenced = chunks_.sequence.has_value();
    ByteSink h(header);
    h.PatchU32(0, 36);
    h.PatchU32(4, static_cast<std::uint32_t>(frames_.size()));
    h.PatchU32(8, static_cast<std::uint32_t>(sequenced ? sequence_.size() : frames_.size()));
    const std::uint32_t flags = *LoadU32(*chunks_.header, 32);
    h.PatchU32(32, (flags & ~3u) | 1u | (sequenced ? 2u : 0u));
    if (header !=
        std::vector<std::uint8_t>(chunks_.header->begin(), chunks_.header->begin() + 36)) {
      result_.changes.push_back("header counts and flags made to agree with the frames");
    }
    Chunk(sink, "anih", header);
    if (chunks_.rates) Chunk(sink, "rate", Table(rates_));
    if (sequenced) Chunk(sink, "seq ", Table(sequence_));
    const std::size_t list = sink.Position();
    sink.Tag("LIST");
    sink.U32(0);
    sink.Tag("fram");
    for (const std::vector<std::uint8_t>& f : frames_) Chunk(sink, "icon", f);
    sink.PatchU32(list + 4, static_cast<std::uint32_t>(sink.Position() - list - 8));
    sink.PatchU32(4, static_cast<std::uint32_t>(out.size() - 8));
    if (std::uint64_t{chunks_.riffSize} + 8 != data_.size()) {
      result_.changes.push_back("RIFF size set to the file's length");
    }
  }

  Bytes data_;
  const IconWriteOptions& options_;
  LintFixResult& result_;
  lint::AniChunks chunks_;
  std::uint64_t budget_ = kMaxIconFilePixelBytes;
  std::vector<std::vector<std::uint8_t>> frames_;
  std::vector<int> newIndex_;
  std::vector<std::uint32_t> sequence_;
  std::vector<std::uint32_t> rates_;
};

Result<LintFixResult> Fix(Bytes data, const IconWriteOptions& options) {
  LintFixResult result;
  if (data.size() >= 12 && std::equal(data.begin(), data.begin() + 4, "RIFF")) {
    const Status s = AniFixer(data, options, result).Run();
    if (!s.ok()) return s;
    return result;
  }
  lint::IconHeader header;
  if (!lint::ReadIconHeader(data, header) || !header.Valid()) {
    return Status(ErrorCode::kBadFormat, "not an icon, cursor or animated cursor");
  }
  std::uint64_t budget = kMaxIconFilePixelBytes;
  std::optional<std::vector<std::uint8_t>> fixed =
      IconStreamFixer(data, "", options, result, budget).Run();
  if (!fixed) return Status(ErrorCode::kNoImages, "Icon file: no image is readable");
  result.data = std::move(*fixed);
  return result;
}

}  // namespace

Result<LintFixResult> FixIconData(Bytes data, const IconWriteOptions& options) {
  try {
    return Fix(data, options);
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, "out of memory");
  }
}

}  // namespace morvane
