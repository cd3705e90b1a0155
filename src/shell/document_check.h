// "Check icon": the open document checked as the file Save would write, so the report speaks of
// what other programs will read: its sizes, formats, hotspot and animation.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/icon_image.h"
#include "formats/icon_lint.h"
#include "formats/status.h"
#include "image/icon_document.h"

namespace morvane {

// The bytes Save writes for the document's kind (icon, cursor or animated cursor). Unset rates
// are encoded as the writer saves them and, when asked for, given back in writtenRates (one per
// frame); the document is not changed.
Result<std::vector<std::uint8_t>> EncodeDocument(const IconDocument& document,
                                                 const IconWriteOptions& options,
                                                 std::vector<int>* writtenRates = nullptr);

// The findings on those bytes. Fails when the document has no frame or cannot be encoded.
Result<LintReport> CheckDocument(const IconDocument& document, const IconWriteOptions& options,
                                 const LintOptions& lint = {});

}  // namespace morvane
