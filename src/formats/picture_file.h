// Pictures by file extension: the loader that the object loader, search and import use, and the
// matching save. The extension is compared in lower case; ".png", ".gif", ".jpg" and ".bmp" are
// known. The four-letter JPEG extension is deliberately not among them.
#pragma once

#include <filesystem>
#include <string>

#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// The extension of path in lower case, with its dot ("" when there is none).
std::string LowerExtension(const std::filesystem::path& path);

// Loads the picture into image and returns the colour depth read, which the caller takes as the
// frame's colour format: GIF gives 8, JPEG 24 (its pixels opaque), PNG and BMP the depth the
// file had (1, 4, 8, 24 or 32). Any other extension fails with kUnsupported. On failure image is
// left as it was.
Result<int> LoadPictureFile(const std::filesystem::path& path, CDib& image);

struct PictureSaveOptions {
  int depth = 32;         // PNG: requested depth; BMP: bit count; ignored by GIF and JPEG
  bool jpegColor = true;  // false stores a grey JPEG
  int jpegQuality = 90;   // 10..100 from the JPEG properties
};

// Saves image by the extension of path. JPEG drops alpha: the caller flattens the image first.
Status SavePictureFile(const std::filesystem::path& path, const CDib& image,
                       const PictureSaveOptions& options = {});

}  // namespace morvane
