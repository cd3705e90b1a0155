// The editor as the user's handler of its file types on a freedesktop desktop: a desktop entry
// in $XDG_DATA_HOME/applications, a shared-mime-info package for the types the system lacks,
// a thumbnailer entry, and the [Default Applications] lines of $XDG_CONFIG_HOME/mimeapps.list.
//
// Before a type is taken over, its previous handler is stored in a backup file of our own,
// written and checked first; unchecking or uninstalling restores it, or removes our line when
// the type had no handler. Every file is replaced atomically, and only our own fixed file names
// are ever deleted.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct AssociatedType {
  std::string_view extension;  // ".ico"
  std::string_view mimeType;   // "image/vnd.microsoft.icon"
  bool iconFile;               // rendered by the thumbnailer
};

// The eight associated extensions in the dialog's order.
inline constexpr std::array<AssociatedType, 8> kAssociatedTypes = {{
    {".ico", "image/vnd.microsoft.icon", true},
    {".cur", "image/x-win-bitmap", true},
    {".icl", "application/x-icon-library", true},
    {".ani", "application/x-navi-animation", true},
    {".bmp", "image/bmp", false},
    {".jpg", "image/jpeg", false},
    {".gif", "image/gif", false},
    {".png", "image/png", false},
}};
using AssociationChecks = std::array<bool, kAssociatedTypes.size()>;

inline constexpr std::string_view kDesktopId = "morvane.desktop";

// Where the desktop keeps its files, from the XDG variables and HOME.
struct DesktopFolders {
  std::filesystem::path dataHome;    // $XDG_DATA_HOME or ~/.local/share
  std::filesystem::path configHome;  // $XDG_CONFIG_HOME or ~/.config
  std::filesystem::path cacheHome;   // $XDG_CACHE_HOME or ~/.cache
  static DesktopFolders FromEnvironment();

  std::filesystem::path DesktopEntry() const;
  std::filesystem::path MimePackage() const;
  std::filesystem::path Thumbnailer() const;
  std::filesystem::path MimeAppsList() const;
  std::filesystem::path Backups() const;
};

// The programs the entries start.
struct ProgramPaths {
  std::string editor;  // absolute path of the editor
  std::string cli;     // morvane-cli, or empty when it is not found (no thumbnailer)
};
// The editor's path and the morvane-cli beside it (or in the build tree's cli folder).
ProgramPaths ProgramPathsFor(const std::filesystem::path& editor);

// What an operation did not manage; empty when all went well.
struct AssociationReport {
  std::vector<std::string> errors;
  bool ok() const { return errors.empty(); }
};

// Quotes a path for the Exec key of a desktop entry (quoting and escaping rules of the desktop
// entry format, so that spaces, quotes and dollar signs reach the program unchanged).
std::string QuoteExecArgument(std::string_view path);
std::string DesktopEntryText(const ProgramPaths& programs);
std::string MimePackageText();
std::string ThumbnailerText(const ProgramPaths& programs);

// "/install": writes the desktop entry, the MIME package and the thumbnailer entry (the
// program classes), without changing any default handler.
AssociationReport RegisterDesktopFiles(const DesktopFolders& folders, const ProgramPaths& programs);

// True for each type whose default handler is the editor now.
AssociationChecks CurrentAssociations(const DesktopFolders& folders);

// The dialog's OK: a checked type gets the editor as its default handler, its previous handler
// backed up first; an unchecked type that is ours gets its previous handler back.
AssociationReport ApplyAssociations(const DesktopFolders& folders, const ProgramPaths& programs,
                                    const AssociationChecks& checks);

// "/uninstall": restores every type that is still ours and removes our files. Backups that
// could not be restored are kept.
AssociationReport RemoveAssociations(const DesktopFolders& folders);

// "Rebuild icon cache": forgets the desktop's cached thumbnails of these files, so that file
// managers render them again, and refreshes the MIME and desktop databases of the user.
AssociationReport RebuildIconCache(const DesktopFolders& folders,
                                   const std::vector<std::string>& files);

// The thumbnail file name the desktop uses for a file: MD5 of its file URI, in hex, ".png".
std::string ThumbnailName(const std::string& path);

}  // namespace morvane
