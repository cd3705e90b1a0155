// UndoHistory: one image's bounded stack of whole-image snapshots with a redo part.
//
// Every frame of an icon document owns one. The edit canvas pushes a snapshot before each change
// and walks the stack on Undo and Redo; the effect framework pushes and restores snapshots to
// make its live previews reversible. Snapshots hold the complete pixels, never differences.
//
// Slots are numbered 1..51. Slots 1..50 are written; slot 51 exists (and is cleared with the
// others) but is never written. Since the first undo of a series also stores the current state
// in a slot, at most 49 steps can be undone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "image/dib.h"
#include "image/pixel.h"

namespace morvane {

// The canvas state saved beside each snapshot and restored with it.
struct UndoContext {
  int tool = 0;
  // The selection rectangle; left == kNotSet means no selection.
  Rect selection{kNotSet, 0, 0, 0};
  // The edit area's background colour (a platform colour value, 0x00BBGGRR).
  std::uint32_t background = 0;

  friend bool operator==(const UndoContext&, const UndoContext&) = default;
};

struct UndoSlot {
  CDib image;     // snapshot of the edited image, or empty
  CDib floating;  // snapshot of the floating selection bitmap, or empty when none existed
  UndoContext context;
  // An image was given but its snapshot could not be allocated. Restoring such a slot leaves
  // the target as it is rather than wiping it.
  bool imageLost = false;

  void Release();
};

class UndoHistory {
 public:
  static constexpr int kSlotCount = 51;
  static constexpr int kWrittenSlots = 50;
  static constexpr int kMaxUndoSteps = 49;

  UndoHistory() = default;
  // Histories are moved with their frames; a deep copy is explicit (CopyFrom). A moved-from
  // history is empty.
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;
  UndoHistory(UndoHistory&& other) noexcept;
  UndoHistory& operator=(UndoHistory&& other) noexcept;

  // position = top = 1; every snapshot is released.
  void Clear();
  // Deep copy of position, top and every slot. On allocation failure this history is left
  // empty and false is returned.
  bool CopyFrom(const UndoHistory& other);

  // Saves a step at position, dropping the oldest step when the stack is full and discarding
  // every redo step. Returns false when a snapshot could not be allocated (the step is still
  // recorded, marked as lost, so positions stay consistent).
  bool Push(const CDib* image, const CDib* floating, int tool, Rect selection,
            std::uint32_t background);
  bool Push(const CDib* image, const CDib* floating, const UndoContext& context) {
    return Push(image, floating, context.tool, context.selection, context.background);
  }

  // For images other than the canvas's current one (extra-selected frames of a multi-frame
  // effect): copies the newest snapshot into image. With keep the snapshot stays for the next
  // preview; without it the step is removed from the history (no redo leads back to it).
  // Returns false when there is nothing to restore.
  bool Restore(CDib& image, bool keep);

  bool CanUndo() const { return position_ >= 2; }
  bool CanRedo() const { return position_ < top_; }
  int Position() const { return position_; }
  int Top() const { return top_; }
  // Slot by number, 1..kSlotCount.
  const UndoSlot& Slot(int number) const;

  // --- Steps for the canvas, which owns the images that slots are restored into -------------

  // True when an undo must first save the current state (no step has been undone yet), so
  // that it can be redone.
  bool NeedsCurrentState() const { return CanUndo() && position_ == top_; }
  // Saves the current state in slot[position] and leaves position and top on it.
  bool PushCurrentState(const CDib* image, const CDib* floating, const UndoContext& context);
  // Moves back one step and returns the slot to restore, or nullptr when nothing can be
  // undone. With keep the position is advanced again, so the snapshot stays for the next
  // preview of the effect framework.
  const UndoSlot* StepBack(bool keep = false);
  // Moves forward one step and returns the slot to restore, or nullptr when nothing can be
  // redone.
  const UndoSlot* StepForward();
  // Forgets every redo step (an effect preview that was cancelled must not be redoable).
  void DiscardRedo();

  // --- Whole undo and redo for an image without floating selection ----------------------

  // Undoes one step into target. context is the current canvas state on entry (saved for redo)
  // and the restored state on return. The target's clip becomes the restored selection, or the
  // whole image when there is none. Returns false when nothing was undone.
  bool Undo(CDib& target, UndoContext& context, bool keep = false);
  // Redoes one step into target, restoring context likewise. Returns false when nothing was
  // redone.
  bool Redo(CDib& target, UndoContext& context);

  // Puts a slot's image snapshot and selection back into target.
  static void RestoreSlotTo(const UndoSlot& slot, CDib& target);

 private:
  using Slots = std::array<UndoSlot, kSlotCount>;
  UndoSlot& At(int number) { return (*slots_)[static_cast<std::size_t>(number - 1)]; }
  bool EnsureSlots();
  void ReleaseFrom(int first, int end);

  // Allocated on the first push, so the 256 histories of a document cost nothing until used and
  // moving a history only hands over a pointer.
  std::unique_ptr<Slots> slots_;
  int position_ = 1;
  int top_ = 1;
};

}  // namespace morvane
