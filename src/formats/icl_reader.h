// Reading an icon library: the icon groups of an ICL file, or of any program or library, into
// the library model. The resource table is found through the PE reader first and, when that
// finds no icon group, through the NE reader (ICL files and other 16-bit libraries). Each image
// is decoded with the icon image decoder; its file offset and stored length are noted so that a
// group can later be rewritten in place.
#pragma once

#include <cstddef>
#include <filesystem>

#include "formats/byte_reader.h"
#include "formats/icl_library.h"
#include "formats/status.h"

namespace morvane {

// Decoded pixels a library may hold at most. Real libraries stay far below it; it bounds what a
// hostile file can make the reader allocate by listing one image many times.
inline constexpr std::size_t kMaxLibraryPixelBytes = std::size_t{256} << 20;

struct LibraryReadResult {
  int groups = 0;         // groups read; 0 when nothing was found
  int skippedGroups = 0;  // malformed, more images than an icon object holds, or none readable
  int skippedImages = 0;  // did not decode, larger than 256 pixels, or beyond the memory bound
  bool fromNe = false;    // found through the NE reader
  Status status;          // why the file could not be read at all
};

// Fills library with the file's icon groups (numbered from 0 in file order) and their images;
// cursor groups are not part of a library. The library is left as it was when no group is
// found. The path, modified and ICL flags are left to the caller.
// pixelBudget bounds the decoded pixel bytes; images beyond it are skipped.
LibraryReadResult ReadLibrary(Bytes file, IconLibrary& library,
                              std::size_t pixelBudget = kMaxLibraryPixelBytes);

// Reads the file at path; on success the library also takes the path, is unmodified, and is an
// ICL library when the extension is ".icl".
LibraryReadResult ReadLibrary(const std::filesystem::path& path, IconLibrary& library);

}  // namespace morvane
