// A small program that uses the editor's clipboard bridge on a real display, so a test can
// exchange pictures with another program (xclip) through the X clipboard:
//   clipboard_probe copy IN.png   puts the picture on the clipboard and serves it for a while
//   clipboard_probe paste OUT.png reads the clipboard as paste does; exit 3 and a message on
//                                 stdout when an offered picture is refused, 2 when none
#include <cstdio>

#include <QApplication>
#include <QImage>
#include <QTimer>

#include "ui/clipboard_bridge.h"
#include "ui/qt_image.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) return 64;
  const QString mode = QString::fromLocal8Bit(argv[1]);
  const QString path = QString::fromLocal8Bit(argv[2]);
  if (mode == QStringLiteral("copy")) {
    const morvane::CDib image = morvane::FromQImage(QImage(path));
    if (!morvane::PutPictureOnClipboard(image, 0xFFFFFF)) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(15000, &app, &QCoreApplication::quit);
    return app.exec();
  }
  if (mode == QStringLiteral("paste")) {
    const morvane::ClipboardPicture picture = morvane::ReadClipboardPicture();
    if (!picture.error.isEmpty()) {
      std::printf("%s\n", picture.error.toUtf8().constData());
      return 3;
    }
    if (!picture.image.IsLive()) return 2;
    return morvane::ToQImage(picture.image).save(path, "PNG") ? 0 : 1;
  }
  return 64;
}
