// The decisions behind the effect dialogs: when a preview renders (set-up, debounce, Apply and
// Cancel), and how the dialogs' values are stored and read back, hostile stored values included.
#include <gtest/gtest.h>

#include "shell/effect_catalogue.h"
#include "shell/render_schedule.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

using Step = RenderSchedule::Step;

TEST(RenderSchedule, ImmediateDialogsRenderOnOpeningAndOnEveryChange) {
  RenderSchedule s(false);
  EXPECT_TRUE(s.Opened().render);
  EXPECT_TRUE(s.Changed().render);
  EXPECT_TRUE(s.ChangedNow().render);
  const Step apply = s.Apply();
  EXPECT_FALSE(apply.render);  // nothing pending: the preview on the image is the result
  EXPECT_FALSE(s.Changed().render);
}

TEST(RenderSchedule, NothingRendersBeforeTheSetupWhichEndsWithOneRender) {
  RenderSchedule s(true);
  const Step opened = s.Opened();
  EXPECT_FALSE(opened.render);
  EXPECT_EQ(opened.setupTimerMs, RenderSchedule::kSetupDelayMs);
  // Changes and even a render timer firing before the set-up do nothing yet.
  EXPECT_FALSE(s.Changed().render);
  EXPECT_FALSE(s.ChangedNow().render);
  EXPECT_FALSE(s.RenderFired().render);
  const Step setup = s.SetupFired();
  EXPECT_TRUE(setup.render);
  EXPECT_EQ(setup.renderTimerMs, 0);  // a pending debounce is folded into this render
  EXPECT_FALSE(s.RenderFired().render);
  EXPECT_FALSE(s.SetupFired().render);  // the set-up runs once
}

TEST(RenderSchedule, ChangesAreDebouncedAndPresetsWaitLess) {
  RenderSchedule s(true);
  s.Opened();
  s.SetupFired();
  Step a = s.Changed();
  EXPECT_FALSE(a.render);
  EXPECT_EQ(a.renderTimerMs, RenderSchedule::kChangeDelayMs);
  EXPECT_EQ(s.Changed(true).renderTimerMs, RenderSchedule::kPresetDelayMs);
  EXPECT_TRUE(s.RenderFired().render);
  EXPECT_FALSE(s.RenderFired().render);  // one render per burst
  EXPECT_TRUE(s.ChangedNow().render);    // colours and toggles do not wait
}

TEST(RenderSchedule, ApplyWithinTheDelayRendersThePendingValuesFirst) {
  RenderSchedule s(true);
  s.Opened();
  s.SetupFired();
  s.Changed();
  const Step apply = s.Apply();
  EXPECT_TRUE(apply.render);
  EXPECT_EQ(apply.renderTimerMs, 0);
  EXPECT_FALSE(s.RenderFired().render);

  // Applied before the set-up: the set-up is run at once with the values.
  RenderSchedule early(true);
  early.Opened();
  const Step first = early.Apply();
  EXPECT_TRUE(first.render);
  EXPECT_EQ(first.setupTimerMs, 0);
}

TEST(RenderSchedule, CancelStopsEveryTimerSoNothingRendersIntoRestoredImages) {
  RenderSchedule s(true);
  s.Opened();
  s.Changed();
  const Step close = s.Close();
  EXPECT_EQ(close.setupTimerMs, 0);
  EXPECT_EQ(close.renderTimerMs, 0);
  EXPECT_FALSE(s.SetupFired().render);
  EXPECT_FALSE(s.RenderFired().render);
  EXPECT_FALSE(s.Changed().render);
  EXPECT_FALSE(s.Apply().render);
}

TEST(EffectCatalogue, EveryCommandNamesAnEffectAndEveryDialogHasItsSection) {
  int dialogs = 0;
  for (const EffectCommand& c : EffectCommands()) {
    const EffectInfo* e = FindEffect(c.cliName);
    ASSERT_NE(e, nullptr) << c.cliName;
    EXPECT_EQ(c.languageSection != nullptr, e->settingsSection != nullptr) << c.cliName;
    for (const EffectPreset& p : c.presets) {
      for (const PresetValue& v : p.values) EXPECT_GE(FindParam(*e, v.param), 0) << v.param;
    }
    if (c.languageSection) ++dialogs;
  }
  EXPECT_EQ(dialogs, 16);
  EXPECT_EQ(EffectCommands().size(), Effects().size());
  EXPECT_EQ(FindEffectCommand(32892)->cliName, std::string_view("blur"));
}

TEST(EffectCatalogue, StoredValuesComeBackAndHostileOnesAreClamped) {
  MemorySettingsStore store;
  Settings settings(store);
  const EffectInfo& shadow = *FindEffect("shadow");
  EffectValues v = ReadEffectValues(settings, shadow);
  EXPECT_EQ(v, (EffectValues{11, 1, 1, 15, 0, 0, 1}));  // the defaults
  v = {100, -16, 16, 0, 0x123456, 1, 0};
  WriteEffectValues(settings, shadow, v);
  EXPECT_EQ(settings.read_int("Effect shadow dialog", "X offset", 0), -16);
  EXPECT_EQ(ReadEffectValues(settings, shadow), v);

  settings.write_int("Effect shadow dialog", "Blur", 5000);
  settings.write_int("Effect shadow dialog", "Color", -1);  // 0xFFFFFFFF as the store keeps it
  v = ReadEffectValues(settings, shadow);
  EXPECT_EQ(v[0], 100);
  EXPECT_EQ(v[4], 0xFFFFFF);
}

TEST(EffectCatalogue, CustomBlurWeightsAreStoredAsWholeNumbersAndUnstoredValuesAreNot) {
  MemorySettingsStore store;
  Settings settings(store);
  const EffectInfo& custom = *FindEffect("custom-blur");
  EffectValues v = ReadEffectValues(settings, custom);
  EXPECT_EQ(v, (EffectValues{1, 1, 1, 9, 9, 9, 1, 1, 1, 0, 1}));
  v[0] = 0.5;
  v[4] = -2.75;
  WriteEffectValues(settings, custom, v);
  EXPECT_EQ(settings.read_int("Effect custom blur dialog", "mask.0", 99), 0);
  EXPECT_EQ(settings.read_int("Effect custom blur dialog", "mask.4", 99), -2);

  const EffectInfo& posterize = *FindEffect("posterize");
  WriteEffectValues(settings, posterize, {3});
  EXPECT_EQ(ReadEffectValues(settings, posterize), (EffectValues{16}));
}

TEST(EffectCatalogue, PositionDefaultsLetThePlatformPlaceTheWindow) {
  MemorySettingsStore store;
  Settings settings(store);
  DialogPosition p = ReadDialogPosition(settings, "Effect blur dialog");
  EXPECT_EQ(p.x, -1);
  EXPECT_EQ(p.y, 50);
  WriteDialogPosition(settings, "Effect blur dialog", {120, 340});
  p = ReadDialogPosition(settings, "Effect blur dialog");
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(p.y, 340);
}

}  // namespace
}  // namespace morvane
