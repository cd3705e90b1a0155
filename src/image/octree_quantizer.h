// Octree colour quantiser for computed palettes of 128 colours and more. Colours are added one
// by one into a tree of depth 8 (one level per colour bit); whenever the tree holds more leaves
// than allowed, the deepest, most recently added inner node is folded into a leaf.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image/palette.h"

namespace morvane {

class OctreeQuantizer {
 public:
  // maxColours below 1 is treated as 1.
  explicit OctreeQuantizer(int maxColours);

  void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  int LeafCount() const { return leafCount_; }
  // One entry (blue, green, red, 0) per leaf, leaves in depth-first order with children 0..7;
  // each channel is the integer mean of the colours the leaf gathered. Empty when no colour was
  // added.
  Palette GetPalette() const;

 private:
  static constexpr int kDepth = 8;
  static constexpr std::int32_t kNone = -1;

  struct Node {
    std::array<std::int32_t, 8> children;
    std::uint64_t count = 0;
    std::uint64_t red = 0, green = 0, blue = 0;
    std::int32_t nextReducible = kNone;
    bool leaf = false;
  };

  std::int32_t NewNode(int level);
  void FreeNode(std::int32_t node);
  bool ReduceTree();
  void AddLeavesTo(std::int32_t node, Palette& palette) const;

  int maxColours_;
  int leafCount_ = 0;
  std::int32_t root_ = kNone;
  std::vector<Node> nodes_;
  std::vector<std::int32_t> freeNodes_;
  // Inner nodes per level, most recently added first (linked through nextReducible).
  std::array<std::int32_t, kDepth> reducible_;
};

}  // namespace morvane
