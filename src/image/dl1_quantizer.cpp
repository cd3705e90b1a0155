#include "image/dl1_quantizer.h"

#include <algorithm>
#include <array>
#include <new>

namespace morvane {
namespace {

// A cell keeps the top five bits of each channel, interleaved so that each octal digit of the
// 15-bit cell number holds one bit of every channel: digit (c0 bit, c1 bit, c2 bit) for bits 7
// down to 3. The octal digits are the levels of the histogram tree.
constexpr int kCellCount = 32768;
constexpr int kLevels = 6;  // level 5: the cells, level 0: the root
constexpr std::array<int, kLevels> kLevelStart = {0, 1, 9, 73, 585, 4681};
constexpr int kNodeCount = kLevelStart[5] + kCellCount;

constexpr int CellBit(int bit, int channel) {
  return 3 * (bit - 3) + 2 - channel;
}

using SpreadTable = std::array<std::array<std::uint16_t, 256>, 3>;
constexpr SpreadTable MakeSpreadTable() {
  SpreadTable table{};
  for (int channel = 0; channel < 3; ++channel) {
    for (int v = 0; v < 256; ++v) {
      int spread = 0;
      for (int bit = 3; bit <= 7; ++bit) spread |= ((v >> bit) & 1) << CellBit(bit, channel);
      table[channel][v] = static_cast<std::uint16_t>(spread);
    }
  }
  return table;
}
constexpr SpreadTable kSpread = MakeSpreadTable();

int CellOf(int c0, int c1, int c2) {
  return kSpread[0][c0] | kSpread[1][c1] | kSpread[2][c2];
}

// A cell stands for its centre: the channel's five bits followed by binary 100.
int CellCentre(int cell, int channel) {
  int top = 0;
  for (int bit = 3; bit <= 7; ++bit) top |= ((cell >> CellBit(bit, channel)) & 1) << (bit - 3);
  return top << 3 | 4;
}

std::size_t PixelCount(const Dl1Input& input) {
  return static_cast<std::size_t>(input.width) * static_cast<std::size_t>(input.height);
}

bool InputIsValid(const Dl1Input& input) {
  return input.width >= 0 && input.height >= 0 && input.channels.size() / 3 >= PixelCount(input);
}

// --- Histogram tree and palette building --------------------------------------------------

struct HeapEntry {
  int level;
  int index;
};

class CellTree {
 public:
  explicit CellTree(const Dl1Input& input) : nodes_(kNodeCount) { Count(input); }

  // Merges the least populated nodes into their parents until at most `colours` nodes hold
  // pixels.
  void Reduce(int colours);
  // Palette entries of the nodes that hold pixels, children (mask bit 7 down to 0) before their
  // parent.
  Palette MakePalette() const;

 private:
  struct Node {
    std::uint64_t count = 0;                // pixels this node holds itself
    std::array<std::uint64_t, 3> sum = {};  // channel sums of those pixels (cell centres)
    std::uint64_t total = 0;                // pixels in the subtree as counted; the heap key
    std::uint8_t mask = 0;                  // children with pixels below them
  };

  Node& At(int level, int index) { return nodes_[kLevelStart[level] + index]; }
  const Node& At(int level, int index) const { return nodes_[kLevelStart[level] + index]; }
  std::uint64_t Key(std::size_t heapSlot) const {
    return At(heap_[heapSlot].level, heap_[heapSlot].index).total;
  }
  void Count(const Dl1Input& input);
  void PushCell(int cell);
  void SiftDown(std::size_t slot);
  void AddToPalette(int level, int index, Palette& palette) const;

