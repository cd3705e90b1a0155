// Every effect dialog driven in the real main window: a control moved, Cancel giving the frames
// back bit for bit, Apply leaving one undo step whose image equals what morvane-cli effect makes
// of the same frame with the same parameters, and the stored values coming back next time.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

#include "formats/picture_file.h"
#include "shell/commands.h"
#include "shell/effect_catalogue.h"
#include "shell/settings_main_window.h"
#include "shell/settings_store.h"
#include "support/qt_app.h"
#include "ui/effect_dialog.h"
#include "ui/effects_controller.h"
#include "ui/effects_toolbar.h"
#include "ui/main_window.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

}  // namespace

void PrintTo(const EffectCommand& command, std::ostream* os) {
  *os << command.cliName;
}

namespace {

// A 32 x 32 picture with every kind of pixel: a colour gradient, a half-transparent band, a
// fully transparent border (with colour bytes) and a shape for the shadows and 3D effects.
void Paint(CDib& image, int seed) {
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) {
      Pixel p = 0x00102030u + static_cast<Pixel>(seed);
      if (x >= 6 && x < 26 && y >= 4 && y < 28) {
        const auto r = static_cast<Pixel>(x * 8 + seed);
        const auto g = static_cast<Pixel>(y * 7);
        const auto b = static_cast<Pixel>((x ^ y) * 5);
        const Pixel a = y >= 20 ? 0x80 : 0xFF;
        p = (a << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
      }
      image.Row(y)[x] = p;
    }
  }
}

std::vector<Pixel> PixelsOf(const CDib& image) {
  std::vector<Pixel> out;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) out.push_back(image.Row(y)[x]);
  }
  return out;
}

CDib CopyOf(const CDib& image) {
  CDib copy;
  EXPECT_TRUE(image.CopyTo(copy));
  return copy;
}

// A value for the dialog's first parameter that differs from what it shows.
double MovedValue(const EffectParam& p, double current) {
  switch (p.kind) {
    case ParamKind::kColor:
      return current == 0x4080FF ? 0x20C040 : 0x4080FF;
    case ParamKind::kToggle:
      return current != 0 ? 0 : 1;
    case ParamKind::kMask:
      return current == 5 ? 3 : 5;
    case ParamKind::kInt:
      break;
  }
  const double v = std::round(p.min + (p.max - p.min) * 0.7);
  return v == current ? std::round(p.min + (p.max - p.min) * 0.3) : v;
}

std::string CliValue(const EffectParam& p, const EffectValues& values, int at) {
  char text[32];
  if (p.kind == ParamKind::kColor) {
    const auto v = static_cast<std::uint32_t>(values[static_cast<std::size_t>(at)]);
    std::snprintf(text, sizeof text, "#%02X%02X%02X", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    return text;
  }
  std::string out;
  for (int i = 0; i < p.Count(); ++i) {
    std::snprintf(text, sizeof text, "%.10g", values[static_cast<std::size_t>(at + i)]);
    out += (i > 0 ? "," : "") + std::string(text);
  }
  return out;
}

class EffectDialogsTest : public ::testing::TestWithParam<EffectCommand> {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    settings_.write_int(kRootSection, root_value::kFirstLaunch, 0);
    window_ = std::make_unique<MainWindow>(settings_, pack_);
    Paint(Doc().CurrentFrame()->image, 0);
    effect_ = FindEffect(GetParam().cliName);
    ASSERT_NE(effect_, nullptr);
  }

  IconDocument& Doc() { return window_->Document(); }
  CDib& Image() { return Doc().CurrentFrame()->image; }

  // Adds two frames selected besides the current one.
  void AddExtraFrames() {
    const int current = Doc().Current();
    for (int seed : {40, 80}) {
      Doc().AddFrame(32, 32, ColorFormat::kTrueColorAlpha, nullptr, false);
      Paint(Doc().Frame(Doc().Count() - 1).image, seed);
    }
    const int extras[] = {Doc().Count() - 2, Doc().Count() - 1};
    Doc().SetSelection(current, extras);
    ASSERT_EQ(Doc().Current(), current);
  }

  // Opens the dialog, moves its first control and lets the driver finish it.
  EffectValues Run(const std::function<void(ParamEffectDialog&)>& finish, bool move = true) {
    EffectValues shown;
    window_->Effects()->SetDialogDriver([&](ParamEffectDialog& d) {
      d.FireTimersNow();
      if (move) {
        const EffectParam& p = effect_->params[0];
        d.SetParam(0, MovedValue(p, d.Values()[0]));
        // The custom weights show only once the level leaves 0.
        const int level = FindParam(*effect_, "level");
        if (p.kind == ParamKind::kMask && level >= 0) d.SetParam(level, 200);
        d.FireTimersNow();
      }
      shown = d.Values();
      finish(d);
    });
    EXPECT_TRUE(window_->RunCommand(GetParam().commandId));
    return shown;
  }

  // What morvane-cli effect makes of image with values.
  CDib Cli(const CDib& image, const EffectValues& values) {
    const fs::path in = fs::path(dir_.path().toStdString()) / "in.png";
    const fs::path out = fs::path(dir_.path().toStdString()) / "out.png";
    EXPECT_TRUE(SavePictureFile(in, image).ok());
    QStringList args{"effect", effect_->cliName};
    int at = 0;
    for (const EffectParam& p : effect_->params) {
      args << QString("--") + p.cliName << QString::fromStdString(CliValue(p, values, at));
      at += p.Count();
    }
    args << QString::fromStdString(in.string()) << QString::fromStdString(out.string());
    QProcess cli;
    cli.start(MORVANE_CLI, args);
    EXPECT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    CDib result;
    EXPECT_TRUE(LoadPictureFile(out, result).ok());
    return result;
  }

  QTemporaryDir dir_;
  MemorySettingsStore store_;
  Settings settings_{store_};
  LanguagePack pack_;
  std::unique_ptr<MainWindow> window_;
  const EffectInfo* effect_ = nullptr;
};

