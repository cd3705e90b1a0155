#include "formats/icl_library.h"

#include <algorithm>
#include <utility>

#include "formats/ansi_text.h"
#include "formats/icon_image.h"
#include "image/color_reduction.h"

namespace morvane {
namespace {

constexpr int kAddedIconDarkening = 24;
constexpr int kMaxLibraryImageSide = 256;

bool Reduce(const CDib& source, int bits, CDib& target) {
  switch (bits) {
    case 1:
      ReduceToMonochrome(source, target);
      return target.IsLive();
    case 4:
      return ReduceTo16Colors(source, target, 0);
    case 8:
      return source.CopyTo(target, CDib::CopyMode::kRecreate) && ReduceToColors(target, 256);
    default:
      return source.CopyTo(target, CDib::CopyMode::kRecreate);
  }
}

// Formats without alpha keep no partial transparency in the library: each pixel is either
// transparent black or opaque over the preview colour.
void Flatten(CDib& image, const WriteBackOptions& options) {
  const auto threshold = static_cast<std::uint32_t>(std::clamp(options.alphaLevel, 1, 255));
  const Pixel background = SwapRedBlue(options.previewColor) | 0xFF000000;
  for (int y = 0; y < image.GetHeight(); ++y) {
    Pixel* row = image.Row(y);
    for (int x = 0; x < image.GetWidth(); ++x) {
      row[x] = AlphaOf(row[x]) < threshold ? 0 : AlphaOver(background, row[x]) | 0xFF000000;
    }
  }
}

Pixel Darkened(Pixel color, int amount) {
  auto channel = [amount](std::uint32_t c) {
    return static_cast<std::uint32_t>(std::max(static_cast<int>(c) - amount, 0));
  };
  return MakePixel(0, channel(RedOf(color)), channel(GreenOf(color)), channel(BlueOf(color)));
}

// Where a group's new images go: at its first image, or, when it has none, before the first
// image of a higher group.
std::size_t InsertionPoint(const std::vector<LibraryImage>& images, int group) {
  const auto same = std::find_if(images.begin(), images.end(), [group](const LibraryImage& image) {
    return image.group == group;
  });
  if (same != images.end()) return static_cast<std::size_t>(same - images.begin());
  const auto higher =
      std::find_if(images.begin(), images.end(),
                   [group](const LibraryImage& image) { return image.group > group; });
  return static_cast<std::size_t>(higher - images.begin());
}

}  // namespace

IconLibrary IconLibrary::New() {
  IconLibrary library;
  library.groupCount = 1;
  return library;
}

std::vector<int> IconLibrary::GroupImages(int group) const {
  std::vector<int> indices;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (images[i].group == group) indices.push_back(static_cast<int>(i));
  }
  return indices;
}

int IconLibrary::AddGroup(Pixel windowColor) {
  LibraryImage image;
  if (!image.pixels.Create(kAddedIconSize, kAddedIconSize)) return -1;
  image.pixels.Fill(Darkened(windowColor, kAddedIconDarkening));
  image.width = kAddedIconSize;
  image.height = kAddedIconSize;
  image.bits = kAddedIconBits;
  image.group = groupCount;
  images.push_back(std::move(image));
  ++groupCount;
  modified = true;
  return static_cast<int>(images.size()) - 1;
}

LibraryEditStatus IconLibrary::DeleteGroup(int group) {
  if (!HasGroup(group)) return LibraryEditStatus::kNoSuchGroup;
  if (groupCount <= 1) return LibraryEditStatus::kLastGroup;
  std::erase_if(images, [group](const LibraryImage& image) { return image.group == group; });
  for (LibraryImage& image : images) {
    if (image.group > group) --image.group;
  }
  --groupCount;
  modified = true;
  return LibraryEditStatus::kOk;
}

LibraryEditStatus IconLibrary::RenameGroup(int group, const std::string& name) {
  if (!HasGroup(group)) return LibraryEditStatus::kNoSuchGroup;
  for (LibraryImage& image : images) {
    if (image.group == group) image.name = name;
  }
  modified = true;
  return LibraryEditStatus::kOk;
}

LibraryEditStatus IconLibrary::ReplaceGroup(int group, std::span<const IconFrameRef> frames,
                                            const WriteBackOptions& options) {
  if (!HasGroup(group)) return LibraryEditStatus::kNoSuchGroup;
  if (frames.size() > static_cast<std::size_t>(kMaxIconFrames)) {
    return LibraryEditStatus::kTooManyFrames;
  }
  // Everything is built first, so a refused frame leaves the group as it was.
  std::vector<LibraryImage> replacement(frames.size());
  for (std::size_t j = 0; j < frames.size(); ++j) {
    const LibraryEditStatus status = MakeLibraryImage(frames[j], options, replacement[j]);
    if (status != LibraryEditStatus::kOk) return status;
    replacement[j].group = group;
  }
  const std::size_t at = InsertionPoint(images, group);
  std::erase_if(images, [group](const LibraryImage& image) { return image.group == group; });
  images.insert(images.begin() + static_cast<std::ptrdiff_t>(at),
                std::make_move_iterator(replacement.begin()),
                std::make_move_iterator(replacement.end()));
  modified = true;
  return LibraryEditStatus::kOk;
}

LibraryEditStatus MakeLibraryImage(const IconFrameRef& frame, const WriteBackOptions& options,
                                   LibraryImage& out) {
  if (frame.image == nullptr || !frame.image->IsLive()) return LibraryEditStatus::kInvalidImage;
  const int width = frame.image->GetWidth();
  const int height = frame.image->GetHeight();
  if (width > kMaxLibraryImageSide || height > kMaxLibraryImageSide) {
    return LibraryEditStatus::kInvalidImage;
  }
  LibraryImage image;
  image.bits = WrittenBitsOf(frame.format);
  // The reductions read through the clip; the library keeps the whole frame.
  CDib whole;
  if (!frame.image->CopyTo(whole, CDib::CopyMode::kRecreate)) {
    return LibraryEditStatus::kOutOfMemory;
  }
  whole.clip = {0, 0, width, height};
  if (!Reduce(whole, image.bits, image.pixels)) return LibraryEditStatus::kOutOfMemory;
  if (image.bits < 32) Flatten(image.pixels, options);
  image.width = width;
  image.height = height;
  out = std::move(image);
  return LibraryEditStatus::kOk;
}

int CurrentGroupAfterDelete(int current, int deleted) {
  if (current == deleted) return 0;
  return current > deleted ? current - 1 : current;
}

bool HasIclExtension(const std::filesystem::path& path) {
  return AsciiLower(path.extension().string()) == ".icl";
}

}  // namespace morvane
