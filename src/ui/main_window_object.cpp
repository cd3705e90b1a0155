// The Edit (undo), Object, Image, View and Help commands: each is one call on the document or
// the edit area, with the questions and messages around it.
#include <QColorDialog>

#include "formats/ani_codec.h"
#include "image/size_sets.h"
#include "shell/frame_texts.h"
#include "shell/size_set_frames.h"
#include "ui/ani_properties_dialog.h"
#include "ui/custom_size_dialog.h"
#include "ui/dither_dialog.h"
#include "ui/draw_controller.h"
#include "ui/edit_area.h"
#include "ui/frame_list.h"
#include "ui/inspection_commands.h"
#include "ui/main_window.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

UndoContext MainWindow::CanvasState() const {
  return draw_->CanvasState();
}

void MainWindow::RegisterObjectCommands() {
  Register(
      command::kUndo, [this] { Undo(); },
      [this] { return HasFrame() && document_.CurrentFrame()->history.CanUndo(); });
  Register(
      command::kRedo, [this] { Redo(); },
      [this] { return HasFrame() && document_.CurrentFrame()->history.CanRedo(); });

  const auto kindCommand = [this](int id, DocumentKind kind) {
    Register(
        id, [this, kind] { document_.SetKind(kind); }, {},
        [this, kind] { return document_.Kind() == kind; });
  };
  kindCommand(command::kKindIcon, DocumentKind::kIcon);
  kindCommand(command::kKindCursor, DocumentKind::kCursor);
  kindCommand(command::kKindAniCursor, DocumentKind::kAnimatedCursor);

  const auto hasFrame = [this] { return HasFrame(); };
  Register(
      command::kCreateStandardFormats,
      [this] { ShowFramesResult(document_.CreateStandardFormats()); }, hasFrame);
  Register(
      command::kCompleteStandardFormats,
      [this] { ShowFramesResult(document_.CompleteStandardFormats()); }, hasFrame);
  Register(
      command::kDuplicateImage, [this] { ShowFrameStatus(document_.DuplicateImage().status); },
      hasFrame);
  Register(
      command::kDeleteImages, [this] { DeleteImages(); }, hasFrame);
  Register(
      command::kSortForWindowsXP, [this] { document_.SortForWindowsXP(); },
      [this] { return document_.Count() > 1; });

  const std::span<const FrameFormatItem> addItems = AddImageItems();
  const std::span<const int> addIds = AddImageCommands();
  for (std::size_t i = 0; i < addItems.size(); ++i) {
    const FrameFormatItem item = addItems[i];
    Register(addIds[i],
             [this, item] { ShowFrameStatus(document_.AddImage(item.size, item.format).status); });
  }
  const std::span<const FrameFormatItem> fromItems = CreateImageFromSelectedItems();
  const std::span<const int> fromIds = CreateFromSelectedCommands();
  for (std::size_t i = 0; i < fromItems.size(); ++i) {
    const FrameFormatItem item = fromItems[i];
    Register(
        fromIds[i],
        [this, item] {
          ShowFrameStatus(document_.CreateImageFromSelected(item.size, item.format).status);
        },
        hasFrame);
  }

  for (std::size_t i = 0; i < SizeSetCommands().size() && i < SizeSets().size(); ++i) {
    const std::span<const int> sizes = SizeSets()[i].sizes;
    Register(
        SizeSetCommands()[i],
        [this, sizes] { ShowFrameStatus(CreateSizeSetFromSelected(document_, sizes).status); },
        hasFrame);
  }

  const auto isAni = [this] { return document_.Kind() == DocumentKind::kAnimatedCursor; };
  Register(
      command::kAniPreview, [this] { ToggleAniPreview(); },
      [this] { return document_.Kind() == DocumentKind::kAnimatedCursor && document_.Count() > 0; },
      [this] { return aniFrame_ >= 0; });
  Register(
      command::kAniProperties, [this] { AniProperties(); }, isAni);
}

