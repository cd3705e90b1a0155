// The behaviour of the effect dialogs' own controls and of the commands around them: the offset
// link, Reset and XP Style, label clicks, the delayed 3D renders against Apply and Cancel, the
// remembered window position, the busy flag, the accelerators and the effects toolbar.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include "editing/canvas_session.h"
#include "shell/commands.h"
#include "shell/effect_catalogue.h"
#include "shell/settings_main_window.h"
#include "shell/settings_store.h"
#include "support/qt_app.h"
#include "ui/draw_controller.h"
#include "ui/effect_dialog.h"
#include "ui/effects_controller.h"
#include "ui/effects_toolbar.h"
#include "ui/main_window.h"

namespace morvane {
namespace {

std::vector<Pixel> PixelsOf(const CDib& image) {
  std::vector<Pixel> out;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) out.push_back(image.Row(y)[x]);
  }
  return out;
}

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class EffectControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    settings_.write_int(kRootSection, root_value::kFirstLaunch, 0);
    window_ = std::make_unique<MainWindow>(settings_, pack_);
    CDib& image = Image();
    for (int y = 8; y < 24; ++y) {
      for (int x = 10; x < 22; ++x)
        image.Row(y)[x] = 0xFF000000u | static_cast<Pixel>(x * 9 << 8 | y * 5);
    }
  }

  CDib& Image() { return window_->Document().CurrentFrame()->image; }

  void Open(int command, const std::function<void(ParamEffectDialog&)>& drive) {
    window_->Effects()->SetDialogDriver(drive);
    ASSERT_TRUE(window_->RunCommand(command));
  }

  // A parameter's index in the dialog's effect, found by the dialog's settings section.
  static int Param(ParamEffectDialog& d, const char* name) {
    for (const EffectInfo& e : Effects()) {
      if (e.settingsSection != nullptr && d.Section() == e.settingsSection) {
        return FindParam(e, name);
      }
    }
    return -1;
  }

  MemorySettingsStore store_;
  Settings settings_{store_};
  LanguagePack pack_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(EffectControlsTest, TheOffsetLinkMirrorsSilentlyAndCanBeUndone) {
  Open(32890, [](ParamEffectDialog& d) {
    const int x = Param(d, "x-offset");
    const int y = Param(d, "y-offset");
    const int link = Param(d, "link");
    ASSERT_EQ(d.Values()[static_cast<std::size_t>(link)], 1);  // linked by default
    QSlider* xs = d.Slider(x);
    QSlider* ys = d.Slider(y);
    QObject::connect(ys, &QSlider::valueChanged, [] { ADD_FAILURE() << "the mirror notified"; });
    d.SetParam(x, -7);
    EXPECT_EQ(ys->value(), -7);
    EXPECT_EQ(d.ValueLabel(y)->text(), "-7");
    EXPECT_EQ(d.Values()[static_cast<std::size_t>(y)], -7);
    d.SetParam(link, 0);
    QObject::disconnect(ys, nullptr, nullptr, nullptr);
    d.SetParam(x, 3);
    EXPECT_EQ(ys->value(), -7);
    EXPECT_EQ(xs->value(), 3);
    d.reject();
  });
}

TEST_F(EffectControlsTest, ResetSetsItsValuesAndBevelKeepsInside) {
  Open(32890, [](ParamEffectDialog& d) {
    d.SetParam(Param(d, "blur"), 70);
    d.SetParam(Param(d, "inner"), 1);
    d.SetParam(Param(d, "transparency"), 80);
    ASSERT_NE(d.PresetButton(0), nullptr);
    d.PresetButton(0)->click();
    EXPECT_EQ(d.Values(), (EffectValues{11, 1, 1, 15, 0, 0, 1}));
    EXPECT_EQ(d.Slider(Param(d, "blur"))->value(), 11);
    d.reject();
  });
  Open(32891, [](ParamEffectDialog& d) {
    d.SetParam(Param(d, "inner"), 1);
    d.SetParam(Param(d, "blur"), 90);
    d.PresetButton(0)->click();
    EXPECT_EQ(d.Values()[static_cast<std::size_t>(Param(d, "blur"))], 6);
    EXPECT_EQ(d.Values()[static_cast<std::size_t>(Param(d, "inner"))], 1);
    d.reject();
  });
}

