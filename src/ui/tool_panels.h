// The tool property panels beside the canvas: one panel for the current tool (pen or eraser
// tip, rectangle corners, polygon replication, Replace colors, Text) and the Fill panel with
// the gradient, which stays open. Each panel reads its values from its own settings section
// when it opens, pushes every change into the canvas at once, and writes its values and its
// "Minimize" state back when it closes.
#pragma once

#include <QWidget>

#include "editing/canvas_session.h"
#include "editing/gradient.h"
#include "editing/tool_settings.h"
#include "shell/draw_tools.h"
#include "shell/settings.h"

class QGridLayout;
class QLabel;
class QMainWindow;
class QSlider;
class QStackedLayout;
class QToolButton;

namespace morvane {

class GradientPanel;

// Reads or writes every integer tool value stored in section.
void LoadSection(Settings& settings, std::string_view section, ToolSettings& tools);
void SaveSection(Settings& settings, std::string_view section, const ToolSettings& tools);

// A slider with its name and value label in a grid row.
struct LabeledSlider {
  QSlider* slider;
  QLabel* value;
};
LabeledSlider AddSlider(QGridLayout* grid, int row, const QString& name, int min, int max);
// Shows a value without signalling it (the value label follows).
void SetSliderQuietly(QSlider* slider, int v);

// A panel's frame: a title button that collapses the body, and the section it stores into.
class ToolPanel : public QWidget {
  Q_OBJECT

 public:
  ToolPanel(const QString& title, std::string_view section, Settings& settings, QWidget* parent);
  std::string_view Section() const { return section_; }
  // Reads the section into the controls and pushes the values into the canvas.
  virtual void Load() = 0;
  // Writes the values and "Minimize".
  virtual void Save();
  bool Minimized() const;
  void SetMinimized(bool minimized);

 protected:
  QWidget* Body() const { return body_; }
  void LoadMinimized();
  Settings& settings_;

 private:
  std::string section_;
  QToolButton* title_ = nullptr;
  QWidget* body_ = nullptr;
};

class ToolPanels : public QObject {
  Q_OBJECT

 public:
  ToolPanels(QMainWindow* window, Settings& settings, CanvasSession& session);
  ~ToolPanels() override;

  // The dock body the current tool's panel appears in, and the Fill panel.
  QWidget* Host() const { return host_; }
  QWidget* FillPanel() const;
  // Closes the open panel (saving it) and opens the one of tool, if it has one.
  void ShowFor(int tool);
  ToolPanel* Current() const { return current_; }
  // Writes the open panel and the Fill panel (the window closes).
  void SaveAll();
  GradientSettings& Gradient();

 signals:
  // A gradient value changed; the canvas's gradient image must be rebuilt.
  void GradientChanged();

 private:
  ToolPanel* Make(PanelKind kind);

  Settings& settings_;
  CanvasSession& session_;
  QWidget* host_ = nullptr;
  QStackedLayout* stack_ = nullptr;
  ToolPanel* current_ = nullptr;
  PanelKind currentKind_ = PanelKind::kNone;
  GradientPanel* fill_ = nullptr;
};

}  // namespace morvane
