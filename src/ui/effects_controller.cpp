#include "ui/effects_controller.h"

#include <QWidget>

#include "shell/effect_catalogue.h"
#include "ui/effect_dialog.h"
#include "ui/effects_toolbar.h"

namespace morvane {
namespace {

// One flag for the whole process: a second effect command while one runs is ignored.
bool gBusy = false;

class BusyScope {
 public:
  explicit BusyScope(const std::function<void(bool)>& enable) : enable_(enable) {
    gBusy = true;
    if (enable_) enable_(false);
  }
  ~BusyScope() {
    if (enable_) enable_(true);
    gBusy = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  const std::function<void(bool)>& enable_;
};

}  // namespace

EffectsController::EffectsController(IconDocument& document, Settings& settings,
                                     const LanguagePack& pack, QWidget* window, Hooks hooks)
    : QObject(window),
      document_(document),
      settings_(settings),
      pack_(pack),
      window_(window),
      hooks_(std::move(hooks)) {
  toolbar_ = new EffectsToolbar(window);
  connect(toolbar_, &EffectsToolbar::EffectChosen, this,
          [this](int commandId) { RunEffect(commandId); });
  connect(toolbar_, &EffectsToolbar::Closed, this,
          [this] { settings_.write_int(kEffectsToolbarSection, "Show", 0); });
}

EffectsController::~EffectsController() = default;

bool EffectsController::Busy() {
  return gBusy;
}

bool EffectsController::ToolbarShown() const {
  return toolbar_->isVisible();
}

void EffectsController::ShowToolbar(bool show) {
  if (show && !toolbarPlaced_) PlaceToolbar();
  toolbar_->setVisible(show);
  settings_.write_int(kEffectsToolbarSection, "Show", show ? 1 : 0);
}

void EffectsController::LoadToolbarState() {
  const bool show = settings_.read_int(kEffectsToolbarSection, "Show", 0) != 0;
  if (show && !toolbarPlaced_) PlaceToolbar();
  toolbar_->setVisible(show);
}

void EffectsController::PlaceToolbar() {
  // First shown beside the main window's right edge, clear of the menu and tool bar.
  toolbarPlaced_ = true;
  toolbar_->adjustSize();
  const QRect frame = window_->frameGeometry();
  toolbar_->move(frame.right() - toolbar_->width() - 24, frame.top() + 110);
}

std::vector<ExtraFrame> EffectsController::ExtraFrames() {
  std::vector<ExtraFrame> extras;
  for (int index : document_.Selection()) {
    if (index < 0 || index >= document_.Count() || index == document_.Current()) continue;
    ImageFrame& frame = document_.Frame(index);
    extras.push_back({&frame.image, &frame.history});
  }
  return extras;
}

bool EffectsController::RunEffect(int commandId) {
  const EffectCommand* command = FindEffectCommand(commandId);
  if (command == nullptr || gBusy || document_.CurrentFrame() == nullptr) return false;
  const EffectInfo* effect = FindEffect(command->cliName);
  if (effect == nullptr) return false;
  BusyScope busy(hooks_.enableToolWindows);
  const bool wasModified = document_.IsModified();
  EffectCanvas canvas = hooks_.canvas ? hooks_.canvas() : EffectCanvas{};
  if (canvas.image == nullptr) {
    ImageFrame* frame = document_.CurrentFrame();
    canvas.image = &frame->image;
    canvas.history = &frame->history;
  }

  bool cancelled = false;
  std::vector<int> touched{document_.Current()};
  if (command->languageSection == nullptr) {
    RunInstant(*effect, canvas);
  } else {
    std::vector<ExtraFrame> extras = effect->multiFrame ? ExtraFrames() : std::vector<ExtraFrame>{};
    if (effect->multiFrame) {
      for (int index : document_.Selection()) {
        if (index != document_.Current()) touched.push_back(index);
      }
    }
    EffectSession session(*effect, canvas, std::move(extras));
    session.Open();
    RunDialog(session, commandId);
    cancelled = session.GetState() != EffectSession::State::kApplied;
  }
  // A cancelled dialog leaves the document as it found it, the modified flag included.
  for (int index : touched) document_.MarkImageChanged(index);
  if (cancelled && !wasModified) document_.SetModified(false);
  if (hooks_.refresh) hooks_.refresh();
  return true;
}

void EffectsController::RunInstant(const EffectInfo& effect, EffectCanvas& canvas) {
  const bool lift = effect.geometric && canvas.HasSelection() && !canvas.HasFloating() &&
                    hooks_.liftSelection && hooks_.canvas;
  if (!lift) {
    RunInstantEffect(effect, canvas);
  } else {
    // The step holds the selection as it was; the effect then turns the lifted bitmap.
    PushEffectUndo(canvas);
    hooks_.liftSelection();
    canvas = hooks_.canvas();
    RunOnTarget(effect, canvas, DefaultValues(effect));
  }
  if (effect.geometric && canvas.HasFloating() && hooks_.selectionMoved) {
    hooks_.selectionMoved(canvas.selection);
  }
}

void EffectsController::RunDialog(EffectSession& session, int commandId) {
  const EffectCommand& command = *FindEffectCommand(commandId);
  ParamEffectDialog dialog(session, command, settings_, pack_, hooks_.refresh, window_);
  if (driver_) {
    dialog.show();
    driver_(dialog);
    if (session.GetState() == EffectSession::State::kOpen) dialog.reject();
    return;
  }
  dialog.exec();
}

}  // namespace morvane
