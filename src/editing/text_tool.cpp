#include "editing/text_tool.h"

#include "editing/coverage.h"

namespace morvane {

void RenderText(CDib& target, int x, int y, std::string_view text, const FontRecord& font,
                Pixel colour, const DrawSettings& settings, GlyphRenderer& renderer) {
  const int w = target.GetWidth(), h = target.GetHeight();
  if (w <= 0 || h <= 0 || text.empty()) return;
  const int f = settings.SampleFactor();
  // The renderer draws the grey level s; a transparent colour erases at full strength.
  const int strength = CoverageStrength(colour);
  CDib glyphs;
  if (!glyphs.Create(w * f, h * f)) return;
  renderer.Render(glyphs, x, y, text, font, FontPixelHeight(font, f), strength, false);

  CoverageMask big;
  if (!big.Create(w * f, h * f)) return;
  for (int row = 0; row < h * f; ++row) {
    const Pixel* src = glyphs.Row(row);
    for (int col = 0; col < w * f; ++col) {
      if (const Pixel v = src[col]; v != 0) big.Set(col, row, static_cast<std::uint8_t>(BlueOf(v)));
    }
  }
  if (f == 1) {
    ApplyCoverageMask(target, big, colour, Rect::Whole(), settings);
    return;
  }
  CoverageMask small;
  if (!small.Create(w, h)) return;
  DownsampleCoverage(big, small, Rect::Whole());
  ApplyCoverageMask(target, small, colour, Rect::Whole(), settings);
}

void TextTool::Draw(EditCanvas& canvas, ImagePoint p) {
  if (renderer_ == nullptr || canvas.Target() == nullptr) return;
  const Pixel colour = button_ == MouseButton::kLeft ? canvas.firstColour : canvas.secondColour;
  RenderText(*canvas.Target(), p.x, p.y, text, font, colour, canvas.draw, *renderer_);
}

void TextTool::Press(EditCanvas& canvas, ImagePoint p, MouseButton button, unsigned) {
  button_ = button;
  Draw(canvas, p);
}

void TextTool::Move(EditCanvas& canvas, ImagePoint p, unsigned) {
  // Only the last placement remains: every move starts again from the stroke base.
  if (canvas.StrokeBase().IsLive() && canvas.Target() != nullptr) {
    const Rect clip = canvas.Target()->clip;
    canvas.StrokeBase().CopyTo(*canvas.Target());
    canvas.Target()->clip = clip;
  }
  Draw(canvas, p);
}

}  // namespace morvane
