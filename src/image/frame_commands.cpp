// The Object and Image menu commands that add, derive, reorder, resize and re-format frames.
#include <algorithm>
#include <array>

#include "image/color_reduction.h"
#include "image/icon_document.h"

namespace morvane {
namespace {

constexpr ColorFormat k32 = ColorFormat::kTrueColorAlpha;
constexpr ColorFormat k8 = ColorFormat::k256Colors;
constexpr ColorFormat k4 = ColorFormat::k16Colors;

constexpr std::array<FrameFormatItem, 12> kStandardFormats{{
    {48, k4},
    {32, k4},
    {16, k4},
    {48, k8},
    {32, k8},
    {16, k8},
    {128, k32},
    {96, k32},
    {64, k32},
    {48, k32},
    {32, k32},
    {16, k32},
}};
constexpr std::array<FrameFormatItem, 7> kAll32bitFormats{{
    {128, k32},
    {96, k32},
    {64, k32},
    {48, k32},
    {32, k32},
    {24, k32},
    {16, k32},
}};
constexpr std::array<FrameFormatItem, 4> kAll256ColorFormats{{
    {48, k8},
    {32, k8},
    {24, k8},
    {16, k8},
}};
constexpr std::array<int, 4> kCompletedSizes{48, 32, 24, 16};

// Formats ascending, then widths descending: frames are exchanged while the key falls.
std::int32_t SortKey(const ImageFrame& frame) {
  return frame.image.GetWidth() | (256 - BitsOf(frame.format)) << 16;
}

Rect WholeOf(const CDib& image) {
  return {0, 0, image.GetWidth(), image.GetHeight()};
}

Rect Intersect(const Rect& r, const Rect& bounds) {
  Rect n{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
         std::max(r.top, r.bottom)};
  n.left = std::clamp(n.left, bounds.left, bounds.right);
  n.right = std::clamp(n.right, bounds.left, bounds.right);
  n.top = std::clamp(n.top, bounds.top, bounds.bottom);
  n.bottom = std::clamp(n.bottom, bounds.top, bounds.bottom);
  return n;
}

// Reductions convert the whole image, whatever selection narrows its clip at the moment.
template <typename Reduce>
bool ReduceWholeImage(CDib& image, Reduce reduce) {
  const Rect saved = image.clip;
  image.clip = WholeOf(image);
  const bool reduced = reduce(image);
  image.clip = saved;
  return reduced;
}

}  // namespace

// --- Adding ----------------------------------------------------------------------------------

AddResult IconDocument::AddImage(int size, ColorFormat format) {
  return AddFrame(size, size, format, nullptr, true);
}

AddResult IconDocument::CreateImageFromSelected(int size, ColorFormat format) {
  const ImageFrame* current = CurrentFrame();
  if (current == nullptr) return {-1, FrameStatus::kNoFrame};
  return AddFrame(size, size, format, &current->image, true);
}

AddResult IconDocument::DuplicateImage() {
  ChangeScope scope(*this);
  const ImageFrame* current = CurrentFrame();
  if (current == nullptr) return {-1, FrameStatus::kNoFrame};
  const CDib& source = current->image;
  const AddResult result =
      AddFrame(source.GetWidth(), source.GetHeight(), current->format, nullptr, true);
  if (result.Added()) source.CopyTo(Frame(result.index).image);  // exact pixels, no resampling
  return result;
}

FramesResult IconDocument::Derive(std::span<const FrameFormatItem> table) {
  const ImageFrame* current = CurrentFrame();
  if (current == nullptr) return {0, FrameStatus::kNoFrame};
  // Frames live on the heap, so the source stays put while frames are appended.
  const CDib& source = current->image;
  const int w = source.GetWidth();
  const int h = source.GetHeight();
  const int f = BitsOf(current->format);
  std::vector<FrameSpec> specs;
  for (const FrameFormatItem& item : table) {
    if (FindFrame(item.size, item.size, item.format) >= 0) continue;
    // Only downwards: never upscaled from a smaller image, never promoted to a richer format.
    if ((w < item.size && h < item.size) || f < BitsOf(item.format)) continue;
    specs.push_back({item.size, item.size, item.format});
  }
  return AddDerivedFrames(specs, source);
}

FramesResult IconDocument::CreateStandardFormats() {
  ChangeScope scope(*this);
  const FramesResult result = Derive(kStandardFormats);
  SortForWindowsXP();
  return result;
}

FramesResult IconDocument::CompleteStandardFormats() {
  ChangeScope scope(*this);
  FramesResult result;
  for (int size : kCompletedSizes) {
    const int source = FindFrame(size, size, k32);
    if (source < 0) continue;
    const AddResult added = AddFrame(size, size, k8, &Frame(source).image, false);
    if (!added.Added()) {
      result.status = added.status;
      break;
    }
    ++result.added;
    if (added.status != FrameStatus::kOk) result.status = added.status;
  }
  SortForWindowsXP();
  return result;
}

FramesResult IconDocument::CreateAll32bitFormats() {
  ChangeScope scope(*this);
  return Derive(kAll32bitFormats);
}

FramesResult IconDocument::CreateAll256ColorFormats() {
  ChangeScope scope(*this);
  return Derive(kAll256ColorFormats);
}

// --- Order -----------------------------------------------------------------------------------

void IconDocument::ExchangeAndFollow(int i, int j) {
  std::swap(frames_[static_cast<std::size_t>(i)], frames_[static_cast<std::size_t>(j)]);
  FramesChanged();
  auto follow = [&](int& index) {
    if (index == i) {
      index = j;
    } else if (index == j) {
      index = i;
    }
  };
  const int before = current_;
  follow(current_);
  if (current_ != before) CurrentChanged();
  for (int& index : selection_) follow(index);
}

bool IconDocument::MoveUp() {
  ChangeScope scope(*this);
  if (current_ <= 0 || !ValidIndex(current_)) return false;
  ExchangeAndFollow(current_, current_ - 1);
  return true;
}

bool IconDocument::MoveDown() {
  ChangeScope scope(*this);
  if (current_ < 0 || current_ >= Count() - 1) return false;
  ExchangeAndFollow(current_, current_ + 1);
  return true;
}

bool IconDocument::SortPass() {
  bool exchanged = false;
  for (int i = 0; i + 1 < Count(); ++i) {
    if (SortKey(Frame(i)) < SortKey(Frame(i + 1))) {
      ExchangeAndFollow(i, i + 1);
      exchanged = true;
    }
  }
  return exchanged;
}

void IconDocument::SortForWindowsXP() {
  ChangeScope scope(*this);
  // Adjacent exchanges only, so frames with equal keys keep their order.
  while (SortPass()) {
  }
}

// --- Size ------------------------------------------------------------------------------------

FrameStatus IconDocument::ResizeFrame(int index, int width, int height, Rect sourceRect) {
  ChangeScope scope(*this);
  if (!ValidIndex(index)) return FrameStatus::kNoFrame;
  if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide) {
    return FrameStatus::kInvalidArgument;
  }
  ImageFrame& frame = Frame(index);
  const CDib& old = frame.image;
  const int w = old.GetWidth();
  const int h = old.GetHeight();
  Rect from;
  int x = 0;
  int y = 0;
  if (sourceRect.IsWhole()) {
    // Nothing is scaled: a larger size centres the old image, a smaller one keeps its top-left.
    from = {0, 0, std::min(width, w), std::min(height, h)};
    if (width > w) x = (width - w) / 2;
    if (height > h) y = (height - h) / 2;
  } else {
    from = Intersect(sourceRect, WholeOf(old));
  }
  CDib resized;
  if (!resized.Create(width, height)) return FrameStatus::kOutOfMemory;
  // Through the one scaling routine at equal sizes: pixels pass through unchanged, except that
  // fully transparent ones come out as transparent black, so no stale colour bits survive.
  if (from.Width() > 0 && from.Height() > 0) {
    old.StretchTo(resized, from, 0.7, Rect{x, y, x + from.Width(), y + from.Height()});
  }
  frame.image = std::move(resized);
  FramesChanged();
  ImageChanged(index);
  return FrameStatus::kOk;
}

