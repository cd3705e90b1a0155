// An icon library in memory: numbered icon groups and one ordered list of images, each image
// knowing its group. The library manager edits this model (add, delete, rename and replace
// groups); icl_writer.h stores it as an ICL file, icl_reader.h fills it from any library or
// program, and icl_rewrite.h writes one group back into the file it came from.
//
// The operations change the model only; the questions around them belong to the command level.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/file_io.h"
#include "formats/ico_codec.h"
#include "image/dib.h"

namespace morvane {

// The path of a library that has never been saved.
inline constexpr const char* kNewLibraryName = "new library.icl";
// The size and format of the image "Add icon" creates.
inline constexpr int kAddedIconSize = 48;
inline constexpr int kAddedIconBits = 32;

struct LibraryImage {
  CDib pixels;
  int width = 0;
  int height = 0;
  int bits = 32;  // 1, 4, 8, 24 or 32; any other value is stored without data
  int group = 0;
  // Where the image's data starts in the file it was read from, and its stored length; -1 and 0
  // for an image not stored yet.
  std::int64_t fileOffset = -1;
  std::int64_t dataLength = 0;
  // True when the stored data is a PNG stream (large icons of programs); it is then rewritten
  // in that form.
  bool storedAsPng = false;
  // The group's resource name as read ("129", "MAINICON"); shown by the library manager, not
  // written to ICL files, which number their groups.
  std::string name;
  std::string secondText;
};

// How a group written back from the editor is turned into library images.
struct WriteBackOptions {
  // "Alpha level": below it a pixel of a format without alpha becomes transparent black.
  int alphaLevel = 85;
  // "Preview color", a platform colour 0x00BBGGRR: what the other pixels of such formats are
  // composited onto.
  std::uint32_t previewColor = 0xC0C0C0;
};

// Why a model operation was refused; nothing was changed then.
enum class LibraryEditStatus {
  kOk,
  kNoSuchGroup,
  kLastGroup,      // the only group of a library cannot be deleted
  kInvalidImage,   // a frame without pixels, or of an unknown format
  kOutOfMemory,    // an image could not be created
  kTooManyFrames,  // more frames than an icon object holds
};

class IconLibrary {
 public:
  std::filesystem::path path = kNewLibraryName;
  int groupCount = 0;
  std::vector<LibraryImage> images;
  // Set by adding, deleting, renaming and replacing groups; cleared by a full write.
  bool modified = false;
  // True for ICL files, new libraries and after a full write: only then can the library be
  // restructured and saved whole. Other libraries and programs allow rewriting groups in place.
  bool isIcl = true;
  // The file as it was read or last written; an in-place rewrite is refused once the file on
  // disk differs from it, so a change made by another program is never overwritten.
  std::optional<FileStamp> stamp;

  // "New library": an unsaved ICL library of one empty group; the caller then writes the
  // editor's document back as group 0.
  static IconLibrary New();

  // Indices into images of the group's images, in image order.
  std::vector<int> GroupImages(int group) const;
  bool HasGroup(int group) const { return group >= 0 && group < groupCount; }

  // "Add icon": a new last group of one 48 x 48, 32-bit image whose pixels are all fully
  // transparent, coloured windowColor (0xRRGGBB) darkened by 24 per channel. Returns the new
  // image's index, or -1 when the image cannot be created.
  int AddGroup(Pixel windowColor);

  // "Delete icon": removes the group's images and moves every higher group down one number.
  // Refused for the last remaining group.
  LibraryEditStatus DeleteGroup(int group);

  // Names every image of the group. ICL files number their groups, so the name is not written.
  LibraryEditStatus RenameGroup(int group, const std::string& name);

  // Writing a group back from the editor: the group's images are replaced, at the position of
  // its first image (after the lower groups when it has none), by one image per frame, reduced
  // to the frame's format; in formats without alpha each pixel is made either transparent
  // black or opaque over the preview colour.
  LibraryEditStatus ReplaceGroup(int group, std::span<const IconFrameRef> frames,
                                 const WriteBackOptions& options = {});
};

// The group to show after `deleted` was removed while `current` was open: the first group when
// the open one was deleted, one lower when it came after it.
int CurrentGroupAfterDelete(int current, int deleted);

// True when the path's extension is ".icl", in any case.
bool HasIclExtension(const std::filesystem::path& path);

// One library image made from a frame as ReplaceGroup makes it (pixels reduced and, for formats
// without alpha, thresholded and flattened).
LibraryEditStatus MakeLibraryImage(const IconFrameRef& frame, const WriteBackOptions& options,
                                   LibraryImage& out);

}  // namespace morvane
