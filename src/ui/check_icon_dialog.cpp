#include "ui/check_icon_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "image/size_sets.h"
#include "ui/widget_translation.h"

namespace morvane {
namespace {

constexpr std::string_view kSection = "Check icon dialog";

QString Text(const LanguagePack& pack, std::string_view key, std::string_view english) {
  return PackText(pack, kSection, key, english);
}

}  // namespace

CheckIconDialog::CheckIconDialog(const LanguagePack& pack, CheckFn check, QWidget* parent)
    : QDialog(parent),
      pack_(pack),
      check_(std::move(check)),
      sizeSet_(new QComboBox(this)),
      findings_(new QTreeWidget(this)),
      summary_(new QLabel(this)) {
  setWindowTitle(Text(pack, "title", "Check icon"));
  resize(680, 360);
  sizeSet_->addItem(Text(pack, "no_set", "(none)"), QString());
  for (const SizeSet& set : SizeSets()) {
    QString sizes;
    for (const int s : set.sizes) sizes += (sizes.isEmpty() ? "" : ", ") + QString::number(s);
    sizeSet_->addItem(
        QString("%1 (%2)").arg(QString::fromUtf8(set.name.data(), set.name.size()), sizes),
        QString::fromUtf8(set.name.data(), set.name.size()));
  }
  connect(sizeSet_, &QComboBox::currentIndexChanged, this, [this] { Run(); });

  findings_->setColumnCount(3);
  findings_->setHeaderLabels({Text(pack, "where", "Where"), Text(pack, "finding", "Finding"),
                              Text(pack, "id", "Identifier")});
  findings_->setRootIsDecorated(false);
  findings_->setWordWrap(true);
  findings_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  findings_->header()->setStretchLastSection(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(Text(pack, "sizes", "Sizes every icon should have:"), this));
  top->addWidget(sizeSet_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(findings_, 1);
  layout->addWidget(summary_);
  layout->addWidget(buttons);
  Run();
}

void CheckIconDialog::Run() {
  findings_->clear();
  LintOptions options;
  if (const SizeSet* set = FindSizeSet(sizeSet_->currentData().toString().toStdString())) {
    options.requiredSizes.assign(set->sizes.begin(), set->sizes.end());
  }
  const Result<LintReport> report = check_(options);
  if (!report.ok()) {
    summary_->setText(QString::fromStdString(report.status().message()));
    return;
  }
  for (const LintFinding& f : report->findings) {
    auto* item =
        new QTreeWidgetItem({QString::fromStdString(f.where), QString::fromStdString(f.message),
                             QString::fromStdString(f.id)});
    item->setIcon(
        0, style()->standardIcon(f.level == LintLevel::kError ? QStyle::SP_MessageBoxCritical
                                                              : QStyle::SP_MessageBoxWarning));
    findings_->addTopLevelItem(item);
  }
  findings_->resizeColumnToContents(0);
  findings_->resizeColumnToContents(2);
  summary_->setText(
      report->findings.empty()
          ? Text(pack_, "clean", "Nothing found: the icon should look right everywhere.")
          : Text(pack_, "summary", "Errors: %1, warnings: %2.")
                .arg(report->Count(LintLevel::kError))
                .arg(report->Count(LintLevel::kWarning)));
}

int CheckIconDialog::FindingCount() const {
  return findings_->topLevelItemCount();
}

}  // namespace morvane
