// The library manager and the export commands through the main window, with scripted answers.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include "formats/icl_reader.h"
#include "formats/icl_writer.h"
#include "formats/picture_file.h"
#include "shell/commands.h"
#include "shell/language_pack.h"
#include "shell/settings_qt_store.h"
#include "support/files.h"
#include "support/qt_app.h"
#include "ui/export_controller.h"
#include "ui/import_controller.h"
#include "ui/library_controller.h"
#include "ui/library_window.h"
#include "ui/main_window.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

class Answers : public Prompts {
 public:
  std::deque<QMessageBox::StandardButton> answers;
  std::vector<QString> questions;
  std::vector<QString> errors;
  std::vector<QString> infos;
  std::deque<QString> savePaths;

  QMessageBox::StandardButton Ask(QWidget*, const QString& text,
                                  QMessageBox::StandardButtons) override {
    questions.push_back(text);
    if (answers.empty()) return QMessageBox::Cancel;
    const auto a = answers.front();
    answers.pop_front();
    return a;
  }
  void ShowError(QWidget*, const QString&, const QString& text) override { errors.push_back(text); }
  void ShowInfo(QWidget*, const QString& text) override { infos.push_back(text); }
  QString ChooseSavePath(QWidget*, const QString&, const QString&, const QString&) override {
    if (savePaths.empty()) return {};
    const QString path = savePaths.front();
    savePaths.pop_front();
    return path;
  }
};

class LibraryExportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }
  void SetUp() override {
    if (!store_) {
      store_ = std::make_unique<QtSettingsStore>(Temp("set.ini"));
      settings_ = std::make_unique<Settings>(*store_);
    }
    window_ = std::make_unique<MainWindow>(*settings_, pack_);
    auto answers = std::make_unique<Answers>();
    answers_ = answers.get();
    window_->SetPrompts(std::move(answers));
  }
  fs::path Temp(const std::string& name) const {
    return fs::path(dir_.path().toStdString()) / name;
  }
  IconDocument& Doc() { return window_->Document(); }
  LibrarySession& Session() { return window_->Library().Session(); }
  bool Enabled(int id) {
    window_->UpdateCommands();
    return window_->Action(id) && window_->Action(id)->isEnabled();
  }

  QTemporaryDir dir_;
  LanguagePack pack_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<MainWindow> window_;
  Answers* answers_ = nullptr;
};

TEST_F(LibraryExportTest, TheExportCommandsFollowSaveImageListInTheFileMenu) {
  QMenu* file = window_->menuBar()->actions().front()->menu();
  ASSERT_NE(file, nullptr);
  const QList<QAction*> actions = file->actions();
  const auto at = [&](int id) { return actions.indexOf(window_->Action(id)); };
  ASSERT_GE(at(command::kSaveImageList), 0);
  EXPECT_EQ(at(command::kExportPng), at(command::kSaveImageList) + 1);
  EXPECT_EQ(at(command::kExportGif), at(command::kSaveImageList) + 2);
  EXPECT_EQ(at(command::kExportPngGif), at(command::kSaveImageList) + 3);
  EXPECT_EQ(window_->Action(command::kExportPngGif)->text(), "Export PNG && GIF");
}

TEST_F(LibraryExportTest, ANewLibrarySavedAtOnceAsksForANameAndHoldsTheDocument) {
  Doc().AddFrame(16, 16, ColorFormat::k256Colors, nullptr, false);
  ASSERT_TRUE(window_->RunCommand(command::kNewLibrary));
  EXPECT_TRUE(Session().IsNew());
  answers_->savePaths = {QString::fromStdString(Temp("mine").string())};
  ASSERT_TRUE(window_->RunCommand(command::kSaveLibrary));
  IconLibrary read;
  ASSERT_EQ(ReadLibrary(Temp("mine.icl"), read).groups, 1);
  EXPECT_EQ(read.images.size(), 2u);
  EXPECT_EQ(Doc().FileName(), Temp("mine.icl").string());
  EXPECT_FALSE(Session().Library().modified);
}

TEST_F(LibraryExportTest, DeleteNeedsASelectedGroupAndMoreThanOne) {
  ASSERT_TRUE(window_->RunCommand(command::kNewLibrary));
  LibraryWindow* library = window_->Library().Window();
  ASSERT_NE(library, nullptr);
  EXPECT_FALSE(Enabled(command::kDeleteIconFromLibrary));  // one group
  ASSERT_TRUE(window_->RunCommand(command::kAddIconToLibrary));
  library->List()->clearSelection();
  EXPECT_FALSE(Enabled(command::kDeleteIconFromLibrary));  // nothing selected
  EXPECT_FALSE(library->Button(LibraryWindow::kDelete)->isEnabled());
  library->List()->setCurrentRow(0);
  EXPECT_TRUE(Enabled(command::kDeleteIconFromLibrary));
  EXPECT_TRUE(library->Button(LibraryWindow::kDelete)->isEnabled());
  EXPECT_FALSE(library->StatusText().isEmpty());
  answers_->answers = {QMessageBox::Yes};
  ASSERT_TRUE(window_->RunCommand(command::kDeleteIconFromLibrary));
  EXPECT_EQ(Session().Library().groupCount, 1);
}

