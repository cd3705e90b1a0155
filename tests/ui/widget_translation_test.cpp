#include "ui/widget_translation.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/control_ids.h"
#include "shell/pack_files.h"
#include "support/qt_app.h"

namespace morvane {
namespace {

class WidgetTranslation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    folder_.WritePack("langs/deutsch.lng", "Deutsch",
                      "[Custom size]\n"
                      "0=Eigene Gr\xC3\xB6\xC3\x9F"
                      "e\n"
                      "1000=Breite:\n"
                      "1001=\"  Seitenverh\xC3\xA4ltnis  \"\n"
                      "1002=Zwei\\nZeilen\n"
                      "1003=Optionen\n"
                      "1004_0=Klein\n"
                      "1004_1=Gro\xC3\x9F\n"
                      "1005_1=Erweitert\n"
                      "6=Jawohl\n"
                      "hint_0=1000,Breite in Pixeln\n"
                      "hint_1=0,Fenster\n"
                      "hint_3=1003,nie\n"
                      "[DEFAULT]\n1=OK (de)\n2=Abbrechen\n6=Ja\n"
                      "[Main_menu]\n"
                      "0+32881=&Datei\n32881=Neues &Symbol\n32884=Objekt &speichern ...\\tF2\n"
                      "1+33085=Bild hinzuf\xC3\xBCgen\n0+33085=Echtfarben mit Alpha\n"
                      "0+32879=&Bearbeiten\n");
    pack_.discover(folder_.root());
    ASSERT_TRUE(pack_.select("Deutsch"));
  }

  testing::PackFolder folder_;
  LanguagePack pack_;
};

TEST_F(WidgetTranslation, DialogCaptionsComboItemsAndStandardButtons) {
  QDialog dialog;
  dialog.setWindowTitle("Custom size");
  auto* layout = new QVBoxLayout(&dialog);
  auto* width = new QLabel("Width:");
  auto* aspect = new QCheckBox("Keep aspect");
  auto* note = new QLabel("Two lines");
  auto* group = new QGroupBox("Options");
  auto* combo = new QComboBox;
  combo->addItems({"Small", "Large", "Huge"});
  combo->setCurrentIndex(1);
  auto* tabs = new QTabWidget;
  tabs->addTab(new QWidget, "Basic");
  tabs->addTab(new QWidget, "Advanced");
  auto* untagged = new QLabel("No identifier");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                       QDialogButtonBox::Yes | QDialogButtonBox::No);
  for (QWidget* w :
       {static_cast<QWidget*>(width), static_cast<QWidget*>(aspect), static_cast<QWidget*>(note),
        static_cast<QWidget*>(group), static_cast<QWidget*>(combo), static_cast<QWidget*>(tabs),
        static_cast<QWidget*>(untagged), static_cast<QWidget*>(buttons)}) {
    layout->addWidget(w);
  }
  set_control_id(width, 1000);
  set_control_id(aspect, 1001);
  set_control_id(note, 1002);
  set_control_id(group, 1003);
  set_control_id(combo, 1004);
  set_control_id(tabs, 1005);

  translate_dialog(pack_, "Custom size", &dialog);

  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Eigene Gr\xC3\xB6\xC3\x9F"
                                                    "e"));
  EXPECT_EQ(width->text(), "Breite:");
  EXPECT_EQ(aspect->text(), QString::fromUtf8("  Seitenverh\xC3\xA4ltnis  "));
  EXPECT_EQ(note->text(), "Zwei\nZeilen");
  EXPECT_EQ(group->title(), "Optionen");
  EXPECT_EQ(combo->itemText(0), "Klein");
  EXPECT_EQ(combo->itemText(1), QString::fromUtf8("Gro\xC3\x9F"));
  EXPECT_EQ(combo->itemText(2), "Huge");
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(tabs->tabText(0), "Basic");
  EXPECT_EQ(tabs->tabText(1), "Erweitert");
  EXPECT_EQ(untagged->text(), "No identifier");
  // The dialog's own section wins over the shared one; the shared one fills the rest.
  EXPECT_EQ(buttons->button(QDialogButtonBox::Yes)->text(), "Jawohl");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text(), "OK (de)");
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
  EXPECT_EQ(buttons->button(QDialogButtonBox::No)->text(), "&No");
}

