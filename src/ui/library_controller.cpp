#include "ui/library_controller.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QPalette>
#include <QProgressDialog>

#include "formats/icl_reader.h"
#include "shell/commands.h"
#include "shell/control_ids.h"
#include "ui/history_icons.h"
#include "ui/library_window.h"

namespace morvane {
namespace {

constexpr std::string_view kLastLibraryFolder = "Last library folder";
constexpr std::string_view kLibraryFilter = "Icons library (*.icl)|*.icl|All Files (*.*)|*.*||";
constexpr std::string_view kOpenLibraryFilter =
    "Icons library (*.icl,*.exe,*.dll,*.ocx,*.vbx,*.drv,*.cpl)|"
    "*.exe;*.dll;*.ocx;*.vbx;*.drv;*.cpl;*.icl||";
constexpr int kLibraryToolbarCommand = 32909;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// "Icons library (*.icl)|*.icl|..." as Qt writes filters.
QString QtFilter(std::string_view pairs) {
  QStringList out;
  const QStringList parts =
      QString::fromUtf8(pairs.data(), static_cast<int>(pairs.size())).split('|');
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ').replace("*.*", "*");
    out << parts[i] + " (" + patterns + ")";
  }
  return out.join(";;");
}

}  // namespace

LibraryController::LibraryController(EditorContext context, QMainWindow* mainWindow)
    : context_(std::move(context)), mainWindow_(mainWindow) {}

// The window shows the session and calls back into this controller; it goes first, while both
// still exist.
LibraryController::~LibraryController() {
  delete window_;
}

void LibraryController::RegisterCommands(const CommandRegistrar& registrar) {
  const auto idle = [this] { return !session_.Busy(); };
  const auto icl = [this] {
    return session_.IsOpen() && session_.Library().isIcl && !session_.Busy();
  };
  registrar(command::kNewLibrary, [this] { NewLibrary(); }, idle, {});
  registrar(command::kOpenLibrary, [this] { OpenWithDialog(); }, idle, {});
  registrar(command::kSaveLibrary, [this] { SaveLibraryCommand(); }, icl, {});
  registrar(command::kSaveAsIclLibrary, [this] { SaveLibraryAs(); }, icl, {});
  registrar(command::kAddIconToLibrary, [this] { AddIcon(); }, icl, {});
  registrar(
      command::kDeleteIconFromLibrary, [this] { DeleteIcon(); },
      [this, icl] {
        return icl() && window_ && window_->SelectedGroup() >= 0 &&
               session_.Library().groupCount > 1;
      },
      {});
  registrar(
      kLibraryToolbarCommand,
      [this] {
        if (window_ && session_.IsOpen()) window_->setVisible(!window_->isVisible());
      },
      [this] { return session_.IsOpen(); }, [this] { return window_ && window_->isVisible(); });
}

LibraryWriteOptions LibraryController::WriteOptions() const {
  LibraryWriteOptions options;
  options.writeBack.alphaLevel = context_.state->alphaLevel;
  options.writeBack.previewColor = context_.state->previewColor;
  options.encode.alphaLevel = context_.state->alphaLevel;
  options.encode.matteColor = context_.state->matteColor;
  return options;
}

Pixel LibraryController::WindowColor() const {
  return QApplication::palette().color(QPalette::Window).rgb() & 0x00FFFFFF;
}

// --- Questions (LibraryPrompts) -------------------------------------------------------------

PromptAnswer LibraryController::Ask(std::string_view key) {
  QString text;
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  if (key == "save_lib") {
    text = context_.Message("save_lib", "Library have been modified. Save library?");
  } else if (key == "save_icon") {
    text = context_.Message("save_icon", "Icon have been modified. Save file?");
  } else if (key == "update_lib") {
    text = context_.Message("update_lib", "Icon have been modified. Update library?");
  } else {
    text = context_.Message("update_lib", "Icon have been modified. Save changes?");
    buttons = QMessageBox::Yes | QMessageBox::No;
  }
  switch (context_.prompts().Ask(context_.window, text, buttons)) {
    case QMessageBox::Yes:
      return PromptAnswer::kYes;
    case QMessageBox::No:
      return PromptAnswer::kNo;
    default:
      return PromptAnswer::kCancel;
  }
}

bool LibraryController::SaveDocument() {
  return context_.saveDocument();
}

bool LibraryController::SaveLibrary() {
  return SaveLibraryCommand();
}

void LibraryController::ShowError(const Status& status) {
  context_.prompts().ShowError(
      context_.window, "Error",
      context_.Message("cant_open", "Can't open file for write!") + "\n" + Q(status.message()));
}

