// Colour reduction: monochrome, the fixed 16-colour palette (with optional dithering), computed
// palettes (octree for 128 colours and more, the DL1 routine below that), and the mapping of a
// whole image to palette indices that the palette-based file writers use.
//
// The in-place reductions change only colour bits and keep every pixel's alpha: a frame stays a
// 32-bit image and its transparency is resolved when it is saved. Pixels are read (and written)
// through the clip rectangle, as GetPixel and SetPixel do.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image/dib.h"
#include "image/palette.h"

namespace morvane {

// The fixed 16-colour system palette, entries 0..15: the same byte triples in both channel
// orders. Fed as (red, green, blue), entry 1 is dark red; in BMP and ICO files, whose entries are
// (blue, green, red), the same bytes make entry 1 dark blue.
const std::array<std::array<std::uint8_t, 3>, 16>& SystemPalette16();
// The same triples as palette entries (c0, c1, c2, 0), as BMP and ICO files store them.
Palette SystemPalette16Bgr();

// Black or white per pixel, keeping alpha; transparent pixels are left alone. The target is
// created at the source's size when it has no image; it may be the source itself.
void ReduceToMonochrome(const CDib& source, CDib& target);

// Conversion to the fixed 16-colour palette with dither level 0..128 (0 = none), each target
// pixel keeping the source pixel's alpha. The target may be the source; it is created at the
// source's size when it has no image. Returns false, leaving the target unchanged, when a work
// buffer cannot be allocated; the caller reports "Error in dl1quant".
bool ReduceTo16Colors(const CDib& source, CDib& target, int ditherLevel);

// In place, with a computed palette of at most n colours. Returns false on allocation failure.
bool ReduceToColors(CDib& image, int n);

// Maps the image (read through its clip, fed as blue, green, red) to one palette index per pixel,
// width x height bytes row-major from the top, and returns the palette used. n is taken within
// 1..256.
//  - n < 128, fixed palette: the 16-colour mapping without dithering (always all 16 entries,
//    whatever n below 128 is asked for);
//  - n < 128, computed palette: a DL1 palette of n colours;
//  - n >= 128: an octree palette of at most n colours, then the nearest-colour mapping.
// reserveZero frees index 0 (set to (0, 0, 0, 0)) for transparent pixels: the mapping uses one
// colour less and the former entry 0 moves to index k (the octree's colour count, 15 for the
// fixed palette, n - 1 for a DL1 palette), which every index 0 becomes.
// palette.size() is at least the largest index + 1; entries between the colours a DL1 palette
// produced and index k are (0, 0, 0, 0). An image without a single visible pixel gets a palette
// of one black entry on the octree path. Returns false when a work buffer cannot be allocated;
// out is then unchanged.
struct IndexedImage {
  std::vector<std::uint8_t> indices;
  Palette palette;
};
bool ReduceToIndices(const CDib& image, int n, IndexedImage& out, bool computedPalette,
                     bool reserveZero);

}  // namespace morvane
