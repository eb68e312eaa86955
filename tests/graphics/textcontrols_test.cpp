// The text family of further controls driven through the editor: caption,
// editable text, spinner, user text and bitmap text.

#include "FurtherControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
const IColor kInk(255, 250, 250, 250);

bool AnyPixelOf(FurtherRig& rig, const IRECT& r, RAS_pixel p)
{
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x)
      if (rig.Pixel(x, y) == p) return true;
  return false;
}

bool AnyInk(FurtherRig& rig, const IRECT& r)
{
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x)
      if (rig.Pixel(x, y) != 0u) return true;
  return false;
}
} // namespace

// Catches a caption that shows a stale or normalised value, or drops the
// blank between value and label.
TEST(CaptionControl, DrawShowsTheDisplayedValueAndLabel)
{
  FurtherRig rig;
  IText style(12, &kInk);
  auto* c = rig.Attach(new ICaptionControl(&rig.plug, IRECT(0, 0, 120, 20), 1, &style, true));
  rig.plug.GetParam(1)->Set(0.25);
  rig.PaintAll();
  char display[32];
  rig.plug.GetParam(1)->GetDisplayForHost(display);
  EXPECT_EQ(std::string(c->GetTextString()), std::string(display) + " dB");
  EXPECT_EQ(std::string(display).substr(0, 4), "0.25");
  EXPECT_TRUE(AnyInk(rig, IRECT(0, 0, 120, 20)));
}

// Catches a caption that prompts with prompts disabled, or not on a left
// click once they are on.
TEST(CaptionControl, LeftClickPromptsOnlyWhenPromptsAreOn)
{
  FurtherRig rig;
  IText style;
  auto* c = rig.Attach(new ICaptionControl(&rig.plug, IRECT(0, 0, 60, 20), 0, &style));
  rig.g->OnMouseDown(5, 5, &rig.left);
  rig.g->OnMouseUp(5, 5, &rig.left);
  EXPECT_TRUE(rig.g->mEntries.empty());
  c->DisablePrompt(false);
  rig.g->OnMouseDown(5, 5, &rig.left);
  ASSERT_EQ(rig.g->mEntries.size(), 1u);
  EXPECT_EQ(rig.g->mEntries[0].param, rig.plug.GetParam(0));
}

// Catches a mask that shows the password, or grows past 99 characters.
TEST(EditableTextControl, PasswordMaskIsAsterisksCappedAt99)
{
  char mask[IEditableTextControl::kMaxMaskChars + 1];
  IEditableTextControl::PasswordMask(std::string(150, 'x').c_str(), mask);
  EXPECT_EQ(std::string(mask), std::string(99, '*'));
  IEditableTextControl::PasswordMask("abc", mask);
  EXPECT_STREQ(mask, "***");
}

// Catches a background drawn with alpha 0 (after SetBGColor(null)) or not
// drawn at all, and a click that prompts while prompts are off.
TEST(EditableTextControl, BackgroundFillAndPromptGuard)
{
  FurtherRig rig;
  IText style;
  auto* c = rig.Attach(new IEditableTextControl(&rig.plug, IRECT(10, 10, 50, 30), &style, ""));
  const IColor red(255, 255, 0, 0);
  c->SetBGColor(&red);
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(10, 10), red.ToPixel());
  EXPECT_EQ(rig.Pixel(49, 29), red.ToPixel());
  EXPECT_EQ(rig.Pixel(50, 30), 0u);

  FurtherRig bare;
  auto* d = bare.Attach(new IEditableTextControl(&bare.plug, IRECT(10, 10, 50, 30), &style, ""));
  d->SetBGColor(&red);
  d->SetBGColor(nullptr);
  bare.PaintAll();
  EXPECT_EQ(bare.Pixel(20, 20), 0u);
  EXPECT_TRUE(d->GetDblAsSingleClick());
}

// Catches the wheel moving by the raw step (0.5 here, a jump of half the
// range) instead of the step over the range, and the fine/coarse fallback
// without a step.
TEST(SpinnerControl, WheelStepIsStepOverRange)
{
  FurtherRig rig;
  rig.plug.GetParam(2)->InitDouble("Low", 5.0, 0.0, 10.0, 0.5);
  IText style;
  auto* s = rig.Attach(new ISpinnerControl(&rig.plug, IRECT(0, 0, 40, 20), 2, &style));
  s->SetValueFromPlug(0.5);
  rig.g->OnMouseWheel(5, 5, &rig.none, 2);
  EXPECT_NEAR(s->GetValue(), 0.6, 1e-12);
  EXPECT_NEAR(rig.plug.GetParam(2)->Value(), 6.0, 1e-9);

  IParam own;
  own.InitDouble("Own", 0.0, 0.0, 1.0, 0.0);
  auto* t = rig.Attach(new ISpinnerControl(&rig.plug, IRECT(50, 0, 90, 20), -1, &style, &own));
  IMouseMod fine(false, false, true);
  rig.g->OnMouseWheel(60, 5, &fine, 3);
  EXPECT_NEAR(t->GetValue(), 0.003, 1e-12);
  rig.g->OnMouseWheel(60, 5, &rig.none, -1);
  EXPECT_NEAR(t->GetValue(), 0.0, 1e-12);
  rig.PaintAll();
  EXPECT_NEAR(own.GetNormalized(), 0.0, 1e-12);
}

