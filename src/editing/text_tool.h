// The Text tool: the text and font of the Text panel drawn through a glyph renderer into a
// coverage mask, then painted like any shape (anti-aliasing by supersampling, Transparent mode,
// gradient fill, erasing with a transparent colour).
#pragma once

#include <string>
#include <string_view>

#include "editing/edit_canvas.h"
#include "editing/font_record.h"
#include "editing/glyph_renderer.h"

namespace morvane {

// Draws text with its top-left corner at (x, y). With anti-aliasing on, x and y are in
// supersampled units (image coordinates times the sample factor), as the canvas maps them.
void RenderText(CDib& target, int x, int y, std::string_view text, const FontRecord& font,
                Pixel colour, const DrawSettings& settings, GlyphRenderer& renderer);

class TextTool : public ToolHandler {
 public:
  explicit TextTool(GlyphRenderer* renderer = nullptr) : renderer_(renderer) {}
  void SetRenderer(GlyphRenderer* renderer) { renderer_ = renderer; }

  std::string text = "Text";  // "Text"
  FontRecord font = DefaultFontRecord();

  void Press(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned mods) override;
  void Move(EditCanvas& canvas, ImagePoint p, unsigned mods) override;
  void Release(EditCanvas&, ImagePoint, MouseButton, unsigned) override {}

 private:
  void Draw(EditCanvas& canvas, ImagePoint p);

  GlyphRenderer* renderer_ = nullptr;
  MouseButton button_ = MouseButton::kLeft;
};

}  // namespace morvane
