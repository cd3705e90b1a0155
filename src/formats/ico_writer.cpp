// Writing icon and cursor files: header, directory and images in order, the directory's lengths
// and offsets patched in as each image is written.
#include <algorithm>
#include <new>
#include <string>

#include "formats/file_io.h"
#include "formats/ico_codec.h"
#include "image/byte_sink.h"
#include "image/parallel.h"

namespace morvane {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

std::uint8_t ColorCount(int format) {
  if (format == 1) return 2;
  if (format == 4) return 16;
  return 0;
}

std::uint16_t HotspotField(int v) {
  return static_cast<std::uint16_t>(std::clamp(v, 0, 0xFFFF));
}

void WriteEntry(ByteSink& sink, const CDib& image, int format, bool cursor, int hotspotX,
                int hotspotY, std::uint32_t length, std::uint32_t offset) {
  sink.U8(static_cast<std::uint8_t>(image.GetWidth() % 256));
  sink.U8(static_cast<std::uint8_t>(image.GetHeight() % 256));
  sink.U8(ColorCount(format));
  sink.U8(0);
  sink.U16(cursor ? HotspotField(hotspotX) : 1);
  sink.U16(cursor ? HotspotField(hotspotY) : static_cast<std::uint16_t>(format));
  sink.U32(length);
  sink.U32(offset);
}

Status FrameError(std::size_t index, const Status& why) {
  return why.WithContext("Icon file: image " + std::to_string(index + 1));
}

// Below this many pixels in all, starting threads costs more than encoding the images.
constexpr long long kParallelPixels = 128 * 128;

long long PixelCount(std::span<const IconFrameRef> frames) {
  long long pixels = 0;
  for (const IconFrameRef& frame : frames) {
    pixels += static_cast<long long>(frame.image->GetWidth()) * frame.image->GetHeight();
  }
  return pixels;
}

// One encoded image and its length, or why it could not be encoded.
struct EncodedImage {
  std::vector<std::uint8_t> bytes;
  Result<std::size_t> written = std::size_t{0};
};

// Every image encoded on its own, each independent of the others: several at once for larger
// icons, on the calling thread for small ones.
std::vector<EncodedImage> EncodeImages(std::span<const IconFrameRef> frames,
                                       const IconWriteOptions& options) {
  std::vector<EncodedImage> images(frames.size());
  const unsigned threads = PixelCount(frames) >= kParallelPixels ? 0 : 1;
  ParallelFor(
      frames.size(),
      [&](std::size_t i) {
        images[i].written = WriteIconImage(*frames[i].image, WrittenBitsOf(frames[i].format),
                                           images[i].bytes, options);
      },
      threads);
  return images;
}

Status WriteAll(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames, int hotspotX,
                int hotspotY, const IconWriteOptions& options) {
  if (frames.empty() || frames.size() > 0xFFFF) {
    return {ErrorCode::kBadFormat, "Icon file: needs 1 to 65535 images"};
  }
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const CDib* image = frames[i].image;
    if (image == nullptr || !image->IsLive()) {
      return FrameError(i, {ErrorCode::kBadFormat, "no image to write"});
    }
  }

  // Header and directory go first with placeholder lengths and offsets, which are patched once
  // each image is written: every image, PNG streams included, is encoded exactly once.
  const bool cursor = hotspotX != kIconNoHotspot;
  const std::size_t start = out.size();
  ByteSink sink(out);
  sink.U16(0);
  sink.U16(cursor ? 2 : 1);
  sink.U16(static_cast<std::uint16_t>(frames.size()));
  for (const IconFrameRef& frame : frames) {
    WriteEntry(sink, *frame.image, WrittenBitsOf(frame.format), cursor, hotspotX, hotspotY, 0, 0);
  }
  std::vector<EncodedImage> encoded = EncodeImages(frames, options);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const std::size_t offset = out.size() - start;
    const Result<std::size_t>& written = encoded[i].written;
    if (!written.ok()) return FrameError(i, written.status());
    out.insert(out.end(), encoded[i].bytes.begin(), encoded[i].bytes.end());
    if (out.size() - start > 0xFFFFFFFFu) {
      return FrameError(i, {ErrorCode::kTooLarge, "file over 4 GiB"});
    }
    const std::size_t entry = start + kHeaderSize + kEntrySize * i;
    sink.PatchU32(entry + 8, static_cast<std::uint32_t>(*written));
    sink.PatchU32(entry + 12, static_cast<std::uint32_t>(offset));
  }
  return Status::Ok();
}

}  // namespace

std::vector<IconFrameRef> FrameRefs(std::span<const IconFrame> frames) {
  std::vector<IconFrameRef> refs;
  refs.reserve(frames.size());
  for (const IconFrame& f : frames) refs.push_back({&f.image, f.format});
  return refs;
}

Status WriteIconFile(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames,
                     int hotspotX, int hotspotY, const IconWriteOptions& options) {
  const std::size_t start = out.size();
  Status st;
  try {
    st = WriteAll(out, frames, hotspotX, hotspotY, options);
  } catch (const std::bad_alloc&) {
    st = {ErrorCode::kOutOfMemory, "Icon file: out of memory"};
  }
  if (!st.ok()) out.resize(start);
  return st;
}

Status WriteIconFile(const std::filesystem::path& path, std::span<const IconFrameRef> frames,
                     int hotspotX, int hotspotY, const IconWriteOptions& options) {
  std::vector<std::uint8_t> bytes;
  if (Status st = WriteIconFile(bytes, frames, hotspotX, hotspotY, options); !st.ok()) return st;
  return WriteFileAtomic(path, bytes);
}

Status WriteOneImageIconFile(std::vector<std::uint8_t>& out, const CDib& image, int format,
                             int hotspotX, int hotspotY, const IconWriteOptions& options) {
  const IconFrameRef frame{&image, format};
  return WriteIconFile(out, std::span<const IconFrameRef>(&frame, 1), hotspotX, hotspotY, options);
}

}  // namespace morvane
