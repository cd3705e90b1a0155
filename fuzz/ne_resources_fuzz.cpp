// NeResources over arbitrary bytes: opens the resource table, reads every resource's data and
// lists the icon groups from it.
#include "formats/icon_groups.h"
#include "formats/ne_resources.h"
#include "fuzz_support.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  NeResources ne;
  if (!ne.Open(fuzz::Input(data, size))) return 0;
  for (const NeResource& resource : ne.Resources()) (void)ne.Data(resource);
  (void)ne.Find(kResourceIconGroup, 1);
  (void)ListIconGroups(ne);
  return 0;
}
