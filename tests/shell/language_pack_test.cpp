#include "shell/language_pack.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "pack_files.h"

namespace morvane {
namespace {

using testing::PackFolder;

LanguagePack SelectedPack(const PackFolder& folder, const std::string& name) {
  LanguagePack pack;
  pack.discover(folder.root());
  EXPECT_TRUE(pack.select(name));
  return pack;
}

TEST(LanguagePack, WithoutAPackEveryLookupReturnsTheDefaultUnchanged) {
  LanguagePack pack;
  EXPECT_EQ(pack.selected(), -1);
  EXPECT_EQ(pack.text("Main_menu", "32884", "Save object ...\tF2"), "Save object ...\tF2");
  // Escapes belong to pack texts only; a default keeps its backslashes.
  EXPECT_EQ(pack.text("Msg", "x", "C:\\new\\table"), "C:\\new\\table");
  EXPECT_FALSE(pack.select("Deutsch"));
  EXPECT_EQ(pack.selected(), -1);
}

TEST(LanguagePack, ReferenceReadsAnotherEntryOfTheSamePack) {
  PackFolder folder;
  folder.WritePack("de.lng", "Deutsch",
                   "[Main]\nother_icons=Weitere Symbole\n"
                   "[Main_open]\nother_icons=[Main]/other_icons\nmissing=[Main]/nothing\n"
                   "tab=[Main]/with_tab\nnot_ref=[Main/other_icons\n"
                   "[main]\nwith_tab=ignored: repeated section\n");
  const LanguagePack pack = SelectedPack(folder, "Deutsch");
  EXPECT_EQ(pack.text("Main_open", "other_icons", "Other icons"), "Weitere Symbole");
  // A reference to a missing key gives the caller's default, not the reference.
  EXPECT_EQ(pack.text("Main_open", "missing", "Other cursors"), "Other cursors");
  EXPECT_EQ(pack.text("Main_open", "tab", "x"), "x");
  EXPECT_EQ(pack.text("Main_open", "not_ref", "x"), "[Main/other_icons");
}

TEST(LanguagePack, EscapesAreScannedLeftToRightUpToTheLastCharacter) {
  EXPECT_EQ(UnescapePackText("a\\nb"), "a\rb");
  EXPECT_EQ(UnescapePackText("a\\x"), "a\\x");
  EXPECT_EQ(UnescapePackText("Save ...\\tF2"), "Save ...\tF2");
  EXPECT_EQ(UnescapePackText("\\n"), "\r");
  // The character after a kept backslash is not looked at again.
  EXPECT_EQ(UnescapePackText("a\\\\nb"), "a\\\\nb");
  EXPECT_EQ(UnescapePackText("a\\\\\\n"), "a\\\\\r");
  EXPECT_EQ(UnescapePackText("end\\"), "end\\");
  EXPECT_EQ(UnescapePackText(""), "");

  PackFolder folder;
  folder.WritePack("de.lng", "Deutsch", "[Msg]\nlines=a\\nb\nkeep=a\\x\n");
  const LanguagePack pack = SelectedPack(folder, "Deutsch");
  EXPECT_EQ(pack.text("Msg", "lines", ""), "a\rb");
  EXPECT_EQ(pack.text("Msg", "keep", ""), "a\\x");
}

TEST(LanguagePack, VersionBelowTheMinimumOrAnotherProgramIsNeverListed) {
  PackFolder folder;
  folder.WritePack("a_old.lng", "Old", "", 839);
  folder.WritePack("b_ok.lng", "Ok", "", 840);
  folder.WritePack("c_new.lng", "New", "", 1000);
  folder.Write("d_other.lng", "[Info]\nprogram=Other Program\nversion=900\nname=Other\n");
  folder.Write("e_case.lng", "[Info]\nprogram=morvane pro\nversion=900\nname=Case\n");
  folder.Write("f_nover.lng", "[Info]\nprogram=Morvane Pro\nname=NoVersion\n");
  folder.Write("g_suffix.lng", "[INFO]\nPROGRAM = Morvane Pro \nVersion=841beta\nName=Suffix\n");
  LanguagePack pack;
  pack.discover(folder.root());
  EXPECT_EQ(pack.pack_names(), (std::vector<std::string>{"Ok", "New", "Suffix"}));
  EXPECT_EQ(pack.selected(), -1);
}

TEST(LanguagePack, PackInTheProgramFolderWinsOverTheSameNameInLangs) {
  PackFolder folder;
  const auto inLangs = folder.WritePack("langs/deutsch.lng", "Deutsch", "[Msg]\nk=langs\n");
  const auto inProgram = folder.WritePack("deutsch2.lng", "Deutsch", "[Msg]\nk=program\n");
  LanguagePack pack;
  pack.discover(folder.root());
  ASSERT_EQ(pack.pack_paths().size(), 2u);
  EXPECT_EQ(pack.pack_paths()[0], inProgram);
  EXPECT_EQ(pack.pack_paths()[1], inLangs);
  EXPECT_TRUE(pack.select("Deutsch"));
  EXPECT_EQ(pack.selected(), 0);
  EXPECT_EQ(pack.text("Msg", "k", ""), "program");
}

TEST(LanguagePack, UnknownNameSelectsTheFirstPack) {
  PackFolder folder;
  folder.WritePack("langs/de.lng", "Deutsch", "[Msg]\nsave_icon=Speichern?\n");
  LanguagePack pack;
  pack.discover(folder.root());
  EXPECT_TRUE(pack.select("English"));
  EXPECT_EQ(pack.selected(), 0);
  EXPECT_EQ(pack.text("Msg", "save_icon", "Save?"), "Speichern?");
  // Selecting the pack already selected changes nothing.
  EXPECT_FALSE(pack.select("Deutsch"));
}

TEST(LanguagePack, SelectAndIndexOfMatchNamesExactly) {
  PackFolder folder;
  folder.WritePack("a.lng", "Deutsch", "");
  folder.WritePack("b.lng",
                   "Fran\xC3\xA7"
                   "ais",
                   "");
  LanguagePack pack;
  pack.discover(folder.root());
  EXPECT_EQ(pack.index_of("Fran\xC3\xA7"
                          "ais"),
            1);
  EXPECT_EQ(pack.index_of("deutsch"), -1);
  EXPECT_EQ(pack.index_of(""), -1);  // the selected index
  EXPECT_TRUE(
      pack.select("Fran\xC3\xA7"
                  "ais"));
  EXPECT_EQ(pack.index_of(""), 1);
  EXPECT_EQ(pack.selected_name(),
            "Fran\xC3\xA7"
            "ais");
  EXPECT_TRUE(pack.select("deutsch"));  // no exact match: the first pack
  EXPECT_EQ(pack.selected(), 0);
}

TEST(LanguagePack, HintListStopsAtTheFirstMissingCounter) {
  PackFolder folder;
  folder.WritePack(
      "de.lng", "Deutsch",
      "[Effect]\nhint_0=1001,Helligkeit, in Prozent\nhint_2=1003,Nie gelesen\n"
      "[Tools]\nhint_0=1001\nhint_1=abc,Kein Bezeichner\nhint_2= 1002 ,Zwei\\nZeilen\n");
  const LanguagePack pack = SelectedPack(folder, "Deutsch");
  const auto hints = pack.hints("Effect");
  ASSERT_EQ(hints.size(), 1u);
  EXPECT_EQ(hints[0].controlId, 1001);
  EXPECT_EQ(hints[0].text, "Helligkeit, in Prozent");
  // Entries that name no control are left out without ending the list.
  const auto tools = pack.hints("Tools");
  ASSERT_EQ(tools.size(), 1u);
  EXPECT_EQ(tools[0].controlId, 1002);
  EXPECT_EQ(tools[0].text, "Zwei\rZeilen");
}

TEST(LanguagePack, ControlTextUsesTheDecimalIdentifierAndKeepsTheCaption) {
  PackFolder folder;
  folder.WritePack("de.lng", "Deutsch",
                   "[Custom size]\n0=Eigene Gr\xC3\xB6\xC3\x9F"
                   "e\n1000=Breite:\n");
  const LanguagePack pack = SelectedPack(folder, "Deutsch");
  EXPECT_EQ(pack.control_text("Custom size", 0, "Custom size"),
            "Eigene Gr\xC3\xB6\xC3\x9F"
            "e");
  EXPECT_EQ(pack.control_text("Custom size", 1000, "Width:"), "Breite:");
  EXPECT_EQ(pack.control_text("Custom size", 1001, "Height:"), "Height:");
}

TEST(LanguagePack, PackFileGoneAtLookupTimeGivesDefaults) {
  PackFolder folder;
  const auto path = folder.WritePack("de.lng", "Deutsch", "[Msg]\nk=Text\n");
  LanguagePack pack;
  pack.discover(folder.root());
  std::filesystem::remove(path);
  EXPECT_TRUE(pack.select("Deutsch"));
  EXPECT_EQ(pack.text("Msg", "k", "default"), "default");
}

TEST(LanguagePack, DiscoverySkipsHiddenFilesFoldersPipesAndHugeFiles) {
  PackFolder folder;
  folder.WritePack(".hidden.lng", "Hidden", "");
  folder.WritePack("folder.lng/inner.lng", "Inner", "");
  folder.WritePack("langs/UPPER.LNG", "Upper", "");
  folder.WritePack("langs/readme.txt", "Text", "");
  folder.WritePack("huge.lng", "Huge", std::string(kMaxPackFileBytes, ';'));
  // A pipe named like a pack would block a reader forever.
  ASSERT_EQ(::mkfifo((folder.root() / "pipe.lng").c_str(), 0600), 0);
  LanguagePack pack;
  pack.discover(folder.root());
  EXPECT_EQ(pack.pack_names(), (std::vector<std::string>{"Upper"}));
  pack.discover(folder.root() / "does-not-exist");
  EXPECT_TRUE(pack.pack_names().empty());
}

TEST(PackProfile, FollowsPrivateProfileRules) {
  const PackProfile p = PackProfile::Parse(
      "stray=before any section\r\n"
      "; comment=not a key\r\n"
      "[Main_Menu]\r\n"
      "  32884 =  Speichern\\tF2  \r\n"
      "32884=second occurrence\r\n"
      "quoted=\"  keeps spaces  \"\r"
      "single='x'\n"
      "half=\"open\n"
      "noequals\n"
      "a=b=c\n"
      "[Broken\n"
      "after=still main\n"
      "[Main_menu]\n"
      "late=repeated section\n");
  EXPECT_EQ(p.value("main_menu", "32884"), "Speichern\\tF2");
  EXPECT_EQ(p.value("MAIN_MENU", "QUOTED"), "  keeps spaces  ");
  EXPECT_EQ(p.value("Main_Menu", "single"), "x");
  EXPECT_EQ(p.value("Main_Menu", "half"), "\"open");
  EXPECT_EQ(p.value("Main_Menu", "noequals"), "");
  EXPECT_EQ(p.value("Main_Menu", "a"), "b=c");
  EXPECT_EQ(p.value("Main_Menu", "late"), "");
  EXPECT_EQ(p.value("Main_Menu", "after"), "still main");
  EXPECT_EQ(p.value("", "stray"), "");
  EXPECT_EQ(p.value("Main_Menu", "; comment"), "");
}

TEST(PackProfile, DecodesTheEncodingsAPackMayBeWrittenIn) {
  const std::string umlauts = "\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC";  // äöü€ in UTF-8
  const std::uint8_t cp1252[] = {0xE4, 0xF6, 0xFC, 0x80};
  EXPECT_EQ(DecodePackText(cp1252), umlauts);
  const std::string utf8 = "x=" + umlauts;
  EXPECT_EQ(
      DecodePackText(std::span(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size())),
      utf8);
  const std::uint8_t bom8[] = {0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA4};
  EXPECT_EQ(DecodePackText(bom8), "a\xC3\xA4");
  const std::uint8_t utf16le[] = {0xFF, 0xFE, 'a', 0, 0xE4, 0, 0xAC, 0x20};
  EXPECT_EQ(DecodePackText(utf16le), "a\xC3\xA4\xE2\x82\xAC");
  const std::uint8_t utf16be[] = {0xFE, 0xFF, 0, 'a', 0, 0xE4, 0xD8};  // odd trailing byte
  EXPECT_EQ(DecodePackText(utf16be).substr(0, 3), "a\xC3\xA4");
}

TEST(PackProfile, ArbitraryBytesNeverCrashTheReader) {
  std::uint32_t state = 12345;
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(round * 7));
    for (auto& b : bytes) {
      state = state * 1103515245u + 12345u;
      const std::uint8_t pick = static_cast<std::uint8_t>(state >> 24);
      b = pick < 40 ? static_cast<std::uint8_t>("[]=\r\n;\\\"'"[pick % 10]) : pick;
    }
    const PackProfile p = PackProfile::Parse(DecodePackText(bytes));
    (void)p.value("Info", "program");
  }
}

TEST(PackInt, ReadsLeadingDigitsLikeTheProfileReader) {
  EXPECT_EQ(ParsePackInt("840"), 840);
  EXPECT_EQ(ParsePackInt("841beta"), 841);
  EXPECT_EQ(ParsePackInt("beta"), 0);
  EXPECT_EQ(ParsePackInt(""), 0);
  EXPECT_EQ(ParsePackInt("-5"), -5);
  EXPECT_EQ(ParsePackInt("99999999999999999999"), INT32_MAX);
}

}  // namespace
}  // namespace morvane
