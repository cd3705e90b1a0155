#include "editing/canvas_session.h"

#include <algorithm>
#include <utility>

namespace morvane {
namespace {

constexpr int kSelectTool = static_cast<int>(CanvasTool::kSelect);

}  // namespace

CanvasSession::CanvasSession(GlyphRenderer* renderer) : text_(renderer) {
  canvas_.SetToolHandler(CanvasTool::kSelect, &selection_);
  canvas_.SetToolHandler(CanvasTool::kText, &text_);
}

void CanvasSession::Attach(CDib* target, UndoHistory* history) {
  CDib scratch;
  selection_.Model().Remove(target != nullptr ? *target : scratch);
  canvas_.Attach(target, history);
  selection_.Sync(canvas_);
}

void CanvasSession::SelectAll() {
  CDib* target = canvas_.Target();
  if (target == nullptr || !target->IsLive()) return;
  if (canvas_.Tool() != kSelectTool) canvas_.SetTool(kSelectTool);
  selection_.Model().SelectAll(*target, canvas_.draw.transparentMode);
  selection_.Sync(canvas_);
}

void CanvasSession::RemoveSelection() {
  CDib* target = canvas_.Target();
  if (target == nullptr) return;
  canvas_.PushUndo();
  selection_.Model().Remove(*target);
  selection_.Sync(canvas_);
}

void CanvasSession::DeleteSelection() {
  CDib* target = canvas_.Target();
  if (target == nullptr || !target->IsLive()) return;
  if (!HasSelection()) {
    FillImage(canvas_.clearColour);
    return;
  }
  canvas_.PushUndo();
  if (selection_.Model().IsFloating()) {
    selection_.Model().DeleteFloating(*target);
  } else {
    // An in-place selection with another tool: its area is cleared to transparent.
    const Rect r =
        IntersectWithImage(selection_.Model().Rectangle(), target->GetWidth(), target->GetHeight());
    for (int y = r.top; y < r.bottom; ++y) {
      Pixel* row = target->Row(y);
      for (int x = r.left; x < r.right; ++x) row[x] &= 0x00FFFFFF;
    }
    selection_.Model().Remove(*target);
  }
  selection_.Sync(canvas_);
}

void CanvasSession::CancelFloating() {
  CDib* target = canvas_.Target();
  if (target == nullptr || !selection_.Model().IsFloating()) return;
  canvas_.PushUndo();
  selection_.Model().Cancel(*target);
  selection_.Sync(canvas_);
}

const CDib* CanvasSession::CopySource(CDib& scratch) const {
  const EditCanvas& c = canvas_;
  const CDib* target = const_cast<EditCanvas&>(c).Target();
  if (target == nullptr || !target->IsLive()) return nullptr;
  const SelectionModel& model = selection_.Model();
  if (!model.Exists()) return target;
  if (c.Tool() == kSelectTool && model.IsFloating()) return &model.Floating();
  const Rect r = IntersectWithImage(model.Rectangle(), target->GetWidth(), target->GetHeight());
  if (r.Width() <= 0 || !scratch.Create(r.Width(), r.Height())) return nullptr;
  scratch.CopyAt(*target, -r.left, -r.top);
  return &scratch;
}

bool CanvasSession::Paste(CDib&& picture) {
  CDib* target = canvas_.Target();
  if (target == nullptr || !target->IsLive() || !picture.IsLive()) return false;
  if (picture.GetWidth() > kMaxPasteSide || picture.GetHeight() > kMaxPasteSide) return false;
  canvas_.PushUndo();
  // Choosing the Select tool would take another undo step and drop nothing new; set it
  // directly when it is not current.
  if (canvas_.Tool() != kSelectTool) canvas_.SetTool(kSelectTool);
  selection_.Model().PlacePicture(*target, std::move(picture), canvas_.draw.transparentMode);
  selection_.Sync(canvas_);
  return true;
}

void CanvasSession::FillImage(Pixel colour) {
  CDib* target = canvas_.Target();
  if (target == nullptr || !target->IsLive()) return;
  // The fill pushes its own undo step; a floating selection is dropped first so that it is not
  // composited back over the filled image.
  selection_.Model().Remove(*target);
  selection_.Sync(canvas_);
  canvas_.FillImage(colour);
}

UndoContext CanvasSession::CurrentContext() const {
  UndoContext context;
  context.tool = canvas_.Tool();
  context.selection = canvas_.selection;
  context.background = canvas_.backgroundColour;
  return context;
}

void CanvasSession::RestoreSlot(const UndoSlot& slot) {
  CDib* target = canvas_.Target();
  SelectionModel& model = selection_.Model();
  const UndoContext& ctx = slot.context;
  const bool floating =
      ctx.selection.left != kNotSet && ctx.tool == kSelectTool && !slot.floating.IsEmpty();
  if (!slot.imageLost) slot.image.RestoreSnapshotTo(*target);
  if (floating) {
    CDib floatingCopy, beneath;
    slot.floating.RestoreSnapshotTo(floatingCopy);
    target->CopyTo(beneath, CDib::CopyMode::kRecreate);
    model.Restore(*target, ctx.selection, &floatingCopy, &beneath);
    model.Composite(*target, canvas_.draw.transparentMode);
  } else {
    model.Restore(*target, ctx.selection, nullptr, nullptr);
  }
  canvas_.backgroundColour = ctx.background;
  if (canvas_.Tool() != ctx.tool) {
    // The tool comes back without the side effects of choosing it (no undo step, no reset).
    canvas_.SetToolHandler(CanvasTool::kSelect, nullptr);
    canvas_.SetTool(ctx.tool);
    canvas_.SetToolHandler(CanvasTool::kSelect, &selection_);
  }
  selection_.Sync(canvas_);
}

bool CanvasSession::Undo(bool keep) {
  UndoHistory* history = canvas_.History();
  CDib* target = canvas_.Target();
  if (history == nullptr || target == nullptr || !history->CanUndo()) return false;
  if (history->NeedsCurrentState()) {
    const SelectionModel& model = selection_.Model();
    const bool floating = model.IsFloating();
    history->PushCurrentState(floating ? &model.Beneath() : target,
                              floating ? &model.Floating() : nullptr, CurrentContext());
  }
  const UndoSlot* slot = history->StepBack(keep);
  if (slot == nullptr) return false;
  RestoreSlot(*slot);
  return true;
}

bool CanvasSession::Redo() {
  UndoHistory* history = canvas_.History();
  if (history == nullptr || canvas_.Target() == nullptr) return false;
  const UndoSlot* slot = history->StepForward();
  if (slot == nullptr) return false;
  RestoreSlot(*slot);
  return true;
}

void CanvasSession::LiftSelection() {
  CDib* target = canvas_.Target();
  SelectionModel& model = selection_.Model();
  if (target == nullptr || !model.Exists() || model.IsFloating()) return;
  if (canvas_.Tool() != kSelectTool) {
    canvas_.SetToolHandler(CanvasTool::kSelect, nullptr);
    canvas_.SetTool(kSelectTool);
    canvas_.SetToolHandler(CanvasTool::kSelect, &selection_);
  }
  model.Lift(*target, canvas_.draw.transparentMode);
  selection_.Sync(canvas_);
}

void CanvasSession::ApplyKernel(const double* kernel, int size, int level, bool lockAlpha) {
  canvas_.ApplyKernel(kernel, size, level, lockAlpha);
  // A blurred floating bitmap is shown composited over the image beneath.
  selection_.Model().Composite(*canvas_.Target(), canvas_.draw.transparentMode);
}

}  // namespace morvane
