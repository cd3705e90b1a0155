#include "ui/preview_pane.h"

#include <QCursor>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <cmath>

#include "ui/qt_image.h"
#include "ui/widget_translation.h"

namespace morvane {
namespace {

constexpr PreviewPlace kPlaces[] = {
    {"taskbar", "Taskbar", 24, 40, qRgb(0xEE, 0xF1, 0xF6), qRgb(0x1C, 0x1C, 0x1C)},
    {"title_bar", "Title bar", 16, 30, qRgb(0xFF, 0xFF, 0xFF), qRgb(0x2B, 0x2B, 0x2B)},
    {"desktop", "Desktop", 48, 76, qRgb(0x7A, 0xB0, 0xE0), qRgb(0x12, 0x2A, 0x4A)},
};
constexpr int kScales[] = {100, 150, 200};
constexpr int kLabelWidth = 104;
constexpr int kHeaderHeight = 22;
constexpr int kGap = 6;

constexpr std::string_view kSection = "Preview pane";

QString Text(const LanguagePack& pack, std::string_view key, std::string_view english) {
  return PackText(pack, kSection, key, english);
}

int Scaled(int value, int percent) {
  return (value * percent + 50) / 100;
}

// Room for the largest icon and a margin of the background around it on either side.
int ColumnWidth(int percent) {
  int widest = 0;
  for (const PreviewPlace& p : kPlaces) widest = std::max(widest, Scaled(p.size100, percent));
  return widest * 2 + 8;
}

// A desktop is not one colour: a soft vertical gradient shows icons against changing light.
void PaintBand(QPainter& painter, const QRect& band, const PreviewPlace& place, bool dark) {
  const QColor base = QColor::fromRgb(dark ? place.dark : place.light);
  if (std::string_view(place.key) == "desktop") {
    QLinearGradient gradient(band.topLeft(), band.bottomLeft());
    gradient.setColorAt(0, base.lighter(dark ? 140 : 115));
    gradient.setColorAt(1, base.darker(dark ? 110 : 125));
    painter.fillRect(band, gradient);
  } else {
    painter.fillRect(band, base);
  }
}

QImage FrameAt(const IconDocument& document, int side) {
  const int index = PickFrameForSide(document, side);
  if (index < 0) return {};
  const QImage image = ToQImage(document.Frame(index).image);
  if (image.width() == side && image.height() == side) return image;
  return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

int PickFrameForSide(const IconDocument& document, int side) {
  int exact = -1;
  int larger = -1;
  int largest = -1;
  const auto area = [&](int i) {
    return document.Frame(i).image.GetWidth() * document.Frame(i).image.GetHeight();
  };
  for (int i = 0; i < document.Count(); ++i) {
    const CDib& image = document.Frame(i).image;
    if (!image.IsLive()) continue;
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    const int bits = BitsOf(document.Frame(i).format);
    if (w == side && h == side && (exact < 0 || bits > BitsOf(document.Frame(exact).format))) {
      exact = i;
    }
    if (std::min(w, h) > side && (larger < 0 || area(i) < area(larger))) larger = i;
    if (largest < 0 || area(i) > area(largest)) largest = i;
  }
  return exact >= 0 ? exact : larger >= 0 ? larger : largest;
}

PreviewStrips::PreviewStrips(const LanguagePack& pack, QWidget* parent)
    : QWidget(parent), pack_(pack) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

PreviewStrips::~PreviewStrips() {
  if (document_) document_->RemoveObserver(this);
}

void PreviewStrips::SetDocument(IconDocument* document) {
  if (document_) document_->RemoveObserver(this);
  document_ = document;
  if (document_) document_->AddObserver(this);
  update();
}

QSize PreviewStrips::sizeHint() const {
  int width = kLabelWidth;
  for (const int s : kScales) width += ColumnWidth(s) + kGap;
  int height = kHeaderHeight;
  for (const PreviewPlace& p : kPlaces) height += 2 * (Scaled(p.band100, 200) + kGap);
  return {width, height};
}

void PreviewStrips::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  int x = kLabelWidth;
  for (const int s : kScales) {
    painter.drawText(QRect(x, 0, ColumnWidth(s), kHeaderHeight), Qt::AlignCenter,
                     QString("%1 %").arg(s));
    x += ColumnWidth(s) + kGap;
  }
  int y = kHeaderHeight;
  for (const PreviewPlace& place : kPlaces) {
    for (const bool dark : {false, true}) {
      const int rowHeight = Scaled(place.band100, 200);
      painter.drawText(QRect(0, y, kLabelWidth - kGap, rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       QString("%1, %2").arg(
                           Text(pack_, place.key, place.name),
                           dark ? Text(pack_, "dark", "dark") : Text(pack_, "light", "light")));
      x = kLabelWidth;
      for (const int s : kScales) {
        const int band = Scaled(place.band100, s);
        const QRect strip(x, y + (rowHeight - band) / 2, ColumnWidth(s), band);
        PaintBand(painter, strip, place, dark);
        const int side = Scaled(place.size100, s);
        if (document_) {
          const QImage icon = FrameAt(*document_, side);
          if (!icon.isNull()) {
            painter.drawImage(strip.left() + (strip.width() - side) / 2,
                              strip.top() + (strip.height() - side) / 2, icon);
          }
        }
        x += ColumnWidth(s) + kGap;
      }
      y += rowHeight + kGap;
    }
  }
}

CursorTestArea::CursorTestArea(const LanguagePack& pack, QWidget* parent)
    : QWidget(parent), pack_(pack) {
  setMinimumHeight(120);
  setAutoFillBackground(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_.setSingleShot(true);
}

CursorTestArea::~CursorTestArea() {
  if (document_) document_->RemoveObserver(this);
}

void CursorTestArea::SetDocument(IconDocument* document) {
  if (document_) document_->RemoveObserver(this);
  document_ = document;
  if (document_) document_->AddObserver(this);
  Restart();
}

QPoint CursorTestArea::PointerHotspot() const {
  if (!document_ || document_->Kind() == DocumentKind::kIcon) return {0, 0};
  const Hotspot h = document_->GetHotspot();
  return h.x == kNotSet ? QPoint(0, 0) : QPoint(h.x, h.y);
}

void CursorTestArea::OnFrameImageChanged(const IconDocument&, int index) {
  if (index == frame_) ShowFrame(frame_);
}

// Animated cursors run through every frame at its rate; the others show the current frame.
void CursorTestArea::Restart() {
  timer_.stop();
  if (!document_ || document_->Count() == 0) {
    frame_ = -1;
    unsetCursor();
    update();
    return;
  }
  const bool animated = document_->Kind() == DocumentKind::kAnimatedCursor;
  ShowFrame(animated ? 0 : std::max(0, document_->Current()));
}

void CursorTestArea::ShowFrame(int index) {
  if (!document_ || index < 0 || index >= document_->Count()) return;
  frame_ = index;
  const CDib& image = document_->Frame(index).image;
  if (image.IsLive()) {
    const QPoint hot = PointerHotspot();
    setCursor(QCursor(QPixmap::fromImage(ToQImage(image)),
                      std::clamp(hot.x(), 0, image.GetWidth() - 1),
                      std::clamp(hot.y(), 0, image.GetHeight() - 1)));
  }
  if (document_->Kind() == DocumentKind::kAnimatedCursor && document_->Count() > 1) {
    // A rate of 0 is saved as 12 jiffies; a jiffy is 1/60 s.
    const int rate = document_->Frame(index).rate > 0 ? document_->Frame(index).rate : 12;
    timer_.start(rate * 1000 / 60);
  }
  update();
}

void CursorTestArea::Tick() {
  if (!document_ || document_->Count() == 0) return;
  ShowFrame((frame_ + 1) % document_->Count());
}

void CursorTestArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // A checkerboard of light and dark shows the pointer against both.
  const int cell = 16;
  for (int y = 0; y < height(); y += cell) {
    for (int x = 0; x < width(); x += cell) {
      const bool darkCell = ((x / cell) + (y / cell)) % 2 == 0;
      painter.fillRect(x, y, cell, cell,
                       darkCell ? QColor(0x30, 0x30, 0x30) : QColor(0xF0, 0xF0, 0xF0));
    }
  }
  const QRect label(8, 8, width() - 16, 22);
  painter.fillRect(label, QColor(255, 255, 255, 220));
  painter.setPen(Qt::black);
  const QString what = frame_ < 0
                           ? QString("No image to test")
                           : QString("Move the mouse here: the pointer is frame %1, hotspot %2, %3")
                                 .arg(frame_ + 1)
                                 .arg(PointerHotspot().x())
                                 .arg(PointerHotspot().y());
  painter.drawText(label.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, what);
}

PreviewPane::PreviewPane(const LanguagePack& pack, QWidget* parent)
    : QWidget(parent),
      strips_(new PreviewStrips(pack, this)),
      testArea_(new CursorTestArea(pack, this)) {
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(Text(pack, "real_size", "Real size on the desktop"), this);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  auto* testTitle = new QLabel(Text(pack, "cursor_title", "Cursor test"), this);
  testTitle->setFont(bold);
  layout->addWidget(title);
  layout->addWidget(strips_);
  layout->addWidget(testTitle);
  layout->addWidget(testArea_, 1);
}

void PreviewPane::SetDocument(IconDocument* document) {
  strips_->SetDocument(document);
  testArea_->SetDocument(document);
}

}  // namespace morvane
