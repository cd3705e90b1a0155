// LoadBmp over arbitrary bytes; a decoded picture is encoded at the bit count read and must load
// again.
#include <vector>

#include "formats/bmp_codec.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CDib image;
  const Result<int> bits = LoadBmp(fuzz::Input(data, size), image);
  if (!bits.ok()) return 0;
  if (image.GetWidth() * image.GetHeight() > 256 * 256) return 0;
  std::vector<std::uint8_t> written;
  if (!EncodeBmp(image, *bits, written).ok()) return 0;
  CDib again;
  fuzz::Require(LoadBmp(Bytes(written), again).ok(), "BMP load after encode");
  fuzz::Require(again.GetWidth() == image.GetWidth(), "BMP width");
  return 0;
}
