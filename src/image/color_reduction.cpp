#include "image/color_reduction.h"

#include <algorithm>
#include <new>

#include "image/dl1_quantizer.h"
#include "image/octree_quantizer.h"

namespace morvane {
namespace {

constexpr std::array<std::array<std::uint8_t, 3>, 16> kSystemPalette16 = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

// At or below this, the brightest channel of a visible pixel makes it black.
constexpr std::uint32_t kMonochromeThreshold = 64;
// Computed palettes of this many colours and more come from the octree, fewer from DL1.
constexpr int kOctreeMinColours = 128;
constexpr int kMaxColours = 256;

// The image's pixels as GetPixel sees them, row-major from the top.
std::vector<Pixel> ReadPixels(const CDib& image) {
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  std::vector<Pixel> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(image.GetPixel(x, y));
  }
  return pixels;
}

enum class ChannelOrder { kBlueFirst, kRedFirst };

std::vector<std::uint8_t> ToChannels(const std::vector<Pixel>& pixels, ChannelOrder order) {
  std::vector<std::uint8_t> channels;
  channels.reserve(pixels.size() * 3);
  for (Pixel p : pixels) {
    const auto red = static_cast<std::uint8_t>(RedOf(p));
    const auto blue = static_cast<std::uint8_t>(BlueOf(p));
    channels.push_back(order == ChannelOrder::kBlueFirst ? blue : red);
    channels.push_back(static_cast<std::uint8_t>(GreenOf(p)));
    channels.push_back(order == ChannelOrder::kBlueFirst ? red : blue);
  }
  return channels;
}

// The fixed palette is the same 16 byte triples whatever order the caller feeds its channels
// in: fed as (blue, green, red), entry 1 is dark blue, as in the palettes of BMP and ICO files.
Palette SystemPaletteEntries() {
  Palette palette;
  for (const auto& triple : kSystemPalette16) {
    palette.push_back(PaletteEntry{triple[0], triple[1], triple[2], 0});
  }
  return palette;
}

Dl1Input MakeInput(const CDib& image, const std::vector<std::uint8_t>& channels) {
  return Dl1Input{channels, image.GetWidth(), image.GetHeight()};
}

// Nearest-entry search remembered per colour in a small direct-mapped table: drawn images repeat
// colours.
class NearestCache {
 public:
  explicit NearestCache(const Palette& palette) : search_(palette), slots_(kSlots) {}

  std::uint8_t IndexOf(Pixel p) {
    const std::uint32_t colour = p & 0x00FFFFFF;
    Slot& slot = slots_[(colour * 2654435761u) >> (32 - kSlotBits)];
    if (slot.colour != colour) {
      slot.colour = colour;
      slot.index = static_cast<std::uint8_t>(search_.Find(
          static_cast<int>(BlueOf(p)), static_cast<int>(GreenOf(p)), static_cast<int>(RedOf(p))));
    }
    return slot.index;
  }

