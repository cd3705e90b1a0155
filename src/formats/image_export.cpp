#include "formats/image_export.h"

#include <limits>
#include <new>

#include "formats/bmp_codec.h"
#include "formats/file_io.h"
#include "formats/gif_codec.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_file.h"
#include "formats/png_codec.h"

namespace morvane {
namespace {

bool MakeMatte(const CDib& frame, Pixel matte, CDib& out) {
  if (!frame.IsLive() || !out.Create(frame.GetWidth(), frame.GetHeight())) return false;
  out.Fill(0xFF000000 | (matte & 0x00FFFFFF));
  return true;
}

// Both images share size and stride, so the stored pixels (padding included) line up.
template <typename Visit>
void ForEachStored(const CDib& source, CDib& target, Visit visit) {
  const Pixel* s = source.Pixels();
  Pixel* t = target.Pixels();
  const std::size_t n = source.StoredPixelCount();
  for (std::size_t i = 0; i < n; ++i) visit(s[i], t[i]);
}

Status CannotFlatten(const std::filesystem::path& path) {
  return {ErrorCode::kOutOfMemory, path.string() + ": no memory to flatten the image"};
}

void PutU16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

// Directory bytes store 256 as 0.
std::uint8_t SideByte(int side) {
  return static_cast<std::uint8_t>(side >= 256 ? 0 : side);
}

// A cursor entry's size counts the 4 hotspot bytes in front of the image.
constexpr std::uint32_t kHotspotBytes = 4;

Bytes StoredImage(GroupKind kind, const GroupImage& image, bool sectorPadded) {
  if (!sectorPadded) return image.data;
  std::uint64_t size = image.entry.bytesInResource;
  if (kind == GroupKind::kCursor) size = size >= kHotspotBytes ? size - kHotspotBytes : 0;
  if (size == 0 || size >= image.data.size()) return image.data;
  return image.data.first(static_cast<std::size_t>(size));
}

void PutEntry(std::vector<std::uint8_t>& out, GroupKind kind, const GroupImage& image, Bytes data,
              std::uint32_t offset) {
  if (kind == GroupKind::kIcon) {
    const GroupEntry& e = image.entry;
    out.push_back(static_cast<std::uint8_t>(e.width & 0xFF));
    out.push_back(static_cast<std::uint8_t>(e.height & 0xFF));
    out.push_back(e.colorCount);
    out.push_back(0);
    PutU16(out, e.planes);
    PutU16(out, e.bitCount);
  } else {
    // Cursor group entries are unreliable about height; the image's own header is not.
    out.push_back(SideByte(image.width));
    out.push_back(SideByte(image.height));
    out.push_back(
        static_cast<std::uint8_t>(image.bits > 0 && image.bits < 8 ? 1 << image.bits : 0));
    out.push_back(0);
    PutU16(out, static_cast<unsigned>(image.hotspotX) & 0xFFFF);
    PutU16(out, static_cast<unsigned>(image.hotspotY) & 0xFFFF);
  }
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  PutU32(out, offset);
}

}  // namespace

bool FlattenKeepTransparency(const CDib& frame, Pixel matte, int alphaLevel, CDib& out) {
  CDib result;
  if (!MakeMatte(frame, matte, result)) return false;
  result.BlendFrom(frame, 255);
  const auto threshold = static_cast<std::uint32_t>(alphaLevel);
  ForEachStored(frame, result, [threshold](Pixel f, Pixel& r) {
    r = AlphaOf(f) < threshold ? 0 : (r | 0xFF000000);
  });
  out = std::move(result);
  return true;
}

bool FlattenOpaque(const CDib& frame, Pixel matte, int alphaLevel, CDib& out) {
  CDib copy;
  CDib result;
  if (!frame.CopyTo(copy) || !MakeMatte(frame, matte, result)) return false;
  const Pixel hidden = matte & 0x00FFFFFF;
  const auto threshold = static_cast<std::uint32_t>(alphaLevel);
  Pixel* p = copy.Pixels();
  for (std::size_t i = 0; i < copy.StoredPixelCount(); ++i) {
    if (AlphaOf(p[i]) < threshold) p[i] = hidden;
  }
  // Alpha-0 pixels leave the matte as it is, so the hidden ones show the matte colour.
  result.BlendFrom(copy, 255);
  out = std::move(result);
  return true;
}

Status ExportPicture(const std::filesystem::path& path, const CDib& frame, int format,
                     const PictureExportOptions& options) {
  if (!frame.IsLive()) return {ErrorCode::kNoImages, path.string() + ": no image to write"};
  const std::string ext = LowerExtension(path);
  const int depth = options.depth > 0 ? options.depth : format;
  const bool full = depth >= 32;
  CDib flat;
  try {
    if (ext == ".gif" || (ext == ".png" && !full)) {
      if (!FlattenKeepTransparency(frame, options.matte, options.alphaLevel, flat)) {
        return CannotFlatten(path);
      }
    } else if (ext == ".jpg" || (ext == ".bmp" && !full)) {
      if (!FlattenOpaque(frame, options.matte, options.alphaLevel, flat)) {
        return CannotFlatten(path);
      }
    }
  } catch (const std::bad_alloc&) {
    return CannotFlatten(path);
  }
  const CDib& image = flat.IsLive() ? flat : frame;
  PictureSaveOptions save;
  save.depth = depth;
  save.jpegColor = options.jpegColor;
  save.jpegQuality = options.jpegQuality;
  return SavePictureFile(path, image, save);
}

Status WriteStoredGroup(const IconGroup& group, std::vector<std::uint8_t>& out, bool sectorPadded) {
  const std::size_t count = group.images.size();
  if (count == 0) return {ErrorCode::kNoImages, "the group holds no images"};
  if (count > std::numeric_limits<std::uint16_t>::max()) {
    return {ErrorCode::kTooLarge, "the group holds more images than an icon file can count"};
  }
  std::vector<Bytes> blocks;
  std::uint64_t total = 6 + 16 * static_cast<std::uint64_t>(count);
  const std::size_t start = out.size();
  try {
    blocks.reserve(count);
    for (const GroupImage& image : group.images) {
      blocks.push_back(StoredImage(group.kind, image, sectorPadded));
      total += blocks.back().size();
    }
    if (total > std::numeric_limits<std::uint32_t>::max()) {
      return {ErrorCode::kTooLarge, "the group is larger than an icon file can address"};
    }
    out.reserve(start + static_cast<std::size_t>(total));
    PutU16(out, 0);
    PutU16(out, group.kind == GroupKind::kIcon ? 1 : 2);
    PutU16(out, static_cast<unsigned>(count));
    auto offset = static_cast<std::uint32_t>(6 + 16 * count);
    for (std::size_t i = 0; i < count; ++i) {
      PutEntry(out, group.kind, group.images[i], blocks[i], offset);
      offset += static_cast<std::uint32_t>(blocks[i].size());
    }
    for (const Bytes block : blocks) out.insert(out.end(), block.begin(), block.end());
  } catch (const std::bad_alloc&) {
    out.resize(start);
    return {ErrorCode::kOutOfMemory, "no memory to assemble the group"};
  }
  return Status::Ok();
}

Status WriteStoredGroupFile(const std::filesystem::path& path, const IconGroup& group,
                            bool sectorPadded) {
  std::vector<std::uint8_t> bytes;
  Status st = WriteStoredGroup(group, bytes, sectorPadded);
  if (!st.ok()) return st.WithContext(path.string());
  return WriteFileAtomic(path, bytes);
}

}  // namespace morvane
