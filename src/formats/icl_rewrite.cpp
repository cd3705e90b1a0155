#include "formats/icl_rewrite.h"

#include <algorithm>
#include <string>

#include "formats/file_io.h"
#include "formats/icl_writer.h"

namespace morvane {
namespace {

Status Refused(const std::string& what) {
  return {ErrorCode::kBadFormat, "Icon library: " + what};
}

// One image to be written: where, and the bytes.
struct Patch {
  int image = 0;
  std::vector<std::uint8_t> block;
};

Result<Patch> EncodeReplacement(const LibraryImage& stored, int index, const IconFrameRef& frame,
                                std::size_t fileSize, const IconWriteOptions& options) {
  const std::string which = "image " + std::to_string(index);
  if (frame.image == nullptr || !frame.image->IsLive()) return Refused(which + ": no image");
  if (frame.image->GetWidth() != stored.width || frame.image->GetHeight() != stored.height ||
      WrittenBitsOf(frame.format) != stored.bits) {
    return Refused(which + ": size or format differs from the stored image");
  }
  if (stored.fileOffset < 0 || stored.dataLength < 0 ||
      !RangeFits(fileSize, static_cast<std::uint64_t>(stored.fileOffset),
                 static_cast<std::uint64_t>(stored.dataLength))) {
    return Refused(which + ": its stored data is not in the file");
  }
  Patch patch{index, {}};
  Result<std::size_t> written =
      stored.storedAsPng ? WriteImagePng(*frame.image, stored.bits, &patch.block, options)
                         : WriteIclImageBlock(*frame.image, stored.bits, patch.block, options);
  if (!written.ok()) return written.status().WithContext(which);
  if (patch.block.size() > static_cast<std::size_t>(stored.dataLength)) {
    return Refused(which + ": the new data is longer than the stored data");
  }
  return patch;
}

// True when the replacement holds exactly the stored image's pixels: its data stays as stored.
bool Unchanged(const LibraryImage& stored, const IconFrameRef& frame) {
  const CDib* image = frame.image;
  if (image == nullptr || WrittenBitsOf(frame.format) != stored.bits ||
      image->GetWidth() != stored.pixels.GetWidth() ||
      image->GetHeight() != stored.pixels.GetHeight()) {
    return false;
  }
  for (int y = 0; y < image->GetHeight(); ++y) {
    for (int x = 0; x < image->GetWidth(); ++x) {
      if (image->GetPixel(x, y) != stored.pixels.GetPixel(x, y)) return false;
    }
  }
  return true;
}

// Checks every replacement and encodes it; nothing is written unless all of them pass.
Result<std::vector<Patch>> PlanRewrite(const IconLibrary& library, int group,
                                       std::span<const IconFrameRef> replacements,
                                       std::size_t fileSize, const IconWriteOptions& options) {
  if (!library.HasGroup(group)) return Refused("no group " + std::to_string(group));
  const std::vector<int> members = library.GroupImages(group);
  if (members.size() != replacements.size()) {
    return Refused("the group holds " + std::to_string(members.size()) + " images, not " +
                   std::to_string(replacements.size()));
  }
  std::vector<Patch> patches;
  for (std::size_t j = 0; j < members.size(); ++j) {
    const LibraryImage& stored = library.images[static_cast<std::size_t>(members[j])];
    // An image left as it was keeps its stored bytes: re-encoding it could only change them, and
    // a PNG stream of a program may not fit its old place once compressed again.
    if (stored.fileOffset == -1 || Unchanged(stored, replacements[j])) continue;
    Result<Patch> patch = EncodeReplacement(stored, members[j], replacements[j], fileSize, options);
    if (!patch.ok()) return patch.status();
    patches.push_back(std::move(*patch));
  }
  return patches;
}

void ApplyPatches(const IconLibrary& library, const std::vector<Patch>& patches,
                  std::vector<std::uint8_t>& file) {
  for (const Patch& patch : patches) {
    const LibraryImage& stored = library.images[static_cast<std::size_t>(patch.image)];
    const auto at = file.begin() + static_cast<std::ptrdiff_t>(stored.fileOffset);
    std::copy(patch.block.begin(), patch.block.end(), at);
    // A shorter PNG stream leaves no stale bytes of the old one behind it.
    if (stored.storedAsPng) {
      std::fill(at + static_cast<std::ptrdiff_t>(patch.block.size()),
                at + static_cast<std::ptrdiff_t>(stored.dataLength), std::uint8_t{0});
    }
  }
}

// The model's images show what is now in the file, copies of the same resource included.
void TakeWritten(IconLibrary& library, const std::vector<Patch>& patches) {
  for (const Patch& patch : patches) {
    auto decoded = DecodeIconImage(patch.block);
    if (!decoded.ok()) continue;
    const std::int64_t offset = library.images[static_cast<std::size_t>(patch.image)].fileOffset;
    for (LibraryImage& image : library.images) {
      if (image.fileOffset == offset) {
        decoded->image.CopyTo(image.pixels, CDib::CopyMode::kRecreate);
      }
    }
  }
}

}  // namespace

Status RewriteImagesInPlace(IconLibrary& library, int group,
                            std::span<const IconFrameRef> replacements,
                            std::vector<std::uint8_t>& file, const IconWriteOptions& options) {
  auto patches = PlanRewrite(library, group, replacements, file.size(), options);
  if (!patches.ok()) return patches.status();
  ApplyPatches(library, *patches, file);
  TakeWritten(library, *patches);
  return Status::Ok();
}

Status RewriteImagesInPlace(IconLibrary& library, int group,
                            std::span<const IconFrameRef> replacements,
                            const IconWriteOptions& options) {
  // The offsets in the model are those of the file as it was read; in a file changed since, they
  // would point into other data.
  if (!library.stamp || StampOf(library.path) != library.stamp) {
    return {ErrorCode::kChangedOnDisk,
            library.path.string() + ": the file changed on disk since it was read"};
  }
  auto file = ReadFileBytes(library.path);
  if (!file.ok()) return file.status();
  auto patches = PlanRewrite(library, group, replacements, file->size(), options);
  if (!patches.ok()) return patches.status();
  ApplyPatches(library, *patches, *file);
  const Status written = WriteFileAtomic(library.path, *file);
  if (!written.ok()) return written;
  library.stamp = StampOf(library.path);
  TakeWritten(library, *patches);
  return Status::Ok();
}

}  // namespace morvane
