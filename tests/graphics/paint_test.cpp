// Dirty regions and painting: which controls are drawn, which are cleaned,
// and the pixels that come out, on the effect's layout.

#include "HeadlessGraphics.h"

#include <gtest/gtest.h>

namespace
{
// A plug-in with the effect's editor, painted once in full.
struct AmpEditor
{
  RecordingPlug plug;
  HeadlessGraphics* g = new HeadlessGraphics(&plug, kAmpW, kAmpH);
  AmpEditor()
  {
    BuildAmpEditor(&plug, g);
    g->Draw(nullptr);
  }
  // The platform's timer: repaint what is dirty until nothing is.
  int Repaint()
  {
    int passes = 0;
    IRECT r;
    while (g->IsDirty(&r))
    {
      g->Draw(&r);
      r = IRECT();
      ++passes;
    }
    return passes;
  }
  RAS_pixel Pixel(int x, int y) { return g->GetPoint(x, y).ToPixel(); }
};

int FirstDifference(AmpEditor& a, AmpEditor& b)
{
  for (int y = 0; y < kAmpH; ++y)
    for (int x = 0; x < kAmpW; ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return y * kAmpW + x;
  return -1;
}
} // namespace

// Catches a dirty region that is not the union of the dirty rectangles (or
// that cleans while asking).
TEST(Paint, IsDirtyIsTheUnionOfDirtyRectangles)
{
  IGraphics g(nullptr, 50, 50);
  g.AttachControl(new IControl(nullptr, IRECT(10, 10, 20, 20)));
  g.AttachControl(new IControl(nullptr, IRECT(30, 5, 40, 15)));
  g.AttachControl(new IControl(nullptr, IRECT()));
  IRECT r;
  EXPECT_TRUE(g.IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 5, 40, 20));
  IRECT again;
  EXPECT_TRUE(g.IsDirty(&again));
  g.Draw(&r);
  IRECT after;
  EXPECT_FALSE(g.IsDirty(&after));
  EXPECT_TRUE(after.Empty());
}

// Catches a knob change repainting controls it does not touch, and a dirty
// control outside the region being drawn or left dirty.
TEST(Paint, OneKnobChangeDrawsOnlyWhatItsRectangleTouches)
{
  AmpEditor e;
  for (int i = kSwitch; i <= kAbout; ++i) EXPECT_EQ(DrawsOf(e.g, i), 1) << i;
  e.g->SetParameterFromPlug(0, 0.8, true);
  e.g->GetControl(kAbout)->SetDirty(false);
  IRECT r;
  ASSERT_TRUE(e.g->IsDirty(&r));
  IRECT knob = *e.g->GetControl(kLevelKnob)->GetRECT();
  EXPECT_EQ(knob, IRECT(177, 29, 213, 65));
  e.g->Draw(&knob);
  EXPECT_EQ(DrawsOf(e.g, kLevelKnob), 2);
  EXPECT_EQ(DrawsOf(e.g, kSwitch), 1);
  EXPECT_EQ(DrawsOf(e.g, kLevelKnob + 1), 1);
  EXPECT_EQ(DrawsOf(e.g, kAbout), 1);
  EXPECT_FALSE(e.g->GetControl(kAbout)->IsDirty());
  EXPECT_EQ(e.g->mScreenUpdates.back(), knob);
  // A value from the plug-in asks for one more pass, then the editor is clean.
  EXPECT_EQ(e.Repaint(), 1);
  EXPECT_EQ(e.Repaint(), 0);
}

// Catches wrong frames, a background drawn with alpha instead of clobbered,
// and a closed about box painting over the editor.
TEST(Paint, PixelsShowTheFramesOfTheValues)
{
  AmpEditor e;
  EXPECT_EQ(e.Pixel(5, 5), BackgroundPixel(5, 5));
  EXPECT_EQ(e.Pixel(100, 150), BackgroundPixel(100, 150));
  EXPECT_EQ(e.Pixel(195, 45), KnobFramePixel(33)); // 0.5 of 65 frames
  EXPECT_EQ(e.Pixel(150, 50), SwitchFramePixel(2)); // Dirty
  e.g->SetParameterFromPlug(0, 0.8, true);           // int(0.8 * 64 + 0.5) + 1
  e.Repaint();
  EXPECT_EQ(e.Pixel(195, 45), KnobFramePixel(52));
}

// Catches partial repaints that differ from a full one: the same changes,
// painted piece by piece through the dirty regions or all at once at the end,
// give the same editor, the about box opened and closed again.
TEST(Paint, PartialRepaintsEqualAFullRepaint)
{
  AmpEditor partial, full;
  IMouseMod left(true);
  auto change = [&](AmpEditor& e, bool repaint) {
    e.g->SetParameterFromPlug(0, 0.8, true);
    if (repaint) e.Repaint();
    e.g->SetParameterFromPlug(1, 0.1, true);
    e.g->OnMouseDown(150, 50, &left);
    if (repaint) e.Repaint();
    e.g->OnMouseDown(30, 290, &left);
    e.Repaint(); // the about box takes its whole rectangle once drawn
  };
  change(partial, true);
  change(full, false);
  full.g->Draw(nullptr);
  EXPECT_EQ(partial.Pixel(100, 150), AboutPixel());
  EXPECT_EQ(FirstDifference(partial, full), -1);
  for (AmpEditor* e : {&partial, &full}) e->g->OnMouseDown(100, 150, &left);
  partial.Repaint();
  full.Repaint();
  full.g->Draw(nullptr);
  EXPECT_EQ(partial.Pixel(100, 150), BackgroundPixel(100, 150));
  EXPECT_EQ(FirstDifference(partial, full), -1);
}

// Catches a hidden control drawn in strict mode, or left dirty.
TEST(Paint, HiddenControlsAreCleanedButNotDrawn)
{
  AmpEditor e;
  e.g->HideControl(1, true);
  e.Repaint();
  EXPECT_EQ(DrawsOf(e.g, kLevelKnob + 1), 1);
  EXPECT_FALSE(e.g->GetControl(kLevelKnob + 1)->IsDirty());
}

// Catches the loose drawing mode repainting everything for one knob, or not
// repainting the background's neighbours when the background is dirty.
TEST(Paint, LooseModeRepaintsPerDirtyControl)
{
  AmpEditor e;
  e.g->SetStrictDrawing(false);
  IRECT r;
  e.g->IsDirty(&r);
  e.g->Draw(&r);
  for (int i = kSwitch; i <= kAbout; ++i) EXPECT_EQ(DrawsOf(e.g, i), 2) << i;
  e.g->GetControl(kLevelKnob)->SetDirty(false);
  r = IRECT();
  e.g->IsDirty(&r);
  e.g->Draw(&r);
  EXPECT_EQ(DrawsOf(e.g, kLevelKnob), 3);
  EXPECT_EQ(DrawsOf(e.g, kSwitch), 2);
  EXPECT_EQ(*e.g->GetDrawRECT(), IRECT(177, 29, 213, 65));
}
