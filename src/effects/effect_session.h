// One run of an effect on the editor's document, without any window. A dialog effect opens a
// session (the snapshots are taken), previews any number of parameter sets (each from the
// untouched snapshot, never on top of the previous preview) and then applies (the snapshot
// becomes the undo step) or cancels (every image is put back exactly and the history is as
// before). A parameterless effect is one call of RunInstantEffect.
#pragma once

#include <span>
#include <vector>

#include "editing/effect_canvas.h"
#include "effects/effect_registry.h"

namespace morvane {

// A frame selected in the frame list besides the current one. Multi-frame effects process its
// whole image and keep their snapshot on its own history.
struct ExtraFrame {
  CDib* image = nullptr;
  UndoHistory* history = nullptr;
};

class EffectSession {
 public:
  enum class State { kCreated, kOpen, kApplied, kCancelled };

  EffectSession(const EffectInfo& effect, const EffectCanvas& canvas,
                std::vector<ExtraFrame> extras);
  // A session dropped while open cancels, so no preview is left behind.
  ~EffectSession();
  EffectSession(const EffectSession&) = delete;
  EffectSession& operator=(const EffectSession&) = delete;

  // Takes one snapshot on the canvas and, for multi-frame effects, one on each extra frame in
  // list order.
  void Open();
  // Puts every image back to its snapshot and runs the effect with values on the target and
  // the extra frames. False when the target could not be resolved (nothing was changed).
  bool Preview(std::span<const double> values);
  // Keeps the images as they are; the snapshots stay as the undo steps.
  void Apply();
  // Restores every image and takes the snapshots off the histories.
  void Cancel();

  State GetState() const { return state_; }
  const EffectInfo& Effect() const { return effect_; }
  EffectCanvas& Canvas() { return canvas_; }
  // The image the per-pixel effects walk: the floating bitmap or the current image.
  CDib* TargetImage() const;
  int PreviewCount() const { return previews_; }
  const std::vector<ExtraFrame>& Extras() const { return extras_; }

 private:
  void RestoreAll(bool keep);

  const EffectInfo& effect_;
  EffectCanvas canvas_;
  std::vector<ExtraFrame> extras_;  // empty unless the effect is multi-frame
  State state_ = State::kCreated;
  int previews_ = 0;
};

// Runs an effect with values on the canvas target as one undo step (the parameterless effects,
// and any effect run without its dialog). The step is pushed even when the target cannot be
// resolved, as every canvas operation starts with it.
bool RunInstantEffect(const EffectInfo& effect, EffectCanvas& canvas,
                      std::span<const double> values = {});

// Runs an effect on a resolved target and moves the selection with a geometric result: a
// quarter turn swaps the rectangle's sides, another size is re-centred.
bool RunOnTarget(const EffectInfo& effect, EffectCanvas& canvas, std::span<const double> values);

}  // namespace morvane
