// IconDocument: the one open icon object, an ordered list of frames of an icon, a cursor or an
// animated cursor, with the cursor hotspot, the animated-cursor properties and a modified flag.
//
// The model operations and the Object/Image menu commands change only the model; the questions
// and messages around them belong to the command level. Observers learn what changed once per
// operation.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "image/color_format.h"
#include "image/dib.h"
#include "image/pixel.h"
#include "image/undo_history.h"

namespace morvane {

enum class DocumentKind : std::int32_t { kIcon = 0, kCursor = 1, kAnimatedCursor = 2 };

struct ImageFrame {
  CDib image;  // the working pixels, always 32-bit ARGB
  ColorFormat format = ColorFormat::kTrueColorAlpha;
  int rate = 0;       // display time in an animated cursor, in jiffies
  int savedRate = 0;  // the rate as last saved or applied
  UndoHistory history;
};

struct Hotspot {
  int x = kNotSet;  // kNotSet: the object has no hotspot
  int y = 0;
  friend bool operator==(const Hotspot&, const Hotspot&) = default;
};

// Why an operation that adds or re-creates frames did not (fully) succeed.
enum class FrameStatus {
  kOk,
  kFrameLimit,       // the document already holds kMaxFrames frames; nothing was changed
  kNoFrame,          // the operation needs a current frame (or a valid index) and there is none
  kInvalidArgument,  // a size outside 1..kMaxFrameSide or an unknown format
  kOutOfMemory,      // an image could not be created; nothing was changed
  // A colour reduction could not allocate its work buffers; the pixels stay unreduced. For the
  // 16-colour reduction the ui shows "Error in dl1quant".
  kReductionFailed,
};

struct AddResult {
  int index = -1;  // the new frame, or -1 when none was added
  FrameStatus status = FrameStatus::kOk;
  bool Added() const { return index >= 0; }
};

// Result of a command that adds several frames: it stops at the first frame it cannot add.
struct FramesResult {
  int added = 0;
  FrameStatus status = FrameStatus::kOk;
};

class IconDocument;

// Follows a document. Every virtual has an empty default; register with AddObserver.
class DocumentObserver {
 public:
  virtual ~DocumentObserver() = default;
  // Frames were added, removed, reordered, or changed size or format.
  virtual void OnFramesChanged(const IconDocument&) {}
  // Another frame became current, or the current frame moved to another index.
  virtual void OnCurrentFrameChanged(const IconDocument&) {}
  // The pixels (or size) of one frame changed.
  virtual void OnFrameImageChanged(const IconDocument&, int /*index*/) {}
  virtual void OnKindChanged(const IconDocument&) {}
  virtual void OnModifiedChanged(const IconDocument&) {}
};

class IconDocument {
 public:
  static constexpr int kMaxFrames = 256;
  static constexpr int kMaxFrameSide = 256;

  IconDocument();
  ~IconDocument();
  IconDocument(const IconDocument&) = delete;
  IconDocument& operator=(const IconDocument&) = delete;

  // --- Observers -------------------------------------------------------------------------

  void AddObserver(DocumentObserver* observer);
  void RemoveObserver(DocumentObserver* observer);

  // Groups the operations made while it lives: observers hear of them once, when it ends.
  // Opening a file adopts every frame in one batch, so views are rebuilt once, not per frame.
  class Batch;

  // --- State -----------------------------------------------------------------------------

  int Count() const { return static_cast<int>(frames_.size()); }
  // The frame shown in the edit area; -1 while none is selected.
  int Current() const { return current_; }
  // index must lie in 0..Count() - 1.
  ImageFrame& Frame(int index) { return *frames_[static_cast<std::size_t>(index)]; }
  const ImageFrame& Frame(int index) const { return *frames_[static_cast<std::size_t>(index)]; }
  ImageFrame* CurrentFrame() { return current_ >= 0 ? &Frame(current_) : nullptr; }
  const ImageFrame* CurrentFrame() const { return current_ >= 0 ? &Frame(current_) : nullptr; }
  // Further frames selected together with the current one; never holds the current frame.
  const std::vector<int>& Selection() const { return selection_; }

