// The Effects commands of the main window: RunEffect (menu items, F5/F6/F7 and the effects
// toolbar all come here), the busy flag that keeps effects from nesting, and the effects
// toolbar. The window tells the controller what the canvas looks like through a provider, so
// the controller follows the canvas as it grows (selection, floating selection, tool).
#pragma once

#include <functional>

#include <QObject>

#include "effects/effect_session.h"
#include "image/icon_document.h"
#include "shell/language_pack.h"
#include "shell/settings.h"

class QWidget;

namespace morvane {

class EffectsToolbar;
class ParamEffectDialog;

class EffectsController : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    // The canvas state of the current frame (image, history, selection, floating bitmap).
    std::function<EffectCanvas()> canvas;
    // After every preview and at the end of a run: repaint the canvas and the status texts.
    std::function<void()> refresh;
    // Disables the tool windows while an effect runs (false) and enables them again (true).
    std::function<void(bool)> enableToolWindows;
    // Turns an in-place selection into a floating one (flips and rotations work on that).
    std::function<void()> liftSelection;
    // A geometric effect moved or resized the selection to this rectangle.
    std::function<void(Rect)> selectionMoved;
  };

  EffectsController(IconDocument& document, Settings& settings, const LanguagePack& pack,
                    QWidget* window, Hooks hooks);
  ~EffectsController() override;

  // Runs the effect of a command (32887 ...); false when the id is no effect, no frame is
  // there or an effect is already running.
  bool RunEffect(int commandId);
  static bool Busy();

  // Tests (and the screenshot switch) drive a dialog through this instead of a modal loop; a
  // dialog the driver leaves open is cancelled.
  void SetDialogDriver(std::function<void(ParamEffectDialog&)> driver) {
    driver_ = std::move(driver);
  }

  EffectsToolbar* Toolbar() const { return toolbar_; }
  bool ToolbarShown() const;
  void ShowToolbar(bool show);
  // Restores the toolbar's visibility from the settings.
  void LoadToolbarState();

 private:
  void RunDialog(EffectSession& session, int commandId);
  void RunInstant(const EffectInfo& effect, EffectCanvas& canvas);
  std::vector<ExtraFrame> ExtraFrames();
  void PlaceToolbar();

  IconDocument& document_;
  Settings& settings_;
  const LanguagePack& pack_;
  QWidget* window_;
  Hooks hooks_;
  std::function<void(ParamEffectDialog&)> driver_;
  EffectsToolbar* toolbar_ = nullptr;
  bool toolbarPlaced_ = false;
};

}  // namespace morvane
