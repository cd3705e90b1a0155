// Drives the real main window on the offscreen platform: its menus, its frame list and its
// document commands, with the questions and file dialogs answered by a scripted Prompts.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <set>

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "formats/icl_writer.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"
#include "shell/commands.h"
#include "shell/pack_files.h"
#include "shell/settings_qt_store.h"
#include "support/qt_app.h"
#include "ui/edit_area.h"
#include "ui/frame_list.h"
#include "ui/import_controller.h"

#include <QSpinBox>

namespace morvane {
namespace {

namespace fs = std::filesystem;

const fs::path kTestData = MORVANE_TESTDATA_DIR;

class ScriptedPrompts : public Prompts {
 public:
  std::deque<QMessageBox::StandardButton> answers;
  std::vector<QString> questions;
  std::vector<QString> errors;
  std::vector<QString> infos;
  QString savePath;
  QString openPath;
  int chosenObject = -1;  // -1 cancels the object dialog
  bool appendObject = false;
  int objectCount = 0;

  QMessageBox::StandardButton Ask(QWidget*, const QString& text,
                                  QMessageBox::StandardButtons) override {
    questions.push_back(text);
    if (answers.empty()) return QMessageBox::Cancel;
    const QMessageBox::StandardButton answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowError(QWidget*, const QString&, const QString& text) override { errors.push_back(text); }
  void ShowInfo(QWidget*, const QString& text) override { infos.push_back(text); }
  QString ChooseOpenPath(QWidget*, const QString&, const QString&, const QString&) override {
    return openPath;
  }
  QString ChooseSavePath(QWidget*, const QString&, const QString&, const QString&) override {
    return savePath;
  }
  bool ChooseObject(QWidget*, const LanguagePack&, const ExecutableObjects& objects, bool,
                    int& object, bool& append) override {
    objectCount = objects.Count();
    object = chosenObject;
    append = appendObject;
    return chosenObject >= 0;
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override { Open(); }

  void Open() {
    window_.reset();
    store_ = std::make_unique<QtSettingsStore>(fs::path(dir_.path().toStdString()) / "set.ini");
    settings_ = std::make_unique<Settings>(*store_);
    window_ = std::make_unique<MainWindow>(*settings_, pack_);
    auto prompts = std::make_unique<ScriptedPrompts>();
    prompts_ = prompts.get();
    window_->SetPrompts(std::move(prompts));
  }

  IconDocument& Doc() { return window_->Document(); }

  void Trigger(int id) {
    QAction* action = window_->Action(id);
    ASSERT_NE(action, nullptr) << id;
    ASSERT_TRUE(action->isEnabled()) << id;
    action->trigger();
  }

  std::vector<std::pair<int, int>> SizesAndFormats() {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < Doc().Count(); ++i)
      out.emplace_back(Doc().Frame(i).image.GetWidth(), BitsOf(Doc().Frame(i).format));
    return out;
  }

  fs::path Temp(const std::string& name) { return fs::path(dir_.path().toStdString()) / name; }

  QTemporaryDir dir_;
  LanguagePack pack_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<MainWindow> window_;
  ScriptedPrompts* prompts_ = nullptr;
};

TEST_F(MainWindowTest, NewCommandsMakeOneBlankFrameOfTheirKind) {
  Trigger(command::kNewCursor);
  EXPECT_EQ(Doc().Kind(), DocumentKind::kCursor);
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{32, 32}}));
  EXPECT_EQ(window_->windowTitle(), "new.cur - Morvane Pro");
  EXPECT_EQ(window_->Frames()->count(), 1);
  EXPECT_EQ(window_->SizeLabelText(), "32 x 32");
  EXPECT_EQ(window_->FormatButtonText(), "32 bits color");
  EXPECT_TRUE(window_->Action(command::kKindCursor)->isChecked());
  EXPECT_FALSE(window_->Action(command::kAniProperties)->isEnabled());