  std::vector<Node> nodes_;
  std::vector<HeapEntry> heap_{HeapEntry{0, 0}};  // 1-based: slot 0 is unused
};

void CellTree::Count(const Dl1Input& input) {
  const std::uint8_t* p = input.channels.data();
  for (std::size_t i = PixelCount(input); i > 0; --i, p += 3)
    ++At(5, CellOf(p[0], p[1], p[2])).count;
  for (int cell = 0; cell < kCellCount; ++cell) {
    Node& leaf = At(5, cell);
    if (leaf.count == 0) continue;
    for (int channel = 0; channel < 3; ++channel) {
      leaf.sum[channel] = static_cast<std::uint64_t>(CellCentre(cell, channel)) * leaf.count;
    }
    leaf.total = leaf.count;
    for (int level = 4, index = cell; level >= 0; --level, index >>= 3) {
      Node& ancestor = At(level, index >> 3);
      ancestor.total += leaf.count;
      ancestor.mask |= static_cast<std::uint8_t>(1 << (index & 7));
    }
    PushCell(cell);
  }
}

// Cells enter in ascending order, each sifted up: a plain binary-heap insertion.
void CellTree::PushCell(int cell) {
  heap_.push_back(HeapEntry{5, cell});
  std::size_t slot = heap_.size() - 1;
  const HeapEntry entry = heap_[slot];
  const std::uint64_t key = At(5, cell).total;
  while (slot > 1 && Key(slot / 2) > key) {
    heap_[slot] = heap_[slot / 2];
    slot /= 2;
  }
  heap_[slot] = entry;
}

void CellTree::SiftDown(std::size_t slot) {
  const std::size_t size = heap_.size() - 1;
  const HeapEntry entry = heap_[slot];
  const std::uint64_t key = At(entry.level, entry.index).total;
  while (slot * 2 <= size) {
    std::size_t child = slot * 2;
    if (child < size && Key(child) > Key(child + 1)) ++child;
    if (key <= Key(child)) break;
    heap_[slot] = heap_[child];
    slot = child;
  }
  heap_[slot] = entry;
}

void CellTree::Reduce(int colours) {
  const std::size_t wanted = static_cast<std::size_t>(std::max(colours, 1));
  while (heap_.size() - 1 > wanted) {
    const HeapEntry top = heap_[1];
    if (top.level == 0) break;  // the root has no parent; cannot happen with ordered keys
    Node& child = At(top.level, top.index);
    Node& parent = At(top.level - 1, top.index >> 3);
    if (parent.count > 0) {
      heap_[1] = heap_.back();
      heap_.pop_back();
    } else {
      heap_[1] = HeapEntry{top.level - 1, top.index >> 3};
    }
    parent.count += child.count;
    for (int channel = 0; channel < 3; ++channel) parent.sum[channel] += child.sum[channel];
    child = Node{};
    parent.mask &= static_cast<std::uint8_t>(~(1 << (top.index & 7)));
    if (heap_.size() > 1) SiftDown(1);
  }
}

Palette CellTree::MakePalette() const {
  Palette palette;
  palette.reserve(heap_.size() - 1);
  AddToPalette(0, 0, palette);
  return palette;
}

void CellTree::AddToPalette(int level, int index, Palette& palette) const {
  const Node& node = At(level, index);
  for (int bit = 7; bit >= 0; --bit) {
    if (node.mask & (1 << bit)) AddToPalette(level + 1, index << 3 | bit, palette);
  }
  if (node.count == 0) return;
  PaletteEntry entry{};
  for (int channel = 0; channel < 3; ++channel) {
    entry[channel] = static_cast<std::uint8_t>((node.sum[channel] + node.count / 2) / node.count);
  }
  palette.push_back(entry);
}

// --- Mapping ----------------------------------------------------------------------------

// The nearest palette entry of each cell's centre, looked up once per cell.
class CellLookup {
 public:
  explicit CellLookup(const Palette& palette) : palette_(palette), cache_(kCellCount, -1) {}

  std::uint8_t IndexOf(int c0, int c1, int c2) {
    const int cell = CellOf(c0, c1, c2);
    std::int16_t& cached = cache_[cell];
    if (cached < 0) {
      cached = static_cast<std::int16_t>(NearestPaletteIndex(
          palette_, CellCentre(cell, 0), CellCentre(cell, 1), CellCentre(cell, 2)));
    }
    return static_cast<std::uint8_t>(cached);
  }

