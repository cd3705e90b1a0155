// Reading animated cursors. One forward walk over the RIFF chunks notes where the header, the
// rates, the sequence, the texts and the frame streams are, in whatever order they stand; the
// frames are decoded afterwards. Every size is cut to the data, every count to kMaxIconFrames.
#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "formats/ani_codec.h"

#include "formats/ansi_text.h"
#include "formats/file_io.h"

namespace morvane {
namespace {

constexpr std::size_t kRiffHeaderSize = 12;  // "RIFF", size, form type
constexpr std::size_t kChunkHeaderSize = 8;  // tag, size
constexpr std::uint32_t kAnihSize = 36;
// All frames and steps together hold at most what one icon file may.
constexpr std::uint64_t kMaxPixelBytes = kMaxIconFilePixelBytes;

struct Chunk {
  std::size_t at = 0;      // offset of the tag
  std::uint32_t size = 0;  // as the file says
  std::size_t body = 0;
  std::size_t bodyEnd = 0;  // body + size, cut to the data
  Bytes Body(Bytes data) const { return data.subspan(body, bodyEnd - body); }
};

bool TagAt(Bytes data, std::uint64_t at, std::string_view tag) {
  const std::optional<Bytes> bytes = SliceOf(data, at, 4);
  return bytes && std::equal(tag.begin(), tag.end(), bytes->begin(), [](char t, std::uint8_t b) {
           return static_cast<std::uint8_t>(t) == b;
         });
}

bool IsTopLevelTag(Bytes data, std::uint64_t at) {
  return TagAt(data, at, "anih") || TagAt(data, at, "rate") || TagAt(data, at, "seq ") ||
         TagAt(data, at, "LIST");
}

bool IsKnownTag(Bytes data, std::uint64_t at) {
  return IsTopLevelTag(data, at) || TagAt(data, at, "icon") || TagAt(data, at, "INAM") ||
         TagAt(data, at, "IART");
}

// Four printable ASCII characters, as every chunk tag is.
bool IsPlausibleTag(Bytes data, std::uint64_t at) {
  const std::optional<Bytes> bytes = SliceOf(data, at, 4);
  return bytes && std::all_of(bytes->begin(), bytes->end(),
                              [](std::uint8_t b) { return b >= 0x20 && b < 0x7F; });
}

std::optional<Chunk> ChunkAt(Bytes data, std::uint64_t at) {
  if (!RangeFits(data.size(), at, kChunkHeaderSize)) return std::nullopt;
  Chunk c;
  c.at = static_cast<std::size_t>(at);
  c.size = *LoadU32(data, at + 4);
  c.body = c.at + kChunkHeaderSize;
  c.bodyEnd = static_cast<std::size_t>(
      std::min<std::uint64_t>(std::uint64_t{c.body} + c.size, data.size()));
  return c;
}

// Where the chunk after c starts. RIFF pads an odd-length chunk with one zero byte, but some
// writers leave it out; the byte after the data tells which: a pad byte is 0, a tag is not.
std::uint64_t NextChunk(Bytes data, const Chunk& c) {
  const std::uint64_t unpadded = std::uint64_t{c.body} + c.size;
  if (c.size % 2 == 0) return unpadded;
  const std::uint64_t padded = unpadded + 1;
  if (unpadded >= data.size() || data[unpadded] == 0) return padded;
  if (IsKnownTag(data, unpadded)) return unpadded;
  if (IsKnownTag(data, padded)) return padded;
  return IsPlausibleTag(data, unpadded) ? unpadded : padded;
}

struct AniHeader {
  std::uint32_t frames = 0;
  std::uint32_t steps = 0;
  std::uint32_t defaultRate = 0;
};

// Where the walk found each part; the first of each kind counts.
struct AniLayout {
  std::optional<AniHeader> header;
  std::optional<Bytes> rates;
  std::optional<Bytes> sequence;
  bool haveFrameList = false;
  std::vector<Bytes> streams;  // the "icon" chunks, at most kMaxIconFrames
  bool haveInfo = false;
  std::string title;
  std::string author;
};

std::string InfoText(Bytes body) {
  const auto zero = std::find(body.begin(), body.end(), std::uint8_t{0});
  const auto length =
      std::min<std::size_t>(static_cast<std::size_t>(zero - body.begin()), kAniMaxTextLength);
  return Cp1252ToUtf8(body.first(length));
}

// Reads the INFO entries and returns where the top-level walk goes on. Files in the wild
// overstate the list's size, so a top-level tag met inside the list ends it there.
std::uint64_t ReadInfoList(Bytes data, const Chunk& list, AniLayout& layout) {
  bool haveTitle = false;
  bool haveAuthor = false;
  std::uint64_t pos = list.body + 4;
  while (pos < list.bodyEnd) {
    if (IsTopLevelTag(data, pos)) return pos;
    const std::optional<Chunk> entry = ChunkAt(data, pos);
    if (!entry) break;
    if (!haveTitle && TagAt(data, pos, "INAM")) {
      layout.title = InfoText(entry->Body(data));
      haveTitle = true;
    } else if (!haveAuthor && TagAt(data, pos, "IART")) {
      layout.author = InfoText(entry->Body(data));
      haveAuthor = true;
    }
    pos = NextChunk(data, *entry);
  }
  return NextChunk(data, list);
}

// Notes the "icon" chunks of the frame list and returns where the top-level walk goes on. A
// list whose size is understated is followed while "icon" chunks go on past its end.
std::uint64_t ReadFrameList(Bytes data, const Chunk& list, AniLayout& layout) {
  const std::uint64_t listEnd = NextChunk(data, list);
  std::uint64_t pos = list.body + 4;
  while (layout.streams.size() < kMaxIconFrames) {
    const std::optional<Chunk> c = ChunkAt(data, pos);
    const bool isIcon = TagAt(data, pos, "icon");
    if (!c || (pos >= list.bodyEnd && !isIcon)) break;
    if (isIcon) layout.streams.push_back(c->Body(data));
    pos = NextChunk(data, *c);
  }
  return std::max(pos, listEnd);
}

std::optional<AniHeader> ReadHeader(Bytes data, const Chunk& c) {
  if (c.size < kAnihSize || c.bodyEnd - c.body < kAnihSize) return std::nullopt;
  AniHeader h;
  h.frames = *LoadU32(data, c.body + 4);
  h.steps = *LoadU32(data, c.body + 8);
  h.defaultRate = *LoadU32(data, c.body + 28);
  return h;
}

// Returns where the walk goes on after a list.
std::uint64_t ReadList(Bytes data, const Chunk& c, AniLayout& layout) {
  if (TagAt(data, c.body, "fram") && c.bodyEnd - c.body >= 4 && !layout.haveFrameList) {
    layout.haveFrameList = true;
    return ReadFrameList(data, c, layout);
  }
  if (TagAt(data, c.body, "INFO") && c.bodyEnd - c.body >= 4 && !layout.haveInfo) {
    layout.haveInfo = true;
    return ReadInfoList(data, c, layout);
  }
  return NextChunk(data, c);
}

AniLayout WalkChunks(Bytes data) {
  AniLayout layout;
  std::uint64_t pos = kRiffHeaderSize;
  while (const std::optional<Chunk> c = ChunkAt(data, pos)) {
    std::uint64_t next = NextChunk(data, *c);
    if (TagAt(data, pos, "anih")) {
      if (!layout.header) layout.header = ReadHeader(data, *c);
    } else if (TagAt(data, pos, "rate")) {
      if (!layout.rates) layout.rates = c->Body(data);
    } else if (TagAt(data, pos, "seq ")) {
      if (!layout.sequence) layout.sequence = c->Body(data);
    } else if (TagAt(data, pos, "LIST")) {
      next = ReadList(data, *c, layout);
    }
    pos = next;
  }
  return layout;
}

std::uint32_t U32At(Bytes table, std::size_t index) {
  return *LoadU32(table, std::uint64_t{index} * 4);
}

std::size_t EntriesIn(const std::optional<Bytes>& table) {
  return table ? std::min<std::size_t>(table->size() / 4, kMaxIconFrames) : 0;
}

// The first stream's hotspot, when it is a cursor stream (its entry's planes and bit count).
void ReadHotspot(const AniLayout& layout, AniContents& contents) {
  if (layout.streams.empty()) return;
  const Bytes first = layout.streams.front();
  const std::optional<std::uint16_t> type = LoadU16(first, 2);
  const std::optional<std::uint16_t> x = LoadU16(first, 10);
  const std::optional<std::uint16_t> y = LoadU16(first, 12);
  if (type == 2 && x && y) {
    contents.hotspotX = *x;
    contents.hotspotY = *y;
  }
}

class FrameBuilder {
 public:
  FrameBuilder(const AniLayout& layout, AniContents& contents)
      : layout_(layout), contents_(contents) {}