  Trigger(command::kNewAniCursor);
  EXPECT_EQ(window_->Frames()->item(0)->text(), "N 1 - 0 jifs");
  EXPECT_TRUE(window_->Action(command::kAniProperties)->isEnabled());
  window_->RateBox()->setValue(12);  // the rate field edits the current frame's rate
  EXPECT_EQ(Doc().Frame(0).rate, 12);
  EXPECT_EQ(window_->Frames()->item(0)->text(), "N 1 - 12 jifs");
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(MainWindowTest, AddImageAppendsSelectedFramesListedWithTheirFormats) {
  Trigger(AddImageCommands()[4]);   // 48 x 48 true-color with alpha
  Trigger(AddImageCommands()[19]);  // 16 x 16 in 16 colors
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{32, 32}, {48, 32}, {16, 4}}));
  EXPECT_EQ(Doc().Current(), 2);
  ASSERT_EQ(window_->Frames()->count(), 3);
  EXPECT_EQ(window_->Frames()->item(1)->text(), "48 x 48\n32 bits color");
  EXPECT_EQ(window_->Frames()->currentRow(), 2);
  EXPECT_EQ(window_->SizeLabelText(), "16 x 16");
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(MainWindowTest, DerivesStandardFormatsAndSortsThem) {
  Trigger(AddImageCommands()[1]);  // 128 x 128 true-color with alpha, selected
  Trigger(command::kCreateStandardFormats);
  std::vector<std::pair<int, int>> got = SizesAndFormats();
  // Six reduced frames, and 96, 64, 48 and 16 at format 32 (128 and 32 exist already).
  EXPECT_EQ(got.size(), 12u);
  EXPECT_EQ(got[0], (std::pair<int, int>{48, 4}));
  EXPECT_EQ(got.back(), (std::pair<int, int>{16, 32}));
  for (std::size_t i = 1; i < got.size(); ++i) {
    const bool ordered = got[i - 1].second < got[i].second ||
                         (got[i - 1].second == got[i].second && got[i - 1].first >= got[i].first);
    EXPECT_TRUE(ordered) << i;
  }
  ASSERT_EQ(window_->Frames()->count(), Doc().Count());
  EXPECT_EQ(window_->Frames()->item(0)->text(), "48 x 48\n16 colors");
  // The source image stays current through the sort.
  EXPECT_EQ(Doc().CurrentFrame()->image.GetWidth(), 128);

  Trigger(command::kSortForWindowsXP);
  EXPECT_EQ(SizesAndFormats(), got);
}

TEST_F(MainWindowTest, DeletingEveryFrameLeavesOneBlank32x32Frame) {
  Trigger(AddImageCommands()[0]);
  Trigger(AddImageCommands()[10]);
  ASSERT_EQ(Doc().Count(), 3);
  window_->Frames()->selectAll();  // the list's multi-selection becomes the document's
  EXPECT_EQ(Doc().Selection().size(), 2u);

  prompts_->answers = {QMessageBox::No};
  Trigger(command::kDeleteImages);
  EXPECT_EQ(Doc().Count(), 3);
  ASSERT_EQ(prompts_->questions.size(), 1u);
  EXPECT_EQ(prompts_->questions[0], "Do you want remove selected frame(s)?");

  prompts_->answers = {QMessageBox::Yes};
  Trigger(command::kDeleteImages);
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{32, 32}}));
  EXPECT_EQ(window_->Frames()->count(), 1);
  EXPECT_EQ(Doc().Current(), 0);
}

TEST_F(MainWindowTest, OpensAndSavesAnIcon) {
  const fs::path source = kTestData / "ico/go-ico/testdata/icon.ico";
  ASSERT_TRUE(window_->OpenPath(source.string()));
  const auto frames = SizesAndFormats();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(window_->windowTitle(), "icon.ico - Morvane Pro");
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(window_->History(HistoryKind::kIcons).entries().front(), source.string());

  const fs::path target = Temp("copy.ico");
  ASSERT_TRUE(window_->SaveTo(target.string()));
  Trigger(command::kNewIcon);
  ASSERT_TRUE(window_->OpenPath(target.string()));
  EXPECT_EQ(SizesAndFormats(), frames);
}

