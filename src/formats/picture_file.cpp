#include "formats/picture_file.h"

#include <algorithm>
#include <utility>

#include "formats/ansi_text.h"
#include "formats/bmp_codec.h"
#include "formats/gif_codec.h"
#include "formats/jpeg_codec.h"
#include "formats/png_codec.h"

namespace morvane {

namespace {

Status UnknownExtension(const std::filesystem::path& path) {
  return {ErrorCode::kUnsupported, path.string() + ": not a picture file this program reads"};
}

// Decodes into loaded (a fresh image) and returns the depth the caller reports.
Result<int> LoadByExtension(const std::filesystem::path& path, CDib& loaded) {
  const std::string ext = LowerExtension(path);
  if (ext == ".png") return LoadPngFile(path, 0, loaded);
  if (ext == ".bmp") return LoadBmpFile(path, loaded);
  if (ext == ".gif") {
    Status st = ReadGifFile(path, loaded);
    if (!st.ok()) return st;
    return 8;
  }
  if (ext == ".jpg") {
    Result<RgbImage> rgb = LoadJpegFile(path);
    if (!rgb.ok()) return rgb.status();
    Status st = DibFromRgb(*rgb, loaded);
    if (!st.ok()) return st.WithContext(path.string());
    return 24;
  }
  return UnknownExtension(path);
}

}  // namespace

std::string LowerExtension(const std::filesystem::path& path) {
  return AsciiLower(path.extension().string());
}

Result<int> LoadPictureFile(const std::filesystem::path& path, CDib& image) {
  CDib loaded;
  Result<int> depth = LoadByExtension(path, loaded);
  if (depth.ok()) image = std::move(loaded);
  return depth;
}

Status SavePictureFile(const std::filesystem::path& path, const CDib& image,
                       const PictureSaveOptions& options) {
  const std::string ext = LowerExtension(path);
  if (ext == ".gif") return WriteGifFile(path, image);
  if (ext == ".png") return SavePngFile(path, image, options.depth);
  if (ext == ".bmp") return SaveBmpFile(path, image, options.depth);
  if (ext == ".jpg") {
    Result<RgbImage> rgb = RgbFromDib(image);
    if (!rgb.ok()) return rgb.status().WithContext(path.string());
    return SaveJpegFile(path, *rgb, options.jpegColor, options.jpegQuality);
  }
  return UnknownExtension(path);
}

}  // namespace morvane
