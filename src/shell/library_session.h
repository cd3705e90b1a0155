// The open icon library of the library manager and its link to the editor's document: which
// group the document came from, writing the document back into that group, the questions asked
// before a library is left (opened over, replaced by a new one, closed) and the rules that keep
// a save from losing work. Widgets ask the questions and choose paths through LibraryPrompts;
// everything decided here is testable without a display.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "formats/icl_library.h"
#include "formats/icl_writer.h"
#include "formats/status.h"
#include "image/icon_document.h"

namespace morvane {

enum class PromptAnswer { kYes, kNo, kCancel };

// What the library manager asks and does through the window around it.
class LibraryPrompts {
 public:
  virtual ~LibraryPrompts() = default;
  // key is the message's language key: "save_lib", "save_icon", "update_lib" (Yes/No/Cancel),
  // or "update_lib_save" for "Icon have been modified. Save changes?" (Yes/No).
  virtual PromptAnswer Ask(std::string_view key) = 0;
  // The editor's own "Save object": true when the document was saved.
  virtual bool SaveDocument() = 0;
  // "Save library" with its dialog and progress: true only when the library was written.
  virtual bool SaveLibrary() = 0;
  virtual void ShowError(const Status& status) = 0;
};

// How the document's frames become library images, and how images are encoded in place.
struct LibraryWriteOptions {
  WriteBackOptions writeBack;
  IconWriteOptions encode;
};

class LibrarySession {
 public:
  bool IsOpen() const { return open_; }
  IconLibrary& Library() { return library_; }
  const IconLibrary& Library() const { return library_; }
  int CurrentGroup() const { return currentGroup_; }
  // True while a save runs: nothing may change or close the library then.
  bool Busy() const { return busy_; }
  bool IsNew() const { return library_.path == kNewLibraryName; }

  // The document shows the current group only until it is replaced (new, open) or renamed
  // (saved as its own file).
  bool IsLinked(const IconDocument& document) const;
  // Called whenever the editor replaces its document with another one.
  void DocumentReplaced() { linked_ = false; }

  // Takes a library read from a file (or a new one); the current group is -1 until a group is
  // opened. Refused while busy.
  bool Take(IconLibrary&& library);
  void Close();

  // The group's images become the document's frames, each at its own size and format; the
  // document becomes an unmodified icon named after the library and linked to the group.
  LibraryEditStatus OpenGroup(int group, IconDocument& document);

  // Writes the document back into its group: for ICL libraries into the model (modified is set),
  // for programs and other libraries in place into the file. Does nothing (Ok) when the
  // document is not linked. On success the document is unmodified.
  Status WriteBack(IconDocument& document, const LibraryWriteOptions& options);

  // "New library": an unsaved ICL library whose group 0 is the document's frames (one empty
  // 48 x 48 image when it has none); the document becomes that group.
  Status StartNew(IconDocument& document, const LibraryWriteOptions& options, Pixel windowColor);

  // "Add icon": a new last group, opened in the editor. -1 when refused.
  int AddGroup(Pixel windowColor, IconDocument& document);
  // "Delete icon": removes the group; the editor shows group 0 when it showed the deleted group.
  LibraryEditStatus DeleteGroup(int group, IconDocument& document);

  // Writes the whole library to path (ICL libraries only). While it runs the session is busy;
  // a failed or cancelled save leaves the model as it was, modified.
  // A document linked before stays linked under the new name.
  Status Save(const std::filesystem::path& path, IconDocument& document,
              const IconWriteOptions& options, const LibraryProgress& progress = {});

  // The questions before the library is left. replacesDocument: the action puts another
  // document into the editor (opening a library), so an unrelated modified document is offered
  // for saving first. False when the user cancelled or a save failed: the action must not go on.
  bool ConfirmLeave(IconDocument& document, LibraryPrompts& prompts,
                    const LibraryWriteOptions& options, bool replacesDocument);

  // Activating a group in the list: asks about a modified document, then opens the group.
  // False when cancelled or when the write-back failed.
  bool ActivateGroup(int group, IconDocument& document, LibraryPrompts& prompts,
                     const LibraryWriteOptions& options);

 private:
  void Link(IconDocument& document, int group);

  IconLibrary library_;
  bool open_ = false;
  bool busy_ = false;
  bool linked_ = false;
  int currentGroup_ = -1;
};

// The status line of the library icon list for an image: "ID:% 3d  x:% 3d  y:% 3d  bpp:% 2d".
std::string LibraryImageStatus(const LibraryImage& image);

}  // namespace morvane