TEST_F(MainWindowTest, SaveAsWritesACursorWithItsHotspot) {
  ASSERT_TRUE(window_->OpenPath((kTestData / "ico/go-ico/testdata/cursor.cur").string()));
  ASSERT_EQ(Doc().Kind(), DocumentKind::kCursor);
  Doc().SetHotspot({5, 7});

  prompts_->savePath = QString::fromStdString(Temp("pointer").string());
  Trigger(command::kSaveObjectAs);
  EXPECT_EQ(Doc().FileName(), Temp("pointer.cur").string());
  EXPECT_FALSE(Doc().IsModified());

  Result<IconFileContents> read = ReadIconFile(Temp("pointer.cur"));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value().type, IconFileType::kCursor);
  EXPECT_EQ(read.value().hotspotX, 5);
  EXPECT_EQ(read.value().hotspotY, 7);

  // Save object on the document's own file first asks whether to write it.
  prompts_->answers = {QMessageBox::No};
  Trigger(command::kSaveObject);
  ASSERT_EQ(prompts_->questions.size(), 1u);
  EXPECT_TRUE(prompts_->questions[0].startsWith("Do you want to save file '"));
}

TEST_F(MainWindowTest, SavingAProgramsIconNeverWritesOverThePicture) {
  const fs::path png = kTestData / "png";
  fs::path picture;
  for (const auto& entry : fs::recursive_directory_iterator(png))
    if (entry.path().extension() == ".png" && fs::file_size(entry.path()) < 4000) {
      picture = entry.path();
      break;
    }
  if (picture.empty()) GTEST_SKIP() << "no small PNG in the test data";
  const fs::path copy = Temp("small.png");
  fs::copy_file(picture, copy);
  if (!window_->OpenPath(copy.string())) GTEST_SKIP() << "picture not loadable as a frame";
  const auto before = fs::file_size(copy);
  prompts_->savePath.clear();  // the user cancels the save dialog
  Trigger(command::kSaveObject);
  EXPECT_EQ(fs::file_size(copy), before);
}

TEST_F(MainWindowTest, CancelInTheDiscardQuestionKeepsTheDocument) {
  Trigger(AddImageCommands()[4]);
  window_->show();
  prompts_->answers = {QMessageBox::Cancel};
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_TRUE(Doc().IsModified());
  ASSERT_EQ(prompts_->questions.size(), 1u);
  EXPECT_EQ(prompts_->questions[0], "Icon have been modified. Save file?");

  prompts_->answers = {QMessageBox::Cancel};
  Trigger(command::kNewIcon);
  EXPECT_EQ(Doc().Count(), 2);

  prompts_->answers = {QMessageBox::No};
  EXPECT_TRUE(window_->close());
}

TEST_F(MainWindowTest, YesInTheDiscardQuestionSavesFirst) {
  Trigger(AddImageCommands()[4]);
  prompts_->answers = {QMessageBox::Yes};
  prompts_->savePath = QString::fromStdString(Temp("kept.ico").string());
  Trigger(command::kNewCursor);
  EXPECT_TRUE(fs::exists(Temp("kept.ico")));
  EXPECT_EQ(Doc().Kind(), DocumentKind::kCursor);
}

TEST_F(MainWindowTest, CommandLineJoinsAnUnquotedPathWithSpaces) {
  const fs::path folder = Temp("my  icons");
  fs::create_directories(folder);
  const fs::path file = folder / "an icon.ico";
  fs::copy_file(kTestData / "ico/go-ico/testdata/icon.ico", file);
  // The shell split "<tmp>/my  icons/an icon.ico" at its spaces.
  std::vector<std::string> pieces = {Temp("my").string(), "", "icons/an", "icon.ico"};
  window_->RunStartupCommand(ParseStartupCommand(pieces));
  EXPECT_EQ(Doc().FileName(), file.string());
  EXPECT_TRUE(prompts_->errors.empty());
}

TEST_F(MainWindowTest, AMissingFileShowsNotFoundAndLeavesTheHistories) {
  const std::string missing = Temp("gone.ico").string();
  window_->History(HistoryKind::kIcons).add(missing);
  EXPECT_FALSE(window_->OpenPath(missing));
  ASSERT_EQ(prompts_->errors.size(), 1u);
  EXPECT_EQ(prompts_->errors[0],
            QString::fromStdString("Sorry, file '" + missing + "' not found!"));
  EXPECT_TRUE(window_->History(HistoryKind::kIcons).empty());
  EXPECT_EQ(Doc().Count(), 1);
}

