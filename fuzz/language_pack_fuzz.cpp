// The language-pack profile parser over arbitrary bytes: decoding the text and parsing it.
#include <string>

#include "fuzz_support.h"
#include "shell/language_pack_profile.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = DecodePackText(fuzz::Input(data, size));
  const PackProfile profile = PackProfile::Parse(text);
  (void)profile.value("Language", "Name");
  (void)profile.value("", "");
  return 0;
}
