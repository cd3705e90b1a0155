// The Draw and Edit menu commands of the drawing controller, the clipboard commands and the
// hotspot command.
#include <QColorDialog>
#include <QMainWindow>

#include "editing/draw_settings.h"
#include "shell/commands.h"
#include "shell/draw_tools.h"
#include "ui/clipboard_bridge.h"
#include "ui/color_bar.h"
#include "ui/draw_controller.h"
#include "ui/edit_area.h"
#include "ui/prompts.h"

namespace morvane {
namespace {

namespace draw_command {
inline constexpr int kAntiAliasing = 32904;
inline constexpr int kTransparentMode = 32905;
inline constexpr int kLockRed = 33041;
inline constexpr int kLockGreen = 33042;
inline constexpr int kLockBlue = 33043;
inline constexpr int kLockAlpha = 33044;
inline constexpr int kSolidFill = 32983;
inline constexpr int kGradientFill = 32984;
inline constexpr int kFirstColor = 32976;
inline constexpr int kSecondColor = 32977;
inline constexpr int kTranspFirstColor = 32978;
inline constexpr int kTranspSecondColor = 32979;
}  // namespace draw_command

}  // namespace

void DrawController::RegisterCommands(const CommandRegistrar& registrar) {
  RegisterDrawCommands(registrar);
  RegisterEditCommands(registrar);
}

void DrawController::RegisterDrawCommands(const CommandRegistrar& reg) {
  namespace dc = draw_command;
  EditCanvas& canvas = session_.Canvas();
  for (const DrawTool& t : DrawTools()) {
    const int index = t.index;
    reg(
        t.command, [this, index] { ChooseTool(index); }, {},
        [this, index] { return session_.Canvas().Tool() == index; });
  }
  reg(
      dc::kAntiAliasing,
      [this, &canvas] {
        canvas.draw.antiAlias = !canvas.draw.antiAlias;
        context_.editor.state->antiAliasing = canvas.draw.antiAlias;
      },
      {}, [&canvas] { return canvas.draw.antiAlias; });
  reg(
      dc::kTransparentMode,
      [this, &canvas] {
        canvas.draw.transparentMode = !canvas.draw.transparentMode;
        context_.editor.state->transparentMode = canvas.draw.transparentMode;
        // The floating pixels are composited anew under the new mode.
        if (canvas.Target())
          session_.Selection().Model().Composite(*canvas.Target(), canvas.draw.transparentMode);
        context_.area->ImageChanged();
      },
      {}, [&canvas] { return canvas.draw.transparentMode; });
  const std::pair<int, std::uint32_t> locks[] = {{dc::kLockRed, kLockRed},
                                                 {dc::kLockGreen, kLockGreen},
                                                 {dc::kLockBlue, kLockBlue},
                                                 {dc::kLockAlpha, kLockAlpha}};
  for (const auto& [id, mask] : locks) {
    const std::uint32_t m = mask;
    reg(
        id, [this, &canvas, m] { SetLock(m, (canvas.draw.lockMask & m) == 0); }, {},
        [&canvas, m] { return (canvas.draw.lockMask & m) != 0; });
  }
  reg(
      dc::kSolidFill, [this] { SetGradientFill(false); }, {},
      [&canvas] { return !canvas.draw.gradientFill; });
  reg(
      dc::kGradientFill, [this, &canvas] { SetGradientFill(!canvas.draw.gradientFill); }, {},
      [&canvas] { return canvas.draw.gradientFill; });
  reg(dc::kFirstColor, [this] { ChooseBrushColor(0); }, {}, {});
  reg(dc::kSecondColor, [this] { ChooseBrushColor(1); }, {}, {});
  reg(dc::kTranspFirstColor,
      [this, &canvas] {
        SetColorsFromBar(canvas.firstColour & 0x00FFFFFF, canvas.secondColour);
        ColoursChanged();
      },
      {}, {});
  reg(dc::kTranspSecondColor,
      [this, &canvas] {
        SetColorsFromBar(canvas.firstColour, canvas.secondColour & 0x00FFFFFF);
        ColoursChanged();
      },
      {}, {});
  reg(
      command::kSetHotspot,
      [this] {
        const Hotspot h = context_.editor.document->GetHotspot();
        const bool unset = h.x == kNotSet || h.y == kNotSet;
        session_.Canvas().BeginHotspotPlacement({unset ? 0 : h.x, unset ? 0 : h.y});
        context_.area->ImageChanged();
      },
      [this] {
        return session_.Canvas().Target() != nullptr &&
               context_.editor.document->Kind() != DocumentKind::kIcon;
      },
      {});
}

void DrawController::ChooseBrushColor(int which) {
  EditCanvas& canvas = session_.Canvas();
  Pixel& colour = which == 0 ? canvas.firstColour : canvas.secondColour;
  const QColor chosen = QColorDialog::getColor(
      QColor(static_cast<int>(RedOf(colour)), static_cast<int>(GreenOf(colour)),
             static_cast<int>(BlueOf(colour))),
      context_.mainWindow);
  if (!chosen.isValid()) return;
  // The menu changes the colour bytes and keeps the alpha.
  colour = (colour & 0xFF000000) |
           MakePixel(0, static_cast<Pixel>(chosen.red()), static_cast<Pixel>(chosen.green()),
                     static_cast<Pixel>(chosen.blue()));
  colorBar_->AddToHistory(colour);
  SetColorsFromBar(canvas.firstColour, canvas.secondColour);
  ColoursChanged();
}

void DrawController::RegisterEditCommands(const CommandRegistrar& reg) {
  const auto hasFrame = [this] { return session_.Canvas().Target() != nullptr; };
  const auto edited = [this] {
    context_.area->ImageChanged();
    CanvasChanged();
  };
  reg(command::kCopy, [this] { Copy(); }, hasFrame, {});
  reg(command::kCut, [this] { Cut(); }, hasFrame, {});
  reg(command::kPaste, [this] { Paste(false); }, hasFrame, {});
  reg(command::kPasteAsNewImage, [this] { Paste(true); }, {}, {});
  reg(command::kClearAll,
      [this, edited] {
        session_.FillImage(session_.Canvas().clearColour);
        edited();
      },
      hasFrame, {});
  reg(command::kFillByFirstColor,
      [this, edited] {
        session_.FillImage(session_.Canvas().firstColour);
        edited();
      },
      hasFrame, {});
  reg(command::kSelectAll,
      [this, edited] {
        session_.SelectAll();
        edited();
      },
      hasFrame, {});
  reg(
      command::kRemoveSelection,
      [this, edited] {
        session_.RemoveSelection();
        edited();
      },
      [this] { return session_.HasSelection(); }, {});
  reg(
      command::kCrop,
      [this, edited] {
        const Rect r = IntersectWithImage(session_.SelectionState().Rectangle(),
                                          session_.Canvas().Target()->GetWidth(),
                                          session_.Canvas().Target()->GetHeight());
        if (r.Width() <= 0) return;
        const UndoContext state = CanvasState();
        session_.Attach(nullptr, nullptr);
        context_.editor.document->Crop(r, state);
        Attach();
        edited();
      },
      [this] { return session_.HasSelection(); }, {});
}

bool DrawController::Undo() {
  if (!session_.Undo()) return false;
  context_.area->ImageChanged();
  return true;
}

bool DrawController::Redo() {
  if (!session_.Redo()) return false;
  context_.area->ImageChanged();
  return true;
}

bool DrawController::Copy() {
  CDib scratch;
  const CDib* source = session_.CopySource(scratch);
  if (source == nullptr) return false;
  if (!PutPictureOnClipboard(*source, session_.Canvas().backgroundColour)) {
    ShowError("clipboard_copy", "Cannot copy the image to the clipboard.");
    return false;
  }
  CanvasChanged();
  return true;
}

bool DrawController::Cut() {
  // The picture is deleted only once it is safely on the clipboard.
  if (!Copy()) return false;
  session_.DeleteSelection();
  context_.area->ImageChanged();
  CanvasChanged();
  return true;
}

bool DrawController::Paste(bool asNewImage) {
  ClipboardPicture picture = ReadClipboardPicture();
  if (!picture.error.isEmpty()) {
    ShowError("clipboard_bad", "The clipboard holds a picture that cannot be pasted.",
              picture.error);
    return false;
  }
  if (!picture.image.IsLive()) return false;
  const int w = picture.image.GetWidth(), h = picture.image.GetHeight();
  if (w > kMaxPasteSide || h > kMaxPasteSide) {
    // Larger pictures belong to the import dialog, which cuts an icon image out of them.
    if (context_.importPicture) return context_.importPicture(std::move(picture.image));
    ShowError("clipboard_large",
              "The clipboard picture is larger than 256 x 256 pixels. Use Import from image "
              "to cut icons out of it.",
              QStringLiteral("%1 x %2").arg(w).arg(h));
    return false;
  }
  if (asNewImage) {
    const AddResult added =
        context_.editor.document->AddFrame(w, h, ColorFormat::kTrueColorAlpha, nullptr, true);
    if (added.index < 0) return false;
    Attach();
  }
  picture.image.clip = {0, 0, w, h};
  if (!session_.Paste(std::move(picture.image))) return false;
  ImageChanged();
  context_.area->ImageChanged();
  CanvasChanged();
  return true;
}

}  // namespace morvane