TEST_F(MainWindowTest, SevenIconHistoryEntriesShowFiveAndOtherIcons) {
  for (int i = 0; i < 7; ++i)
    window_->History(HistoryKind::kIcons).add("/icons/" + std::to_string(i) + ".ico");
  window_->RefreshHistoryMenus();
  QMenu* menu = window_->HistoryMenu(history_command::kIcons);
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> items = menu->actions();
  ASSERT_EQ(items.size(), 6);
  EXPECT_EQ(items[0]->text(), "/icons/6.ico");
  EXPECT_EQ(items[4]->text(), "/icons/2.ico");
  EXPECT_EQ(items[5]->text(), "Other icons");
  ASSERT_NE(items[5]->menu(), nullptr);
  EXPECT_EQ(items[5]->menu()->actions().size(), 7);

  QMenu* cursors = window_->HistoryMenu(history_command::kCursors);
  ASSERT_EQ(cursors->actions().size(), 1);
  EXPECT_EQ(cursors->actions()[0]->text(), "-- no cursors --");
  EXPECT_FALSE(cursors->actions()[0]->isEnabled());
}

TEST_F(MainWindowTest, HistoriesAndSettingsSurviveTheNextStart) {
  window_->History(HistoryKind::kCursors).add("/a/b.cur");
  window_->Canvas()->SetZoom(5);
  prompts_->answers = {QMessageBox::No};
  window_->close();
  Open();
  EXPECT_EQ(window_->History(HistoryKind::kCursors).entries(),
            (std::vector<std::string>{"/a/b.cur"}));
  EXPECT_EQ(window_->Canvas()->ZoomLevel(), 5);
  EXPECT_EQ(settings_->read_int("", "First launch", 1), 0);
}

