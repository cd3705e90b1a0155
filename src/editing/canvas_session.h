// The edit canvas with the tools it cannot serve alone: the Select tool with its floating
// selection, the Text tool, and the commands around them (select all, delete, paste, copy
// source, undo and redo with the selection, the effect target). Everything the editor's Draw
// and Edit menus do on the canvas passes through here, without any window.
#pragma once

#include "editing/edit_canvas.h"
#include "editing/selection_tool.h"
#include "editing/text_tool.h"

namespace morvane {

// The largest picture Paste places directly; larger ones go to the import dialog.
inline constexpr int kMaxPasteSide = 256;

class CanvasSession {
 public:
  explicit CanvasSession(GlyphRenderer* renderer = nullptr);
  CanvasSession(const CanvasSession&) = delete;
  CanvasSession& operator=(const CanvasSession&) = delete;

  EditCanvas& Canvas() { return canvas_; }
  const EditCanvas& Canvas() const { return canvas_; }
  SelectionTool& Selection() { return selection_; }
  const SelectionModel& SelectionState() const { return selection_.Model(); }
  TextTool& Text() { return text_; }

  // Switching frames: the selection of the old frame is forgotten, its pixels left as they are.
  void Attach(CDib* target, UndoHistory* history);
  bool HasSelection() const { return selection_.Model().Exists(); }

  // --- Edit commands --------------------------------------------------------------------------
  // Ctrl+A: the Select tool, the whole image floating.
  void SelectAll();
  // Ctrl+D: one undo step, then the selection is forgotten (floating pixels dropped in place).
  void RemoveSelection();
  // Delete: without a selection the image is cleared to the clear colour; with one only the
  // selected (floating) pixels go and their hole stays transparent.
  void DeleteSelection();
  // Escape with a floating selection: the lifted pixels go back where they came from.
  void CancelFloating();
  // The picture Copy puts on the clipboard: the floating bitmap while the Select tool is
  // active, the selection's area of the image with another tool, else the whole image.
  // scratch holds a cut-out when one is needed.
  const CDib* CopySource(CDib& scratch) const;
  // Places picture (at most 256 x 256) as a floating selection at (0, 0), after an undo step;
  // the Select tool becomes current. False for an empty or too large picture.
  bool Paste(CDib&& picture);
  void FillImage(Pixel colour);

  // --- Undo and redo, the selection included ---------------------------------------------------
  bool Undo(bool keep = false);
  bool Redo();

  // --- What the effects framework needs ----------------------------------------------------------
  // (Which image an effect changes is resolved from EffectCanvasFrom(Canvas()).)
  // An in-place selection becomes floating (flips and rotations work on a floating bitmap).
  void LiftSelection();
  void ApplyKernel(const double* kernel, int size, int level, bool lockAlpha);

 private:
  UndoContext CurrentContext() const;
  void RestoreSlot(const UndoSlot& slot);

  EditCanvas canvas_;
  SelectionTool selection_;
  TextTool text_;
};

}  // namespace morvane
