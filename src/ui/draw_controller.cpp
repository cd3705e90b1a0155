#include "ui/draw_controller.h"

#include <QDockWidget>
#include <QMainWindow>

#include "shell/draw_tools.h"
#include "ui/color_bar.h"
#include "ui/edit_area.h"
#include "ui/prompts.h"
#include "ui/tool_panels.h"
#include "ui/toolbox.h"

namespace morvane {
namespace {

QDockWidget* Dock(QMainWindow* window, const QString& title, const QString& name, QWidget* body,
                  Qt::DockWidgetArea area) {
  auto* dock = new QDockWidget(title, window);
  dock->setObjectName(name);
  dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  dock->setWidget(body);
  window->addDockWidget(area, dock);
  return dock;
}

}  // namespace

DrawController::DrawController(const DrawContext& context) : context_(context), session_(&glyphs_) {
  session_.Canvas().SetObserver(this);
  context_.area->SetSession(&session_);
  context_.editor.document->AddObserver(this);
  panels_ = std::make_unique<ToolPanels>(context_.mainWindow, *context_.editor.settings, session_);
  BuildDocks();
  ApplyState();
  connect(context_.area, &EditArea::CanvasEdited, this, [this] { CanvasChanged(); });
  connect(context_.area, &EditArea::DeletePressed, this, [this] {
    session_.DeleteSelection();
    CanvasChanged();
  });
  connect(panels_.get(), &ToolPanels::GradientChanged, this, [this] {
    if (session_.Canvas().draw.gradientFill) SetGradientFill(true);
  });
}

DrawController::~DrawController() {
  context_.editor.document->RemoveObserver(this);
  session_.Canvas().SetObserver(nullptr);
  context_.area->SetSession(nullptr);
}

void DrawController::BuildDocks() {
  toolbox_ = new Toolbox(context_.mainWindow);
  colorBar_ = new ColorBar(context_.mainWindow);
  Dock(context_.mainWindow, tr("Tools"), QStringLiteral("Tools"), toolbox_, Qt::LeftDockWidgetArea);
  Dock(context_.mainWindow, tr("Colors"), QStringLiteral("Colors"), colorBar_,
       Qt::RightDockWidgetArea);
  Dock(context_.mainWindow, tr("Properties"), QStringLiteral("Properties"), panels_->Host(),
       Qt::RightDockWidgetArea);
  Dock(context_.mainWindow, tr("Fill"), QStringLiteral("Fill"), panels_->FillPanel(),
       Qt::RightDockWidgetArea);
  connect(toolbox_, &Toolbox::ToolChosen, this, &DrawController::ChooseTool);
  connect(colorBar_, &ColorBar::ColorsChanged, this, &DrawController::SetColorsFromBar);
  connect(colorBar_, &ColorBar::PenSizeChanged, this, [this](int size) {
    session_.Canvas().tools.penSize = size;
    context_.editor.state->penSize = size;
  });
}

void DrawController::ApplyState() {
  const MainWindowSettings& s = *context_.editor.state;
  EditCanvas& canvas = session_.Canvas();
  canvas.firstColour = s.lastColor;
  canvas.secondColour = s.lastColor2;
  canvas.clearColour = SwapRedBlue(s.transpColor);
  canvas.backgroundColour = s.transpColor;
  canvas.tools.penSize = s.penSize;
  canvas.draw.antiAlias = s.antiAliasing;
  canvas.draw.antiAliasLevel = s.antiAliasingLevel;
  canvas.draw.transparentMode = s.transparentMode;
  canvas.draw.lockMask = s.lockedChannels;
  colorBar_->SetColors(canvas.firstColour, canvas.secondColour);
  colorBar_->SetPenSize(s.penSize);
  SetGradientFill(s.gradUsing);
  const int tool = s.lastTool - 9;
  ChooseTool(ToolByIndex(tool) != nullptr && tool != tool::kPickColor ? tool : tool::kPen);
}

void DrawController::SaveState() {
  MainWindowSettings& s = *context_.editor.state;
  const EditCanvas& canvas = session_.Canvas();
  int tool = canvas.Tool();
  if (tool == tool::kPickColor || tool == tool::kHotspot) tool = canvas.PreviousTool();
  s.lastTool = tool + 9;
  s.lastColor = canvas.firstColour;
  s.lastColor2 = canvas.secondColour;
  s.transparency = 255 - static_cast<int>(AlphaOf(canvas.firstColour));
  s.transparency2 = 255 - static_cast<int>(AlphaOf(canvas.secondColour));
  s.penSize = canvas.tools.penSize;
  s.antiAliasing = canvas.draw.antiAlias;
  s.transparentMode = canvas.draw.transparentMode;
  s.lockedChannels = canvas.draw.lockMask;
  s.gradUsing = canvas.draw.gradientFill;
  panels_->SaveAll();
}

UndoContext DrawController::CanvasState() const {
  UndoContext context;
  context.tool = session_.Canvas().Tool();
  context.selection = session_.Canvas().selection;
  context.background = session_.Canvas().backgroundColour;
  return context;
}

void DrawController::Attach() {
  ImageFrame* frame = context_.editor.document->CurrentFrame();
  CDib* image = frame ? &frame->image : nullptr;
  // Frame operations re-create images in place; a changed size drops a selection whose saved
  // pixels no longer fit.
  const bool sameImage =
      image == attachedImage_ && image != nullptr && session_.Canvas().Target() == image;
  if (sameImage && !session_.HasSelection()) return;
  if (sameImage && session_.SelectionState().IsFloating() &&
      session_.SelectionState().Beneath().GetWidth() == image->GetWidth() &&
      session_.SelectionState().Beneath().GetHeight() == image->GetHeight()) {
    return;
  }
  attaching_ = true;
  session_.Attach(image, frame ? &frame->history : nullptr);
  attachedImage_ = image;
  attaching_ = false;
}

void DrawController::CanvasChanged() {
  if (context_.updateCommands) context_.updateCommands();
}

void DrawController::ImageChanged() {
  const int current = context_.editor.document->Current();
  if (current >= 0 && !attaching_) context_.editor.document->MarkImageChanged(current);
}

void DrawController::ColoursChanged() {
  const EditCanvas& canvas = session_.Canvas();
  colorBar_->SetColors(canvas.firstColour, canvas.secondColour);
}

void DrawController::BackgroundChanged() {
  context_.area->SetBackground(session_.Canvas().backgroundColour);
}

void DrawController::HotspotChosen(int x, int y) {
  context_.editor.document->SetHotspot(Hotspot{x, y});
}

void DrawController::ToolChanged(int tool) {
  toolbox_->SetTool(tool);
  if (tool != tool::kPickColor && tool != tool::kHotspot)
    context_.editor.state->lastTool = tool + 9;
  // Pick color returns to the previous tool, so its panel stays.
  if (tool != tool::kPickColor && tool != tool::kHotspot) panels_->ShowFor(tool);
  context_.area->ImageChanged();
  if (context_.updateCommands) context_.updateCommands();
}

void DrawController::ChooseTool(int index) {
  if (ToolByIndex(index) == nullptr && index != tool::kHotspot) return;
  if (session_.Canvas().Tool() == index) {
    toolbox_->SetTool(index);
    panels_->ShowFor(index);
    return;
  }
  session_.Canvas().SetTool(index);
}

void DrawController::SetColorsFromBar(Pixel first, Pixel second) {
  EditCanvas& canvas = session_.Canvas();
  canvas.firstColour = first;
  canvas.secondColour = second;
  context_.editor.state->lastColor = first;
  context_.editor.state->lastColor2 = second;
}

void DrawController::SetLock(std::uint32_t mask, bool on) {
  std::uint32_t& locks = session_.Canvas().draw.lockMask;
  locks = on ? (locks | mask) : (locks & ~mask);
  context_.editor.state->lockedChannels = locks;
}

void DrawController::SetGradientFill(bool on) {
  DrawSettings& draw = session_.Canvas().draw;
  draw.gradientFill = on;
  draw.gradientAreaFill = panels_->Gradient().areaFill == 0;
  if (on) {
    RenderGradient(panels_->Gradient(), draw.gradientImage);
  } else {
    draw.gradientImage.Release();
  }
  context_.editor.state->gradUsing = on;
}

void DrawController::ShowError(std::string_view key, std::string_view english,
                               const QString& detail) {
  QString text = context_.editor.Message(key, english);
  if (!detail.isEmpty()) text += QStringLiteral("\n") + detail;
  context_.editor.prompts().ShowError(context_.mainWindow, QStringLiteral("Error"), text);
}

}  // namespace morvane
