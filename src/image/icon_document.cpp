// The document's state, the frame-list model operations, delete and New, and the change
// notifications. The commands that add, derive, sort, resize and re-format frames are in
// frame_commands.cpp.
#include "image/icon_document.h"

#include <algorithm>
#include <new>

#include "image/color_reduction.h"
#include "image/parallel.h"

namespace morvane {
namespace {

bool ValidSize(int width, int height) {
  return width >= 1 && height >= 1 && width <= IconDocument::kMaxFrameSide &&
         height <= IconDocument::kMaxFrameSide;
}

bool ValidFormat(ColorFormat format) {
  return ColorFormatFromBits(BitsOf(format)).has_value();
}

// Resamples source into image (already created at its size) and reduces it to format; false
// when the reduction could not allocate its buffers (the pixels then stay unreduced).
bool DeriveImage(const CDib& source, ColorFormat format, CDib& image) {
  if (source.GetWidth() <= 0 || source.GetHeight() <= 0) return true;
  source.StretchTo(image, 0.7);
  switch (format) {
    case ColorFormat::kMono:
      ReduceToMonochrome(image, image);
      return true;
    case ColorFormat::k16Colors:
      return ReduceTo16Colors(image, image, 31);
    case ColorFormat::k256Colors:
      return ReduceToColors(image, 256);
    case ColorFormat::kTrueColor:
    case ColorFormat::kTrueColorAlpha:
      break;
  }
  return true;
}

std::unique_ptr<ImageFrame> MakeFrame() {
  try {
    return std::make_unique<ImageFrame>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

const char* NewFileName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::kCursor:
      return "new.cur";
    case DocumentKind::kAnimatedCursor:
      return "new.ani";
    case DocumentKind::kIcon:
      break;
  }
  return "new.ico";
}

}  // namespace

IconDocument::IconDocument() {
  frames_.reserve(kMaxFrames);
}

IconDocument::~IconDocument() = default;

// --- Notifications ---------------------------------------------------------------------------

IconDocument::ChangeScope::~ChangeScope() {
  if (--document_.depth_ == 0) document_.Flush();
}

void IconDocument::AddObserver(DocumentObserver* observer) {
  if (observer != nullptr &&
      std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void IconDocument::RemoveObserver(DocumentObserver* observer) {
  std::erase(observers_, observer);
}

void IconDocument::FramesChanged() {
  pending_.frames = true;
  Touch();
}

void IconDocument::ImageChanged(int index, bool touch) {
  if (std::find(pending_.images.begin(), pending_.images.end(), index) == pending_.images.end()) {
    pending_.images.push_back(index);
  }
  if (touch) Touch();
}

void IconDocument::Touch() {
  if (modified_) return;
  modified_ = true;
  pending_.modified = true;
}

void IconDocument::Flush() {
  const Pending changes = std::exchange(pending_, Pending{});
  // An observer may unregister (itself or another) while being told; each call checks that the
  // observer is still registered.
  const std::vector<DocumentObserver*> observers = observers_;
  auto tell = [&](auto&& call) {
    for (DocumentObserver* o : observers) {
      if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) call(*o);
    }
  };
  if (changes.frames) tell([&](DocumentObserver& o) { o.OnFramesChanged(*this); });
  if (changes.current) tell([&](DocumentObserver& o) { o.OnCurrentFrameChanged(*this); });
  for (int index : changes.images) {
    if (ValidIndex(index)) tell([&](DocumentObserver& o) { o.OnFrameImageChanged(*this, index); });
  }
  if (changes.kind) tell([&](DocumentObserver& o) { o.OnKindChanged(*this); });
  if (changes.modified) tell([&](DocumentObserver& o) { o.OnModifiedChanged(*this); });
}

// --- State -----------------------------------------------------------------------------------

void IconDocument::SetKind(DocumentKind kind) {
  ChangeScope scope(*this);
  if (kind != kind_) {
    kind_ = kind;
    pending_.kind = true;
  }
  if (kind != DocumentKind::kIcon && hotspot_.x < 0) hotspot_ = {0, 0};
}

void IconDocument::SetHotspot(Hotspot hotspot) {
  ChangeScope scope(*this);
  if (hotspot == hotspot_) return;
  hotspot_ = hotspot;
  Touch();
}

void IconDocument::SetModified(bool modified) {
  ChangeScope scope(*this);
  if (modified == modified_) return;
  modified_ = modified;
  pending_.modified = true;
}

// --- Model operations ------------------------------------------------------------------------

int IconDocument::FindFrame(int width, int height, int format) const {
  for (int i = Count() - 1; i >= 0; --i) {
    const ImageFrame& f = Frame(i);
    if ((width < 0 || f.image.GetWidth() == width) &&
        (height < 0 || f.image.GetHeight() == height) &&
        (format < 0 || BitsOf(f.format) == format)) {
      return i;
    }
  }
  return -1;
}

AddResult IconDocument::Append(std::unique_ptr<ImageFrame> frame, bool select) {
  const int n = Count();
  const ImageFrame* current = CurrentFrame();
  frame->rate = current != nullptr ? current->rate : 0;
  frame->savedRate = current != nullptr ? current->savedRate : 0;
  frame->history.Clear();
  frames_.push_back(std::move(frame));  // capacity is reserved for kMaxFrames: never throws
  FramesChanged();
  if (select) SelectFrame(n);
  return {n, FrameStatus::kOk};
}

AddResult IconDocument::AddFrame(int width, int height, ColorFormat format, const CDib* source,
                                 bool select) {
  ChangeScope scope(*this);
  if (Count() >= kMaxFrames) return {-1, FrameStatus::kFrameLimit};
  if (!ValidSize(width, height) || !ValidFormat(format)) {
    return {-1, FrameStatus::kInvalidArgument};
  }
  std::unique_ptr<ImageFrame> frame = MakeFrame();
  if (!frame || !frame->image.Create(width, height)) return {-1, FrameStatus::kOutOfMemory};
  frame->format = format;
  AddResult result = Append(std::move(frame), select);
  if (source != nullptr) DeriveInto(Frame(result.index), *source, result);
  return result;
}

void IconDocument::DeriveInto(ImageFrame& frame, const CDib& source, AddResult& result) {
  if (!DeriveImage(source, frame.format, frame.image))
    result.status = FrameStatus::kReductionFailed;
}

std::size_t IconDocument::AcceptedSpecs(std::span<const FrameSpec> specs,
                                        FrameStatus& refused) const {
  std::size_t n = 0;
  for (; n < specs.size(); ++n) {
    if (Count() + static_cast<int>(n) >= kMaxFrames) {
      refused = FrameStatus::kFrameLimit;
      break;
    }
    if (!ValidSize(specs[n].width, specs[n].height) || !ValidFormat(specs[n].format)) {
      refused = FrameStatus::kInvalidArgument;
      break;
    }
  }
  return n;
}

FramesResult IconDocument::AddDerivedFrames(std::span<const FrameSpec> specs, const CDib& source) {
  ChangeScope scope(*this);
  FramesResult result;
  FrameStatus refused = FrameStatus::kOk;
  const std::size_t accepted = AcceptedSpecs(specs, refused);
  struct Derived {
    std::unique_ptr<ImageFrame> frame;
    bool reduced = true;
  };
  std::vector<Derived> derived(accepted);
  ParallelFor(accepted, [&](std::size_t i) {
    std::unique_ptr<ImageFrame> frame = MakeFrame();
    if (!frame || !frame->image.Create(specs[i].width, specs[i].height)) return;
    frame->format = specs[i].format;
    derived[i].reduced = DeriveImage(source, frame->format, frame->image);
    derived[i].frame = std::move(frame);
  });
  for (Derived& d : derived) {
    if (!d.frame) return {result.added, FrameStatus::kOutOfMemory};
    Append(std::move(d.frame), false);
    ++result.added;
    if (!d.reduced) result.status = FrameStatus::kReductionFailed;
  }
  if (refused != FrameStatus::kOk) result.status = refused;
  return result;
}

AddResult IconDocument::AdoptFrame(CDib&& image, ColorFormat format) {
  ChangeScope scope(*this);
  if (Count() >= kMaxFrames) return {-1, FrameStatus::kFrameLimit};
  if (!image.IsLive() || !ValidSize(image.GetWidth(), image.GetHeight()) || !ValidFormat(format)) {
    return {-1, FrameStatus::kInvalidArgument};
  }
  std::unique_ptr<ImageFrame> frame = MakeFrame();
  if (!frame) return {-1, FrameStatus::kOutOfMemory};
  frame->image = std::move(image);
  frame->format = format;
  return Append(std::move(frame), false);
}

void IconDocument::SwapFrames(int i, int j) {
  ChangeScope scope(*this);
  if (!ValidIndex(i) || !ValidIndex(j) || i == j) return;
  std::swap(frames_[static_cast<std::size_t>(i)], frames_[static_cast<std::size_t>(j)]);
  FramesChanged();
  if (i == current_ || j == current_) CurrentChanged();
}

void IconDocument::SelectFrame(int index) {
  ChangeScope scope(*this);
  if (index == current_ || !ValidIndex(index)) return;
  if (ValidIndex(current_)) {
    // A selection does not survive switching images.
    CDib& previous = Frame(current_).image;
    previous.clip = {0, 0, previous.GetWidth(), previous.GetHeight()};
  }
  current_ = index;
  std::erase(selection_, index);
  CurrentChanged();
}

void IconDocument::SetSelection(int current, std::span<const int> list) {
  ChangeScope scope(*this);
  SelectFrame(current);
  selection_.clear();
  for (int index : list) {
    if (ValidIndex(index) && index != current_ &&
        std::find(selection_.begin(), selection_.end(), index) == selection_.end()) {
      selection_.push_back(index);
    }
  }
}

void IconDocument::MarkImageChanged(int index) {
  ChangeScope scope(*this);
  if (ValidIndex(index)) ImageChanged(index);
}

void IconDocument::ClearHistories() {
  for (auto& frame : frames_) frame->history.Clear();
}

void IconDocument::RemoveAllFrames() {
  ChangeScope scope(*this);
  if (frames_.empty() && current_ < 0) return;
  frames_.clear();
  selection_.clear();
  sixteenFrame_ = -1;
  if (current_ >= 0) CurrentChanged();
  current_ = -1;
  FramesChanged();
}

std::vector<int> IconDocument::CurrentAndSelected() const {
  std::vector<int> indices;
  if (ValidIndex(current_)) indices.push_back(current_);
  for (int index : selection_) {
    if (ValidIndex(index)) indices.push_back(index);
  }
  return indices;
}

// --- Commands: New and Delete ----------------------------------------------------------------

AddResult IconDocument::New(DocumentKind kind) {
  ChangeScope scope(*this);
  RemoveAllFrames();
  hotspot_ = {};
  title_.clear();
  author_.clear();
  SetKind(kind);
  const AddResult result = AddFrame(32, 32, ColorFormat::kTrueColorAlpha, nullptr, true);
  fileName_ = NewFileName(kind);
  // An untouched new object has nothing to save.
  SetModified(false);
  return result;
}

void IconDocument::RemoveFrame(int index) {
  frames_.erase(frames_.begin() + index);
  sixteenFrame_ = -1;
  FramesChanged();
}

void IconDocument::DeleteSelectedFrames() {
  ChangeScope scope(*this);
  // The current frame first, then the selection list in its order. Each removal shifts the
  // later frames down, so the indices still to delete that lie above it follow.
  std::vector<int> doomed = CurrentAndSelected();
  if (doomed.empty()) return;
  for (std::size_t k = 0; k < doomed.size(); ++k) {
    const int f = doomed[k];
    RemoveFrame(f);
    for (std::size_t m = k + 1; m < doomed.size(); ++m) {
      if (doomed[m] > f) --doomed[m];
    }
    if (current_ >= Count()) --current_;
  }
  selection_.clear();
  const int reselect = current_;
  current_ = -1;
  CurrentChanged();
  SelectFrame(reselect);
  // A document never stays empty.
  if (Count() == 0) AddFrame(32, 32, ColorFormat::kTrueColorAlpha, nullptr, true);
}

}  // namespace morvane