TEST_F(MainWindowTest, MenusFollowTheCommandTableAndLeaveLaterPartsDisabled) {
  const QList<QAction*> top = window_->menuBar()->actions();
  ASSERT_EQ(top.size(), 8);
  EXPECT_EQ(top[0]->text(), "&File");
  EXPECT_EQ(top[7]->text(), "&Help");
  QAction* open = window_->Action(command::kOpenObject);
  EXPECT_EQ(open->text(), "Open object ...\tF3");
  EXPECT_EQ(open->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(window_->Action(command::kZoomIn)->shortcut(),
            QKeySequence(Qt::KeypadModifier | Qt::Key_Plus));
  EXPECT_EQ(window_->Action(33085)->text(), "256 x 256 (true-color with alpha)");
  EXPECT_TRUE(window_->Action(32887)->isEnabled());           // effects work on the new frame
  EXPECT_TRUE(window_->Action(command::kCopy)->isEnabled());  // the blank frame can be copied
  EXPECT_FALSE(window_->Action(command::kUndo)->isEnabled());
  EXPECT_FALSE(window_->Action(command::kMoveUp)->isEnabled());
}

TEST_F(MainWindowTest, UndoAndRedoWalkTheStepsTheModelPushes) {
  Trigger(SizeCommand(48));
  EXPECT_EQ(Doc().CurrentFrame()->image.GetWidth(), 48);
  Trigger(command::kUndo);
  EXPECT_EQ(Doc().CurrentFrame()->image.GetWidth(), 32);
  EXPECT_EQ(window_->SizeLabelText(), "32 x 32");
  Trigger(command::kRedo);
  EXPECT_EQ(Doc().CurrentFrame()->image.GetWidth(), 48);
}

TEST_F(MainWindowTest, ZoomCommandsAndStatusFields) {
  window_->resize(800, 600);
  window_->show();
  EditArea* area = window_->Canvas();
  area->SetZoom(8);
  Trigger(command::kZoomIn);
  EXPECT_EQ(area->ZoomLevel(), 9);
  Trigger(command::kMaxZoom);
  EXPECT_EQ(area->ZoomLevel(), -1);
  EXPECT_GE(area->Scale(), 1.0);
  EXPECT_EQ(area->Scale(), static_cast<int>(area->Scale()));
  EXPECT_EQ(window_->StatusText(2), "-, -, -, -");
}

TEST_F(MainWindowTest, TheExampleLanguagePackTranslatesTheMenus) {
  LanguagePack pack;
  pack.discover(fs::path(MORVANE_SOURCE_DIR));
  ASSERT_GE(pack.index_of("Deutsch"), 0);
  pack.select("Deutsch");
  MainWindow german(*settings_, pack);
  EXPECT_EQ(german.menuBar()->actions()[0]->text(), "&Datei");
  EXPECT_EQ(german.Action(command::kOpenObject)->text(),
            QString::fromUtf8("Objekt \xC3\xB6&ffnen ...\tF3"));
  // "Add image" holds only sub-popups: it is keyed one level down ("1+33085").
  auto* trueColor = qobject_cast<QMenu*>(german.Action(33085)->parent());
  ASSERT_NE(trueColor, nullptr);
  EXPECT_EQ(trueColor->title(), "Echtfarben mit Alphakanal");
  auto* addImage = qobject_cast<QMenu*>(trueColor->parent());
  ASSERT_NE(addImage, nullptr);
  EXPECT_EQ(addImage->title(), QString::fromUtf8("Bild hinzuf\xC3\xBCgen"));
  QMenu* history = german.HistoryMenu(history_command::kIcons);
  EXPECT_EQ(history->menuAction()->text(), QString::fromUtf8("Zuletzt ge\xC3\xB6"
                                                             "ffnete Symbole"));
  EXPECT_EQ(history->actions()[0]->text(), "-- keine Symbole --");
  EXPECT_EQ(german.FormatButtonText(), "32-Bit-Farben");

  // Choosing English in the Language menu gives the built-in texts back.
  const int english = pack.index_of("English");
  ASSERT_GE(english, 0);
  QAction* choice = nullptr;
  for (QAction* action : german.menuBar()->actions()[1]->menu()->actions())
    if (action->menu() && !action->menu()->actions().isEmpty() &&
        action->menu()->actions()[0]->text() == pack.pack_names()[0].c_str())
      choice = action->menu()->actions()[english];
  ASSERT_NE(choice, nullptr);
  choice->trigger();
  QCoreApplication::processEvents();  // the language switch waits until the menu is done
  EXPECT_EQ(german.menuBar()->actions()[0]->text(), "&File");
  EXPECT_EQ(german.Action(command::kOpenObject)->text(), "Open object ...\tF3");
}

TEST_F(MainWindowTest, AHistoryItemReopensItsFile) {
  const fs::path source = kTestData / "ico/go-ico/testdata/icon.ico";
  window_->History(HistoryKind::kIcons).add(source.string());
  window_->History(HistoryKind::kIcons).add("/elsewhere/other.ico");
  window_->RefreshHistoryMenus();
  QMenu* menu = window_->HistoryMenu(history_command::kIcons);
  ASSERT_GE(menu->actions().size(), 2);
  menu->actions()[1]->trigger();
  QCoreApplication::processEvents();  // history items run once their menu is done
  EXPECT_EQ(Doc().FileName(), source.string());
  ASSERT_GE(menu->actions().size(), 2);
  // The reopened file moves to the front, and the menu follows, with the file's first image.
  EXPECT_EQ(menu->actions()[0]->text(), QString::fromStdString(source.string()));
  EXPECT_FALSE(menu->actions()[0]->icon().isNull());
  EXPECT_TRUE(menu->actions()[1]->icon().isNull());  // a file that is not there
}

TEST_F(MainWindowTest, OpenObjectUsesTheFileDialogAndRemembersTheFolder) {
  const fs::path source = kTestData / "ico/go-ico/testdata/icon.ico";
  prompts_->openPath = QString::fromStdString(source.string());
  Trigger(command::kOpenObject);
  EXPECT_EQ(Doc().FileName(), source.string());
  prompts_->answers = {QMessageBox::No};
  window_->close();
  EXPECT_EQ(settings_->read_string("", "Last working folder", ""), source.parent_path().string());
}

TEST_F(MainWindowTest, AProgramsIconGroupIsChosenInTheObjectDialog) {
  const fs::path program = kTestData / "pe/wine64/notepad.exe";
  if (!fs::exists(program)) GTEST_SKIP() << "no test program";
  prompts_->chosenObject = 0;
  ASSERT_TRUE(window_->OpenPath(program.string()));
  EXPECT_GT(prompts_->objectCount, 0);
  EXPECT_GT(Doc().Count(), 0);
  EXPECT_EQ(window_->History(HistoryKind::kExecutables).entries().front(), program.string());

  // Appending the same group doubles the frames and keeps the document's name.
  const int count = Doc().Count();
  const std::string name = Doc().FileName();
  prompts_->appendObject = true;
  ASSERT_TRUE(window_->OpenPath(program.string(), true));
  EXPECT_EQ(Doc().Count(), 2 * count);
  EXPECT_EQ(Doc().FileName(), name);
}

TEST_F(MainWindowTest, APictureLargerThan256PixelsGoesToTheImportDialog) {
  CDib big;
  ASSERT_TRUE(big.Create(300, 200));
  big.Fill(0xFF2040FF);
  const fs::path path = Temp("big.png");
  ASSERT_TRUE(SavePictureFile(path, big).ok());
  // Cancelled, the document stays as it was.
  window_->Import().SetRunner([](ImportDialog&) { return std::optional<CDib>(); });
  EXPECT_FALSE(window_->OpenPath(path.string()));
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_FALSE(Doc().IsModified());

  Rect chosen;
  window_->Import().SetRunner([&](ImportDialog& dialog) -> std::optional<CDib> {
    dialog.SetIconSize(48);
    dialog.ChooseRegion({10, 20, 110, 70});
    chosen = dialog.Selection();
    CDib image;
    if (!dialog.Preview().CopyTo(image, CDib::CopyMode::kRecreate)) return std::nullopt;
    return image;
  });
  EXPECT_TRUE(window_->OpenPath(path.string()));
  EXPECT_EQ(chosen, (Rect{10, 20, 110, 70}));
  ASSERT_EQ(Doc().Count(), 1);
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{48, 32}}));
  // 100 x 50 into 48: rows 12 to 35 hold the picture, the rest stays transparent.
  EXPECT_EQ(Doc().Frame(0).image.GetPixel(24, 11), 0u);
  EXPECT_EQ(Doc().Frame(0).image.GetPixel(24, 12), 0xFF2040FFu);
  EXPECT_EQ(Doc().Frame(0).image.GetPixel(24, 36), 0u);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_TRUE(prompts_->infos.empty());
}

