#include "editing/text_tool.h"

#include <algorithm>

#include "editing/coverage.h"

namespace morvane {

namespace {

// The part of the supersampled plane (w * f by h * f) the text can reach, widened to whole
// image pixels so that it shrinks to a window of the image; empty when the text lies outside.
Rect TextWindow(Rect ink, int w, int h, int f) {
  const Rect plane{0, 0, w * f, h * f};
  if (ink.IsWhole()) return plane;
  auto down = [f](int v) { return v >= 0 ? v / f * f : -((-v + f - 1) / f * f); };
  auto up = [f](int v) { return v >= 0 ? (v + f - 1) / f * f : -(-v / f * f); };
  return {std::max(down(ink.left), 0), std::max(down(ink.top), 0),
          std::min(up(ink.right), plane.right), std::min(up(ink.bottom), plane.bottom)};
}

}  // namespace

void RenderText(CDib& target, int x, int y, std::string_view text, const FontRecord& font,
                Pixel colour, const DrawSettings& settings, GlyphRenderer& renderer) {
  const int w = target.GetWidth(), h = target.GetHeight();
  if (w <= 0 || h <= 0 || text.empty()) return;
  const int f = settings.SampleFactor();
  const int pixelHeight = FontPixelHeight(font, f);
  const Rect window = TextWindow(renderer.InkBox(x, y, text, font, pixelHeight), w, h, f);
  if (window.right <= window.left || window.bottom <= window.top) return;
  // The renderer draws the grey level s; a transparent colour erases at full strength.
  const int strength = CoverageStrength(colour);
  CDib glyphs;
  if (!glyphs.Create(window.Width(), window.Height())) return;
  renderer.Render(glyphs, x - window.left, y - window.top, text, font, pixelHeight, strength,
                  false);

  CoverageMask big;
  if (!big.Create(w * f, h * f, window)) return;
  for (int row = 0; row < window.Height(); ++row) {
    const Pixel* src = glyphs.Row(row);
    for (int col = 0; col < window.Width(); ++col) {
      if (const Pixel v = src[col]; v != 0) {
        big.Set(window.left + col, window.top + row, static_cast<std::uint8_t>(BlueOf(v)));
      }
    }
  }
  if (f == 1) {
    ApplyCoverageMask(target, big, colour, Rect::Whole(), settings);
    return;
  }
  CoverageMask small;
  const Rect shrunk{window.left / f, window.top / f, window.right / f, window.bottom / f};
  if (!small.Create(w, h, shrunk)) return;
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
