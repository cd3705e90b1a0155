#include "ui/import_dialog.h"

#include <algorithm>
#include <array>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "formats/picture_file.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr std::string_view kSection = "Import from image dialog";
constexpr std::array<int, 9> kSizes = {16, 24, 32, 48, 64, 72, 96, 128, 256};
constexpr std::array<FilterLevel, 4> kLevels = {FilterLevel::kOff, FilterLevel::kWeak,
                                                FilterLevel::kNormal, FilterLevel::kStrong};
constexpr int kPreviewSide = 128;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// A checkerboard under transparent pixels, as image editors show them.
void PaintChecks(QPainter& painter, const QRect& area) {
  constexpr int kCell = 8;
  painter.save();
  painter.setClipRect(area);
  for (int y = area.top(); y <= area.bottom(); y += kCell) {
    for (int x = area.left(); x <= area.right(); x += kCell) {
      const bool dark = ((x - area.left()) / kCell + (y - area.top()) / kCell) % 2 != 0;
      painter.fillRect(x, y, kCell, kCell, dark ? QColor(204, 204, 204) : Qt::white);
    }
  }
  painter.restore();
}

}  // namespace

PictureSelector::PictureSelector(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 200);
  setMouseTracking(false);
  setCursor(Qt::CrossCursor);
}

void PictureSelector::SetPicture(const CDib* picture) {
  picture_ = picture && picture->IsLive() ? picture : nullptr;
  shown_ = picture_ ? ToQImage(*picture_) : QImage();
  selection_ = {};
  update();
}

void PictureSelector::SetSelection(Rect selection) {
  selection_ = selection;
  update();
}

double PictureSelector::Scale() const {
  if (shown_.isNull()) return 1;
  const double fit = std::min(static_cast<double>(width()) / shown_.width(),
                              static_cast<double>(height()) / shown_.height());
  // Small pictures grow by whole steps so that their pixels stay sharp squares.
  return fit >= 1 ? std::min(8.0, static_cast<double>(static_cast<int>(fit))) : fit;
}

QPoint PictureSelector::Origin() const {
  const double s = Scale();
  return {static_cast<int>((width() - shown_.width() * s) / 2),
          static_cast<int>((height() - shown_.height() * s) / 2)};
}

QPoint PictureSelector::ToPicture(const QPoint& p) const {
  const double s = Scale();
  const QPoint o = Origin();
  return {static_cast<int>((p.x() - o.x()) / s + 0.5), static_cast<int>((p.y() - o.y()) / s + 0.5)};
}

void PictureSelector::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  if (shown_.isNull()) return;
  const double s = Scale();
  const QPoint o = Origin();
  const QRect target(
      o, QSize(static_cast<int>(shown_.width() * s), static_cast<int>(shown_.height() * s)));
  PaintChecks(painter, target);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, s < 1);
  painter.drawImage(target, shown_);
  if (selection_.Width() <= 0 && selection_.Height() <= 0) return;
  const QRectF area(o.x() + selection_.left * s, o.y() + selection_.top * s, selection_.Width() * s,
                    selection_.Height() * s);
  // The outside is dimmed so the chosen region stands out on any picture.
  QPainterPath outside;
  outside.addRect(target);
  QPainterPath inside;
  inside.addRect(area);
  painter.fillPath(outside.subtracted(inside), QColor(0, 0, 0, 90));
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(area);
  painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
  painter.drawRect(area);
}

void PictureSelector::mousePressEvent(QMouseEvent* event) {
  if (!picture_ || event->button() != Qt::LeftButton) return;
  anchor_ = ToPicture(event->position().toPoint());
  selection_ = DragSelection(anchor_.x(), anchor_.y(), anchor_.x(), anchor_.y(),
                             picture_->GetWidth(), picture_->GetHeight(), iconEqualSelection_);
  update();
  emit SelectionChanged();
}

