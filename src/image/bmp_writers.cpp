// The four BMP stream writers of CDib. Each appends a complete file: the 14-byte file header,
// the 40-byte info header, the palette and the rows, bottom row first. Pixels are read through
// the clip rectangle, so a writer sets the clip to the whole image for the encoding.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "image/byte_sink.h"
#include "image/color_reduction.h"
#include "image/dib.h"

namespace morvane {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

struct BmpLayout {
  int width = 0;
  int height = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t rowBytes = 0;
  std::uint32_t paletteEntries = 0;

  std::uint32_t DataOffset() const {
    return kFileHeaderSize + kInfoHeaderSize + 4 * paletteEntries;
  }
  std::uint64_t ImageSize() const {
    return std::uint64_t{rowBytes} * static_cast<std::uint32_t>(height);
  }
  // A non-empty image whose file size fits the 32-bit size field.
  bool IsWritable() const {
    return width > 0 && height > 0 &&
           DataOffset() + ImageSize() <= std::numeric_limits<std::uint32_t>::max();
  }
};

BmpLayout LayoutFor(const CDib& image, std::uint16_t bitCount, std::uint32_t paletteEntries) {
  BmpLayout layout;
  layout.width = image.GetWidth();
  layout.height = image.GetHeight();
  layout.bitCount = bitCount;
  layout.paletteEntries = paletteEntries;
  const auto width = static_cast<std::uint32_t>(layout.width);
  switch (bitCount) {
    case 32:
      layout.rowBytes = 4 * width;
      break;
    case 24:
      layout.rowBytes = (3 * width + 3) & ~3u;
      break;
    case 8:
      layout.rowBytes = (width + 3) / 4 * 4;
      break;
    default:
      layout.rowBytes = (width + 7) / 8 * 4;
      break;
  }
  return layout;
}

void WriteFileHeader(ByteSink& sink, const BmpLayout& layout) {
  const auto imageSize = static_cast<std::uint32_t>(layout.ImageSize());
  sink.Tag("BM");
  sink.U32(layout.DataOffset() + imageSize);
  sink.U16(0);
  sink.U16(0);
  sink.U32(layout.DataOffset());
}

void WriteInfoHeader(ByteSink& sink, const BmpLayout& layout) {
  sink.U32(kInfoHeaderSize);
  sink.I32(layout.width);
  sink.I32(layout.height);  // positive: rows bottom-up
  sink.U16(1);              // planes
  sink.U16(layout.bitCount);
  sink.U32(0);  // uncompressed
  sink.U32(static_cast<std::uint32_t>(layout.ImageSize()));
  sink.I32(0);  // horizontal resolution
  sink.I32(0);  // vertical resolution
  sink.U32(layout.paletteEntries);
  sink.U32(0);  // important colours
}

// Writes paletteEntries entries: the palette's own, then zeros.
void WritePalette(ByteSink& sink, const BmpLayout& layout, const Palette& palette) {
  for (std::uint32_t i = 0; i < layout.paletteEntries; ++i) {
    if (i < palette.size()) {
      sink.Bytes(palette[i]);
    } else {
      sink.Zeros(4);
    }
  }
}

// Appends headers, palette and rows (fillRow(y, row) fills one zeroed row of rowBytes); on any
// failure out is left as it was and 0 is returned.
template <typename FillRow>
std::size_t WriteBmp(std::vector<std::uint8_t>& out, const BmpLayout& layout,
                     const Palette& palette, FillRow fillRow) {
  if (!layout.IsWritable()) return 0;
  const std::size_t start = out.size();
  try {
    ByteSink sink(out);
    out.reserve(start + layout.DataOffset() + layout.ImageSize());
    WriteFileHeader(sink, layout);
    WriteInfoHeader(sink, layout);
    WritePalette(sink, layout, palette);
    std::vector<std::uint8_t> row(layout.rowBytes);
    for (int y = layout.height - 1; y >= 0; --y) {
      std::fill(row.begin(), row.end(), std::uint8_t{0});
      fillRow(y, row);
      sink.Bytes(row);
    }
    return sink.Written();
  } catch (const std::bad_alloc&) {
    out.resize(start);
    return 0;
  }
}

}  // namespace

std::size_t CDib::WriteBmp24(std::vector<std::uint8_t>& out) const {
  const BmpLayout layout = LayoutFor(*this, 24, 0);
  return WriteBmp(out, layout, {}, [&](int y, std::vector<std::uint8_t>& row) {
    for (int x = 0; x < layout.width; ++x) {
      const Pixel p = GetPixel(x, y);  // alpha is dropped, not flattened
      row[3 * x] = static_cast<std::uint8_t>(BlueOf(p));
      row[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(p));
      row[3 * x + 2] = static_cast<std::uint8_t>(RedOf(p));
    }
  });
}

std::size_t CDib::WriteBmp32(std::vector<std::uint8_t>& out) const {
  const BmpLayout layout = LayoutFor(*this, 32, 0);
  return WriteBmp(out, layout, {}, [&](int y, std::vector<std::uint8_t>& row) {
    for (int x = 0; x < layout.width; ++x) {
      const Pixel p = GetPixel(x, y);
      for (int byte = 0; byte < 4; ++byte)
        row[4 * x + byte] = static_cast<std::uint8_t>(p >> (8 * byte));
    }
  });
}

std::size_t CDib::WriteBmp8(std::vector<std::uint8_t>& out) const {
  const BmpLayout layout = LayoutFor(*this, 8, 256);
  if (!layout.IsWritable()) return 0;
  IndexedImage reduced;
  if (!ReduceToIndices(*this, 256, reduced, true, false)) return 0;
  return WriteBmp(out, layout, reduced.palette, [&](int y, std::vector<std::uint8_t>& row) {
    const std::uint8_t* indices =
        reduced.indices.data() + static_cast<std::size_t>(y) * layout.width;
    std::copy(indices, indices + layout.width, row.begin());
  });
}

std::size_t CDib::WriteBmp4(std::vector<std::uint8_t>& out) const {
  const BmpLayout layout = LayoutFor(*this, 4, 16);
  if (!layout.IsWritable()) return 0;
  IndexedImage reduced;
  if (!ReduceToIndices(*this, 16, reduced, false, false)) return 0;
  return WriteBmp(out, layout, reduced.palette, [&](int y, std::vector<std::uint8_t>& row) {
    const std::uint8_t* indices =
        reduced.indices.data() + static_cast<std::size_t>(y) * layout.width;
    for (int x = 0; x < layout.width; ++x) {
      const int shift = (x % 2 == 0) ? 4 : 0;  // even x in the high nibble
      row[x / 2] |= static_cast<std::uint8_t>((indices[x] & 0x0F) << shift);
    }
  });
}

}  // namespace morvane
