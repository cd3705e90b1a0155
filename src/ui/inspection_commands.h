// The commands that find and check icons: "Search object ...", "Options ...", "Check icon ..."
// and the preview pane. The main window creates one of these and registers its handlers; what
// they need of the window comes through the host below, so the window keeps none of their logic.
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "shell/options_values.h"
#include "ui/editor_context.h"

class QDockWidget;
class QMainWindow;

namespace morvane {

class PreviewPane;

struct InspectionHost {
  EditorContext editor;               // the document, settings, texts and window state
  QMainWindow* mainWindow = nullptr;  // where the preview pane docks
  std::function<bool(const std::string& path)> openPath;
  std::function<OptionsValues()> currentOptions;
  std::function<void(const OptionsValues&)> applyOptions;
  std::function<void()> associations;
};

class InspectionCommands {
 public:
  explicit InspectionCommands(InspectionHost host);
  // Removes the preview pane, which follows the document: the owner destroys this before the
  // document.
  ~InspectionCommands();

  void SearchObject();
  void Options();
  void CheckIcon();
  void TogglePreviewPane();
  bool PreviewPaneShown() const;
  PreviewPane* Pane() const { return pane_; }

 private:
  InspectionHost host_;
  QDockWidget* dock_ = nullptr;
  PreviewPane* pane_ = nullptr;
};

}  // namespace morvane