TEST_F(EffectControlsTest, ClickingASliderLabelResetsThatSlider) {
  Open(32887, [](ParamEffectDialog& d) {
    d.SetParam(0, 40);
    d.SetParam(1, -30);
    QLabel* label = d.ParamLabel(0);
    QMouseEvent press(QEvent::MouseButtonRelease, QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    EXPECT_EQ(d.Slider(0)->value(), 0);
    EXPECT_EQ(d.Slider(1)->value(), -30);
    d.reject();
  });
}

TEST_F(EffectControlsTest, ApplyWithinTheDelayKeepsTheLatestValuesNotAStalePreview) {
  CDib original;
  ASSERT_TRUE(Image().CopyTo(original));
  EffectValues applied;
  Open(33069, [&](ParamEffectDialog& d) {
    EXPECT_FALSE(d.Schedule().Ready());
    d.FireTimersNow();  // the set-up
    d.SetParam(Param(d, "angle-y"), 40);
    d.FireTimersNow();
    d.SetParam(Param(d, "angle-x"), -25);  // still waiting for its timer
    EXPECT_TRUE(d.Schedule().Pending());
    applied = d.Values();
    d.accept();
  });
  CDib expected;
  ASSERT_TRUE(original.CopyTo(expected));
  FindEffect("3d-rotate")->run(expected, Rect::Whole(), applied);
  EXPECT_EQ(PixelsOf(Image()), PixelsOf(expected));
}

TEST_F(EffectControlsTest, CancelStopsTheTimersSoNothingRendersIntoTheRestoredImage) {
  const std::vector<Pixel> before = PixelsOf(Image());
  Open(33069, [](ParamEffectDialog& d) {
    d.FireTimersNow();
    d.SetParam(Param(d, "angle-z"), 30);
    d.reject();
  });
  Wait(700);
  EXPECT_EQ(PixelsOf(Image()), before);
}

TEST_F(EffectControlsTest, XpStyleSetsItsPresetAndRendersOnce) {
  Open(33069, [](ParamEffectDialog& d) {
    d.FireTimersNow();
    ASSERT_NE(d.PresetButton(1), nullptr);
    EXPECT_EQ(d.PresetButton(1)->text(), "XP Style");
    d.PresetButton(1)->click();
    EXPECT_EQ(d.Values(), (EffectValues{0, -15, 0, 0, 100, 90, 95}));
    EXPECT_TRUE(d.Schedule().Pending());
    d.FireTimersNow();
    EXPECT_FALSE(d.Schedule().Pending());
    d.reject();
  });
}

TEST_F(EffectControlsTest, TheDialogReopensWhereItWasLeft) {
  Open(32892, [](ParamEffectDialog& d) {
    d.move(140, 120);
    d.reject();
  });
  EXPECT_EQ(settings_.read_int("Effect blur dialog", "X", -1), 140);
  QPoint at;
  Open(32892, [&](ParamEffectDialog& d) {
    at = d.pos();
    d.reject();
  });
  EXPECT_EQ(at, QPoint(140, 120));
}

TEST_F(EffectControlsTest, ASecondEffectWhileOneRunsIsIgnored) {
  Open(32887, [this](ParamEffectDialog& d) {
    EXPECT_TRUE(EffectsController::Busy());
    EXPECT_FALSE(window_->Effects()->RunEffect(32892));
    EXPECT_FALSE(window_->Effects()->Toolbar()->isEnabled());
    d.reject();
  });
  EXPECT_FALSE(EffectsController::Busy());
  EXPECT_TRUE(window_->Effects()->Toolbar()->isEnabled());
}

TEST_F(EffectControlsTest, CancelLeavesAnUnmodifiedDocumentUnmodified) {
  window_->Document().SetModified(false);
  Open(32888, [](ParamEffectDialog& d) {
    d.SetParam(0, 120);
    d.reject();
  });
  EXPECT_FALSE(window_->Document().IsModified());
  Open(32888, [](ParamEffectDialog& d) { d.accept(); });
  EXPECT_TRUE(window_->Document().IsModified());
}

TEST_F(EffectControlsTest, ATurnOfAFloatingSelectionTurnsTheSelectionAndUndoesInOneStep) {
  CDib picture;
  ASSERT_TRUE(picture.Create(4, 2));
  for (int x = 0; x < 4; ++x) {
    picture.Row(0)[x] = 0xFF000010u + static_cast<Pixel>(x);
    picture.Row(1)[x] = 0xFF000020u + static_cast<Pixel>(x);
  }
  CanvasSession& session = window_->Drawing()->Session();
  ASSERT_TRUE(session.Paste(std::move(picture)));
  const SelectionModel& model = session.SelectionState();
  ASSERT_TRUE(model.IsFloating());
  const std::vector<Pixel> frameBefore = PixelsOf(Image());

  ASSERT_TRUE(window_->RunCommand(32896));  // Rotate 90 CW
  ASSERT_EQ(model.Floating().GetWidth(), 2);
  ASSERT_EQ(model.Floating().GetHeight(), 4);
  EXPECT_EQ(model.Rectangle(), (Rect{0, 0, 2, 4}));
  // Clockwise: the bottom row becomes the left column, read upwards.
  EXPECT_EQ(model.Floating().Row(0)[0], 0xFF000020u);
  EXPECT_EQ(model.Floating().Row(0)[1], 0xFF000010u);
  EXPECT_EQ(PixelsOf(Image()), frameBefore);

  ASSERT_TRUE(window_->RunCommand(command::kUndo));
  EXPECT_EQ(session.SelectionState().Floating().GetWidth(), 4);
  EXPECT_EQ(session.SelectionState().Rectangle(), (Rect{0, 0, 4, 2}));
}

TEST_F(EffectControlsTest, AnInPlaceSelectionConfinesADialogEffect) {
  CanvasSession& session = window_->Drawing()->Session();
  EditCanvas& canvas = session.Canvas();
  canvas.SetTool(static_cast<int>(CanvasTool::kSelect));
  canvas.Press({10, 8}, MouseButton::kLeft);
  canvas.Move({14, 12});
  canvas.Release({14, 12}, MouseButton::kLeft);
  canvas.SetTool(static_cast<int>(CanvasTool::kPen));
  ASSERT_TRUE(session.HasSelection());
  ASSERT_FALSE(session.SelectionState().IsFloating());
  const Rect r = session.SelectionState().Rectangle();
  CDib before;
  ASSERT_TRUE(Image().CopyTo(before));

  Open(33025, [](ParamEffectDialog& d) {  // Opacity
    d.SetParam(0, -50);
    d.accept();
  });
  int changed = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Pixel was = before.Row(y)[x];
      const Pixel now = Image().Row(y)[x];
      if (r.Contains(x, y) && (was >> 24) != 0) {
        // -50 lowers alpha by truncate(-50 x 255 / 100) = 127.
        EXPECT_EQ(now, (was & 0xFFFFFF) | (((was >> 24) - 127) << 24)) << x << "," << y;
        ++changed;
      } else {
        EXPECT_EQ(now, was) << x << "," << y;
      }
    }
  }
  EXPECT_GT(changed, 0);
}

