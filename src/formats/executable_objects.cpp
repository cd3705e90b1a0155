#include "formats/executable_objects.h"

#include <algorithm>
#include <new>
#include <utility>

#include "formats/file_io.h"
#include "formats/icon_image.h"

namespace morvane {
namespace {

bool IsFormatBits(int bits) {
  return ColorFormatFromBits(bits).has_value();
}

ObjectImageInfo InfoFromHeader(const GroupImage& image) {
  return {image.width, image.height,
          GroupImageFormat(image.entry.bitCount, image.isPng, image.bits), image.isPng};
}

ObjectImageInfo InfoFromDecode(const GroupImage& image, const DecodedIconImage& decoded) {
  return {decoded.image.GetWidth(), decoded.image.GetHeight(),
          GroupImageFormat(image.entry.bitCount, decoded.isPng, decoded.bitCount), decoded.isPng};
}

// An image whose header says it is larger than a frame can never be opened. Decoding it anyway
// only costs memory and time, and a group may name one huge image hundreds of times.
bool TooLargeForFrame(const GroupImage& image) {
  return image.width > IconDocument::kMaxFrameSide || image.height > IconDocument::kMaxFrameSide;
}

ObjectPreview Preview(const GroupImage& image, Pixel background) {
  ObjectPreview preview{InfoFromHeader(image), false, {}};
  if (TooLargeForFrame(image)) return preview;
  Result<DecodedIconImage> decoded = DecodeIconImage(image.data);
  if (decoded.ok() && FitsDocumentFrame(decoded->image)) {
    preview.info = InfoFromDecode(image, *decoded);
    preview.preview = MakeDisplayCopy(decoded->image, background);
    preview.readable = preview.preview.IsLive();
  }
  return preview;
}

void DecodeInto(const IconGroup& group, int limit, ObjectFrames& result) {
  for (const GroupImage& image : group.images) {
    if (static_cast<int>(result.frames.size()) >= limit) {
      result.cut = true;
      break;
    }
    if (TooLargeForFrame(image)) {
      ++result.skipped;
      continue;
    }
    Result<DecodedIconImage> decoded = DecodeIconImage(image.data);
    if (!decoded.ok() || !FitsDocumentFrame(decoded->image)) {
      ++result.skipped;
      continue;
    }
    if (group.kind == GroupKind::kCursor && result.frames.empty()) {
      result.hotspot = {image.hotspotX, image.hotspotY};
    }
    const ColorFormat format = InfoFromDecode(image, *decoded).format;
    result.frames.push_back({std::move(decoded->image), format});
  }
}

}  // namespace

CDib MakeDisplayCopy(const CDib& image, Pixel background) {
  CDib copy;
  if (!image.IsLive() || !copy.Create(image.GetWidth(), image.GetHeight())) return copy;
  copy.Fill(background | 0xFF000000);
  copy.BlendFrom(image, 255);
  return copy;
}

bool FitsDocumentFrame(const CDib& image) {
  return image.GetWidth() >= 1 && image.GetHeight() >= 1 &&
         image.GetWidth() <= IconDocument::kMaxFrameSide &&
         image.GetHeight() <= IconDocument::kMaxFrameSide;
}

ColorFormat GroupImageFormat(int entryBitCount, bool isPng, int imageBitCount) {
  if (IsFormatBits(entryBitCount)) return *ColorFormatFromBits(entryBitCount);
  if (isPng && entryBitCount == 0) return ColorFormat::kTrueColorAlpha;
  if (IsFormatBits(imageBitCount)) return *ColorFormatFromBits(imageBitCount);
  return ColorFormat::kTrueColorAlpha;
}

ExecutableObjects::ExecutableObjects(std::filesystem::path path, std::vector<std::uint8_t> file)
    : path_(std::move(path)),
      file_(std::make_shared<const std::vector<std::uint8_t>>(std::move(file))),
      list_(ListExecutableGroups(Bytes(*file_))) {}

Result<ExecutableObjects> ExecutableObjects::Read(const std::filesystem::path& path) {
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  try {
    return ExecutableObjects(path, std::move(*bytes));
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, path.string() + ": out of memory listing its groups");
  }
}

std::vector<ObjectInfo> ExecutableObjects::List() const {
  std::vector<ObjectInfo> objects;
  try {
    objects.reserve(list_.groups.size());
    for (const IconGroup& group : list_.groups) {
      ObjectInfo info{group.kind, group.name, {}};
      info.images.reserve(group.images.size());
      for (const GroupImage& image : group.images) info.images.push_back(InfoFromHeader(image));
      objects.push_back(std::move(info));
    }
  } catch (const std::bad_alloc&) {
    objects.clear();
  }
  return objects;
}

std::vector<ObjectPreview> ExecutableObjects::Previews(int object, Pixel background) const {
  std::vector<ObjectPreview> previews;
  if (object < 0 || object >= Count()) return previews;
  const IconGroup& group = list_.groups[static_cast<std::size_t>(object)];
  const std::size_t count = std::min<std::size_t>(group.images.size(), kMaxDecodedImages);
  try {
    previews.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      previews.push_back(Preview(group.images[i], background));
    }
  } catch (const std::bad_alloc&) {
    // The previews made so far are still worth showing.
  }
  return previews;
}

ObjectFrames ExecutableObjects::Decode(int object, int maxFrames) const {
  ObjectFrames result;
  if (object < 0 || object >= Count()) return result;
  const IconGroup& group = list_.groups[static_cast<std::size_t>(object)];
  result.kind = group.kind;
  const int limit = std::clamp(maxFrames, 0, kMaxDecodedImages);
  try {
    DecodeInto(group, limit, result);
  } catch (const std::bad_alloc&) {
    result.frames.clear();  // a group is opened whole or not at all
  }
  return result;
}

}  // namespace morvane
