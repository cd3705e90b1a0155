// Icon (.ico) and cursor (.cur) files: a 6-byte header (reserved 0, type 1 or 2, count), a
// directory of 16-byte entries and the image blocks of icon_image.h. Cursors keep their hotspot
// in the entries' planes and bit-count fields. The animated-cursor codec stores each of its
// frames as a one-image stream of this form.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/icon_image.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

enum class IconFileType : std::uint16_t { kIcon = 1, kCursor = 2 };

// An icon object holds at most this many images.
inline constexpr int kMaxIconFrames = 256;

// One decoded image of a file.
struct IconFrame {
  CDib image;
  // The colour format it is saved in again: 1, 4, 8, 24 or 32.
  int format = 32;
  // In a cursor file, the hotspot stored in this image's entry; kNotSet in an icon file.
  int hotspotX = kNotSet;
  int hotspotY = kNotSet;
};

struct IconFileContents {
  IconFileType type = IconFileType::kIcon;
  // The decoded images in directory order; images that failed to decode are skipped.
  std::vector<IconFrame> frames;
  // A cursor's hotspot: that of the first directory entry (kNotSet for an icon file).
  int hotspotX = kNotSet;
  int hotspotY = kNotSet;
  // Directory entries that were not decoded, and why the first of them failed.
  int skipped = 0;
  Status firstSkipReason;
};

// The pixel bytes all images of one icon file may hold together. 256 frames of 256 x 256 take
// 64 MiB; this leaves room for large PNG frames. Entries may share one image block, so without
// such a bound a small file could ask for hundreds of GiB.
inline constexpr std::uint64_t kMaxIconFilePixelBytes = std::uint64_t{256} << 20;

// Reads an icon or cursor file. At most maxFrames images are decoded (the room left in the
// document); entries beyond them are not read. Images whose header announces more pixel bytes
// than are left of pixelBudget are skipped as too large without being decoded. Fails when the
// header is not that of an icon or cursor file, or when no image decodes.
Result<IconFileContents> ReadIconFile(Bytes data, int maxFrames = kMaxIconFrames,
                                      std::uint64_t pixelBudget = kMaxIconFilePixelBytes);
Result<IconFileContents> ReadIconFile(const std::filesystem::path& path,
                                      int maxFrames = kMaxIconFrames);

// A frame to be written: the working image and its colour format (anything but 1, 4, 8 and 24
// is written as 32).
struct IconFrameRef {
  const CDib* image = nullptr;
  int format = 32;
};

// References to decoded frames, to write them again.
std::vector<IconFrameRef> FrameRefs(std::span<const IconFrame> frames);

// hotspotX == -1 writes an icon file; any other value a cursor with hotspot (hotspotX,
// hotspotY) in every entry (kept within 0..65535).
inline constexpr int kIconNoHotspot = -1;

// Appends a complete icon or cursor file to out. Fails, leaving out as it was, when there are no
// frames (or more than the count field holds), a frame has no image, or an image writer fails.
Status WriteIconFile(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames,
                     int hotspotX, int hotspotY, const IconWriteOptions& options = {});
// Writes the file through a temporary file renamed over path, so a failed save leaves an
// existing file untouched.
Status WriteIconFile(const std::filesystem::path& path, std::span<const IconFrameRef> frames,
                     int hotspotX, int hotspotY, const IconWriteOptions& options = {});

// A one-image file (count 1, image offset 22): "save the current image as an icon or cursor",
// and the frames of animated cursors.
Status WriteOneImageIconFile(std::vector<std::uint8_t>& out, const CDib& image, int format,
                             int hotspotX, int hotspotY, const IconWriteOptions& options = {});

}  // namespace morvane
