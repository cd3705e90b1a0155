#include "editing/effect_canvas.h"

#include <algorithm>

namespace morvane {

EffectCanvas EffectCanvasFrom(EditCanvas& canvas) {
  EffectCanvas c;
  c.image = canvas.Target();
  c.history = canvas.History();
  c.floating = canvas.floating;
  c.selection = canvas.selection;
  c.selectToolActive = canvas.Tool() == static_cast<int>(CanvasTool::kSelect);
  c.context.tool = canvas.Tool();
  c.context.background = canvas.backgroundColour;
  return c;
}

std::optional<ResolvedTarget> ResolveEffectTarget(const EffectCanvas& canvas) {
  if (canvas.HasFloating()) return ResolvedTarget{canvas.floating, Rect::Whole(), true, false};
  CDib* image = canvas.image;
  if (image == nullptr || !image->IsLive() || image->GetWidth() <= 0 || image->GetHeight() <= 0) {
    return std::nullopt;
  }
  if (!canvas.HasSelection()) return ResolvedTarget{image, Rect::Whole(), false, false};
  const Rect& s = canvas.selection;
  Rect r{std::min(s.left, s.right), std::min(s.top, s.bottom), std::max(s.left, s.right),
         std::max(s.top, s.bottom)};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, image->GetWidth());
  r.bottom = std::min(r.bottom, image->GetHeight());
  if (r.left >= r.right || r.top >= r.bottom) return std::nullopt;
  return ResolvedTarget{image, r, false, true};
}

bool PushEffectUndo(EffectCanvas& canvas) {
  if (canvas.history == nullptr || canvas.image == nullptr) return false;
  canvas.context.selection = canvas.selection;
  const CDib* floating = canvas.HasFloating() ? canvas.floating : nullptr;
  return canvas.history->Push(canvas.image, floating, canvas.context);
}

bool RestoreEffectUndo(EffectCanvas& canvas, bool keep) {
  if (canvas.history == nullptr || canvas.image == nullptr) return false;
  const UndoSlot* slot = canvas.history->StepBack(keep);
  if (slot == nullptr) return false;
  UndoHistory::RestoreSlotTo(*slot, *canvas.image);
  canvas.selection = slot->context.selection;
  if (canvas.floating != nullptr && !slot->floating.IsEmpty()) {
    slot->floating.RestoreSnapshotTo(*canvas.floating);
  }
  // A cancelled preview must not come back through Redo.
  if (!keep) canvas.history->DiscardRedo();
  return true;
}

}  // namespace morvane
