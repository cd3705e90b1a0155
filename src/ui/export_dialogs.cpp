#include "ui/export_dialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace morvane {
namespace {

constexpr std::string_view kJpegSection = "Set JPEG dialog";

}  // namespace

std::optional<ExportChoice> ChooseExportFile(QWidget* parent, const QString& title,
                                             const std::vector<ExportFileType>& types,
                                             const std::string& name, int filterIndex) {
  QFileDialog dialog(parent, title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // Our own dialog: the native ones cannot rename the file when the type changes.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setSizeGripEnabled(true);
  QStringList filters;
  for (const ExportFileType& type : types) filters << QString::fromStdString(type.description);
  dialog.setNameFilters(filters);
  const int initial = ClampFilterIndex(filterIndex, static_cast<int>(types.size())) - 1;
  std::string start = name;
  if (!types.empty()) {
    start = RenameForType(name, types[static_cast<std::size_t>(initial)]);
    dialog.selectNameFilter(filters[initial]);
  }
  const std::filesystem::path startPath(start);
  if (startPath.has_parent_path()) {
    dialog.setDirectory(QString::fromStdString(startPath.parent_path().string()));
  }
  dialog.selectFile(QString::fromStdString(startPath.filename().string()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    const int index = static_cast<int>(filters.indexOf(filter));
    auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    if (index < 0 || !edit) return;
    const std::string renamed =
        RenameForType(edit->text().toStdString(), types[static_cast<std::size_t>(index)]);
    edit->setText(QString::fromStdString(renamed));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  ExportChoice choice;
  choice.path = dialog.selectedFiles().front().toStdString();
  choice.filterIndex =
      std::max(1, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
  return choice;
}

std::optional<JpegChoice> AskJpegProperties(QWidget* parent, Settings& settings) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Set JPEG properties");
  auto* slider = new QSlider(Qt::Horizontal, &dialog);
  slider->setRange(10, 100);
  slider->setValue(std::clamp(settings.read_int(kJpegSection, "Quality", 90), 10, 100));
  auto* value = new QLabel(QString::number(slider->value()), &dialog);
  QObject::connect(slider, &QSlider::valueChanged, value,
                   [value](int v) { value->setText(QString::number(v)); });
  auto* grey = new QCheckBox("Grayscale", &dialog);
  grey->setChecked(settings.read_int(kJpegSection, "Grayscale", 0) != 0);
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("[low]", &dialog));
  row->addWidget(slider, 1);
  row->addWidget(new QLabel("[high]", &dialog));
  row->addWidget(value);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(row);
  layout->addWidget(grey);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  settings.write_int(kJpegSection, "Quality", slider->value());
  settings.write_int(kJpegSection, "Grayscale", grey->isChecked() ? 1 : 0);
  return JpegChoice{slider->value(), !grey->isChecked()};
}

}  // namespace morvane
