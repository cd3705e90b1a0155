#include "ui/object_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>

#include "shell/dialog_ids.h"
#include "shell/frame_texts.h"
#include "ui/qt_image.h"
#include "ui/widget_translation.h"

namespace morvane {
namespace {

constexpr int kPreviewSide = 64;

QString GroupText(const ObjectInfo& info) {
  QString text = info.kind == GroupKind::kCursor ? "Cursor " : "Icon ";
  text += QString::fromStdString(info.name.ToString());
  QStringList sizes;
  for (const ObjectImageInfo& image : info.images) sizes << QString::number(image.width);
  return text + "  (" + sizes.join(", ") + ")";
}

QIcon PreviewIcon(const CDib& preview, const QColor& background) {
  QPixmap canvas(kPreviewSide, kPreviewSide);
  canvas.fill(background);
  QImage image = ToQImage(preview);
  if (!image.isNull()) {
    if (image.width() > kPreviewSide || image.height() > kPreviewSide)
      image =
          image.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&canvas);
    painter.drawImage((kPreviewSide - image.width()) / 2, (kPreviewSide - image.height()) / 2,
                      image);
  }
  return QIcon(canvas);
}

}  // namespace

ObjectDialog::ObjectDialog(const LanguagePack& pack, const ExecutableObjects& objects,
                           bool canAppend, QWidget* parent)
    : QDialog(parent),
      pack_(pack),
      objects_(objects),
      groups_(new QListWidget(this)),
      images_(new QListWidget(this)),
      replace_(new QRadioButton("Replace the object", this)),
      append_(new QRadioButton("Add to the object", this)) {
  setWindowTitle("Open object - " + QString::fromStdString(objects.Path().filename().string()));
  auto* groupsLabel = new QLabel("Objects:", this);
  auto* imagesLabel = new QLabel("Images:", this);
  set_control_id(groupsLabel, object_dialog::kGroupsLabel);
  set_control_id(imagesLabel, object_dialog::kImagesLabel);
  set_control_id(replace_, object_dialog::kReplace);
  set_control_id(append_, object_dialog::kAppend);
  replace_->setChecked(true);
  append_->setEnabled(canAppend);

  for (const ObjectInfo& info : objects.List()) groups_->addItem(GroupText(info));
  groups_->setMinimumWidth(220);
  images_->setViewMode(QListView::IconMode);
  images_->setIconSize(QSize(kPreviewSide, kPreviewSide));
  images_->setResizeMode(QListView::Adjust);
  images_->setGridSize(QSize(kPreviewSide + 40, kPreviewSide + 40));
  images_->setMinimumSize(360, 260);
  images_->setSelectionMode(QAbstractItemView::NoSelection);
  connect(groups_, &QListWidget::currentRowChanged, this, &ObjectDialog::ShowPreviews);
  connect(groups_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QGridLayout(this);
  layout->addWidget(groupsLabel, 0, 0);
  layout->addWidget(imagesLabel, 0, 1);
  layout->addWidget(groups_, 1, 0);
  layout->addWidget(images_, 1, 1);
  layout->addWidget(replace_, 2, 0);
  layout->addWidget(append_, 3, 0);
  layout->addWidget(buttons, 3, 1);
  translate_dialog(pack, object_dialog::kSection, this);
  if (groups_->count() > 0) groups_->setCurrentRow(0);
}

void ObjectDialog::ShowPreviews() {
  images_->clear();
  const int object = groups_->currentRow();
  if (object < 0) return;
  const QColor background = palette().color(QPalette::Window);
  for (const ObjectPreview& preview : objects_.Previews(object, background.rgb() & 0xFFFFFF)) {
    const QString label = QString::fromStdString(SizeText(preview.info.width, preview.info.height) +
                                                 "\n" + FormatText(pack_, preview.info.format));
    images_->addItem(new QListWidgetItem(PreviewIcon(preview.preview, background), label));
  }
}

int ObjectDialog::ChosenObject() const {
  return groups_->currentRow();
}
bool ObjectDialog::Append() const {
  return append_->isChecked();
}
void ObjectDialog::Choose(int object) {
  groups_->setCurrentRow(object);
}

}  // namespace morvane
