// File > "Import from image ..." and the pictures larger than an icon that Open hands over:
// runs the import dialog and puts the icon image it makes into the document.
#pragma once

#include <functional>
#include <optional>

#include "formats/object_loader.h"
#include "image/dib.h"
#include "ui/editor_context.h"
#include "ui/import_dialog.h"

namespace morvane {

class ImportController {
 public:
  // Runs the dialog; returns the icon image, or nothing when cancelled. Tests replace it.
  using Runner = std::function<std::optional<CDib>(ImportDialog&)>;

  explicit ImportController(EditorContext context);
  void RegisterCommands(const CommandRegistrar& registrar);
  void SetRunner(Runner runner) { runner_ = std::move(runner); }

  // From the menu: the image becomes a new frame of the document.
  bool FromMenu();
  // A large picture from Open: the image becomes a new icon, or a frame added to the document
  // when the picture was opened to be added.
  bool FromPicture(OpenOutcome& outcome);
  // A pasted picture larger than an icon: the image becomes a new frame of the document.
  bool FromClipboard(CDib&& picture);

 private:
  std::optional<CDib> Run(CDib* picture);
  bool AddToDocument(CDib&& image);

  EditorContext context_;
  Runner runner_;
};

}  // namespace morvane
