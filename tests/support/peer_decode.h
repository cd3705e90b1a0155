// Pictures as independent peers decode them, as 8-bit straight RGBA, so that their pixels can be
// compared with ours: Pillow (through a Python script) and ImageMagick (through raw RGBA).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "image/dib.h"
#include "support/files.h"
#include "support/peers.h"

namespace morvane::testing {

// width x height pixels as 0xAARRGGBB, rows top-down.
struct PeerImage {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
  Pixel At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Python that writes Pillow's RGBA decode of the image `im` to the path `dump`, in the form
// ReadRgbaDump reads: "width height\n" and the RGBA bytes.
inline constexpr const char* kPillowDump =
    "def dump(im, path):\n"
    "    im = im.convert('RGBA')\n"
    "    open(path, 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";

inline std::vector<Pixel> RgbaBytesToPixels(const std::uint8_t* p, std::size_t count) {
  std::vector<Pixel> pixels;
  pixels.reserve(count);
  for (std::size_t i = 0; i < count; ++i, p += 4)
    pixels.push_back(MakePixel(p[3], p[0], p[1], p[2]));
  return pixels;
}

// Reads a dump written by kPillowDump's `dump`; nothing when it is missing or its size is wrong.
inline std::optional<PeerImage> ReadRgbaDump(const std::filesystem::path& dump) {
  const std::vector<std::uint8_t> bytes = ReadAll(dump);
  std::size_t newline = 0;
  while (newline < bytes.size() && bytes[newline] != '\n') ++newline;
  std::istringstream header(std::string(bytes.begin(), bytes.begin() + newline));
  PeerImage image;
  if (!(header >> image.width >> image.height) || image.width < 0 || image.height < 0) {
    return std::nullopt;
  }
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  if (bytes.size() != newline + 1 + count * 4) return std::nullopt;
  image.pixels = RgbaBytesToPixels(bytes.data() + newline + 1, count);
  return image;
}

namespace detail {

// Dumps <out>/<i>.rgba for each image: with "every", each entry of an icon or cursor file;
// otherwise the one picture Image.open gives (an icon's largest entry).
inline constexpr const char* kPillowImagesScript = R"(
import sys
from PIL import Image
path, out, every = sys.argv[1], sys.argv[2], sys.argv[3] == 'every'
im = Image.open(path)
if every and hasattr(im, 'ico'):
    frames = [im.ico.frame(i) for i in range(len(im.ico.entry))]
else:
    frames = [im]
for i, frame in enumerate(frames):
    dump(frame, '%s/%d.rgba' % (out, i))
)";

inline std::vector<PeerImage> PillowDumps(const std::filesystem::path& file,
                                          const std::filesystem::path& scratch, bool every) {
  const std::filesystem::path out = scratch / "pillow-out";
  std::filesystem::remove_all(out);  // no image of an earlier call may pass for this file's
  std::filesystem::create_directories(out);
  const std::string script = std::string(kPillowDump) + kPillowImagesScript;
  if (!RunPython(scratch, script, {file, out, every ? "every" : "one"})) return {};
  std::vector<PeerImage> images;
  for (int i = 0;; ++i) {
    const std::filesystem::path dump = out / (std::to_string(i) + ".rgba");
    if (!std::filesystem::exists(dump)) break;
    auto image = ReadRgbaDump(dump);
    if (!image) return {};
    images.push_back(std::move(*image));
  }
  return images;
}

}  // namespace detail

// Every image of a file as Pillow decodes it (each entry of an icon); empty when Pillow fails.
inline std::vector<PeerImage> PillowImages(const std::filesystem::path& file,
                                           const std::filesystem::path& scratch) {
  return detail::PillowDumps(file, scratch, true);
}

// The picture Pillow opens the file as (for an icon, its largest entry).
inline std::optional<PeerImage> PillowPicture(const std::filesystem::path& file,
                                              const std::filesystem::path& scratch) {
  std::vector<PeerImage> images = detail::PillowDumps(file, scratch, false);
  if (images.size() != 1) return std::nullopt;
  return std::move(images[0]);
}

// Every image of a file as ImageMagick decodes it; empty when it fails.
inline std::vector<PeerImage> MagickImages(const std::filesystem::path& file,
                                           const std::filesystem::path& scratch) {
  std::istringstream sizes(CaptureText("identify -format '%w %h\\n' " + ShellQuote(file)));
  std::vector<PeerImage> images;
  PeerImage image;
  for (int i = 0; sizes >> image.width >> image.height; ++i) {
    const std::filesystem::path raw = scratch / ("magick-" + std::to_string(i) + ".rgba");
    const std::string input = file.string() + "[" + std::to_string(i) + "]";
    if (!RunQuiet("convert " + ShellQuote(input) + " -depth 8 rgba:" + ShellQuote(raw))) return {};
    const std::vector<std::uint8_t> bytes = ReadAll(raw);
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    if (image.width < 0 || image.height < 0 || bytes.size() != count * 4) return {};
    image.pixels = RgbaBytesToPixels(bytes.data(), count);
    images.push_back(image);
  }
  return images;
}

// The file's first image as ImageMagick decodes it.
inline std::optional<PeerImage> MagickPicture(const std::filesystem::path& file,
                                              const std::filesystem::path& scratch) {
  std::vector<PeerImage> images = MagickImages(file, scratch);
  if (images.empty()) return std::nullopt;
  return std::move(images[0]);
}

// The peer's image of the given size, or nullptr.
inline const PeerImage* FindBySize(const std::vector<PeerImage>& images, int width, int height) {
  for (const PeerImage& image : images) {
    if (image.width == width && image.height == height) return &image;
  }
  return nullptr;
}

// Pixels with every transparent one made 0: peers and we may keep different colours under
// alpha 0, which nobody sees.
inline std::vector<Pixel> VisiblePixels(std::vector<Pixel> pixels) {
  for (Pixel& v : pixels) {
    if (IsTransparent(v)) v = 0;
  }
  return pixels;
}
inline std::vector<Pixel> VisiblePixels(const PeerImage& image) {
  return VisiblePixels(image.pixels);
}
inline std::vector<Pixel> VisiblePixels(const CDib& image) {
  std::vector<Pixel> pixels;
  for (int y = 0; y < image.GetHeight(); ++y) {
    pixels.insert(pixels.end(), image.Row(y), image.Row(y) + image.GetWidth());
  }
  return VisiblePixels(std::move(pixels));
}

}  // namespace morvane::testing
