// One icon image: the block that every container of the program stores per image (ICO and CUR
// files, icon chunks of animated cursors, icon resources of libraries and executables). Either
// a device-independent bitmap (40-byte header, palette, colour rows, AND mask rows, bottom-up)
// or, for 256 x 256 images of formats 8, 24 and 32, a complete PNG stream.
//
// Decoding gives a 32-bit image and the bit count it was stored with; the writers produce each
// colour format from the 32-bit working pixels, thresholding alpha with "Alpha level" and
// flattening partial alpha onto "Matte color" where the format has no alpha channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// The writers' two settings.
struct IconWriteOptions {
  // "Alpha level", 1..255: a pixel whose alpha is below it is transparent in every form
  // without an alpha channel.
  int alphaLevel = 85;
  // "Matte color", a platform colour 0x00BBGGRR: what partly transparent pixels are flattened
  // onto in formats 8 and 24.
  std::uint32_t matteColor = 0xDDDDDD;
};

// A decoded image block.
struct DecodedIconImage {
  CDib image;
  // The bit count it was stored with: the header's 1, 4, 8, 24 or 32 for a bitmap; the depth
  // read (1, 4, 8, 24 or 32) for a PNG stream.
  int bitCount = 0;
  bool isPng = false;
};

// Decodes one image block (bitmap or PNG form). Fails on an unsupported bit count or
// compression, a block shorter than its header's size and bit count need, or a PNG stream that
// does not decode. A 32-bit bitmap whose alpha bytes are all 0 is read as an image without
// alpha: opaque, with its AND mask applied.
Result<DecodedIconImage> DecodeIconImage(Bytes data);

// Where the parts of a bitmap-form block lie, as its header says.
struct IconBitmapLayout {
  int width = 0;
  int height = 0;  // the image's, i.e. half the header's (colour rows plus mask rows)
  int bitCount = 0;
  std::uint64_t paletteOffset = 0;
  std::uint32_t paletteEntries = 0;
  std::uint64_t colorOffset = 0;
  std::uint64_t colorRowBytes = 0;
  std::uint64_t maskOffset = 0;
  std::uint64_t maskRowBytes = 0;
  // The bytes a complete block needs: up to the end of the AND mask.
  std::uint64_t MaskEnd() const { return maskOffset + maskRowBytes * std::uint64_t(height); }
};

// Reads and checks a bitmap block's header: the bit count must be 1, 4, 8, 24 or 32, the block
// uncompressed and its size positive. The palette starts after the header (40 bytes, or the
// larger size a newer header declares); a colour count below the bit count's maximum is the
// length of a shortened palette. Whether the data holds all of it is left to the caller.
Result<IconBitmapLayout> ReadIconBitmapLayout(Bytes data);

// True when this frame is stored as a PNG stream: exactly 256 x 256 and format 8, 24 or 32.
bool UsesPngForm(int width, int height, int format);

// The per-format writers. Each appends one image block to out and returns its length; on
// failure out is left as it was. They read the whole image, whatever its clip.
Result<std::size_t> WriteImage1(const CDib& image, std::vector<std::uint8_t>& out,
                                const IconWriteOptions& options = {});
Result<std::size_t> WriteImage4(const CDib& image, std::vector<std::uint8_t>& out,
                                const IconWriteOptions& options = {});
Result<std::size_t> WriteImage8(const CDib& image, std::vector<std::uint8_t>& out,
                                const IconWriteOptions& options = {});
Result<std::size_t> WriteImage24(const CDib& image, std::vector<std::uint8_t>& out,
                                 const IconWriteOptions& options = {});
Result<std::size_t> WriteImage32(const CDib& image, std::vector<std::uint8_t>& out,
                                 const IconWriteOptions& options = {});
// The bit count a frame of this format is written with: 1, 4, 8 and 24 as they are, anything
// else 32 (the icon, cursor and library writers all treat formats so).
int WrittenBitsOf(int format);

// The bitmap form at 1, 4, 8, 24 or 32 bits; any other bit count fails as unsupported.
Result<std::size_t> WriteBitmapImage(const CDib& image, int bits, std::vector<std::uint8_t>& out,
                                     const IconWriteOptions& options = {});
// The PNG form at format 8, 24 or 32 (others count as 32). With out == nullptr nothing is
// stored and the result is the exact length the stream would have.
Result<std::size_t> WriteImagePng(const CDib& image, int format, std::vector<std::uint8_t>* out,
                                  const IconWriteOptions& options = {});

// The block of a frame in its format (1, 4, 8, 24; anything else is 32), in the form
// UsesPngForm chooses.
Result<std::size_t> WriteIconImage(const CDib& image, int format, std::vector<std::uint8_t>& out,
                                   const IconWriteOptions& options = {});
// The length WriteIconImage would append: computed for the bitmap form, measured for PNG.
Result<std::size_t> IconImageLength(const CDib& image, int format,
                                    const IconWriteOptions& options = {});

}  // namespace morvane