// --- Window ---------------------------------------------------------------------------------

void LibraryController::EnsureWindow() {
  if (window_) return;
  window_ = new LibraryWindow(*context_.pack, mainWindow_);
  mainWindow_->addDockWidget(Qt::LeftDockWidgetArea, window_);
  QObject::connect(window_, &LibraryWindow::Triggered, window_, [this](int b) { OnButton(b); });
  QObject::connect(window_, &LibraryWindow::GroupActivated, window_,
                   [this](int group) { ActivateGroup(group); });
  RefreshHistory();
}

void LibraryController::ShowWindow(int select) {
  EnsureWindow();
  window_->Show(session_, select);
  window_->show();
  window_->raise();
}

void LibraryController::AfterChange(int select) {
  if (window_) window_->Show(session_, select);
  context_.refresh();
}

void LibraryController::OnButton(int button) {
  switch (button) {
    case LibraryWindow::kNew:
      NewLibrary();
      break;
    case LibraryWindow::kOpen:
      OpenWithDialog();
      break;
    case LibraryWindow::kSave:
      SaveLibraryCommand();
      break;
    case LibraryWindow::kSaveAs:
      SaveLibraryAs();
      break;
    case LibraryWindow::kAdd:
      AddIcon();
      break;
    case LibraryWindow::kDelete:
      DeleteIcon();
      break;
    case LibraryWindow::kClose:
      CloseLibrary();
      break;
    default:
      break;
  }
}

void LibraryController::RefreshHistory() {
  if (!window_) return;
  QMenu* menu = window_->OpenMenu();
  menu->clear();
  QAction* open = menu->addAction(
      Q(context_.Text(language_section::kLibraryTools, "open", "Open library ...")));
  QObject::connect(open, &QAction::triggered, window_, [this] { OpenWithDialog(); });
  menu->addSeparator();
  if (context_.libraries->size() == 0) {
    menu->addAction(
            Q(context_.Text(language_section::kLibraryTools, "no_libs", "-- no libraries --")))
        ->setEnabled(false);
    return;
  }
  for (const std::string& path : context_.libraries->entries()) {
    QAction* entry = menu->addAction(HistoryEntryIcon(path), Q(path));
    // Opening re-orders the list; the path is copied now.
    QObject::connect(entry, &QAction::triggered, window_, [this, path] { OpenPath(path); });
  }
}

// --- Commands ---------------------------------------------------------------------------------

bool LibraryController::OpenWithDialog() {
  if (session_.Busy()) return false;
  const std::string folder = context_.settings->read_string("", kLastLibraryFolder, "");
  const QString path = context_.prompts().ChooseOpenPath(
      context_.window,
      Q(context_.Text(language_section::kLibraryTools, "open", "Open library ...")), Q(folder),
      QtFilter(kOpenLibraryFilter));
  if (path.isEmpty()) return false;
  return OpenPath(path.toStdString());
}

bool LibraryController::OpenPath(const std::string& path) {
  if (session_.Busy()) return false;
  if (!session_.ConfirmLeave(*context_.document, *this, WriteOptions(), true)) return false;
  IconLibrary library;
  const LibraryReadResult read = ReadLibrary(std::filesystem::path(path), library);
  if (read.groups == 0) {
    session_.Close();
    if (window_) window_->hide();
    context_.libraries->remove(path);
    context_.refreshHistories();
    context_.prompts().ShowError(
        context_.window, "Error",
        context_.Message("icon_not_found", "Sorry, icons not found in this file!"));
    return false;
  }
  session_.Take(std::move(library));
  context_.settings->write_string("", kLastLibraryFolder,
                                  std::filesystem::path(path).parent_path().string());
  context_.libraries->add(path);
  context_.refreshHistories();
  session_.OpenGroup(0, *context_.document);
  ShowWindow(0);
  context_.refresh();
  return true;
}

bool LibraryController::NewLibrary() {
  if (session_.Busy()) return false;
  if (!session_.ConfirmLeave(*context_.document, *this, WriteOptions(), false)) return false;
  const Status status = session_.StartNew(*context_.document, WriteOptions(), WindowColor());
  if (!status.ok()) {
    ShowError(status);
    return false;
  }
  ShowWindow(0);
  context_.refresh();
  return true;
}

