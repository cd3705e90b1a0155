// The clipboard's picture block: a 32-bit device-independent bitmap (an info header followed by
// bottom-up rows). Copy builds it; Paste reads it. A block may come from any program, so the
// reader treats it as hostile input and checks every size before it allocates or reads.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "image/dib.h"

namespace morvane {

// Builds the block for source: a 40-byte header (32 bits, no compression, positive height) and
// the rows bottom-up. Fully transparent pixels carry backgroundBgr (a platform colour value) with
// alpha 0, so programs that ignore alpha show the background instead of stray colours.
std::vector<std::uint8_t> BuildClipboardDib(const CDib& source, std::uint32_t backgroundBgr);

enum class DibError {
  kNone,
  kTruncated,     // shorter than its header, masks or rows
  kBadHeader,     // a header size other than 40, 108 or 124, planes other than 1
  kUnsupported,   // a bit count or compression other than 32 bits, plain or bit fields
  kBadBitFields,  // masks that are empty, overlap, or are not contiguous
  kBadSize,       // zero width or height
  kTooLarge,      // a side over 65,535 or more pixel bytes than any image may have
  kOutOfMemory,
};

// A short English text for a refused block, for the message the command shows.
std::string_view DibErrorText(DibError error);

struct DibPicture {
  DibError error = DibError::kNone;
  CDib image;
  // The block used bit fields (a picture for the import dialog then gets alpha 255).
  bool bitFields = false;
};

// Reads a block. foreign: it came from another program, whose 32-bit pictures often leave alpha
// 0 everywhere; such a picture is then made opaque. Our own blocks keep their alpha as it is.
DibPicture ParseClipboardDib(std::span<const std::uint8_t> block, bool foreign);

}  // namespace morvane
