// The library manager's commands: New, Open (dialog, history, command line, dropped files),
// Save and Save as library, Add and Delete icon, activating a group, closing the window, and the
// "Libraries history". The session (shell) decides; this shows the window, asks the questions
// and runs the save with its progress dialog.
#pragma once

#include <memory>
#include <string>

#include "shell/library_session.h"
#include "ui/editor_context.h"

class QMainWindow;
class QMenu;

namespace morvane {

class LibraryWindow;

class LibraryController : private LibraryPrompts {
 public:
  LibraryController(EditorContext context, QMainWindow* mainWindow);
  ~LibraryController() override;

  void RegisterCommands(const CommandRegistrar& registrar);

  LibrarySession& Session() { return session_; }
  LibraryWindow* Window() const { return window_; }

  bool OpenPath(const std::string& path);
  bool OpenWithDialog();
  bool NewLibrary();
  bool SaveLibraryCommand();
  bool SaveLibraryAs();
  bool AddIcon();
  bool DeleteIcon();
  bool ActivateGroup(int group);
  // Closing the window: the questions first; false when the library stays.
  bool CloseLibrary();

  // The main window's own document commands: the editor's document is being replaced.
  void DocumentReplaced() { session_.DocumentReplaced(); }
  // Before the main window replaces a document that came from the library: "Icon have been
  // modified. Update library?" instead of saving it as a file. Nothing asked (true) for other
  // documents; false when cancelled or the write-back failed.
  bool ConfirmLeaveGroup();
  // Before the program ends: the library's questions; false keeps the program running.
  bool ConfirmExit();
  bool Busy() const { return session_.Busy(); }
  // The history drop-down of the toolbar button, rebuilt with the File menu's.
  void RefreshHistory();

 private:
  // LibraryPrompts
  PromptAnswer Ask(std::string_view key) override;
  bool SaveDocument() override;
  bool SaveLibrary() override;
  void ShowError(const Status& status) override;

  LibraryWriteOptions WriteOptions() const;
  Pixel WindowColor() const;
  void EnsureWindow();
  void ShowWindow(int select = -1);
  void AfterChange(int select = -1);
  bool SaveTo(const std::filesystem::path& path);
  void OnButton(int button);

  EditorContext context_;
  QMainWindow* mainWindow_ = nullptr;
  LibrarySession session_;
  LibraryWindow* window_ = nullptr;
};

}  // namespace morvane
