// Draws on the real edit area (offscreen platform) with mouse and key events and compares the
// frame with the same steps run through the drawing-script interpreter on a separate canvas;
// checks that one Undo gives back the pixels before each stroke and Redo those after it.
#include <gtest/gtest.h>

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "editing/step_script.h"
#include "shell/commands.h"
#include "shell/draw_tools.h"
#include "shell/settings_qt_store.h"
#include "support/qt_app.h"
#include "ui/clipboard_bridge.h"
#include "ui/draw_controller.h"
#include "ui/edit_area.h"
#include "ui/import_controller.h"
#include "ui/main_window.h"
#include "ui/qt_glyph_renderer.h"
#include "ui/toolbox.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

class QuietPrompts : public Prompts {
 public:
  std::vector<QString> errors;
  void ShowError(QWidget*, const QString&, const QString& text) override { errors.push_back(text); }
  void ShowInfo(QWidget*, const QString& text) override { errors.push_back(text); }
  QMessageBox::StandardButton Ask(QWidget*, const QString&, QMessageBox::StandardButtons) override {
    return QMessageBox::No;
  }
};

std::vector<Pixel> PixelsOf(const CDib& image) {
  std::vector<Pixel> out;
  for (int y = 0; y < image.GetHeight(); ++y)
    out.insert(out.end(), image.Row(y), image.Row(y) + image.GetWidth());
  return out;
}

// A frame with something to fill, recolour, blur and pick: an opaque red left half with a
// blue square, a transparent right half.
void PaintStart(CDib& image) {
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      Pixel v = x < 16 ? 0xFFCC2020 : 0x00000000;
      if (x >= 6 && x < 12 && y >= 6 && y < 12) v = 0xFF2040E0;
      image.SetPixel(x, y, v);
    }
}

// The number of differing pixels and the first of them, for a readable failure.
std::string Difference(const std::vector<Pixel>& a, const std::vector<Pixel>& b) {
  if (a.size() != b.size()) return "sizes differ";
  int count = 0;
  std::string first;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (count++ == 0) {
      char text[80];
      std::snprintf(text, sizeof text, " first at (%zu, %zu): %08X vs %08X", i % 32, i / 32, a[i],
                    b[i]);
      first = text;
    }
  }
  return count == 0 ? "" : std::to_string(count) + " pixels differ," + first;
}

struct Stroke {
  std::vector<ImagePoint> points;
  bool right = false;
};

class DrawingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureApplication(); }

  void SetUp() override {
    store_ = std::make_unique<QtSettingsStore>(fs::path(dir_.path().toStdString()) / "set.ini");
    settings_ = std::make_unique<Settings>(*store_);
    window_ = std::make_unique<MainWindow>(*settings_, pack_);
    auto prompts = std::make_unique<QuietPrompts>();
    prompts_ = prompts.get();
    window_->SetPrompts(std::move(prompts));
    window_->resize(1000, 700);
    window_->show();
    Area()->SetZoom(8);
    PaintStart(Frame());
    Frame().clip = {0, 0, 32, 32};
    window_->Document().MarkImageChanged(0);
    window_->Document().Frame(0).history.Clear();
    Canvas().firstColour = 0xFF10C040;
    Canvas().secondColour = 0x80F0E000;
    Canvas().tools.penSize = 3;
  }

  EditArea* Area() { return window_->Canvas(); }
  CanvasSession& Session() { return window_->Drawing()->Session(); }
  EditCanvas& Canvas() { return Session().Canvas(); }
  CDib& Frame() { return window_->Document().Frame(0).image; }

  void Mouse(QEvent::Type type, ImagePoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF pos = Area()->ScreenFromImage(p.x, p.y);
    QMouseEvent event(type, pos, Area()->viewport()->mapToGlobal(pos), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(Area()->viewport(), &event);
  }
  void Key(int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(Area(), &event);
  }
  // Press at the first point, move through the others, release at the last.
  void DragOnWidget(const Stroke& s) {
    const Qt::MouseButton b = s.right ? Qt::RightButton : Qt::LeftButton;
    Mouse(QEvent::MouseButtonPress, s.points.front(), b, b);
    for (std::size_t i = 1; i < s.points.size(); ++i)
      Mouse(QEvent::MouseMove, s.points[i], Qt::NoButton, b);
    Mouse(QEvent::MouseButtonRelease, s.points.back(), b, Qt::NoButton);
  }
  void ClickVerticesOnWidget(const std::vector<ImagePoint>& points) {
    for (const ImagePoint& p : points) {
      Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
      Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    Key(Qt::Key_Return);
  }
  void Trigger(int id) {
    QAction* action = window_->Action(id);
    ASSERT_NE(action, nullptr) << id;
    ASSERT_TRUE(action->isEnabled()) << id;
    action->trigger();
  }

  // A separate canvas on a copy of the start image with the window canvas's values.
  struct Reference {
    CDib image;
    UndoHistory history;
    QtGlyphRenderer glyphs;
    CanvasSession session{&glyphs};
  };
  std::unique_ptr<Reference> MakeReference() {
    auto ref = std::make_unique<Reference>();
    // The frame as the earlier strokes left it.
    Frame().CopyTo(ref->image);
    ref->image.clip = {0, 0, 32, 32};
    ref->session.Attach(&ref->image, &ref->history);
    EditCanvas& c = ref->session.Canvas();
    c.firstColour = Canvas().firstColour;
    c.secondColour = Canvas().secondColour;
    c.tools.penSize = Canvas().tools.penSize;
    c.draw.antiAlias = Canvas().draw.antiAlias;
    c.draw.antiAliasLevel = Canvas().draw.antiAliasLevel;
    c.draw.transparentMode = Canvas().draw.transparentMode;
    c.draw.lockMask = Canvas().draw.lockMask;
    ref->session.Selection().SetViewScale(Area()->Scale());
    return ref;
  }

  // Runs one script step of tool on the reference, after the values the window canvas holds.
  void RunScript(Reference& ref, const std::string& tool, const Stroke& s) {
    std::string points;
    for (const ImagePoint& p : s.points) {
      points += (points.empty() ? "" : ",") + std::string("[") + std::to_string(p.x) + "," +
                std::to_string(p.y) + "]";
    }
    const std::string text = "[{\"tool\":\"" + tool + "\",\"button\":\"" +
                             (s.right ? "right" : "left") + "\",\"points\":[" + points + "]}]";
    ScriptParseResult parsed = ParseDrawScript(text);
    ASSERT_TRUE(parsed.script) << parsed.error;
    parsed.script->Run(ref.session.Canvas());
  }

  // Runs a stroke on the widget, checks it against the reference and undo/redo exactness.
  void CheckStroke(int toolIndex, const std::string& scriptTool, const Stroke& s,
                   Pixel colour = 0) {
    SCOPED_TRACE(scriptTool);
    // Each tool paints in its own colour, so that no stroke repeats the pixels of the last.
    Canvas().firstColour = colour ? colour : 0xFF000000u | static_cast<Pixel>(toolIndex * 0x151B23);
    auto ref = MakeReference();
    window_->Drawing()->ChooseTool(toolIndex);
    ASSERT_EQ(Canvas().Tool(), toolIndex);
    const auto before = PixelsOf(Frame());
    const bool poly = toolIndex == tool::kPolyline || toolIndex == tool::kPolygon;
    if (poly) {
      ClickVerticesOnWidget(s.points);
    } else {
      DragOnWidget(s);
    }
    RunScript(*ref, scriptTool, s);
    const auto after = PixelsOf(Frame());
    EXPECT_EQ(Difference(after, PixelsOf(ref->image)), "");
    EXPECT_NE(Difference(after, before), "") << "the stroke changed nothing";
    Trigger(command::kUndo);
    EXPECT_EQ(Difference(PixelsOf(Frame()), before), "");
    Trigger(command::kRedo);
    EXPECT_EQ(Difference(PixelsOf(Frame()), after), "");
  }

  QTemporaryDir dir_;
  LanguagePack pack_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<MainWindow> window_;
  QuietPrompts* prompts_ = nullptr;
};

TEST_F(DrawingTest, EveryScriptedToolDrawsOnTheWidgetAsTheInterpreterDoes) {
  const Stroke drag{{{3, 4}, {14, 9}, {25, 27}}};
  // Replace colors first, while the blue square it recolours is intact.
  CheckStroke(tool::kReplace, "replace-colors", Stroke{{{8, 8}, {9, 9}, {10, 10}}}, 0xFF2040E0);
  CheckStroke(tool::kPen, "pen", drag);
  CheckStroke(tool::kLine, "line", drag);
  CheckStroke(tool::kRectangle, "rectangle", drag);
  CheckStroke(tool::kFilledRectangle, "filled-rectangle", drag);
  CheckStroke(tool::kEllipse, "ellipse", drag);
  CheckStroke(tool::kFilledEllipse, "filled-ellipse", Stroke{{{3, 4}, {14, 9}, {25, 27}}, true});
  CheckStroke(tool::kPolyline, "polyline", Stroke{{{2, 2}, {28, 5}, {20, 29}}});
  CheckStroke(tool::kPolygon, "polygon", Stroke{{{2, 2}, {28, 5}, {20, 29}}});
  CheckStroke(tool::kFill, "fill", Stroke{{{2, 20}}});
  CheckStroke(tool::kBlur, "blur", Stroke{{{5, 5}, {12, 12}, {16, 16}}});
  CheckStroke(tool::kEraser, "eraser", drag);
}

TEST_F(DrawingTest, SelectAndTextToolsMatchDirectCanvasCalls) {
  // The interpreter has no Select or Text steps: the reference gets the same calls directly.
  auto ref = MakeReference();
  window_->Drawing()->ChooseTool(tool::kSelect);
  ref->session.Canvas().SetTool(tool::kSelect);
  const Stroke select{{{4, 4}, {9, 8}, {12, 10}}};
  const Stroke move{{{8, 7}, {15, 12}, {20, 20}}};
  for (const Stroke& s : {select, move}) {
    DragOnWidget(s);
    EditCanvas& c = ref->session.Canvas();
    c.Press(s.points.front(), MouseButton::kLeft);
    for (std::size_t i = 1; i < s.points.size(); ++i) c.Move(s.points[i]);
    c.Release(s.points.back(), MouseButton::kLeft);
  }
  EXPECT_EQ(Difference(PixelsOf(Frame()), PixelsOf(ref->image)), "");
  EXPECT_EQ(Session().SelectionState().Rectangle(), (Rect{16, 17, 25, 24}));
  // The hole at the old place is transparent with its colour kept.
  EXPECT_EQ(Frame().Row(4)[4], 0x00CC2020u);
  const auto moved = PixelsOf(Frame());
  Trigger(command::kUndo);
  EXPECT_EQ(Session().SelectionState().Rectangle(), (Rect{4, 4, 13, 11}));
  EXPECT_EQ(Frame().Row(4)[4], 0xFFCC2020u);  // floating again at its old place
  EXPECT_EQ(Frame().Row(6)[8], 0xFF2040E0u);  // the floating pixels back at their old place
  Trigger(command::kRedo);
  EXPECT_EQ(PixelsOf(Frame()), moved);

  // Text without anti-aliasing: exactly the brush colour, nothing else touched.
  Trigger(command::kRemoveSelection);
  Canvas().draw.antiAlias = false;
  auto textRef = MakeReference();
  Frame().CopyTo(textRef->image);
  textRef->image.clip = {0, 0, 32, 32};
  textRef->session.Text().text = "Hi";
  window_->Drawing()->ChooseTool(tool::kText);
  Session().Text().text = "Hi";  // after the Text panel has read the stored text
  textRef->session.Canvas().SetTool(tool::kText);
  const auto before = PixelsOf(Frame());
  const Stroke place{{{2, 14}, {3, 15}}};
  DragOnWidget(place);
  textRef->session.Canvas().Press({2, 14}, MouseButton::kLeft);
  textRef->session.Canvas().Move({3, 15});
  textRef->session.Canvas().Release({3, 15}, MouseButton::kLeft);
  const auto after = PixelsOf(Frame());
  EXPECT_EQ(Difference(after, PixelsOf(textRef->image)), "");
  EXPECT_NE(Difference(before, PixelsOf(textRef->image)), "");
  int changed = 0;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (after[i] == before[i]) continue;
    ++changed;
    EXPECT_EQ(after[i], Canvas().firstColour) << i;
  }
  EXPECT_GT(changed, 5);
  Trigger(command::kUndo);
  EXPECT_EQ(PixelsOf(Frame()), before);
}

