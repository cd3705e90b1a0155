// The effect framework without windows: snapshots on opening, previews from the untouched
// image, Apply as one undo step, Cancel that restores exactly, the three kinds of target and
// the extra-selected frames. Expected pixels are worked out from the algorithms by hand.
#include "effects/effect_session.h"

#include <gtest/gtest.h>

#include "effect_test_support.h"

namespace morvane::testing {
namespace {

constexpr Pixel kDark = 0xFF102030;
constexpr Pixel kDarkInverted = 0xFFEFDFCF;  // 0xFFFFFF - 0x102030, alpha kept
// Opacity -50 lowers alpha by truncate(-50 x 255 / 100) = -127: 0xFF -> 0x80.
constexpr Pixel kDarkHalf = 0x80102030;

const EffectInfo& Effect(const char* name) {
  const EffectInfo* e = FindEffect(name);
  EXPECT_NE(e, nullptr) << name;
  return *e;
}

struct Frame {
  CDib image;
  UndoHistory history;
};

EffectCanvas CanvasOf(Frame& f) {
  EffectCanvas c;
  c.image = &f.image;
  c.history = &f.history;
  return c;
}

TEST(EffectSession, PreviewsStartFromTheUntouchedImageAndApplyKeepsOneStep) {
  Frame f{Filled(2, 2, kDark), {}};
  EffectSession session(Effect("opacity"), CanvasOf(f), {});
  session.Open();
  // Ten previews, the last at -50: no accumulation, the result of -50 applied once.
  for (int level = -95; level <= -50; level += 5) {
    const std::vector<double> v{static_cast<double>(level)};
    ASSERT_TRUE(session.Preview(v));
  }
  session.Apply();
  EXPECT_EQ(PixelsOf(f.image), std::vector<Pixel>(4, kDarkHalf));
  EXPECT_EQ(f.history.Position(), 2);
  UndoContext context;
  ASSERT_TRUE(f.history.Undo(f.image, context));
  EXPECT_EQ(PixelsOf(f.image), std::vector<Pixel>(4, kDark));
  EXPECT_FALSE(f.history.CanUndo());
}

TEST(EffectSession, CancelGivesBackTheImageAndTheHistoryAsTheyWere) {
  Frame f{Image({{kDark, 0x00ABCDEF}, {0x7F010203, 0xFFFFFFFF}}), {}};
  const CDib before = Copy(f.image);
  f.history.Push(&f.image, nullptr, UndoContext{});  // an earlier edit
  const int position = f.history.Position();
  const int top = f.history.Top();
  {
    EffectSession session(Effect("hue-luminance-saturation"), CanvasOf(f), {});
    session.Open();
    ASSERT_TRUE(session.Preview(std::vector<double>{90, 20, -40}));
    EXPECT_NE(PixelsOf(f.image), PixelsOf(before));
    session.Cancel();
  }
  EXPECT_EQ(PixelsOf(f.image), PixelsOf(before));
  EXPECT_EQ(f.image.GetWidth(), 2);
  EXPECT_EQ(f.history.Position(), position);
  EXPECT_EQ(f.history.Top(), top);
  EXPECT_FALSE(f.history.CanRedo());
}

TEST(EffectSession, ASessionDroppedWhileOpenCancels) {
  Frame f{Filled(3, 1, kDark), {}};
  {
    EffectSession session(Effect("opacity"), CanvasOf(f), {});
    session.Open();
    session.Preview(std::vector<double>{-50});
  }
  EXPECT_EQ(PixelsOf(f.image), std::vector<Pixel>(3, kDark));
  EXPECT_FALSE(f.history.CanUndo());
}

TEST(EffectSession, InPlaceSelectionConfinesPerPixelAndKernelEffects) {
  Frame f{Filled(4, 1, kDark), {}};
  EffectCanvas canvas = CanvasOf(f);
  canvas.selection = {3, 1, 1, 0};  // drawn right to left: normalised to 1..3
  EffectSession invert(Effect("invert"), canvas, {});
  invert.Open();
  ASSERT_TRUE(invert.Preview({}));
  invert.Apply();
  EXPECT_EQ(PixelsOf(f.image), (std::vector<Pixel>{kDark, kDarkInverted, kDarkInverted, kDark}));

  // The blur reads its neighbours but writes only inside the rectangle.
  Frame g{Image({{0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}}), {}};
  EffectCanvas gc = CanvasOf(g);
  gc.selection = {1, 0, 2, 1};
  EffectSession blur(Effect("blur"), gc, {});
  blur.Open();
  ASSERT_TRUE(blur.Preview(std::vector<double>{255, 1}));
  EXPECT_EQ(At(g.image, 0, 0), 0xFF000000u);
  EXPECT_EQ(At(g.image, 2, 0), 0xFF000000u);
  EXPECT_EQ(At(g.image, 3, 0), 0xFFFFFFFFu);
  EXPECT_NE(At(g.image, 1, 0), 0xFFFFFFFFu);
}

TEST(EffectSession, ASelectionOutsideTheImageChangesNothingButKeepsTheStep) {
  Frame f{Filled(2, 2, kDark), {}};
  EffectCanvas canvas = CanvasOf(f);
  canvas.selection = {5, 5, 9, 9};
  EXPECT_FALSE(RunInstantEffect(Effect("invert"), canvas));
  EXPECT_EQ(PixelsOf(f.image), std::vector<Pixel>(4, kDark));
  EXPECT_EQ(f.history.Position(), 2);
}

TEST(EffectSession, FloatingSelectionIsProcessedWholeAndRestoredOnCancel) {
  Frame f{Filled(4, 4, kDark), {}};
  CDib floating = Image({{kDark, 0xFF000000}});
  EffectCanvas canvas = CanvasOf(f);
  canvas.floating = &floating;
  canvas.selection = {1, 1, 3, 2};
  canvas.selectToolActive = true;
  EffectSession session(Effect("invert"), canvas, {});
  session.Open();
  ASSERT_TRUE(session.Preview({}));
  EXPECT_EQ(PixelsOf(floating), (std::vector<Pixel>{kDarkInverted, 0xFFFFFFFF}));
  EXPECT_EQ(PixelsOf(f.image), std::vector<Pixel>(16, kDark));
  session.Cancel();
  EXPECT_EQ(PixelsOf(floating), (std::vector<Pixel>{kDark, 0xFF000000}));

  // Without the select tool the same bitmap is not the target: the frame is.
  canvas.selectToolActive = false;
  canvas.selection = {kNotSet, 0, 0, 0};
  f.image.clip = {0, 0, 4, 4};  // as the canvas does when the selection goes
  RunInstantEffect(Effect("invert"), canvas);
  EXPECT_EQ(PixelsOf(f.image), std::vector<Pixel>(16, kDarkInverted));
}

TEST(EffectSession, AQuarterTurnOfAFloatingSelectionTurnsItsRectangle) {
  Frame f{Filled(8, 8, 0), {}};
  CDib floating = Image({{0xFF000001, 0xFF000002}});
  EffectCanvas canvas = CanvasOf(f);
  canvas.floating = &floating;
  canvas.selection = {4, 4, 6, 5};
  canvas.selectToolActive = true;
  ASSERT_TRUE(RunInstantEffect(Effect("rotate-90-cw"), canvas));
  // Clockwise: the left pixel ends on top.
  EXPECT_EQ(PixelsOf(floating), (std::vector<Pixel>{0xFF000001, 0xFF000002}));
  EXPECT_EQ(floating.GetWidth(), 1);
  EXPECT_EQ(canvas.selection, (Rect{4, 4, 5, 6}));
  // The step holds the bitmap and selection from before the turn.
  ASSERT_TRUE(RestoreEffectUndo(canvas, false));
  EXPECT_EQ(floating.GetWidth(), 2);
  EXPECT_EQ(canvas.selection, (Rect{4, 4, 6, 5}));
}

TEST(EffectSession, AnInPlaceSelectionIsTurnedInPlace) {
  Frame f{Image({{1, 2, 0}, {0, 0, 0}}), {}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) f.image.SetPixel(x, y, f.image.GetPixel(x, y) | 0xFF000000);
  }
  EffectCanvas canvas = CanvasOf(f);
  canvas.selection = {0, 0, 2, 1};
  ASSERT_TRUE(RunInstantEffect(Effect("rotate-90-ccw"), canvas));
  // Counter-clockwise: the right pixel (2) ends on top, the lifted row's place is cleared.
  EXPECT_EQ(PixelsOf(f.image),
            (std::vector<Pixel>{0xFF000002, 0, 0xFF000000, 0xFF000001, 0xFF000000, 0xFF000000}));
  EXPECT_EQ(canvas.selection, (Rect{0, 0, 1, 2}));
}

TEST(EffectSession, MultiFrameEffectsReachEveryExtraFrameAndNoOthersDo) {
  Frame current{Filled(2, 1, kDark), {}};
  Frame a{Filled(3, 3, kDark), {}};
  Frame b{Filled(1, 1, kDark), {}};
  const std::vector<ExtraFrame> extras{{&a.image, &a.history}, {&b.image, &b.history}};
  {
    EffectSession session(Effect("opacity"), CanvasOf(current), extras);
    session.Open();
    session.Preview(std::vector<double>{-50});
    EXPECT_EQ(At(a.image, 2, 2), kDarkHalf);
    EXPECT_EQ(At(b.image, 0, 0), kDarkHalf);
    session.Cancel();
  }
  EXPECT_EQ(PixelsOf(a.image), std::vector<Pixel>(9, kDark));
  EXPECT_EQ(PixelsOf(b.image), std::vector<Pixel>(1, kDark));
  EXPECT_FALSE(a.history.CanUndo());
  EXPECT_FALSE(a.history.CanRedo());

  {
    EffectSession session(Effect("opacity"), CanvasOf(current), extras);
    session.Open();
    session.Preview(std::vector<double>{-80});
    session.Preview(std::vector<double>{-50});
    session.Apply();
  }
  EXPECT_EQ(PixelsOf(current.image), std::vector<Pixel>(2, kDarkHalf));
  EXPECT_EQ(PixelsOf(a.image), std::vector<Pixel>(9, kDarkHalf));
  EXPECT_EQ(a.history.Position(), 2);
  EXPECT_EQ(b.history.Position(), 2);
  UndoContext context;
  ASSERT_TRUE(a.history.Undo(a.image, context));
  EXPECT_EQ(PixelsOf(a.image), std::vector<Pixel>(9, kDark));

  // Posterize is not multi-frame: the extra frames keep their pixels and their history.
  EffectSession posterize(Effect("posterize"), CanvasOf(current), extras);
  posterize.Open();
  posterize.Preview(std::vector<double>{2});
  posterize.Apply();
  EXPECT_EQ(PixelsOf(b.image), std::vector<Pixel>(1, kDarkHalf));
  EXPECT_EQ(b.history.Position(), 2);
}

TEST(EffectSession, InstantEffectsAreOneUndoStepEach) {
  Frame f{Image({{0xFF000001, 0xFF000002}}), {}};
  EffectCanvas canvas = CanvasOf(f);
  ASSERT_TRUE(RunInstantEffect(Effect("flip-horizontal"), canvas));
  ASSERT_TRUE(RunInstantEffect(Effect("invert"), canvas));
  EXPECT_EQ(PixelsOf(f.image), (std::vector<Pixel>{0xFFFFFFFD, 0xFFFFFFFE}));
  EXPECT_EQ(f.history.Position(), 3);
  UndoContext context;
  ASSERT_TRUE(f.history.Undo(f.image, context));
  EXPECT_EQ(PixelsOf(f.image), (std::vector<Pixel>{0xFF000002, 0xFF000001}));
}

TEST(EffectSession, TheEditCanvasTargetsItsFloatingBitmapOnlyUnderTheSelectTool) {
  Frame f{Filled(4, 4, kDark), {}};
  CDib floating = Filled(1, 1, kDark);
  EditCanvas edit;
  edit.Attach(&f.image, &f.history);
  edit.floating = &floating;
  edit.selection = {0, 0, 1, 1};
  edit.SetTool(static_cast<int>(CanvasTool::kSelect));
  std::optional<ResolvedTarget> target = ResolveEffectTarget(EffectCanvasFrom(edit));
  ASSERT_TRUE(target);
  EXPECT_EQ(target->image, &floating);
  edit.SetTool(static_cast<int>(CanvasTool::kPen));
  target = ResolveEffectTarget(EffectCanvasFrom(edit));
  ASSERT_TRUE(target);
  EXPECT_EQ(target->image, &f.image);
  EXPECT_EQ(target->rect, (Rect{0, 0, 1, 1}));
}

}  // namespace
}  // namespace morvane::testing