  int RateOf(std::size_t index) const {
    const std::size_t n = EntriesIn(layout_.rates);
    return static_cast<int>(index < n ? U32At(*layout_.rates, index) : layout_.header->defaultRate);
  }

  // Decodes stored frames 0..count-1 into the stored list (nothing for a frame that fails).
  void DecodeStored(std::size_t count, std::size_t stopAfter) {
    std::size_t decoded = 0;
    for (std::size_t i = 0; i < count && decoded < stopAfter; ++i) {
      // Frames announcing more than is left are refused before decoding: a file of many large
      // frames would otherwise decode every one of them only to drop it.
      Result<IconFileContents> stream = ReadIconFile(layout_.streams[i], 1, kMaxPixelBytes - used_);
      if (!stream.ok()) {
        Skip(i, stream.status());
        stored_.emplace_back();
        continue;
      }
      IconFrame& f = stream->frames.front();
      if (!Afford(f.image)) {
        Skip(i, {ErrorCode::kTooLarge, "the frames together are too large"});
        stored_.emplace_back();
        continue;
      }
      stored_.push_back(AniFrame{std::move(f.image), f.format, 0});
      ++decoded;
    }
  }

  void DeliverStored(std::size_t capacity) {
    for (std::size_t i = 0; i < stored_.size() && contents_.frames.size() < capacity; ++i) {
      if (!stored_[i].image.IsLive()) continue;
      stored_[i].rate = RateOf(i);
      contents_.frames.push_back(std::move(stored_[i]));
    }
  }