void MainWindow::RegisterImageCommands() {
  const auto hasFrame = [this] { return HasFrame(); };
  for (int size : SizeMenuItems()) {
    Register(
        SizeCommand(size),
        [this, size] { ShowFrameStatus(document_.SetSize(size, CanvasState())); }, hasFrame);
  }
  Register(
      command::kCustomSize, [this] { CustomSize(); }, hasFrame);
  Register(
      command::kFormatTrueColorAlpha,
      [this] { document_.SetSelectedFormat(ColorFormat::kTrueColorAlpha); }, hasFrame);
  Register(
      command::kFormatTrueColor, [this] { document_.SetSelectedFormat(ColorFormat::kTrueColor); },
      hasFrame);
  Register(
      command::kFormat256Colors,
      [this] { ShowFrameStatus(document_.ConvertSelectedTo256Colors(CanvasState())); }, hasFrame);
  Register(
      command::kFormat16Colors, [this] { SixteenColors(); }, hasFrame);
  Register(
      command::kFormatMonochrome,
      [this] { ShowFrameStatus(document_.ConvertSelectedToMonochrome(CanvasState())); }, hasFrame);
  Register(
      command::kMoveUp, [this] { document_.MoveUp(); }, [this] { return document_.Current() > 0; });
  Register(
      command::kMoveDown, [this] { document_.MoveDown(); },
      [this] { return HasFrame() && document_.Current() + 1 < document_.Count(); });
}

void MainWindow::RegisterViewCommands() {
  Register(command::kZoomIn, [this] { editArea_->ZoomIn(); });
  Register(command::kZoomOut, [this] { editArea_->ZoomOut(); });
  Register(command::kMaxZoom, [this] { editArea_->SetZoom(-1); });
  Register(command::kFitToArea, [this] { editArea_->SetZoom(0); });
  Register(
      command::kShowGrid, [this] { editArea_->SetShowGrid(!editArea_->ShowGrid()); }, {},
      [this] { return editArea_->ShowGrid(); });
  Register(command::kImageListBackground,
           [this] { ChooseBackground(command::kImageListBackground); });
  Register(command::kEditAreaBackground,
           [this] { ChooseBackground(command::kEditAreaBackground); });
  Register(command::kAbout, [this] { About(); });
  RegisterInspectionCommands();
}

void MainWindow::RegisterInspectionCommands() {
  InspectionHost host;
  host.editor = MakeContext();
  host.mainWindow = this;
  host.openPath = [this](const std::string& path) { return OpenPath(path); };
  host.currentOptions = [this] {
    return OptionsValues{state_.alphaLevel, state_.matteColor, editArea_->Background(),
                         editArea_->ShowGrid(), pack_.selected_name()};
  };
  host.applyOptions = [this](const OptionsValues& v) {
    state_.alphaLevel = v.alphaLevel;
    state_.matteColor = v.matteColor;
    editArea_->SetBackground(v.editBackground);
    editArea_->SetShowGrid(v.showGrid);
    if (v.language != pack_.selected_name() && pack_.select(v.language)) Retranslate();
  };
  host.associations = [this] { RunCommand(command::kAssociations); };
  inspection_ = std::make_unique<InspectionCommands>(std::move(host));
  Register(command::kSearchObject, [this] { inspection_->SearchObject(); });
  Register(command::kOptions, [this] { inspection_->Options(); });
  Register(
      command::kCheckIcon, [this] { inspection_->CheckIcon(); }, [this] { return HasFrame(); });
  Register(
      command::kPreviewPane, [this] { inspection_->TogglePreviewPane(); }, {},
      [this] { return inspection_->PreviewPaneShown(); });
}

void MainWindow::ShowFrameStatus(FrameStatus status) {
  switch (status) {
    case FrameStatus::kOk:
    case FrameStatus::kNoFrame:
      return;
    case FrameStatus::kFrameLimit:
      prompts_->ShowError(this, "Error",
                          Message("frame_limit", "An object holds at most 256 images."));
      return;
    case FrameStatus::kInvalidArgument:
    case FrameStatus::kOutOfMemory:
      prompts_->ShowError(this, "Error", Message("no_memory", "Not enough memory for this image."));
      return;
    case FrameStatus::kReductionFailed:
      prompts_->ShowError(this, "Error", Message("dl1quant", "Error in dl1quant"));
      return;
  }
}