// Catches a drag in the wrong sign or without gearing, and a NaN from a
// spinner of no height.
TEST(SpinnerControl, DragArithmeticAndZeroExtent)
{
  const IRECT r(0, 0, 40, 20);
  EXPECT_DOUBLE_EQ(ISpinnerControl::DraggedValue(0.5, r, kVertical, 2.0, 0, -10), 0.75);
  EXPECT_DOUBLE_EQ(ISpinnerControl::DraggedValue(0.5, r, kHorizontal, 1.0, 10, 50), 0.75);
  EXPECT_EQ(ISpinnerControl::DraggedValue(0.5, IRECT(0, 5, 40, 5), kVertical, 1.0, 0, -10), 0.5);
  EXPECT_EQ(ISpinnerControl::DraggedValue(0.5, r, kVertical, 0.0, 0, -10), 0.5);
  FurtherRig rig;
  IText style;
  auto* s = rig.Attach(new ISpinnerControl(&rig.plug, IRECT(0, 0, 40, 20), 0, &style, nullptr, true, true,
                                           kVertical, 2.0));
  s->SetValueFromPlug(0.5);
  rig.g->OnMouseDown(5, 15, &rig.left);
  rig.g->OnMouseDrag(5, 5, &rig.left);
  rig.g->OnMouseUp(5, 5, &rig.left);
  EXPECT_DOUBLE_EQ(s->GetValue(), 0.75);
  EXPECT_EQ(rig.plug.mEvents.front(), "begin 0");
  EXPECT_EQ(rig.plug.mEvents.back(), "end 0");
}

// Catches a user text control that prompts through a parameter, loses the
// typed text or leaves the control clean.
TEST(UserTextControl, ClickOpensAnEntryWhoseTextIsKept)
{
  FurtherRig rig;
  IText style;
  auto* u = rig.Attach(new IUserTextControl(&rig.plug, IRECT(0, 0, 80, 20), &style, "old"));
  rig.PaintAll();
  rig.g->OnMouseDown(3, 3, &rig.left);
  ASSERT_EQ(rig.g->mEntries.size(), 1u);
  EXPECT_EQ(rig.g->mEntries[0].param, nullptr);
  EXPECT_EQ(rig.g->mEntries[0].text, "old");
  rig.g->FinishTextEntry("typed");
  EXPECT_STREQ(u->GetTextString(), "typed");
  EXPECT_TRUE(u->IsDirty());
}

// Catches a frame off by one from the strip's origin (the blank is frame 1,
// "A" frame 34), text that is not vertically centred, and a division by a
// zero character width or a rectangle with no room.
TEST(BitmapTextControl, CharactersComeFromTheirFrames)
{
  FurtherRig rig;
  FrameStrip chars(4, 6, 96);
  IText near(10, nullptr, nullptr, IText::kStyleNormal, IText::kAlignNear);
  rig.Attach(new IBitmapTextControl(&rig.plug, IRECT(0, 0, 40, 10), &chars.bitmap, "A!", &near, 4, 6, 1));
  rig.PaintAll();
  // Near alignment starts one character in; vCenter puts the row at (10 - 6) / 2.
  EXPECT_EQ(rig.Pixel(4, 2), StripFramePixel(34));
  EXPECT_EQ(rig.Pixel(9, 7), StripFramePixel(2));
  EXPECT_EQ(rig.Pixel(4, 1), 0u);
  EXPECT_EQ(rig.Pixel(8, 4), 0u); // the one-pixel spacing

  rig.Attach(new IBitmapTextControl(&rig.plug, IRECT(100, 100, 140, 110), &chars.bitmap, "AB", &near, 0, 6, 0));
  rig.Attach(new IBitmapTextControl(&rig.plug, IRECT(100, 120, 108, 130), &chars.bitmap, "AB", &near, 4, 6, 0));
  rig.PaintAll();
  EXPECT_FALSE(AnyInk(rig, IRECT(100, 100, 150, 140)));
}

// Catches text that overflows a single-line control being dropped instead of
// continuing on the line below.
TEST(BitmapTextControl, OverflowContinuesOnTheNextLine)
{
  FurtherRig rig;
  FrameStrip chars(4, 6, 96);
  IText centre;
  // Room for 2 characters besides the margins.
  rig.Attach(new IBitmapTextControl(&rig.plug, IRECT(0, 0, 16, 6), &chars.bitmap, "ABC", &centre, 4, 6, 0));
  rig.PaintAll();
  // Centred: x0 = (16 - 12) / 2 = 2.
  EXPECT_EQ(rig.Pixel(2, 0), StripFramePixel(34));
  EXPECT_EQ(rig.Pixel(6, 0), StripFramePixel(35));
  EXPECT_EQ(rig.Pixel(2, 6), StripFramePixel(36));
  EXPECT_FALSE(AnyPixelOf(rig, IRECT(6, 6, 16, 12), StripFramePixel(36)));
}