void IconDocument::PushForFrame(int index, const UndoContext& canvas) {
  ImageFrame& frame = Frame(index);
  if (index == current_) {
    frame.history.Push(&frame.image, nullptr, canvas);
  } else {
    // Other selected frames have no selection of their own.
    frame.history.Push(&frame.image, nullptr, canvas.tool, Rect{kNotSet, 0, 0, 0},
                       canvas.background);
  }
}

FrameStatus IconDocument::ResizeCurrent(int width, int height, Rect sourceRect,
                                        const UndoContext& canvas) {
  ChangeScope scope(*this);
  if (!ValidIndex(current_)) return FrameStatus::kNoFrame;
  if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide) {
    return FrameStatus::kInvalidArgument;
  }
  PushForFrame(current_, canvas);
  return ResizeFrame(current_, width, height, sourceRect);
}

FrameStatus IconDocument::SetSize(int size, const UndoContext& canvas) {
  return ResizeCurrent(size, size, Rect::Whole(), canvas);
}

FrameStatus IconDocument::CustomSize(int width, int height, const UndoContext& canvas) {
  return ResizeCurrent(width, height, Rect::Whole(), canvas);
}

FrameStatus IconDocument::Crop(Rect selection, const UndoContext& canvas) {
  const ImageFrame* current = CurrentFrame();
  if (current == nullptr || selection.left == kNotSet) return FrameStatus::kNoFrame;
  const Rect area = Intersect(selection, WholeOf(current->image));
  if (area.Width() <= 0 || area.Height() <= 0) return FrameStatus::kNoFrame;
  return ResizeCurrent(area.Width(), area.Height(), area, canvas);
}

