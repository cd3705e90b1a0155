#include "ui/library_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/control_ids.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr int kCell = 48;
constexpr int kImageRole = Qt::UserRole;
constexpr int kGroupRole = Qt::UserRole + 1;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// The image centred in a cell over the list's background; images larger than the cell shrink.
QIcon CellIcon(const LibraryImage& image, const QColor& background) {
  QPixmap pixmap(kCell, kCell);
  pixmap.fill(background);
  const QImage picture = ToQImage(image.pixels);
  if (!picture.isNull()) {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize shown = picture.size().boundedTo(QSize(kCell, kCell));
    const QSize fitted = picture.size().scaled(shown, Qt::KeepAspectRatio);
    painter.drawImage(
        QRect(QPoint((kCell - fitted.width()) / 2, (kCell - fitted.height()) / 2), fitted),
        picture);
  }
  return QIcon(pixmap);
}

}  // namespace

LibraryWindow::LibraryWindow(const LanguagePack& pack, QWidget* parent)
    : QDockWidget(parent), pack_(pack) {
  setObjectName("Library dialog");
  setWindowTitle(Q(pack_.text(language_section::kLibraryTools, "title", "Library icons")));
  auto* body = new QWidget(this);
  auto* toolbar =
      new QToolBar(Q(pack_.text(language_section::kLibraryTools, "toolbar", "Library")), body);
  toolbar->setIconSize(QSize(20, 20));
  struct Spec {
    ButtonId id;
    const char* key;
    const char* english;
    QStyle::StandardPixmap icon;
  };
  const Spec specs[] = {
      {kNew, "new", "New library", QStyle::SP_FileIcon},
      {kOpen, "open_lib", "Open library", QStyle::SP_DialogOpenButton},
      {kSave, "save", "Save library", QStyle::SP_DialogSaveButton},
      {kSaveAs, "save_as", "Save library as", QStyle::SP_DriveFDIcon},
      {kAdd, "add", "Add icon", QStyle::SP_FileDialogNewFolder},
      {kDelete, "delete", "Delete icon", QStyle::SP_TrashIcon},
      {kClose, "close", "Close library", QStyle::SP_DialogCloseButton},
  };
  for (const Spec& spec : specs) {
    QAction* action =
        toolbar->addAction(style()->standardIcon(spec.icon),
                           Q(pack_.text(language_section::kLibraryTools, spec.key, spec.english)));
    buttons_[spec.id] = action;
    const ButtonId id = spec.id;
    connect(action, &QAction::triggered, this, [this, id] { emit Triggered(id); });
    if (spec.id == kDelete) toolbar->addSeparator();
  }
  openMenu_ = new QMenu(this);
  buttons_[kOpen]->setMenu(openMenu_);
  if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(buttons_[kOpen])))
    button->setPopupMode(QToolButton::MenuButtonPopup);

  list_ = new QListWidget(body);
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kCell, kCell));
  list_->setGridSize(QSize(kCell + 10, kCell + 10));
  list_->setResizeMode(QListView::Adjust);
  list_->setMovement(QListView::Static);
  list_->setUniformItemSizes(true);
  list_->setSpacing(0);
  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    ShowStatus();
    emit SelectionMoved();
  });
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    ShowStatus();
    emit SelectionMoved();
  });
  connect(list_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { emit GroupActivated(item->data(kGroupRole).toInt()); });
  status_ = new QLabel(body);
  status_->setFont(QFont("monospace"));
  status_->setMinimumWidth(220);

  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(toolbar);
  layout->addWidget(list_, 1);
  layout->addWidget(status_);
  setWidget(body);
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
              QDockWidget::DockWidgetClosable);
}

QAction* LibraryWindow::Button(int which) const {
  return which >= 0 && which < kButtonCount ? buttons_[which] : nullptr;
}

void LibraryWindow::Show(const LibrarySession& session, int select) {
  session_ = &session;
  const IconLibrary& library = session.Library();
  const int keep = select >= 0 ? select : list_->currentRow();
  list_->clear();
  // Groups are told apart by alternating cell backgrounds, the open group by a highlight.
  const QColor even = palette().color(QPalette::Base);
  const QColor odd = even.darker(112);
  const QColor current = palette().color(QPalette::Highlight).lighter(170);
  for (int g = 0; g < library.groupCount; ++g) {
    const QColor background = g == session.CurrentGroup() ? current : (g % 2 ? odd : even);
    for (int i : library.GroupImages(g)) {
      const LibraryImage& image = library.images[static_cast<std::size_t>(i)];
      auto* item = new QListWidgetItem(CellIcon(image, background), QString(), list_);
      item->setData(kImageRole, i);
      item->setData(kGroupRole, g);
      item->setBackground(background);
      item->setToolTip(Q(LibraryImageStatus(image)));
    }
  }
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->item(row)->data(kImageRole).toInt() == keep) list_->setCurrentRow(row);
  }
  setWindowTitle(Q(pack_.text(language_section::kLibraryTools, "title", "Library icons")) + " - " +
                 QString::fromStdString(library.path.filename().string()));
  ShowStatus();
  UpdateButtons(session);
}

void LibraryWindow::UpdateButtons(const LibrarySession& session) {
  const bool idle = !session.Busy();
  const bool icl = session.IsOpen() && session.Library().isIcl && idle;
  buttons_[kNew]->setEnabled(idle);
  buttons_[kOpen]->setEnabled(idle);
  buttons_[kSave]->setEnabled(icl);
  buttons_[kSaveAs]->setEnabled(icl);
  buttons_[kAdd]->setEnabled(icl);
  buttons_[kDelete]->setEnabled(icl && SelectedGroup() >= 0 && session.Library().groupCount > 1);
  buttons_[kClose]->setEnabled(idle);
  list_->setEnabled(idle);
}

int LibraryWindow::SelectedImage() const {
  const QListWidgetItem* item = list_->currentItem();
  return item && item->isSelected() ? item->data(kImageRole).toInt() : -1;
}

int LibraryWindow::SelectedGroup() const {
  const QListWidgetItem* item = list_->currentItem();
  return item && item->isSelected() ? item->data(kGroupRole).toInt() : -1;
}

QString LibraryWindow::StatusText() const {
  return status_->text();
}

void LibraryWindow::ShowStatus() {
  const int image = SelectedImage();
  if (!session_ || image < 0 || image >= static_cast<int>(session_->Library().images.size())) {
    status_->clear();
  } else {
    status_->setText(
        Q(LibraryImageStatus(session_->Library().images[static_cast<std::size_t>(image)])));
  }
  if (session_) UpdateButtons(*session_);
}

void LibraryWindow::closeEvent(QCloseEvent* event) {
  // The controller decides whether the library may close (questions, a running save).
  event->ignore();
  emit Triggered(kClose);
}

}  // namespace morvane
