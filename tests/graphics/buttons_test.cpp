// Buttons and selectors driven by mouse events through the editor: on/off,
// contact, push button, radio buttons and the invisible select area.

#include "FurtherControls.h"

#include <gtest/gtest.h>

#include <cmath>

// Catches an on/off control whose picture follows the value instead of the
// press, or that fails to toggle and push on the way down.
TEST(OnOffControl, TogglesOnPressAndShowsThePress)
{
  FurtherRig rig;
  FrameStrip strip(10, 8, 2);
  auto* c = rig.Attach(new IOnOffControl(&rig.plug, 20, 30, 4, &strip.bitmap));
  EXPECT_EQ(*c->GetRECT(), IRECT(20, 30, 30, 38));
  rig.g->OnMouseDown(25, 33, &rig.left);
  EXPECT_EQ(c->GetValue(), 1.0);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(25, 33), StripFramePixel(2));
  rig.g->OnMouseUp(25, 33, &rig.left);
  rig.PaintAll();
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(rig.Pixel(25, 33), StripFramePixel(1));
  EXPECT_EQ(rig.plug.GetParam(4)->Int(), 1);
}

// Catches a contact that latches (stays at its pressed value after release).
TEST(ContactControl, ReleasesBackToZero)
{
  FurtherRig rig;
  FrameStrip strip(10, 8, 2);
  auto* c = rig.Attach(new IContactControl(&rig.plug, 0, 0, 0, &strip.bitmap));
  rig.g->OnMouseDown(2, 2, &rig.left);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(rig.plug.GetParam(0)->Value(), 1.0);
  rig.g->OnMouseUp(2, 2, &rig.left);
  EXPECT_EQ(c->GetValue(), 0.0);
  EXPECT_EQ(rig.plug.GetParam(0)->Value(), 0.0);
  ASSERT_GE(rig.plug.mEvents.size(), 4u);
  EXPECT_EQ(rig.plug.mEvents.front(), "begin 0");
  EXPECT_EQ(rig.plug.mEvents.back(), "end 0");
}

// Catches a push button that toggles on the way down (it must on release)
// or shows the value rather than the press.
TEST(ButtonSwitchControl, TogglesOnReleaseShowingFrame2WhileHeld)
{
  FurtherRig rig;
  FrameStrip strip(10, 8, 2);
  auto* c = rig.Attach(new IButtonSwitchControl(&rig.plug, 0, 0, 0, &strip.bitmap));
  c->SetValueFromPlug(0.0);
  rig.g->OnMouseDown(2, 2, &rig.left);
  EXPECT_EQ(c->GetValue(), 0.0);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(2, 2), StripFramePixel(2));
  rig.g->OnMouseUp(2, 2, &rig.left);
  EXPECT_EQ(c->GetValue(), 1.0);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(2, 2), StripFramePixel(1));
}

// Catches a wrong gap (the last button must be flush with the far end), a
// reversed order that does not mirror, and a division by zero for one button.
TEST(RadioButtonsControl, LayoutSpreadsButtonsFlushWithBothEnds)
{
  FrameStrip strip(10, 12, 2);
  IRadioButtonsControl h(nullptr, IRECT(0, 0, 100, 12), 0, 2, &strip.bitmap, kHorizontal);
  EXPECT_EQ(*h.ButtonRECT(0), IRECT(0, 0, 10, 12));
  EXPECT_EQ(*h.ButtonRECT(1), IRECT(90, 0, 100, 12));
  IRadioButtonsControl hr(nullptr, IRECT(0, 0, 100, 12), 0, 2, &strip.bitmap, kHorizontal, true);
  EXPECT_EQ(hr.ButtonRECT(0)->L, 90);
  EXPECT_EQ(hr.ButtonRECT(1)->L, 0);
  // Vertical, 3 buttons of 12 in 60: gap (60 - 36) / 2 = 12.
  IRadioButtonsControl v(nullptr, IRECT(5, 10, 30, 70), 0, 3, &strip.bitmap, kVertical);
  EXPECT_EQ(*v.ButtonRECT(1), IRECT(5, 34, 15, 46));
  EXPECT_EQ(v.ButtonRECT(2)->B, 70);
  IRadioButtonsControl vr(nullptr, IRECT(5, 10, 30, 70), 0, 3, &strip.bitmap, kVertical, true);
  EXPECT_EQ(vr.ButtonRECT(0)->B, 70);
  EXPECT_EQ(vr.ButtonRECT(2)->T, 10);
  IRadioButtonsControl one(nullptr, IRECT(0, 0, 50, 50), 0, 1, &strip.bitmap, kVertical);
  ASSERT_EQ(one.NButtons(), 1);
  EXPECT_EQ(*one.ButtonRECT(0), IRECT(0, 0, 10, 12));
}

