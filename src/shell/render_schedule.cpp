#include "shell/render_schedule.h"

namespace morvane {

RenderSchedule::Step RenderSchedule::RenderNow(Step step) {
  pending_ = false;
  step.render = true;
  step.renderTimerMs = 0;
  return step;
}

RenderSchedule::Step RenderSchedule::Opened() {
  if (closed_) return {};
  if (!delayed_) return RenderNow({});
  pending_ = true;
  return Step{false, kSetupDelayMs, -1};
}

RenderSchedule::Step RenderSchedule::Changed(bool preset) {
  if (closed_) return {};
  if (!delayed_) return RenderNow({});
  pending_ = true;
  // Before the set-up the change waits for it; the set-up renders the latest values.
  if (!ready_) return {};
  return Step{false, -1, preset ? kPresetDelayMs : kChangeDelayMs};
}

RenderSchedule::Step RenderSchedule::ChangedNow() {
  if (closed_) return {};
  if (!ready_) {
    pending_ = true;
    return {};
  }
  return RenderNow({});
}

RenderSchedule::Step RenderSchedule::SetupFired() {
  if (closed_ || ready_) return {};
  ready_ = true;
  return RenderNow(Step{false, 0, -1});
}

RenderSchedule::Step RenderSchedule::RenderFired() {
  if (closed_ || !ready_ || !pending_) return {};
  return RenderNow({});
}

RenderSchedule::Step RenderSchedule::Apply() {
  if (closed_) return {};
  Step step{false, 0, 0};
  if (pending_ || !ready_) {
    ready_ = true;
    step = RenderNow(step);
    step.setupTimerMs = 0;
  }
  closed_ = true;
  return step;
}

RenderSchedule::Step RenderSchedule::Close() {
  closed_ = true;
  pending_ = false;
  return Step{false, 0, 0};
}

}  // namespace morvane
