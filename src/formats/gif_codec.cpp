#include "formats/gif_codec.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "formats/file_io.h"
#include "formats/gif_lzw.h"
#include "formats/whole_clip.h"
#include "image/byte_sink.h"
#include "image/color_reduction.h"

namespace morvane {

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr int kMaxGifSide = 0xFFFF;

// --- Reading ----------------------------------------------------------------------------------

// A colour table as pixels without alpha; entries past the file's table stay black.
struct ColorTable {
  std::array<Pixel, 256> colors{};
  int count = 0;
};

bool ReadColorTable(ByteReader& in, std::uint8_t packed, ColorTable& table) {
  table = {};
  if ((packed & 0x80) == 0) return true;
  table.count = 1 << ((packed & 0x07) + 1);
  for (int i = 0; i < table.count; ++i) {
    const std::uint8_t r = in.U8(), g = in.U8(), b = in.U8();
    table.colors[static_cast<std::size_t>(i)] = MakePixel(0, r, g, b);
  }
  return in.ok();
}

// Fewer colours mean fewer meaningful index bits; stray high bits are masked away.
std::uint8_t IndexMaskFor(int colorCount) {
  if (colorCount <= 2) return 0x01;
  if (colorCount <= 16) return 0x0F;
  return 0xFF;
}

// Where each completed row goes: top to bottom, or the four interlace passes.
class RowOrder {
 public:
  RowOrder(int height, bool interlaced) : height_(height), interlaced_(interlaced) {}
  int Current() const { return row_; }
  void Advance() {
    if (!interlaced_) {
      ++row_;
      return;
    }
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    row_ += kStep[pass_];
    while (row_ >= height_ && pass_ < 3) row_ = kStart[++pass_];
  }

 private:
  int height_;
  bool interlaced_;
  int pass_ = 0;
  int row_ = 0;
};

// Collects decoded indices into rows and stores each completed row as pixels.
class RowAssembler final : public GifIndexSink {
 public:
  // The canvas is created when the first row is complete: an image that stores no row costs
  // nothing, however large it claims to be, so a small file of many such images cannot make the
  // reader clear gigabytes.
  RowAssembler(CDib& canvas, int width, int height, const ColorTable& table, int transparent,
               bool interlaced)
      : canvas_(canvas),
        width_(width),
        height_(height),
        mask_(IndexMaskFor(table.count)),
        transparent_(transparent),
        colors_(table.colors),
        order_(height_, interlaced),
        row_(static_cast<std::size_t>(width_)) {}

  bool Put(std::span<const std::uint8_t> indices) override {
    for (const std::uint8_t index : indices) {
      row_[static_cast<std::size_t>(column_++)] = index;
      if (column_ == width_) {
        if (!canvas_.IsLive() && !canvas_.Create(width_, height_)) {
          outOfMemory_ = true;
          return false;
        }
        StoreRow();
        if (rowsStored_ == height_) return false;
      }
    }
    return true;
  }

  int RowsStored() const { return rowsStored_; }
  bool OutOfMemory() const { return outOfMemory_; }

 private:
  void StoreRow() {
    Pixel* out = canvas_.Row(order_.Current());
    for (int x = 0; x < width_; ++x) {
      const int index = row_[static_cast<std::size_t>(x)] & mask_;
      const Pixel color = colors_[static_cast<std::size_t>(index)];
      out[x] = index == transparent_ ? color : color | 0xFF000000u;
    }
    order_.Advance();
    column_ = 0;
    ++rowsStored_;
  }

  CDib& canvas_;
  int width_;
  int height_;
  std::uint8_t mask_;
  int transparent_;
  std::array<Pixel, 256> colors_;
  RowOrder order_;
  std::vector<std::uint8_t> row_;
  int column_ = 0;
  int rowsStored_ = 0;
  bool outOfMemory_ = false;
};

// An image's descriptor and what precedes its data.
struct ImageHeader {
  int width = 0;
  int height = 0;
  std::uint8_t packed = 0;
  ColorTable local;
  int minCodeSize = 0;

