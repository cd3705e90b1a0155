// The main window's logic that needs no display: the command table, the command line, the
// history popups, the zoom rules and the texts shown about frames.
#include <gtest/gtest.h>

#include <set>

#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/file_filters.h"
#include "shell/frame_texts.h"
#include "shell/history_menu.h"
#include "shell/zoom.h"

namespace morvane {
namespace {

TEST(CommandTable, IdentifiersAreUniqueAndMenusComeInOrder) {
  std::set<int> seen;
  for (const MenuEntry* entry : AllCommands()) {
    EXPECT_TRUE(seen.insert(entry->id).second) << "duplicate " << entry->id;
    EXPECT_FALSE(entry->text.empty()) << entry->id;
  }
  const std::vector<MenuEntry>& menu = MainMenu();
  ASSERT_EQ(menu.size(), 8u);
  EXPECT_EQ(menu[0].text, "&File");
  EXPECT_EQ(menu[0].children[0].id, command::kNewIcon);
  EXPECT_EQ(menu[0].children.back().id, command::kExit);
  EXPECT_EQ(menu[7].children.back().id, command::kAbout);
}

TEST(CommandTable, ShortcutsAppearInTheirTexts) {
  for (const MenuEntry* entry : AllCommands()) {
    if (entry->shortcut.empty()) continue;
    EXPECT_NE(entry->text.find('\t'), std::string_view::npos) << entry->id;
  }
  EXPECT_EQ(FindCommand(command::kOpenObject)->shortcut, "F3");
  EXPECT_EQ(FindCommand(command::kDuplicateImage)->shortcut, "Alt+D");
  EXPECT_EQ(FindCommand(SizeCommand(64))->shortcut, "Shift+F4");
  EXPECT_EQ(FindCommand(command::kMoveDown)->shortcut, "Ctrl+Down");
}

TEST(CommandTable, AddImagePopupsHoldOneSubPopupPerFormat) {
  const MenuEntry* object = &MainMenu()[4];
  const MenuEntry* add = nullptr;
  for (const MenuEntry& entry : object->children)
    if (entry.text == "Add image") add = &entry;
  ASSERT_NE(add, nullptr);
  ASSERT_EQ(add->children.size(), 4u);
  // Its pack key is "1+33085": the first command, one level down.
  EXPECT_EQ(add->children[0].children[0].id, 33085);
  EXPECT_EQ(add->children[0].children[0].text, "256 x 256 (true-color with alpha)");
  EXPECT_EQ(add->children[3].children.back().text, "16 x 16 (true-color)");
  EXPECT_EQ(AddImageCommands().size(), AddImageItems().size());
  EXPECT_EQ(CreateFromSelectedCommands().size(), CreateImageFromSelectedItems().size());
  for (int size : SizeMenuItems()) EXPECT_EQ(SizeOfCommand(SizeCommand(size)), size);
  EXPECT_EQ(SizeCommand(256), 33055);
}

TEST(StartupCommand, JoinsArgumentsAndRecognisesSwitches) {
  EXPECT_EQ(ParseStartupCommand({}).action, StartupAction::kNone);
  EXPECT_EQ(ParseStartupCommand({"/clipboard"}).action, StartupAction::kPasteClipboard);
  // Only the exact spelling is the switch.
  const StartupCommand upper = ParseStartupCommand({"/Clipboard"});
  EXPECT_EQ(upper.action, StartupAction::kOpenObject);
  EXPECT_EQ(upper.path, "/Clipboard");
  const StartupCommand spaced = ParseStartupCommand({"C:\\My", "", "Icons\\a", "b.ico"});
  EXPECT_EQ(spaced.action, StartupAction::kOpenObject);
  EXPECT_EQ(spaced.path, "C:\\My  Icons\\a b.ico");
  EXPECT_EQ(ParseStartupCommand({"lib.ICL"}).action, StartupAction::kOpenLibrary);
  const StartupCommand import = ParseStartupCommand({"--import", "/tmp/my", "pic.png"});
  EXPECT_EQ(import.action, StartupAction::kImport);
  EXPECT_EQ(import.path, "/tmp/my pic.png");
  // Without a file "--import" is only a path.
  EXPECT_EQ(ParseStartupCommand({"--import"}).action, StartupAction::kOpenObject);
}

TEST(HistoryItems, ShowFiveThenOtherOrTheEmptyText) {
  LanguagePack english;
  MruList list(12);
  std::vector<HistoryItem> items = BuildHistoryItems(list, 30100, CursorHistoryTexts(), english);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].kind, HistoryItemKind::kEmpty);
  EXPECT_EQ(items[0].text, "-- no cursors --");

  for (int i = 0; i < 5; ++i) list.add("/c" + std::to_string(i));
  items = BuildHistoryItems(list, 30100, CursorHistoryTexts(), english);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[4].command, 30104);

  list.add("/c5");
  items = BuildHistoryItems(list, 30100, CursorHistoryTexts(), english);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[5].kind, HistoryItemKind::kOther);
  EXPECT_EQ(items[5].text, "Other cursors");
  ASSERT_EQ(items[5].more.size(), 6u);
  EXPECT_EQ(items[5].more[5].text, "/c0");
  EXPECT_EQ(items[5].more[5].command, 30105);
}

