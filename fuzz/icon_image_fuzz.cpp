// DecodeIconImage over arbitrary bytes (one image block of an icon file or resource); a decoded
// image is written back in its own format and must decode again at the same size.
#include <vector>

#include "formats/icon_image.h"
#include "fuzz_support.h"

using namespace morvane;

namespace {

int WritableFormat(int bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return bitCount;
    default:
      return 32;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<DecodedIconImage> decoded = DecodeIconImage(fuzz::Input(data, size));
  if (!decoded.ok()) return 0;
  const CDib& image = decoded->image;
  std::vector<std::uint8_t> written;
  if (!WriteIconImage(image, WritableFormat(decoded->bitCount), written).ok()) return 0;
  const Result<DecodedIconImage> again = DecodeIconImage(Bytes(written));
  fuzz::Require(again.ok(), "icon image decode after write");
  fuzz::Require(again->image.GetWidth() == image.GetWidth(), "icon image width");
  return 0;
}