  // Each step copies the stored frame it names; a step naming a frame that is missing or did
  // not decode is dropped.
  void DeliverSequence(std::size_t steps, std::size_t capacity) {
    const Bytes seq = *layout_.sequence;
    for (std::size_t j = 0; j < steps && contents_.frames.size() < capacity; ++j) {
      const std::uint32_t index = U32At(seq, j);
      if (index >= stored_.size() || !stored_[index].image.IsLive()) continue;
      if (!Afford(stored_[index].image)) break;
      AniFrame step;
      if (!stored_[index].image.CopyTo(step.image, CDib::CopyMode::kRecreate)) {
        throw std::bad_alloc();
      }
      step.format = stored_[index].format;
      step.rate = RateOf(j);
      contents_.frames.push_back(std::move(step));
    }
  }

 private:
  // All frames together may not hold more than kMaxPixelBytes.
  bool Afford(const CDib& image) {
    const std::uint64_t bytes = std::uint64_t{image.StoredPixelCount()} * sizeof(Pixel);
    if (bytes > kMaxPixelBytes - used_) return false;
    used_ += bytes;
    return true;
  }

  void Skip(std::size_t index, const Status& why) {
    if (contents_.skipped++ == 0) {
      contents_.firstSkipReason = why.WithContext("frame " + std::to_string(index + 1));
    }
  }

  const AniLayout& layout_;
  AniContents& contents_;
  std::vector<AniFrame> stored_;
  std::uint64_t used_ = 0;
};

Result<AniContents> Load(Bytes data, int maxFrames, int capacity) {
  if (!TagAt(data, 0, "RIFF")) {
    return Status(ErrorCode::kBadFormat, "Animated cursor: not a RIFF file");
  }
  const AniLayout layout = WalkChunks(data);
  if (!layout.header) {
    return Status(ErrorCode::kBadFormat, "Animated cursor: no animation header");
  }
  if (layout.header->frames == 0) {
    return Status(ErrorCode::kNoImages, "Animated cursor: the header announces no frames");
  }
  AniContents contents;
  contents.title = layout.title;
  contents.author = layout.author;
  ReadHotspot(layout, contents);

  std::size_t frames = std::min<std::size_t>(layout.header->frames, layout.streams.size());
  if (maxFrames > 0) frames = std::min<std::size_t>(frames, static_cast<std::size_t>(maxFrames));
  const std::size_t room = static_cast<std::size_t>(std::clamp(capacity, 0, kMaxIconFrames));
  const std::size_t steps = std::min<std::size_t>(layout.header->steps, EntriesIn(layout.sequence));
  const bool sequenced = maxFrames <= 0 && layout.sequence && steps > 0;

  FrameBuilder builder(layout, contents);
  builder.DecodeStored(frames, sequenced ? frames : room);
  if (sequenced) builder.DeliverSequence(steps, room);
  contents.sequenced = sequenced && !contents.frames.empty();
  // A sequence none of whose steps names a frame is junk; the stored frames still show.
  if (!contents.sequenced) builder.DeliverStored(room);

  if (contents.frames.empty()) {
    std::string why = contents.skipped > 0 ? " (" + contents.firstSkipReason.message() + ")" : "";
    return Status(ErrorCode::kNoImages, "Animated cursor: no frame could be read" + why);
  }
  return contents;
}

}  // namespace

Result<AniContents> LoadAniFile(Bytes data, int maxFrames, int capacity) {
  try {
    return Load(data, maxFrames, capacity);
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, "Animated cursor: out of memory");
  }
}

Result<AniContents> LoadAniFile(const std::filesystem::path& path, int maxFrames, int capacity) {
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  return LoadAniFile(Bytes(*bytes), maxFrames, capacity);
}

}  // namespace morvane
