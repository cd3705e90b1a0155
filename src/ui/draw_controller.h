// The drawing side of the main window: owns the canvas core, puts the toolbox, the colour bar
// and the tool panels beside the canvas, serves the Draw and Edit menus, the clipboard and the
// hotspot command, and keeps the canvas attached to the document's current frame. The main
// window only creates it and hands it its commands' registrar.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include <QObject>
#include <QString>

#include "editing/canvas_session.h"
#include "image/icon_document.h"
#include "shell/settings.h"
#include "shell/settings_main_window.h"
#include "ui/editor_context.h"
#include "ui/qt_glyph_renderer.h"

class QMainWindow;
class QDockWidget;

namespace morvane {

class ColorBar;
class EditArea;
class ToolPanels;
class Toolbox;

// What the drawing side needs beyond what every command group gets.
struct DrawContext {
  EditorContext editor;
  QMainWindow* mainWindow = nullptr;  // where the tool windows dock
  EditArea* area = nullptr;
  std::function<void()> updateCommands;
  // Hands a picture larger than an icon to the import dialog; true when an image was added.
  std::function<bool(CDib&&)> importPicture;
};

class DrawController : public QObject, private CanvasObserver, private DocumentObserver {
  Q_OBJECT

 public:
  explicit DrawController(const DrawContext& context);
  ~DrawController() override;

  void RegisterCommands(const CommandRegistrar& registrar);
  // Writes the tool, colours, pen size and drawing modes back into the window's settings and
  // closes the panels (which store their own sections).
  void SaveState();

  CanvasSession& Session() { return session_; }
  Toolbox* Tools() const { return toolbox_; }
  ColorBar* Colors() const { return colorBar_; }
  ToolPanels* Panels() const { return panels_.get(); }
  // The canvas state saved beside undo steps of frame operations.
  UndoContext CanvasState() const;

  // Draw > tools: chooses a tool as its menu item does.
  void ChooseTool(int index);
  // Edit > "Undo" and "Redo" on the canvas, the selection included.
  bool Undo();
  bool Redo();
  bool Copy();
  bool Cut();
  // Paste, or Paste as new image; false when nothing was placed (a message says why).
  bool Paste(bool asNewImage);

 private:
  void RegisterDrawCommands(const CommandRegistrar& registrar);
  void RegisterEditCommands(const CommandRegistrar& registrar);
  void BuildDocks();
  void ApplyState();
  void Attach();
  void CanvasChanged();
  void SetLock(std::uint32_t mask, bool on);
  void SetGradientFill(bool on);
  void SetColorsFromBar(Pixel first, Pixel second);
  void ChooseBrushColor(int which);
  void ShowError(std::string_view key, std::string_view english, const QString& detail = {});

  // CanvasObserver
  void ImageChanged() override;
  void ColoursChanged() override;
  void BackgroundChanged() override;
  void HotspotChosen(int x, int y) override;
  void ToolChanged(int tool) override;
  // DocumentObserver
  void OnFramesChanged(const IconDocument&) override { Attach(); }
  void OnCurrentFrameChanged(const IconDocument&) override { Attach(); }

  DrawContext context_;
  QtGlyphRenderer glyphs_;
  CanvasSession session_;
  Toolbox* toolbox_ = nullptr;
  ColorBar* colorBar_ = nullptr;
  std::unique_ptr<ToolPanels> panels_;
  const CDib* attachedImage_ = nullptr;
  bool attaching_ = false;
};

}  // namespace morvane
