// ReadIconFile over arbitrary bytes; what it reads is written back and must read again.
#include <vector>

#include "formats/ico_codec.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<IconFileContents> read = ReadIconFile(fuzz::Input(data, size));
  if (!read.ok() || read->frames.empty()) return 0;
  const std::vector<IconFrameRef> refs = FrameRefs(read->frames);
  std::vector<std::uint8_t> written;
  if (!WriteIconFile(written, refs, read->hotspotX, read->hotspotY).ok()) return 0;
  const Result<IconFileContents> again = ReadIconFile(Bytes(written));
  fuzz::Require(again.ok(), "ICO read after write");
  fuzz::Require(again->frames.size() == read->frames.size(), "ICO frame count");
  return 0;
}