 private:
  static constexpr int kSlotBits = 12;
  static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
  struct Slot {
    std::uint32_t colour = 0xFFFFFFFF;  // no pixel colour has bits above 23 set
    std::uint8_t index = 0;
  };
  NearestColorSearch search_;
  std::vector<Slot> slots_;
};

// Octree palette over the visible pixels, then every pixel (transparent ones too) to its nearest
// entry. Returns the number of colours produced.
int IndicesFromOctree(const std::vector<Pixel>& pixels, int maxColours, IndexedImage& result) {
  OctreeQuantizer octree(maxColours);
  for (Pixel p : pixels) {
    if (AlphaOf(p) == 0) continue;
    octree.AddColor(static_cast<std::uint8_t>(RedOf(p)), static_cast<std::uint8_t>(GreenOf(p)),
                    static_cast<std::uint8_t>(BlueOf(p)));
  }
  result.palette = octree.GetPalette();
  // Without a single visible pixel the octree has no colour; the pixels still need an entry.
  if (result.palette.empty()) result.palette.push_back(PaletteEntry{0, 0, 0, 0});
  NearestCache nearest(result.palette);
  result.indices.resize(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) result.indices[i] = nearest.IndexOf(pixels[i]);
  return static_cast<int>(result.palette.size());
}

bool IndicesFromFixedPalette(const CDib& image, const std::vector<Pixel>& pixels, int colours,
                             IndexedImage& result) {
  const std::vector<std::uint8_t> channels = ToChannels(pixels, ChannelOrder::kBlueFirst);
  Palette palette = SystemPalette16Bgr();
  palette.resize(static_cast<std::size_t>(colours));
  if (!Dl1MapToPalette(MakeInput(image, channels), palette, 0, result.indices)) return false;
  result.palette = SystemPalette16Bgr();
  return true;
}

bool IndicesFromDl1(const CDib& image, const std::vector<Pixel>& pixels, int colours,
                    IndexedImage& result) {
  const std::vector<std::uint8_t> channels = ToChannels(pixels, ChannelOrder::kBlueFirst);
  return Dl1Quantize(MakeInput(image, channels), colours, 0, result.palette, result.indices);
}

// Moves entry 0 to index k and makes index 0 a black entry that no pixel uses.
void ReserveIndexZero(IndexedImage& result, int k) {
  const auto slot = static_cast<std::size_t>(k);
  if (result.palette.size() <= slot) result.palette.resize(slot + 1, PaletteEntry{0, 0, 0, 0});
  result.palette[slot] = result.palette[0];
  result.palette[0] = PaletteEntry{0, 0, 0, 0};
  for (std::uint8_t& index : result.indices) {
    if (index == 0) index = static_cast<std::uint8_t>(k);
  }
}

bool BuildIndices(const CDib& image, int n, IndexedImage& result, bool computedPalette,
                  bool reserveZero) {
  const std::vector<Pixel> pixels = ReadPixels(image);
  int k = 0;
  if (n >= kOctreeMinColours) {
    k = IndicesFromOctree(pixels, reserveZero ? n - 1 : n, result);
  } else if (!computedPalette) {
    // The fixed palette always has 16 entries; reserving index 0 gives up white (entry 15).
    k = 15;
    if (!IndicesFromFixedPalette(image, pixels, reserveZero ? 15 : 16, result)) return false;
  } else {
    const int colours = reserveZero ? std::max(n - 1, 1) : n;
    k = colours;
    if (!IndicesFromDl1(image, pixels, colours, result)) return false;
  }
  if (reserveZero) ReserveIndexZero(result, k);
  return true;
}

}  // namespace

const std::array<std::array<std::uint8_t, 3>, 16>& SystemPalette16() {
  return kSystemPalette16;
}

Palette SystemPalette16Bgr() {
  return SystemPaletteEntries();
}

void ReduceToMonochrome(const CDib& source, CDib& target) {
  const int width = source.GetWidth();
  const int height = source.GetHeight();
  if (width == 0 || height == 0) return;
  if (&target != &source && !target.IsLive() && !target.Create(width, height)) return;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Pixel p = source.GetPixel(x, y);
      if (IsTransparent(p)) {
        target.SetPixel(x, y, p);
        continue;
      }
      const std::uint32_t brightest = std::max({RedOf(p), GreenOf(p), BlueOf(p)});
      target.SetPixel(x, y, brightest <= kMonochromeThreshold ? p & 0xFF000000 : p | 0x00FFFFFF);
    }
  }
}

bool ReduceTo16Colors(const CDib& source, CDib& target, int ditherLevel) {
  const int width = source.GetWidth();
  const int height = source.GetHeight();
  if (width == 0 || height == 0) return true;
  std::vector<std::uint8_t> indices;
  std::vector<Pixel> pixels;
  try {
    pixels = ReadPixels(source);
    const std::vector<std::uint8_t> channels = ToChannels(pixels, ChannelOrder::kRedFirst);
    const Palette palette = SystemPaletteEntries();
    if (!Dl1MapToPalette(MakeInput(source, channels), palette, ditherLevel, indices)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (&target != &source && !target.IsLive() && !target.Create(width, height)) return false;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      const auto& rgb = kSystemPalette16[indices[at]];
      target.SetPixel(x, y, (pixels[at] & 0xFF000000) | MakePixel(0, rgb[0], rgb[1], rgb[2]));
    }
  }
  return true;
}

bool ReduceToColors(CDib& image, int n) {
  IndexedImage reduced;
  if (!ReduceToIndices(image, n, reduced, true, false)) return false;
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!image.clip.Contains(x, y)) continue;
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      const PaletteEntry& e = reduced.palette[reduced.indices[at]];
      image.SetPixel(x, y, (image.GetPixel(x, y) & 0xFF000000) | MakePixel(0, e[2], e[1], e[0]));
    }
  }
  return true;
}

bool ReduceToIndices(const CDib& image, int n, IndexedImage& out, bool computedPalette,
                     bool reserveZero) {
  try {
    IndexedImage result;
    if (!BuildIndices(image, std::clamp(n, 1, kMaxColours), result, computedPalette, reserveZero)) {
      return false;
    }
    out = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace morvane
