// ReadGif over arbitrary bytes; a decoded picture is written back and must read again.
#include <vector>

#include "formats/gif_codec.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CDib image;
  if (!ReadGif(fuzz::Input(data, size), image).ok()) return 0;
  if (image.GetWidth() * image.GetHeight() > 256 * 256) return 0;
  std::vector<std::uint8_t> written;
  if (!WriteGif(image, written).ok()) return 0;
  CDib again;
  fuzz::Require(ReadGif(Bytes(written), again).ok(), "GIF read after write");
  fuzz::Require(again.GetWidth() == image.GetWidth(), "GIF width");
  return 0;
}