TEST_F(WidgetTranslation, PanelInsideAWindowIsTranslatedButNotItsOwnDialogs) {
  QWidget mainWindow;
  auto* panel = new QWidget(&mainWindow);
  auto* label = new QLabel("Width:", panel);
  auto* popup = new QDialog(panel);  // a separate window parented to the panel
  auto* popupLabel = new QLabel("Width:", popup);
  set_control_id(label, 1000);
  set_control_id(popupLabel, 1000);
  translate_dialog(pack_, "Custom size", panel);
  EXPECT_EQ(label->text(), "Breite:");
  EXPECT_EQ(popupLabel->text(), "Width:");
}

TEST_F(WidgetTranslation, WithoutAPackCaptionsStay) {
  LanguagePack english;
  QDialog dialog;
  dialog.setWindowTitle("Custom size");
  auto* label = new QLabel("Width:", &dialog);
  set_control_id(label, 1000);
  translate_dialog(english, "Custom size", &dialog);
  EXPECT_EQ(dialog.windowTitle(), "Custom size");
  EXPECT_EQ(label->text(), "Width:");
}

TEST_F(WidgetTranslation, HintsGoToTheNamedWidgetsUpToTheFirstGap) {
  QDialog dialog;
  auto* width = new QLabel("Width:", &dialog);
  auto* group = new QGroupBox("Options", &dialog);
  set_control_id(width, 1000);
  set_control_id(group, 1003);
  apply_hints(pack_, "Custom size", &dialog);
  EXPECT_EQ(width->toolTip(), "Breite in Pixeln");
  EXPECT_EQ(dialog.toolTip(), "Fenster");
  EXPECT_EQ(group->toolTip(), "");
}

TEST_F(WidgetTranslation, MenuBarPopupsAndCommandsKeepTheirState) {
  QMenuBar bar;
  QMenu* file = bar.addMenu("&File");
  QAction* newIcon = file->addAction("New icon");
  QAction* newCursor = file->addAction("New cursor");
  file->addSeparator();
  QAction* save = file->addAction("Save object ...\tF2");
  QMenu* addImage = file->addMenu("Add image");
  QMenu* alpha = addImage->addMenu("True-color with alpha");
  QAction* add256 = alpha->addAction("256 x 256");
  QMenu* edit = bar.addMenu("&Edit");
  QAction* undo = edit->addAction("Undo");
  set_control_id(newIcon, 32881);
  set_control_id(newCursor, 32882);
  set_control_id(save, 32884);
  set_control_id(add256, 33085);
  set_control_id(undo, 32879);
  newIcon->setCheckable(true);
  newIcon->setChecked(true);
  save->setEnabled(false);

  translate_menu(pack_, "Main_menu", &bar);

  EXPECT_EQ(file->menuAction()->text(), "&Datei");
  EXPECT_EQ(newIcon->text(), "Neues &Symbol");
  EXPECT_TRUE(newIcon->isChecked());
  EXPECT_EQ(newCursor->text(), "New cursor");
  EXPECT_EQ(save->text(), "Objekt &speichern ...\tF2");
  EXPECT_FALSE(save->isEnabled());
  EXPECT_EQ(addImage->menuAction()->text(), QString::fromUtf8("Bild hinzuf\xC3\xBCgen"));
  EXPECT_EQ(alpha->menuAction()->text(), "Echtfarben mit Alpha");
  EXPECT_EQ(add256->text(), "256 x 256");
  EXPECT_EQ(edit->menuAction()->text(), "&Bearbeiten");
}

TEST_F(WidgetTranslation, LanguageMenuListsPacksUnderTheirCommands) {
  folder_.WritePack("english.lng", "English", "");
  LanguagePack pack;
  pack.discover(folder_.root());
  pack.select("Deutsch");
  QMenu menu;
  menu.addAction("stale entry");
  fill_language_menu(pack, &menu);
  const QList<QAction*> actions = menu.actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), "English");
  EXPECT_EQ(control_id_of(actions[0]), 33300);
  EXPECT_FALSE(actions[0]->isChecked());
  EXPECT_EQ(actions[1]->text(), "Deutsch");
  EXPECT_EQ(control_id_of(actions[1]), 33301);
  EXPECT_TRUE(actions[1]->isChecked());
  fill_language_menu(LanguagePack(), &menu);
  EXPECT_TRUE(menu.actions().isEmpty());
}

TEST(ControlId, IsReadBackOnlyWhenSet) {
  QObject object;
  EXPECT_EQ(control_id_of(&object), std::nullopt);
  set_control_id(&object, 0);
  EXPECT_EQ(control_id_of(&object), 0);
  object.setProperty(kControlIdProperty, "not a number");
  EXPECT_EQ(control_id_of(&object), std::nullopt);
  EXPECT_EQ(ToDisplayText("a\r\nb\rc"), "a\nb\nc");
}

}  // namespace
}  // namespace morvane