void PictureSelector::mouseMoveEvent(QMouseEvent* event) {
  if (!picture_ || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint p = ToPicture(event->position().toPoint());
  selection_ = DragSelection(anchor_.x(), anchor_.y(), p.x(), p.y(), picture_->GetWidth(),
                             picture_->GetHeight(), iconEqualSelection_);
  update();
  emit SelectionChanged();
}

ImportDialog::ImportDialog(const LanguagePack& pack, const ImportOptions& options,
                           const std::string& folder, CDib* picture, QWidget* parent)
    : QDialog(parent), pack_(pack), options_(options), picture_(picture) {
  setWindowTitle(Q(pack_.text(kSection, "title", "Import from image")));
  setSizeGripEnabled(true);
  selector_ = new PictureSelector(this);
  selector_->SetIconEqualSelection(options_.iconEqualSelection);
  connect(selector_, &PictureSelector::SelectionChanged, this, &ImportDialog::UpdatePreview);

  auto* splitter = new QSplitter(this);
  if (!picture_) splitter->addWidget(BuildBrowser(folder));
  splitter->addWidget(selector_);
  splitter->addWidget(BuildOptions());
  splitter->setStretchFactor(splitter->indexOf(selector_), 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  okButton_ = buttons->button(QDialogButtonBox::Ok);
  okButton_->setText(Q(pack_.text(kSection, "create", "Create icon image")));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addWidget(buttons);
  resize(picture_ ? 760 : 980, 520);

  if (picture_) {
    selector_->SetPicture(picture_);
    // A centred square to start from, so that the preview shows something at once.
    const int side = std::max(1, std::min(picture_->GetWidth(), picture_->GetHeight()) / 2);
    const int left = (picture_->GetWidth() - side) / 2;
    const int top = (picture_->GetHeight() - side) / 2;
    ChooseRegion(DragSelection(left, top, left + side, top + side, picture_->GetWidth(),
                               picture_->GetHeight(), options_.iconEqualSelection));
  }
  UpdatePreview();
}

QWidget* ImportDialog::BuildBrowser(const std::string& folder) {
  auto* browser = new QSplitter(Qt::Vertical, this);
  folderModel_ = new QFileSystemModel(browser);
  folderModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  folderModel_->setRootPath(QDir::rootPath());
  folders_ = new QTreeView(browser);
  folders_->setModel(folderModel_);
  for (int column = 1; column < folderModel_->columnCount(); ++column) folders_->hideColumn(column);
  folders_->header()->hide();
  files_ = new QTreeWidget(browser);
  files_->setHeaderLabels({Q(pack_.text(kSection, "file", "File")),
                           Q(pack_.text(kSection, "id", "ID")),
                           Q(pack_.text(kSection, "path", "Path"))});
  files_->setRootIsDecorated(false);
  connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { ListFolder(folderModel_->filePath(index)); });
  connect(files_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item) LoadPicture(item->text(2).toStdString());
  });
  const QString start = folder.empty() ? QDir::homePath() : QString::fromStdString(folder);
  const QModelIndex index = folderModel_->index(start);
  folders_->setCurrentIndex(index);
  folders_->scrollTo(index);
  ListFolder(start);
  browser->setMinimumWidth(220);
  return browser;
}

QWidget* ImportDialog::BuildOptions() {
  auto* panel = new QWidget(this);
  previewLabel_ = new QLabel(panel);
  previewLabel_->setFixedSize(kPreviewSide + 2, kPreviewSide + 2);
  previewLabel_->setAlignment(Qt::AlignCenter);
  previewLabel_->setFrameShape(QFrame::StyledPanel);
  selectionLabel_ = new QLabel(panel);
  sizeBox_ = new QComboBox(panel);
  for (int size : kSizes) sizeBox_->addItem(QString("%1 x %1").arg(size), size);
  sizeBox_->setCurrentIndex(
      static_cast<int>(std::find(kSizes.begin(), kSizes.end(), iconSize_) - kSizes.begin()));
  levelBox_ = new QComboBox(panel);
  for (FilterLevel level : kLevels) levelBox_->addItem(Q(LevelText(level)));
  levelBox_->setCurrentIndex(static_cast<int>(LevelName(options_.level)));
  equalBox_ = new QCheckBox(Q(pack_.text(kSection, "equal", "Icon equal selection")), panel);
  equalBox_->setChecked(options_.iconEqualSelection);
  proportionBox_ = new QCheckBox(Q(pack_.text(kSection, "proportion", "Save proportion")), panel);
  proportionBox_->setChecked(options_.saveProportion);

  connect(sizeBox_, &QComboBox::activated, this,
          [this](int index) { SetIconSize(sizeBox_->itemData(index).toInt()); });
  connect(levelBox_, &QComboBox::activated, this, [this](int index) {
    options_.level = LevelValue(kLevels[static_cast<std::size_t>(index)]);
    UpdatePreview();
  });
  connect(equalBox_, &QCheckBox::toggled, this, [this](bool on) {
    options_.iconEqualSelection = on;
    selector_->SetIconEqualSelection(on);
    if (on && picture_) ChooseRegion(selector_->Selection());
    UpdatePreview();
  });
  connect(proportionBox_, &QCheckBox::toggled, this, [this](bool on) {
    options_.saveProportion = on;
    UpdatePreview();
  });

  auto* form = new QFormLayout;
  form->addRow(Q(pack_.text(kSection, "size", "Icon size")), sizeBox_);
  form->addRow(Q(pack_.text(kSection, "filter", "Filter")), levelBox_);
  auto* layout = new QVBoxLayout(panel);
  layout->addWidget(previewLabel_, 0, Qt::AlignHCenter);
  layout->addWidget(selectionLabel_);
  layout->addLayout(form);
  layout->addWidget(equalBox_);
  layout->addWidget(proportionBox_);
  layout->addStretch(1);
  return panel;
}

