// The icon and cursor groups of a program, library or icon library, as the object dialog offers
// them: a cheap listing of every group (sizes and colour formats from the images' headers),
// display previews of one group at a time, and the decoded frames of the group the user
// chooses. PE files are read through their resource tree; when that holds no group, the file is
// read as a 16-bit NE file (icon libraries, old programs).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/icon_groups.h"
#include "formats/status.h"
#include "image/color_format.h"
#include "image/dib.h"
#include "image/icon_document.h"

namespace morvane {

// One image of a group as the listing describes it, from its headers; nothing is decoded.
struct ObjectImageInfo {
  int width = 0;
  int height = 0;
  ColorFormat format = ColorFormat::kTrueColorAlpha;
  bool isPng = false;
};

struct ObjectInfo {
  GroupKind kind = GroupKind::kIcon;
  ResourceName name;
  std::vector<ObjectImageInfo> images;
};

// One image of a group decoded for the dialog. The preview is a display copy, never a frame.
struct ObjectPreview {
  ObjectImageInfo info;   // the size and format the image decodes to
  bool readable = false;  // false: the image does not decode and opening the group skips it
  CDib preview;           // composited over the background; empty when not readable
};

// The frames of a chosen group, decoded as the document would hold them.
struct ObjectFrames {
  struct Frame {
    CDib image;
    ColorFormat format = ColorFormat::kTrueColorAlpha;
  };
  GroupKind kind = GroupKind::kIcon;
  std::vector<Frame> frames;
  // A cursor group's hotspot: that of its first image that decodes.
  Hotspot hotspot;
  int skipped = 0;   // images that did not decode or are larger than a frame may be
  bool cut = false;  // images were left unread because maxFrames was reached
};

// A display copy: image composited over the opaque background (0x00RRGGBB or 0xAARRGGBB; the
// alpha byte is ignored), so transparent pixels show that colour. Empty when image is empty.
CDib MakeDisplayCopy(const CDib& image, Pixel background);

// True when a decoded image can be a frame of the document: 1 to 256 pixels each way.
bool FitsDocumentFrame(const CDib& image);

// The colour format an image of a group becomes, taken like the bit count of an ICO directory
// entry: the entry's bit count when it names a format; else the image's own (a PNG stream with
// an unset entry counts as 32); else 32.
ColorFormat GroupImageFormat(int entryBitCount, bool isPng, int imageBitCount);

class ExecutableObjects {
 public:
  // Previews and frames are decoded for at most this many images of one group: a document
  // never holds more, and it bounds what a hostile group can make the dialog allocate.
  static constexpr int kMaxDecodedImages = IconDocument::kMaxFrames;

  ExecutableObjects() = default;
  // Lists the groups of the file's bytes; path names the file for the loader.
  ExecutableObjects(std::filesystem::path path, std::vector<std::uint8_t> file);
  // Reads and lists a file. Fails when it cannot be read; a file without groups succeeds with
  // Count() == 0.
  static Result<ExecutableObjects> Read(const std::filesystem::path& path);

  const std::filesystem::path& Path() const { return path_; }
  // The number of groups, icon and cursor groups alike (what the dialog can offer).
  int Count() const { return static_cast<int>(list_.groups.size()); }
  bool FromNe() const { return list_.fromNe; }
  const IconGroupList& Groups() const { return list_; }

  // Every group with its images' sizes and formats, icon groups first (empty when memory runs
  // out).
  std::vector<ObjectInfo> List() const;
  // The images of group `object` decoded as display copies over background, the first
  // kMaxDecodedImages of them; nothing for an index out of range. When memory runs out, the
  // previews made so far.
  std::vector<ObjectPreview> Previews(int object, Pixel background) const;
  // The images of group `object` decoded into frames, at most maxFrames of them. No frames when
  // memory runs out.
  ObjectFrames Decode(int object, int maxFrames) const;

 private:
  std::filesystem::path path_;
  // Shared so that copies stay cheap and the listing's spans, which point into it, stay valid.
  std::shared_ptr<const std::vector<std::uint8_t>> file_;
  IconGroupList list_;
};

}  // namespace morvane