bool LibraryController::SaveLibraryCommand() {
  if (session_.Busy() || !session_.IsOpen() || !session_.Library().isIcl) return false;
  if (session_.IsLinked(*context_.document) && context_.document->IsModified()) {
    const Status status = session_.WriteBack(*context_.document, WriteOptions());
    if (!status.ok()) {
      ShowError(status);
      return false;
    }
  }
  if (session_.IsNew()) return SaveLibraryAs();
  return SaveTo(session_.Library().path);
}

bool LibraryController::SaveLibraryAs() {
  if (session_.Busy() || !session_.IsOpen() || !session_.Library().isIcl) return false;
  std::filesystem::path suggested = session_.Library().path;
  if (!suggested.has_parent_path()) {
    suggested = std::filesystem::path(context_.settings->read_string("", kLastLibraryFolder, "")) /
                suggested.filename();
  }
  const QString chosen = context_.prompts().ChooseSavePath(
      context_.window,
      Q(context_.Text(language_section::kLibraryTools, "save_as", "Save library as")),
      Q(suggested.string()), QtFilter(kLibraryFilter));
  if (chosen.isEmpty()) return false;
  std::filesystem::path path = chosen.toStdString();
  if (!path.has_extension()) path += ".icl";
  return SaveTo(path);
}

// The write runs on this thread: the progress dialog pumps the events, and being application
// modal it keeps every other window from acting on the library meanwhile.
bool LibraryController::SaveTo(const std::filesystem::path& path) {
  QProgressDialog progress(
      context_.Message("save_icl", "Saving ICL... Please wait..."),
      QString::fromStdString(context_.Text(language_section::kMessages, "cancel", "Cancel")), 0,
      static_cast<int>(session_.Library().images.size()), context_.window);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setMinimumDuration(300);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  if (window_) window_->UpdateButtons(session_);
  bool cancelled = false;
  const LibraryProgress report = [&](int done, int) {
    progress.setValue(done);
    QCoreApplication::processEvents();
    cancelled = progress.wasCanceled();
    return !cancelled;
  };
  const Status status = session_.Save(path, *context_.document, WriteOptions().encode, report);
  progress.close();
  if (!status.ok() && !cancelled) ShowError(status);
  if (status.ok()) {
    context_.libraries->add(path.string());
    context_.refreshHistories();
  }
  AfterChange();
  return status.ok();
}

bool LibraryController::AddIcon() {
  if (session_.Busy() || !session_.IsOpen() || !session_.Library().isIcl) return false;
  if (!ConfirmLeaveGroup()) return false;
  const int image = session_.AddGroup(WindowColor(), *context_.document);
  if (image < 0) return false;
  AfterChange(image);
  return true;
}

bool LibraryController::DeleteIcon() {
  if (session_.Busy() || !window_) return false;
  const int group = window_->SelectedGroup();
  if (group < 0 || session_.Library().groupCount <= 1) return false;
  if (context_.prompts().Ask(context_.window,
                             context_.Message("del_icons", "Do you want remove selected icon?"),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
    return false;
  }
  if (session_.DeleteGroup(group, *context_.document) != LibraryEditStatus::kOk) return false;
  AfterChange();
  return true;
}

bool LibraryController::ActivateGroup(int group) {
  if (!session_.ActivateGroup(group, *context_.document, *this, WriteOptions())) {
    AfterChange();
    return false;
  }
  AfterChange();
  return true;
}

bool LibraryController::ConfirmLeaveGroup() {
  IconDocument& doc = *context_.document;
  if (!session_.IsLinked(doc) || !doc.IsModified()) return true;
  switch (Ask("update_lib")) {
    case PromptAnswer::kYes: {
      const Status status = session_.WriteBack(doc, WriteOptions());
      if (!status.ok()) {
        ShowError(status);
        return false;
      }
      AfterChange();
      return true;
    }
    case PromptAnswer::kNo:
      return true;
    case PromptAnswer::kCancel:
      break;
  }
  return false;
}

bool LibraryController::CloseLibrary() {
  if (session_.Busy()) return false;
  if (!session_.IsOpen()) {
    if (window_) window_->hide();
    return true;
  }
  if (!session_.ConfirmLeave(*context_.document, *this, WriteOptions(), false)) return false;
  const bool linked = session_.IsLinked(*context_.document);
  session_.Close();
  if (window_) window_->hide();
  // The document stays in the editor as a new icon, no longer part of a library.
  if (linked) context_.document->SetFileName("new.ico");
  context_.refresh();
  return true;
}

bool LibraryController::ConfirmExit() {
  if (session_.Busy()) return false;
  if (!session_.IsOpen()) return true;
  return session_.ConfirmLeave(*context_.document, *this, WriteOptions(), false);
}

}  // namespace morvane
