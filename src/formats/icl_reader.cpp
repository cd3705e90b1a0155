#include "formats/icl_reader.h"

#include <utility>

#include "formats/file_io.h"
#include "formats/icon_groups.h"
#include "formats/icon_image.h"

namespace morvane {
namespace {

constexpr int kMaxLibraryImageSide = 256;

std::size_t PixelBytes(int width, int height) {
  return static_cast<std::size_t>(StrideFor(width)) * static_cast<std::size_t>(height) *
         sizeof(Pixel);
}

// Decodes the group's images into library images while the pixel budget lasts.
class LibraryFiller {
 public:
  explicit LibraryFiller(std::size_t budget) : budget_(budget) {}

  void AddGroup(const IconGroup& group) {
    // An icon object holds at most 256 images; a larger group could never be opened.
    if (group.images.size() > static_cast<std::size_t>(kMaxIconFrames)) {
      ++result_.skippedGroups;
      return;
    }
    const std::string name = group.name.ToString();
    int added = 0;
    for (const GroupImage& image : group.images) {
      if (AddImage(image, name)) {
        ++added;
      } else {
        ++result_.skippedImages;
      }
    }
    if (added == 0) {
      ++result_.skippedGroups;
      return;
    }
    ++library_.groupCount;
  }

  IconLibrary& Library() { return library_; }
  LibraryReadResult& Report() { return result_; }

 private:
  bool AddImage(const GroupImage& source, const std::string& name) {
    // The header's size is checked before decoding, so nothing large is ever allocated.
    if (source.width <= 0 || source.height <= 0 || source.width > kMaxLibraryImageSide ||
        source.height > kMaxLibraryImageSide || PixelBytes(source.width, source.height) > budget_) {
      return false;
    }
    auto decoded = DecodeIconImage(source.data);
    if (!decoded.ok()) return false;
    CDib& pixels = decoded->image;
    const std::size_t cost = pixels.StoredPixelCount() * sizeof(Pixel);
    if (pixels.GetWidth() > kMaxLibraryImageSide || pixels.GetHeight() > kMaxLibraryImageSide ||
        cost > budget_) {
      return false;
    }
    budget_ -= cost;
    LibraryImage image;
    image.width = pixels.GetWidth();
    image.height = pixels.GetHeight();
    image.pixels = std::move(pixels);
    image.bits = decoded->bitCount;
    image.group = library_.groupCount;
    image.fileOffset = static_cast<std::int64_t>(source.fileOffset);
    image.dataLength = static_cast<std::int64_t>(source.data.size());
    image.storedAsPng = decoded->isPng;
    image.name = name;
    library_.images.push_back(std::move(image));
    return true;
  }

  IconLibrary library_;
  LibraryReadResult result_;
  std::size_t budget_;
};

}  // namespace

LibraryReadResult ReadLibrary(Bytes file, IconLibrary& library, std::size_t pixelBudget) {
  const IconGroupList list = ListExecutableGroups(file);
  LibraryFiller filler(pixelBudget);
  for (const IconGroup& group : list.groups) {
    if (group.kind == GroupKind::kIcon) filler.AddGroup(group);
  }
  LibraryReadResult result = std::move(filler.Report());
  result.skippedGroups += list.skippedGroups;
  result.fromNe = list.fromNe;
  result.groups = filler.Library().groupCount;
  if (result.groups == 0) {
    result.status = {ErrorCode::kNoImages, "Icon library: no icon group found"};
    return result;
  }
  library.groupCount = filler.Library().groupCount;
  library.images = std::move(filler.Library().images);
  return result;
}

LibraryReadResult ReadLibrary(const std::filesystem::path& path, IconLibrary& library) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) {
    LibraryReadResult result;
    result.status = bytes.status();
    return result;
  }
  LibraryReadResult result = ReadLibrary(Bytes(*bytes), library);
  if (result.groups > 0) {
    library.path = path;
    library.modified = false;
    library.isIcl = HasIclExtension(path);
  }
  return result;
}

}  // namespace morvane
