// Writing the frames of a conversion by the output's extension, through the core's writers.
// Every writer replaces its file only on success.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "cli/cli_args.h"
#include "formats/icon_image.h"
#include "formats/image_export.h"
#include "formats/status.h"
#include "image/icon_document.h"

namespace morvane::cli {

struct OutputOptions {
  IconWriteOptions icon;             // "Alpha level" and "Matte color" of the icon writers
  PictureExportOptions picture;      // flattening and the picture encoders' settings
  std::optional<Hotspot> hotspot;    // overrides the object's hotspot
  std::optional<int> rate;           // overrides every frame's rate
  std::optional<std::string> title;  // override the animated cursor's texts
  std::optional<std::string> author;
  std::optional<unsigned> libraryMatte;  // 0xRRGGBB that library images are flattened onto
};

// The options that shape what is written, as convert and draw take them, and their help lines.
extern const char* const kOutputOptionsHelp;
void AddOutputOptionNames(OptionSpec& options);
// Reads them into options; the problem (naming the option) or empty.
std::string ReadOutputOptions(const ParsedArgs& parsed, OutputOptions& options);

// True for the extensions convert writes: .ico .cur .ani .icl .png .gif .jpg .bmp.
bool IsIconOutput(const std::string& ext);
bool IsPictureOutput(const std::string& ext);

// The document by the output's extension (ext in lower case): a picture gets frame `frame`.
Status WriteDocumentOutput(const std::filesystem::path& path, const std::string& ext,
                           const IconDocument& document, int frame, const OutputOptions& options);

// .ico (cursor false) or .cur (cursor true) of every frame of the document.
Status WriteIconOutput(const std::filesystem::path& path, const IconDocument& document, bool cursor,
                       const OutputOptions& options);
// .ani of the frames in order, with their rates.
Status WriteAniOutput(const std::filesystem::path& path, const IconDocument& document,
                      const OutputOptions& options);
// .icl with one group per document, in order.
Status WriteLibraryOutput(const std::filesystem::path& path,
                          std::span<const IconDocument* const> groups,
                          const OutputOptions& options);

}  // namespace morvane::cli
