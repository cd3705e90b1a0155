// Reading side of the object loader: which reader a path goes to, and what each reader's result
// means for the document and the histories. Applying an outcome is in object_loader_apply.cpp.
#include "formats/object_loader.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "formats/ani_codec.h"
#include "formats/file_io.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"

namespace morvane {
namespace {

constexpr std::string_view kMessageSection = "Msg";

enum class FileKind { kIcon, kCursor, kAnimatedCursor, kPicture, kExecutable };

FileKind KindOfPath(const std::filesystem::path& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".ico") return FileKind::kIcon;
  if (ext == ".cur") return FileKind::kCursor;
  if (ext == ".ani") return FileKind::kAnimatedCursor;
  if (ext == ".bmp" || ext == ".jpg" || ext == ".gif" || ext == ".png") return FileKind::kPicture;
  return FileKind::kExecutable;
}

HistoryKind HistoryOf(FileKind kind) {
  switch (kind) {
    case FileKind::kIcon:
      return HistoryKind::kIcons;
    case FileKind::kCursor:
      return HistoryKind::kCursors;
    case FileKind::kAnimatedCursor:
      return HistoryKind::kAnimatedCursors;
    case FileKind::kPicture:
      return HistoryKind::kImages;
    case FileKind::kExecutable:
      break;
  }
  return HistoryKind::kExecutables;
}

// A path that can no longer be opened is useless in every list it might stand in.
std::vector<HistoryKind> EveryHistory() {
  return {HistoryKind::kIcons, HistoryKind::kCursors, HistoryKind::kAnimatedCursors,
          HistoryKind::kImages, HistoryKind::kExecutables};
}

bool NamesExistingFile(const std::filesystem::path& path) {
  const std::string text = path.string();
  if (text.empty() || text.back() == '\\' || text.back() == '/') return false;
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

ColorFormat FormatOrTrueColorAlpha(int bits) {
  return ColorFormatFromBits(bits).value_or(ColorFormat::kTrueColorAlpha);
}

OpenOutcome Failed(const std::filesystem::path& path, LoaderMessage message,
                   std::vector<HistoryKind> removeFrom = {}) {
  OpenOutcome outcome;
  outcome.action = OpenAction::kFailed;
  outcome.path = path;
  outcome.message = std::move(message);
  outcome.removeFromHistories = std::move(removeFrom);
  return outcome;
}

// Adds a decoded image as a frame; one too large for a frame counts as skipped.
void AddFrame(OpenOutcome& outcome, CDib&& image, int bits, int rate) {
  if (!FitsDocumentFrame(image)) {
    ++outcome.skipped;
    return;
  }
  outcome.frames.push_back({std::move(image), FormatOrTrueColorAlpha(bits), rate});
}

void ReadIconOrCursor(const std::filesystem::path& path, bool cursor, int room,
                      OpenOutcome& outcome) {
  Result<IconFileContents> contents = ReadIconFile(path, room);
  if (!contents.ok()) return;
  outcome.skipped += contents->skipped;
  for (IconFrame& frame : contents->frames) {
    AddFrame(outcome, std::move(frame.image), frame.format, 0);
  }
  // An ".ico" file is an icon whatever its header says; only ".cur" files give a hotspot.
  if (cursor && contents->hotspotX != kNotSet) {
    outcome.hotspot = {contents->hotspotX, contents->hotspotY};
  }
}

void ReadAnimatedCursor(const std::filesystem::path& path, int room, OpenOutcome& outcome) {
  Result<AniContents> contents = LoadAniFile(path, 0, room);
  if (!contents.ok()) return;
  outcome.skipped += contents->skipped;
  for (AniFrame& frame : contents->frames) {
    AddFrame(outcome, std::move(frame.image), frame.format, frame.rate);
  }
  if (contents->hotspotX != kIconNoHotspot) {
    outcome.hotspot = {contents->hotspotX, contents->hotspotY};
  }
  outcome.title = std::move(contents->title);
  outcome.author = std::move(contents->author);
}

// A picture within a frame's size becomes one frame; a larger one goes to the import.
void ReadPicture(const std::filesystem::path& path, OpenOutcome& outcome) {
  CDib image;
  Result<int> depth = LoadPictureFile(path, image);
  if (!depth.ok() || !image.IsLive()) return;
  if (image.GetWidth() > IconDocument::kMaxFrameSide ||
      image.GetHeight() > IconDocument::kMaxFrameSide) {
    outcome.action = OpenAction::kImportPicture;
    outcome.picture = std::move(image);
    outcome.pictureDepth = *depth;
    return;
  }
  AddFrame(outcome, std::move(image), *depth, 0);
}

DocumentKind DocumentKindOf(FileKind kind) {
  if (kind == FileKind::kCursor) return DocumentKind::kCursor;
  if (kind == FileKind::kAnimatedCursor) return DocumentKind::kAnimatedCursor;
  return DocumentKind::kIcon;  // a picture makes an icon
}

int RoomLeft(bool append, int documentFrames) {
  if (!append) return IconDocument::kMaxFrames;
  return std::clamp(IconDocument::kMaxFrames - documentFrames, 0, IconDocument::kMaxFrames);
}

OpenOutcome ReadObject(const std::filesystem::path& path, FileKind kind, bool append, int room) {
  OpenOutcome outcome;
  outcome.path = path;
  outcome.append = append;
  outcome.kind = DocumentKindOf(kind);
  switch (kind) {
    case FileKind::kIcon:
    case FileKind::kCursor:
      ReadIconOrCursor(path, kind == FileKind::kCursor, room, outcome);
      break;
    case FileKind::kAnimatedCursor:
      ReadAnimatedCursor(path, room, outcome);
      break;
    case FileKind::kPicture:
      ReadPicture(path, outcome);
      break;
    case FileKind::kExecutable:
      break;
  }
  if (outcome.action == OpenAction::kImportPicture) return outcome;
  if (outcome.frames.empty()) return Failed(path, ImagesNotFoundMessage(path), EveryHistory());
  outcome.action = OpenAction::kFrames;
  outcome.addToHistories = {HistoryOf(kind)};
  return outcome;
}

// Out of memory is no statement about the file: it stays in the histories.
OpenOutcome OutOfMemory(const std::filesystem::path& path) {
  return Failed(path, ImagesNotFoundMessage(path));
}

}  // namespace

LoaderMessage FileNotFoundMessage(const std::filesystem::path& path) {
  return {kMessageSection, "file_not_found", "Sorry, file '%s' not found!", path.string()};
}

LoaderMessage ImagesNotFoundMessage(const std::filesystem::path& path) {
  return {kMessageSection, "icon_not_found_2", "Sorry, images not found in '%s'!", path.string()};
}

LoaderMessage IconsNotFoundMessage() {
  return {kMessageSection, "icon_not_found", "Sorry, icons not found in this file!", {}};
}

LoaderMessage DocumentFullMessage() {
  return {kMessageSection,
          "frames_limit",
          "Sorry, the object already holds 256 images; no more can be added!",
          {}};
}

bool IsIconLibraryPath(const std::filesystem::path& path) {
  return LowerExtension(path) == ".icl";
}

OpenOutcome OpenObject(const std::filesystem::path& path, bool append, int documentFrames) {
  if (!NamesExistingFile(path)) return Failed(path, FileNotFoundMessage(path), EveryHistory());
  const FileKind kind = KindOfPath(path);
  if (kind == FileKind::kExecutable) return OpenExecutable(path);
  const int room = RoomLeft(append, documentFrames);
  if (room == 0) return Failed(path, DocumentFullMessage());
  try {
    return ReadObject(path, kind, append, room);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(path);
  }
}

OpenOutcome OpenExecutable(const std::filesystem::path& path) {
  if (!NamesExistingFile(path)) return Failed(path, FileNotFoundMessage(path), EveryHistory());
  Result<ExecutableObjects> objects = ExecutableObjects::Read(path);
  if (!objects.ok() && objects.status().code() == ErrorCode::kOutOfMemory) {
    return OutOfMemory(path);
  }
  if (!objects.ok() || objects->Count() < 1) {
    return Failed(path, IconsNotFoundMessage(), EveryHistory());
  }
  OpenOutcome outcome;
  outcome.action = OpenAction::kChooseObject;
  outcome.path = path;
  outcome.objects = std::move(*objects);
  return outcome;
}

OpenOutcome OpenChosenObject(const ExecutableObjects& objects, int object, bool append,
                             int documentFrames) {
  const std::filesystem::path& path = objects.Path();
  const int room = RoomLeft(append, documentFrames);
  if (room == 0) return Failed(path, DocumentFullMessage());
  try {
    ObjectFrames decoded = objects.Decode(object, room);
    if (decoded.frames.empty()) return Failed(path, ImagesNotFoundMessage(path));
    OpenOutcome outcome;
    outcome.action = OpenAction::kFrames;
    outcome.path = path;
    outcome.append = append;
    outcome.kind = decoded.kind == GroupKind::kCursor ? DocumentKind::kCursor : DocumentKind::kIcon;
    outcome.hotspot = decoded.hotspot;
    outcome.skipped = decoded.skipped;
    for (ObjectFrames::Frame& frame : decoded.frames) {
      outcome.frames.push_back({std::move(frame.image), frame.format, 0});
    }
    outcome.addToHistories = {HistoryKind::kExecutables};
    return outcome;
  } catch (const std::bad_alloc&) {
    return OutOfMemory(path);
  }
}

}  // namespace morvane
