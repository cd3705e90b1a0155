// The icon groups and cursor groups of a program or library: which groups there are, and per
// image its size, colour format, cursor hotspot and raw image bytes. Nothing is decoded here;
// the loader hands each image's bytes to the icon image decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/ne_resources.h"
#include "formats/resource_tree.h"

namespace morvane {

enum class GroupKind { kIcon, kCursor };

// A group directory entry as stored. Icon groups keep width and height in one byte each (0
// meaning 256); cursor groups keep them in 16 bits, the height often doubled.
struct GroupEntry {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t colorCount = 0;  // icon groups only
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t bytesInResource = 0;
  std::uint16_t resourceId = 0;  // the icon or cursor resource holding the image
};

struct GroupImage {
  GroupEntry entry;
  // Size and colour format as the image will decode: from the image's own header where it can
  // be read (cursor group entries are unreliable about height), else from the entry. The colour
  // format of an icon follows the entry's bit count, as for an ICO file.
  int width = 0;
  int height = 0;
  int bits = 0;
  bool isPng = false;
  int hotspotX = 0;  // cursors only: the first two words of the cursor resource
  int hotspotY = 0;
  Bytes data;  // the image block (bitmap header or PNG stream), without a cursor's hotspot
  std::uint64_t fileOffset = 0;  // where `data` starts in the file
};

struct IconGroup {
  GroupKind kind = GroupKind::kIcon;
  ResourceName name;
  int index = 0;  // position among the listed groups, icon groups first
  std::vector<GroupImage> images;
};

struct IconGroupList {
  std::vector<IconGroup> groups;
  int skippedGroups = 0;   // groups left out: malformed, without data, or without any image
  bool truncated = false;  // listing stopped after kMaxGroupEntries entries
  bool fromNe = false;     // read from a 16-bit NE file
};

// Group entries read at most. No real library comes near this; it bounds the work a hostile
// file can cause (many groups sharing one long entry table).
inline constexpr std::size_t kMaxGroupEntries = std::size_t{1} << 16;

// The groups of an opened PE tree (the tree must sit on the root). Spans point into its file.
IconGroupList ListIconGroups(const ResourceTree& root);
// The groups of an NE file's resource table.
IconGroupList ListIconGroups(const NeResources& ne);
// PE first; when that finds no group, the file is tried as an NE file.
IconGroupList ListExecutableGroups(Bytes file);

// One icon resource (an image, not a group) as its record lists it.
struct IconResource {
  std::uint16_t id = 0;
  std::optional<Bytes> data;  // nothing when the record points outside the file
};

// The numbered icon resources of the file in record order: the order an icon library keeps its
// images in, independent of the groups that name them. fromNe picks the table to read, as
// ListExecutableGroups reported it.
std::vector<IconResource> ListIconResources(Bytes file, bool fromNe);

}  // namespace morvane