 private:
  const Palette& palette_;
  std::vector<std::int16_t> cache_;
};

void MapPlain(const Dl1Input& input, CellLookup& lookup, std::vector<std::uint8_t>& indices) {
  const std::uint8_t* p = input.channels.data();
  for (std::uint8_t& index : indices) {
    index = lookup.IndexOf(p[0], p[1], p[2]);
    p += 3;
  }
}

// Serpentine Floyd-Steinberg. Errors are kept in sixteenths per channel for this row and the
// next; columns -1 and width catch what spills over the edges.
class Ditherer {
 public:
  Ditherer(const Dl1Input& input, const Palette& palette, int level)
      : input_(input),
        palette_(palette),
        limit_(level),
        current_(3 * (static_cast<std::size_t>(input.width) + 2)),
        next_(current_.size()) {}

  void Run(CellLookup& lookup, std::vector<std::uint8_t>& indices) {
    for (int y = 0; y < input_.height; ++y) {
      const bool forward = (y % 2) == 0;
      for (int i = 0; i < input_.width; ++i) {
        const int x = forward ? i : input_.width - 1 - i;
        DitherPixel(x, y, forward ? 1 : -1, lookup, indices);
      }
      std::swap(current_, next_);
      std::fill(next_.begin(), next_.end(), 0);
    }
  }

 private:
  int& Error(std::vector<int>& row, int x, int channel) {
    return row[3 * static_cast<std::size_t>(x + 1) + channel];
  }

  void DitherPixel(int x, int y, int step, CellLookup& lookup, std::vector<std::uint8_t>& indices) {
    const std::size_t at = static_cast<std::size_t>(y) * input_.width + x;
    const std::uint8_t* source = input_.channels.data() + 3 * at;
    std::array<int, 3> value{};
    for (int channel = 0; channel < 3; ++channel) {
      const int correction = (Error(current_, x, channel) + 8) >> 4;
      value[channel] = std::clamp(source[channel] + correction, 0, 255);
    }
    const std::uint8_t index = lookup.IndexOf(value[0], value[1], value[2]);
    indices[at] = index;
    const PaletteEntry& entry = palette_[index];
    for (int channel = 0; channel < 3; ++channel) {
      const int error = std::clamp(value[channel] - entry[channel], -limit_, limit_);
      Error(current_, x + step, channel) += 7 * error;
      Error(next_, x - step, channel) += 3 * error;
      Error(next_, x, channel) += 5 * error;
      Error(next_, x + step, channel) += error;
    }
  }

  const Dl1Input& input_;
  const Palette& palette_;
  int limit_;
  std::vector<int> current_;
  std::vector<int> next_;
};

bool Map(const Dl1Input& input, const Palette& palette, int ditherLevel,
         std::vector<std::uint8_t>& indices) {
  std::vector<std::uint8_t> result(PixelCount(input));
  CellLookup lookup(palette);
  const int level = std::clamp(ditherLevel, 0, kMaxDitherLevel);
  if (level == 0) {
    MapPlain(input, lookup, result);
  } else {
    Ditherer(input, palette, level).Run(lookup, result);
  }
  indices = std::move(result);
  return true;
}

}  // namespace

bool Dl1MapToPalette(const Dl1Input& input, const Palette& palette, int ditherLevel,
                     std::vector<std::uint8_t>& indices) {
  if (!InputIsValid(input) || palette.empty() || palette.size() > 256) return false;
  try {
    return Map(input, palette, ditherLevel, indices);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool Dl1Quantize(const Dl1Input& input, int colours, int ditherLevel, Palette& palette,
                 std::vector<std::uint8_t>& indices) {
  if (!InputIsValid(input)) return false;
  try {
    Palette built;
    {
      CellTree tree(input);
      tree.Reduce(std::clamp(colours, 1, 256));
      built = tree.MakePalette();
    }
    // Nothing to count (an empty image) still gives a usable palette.
    if (built.empty()) built.push_back(PaletteEntry{0, 0, 0, 0});
    if (!Map(input, built, ditherLevel, indices)) return false;
    palette = std::move(built);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace morvane
