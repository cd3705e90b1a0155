// Writing one group back into the file a library was read from, without restructuring it: the
// way edited icons go back into programs and libraries that are not ICL files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/icl_library.h"
#include "formats/icon_image.h"
#include "formats/status.h"

namespace morvane {

// Writes replacement j over the stored data of the group's image j in library.path (images not
// stored yet, and replacements equal to the stored pixels, are passed over). Each replacement must
// have its image's size and format, and its block must fit the stored data; an image stored as a
// PNG stream is written as one again. Everything is checked before the file is touched, and the
// file is replaced through a temporary file, so on failure it stays unchanged. Refused
// (kChangedOnDisk) when the file's size or modification time differ from library.stamp, or the
// library carries none. Nothing else in the file changes. On success the model's images take the
// pixels as written.
Status RewriteImagesInPlace(IconLibrary& library, int group,
                            std::span<const IconFrameRef> replacements,
                            const IconWriteOptions& options = {});

// The same over bytes in memory: patches file, which must be the file the library was read from.
Status RewriteImagesInPlace(IconLibrary& library, int group,
                            std::span<const IconFrameRef> replacements,
                            std::vector<std::uint8_t>& file, const IconWriteOptions& options = {});

}  // namespace morvane