// --- Colour format ---------------------------------------------------------------------------

bool IconDocument::SetSelectedFormat(ColorFormat format) {
  if (format != ColorFormat::kTrueColorAlpha && format != ColorFormat::kTrueColor) return false;
  ChangeScope scope(*this);
  for (int index : CurrentAndSelected()) {
    ImageFrame& frame = Frame(index);
    if (frame.format == format) continue;
    frame.format = format;
    FramesChanged();
  }
  return true;
}

FrameStatus IconDocument::ConvertSelectedTo256Colors(const UndoContext& canvas) {
  ChangeScope scope(*this);
  const std::vector<int> indices = CurrentAndSelected();
  if (indices.empty()) return FrameStatus::kNoFrame;
  FrameStatus status = FrameStatus::kOk;
  for (int index : indices) {
    PushForFrame(index, canvas);
    ImageFrame& frame = Frame(index);
    if (ReduceWholeImage(frame.image, [](CDib& image) { return ReduceToColors(image, 256); })) {
      frame.format = k8;
    } else {
      status = FrameStatus::kReductionFailed;
    }
    ImageChanged(index);
  }
  FramesChanged();
  return status;
}

FrameStatus IconDocument::ConvertSelectedToMonochrome(const UndoContext& canvas) {
  ChangeScope scope(*this);
  const std::vector<int> indices = CurrentAndSelected();
  if (indices.empty()) return FrameStatus::kNoFrame;
  for (int index : indices) {
    PushForFrame(index, canvas);
    ImageFrame& frame = Frame(index);
    ReduceWholeImage(frame.image, [](CDib& image) {
      ReduceToMonochrome(image, image);
      return true;
    });
    frame.format = ColorFormat::kMono;
    ImageChanged(index);
  }
  FramesChanged();
  return FrameStatus::kOk;
}

bool IconDocument::BeginSixteenColors() {
  sixteenFrame_ = -1;
  const ImageFrame* current = CurrentFrame();
  if (current == nullptr || !current->image.CopyTo(sixteenOriginal_, CDib::CopyMode::kRecreate)) {
    return false;
  }
  sixteenFrame_ = current_;
  return true;
}

FrameStatus IconDocument::PreviewSixteenColors(int ditherLevel) {
  if (!ValidIndex(sixteenFrame_)) return FrameStatus::kNoFrame;
  ChangeScope scope(*this);
  CDib& image = Frame(sixteenFrame_).image;
  // Each preview starts again from the image as it was before the dialog.
  sixteenOriginal_.CopyTo(image);
  const bool reduced = ReduceWholeImage(image, [&](CDib& target) {
    return ReduceTo16Colors(sixteenOriginal_, target, std::clamp(ditherLevel, 0, 128));
  });
  ImageChanged(sixteenFrame_, false);
  return reduced ? FrameStatus::kOk : FrameStatus::kReductionFailed;
}

void IconDocument::ApplySixteenColors(const UndoContext& canvas) {
  if (!ValidIndex(sixteenFrame_)) return;
  ChangeScope scope(*this);
  ImageFrame& frame = Frame(sixteenFrame_);
  // The image before the dialog becomes one undo step, as for the other reductions.
  if (sixteenFrame_ == current_) {
    frame.history.Push(&sixteenOriginal_, nullptr, canvas);
  } else {
    frame.history.Push(&sixteenOriginal_, nullptr, canvas.tool, Rect{kNotSet, 0, 0, 0},
                       canvas.background);
  }
  frame.format = k4;
  ImageChanged(sixteenFrame_);
  FramesChanged();
  sixteenOriginal_.Release();
  sixteenFrame_ = -1;
}

void IconDocument::CancelSixteenColors() {
  if (!ValidIndex(sixteenFrame_)) return;
  ChangeScope scope(*this);
  sixteenOriginal_.CopyTo(Frame(sixteenFrame_).image);
  ImageChanged(sixteenFrame_, false);
  sixteenOriginal_.Release();
  sixteenFrame_ = -1;
}

}  // namespace morvane
