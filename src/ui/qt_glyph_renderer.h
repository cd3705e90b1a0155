// The Text tool's glyphs through QPainter and QFont, and the stored font record mapped to a
// QFont and back.
#pragma once

#include <QFont>

#include "editing/glyph_renderer.h"

namespace morvane {

// The QFont of a record at a pixel height (the record's height scaled and clamped by the
// caller). Weight, italic, underline and strike-out carry over; the face name is the family.
QFont ToQFont(const FontRecord& font, int pixelHeight);
// The record of a font chosen in the font chooser. Fields QFont has no word for (escapement,
// character set, precisions, pitch and family) are kept from base, so a stored font survives.
FontRecord FromQFont(const QFont& font, const FontRecord& base);

class QtGlyphRenderer : public GlyphRenderer {
 public:
  void Render(CDib& mask, int x, int y, std::string_view utf8, const FontRecord& font,
              int pixelHeight, int grey, bool smooth) override;
  Rect InkBox(int x, int y, std::string_view utf8, const FontRecord& font,
              int pixelHeight) override;
};

}  // namespace morvane
