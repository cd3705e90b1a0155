// LoadPng over arbitrary bytes; a decoded picture is encoded at the depth read and must load again.
#include <vector>

#include "formats/png_codec.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CDib image;
  const Result<int> depth = LoadPng(fuzz::Input(data, size), image);
  if (!depth.ok()) return 0;
  // Encoding big pictures costs the fuzzer more than it finds; the writer has its own tests.
  if (image.GetWidth() * image.GetHeight() > 256 * 256) return 0;
  std::vector<std::uint8_t> written;
  if (!EncodePng(image, *depth, written).ok()) return 0;
  CDib again;
  fuzz::Require(LoadPng(Bytes(written), again).ok(), "PNG load after encode");
  fuzz::Require(again.GetWidth() == image.GetWidth(), "PNG width");
  return 0;
}
