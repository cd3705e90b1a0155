// The menu tree of the main window, built from the command table, and the dispatch of its
// commands.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "shell/control_ids.h"
#include "shell/language_pack_menu.h"
#include "ui/history_icons.h"
#include "ui/library_controller.h"
#include "ui/main_window.h"

#include "ui/draw_controller.h"
#include "ui/widget_translation.h"

namespace morvane {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct HistorySource {
  int first;
  HistoryTexts (*texts)();
};

constexpr HistorySource kHistorySources[] = {
    {history_command::kIcons, IconHistoryTexts},
    {history_command::kCursors, CursorHistoryTexts},
    {history_command::kExecutables, ExecutableHistoryTexts},
    {history_command::kImages, ImageHistoryTexts},
    {history_command::kLibraries, LibraryHistoryTexts},
};

}  // namespace

void MainWindow::Register(int id, std::function<void()> run, std::function<bool()> enabled,
                          std::function<bool()> checked) {
  commands_[id] = Command{std::move(run), std::move(enabled), std::move(checked)};
}

void MainWindow::RegisterCommands() {
  RegisterFileCommands();
  RegisterObjectCommands();
  RegisterImageCommands();
  RegisterViewCommands();
  RegisterControllerCommands();
  draw_->RegisterCommands([this](int id, std::function<void()> run, std::function<bool()> enabled,
                                 std::function<bool()> checked) {
    Register(id, std::move(run), std::move(enabled), std::move(checked));
  });
  RegisterEffectCommands();
}

void MainWindow::BuildMenus() {
  for (const MenuEntry& top : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(Q(top.text));
    englishTexts_.emplace_back(menu->menuAction(), Q(top.text));
    AddMenuEntries(menu, top.children);
  }
  connect(menuBar(), &QMenuBar::triggered, this, &MainWindow::OnActionTriggered);
  TranslateMenus();
}

void MainWindow::TranslateMenus() {
  for (auto& [action, english] : englishTexts_) action->setText(english);
  FillAllHistoryMenus();
  if (languageMenu_) fill_language_menu(pack_, languageMenu_);
  translate_menu(pack_, language_section::kMainMenu, menuBar());
  // Tool buttons show the item text without its shortcut and mnemonic.
  for (auto& [id, action] : actions_)
    action->setIconText(action->text().section('\t', 0, 0).remove('&').remove(" ..."));
  UpdateCommands();
}

void MainWindow::AddMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    switch (entry.kind) {
      case MenuEntryKind::kSeparator:
        menu->addSeparator();
        break;
      case MenuEntryKind::kPopup: {
        QMenu* popup = menu->addMenu(Q(entry.text));
        englishTexts_.emplace_back(popup->menuAction(), Q(entry.text));
        AddMenuEntries(popup, entry.children);
        break;
      }
      case MenuEntryKind::kHistory:
        historyMenus_[entry.id] = menu->addMenu(Q(entry.text));
        englishTexts_.emplace_back(historyMenus_[entry.id]->menuAction(), Q(entry.text));
        break;
      case MenuEntryKind::kLanguage:
        languageMenu_ = menu->addMenu(Q(entry.text));
        englishTexts_.emplace_back(languageMenu_->menuAction(), Q(entry.text));
        break;
      case MenuEntryKind::kCommand: {
        QAction* action = menu->addAction(Q(entry.text));
        set_control_id(action, entry.id);
        if (!entry.shortcut.empty())
          action->setShortcut(QKeySequence(Q(entry.shortcut), QKeySequence::PortableText));
        action->setCheckable(entry.checkable);
        actions_[entry.id] = action;
        englishTexts_.emplace_back(action, Q(entry.text));
        break;
      }
    }
  }
}

QAction* MainWindow::Action(int commandId) const {
  const auto found = actions_.find(commandId);
  return found == actions_.end() ? nullptr : found->second;
}

QMenu* MainWindow::HistoryMenu(int firstCommand) const {
  const auto found = historyMenus_.find(firstCommand);
  return found == historyMenus_.end() ? nullptr : found->second;
}

MruList& MainWindow::History(HistoryKind kind) {
  switch (kind) {
    case HistoryKind::kIcons:
      return icons_;
    case HistoryKind::kCursors:
      return cursors_;
    // The window keeps animated cursors in the cursor history, beside ".cur" files.
    case HistoryKind::kAnimatedCursors:
      return cursors_;
    case HistoryKind::kImages:
      return images_;
    case HistoryKind::kExecutables:
      return executables_;
  }
  return icons_;
}

