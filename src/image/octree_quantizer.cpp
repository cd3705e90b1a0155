#include "image/octree_quantizer.h"

#include <algorithm>

namespace morvane {

OctreeQuantizer::OctreeQuantizer(int maxColours) : maxColours_(std::max(maxColours, 1)) {
  reducible_.fill(kNone);
}

std::int32_t OctreeQuantizer::NewNode(int level) {
  std::int32_t id;
  if (!freeNodes_.empty()) {
    id = freeNodes_.back();
    freeNodes_.pop_back();
  } else {
    nodes_.emplace_back();
    id = static_cast<std::int32_t>(nodes_.size() - 1);
  }
  Node& node = nodes_[static_cast<std::size_t>(id)];
  node = Node{};
  node.children.fill(kNone);
  if (level == kDepth) {
    node.leaf = true;
    ++leafCount_;
  } else {
    node.nextReducible = reducible_[static_cast<std::size_t>(level)];
    reducible_[static_cast<std::size_t>(level)] = id;
  }
  return id;
}

void OctreeQuantizer::FreeNode(std::int32_t node) {
  freeNodes_.push_back(node);
}

void OctreeQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  if (root_ == kNone) root_ = NewNode(0);
  std::int32_t id = root_;
  for (int level = 0;; ++level) {
    if (nodes_[static_cast<std::size_t>(id)].leaf) {
      Node& leaf = nodes_[static_cast<std::size_t>(id)];
      ++leaf.count;
      leaf.red += red;
      leaf.green += green;
      leaf.blue += blue;
      break;
    }
    const int shift = 7 - level;
    const int child =
        ((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 | ((blue >> shift) & 1);
    std::int32_t next = nodes_[static_cast<std::size_t>(id)].children[child];
    if (next == kNone) {
      next = NewNode(level + 1);  // may move nodes_: index again afterwards
      nodes_[static_cast<std::size_t>(id)].children[child] = next;
    }
    id = next;
  }
  while (leafCount_ > maxColours_ && ReduceTree()) {
  }
}

// Folds the most recently added inner node of the deepest level that has one. All nodes deeper
// than that level are leaves, so its children are leaves too.
bool OctreeQuantizer::ReduceTree() {
  int level = kDepth - 1;
  while (level >= 0 && reducible_[static_cast<std::size_t>(level)] == kNone) --level;
  if (level < 0) return false;
  const std::int32_t id = reducible_[static_cast<std::size_t>(level)];
  Node& node = nodes_[static_cast<std::size_t>(id)];
  reducible_[static_cast<std::size_t>(level)] = node.nextReducible;
  int children = 0;
  for (std::int32_t& child : node.children) {
    if (child == kNone) continue;
    const Node& leaf = nodes_[static_cast<std::size_t>(child)];
    node.count += leaf.count;
    node.red += leaf.red;
    node.green += leaf.green;
    node.blue += leaf.blue;
    FreeNode(child);
    child = kNone;
    ++children;
  }
  node.leaf = true;
  leafCount_ -= children - 1;
  return true;
}

Palette OctreeQuantizer::GetPalette() const {
  Palette palette;
  if (root_ == kNone) return palette;
  palette.reserve(static_cast<std::size_t>(leafCount_));
  AddLeavesTo(root_, palette);
  return palette;
}

void OctreeQuantizer::AddLeavesTo(std::int32_t id, Palette& palette) const {
  const Node& node = nodes_[static_cast<std::size_t>(id)];
  if (node.leaf) {
    if (node.count == 0) return;  // not reachable: every leaf was made for a colour
    palette.push_back(PaletteEntry{static_cast<std::uint8_t>(node.blue / node.count),
                                   static_cast<std::uint8_t>(node.green / node.count),
                                   static_cast<std::uint8_t>(node.red / node.count), 0});
    return;
  }
  for (std::int32_t child : node.children) {
    if (child != kNone) AddLeavesTo(child, palette);
  }
}

}  // namespace morvane
