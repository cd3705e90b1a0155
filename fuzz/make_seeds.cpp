// Writes small seed files for the harnesses whose formats the shared test data lacks or holds
// only large samples of: icon libraries, animated cursors, icons and cursors of every colour
// format, single icon image blocks. Usage: make_seeds <output folder>.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/ani_codec.h"
#include "formats/icl_writer.h"
#include "formats/ico_codec.h"
#include "formats/icon_image.h"
#include "formats/png_codec.h"

using namespace morvane;
namespace fs = std::filesystem;

namespace {

constexpr int kFormats[] = {1, 4, 8, 24, 32};

void Save(const fs::path& path, const std::vector<std::uint8_t>& data) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void Pattern(CDib& image, int width, int height) {
  image.Create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t alpha = (x + y) % 5 == 0 ? 0 : (x % 3 == 0 ? 0x80 : 0xFF);
      image.SetPixel(x, y,
                     alpha << 24 | static_cast<std::uint32_t>(x * 40) << 16 |
                         static_cast<std::uint32_t>(y * 30) << 8 | 0x40);
    }
  }
}

void IconSeeds(const fs::path& root, const std::vector<CDib>& images) {
  std::vector<IconFrameRef> all;
  for (int format : kFormats) {
    for (const CDib& image : images) {
      std::vector<std::uint8_t> block;
      if (WriteIconImage(image, format, block).ok()) {
        Save(root / "icon_image" /
                 ("block_" + std::to_string(format) + "_" + std::to_string(image.GetWidth())),
             block);
      }
      all.push_back({&image, format});
    }
  }
  std::vector<std::uint8_t> icon;
  if (WriteIconFile(icon, all, kIconNoHotspot, kIconNoHotspot).ok())
    Save(root / "ico/all.ico", icon);
  std::vector<std::uint8_t> cursor;
  if (WriteIconFile(cursor, std::span(all).first(2), 3, 4).ok()) Save(root / "ico/two.cur", cursor);
}

void AniSeeds(const fs::path& root, const std::vector<CDib>& images) {
  std::vector<IconFrameRef> frames = {{&images[0], 4}, {&images[1], 32}, {&images[0], 8}};
  std::vector<int> rates = {0, 5, 0};
  std::vector<std::uint8_t> ani;
  if (SaveAniFile(ani, frames, rates, 1, 2, "title", "author").ok())
    Save(root / "ani/three.ani", ani);
}

void LibrarySeeds(const fs::path& root, const std::vector<CDib>& images) {
  IconLibrary library = IconLibrary::New();
  for (int group = 0; group < 3; ++group) {
    if (group > 0) library.AddGroup(0xC0C0C0);
    std::vector<IconFrameRef> frames;
    for (std::size_t i = 0; i < images.size(); ++i) {
      frames.push_back({&images[i], kFormats[(group + i) % std::size(kFormats)]});
    }
    library.ReplaceGroup(group, frames);
  }
  std::vector<std::uint8_t> icl;
  if (WriteIcl(library, icl).ok()) {
    Save(root / "icl/three.icl", icl);
    Save(root / "ne_resources/three.icl", icl);
    Save(root / "resource_tree/three.icl", icl);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <output folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  std::vector<CDib> images(3);  // CDib does not copy
  Pattern(images[0], 16, 16);
  Pattern(images[1], 5, 3);
  Pattern(images[2], 32, 32);
  IconSeeds(root, images);
  AniSeeds(root, images);
  LibrarySeeds(root, images);
  return 0;
}