// Catches a click between buttons that skips SetDirty (the plug-in must
// still hear the unchanged value), a wrong index-to-value map, a lit button
// off by rounding, and NaN from a single button.
TEST(RadioButtonsControl, ClicksSelectAndDrawLightsOneButton)
{
  FurtherRig rig;
  FrameStrip strip(10, 12, 2);
  auto* c = rig.Attach(new IRadioButtonsControl(&rig.plug, IRECT(0, 0, 100, 12), 0, 3, &strip.bitmap,
                                                kHorizontal));
  rig.g->OnMouseDown(50, 5, &rig.left);
  EXPECT_EQ(c->GetValue(), 0.5);
  rig.g->OnMouseUp(50, 5, &rig.left);
  const size_t before = rig.plug.mChangedValues.size();
  rig.g->OnMouseDown(70, 5, &rig.left); // between buttons 1 and 2
  EXPECT_EQ(c->GetValue(), 0.5);
  ASSERT_EQ(rig.plug.mChangedValues.size(), before + 1);
  EXPECT_EQ(rig.plug.mChangedValues.back(), 0.5);
  rig.g->OnMouseUp(70, 5, &rig.left);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(2, 2), StripFramePixel(1));
  EXPECT_EQ(rig.Pixel(47, 2), StripFramePixel(2));
  EXPECT_EQ(rig.Pixel(92, 2), StripFramePixel(1));
  EXPECT_EQ(IRadioButtonsControl::ButtonFromValue(0.74, 3), 1);
  EXPECT_EQ(IRadioButtonsControl::ButtonFromValue(0.76, 3), 2);
  EXPECT_EQ(IRadioButtonsControl::ButtonFromValue(NAN, 3), 0);

  auto* one = rig.Attach(new IRadioButtonsControl(&rig.plug, IRECT(0, 50, 20, 70), 1, 1, &strip.bitmap));
  rig.g->OnMouseDown(2, 52, &rig.left);
  EXPECT_EQ(one->GetValue(), 0.0);
  EXPECT_FALSE(std::isnan(rig.plug.GetParam(1)->Value()));
}

// Catches the share measured from the wrong edge, a missing clamp, and a
// division by zero for an area of no height.
TEST(InvisibleSelectControl, ReleaseSetsTheShareOfTheHeight)
{
  FurtherRig rig;
  auto* c = rig.Attach(new IInvisibleSelectControl(&rig.plug, IRECT(0, 20, 30, 60), 1));
  rig.g->OnMouseDown(5, 30, &rig.left);
  rig.g->OnMouseUp(5, 30, &rig.left);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(rig.plug.GetParam(1)->Value(), 0.25);
  c->OnMouseUp(5, 100, &rig.left);
  EXPECT_EQ(c->GetValue(), 1.0);
  IInvisibleSelectControl flat(nullptr, IRECT(0, 20, 30, 20), 1);
  flat.SetValueFromPlug(0.4);
  flat.OnMouseUp(5, 25, &rig.left);
  EXPECT_EQ(flat.GetValue(), 0.4);
}