  bool HasLocalTable() const { return (packed & 0x80) != 0; }
  bool Interlaced() const { return (packed & 0x40) != 0; }
  // Images of no pixels or with an impossible code size hold nothing to decode.
  bool Decodable() const {
    return width != 0 && height != 0 && GifLzwDecoder::IsValidCodeSize(minCodeSize);
  }
};

// Reads the descriptor after the image separator; false when the input ends within it.
bool ReadImageHeader(ByteReader& in, ImageHeader& h) {
  in.Skip(4);  // left and top: every image is decoded onto a canvas of its own
  h.width = in.U16();
  h.height = in.U16();
  h.packed = in.U8();
  if (h.HasLocalTable()) ReadColorTable(in, h.packed, h.local);
  h.minCodeSize = in.U8();
  return in.ok();
}

class GifReader {
 public:
  explicit GifReader(Bytes data) : in_(data) {}

  // Only the last image that stores a row is the result. The blocks are walked first without
  // decoding, and the images then decoded from the last one back until one stores a row: an
  // animation of many large images costs one canvas, not one per image.
  Status Run(CDib& result) {
    if (!in_.Expect("GIF8")) return {ErrorCode::kBadFormat, "not a GIF file"};
    in_.Skip(6);  // rest of the signature, logical screen size
    const std::uint8_t packed = in_.U8();
    in_.Skip(2);  // background index, aspect ratio
    if (!in_.ok() || !ReadColorTable(in_, packed, global_)) {
      return {ErrorCode::kTruncated, "GIF header is cut short"};
    }
    Status walk = WalkBlocks();
    if (!walk.ok()) return walk;
    for (auto image = images_.rbegin(); image != images_.rend(); ++image) {
      CDib canvas;
      Result<int> rows = Decode(*image, canvas);
      if (!rows.ok()) return rows.status();
      if (*rows > 0) {
        result = std::move(canvas);
        return Status::Ok();
      }
    }
    return sawImage_ ? Status(ErrorCode::kTruncated, "GIF image data is missing or corrupt")
                     : Status(ErrorCode::kNoImages, "GIF file holds no image");
  }

 private:
  // Where a decodable image's descriptor starts, and the transparent index given for it.
  struct ImageAt {
    std::size_t descriptor = 0;
    int transparent = -1;
  };

  Status WalkBlocks() {
    for (;;) {
      const std::uint8_t introducer = in_.U8();
      if (!in_.ok()) return Status::Ok();
      if (introducer == kExtensionIntroducer) {
        if (!ReadExtension()) return Status::Ok();
      } else if (introducer == kImageSeparator) {
        bool more = true;
        Status st = NoteImage(more);
        if (!st.ok() || !more) return st;
      } else {
        return Status::Ok();  // the trailer, or something no reader can go past
      }
    }
  }

  bool ReadExtension() {
    const std::uint8_t label = in_.U8();
    if (!in_.ok()) return false;
    if (label == kGraphicControlLabel) {
      const std::uint8_t size = in_.U8();
      const Bytes block = in_.Take(size);
      if (!in_.ok()) return false;
      if (size >= 4) transparent_ = (block[0] & 0x01) ? block[3] : -1;
    }
    return SkipGifSubBlocks(in_);
  }

  // Notes one image and passes over its data. more becomes false when the input cannot be
  // walked any further (a cut-short image is still noted: its stored rows count).
  Status NoteImage(bool& more) {
    sawImage_ = true;
    const std::size_t at = in_.Position();
    ImageHeader h;
    if (!ReadImageHeader(in_, h)) {
      more = false;
      return Status::Ok();
    }
    // A graphic control extension describes only the image that follows it.
    const int transparent = std::exchange(transparent_, -1);
    if (h.Decodable()) {
      if (static_cast<std::uint64_t>(StrideFor(h.width)) * h.height * sizeof(Pixel) >
          kMaxImageBytes) {
        return {ErrorCode::kTooLarge, "GIF image of " + std::to_string(h.width) + " x " +
                                          std::to_string(h.height) + " pixels is too large"};
      }
      images_.push_back({at, transparent});
    }
    more = SkipGifSubBlocks(in_);
    return Status::Ok();
  }

