// Writing animated cursors: one layout, every list and chunk size patched in after its content.
#include <algorithm>
#include <new>
#include <string>

#include "formats/ani_codec.h"

#include "formats/ansi_text.h"
#include "formats/file_io.h"
#include "image/byte_sink.h"

namespace morvane {
namespace {

constexpr std::uint32_t kAnihSize = 36;
constexpr std::uint32_t kDefaultRate = 10;
// The frames are icon or cursor streams; no sequence.
constexpr std::uint32_t kFlagIconStreams = 1;

// The bytes an INFO entry stores: up to the first zero (the file's terminator) and at most
// kAniMaxTextLength characters.
std::vector<std::uint8_t> EntryText(std::string_view text) {
  std::vector<std::uint8_t> bytes = Utf8ToCp1252(text);
  const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  bytes.erase(zero, bytes.end());
  if (bytes.size() > kAniMaxTextLength) bytes.resize(kAniMaxTextLength);
  return bytes;
}

// RIFF keeps chunks at even offsets: an odd-length chunk is followed by one zero byte that its
// size does not count.
void PadToEven(ByteSink& sink, std::size_t chunkLength) {
  if (chunkLength % 2 != 0) sink.U8(0);
}

// Starts a chunk with a placeholder size; FinishChunk patches it and pads.
std::size_t BeginChunk(ByteSink& sink, std::string_view tag) {
  const std::size_t at = sink.Position();
  sink.Tag(tag);
  sink.U32(0);
  return at;
}

void FinishChunk(ByteSink& sink, std::size_t at) {
  const std::size_t length = sink.Position() - at - 8;
  sink.PatchU32(at + 4, static_cast<std::uint32_t>(length));
  PadToEven(sink, length);
}

// The entry's size is the text length with its terminating zero.
void WriteInfoEntry(ByteSink& sink, std::string_view tag, const std::vector<std::uint8_t>& text) {
  const std::size_t at = BeginChunk(sink, tag);
  sink.Bytes(text);
  sink.U8(0);
  FinishChunk(sink, at);
}

void WriteInfoList(ByteSink& sink, const std::vector<std::uint8_t>& title,
                   const std::vector<std::uint8_t>& author) {
  if (title.empty() && author.empty()) return;
  const std::size_t at = BeginChunk(sink, "LIST");
  sink.Tag("INFO");
  if (!title.empty()) WriteInfoEntry(sink, "INAM", title);
  if (!author.empty()) WriteInfoEntry(sink, "IART", author);
  FinishChunk(sink, at);
}

void WriteHeader(ByteSink& sink, std::uint32_t count) {
  sink.Tag("anih");
  sink.U32(kAnihSize);
  sink.U32(kAnihSize);
  sink.U32(count);  // frames
  sink.U32(count);  // steps
  sink.Zeros(16);   // width, height, bit count, planes: taken from the streams
  sink.U32(kDefaultRate);
  sink.U32(kFlagIconStreams);
}

void WriteRates(ByteSink& sink, std::span<const int> rates) {
  sink.Tag("rate");
  sink.U32(static_cast<std::uint32_t>(rates.size() * 4));
  for (const int rate : rates) sink.I32(rate);
}

Status WriteFrameList(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames,
                      int hotspotX, int hotspotY, const IconWriteOptions& options) {
  ByteSink sink(out);
  const std::size_t list = BeginChunk(sink, "LIST");
  sink.Tag("fram");
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].image == nullptr) {
      return {ErrorCode::kBadFormat, "frame " + std::to_string(i + 1) + ": no image to write"};
    }
    const std::size_t chunk = BeginChunk(sink, "icon");
    const Status st =
        WriteOneImageIconFile(out, *frames[i].image, frames[i].format, hotspotX, hotspotY, options);
    if (!st.ok()) return st.WithContext("frame " + std::to_string(i + 1));
    FinishChunk(sink, chunk);
  }
  FinishChunk(sink, list);
  return Status::Ok();
}

Status WriteAni(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames,
                std::span<const int> rates, int hotspotX, int hotspotY, std::string_view title,
                std::string_view author, const IconWriteOptions& options) {
  ByteSink sink(out);
  sink.Tag("RIFF");
  sink.U32(0);
  sink.Tag("ACON");
  WriteInfoList(sink, EntryText(title), EntryText(author));
  WriteHeader(sink, static_cast<std::uint32_t>(frames.size()));
  WriteRates(sink, rates);
  if (Status st = WriteFrameList(out, frames, hotspotX, hotspotY, options); !st.ok()) return st;
  if (out.size() - 8 > 0xFFFFFFFFu) return {ErrorCode::kTooLarge, "file over 4 GiB"};
  sink.PatchU32(4, static_cast<std::uint32_t>(out.size() - 8));
  return Status::Ok();
}

}  // namespace

Status SaveAniFile(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames,
                   std::span<int> rates, int hotspotX, int hotspotY, std::string_view title,
                   std::string_view author, const IconWriteOptions& options) {
  if (frames.empty() || frames.size() > kMaxIconFrames) {
    return {ErrorCode::kBadFormat, "Animated cursor: needs 1 to 256 frames"};
  }
  if (rates.size() != frames.size()) {
    return {ErrorCode::kBadFormat, "Animated cursor: one rate per frame is needed"};
  }
  std::replace(rates.begin(), rates.end(), 0, kAniRateForUnset);

  // Built apart so that offsets count from the file's start and a failure leaves out alone.
  std::vector<std::uint8_t> file;
  Status st;
  try {
    st = WriteAni(file, frames, rates, hotspotX, hotspotY, title, author, options);
    if (st.ok()) out.insert(out.end(), file.begin(), file.end());
  } catch (const std::bad_alloc&) {
    st = {ErrorCode::kOutOfMemory, "out of memory"};
  }
  return st.ok() ? st : st.WithContext("Animated cursor");
}

Status SaveAniFile(const std::filesystem::path& path, std::span<const IconFrameRef> frames,
                   std::span<int> rates, int hotspotX, int hotspotY, std::string_view title,
                   std::string_view author, const IconWriteOptions& options) {
  std::vector<std::uint8_t> bytes;
  Status st = SaveAniFile(bytes, frames, rates, hotspotX, hotspotY, title, author, options);
  if (!st.ok()) return st;
  return WriteFileAtomic(path, bytes);
}

}  // namespace morvane
