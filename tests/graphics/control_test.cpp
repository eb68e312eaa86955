// The control base and the effect's controls, each driven directly: value
// arithmetic, clamping, frames, switches, the overlay and what reaches the
// plug-in.

#include "HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct ControlTest : ::testing::Test
{
  RecordingPlug plug;
  HeadlessGraphics* g = new HeadlessGraphics(&plug, 100, 100);
  void SetUp() override { plug.AttachGraphics(g); }
  IMouseMod none;
};
} // namespace

// Catches an off-by-one or truncating frame choice, and values outside [0, 1]
// or NaN picking a frame the strip does not have.
TEST(ControlFrames, FrameFromValueRoundsToNearestAndStaysInTheStrip)
{
  EXPECT_EQ(IBitmapControl::FrameFromValue(0.5, 65), 33);
  EXPECT_EQ(IBitmapControl::FrameFromValue(1.0, 65), 65);
  EXPECT_EQ(IBitmapControl::FrameFromValue(0.0, 65), 1);
  EXPECT_EQ(IBitmapControl::FrameFromValue(0.49 / 64, 65), 1); // 0.49 of a step rounds down
  EXPECT_EQ(IBitmapControl::FrameFromValue(0.51 / 64, 65), 2);
  EXPECT_EQ(IBitmapControl::FrameFromValue(-3.0, 65), 1);
  EXPECT_EQ(IBitmapControl::FrameFromValue(7.0, 65), 65);
  EXPECT_EQ(IBitmapControl::FrameFromValue(NAN, 65), 1);
  EXPECT_EQ(IBitmapControl::FrameFromValue(0.9, 1), 1);
}

// Catches a drag computed in the wrong sign, without the gearing, without the
// fine modifier, or dividing by a zero extent or gearing (NaN, infinity).
TEST(ControlKnob, DragArithmetic)
{
  const IRECT r(0, 0, 40, 48);
  // Up (dY < 0) by 24 px over 48 px at gearing 4: +0.125.
  EXPECT_DOUBLE_EQ(IKnobControl::DraggedValue(0.5, r, kVertical, 4.0, false, 0, -24), 0.625);
  EXPECT_DOUBLE_EQ(IKnobControl::DraggedValue(0.5, r, kVertical, 4.0, true, 0, -24), 0.5125);
  EXPECT_DOUBLE_EQ(IKnobControl::DraggedValue(0.5, r, kHorizontal, 2.0, false, 20, 99), 0.75);
  EXPECT_EQ(IKnobControl::DraggedValue(0.3, IRECT(5, 5, 40, 5), kVertical, 4.0, false, 0, -10), 0.3);
  EXPECT_EQ(IKnobControl::DraggedValue(0.3, r, kVertical, 0.0, false, 0, -10), 0.3);
  EXPECT_EQ(IKnobControl::DraggedValue(0.3, r, kVertical, INFINITY, false, 0, -10), 0.3);
}

// Catches a missing clamp after a drag: 0.99 + 100 px up on a 48 px knob at
// gearing 4 would be 1.51; the control and the plug-in both get 1.0.
TEST_F(ControlTest, KnobDragPastTheTopClampsAndPushesOne)
{
  IKnobControl knob(&plug, IRECT(0, 0, 40, 48), 0, kVertical, 4.0);
  knob.SetValueFromPlug(0.99);
  knob.OnMouseDrag(0, 0, 0, -100, &none);
  EXPECT_EQ(knob.GetValue(), 1.0);
  EXPECT_EQ(plug.mChangedValues, std::vector<double>{1.0});
}

// Catches a clamp that lets values past a narrowed range through, and a NaN
// that slips past the comparisons (it must map to the low end).
TEST_F(ControlTest, SetDirtyClampsToTheRangeAndMapsNaNToItsLowEnd)
{
  IControl c(&plug, IRECT(0, 0, 10, 10), 1);
  c.SetClampRange(0.2, 0.8);
  c.SetValueFromUserInput(0.95);
  EXPECT_EQ(c.GetValue(), 0.8);
  c.SetValueFromUserInput(0.01);
  EXPECT_EQ(c.GetValue(), 0.2);
  c.SetValueFromUserInput(NAN);
  EXPECT_EQ(c.GetValue(), 0.2);
  EXPECT_EQ(plug.mChangedValues, (std::vector<double>{0.8, 0.2, 0.2}));
}

