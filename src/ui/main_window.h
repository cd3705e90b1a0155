// The main window: owns the open IconDocument, the file histories and the window's settings,
// builds the menu tree of the command set, and turns every command into a call on the model,
// the loader or a codec. It shows results; it holds no logic of its own beyond that.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include "formats/object_loader.h"
#include "image/icon_document.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/history_menu.h"
#include "shell/language_pack.h"
#include "shell/mru_list.h"
#include "shell/settings.h"
#include "shell/settings_main_window.h"
#include "ui/prompts.h"

class QComboBox;
class QSpinBox;
class QMenu;
class QToolButton;

namespace morvane {

class DrawController;
class EditArea;
class ExportController;
class EffectsController;
class FrameList;
class ImportController;
class LibraryController;
struct EditorContext;
class InspectionCommands;

class MainWindow : public QMainWindow, private DocumentObserver {
  Q_OBJECT

 public:
  // settings and pack outlive the window. The window reads its settings and lists here and
  // writes them when it closes.
  MainWindow(Settings& settings, LanguagePack& pack, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Replaces the questions and file dialogs (tests answer them without modal boxes).
  void SetPrompts(std::unique_ptr<Prompts> prompts);
  // Runs the command line after the window is up (StartupCommand of command_line.h).
  void RunStartupCommand(const StartupCommand& command);

  // --- What tests and the command line reach -------------------------------------------------
  IconDocument& Document() { return document_; }
  QAction* Action(int commandId) const;
  QMenu* HistoryMenu(int firstCommand) const;
  MruList& History(HistoryKind kind);
  MruList& LibraryHistory() { return libraries_; }
  FrameList* Frames() const { return frameList_; }
  EditArea* Canvas() const { return editArea_; }
  EffectsController* Effects() const { return effects_; }
  DrawController* Drawing() const { return draw_.get(); }
  QString StatusText(int field) const;
  QString SizeLabelText() const;
  QString FormatButtonText() const;
  QSpinBox* RateBox() const { return rateBox_; }
  // Opens path as the object (replacing, after the discard question) or appends it.
  bool OpenPath(const std::string& path, bool append = false);
  // Files dropped on the window: only the first is used; ".icl" goes to the library manager.
  void OpenDroppedFiles(const QList<QUrl>& urls);
  // Writes the document to path in the format of its kind; no question is asked.
  bool SaveTo(const std::string& path);
  // Runs a command as its menu item would; false when it is unknown or disabled.
  bool RunCommand(int commandId);
  // Re-enables and re-checks the menu items from the state.
  void UpdateCommands();
  // Re-fills the history popups from the lists.
  void RefreshHistoryMenus() { FillAllHistoryMenus(); }
  // The command groups with logic of their own (tests reach their dialogs through them).
  ImportController& Import() { return *import_; }
  ExportController& Export() { return *export_; }
  LibraryController& Library() { return *library_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct Command {
    std::function<void()> run;
    std::function<bool()> enabled;  // null: always enabled
    std::function<bool()> checked;  // null: not checkable
  };

  // main_window.cpp
  void BuildLayout();
  void BuildToolBar();
  void LoadSettings();
  void SaveSettings();
  void RefreshAll();
  void RefreshCurrent();
  void UpdateTitle();
  void SetCurrentRate(int rate);
  void OnFramesChanged(const IconDocument&) override;
  void OnCurrentFrameChanged(const IconDocument&) override;
  void OnFrameImageChanged(const IconDocument&, int index) override;
  void OnKindChanged(const IconDocument&) override;
  void OnModifiedChanged(const IconDocument&) override;
  std::string Text(std::string_view section, std::string_view key, std::string_view english) const;
  QString Message(std::string_view key, std::string_view english) const;

  // main_window_menus.cpp
  void RegisterCommands();
  void RegisterFileCommands();
  void RegisterObjectCommands();
  void RegisterImageCommands();
  void RegisterViewCommands();
  // Builds the import, export and library controllers and registers their commands.
  void RegisterControllerCommands();
  EditorContext MakeContext();
  // main_window_effects.cpp
  void RegisterEffectCommands();
  void Register(int id, std::function<void()> run, std::function<bool()> enabled = {},
                std::function<bool()> checked = {});
  void BuildMenus();
  // Puts the English texts back, refills the histories and the Language popup, and translates
  // the menu bar through the selected pack.
  void TranslateMenus();
  void AddMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
  void FillHistoryMenu(QMenu* menu, int firstCommand);
  void FillAllHistoryMenus();
  void OnActionTriggered(QAction* action);
  void RunHistoryCommand(int commandId);
  void Retranslate();

  // main_window_file.cpp
  bool AskToDiscard();
  void NewDocument(DocumentKind kind);
  void OpenObjectCommand();
  bool ApplyOutcome(OpenOutcome& outcome);
  bool ChooseExecutableObject(OpenOutcome& outcome);
  void UpdateHistories(const OpenOutcome& outcome);
  void ShowLoaderMessage(const LoaderMessage& message);
  void OpenLibraryPath(const std::string& path);
  bool SaveObject();
  bool SaveObjectAs();
  bool ConfirmRewrite(const std::string& path);
  std::string KindExtension() const;

  // main_window_object.cpp
  UndoContext CanvasState() const;
  void ShowFrameStatus(FrameStatus status);
  void ShowFramesResult(const FramesResult& result);
  void DeleteImages();
  void CustomSize();
  void SixteenColors();
  void Undo();
  void Redo();
  void RestoredCanvasState(const UndoContext& context);
  void ToggleAniPreview();
  void StopAniPreview();
  void AniPreviewTick();
  void AniProperties();
  void ChooseBackground(int commandId);
  void RegisterInspectionCommands();
  void About();
  bool HasFrame() const { return document_.CurrentFrame() != nullptr; }

  Settings& settings_;
  LanguagePack& pack_;
  std::unique_ptr<Prompts> prompts_;
  IconDocument document_;
  MainWindowSettings state_;
  MruList icons_, cursors_, executables_, images_, folders_, libraries_;

  std::map<int, Command> commands_;
  std::map<int, QAction*> actions_;
  std::map<int, QMenu*> historyMenus_;
  std::vector<std::pair<QAction*, QString>> englishTexts_;
  QMenu* languageMenu_ = nullptr;
  QMenu* openDropDown_ = nullptr;

  FrameList* frameList_ = nullptr;
  EditArea* editArea_ = nullptr;
  EffectsController* effects_ = nullptr;
  QLabel* sizeLabel_ = nullptr;
  QToolButton* formatButton_ = nullptr;
  QComboBox* zoomCombo_ = nullptr;
  QSpinBox* rateBox_ = nullptr;
  QAction* rateAction_ = nullptr;
  QLabel* status_[3] = {nullptr, nullptr, nullptr};

  std::unique_ptr<ImportController> import_;
  std::unique_ptr<ExportController> export_;
  std::unique_ptr<LibraryController> library_;

  QTimer aniTimer_;
  int aniFrame_ = -1;  // the frame the preview shows; -1 while it does not run
  int aniElapsedMs_ = 0;
  bool closing_ = false;
  // Declared after the document and the edit area, so destroyed while both still exist.
  std::unique_ptr<DrawController> draw_;
  // Destroyed first, before the document its preview pane follows.
  std::unique_ptr<InspectionCommands> inspection_;
};

}  // namespace morvane
