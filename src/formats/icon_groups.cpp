#include "formats/icon_groups.h"

#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <utility>

namespace morvane {
namespace {

constexpr std::uint64_t kGroupHeaderSize = 6;
constexpr std::uint64_t kGroupEntrySize = 14;
constexpr std::uint64_t kHotspotSize = 4;
constexpr int kMaxHeaderDimension = 0xFFFF;

// A group as its container hands it over: its name and its bytes, if they lie in the file.
struct GroupSource {
  ResourceName name;
  std::optional<Bytes> data;
};

// Icon or cursor resources by number; the first of equal numbers wins, as in a lookup.
using ImageIndex = std::unordered_map<std::uint16_t, std::optional<Bytes>>;

struct ImageHeader {
  int width = 0;
  int height = 0;
  int bits = 0;
  bool png = false;
};

std::uint32_t LoadU32Be(Bytes d, std::size_t at) {
  return static_cast<std::uint32_t>(d[at]) << 24 | static_cast<std::uint32_t>(d[at + 1]) << 16 |
         static_cast<std::uint32_t>(d[at + 2]) << 8 | d[at + 3];
}

// The colour format a PNG image of this depth and colour type becomes.
int PngBits(std::uint8_t depth, std::uint8_t colorType) {
  switch (colorType) {
    case 0:  // grey
    case 3:  // palette
      return depth <= 1 ? 1 : depth <= 4 ? 4 : 8;
    case 2:
      return 24;
    default:  // grey or colour with alpha
      return 32;
  }
}

std::optional<ImageHeader> PeekPngHeader(Bytes data) {
  // Signature (8), IHDR length (4) and type (4), width, height, depth, colour type.
  if (data.size() < 26 || data[12] != 'I' || data[13] != 'H' || data[14] != 'D' ||
      data[15] != 'R') {
    return std::nullopt;
  }
  const std::uint32_t width = LoadU32Be(data, 16);
  const std::uint32_t height = LoadU32Be(data, 20);
  if (width == 0 || height == 0 || width > kMaxHeaderDimension || height > kMaxHeaderDimension) {
    return std::nullopt;
  }
  return ImageHeader{static_cast<int>(width), static_cast<int>(height), PngBits(data[24], data[25]),
                     true};
}

// Reads what the image's own header says, the way the icon image decoder will read it.
std::optional<ImageHeader> PeekImageHeader(Bytes data) {
  if (data.size() >= 4 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
    return PeekPngHeader(data);
  }
  const auto width = LoadU32(data, 4);
  const auto height = LoadU32(data, 8);
  const auto bits = LoadU16(data, 14);
  if (!width || !height || !bits) return std::nullopt;
  const std::int64_t w = static_cast<std::int32_t>(*width);
  const std::int64_t h =
      std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(*height)) / 2);
  if (w <= 0 || h == 0 || w > kMaxHeaderDimension || h > kMaxHeaderDimension || *bits == 0) {
    return std::nullopt;
  }
  return ImageHeader{static_cast<int>(w), static_cast<int>(h), *bits, false};
}

GroupEntry ReadEntry(Bytes group, std::uint64_t at, GroupKind kind) {
  // The caller checked that the whole entry table lies inside the group's data.
  GroupEntry e;
  if (kind == GroupKind::kIcon) {
    e.width = group[at];
    e.height = group[at + 1];
    e.colorCount = group[at + 2];
  } else {
    e.width = *LoadU16(group, at);
    e.height = *LoadU16(group, at + 2);
  }
  e.planes = *LoadU16(group, at + 4);
  e.bitCount = *LoadU16(group, at + 6);
  e.bytesInResource = *LoadU32(group, at + 8);
  e.resourceId = *LoadU16(group, at + 12);
  return e;
}

int ResolveBits(GroupKind kind, const GroupEntry& e, const std::optional<ImageHeader>& header) {
  if (kind == GroupKind::kIcon && e.bitCount != 0) return e.bitCount;
  if (header) return header->bits;
  if (e.bitCount != 0) return e.bitCount;
  if (e.colorCount == 2) return 1;
  if (e.colorCount == 16) return 4;
  return 32;
}

void ResolveSize(GroupKind kind, const GroupEntry& e, const std::optional<ImageHeader>& header,
                 GroupImage& image) {
  if (header) {
    image.width = header->width;
    image.height = header->height;
  } else if (kind == GroupKind::kIcon) {
    image.width = e.width == 0 ? 256 : e.width;
    image.height = e.height == 0 ? 256 : e.height;
  } else {
    // Cursor compilers differ on whether the stored height counts the mask rows too.
    image.width = e.width;
    image.height = e.height == 2 * e.width ? e.width : e.height;
  }
}

// One listed image, or nothing when its resource is missing or too short.
std::optional<GroupImage> MakeImage(GroupKind kind, const GroupEntry& entry,
                                    const std::optional<Bytes>& resource, Bytes file) {
  if (!resource) return std::nullopt;
  GroupImage image;
  image.entry = entry;
  image.data = *resource;
  if (kind == GroupKind::kCursor) {
    if (resource->size() < kHotspotSize) return std::nullopt;
    image.hotspotX = *LoadU16(*resource, 0);
    image.hotspotY = *LoadU16(*resource, 2);
    image.data = resource->subspan(kHotspotSize);
  }
  const auto header = PeekImageHeader(image.data);
  image.isPng = header && header->png;
  image.bits = ResolveBits(kind, entry, header);
  ResolveSize(kind, entry, header, image);
  image.fileOffset = static_cast<std::uint64_t>(image.data.data() - file.data());
  return image;
}

