// The DL1 routine: colour reduction over a histogram of 15-bit colour cells. It maps pixels onto
// a given palette (the fixed 16 colours) or first builds a palette of its own by merging the
// least populated cells into their parents, and it can diffuse the mapping error (serpentine
// Floyd-Steinberg). Used for every reduction to fewer than 128 colours.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/palette.h"

namespace morvane {

// Pixels fed to DL1: three channel bytes per pixel, rows top-down, in the caller's channel order
// (palette entries are read and produced in the same order).
struct Dl1Input {
  std::span<const std::uint8_t> channels;  // at least 3 * width * height bytes
  int width = 0;
  int height = 0;
};

inline constexpr int kMaxDitherLevel = 128;

// Maps every pixel onto palette (non-empty), one index per pixel in indices. ditherLevel 0 maps
// each pixel to the entry nearest its cell; 1..128 diffuses the error, clamped to that level.
// Returns false (indices untouched) when a work buffer cannot be had or the input is malformed.
bool Dl1MapToPalette(const Dl1Input& input, const Palette& palette, int ditherLevel,
                     std::vector<std::uint8_t>& indices);

// Builds a palette of at most `colours` (at least 1) colours from the input's histogram and maps
// the pixels onto it as Dl1MapToPalette does. Returns false when a work buffer cannot be had or
// the input is malformed; palette and indices are then untouched.
bool Dl1Quantize(const Dl1Input& input, int colours, int ditherLevel, Palette& palette,
                 std::vector<std::uint8_t>& indices);

}  // namespace morvane
