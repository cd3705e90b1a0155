// LoadJpeg over arbitrary bytes; a decoded picture is turned into a CDib as the picture loader
// does.
#include "formats/jpeg_codec.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<RgbImage> read = LoadJpeg(fuzz::Input(data, size));
  if (!read.ok()) return 0;
  fuzz::Require(read->rgb.size() == static_cast<std::size_t>(read->width) * read->height * 3,
                "JPEG pixel buffer size");
  CDib image;
  (void)DibFromRgb(*read, image);
  return 0;
}
