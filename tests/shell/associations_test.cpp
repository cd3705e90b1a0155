// File associations under a scratch HOME and XDG folders: apply, apply twice, uncheck and
// "/uninstall", with the desktop's own tools (desktop-file-validate, gio) as judges.
#include "shell/associations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "formats/picture_file.h"
#include "shell/desktop_files.h"
#include "shell/install_switches.h"
#include "shell/mimeapps_list.h"
#include "shell/settings_store.h"
#include "support/temp_dir.h"

namespace morvane {
namespace {

std::string Slurp(const std::filesystem::path& path) {
  return ReadTextFile(path).value_or("?");
}

void Spit(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Output of a command run through popen with the scratch folders in its environment. Only fixed
// command texts of this test pass through the shell here.
std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
  }
  return output;
}

bool Have(const char* tool) {
  return Shell(std::string("command -v ") + tool).find('/') == 0;
}

constexpr const char* kUserList =
    "# kept as it is\n"
    "[Added Associations]\n"
    "image/png=other-viewer.desktop;\n"
    "\n"
    "[Default Applications]\n"
    "image/png=other-viewer.desktop;\n"
    "text/plain=editor.desktop;\n";

class Associations : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    ::setenv("HOME", dir_.path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
    folders_ = DesktopFolders::FromEnvironment();
    programs_ = {"/opt/my apps/morvane", ""};
    // Another program that handled PNG pictures before.
    Spit(folders_.dataHome / "applications" / "other-viewer.desktop",
         "[Desktop Entry]\nType=Application\nName=Other viewer\nExec=true %f\n"
         "MimeType=image/png;\n");
    Spit(folders_.MimeAppsList(), kUserList);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  static AssociationChecks Checked(std::initializer_list<std::size_t> indices) {
    AssociationChecks checks{};
    for (std::size_t i : indices) checks[i] = true;
    return checks;
  }
  std::string DefaultFor(const std::string& mime) {
    return KeyFileLines(Slurp(folders_.MimeAppsList()))
        .Get(kDefaultApplications, mime)
        .value_or("(none)");
  }

  testing::TempDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  DesktopFolders folders_;
  ProgramPaths programs_;
};

constexpr std::size_t kIco = 0, kIcl = 2, kGif = 6, kPng = 7;

TEST_F(Associations, ApplyTwiceKeepsTheFirstBackupAndTouchesOnlyOurLines) {
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kIco, kPng})).ok());
  EXPECT_EQ(Slurp(folders_.MimeAppsList()),
            "# kept as it is\n"
            "[Added Associations]\n"
            "image/png=other-viewer.desktop;\n"
            "\n"
            "[Default Applications]\n"
            "image/png=morvane.desktop;\n"
            "text/plain=editor.desktop;\n"
            "image/vnd.microsoft.icon=morvane.desktop;\n");
  const std::string backups = Slurp(folders_.Backups());
  EXPECT_EQ(backups, "[Backups]\nBackup .ico=\nBackup .png=other-viewer.desktop;\n");
  const auto checks = CurrentAssociations(folders_);
  EXPECT_TRUE(checks[kIco]);
  EXPECT_TRUE(checks[kPng]);
  EXPECT_FALSE(checks[kGif]);

  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kIco, kPng})).ok());
  EXPECT_EQ(Slurp(folders_.Backups()), backups);
  EXPECT_NE(Slurp(folders_.DesktopEntry()).find("X-Morvane-Associations=true"), std::string::npos);
  EXPECT_NE(Slurp(folders_.MimePackage()).find("*.icl"), std::string::npos);
}

TEST_F(Associations, UncheckRestoresThePreviousHandlerOrRemovesOurLine) {
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kIco, kPng})).ok());
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({})).ok());
  EXPECT_EQ(DefaultFor("image/png"), "other-viewer.desktop;");
  // The icon type had no handler: it must not keep pointing at the editor.
  EXPECT_EQ(DefaultFor("image/vnd.microsoft.icon"), "(none)");
  EXPECT_EQ(Slurp(folders_.MimeAppsList()), kUserList);
  EXPECT_EQ(Slurp(folders_.Backups()), "[Backups]\n");
}

