#include "editing/selection_tool.h"

#include <algorithm>

namespace morvane {

int SelectionTool::HitAt(const EditCanvas& canvas, ImagePoint p) const {
  const CDib* target = const_cast<EditCanvas&>(canvas).Target();
  if (target == nullptr) return selection_hit::kOutside;
  // Hit tests run in supersampled units whether anti-aliasing is on or not.
  const int f = std::max(canvas.draw.antiAliasLevel, 1);
  return model_.HitTest(p.x * f, p.y * f, target->GetWidth(), target->GetHeight(), f, viewScale_);
}

void SelectionTool::Press(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned mods) {
  pressed_ = button == MouseButton::kLeft;
  if (!pressed_) return;
  model_.Press(*canvas.Target(), p.x, p.y, HitAt(canvas, p), (mods & kModCtrl) != 0);
  Sync(canvas);
}

void SelectionTool::Move(EditCanvas& canvas, ImagePoint p, unsigned) {
  if (!pressed_) return;
  model_.Move(*canvas.Target(), p.x, p.y, canvas.draw.antiAlias, canvas.draw.transparentMode);
  Sync(canvas);
}

void SelectionTool::Release(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned) {
  if (!pressed_ || button != MouseButton::kLeft) return;
  pressed_ = false;
  model_.Move(*canvas.Target(), p.x, p.y, canvas.draw.antiAlias, canvas.draw.transparentMode);
  model_.Release(*canvas.Target(), canvas.draw.transparentMode);
  Sync(canvas);
}

void SelectionTool::Enter(EditCanvas& canvas) {
  if (canvas.Target() == nullptr) return;
  canvas.PushUndo();
  model_.Remove(*canvas.Target());
  Sync(canvas);
}

void SelectionTool::Leave(EditCanvas& canvas) {
  pressed_ = false;
  if (canvas.Target() == nullptr) return;
  model_.Settle(*canvas.Target());
  Sync(canvas);
}

void SelectionTool::Sync(EditCanvas& canvas) {
  canvas.selection = model_.Exists() ? model_.Rectangle() : Rect{kNotSet, 0, 0, 0};
  const bool floating = model_.IsFloating();
  canvas.floating = floating ? &model_.Floating() : nullptr;
  canvas.beneath = floating ? &model_.Beneath() : nullptr;
}

}  // namespace morvane
