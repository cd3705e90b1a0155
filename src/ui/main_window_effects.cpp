// The Effects menu and the effects toolbar's menu item: every effect command goes through the
// effects controller, which owns the busy flag, the dialogs and the toolbar.
#include "shell/effect_catalogue.h"
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
    EffectCanvas canvas;
    if (ImageFrame* frame = document_.CurrentFrame()) {
      canvas.image = &frame->image;
      canvas.history = &frame->history;
    }
    canvas.context = CanvasState();
    return canvas;
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