TEST_F(MainWindowTest, ADroppedFileOpensAndADroppedLibraryIsNotTakenForAnIcon) {
  // A URL keeps no ".." in its path.
  const fs::path source = fs::canonical(kTestData / "ico/go-ico/testdata/icon.ico");
  const auto drop = [this](const fs::path& path) {
    window_->OpenDroppedFiles({QUrl::fromLocalFile(QString::fromStdString(path.string())),
                               QUrl::fromLocalFile("/second/ignored.ico")});
  };
  drop(source);
  EXPECT_EQ(Doc().FileName(), source.string());
  // A library that cannot be read leaves the document and stays out of the history.
  drop(Temp("icons.ICL"));
  EXPECT_EQ(Doc().FileName(), source.string());
  EXPECT_TRUE(window_->LibraryHistory().empty());
  ASSERT_EQ(prompts_->errors.size(), 1u);
  EXPECT_TRUE(prompts_->errors[0].contains("icons not found"));
  // A real one opens in the library manager with its first group in the editor.
  IconLibrary library = IconLibrary::New();
  ASSERT_GE(library.AddGroup(0xFFFFFF), 0);
  library.images[0].group = 0;
  library.groupCount = 1;
  ASSERT_TRUE(WriteLibrary(library, Temp("real.ICL")).ok());
  drop(Temp("real.ICL"));
  EXPECT_EQ(Doc().FileName(), Temp("real.ICL").string());
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{48, 32}}));
  ASSERT_FALSE(window_->LibraryHistory().empty());
  EXPECT_EQ(window_->LibraryHistory().entries().front(), Temp("real.ICL").string());
}

