// ResourceTree and the icon group listing over arbitrary bytes (PE and NE executables): walks
// every directory entry, reads every item and decodes every listed image.
#include <optional>

#include "formats/icon_groups.h"
#include "formats/icon_image.h"
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
  const IconGroupList list = ListExecutableGroups(input);
  for (const IconGroup& group : list.groups) {
    for (const GroupImage& image : group.images) (void)DecodeIconImage(image.data);
  }
  return 0;
}
