// The frames a conversion writes: the inputs read into one icon document as the editor would
// open the first and append the others, and the frames derived from them with the editor's
// own commands.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "cli/cli_common.h"
#include "image/dib.h"
#include "image/icon_document.h"

namespace morvane::cli {

// A picture larger than any frame: the editor hands it to the import; here it can still be a
// source of derived frames or be written as a picture.
struct LargePicture {
  std::filesystem::path path;
  CDib image;
  int depth = 32;
};

struct LoadedInputs {
  IconDocument document;
  std::vector<LargePicture> large;
};

// Reads every path in order into inputs (a program or library gives its group at position
// `group`). Stops at the first input that cannot be read.
std::optional<Failure> LoadInputs(const std::vector<std::filesystem::path>& paths, int group,
                                  LoadedInputs& inputs);

struct DeriveRequest {
  std::vector<int> sizes;    // square sides 1..256
  std::vector<int> formats;  // 1, 4, 8, 24, 32
  bool standard = false;     // "Create standard formats from selected", sorted
  bool Derives() const { return standard || !sizes.empty() || !formats.empty(); }
};

// The largest and then richest image of the inputs, with its colour format; nothing when they
// hold none.
struct SourceImage {
  const CDib* image = nullptr;
  ColorFormat format = ColorFormat::kTrueColorAlpha;
};
std::optional<SourceImage> RichestImage(const LoadedInputs& inputs);

// Derives the requested frames into target (which must be empty) from the richest input
// image: every size at every format (formats outer, in the order given; sizes default to the
// source's larger side up to 256, formats to 32) by resampling with filter 0.7 and reducing to
// the format; or, for `standard`, the source frame followed by the standard set, sorted.
std::optional<Failure> DeriveFrames(const LoadedInputs& inputs, const DeriveRequest& request,
                                    IconDocument& target);

}  // namespace morvane::cli
