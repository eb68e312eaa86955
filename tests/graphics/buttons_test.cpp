// Buttons and selectors driven by mouse events through the editor: on/off,
// contact, push button, radio buttons and the invisible select area.

#include "FurtherControls.h"

#include <gtest/gtest.h>

#include <cmath>

// Catches a control that changes at the wrong moment (the on/off toggles on
// the press, the push button on the release, the contact is 1 only while
// held rather than latching), a picture that follows the value instead of
// the press (frame 2 while held, frame 1 after), and a change outside a
// gesture.
TEST(PressControls, ValueAndPictureFollowThePress)
{
  using Make = IControl* (*)(IFxBase*, IBitmap*);
  const struct
  {
    const char* name;
    Make make;
    double held, released;
    bool showsPress;
  } cases[] = {
    {"on/off", [](IFxBase* p, IBitmap* b) -> IControl* { return new IOnOffControl(p, 0, 0, 4, b); }, 1, 1, true},
    {"push", [](IFxBase* p, IBitmap* b) -> IControl* { return new IButtonSwitchControl(p, 0, 0, 4, b); }, 0, 1, true},
    {"contact", [](IFxBase* p, IBitmap* b) -> IControl* { return new IContactControl(p, 0, 0, 4, b); }, 1, 0, false},
  };
  for (const auto& c : cases)
  {
    FurtherRig rig;
    FrameStrip strip(10, 8, 2);
    IControl* ctl = rig.Attach(c.make(&rig.plug, &strip.bitmap));
    ctl->SetValueFromPlug(0.0);
    rig.g->OnMouseDown(2, 2, &rig.left);
    rig.PaintAll();
    EXPECT_EQ(ctl->GetValue(), c.held) << c.name;
    if (c.showsPress)
    {
      EXPECT_EQ(rig.Pixel(2, 2), StripFramePixel(2)) << c.name;
    }
    rig.g->OnMouseUp(2, 2, &rig.left);
    rig.PaintAll();
    EXPECT_EQ(ctl->GetValue(), c.released) << c.name;
    EXPECT_EQ(rig.plug.GetParam(4)->Int(), (int)c.released) << c.name;
    if (c.showsPress)
    {
      EXPECT_EQ(rig.Pixel(2, 2), StripFramePixel(1)) << c.name;
    }
    ASSERT_FALSE(rig.plug.mEvents.empty()) << c.name;
    EXPECT_EQ(rig.plug.mEvents.front(), "begin 4") << c.name;
    EXPECT_EQ(rig.plug.mEvents.back(), "end 4") << c.name;
  }
}

// Catches a wrong gap (the last button must be flush with the far end), a
// reversed order that does not mirror, and a division by zero for one button.
TEST(RadioButtonsControl, LayoutSpreadsButtonsFlushWithBothEnds)
{
  FrameStrip strip(10, 12, 2);
  const IRECT wide(0, 0, 100, 12), tall(5, 10, 30, 70);
  // Vertical, 3 buttons of 12 in 60: gap (60 - 36) / 2 = 12.
  const struct
  {
    IRECT area;
    int n, button;
    EDirection dir;
    bool reverse;
    IRECT want;
  } cases[] = {
    {wide, 2, 0, kHorizontal, false, IRECT(0, 0, 10, 12)},  {wide, 2, 1, kHorizontal, false, IRECT(90, 0, 100, 12)},
    {wide, 2, 0, kHorizontal, true, IRECT(90, 0, 100, 12)}, {wide, 2, 1, kHorizontal, true, IRECT(0, 0, 10, 12)},
    {tall, 3, 1, kVertical, false, IRECT(5, 34, 15, 46)},   {tall, 3, 2, kVertical, false, IRECT(5, 58, 15, 70)},
    {tall, 3, 0, kVertical, true, IRECT(5, 58, 15, 70)},    {tall, 3, 2, kVertical, true, IRECT(5, 10, 15, 22)},
    {IRECT(0, 0, 50, 50), 1, 0, kVertical, false, IRECT(0, 0, 10, 12)},
  };
  for (const auto& c : cases)
  {
    IRadioButtonsControl r(nullptr, c.area, 0, c.n, &strip.bitmap, c.dir, c.reverse);
    ASSERT_EQ(r.NButtons(), c.n);
    EXPECT_EQ(*r.ButtonRECT(c.button), c.want) << c.n << " buttons, button " << c.button << " reversed " << c.reverse;
  }
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