void ImportDialog::ListFolder(const QString& folder) {
  if (!files_) return;
  files_->clear();
  QStringList masks;
  for (const QString& mask :
       QString::fromStdString(options_.masks).split(',', Qt::SkipEmptyParts)) {
    const QString m = mask.trimmed();
    // Pictures inside programs are not extracted here; only picture files are listed.
    if (!m.endsWith(".exe") && !m.endsWith(".dll") && !m.endsWith(".scr")) masks << m;
  }
  const QDir dir(folder);
  for (const QFileInfo& info :
       dir.entryInfoList(masks, QDir::Files, QDir::Name | QDir::IgnoreCase)) {
    files_->addTopLevelItem(new QTreeWidgetItem({info.fileName(), "", info.absoluteFilePath()}));
  }
}

void ImportDialog::LoadPicture(const std::filesystem::path& path) {
  ownPicture_ = CDib();
  if (!LoadPictureFile(path, ownPicture_).ok()) ownPicture_ = CDib();
  picture_ = ownPicture_.IsLive() ? &ownPicture_ : nullptr;
  selector_->SetPicture(picture_);
  UpdatePreview();
}

void ImportDialog::ChooseRegion(Rect selection) {
  if (!picture_) return;
  Rect r = DragSelection(selection.left, selection.top, selection.right, selection.bottom,
                         picture_->GetWidth(), picture_->GetHeight(), options_.iconEqualSelection);
  selector_->SetSelection(r);
  UpdatePreview();
}

Rect ImportDialog::Selection() const {
  return selector_->Selection();
}

void ImportDialog::SetIconSize(int size) {
  iconSize_ = IconSizeChoice(size);
  if (options_.iconEqualSelection && picture_) {
    selector_->SetSelection(ResizeSelection(selector_->Selection(), iconSize_, picture_->GetWidth(),
                                            picture_->GetHeight()));
  }
  UpdatePreview();
}

void ImportDialog::UpdatePreview() {
  const Rect selection = selector_->Selection();
  const IconSize icon = ImportIconSize(selection, iconSize_, options_.iconEqualSelection);
  const bool made = picture_ && MakeImportPreview(*picture_, selection, icon, options_.level,
                                                  options_.saveProportion, preview_);
  if (!made) preview_ = CDib();
  selectionLabel_->setText(QString("x: %1  y: %2\n%3 x %4  \u2192  %5 x %6")
                               .arg(selection.left)
                               .arg(selection.top)
                               .arg(selection.Width())
                               .arg(selection.Height())
                               .arg(icon.width)
                               .arg(icon.height));
  okButton_->setEnabled(made);
  QPixmap pixmap(kPreviewSide, kPreviewSide);
  pixmap.fill(Qt::transparent);
  if (made) {
    QPainter painter(&pixmap);
    const QImage image = ToQImage(preview_);
    const double s = std::min(static_cast<double>(kPreviewSide) / image.width(),
                              static_cast<double>(kPreviewSide) / image.height());
    const QSize shown(std::max(1, static_cast<int>(image.width() * s)),
                      std::max(1, static_cast<int>(image.height() * s)));
    const QRect target(
        QPoint((kPreviewSide - shown.width()) / 2, (kPreviewSide - shown.height()) / 2), shown);
    PaintChecks(painter, target);
    painter.drawImage(target, image);
  }
  previewLabel_->setPixmap(pixmap);
}

}  // namespace morvane
