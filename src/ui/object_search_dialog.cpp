#include "ui/object_search_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_image.h"
#include "ui/widget_translation.h"

namespace morvane {
namespace {

constexpr std::string_view kSection = "Search object dialog";
constexpr int kIconSide = 48;
constexpr int kSizes[] = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
constexpr int kFormats[] = {1, 4, 8, 24, 32};

QString Text(const LanguagePack& pack, std::string_view key, std::string_view english) {
  return PackText(pack, kSection, key, english);
}

QString KindText(const LanguagePack& pack, FoundKind kind) {
  switch (kind) {
    case FoundKind::kCursor:
      return Text(pack, "cursor", "cursor");
    case FoundKind::kAnimatedCursor:
      return Text(pack, "animated_cursor", "animated cursor");
    case FoundKind::kLibrary:
      return Text(pack, "library", "icon library");
    case FoundKind::kProgram:
      return Text(pack, "program", "program");
    default:
      return Text(pack, "icon", "icon");
  }
}

// The preview centred on a square of the list's icon size, on the "Preview color" grey.
QIcon PreviewIcon(const CDib& preview) {
  QPixmap square(kIconSide, kIconSide);
  square.fill(QColor(0xC0, 0xC0, 0xC0));
  if (preview.IsLive()) {
    QImage image = ToDisplayImage(preview, 0xC0C0C0);
    if (image.width() > kIconSide || image.height() > kIconSide) {
      image = image.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QPainter painter(&square);
    painter.drawImage((kIconSide - image.width()) / 2, (kIconSide - image.height()) / 2, image);
  }
  return QIcon(square);
}

QString Summary(const LanguagePack& pack, const FoundObject& o) {
  QString sizes;
  int shown = 0;
  for (const FoundImage& image : o.images) {
    if (shown++ == 4) {
      sizes += QString(" +%1").arg(o.images.size() - 4);
      break;
    }
    sizes += QString("%1%2x%3").arg(sizes.isEmpty() ? "" : ", ").arg(image.width).arg(image.height);
  }
  const QString groups =
      o.groups > 1 ? Text(pack, "groups", ", %1 groups").arg(o.groups) : QString();
  return QString::fromStdString(o.path.filename().string()) + "\n" + KindText(pack, o.kind) +
         groups + ": " + sizes;
}

}  // namespace

void SearchWorker::run() {
  const SearchCounts counts = SearchObjects(root_, *this, stop_);
  emit SearchDone(counts, stop_.load());
}

void SearchWorker::Progress(const SearchCounts& counts, const std::filesystem::path& folder) {
  emit ProgressMade(counts, QString::fromStdString(folder.string()));
}

ObjectSearchDialog::ObjectSearchDialog(const LanguagePack& pack, const QString& folder, OpenFn open,
                                       QWidget* parent)
    : QDialog(parent),
      pack_(pack),
      open_(std::move(open)),
      folder_(new QLineEdit(folder, this)),
      searchButton_(new QPushButton(this)),
      sizeFilter_(new QComboBox(this)),
      formatFilter_(new QComboBox(this)),
      list_(new QListWidget(this)),
      status_(new QLabel(this)),
      openButton_(new QPushButton(Text(pack, "open", "Open"), this)) {
  qRegisterMetaType<FoundObjectPtr>();
  qRegisterMetaType<SearchCounts>();
  setWindowTitle(Text(pack, "title", "Search object"));
  resize(640, 480);

  auto* browse = new QPushButton(Text(pack, "browse", "Browse ..."), this);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), folder_->text());
    if (!chosen.isEmpty()) folder_->setText(chosen);
  });
  searchButton_->setText(Text(pack, "search", "Search"));
  connect(searchButton_, &QPushButton::clicked, this,
          [this] { Searching() ? StopSearch() : StartSearch(); });

  sizeFilter_->addItem(Text(pack, "any_size", "Any size"), 0);
  for (const int size : kSizes) sizeFilter_->addItem(QString("%1 x %1").arg(size), size);
  formatFilter_->addItem(Text(pack, "any_format", "Any colour format"), 0);
  for (const int bits : kFormats) formatFilter_->addItem(QString("%1 bits").arg(bits), bits);
  for (QComboBox* box : {sizeFilter_, formatFilter_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] { ApplyFilter(); });
  }

  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kIconSide, kIconSide));
  list_->setGridSize(QSize(150, 96));
  list_->setResizeMode(QListView::Adjust);
  list_->setWordWrap(true);
  list_->setUniformItemSizes(true);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { openButton_->setEnabled(row >= 0); });
  openButton_->setEnabled(false);
  connect(openButton_, &QPushButton::clicked, this, [this] { OpenSelected(); });
  auto* close = new QPushButton(Text(pack, "close", "Close"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(Text(pack, "folder", "Folder:"), this));
  top->addWidget(folder_, 1);
  top->addWidget(browse);
  top->addWidget(searchButton_);
  auto* filters = new QHBoxLayout;
  filters->addWidget(new QLabel(Text(pack, "filter", "Show objects with an image of"), this));
  filters->addWidget(sizeFilter_);
  filters->addWidget(formatFilter_);
  filters->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(openButton_);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(filters);
  layout->addWidget(list_, 1);
  layout->addLayout(bottom);
  status_->setWordWrap(true);
}

