// The canvas side of an effect: which image it works on and the snapshots that make a live
// preview reversible. The editor describes its state in an EffectCanvas (the current frame's
// image and history, the selection, the floating bitmap and whether the select tool is active);
// these functions push, restore and resolve over that description.
#pragma once

#include <optional>

#include "editing/edit_canvas.h"
#include "image/dib.h"
#include "image/undo_history.h"

namespace morvane {

struct EffectCanvas {
  CDib* image = nullptr;           // the current frame's image
  UndoHistory* history = nullptr;  // its history
  CDib* floating = nullptr;        // the floating selection bitmap; null or empty when none
  Rect selection{kNotSet, 0, 0, 0};
  bool selectToolActive = false;
  // Tool, selection and background saved with every step. PushEffectUndo fills in the
  // selection.
  UndoContext context;

  bool HasFloating() const { return floating != nullptr && floating->IsLive() && selectToolActive; }
  bool HasSelection() const { return selection.left != kNotSet; }
};

// The edit canvas described for an effect: its target and history, its selection and floating
// bitmap, and whether the select tool is the current one.
EffectCanvas EffectCanvasFrom(EditCanvas& canvas);

// The image an effect works on and the rectangle it may change: the floating bitmap whole, the
// in-place selection (normalised and cut to the image) or the whole current image.
struct ResolvedTarget {
  CDib* image = nullptr;
  Rect rect = Rect::Whole();
  bool floating = false;
  bool inPlaceSelection = false;
};
// Nothing when there is no live image or the selection lies wholly outside it.
std::optional<ResolvedTarget> ResolveEffectTarget(const EffectCanvas& canvas);

// Saves the current image, selection and floating bitmap as one step on the frame's history.
bool PushEffectUndo(EffectCanvas& canvas);
// Puts the newest step back into the image (and the floating bitmap and selection). With keep
// the step stays for the next preview; without it the step leaves the history and no redo
// leads back to it. False when the history holds nothing to restore.
bool RestoreEffectUndo(EffectCanvas& canvas, bool keep);

}  // namespace morvane