TEST_F(DrawingTest, PickColorAndHotspotPlacement) {
  window_->Drawing()->ChooseTool(tool::kLine);
  window_->Drawing()->ChooseTool(tool::kPickColor);
  DragOnWidget(Stroke{{{8, 8}}});
  EXPECT_EQ(Canvas().firstColour, 0xFF2040E0u);
  EXPECT_EQ(Canvas().Tool(), tool::kLine);        // back to the previous tool
  DragOnWidget(Stroke{{{3, 3}}, true});           // the right button picks the second colour
  EXPECT_NE(Canvas().secondColour, 0xFFCC2020u);  // (Line drew instead: Pick color ended)

  window_->Document().SetKind(DocumentKind::kCursor);
  window_->UpdateCommands();
  Trigger(command::kSetHotspot);
  EXPECT_EQ(Canvas().Tool(), tool::kHotspot);
  // A release outside the image changes nothing.
  Mouse(QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, {40, 40}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Canvas().Tool(), tool::kHotspot);
  EXPECT_EQ(window_->Document().GetHotspot(), (Hotspot{0, 0}));
  DragOnWidget(Stroke{{{5, 7}}});
  EXPECT_EQ(window_->Document().GetHotspot(), (Hotspot{5, 7}));
  EXPECT_EQ(Canvas().Tool(), tool::kLine);
}

