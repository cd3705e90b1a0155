// EditCanvas: the tool logic of the pixel editor, without any window. It works in image
// coordinates: the widget maps the mouse to image pixels and calls Press, Move, Release and
// Key; the canvas runs the current tool on the target image, keeps the two brush colours and
// the stroke base, applies the channel locks around every tool action and pushes an undo step
// before each change.
//
// Tools without logic here (Select, Text) are served by a ToolHandler that the editor installs;
// zoom, status fields and painting the view belong to the widget.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "editing/draw_settings.h"
#include "editing/primitives.h"
#include "editing/tool_settings.h"
#include "image/dib.h"
#include "image/undo_history.h"

namespace morvane {

enum class CanvasTool : int {
  kSelect = 0,
  kPen = 1,
  kLine = 2,
  kRectangle = 3,
  kFilledRectangle = 4,
  kEllipse = 5,
  kFilledEllipse = 6,
  kPolyline = 7,
  kPolygon = 8,
  kFill = 9,
  kReplaceColors = 10,
  kText = 11,
  kBlur = 12,
  kEraser = 13,
  kPickColor = 14,
  kHotspot = 15,
};
inline constexpr int kCanvasToolCount = 16;

enum class MouseButton { kLeft, kRight };
enum CanvasModifier : unsigned { kModShift = 1, kModCtrl = 2 };
enum class CanvasKey { kEnter, kSpace, kBackspace };

struct ImagePoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ImagePoint&, const ImagePoint&) = default;
};

class EditCanvas;

// Serves a tool the canvas has no logic for (Select, Text). The canvas has already taken the
// stroke base and undo step the stroke rules ask for; the handler does the rest.
class ToolHandler {
 public:
  virtual ~ToolHandler() = default;
  virtual void Press(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned mods) = 0;
  virtual void Move(EditCanvas& canvas, ImagePoint p, unsigned mods) = 0;
  virtual void Release(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned mods) = 0;
  // Called when the tool is chosen (the select tool takes its undo step and resets the clip
  // here) and when another tool is chosen.
  virtual void Enter(EditCanvas&) {}
  virtual void Leave(EditCanvas&) {}
};

// What the canvas tells the window.
class CanvasObserver {
 public:
  virtual ~CanvasObserver() = default;
  virtual void ImageChanged() {}
  virtual void ColoursChanged() {}
  virtual void BackgroundChanged() {}
  virtual void HotspotChosen(int /*x*/, int /*y*/) {}
  virtual void ToolChanged(int /*tool*/) {}
};

class EditCanvas {
 public:
  EditCanvas() = default;
  EditCanvas(const EditCanvas&) = delete;
  EditCanvas& operator=(const EditCanvas&) = delete;

  // Attaches the current frame's image and history (either may be null: no frame, input is
  // ignored). Resets the vertex list and the stroke.
  void Attach(CDib* target, UndoHistory* history);
  CDib* Target() { return target_; }
  UndoHistory* History() { return history_; }
  void SetObserver(CanvasObserver* observer) { observer_ = observer; }
  void SetToolHandler(CanvasTool tool, ToolHandler* handler);

  // --- Settings and state -------------------------------------------------------------------
  DrawSettings draw;
  ToolSettings tools;
  Pixel firstColour = 0xFF80FF80;      // "Last color"
  Pixel secondColour = 0x00BFCAD2;     // "Last color 2"
  Pixel clearColour = 0x00D2CABF;      // "Transp color" as a pixel
  std::uint32_t backgroundColour = 0;  // platform colour 0x00BBGGRR
  // The selection rectangle (left == kNotSet: none) and floating bitmap, kept by the selection
  // tool and saved with every undo step.
  Rect selection{kNotSet, 0, 0, 0};
  CDib* floating = nullptr;
  // The image under the floating bitmap; undo steps save it instead of the composite.
  CDib* beneath = nullptr;
  // Where hotspot placement starts and ends.
  ImagePoint hotspot{0, 0};

  // --- Tools ----------------------------------------------------------------------------------
  void SetTool(int tool);
  int Tool() const { return tool_; }
  int PreviousTool() const { return previousTool_; }
  // Object > "Set hotspot point for cursor": starts placement at the document's hotspot.
  void BeginHotspotPlacement(ImagePoint start);

  // --- Input in image coordinates -------------------------------------------------------------
  void Press(ImagePoint p, MouseButton button, unsigned mods = 0);
  void Move(ImagePoint p, unsigned mods = 0);
  void Release(ImagePoint p, MouseButton button, unsigned mods = 0);
  // Enter finishes a polyline or polygon, Space adds the cursor as a vertex, Backspace removes
  // the last vertex.
  void Key(CanvasKey key, ImagePoint cursor);
  // The cursor moved with no button down: a polyline or polygon in progress follows it.
  void Hover(ImagePoint p);
  bool InStroke() const { return stroke_.active; }

  // --- Commands ------------------------------------------------------------------------------
  void PushUndo();
  // Edit > "Fill by first brush color" (first colour) and "Clear all" (clear colour).
  void FillImage(Pixel colour);
  void ClearPoints() { points_.clear(); }
  const std::vector<PointD>& Points() const { return points_; }
  const CDib& StrokeBase() const { return strokeBase_; }
  // Convolution or, without a kernel, the fixed blur over the selection or the whole target.
  void ApplyKernel(const double* kernel, int size, int level, bool lockAlpha);

  // Runs action on the target with the channel locks applied around it (public for the
  // selection and text handlers).
  template <typename Action>
  void WithChannelLocks(Action&& action) {
    SaveLocks();
    action();
    RestoreLocks();
  }

 private:
  struct Stroke {
    bool active = false;
    MouseButton button = MouseButton::kLeft;
    ImagePoint start;
    ImagePoint last;
    unsigned mods = 0;
  };

  bool HasFrame() const { return target_ != nullptr && target_->IsLive(); }
  bool PushesUndoOnPress() const;
  void BeginStroke(ImagePoint p, MouseButton button, unsigned mods);
  void PressAction(ImagePoint p);
  void MoveAction(ImagePoint p);
  void ReleaseAction(ImagePoint p);
  void RedrawShape(ImagePoint p);
  void RedrawPoly(const ImagePoint* cursor);
  void AddVertex(ImagePoint p);
  void RemoveVertex(const ImagePoint* cursor);
  void Tip(ImagePoint p, TipShape shape, Pixel colour);
  void Dab(ImagePoint p);
  void PickColour(ImagePoint p, MouseButton button, unsigned mods);
  void ReturnToPreviousTool();
  Pixel StrokeColour() const;
  void RestoreBase();
  void SaveLocks();
  void RestoreLocks();
  void Changed();

  CDib* target_ = nullptr;
  UndoHistory* history_ = nullptr;
  CanvasObserver* observer_ = nullptr;
  std::array<ToolHandler*, kCanvasToolCount> handlers_{};
  int tool_ = static_cast<int>(CanvasTool::kPen);
  int previousTool_ = static_cast<int>(CanvasTool::kPen);
  CDib strokeBase_;
  CDib lockSave_;
  bool lockSaved_ = false;
  Stroke stroke_;
  std::vector<PointD> points_;
};

}  // namespace morvane