ObjectSearchDialog::~ObjectSearchDialog() {
  if (worker_) {
    worker_->RequestStop();
    worker_->wait();
  }
}

void ObjectSearchDialog::StartSearch() {
  if (worker_) return;
  list_->clear();
  found_.clear();
  counts_ = {};
  worker_ = new SearchWorker(folder_->text().toStdString(), this);
  connect(worker_, &SearchWorker::ObjectFound, this, &ObjectSearchDialog::AddFound);
  connect(worker_, &SearchWorker::ProgressMade, this,
          [this](const SearchCounts& counts, const QString& folder) {
            ShowCounts(counts, Text(pack_, "searching", "Searching %1").arg(folder));
          });
  connect(worker_, &SearchWorker::SearchDone, this, &ObjectSearchDialog::Finish);
  searchButton_->setText(Text(pack_, "stop", "Stop"));
  worker_->start(QThread::LowPriority);
}

void ObjectSearchDialog::StopSearch() {
  if (worker_) worker_->RequestStop();
}

void ObjectSearchDialog::WaitUntilDone() {
  while (worker_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void ObjectSearchDialog::Finish(const SearchCounts& counts, bool stopped) {
  worker_->wait();
  worker_->deleteLater();
  worker_ = nullptr;
  searchButton_->setText(Text(pack_, "search", "Search"));
  ShowCounts(counts, stopped ? Text(pack_, "stopped", "Stopped.") : Text(pack_, "done", "Done."));
}

void ObjectSearchDialog::ShowCounts(const SearchCounts& counts, const QString& state) {
  counts_ = counts;
  QString text =
      Text(pack_, "counts", "%1 objects in %2 files").arg(counts.found).arg(counts.files);
  const int skipped = counts.symlinkLoops + counts.unreadableFolders + counts.damagedFiles;
  if (skipped > 0) {
    text +=
        Text(pack_, "skipped", "; skipped: %1 damaged files, %2 unreadable folders, %3 links back")
            .arg(counts.damagedFiles)
            .arg(counts.unreadableFolders)
            .arg(counts.symlinkLoops);
  }
  status_->setText(state + "\n" + text);
}

void ObjectSearchDialog::AddFound(const FoundObjectPtr& object) {
  found_.push_back(object);
  auto* item = new QListWidgetItem(PreviewIcon(object->preview), Summary(pack_, *object));
  item->setData(Qt::UserRole, static_cast<int>(found_.size() - 1));
  item->setToolTip(QString::fromStdString(object->path.string()));
  list_->addItem(item);
  item->setHidden(!MatchesFilter(*object, sizeFilter_->currentData().toInt(),
                                 formatFilter_->currentData().toInt()));
}

void ObjectSearchDialog::ApplyFilter() {
  const int size = sizeFilter_->currentData().toInt();
  const int bits = formatFilter_->currentData().toInt();
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    item->setHidden(!MatchesFilter(*found_[item->data(Qt::UserRole).toInt()], size, bits));
  }
}

int ObjectSearchDialog::ListedCount() const {
  int shown = 0;
  for (int row = 0; row < list_->count(); ++row) shown += list_->item(row)->isHidden() ? 0 : 1;
  return shown;
}

void ObjectSearchDialog::OpenSelected() {
  QListWidgetItem* item = list_->currentItem();
  if (!item || !open_) return;
  const std::string path = found_[item->data(Qt::UserRole).toInt()]->path.string();
  StopSearch();
  accept();
  open_(path);
}

}  // namespace morvane
