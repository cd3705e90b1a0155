#include "editing/edit_canvas.h"

#include <algorithm>
#include <cstdlib>

#include "editing/fills.h"

namespace morvane {
namespace {

bool IsShapeTool(int t) {
  return t >= 2 && t <= 6;
}
bool IsPolyTool(int t) {
  return t == 7 || t == 8;
}

// The right button paints without the gradient; this switches it off for one action.
class GradientOff {
 public:
  GradientOff(DrawSettings& d, bool off) : d_(d), saved_(d.gradientFill) {
    if (off) d_.gradientFill = false;
  }
  ~GradientOff() { d_.gradientFill = saved_; }
  GradientOff(const GradientOff&) = delete;
  GradientOff& operator=(const GradientOff&) = delete;

 private:
  DrawSettings& d_;
  bool saved_;
};

}  // namespace

void EditCanvas::Attach(CDib* target, UndoHistory* history) {
  target_ = target;
  history_ = history;
  points_.clear();
  stroke_ = {};
}

void EditCanvas::SetToolHandler(CanvasTool tool, ToolHandler* handler) {
  handlers_[static_cast<std::size_t>(tool)] = handler;
}

void EditCanvas::SetTool(int tool) {
  if (tool < 0 || tool >= kCanvasToolCount) return;
  if (ToolHandler* old = handlers_[static_cast<std::size_t>(tool_)]) old->Leave(*this);
  if (tool_ != static_cast<int>(CanvasTool::kPickColor) &&
      tool_ != static_cast<int>(CanvasTool::kHotspot)) {
    previousTool_ = tool_;
  }
  tool_ = tool;
  points_.clear();
  stroke_ = {};
  if (ToolHandler* now = handlers_[static_cast<std::size_t>(tool_)]) now->Enter(*this);
  if (observer_) observer_->ToolChanged(tool_);
}

void EditCanvas::BeginHotspotPlacement(ImagePoint start) {
  hotspot = start;
  SetTool(static_cast<int>(CanvasTool::kHotspot));
}

void EditCanvas::ReturnToPreviousTool() {
  SetTool(previousTool_);
}

Pixel EditCanvas::StrokeColour() const {
  return stroke_.button == MouseButton::kLeft ? firstColour : secondColour;
}

bool EditCanvas::PushesUndoOnPress() const {
  if (tool_ == static_cast<int>(CanvasTool::kPickColor) ||
      tool_ == static_cast<int>(CanvasTool::kHotspot)) {
    return false;
  }
  if (IsPolyTool(tool_)) return points_.empty();
  return true;
}

void EditCanvas::PushUndo() {
  if (history_ == nullptr || target_ == nullptr) return;
  const bool floats =
      floating != nullptr && floating->IsLive() && beneath != nullptr && beneath->IsLive();
  history_->Push(floats ? beneath : target_, floats ? floating : nullptr, tool_, selection,
                 backgroundColour);
}

void EditCanvas::Changed() {
  if (observer_) observer_->ImageChanged();
}

void EditCanvas::RestoreBase() {
  if (strokeBase_.IsLive()) strokeBase_.CopyTo(*target_);
}

// --- Channel locks ------------------------------------------------------------------------------

void EditCanvas::SaveLocks() {
  lockSaved_ = draw.lockMask != 0 && target_->CopyTo(lockSave_);
}

void EditCanvas::RestoreLocks() {
  if (!lockSaved_) return;
  lockSaved_ = false;
  std::uint32_t keep = draw.lockMask;
  // With Transparent mode off the alpha lock works inside the blend, where alpha may fall but
  // never rise. Fills and the blur dab do not blend, so the same rule is applied here.
  const bool alphaNoRise = !draw.transparentMode && (keep & kLockAlpha) != 0 &&
                           (tool_ == static_cast<int>(CanvasTool::kFill) ||
                            tool_ == static_cast<int>(CanvasTool::kBlur));
  if (!draw.transparentMode) keep &= ~kLockAlpha;
  Pixel* now = target_->Pixels();
  const Pixel* saved = lockSave_.Pixels();
  const std::size_t n = std::min(target_->StoredPixelCount(), lockSave_.StoredPixelCount());
  for (std::size_t i = 0; i < n; ++i) {
    Pixel v = (now[i] & ~keep) | (saved[i] & keep);
    if (alphaNoRise && AlphaOf(v) > AlphaOf(saved[i]))
      v = (v & 0x00FFFFFF) | (saved[i] & kLockAlpha);
    now[i] = v;
  }
}

// --- Input --------------------------------------------------------------------------------------

void EditCanvas::BeginStroke(ImagePoint p, MouseButton button, unsigned mods) {
  stroke_ = {true, button, p, p, mods};
  const bool keepBase = IsPolyTool(tool_) && !points_.empty();
  if (!keepBase && tool_ != static_cast<int>(CanvasTool::kSelect)) {
    target_->CopyTo(strokeBase_, CDib::CopyMode::kReuse);
  }
  if (PushesUndoOnPress()) PushUndo();
}

void EditCanvas::Press(ImagePoint p, MouseButton button, unsigned mods) {
  if (!HasFrame() || stroke_.active) return;
  BeginStroke(p, button, mods);
  GradientOff gradientOff(draw, button == MouseButton::kRight);
  WithChannelLocks([&] {
    if (ToolHandler* h = handlers_[static_cast<std::size_t>(tool_)]) {
      h->Press(*this, p, button, mods);
    } else {
      PressAction(p);
    }
  });
  Changed();
}

void EditCanvas::Move(ImagePoint p, unsigned mods) {
  if (!HasFrame() || !stroke_.active) return;
  if (p == stroke_.last && mods == stroke_.mods) return;
  stroke_.last = p;
  stroke_.mods = mods;
  GradientOff gradientOff(draw, stroke_.button == MouseButton::kRight);
  WithChannelLocks([&] {
    if (ToolHandler* h = handlers_[static_cast<std::size_t>(tool_)]) {
      h->Move(*this, p, mods);
    } else {
      MoveAction(p);
    }
  });
  Changed();
}

void EditCanvas::Release(ImagePoint p, MouseButton button, unsigned mods) {
  if (!HasFrame() || !stroke_.active || button != stroke_.button) return;
  stroke_.last = p;
  stroke_.mods = mods;
  GradientOff gradientOff(draw, button == MouseButton::kRight);
  const int tool = tool_;
  WithChannelLocks([&] {
    if (ToolHandler* h = handlers_[static_cast<std::size_t>(tool_)]) {
      h->Release(*this, p, button, mods);
    } else {
      ReleaseAction(p);
    }
  });
  // Pick color and hotspot placement switch tools, which ends the stroke already.
  if (tool == tool_) stroke_.active = false;
  Changed();
}

void EditCanvas::Hover(ImagePoint p) {
  if (!HasFrame() || stroke_.active || !IsPolyTool(tool_) || points_.empty()) return;
  WithChannelLocks([&] { RedrawPoly(&p); });
  Changed();
}

void EditCanvas::Key(CanvasKey key, ImagePoint cursor) {
  if (!HasFrame() || !IsPolyTool(tool_)) return;
  switch (key) {
    case CanvasKey::kEnter:
      ClearPoints();
      return;
    case CanvasKey::kSpace:
      if (points_.empty()) {
        target_->CopyTo(strokeBase_, CDib::CopyMode::kReuse);
        PushUndo();
      }
      WithChannelLocks([&] { AddVertex(cursor); });
      break;
    case CanvasKey::kBackspace:
      if (points_.empty()) return;
      WithChannelLocks([&] { RemoveVertex(&cursor); });
      break;
  }
  Changed();
}

// --- Tool actions -------------------------------------------------------------------------------

void EditCanvas::PressAction(ImagePoint p) {
  switch (static_cast<CanvasTool>(tool_)) {
    case CanvasTool::kPen:
      Tip(p, tools.penTip, StrokeColour());
      break;
    case CanvasTool::kEraser:
      Tip(p, tools.eraserTip, 0);
      break;
    case CanvasTool::kReplaceColors:
    case CanvasTool::kBlur:
      Dab(p);
      break;
    default:
      break;
  }
}

void EditCanvas::MoveAction(ImagePoint p) {
  if (IsShapeTool(tool_)) {
    RedrawShape(p);
  } else if (IsPolyTool(tool_)) {
    RedrawPoly(&p);
  } else {
    PressAction(p);  // the dab tools add one dab at the new position
  }
}

void EditCanvas::ReleaseAction(ImagePoint p) {
  switch (static_cast<CanvasTool>(tool_)) {
    case CanvasTool::kFill:
      FloodFill(*target_, p.x, p.y, StrokeColour(), draw, stroke_.button == MouseButton::kLeft);
      break;
    case CanvasTool::kPickColor:
      PickColour(p, stroke_.button, stroke_.mods);
      break;
    case CanvasTool::kHotspot:
      if (p.x >= 0 && p.y >= 0 && p.x < target_->GetWidth() && p.y < target_->GetHeight()) {
        hotspot = p;
        if (observer_) observer_->HotspotChosen(p.x, p.y);
        ReturnToPreviousTool();
      }
      break;
    case CanvasTool::kPolyline:
    case CanvasTool::kPolygon:
      if (stroke_.button == MouseButton::kLeft) {
        AddVertex(p);
      } else {
        RemoveVertex(&p);
      }
      break;
    default:
      break;
  }
}

void EditCanvas::RedrawShape(ImagePoint p) {
  RestoreBase();
  const Pixel colour = StrokeColour();
  const ImagePoint s = stroke_.start;
  const int pen = tools.penSize;
  if (tool_ == static_cast<int>(CanvasTool::kLine)) {
    DrawLine(*target_, s.x, s.y, p.x, p.y, colour, pen, draw);
    return;
  }
  int dx = p.x - s.x;
  int dy = p.y - s.y;
  const bool ellipse = tool_ == static_cast<int>(CanvasTool::kEllipse) ||
                       tool_ == static_cast<int>(CanvasTool::kFilledEllipse);
  int x1, y1, x2, y2;
  if (ellipse && (stroke_.mods & kModCtrl)) {
    const int ext = tool_ == static_cast<int>(CanvasTool::kEllipse)
                        ? std::max(std::abs(dx), std::abs(dy))
                        : std::min(std::abs(dx), std::abs(dy));
    dx = dx < 0 ? -ext : ext;
    dy = dy < 0 ? -ext : ext;
  }
  if (ellipse && (stroke_.mods & kModShift)) {
    x1 = s.x - std::abs(dx), x2 = s.x + std::abs(dx);
    y1 = s.y - std::abs(dy), y2 = s.y + std::abs(dy);
  } else {
    x1 = std::min(s.x, s.x + dx), x2 = std::max(s.x, s.x + dx);
    y1 = std::min(s.y, s.y + dy), y2 = std::max(s.y, s.y + dy);
  }
  const RectangleToolSettings& r = tools.rectangle;
  switch (static_cast<CanvasTool>(tool_)) {
    case CanvasTool::kRectangle:
      DrawRoundRectangle(*target_, x1, y1, x2 + 1, y2 + 1, r.roundWidth, r.roundHeight, colour, pen,
                         draw);
      break;
    case CanvasTool::kFilledRectangle:
      FillRoundRectangle(*target_, x1, y1, x2 + 1, y2 + 1, r.roundWidth, r.roundHeight, colour,
                         draw);
      break;
    case CanvasTool::kEllipse:
      DrawEllipse(*target_, x1, y1, x2, y2, colour, pen, draw);
      break;
    default:
      FillEllipse(*target_, x1, y1, x2, y2, colour, draw);
      break;
  }
}

void EditCanvas::RedrawPoly(const ImagePoint* cursor) {
  RestoreBase();
  std::vector<PointD> shape = points_;
  if (cursor) shape.push_back({double(cursor->x), double(cursor->y)});
  if (shape.empty()) return;
  const std::uint32_t replication = tools.polygon.Replication();
  if (tool_ == static_cast<int>(CanvasTool::kPolyline)) {
    DrawPolyline(*target_, shape, firstColour, tools.penSize, replication, draw);
  } else {
    FillPolygon(*target_, shape, firstColour, replication, draw);
  }
}

void EditCanvas::AddVertex(ImagePoint p) {
  points_.push_back({double(p.x), double(p.y)});
  RedrawPoly(nullptr);
}

void EditCanvas::RemoveVertex(const ImagePoint* cursor) {
  if (!points_.empty()) points_.pop_back();
  // Without a vertex there is no shape, not even a dot at the cursor.
  if (points_.empty()) {
    RestoreBase();
    return;
  }
  RedrawPoly(cursor);
}

void EditCanvas::Tip(ImagePoint p, TipShape shape, Pixel colour) {
  const int w = tools.penSize;
  if (w <= 1) {
    FillRectangle(*target_, p.x, p.y, p.x, p.y, colour, draw);
    return;
  }
  const int r = (w - 1) / 2;
  const int q = w / 2;
  switch (shape) {
    case TipShape::kCircle:
      FillEllipse(*target_, p.x - r, p.y - r, p.x + q, p.y + q, colour, draw);
      break;
    case TipShape::kVertical:
      DrawLine(*target_, p.x, p.y - r, p.x, p.y + q, colour, 1, draw);
      break;
    case TipShape::kHorizontal:
      DrawLine(*target_, p.x - r, p.y, p.x + q, p.y, colour, 1, draw);
      break;
    case TipShape::kDiagonal:
      DrawLine(*target_, p.x - r, p.y - r, p.x + q, p.y + q, colour, 1, draw);
      break;
    default:
      FillRectangle(*target_, p.x - r, p.y - r, p.x + q, p.y + q, colour, draw);
      break;
  }
}

void EditCanvas::Dab(ImagePoint p) {
  const int w = tools.penSize;
  if (tool_ == static_cast<int>(CanvasTool::kReplaceColors)) {
    const ReplaceParams params{w, tools.replace.hueDelta, tools.replace.luminanceDelta,
                               tools.replace.singleDestination};
    ReplaceColors(*target_, strokeBase_, p.x, p.y, params, firstColour, secondColour);
    return;
  }
  const Rect square = BrushSquare(p.x, p.y, w);
  target_->Blur(square.left, square.top, square.right - 1, square.bottom - 1,
                static_cast<int>(AlphaOf(StrokeColour())), draw.transparentMode);
}

void EditCanvas::PickColour(ImagePoint p, MouseButton button, unsigned mods) {
  if (p.x < 0 || p.y < 0 || p.x >= target_->GetWidth() || p.y >= target_->GetHeight()) return;
  const Pixel v = target_->Row(p.y)[p.x];
  if (button == MouseButton::kLeft && (mods & kModCtrl)) {
    backgroundColour = SwapRedBlue(v);
    if (observer_) observer_->BackgroundChanged();
  } else {
    Pixel& brush = button == MouseButton::kLeft ? firstColour : secondColour;
    brush = IsTransparent(v) ? brush & 0x00FFFFFF : v;
    if (observer_) observer_->ColoursChanged();
  }
  ReturnToPreviousTool();
}

// --- Commands -----------------------------------------------------------------------------------

void EditCanvas::FillImage(Pixel colour) {
  if (!HasFrame()) return;
  points_.clear();
  PushUndo();
  selection = {kNotSet, 0, 0, 0};
  target_->clip = {0, 0, target_->GetWidth(), target_->GetHeight()};
  target_->Fill(colour);
  Changed();
}

void EditCanvas::ApplyKernel(const double* kernel, int size, int level, bool lockAlpha) {
  CDib* image = floating != nullptr && floating->IsLive() ? floating : target_;
  if (image == nullptr || !image->IsLive()) return;
  Rect r{0, 0, image->GetWidth(), image->GetHeight()};
  if (image == target_ && selection.left != kNotSet) {
    r = {std::max(0, std::min(selection.left, selection.right)),
         std::max(0, std::min(selection.top, selection.bottom)),
         std::min(image->GetWidth(), std::max(selection.left, selection.right)),
         std::min(image->GetHeight(), std::max(selection.top, selection.bottom))};
    if (r.left >= r.right || r.top >= r.bottom) return;
  }
  if (kernel != nullptr) {
    image->Convolve(r.left, r.top, r.right - 1, r.bottom - 1, kernel, size, level, lockAlpha);
  } else {
    image->Blur(r.left, r.top, r.right - 1, r.bottom - 1, level, lockAlpha);
  }
  Changed();
}

}  // namespace morvane
