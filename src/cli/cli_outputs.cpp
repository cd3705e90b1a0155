#include "cli/cli_outputs.h"

#include <vector>

#include "formats/ani_codec.h"
#include "formats/icl_library.h"
#include "formats/icl_writer.h"
#include "formats/ico_codec.h"

namespace morvane::cli {
namespace {

std::vector<IconFrameRef> RefsOf(const IconDocument& document) {
  std::vector<IconFrameRef> refs;
  refs.reserve(static_cast<std::size_t>(document.Count()));
  for (int i = 0; i < document.Count(); ++i) {
    refs.push_back({&document.Frame(i).image, BitsOf(document.Frame(i).format)});
  }
  return refs;
}

// Cursors need a hotspot: the one asked for, the object's own, or the top-left corner.
Hotspot CursorHotspot(const IconDocument& document, const OutputOptions& options) {
  if (options.hotspot) return *options.hotspot;
  if (document.GetHotspot().x != kNotSet) return document.GetHotspot();
  return {0, 0};
}

}  // namespace

bool IsIconOutput(const std::string& ext) {
  return ext == ".ico" || ext == ".cur" || ext == ".ani" || ext == ".icl";
}

bool IsPictureOutput(const std::string& ext) {
  return ext == ".png" || ext == ".gif" || ext == ".jpg" || ext == ".bmp";
}

Status WriteIconOutput(const std::filesystem::path& path, const IconDocument& document, bool cursor,
                       const OutputOptions& options) {
  const std::vector<IconFrameRef> refs = RefsOf(document);
  Hotspot hotspot{kIconNoHotspot, kIconNoHotspot};
  if (cursor) hotspot = CursorHotspot(document, options);
  return WriteIconFile(path, refs, hotspot.x, hotspot.y, options.icon);
}

Status WriteAniOutput(const std::filesystem::path& path, const IconDocument& document,
                      const OutputOptions& options) {
  const std::vector<IconFrameRef> refs = RefsOf(document);
  std::vector<int> rates;
  rates.reserve(refs.size());
  for (int i = 0; i < document.Count(); ++i) {
    rates.push_back(options.rate.value_or(document.Frame(i).rate));
  }
  const Hotspot hotspot = CursorHotspot(document, options);
  return SaveAniFile(path, refs, rates, hotspot.x, hotspot.y,
                     options.title.value_or(document.Title()),
                     options.author.value_or(document.Author()), options.icon);
}

Status WriteLibraryOutput(const std::filesystem::path& path,
                          std::span<const IconDocument* const> groups,
                          const OutputOptions& options) {
  // The library manager's path: a new library, one group added per document and each written
  // back from its frames.
  IconLibrary library = IconLibrary::New();
  WriteBackOptions writeBack;
  writeBack.alphaLevel = options.icon.alphaLevel;
  if (options.libraryMatte) writeBack.previewColor = SwapRedBlue(*options.libraryMatte);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const int group = static_cast<int>(g);
    if (group > 0 && library.AddGroup(0xFFFFFF) < 0) {
      return {ErrorCode::kOutOfMemory, path.string() + ": out of memory adding a group"};
    }
    const std::vector<IconFrameRef> refs = RefsOf(*groups[g]);
    if (library.ReplaceGroup(group, refs, writeBack) != LibraryEditStatus::kOk) {
      return {ErrorCode::kCannotWrite, path.string() + ": the images of input " +
                                           std::to_string(g + 1) +
                                           " cannot be stored in a library"};
    }
  }
  return WriteLibrary(library, path, options.icon);
}

}  // namespace morvane::cli
