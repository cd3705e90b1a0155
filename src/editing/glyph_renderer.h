// The Text tool's view of a font renderer: draws text into a coverage image in one grey level
// over a transparent background. The editor implements it with the toolkit's fonts; the core
// never sees a toolkit type.
#pragma once

#include <string_view>

#include "editing/font_record.h"
#include "image/dib.h"

namespace morvane {

class GlyphRenderer {
 public:
  virtual ~GlyphRenderer() = default;
  // Draws utf8 text (line breaks start new lines at the same left edge) with its top-left
  // corner at (x, y) into mask, without clipping to any box: every glyph pixel gets the
  // colour bytes grey and alpha 255 at full coverage. The font's height is pixelHeight; when
  // smooth is false, glyph edges are not smoothed.
  virtual void Render(CDib& mask, int x, int y, std::string_view utf8, const FontRecord& font,
                      int pixelHeight, int grey, bool smooth) = 0;
  // A box that holds every pixel Render would draw for the same text at (x, y), so that only
  // that part of a (possibly 16 times supersampled) plane needs memory; Rect::Whole() when the
  // renderer cannot tell.
  virtual Rect InkBox(int /*x*/, int /*y*/, std::string_view /*utf8*/, const FontRecord& /*font*/,
                      int /*pixelHeight*/) {
    return Rect::Whole();
  }
};

}  // namespace morvane
