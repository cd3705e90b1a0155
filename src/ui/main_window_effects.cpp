// The Effects menu and the effects toolbar's menu item: every effect command goes through the
// effects controller, which owns the busy flag, the dialogs and the toolbar.
#include "editing/canvas_session.h"
#include "shell/effect_catalogue.h"
#include "ui/draw_controller.h"
#include "ui/effects_controller.h"
#include "ui/effects_toolbar.h"
#include "ui/main_window.h"

namespace morvane {
namespace {
constexpr int kEffectsToolbarCommand = 32908;
}

void MainWindow::RegisterEffectCommands() {
  EffectsController::Hooks hooks;
  hooks.canvas = [this] {
    EffectCanvas canvas = EffectCanvasFrom(draw_->Session().Canvas());
    if (ImageFrame* frame = document_.CurrentFrame(); canvas.image == nullptr && frame) {
      canvas.image = &frame->image;
      canvas.history = &frame->history;
    }
    canvas.context = CanvasState();
    return canvas;
  };
  hooks.liftSelection = [this] { draw_->Session().LiftSelection(); };
  hooks.selectionMoved = [this](Rect rect) {
    // The floating bitmap may have turned: the selection takes its new rectangle.
    CanvasSession& session = draw_->Session();
    SelectionModel& model = session.Selection().Model();
    CDib* target = session.Canvas().Target();
    if (target == nullptr || !model.IsFloating() || model.Rectangle() == rect) return;
    CDib floating;
    CDib beneath;
    if (!model.Floating().CopyTo(floating) || !model.Beneath().CopyTo(beneath)) return;
    model.Restore(*target, rect, &floating, &beneath);
    session.Selection().Sync(session.Canvas());
  };
  hooks.refresh = [this] { RefreshCurrent(); };
  hooks.enableToolWindows = [this](bool enable) {
    if (effects_ != nullptr) effects_->Toolbar()->setEnabled(enable);
  };
  effects_ = new EffectsController(document_, settings_, pack_, this, std::move(hooks));

  const auto hasFrame = [this] { return HasFrame() && !EffectsController::Busy(); };
  for (const EffectCommand& command : EffectCommands()) {
    const int id = command.commandId;
    Register(
        id, [this, id] { effects_->RunEffect(id); }, hasFrame);
  }
  Register(
      kEffectsToolbarCommand, [this] { effects_->ShowToolbar(!effects_->ToolbarShown()); }, {},
      [this] { return effects_->ToolbarShown(); });
  QTimer::singleShot(0, this, [this] { effects_->LoadToolbarState(); });
}

}  // namespace morvane
