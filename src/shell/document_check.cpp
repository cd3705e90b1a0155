#include "shell/document_check.h"

#include <algorithm>
#include <utility>

#include "formats/ani_codec.h"
#include "formats/ico_codec.h"

namespace morvane {

Result<std::vector<std::uint8_t>> EncodeDocument(const IconDocument& document,
                                                 const IconWriteOptions& options,
                                                 std::vector<int>* writtenRates) {
  if (document.Count() == 0) return Status(ErrorCode::kNoImages, "the document has no image");
  std::vector<IconFrameRef> refs;
  std::vector<int> rates;
  for (int i = 0; i < document.Count(); ++i) {
    const ImageFrame& frame = document.Frame(i);
    refs.push_back({&frame.image, BitsOf(frame.format)});
    rates.push_back(frame.rate);
  }
  const Hotspot hotspot = document.GetHotspot();
  const bool hasHotspot = hotspot.x != kNotSet && hotspot.x >= 0;
  const int y = hasHotspot ? std::max(hotspot.y, 0) : 0;
  std::vector<std::uint8_t> out;
  Status status;
  switch (document.Kind()) {
    case DocumentKind::kIcon:
      status = WriteIconFile(out, refs, kIconNoHotspot, kIconNoHotspot, options);
      break;
    case DocumentKind::kCursor:
      status = WriteIconFile(out, refs, hasHotspot ? hotspot.x : 0, y, options);
      break;
    case DocumentKind::kAnimatedCursor:
      status = SaveAniFile(out, refs, rates, hasHotspot ? hotspot.x : kIconNoHotspot,
                           hasHotspot ? y : kIconNoHotspot, document.Title(), document.Author(),
                           options);
      break;
  }
  if (!status.ok()) return status;
  if (writtenRates != nullptr) *writtenRates = std::move(rates);
  return out;
}

Result<LintReport> CheckDocument(const IconDocument& document, const IconWriteOptions& options,
                                 const LintOptions& lint) {
  Result<std::vector<std::uint8_t>> bytes = EncodeDocument(document, options);
  if (!bytes.ok()) return bytes.status();
  return LintIconData(*bytes, lint);
}

}  // namespace morvane
