// File > "Save current image ...", "Save image list ...", "Export PNG", "Export GIF" and
// "Export PNG && GIF": dialogs and messages around the export logic of the shell.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/image_export_commands.h"
#include "ui/editor_context.h"
#include "ui/export_dialogs.h"

namespace morvane {

class ExportController {
 public:
  // Chooses the target file: title, types, suggested name, 1-based type index.
  using Chooser = std::function<std::optional<ExportChoice>(
      const QString&, const std::vector<ExportFileType>&, const std::string&, int)>;

  explicit ExportController(EditorContext context);

  void RegisterCommands(const CommandRegistrar& registrar);
  // Tests choose files without a dialog.
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }

  bool SaveCurrentImageCommand();
  bool SaveImageListCommand();
  void ExportFolders(bool png, bool gif);

 private:
  bool ConfirmTarget(const std::filesystem::path& target);
  ExportSettings Settings() const;
  void ShowFailure(const Status& status);

  EditorContext context_;
  Chooser chooser_;
};

}  // namespace morvane
