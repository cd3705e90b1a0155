// The commands that write images of the open document in other forms: "Save current image",
// "Save image list" and the PNG and GIF exports into folders by size. What they decide is here,
// testable without a display: the type list of their save dialog and how choosing a type
// renames the file, the questions before overwriting, the strip of an image list, and which
// files an export writes. The encoders are those of the formats level.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/image_export.h"
#include "formats/status.h"
#include "image/icon_document.h"

namespace morvane {

// --- The export save dialog's type list ----------------------------------------------------

inline constexpr std::string_view kSaveCurrentImageTypes =
    "Icon (*.ico)|PNG image (*.png)|GIF image (*.gif)|JPEG image (*.jpg)|Windows bitmap (*.bmp)|";
inline constexpr std::string_view kSaveImageListTypes =
    "16 colors bitmap (*.bmp)|256 colors bitmap (*.bmp)|True-color bitmap (*.bmp)|"
    "True-color with Alpha bitmap (*.bmp)|GIF image (*.gif)|PNG image (*.png)|";

struct ExportFileType {
  std::string description;  // "PNG image (*.png)"
  std::string pattern;      // "*.png"
  std::string extension;    // ".png"
};

// Up to 20 descriptions separated by "|", each a name and a pattern in parentheses.
std::vector<ExportFileType> ParseExportTypes(std::string_view list);
// The name the dialog starts with: the caller's, or the first type's pattern when none.
std::string InitialExportName(std::string_view suggested, std::span<const ExportFileType> types);
// 0-based: the first type whose extension equals the name's (from its first "."), in any case;
// else 0.
int InitialExportType(std::string_view name, std::span<const ExportFileType> types);
// Choosing a type renames the file: a name with "*" becomes the pattern; otherwise everything
// after the file name's first "." becomes the type's extension, or the extension is appended.
// Only the file name changes, never the folders above it.
std::string RenameForType(std::string_view path, const ExportFileType& type);
// The path with the type's extension: kept when it has it (in any case), else appended, so that
// what is written matches the chosen type.
std::filesystem::path WithTypeExtension(const std::filesystem::path& path, std::string_view ext);
// A stored 1-based filter index made valid for a list of count types.
int ClampFilterIndex(int stored, int count);

// --- Overwriting ----------------------------------------------------------------------------

enum class OverwriteQuestion {
  kNone,          // nothing is there yet
  kOverwrite,     // another file would be replaced
  kOpenDocument,  // the open document's own file would be replaced by one image
};
OverwriteQuestion QuestionBeforeWriting(const std::filesystem::path& target,
                                        const std::string& documentPath);

// --- Save current image ---------------------------------------------------------------------

struct ExportSettings {
  std::uint32_t matteColor = 0xDDDDDD;  // platform colour 0x00BBGGRR ("Matte color")
  int alphaLevel = 85;
};

// Writes the frame by the 1-based filter index of kSaveCurrentImageTypes (ICO, PNG, GIF, JPEG,
// BMP), flattening as each form needs. JPEG takes quality and colour from the caller's dialog.
Status SaveCurrentImage(const std::filesystem::path& path, int filterIndex, const ImageFrame& frame,
                        const ExportSettings& settings, int jpegQuality = 90,
                        bool jpegColor = true);

// --- Save image list --------------------------------------------------------------------------

// The 1-based filter index the dialog starts with: GIF for a ".gif" document, PNG for ".png",
// else by the first frame's format (4: 1, 8: 2, 24: 3, anything else: 4).
int InitialImageListType(const std::string& documentPath, int firstFormat);
// The frames side by side in frame order. Indexes 1 to 3 start from the opaque matte (0xRRGGBB),
// the others transparent. Fails when the frames differ in size or there are none.
bool FramesShareSize(const IconDocument& document);
Status BuildStrip(const IconDocument& document, int filterIndex, Pixel matte, CDib& strip);
Status SaveImageList(const std::filesystem::path& path, int filterIndex,
                     const IconDocument& document, const ExportSettings& settings);

// --- Export PNG / GIF -------------------------------------------------------------------------

struct ExportTarget {
  int frame = 0;
  bool gif = false;
  std::filesystem::path path;
};

// The files of Export PNG (frames of format 32) and Export GIF (format 8): base\png\<width>\N.png
// and base\gif\<width>\N.gif, where base is the document's folder and N its name without
// extension. Of frames that would write the same path the later one is kept. Fails for a
// document that has never been saved (no name to give the files).
Result<std::vector<ExportTarget>> PlanFolderExport(const IconDocument& document, bool png,
                                                   bool gif);

enum class ExportSkip { kNone, kNoFolder, kDeclined, kFailed };

struct FolderExportReport {
  std::filesystem::path base;
  int written = 0;
  int skipped = 0;
  std::vector<std::string> problems;  // one line per skipped file that failed or had no folder
};

// Writes the planned files. The folders are never created: a file whose folder is missing is
// skipped and reported. confirmOverwrite is asked for every file that exists; false skips it.
FolderExportReport RunFolderExport(
    const IconDocument& document, const std::vector<ExportTarget>& targets,
    const ExportSettings& settings,
    const std::function<bool(const std::filesystem::path&)>& confirmOverwrite);

}  // namespace morvane
