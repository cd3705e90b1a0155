// The dialogs of the image export commands: the save dialog whose type list renames the file as
// a type is chosen, and "Set JPEG properties".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "shell/image_export_commands.h"
#include "shell/settings.h"

namespace morvane {

struct ExportChoice {
  std::string path;
  int filterIndex = 1;  // 1-based, as stored
};

// A resizable save dialog over the type list; it never asks about overwriting (the caller does).
// Nothing when cancelled.
std::optional<ExportChoice> ChooseExportFile(QWidget* parent, const QString& title,
                                             const std::vector<ExportFileType>& types,
                                             const std::string& name, int filterIndex);

struct JpegChoice {
  int quality = 90;
  bool color = true;
};
// "Set JPEG properties": quality 10..100 and "Grayscale", stored under "Set JPEG dialog" when
// applied. Nothing on "Cancel".
std::optional<JpegChoice> AskJpegProperties(QWidget* parent, Settings& settings);

}  // namespace morvane
