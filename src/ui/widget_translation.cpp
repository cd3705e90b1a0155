#include "ui/widget_translation.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVariant>

#include "shell/control_ids.h"
#include "shell/language_pack_menu.h"

namespace morvane {

namespace {

// --- Menus ----------------------------------------------------------------------------------

// One level of a QMenu or QMenuBar: both keep their items as actions.
class QtMenuAccess final : public MenuAccess {
 public:
  explicit QtMenuAccess(QWidget* menu) : actions_(menu->actions()) {}

  int item_count() const override { return static_cast<int>(actions_.size()); }
  int command_id(int index) const override {
    const QAction* action = actions_[index];
    if (action->isSeparator()) return 0;
    return control_id_of(action).value_or(0);
  }
  std::unique_ptr<MenuAccess> popup(int index) override {
    QMenu* sub = actions_[index]->menu();
    if (!sub) return nullptr;
    return std::make_unique<QtMenuAccess>(sub);
  }
  void set_text(int index, const std::string& text) override {
    actions_[index]->setText(QString::fromStdString(text));
  }

 private:
  QList<QAction*> actions_;
};

// --- Dialogs --------------------------------------------------------------------------------

std::optional<int> StandardButtonId(const QAbstractButton* button) {
  const auto* box = qobject_cast<const QDialogButtonBox*>(button->parentWidget());
  if (!box) return std::nullopt;
  switch (box->standardButton(const_cast<QAbstractButton*>(button))) {
    case QDialogButtonBox::Ok:
      return control_id::kOk;
    case QDialogButtonBox::Cancel:
      return control_id::kCancel;
    case QDialogButtonBox::Abort:
      return control_id::kAbort;
    case QDialogButtonBox::Retry:
      return control_id::kRetry;
    case QDialogButtonBox::Ignore:
      return control_id::kIgnore;
    case QDialogButtonBox::Yes:
      return control_id::kYes;
    case QDialogButtonBox::No:
      return control_id::kNo;
    case QDialogButtonBox::Close:
      return control_id::kClose;
    case QDialogButtonBox::Help:
      return control_id::kHelp;
    default:
      return std::nullopt;
  }
}

class DialogTranslator {
 public:
  DialogTranslator(const LanguagePack& pack, std::string_view section)
      : pack_(pack), section_(section) {}

  // The translation of caption, or nothing when the pack keeps it.
  std::optional<QString> Lookup(const std::string& key, const QString& caption,
                                bool sharedFallback = false) const {
    std::string text = pack_.text(section_, key, "");
    if (text.empty() && sharedFallback) text = pack_.text(language_section::kDefault, key, "");
    if (text.empty()) return std::nullopt;
    QString translated = ToDisplayText(text);
    if (translated == caption) return std::nullopt;
    return translated;
  }

  void Window(QWidget* window) const {
    if (auto t = Lookup(std::to_string(control_id::kWindow), window->windowTitle())) {
      window->setWindowTitle(*t);
    }
  }

  void Widget(QWidget* widget) const {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      const auto own = control_id_of(button);
      const auto id = own ? own : StandardButtonId(button);
      if (!id) return;
      if (auto t = Lookup(std::to_string(*id), button->text(), !own)) button->setText(*t);
      return;
    }
    const auto id = control_id_of(widget);
    if (!id) return;
    const std::string key = std::to_string(*id);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (auto t = Lookup(key, label->text())) label->setText(*t);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      if (auto t = Lookup(key, group->title())) group->setTitle(*t);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      // setItemText keeps the current index, so the user's choice survives.
      for (int i = 0; i < combo->count(); ++i) {
        if (auto t = Lookup(ItemKey(*id, i), combo->itemText(i))) combo->setItemText(i, *t);
      }
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) {
        if (auto t = Lookup(ItemKey(*id, i), tabs->tabText(i))) tabs->setTabText(i, *t);
      }
    } else if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
      QTreeWidgetItem* header = tree->headerItem();
      for (int i = 0; header && i < header->columnCount(); ++i) {
        if (auto t = Lookup(ItemKey(*id, i), header->text(i))) header->setText(i, *t);
      }
    } else if (auto* table = qobject_cast<QTableWidget*>(widget)) {
      for (int i = 0; i < table->columnCount(); ++i) {
        QTableWidgetItem* header = table->horizontalHeaderItem(i);
        if (!header) continue;
        if (auto t = Lookup(ItemKey(*id, i), header->text())) header->setText(*t);
      }
    }
  }

 private:
  const LanguagePack& pack_;
  std::string_view section_;
};

// The widgets below window that show in the same window, leaving out other windows parented
// to it (menus, dialogs). window may itself be a panel inside a larger window.
QList<QWidget*> OwnWidgets(QWidget* window) {
  QList<QWidget*> own;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() == window->window()) own.push_back(w);
  }
  return own;
}

}  // namespace

void set_control_id(QObject* object, int id) {
  object->setProperty(kControlIdProperty, id);
}

std::optional<int> control_id_of(const QObject* object) {
  const QVariant v = object->property(kControlIdProperty);
  bool ok = false;
  const int id = v.toInt(&ok);
  if (!v.isValid() || !ok) return std::nullopt;
  return id;
}

QString ToDisplayText(std::string_view packText) {
  QString text = QString::fromUtf8(packText.data(), static_cast<qsizetype>(packText.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  return text;
}

void translate_dialog(const LanguagePack& pack, std::string_view section, QWidget* window) {
  if (!window) return;
  const DialogTranslator translator(pack, section);
  translator.Window(window);
  for (QWidget* widget : OwnWidgets(window)) translator.Widget(widget);
}

void translate_menu(const LanguagePack& pack, std::string_view section, QMenu* menu) {
  if (!menu) return;
  QtMenuAccess access(menu);
  translate_menu(pack, section, access);
}

void translate_menu(const LanguagePack& pack, std::string_view section, QMenuBar* menuBar) {
  if (!menuBar) return;
  QtMenuAccess access(menuBar);
  translate_menu(pack, section, access);
}

void fill_language_menu(const LanguagePack& pack, QMenu* menu) {
  if (!menu) return;
  menu->clear();
  for (const LanguageMenuEntry& entry : language_menu_entries(pack)) {
    QAction* action = menu->addAction(QString::fromStdString(entry.name));
    set_control_id(action, entry.commandId);
    action->setCheckable(true);
    action->setChecked(entry.checked);
  }
}

void apply_hints(const LanguagePack& pack, std::string_view section, QWidget* window) {
  if (!window) return;
  const QList<QWidget*> widgets = OwnWidgets(window);
  for (const ControlHint& hint : pack.hints(section)) {
    QWidget* target = hint.controlId == control_id::kWindow ? window : nullptr;
    for (QWidget* w : widgets) {
      if (target) break;
      if (control_id_of(w) == hint.controlId) target = w;
    }
    if (target) target->setToolTip(ToDisplayText(hint.text));
  }
}

QString PackText(const LanguagePack& pack, std::string_view section, std::string_view key,
                 std::string_view english) {
  return ToDisplayText(pack.text(section, key, english));
}

}  // namespace morvane
