// What the icon checks and the icon repair share: the directory entries of an icon or cursor
// stream read field by field, and how findings name their place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "formats/byte_reader.h"

namespace morvane::lint {

inline constexpr std::size_t kIconHeaderSize = 6;
inline constexpr std::size_t kIconEntrySize = 16;

struct IconHeader {
  std::uint16_t reserved = 0;
  std::uint16_t type = 0;
  std::uint16_t count = 0;
  bool Valid() const { return reserved == 0 && (type == 1 || type == 2); }
};

struct IconEntry {
  int width = 0;  // as stored: 0 means 256
  int height = 0;
  int colorCount = 0;
  int planes = 0;    // a cursor's hotspot x
  int bitCount = 0;  // a cursor's hotspot y
  std::uint32_t length = 0;
  std::uint32_t offset = 0;
  int Width() const { return width == 0 ? 256 : width; }
  int Height() const { return height == 0 ? 256 : height; }
};

// Nothing when the data is shorter than the header.
inline bool ReadIconHeader(Bytes data, IconHeader& header) {
  ByteReader r(data);
  header.reserved = r.U16();
  header.type = r.U16();
  header.count = r.U16();
  return r.ok();
}

// The entries that fit in the data.
inline std::size_t EntriesInData(Bytes data, std::size_t count) {
  if (data.size() < kIconHeaderSize) return 0;
  return std::min<std::size_t>(count, (data.size() - kIconHeaderSize) / kIconEntrySize);
}

// Only for an index below EntriesInData.
inline IconEntry ReadIconEntry(Bytes data, std::size_t index) {
  ByteReader r(data, kIconHeaderSize + index * kIconEntrySize);
  IconEntry e;
  e.width = r.U8();
  e.height = r.U8();
  e.colorCount = r.U8();
  r.Skip(1);
  e.planes = r.U16();
  e.bitCount = r.U16();
  e.length = r.U32();
  e.offset = r.U32();
  return e;
}

// "frame 2, image 3", "image 3", or with nothing at all "file".
inline std::string Place(std::string_view prefix, std::string_view item) {
  if (prefix.empty()) return item.empty() ? std::string("file") : std::string(item);
  if (item.empty()) return std::string(prefix);
  return std::string(prefix) + ", " + std::string(item);
}

// The chunks of an animated cursor as a strict RIFF walk finds them (the first of each kind).
struct AniChunks {
  std::uint32_t riffSize = 0;
  std::optional<Bytes> info;    // the whole INFO list, tag and size included
  std::optional<Bytes> header;  // the "anih" body
  std::optional<Bytes> rates;
  std::optional<Bytes> sequence;
  bool haveFrameList = false;
  std::vector<Bytes> frames;           // the "icon" chunk bodies
  std::vector<std::string> truncated;  // tags of chunks cut short by the end of the data
  // The INFO list's size as stored when it reaches past its last entry into the next chunk
  // (the list above then ends at that chunk).
  std::optional<std::uint32_t> overstatedInfoSize;
  std::uint64_t end = 0;  // where the walk stopped
};

// Needs "RIFF" at the start (the caller checks). Frames beyond 65535 are not listed.
AniChunks WalkAniChunks(Bytes data);

inline std::uint32_t TableEntry(Bytes table, std::size_t index) {
  return *LoadU32(table, std::uint64_t{index} * 4);
}

}  // namespace morvane::lint
