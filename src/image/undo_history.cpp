#include "image/undo_history.h"

#include <algorithm>
#include <new>
#include <utility>

namespace morvane {
namespace {

// The clip that a restored selection stands for, kept inside the image: the checked pixel
// accessors trust the clip, so it must never reach past the pixels.
Rect ClipFor(const Rect& selection, int width, int height) {
  if (selection.left == kNotSet) return {0, 0, width, height};
  Rect r{std::min(selection.left, selection.right), std::min(selection.top, selection.bottom),
         std::max(selection.left, selection.right), std::max(selection.top, selection.bottom)};
  r.left = std::clamp(r.left, 0, width);
  r.right = std::clamp(r.right, 0, width);
  r.top = std::clamp(r.top, 0, height);
  r.bottom = std::clamp(r.bottom, 0, height);
  return r;
}

bool SnapshotFailed(const CDib* source, const CDib& snapshot) {
  return source != nullptr && !source->IsEmpty() && snapshot.IsEmpty();
}

}  // namespace

void UndoSlot::Release() {
  image.Release();
  floating.Release();
  imageLost = false;
}

UndoHistory::UndoHistory(UndoHistory&& other) noexcept
    : slots_(std::move(other.slots_)),
      position_(std::exchange(other.position_, 1)),
      top_(std::exchange(other.top_, 1)) {}

UndoHistory& UndoHistory::operator=(UndoHistory&& other) noexcept {
  if (this != &other) {
    slots_ = std::move(other.slots_);
    position_ = std::exchange(other.position_, 1);
    top_ = std::exchange(other.top_, 1);
  }
  return *this;
}

bool UndoHistory::EnsureSlots() {
  if (slots_) return true;
  try {
    slots_ = std::make_unique<Slots>();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void UndoHistory::ReleaseFrom(int first, int end) {
  if (!slots_) return;
  first = std::max(first, 1);
  end = std::min(end, kSlotCount + 1);
  for (int n = first; n < end; ++n) At(n).Release();
}

void UndoHistory::Clear() {
  position_ = 1;
  top_ = 1;
  ReleaseFrom(1, kSlotCount + 1);
}

bool UndoHistory::CopyFrom(const UndoHistory& other) {
  if (&other == this) return true;
  Clear();
  if (!other.slots_) {
    position_ = other.position_;
    top_ = other.top_;
    return true;
  }
  if (!EnsureSlots()) return false;
  for (int n = 1; n <= kSlotCount; ++n) {
    const UndoSlot& from = other.Slot(n);
    UndoSlot& to = At(n);
    to.image.TakeSnapshot(&from.image);
    to.floating.TakeSnapshot(&from.floating);
    if (SnapshotFailed(&from.image, to.image) || SnapshotFailed(&from.floating, to.floating)) {
      Clear();
      return false;
    }
    to.context = from.context;
    to.imageLost = from.imageLost;
  }
  position_ = other.position_;
  top_ = other.top_;
  return true;
}

bool UndoHistory::Push(const CDib* image, const CDib* floating, int tool, Rect selection,
                       std::uint32_t background) {
  if (!EnsureSlots()) return false;
  if (position_ > kWrittenSlots) {
    // Full: slots 2..50 move down to 1..49 and the oldest step is dropped. Rotating hands the
    // dropped slot to slot 50, which is written next.
    std::rotate(slots_->begin(), slots_->begin() + 1, slots_->begin() + kWrittenSlots);
    --position_;
  }
  UndoSlot& slot = At(position_);
  slot.context = {tool, selection, background};
  slot.image.TakeSnapshot(image);
  slot.floating.TakeSnapshot(floating);
  slot.imageLost = SnapshotFailed(image, slot.image);
  const bool complete = !slot.imageLost && !SnapshotFailed(floating, slot.floating);

  ++position_;
  ReleaseFrom(position_, top_);  // a new step discards the redo steps
  top_ = position_;
  return complete;
}

bool UndoHistory::Restore(CDib& image, bool keep) {
  if (position_ < 2) return false;
  --position_;
  const UndoSlot& slot = At(position_);
  if (!slot.imageLost) slot.image.RestoreSnapshotTo(image);
  if (keep) {
    ++position_;
  } else {
    // The step is taken off the history: leaving it above top would let Redo "restore" the
    // cancelled state, or an empty slot that wipes the image.
    ReleaseFrom(position_, top_ + 1);
    top_ = position_;
  }
  return true;
}

const UndoSlot& UndoHistory::Slot(int number) const {
  static const UndoSlot kEmptySlot;
  if (!slots_ || number < 1 || number > kSlotCount) return kEmptySlot;
  return (*slots_)[static_cast<std::size_t>(number - 1)];
}

bool UndoHistory::PushCurrentState(const CDib* image, const CDib* floating,
                                   const UndoContext& context) {
  const bool complete = Push(image, floating, context);
  --position_;
  --top_;
  return complete;
}

const UndoSlot* UndoHistory::StepBack(bool keep) {
  if (position_ < 2) return nullptr;
  --position_;
  const UndoSlot* slot = &At(position_);
  if (keep) ++position_;
  return slot;
}

const UndoSlot* UndoHistory::StepForward() {
  if (position_ >= top_) return nullptr;
  ++position_;
  return &At(position_);
}

void UndoHistory::DiscardRedo() {
  ReleaseFrom(position_ + 1, top_ + 1);
  top_ = position_;
}

void UndoHistory::RestoreSlotTo(const UndoSlot& slot, CDib& target) {
  if (!slot.imageLost) slot.image.RestoreSnapshotTo(target);
  target.clip = ClipFor(slot.context.selection, target.GetWidth(), target.GetHeight());
}

bool UndoHistory::Undo(CDib& target, UndoContext& context, bool keep) {
  if (!CanUndo()) return false;
  if (NeedsCurrentState()) PushCurrentState(&target, nullptr, context);
  const UndoSlot* slot = StepBack(keep);
  RestoreSlotTo(*slot, target);
  context = slot->context;
  return true;
}

bool UndoHistory::Redo(CDib& target, UndoContext& context) {
  const UndoSlot* slot = StepForward();
  if (slot == nullptr) return false;
  RestoreSlotTo(*slot, target);
  context = slot->context;
  return true;
}

}  // namespace morvane
