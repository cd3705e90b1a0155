#include "shell/image_export_commands.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <system_error>

#include "formats/ico_codec.h"

namespace morvane {
namespace {

constexpr std::size_t kMaxExportTypes = 20;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The file name's extension from its first "." on ("x.tar.gz" gives ".tar.gz").
std::string FirstDotExtension(std::string_view path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const std::size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

PictureExportOptions PictureOptions(const ExportSettings& s, int depth = 0) {
  PictureExportOptions o;
  o.matte = SwapRedBlue(s.matteColor) & 0x00FFFFFF;
  o.alphaLevel = s.alphaLevel;
  o.depth = depth;
  return o;
}

std::filesystem::path WithExtension(const std::filesystem::path& path, std::string_view ext) {
  return WithTypeExtension(path, ext);
}

// Draws a frame pixel onto a strip pixel: opaque replaces, partial composites, transparent
// clears only the alpha byte.
Pixel StripPixel(Pixel strip, Pixel frame) {
  const Pixel alpha = frame >> 24;
  if (alpha == 255) return frame;
  if (alpha == 0) return strip & 0x00FFFFFF;
  return AlphaOver(strip, frame);
}

}  // namespace

std::vector<ExportFileType> ParseExportTypes(std::string_view list) {
  std::vector<ExportFileType> types;
  while (!list.empty() && types.size() < kMaxExportTypes) {
    const std::size_t bar = list.find('|');
    const std::string_view description = list.substr(0, bar);
    list = bar == std::string_view::npos ? std::string_view() : list.substr(bar + 1);
    const std::size_t open = description.rfind('(');
    const std::size_t close = description.rfind(')');
    if (description.empty() || open == std::string_view::npos || close == std::string_view::npos ||
        close < open) {
      continue;
    }
    ExportFileType type;
    type.description = std::string(description);
    type.pattern = std::string(description.substr(open + 1, close - open - 1));
    type.extension = type.pattern.substr(std::min<std::size_t>(1, type.pattern.size()));
    types.push_back(std::move(type));
  }
  return types;
}

std::string InitialExportName(std::string_view suggested, std::span<const ExportFileType> types) {
  if (!suggested.empty() || types.empty()) return std::string(suggested);
  return types.front().pattern;
}

int InitialExportType(std::string_view name, std::span<const ExportFileType> types) {
  const std::string ext = Lower(FirstDotExtension(name));
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (!ext.empty() && Lower(types[i].extension) == ext) return static_cast<int>(i);
  }
  return 0;
}

std::string RenameForType(std::string_view path, const ExportFileType& type) {
  const std::filesystem::path full(path);
  std::string name = full.filename().string();
  if (name.find('*') != std::string::npos) {
    name = type.pattern;
  } else {
    const std::size_t dot = name.find('.');
    name = (dot == std::string::npos ? name : name.substr(0, dot)) + type.extension;
  }
  return (full.parent_path() / name).string();
}

std::filesystem::path WithTypeExtension(const std::filesystem::path& path, std::string_view ext) {
  if (Lower(path.extension().string()) == Lower(ext)) return path;
  std::filesystem::path out = path;
  out += std::string(ext);
  return out;
}

int ClampFilterIndex(int stored, int count) {
  return count <= 0 ? 1 : std::clamp(stored, 1, count);
}

OverwriteQuestion QuestionBeforeWriting(const std::filesystem::path& target,
                                        const std::string& documentPath) {
  std::error_code error;
  if (!std::filesystem::exists(target, error)) return OverwriteQuestion::kNone;
  if (!documentPath.empty() && std::filesystem::equivalent(target, documentPath, error)) {
    return OverwriteQuestion::kOpenDocument;
  }
  return OverwriteQuestion::kOverwrite;
}

Status SaveCurrentImage(const std::filesystem::path& path, int filterIndex, const ImageFrame& frame,
                        const ExportSettings& settings, int jpegQuality, bool jpegColor) {
  const int format = BitsOf(frame.format);
  switch (filterIndex) {
    case 1: {
      const IconFrameRef ref{&frame.image, format};
      return WriteIconFile(WithExtension(path, ".ico"), std::span(&ref, 1), kIconNoHotspot,
                           kIconNoHotspot, {settings.alphaLevel, settings.matteColor});
    }
    case 2:
      return ExportPicture(WithExtension(path, ".png"), frame.image, format,
                           PictureOptions(settings, format));
    case 3:
      return ExportPicture(WithExtension(path, ".gif"), frame.image, format,
                           PictureOptions(settings));
    case 4: {
      PictureExportOptions options = PictureOptions(settings);
      options.jpegQuality = jpegQuality;
      options.jpegColor = jpegColor;
      return ExportPicture(WithExtension(path, ".jpg"), frame.image, format, options);
    }
    case 5:
      return ExportPicture(WithExtension(path, ".bmp"), frame.image, format,
                           PictureOptions(settings, format));
    default:
      break;
  }
  return {ErrorCode::kUnsupported, "no such image type"};
}

int InitialImageListType(const std::string& documentPath, int firstFormat) {
  const std::string lower = Lower(documentPath);
  const auto endsWith = [&](std::string_view ext) {
    return lower.size() >= ext.size() &&
           lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0;
  };
  if (endsWith(".gif")) return 5;
  if (endsWith(".png")) return 6;
  switch (firstFormat) {
    case 4:
      return 1;
    case 8:
      return 2;
    case 24:
      return 3;
    default:
      return 4;
  }
}

bool FramesShareSize(const IconDocument& document) {
  for (int i = 1; i < document.Count(); ++i) {
    if (document.Frame(i).image.GetWidth() != document.Frame(0).image.GetWidth() ||
        document.Frame(i).image.GetHeight() != document.Frame(0).image.GetHeight()) {
      return false;
    }
  }
  return true;
}

Status BuildStrip(const IconDocument& document, int filterIndex, Pixel matte, CDib& strip) {
  if (document.Count() == 0) return {ErrorCode::kNoImages, "no images"};
  if (!FramesShareSize(document)) {
    return {ErrorCode::kBadFormat, "All images must have the same size!"};
  }
  const int width = document.Frame(0).image.GetWidth();
  const int height = document.Frame(0).image.GetHeight();
  if (!strip.Create(width * document.Count(), height)) {
    return {ErrorCode::kOutOfMemory, "no memory for the strip"};
  }
  strip.Fill(filterIndex >= 1 && filterIndex <= 3 ? (0xFF000000 | (matte & 0x00FFFFFF)) : 0);
  for (int i = 0; i < document.Count(); ++i) {
    const CDib& frame = document.Frame(i).image;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int sx = i * width + x;
        strip.SetPixel(sx, y, StripPixel(strip.GetPixel(sx, y), frame.GetPixel(x, y)));
      }
    }
  }
  return Status::Ok();
}

