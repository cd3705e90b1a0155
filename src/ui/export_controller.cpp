#include "ui/export_controller.h"

#include "shell/commands.h"
#include "shell/control_ids.h"
#include "shell/settings_main_window.h"

namespace morvane {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// printf-style placeholders are filled in order, one at a time.
void FillFirst(QString& text, const QString& placeholder, const QString& value) {
  const auto at = text.indexOf(placeholder);
  if (at >= 0) text.replace(at, placeholder.size(), value);
}

constexpr std::string_view kLastSaveImageFormat = "Last save image format";

}  // namespace

ExportController::ExportController(EditorContext context) : context_(std::move(context)) {
  chooser_ = [this](const QString& title, const std::vector<ExportFileType>& types,
                    const std::string& name, int index) {
    return ChooseExportFile(context_.window, title, types, name, index);
  };
}

void ExportController::RegisterCommands(const CommandRegistrar& registrar) {
  const auto hasFrame = [this] { return context_.document->CurrentFrame() != nullptr; };
  registrar(command::kSaveCurrentImage, [this] { SaveCurrentImageCommand(); }, hasFrame, {});
  registrar(command::kSaveImageList, [this] { SaveImageListCommand(); }, hasFrame, {});
  registrar(command::kExportPng, [this] { ExportFolders(true, false); }, hasFrame, {});
  registrar(command::kExportGif, [this] { ExportFolders(false, true); }, hasFrame, {});
  registrar(command::kExportPngGif, [this] { ExportFolders(true, true); }, hasFrame, {});
}

ExportSettings ExportController::Settings() const {
  return {context_.state->matteColor, context_.state->alphaLevel};
}

void ExportController::ShowFailure(const Status& status) {
  context_.prompts().ShowError(
      context_.window, "Error",
      context_.Message("cant_open", "Can't open file for writing!") + "\n" + Q(status.message()));
}

// Replacing a file is always asked; replacing the open document by one image says so.
bool ExportController::ConfirmTarget(const std::filesystem::path& target) {
  const IconDocument& doc = *context_.document;
  QString text;
  switch (QuestionBeforeWriting(target, doc.FileName())) {
    case OverwriteQuestion::kNone:
      return true;
    case OverwriteQuestion::kOverwrite:
      text = context_.Message("save_icon_rewrite", "Do you want to save file") + " '" +
             Q(target.string()) + "'?";
      break;
    case OverwriteQuestion::kOpenDocument:
      text = context_.Message("save_over_document",
                              "'%s' is the open document and holds %d images. Replace it with "
                              "the current image only?");
      text.replace("%s", Q(target.string())).replace("%d", QString::number(doc.Count()));
      break;
  }
  return context_.prompts().Ask(context_.window, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

bool ExportController::SaveCurrentImageCommand() {
  const ImageFrame* frame = context_.document->CurrentFrame();
  if (!frame) return false;
  const std::vector<ExportFileType> types = ParseExportTypes(kSaveCurrentImageTypes);
  std::string name = context_.document->FileName();
  if (!std::filesystem::path(name).has_parent_path()) {
    name = (std::filesystem::path(context_.state->lastWorkingFolder) / "new").string();
  }
  const int stored =
      ClampFilterIndex(context_.state->lastSaveImageFormat, static_cast<int>(types.size()));
  const auto choice = chooser_(
      Q(context_.Text(language_section::kMessages, "save_cur_image_title", "Save Current Image")),
      types, name, stored);
  if (!choice) return false;
  const int index = ClampFilterIndex(choice->filterIndex, static_cast<int>(types.size()));
  context_.state->lastSaveImageFormat = index;
  context_.settings->write_int("", kLastSaveImageFormat, index);
  const std::filesystem::path target =
      WithTypeExtension(choice->path, types[static_cast<std::size_t>(index - 1)].extension);
  context_.state->lastWorkingFolder = target.parent_path().string();
  if (!ConfirmTarget(target)) return false;
  JpegChoice jpeg;
  if (index == 4) {
    const auto asked = AskJpegProperties(context_.window, *context_.settings);
    if (!asked) return false;
    jpeg = *asked;
  }
  const Status status =
      SaveCurrentImage(target, index, *frame, Settings(), jpeg.quality, jpeg.color);
  if (!status.ok()) {
    ShowFailure(status);
    return false;
  }
  return true;
}

bool ExportController::SaveImageListCommand() {
  const IconDocument& doc = *context_.document;
  if (doc.Count() == 0) return false;
  if (!FramesShareSize(doc)) {
    context_.prompts().ShowInfo(
        context_.window, context_.Message("same_size", "All images must have the same size!"));
    return false;
  }
  const std::vector<ExportFileType> types = ParseExportTypes(kSaveImageListTypes);
  std::string name = doc.FileName();
  if (!std::filesystem::path(name).has_parent_path()) {
    name = (std::filesystem::path(context_.state->lastWorkingFolder) / "new").string();
  }
  const auto choice = chooser_(
      Q(context_.Text(language_section::kMessages, "save_image_list_title", "Save Image List")),
      types, name, InitialImageListType(doc.FileName(), BitsOf(doc.Frame(0).format)));
  if (!choice) return false;
  const int index = ClampFilterIndex(choice->filterIndex, static_cast<int>(types.size()));
  const std::filesystem::path target =
      WithTypeExtension(choice->path, types[static_cast<std::size_t>(index - 1)].extension);
  context_.state->lastWorkingFolder = target.parent_path().string();
  if (!ConfirmTarget(target)) return false;
  const Status status = SaveImageList(target, index, doc, Settings());
  if (!status.ok()) {
    ShowFailure(status);
    return false;
  }
  return true;
}

void ExportController::ExportFolders(bool png, bool gif) {
  const IconDocument& doc = *context_.document;
  const auto plan = PlanFolderExport(doc, png, gif);
  if (!plan.ok()) {
    context_.prompts().ShowInfo(
        context_.window,
        context_.Message("export_no_name",
                         "Save the object first: the exported files are named after it."));
    return;
  }
  const auto confirm = [this](const std::filesystem::path& path) {
    const QString text = context_.Message("save_icon_rewrite", "Do you want to save file") + " '" +
                         Q(path.string()) + "'?";
    return context_.prompts().Ask(context_.window, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };
  const FolderExportReport report = RunFolderExport(doc, *plan, Settings(), confirm);
  QString text = context_.Message("export_report", "%d file(s) written and %d skipped in '%s'.");
  FillFirst(text, "%d", QString::number(report.written));
  FillFirst(text, "%d", QString::number(report.skipped));
  FillFirst(text, "%s", Q(report.base.string()));
  for (const std::string& problem : report.problems) text += "\n" + Q(problem);
  context_.prompts().ShowInfo(context_.window, text);
}

}  // namespace morvane
