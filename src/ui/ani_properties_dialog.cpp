#include "ui/ani_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/dialog_ids.h"
#include "shell/frame_texts.h"
#include "ui/widget_translation.h"

namespace morvane {

AniPropertiesDialog::AniPropertiesDialog(const LanguagePack& pack, IconDocument& document,
                                         QWidget* parent)
    : QDialog(parent),
      document_(document),
      frames_(new QLabel(this)),
      duration_(new QLabel(this)),
      title_(new QLineEdit(QString::fromStdString(document.Title()), this)),
      author_(new QLineEdit(QString::fromStdString(document.Author()), this)) {
  setWindowTitle("Animated cursor properties");
  const std::string_view section = ani_properties_dialog::kSection;
  frames_->setText(QString::fromStdString(pack.text(section, "frames", "Frames:") + " " +
                                          std::to_string(AniCountedFrames(document))));
  duration_->setText(QString::fromStdString(pack.text(section, "time", "Target duration:") + " " +
                                            AniDurationText(AniDurationSeconds(document))));
  auto* titleLabel = new QLabel("Title:", this);
  auto* authorLabel = new QLabel("Credits:", this);
  set_control_id(titleLabel, ani_properties_dialog::kTitleLabel);
  set_control_id(authorLabel, ani_properties_dialog::kAuthorLabel);
  title_->setMinimumWidth(260);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* apply = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  set_control_id(apply, ani_properties_dialog::kApply);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QFormLayout(this);
  layout->addRow(frames_);
  layout->addRow(duration_);
  layout->addRow(titleLabel, title_);
  layout->addRow(authorLabel, author_);
  layout->addRow(buttons);
  translate_dialog(pack, section, this);
}

QString AniPropertiesDialog::FramesText() const {
  return frames_->text();
}
QString AniPropertiesDialog::DurationText() const {
  return duration_->text();
}

void AniPropertiesDialog::SetTexts(const QString& title, const QString& author) {
  title_->setText(title);
  author_->setText(author);
}

void AniPropertiesDialog::accept() {
  const std::string title = title_->text().toStdString();
  const std::string author = author_->text().toStdString();
  if (title != document_.Title() || author != document_.Author()) {
    document_.SetTitle(title);
    document_.SetAuthor(author);
    document_.SetModified(true);
  }
  QDialog::accept();
}

}  // namespace morvane
