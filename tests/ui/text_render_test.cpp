// The Text tool renders only the part of the supersampled plane its text can reach; the result
// must be what rendering the whole plane gives, whatever the font, position and sample factor.
#include <gtest/gtest.h>

#include <string>

#include "editing/text_tool.h"
#include "support/qt_app.h"
#include "ui/qt_glyph_renderer.h"

namespace morvane {
namespace {

// The toolkit's renderer without its ink box: every call works on the whole plane.
class WholePlaneRenderer : public GlyphRenderer {
 public:
  void Render(CDib& mask, int x, int y, std::string_view utf8, const FontRecord& font,
              int pixelHeight, int grey, bool smooth) override {
    inner_.Render(mask, x, y, utf8, font, pixelHeight, grey, smooth);
  }

 private:
  QtGlyphRenderer inner_;
};

CDib Background(int w, int h) {
  CDib image;
  image.Create(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, (x + y) % 3 == 0 ? 0 : 0xFF336699u);
  }
  return image;
}

bool Same(const CDib& a, const CDib& b) {
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    }
  }
  return true;
}

TEST(TextRender, TheInkWindowGivesTheWholePlanesPixels) {
  testing::EnsureApplication();
  QtGlyphRenderer windowed;
  WholePlaneRenderer whole;
  struct Case {
    int level;
    bool antiAlias;
    int x, y;  // in supersampled units when anti-aliased
    const char* text;
    bool italic, underline;
    int height;
  };
  const Case cases[] = {
      {8, false, 3, 4, "Text", false, false, -16},
      {8, true, 24, 40, "Wg|", true, false, -14},
      {16, true, -40, -20, "Jy", true, true, -20},
      {4, true, 100, 90, "two\r\nlines", false, true, -12},
      {2, true, 120, 0, "edge", false, false, -30},
  };
  int marked = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FontRecord font = DefaultFontRecord();
    font.italic = c.italic ? 1 : 0;
    font.underline = c.underline ? 1 : 0;
    font.height = c.height;
    DrawSettings settings;
    settings.antiAlias = c.antiAlias;
    settings.antiAliasLevel = c.level;
    for (const Pixel colour : {0xFF10E020u, 0x80FF0000u, 0x00000000u}) {
      CDib a = Background(37, 29), b = Background(37, 29);
      RenderText(a, c.x, c.y, c.text, font, colour, settings, windowed);
      RenderText(b, c.x, c.y, c.text, font, colour, settings, whole);
      EXPECT_TRUE(Same(a, b)) << std::hex << colour;
      if (!Same(a, Background(37, 29))) ++marked;
    }
  }
  EXPECT_GE(marked, 9) << "most cases must draw something, or the comparison proves nothing";
}

TEST(TextRender, TextWhollyOutsideTheImageChangesNothing) {
  testing::EnsureApplication();
  QtGlyphRenderer renderer;
  DrawSettings settings;
  CDib image = Background(16, 16);
  RenderText(image, 5000, 5000, "far", DefaultFontRecord(), 0xFF000000u, settings, renderer);
  RenderText(image, -5000, -5000, "far", DefaultFontRecord(), 0xFF000000u, settings, renderer);
  EXPECT_TRUE(Same(image, Background(16, 16)));
}

}  // namespace
}  // namespace morvane
