// Writers encode the whole image, whatever clip an editing tool left on it. The pixel readers
// they share (colour reduction, the BMP stream writers) read through the clip, so a narrowed
// clip would blank out everything outside it.
#pragma once

#include "image/dib.h"

namespace morvane {

// image itself when its clip covers it exactly, else a copy of it in scratch (whose clip is the
// whole image). Returns nullptr when the copy cannot be made.
inline const CDib* WithWholeClip(const CDib& image, CDib& scratch) {
  if (image.clip == Rect{0, 0, image.GetWidth(), image.GetHeight()}) return &image;
  if (!image.CopyTo(scratch, CDib::CopyMode::kRecreate)) return nullptr;
  return &scratch;
}

}  // namespace morvane
