// Writing an icon library as an ICL file: a resource-only 16-bit NE executable holding one icon
// group resource per group (numbered from 129) and one icon resource per image (numbered from
// 1), laid out in 128-byte sectors, every block padded to whole sectors. Images of formats 1, 4,
// 8, 24 and 32 are stored as bitmap icon blocks (never as PNG streams, whatever their size); an
// image of any other bit count is listed in its group but stored without data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "formats/icl_library.h"
#include "formats/icon_image.h"
#include "formats/status.h"

namespace morvane {

// Called after each image is written with (images done, image count); returning false cancels
// the write, which then fails and leaves any existing file untouched.
using LibraryProgress = std::function<bool(int done, int total)>;

// Where each image of the library (in image order) was stored: file offset and byte count;
// offset -1 for an image stored without data.
struct IclPlacement {
  std::int64_t offset = -1;
  std::int64_t length = 0;
};

// The data of one image as an ICL file stores it: the bitmap icon block of its bit count (1, 4,
// 8, 24 or 32; never the PNG form). Fails for any other bit count.
Result<std::size_t> WriteIclImageBlock(const CDib& image, int bits, std::vector<std::uint8_t>& out,
                                       const IconWriteOptions& options = {});

// Appends the complete file to out. Fails, leaving out as it was, when an image cannot be
// encoded, is larger than 256 pixels, or the library outgrows the 16-bit sector offsets of the
// format (about 8 MB of images).
Status WriteIcl(const IconLibrary& library, std::vector<std::uint8_t>& out,
                std::vector<IclPlacement>* placements = nullptr,
                const IconWriteOptions& options = {}, const LibraryProgress& progress = {});

// Writes the file through a temporary file renamed over path, so a failed or cancelled write
// never damages an existing file.
Status WriteLibrary(const IconLibrary& library, const std::filesystem::path& path,
                    const IconWriteOptions& options = {}, const LibraryProgress& progress = {},
                    std::vector<IclPlacement>* placements = nullptr);

// "Save library" / "Save library as": WriteLibrary, and on success the library takes the path,
// becomes an unmodified ICL library and notes where each image now lies.
Status SaveLibrary(IconLibrary& library, const std::filesystem::path& path,
                   const IconWriteOptions& options = {}, const LibraryProgress& progress = {});

}  // namespace morvane
