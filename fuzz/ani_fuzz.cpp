// LoadAniFile over arbitrary bytes, with and without a frame limit; what it reads is saved back
// and must load again.
#include <string>
#include <vector>

#include "formats/ani_codec.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes input = fuzz::Input(data, size);
  (void)LoadAniFile(input, 1);
  const Result<AniContents> read = LoadAniFile(input);
  if (!read.ok() || read->frames.empty()) return 0;
  std::vector<IconFrameRef> refs;
  std::vector<int> rates;
  for (const AniFrame& frame : read->frames) {
    refs.push_back({&frame.image, frame.format});
    rates.push_back(frame.rate);
  }
  std::vector<std::uint8_t> written;
  if (!SaveAniFile(written, refs, rates, read->hotspotX, read->hotspotY, read->title, read->author)
           .ok()) {
    return 0;
  }
  const Result<AniContents> again = LoadAniFile(Bytes(written));
  fuzz::Require(again.ok(), "ANI load after save");
  fuzz::Require(again->frames.size() == read->frames.size(), "ANI frame count");
  return 0;
}