  DocumentKind Kind() const { return kind_; }
  // Becoming a cursor or animated cursor gives a document without hotspot the hotspot (0, 0).
  void SetKind(DocumentKind kind);
  Hotspot GetHotspot() const { return hotspot_; }
  void SetHotspot(Hotspot hotspot);
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Author() const { return author_; }
  void SetAuthor(std::string author) { author_ = std::move(author); }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string name) { fileName_ = std::move(name); }
  bool IsModified() const { return modified_; }
  void SetModified(bool modified);

  // --- Model operations ------------------------------------------------------------------

  // The highest index whose image has this size and format; a negative argument matches
  // anything. -1 when none matches.
  int FindFrame(int width, int height, int format) const;
  int FindFrame(int width, int height, ColorFormat format) const {
    return FindFrame(width, height, BitsOf(format));
  }
  // Appends a transparent frame (rates copied from the current frame, empty history). With a
  // source, the source is resampled into it and reduced to the format. Refused without any
  // change at the frame limit, for an invalid size or format, or when the image cannot be
  // created.
  AddResult AddFrame(int width, int height, ColorFormat format, const CDib* source, bool select);
  // A frame to derive: its size and format.
  struct FrameSpec {
    int width = 0;
    int height = 0;
    ColorFormat format = ColorFormat::kTrueColorAlpha;
  };
  // Appends one frame per spec, in order and not selected, each as AddFrame with source would
  // make it; the images are computed on several cores at once. Stops at the first spec AddFrame
  // would refuse (its status is returned) or whose image cannot be created (kOutOfMemory);
  // kReductionFailed when a reduction failed and its frame was added unreduced.
  FramesResult AddDerivedFrames(std::span<const FrameSpec> specs, const CDib& source);
  // Appends a frame that takes over a decoded image (for the loaders), not selected. Refused
  // like AddFrame; the image is then left with the caller.
  AddResult AdoptFrame(CDib&& image, ColorFormat format);
  // Exchanges two frames whole (image, format, rates, undo history). Indices do not follow.
  void SwapFrames(int i, int j);
  // Makes index current; nothing when it is current already or out of range. The previous
  // current frame's clip is reset to its whole image.
  void SelectFrame(int index);
  // Re-creates a frame at width x height from a rectangle of its old pixels, unscaled. With
  // Rect::Whole() a larger size centres the old image on a transparent canvas and a smaller one
  // keeps its top-left part; otherwise the rectangle (clipped to the image) lands at (0, 0).
  // On failure the frame keeps its old image.
  FrameStatus ResizeFrame(int index, int width, int height, Rect sourceRect);
  // The frame list's multi-selection: current plus further frames. Out-of-range indices,
  // duplicates and the current frame are dropped from the list.
  void SetSelection(int current, std::span<const int> list);
  // For the canvas and effects after they changed a frame's pixels: sets modified, notifies.
  void MarkImageChanged(int index);
  // Empties the undo history of every frame (a document loaded into an empty object).
  void ClearHistories();
  // Removes every frame; current becomes -1.
  void RemoveAllFrames();

  // --- Commands (model effect only; the ui asks its questions first) ---------------------

  // File "New icon" / "New cursor" / "New ani-cursor": one 32 x 32 frame of format 32, named
  // "new.ico", "new.cur" or "new.ani", not modified.
  AddResult New(DocumentKind kind);
  // Object > "Add image": a blank n x n frame, selected.
  AddResult AddImage(int size, ColorFormat format);
  // Object > "Create image from selected": the current image resampled to n x n, selected.
  AddResult CreateImageFromSelected(int size, ColorFormat format);
  // "Duplicate image": an exact copy of the current frame, selected.
  AddResult DuplicateImage();
  // "Delete image(s)" after the user said Yes: the current frame and every selected frame. The
  // frame at the old current index is selected; an emptied document gets a blank 32 x 32
  // frame of format 32.
  void DeleteSelectedFrames();
  // Swap the current frame with its neighbour, keeping it current. False at the end.
  bool MoveUp();
  bool MoveDown();
  // Formats ascending (1, 4, 8, 24, 32), within one format widths descending; stable.
  void SortForWindowsXP();
  // Derived downwards from the current frame only: never upscaled, never a richer format.
  FramesResult CreateStandardFormats();     // twelve standard formats, then sorted
  FramesResult CompleteStandardFormats();   // 256-colour copies of 48..16 format-32 frames, sorted
  FramesResult CreateAll32bitFormats();     // 128 .. 16 at format 32, unsorted
  FramesResult CreateAll256ColorFormats();  // 48 .. 16 at format 8, unsorted

