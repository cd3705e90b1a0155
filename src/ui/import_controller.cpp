#include "ui/import_controller.h"

#include "shell/commands.h"
#include "shell/import_image.h"

namespace morvane {

ImportController::ImportController(EditorContext context) : context_(std::move(context)) {
  runner_ = [](ImportDialog& dialog) -> std::optional<CDib> {
    if (dialog.exec() != QDialog::Accepted || !dialog.Preview().IsLive()) return std::nullopt;
    CDib image;
    if (!dialog.Preview().CopyTo(image, CDib::CopyMode::kRecreate)) return std::nullopt;
    return image;
  };
}

void ImportController::RegisterCommands(const CommandRegistrar& registrar) {
  registrar(command::kImportFromImage, [this] { FromMenu(); }, {}, {});
}

std::optional<CDib> ImportController::Run(CDib* picture) {
  ImportDialog dialog(*context_.pack, LoadImportOptions(*context_.settings),
                      context_.state->lastWorkingFolder, picture, context_.window);
  std::optional<CDib> image = runner_(dialog);
  SaveImportOptions(*context_.settings, dialog.Options());
  return image;
}

bool ImportController::AddToDocument(CDib&& image) {
  IconDocument& doc = *context_.document;
  const AddResult added = doc.AdoptFrame(std::move(image), ColorFormat::kTrueColorAlpha);
  if (!added.Added()) return false;
  doc.SelectFrame(added.index);
  doc.SetModified(true);
  context_.refresh();
  return true;
}

bool ImportController::FromMenu() {
  std::optional<CDib> image = Run(nullptr);
  return image && AddToDocument(std::move(*image));
}

bool ImportController::FromClipboard(CDib&& picture) {
  std::optional<CDib> image = Run(&picture);
  return image && AddToDocument(std::move(*image));
}

bool ImportController::FromPicture(OpenOutcome& outcome) {
  std::optional<CDib> image = Run(&outcome.picture);
  if (!image) return false;
  if (!outcome.append) {
    // The caller asked about the old document before the picture was read.
    IconDocument& doc = *context_.document;
    doc.New(DocumentKind::kIcon);
    doc.RemoveAllFrames();
    if (context_.documentReplaced) context_.documentReplaced();
  }
  return AddToDocument(std::move(*image));
}

}  // namespace morvane