// Catches a default taken before the plug-in's first value, a double click
// that moves a control without a default, and a repeated plug-in value that
// marks the control dirty again.
TEST_F(ControlTest, FirstPluginValueBecomesTheDoubleClickDefault)
{
  IControl c(&plug, IRECT(0, 0, 10, 10), 2);
  c.OnMouseDblClick(1, 1, &none);
  EXPECT_EQ(c.GetValue(), 0.0);
  EXPECT_TRUE(plug.mChangedValues.empty());
  c.SetValueFromPlug(0.3);
  c.SetValueFromPlug(0.7);
  EXPECT_EQ(c.GetDefault(), 0.3);
  c.OnMouseDblClick(1, 1, &none);
  EXPECT_EQ(c.GetValue(), 0.3);
  EXPECT_EQ(plug.GetParam(2)->Value(), 0.3);
  c.SetClean();
  c.SetClean();
  c.SetValueFromPlug(0.3);
  EXPECT_FALSE(c.IsDirty());
}

// Catches a gray weight that is not restored to 1.0 (whatever it was before).
TEST_F(ControlTest, GrayOutSetsAndRestoresTheBlendWeight)
{
  IControl c(&plug, IRECT(0, 0, 10, 10));
  EXPECT_EQ(c.GetBlend()->mWeight, 1.0f);
  c.GrayOut(true);
  EXPECT_EQ(c.GetBlend()->mWeight, 0.25f);
  c.GrayOut(false);
  EXPECT_EQ(c.GetBlend()->mWeight, 1.0f);
}

// Catches a switch that does not wrap, or steps by the wrong fraction: three
// frames go 0.5, 1, 0.
TEST_F(ControlTest, SwitchStepsThroughItsFramesAndWraps)
{
  IBitmap three(nullptr, 10, 30, 3);
  ISwitchControl s(&plug, 0, 0, -1, &three);
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i)
  {
    s.OnMouseDown(0, 0, &none);
    seen.push_back(s.GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1, 0, 0.5}));
  EXPECT_EQ(*s.GetRECT(), IRECT(0, 0, 10, 10));
}

// Catches an invisible switch that does not toggle or that prompts.
TEST_F(ControlTest, InvisibleSwitchToggles)
{
  IInvisibleSwitchControl s(&plug, IRECT(0, 0, 5, 5), 3);
  IMouseMod right(false, true);
  s.OnMouseDown(0, 0, &right);
  EXPECT_EQ(s.GetValue(), 1.0);
  s.OnMouseDown(0, 0, &none);
  EXPECT_EQ(s.GetValue(), 0.0);
  EXPECT_TRUE(g->mMenus.empty() && g->mEntries.empty());
}

// Catches the value display left stale or composed without its label, and
// the name display not following the parameter's name.
TEST_F(ControlTest, DisplayControlsFollowThePushedParameter)
{
  ITextControl value(&plug, IRECT(), nullptr), name(&plug, IRECT(), nullptr);
  IControl c(&plug, IRECT(0, 0, 10, 10), 1);
  c.SetValueDisplayControl(&value);
  c.SetNameDisplayControl(&name);
  c.SetValueFromUserInput(0.25);
  EXPECT_STREQ(value.GetTextString(), "0.250 dB");
  EXPECT_STREQ(name.GetTextString(), "Drive");
}

// Catches a null dereference for a parameter index the plug-in lacks: such a
// control behaves as one without a parameter.
TEST_F(ControlTest, UnknownParameterIndexPushesNothing)
{
  ITextControl value(&plug, IRECT(), nullptr);
  IControl c(&plug, IRECT(0, 0, 10, 10), 9);
  c.SetValueDisplayControl(&value);
  c.DisablePrompt(false);
  c.SetValueFromUserInput(0.4);
  IMouseMod right(false, true);
  c.OnMouseDown(1, 1, &right);
  EXPECT_EQ(c.GetValue(), 0.4);
  EXPECT_TRUE(plug.mEvents.empty());
  EXPECT_STREQ(value.GetTextString(), "");
  EXPECT_TRUE(g->mMenus.empty() && g->mEntries.empty());
}
