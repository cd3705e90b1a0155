// What the main window lends the controllers of its command groups (import, export, library):
// the document, the settings and texts, the questions, and a few calls back into the window.
// The controllers hold their own logic; the window only wires them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QString>
#include <QWidget>

#include "image/icon_document.h"
#include "shell/language_pack.h"
#include "shell/mru_list.h"
#include "shell/settings.h"
#include "shell/settings_main_window.h"
#include "ui/prompts.h"

namespace morvane {

struct EditorContext {
  QWidget* window = nullptr;
  IconDocument* document = nullptr;
  Settings* settings = nullptr;
  LanguagePack* pack = nullptr;
  MainWindowSettings* state = nullptr;
  MruList* libraries = nullptr;
  // The window's current questions (tests replace them).
  std::function<Prompts&()> prompts;
  // The editor's "Save object": true when the document was saved.
  std::function<bool()> saveDocument;
  // Redraws the frame list, the canvas and the caption after the document changed.
  std::function<void()> refresh;
  // Rebuilds the history menus after a list changed.
  std::function<void()> refreshHistories;
  // Tells the library manager that the document is no longer the group it came from.
  std::function<void()> documentReplaced;

  std::string Text(std::string_view section, std::string_view key, std::string_view english) const {
    return pack->text(section, key, english);
  }
  // A message box text of section "Msg".
  QString Message(std::string_view key, std::string_view english) const;
};

// Registers a command with the window: id, what it runs, when it is enabled and when checked
// (null: always enabled, not checkable).
using CommandRegistrar =
    std::function<void(int id, std::function<void()> run, std::function<bool()> enabled,
                       std::function<bool()> checked)>;

}  // namespace morvane
