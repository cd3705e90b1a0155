// The commands that find and check icons, driven without showing their windows: the object
// search dialog over the shared test data, Stop, filters; the options dialog; the preview pane's
// choice of frames and the cursor test area's pointer; the check report. With
// MORVANE_SCREENSHOT_DIR set, the options dialog, the preview pane and the check report are also
// written there as PNG files to look at.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <iostream>

#include "shell/document_check.h"
#include "shell/language_pack.h"
#include "shell/settings_store.h"
#include "support/qt_app.h"
#include "ui/check_icon_dialog.h"
#include "ui/main_window.h"
#include "ui/object_search_dialog.h"
#include "ui/options_dialog.h"
#include "ui/preview_pane.h"

namespace morvane {
namespace {

class InspectionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  // Adds a square frame filled with colour; its alpha shows in the corner pixel only.
  void AddFrame(int side, ColorFormat format, Pixel colour = 0xFF2060C0) {
    CDib image;
    ASSERT_TRUE(image.Create(side, side));
    image.Fill(colour);
    image.SetPixel(0, 0, 0);
    ASSERT_EQ(document_.AddFrame(side, side, format, &image, false).status, FrameStatus::kOk);
  }

  void Shoot(QWidget& widget, const char* name) {
    const QByteArray dir = qgetenv("MORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    widget.show();
    QCoreApplication::processEvents();
    widget.grab().save(QDir(QString::fromUtf8(dir)).filePath(name));
  }

  LanguagePack pack_;
  IconDocument document_;
};

TEST_F(InspectionTest, SearchDialogListsTheSharedTestDataAndFilters) {
  std::string opened;
  ObjectSearchDialog dialog(pack_, MORVANE_TESTDATA_DIR,
                            [&](const std::string& path) { opened = path; });
  dialog.StartSearch();
  EXPECT_TRUE(dialog.Searching());
  dialog.WaitUntilDone();
  EXPECT_EQ(dialog.Counts().found, 43);
  EXPECT_EQ(dialog.ListedCount(), 43);
  EXPECT_EQ(dialog.Counts().damagedFiles, 4);
  Shoot(dialog, "object_search.png");
}

TEST_F(InspectionTest, StopEndsTheSearchPromptly) {
  ObjectSearchDialog dialog(pack_, MORVANE_TESTDATA_DIR, {});
  dialog.StartSearch();
  QThread::msleep(20);
  QElapsedTimer timer;
  timer.start();
  dialog.StopSearch();
  dialog.WaitUntilDone();
  // Reported, not asserted: timings belong to benchmarks.
  std::cout << "search stopped after " << timer.elapsed() << " ms\n";
  EXPECT_FALSE(dialog.Searching());
  EXPECT_LT(dialog.Counts().found, 43);
}

TEST_F(InspectionTest, OptionsDialogEditsTheValuesItWasGiven) {
  OptionsValues values;
  values.alphaLevel = 40;
  values.matteColor = 0x123456;
  values.editBackground = 0xABCDEF;
  values.showGrid = true;
  values.language = "English";
  OptionsDialog dialog(pack_, values, {});
  const OptionsValues back = dialog.Values();
  EXPECT_EQ(back.alphaLevel, 40);
  EXPECT_EQ(back.matteColor, 0x123456u);
  EXPECT_EQ(back.editBackground, 0xABCDEFu);
  EXPECT_TRUE(back.showGrid);
  EXPECT_EQ(back.language, "English");
  Shoot(dialog, "options_dialog.png");
}

TEST_F(InspectionTest, PreviewPicksTheFrameTheSystemWould) {
  document_.New(DocumentKind::kIcon);
  document_.RemoveAllFrames();
  EXPECT_EQ(PickFrameForSide(document_, 16), -1);
  AddFrame(16, ColorFormat::k256Colors);
  AddFrame(16, ColorFormat::kTrueColorAlpha);
  AddFrame(48, ColorFormat::kTrueColorAlpha);
  AddFrame(32, ColorFormat::kTrueColorAlpha);
  EXPECT_EQ(PickFrameForSide(document_, 16), 1);  // exact, the richest format
  EXPECT_EQ(PickFrameForSide(document_, 24), 3);  // the smallest larger one
  EXPECT_EQ(PickFrameForSide(document_, 96), 2);  // nothing larger: the largest
}

TEST_F(InspectionTest, CursorTestAreaPointsWithTheHotspotAndAnimates) {
  document_.New(DocumentKind::kCursor);
  document_.SetHotspot({3, 4});
  CursorTestArea area(pack_);
  area.SetDocument(&document_);
  EXPECT_EQ(area.ShownFrame(), 0);
  EXPECT_EQ(area.cursor().hotSpot(), QPoint(3, 4));

  document_.SetKind(DocumentKind::kAnimatedCursor);
  AddFrame(32, ColorFormat::kTrueColorAlpha, 0xFFFF0000);
  for (int i = 0; i < document_.Count(); ++i) document_.Frame(i).rate = 1;
  area.SetDocument(&document_);
  EXPECT_EQ(area.ShownFrame(), 0);
  QElapsedTimer timer;
  timer.start();
  while (area.ShownFrame() == 0 && timer.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(area.ShownFrame(), 1);
}

TEST_F(InspectionTest, CheckReportsTheDocumentAsSaveWritesIt) {
  document_.New(DocumentKind::kCursor);
  document_.SetHotspot({40, 2});
  Result<LintReport> report = CheckDocument(document_, {});
  ASSERT_TRUE(report.ok());
  EXPECT_TRUE(report->Has("hotspot-outside"));
  LintOptions favicon;
  favicon.requiredSizes = {48, 32, 16};
  CheckIconDialog dialog(pack_,
                         [&](const LintOptions& o) { return CheckDocument(document_, {}, o); });
  EXPECT_EQ(dialog.FindingCount(), 1);
  EXPECT_EQ(CheckDocument(document_, {}, favicon)->Count(LintLevel::kWarning), 2);
  Shoot(dialog, "check_icon.png");

  document_.SetHotspot({5, 5});
  EXPECT_TRUE(CheckDocument(document_, {})->findings.empty());
}

TEST_F(InspectionTest, PreviewPaneScreenshot) {
  document_.New(DocumentKind::kCursor);
  document_.SetHotspot({0, 0});
  document_.RemoveAllFrames();
  for (int side : {16, 32, 48}) AddFrame(side, ColorFormat::kTrueColorAlpha, 0xFFE08020);
  // A ring, so that scaling and the backgrounds show.
  for (int i = 0; i < document_.Count(); ++i) {
    CDib& image = document_.Frame(i).image;
    const int n = image.GetWidth();
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) {
        const int dx = 2 * x + 1 - n;
        const int dy = 2 * y + 1 - n;
        const int d = dx * dx + dy * dy;
        if (d > n * n)
          image.SetPixel(x, y, 0);
        else if (d < n * n / 3)
          image.SetPixel(x, y, 0x802060C0);
      }
    }
  }
  PreviewPane pane(pack_);
  pane.SetDocument(&document_);
  pane.resize(pane.sizeHint().expandedTo(QSize(560, 640)));
  Shoot(pane, "preview_pane.png");
}

TEST_F(InspectionTest, MainWindowWiresTheCommands) {
  MemorySettingsStore store;
  Settings settings(store);
  settings.write_int("", "First launch", 0);
  MainWindow window(settings, pack_);
  window.resize(1100, 700);
  ASSERT_TRUE(
      window.OpenPath(std::string(MORVANE_TESTDATA_DIR) + "/ico/go-ico/testdata/cursor.cur"));
  ASSERT_TRUE(window.RunCommand(command::kPreviewPane));
  QAction* toggle = window.Action(command::kPreviewPane);
  ASSERT_NE(toggle, nullptr);
  window.UpdateCommands();
  EXPECT_TRUE(toggle->isChecked());
  Shoot(window, "main_window_preview.png");
  ASSERT_TRUE(window.RunCommand(command::kPreviewPane));
  window.UpdateCommands();
  EXPECT_FALSE(toggle->isChecked());
}

}  // namespace
}  // namespace morvane