  // Decodes one noted image onto a canvas of its own; the number of rows it stored.
  Result<int> Decode(const ImageAt& image, CDib& canvas) {
    ByteReader in(in_.Data(), image.descriptor);
    ImageHeader h;
    ReadImageHeader(in, h);
    RowAssembler rows(canvas, h.width, h.height, h.HasLocalTable() ? h.local : global_,
                      image.transparent, h.Interlaced());
    GifLzwDecoder decoder(h.minCodeSize);
    decoder.Run(in, rows);
    if (rows.OutOfMemory()) return Status(ErrorCode::kOutOfMemory, "no memory for the GIF image");
    return rows.RowsStored();
  }

  ByteReader in_;
  ColorTable global_;
  int transparent_ = -1;
  bool sawImage_ = false;
  std::vector<ImageAt> images_;
};

// --- Writing ----------------------------------------------------------------------------------

void WriteHeader(ByteSink& out, int width, int height, const Palette& palette) {
  out.Tag("GIF87a");
  out.U16(static_cast<std::uint16_t>(width));
  out.U16(static_cast<std::uint16_t>(height));
  // Global table of 256 entries; the colour resolution is merged in at bit 5, which gives 0xE7.
  out.U8(static_cast<std::uint8_t>(0x80 | (8 - 1) << 5 | (8 - 1)));
  out.U8(0);  // background index
  out.U8(0);  // pixel aspect ratio
  for (std::size_t i = 0; i < 256; ++i) {
    // Palette entries come in the order blue, green, red.
    const PaletteEntry e = i < palette.size() ? palette[i] : PaletteEntry{};
    out.U8(e[2]);
    out.U8(e[1]);
    out.U8(e[0]);
  }
}

void WriteGraphicControl(ByteSink& out) {
  out.U8(kExtensionIntroducer);
  out.U8(kGraphicControlLabel);
  out.U8(4);
  out.U8(0x01);  // transparent colour flag; no disposal, no user input
  out.U16(0);    // delay
  out.U8(0);     // transparent index
  out.U8(0);
}

void WriteImageDescriptor(ByteSink& out, int width, int height) {
  out.U8(kImageSeparator);
  out.U16(0);
  out.U16(0);
  out.U16(static_cast<std::uint16_t>(width));
  out.U16(static_cast<std::uint16_t>(height));
  out.U8(0);  // no local table, not interlaced
}

}  // namespace

Status ReadGif(Bytes data, CDib& image) {
  return GifReader(data).Run(image);
}

Status ReadGifFile(const std::filesystem::path& path, CDib& image) {
  auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  return ReadGif(*bytes, image).WithContext(path.string());
}

Status WriteGif(const CDib& image, std::vector<std::uint8_t>& out) {
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  if (width <= 0 || height <= 0) return {ErrorCode::kNoImages, "no image to write"};
  if (width > kMaxGifSide || height > kMaxGifSide) {
    return {ErrorCode::kTooLarge, "a GIF image is at most 65535 pixels wide and high"};
  }
  CDib scratch;
  const CDib* source = WithWholeClip(image, scratch);
  if (source == nullptr) return {ErrorCode::kOutOfMemory, "no memory for the GIF image"};
  IndexedImage reduced;
  if (!ReduceToIndices(*source, 256, reduced, true, true)) {
    return {ErrorCode::kOutOfMemory, "no memory to reduce the image to 256 colours"};
  }
  for (int y = 0; y < height; ++y) {
    const Pixel* row = source->Row(y);
    std::uint8_t* indices = reduced.indices.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      if (IsTransparent(row[x])) indices[x] = 0;
    }
  }
  ByteSink sink(out);
  WriteHeader(sink, width, height, reduced.palette);
  WriteGraphicControl(sink);
  WriteImageDescriptor(sink, width, height);
  sink.U8(8);  // minimum code size
  EncodeGifLzw(reduced.indices, sink);
  sink.U8(0);
  sink.U8(kTrailer);
  return Status::Ok();
}

Status WriteGifFile(const std::filesystem::path& path, const CDib& image) {
  std::vector<std::uint8_t> bytes;
  Status st = WriteGif(image, bytes);
  if (!st.ok()) return st.WithContext(path.string());
  return WriteFileAtomic(path, bytes);
}

}  // namespace morvane
