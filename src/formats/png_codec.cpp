#include "formats/png_codec.h"

namespace morvane {

// FIXME: the libpng-backed implementation replaces these placeholders shortly.
Result<int> LoadPng(Bytes, CDib& image) {
  image.Release();
  return Status(ErrorCode::kUnsupported, "PNG reading is not built yet");
}

Result<int> LoadPngFile(const std::filesystem::path&, std::uint64_t, CDib& image) {
  image.Release();
  return Status(ErrorCode::kUnsupported, "PNG reading is not built yet");
}

Result<std::size_t> EncodePng(const CDib&, int, std::vector<std::uint8_t>&, std::size_t) {
  return Status(ErrorCode::kUnsupported, "PNG writing is not built yet");
}

Result<std::size_t> MeasurePng(const CDib&, int) {
  return Status(ErrorCode::kUnsupported, "PNG writing is not built yet");
}

Status SavePngFile(const std::filesystem::path&, const CDib&, int) {
  return Status(ErrorCode::kUnsupported, "PNG writing is not built yet");
}

}  // namespace morvane
