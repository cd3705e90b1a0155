#include "ui/history_icons.h"

#include <QPixmap>

#include "formats/ani_codec.h"
#include "formats/executable_objects.h"
#include "formats/ico_codec.h"
#include "formats/picture_file.h"
#include "shell/history_menu.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr int kMenuIconSide = 16;

QIcon IconOf(const CDib& image) {
  const QImage shown = ToQImage(image);
  if (shown.isNull()) return {};
  return QIcon(QPixmap::fromImage(
      shown.scaled(kMenuIconSide, kMenuIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

QIcon FirstImageIcon(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".ico" || ext == ".cur") {
    Result<IconFileContents> read = ReadIconFile(path, 1);
    return read.ok() && !read.value().frames.empty() ? IconOf(read.value().frames.front().image)
                                                     : QIcon();
  }
  if (ext == ".ani") {
    Result<AniContents> read = LoadAniFile(path, 1);
    return read.ok() && !read.value().frames.empty() ? IconOf(read.value().frames.front().image)
                                                     : QIcon();
  }
  if (ext == ".png" || ext == ".gif" || ext == ".jpg" || ext == ".bmp") {
    CDib image;
    return LoadPictureFile(path, image).ok() ? IconOf(image) : QIcon();
  }
  Result<ExecutableObjects> objects = ExecutableObjects::Read(path);
  if (!objects.ok() || objects.value().Count() == 0) return {};
  ObjectFrames first = objects.value().Decode(0, 1);
  return first.frames.empty() ? QIcon() : IconOf(first.frames.front().image);
}

}  // namespace

QIcon HistoryEntryIcon(const std::string& path) {
  if (!HistoryIconAllowed(path)) return {};
  return FirstImageIcon(path);
}

}  // namespace morvane