TEST_F(DrawingTest, ToolboxAndDrawMenuFollowTheCanvas) {
  Toolbox* box = window_->Drawing()->Tools();
  for (const DrawTool& t : DrawTools()) {
    QToolButton* button = box->Button(t.index);
    ASSERT_NE(button, nullptr) << t.name;
    if (!t.shortcut.empty()) {
      EXPECT_TRUE(
          button->toolTip().contains(QString::fromUtf8(t.shortcut.data(), t.shortcut.size())));
    }
    button->click();
    EXPECT_EQ(Canvas().Tool(), t.index);
    window_->UpdateCommands();
    EXPECT_TRUE(window_->Action(t.command)->isChecked()) << t.name;
  }
  Trigger(32907);  // Draw > Pen
  EXPECT_TRUE(box->Button(tool::kPen)->isChecked());
  const bool aa = Canvas().draw.antiAlias;
  Trigger(32904);  // Anti-aliasing
  EXPECT_EQ(Canvas().draw.antiAlias, !aa);
  Trigger(33041);  // Lock RED channel
  EXPECT_EQ(Canvas().draw.lockMask, 0x00FF0000u);
  Trigger(32984);  // Gradient fill
  EXPECT_TRUE(Canvas().draw.gradientFill);
  EXPECT_EQ(Canvas().draw.gradientImage.GetWidth(), 128);
  Trigger(32983);  // Solid fill
  EXPECT_FALSE(Canvas().draw.gradientImage.IsLive());
}

