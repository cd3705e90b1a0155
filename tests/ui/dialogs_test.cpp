// The main window's dialogs driven without showing them: the live dither dialog, the
// animated-cursor properties and the custom size dialog.
#include <gtest/gtest.h>

#include "shell/language_pack.h"
#include "support/qt_app.h"
#include "ui/ani_properties_dialog.h"
#include "ui/custom_size_dialog.h"
#include "ui/dither_dialog.h"

namespace morvane {
namespace {

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  // A 32 x 32 icon whose pixels run through many colours, so that dithering shows.
  void SetUp() override {
    document_.New(DocumentKind::kIcon);
    CDib& image = document_.CurrentFrame()->image;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        image.SetPixel(
            x, y,
            0xFF000000u | static_cast<Pixel>(x * 8) << 16 | static_cast<Pixel>(y * 8) << 8 | 0x40);
    document_.SetModified(false);
  }

  std::vector<Pixel> Pixels() const {
    const CDib& image = document_.CurrentFrame()->image;
    std::vector<Pixel> out;
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) out.push_back(image.GetPixel(x, y));
    return out;
  }

  LanguagePack pack_;
  IconDocument document_;
};

TEST_F(DialogTest, DitherPreviewsLiveAndCancelRestoresTheImage) {
  const std::vector<Pixel> original = Pixels();
  {
    DitherDialog dialog(pack_, document_, UndoContext{}, nullptr);
    ASSERT_TRUE(dialog.Started());
    const std::vector<Pixel> level0 = Pixels();
    EXPECT_NE(level0, original);  // opening converts at level 0
    dialog.SetLevel(64);
    EXPECT_NE(Pixels(), level0);
    dialog.reject();
  }
  EXPECT_EQ(Pixels(), original);
  EXPECT_EQ(document_.CurrentFrame()->format, ColorFormat::kTrueColorAlpha);
  EXPECT_FALSE(document_.IsModified());
}

TEST_F(DialogTest, DitherApplyKeepsTheResultAsOneUndoStep) {
  const std::vector<Pixel> original = Pixels();
  std::vector<Pixel> applied;
  {
    DitherDialog dialog(pack_, document_, UndoContext{}, nullptr);
    dialog.SetLevel(31);
    applied = Pixels();
    dialog.accept();
  }
  EXPECT_EQ(Pixels(), applied);
  EXPECT_EQ(document_.CurrentFrame()->format, ColorFormat::k16Colors);
  EXPECT_TRUE(document_.IsModified());
  ImageFrame& frame = *document_.CurrentFrame();
  UndoContext context;
  ASSERT_TRUE(frame.history.Undo(frame.image, context));
  EXPECT_EQ(Pixels(), original);
}

TEST_F(DialogTest, ADitherDialogClosedWithoutAnswerLeavesNoPreviewBehind) {
  const std::vector<Pixel> original = Pixels();
  { DitherDialog dialog(pack_, document_, UndoContext{}, nullptr); }
  EXPECT_EQ(Pixels(), original);
}

TEST_F(DialogTest, AniPropertiesShowFramesAndDurationAndApplyTexts) {
  document_.New(DocumentKind::kAnimatedCursor);
  document_.AddImage(32, ColorFormat::kTrueColorAlpha);
  document_.Frame(0).rate = 60;
  document_.Frame(1).rate = 0;
  document_.SetModified(false);
  AniPropertiesDialog dialog(pack_, document_, nullptr);
  EXPECT_EQ(dialog.FramesText(), "Frames: 1");
  // 60 x 0.0162 = 0.972 s, truncated to 0.97.
  EXPECT_EQ(dialog.DurationText(), "Target duration: 0.97");
  dialog.SetTexts("Busy", "Me");
  dialog.accept();
  EXPECT_EQ(document_.Title(), "Busy");
  EXPECT_EQ(document_.Author(), "Me");
  EXPECT_TRUE(document_.IsModified());
}

TEST_F(DialogTest, AniPropertiesCancelChangesNothing) {
  document_.SetTitle("Old");
  AniPropertiesDialog dialog(pack_, document_, nullptr);
  dialog.SetTexts("New", "Someone");
  dialog.reject();
  EXPECT_EQ(document_.Title(), "Old");
  EXPECT_FALSE(document_.IsModified());
}

TEST_F(DialogTest, CustomSizeStartsAtTheFrameSizeWithinTheFrameLimits) {
  CustomSizeDialog dialog(pack_, 48, 300, nullptr);
  EXPECT_EQ(dialog.ChosenWidth(), 48);
  EXPECT_EQ(dialog.ChosenHeight(), 256);
}

}  // namespace
}  // namespace morvane
