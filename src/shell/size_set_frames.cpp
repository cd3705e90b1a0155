#include "shell/size_set_frames.h"

namespace morvane {

SizeSetResult CreateSizeSetFromSelected(IconDocument& document, std::span<const int> sizes,
                                        ColorFormat format) {
  SizeSetResult result;
  const int source = document.Current();
  if (source < 0) return {0, FrameStatus::kNoFrame};
  int last = -1;
  for (const int size : sizes) {
    if (document.FindFrame(size, size, format) >= 0) continue;
    // Each frame comes from the source, not from the frame made before it: no double scaling.
    document.SelectFrame(source);
    const AddResult added = document.CreateImageFromSelected(size, format);
    if (added.status != FrameStatus::kOk) {
      result.status = added.status;
      break;
    }
    last = added.index;
    ++result.added;
  }
  if (last >= 0) document.SelectFrame(last);
  return result;
}

}  // namespace morvane