// Collects groups of one kind into a list, skipping the groups that fail and keeping the rest.
class GroupCollector {
 public:
  explicit GroupCollector(Bytes file) : file_(file) {}

  void Add(GroupKind kind, const std::vector<GroupSource>& groups, const ImageIndex& images) {
    for (const GroupSource& source : groups) {
      if (list_.truncated) return;
      AddGroup(kind, source, images);
    }
  }

  IconGroupList Take() { return std::move(list_); }

 private:
  void AddGroup(GroupKind kind, const GroupSource& source, const ImageIndex& images) {
    const auto count = source.data ? LoadU16(*source.data, 4) : std::nullopt;
    // The whole entry table must lie inside the group's data, not just its start.
    if (!count || kGroupHeaderSize + *count * kGroupEntrySize > source.data->size()) {
      ++list_.skippedGroups;
      return;
    }
    IconGroup group{kind, source.name, static_cast<int>(list_.groups.size()), {}};
    for (std::uint64_t k = 0; k < *count; ++k) {
      if (++entriesRead_ > kMaxGroupEntries) {
        list_.truncated = true;
        break;
      }
      const GroupEntry entry =
          ReadEntry(*source.data, kGroupHeaderSize + k * kGroupEntrySize, kind);
      const auto found = images.find(entry.resourceId);
      if (found == images.end()) continue;  // an entry without its resource is skipped
      if (auto image = MakeImage(kind, entry, found->second, file_)) {
        group.images.push_back(std::move(*image));
      }
    }
    if (group.images.empty()) {
      ++list_.skippedGroups;
      return;
    }
    list_.groups.push_back(std::move(group));
  }

  Bytes file_;
  IconGroupList list_;
  std::size_t entriesRead_ = 0;
};

std::vector<GroupSource> PeGroups(const ResourceTree& root, std::uint16_t type) {
  std::vector<GroupSource> groups;
  const auto dir = root.FindDirectory(type);
  if (!dir) return groups;
  for (auto item = dir->NextEntry(std::nullopt); item; item = dir->NextEntry(item)) {
    groups.push_back({item->name, dir->ItemData(*item)});
  }
  return groups;
}

// Image resources are looked up by number only; named ones cannot be referred to by a group.
ImageIndex PeImages(const ResourceTree& root, std::uint16_t type) {
  ImageIndex index;
  const auto dir = root.FindDirectory(type);
  if (!dir) return index;
  for (auto item = dir->NextEntry(std::nullopt); item; item = dir->NextEntry(item)) {
    if (item->name.isNumber) index.emplace(item->name.number, dir->ItemData(*item));
  }
  return index;
}

std::vector<GroupSource> NeGroups(const NeResources& ne, std::uint16_t type) {
  std::vector<GroupSource> groups;
  for (const NeResource& r : ne.Resources()) {
    if (r.type == ResourceName::Number(type)) groups.push_back({r.name, ne.Data(r)});
  }
  return groups;
}

ImageIndex NeImages(const NeResources& ne, std::uint16_t type) {
  ImageIndex index;
  for (const NeResource& r : ne.Resources()) {
    if (r.type == ResourceName::Number(type) && r.name.isNumber) {
      index.emplace(r.name.number, ne.Data(r));
    }
  }
  return index;
}

}  // namespace

IconGroupList ListIconGroups(const ResourceTree& root) {
  GroupCollector collector(root.File());
  if (root.IsOpen()) {
    collector.Add(GroupKind::kIcon, PeGroups(root, kResourceIconGroup),
                  PeImages(root, kResourceIcon));
    collector.Add(GroupKind::kCursor, PeGroups(root, kResourceCursorGroup),
                  PeImages(root, kResourceCursor));
  }
  return collector.Take();
}

IconGroupList ListIconGroups(const NeResources& ne) {
  GroupCollector collector(ne.File());
  if (ne.IsOpen()) {
    collector.Add(GroupKind::kIcon, NeGroups(ne, kResourceIconGroup), NeImages(ne, kResourceIcon));
    collector.Add(GroupKind::kCursor, NeGroups(ne, kResourceCursorGroup),
                  NeImages(ne, kResourceCursor));
  }
  IconGroupList list = collector.Take();
  list.fromNe = true;
  return list;
}

IconGroupList ListExecutableGroups(Bytes file) {
  ResourceTree tree;
  IconGroupList list;
  if (tree.Open(file)) {
    list = ListIconGroups(tree);
    if (!list.groups.empty()) return list;
  }
  NeResources ne;
  if (ne.Open(file)) return ListIconGroups(ne);
  return list;
}

std::vector<IconResource> ListIconResources(Bytes file, bool fromNe) {
  std::vector<IconResource> out;
  if (fromNe) {
    NeResources ne;
    if (!ne.Open(file)) return out;
    for (const NeResource& r : ne.Resources()) {
      if (r.type == ResourceName::Number(kResourceIcon) && r.name.isNumber) {
        out.push_back({r.name.number, ne.Data(r)});
      }
    }
    return out;
  }
  ResourceTree root;
  if (!root.Open(file)) return out;
  const auto dir = root.FindDirectory(kResourceIcon);
  if (!dir) return out;
  for (auto item = dir->NextEntry(std::nullopt); item; item = dir->NextEntry(item)) {
    if (item->name.isNumber) out.push_back({item->name.number, dir->ItemData(*item)});
    if (out.size() >= kMaxGroupEntries) break;
  }
  return out;
}

}  // namespace morvane
