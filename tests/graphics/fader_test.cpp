// The fader and the line knob driven by mouse events: handle placement,
// snapping, hit areas and the drawn pointer.

#include "FurtherControls.h"

#include <gtest/gtest.h>

#include <cmath>

// Catches a vertical fader whose value 1 sits at the bottom, a snap that
// does not centre the handle on the pointer, and values pushed unclamped.
TEST(FaderControl, VerticalHandleAndSnapping)
{
  FurtherRig rig;
  FrameStrip handle(16, 20, 1);
  auto* f = rig.Attach(new IFaderControl(&rig.plug, 10, 20, 100, 0, &handle.bitmap, kVertical));
  EXPECT_EQ(*f->GetRECT(), IRECT(10, 20, 26, 120));
  EXPECT_EQ(f->GetHandleRECT(1.0), IRECT(10, 20, 26, 40));
  EXPECT_EQ(f->GetHandleRECT(0.0), IRECT(10, 100, 26, 120));
  EXPECT_EQ(f->GetHandleRECT(0.5).T, 60);

  rig.g->OnMouseDown(15, 30, &rig.left); // top + 10
  EXPECT_EQ(f->GetValue(), 1.0);
  rig.g->OnMouseDrag(15, 110, &rig.left); // top + 90
  EXPECT_EQ(f->GetValue(), 0.0);
  rig.g->OnMouseDrag(15, 70, &rig.left); // top + 50: (50 - 10) / 80 from the top
  EXPECT_DOUBLE_EQ(f->GetValue(), 0.5);
  rig.g->OnMouseDrag(15, 500, &rig.left);
  EXPECT_EQ(f->GetValue(), 0.0);
  rig.g->OnMouseUp(15, 500, &rig.left);
  EXPECT_EQ(rig.plug.mEvents.front(), "begin 0");
  EXPECT_EQ(rig.plug.mEvents.back(), "end 0");
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(12, 100), StripFramePixel(1));
  EXPECT_EQ(rig.Pixel(12, 99), 0u);
}

// Catches a horizontal fader measured from the wrong end, a division by zero
// when the track is no longer than the handle, and a handle-only fader that
// answers clicks beside its handle.
TEST(FaderControl, HorizontalZeroTravelAndHandleOnlyHits)
{
  FurtherRig rig;
  FrameStrip handle(10, 8, 1);
  auto* f = rig.Attach(new IFaderControl(&rig.plug, 0, 0, 60, 1, &handle.bitmap, kHorizontal, true));
  EXPECT_EQ(*f->GetRECT(), IRECT(0, 0, 60, 8));
  f->SetValueFromPlug(0.0);
  EXPECT_TRUE(f->IsHit(5, 4));
  EXPECT_FALSE(f->IsHit(40, 4));
  rig.g->OnMouseDown(5, 4, &rig.left);
  rig.g->OnMouseDrag(30, 4, &rig.left); // (30 - 5) / 50
  EXPECT_DOUBLE_EQ(f->GetValue(), 0.5);
  EXPECT_EQ(f->GetHandleRECT().L, 25);
  rig.g->OnMouseUp(30, 4, &rig.left);

  IFaderControl stuck(&rig.plug, 0, 100, 10, 2, &handle.bitmap, kHorizontal);
  stuck.SetValueFromPlug(0.3);
  stuck.OnMouseDown(4, 104, &rig.left);
  EXPECT_DOUBLE_EQ(stuck.GetValue(), 0.3);
  EXPECT_FALSE(std::isnan(rig.plug.GetParam(2)->Value()));
}

// Catches a pointer turned from the wrong origin or direction (angle 0 is
// straight up, positive clockwise), and an outer radius of 0 not becoming
// half the width.
TEST(KnobLineControl, PointerGeometryAndPixels)
{
  FurtherRig rig;
  const IColor white(255, 255, 255, 255);
  auto* k = rig.Attach(new IKnobLineControl(&rig.plug, IRECT(0, 0, 40, 40), 0, &white, 5.0, 0.0, -M_PI / 2,
                                            M_PI / 2));
  k->SetValueFromPlug(0.5);
  IKnobLineControl::Line l = k->PointerLine(0.5);
  EXPECT_NEAR(l.x1, 20.0, 1e-9);
  EXPECT_NEAR(l.y1, 15.0, 1e-9);
  EXPECT_NEAR(l.x2, 20.0, 1e-9);
  EXPECT_NEAR(l.y2, 0.0, 1e-9);
  l = k->PointerLine(1.0); // a quarter turn clockwise: to the right
  EXPECT_NEAR(l.x2, 40.0, 1e-6);
  EXPECT_NEAR(l.y2, 20.0, 1e-6);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(20, 8), white.ToPixel());
  EXPECT_EQ(rig.Pixel(20, 30), 0u);
  EXPECT_EQ(rig.Pixel(30, 20), 0u);
  rig.g->OnMouseDown(20, 20, &rig.left);
  rig.g->OnMouseDrag(20, 0, &rig.left); // the knob drag: 20 px up of 40 at gearing 4
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.625);
  EXPECT_EQ(k->GetBlend()->mMethod, IChannelBlend::kBlendClobber);
}
