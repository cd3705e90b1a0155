// ResourceTree and the executable object listing over arbitrary bytes (PE and NE executables):
// walks every directory entry, reads every item, and makes the previews and frames of every
// group as the open dialog does.
#include <optional>
#include <vector>

#include "formats/executable_objects.h"
#include "formats/resource_tree.h"
#include "fuzz_support.h"

using namespace morvane;

namespace {

// Visits the three directory levels; the budget keeps a hostile tree from taking all the time.
void Walk(const ResourceTree& tree, int depth, int& budget) {
  std::optional<ResourceItem> item;
  while (budget-- > 0 && (item = tree.NextEntry(item))) {
    (void)tree.ItemData(*item);
    if (depth < 2 && item->name.isNumber) {
      if (const std::optional<ResourceTree> child = tree.FindDirectory(item->name.number)) {
        Walk(*child, depth + 1, budget);
      }
    }
    (void)tree.FindItem(item->name.number);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes input = fuzz::Input(data, size);
  ResourceTree tree;
  if (tree.Open(input)) {
    int budget = 4096;
    Walk(tree, 0, budget);
  }
  const ExecutableObjects objects("fuzz.exe",
                                  std::vector<std::uint8_t>(input.begin(), input.end()));
  (void)objects.List();
  for (int group = 0; group < objects.Count(); ++group) {
    (void)objects.Previews(group, 0xC0C0C0);
    (void)objects.Decode(group, ExecutableObjects::kMaxDecodedImages);
  }
  return 0;
}
