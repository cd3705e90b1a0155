#include "ui/main_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "shell/control_ids.h"
#include "shell/frame_texts.h"
#include "shell/language_pack_menu.h"
#include "shell/zoom.h"
#include "ui/draw_controller.h"
#include "ui/edit_area.h"
#include "ui/export_controller.h"
#include "ui/frame_list.h"
#include "ui/import_controller.h"
#include "ui/inspection_commands.h"
#include "ui/library_controller.h"

namespace morvane {
namespace {

constexpr int kBuiltInWidth = 960;
constexpr int kBuiltInHeight = 680;
// Sizes below this come from the placement of a much smaller window of old; the frame list,
// the edit area and the tool bar need room.
constexpr int kMinimumWidth = 720;
constexpr int kMinimumHeight = 520;
constexpr int kAniTickMs = 50;
// The rate field shows rates above this as 0.
constexpr int kMaxShownRate = 40;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

MainWindow::MainWindow(Settings& settings, LanguagePack& pack, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      pack_(pack),
      prompts_(std::make_unique<Prompts>()),
      icons_(HistoryMaximum(history_key::kIcons)),
      cursors_(HistoryMaximum(history_key::kCursors)),
      executables_(HistoryMaximum(history_key::kExecutables)),
      images_(HistoryMaximum(history_key::kImages)),
      folders_(HistoryMaximum(history_key::kFolders)),
      libraries_(HistoryMaximum(history_key::kLibraries)) {
  setAcceptDrops(true);
  LoadSettings();
  BuildLayout();
  RegisterCommands();
  BuildMenus();
  BuildToolBar();
  document_.AddObserver(this);
  aniTimer_.setInterval(kAniTickMs);
  connect(&aniTimer_, &QTimer::timeout, this, &MainWindow::AniPreviewTick);
  document_.New(DocumentKind::kIcon);
  RefreshAll();
  editArea_->SetZoom(state_.zoom);

  // The associations dialog is offered once, on the first start; until it exists only the flag
  // is cleared.
  if (state_.firstLaunch) {
    state_.firstLaunch = false;
    settings_.write_int(kRootSection, root_value::kFirstLaunch, 0);
    QTimer::singleShot(0, this, [this] { RunCommand(command::kAssociations); });
  }
}

MainWindow::~MainWindow() {
  document_.RemoveObserver(this);
}

void MainWindow::SetPrompts(std::unique_ptr<Prompts> prompts) {
  if (prompts) prompts_ = std::move(prompts);
}

void MainWindow::LoadSettings() {
  state_ = MainWindowSettings::Load(settings_);
  icons_.load(settings_, history_key::kIcons);
  cursors_.load(settings_, history_key::kCursors);
  executables_.load(settings_, history_key::kExecutables);
  images_.load(settings_, history_key::kImages);
  folders_.load(settings_, history_key::kFolders);
  libraries_.load(settings_, history_key::kLibraries);
  const int width = state_.width > 0 ? std::max(state_.width, kMinimumWidth) : kBuiltInWidth;
  const int height = state_.height > 0 ? std::max(state_.height, kMinimumHeight) : kBuiltInHeight;
  resize(width, height);
  if (state_.x != kNotSet && state_.y != kNotSet) move(state_.x, state_.y);
}

void MainWindow::SaveSettings() {
  state_.zoom = editArea_->ZoomLevel();
  state_.showGrid = editArea_->ShowGrid();
  state_.transpColor = editArea_->Background();
  draw_->SaveState();
  state_.x = x();
  state_.y = y();
  state_.width = width();
  state_.height = height();
  state_.Save(settings_);
  icons_.save(settings_, history_key::kIcons);
  cursors_.save(settings_, history_key::kCursors);
  executables_.save(settings_, history_key::kExecutables);
  images_.save(settings_, history_key::kImages);
  folders_.save(settings_, history_key::kFolders);
  libraries_.save(settings_, history_key::kLibraries);
  store_selected_language(pack_, settings_);
}

void MainWindow::BuildLayout() {
  frameList_ = new FrameList(this);
  editArea_ = new EditArea(this);
  editArea_->SetDocument(&document_);
  // The edit area shows transparent pixels over the transparent colour of "Transp color".
  editArea_->SetBackground(state_.transpColor);
  editArea_->SetShowGrid(state_.showGrid);
  DrawContext draw;
  draw.editor = MakeContext();
  draw.mainWindow = this;
  draw.area = editArea_;
  draw.updateCommands = [this] { UpdateCommands(); };
  draw.importPicture = [this](CDib&& picture) {
    return import_ && import_->FromClipboard(std::move(picture));
  };
  draw_ = std::make_unique<DrawController>(draw);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(frameList_);
  splitter->addWidget(editArea_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({190, 760});
  setCentralWidget(splitter);

  for (QLabel*& field : status_) {
    field = new QLabel(this);
    field->setMinimumWidth(110);
    field->setFrameShape(QFrame::StyledPanel);
    statusBar()->addPermanentWidget(field);
  }
  status_[0]->setText("-, -");
  status_[1]->setText("-, -");
  status_[2]->setText("-, -, -, -");

  connect(frameList_, &FrameList::SelectionEdited, this,
          [this](int current, const std::vector<int>& others) {
            StopAniPreview();
            document_.SetSelection(current, others);
            UpdateCommands();
          });
  connect(editArea_, &EditArea::StatusChanged, this,
          [this](const QString& position, const QString& size, const QString& color) {
            status_[0]->setText(position);
            status_[1]->setText(size);
            status_[2]->setText(color);
          });
}

void MainWindow::BuildToolBar() {
  QToolBar* bar = addToolBar("Main");
  bar->setObjectName("Main toolbar");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  const auto withIcon = [this](int id, QStyle::StandardPixmap pixmap) {
    QAction* action = Action(id);
    action->setIcon(style()->standardIcon(pixmap));
    return action;
  };
  bar->addAction(withIcon(command::kNewIcon, QStyle::SP_FileIcon));
  withIcon(command::kOpenObject, QStyle::SP_DialogOpenButton);
  withIcon(command::kSaveObject, QStyle::SP_DialogSaveButton);
  withIcon(command::kUndo, QStyle::SP_ArrowBack);
  withIcon(command::kRedo, QStyle::SP_ArrowForward);
  auto* open = new QToolButton(bar);
  open->setDefaultAction(Action(command::kOpenObject));
  openDropDown_ = new QMenu(open);
  for (int first : {history_command::kIcons, history_command::kCursors,
                    history_command::kExecutables, history_command::kImages}) {
    QMenu* history = HistoryMenu(first);
    if (history) openDropDown_->addMenu(history);
  }
  open->setMenu(openDropDown_);
  open->setPopupMode(QToolButton::MenuButtonPopup);
  open->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->addWidget(open);
  bar->addAction(Action(command::kSaveObject));
  bar->addSeparator();
  bar->addAction(Action(command::kUndo));
  bar->addAction(Action(command::kRedo));
  bar->addSeparator();

  zoomCombo_ = new QComboBox(bar);
  for (int entry = 0; entry < kZoomComboEntries; ++entry)
    zoomCombo_->addItem(Q(std::string(ZoomComboText(entry))));
  bar->addWidget(zoomCombo_);
  connect(zoomCombo_, &QComboBox::activated, this,
          [this](int entry) { editArea_->SetZoom(entry - 1); });
  connect(editArea_, &EditArea::ZoomChanged, this, [this](int level) {
    zoomCombo_->setCurrentIndex(level + 1);
    UpdateCommands();
  });
  bar->addSeparator();

  sizeLabel_ = new QLabel(bar);
  sizeLabel_->setMinimumWidth(80);
  sizeLabel_->setAlignment(Qt::AlignCenter);
  bar->addWidget(sizeLabel_);
  formatButton_ = new QToolButton(bar);
  formatButton_->setPopupMode(QToolButton::InstantPopup);
  auto* formats = new QMenu(formatButton_);
  for (int id : {command::kFormatTrueColorAlpha, command::kFormatTrueColor,
                 command::kFormat256Colors, command::kFormat16Colors, command::kFormatMonochrome})
    formats->addAction(Action(id));
  formatButton_->setMenu(formats);
  bar->addWidget(formatButton_);

  // The display time of an animated cursor's current frame, in jiffies.
  rateBox_ = new QSpinBox(bar);
  rateBox_->setRange(0, kMaxShownRate);
  rateBox_->setPrefix("Rate: ");
  rateBox_->setSuffix(" jifs");
  rateAction_ = bar->addWidget(rateBox_);
  connect(rateBox_, &QSpinBox::valueChanged, this, &MainWindow::SetCurrentRate);
}

std::string MainWindow::Text(std::string_view section, std::string_view key,
                             std::string_view english) const {
  return pack_.text(section, key, english);
}

QString MainWindow::Message(std::string_view key, std::string_view english) const {
  return Q(Text(language_section::kMessages, key, english));
}

void MainWindow::RefreshAll() {
  frameList_->Refresh(document_, pack_);
  RefreshCurrent();
  UpdateTitle();
}

void MainWindow::RefreshCurrent() {
  editArea_->ImageChanged();
  const ImageFrame* frame = document_.CurrentFrame();
  if (frame) {
    sizeLabel_->setText(Q(SizeText(frame->image.GetWidth(), frame->image.GetHeight())));
    formatButton_->setText(Q(FormatText(pack_, frame->format)));
    const QSignalBlocker quiet(rateBox_);
    rateBox_->setValue(frame->rate > kMaxShownRate ? 0 : frame->rate);
  } else {
    sizeLabel_->clear();
    formatButton_->setText({});
  }
  rateAction_->setVisible(document_.Kind() == DocumentKind::kAnimatedCursor && frame);
  UpdateCommands();
}

void MainWindow::SetCurrentRate(int rate) {
  ImageFrame* frame = document_.CurrentFrame();
  if (!frame || frame->rate == rate) return;
  frame->rate = rate;
  document_.SetModified(true);
  if (QListWidgetItem* item = frameList_->item(document_.Current()))
    item->setText(Q(FrameLabel(pack_, document_, document_.Current())));
}

void MainWindow::UpdateTitle() {
  setWindowTitle(Q(WindowTitle(document_.FileName())));
}

void MainWindow::OnFramesChanged(const IconDocument&) {
  RefreshAll();
}

void MainWindow::OnCurrentFrameChanged(const IconDocument&) {
  frameList_->ShowSelection(document_);
  RefreshCurrent();
}

void MainWindow::OnFrameImageChanged(const IconDocument&, int index) {
  frameList_->RefreshThumbnail(document_, index);
  if (index == document_.Current()) RefreshCurrent();
}

void MainWindow::OnKindChanged(const IconDocument&) {
  RefreshAll();
}

void MainWindow::OnModifiedChanged(const IconDocument&) {
  UpdateTitle();
}

QString MainWindow::StatusText(int field) const {
  return field >= 0 && field < 3 ? status_[field]->text() : QString();
}
QString MainWindow::SizeLabelText() const {
  return sizeLabel_->text();
}
QString MainWindow::FormatButtonText() const {
  return formatButton_->text();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  StopAniPreview();
  // The library is asked about first; a group it took back needs no question of its own.
  if (!library_->ConfirmExit() || (!library_->Session().IsLinked(document_) && !AskToDiscard())) {
    event->ignore();
    return;
  }
  SaveSettings();
  event->accept();
}

}  // namespace morvane
