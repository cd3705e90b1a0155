// The associations and plug-in installer dialogs over scratch folders.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/associations_dialog.h"
#include "ui/plugin_installer_dialog.h"

namespace morvane {
namespace {

TEST(AssociationsDialog, StartsFromTheCurrentStateAndMarksInvertsAndClears) {
  testing::EnsureApplication();
  LanguagePack english;
  AssociationChecks start{};
  start[1] = true;
  AssociationsDialog dialog(english, start);
  EXPECT_EQ(dialog.Checks(), start);
  dialog.Invert();
  AssociationChecks inverted{};
  inverted.fill(true);
  inverted[1] = false;
  EXPECT_EQ(dialog.Checks(), inverted);
  dialog.MarkAll(true);
  AssociationChecks all{};
  all.fill(true);
  EXPECT_EQ(dialog.Checks(), all);
  dialog.MarkAll(false);
  EXPECT_EQ(dialog.Checks(), AssociationChecks{});
}

TEST(PluginInstallerDialog, ProposesTheLastHostAndStaysOpenOnFailure) {
  testing::EnsureApplication();
  testing::TempDir dir;
  LanguagePack english;
  HostProbe probe;
  probe.folders = {dir / "data", dir / "config", dir / "cache"};
  probe.hasProgram = [](std::string_view name) { return name == "gimp-3.0" || name == "krita"; };
  PluginInstallerDialog dialog(english, probe, "/opt/morvane/morvane");
  std::vector<std::pair<QString, bool>> shown;
  dialog.SetNotify(
      [&shown](QWidget*, const QString& text, bool failure) { shown.emplace_back(text, failure); });
  ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
  const QString krita = QString::fromStdString((dir / "data" / "krita" / "pykrita").string());
  EXPECT_EQ(dialog.Location(), krita);
  dialog.List()->setCurrentItem(dialog.List()->topLevelItem(0));
  EXPECT_EQ(dialog.Location(),
            QString::fromStdString((dir / "config" / "GIMP" / "3.0" / "plug-ins").string()));

  // The folder does not exist yet: refused, nothing created, the dialog stays.
  dialog.Install();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].second);
  EXPECT_TRUE(shown[0].first.startsWith("Sorry, can't install plug-in to selected folder!"));
  EXPECT_FALSE(std::filesystem::exists(dir / "config" / "GIMP"));

  std::filesystem::create_directories(dir / "config" / "GIMP" / "3.0" / "plug-ins");
  dialog.Install();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], std::make_pair(QString("Plug-in has installed successfully!"), false));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(std::filesystem::exists(dir / "config" / "GIMP" / "3.0" / "plug-ins" /
                                      "morvane-export" / "morvane-export.py"));
}

}  // namespace
}  // namespace morvane
