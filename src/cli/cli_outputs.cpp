#include "cli/cli_outputs.h"

#include <climits>
#include <vector>

#include "formats/ani_codec.h"
#include "formats/icl_library.h"
#include "formats/icl_writer.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"

namespace morvane::cli {
namespace {

std::vector<IconFrameRef> RefsOf(const IconDocument& document) {
  std::vector<IconFrameRef> refs;
  refs.reserve(static_cast<std::size_t>(document.Count()));
  for (int i = 0; i < document.Count(); ++i) {
    refs.push_back({&document.Frame(i).image, BitsOf(document.Frame(i).format)});
  }
  return refs;
}

// Cursors need a hotspot: the one asked for, the object's own, or the top-left corner.
Hotspot CursorHotspot(const IconDocument& document, const OutputOptions& options) {
  if (options.hotspot) return *options.hotspot;
  if (document.GetHotspot().x != kNotSet) return document.GetHotspot();
  return {0, 0};
}

bool ValidDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

// The values of --hotspot, --rate, --alpha-level, --matte and --quality.
std::string ReadNumbers(const ParsedArgs& p, OutputOptions& o) {
  if (const std::string* v = p.Value("--hotspot")) {
    const auto n = ParsePair(*v, 0, 65535);
    if (!n) return "--hotspot needs X,Y";
    o.hotspot = Hotspot{n->first, n->second};
  }
  if (const std::string* v = p.Value("--rate")) {
    const auto n = ParseInt(*v, 0, INT_MAX);
    if (!n) return "--rate needs a number of jiffies (0 or more)";
    o.rate = *n;
  }
  if (const std::string* v = p.Value("--alpha-level")) {
    const auto n = ParseInt(*v, 1, 255);
    if (!n) return "--alpha-level needs a number from 1 to 255";
    o.icon.alphaLevel = *n;
    o.picture.alphaLevel = *n;
  }
  if (const std::string* v = p.Value("--matte")) {
    const auto n = ParseRgb(*v);
    if (!n) return "--matte needs a colour as RRGGBB";
    o.icon.matteColor = SwapRedBlue(*n);
    o.picture.matte = *n;
    o.libraryMatte = *n;
  }
  if (const std::string* v = p.Value("--quality")) {
    const auto n = ParseInt(*v, 10, 100);
    if (!n) return "--quality needs a number from 10 to 100";
    o.picture.jpegQuality = *n;
  }
  return {};
}

}  // namespace

const char* const kOutputOptionsHelp =
    "  --hotspot X,Y        hotspot of .cur and .ani outputs\n"
    "  --rate N             display time of every .ani frame, in jiffies (1/60 s)\n"
    "  --title TEXT         title of an .ani output\n"
    "  --author TEXT        author of an .ani output\n"
    "  --alpha-level N      alpha below which a pixel is transparent, 1..255 (default 85)\n"
    "  --matte RRGGBB       colour partial transparency is flattened onto (default DDDDDD;\n"
    "                       for .icl the library's preview colour C0C0C0)\n"
    "  --quality N          JPEG quality, 10..100 (default 90)\n"
    "  --grayscale          a grey JPEG\n"
    "  --depth N            PNG depth or BMP bit count: 1, 4, 8, 24, 32 (default: the frame's)\n";

void AddOutputOptionNames(OptionSpec& options) {
  for (const char* name : {"--hotspot", "--rate", "--title", "--author", "--alpha-level", "--matte",
                           "--quality", "--depth"}) {
    options.valued.insert(name);
  }
  options.flags.insert("--grayscale");
}

std::string ReadOutputOptions(const ParsedArgs& parsed, OutputOptions& options) {
  if (std::string problem = ReadNumbers(parsed, options); !problem.empty()) return problem;
  if (const std::string* v = parsed.Value("--depth")) {
    const auto n = ParseInt(*v, 1, 32);
    if (!n || !ValidDepth(*n)) return "--depth needs 1, 4, 8, 24 or 32";
    options.picture.depth = *n;
  }
  options.picture.jpegColor = !parsed.Has("--grayscale");
  if (const std::string* v = parsed.Value("--title")) options.title = *v;
  if (const std::string* v = parsed.Value("--author")) options.author = *v;
  return {};
}

Status WriteDocumentOutput(const std::filesystem::path& path, const std::string& ext,
                           const IconDocument& document, int frame, const OutputOptions& options) {
  if (IsPictureOutput(ext)) {
    const ImageFrame& f = document.Frame(frame);
    return ExportPicture(path, f.image, BitsOf(f.format), options.picture);
  }
  if (ext == ".ani") return WriteAniOutput(path, document, options);
  if (ext == ".icl") {
    const IconDocument* groups[] = {&document};
    return WriteLibraryOutput(path, groups, options);
  }
  return WriteIconOutput(path, document, ext == ".cur", options);
}

bool IsIconOutput(const std::string& ext) {
  return ext == ".ico" || ext == ".cur" || ext == ".ani" || ext == ".icl";
}

bool IsPictureOutput(const std::string& ext) {
  return ext == ".png" || ext == ".gif" || ext == ".jpg" || ext == ".bmp";
}

Status WriteIconOutput(const std::filesystem::path& path, const IconDocument& document, bool cursor,
                       const OutputOptions& options) {
  const std::vector<IconFrameRef> refs = RefsOf(document);
  Hotspot hotspot{kIconNoHotspot, kIconNoHotspot};
  if (cursor) hotspot = CursorHotspot(document, options);
  return WriteIconFile(path, refs, hotspot.x, hotspot.y, options.icon);
}

Status WriteAniOutput(const std::filesystem::path& path, const IconDocument& document,
                      const OutputOptions& options) {
  const std::vector<IconFrameRef> refs = RefsOf(document);
  std::vector<int> rates;
  rates.reserve(refs.size());
  for (int i = 0; i < document.Count(); ++i) {
    rates.push_back(options.rate.value_or(document.Frame(i).rate));
  }
  const Hotspot hotspot = CursorHotspot(document, options);
  return SaveAniFile(path, refs, rates, hotspot.x, hotspot.y,
                     options.title.value_or(document.Title()),
                     options.author.value_or(document.Author()), options.icon);
}

Status WriteLibraryOutput(const std::filesystem::path& path,
                          std::span<const IconDocument* const> groups,
                          const OutputOptions& options) {
  // The library manager's path: a new library, one group added per document and each written
  // back from its frames.
  IconLibrary library = IconLibrary::New();
  WriteBackOptions writeBack;
  writeBack.alphaLevel = options.icon.alphaLevel;
  if (options.libraryMatte) writeBack.previewColor = SwapRedBlue(*options.libraryMatte);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const int group = static_cast<int>(g);
    if (group > 0 && library.AddGroup(0xFFFFFF) < 0) {
      return {ErrorCode::kOutOfMemory, path.string() + ": out of memory adding a group"};
    }
    const std::vector<IconFrameRef> refs = RefsOf(*groups[g]);
    if (library.ReplaceGroup(group, refs, writeBack) != LibraryEditStatus::kOk) {
      return {ErrorCode::kCannotWrite, path.string() + ": the images of input " +
                                           std::to_string(g + 1) +
                                           " cannot be stored in a library"};
    }
  }
  return WriteLibrary(library, path, options.icon);
}

}  // namespace morvane::cli