  // Image > "Size", "Custom size ..." and "Crop" on the current frame. Each pushes one undo
  // step first (with the canvas state in canvas), so the caller must not push another.
  FrameStatus SetSize(int size, const UndoContext& canvas);
  FrameStatus CustomSize(int width, int height, const UndoContext& canvas);
  // Nothing (kNoFrame) without a selection or when it lies outside the image.
  FrameStatus Crop(Rect selection, const UndoContext& canvas);

  // Image > "Color format" > "True-color with alpha channel" / "True-color": the current and
  // every selected frame get the format, pixels unchanged. False for any other format.
  bool SetSelectedFormat(ColorFormat format);
  // "256 colors" / "Monochrome": for the current and every selected frame, push an undo step,
  // reduce the whole image and set format 8 / 1.
  FrameStatus ConvertSelectedTo256Colors(const UndoContext& canvas);
  FrameStatus ConvertSelectedToMonochrome(const UndoContext& canvas);

  // "16 system colors (dithered) ...": the dither dialog's model side. Begin keeps the current
  // image; each Preview converts the kept image at a dither level (0..128) into the frame;
  // Apply records the kept image as one undo step and sets format 4; Cancel puts it back.
  bool BeginSixteenColors();
  FrameStatus PreviewSixteenColors(int ditherLevel);
  void ApplySixteenColors(const UndoContext& canvas);
  void CancelSixteenColors();

 private:
  // Collects what an operation changed and tells the observers once, when the outermost
  // operation ends.
  class ChangeScope {
   public:
    explicit ChangeScope(IconDocument& document) : document_(document) { ++document_.depth_; }
    ~ChangeScope();
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

   private:
    IconDocument& document_;
  };
  struct Pending {
    bool frames = false;
    bool current = false;
    bool kind = false;
    bool modified = false;
    std::vector<int> images;
  };

  bool ValidIndex(int index) const { return index >= 0 && index < Count(); }
  AddResult Append(std::unique_ptr<ImageFrame> frame, bool select);
  void DeriveInto(ImageFrame& frame, const CDib& source, AddResult& result);
  // How many of specs, from the first, AddFrame would accept one after the other; refused
  // tells why the next one would not be.
  std::size_t AcceptedSpecs(std::span<const FrameSpec> specs, FrameStatus& refused) const;
  void RemoveFrame(int index);
  void ExchangeAndFollow(int i, int j);
  bool SortPass();
  FramesResult Derive(std::span<const FrameFormatItem> table);
  std::vector<int> CurrentAndSelected() const;
  FrameStatus ResizeCurrent(int width, int height, Rect sourceRect, const UndoContext& canvas);
  void PushForFrame(int index, const UndoContext& canvas);
  void FramesChanged();
  // touch: the change is one the user would lose unsaved (a preview that will be restored is
  // not).
  void ImageChanged(int index, bool touch = true);
  void CurrentChanged() { pending_.current = true; }
  void Touch();
  void Flush();

  std::vector<std::unique_ptr<ImageFrame>> frames_;
  int current_ = -1;
  std::vector<int> selection_;
  DocumentKind kind_ = DocumentKind::kIcon;
  Hotspot hotspot_;
  std::string title_;
  std::string author_;
  std::string fileName_;
  bool modified_ = false;

  // The dither dialog's kept image and the frame it belongs to (-1: no dialog open).
  CDib sixteenOriginal_;
  int sixteenFrame_ = -1;

  std::vector<DocumentObserver*> observers_;
  Pending pending_;
  int depth_ = 0;
};

class IconDocument::Batch {
 public:
  explicit Batch(IconDocument& document) : scope_(document) {}

 private:
  ChangeScope scope_;
};

}  // namespace morvane
