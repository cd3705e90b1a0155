// The object loader: opens a file as the icon document or appends its images to it, choosing
// the reader by the file name's extension. Icon, cursor and animated-cursor files and pictures
// are read directly; any other file is treated as a program or library whose icon and cursor
// groups are offered for choosing.
//
// Reading and applying are split. OpenObject, OpenExecutable and OpenChosenObject only read:
// they return an OpenOutcome that says what happened (frames, a picture for the import, groups
// to choose from, or a message) and which file histories to change. ApplyOpenOutcome puts the
// frames of an outcome into the document. Nothing here shows a message or touches a history;
// the command level does, through the language pack.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/executable_objects.h"
#include "image/color_format.h"
#include "image/dib.h"
#include "image/icon_document.h"

namespace morvane {

// The kinds of file the main window's histories remember; an outcome names those its path is
// added to or removed from, and the command level maps each kind to its list.
enum class HistoryKind { kIcons, kCursors, kAnimatedCursors, kImages, kExecutables };

// A message for the command level: looked up as [section] key in the language pack, with the
// English default; a "%s" in it stands for the argument.
struct LoaderMessage {
  std::string_view section;
  std::string_view key;
  std::string_view english;
  std::string argument;
};

enum class OpenAction {
  kNone,           // nothing to do
  kFrames,         // frames were read: ApplyOpenOutcome puts them into the document
  kImportPicture,  // a picture larger than 256 pixels: hand `picture` to the import
  kChooseObject,   // a program or library: let the user choose one of `objects`
  kFailed,         // nothing was read: show `message`; the document stays as it was
};

// A frame read from a file, as the document will hold it.
struct LoadedFrame {
  CDib image;
  ColorFormat format = ColorFormat::kTrueColorAlpha;
  int rate = 0;  // jiffies; only animated cursors carry rates, every other file gives 0
};

struct OpenOutcome {
  OpenAction action = OpenAction::kNone;
  std::filesystem::path path;
  // The frames go after the document's existing ones (true) or replace them (false).
  bool append = false;

  // --- kFrames ---------------------------------------------------------------------------
  std::vector<LoadedFrame> frames;
  DocumentKind kind = DocumentKind::kIcon;  // what the file makes of a replaced document
  // The file's hotspot (cursors and animated cursors); x == kNotSet for icons and pictures.
  Hotspot hotspot;
  std::string title;  // animated cursors only
  std::string author;
  int skipped = 0;  // images of the file that could not be read or do not fit a frame

  // --- kImportPicture --------------------------------------------------------------------
  CDib picture;
  int pictureDepth = 0;  // the colour depth the picture was read with

  // --- kChooseObject ---------------------------------------------------------------------
  ExecutableObjects objects;

  // --- Every action ----------------------------------------------------------------------
  std::vector<HistoryKind> addToHistories;
  std::vector<HistoryKind> removeFromHistories;
  std::optional<LoaderMessage> message;
};

// The messages the loader gives.
LoaderMessage FileNotFoundMessage(const std::filesystem::path& path);
LoaderMessage ImagesNotFoundMessage(const std::filesystem::path& path);
LoaderMessage IconsNotFoundMessage();
LoaderMessage DocumentFullMessage();

// True for paths the main window hands to the icon library manager when they are dropped:
// those whose extension is ".icl" in any letter case.
bool IsIconLibraryPath(const std::filesystem::path& path);

// Reads the file at path by its extension (in any letter case): ".ico", ".cur", ".ani", ".bmp",
// ".jpg", ".gif", ".png"; any other goes to OpenExecutable. documentFrames is the document's
// frame count: when appending, only the room left in its 256 frames is read.
OpenOutcome OpenObject(const std::filesystem::path& path, bool append, int documentFrames);

// A program, library or icon library: lists its icon and cursor groups for the object dialog,
// or fails with "icons not found" when it has none.
OpenOutcome OpenExecutable(const std::filesystem::path& path);

// The group the user chose in the object dialog, replacing the document or appended to it.
OpenOutcome OpenChosenObject(const ExecutableObjects& objects, int object, bool append,
                             int documentFrames);

struct ApplyOptions {
  // The document is an image of the open icon library being edited: it keeps its name and is
  // marked modified instead.
  bool editingLibraryImage = false;
};

struct ApplyResult {
  int firstFrame = -1;  // index of the first frame added; -1 when none was
  int added = 0;
};

// Puts the frames of a kFrames outcome into the document (they are moved out of it). Replacing
// (or appending to an empty document) empties the document first and then sets the kind, frame
// 0 current, the file name, title and author, and leaves it unmodified. Appending adds the
// frames that still fit, keeps kind, name and current frame, and fills in title or author only
// where the document has none. In both cases a cursor or animated cursor gives the document its
// hotspot and an icon or picture clears it, except that images added to a cursor or animated
// cursor keep its hotspot. The new frames get the file's rates (0 but for animated cursors),
// which are also their saved rates. Any other outcome leaves the document alone.
ApplyResult ApplyOpenOutcome(OpenOutcome& outcome, IconDocument& document,
                             const ApplyOptions& options = {});

}  // namespace morvane
