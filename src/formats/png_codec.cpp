// The file forms of the PNG codec, over the memory forms in png_reader.cpp and png_writer.cpp.
#include "formats/png_codec.h"

#include "formats/file_io.h"

namespace morvane {

Result<int> LoadPngFile(const std::filesystem::path& path, std::uint64_t offset, CDib& image) {
  image.Release();
  Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  if (offset > bytes->size()) {
    return Status(ErrorCode::kTruncated, "Error reading PNG file: offset beyond the file's end");
  }
  return LoadPng(Bytes(*bytes).subspan(static_cast<std::size_t>(offset)), image);
}

Status SavePngFile(const std::filesystem::path& path, const CDib& image, int requestedDepth) {
  std::vector<std::uint8_t> stream;
  Result<std::size_t> produced = EncodePng(image, requestedDepth, stream);
  if (!produced.ok()) return produced.status();
  return WriteFileAtomic(path, stream);
}

}  // namespace morvane
