// Object > "Create size set from selected": the frames of a named size set, each resampled from
// the frame that was current when the command started, as "Create image from selected" makes
// one. Sizes the document already holds in that format are left alone.
#pragma once

#include <span>

#include "image/color_format.h"
#include "image/icon_document.h"

namespace morvane {

struct SizeSetResult {
  int added = 0;
  FrameStatus status = FrameStatus::kOk;  // the first failure, if any
};

SizeSetResult CreateSizeSetFromSelected(IconDocument& document, std::span<const int> sizes,
                                        ColorFormat format = ColorFormat::kTrueColorAlpha);

}  // namespace morvane
