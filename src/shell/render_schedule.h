// When a dialog's preview renders. Most dialogs render on every change. The 3D dialogs wait for
// a set-up 500 ms after opening and render once per burst of changes, 300 ms after the last one
// (230 ms after a preset button). The window owns the timers; this class only decides, so that
// the rules can be tested without a clock:
// - nothing renders before the set-up, and the set-up ends with one render of the current
//   values, so changes made before it are never lost;
// - Apply first runs a render that is still pending, so the kept result matches the values
//   that are stored;
// - Cancel and closing stop every timer, so nothing renders into the restored images.
#pragma once

namespace morvane {

class RenderSchedule {
 public:
  static constexpr int kSetupDelayMs = 500;
  static constexpr int kChangeDelayMs = 300;
  static constexpr int kPresetDelayMs = 230;

  // What the window does after an event. A delay of -1 leaves that timer alone, 0 stops it,
  // and a positive value (re)starts it.
  struct Step {
    bool render = false;
    int setupTimerMs = -1;
    int renderTimerMs = -1;
  };

  explicit RenderSchedule(bool delayed) : delayed_(delayed), ready_(!delayed) {}

  Step Opened();
  // A parameter changed; preset changes come from the Reset and XP Style buttons.
  Step Changed(bool preset = false);
  // A change that renders at once even in the 3D dialogs (a colour, a toggle, a list).
  Step ChangedNow();
  Step SetupFired();
  Step RenderFired();
  Step Apply();
  Step Close();

  bool Ready() const { return ready_; }
  bool Pending() const { return pending_; }
  bool Closed() const { return closed_; }

 private:
  Step RenderNow(Step step);

  bool delayed_;
  bool ready_;
  bool pending_ = false;
  bool closed_ = false;
};

}  // namespace morvane
