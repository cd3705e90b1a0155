#include "shell/library_session.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "formats/icl_rewrite.h"

namespace morvane {
namespace {

// Marks the session busy for the length of a save, whatever way the save ends.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

std::vector<IconFrameRef> FrameRefs(const IconDocument& document) {
  std::vector<IconFrameRef> refs;
  for (int i = 0; i < document.Count(); ++i) {
    const ImageFrame& frame = document.Frame(i);
    refs.push_back({&frame.image, BitsOf(frame.format)});
  }
  return refs;
}

Status EditFailure(LibraryEditStatus status) {
  switch (status) {
    case LibraryEditStatus::kOk:
      return Status::Ok();
    case LibraryEditStatus::kNoSuchGroup:
      return {ErrorCode::kBadFormat, "Icon library: no such group"};
    case LibraryEditStatus::kLastGroup:
      return {ErrorCode::kBadFormat, "Icon library: the only group cannot be deleted"};
    case LibraryEditStatus::kInvalidImage:
      return {ErrorCode::kBadFormat, "Icon library: an image without pixels or format"};
    case LibraryEditStatus::kOutOfMemory:
      return {ErrorCode::kOutOfMemory, "Icon library: out of memory"};
    case LibraryEditStatus::kTooManyFrames:
      return {ErrorCode::kTooLarge, "Icon library: more images than an icon holds"};
  }
  return {ErrorCode::kBadFormat, "Icon library: refused"};
}

Status BusyStatus() {
  return {ErrorCode::kCannotWrite, "Icon library: a save is running"};
}

}  // namespace

bool LibrarySession::IsLinked(const IconDocument& document) const {
  return open_ && linked_ && library_.HasGroup(currentGroup_) &&
         document.FileName() == library_.path.string();
}

bool LibrarySession::Take(IconLibrary&& library) {
  if (busy_) return false;
  library_ = std::move(library);
  open_ = true;
  linked_ = false;
  currentGroup_ = -1;
  return true;
}

void LibrarySession::Close() {
  if (busy_) return;
  library_ = IconLibrary();
  open_ = false;
  linked_ = false;
  currentGroup_ = -1;
}

void LibrarySession::Link(IconDocument& document, int group) {
  currentGroup_ = group;
  linked_ = true;
  document.SetFileName(library_.path.string());
}

LibraryEditStatus LibrarySession::OpenGroup(int group, IconDocument& document) {
  if (busy_ || !open_) return LibraryEditStatus::kNoSuchGroup;
  if (!library_.HasGroup(group)) return LibraryEditStatus::kNoSuchGroup;
  const std::vector<int> members = library_.GroupImages(group);
  if (members.size() > static_cast<std::size_t>(kMaxIconFrames)) {
    return LibraryEditStatus::kTooManyFrames;
  }
  // Every copy is made before the document is touched, so a failure leaves it whole.
  std::vector<std::pair<CDib, ColorFormat>> frames;
  for (int i : members) {
    const LibraryImage& image = library_.images[static_cast<std::size_t>(i)];
    const auto format = ColorFormatFromBits(image.bits);
    CDib copy;
    if (!image.pixels.CopyTo(copy, CDib::CopyMode::kRecreate)) {
      return LibraryEditStatus::kOutOfMemory;
    }
    frames.emplace_back(std::move(copy), format.value_or(ColorFormat::kTrueColorAlpha));
  }
  document.New(DocumentKind::kIcon);
  document.RemoveAllFrames();
  for (auto& [pixels, format] : frames) document.AdoptFrame(std::move(pixels), format);
  if (document.Count() > 0) document.SelectFrame(0);
  document.ClearHistories();
  Link(document, group);
  document.SetModified(false);
  return LibraryEditStatus::kOk;
}

Status LibrarySession::WriteBack(IconDocument& document, const LibraryWriteOptions& options) {
  if (busy_) return BusyStatus();
  if (!IsLinked(document)) return Status::Ok();
  const std::vector<IconFrameRef> refs = FrameRefs(document);
  if (library_.isIcl) {
    const LibraryEditStatus status = library_.ReplaceGroup(currentGroup_, refs, options.writeBack);
    if (status != LibraryEditStatus::kOk) return EditFailure(status);
    library_.modified = true;
  } else {
    const Status status = RewriteImagesInPlace(library_, currentGroup_, refs, options.encode);
    if (!status.ok()) return status;
  }
  document.SetModified(false);
  return Status::Ok();
}

Status LibrarySession::StartNew(IconDocument& document, const LibraryWriteOptions& options,
                                Pixel windowColor) {
  if (busy_) return BusyStatus();
  IconLibrary library = IconLibrary::New();
  if (document.Count() > 0) {
    const LibraryEditStatus status =
        library.ReplaceGroup(0, FrameRefs(document), options.writeBack);
    if (status != LibraryEditStatus::kOk) return EditFailure(status);
  }
  if (library.GroupImages(0).empty()) {
    // An editor without frames still gives the library a first icon to work on.
    if (library.AddGroup(windowColor) < 0) return EditFailure(LibraryEditStatus::kOutOfMemory);
    for (LibraryImage& image : library.images) image.group = 0;
    library.groupCount = 1;
  }
  library.modified = true;
  Take(std::move(library));
  const LibraryEditStatus opened = OpenGroup(0, document);
  return EditFailure(opened);
}

int LibrarySession::AddGroup(Pixel windowColor, IconDocument& document) {
  if (busy_ || !open_ || !library_.isIcl) return -1;
  const int index = library_.AddGroup(windowColor);
  if (index < 0) return -1;
  library_.modified = true;
  OpenGroup(library_.groupCount - 1, document);
  return index;
}

LibraryEditStatus LibrarySession::DeleteGroup(int group, IconDocument& document) {
  if (busy_ || !open_ || !library_.isIcl) return LibraryEditStatus::kNoSuchGroup;
  const bool wasLinked = IsLinked(document);
  const LibraryEditStatus status = library_.DeleteGroup(group);
  if (status != LibraryEditStatus::kOk) return status;
  library_.modified = true;
  if (currentGroup_ == group) {
    // The document showed the deleted group: the editor moves to the first one.
    currentGroup_ = -1;
    OpenGroup(0, document);
  } else {
    currentGroup_ = CurrentGroupAfterDelete(currentGroup_, group);
    linked_ = wasLinked;
  }
  return LibraryEditStatus::kOk;
}

Status LibrarySession::Save(const std::filesystem::path& path, IconDocument& document,
                            const IconWriteOptions& options, const LibraryProgress& progress) {
  if (busy_) return BusyStatus();
  if (!open_ || !library_.isIcl) {
    return {ErrorCode::kUnsupported, "Icon library: only ICL libraries are saved whole"};
  }
  const bool wasLinked = IsLinked(document);
  Status status;
  {
    BusyScope scope(busy_);
    status = SaveLibrary(library_, path, options, progress);
  }
  if (!status.ok()) {
    library_.modified = true;
    return status;
  }
  // The document keeps showing its group under the library's new name.
  if (wasLinked) Link(document, currentGroup_);
  return Status::Ok();
}

bool LibrarySession::ConfirmLeave(IconDocument& document, LibraryPrompts& prompts,
                                  const LibraryWriteOptions& options, bool replacesDocument) {
  if (busy_) return false;
  const bool linked = IsLinked(document);
  if (document.IsModified() && !linked && replacesDocument) {
    switch (prompts.Ask("save_icon")) {
      case PromptAnswer::kYes:
        if (!prompts.SaveDocument()) return false;
        break;
      case PromptAnswer::kNo:
        break;
      case PromptAnswer::kCancel:
        return false;
    }
  }
  if (!open_) return true;
  if (!library_.modified && !(linked && document.IsModified())) return true;
  switch (prompts.Ask("save_lib")) {
    case PromptAnswer::kNo:
      return true;
    case PromptAnswer::kCancel:
      return false;
    case PromptAnswer::kYes:
      break;
  }
  if (linked && document.IsModified()) {
    // A library that is no ICL file only takes the group back in place; an ICL library first
    // asks whether the edited icon belongs in it.
    const bool writeBack = !library_.isIcl || prompts.Ask("update_lib_save") == PromptAnswer::kYes;
    if (writeBack) {
      const Status status = WriteBack(document, options);
      if (!status.ok()) {
        prompts.ShowError(status);
        return false;
      }
    }
  }
  if (library_.isIcl && library_.modified) return prompts.SaveLibrary();
  return true;
}

bool LibrarySession::ActivateGroup(int group, IconDocument& document, LibraryPrompts& prompts,
                                   const LibraryWriteOptions& options) {
  if (busy_ || !library_.HasGroup(group)) return false;
  if (document.IsModified()) {
    const bool linked = IsLinked(document);
    switch (prompts.Ask(linked ? "update_lib" : "save_icon")) {
      case PromptAnswer::kYes:
        if (linked) {
          const Status status = WriteBack(document, options);
          if (!status.ok()) {
            prompts.ShowError(status);
            return false;
          }
        } else if (!prompts.SaveDocument()) {
          return false;
        }
        break;
      case PromptAnswer::kNo:
        break;
      case PromptAnswer::kCancel:
        return false;
    }
  }
  return OpenGroup(group, document) == LibraryEditStatus::kOk;
}

std::string LibraryImageStatus(const LibraryImage& image) {
  char text[96];
  std::snprintf(text, sizeof text, "ID:% 3d  x:% 3d  y:% 3d  bpp:% 2d", image.group, image.width,
                image.height, image.bits);
  return text;
}

}  // namespace morvane
