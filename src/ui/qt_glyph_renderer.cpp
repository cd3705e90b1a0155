#include "ui/qt_glyph_renderer.h"

#include <algorithm>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

namespace morvane {
namespace {

// Far beyond any image side: text is never cut off by the layout box, only by the image.
constexpr int kLayoutBox = 1 << 20;

QString LayoutText(std::string_view utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

constexpr int kLayoutFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;

}  // namespace

QFont ToQFont(const FontRecord& font, int pixelHeight) {
  QFont q(QString::fromStdString(font.faceName));
  q.setPixelSize(std::max(pixelHeight, 1));
  const int weight = font.weight <= 0 ? 400 : std::clamp(font.weight, 100, 900);
  q.setWeight(static_cast<QFont::Weight>(weight));
  q.setItalic(font.italic != 0);
  q.setUnderline(font.underline != 0);
  q.setStrikeOut(font.strikeOut != 0);
  return q;
}

FontRecord FromQFont(const QFont& font, const FontRecord& base) {
  FontRecord out = base;
  out.faceName = font.family().toStdString().substr(0, kFaceNameBytes - 1);
  if (font.pixelSize() > 0) {
    out.height = -font.pixelSize();
  } else if (font.pointSizeF() > 0) {
    // Points at the usual 96 dots per inch.
    out.height = -static_cast<std::int32_t>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
  }
  out.weight = font.weight();
  out.italic = font.italic() ? 1 : 0;
  out.underline = font.underline() ? 1 : 0;
  out.strikeOut = font.strikeOut() ? 1 : 0;
  return out;
}

void QtGlyphRenderer::Render(CDib& mask, int x, int y, std::string_view utf8,
                             const FontRecord& font, int pixelHeight, int grey, bool smooth) {
  if (mask.GetWidth() <= 0 || mask.GetHeight() <= 0) return;
  // Drawing straight into the mask: on a transparent premultiplied image the colour bytes end
  // up as grey times coverage, the form a coverage mask holds.
  QImage target(reinterpret_cast<uchar*>(mask.Pixels()), mask.GetWidth(), mask.GetHeight(),
                mask.Stride() * 4, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&target);
  QFont q = ToQFont(font, pixelHeight);
  q.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
  q.setHintingPreference(QFont::PreferFullHinting);
  painter.setFont(q);
  painter.setRenderHint(QPainter::TextAntialiasing, smooth);
  const int g = std::clamp(grey, 0, 255);
  painter.setPen(QColor(g, g, g));
  painter.drawText(QRect(x, y, kLayoutBox, kLayoutBox), kLayoutFlags, LayoutText(utf8));
}

Rect QtGlyphRenderer::InkBox(int x, int y, std::string_view utf8, const FontRecord& font,
                             int pixelHeight) {
  QFont q = ToQFont(font, pixelHeight);
  q.setHintingPreference(QFont::PreferFullHinting);
  const QRect r = QFontMetrics(q).boundingRect(QRect(x, y, kLayoutBox, kLayoutBox), kLayoutFlags,
                                               LayoutText(utf8));
  // Glyph bearings, italic slant and underlines may reach past the layout box: a margin of a
  // whole line height on every side holds them.
  const int margin = std::max(pixelHeight, 1) + 2;
  return {r.left() - margin, r.top() - margin, r.right() + 1 + margin, r.bottom() + 1 + margin};
}

}  // namespace morvane