Status SaveImageList(const std::filesystem::path& path, int filterIndex,
                     const IconDocument& document, const ExportSettings& settings) {
  CDib strip;
  const Pixel matte = SwapRedBlue(settings.matteColor) & 0x00FFFFFF;
  if (Status built = BuildStrip(document, filterIndex, matte, strip); !built.ok()) return built;
  static constexpr int kBmpBits[] = {4, 8, 24, 32};
  if (filterIndex >= 1 && filterIndex <= 4) {
    const int bits = kBmpBits[filterIndex - 1];
    return ExportPicture(WithExtension(path, ".bmp"), strip, bits, PictureOptions(settings, bits));
  }
  if (filterIndex == 5) {
    return ExportPicture(WithExtension(path, ".gif"), strip, 8, PictureOptions(settings));
  }
  if (filterIndex == 6) {
    const int depth = BitsOf(document.Frame(0).format);
    return ExportPicture(WithExtension(path, ".png"), strip, depth,
                         PictureOptions(settings, depth));
  }
  return {ErrorCode::kUnsupported, "no such image type"};
}

Result<std::vector<ExportTarget>> PlanFolderExport(const IconDocument& document, bool png,
                                                   bool gif) {
  const std::filesystem::path documentPath(document.FileName());
  const std::string name = documentPath.stem().string();
  if (name.empty() || !documentPath.has_parent_path()) {
    return Status{ErrorCode::kCannotWrite, "the document has no name yet"};
  }
  const std::filesystem::path base = documentPath.parent_path();
  // Keyed by path: a later frame of the same width and format replaces the earlier one.
  std::map<std::filesystem::path, ExportTarget> byPath;
  std::vector<std::filesystem::path> order;
  const auto add = [&](int frame, bool isGif) {
    const int width = document.Frame(frame).image.GetWidth();
    ExportTarget target{frame, isGif,
                        base / (isGif ? "gif" : "png") / std::to_string(width) /
                            (name + (isGif ? ".gif" : ".png"))};
    if (byPath.find(target.path) == byPath.end()) order.push_back(target.path);
    byPath[target.path] = std::move(target);
  };
  for (int i = 0; png && i < document.Count(); ++i) {
    if (document.Frame(i).format == ColorFormat::kTrueColorAlpha) add(i, false);
  }
  for (int i = 0; gif && i < document.Count(); ++i) {
    if (document.Frame(i).format == ColorFormat::k256Colors) add(i, true);
  }
  std::vector<ExportTarget> targets;
  for (const auto& path : order) targets.push_back(byPath[path]);
  return targets;
}

FolderExportReport RunFolderExport(
    const IconDocument& document, const std::vector<ExportTarget>& targets,
    const ExportSettings& settings,
    const std::function<bool(const std::filesystem::path&)>& confirmOverwrite) {
  FolderExportReport report;
  report.base = std::filesystem::path(document.FileName()).parent_path();
  for (const ExportTarget& target : targets) {
    std::error_code error;
    if (!std::filesystem::is_directory(target.path.parent_path(), error)) {
      ++report.skipped;
      report.problems.push_back(target.path.parent_path().string() + ": no such folder");
      continue;
    }
    if (std::filesystem::exists(target.path, error) &&
        !(confirmOverwrite && confirmOverwrite(target.path))) {
      ++report.skipped;
      continue;
    }
    const ImageFrame& frame = document.Frame(target.frame);
    const int format = BitsOf(frame.format);
    const Status status = ExportPicture(target.path, frame.image, format,
                                        PictureOptions(settings, target.gif ? 0 : 32));
    if (status.ok()) {
      ++report.written;
    } else {
      ++report.skipped;
      report.problems.push_back(status.message());
    }
  }
  return report;
}

}  // namespace morvane
