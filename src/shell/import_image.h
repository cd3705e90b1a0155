// "Import from image ...": the rules behind the import dialog, apart from the dialog itself. A
// selection dragged over a picture becomes an icon image of a chosen size: the selection is
// limited as the options say, the destination inside the icon keeps the selection's proportion
// when asked, and the preview is the selected region scaled into it with the stored filter level.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "image/dib.h"
#include "shell/settings.h"

namespace morvane {

inline constexpr std::string_view kImportDialogSection = "Import from image dialog";
inline constexpr int kImportMaxIconSide = 256;
// With "Icon equal selection" off a selection may be this large in each direction.
inline constexpr int kImportMaxSelectionSide = 65535;
inline constexpr int kImportDefaultIconSize = 32;

// The dialog's persisted options.
struct ImportOptions {
  std::string masks = "*.png,*.bmp,*.gif,*.jpg,*.exe,*.dll,*.scr";
  bool subfolders = true;
  int openAction = 0;
  double level = 0.7;  // "Bilinear level"
  bool iconEqualSelection = false;
  bool saveProportion = true;
  std::string windowPosition = "23,22,602,493,1,0";
  int treeFilesPosition = 0;
};

ImportOptions LoadImportOptions(const Settings& settings);
void SaveImportOptions(Settings& settings, const ImportOptions& options);

// The four filter commands and what the stored level reads as.
enum class FilterLevel { kOff, kWeak, kNormal, kStrong };
double LevelValue(FilterLevel level);
FilterLevel LevelName(double stored);
// "Filter off", "Bilinear weak", "Bilinear normal", "Bilinear strong".
std::string_view LevelText(FilterLevel level);

// The stored level is written with "%g" and read back the same way in every locale: a decimal
// point, never a comma. Nothing for text that is not a number.
std::optional<double> ParseLevel(std::string_view text);
std::string FormatLevel(double level);

// The size menu: 16, 24, 32, 48, 64, 72, 96, 128 or 256; any other choice means 32.
int IconSizeChoice(int size);

// The selection a drag from anchor to point gives, corners in either order, inside the picture
// and limited to 256 x 256 (iconEqualSelection) or 65535 x 65535.
Rect DragSelection(int anchorX, int anchorY, int x, int y, int pictureWidth, int pictureHeight,
                   bool iconEqualSelection);
// Choosing an icon size while "Icon equal selection" is on: the selection takes that size,
// keeping its top-left corner, as far as the picture reaches.
Rect ResizeSelection(Rect selection, int size, int pictureWidth, int pictureHeight);

struct IconSize {
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};
// The icon the selection becomes: the selection's own size (1..256) with "Icon equal
// selection", else the chosen size square. Empty for an empty selection.
IconSize ImportIconSize(Rect selection, int chosenSize, bool iconEqualSelection);

// Where the selection lands inside a W x H icon: the whole icon, or with saveProportion the
// largest centred rectangle of the selection's aspect ratio; every side at least 1 pixel, and
// never outside the icon. Empty (all 0) when the selection or the icon is empty.
Rect ImportDestination(int selectionWidth, int selectionHeight, IconSize icon, bool saveProportion);

// The preview: a transparent icon with the selected region scaled into the destination. False
// (and out released) when there is no picture, or the selection or icon is empty.
bool MakeImportPreview(const CDib& picture, Rect selection, IconSize icon, double level,
                       bool saveProportion, CDib& out);

}  // namespace morvane