TEST_P(EffectDialogsTest, CancelGivesEveryFrameBackBitForBit) {
  AddExtraFrames();
  std::vector<std::vector<Pixel>> before;
  std::vector<int> positions;
  for (int i = 0; i < Doc().Count(); ++i) {
    before.push_back(PixelsOf(Doc().Frame(i).image));
    positions.push_back(Doc().Frame(i).history.Position());
  }
  const bool wasModified = Doc().IsModified();
  bool changed = false;
  Run([&](ParamEffectDialog& d) {
    changed = PixelsOf(Image()) != before[static_cast<std::size_t>(Doc().Current())];
    d.reject();
  });
  EXPECT_TRUE(changed) << "the preview shows on the frame";
  for (int i = 0; i < Doc().Count(); ++i) {
    EXPECT_EQ(PixelsOf(Doc().Frame(i).image), before[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(Doc().Frame(i).history.Position(), positions[static_cast<std::size_t>(i)]) << i;
    EXPECT_FALSE(Doc().Frame(i).history.CanRedo()) << i;
  }
  EXPECT_EQ(Doc().IsModified(), wasModified);
  EXPECT_FALSE(EffectsController::Busy());
}

TEST_P(EffectDialogsTest, ApplyLeavesOneStepEqualToTheCommandLine) {
  AddExtraFrames();
  const CDib original = CopyOf(Image());
  const CDib extraOriginal = CopyOf(Doc().Frame(Doc().Count() - 1).image);
  const int position = Doc().CurrentFrame()->history.Position();
  const EffectValues applied = Run([](ParamEffectDialog& d) { d.accept(); });

  EXPECT_EQ(Doc().CurrentFrame()->history.Position(), position + 1);
  EXPECT_EQ(PixelsOf(Image()), PixelsOf(Cli(original, applied)));
  ImageFrame& extra = Doc().Frame(Doc().Count() - 1);
  if (effect_->multiFrame) {
    EXPECT_EQ(extra.history.Position(), 2);
    EXPECT_EQ(PixelsOf(extra.image), PixelsOf(Cli(extraOriginal, applied)));
  } else {
    EXPECT_EQ(extra.history.Position(), 1);
    EXPECT_EQ(PixelsOf(extra.image), PixelsOf(extraOriginal));
  }
  ASSERT_TRUE(window_->RunCommand(command::kUndo));
  EXPECT_EQ(PixelsOf(Image()), PixelsOf(original));
}

TEST_P(EffectDialogsTest, StoredValuesComeBackOnTheNextOpening) {
  const EffectValues applied = Run([](ParamEffectDialog& d) { d.accept(); });
  EffectValues expected = DefaultValues(*effect_);
  int at = 0;
  for (const EffectParam& p : effect_->params) {
    for (int i = 0; i < p.Count(); ++i, ++at) {
      if (p.valueName != nullptr)
        expected[static_cast<std::size_t>(at)] = applied[static_cast<std::size_t>(at)];
    }
  }
  const EffectValues shown = Run([](ParamEffectDialog& d) { d.reject(); }, false);
  EXPECT_EQ(shown, expected);
}

std::vector<EffectCommand> DialogCommands() {
  std::vector<EffectCommand> out;
  for (const EffectCommand& c : EffectCommands()) {
    if (c.languageSection != nullptr) out.push_back(c);
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, EffectDialogsTest, ::testing::ValuesIn(DialogCommands()),
                         [](const auto& info) {
                           std::string name = info.param.cliName;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace morvane
