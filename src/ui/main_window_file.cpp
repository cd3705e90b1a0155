// The document commands of the File menu: new, open (file dialog, histories, dropped files,
// command line), save and save as, and the question asked before unsaved work is discarded.
#include <filesystem>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "formats/ani_codec.h"
#include "formats/file_io.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"
#include "shell/control_ids.h"
#include "shell/document_check.h"
#include "shell/file_filters.h"
#include "ui/desktop_commands.h"
#include "ui/export_controller.h"
#include "ui/import_controller.h"
#include "ui/library_controller.h"
#include "ui/main_window.h"

#include "ui/draw_controller.h"

namespace morvane {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string FolderOf(const std::string& path) {
  return std::filesystem::path(path).parent_path().string();
}

}  // namespace

void MainWindow::RegisterFileCommands() {
  Register(command::kNewIcon, [this] { NewDocument(DocumentKind::kIcon); });
  Register(command::kNewCursor, [this] { NewDocument(DocumentKind::kCursor); });
  Register(command::kNewAniCursor, [this] { NewDocument(DocumentKind::kAnimatedCursor); });
  Register(command::kOpenObject, [this] { OpenObjectCommand(); });
  Register(command::kSaveObject, [this] { SaveObject(); });
  Register(command::kSaveObjectAs, [this] { SaveObjectAs(); });
  Register(command::kExit, [this] { close(); });
  Register(command::kAssociations, [this] { RunAssociationsCommand(this, pack_, *prompts_); });
  Register(command::kInstallPlugin, [this] { RunPluginInstallerCommand(this, pack_); });
  Register(command::kRebuildIconCache, [this] {
    std::vector<std::string> files;
    for (const MruList* list : {&icons_, &cursors_, &images_, &libraries_})
      files.insert(files.end(), list->entries().begin(), list->entries().end());
    RunRebuildIconCacheCommand(this, *prompts_, files);
  });
}

