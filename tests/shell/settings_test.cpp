#include "shell/settings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "shell/settings_main_window.h"
#include "shell/settings_qt_store.h"
#include "shell/settings_store.h"

namespace morvane {
namespace {

std::filesystem::path TempIni(const QTemporaryDir& dir) {
  return std::filesystem::path(dir.path().toStdString()) / "settings.ini";
}

// The same checks run against both stores: the program's and the one tests use.
void ExpectTypedRoundTrip(SettingsStore& store) {
  Settings s(store);
  EXPECT_EQ(s.read_int("", "Zoom", 7), 7);
  EXPECT_EQ(s.read_string("", "Language", "English"), "English");
  EXPECT_TRUE(s.read_binary("Text properties dialog", "Font").empty());

  s.write_int("", "Zoom", 3);
  s.write_int("Library toolbar", "X", -180);
  s.write_int("", "Last color", static_cast<std::int32_t>(0xFF80FF80u));
  s.write_string("Open II dialog", "Windows position", "36,32,734,519,3,2");
  s.write_string("", "RGB view format", "%02X %02X %02X");
  s.write_string("", "Last working folder",
                 "C:\\Icons\\Gr\xC3\xBC"
                 "n \"@x\"");
  SettingBytes font(60);
  for (std::size_t i = 0; i < font.size(); ++i) font[i] = static_cast<std::uint8_t>(i * 7);
  s.write_binary("Text properties dialog", "Font", font);

  EXPECT_EQ(s.read_int("", "Zoom", 0), 3);
  EXPECT_EQ(s.read_int("Library toolbar", "X", 0), -180);
  EXPECT_EQ(static_cast<std::uint32_t>(s.read_int("", "Last color", 0)), 0xFF80FF80u);
  EXPECT_EQ(s.read_string("Open II dialog", "Windows position", ""), "36,32,734,519,3,2");
  EXPECT_EQ(s.read_string("", "RGB view format", ""), "%02X %02X %02X");
  EXPECT_EQ(s.read_string("", "Last working folder", ""),
            "C:\\Icons\\Gr\xC3\xBC"
            "n \"@x\"");
  EXPECT_EQ(s.read_binary("Text properties dialog", "Font"), font);
  // The root and a sub-key are separate places.
  EXPECT_EQ(s.read_int("", "X", 99), 99);
  EXPECT_EQ(s.read_int("Library toolbar", "Zoom", 99), 99);

  s.remove_section("Library toolbar");
  EXPECT_EQ(s.read_int("Library toolbar", "X", 5), 5);
  EXPECT_EQ(s.read_int("", "Zoom", 0), 3);
  s.remove_section("");
  EXPECT_EQ(s.read_int("", "Zoom", 1), 1);
  EXPECT_EQ(s.read_string("Open II dialog", "Windows position", "none"), "none");
}

TEST(Settings, MemoryStoreKeepsTypedValuesPerSection) {
  MemorySettingsStore store;
  ExpectTypedRoundTrip(store);
}

TEST(Settings, QtStoreKeepsTypedValuesInItsFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtSettingsStore store(TempIni(dir));
  ExpectTypedRoundTrip(store);
}

TEST(Settings, QtStoreValuesSurviveReopening) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  {
    QtSettingsStore store(TempIni(dir));
    Settings s(store);
    s.write_int("Color toolbar", "Width", 137);
    s.write_string("Icons history", "History.0", "/tmp/a,b.ico");
    s.write_int("", "Matte color", 0xDDDDDD);
  }
  QtSettingsStore store(TempIni(dir));
  Settings s(store);
  EXPECT_EQ(s.read_int("Color toolbar", "Width", 0), 137);
  EXPECT_EQ(s.read_string("Icons history", "History.0", ""), "/tmp/a,b.ico");
  EXPECT_EQ(s.read_int("", "Matte color", 0), 0xDDDDDD);
}

TEST(Settings, MismatchedTypesReadAsDefault) {
  MemorySettingsStore store;
  Settings s(store);
  s.write_string("", "Zoom", "large");
  s.write_int("", "Language", 5);
  s.write_binary("", "Pen size", {1, 2, 3});
  EXPECT_EQ(s.read_int("", "Zoom", 4), 4);
  EXPECT_EQ(s.read_string("", "Language", "English"), "English");
  EXPECT_EQ(s.read_int("", "Pen size", 1), 1);
  // Numbers kept as text, as INI files hold them, are numbers.
  s.write_string("", "Alpha level", "120");
  EXPECT_EQ(s.read_int("", "Alpha level", 85), 120);
}

TEST(Settings, DecimalTextParsesAsRegistryInteger) {
  EXPECT_EQ(ParseSettingInt("0"), 0);
  EXPECT_EQ(ParseSettingInt("-180"), -180);
  EXPECT_EQ(ParseSettingInt("+12"), 12);
  EXPECT_EQ(ParseSettingInt("4286644096"), static_cast<std::int32_t>(0xFF80FF80u));
  EXPECT_EQ(ParseSettingInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseSettingInt("4294967296"), std::nullopt);
  EXPECT_EQ(ParseSettingInt("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseSettingInt(""), std::nullopt);
  EXPECT_EQ(ParseSettingInt("-"), std::nullopt);
  EXPECT_EQ(ParseSettingInt("12px"), std::nullopt);
  EXPECT_EQ(ParseSettingInt(" 12"), std::nullopt);
}

TEST(Settings, UnopenableStoreReadsDefaultsAndDropsWritesSilently) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // The settings file would live below a regular file: it can be neither read nor written.
  const auto blocker = std::filesystem::path(dir.path().toStdString()) / "file";
  std::ofstream(blocker) << "x";
  {
    QtSettingsStore store(blocker / "sub" / "settings.ini");
    Settings s(store);
    s.write_int("", "Zoom", 3);
    store.sync();
  }
  QtSettingsStore store(blocker / "sub" / "settings.ini");
  Settings s(store);
  EXPECT_EQ(s.read_int("", "Zoom", 0), 0);
  EXPECT_EQ(s.read_string("", "Language", "English"), "English");
}

TEST(Settings, NamesWithSlashesNeverReachAnotherSubKey) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtSettingsStore store(TempIni(dir));
  Settings s(store);
  s.write_int("Color toolbar", "X", 483);
  s.write_int("", "Color toolbar/X", 1);
  s.write_int("Color toolbar\\X", "Y", 2);
  EXPECT_EQ(s.read_int("Color toolbar", "X", 0), 483);
  EXPECT_EQ(s.read_int("", "Color toolbar/X", 0), 0);
}

TEST(MainWindowSettings, MissingValuesReadAsTheirDefaults) {
  MemorySettingsStore store;
  const Settings s(store);
  const auto m = MainWindowSettings::Load(s);
  EXPECT_EQ(m.lastWorkingFolder, "");
  EXPECT_EQ(m.defaultOpenDialog, 107);
  EXPECT_EQ(m.lastTool, 10);
  EXPECT_EQ(m.lastColor, 0xFF80FF80u);
  EXPECT_EQ(m.lastColor2, 0x00BFCAD2u);
  EXPECT_EQ(m.lastColor2, SwapRedBlue(m.transpColor));
  EXPECT_EQ(m.transpColor, 0xD2CABFu);
  EXPECT_EQ(m.transparency, 0);
  EXPECT_EQ(m.transparency2, 255);
  EXPECT_EQ(m.penSize, 1);
  EXPECT_FALSE(m.gradUsing);
  EXPECT_TRUE(m.antiAliasing);
  EXPECT_EQ(m.antiAliasingLevel, 8);
  EXPECT_TRUE(m.transparentMode);
  EXPECT_EQ(m.lockedChannels, 0u);
  EXPECT_EQ(m.zoom, 0);
  EXPECT_FALSE(m.showGrid);
  EXPECT_EQ(m.matteColor, 0xDDDDDDu);
  EXPECT_EQ(m.previewColor, 0xC0C0C0u);
  EXPECT_EQ(m.alphaLevel, 85);
  EXPECT_EQ(m.width, 0);
  EXPECT_EQ(m.height, 0);
  EXPECT_EQ(m.lastSaveImageFormat, 1);
  EXPECT_TRUE(m.firstLaunch);
  EXPECT_EQ(read_language(s), "English");
}

TEST(MainWindowSettings, SaveThenLoadKeepsEveryValue) {
  MemorySettingsStore store;
  Settings s(store);
  MainWindowSettings m;
  m.lastWorkingFolder = "/home/u/icons";
  m.lastTool = 12;
  m.lastColor = 0x80123456;
  m.lockedChannels = 0xFF000000;
  m.penSize = 64;
  m.gradUsing = true;
  m.antiAliasing = false;
  m.zoom = -1;
  m.x = 10;
  m.y = 20;
  m.width = 600;
  m.firstLaunch = false;
  m.Save(s);
  const auto r = MainWindowSettings::Load(s);
  EXPECT_EQ(r.lastWorkingFolder, m.lastWorkingFolder);
  EXPECT_EQ(r.lastTool, 12);
  EXPECT_EQ(r.lastColor, 0x80123456u);
  EXPECT_EQ(r.lockedChannels, 0xFF000000u);
  EXPECT_EQ(r.penSize, 64);
  EXPECT_TRUE(r.gradUsing);
  EXPECT_FALSE(r.antiAliasing);
  EXPECT_EQ(r.zoom, -1);
  EXPECT_EQ(r.x, 10);
  EXPECT_EQ(r.y, 20);
  EXPECT_EQ(r.width, 600);
  EXPECT_FALSE(r.firstLaunch);
}

TEST(MainWindowSettings, DamagedValuesAreClampedToTheirRanges) {
  MemorySettingsStore store;
  Settings s(store);
  s.write_int("", "Pen size", 1000000);
  s.write_int("", "Anti-aliasing level", 100000);
  s.write_int("", "Alpha level", 0);
  s.write_int("", "Transparency", -5);
  s.write_int("", "Zoom", 40);
  const auto m = MainWindowSettings::Load(s);
  EXPECT_EQ(m.penSize, 64);
  EXPECT_EQ(m.antiAliasingLevel, 16);
  EXPECT_EQ(m.alphaLevel, 1);
  EXPECT_EQ(m.transparency, 0);
  EXPECT_EQ(m.zoom, 12);
}

TEST(MainWindowSettings, EmptyLanguageReadsAsEnglish) {
  MemorySettingsStore store;
  Settings s(store);
  write_language(s, "");
  EXPECT_EQ(read_language(s), "English");
  write_language(s, "Deutsch");
  EXPECT_EQ(read_language(s), "Deutsch");
}

TEST(FormatRgbView, HonoursOnlyThreeIntegerConversions) {
  EXPECT_EQ(FormatRgbView("%02X %02X %02X", 255, 8, 0), "FF 08 00");
  EXPECT_EQ(FormatRgbView("R=%d, G=%d, B=%d (100%%)", 1, 22, 255), "R=1, G=22, B=255 (100%)");
  EXPECT_EQ(FormatRgbView("#%02x%02x%02x", 171, 205, 239), "#abcdef");
  // A damaged or hostile format is shown, never handed to printf.
  EXPECT_EQ(FormatRgbView("%s %n %02X", 1, 2, 3), "%s %n 01");
  EXPECT_EQ(FormatRgbView("%d %d %d %d", 1, 2, 3), "1 2 3 %d");
  EXPECT_EQ(FormatRgbView("%*d %.100d %", 1, 2, 3), "%*d %.100d %");
}

}  // namespace
}  // namespace morvane
