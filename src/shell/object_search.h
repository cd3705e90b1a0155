// Searching a folder tree for icon objects: icons, cursors, animated cursors, icon libraries and
// programs that hold icon or cursor groups. The scan runs on whatever thread calls it (the
// search dialog gives it a worker thread), reports each object as it is found, and stops soon
// after it is asked to. Folders reached again through a symbolic link (a loop), folders that
// cannot be read and files that cannot be read as what they claim to be are skipped and counted.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "image/color_format.h"
#include "image/dib.h"

namespace morvane {

enum class FoundKind { kIcon, kCursor, kAnimatedCursor, kLibrary, kProgram };

struct FoundImage {
  int width = 0;
  int height = 0;
  ColorFormat format = ColorFormat::kTrueColorAlpha;
};

struct FoundObject {
  std::filesystem::path path;
  FoundKind kind = FoundKind::kIcon;
  // Icons and cursors: their images; animated cursors: their frames; libraries and programs:
  // the images of every group.
  std::vector<FoundImage> images;
  int groups = 1;  // icon and cursor groups of a library or program
  // The largest image of the object (the first group's, for libraries and programs), straight
  // alpha, at most 256 pixels each way; empty when nothing decoded.
  CDib preview;
};

struct SearchCounts {
  int folders = 0;  // folders read
  int files = 0;    // files looked at
  int found = 0;
  int symlinkLoops = 0;       // folders skipped because they were already searched
  int unreadableFolders = 0;  // folders that could not be listed
  int damagedFiles = 0;       // files that claim to be icon objects but could not be read
  int largeFiles = 0;         // files above kMaxSearchFileBytes, not read
};

// Files larger than this are not read: no icon object comes near it, and reading one would
// delay Stop.
inline constexpr std::uintmax_t kMaxSearchFileBytes = std::uintmax_t{64} << 20;

class SearchObserver {
 public:
  virtual ~SearchObserver() = default;
  virtual void Found(FoundObject object) = 0;
  // Called after every folder and now and then within large folders.
  virtual void Progress(const SearchCounts& counts, const std::filesystem::path& folder) = 0;
};

// Classifies one file: an object when it is one, nothing when it is of no interest (a picture,
// a program without groups), and damaged when its extension or first bytes claim an icon object
// that cannot be read.
enum class FileVerdict { kObject, kNotAnObject, kDamaged };
FileVerdict ClassifyFile(const std::filesystem::path& path, FoundObject& object);

// Walks the tree below root, depth first, in name order. Returns the counts; stop (set from any
// thread) ends the walk before the next file.
SearchCounts SearchObjects(const std::filesystem::path& root, SearchObserver& observer,
                           const std::atomic<bool>& stop);

// Whether an object passes the dialog's filters: size 0 and format 0 mean any; otherwise one of
// its images must have that width and height and that bit count.
bool MatchesFilter(const FoundObject& object, int size, int bits);

}  // namespace morvane
