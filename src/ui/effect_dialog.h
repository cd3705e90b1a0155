// EffectDialog: the base of the small settings dialogs. It keeps the window where the user
// left it ("X" and "Y" in the dialog's settings section) and, for sections named "Effect ...",
// drives an EffectSession: snapshots on opening, a live preview on the document's own images
// for every change, Apply as one undo step and Cancel that gives the images back exactly.
//
// The controls of an effect dialog are made from the effect table: a labelled slider with its
// value per number, a check box per toggle, a colour button per colour and a 3 x 3 grid of edit
// boxes for a mask, plus the preset buttons of the catalogue and a standard button box.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QTimer>

#include "effects/effect_session.h"
#include "shell/effect_catalogue.h"
#include "shell/language_pack.h"
#include "shell/render_schedule.h"
#include "shell/settings.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace morvane {

class EffectDialog : public QDialog {
  Q_OBJECT

 public:
  EffectDialog(std::string section, Settings& settings, QWidget* parent = nullptr);
  const std::string& Section() const { return section_; }
  bool IsEffect() const { return section_.rfind("Effect", 0) == 0; }

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  Settings& settings_;

 private:
  std::string section_;
  bool placed_ = false;
};

class ParamEffectDialog : public EffectDialog {
  Q_OBJECT

 public:
  // session is open and outlives the dialog; repaint is called after every preview.
  ParamEffectDialog(EffectSession& session, const EffectCommand& command, Settings& settings,
                    const LanguagePack& pack, std::function<void()> repaint,
                    QWidget* parent = nullptr);
  ~ParamEffectDialog() override;

  // --- What tests reach (and the controls call) ---------------------------------------------
  const EffectValues& Values() const { return values_; }
  // Sets parameter n (table order; a mask's first weight is its index) as a user would.
  void SetParam(int param, double value, int maskIndex = 0);
  QSlider* Slider(int param) const;
  QLabel* ValueLabel(int param) const;
  QPushButton* PresetButton(int index) const;
  QAbstractButton* ColourButton(int param) const;
  QLabel* ParamLabel(int param) const;
  const RenderSchedule& Schedule() const { return schedule_; }
  // Runs the timers at once (tests have no wish to wait 500 ms).
  void FireTimersNow();

  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Control {
    const EffectParam* param = nullptr;
    int valueIndex = 0;
    QLabel* label = nullptr;
    QSlider* slider = nullptr;
    QLabel* value = nullptr;
    QCheckBox* check = nullptr;
    QComboBox* combo = nullptr;
    QPushButton* colour = nullptr;
    std::vector<QLineEdit*> mask;
  };

  void BuildControls(const LanguagePack& pack);
  QWidget* MakeRow(Control& c, int index);
  void ShowValue(Control& c);
  void OnChanged(int param, bool now, bool preset = false);
  void ApplyPreset(const EffectPreset& preset);
  void ChooseColour(int param);
  void Follow(const RenderSchedule::Step& step);
  void Render();
  int ParamByName(const char* cliName) const;

  EffectSession& session_;
  const EffectCommand& command_;
  std::function<void()> repaint_;
  EffectValues values_;
  std::vector<Control> controls_;
  std::vector<QPushButton*> presets_;
  RenderSchedule schedule_;
  QTimer setupTimer_;
  QTimer renderTimer_;
  bool loading_ = false;
};

}  // namespace morvane
