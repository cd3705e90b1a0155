// The icon checker and its repairs over arbitrary bytes: a repaired copy must be readable and
// must check clean of every fault the repair claims to mend.
#include "formats/ani_codec.h"
#include "formats/ico_codec.h"
#include "formats/icon_lint.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes input = fuzz::Input(data, size);
  LintOptions options;
  options.requiredSizes = {16, 32};
  (void)LintIconData(input, options);
  const Result<LintFixResult> fixed = FixIconData(input);
  if (!fixed.ok()) return 0;
  const Result<LintReport> again = LintIconData(Bytes(fixed->data));
  fuzz::Require(again.ok(), "repaired copy checks");
  for (const char* id : {"entry-size-mismatch", "image-truncated", "image-out-of-bounds",
                         "images-overlap", "trailing-bytes", "frame-count-mismatch",
                         "rate-count-mismatch", "sequence-missing-frame"}) {
    fuzz::Require(!again->Has(id), id);
  }
  return 0;
}
