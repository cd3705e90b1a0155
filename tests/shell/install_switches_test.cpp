#include "shell/install_switches.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "shell/settings_qt_store.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

using Args = std::vector<std::string>;

TEST(InstallSwitch, FirstArgumentIsComparedInLowerCase) {
  EXPECT_EQ(parse_install_switch({}), InstallSwitch::kNone);
  EXPECT_EQ(parse_install_switch(Args{"/install"}), InstallSwitch::kInstall);
  EXPECT_EQ(parse_install_switch(Args{"/INSTALL", "Deutsch"}), InstallSwitch::kInstall);
  EXPECT_EQ(parse_install_switch(Args{"/UnInstall"}), InstallSwitch::kUninstall);
  EXPECT_EQ(parse_install_switch(Args{"/clipboard"}), InstallSwitch::kNone);
  EXPECT_EQ(parse_install_switch(Args{"icon.ico", "/install"}), InstallSwitch::kNone);
}

// Reads back every value that first run writes, with the numbers written out as first run
// fixes them.
void ExpectFirstRunValues(const Settings& s, const std::string& exe) {
  struct Place {
    const char* key;
    int x, y, w, h;  // w == -1: no size
  };
  const Place places[] = {
      {"Color toolbar", 483, 0, 137, 298},
      {"Effects toolbar", -90, 0, -1, -1},
      {"Fill properties dialog", 209, 452, -1, -1},
      {"Library dialog", -180, 229, 180, 332},
      {"Library toolbar", -180, 89, -1, -1},
      {"Pen properties dialog", 0, 452, -1, -1},
      {"Eraser properties dialog", 0, 452, -1, -1},
      {"Replace properties dialog", 0, 452, -1, -1},
      {"Polygon properties dialog", 0, 452, -1, -1},
      {"Rectangle properties dialog", 0, 452, -1, -1},
      {"Text properties dialog", 0, 452, 209, 109},
      {"Navigator toolbar", 483, 298, 137, 154},
      {"Icon size dialog", 234, 177, -1, -1},
      {"Effect shadow dialog", 283, 365, -1, -1},
      {"Effect custom blur dialog", 283, 365, -1, -1},
      {"Effect blur dialog", 283, 365, -1, -1},
      {"Effect BSC dialog", 283, 365, -1, -1},
      {"Effect HLS dialog", 283, 365, -1, -1},
      {"Effect rotate dialog", 283, 365, -1, -1},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.key);
    EXPECT_EQ(s.read_int(p.key, "X", 12345), p.x);
    EXPECT_EQ(s.read_int(p.key, "Y", 12345), p.y);
    EXPECT_EQ(s.read_int(p.key, "Width", -1), p.w);
    EXPECT_EQ(s.read_int(p.key, "Height", -1), p.h);
  }
  EXPECT_EQ(s.read_string("Open II dialog", "Windows position", ""), "36,32,734,519,3,2");
  EXPECT_EQ(s.read_string("Import from image dialog", "Windows position", ""), "23,22,602,493,1,0");

  EXPECT_EQ(s.read_string("", "ExePath", ""), exe);
  EXPECT_EQ(s.read_string("", "Main executable", ""), exe);
  EXPECT_EQ(s.read_int("", "X", 0), 184);
  EXPECT_EQ(s.read_int("", "Y", 0), 5);
  EXPECT_EQ(s.read_int("", "Width", 0), 483);
  EXPECT_EQ(s.read_int("", "Height", 0), 452);
  EXPECT_EQ(s.read_string("", "RGB view format", ""), "%02X %02X %02X");
  EXPECT_EQ(s.read_int("", "Alpha level", 0), 85);
  const std::pair<const char*, int> colors[] = {
      {"Controls color", 0xF1D8C0},
      {"On controls color", 0xF5E4D3},
      {"Toolbar color", 0xF0F0F0},
      {"On toolbar color", 0xFFFFFF},
      {"Top color", 0xFFFFFF},
      {"Bottom color", 0xE1E1E1},
      {"Middle color", 0xF0F0F0},
      {"User controls color", 0xECDED5},
      {"User on controls color", 0xF1EAE2},
      {"User toolbar color", 0xF0F0F0},
      {"User on toolbar color", 0xFFFFFF},
      {"User top color", 0xFFFFFF},
      {"User bottom color", 0xE1E1E1},
      {"User middle color", 0xEAEAEA},
      {"Buttons background", 8},
      {"Linear interface", 4},
  };
  for (const auto& [name, value] : colors) EXPECT_EQ(s.read_int("", name, -1), value) << name;
}

TEST(InstallSwitch, InstallWritesEveryFirstRunValueAndTheLanguage) {
  MemorySettingsStore store;
  Settings s(store);
  EXPECT_TRUE(handle_install_switch(Args{"/install", "Deutsch"}, s, "/opt/morvane/morvane"));
  ExpectFirstRunValues(s, "/opt/morvane/morvane");
  EXPECT_EQ(s.read_string("", "Language", ""), "Deutsch");
}

TEST(InstallSwitch, InstallThroughTheProgramsStoreReadsBackAfterReopening) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto ini = std::filesystem::path(dir.path().toStdString()) / "settings.ini";
  const std::string exe = "/opt/Morvane Pro/morvane";
  {
    QtSettingsStore store(ini);
    Settings s(store);
    EXPECT_TRUE(handle_install_switch(Args{"/install"}, s, exe));
  }
  QtSettingsStore store(ini);
  const Settings s(store);
  ExpectFirstRunValues(s, exe);
  EXPECT_EQ(s.read_string("", "Language", "unset"), "unset");
}

TEST(InstallSwitch, ProgramPathIsStoredAbsolute) {
  MemorySettingsStore store;
  Settings s(store);
  write_first_run_defaults(s, "bin/morvane", nullptr);
  const std::string stored = s.read_string("", "Main executable", "");
  EXPECT_TRUE(std::filesystem::path(stored).is_absolute()) << stored;
  EXPECT_EQ(std::filesystem::path(stored).filename(), "morvane");
}

TEST(InstallSwitch, UninstallRemovesTheWholeTree) {
  MemorySettingsStore store;
  Settings s(store);
  write_first_run_defaults(s, "/x", nullptr);
  s.write_string("Icons history", "History.0", "a.ico");
  ASSERT_GT(store.value_count(), 0u);
  EXPECT_TRUE(handle_install_switch(Args{"/uninstall"}, s, "/x"));
  EXPECT_EQ(store.value_count(), 0u);
  EXPECT_FALSE(handle_install_switch(Args{"a.ico"}, s, "/x"));
  EXPECT_EQ(store.value_count(), 0u);
}

}  // namespace
}  // namespace morvane
