#include "effects/effect_session.h"

#include <string_view>

#include "effects/effect_target.h"

namespace morvane {
namespace {

bool IsQuarterTurn(const EffectInfo& effect) {
  const std::string_view name = effect.cliName;
  return name == "rotate-90-cw" || name == "rotate-90-ccw";
}

}  // namespace

bool RunOnTarget(const EffectInfo& effect, EffectCanvas& canvas, std::span<const double> values) {
  const std::optional<ResolvedTarget> target = ResolveEffectTarget(canvas);
  if (!target) return false;
  const int oldWidth = target->image->GetWidth();
  const int oldHeight = target->image->GetHeight();
  const bool ok = effect.run(*target->image, target->rect, values);
  if (!ok || !effect.geometric || !canvas.HasSelection()) return ok;
  // The selection follows its pixels: the registry lays an in-place selection back turned, and
  // a floating bitmap may have changed its size.
  if (target->inPlaceSelection) {
    if (IsQuarterTurn(effect)) canvas.selection = QuarterTurnedRect(target->rect);
  } else if (target->floating) {
    const int w = target->image->GetWidth();
    const int h = target->image->GetHeight();
    if (w != oldWidth || h != oldHeight) {
      canvas.selection = w == oldHeight && h == oldWidth ? QuarterTurnedRect(canvas.selection)
                                                         : RecentredRect(canvas.selection, w, h);
    }
  }
  return ok;
}

bool RunInstantEffect(const EffectInfo& effect, EffectCanvas& canvas,
                      std::span<const double> values) {
  PushEffectUndo(canvas);
  if (values.empty()) {
    const EffectValues defaults = DefaultValues(effect);
    return RunOnTarget(effect, canvas, defaults);
  }
  return RunOnTarget(effect, canvas, values);
}

EffectSession::EffectSession(const EffectInfo& effect, const EffectCanvas& canvas,
                             std::vector<ExtraFrame> extras)
    : effect_(effect), canvas_(canvas) {
  if (effect.multiFrame) {
    for (const ExtraFrame& f : extras) {
      if (f.image != nullptr && f.history != nullptr && f.image != canvas.image) {
        extras_.push_back(f);
      }
    }
  }
}

EffectSession::~EffectSession() {
  if (state_ == State::kOpen) Cancel();
}

CDib* EffectSession::TargetImage() const {
  return canvas_.HasFloating() ? canvas_.floating : canvas_.image;
}

void EffectSession::Open() {
  if (state_ != State::kCreated) return;
  PushEffectUndo(canvas_);
  for (ExtraFrame& f : extras_) f.history->Push(f.image, nullptr, UndoContext{});
  state_ = State::kOpen;
}

void EffectSession::RestoreAll(bool keep) {
  for (ExtraFrame& f : extras_) f.history->Restore(*f.image, keep);
  RestoreEffectUndo(canvas_, keep);
}

bool EffectSession::Preview(std::span<const double> values) {
  if (state_ != State::kOpen) return false;
  RestoreAll(true);
  ++previews_;
  const bool ok = RunOnTarget(effect_, canvas_, values);
  for (ExtraFrame& f : extras_) effect_.run(*f.image, Rect::Whole(), values);
  return ok;
}

void EffectSession::Apply() {
  if (state_ == State::kOpen) state_ = State::kApplied;
}

void EffectSession::Cancel() {
  if (state_ != State::kOpen) return;
  RestoreAll(false);
  state_ = State::kCancelled;
}

}  // namespace morvane
