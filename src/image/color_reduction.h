// Colour reduction: monochrome, the fixed 16-colour palette (with optional dithering), computed
// palettes (octree for 128 colours and more, the DL1 routine below that), and the mapping of a
// whole image to palette indices that the palette-based file writers use.
//
// The in-place reductions change only colour bits and keep every pixel's alpha: a frame stays a
// 32-bit image and its transparency is resolved when it is saved.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image/dib.h"

namespace morvane {

// Three channel bytes in the order they were fed in, then 0. Fed from a CDib directly the order
// is blue, green, red: the order of palette entries in BMP and ICO files.
using PaletteEntry = std::array<std::uint8_t, 4>;
using Palette = std::vector<PaletteEntry>;

// The fixed 16-colour system palette as (red, green, blue) triples, entries 0..15.
const std::array<std::array<std::uint8_t, 3>, 16>& SystemPalette16();
// The same palette as BMP/ICO entries (blue, green, red, 0).
Palette SystemPalette16Bgr();

// Black or white per pixel, keeping alpha; transparent pixels are left alone. The target is
// created at the source's size when it has no image; it may be the source itself.
void ReduceToMonochrome(const CDib& source, CDib& target);

// In-place conversion to the fixed 16-colour palette with dither level 0..128 (0 = none).
// Returns false, leaving the target unchanged, when a work buffer cannot be allocated; the caller
// reports "Error in dl1quant".
bool ReduceTo16Colors(const CDib& source, CDib& target, int ditherLevel);

// In place, with a computed palette of at most n colours. Returns false on allocation failure.
bool ReduceToColors(CDib& image, int n);

// Maps the image (read through its clip, fed as blue, green, red) to one palette index per pixel,
// width x height bytes row-major from the top, and returns the palette used.
//  - n < 128, fixed palette (n = 16): the 16-colour mapping without dithering;
//  - n < 128, computed palette: a DL1 palette of n colours;
//  - n >= 128: an octree palette of at most n colours, then the nearest-colour mapping.
// reserveZero frees index 0 (set to (0, 0, 0, 0)) for transparent pixels: the former entry 0
// moves to the end of the used palette. Returns false when a work buffer cannot be allocated.
struct IndexedImage {
  std::vector<std::uint8_t> indices;
  Palette palette;
};
bool ReduceToIndices(const CDib& image, int n, IndexedImage& out, bool computedPalette,
                     bool reserveZero);

}  // namespace morvane
