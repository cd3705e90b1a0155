#include "shell/import_image.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace morvane {
namespace {

constexpr std::array<int, 9> kIconSizes = {16, 24, 32, 48, 64, 72, 96, 128, 256};

int Clamp(int v, int low, int high) {
  return std::min(std::max(v, low), high);
}

// Keeps the top-left corner, cuts the far sides to the limit and to the picture.
Rect Limit(Rect r, int maxSide, int pictureWidth, int pictureHeight) {
  r.left = Clamp(r.left, 0, pictureWidth);
  r.top = Clamp(r.top, 0, pictureHeight);
  r.right = Clamp(std::min(r.right, r.left + maxSide), r.left, pictureWidth);
  r.bottom = Clamp(std::min(r.bottom, r.top + maxSide), r.top, pictureHeight);
  return r;
}

}  // namespace

ImportOptions LoadImportOptions(const Settings& settings) {
  const auto s = kImportDialogSection;
  ImportOptions o;
  o.masks = settings.read_string(s, "Masks", o.masks);
  o.subfolders = settings.read_int(s, "Subfolders", 1) != 0;
  o.openAction = settings.read_int(s, "Open action", 0);
  o.level = ParseLevel(settings.read_string(s, "Bilinear level", "0.7")).value_or(0.7);
  o.iconEqualSelection = settings.read_int(s, "Icon equal selection", 0) != 0;
  o.saveProportion = settings.read_int(s, "Save proportion", 1) != 0;
  o.windowPosition = settings.read_string(s, "Windows position", o.windowPosition);
  o.treeFilesPosition = settings.read_int(s, "Tree/Files position", 0);
  return o;
}

void SaveImportOptions(Settings& settings, const ImportOptions& o) {
  const auto s = kImportDialogSection;
  settings.write_string(s, "Masks", o.masks);
  settings.write_int(s, "Subfolders", o.subfolders ? 1 : 0);
  settings.write_int(s, "Open action", o.openAction);
  settings.write_string(s, "Bilinear level", FormatLevel(o.level));
  settings.write_int(s, "Icon equal selection", o.iconEqualSelection ? 1 : 0);
  settings.write_int(s, "Save proportion", o.saveProportion ? 1 : 0);
  settings.write_string(s, "Windows position", o.windowPosition);
  settings.write_int(s, "Tree/Files position", o.treeFilesPosition);
}

double LevelValue(FilterLevel level) {
  switch (level) {
    case FilterLevel::kOff:
      return 0;
    case FilterLevel::kWeak:
      return 0.4;
    case FilterLevel::kNormal:
      return 0.7;
    case FilterLevel::kStrong:
      break;
  }
  return 1.0;
}

FilterLevel LevelName(double stored) {
  if (stored < 0.1) return FilterLevel::kOff;
  if (stored < 0.65) return FilterLevel::kWeak;
  if (stored < 0.95) return FilterLevel::kNormal;
  return FilterLevel::kStrong;
}

std::string_view LevelText(FilterLevel level) {
  switch (level) {
    case FilterLevel::kOff:
      return "Filter off";
    case FilterLevel::kWeak:
      return "Bilinear weak";
    case FilterLevel::kNormal:
      return "Bilinear normal";
    case FilterLevel::kStrong:
      break;
  }
  return "Bilinear strong";
}

std::optional<double> ParseLevel(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string FormatLevel(double level) {
  std::array<char, 32> buffer{};
  // Six significant digits in the shorter of fixed and scientific form: what "%g" prints.
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), level,
                                          std::chars_format::general, 6);
  if (error != std::errc()) return "0.7";
  return std::string(buffer.data(), end);
}

int IconSizeChoice(int size) {
  return std::find(kIconSizes.begin(), kIconSizes.end(), size) != kIconSizes.end()
             ? size
             : kImportDefaultIconSize;
}

Rect DragSelection(int anchorX, int anchorY, int x, int y, int pictureWidth, int pictureHeight,
                   bool iconEqualSelection) {
  const int maxSide = iconEqualSelection ? kImportMaxIconSide : kImportMaxSelectionSide;
  Rect r{std::min(anchorX, x), std::min(anchorY, y), std::max(anchorX, x), std::max(anchorY, y)};
  // Dragging up or left keeps the anchor where the limit cuts the selection.
  Rect limited = Limit(r, maxSide, pictureWidth, pictureHeight);
  if (x < anchorX && r.right - r.left > maxSide) {
    limited.right = Clamp(anchorX, 0, pictureWidth);
    limited.left = std::max(0, limited.right - maxSide);
  }
  if (y < anchorY && r.bottom - r.top > maxSide) {
    limited.bottom = Clamp(anchorY, 0, pictureHeight);
    limited.top = std::max(0, limited.bottom - maxSide);
  }
  return limited;
}

Rect ResizeSelection(Rect selection, int size, int pictureWidth, int pictureHeight) {
  const int side = Clamp(size, 1, kImportMaxIconSide);
  return Limit({selection.left, selection.top, selection.left + side, selection.top + side},
               kImportMaxIconSide, pictureWidth, pictureHeight);
}

IconSize ImportIconSize(Rect selection, int chosenSize, bool iconEqualSelection) {
  if (selection.Width() <= 0 || selection.Height() <= 0) return {};
  if (iconEqualSelection) {
    return {std::min(selection.Width(), kImportMaxIconSide),
            std::min(selection.Height(), kImportMaxIconSide)};
  }
  const int side = Clamp(chosenSize, 1, kImportMaxIconSide);
  return {side, side};
}

Rect ImportDestination(int selectionWidth, int selectionHeight, IconSize icon,
                       bool saveProportion) {
  if (selectionWidth <= 0 || selectionHeight <= 0 || icon.Empty()) return {};
  const int W = icon.width;
  const int H = icon.height;
  Rect d{0, 0, W, H};
  if (saveProportion) {
    const double w = selectionWidth;
    const double h = selectionHeight;
    if (w / W < h / H) {
      const int width = std::max(1, static_cast<int>(w / (h / H) + 0.5));
      d.left = (W - width) / 2;
      d.right = d.left + width;
    } else {
      const int height = std::max(1, static_cast<int>(h / (w / W) + 0.5));
      d.top = (H - height) / 2;
      d.bottom = d.top + height;
    }
  }
  d.left = Clamp(d.left, 0, W - 1);
  d.top = Clamp(d.top, 0, H - 1);
  d.right = Clamp(d.right, d.left + 1, W);
  d.bottom = Clamp(d.bottom, d.top + 1, H);
  return d;
}

bool MakeImportPreview(const CDib& picture, Rect selection, IconSize icon, double level,
                       bool saveProportion, CDib& out) {
  out = CDib();
  const Rect inside =
      Limit(selection, kImportMaxSelectionSide, picture.GetWidth(), picture.GetHeight());
  if (!picture.IsLive() || inside.Width() <= 0 || inside.Height() <= 0 || icon.Empty()) {
    return false;
  }
  if (!out.Create(icon.width, icon.height)) return false;
  out.Fill(0);
  const Rect destination = ImportDestination(inside.Width(), inside.Height(), icon, saveProportion);
  picture.StretchTo(out, inside, level, destination);
  return true;
}

}  // namespace morvane