TEST_F(Associations, TypeTakenByAnotherProgramMeanwhileIsLeftAlone) {
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kGif})).ok());
  KeyFileLines list(Slurp(folders_.MimeAppsList()));
  list.Set(kDefaultApplications, "image/gif", "newcomer.desktop;");
  Spit(folders_.MimeAppsList(), list.Text());
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({})).ok());
  EXPECT_EQ(DefaultFor("image/gif"), "newcomer.desktop;");
  ASSERT_TRUE(RemoveAssociations(folders_).ok());
  EXPECT_EQ(DefaultFor("image/gif"), "newcomer.desktop;");
}

TEST_F(Associations, UninstallRestoresEverythingAndRemovesOnlyOurFiles) {
  Spit(folders_.dataHome / "applications" / "morvane-notes.txt", "not ours");
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kIco, kIcl, kGif, kPng})).ok());
  MemorySettingsStore store;
  Settings settings(store);
  std::vector<std::string> errors;
  ASSERT_TRUE(
      handle_install_switch({"/uninstall"}, settings, "/opt/my apps/morvane", &folders_, &errors));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Slurp(folders_.MimeAppsList()), kUserList);
  EXPECT_FALSE(std::filesystem::exists(folders_.Backups()));
  EXPECT_FALSE(std::filesystem::exists(folders_.DesktopEntry()));
  EXPECT_FALSE(std::filesystem::exists(folders_.MimePackage()));
  EXPECT_TRUE(std::filesystem::exists(folders_.dataHome / "applications" / "morvane-notes.txt"));
  EXPECT_TRUE(std::filesystem::exists(folders_.dataHome / "applications" / "other-viewer.desktop"));
}

TEST_F(Associations, BackupThatCannotBeWrittenChangesNothing) {
  // A file where the backup's folder must go.
  Spit(folders_.configHome / "Brenk Ltd", "in the way");
  const AssociationReport report = ApplyAssociations(folders_, programs_, Checked({kPng}));
  EXPECT_FALSE(report.ok());
  EXPECT_EQ(Slurp(folders_.MimeAppsList()), kUserList);
}

TEST_F(Associations, UninstallThatCannotRestoreKeepsTheBackups) {
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kPng})).ok());
  const std::string list = Slurp(folders_.MimeAppsList());
  std::filesystem::remove(folders_.MimeAppsList());
  std::filesystem::create_directory(folders_.MimeAppsList());  // unreadable as a file
  EXPECT_FALSE(RemoveAssociations(folders_).ok());
  EXPECT_TRUE(std::filesystem::exists(folders_.Backups()));
  EXPECT_TRUE(std::filesystem::exists(folders_.DesktopEntry()));
}

TEST_F(Associations, DesktopToolsAcceptTheEntryAndSeeTheHandlers) {
  programs_.editor = (dir_ / "bin dir" / "mor$vane \"x\"").string();
  // The desktop only offers entries whose program exists: it must find it through the quoting.
  Spit(programs_.editor, "#!/bin/sh\n");
  std::filesystem::permissions(programs_.editor, std::filesystem::perms::owner_all);
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({kPng, kIcl})).ok());
  if (Have("desktop-file-validate")) {
    const std::string out =
        Shell("desktop-file-validate '" + folders_.DesktopEntry().string() + "'");
    EXPECT_EQ(out, "") << out;
  }
  if (!Have("gio")) GTEST_SKIP() << "gio is not installed";
  EXPECT_NE(
      Shell("gio mime image/png").find("Default application for “image/png”: morvane.desktop"),
      std::string::npos)
      << Shell("gio mime image/png");
  if (Have("update-mime-database")) {
    // Our MIME package gives ".icl" a type, and the editor handles it.
    Spit(dir_ / "lib.icl", "x");
    EXPECT_NE(Shell("gio info -a standard::content-type '" + (dir_ / "lib.icl").string() + "'")
                  .find("application/x-icon-library"),
              std::string::npos);
    EXPECT_NE(Shell("gio mime application/x-icon-library").find("morvane.desktop"),
              std::string::npos);
  }
  ASSERT_TRUE(ApplyAssociations(folders_, programs_, Checked({})).ok());
  EXPECT_NE(Shell("gio mime image/png").find("other-viewer.desktop"), std::string::npos);
}