void MainWindow::ShowFramesResult(const FramesResult& result) {
  ShowFrameStatus(result.status);
}

void MainWindow::DeleteImages() {
  const QMessageBox::StandardButton answer =
      prompts_->Ask(this, Message("del_frames", "Do you want remove selected frame(s)?"),
                    QMessageBox::Yes | QMessageBox::No);
  if (answer == QMessageBox::Yes) document_.DeleteSelectedFrames();
}

void MainWindow::CustomSize() {
  const ImageFrame* frame = document_.CurrentFrame();
  CustomSizeDialog dialog(pack_, frame->image.GetWidth(), frame->image.GetHeight(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  ShowFrameStatus(document_.CustomSize(dialog.ChosenWidth(), dialog.ChosenHeight(), CanvasState()));
}

void MainWindow::SixteenColors() {
  DitherDialog dialog(pack_, document_, CanvasState(), this);
  if (!dialog.Started()) {
    ShowFrameStatus(FrameStatus::kOutOfMemory);
    return;
  }
  dialog.exec();
  if (dialog.Failed()) ShowFrameStatus(FrameStatus::kReductionFailed);
}

// The canvas walks the history: it owns the selection and floating bitmap saved with each step.
void MainWindow::Undo() {
  if (draw_->Undo()) RestoredCanvasState(CanvasState());
}

void MainWindow::Redo() {
  if (draw_->Redo()) RestoredCanvasState(CanvasState());
}

void MainWindow::RestoredCanvasState(const UndoContext& context) {
  // A step restores the edit-area background it was taken with.
  if (context.background != editArea_->Background()) editArea_->SetBackground(context.background);
  document_.MarkImageChanged(document_.Current());
}

void MainWindow::ToggleAniPreview() {
  if (aniFrame_ >= 0) {
    StopAniPreview();
    return;
  }
  aniFrame_ = std::max(document_.Current(), 0);
  aniElapsedMs_ = 0;
  editArea_->SetShownFrame(aniFrame_);
  aniTimer_.start();
}

void MainWindow::StopAniPreview() {
  if (aniFrame_ < 0) return;
  aniTimer_.stop();
  aniFrame_ = -1;
  editArea_->SetShownFrame(-1);
  UpdateCommands();
}

void MainWindow::AniPreviewTick() {
  if (aniFrame_ < 0 || aniFrame_ >= document_.Count()) {
    StopAniPreview();
    return;
  }
  aniElapsedMs_ += aniTimer_.interval();
  // A frame shows for its rate in jiffies (1/60 s); an unset rate shows as the file would.
  const int rate =
      document_.Frame(aniFrame_).rate > 0 ? document_.Frame(aniFrame_).rate : kAniRateForUnset;
  const int durationMs = rate * 1000 / 60;
  if (aniElapsedMs_ < durationMs) return;
  aniElapsedMs_ = 0;
  aniFrame_ = (aniFrame_ + 1) % document_.Count();
  editArea_->SetShownFrame(aniFrame_);
}

void MainWindow::AniProperties() {
  AniPropertiesDialog dialog(pack_, document_, this);
  dialog.exec();
}

void MainWindow::ChooseBackground(int commandId) {
  const bool list = commandId == command::kImageListBackground;
  const std::uint32_t current = list ? frameList_->Background() : editArea_->Background();
  const QColor chosen = QColorDialog::getColor(FromPlatformColor(current), this);
  if (!chosen.isValid()) return;
  if (list) {
    frameList_->SetBackground(ToPlatformColor(chosen));
    frameList_->Refresh(document_, pack_);
  } else {
    editArea_->SetBackground(ToPlatformColor(chosen));
  }
}

void MainWindow::About() {
  QMessageBox::about(this, "About Morvane Pro",
                     Q(std::string(kProgramTitle)) +
                         "\n\nAn editor for icons, cursors, animated cursors and small "
                         "pictures.");
}

}  // namespace morvane