TEST(HistoryItems, LibrariesAreListedFlatFrom30401WithTheEmptyTextAt30400) {
  LanguagePack english;
  MruList list(30);
  std::vector<HistoryItem> items = BuildLibraryHistoryItems(list, 30400, english);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].kind, HistoryItemKind::kEmpty);
  EXPECT_EQ(items[0].command, 30400);
  EXPECT_EQ(items[0].text, "-- no libraries --");
  EXPECT_EQ(LibraryHistoryPosition(30400, 30400), -1);

  for (int i = 0; i < 25; ++i) list.add("/l" + std::to_string(i));
  items = BuildLibraryHistoryItems(list, 30400, english);
  ASSERT_EQ(items.size(), 20u) << "21 command numbers: the empty entry and 20 paths";
  EXPECT_EQ(items[0].command, 30401);
  EXPECT_EQ(items[0].text, "/l24");  // newest first
  EXPECT_EQ(items[19].command, 30420);
  EXPECT_EQ(LibraryHistoryPosition(items[19].command, 30400), 19);
  EXPECT_EQ(LibraryHistoryPosition(30421, 30400), -1);
}

TEST(HistoryItems, IconsAreNeverReadFromRemovableOrNetworkMedia) {
  EXPECT_FALSE(HistoryIconAllowed("/media/usb/a.ico"));
  EXPECT_FALSE(HistoryIconAllowed("/mnt/share/a.ico"));
  EXPECT_FALSE(HistoryIconAllowed("/run/media/me/disc/a.ico"));
  EXPECT_FALSE(HistoryIconAllowed("//server/share/a.ico"));
  EXPECT_FALSE(HistoryIconAllowed("/no/such/file.ico"));
  EXPECT_TRUE(
      HistoryIconAllowed(std::string(MORVANE_TESTDATA_DIR) + "/ico/go-ico/testdata/icon.ico"));
}

TEST(Zoom, StepsWheelAndScales) {
  EXPECT_EQ(ZoomInLevel(7.3), 8);
  EXPECT_EQ(ZoomInLevel(20), 12);
  EXPECT_EQ(ZoomOutLevel(20), 11);
  EXPECT_EQ(ZoomOutLevel(12.5), 10);
  EXPECT_EQ(ZoomOutLevel(4), 3);
  EXPECT_EQ(ZoomOutLevel(1), 1);
  EXPECT_EQ(WheelZoomLevel(0, -360), -1);
  EXPECT_EQ(WheelZoomLevel(11, 480), 12);
  EXPECT_EQ(WheelZoomLevel(3, 120), 4);

  EXPECT_DOUBLE_EQ(ZoomScale(11, 100, 100, 32, 32), 15);
  EXPECT_DOUBLE_EQ(ZoomScale(4, 100, 100, 32, 32), 4);
  // Fit: (client - 1) / size, the smaller of the two sides.
  EXPECT_DOUBLE_EQ(ZoomScale(0, 301, 201, 32, 16), 9.375);
  EXPECT_DOUBLE_EQ(ZoomScale(-1, 301, 201, 32, 16), 9);
  EXPECT_DOUBLE_EQ(ZoomScale(-1, 20, 20, 32, 32), 1);
  EXPECT_EQ(ZoomComboText(0), "Max zoom");
  EXPECT_EQ(ZoomComboText(13), "20 x ");
  EXPECT_TRUE(ZoomComboText(14).empty());
}

TEST(FrameTexts, StatusFieldsAndTitles) {
  EXPECT_EQ(ColorStatus(0x00FFFFFFu), "screen");
  EXPECT_EQ(ColorStatus(0x01102030u), "16, 32, 48, 1");
  EXPECT_EQ(ColorStatus(std::nullopt), "-, -, -, -");
  EXPECT_EQ(PositionStatus(std::make_pair(3, 4)), "3, 4");
  EXPECT_EQ(PositionStatus(std::nullopt), "-, -");
  EXPECT_EQ(SizeStatus(1, 1), "-, -");
  EXPECT_EQ(SizeStatus(5, 2), "5, 2");
  EXPECT_EQ(WindowTitle("/home/u/icons/app.ico"), "app.ico - Morvane Pro");
}

TEST(FrameTexts, AniPropertiesCountTimedFramesAndTruncateTheDuration) {
  IconDocument document;
  document.New(DocumentKind::kAnimatedCursor);
  document.AddImage(32, ColorFormat::kTrueColorAlpha);
  document.AddImage(32, ColorFormat::kTrueColorAlpha);
  document.Frame(0).rate = 10;
  document.Frame(1).rate = 0;
  document.Frame(2).rate = 7;
  EXPECT_EQ(AniCountedFrames(document), 2);
  // 17 jiffies x 0.0162 = 0.2754 s, truncated to hundredths.
  EXPECT_DOUBLE_EQ(AniDurationSeconds(document), 0.27);
  EXPECT_EQ(AniDurationText(AniDurationSeconds(document)), "0.27");
  LanguagePack english;
  EXPECT_EQ(FrameLabel(english, document, 2), "N 3 - 7 jifs");
}

TEST(FileFilters, ConvertsPairsToTheDialogForm) {
  EXPECT_EQ(ToDialogFilter("Icons (ico)|*.ico|All files (*.*)|*.*||"),
            "Icons (ico) (*.ico);;All files (*.*) (*)");
  EXPECT_EQ(ToDialogFilter("Cursors (cur, ani)|*.cur;*.ani||"), "Cursors (cur, ani) (*.cur *.ani)");
  const std::string open = ToDialogFilter(kOpenObjectFilter);
  EXPECT_EQ(open.rfind("All files (*.*) (*)"), open.size() - 19);
}

}  // namespace
}  // namespace morvane
