// The preview pane: the open object at its real size where the desktop shows it (taskbar,
// title bar and desktop, light and dark, at 100, 150 and 200 % scaling), each place showing the
// frame the system would pick for the pixel size it needs. Below, a test area whose mouse
// pointer is the edited cursor with its hotspot, animated at the frames' rates for animated
// cursors. Both follow the document through its observer, so they change as the user draws.
#pragma once

#include <QTimer>
#include <QWidget>

#include "image/icon_document.h"
#include "shell/language_pack.h"

class QLabel;

namespace morvane {

// Where an icon is shown and the pixel size it is drawn at there, at 100 % scaling.
struct PreviewPlace {
  const char* key;  // language-pack key of the place's name
  const char* name;
  int size100;  // icon side at 100 %
  int band100;  // height of the strip the icon sits in, at 100 %
  QRgb light;   // the strip's colour in the light theme
  QRgb dark;
};

// The frame the system would show at `side` pixels: an exact square frame of the richest format,
// else the smallest larger one (scaled down), else the largest. -1 for an empty document.
int PickFrameForSide(const IconDocument& document, int side);

class PreviewStrips : public QWidget, private DocumentObserver {
  Q_OBJECT

 public:
  explicit PreviewStrips(const LanguagePack& pack, QWidget* parent = nullptr);
  ~PreviewStrips() override;
  void SetDocument(IconDocument* document);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnFramesChanged(const IconDocument&) override { update(); }
  void OnFrameImageChanged(const IconDocument&, int) override { update(); }
  void OnCurrentFrameChanged(const IconDocument&) override { update(); }

  const LanguagePack& pack_;
  IconDocument* document_ = nullptr;
};

// The area whose pointer is the document's current cursor frame (all frames in turn for an
// animated cursor).
class CursorTestArea : public QWidget, private DocumentObserver {
  Q_OBJECT

 public:
  explicit CursorTestArea(const LanguagePack& pack, QWidget* parent = nullptr);
  ~CursorTestArea() override;
  void SetDocument(IconDocument* document);
  // The frame the pointer shows now; -1 without one.
  int ShownFrame() const { return frame_; }
  // The hotspot the pointer was given (0, 0 for icons).
  QPoint PointerHotspot() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnFramesChanged(const IconDocument&) override { Restart(); }
  void OnFrameImageChanged(const IconDocument&, int index) override;
  void OnCurrentFrameChanged(const IconDocument&) override { Restart(); }
  void OnKindChanged(const IconDocument&) override { Restart(); }
  void Restart();
  void ShowFrame(int index);
  void Tick();

  const LanguagePack& pack_;
  IconDocument* document_ = nullptr;
  QTimer timer_;
  int frame_ = -1;
};

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPane(const LanguagePack& pack, QWidget* parent = nullptr);
  void SetDocument(IconDocument* document);
  CursorTestArea* TestArea() const { return testArea_; }

 private:
  PreviewStrips* strips_;
  CursorTestArea* testArea_;
};

}  // namespace morvane