bool MainWindow::AskToDiscard() {
  // An icon of the open library goes back into the library, not into a file of its own.
  if (library_->Session().IsLinked(document_)) return library_->ConfirmLeaveGroup();
  if (!document_.IsModified()) return true;
  const QMessageBox::StandardButton answer =
      prompts_->Ask(this, Message("save_icon", "Icon have been modified. Save file?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) return SaveObject();
  return answer == QMessageBox::No;
}

void MainWindow::NewDocument(DocumentKind kind) {
  if (!AskToDiscard()) return;
  document_.New(kind);
  library_->DocumentReplaced();
  RefreshAll();
}

void MainWindow::OpenObjectCommand() {
  if (!AskToDiscard()) return;
  const QString filter =
      Q(ToDialogFilter(Text(language_section::kMainOpen, "filter", kOpenObjectFilter)));
  const QString path = prompts_->ChooseOpenPath(
      this, Q(Text(language_section::kMainOpen, "open_title", "Open object")),
      Q(state_.lastWorkingFolder), filter);
  if (path.isEmpty()) return;
  // The question was asked already; the document stays as it is should the file fail.
  OpenOutcome outcome = OpenObject(path.toStdString(), false, document_.Count());
  ApplyOutcome(outcome);
}

bool MainWindow::OpenPath(const std::string& path, bool append) {
  if (!append && !AskToDiscard()) return false;
  OpenOutcome outcome = OpenObject(path, append, document_.Count());
  return ApplyOutcome(outcome);
}

bool MainWindow::ApplyOutcome(OpenOutcome& outcome) {
  UpdateHistories(outcome);
  switch (outcome.action) {
    case OpenAction::kFailed:
      if (outcome.message) ShowLoaderMessage(*outcome.message);
      return false;
    case OpenAction::kImportPicture:
      return import_->FromPicture(outcome);
    case OpenAction::kChooseObject:
      return ChooseExecutableObject(outcome);
    case OpenAction::kFrames: {
      StopAniPreview();
      if (!outcome.append) library_->DocumentReplaced();
      const ApplyResult result = ApplyOpenOutcome(outcome, document_);
      if (result.added == 0 && outcome.message) ShowLoaderMessage(*outcome.message);
      state_.lastWorkingFolder = FolderOf(outcome.path.string());
      folders_.add(state_.lastWorkingFolder);
      RefreshAll();
      return result.added > 0;
    }
    case OpenAction::kNone:
      break;
  }
  return false;
}

bool MainWindow::ChooseExecutableObject(OpenOutcome& outcome) {
  int object = -1;
  bool append = outcome.append;
  if (!prompts_->ChooseObject(this, pack_, outcome.objects, document_.Count() > 0, object, append))
    return false;
  OpenOutcome chosen = OpenChosenObject(outcome.objects, object, append, document_.Count());
  return ApplyOutcome(chosen);
}

void MainWindow::UpdateHistories(const OpenOutcome& outcome) {
  const std::string path = outcome.path.string();
  for (HistoryKind kind : outcome.removeFromHistories) History(kind).remove(path);
  for (HistoryKind kind : outcome.addToHistories) History(kind).add(path);
  if (!outcome.removeFromHistories.empty() || !outcome.addToHistories.empty())
    FillAllHistoryMenus();
}

void MainWindow::ShowLoaderMessage(const LoaderMessage& message) {
  QString text = Q(Text(message.section, message.key, message.english));
  text.replace("%s", Q(message.argument));
  prompts_->ShowError(this, "Error", text);
}

void MainWindow::OpenLibraryPath(const std::string& path) {
  library_->OpenPath(path);
}

EditorContext MainWindow::MakeContext() {
  EditorContext context;
  context.window = this;
  context.document = &document_;
  context.settings = &settings_;
  context.pack = &pack_;
  context.state = &state_;
  context.libraries = &libraries_;
  context.prompts = [this]() -> Prompts& { return *prompts_; };
  context.saveDocument = [this] { return SaveObject(); };
  context.refresh = [this] { RefreshAll(); };
  context.refreshHistories = [this] { FillAllHistoryMenus(); };
  context.documentReplaced = [this] { library_->DocumentReplaced(); };
  return context;
}

void MainWindow::RegisterControllerCommands() {
  const CommandRegistrar registrar = [this](int id, std::function<void()> run,
                                            std::function<bool()> enabled,
                                            std::function<bool()> checked) {
    Register(id, std::move(run), std::move(enabled), std::move(checked));
  };
  import_ = std::make_unique<ImportController>(MakeContext());
  export_ = std::make_unique<ExportController>(MakeContext());
  library_ = std::make_unique<LibraryController>(MakeContext(), this);
  import_->RegisterCommands(registrar);
  export_->RegisterCommands(registrar);
  library_->RegisterCommands(registrar);
}

std::string MainWindow::KindExtension() const {
  switch (document_.Kind()) {
    case DocumentKind::kCursor:
      return ".cur";
    case DocumentKind::kAnimatedCursor:
      return ".ani";
    case DocumentKind::kIcon:
      break;
  }
  return ".ico";
}

bool MainWindow::SaveObject() {
  const std::string path = document_.FileName();
  // A new object has no folder yet, and a picture, program or library is never overwritten by
  // an icon: those go through Save as with a name of the right kind.
  const bool ownFile =
      std::filesystem::path(path).has_parent_path() && LowerExtension(path) == KindExtension();
  if (!ownFile) return SaveObjectAs();
  if (!ConfirmRewrite(path)) return false;
  return SaveTo(path);
}

bool MainWindow::ConfirmRewrite(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return true;
  const QString text =
      Message("save_icon_rewrite", "Do you want to save file") + " '" + Q(path) + "'?";
  return prompts_->Ask(this, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool MainWindow::SaveObjectAs() {
  std::filesystem::path suggested = document_.FileName();
  suggested.replace_extension(KindExtension());
  if (!suggested.has_parent_path() && !state_.lastWorkingFolder.empty())
    suggested = std::filesystem::path(state_.lastWorkingFolder) / suggested.filename();
  std::string_view filter = "Icons (ico)|*.ico||";
  if (document_.Kind() == DocumentKind::kCursor) filter = "Cursors (cur)|*.cur||";
  if (document_.Kind() == DocumentKind::kAnimatedCursor) filter = "Animated cursors (ani)|*.ani||";
  const QString chosen = prompts_->ChooseSavePath(
      this, Q(Text(language_section::kMainOpen, "save_title", "Save object as")),
      Q(suggested.string()),
      Q(ToDialogFilter(Text(language_section::kMainOpen, "save_filter", filter))));
  if (chosen.isEmpty()) return false;
  std::string path = chosen.toStdString();
  if (LowerExtension(path).empty()) path += KindExtension();
  return SaveTo(path);
}

bool MainWindow::SaveTo(const std::string& path) {
  const IconWriteOptions options{state_.alphaLevel, state_.matteColor};
  std::vector<int> rates;
  const Result<std::vector<std::uint8_t>> bytes = EncodeDocument(document_, options, &rates);
  const Status status = bytes.ok() ? WriteFileAtomic(path, *bytes) : bytes.status();
  if (!status.ok()) {
    prompts_->ShowError(
        this, "Error",
        Message("cant_open", "Can't open file for writing!") + "\n" + Q(status.message()));
    return false;
  }
  if (document_.Kind() == DocumentKind::kAnimatedCursor) {
    // The writer gave unset rates their saved value; the frames keep what was written.
    for (int i = 0; i < document_.Count(); ++i) {
      document_.Frame(i).rate = rates[static_cast<std::size_t>(i)];
      document_.Frame(i).savedRate = rates[static_cast<std::size_t>(i)];
    }
  }
  document_.SetFileName(path);
  document_.SetModified(false);
  History(document_.Kind() == DocumentKind::kIcon ? HistoryKind::kIcons : HistoryKind::kCursors)
      .add(path);
  state_.lastWorkingFolder = FolderOf(path);
  FillAllHistoryMenus();
  RefreshAll();
  return true;
}

void MainWindow::RunStartupCommand(const StartupCommand& command) {
  switch (command.action) {
    case StartupAction::kOpenObject:
      OpenPath(command.path);
      break;
    case StartupAction::kOpenLibrary:
      OpenLibraryPath(command.path);
      break;
    // The export plug-in's hand-over: the clipboard picture becomes a new image.
    case StartupAction::kPasteClipboard:
      draw_->Paste(true);
      break;
    // Handed over before the window was built (handover_import.h).
    case StartupAction::kImport:
      break;
    case StartupAction::kNone:
      break;
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  OpenDroppedFiles(event->mimeData()->urls());
}

void MainWindow::OpenDroppedFiles(const QList<QUrl>& urls) {
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  const std::string path = urls.front().toLocalFile().toStdString();
  if (IsIconLibraryPath(path))
    OpenLibraryPath(path);
  else
    OpenPath(path);
}

}  // namespace morvane
