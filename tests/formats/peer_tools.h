// Independent peers for interoperability tests: Pillow (through python3) and ImageMagick. Each
// decodes a file to 8-bit RGBA so its pixels can be compared with ours. Tests skip when the
// tool is missing.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "format_test_support.h"
#include "image/pixel.h"

namespace morvane::testing {

// width x height pixels as 0xAARRGGBB, rows top-down.
struct PeerPicture {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
  Pixel At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Single-quoted for the shell (built by appending: GCC 12 misreports "'" + string as overlapping).
inline std::string Quoted(const std::filesystem::path& path) {
  std::string quoted(1, '\'');
  quoted.append(path.string());
  quoted.push_back('\'');
  return quoted;
}

inline bool RunQuietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The python3 that has Pillow: the system's first (a user's own python often lacks it).
inline const std::string& Python() {
  static const std::string python = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      if (RunQuietly(std::string(candidate) + " -c 'import PIL.Image'")) return candidate;
    }
    return "";
  }();
  return python;
}

inline bool HavePillow() {
  return !Python().empty();
}

inline bool HaveImageMagick() {
  static const bool have = RunQuietly("convert -version") && RunQuietly("identify -version");
  return have;
}

// Runs a python3 script (with Pillow available) from a file in scratch; arguments are appended
// quoted.
inline bool RunPython(const std::filesystem::path& scratch, const std::string& script,
                      const std::vector<std::filesystem::path>& args) {
  const std::filesystem::path file = scratch / "peer_script.py";
  WriteAll(file, std::vector<std::uint8_t>(script.begin(), script.end()));
  std::string command = Python() + " " + Quoted(file);
  for (const auto& a : args) command += " " + Quoted(a);
  return RunQuietly(command);
}

// Python that writes Pillow's RGBA decode of the image `im` to the path `dump`.
inline constexpr const char* kPillowDump =
    "def dump(im, path):\n"
    "    im = im.convert('RGBA')\n"
    "    open(path, 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";

// Reads the "width height\n" + RGBA dump written by PillowPicture.
inline std::optional<PeerPicture> ReadRgbaDump(const std::filesystem::path& dump) {
  const std::vector<std::uint8_t> bytes = ReadAll(dump);
  PeerPicture image;
  std::size_t newline = 0;
  while (newline < bytes.size() && bytes[newline] != '\n') ++newline;
  std::istringstream header(std::string(bytes.begin(), bytes.begin() + newline));
  if (!(header >> image.width >> image.height)) return std::nullopt;
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  if (bytes.size() != newline + 1 + count * 4) return std::nullopt;
  const std::uint8_t* p = bytes.data() + newline + 1;
  for (std::size_t i = 0; i < count; ++i, p += 4) {
    image.pixels.push_back(MakePixel(p[3], p[0], p[1], p[2]));
  }
  return image;
}

inline std::optional<PeerPicture> PillowPicture(const std::filesystem::path& file,
                                                const std::filesystem::path& scratch) {
  const std::filesystem::path out = scratch / "pillow.rgba";
  const std::string script = std::string("import sys\nfrom PIL import Image\n") + kPillowDump +
                             "dump(Image.open(sys.argv[1]), sys.argv[2])\n";
  if (!RunPython(scratch, script, {file, out})) return std::nullopt;
  return ReadRgbaDump(out);
}

// ImageMagick's decode through a PAM file (grey, grey+alpha, RGB or RGBA tuples).
inline std::optional<PeerPicture> MagickPicture(const std::filesystem::path& file,
                                                const std::filesystem::path& scratch) {
  const std::filesystem::path pam = scratch / "magick.pam";
  if (!RunQuietly("convert " + Quoted(file) + " -depth 8 PAM:" + Quoted(pam))) return std::nullopt;
  const std::vector<std::uint8_t> bytes = ReadAll(pam);
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t end = text.find("ENDHDR\n");
  if (end == std::string::npos) return std::nullopt;
  std::istringstream header(text.substr(0, end));
  PeerPicture image;
  int depth = 0;
  for (std::string key; header >> key;) {
    if (key == "WIDTH") header >> image.width;
    if (key == "HEIGHT") header >> image.height;
    if (key == "DEPTH") header >> depth;
  }
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  const std::size_t start = end + 7;
  if (depth < 1 || depth > 4 || bytes.size() < start + count * depth) return std::nullopt;
  const std::uint8_t* p = bytes.data() + start;
  for (std::size_t i = 0; i < count; ++i, p += depth) {
    const bool grey = depth <= 2;
    const std::uint8_t r = p[0], g = grey ? p[0] : p[1], b = grey ? p[0] : p[2];
    const std::uint8_t a = depth == 2 ? p[1] : depth == 4 ? p[3] : 255;
    image.pixels.push_back(MakePixel(a, r, g, b));
  }
  return image;
}

}  // namespace morvane::testing
