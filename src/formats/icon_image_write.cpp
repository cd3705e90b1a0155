// The per-format icon image writers: bitmap form (header, palette, colour rows, AND mask) and
// the PNG form of 256 x 256 frames.
#include <algorithm>
#include <new>
#include <string>

#include "formats/icon_image.h"
#include "formats/png_codec.h"
#include "formats/whole_clip.h"
#include "image/byte_sink.h"
#include "image/color_reduction.h"

namespace morvane {
namespace {

std::size_t RowBytes(int width, int bitCount) {
  return (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
}

int Threshold(const IconWriteOptions& options) {
  return std::clamp(options.alphaLevel, 1, 255);
}

Pixel MattePixel(const IconWriteOptions& options) {
  return SwapRedBlue(options.matteColor) | 0xFF000000;
}

// Colour rows and AND mask of a bitmap-form image, addressed in image rows (top-down) and stored
// bottom-up as the file wants them.
class BitmapRows {
 public:
  BitmapRows(int width, int height, int bitCount)
      : width_(width),
        height_(height),
        colorRowBytes_(RowBytes(width, bitCount)),
        maskRowBytes_(RowBytes(width, 1)),
        color_(colorRowBytes_ * height, 0),
        mask_(maskRowBytes_ * height, 0) {}

  std::uint8_t* ColorRow(int y) { return color_.data() + colorRowBytes_ * (height_ - 1 - y); }
  void SetMaskBit(int x, int y) {
    mask_[maskRowBytes_ * (height_ - 1 - y) + x / 8] |= static_cast<std::uint8_t>(0x80 >> x % 8);
  }
  void SetIndex(int x, int y, int bitCount, int index) {
    std::uint8_t* row = ColorRow(y);
    if (bitCount == 8) {
      row[x] = static_cast<std::uint8_t>(index);
    } else if (bitCount == 4) {
      row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    } else if (index != 0) {
      row[x / 8] |= static_cast<std::uint8_t>(0x80 >> x % 8);
    }
  }
  std::size_t ColorBytes() const { return color_.size(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Header (height doubled for the mask), palette, colour rows, mask.
  std::size_t Append(std::vector<std::uint8_t>& out, int bitCount, const Palette& palette,
                     std::uint32_t imageSizeField) const {
    ByteSink sink(out);
    sink.U32(40);
    sink.I32(width_);
    sink.I32(2 * height_);
    sink.U16(1);
    sink.U16(static_cast<std::uint16_t>(bitCount));
    sink.U32(0);
    sink.U32(imageSizeField);
    sink.Zeros(16);  // resolutions, colours used, important colours
    for (const PaletteEntry& e : palette) sink.Bytes(e);
    sink.Bytes(color_);
    sink.Bytes(mask_);
    return sink.Written();
  }

 private:
  int width_, height_;
  std::size_t colorRowBytes_, maskRowBytes_;
  std::vector<std::uint8_t> color_, mask_;
};

// The palette of exactly `count` entries: the given ones, then (0, 0, 0, 0).
Palette PaddedPalette(Palette palette, std::size_t count) {
  palette.resize(count, PaletteEntry{0, 0, 0, 0});
  return palette;
}

// An opaque copy: the matte colour with the frame composited over it.
bool FlattenOntoMatte(const CDib& image, const IconWriteOptions& options, CDib& flat) {
  if (!flat.Create(image.Width(), image.Height())) return false;
  flat.Fill(MattePixel(options));
  flat.BlendFrom(image, 255);
  return true;
}

Status NoImage() {
  return {ErrorCode::kBadFormat, "Icon image: no image to write"};
}
Status NoMemory() {
  return {ErrorCode::kOutOfMemory, "Icon image: out of memory"};
}

// Runs a writer body, turning an allocation failure into a status and keeping out unchanged on
// any failure.
template <class Body>
Result<std::size_t> Guarded(const CDib& image, std::vector<std::uint8_t>& out, Body&& body) {
  if (!image.IsLive()) return NoImage();
  const std::size_t start = out.size();
  try {
    Result<std::size_t> written = body();
    if (!written.ok()) out.resize(start);
    return written;
  } catch (const std::bad_alloc&) {
    out.resize(start);
    return NoMemory();
  }
}

// Fills indexed rows: a pixel less opaque than the threshold goes to the mask with index 0, the
// others keep their index from the reduction.
void SetIndexedRows(const CDib& image, const IndexedImage& indexed, int threshold, int bits,
                    BitmapRows& rows) {
  const int mask = (1 << bits) - 1;
  for (int y = 0; y < rows.Height(); ++y) {
    const Pixel* p = image.Row(y);
    const std::uint8_t* indices =
        indexed.indices.data() + static_cast<std::size_t>(y) * rows.Width();
    for (int x = 0; x < rows.Width(); ++x) {
      const bool transparent = static_cast<int>(AlphaOf(p[x])) < threshold;
      if (transparent) rows.SetMaskBit(x, y);
      rows.SetIndex(x, y, bits, transparent ? 0 : indices[x] & mask);
    }
  }
}

}  // namespace

bool UsesPngForm(int width, int height, int format) {
  return width == 256 && height == 256 && (format == 8 || format == 24 || format == 32);
}

Result<std::size_t> WriteImage1(const CDib& image, std::vector<std::uint8_t>& out,
                                const IconWriteOptions& options) {
  return Guarded(image, out, [&]() -> Result<std::size_t> {
    const int t = Threshold(options);
    BitmapRows rows(image.Width(), image.Height(), 1);
    for (int y = 0; y < rows.Height(); ++y) {
      const Pixel* p = image.Row(y);
      for (int x = 0; x < rows.Width(); ++x) {
        if (static_cast<int>(AlphaOf(p[x])) < t) {
          rows.SetMaskBit(x, y);
        } else if (std::max({RedOf(p[x]), GreenOf(p[x]), BlueOf(p[x])}) > 64) {
          rows.SetIndex(x, y, 1, 1);
        }
      }
    }
    const Palette palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return rows.Append(out, 1, palette, static_cast<std::uint32_t>(rows.ColorBytes()));
  });
}

Result<std::size_t> WriteImage4(const CDib& image, std::vector<std::uint8_t>& out,
                                const IconWriteOptions& options) {
  return Guarded(image, out, [&]() -> Result<std::size_t> {
    CDib scratch;
    const CDib* whole = WithWholeClip(image, scratch);
    IndexedImage indexed;
    if (whole == nullptr || !ReduceToIndices(*whole, 16, indexed, false, false)) return NoMemory();
    BitmapRows rows(image.Width(), image.Height(), 4);
    SetIndexedRows(image, indexed, Threshold(options), 4, rows);
    return rows.Append(out, 4, SystemPalette16Bgr(), static_cast<std::uint32_t>(rows.ColorBytes()));
  });
}

Result<std::size_t> WriteImage8(const CDib& image, std::vector<std::uint8_t>& out,
                                const IconWriteOptions& options) {
  return Guarded(image, out, [&]() -> Result<std::size_t> {
    CDib flat;
    IndexedImage indexed;
    if (!FlattenOntoMatte(image, options, flat) ||
        !ReduceToIndices(flat, 256, indexed, true, true)) {
      return NoMemory();
    }
    BitmapRows rows(image.Width(), image.Height(), 8);
    SetIndexedRows(image, indexed, Threshold(options), 8, rows);
    return rows.Append(out, 8, PaddedPalette(indexed.palette, 256),
                       static_cast<std::uint32_t>(rows.ColorBytes()));
  });
}

Result<std::size_t> WriteImage24(const CDib& image, std::vector<std::uint8_t>& out,
                                 const IconWriteOptions& options) {
  return Guarded(image, out, [&]() -> Result<std::size_t> {
    const int t = Threshold(options);
    const Pixel matte = MattePixel(options);
    BitmapRows rows(image.Width(), image.Height(), 24);
    for (int y = 0; y < rows.Height(); ++y) {
      const Pixel* p = image.Row(y);
      std::uint8_t* row = rows.ColorRow(y);
      for (int x = 0; x < rows.Width(); ++x) {
        if (static_cast<int>(AlphaOf(p[x])) < t) {
          rows.SetMaskBit(x, y);
          continue;  // colour (0, 0, 0)
        }
        const Pixel flat = AlphaOver(matte, p[x]);
        row[3 * x] = static_cast<std::uint8_t>(BlueOf(flat));
        row[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(flat));
        row[3 * x + 2] = static_cast<std::uint8_t>(RedOf(flat));
      }
    }
    return rows.Append(out, 24, {}, static_cast<std::uint32_t>(rows.ColorBytes()));
  });
}

Result<std::size_t> WriteImage32(const CDib& image, std::vector<std::uint8_t>& out,
                                 const IconWriteOptions&) {
  return Guarded(image, out, [&]() -> Result<std::size_t> {
    BitmapRows rows(image.Width(), image.Height(), 32);
    for (int y = 0; y < rows.Height(); ++y) {
      const Pixel* p = image.Row(y);
      std::uint8_t* row = rows.ColorRow(y);
      for (int x = 0; x < rows.Width(); ++x) {
        if (IsTransparent(p[x])) {
          rows.SetMaskBit(x, y);
          continue;  // written as 0
        }
        row[4 * x] = static_cast<std::uint8_t>(BlueOf(p[x]));
        row[4 * x + 1] = static_cast<std::uint8_t>(GreenOf(p[x]));
        row[4 * x + 2] = static_cast<std::uint8_t>(RedOf(p[x]));
        row[4 * x + 3] = static_cast<std::uint8_t>(AlphaOf(p[x]));
      }
    }
    const std::size_t maskBytes = RowBytes(rows.Width(), 1) * rows.Height();
    return rows.Append(out, 32, {}, static_cast<std::uint32_t>(rows.ColorBytes() + maskBytes));
  });
}

Result<std::size_t> WriteImagePng(const CDib& image, int format, std::vector<std::uint8_t>* out,
                                  const IconWriteOptions& options) {
  if (!image.IsLive()) return NoImage();
  if (format != 8 && format != 24) format = 32;
  const CDib* source = &image;
  CDib flat;
  if (format != 32) {
    // Formats without alpha: flattened onto the matte, pixels under the threshold transparent
    // (their flattened colour kept).
    if (!FlattenOntoMatte(image, options, flat)) return NoMemory();
    const int t = Threshold(options);
    for (int y = 0; y < image.Height(); ++y) {
      const Pixel* p = image.Row(y);
      Pixel* q = flat.Row(y);
      for (int x = 0; x < image.Width(); ++x) {
        if (static_cast<int>(AlphaOf(p[x])) < t) q[x] &= 0x00FFFFFF;
      }
    }
    source = &flat;
  }
  if (out == nullptr) return MeasurePng(*source, format);
  const std::size_t capacity = static_cast<std::size_t>(image.Width()) * image.Height() * 4 + 10000;
  return EncodePng(*source, format, *out, capacity);
}

int WrittenBitsOf(int format) {
  return format == 1 || format == 4 || format == 8 || format == 24 ? format : 32;
}

Result<std::size_t> WriteBitmapImage(const CDib& image, int bits, std::vector<std::uint8_t>& out,
                                     const IconWriteOptions& options) {
  switch (bits) {
    case 1:
      return WriteImage1(image, out, options);
    case 4:
      return WriteImage4(image, out, options);
    case 8:
      return WriteImage8(image, out, options);
    case 24:
      return WriteImage24(image, out, options);
    case 32:
      return WriteImage32(image, out, options);
    default:
      return Status(ErrorCode::kUnsupported, "bit count " + std::to_string(bits));
  }
}

Result<std::size_t> WriteIconImage(const CDib& image, int format, std::vector<std::uint8_t>& out,
                                   const IconWriteOptions& options) {
  if (UsesPngForm(image.GetWidth(), image.GetHeight(), format)) {
    return WriteImagePng(image, format, &out, options);
  }
  return WriteBitmapImage(image, WrittenBitsOf(format), out, options);
}

Result<std::size_t> IconImageLength(const CDib& image, int format,
                                    const IconWriteOptions& options) {
  if (!image.IsLive()) return NoImage();
  const int w = image.Width();
  const std::size_t h = static_cast<std::size_t>(image.Height());
  if (UsesPngForm(w, image.Height(), format)) return WriteImagePng(image, format, nullptr, options);
  const std::size_t mask = h * RowBytes(w, 1);
  switch (format) {
    case 1:
      return 2 * mask + 48;
    case 4:
      return h * RowBytes(w, 4) + mask + 104;
    case 8:
      return h * RowBytes(w, 8) + mask + 1064;
    case 24:
      return h * RowBytes(w, 24) + mask + 40;
    default:
      return h * RowBytes(w, 32) + mask + 40;
  }
}

}  // namespace morvane