TEST_F(MainWindowTest, KindCommandsGiveACursorItsHotspotAndMoveKeepsTheFrameCurrent) {
  EXPECT_EQ(Doc().GetHotspot().x, kNotSet);
  Trigger(command::kKindCursor);
  EXPECT_EQ(Doc().GetHotspot(), (Hotspot{0, 0}));
  EXPECT_TRUE(window_->Action(command::kKindCursor)->isChecked());
  EXPECT_FALSE(window_->Action(command::kKindIcon)->isChecked());

  Trigger(AddImageCommands()[4]);  // 48 x 48, current at index 1
  Trigger(command::kMoveUp);
  EXPECT_EQ(Doc().Current(), 0);
  EXPECT_EQ(Doc().Frame(0).image.GetWidth(), 48);
  EXPECT_FALSE(window_->Action(command::kMoveUp)->isEnabled());
  EXPECT_EQ(window_->Frames()->item(0)->text(), "48 x 48\n32 bits color");
}

TEST_F(MainWindowTest, ColorFormatCommandsChangeTheCurrentAndSelectedFrames) {
  Trigger(AddImageCommands()[4]);
  window_->Frames()->selectAll();
  Trigger(command::kFormatTrueColor);
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{32, 24}, {48, 24}}));
  Trigger(command::kFormatMonochrome);
  EXPECT_EQ(SizesAndFormats(), (std::vector<std::pair<int, int>>{{32, 1}, {48, 1}}));
  EXPECT_EQ(window_->FormatButtonText(), "Mono");
}

TEST_F(MainWindowTest, TheAniPreviewCyclesFramesOnItsTimerAndStopsForOtherCommands) {
  // The first start opens the associations dialog from a timer, which is a command of its own
  // and would end the preview: let it come first.
  QCoreApplication::processEvents();
  Trigger(command::kNewAniCursor);
  Trigger(AddImageCommands()[5]);
  for (int i = 0; i < Doc().Count(); ++i) Doc().Frame(i).rate = 1;  // 17 ms a frame
  Trigger(command::kAniPreview);
  EXPECT_TRUE(window_->Action(command::kAniPreview)->isChecked());
  QElapsedTimer clock;
  clock.start();
  std::set<int> shown;
  while (shown.size() < 2 && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    shown.insert(window_->Canvas()->ShownFrame());
  }
  EXPECT_EQ(shown, (std::set<int>{0, 1}));
  EXPECT_EQ(Doc().Current(), 1);  // the preview never changes the current frame
  Trigger(command::kSortForWindowsXP);
  EXPECT_FALSE(window_->Action(command::kAniPreview)->isChecked());
  EXPECT_EQ(window_->Canvas()->ShownFrame(), -1);

  // Opening a smaller object while the preview runs ends it before it can step past the end.
  Trigger(command::kAniPreview);
  Doc().SetModified(false);
  ASSERT_TRUE(window_->OpenPath((kTestData / "ico/go-ico/testdata/cursor.cur").string()));
  EXPECT_FALSE(window_->Action(command::kAniPreview)->isChecked());
  EXPECT_EQ(window_->Canvas()->ShownFrame(), -1);
}

TEST_F(MainWindowTest, TransparentPixelsShowTheBackgroundAndTheGridFromScale4) {
  window_->resize(800, 600);
  window_->show();
  EditArea* area = window_->Canvas();
  area->SetBackground(0x00FF00);  // platform colour: green
  area->SetZoom(8);
  Trigger(command::kShowGrid);
  QImage shot = area->viewport()->grab().toImage();
  const QPoint topLeft = [&] {
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (shot.pixelColor(x, y) == QColor(0, 255, 0)) return QPoint(x, y);
    return QPoint(-1, -1);
  }();
  ASSERT_GE(topLeft.x(), 0);
  // Inside a pixel: the background; on the boundary before it: the grid, darkened by 24.
  EXPECT_EQ(shot.pixelColor(topLeft + QPoint(3, 3)), QColor(0, 255, 0));
  EXPECT_EQ(shot.pixelColor(topLeft - QPoint(1, 1)), QColor(0, 231, 0));
}

}  // namespace
}  // namespace morvane
