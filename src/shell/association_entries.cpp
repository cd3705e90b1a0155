// The files the desktop reads: paths, the desktop entry, the MIME package, the thumbnailer.
#include <cstdlib>

#include "shell/associations.h"
#include "shell/desktop_files.h"

namespace morvane {

namespace {

std::filesystem::path XdgFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  // The XDG base directory rules ignore relative values of these variables.
  if (value && *value == '/') return value;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : "/") / underHome;
}

std::string MimeTypeList(bool iconFilesOnly) {
  std::string list;
  for (const AssociatedType& t : kAssociatedTypes) {
    if (iconFilesOnly && !t.iconFile) continue;
    list += std::string(t.mimeType) + ";";
  }
  return list;
}

}  // namespace

DesktopFolders DesktopFolders::FromEnvironment() {
  return {XdgFolder("XDG_DATA_HOME", ".local/share"), XdgFolder("XDG_CONFIG_HOME", ".config"),
          XdgFolder("XDG_CACHE_HOME", ".cache")};
}

std::filesystem::path DesktopFolders::DesktopEntry() const {
  return dataHome / "applications" / std::string(kDesktopId);
}
std::filesystem::path DesktopFolders::MimePackage() const {
  return dataHome / "mime" / "packages" / "morvane.xml";
}
std::filesystem::path DesktopFolders::Thumbnailer() const {
  return dataHome / "thumbnailers" / "morvane.thumbnailer";
}
std::filesystem::path DesktopFolders::MimeAppsList() const {
  return configHome / "mimeapps.list";
}
std::filesystem::path DesktopFolders::Backups() const {
  return configHome / "Brenk Ltd" / "Morvane Pro associations.list";
}

ProgramPaths ProgramPathsFor(const std::filesystem::path& editor) {
  std::error_code ec;
  ProgramPaths paths;
  const std::filesystem::path absolute = std::filesystem::absolute(editor, ec);
  paths.editor = (ec ? editor : absolute).lexically_normal().string();
  const std::filesystem::path folder = std::filesystem::path(paths.editor).parent_path();
  for (const auto& candidate : {folder / "morvane-cli", folder / ".." / "cli" / "morvane-cli"}) {
    if (std::filesystem::is_regular_file(candidate, ec)) {
      paths.cli = candidate.lexically_normal().string();
      break;
    }
  }
  return paths;
}

std::string QuoteExecArgument(std::string_view path) {
  std::string quoted = "\"";
  for (char ch : path) {
    // Inside quotes these four are escaped with a backslash; a percent sign is doubled as
    // every Exec value needs.
    if (ch == '"' || ch == '`' || ch == '$' || ch == '\\') quoted += '\\';
    if (ch == '%') quoted += '%';
    quoted += ch;
  }
  quoted += '"';
  // The value is itself a string of the key file, where a backslash is written twice.
  std::string escaped;
  for (char ch : quoted) {
    if (ch == '\\') escaped += '\\';
    escaped += ch;
  }
  return escaped;
}

std::string DesktopEntryText(const ProgramPaths& programs) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Morvane Pro\n"
         "GenericName=Icon Editor\n"
         "Comment=Edit icons, cursors, animated cursors and icon libraries\n"
         "Exec=" +
         QuoteExecArgument(programs.editor) +
         " %f\n"
         "Terminal=false\n"
         "Categories=Graphics;2DGraphics;RasterGraphics;\n"
         "MimeType=" +
         MimeTypeList(false) +
         "\n"
         // Marks the entry as written by the editor, so that it only ever replaces its own.
         "X-Morvane-Associations=true\n";
}

std::string MimePackageText() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"application/x-icon-library\">\n"
         "    <comment>Icon library</comment>\n"
         "    <glob pattern=\"*.icl\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string ThumbnailerText(const ProgramPaths& programs) {
  return "[Thumbnailer Entry]\n"
         "TryExec=" +
         programs.cli + "\nExec=" + QuoteExecArgument(programs.cli) +
         " convert %i %o --sizes %s\n"
         "MimeType=" +
         MimeTypeList(true) + "\n";
}

AssociationReport RegisterDesktopFiles(const DesktopFolders& folders,
                                       const ProgramPaths& programs) {
  AssociationReport report;
  auto note = [&report](const std::string& error) {
    if (!error.empty()) report.errors.push_back(error);
  };
  note(WriteTextFile(folders.DesktopEntry(), DesktopEntryText(programs)));
  note(WriteTextFile(folders.MimePackage(), MimePackageText()));
  if (!programs.cli.empty()) note(WriteTextFile(folders.Thumbnailer(), ThumbnailerText(programs)));
  // Without the database refresh the desktop does not know ".icl"; the entries still work.
  RunDesktopTool("update-mime-database", {(folders.dataHome / "mime").string()});
  RunDesktopTool("update-desktop-database", {(folders.dataHome / "applications").string()});
  return report;
}

}  // namespace morvane