TEST_F(LibraryExportTest, AFailedSaveKeepsTheLibraryWhenANewOneWasAskedFor) {
  ASSERT_TRUE(window_->RunCommand(command::kNewLibrary));
  ASSERT_TRUE(window_->RunCommand(command::kAddIconToLibrary));
  const int groups = Session().Library().groupCount;
  // Yes, save it; the chosen folder does not exist, so the save fails.
  answers_->answers = {QMessageBox::Yes};
  answers_->savePaths = {QString::fromStdString(Temp("missing/lib.icl").string())};
  window_->RunCommand(command::kNewLibrary);
  EXPECT_EQ(answers_->errors.size(), 1u);
  EXPECT_EQ(Session().Library().groupCount, groups);
  EXPECT_TRUE(Session().Library().modified);
  // Cancelled in the save dialog: the same.
  answers_->answers = {QMessageBox::Yes};
  window_->RunCommand(command::kNewLibrary);
  EXPECT_EQ(Session().Library().groupCount, groups);
}

TEST_F(LibraryExportTest, ASaveInProgressLocksTheLibraryAndCanBeCancelled) {
  ASSERT_TRUE(window_->RunCommand(command::kNewLibrary));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(window_->RunCommand(command::kAddIconToLibrary));
  bool checked = false;
  // Runs inside the save, from the events it pumps between images.
  QTimer::singleShot(0, [&] {
    checked = true;
    EXPECT_TRUE(Session().Busy());
    EXPECT_FALSE(Enabled(command::kAddIconToLibrary));
    EXPECT_FALSE(Enabled(command::kNewLibrary));
    EXPECT_FALSE(window_->RunCommand(command::kOpenLibrary));
    EXPECT_FALSE(window_->Library().CloseLibrary());
    auto* progress = window_->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    progress->cancel();
  });
  answers_->savePaths = {QString::fromStdString(Temp("big.icl").string())};
  EXPECT_FALSE(window_->RunCommand(command::kSaveLibrary) && fs::exists(Temp("big.icl")));
  EXPECT_TRUE(checked);
  EXPECT_FALSE(fs::exists(Temp("big.icl")));
  EXPECT_TRUE(Session().Library().modified);
  EXPECT_TRUE(Session().IsNew());
  EXPECT_TRUE(answers_->errors.empty());  // cancelled, not failed
  EXPECT_FALSE(Session().Busy());
  EXPECT_TRUE(Enabled(command::kAddIconToLibrary));
}

TEST_F(LibraryExportTest, SavingTheCurrentImageOverTheOpenDocumentNamesItAndNoKeepsIt) {
  const fs::path own = Temp("many.ico");
  Doc().AddFrame(16, 16, ColorFormat::kTrueColorAlpha, nullptr, false);
  ASSERT_TRUE(window_->SaveTo(own.string()));
  const auto before = testing::ReadAll(own);
  window_->Export().SetChooser(
      [&](const QString&, const std::vector<ExportFileType>&, const std::string& name, int index) {
        EXPECT_EQ(name, own.string());
        EXPECT_EQ(index, 1);
        return std::optional<ExportChoice>(ExportChoice{name, 1});
      });
  answers_->answers = {QMessageBox::No};
  EXPECT_FALSE(window_->Export().SaveCurrentImageCommand());
  ASSERT_EQ(answers_->questions.size(), 1u);
  EXPECT_TRUE(answers_->questions[0].contains("open document"));
  EXPECT_TRUE(answers_->questions[0].contains("2 images"));
  EXPECT_EQ(testing::ReadAll(own), before);
  // A stored type index beyond the list is clamped before the dialog sees it.
  settings_->write_int("", "Last save image format", 77);
  window_.reset();
  SetUp();
  int seen = 0;
  window_->Export().SetChooser(
      [&](const QString&, const std::vector<ExportFileType>& types, const std::string&, int index) {
        seen = index;
        EXPECT_EQ(index, static_cast<int>(types.size()));
        return std::optional<ExportChoice>();
      });
  EXPECT_FALSE(window_->Export().SaveCurrentImageCommand());
  EXPECT_EQ(seen, 5);
}

TEST_F(LibraryExportTest, ImportFromTheMenuBrowsesAFolderAndAddsTheImageAsAFrame) {
  CDib picture;
  ASSERT_TRUE(picture.Create(64, 32));
  picture.Fill(0xFF00AA00);
  ASSERT_TRUE(SavePictureFile(Temp("green.png"), picture).ok());
  testing::WriteAll(Temp("notes.txt"), {'x'});
  const int before = Doc().Count();
  int listed = -1;
  window_->Import().SetRunner([&](ImportDialog& dialog) -> std::optional<CDib> {
    auto* files = dialog.findChild<QTreeWidget*>();
    if (!files) return std::nullopt;
    // Browse the folder: only the picture is listed; choosing it loads it.
    files->clear();
    dialog.ShowFolder(QString::fromStdString(dir_.path().toStdString()));
    listed = files->topLevelItemCount();
    if (listed < 1) return std::nullopt;
    files->setCurrentItem(files->topLevelItem(0));
    dialog.SetIconSize(16);
    dialog.ChooseRegion({0, 0, 64, 32});
    CDib image;
    if (!dialog.Preview().CopyTo(image, CDib::CopyMode::kRecreate)) return std::nullopt;
    return image;
  });
  ASSERT_TRUE(window_->RunCommand(command::kImportFromImage));
  EXPECT_EQ(listed, 1);
  ASSERT_EQ(Doc().Count(), before + 1);
  EXPECT_EQ(Doc().Current(), before);
  const CDib& frame = Doc().Frame(before).image;
  EXPECT_EQ(frame.GetWidth(), 16);
  // 64 x 32 into 16 keeps its proportion: rows 4 to 11.
  EXPECT_EQ(frame.GetPixel(8, 3), 0u);
  EXPECT_EQ(frame.GetPixel(8, 8) | 0xFF000000, 0xFF00AA00u);
  EXPECT_TRUE(Doc().IsModified());
  // The options are stored for the next time.
  EXPECT_EQ(settings_->read_string("Import from image dialog", "Bilinear level", ""), "0.7");
}

}  // namespace
}  // namespace morvane
