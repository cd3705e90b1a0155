// Reading icon and cursor files. Every entry's offset and length are checked against the data;
// an entry that does not fit or does not decode is skipped and the others load.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

#include "formats/file_io.h"
#include "formats/ico_codec.h"

namespace morvane {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

struct DirectoryEntry {
  int width = 0;  // 0 means 256
  int height = 0;
  int planes = 0;
  int bitCount = 0;
  std::uint32_t length = 0;
  std::uint32_t offset = 0;
};

DirectoryEntry ReadEntry(Bytes data, std::size_t index) {
  ByteReader r(data, kHeaderSize + index * kEntrySize);
  DirectoryEntry e;
  e.width = r.U8();
  e.height = r.U8();
  r.Skip(2);  // colour count, reserved
  e.planes = r.U16();
  e.bitCount = r.U16();
  e.length = r.U32();
  e.offset = r.U32();
  return e;
}

bool IsFormat(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

// The format a decoded image is saved in again. An icon entry names it in its bit count. When
// that field is 0, or holds a cursor's hotspot, a bitmap's own header tells, and a PNG stream
// counts as 32. A value no format has (files in the wild say 500 or 65535) is never taken: the
// image's own bit count is.
int FrameFormat(IconFileType type, int entryBitCount, const DecodedIconImage& decoded) {
  if (type == IconFileType::kIcon && IsFormat(entryBitCount)) return entryBitCount;
  const bool fieldUnset = type == IconFileType::kCursor || entryBitCount == 0;
  if (decoded.isPng && fieldUnset) return 32;
  return IsFormat(decoded.bitCount) ? decoded.bitCount : 32;
}

// The pixel bytes an image block's header announces: the PNG header's size, or the bitmap
// header's width times half its height. 0 when the header is cut short (decoding then refuses).
std::uint64_t AnnouncedPixelBytes(Bytes block) {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  if (block.size() >= 24 && block[1] == 'P' && block[2] == 'N' && block[3] == 'G') {
    const auto bigEndian = [&](std::size_t at) {
      return std::uint64_t{block[at]} << 24 | std::uint64_t{block[at + 1]} << 16 |
             std::uint64_t{block[at + 2]} << 8 | block[at + 3];
    };
    width = bigEndian(16);
    height = bigEndian(20);
  } else if (const auto w = LoadU32(block, 4), h = LoadU32(block, 8); w && h) {
    width = static_cast<std::uint64_t>(std::abs(std::int64_t{static_cast<std::int32_t>(*w)}));
    height = static_cast<std::uint64_t>(std::abs(std::int64_t{static_cast<std::int32_t>(*h)})) / 2;
  }
  if (width > kMaxImageBytes || height > kMaxImageBytes) return UINT64_MAX;  // no overflow below
  return width * height * sizeof(Pixel);
}

void Skip(IconFileContents& contents, std::size_t index, const Status& why) {
  if (contents.skipped++ == 0) {
    contents.firstSkipReason = why.WithContext("image " + std::to_string(index + 1));
  }
}

// The budget is checked against the header before decoding and charged with what the decode
// really holds.
void ReadEntryImage(Bytes data, std::size_t index, IconFileContents& contents,
                    std::uint64_t& budget) {
  const DirectoryEntry e = ReadEntry(data, index);
  const std::optional<Bytes> block = SliceOf(data, e.offset, e.length);
  if (!block) {
    Skip(contents, index, {ErrorCode::kTruncated, "offset or length beyond the file's end"});
    return;
  }
  const Status tooLarge(ErrorCode::kTooLarge, "the images together are too large");
  if (AnnouncedPixelBytes(*block) > budget) {
    Skip(contents, index, tooLarge);
    return;
  }
  Result<DecodedIconImage> decoded = DecodeIconImage(*block);
  if (!decoded.ok()) {
    Skip(contents, index, decoded.status());
    return;
  }
  const std::uint64_t bytes = std::uint64_t{decoded->image.StoredPixelCount()} * sizeof(Pixel);
  if (bytes > budget) {
    Skip(contents, index, tooLarge);
    return;
  }
  budget -= bytes;
  IconFrame frame;
  frame.format = FrameFormat(contents.type, e.bitCount, *decoded);
  frame.image = std::move(decoded->image);
  if (contents.type == IconFileType::kCursor) {
    frame.hotspotX = e.planes;
    frame.hotspotY = e.bitCount;
  }
  contents.frames.push_back(std::move(frame));
}

Result<IconFileContents> ReadDirectoryAndImages(Bytes data, int maxFrames, std::uint64_t budget) {
  ByteReader r(data);
  const std::uint16_t reserved = r.U16();
  const std::uint16_t type = r.U16();
  const std::uint16_t count = r.U16();
  if (!r.ok()) return Status(ErrorCode::kTruncated, "Icon file: header cut short");
  if (reserved != 0 || (type != 1 && type != 2) || count == 0) {
    return Status(ErrorCode::kBadFormat, "Icon file: not an icon or cursor header");
  }
  IconFileContents contents;
  contents.type = static_cast<IconFileType>(type);
  // A count larger than the file can hold yields the entries that fit.
  const std::size_t entries =
      std::min<std::size_t>(count, (data.size() - kHeaderSize) / kEntrySize);
  if (entries > 0 && contents.type == IconFileType::kCursor) {
    const DirectoryEntry first = ReadEntry(data, 0);
    contents.hotspotX = first.planes;
    contents.hotspotY = first.bitCount;
  }
  for (std::size_t i = 0; i < entries; ++i) {
    if (static_cast<int>(contents.frames.size()) >= maxFrames) break;
    ReadEntryImage(data, i, contents, budget);
  }
  for (std::size_t i = entries; i < count; ++i) {
    Skip(contents, i, {ErrorCode::kTruncated, "directory entry beyond the file's end"});
  }
  if (contents.frames.empty()) {
    if (maxFrames <= 0) return Status(ErrorCode::kNoImages, "Icon file: no room for more images");
    const Status& why = contents.firstSkipReason;
    return Status(ErrorCode::kNoImages,
                  "Icon file: no image could be read (" + why.message() + ")");
  }
  return contents;
}

}  // namespace

Result<IconFileContents> ReadIconFile(Bytes data, int maxFrames, std::uint64_t pixelBudget) {
  try {
    return ReadDirectoryAndImages(data, maxFrames, pixelBudget);
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, "Icon file: out of memory");
  }
}

Result<IconFileContents> ReadIconFile(const std::filesystem::path& path, int maxFrames) {
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  return ReadIconFile(Bytes(*bytes), maxFrames);
}

}  // namespace morvane
