// ReadLibrary over arbitrary bytes (icon libraries and other NE or PE files); a library that was
// read is written as an icon library and must read again with the same groups.
#include <vector>

#include "formats/icl_reader.h"
#include "formats/icl_writer.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  IconLibrary library;
  const LibraryReadResult read = ReadLibrary(fuzz::Input(data, size), library);
  if (read.groups == 0) return 0;
  std::vector<std::uint8_t> written;
  if (!WriteIcl(library, written).ok()) return 0;
  IconLibrary again;
  const LibraryReadResult reread = ReadLibrary(Bytes(written), again);
  fuzz::Require(reread.groups == read.groups, "ICL groups after write");
  return 0;
}
