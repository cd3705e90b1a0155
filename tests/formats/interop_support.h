// Running the independent peers the interop tests compare against: Pillow (through a Python
// that has it), ImageMagick's convert and icoutils' icotool. A test skips when its peer is
// missing.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "format_test_support.h"
#include "image/dib.h"

namespace morvane::testing {

inline bool RunQuiet(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs command with its standard output in file (errors discarded).
inline bool RunToFile(const std::string& command, const std::filesystem::path& file) {
  return std::system((command + " >" + file.string() + " 2>/dev/null").c_str()) == 0;
}

inline bool HaveCommand(const std::string& name) {
  return RunQuiet("command -v " + name);
}

// A Python interpreter with Pillow, or "" when there is none. The distribution's python3 has
// the python3-pil package even where another python3 comes first on the PATH.
inline const std::string& PythonWithPillow() {
  static const std::string python = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      if (RunQuiet(std::string(candidate) + " -c 'import PIL'")) return std::string(candidate);
    }
    return std::string();
  }();
  return python;
}

// Dumps every image of a file as Pillow decodes it: <out>/<i>.rgba (RGBA bytes) and one
// "width height" line per image in <out>/sizes.txt. Icon files give every directory entry.
inline constexpr const char* kPillowDumpScript = R"(
import sys
from PIL import Image
path, out = sys.argv[1], sys.argv[2]
im = Image.open(path)
if hasattr(im, 'ico'):
    frames = [im.ico.frame(i) for i in range(len(im.ico.entry))]
else:
    im.load()
    frames = [im]
sizes = []
for i, frame in enumerate(frames):
    frame = frame.convert('RGBA')
    with open('%s/%d.rgba' % (out, i), 'wb') as f:
        f.write(frame.tobytes())
    sizes.append('%d %d' % frame.size)
with open(out + '/sizes.txt', 'w') as f:
    f.write('\n'.join(sizes) + '\n')
)";

// One picture as a peer decoded it: size and pixels, transparent ones made 0.
struct PeerImage {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
};

inline std::vector<Pixel> RgbaBytesToPixels(const std::vector<std::uint8_t>& bytes) {
  std::vector<Pixel> pixels;
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    const Pixel v = MakePixel(bytes[i + 3], bytes[i], bytes[i + 1], bytes[i + 2]);
    pixels.push_back(IsTransparent(v) ? 0 : v);
  }
  return pixels;
}

inline std::vector<PeerImage> PillowDecode(const std::filesystem::path& file,
                                           const std::filesystem::path& workDir) {
  const std::filesystem::path script = workDir / "dump.py";
  const std::filesystem::path out = workDir / "pillow-out";
  std::filesystem::create_directories(out);
  std::ofstream(script) << kPillowDumpScript;
  std::vector<PeerImage> images;
  if (!RunQuiet(PythonWithPillow() + " " + script.string() + " " + file.string() + " " +
                out.string())) {
    return images;
  }
  std::ifstream sizes(out / "sizes.txt");
  PeerImage image;
  for (int i = 0; sizes >> image.width >> image.height; ++i) {
    image.pixels = RgbaBytesToPixels(ReadAll(out / (std::to_string(i) + ".rgba")));
    images.push_back(image);
  }
  return images;
}

// Every image of a file as ImageMagick decodes it.
inline std::vector<PeerImage> MagickDecode(const std::filesystem::path& file,
                                           const std::filesystem::path& workDir) {
  std::vector<PeerImage> images;
  const std::filesystem::path sizesFile = workDir / "magick-sizes.txt";
  if (!RunToFile("identify -format '%w %h\\n' " + file.string(), sizesFile)) {
    return images;
  }
  std::ifstream sizes(sizesFile);
  PeerImage image;
  for (int i = 0; sizes >> image.width >> image.height; ++i) {
    const std::filesystem::path raw = workDir / ("magick-" + std::to_string(i) + ".rgba");
    if (!RunQuiet("convert '" + file.string() + "[" + std::to_string(i) +
                  "]' -depth 8 rgba:" + raw.string())) {
      return {};
    }
    image.pixels = RgbaBytesToPixels(ReadAll(raw));
    images.push_back(image);
  }
  return images;
}

// The peer's image of the given size, or nullptr.
inline const PeerImage* FindBySize(const std::vector<PeerImage>& images, int width, int height) {
  for (const PeerImage& image : images) {
    if (image.width == width && image.height == height) return &image;
  }
  return nullptr;
}

// Our pixels in the same form as a peer's.
inline std::vector<Pixel> VisiblePixels(const CDib& image) {
  std::vector<Pixel> pixels = PixelsOf(image);
  for (Pixel& v : pixels) {
    if (IsTransparent(v)) v = 0;
  }
  return pixels;
}

}  // namespace morvane::testing