TEST_F(DrawingTest, ClipboardCommandsOnTheWindow) {
  Trigger(command::kCopy);
  const ClipboardPicture copied = ReadClipboardPicture();
  ASSERT_TRUE(copied.image.IsLive());
  EXPECT_EQ(copied.image.GetPixel(8, 8), 0xFF2040E0u);

  // A 48 x 48 picture floats at the top-left with the Select tool; the clip stays in the frame.
  CDib big;
  big.Create(48, 48);
  big.Fill(0xFF00FF00);
  QApplication::clipboard()->setMimeData(MakePictureMimeData(big, 0));
  Trigger(command::kPaste);
  EXPECT_EQ(Canvas().Tool(), tool::kSelect);
  EXPECT_EQ(Session().SelectionState().Rectangle(), (Rect{0, 0, 48, 48}));
  EXPECT_EQ(Frame().clip, (Rect{0, 0, 32, 32}));
  EXPECT_EQ(Frame().Row(31)[31], 0xFF00FF00u);
  Trigger(command::kUndo);
  EXPECT_EQ(Frame().Row(8)[8], 0xFF2040E0u);

  // A malformed block changes nothing and says why.
  auto* bad = new QMimeData;
  QByteArray block(40, 0);
  block[0] = 40;
  block[4] = 100;
  block[8] = 100;
  block[12] = 1;
  block[14] = 32;
  bad->setData(kDibMimeType, block);
  QApplication::clipboard()->setMimeData(bad);
  const auto before = PixelsOf(Frame());
  prompts_->errors.clear();
  Trigger(command::kPaste);
  EXPECT_EQ(PixelsOf(Frame()), before);
  ASSERT_EQ(prompts_->errors.size(), 1u);
  EXPECT_FALSE(Session().HasSelection());

  // Paste as new image adds a frame of the picture's size.
  CDib small;
  small.Create(16, 16);
  small.Fill(0xFF123456);
  QApplication::clipboard()->setMimeData(MakePictureMimeData(small, 0));
  Trigger(command::kPasteAsNewImage);
  ASSERT_EQ(window_->Document().Count(), 2);
  EXPECT_EQ(window_->Document().CurrentFrame()->image.GetWidth(), 16);
  EXPECT_EQ(window_->Document().CurrentFrame()->image.Row(3)[3], 0xFF123456u);
}

TEST_F(DrawingTest, APastedPictureLargerThanAnIconGoesToTheImportDialog) {
  CDib big;
  ASSERT_TRUE(big.Create(300, 40));
  big.Fill(0xFF00A000);
  QApplication::clipboard()->setMimeData(MakePictureMimeData(big, 0));
  bool previewed = false;
  window_->Import().SetRunner([&](ImportDialog& dialog) -> std::optional<CDib> {
    dialog.ChooseRegion({260, 0, 300, 40});
    previewed = dialog.Preview().IsLive() && dialog.Preview().GetPixel(0, 0) == 0xFF00A000u;
    return std::nullopt;  // cancelled
  });
  const auto before = PixelsOf(Frame());
  Trigger(command::kPaste);
  EXPECT_TRUE(previewed);
  EXPECT_EQ(window_->Document().Count(), 1);
  EXPECT_EQ(PixelsOf(Frame()), before);
  EXPECT_TRUE(prompts_->errors.empty());

  window_->Import().SetRunner([](ImportDialog&) -> std::optional<CDib> {
    CDib image;
    image.Create(24, 24);
    image.Fill(0xFF00A000);
    return image;
  });
  Trigger(command::kPaste);
  ASSERT_EQ(window_->Document().Count(), 2);
  EXPECT_EQ(window_->Document().CurrentFrame()->image.GetWidth(), 24);
  EXPECT_EQ(window_->Document().CurrentFrame()->image.Row(5)[5], 0xFF00A000u);
}

}  // namespace
}  // namespace morvane