void MainWindow::FillHistoryMenu(QMenu* menu, int firstCommand) {
  for (QMenu* other : menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) other->deleteLater();
  menu->clear();
  for (const HistorySource& source : kHistorySources) {
    if (source.first != firstCommand) continue;
    const MruList& list = firstCommand == history_command::kIcons         ? icons_
                          : firstCommand == history_command::kCursors     ? cursors_
                          : firstCommand == history_command::kExecutables ? executables_
                          : firstCommand == history_command::kImages      ? images_
                                                                          : libraries_;
    const bool openable = true;
    const std::vector<HistoryItem> items =
        firstCommand == history_command::kLibraries
            ? BuildLibraryHistoryItems(list, firstCommand, pack_)
            : BuildHistoryItems(list, firstCommand, source.texts(), pack_);
    for (const HistoryItem& item : items) {
      if (item.kind == HistoryItemKind::kOther) {
        auto* other = new QMenu(Q(item.text), menu);
        menu->addMenu(other);
        for (const HistoryItem& entry : item.more) {
          QAction* action = other->addAction(Q(entry.text));
          set_control_id(action, entry.command);
          action->setEnabled(openable);
        }
        continue;
      }
      QAction* action = menu->addAction(Q(item.text));
      set_control_id(action, item.command);
      action->setEnabled(item.kind == HistoryItemKind::kEntry && openable);
      if (item.kind == HistoryItemKind::kEntry) action->setIcon(HistoryEntryIcon(item.text));
    }
  }
}

void MainWindow::FillAllHistoryMenus() {
  for (auto& [first, menu] : historyMenus_) FillHistoryMenu(menu, first);
  if (library_) library_->RefreshHistory();
}

void MainWindow::OnActionTriggered(QAction* action) {
  const std::optional<int> id = control_id_of(action);
  if (!id) return;
  const int commandId = *id;
  // History and language items are rebuilt by what they run; the call waits until the menu
  // has finished with the item.
  if (commandId >= history_command::kIcons &&
      commandId < history_command::kLibraries + history_command::kSpan) {
    QTimer::singleShot(0, this, [this, commandId] { RunHistoryCommand(commandId); });
    return;
  }
  if (commandId >= kLanguageCommandFirst && commandId <= kLanguageCommandLast) {
    QTimer::singleShot(0, this, [this, commandId] {
      if (run_language_command(pack_, commandId)) Retranslate();
    });
    return;
  }
  RunCommand(commandId);
}

void MainWindow::RunHistoryCommand(int commandId) {
  const int first = commandId - commandId % history_command::kSpan;
  const int index = first == history_command::kLibraries ? LibraryHistoryPosition(commandId, first)
                                                         : commandId - first;
  MruList* list = first == history_command::kIcons         ? &icons_
                  : first == history_command::kCursors     ? &cursors_
                  : first == history_command::kExecutables ? &executables_
                  : first == history_command::kImages      ? &images_
                  : first == history_command::kLibraries   ? &libraries_
                                                           : nullptr;
  if (!list || index < 0 || index >= list->size()) return;
  // A copy: opening re-orders the list.
  const std::string path = list->entries()[static_cast<std::size_t>(index)];
  if (list == &libraries_) {
    library_->OpenPath(path);
    return;
  }
  OpenPath(path);
}

bool MainWindow::RunCommand(int commandId) {
  const auto found = commands_.find(commandId);
  if (found == commands_.end()) return false;
  const Command& command = found->second;
  if (command.enabled && !command.enabled()) return false;
  // Every command but the preview's own switch stops a running animated-cursor preview.
  if (commandId != command::kAniPreview) StopAniPreview();
  command.run();
  UpdateCommands();
  return true;
}

void MainWindow::UpdateCommands() {
  for (auto& [id, action] : actions_) {
    const auto found = commands_.find(id);
    if (found == commands_.end()) {
      // Commands of parts still to come stay visible and disabled.
      action->setEnabled(false);
      continue;
    }
    const Command& command = found->second;
    action->setEnabled(!command.enabled || command.enabled());
    if (command.checked) action->setChecked(command.checked());
  }
}

void MainWindow::Retranslate() {
  TranslateMenus();
  RefreshAll();
}

}  // namespace morvane
