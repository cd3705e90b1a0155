// Applying side of the object loader: how the frames of a file enter the document.
#include <utility>

#include "formats/object_loader.h"

namespace morvane {
namespace {

constexpr Hotspot kNoHotspot{kNotSet, 0};

bool HasHotspot(const Hotspot& hotspot) {
  return hotspot.x != kNotSet;
}

// Adopts the frames that still fit; the document refuses the rest at its capacity. Every new
// frame takes its rate from the file (the document would copy the current frame's).
ApplyResult AdoptFrames(OpenOutcome& outcome, IconDocument& document) {
  ApplyResult result;
  for (LoadedFrame& frame : outcome.frames) {
    const AddResult added = document.AdoptFrame(std::move(frame.image), frame.format);
    if (!added.Added()) {
      if (added.status == FrameStatus::kFrameLimit) break;
      continue;
    }
    ImageFrame& adopted = document.Frame(added.index);
    adopted.rate = frame.rate;
    adopted.savedRate = frame.rate;
    if (result.firstFrame < 0) result.firstFrame = added.index;
    ++result.added;
  }
  outcome.frames.clear();
  return result;
}

void FinishReplace(const OpenOutcome& outcome, IconDocument& document,
                   const ApplyOptions& options) {
  document.ClearHistories();
  document.SetTitle(outcome.title);
  document.SetAuthor(outcome.author);
  document.SetHotspot(kNoHotspot);
  // A cursor kind gives a document without hotspot (0, 0); the file's own hotspot then wins.
  document.SetKind(outcome.kind);
  if (HasHotspot(outcome.hotspot)) document.SetHotspot(outcome.hotspot);
  document.SelectFrame(0);
  if (options.editingLibraryImage) {
    document.SetModified(true);
  } else {
    document.SetFileName(outcome.path.string());
    document.SetModified(false);
  }
}

void FinishAppend(const OpenOutcome& outcome, IconDocument& document) {
  // The document's own texts win; an animated cursor fills in only what is missing.
  if (document.Title().empty()) document.SetTitle(outcome.title);
  if (document.Author().empty()) document.SetAuthor(outcome.author);
  if (HasHotspot(outcome.hotspot)) {
    document.SetHotspot(outcome.hotspot);
  } else if (document.Kind() == DocumentKind::kIcon) {
    document.SetHotspot(kNoHotspot);
  }
  // A cursor's hotspot is the user's work: images appended to it do not take it away.
}

}  // namespace

ApplyResult ApplyOpenOutcome(OpenOutcome& outcome, IconDocument& document,
                             const ApplyOptions& options) {
  if (outcome.action != OpenAction::kFrames || outcome.frames.empty()) return {};
  IconDocument::Batch batch(document);
  const bool replace = !outcome.append || document.Count() == 0;
  if (replace) document.RemoveAllFrames();
  const ApplyResult result = AdoptFrames(outcome, document);
  if (replace) {
    // Only a failed allocation leaves nothing adopted; a document never stays empty.
    if (result.added == 0) {
      document.New(outcome.kind);
      return result;
    }
    FinishReplace(outcome, document, options);
  } else {
    FinishAppend(outcome, document);
  }
  return result;
}

}  // namespace morvane
