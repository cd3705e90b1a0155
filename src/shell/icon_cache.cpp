// "Rebuild icon cache" on a freedesktop desktop: the shell's icon cache becomes the thumbnail
// cache, which keeps one PNG per file named after the MD5 of the file's URI.
#include <QCryptographicHash>
#include <QUrl>

#include "shell/associations.h"
#include "shell/desktop_files.h"

namespace morvane {

std::string ThumbnailName(const std::string& path) {
  const QByteArray uri = QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded();
  return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex().toStdString() + ".png";
}

AssociationReport RebuildIconCache(const DesktopFolders& folders,
                                   const std::vector<std::string>& files) {
  AssociationReport report;
  const std::filesystem::path thumbnails = folders.cacheHome / "thumbnails";
  std::vector<std::filesystem::path> sizes;
  for (const char* size : {"normal", "large", "x-large", "xx-large"})
    sizes.push_back(thumbnails / size);
  // Failed attempts are kept per thumbnailing program, one folder each.
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(thumbnails / "fail", ec)) {
    if (entry.is_directory(ec) && !entry.is_symlink(ec)) sizes.push_back(entry.path());
  }
  for (const std::string& file : files) {
    if (file.empty()) continue;
    const std::string name = ThumbnailName(file);
    for (const auto& folder : sizes) {
      const std::string error = RemoveOwnFile(folder / name);
      if (!error.empty()) report.errors.push_back(error);
    }
  }
  RunDesktopTool("update-mime-database", {(folders.dataHome / "mime").string()});
  RunDesktopTool("update-desktop-database", {(folders.dataHome / "applications").string()});
  return report;
}

}  // namespace morvane