TEST(DesktopEntry, ExecQuotesEveryReservedCharacter) {
  EXPECT_EQ(QuoteExecArgument("/opt/my apps/a\"b$c`d\\e%f"),
            "\"/opt/my apps/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\"");
  EXPECT_EQ(QuoteExecArgument("/usr/bin/morvane"), "\"/usr/bin/morvane\"");
}

TEST(KeyFileLines, EditsOnlyTheLinesOfTheKey) {
  KeyFileLines file("[A]\nk=1\n#c\n[Default Applications]\nx=1\nk=2\nk=3\n\n[B]\nk=4");
  file.Set(kDefaultApplications, "k", "9");
  file.Set("A", "new", "n");
  file.Remove("B", "k");
  EXPECT_EQ(file.Text(), "[A]\nk=1\n#c\nnew=n\n[Default Applications]\nx=1\nk=9\n\n[B]");
  EXPECT_EQ(file.Get("A", "k"), "1");
  EXPECT_FALSE(file.Get("C", "k"));
  KeyFileLines empty("");
  empty.Set(kDefaultApplications, "image/png", "a.desktop;");
  EXPECT_EQ(empty.Text(), "[Default Applications]\nimage/png=a.desktop;\n");
  EXPECT_EQ(FirstDesktopId(" a.desktop ;b.desktop;"), "a.desktop");
}

TEST_F(Associations, RebuildIconCacheForgetsOnlyTheThumbnailsOfTheFiles) {
  const std::string name = "0a54ae74ea779891638446cf8afdfbde.png";
  EXPECT_EQ(ThumbnailName("/nonexistent-morvane/a b.ico"), name);
  const auto thumbs = folders_.cacheHome / "thumbnails";
  for (const auto& p : {thumbs / "normal" / name, thumbs / "large" / name,
                        thumbs / "fail" / "some-factory" / name, thumbs / "normal" / "other.png"})
    Spit(p, "png");
  ASSERT_TRUE(RebuildIconCache(folders_, {"/nonexistent-morvane/a b.ico", ""}).ok());
  EXPECT_FALSE(std::filesystem::exists(thumbs / "normal" / name));
  EXPECT_FALSE(std::filesystem::exists(thumbs / "large" / name));
  EXPECT_FALSE(std::filesystem::exists(thumbs / "fail" / "some-factory" / name));
  EXPECT_TRUE(std::filesystem::exists(thumbs / "normal" / "other.png"));
}

TEST_F(Associations, InstallWritesTheEntriesWithoutTakingAnyType) {
  MemorySettingsStore store;
  Settings settings(store);
  ASSERT_TRUE(handle_install_switch({"/install"}, settings, "/opt/m/morvane", &folders_, nullptr));
  EXPECT_TRUE(std::filesystem::exists(folders_.DesktopEntry()));
  EXPECT_EQ(Slurp(folders_.MimeAppsList()), kUserList);
}

TEST_F(Associations, ThumbnailerRendersAnIconThroughMorvaneCli) {
  programs_.cli = MORVANE_CLI_PATH;
  CDib picture;
  ASSERT_TRUE(picture.Create(40, 40));
  picture.SetPixel(3, 3, 0xFF0000FFu);
  ASSERT_TRUE(SavePictureFile(dir_ / "p.png", picture).ok());
  ASSERT_EQ(Shell("'" + programs_.cli + "' convert '" + (dir_ / "p.png").string() + "' '" +
                  (dir_ / "in file.ico").string() + "'"),
            "");
  // The Exec line as the desktop runs it: %i the file, %o the thumbnail, %s its size.
  const std::string text = ThumbnailerText(programs_);
  std::string exec = KeyFileLines(text).Get("Thumbnailer Entry", "Exec").value();
  auto replace = [&exec](const std::string& field, const std::string& value) {
    exec.replace(exec.find(field), field.size(), value);
  };
  replace("%i", "'" + (dir_ / "in file.ico").string() + "'");
  replace("%o", "'" + (dir_ / "thumb.png").string() + "'");
  replace("%s", "128");
  EXPECT_EQ(Shell(exec), "");
  const std::string png = Slurp(dir_ / "thumb.png");
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(static_cast<unsigned char>(png[19]), 128);  // IHDR width
}

}  // namespace
}  // namespace morvane