TEST_F(EffectControlsTest, AcceleratorsAndParameterlessCommands) {
  EXPECT_EQ(window_->Action(32887)->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(window_->Action(32888)->shortcut(), QKeySequence(Qt::Key_F6));
  EXPECT_EQ(window_->Action(32892)->shortcut(), QKeySequence(Qt::Key_F7));
  const std::vector<Pixel> before = PixelsOf(Image());
  ASSERT_TRUE(window_->RunCommand(33024));  // Invert
  ASSERT_TRUE(window_->RunCommand(33024));
  EXPECT_EQ(PixelsOf(Image()), before);
  EXPECT_EQ(window_->Document().CurrentFrame()->history.Position(), 3);
}

TEST_F(EffectControlsTest, TheToolbarRunsEffectsAndRemembersItsClosing) {
  EffectsToolbar* bar = window_->Effects()->Toolbar();
  for (int id : {32887, 32888, 32890, 32891, 32892, 33046, 32894, 32895, 32897, 32896}) {
    ASSERT_NE(bar->Button(id), nullptr) << id;
    EXPECT_FALSE(bar->Button(id)->icon().isNull()) << id;
  }
  int actions = 0;
  for (QAction* a : bar->OtherMenu()->actions()) actions += a->isSeparator() ? 0 : 1;
  EXPECT_EQ(actions, 12);

  bool opened = false;
  window_->Effects()->SetDialogDriver([&](ParamEffectDialog& d) {
    opened = d.Section() == "Effect blur dialog" && d.windowTitle() == "Blur image";
    d.reject();
  });
  bar->Button(32892)->click();
  EXPECT_TRUE(opened);

  window_->RunCommand(32908);
  EXPECT_TRUE(bar->isVisible());
  bar->close();
  EXPECT_EQ(settings_.read_int("Effects toolbar", "Show", 1), 0);
}

}  // namespace
}  // namespace morvane
