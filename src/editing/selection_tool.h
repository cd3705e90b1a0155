// The Select tool on the canvas: mouse strokes drive the selection model, and the canvas's
// selection rectangle and floating bitmap follow the model after every step.
#pragma once

#include "editing/edit_canvas.h"
#include "editing/selection.h"

namespace morvane {

class SelectionTool : public ToolHandler {
 public:
  SelectionModel& Model() { return model_; }
  const SelectionModel& Model() const { return model_; }
  // The canvas zoom, which sizes the handle bands of the hit test.
  void SetViewScale(double scale) { viewScale_ = scale; }
  // The hit-test code of an image point (for the pointer shape).
  int HitAt(const EditCanvas& canvas, ImagePoint p) const;

  void Press(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned mods) override;
  void Move(EditCanvas& canvas, ImagePoint p, unsigned mods) override;
  void Release(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned mods) override;
  void Enter(EditCanvas& canvas) override;
  void Leave(EditCanvas& canvas) override;

  // Copies the model's state into the canvas (rectangle, floating and beneath bitmaps).
  void Sync(EditCanvas& canvas);

 private:
  SelectionModel model_;
  double viewScale_ = 1;
  bool pressed_ = false;
};

}  // namespace morvane
