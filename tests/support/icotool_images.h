// The images icoutils' icotool extracts from an icon or cursor file, decoded by our PNG reader
// (which the PNG tests check against Pillow and ImageMagick). For test programs that link the
// formats library.
#pragma once

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/png_codec.h"
#include "support/files.h"
#include "support/peer_decode.h"
#include "support/peers.h"

namespace morvane::testing {

// Every image of the file in its directory's order, extracted into outDir. icotool names each
// "<stem>_<index>_<width>x<height>x<bits>.png" and extracts all at once (asking for one index
// above 1 fails in icoutils 0.32). Empty when icotool fails, an index is missing or a PNG does
// not decode.
inline std::vector<PeerImage> IcotoolImages(const std::filesystem::path& file,
                                            const std::filesystem::path& outDir) {
  std::filesystem::remove_all(outDir);
  std::filesystem::create_directories(outDir);
  if (!RunQuiet("icotool -x -o " + ShellQuote(outDir) + " " + ShellQuote(file))) return {};
  const std::string prefix = file.stem().string() + "_";
  std::vector<PeerImage> images;
  std::vector<bool> seen;
  for (const auto& entry : std::filesystem::directory_iterator(outDir)) {
    const std::string name = entry.path().filename().string();
    std::size_t index = 0;
    if (!name.starts_with(prefix)) return {};
    const char* digits = name.data() + prefix.size();
    const auto parsed = std::from_chars(digits, name.data() + name.size(), index);
    if (parsed.ec != std::errc() || index < 1 || index > 256) return {};
    CDib image;
    if (!LoadPng(ReadAll(entry.path()), image).ok()) return {};
    if (images.size() < index) {
      images.resize(index);
      seen.resize(index);
    }
    images[index - 1] = {image.GetWidth(), image.GetHeight(), VisiblePixels(image)};
    seen[index - 1] = true;
  }
  for (const bool s : seen) {
    if (!s) return {};
  }
  return images;
}

}  // namespace morvane::testing
