// The editor host's view turning window-system events into editor calls:
// coordinates, modifiers, click counts, the wheel, the key table, and
// nothing at all once the editor has closed.

#include "MacTestSupport.h"

namespace
{
using Log = std::vector<std::string>;

// Catches a mapping that rounds instead of truncating, forgets the (-2, -3)
// offset, or measures y from the wrong edge, for any of the mouse events.
TEST_F(MacEditorTest, EveryMouseEventMapsWindowPointsToEditorPointsTheSameWay)
{
  mGraphics->HandleMouseOver(true);
  Mouse(NSEventTypeMouseMoved, 10.7, 20.2);
  Mouse(NSEventTypeLeftMouseDown, 10.7, 20.2);
  Mouse(NSEventTypeLeftMouseDragged, 11.9, 25.5);
  Mouse(NSEventTypeLeftMouseUp, 11.9, 25.5);
  // (8, H - 23) with H = 80; (11.9, 25.5) gives (9, H - 28).
  EXPECT_EQ(Log({"over 8 57 L....", "down 8 57 L....", "drag 9 52 L....", "up 9 52 L...."}), mLog);
  EXPECT_EQ(9, mView->PrevX());
  EXPECT_EQ(52, mView->PrevY());
}

// Catches a command key that is not taken as the right button, right-button
// events reporting L, and shift/control/option mixed up.
TEST_F(MacEditorTest, ModifierFlagsBecomeTheEditorsMouseModifiers)
{
  Mouse(NSEventTypeLeftMouseDown, 30, 30, NSEventModifierFlagCommand);
  Mouse(NSEventTypeLeftMouseUp, 30, 30, NSEventModifierFlagShift);
  Mouse(NSEventTypeRightMouseDown, 30, 30, NSEventModifierFlagControl);
  Mouse(NSEventTypeRightMouseDragged, 30, 20, NSEventModifierFlagOption);
  Mouse(NSEventTypeRightMouseUp, 30, 20, NSEventModifierFlagShift | NSEventModifierFlagOption);
  EXPECT_EQ(Log({"down 28 47 LR...", "up 28 47 L.S..", "down 28 47 .R.C.", "drag 28 57 .R..A",
                 "up 28 57 .RS.A"}),
            mLog);
  EXPECT_EQ(IMouseMod(true, true).R, IGraphicsCocoa_vOrvanta_au::MouseMod(NSEventModifierFlagCommand, true, true).R);
}

// Catches a double click delivered as a second mouse down, and a wheel delta
// rounded away from zero (0.9 must give 0, -2.7 must give -2).
TEST_F(MacEditorTest, SecondClickIsADoubleClickAndTheWheelTruncatesTowardZero)
{
  Mouse(NSEventTypeLeftMouseDown, 40, 40, 0, 1);
  Mouse(NSEventTypeLeftMouseUp, 40, 40, 0, 1);
  Mouse(NSEventTypeLeftMouseDown, 40, 40, 0, 2);
  OrvantaAppKitScroll(mWindow, NSMakePoint(40, 40), 0.9);
  OrvantaAppKitScroll(mWindow, NSMakePoint(40, 40), -2.7);
  EXPECT_EQ(Log({"down 38 37 L....", "up 38 37 L....", "dbl 38 37 L....", "wheel 0 38 37 L....",
                 "wheel -2 38 37 L...."}),
            mLog);
}

// Catches a wrong entry of the key table; keys the editor does not map (or
// refuses) must reach the next responder, where nobody takes them and the
// window system beeps.
TEST_F(MacEditorTest, KeysGoThroughTheKeyTableAndTheRestToTheHost)
{
  Mouse(NSEventTypeLeftMouseDown, 12, 30);  // the keys go to the last mouse position
  Mouse(NSEventTypeLeftMouseUp, 12, 30);
  mLog.clear();
  OrvantaAppKitKey(mWindow, kVK_Space, " ");
  OrvantaAppKitKey(mWindow, kVK_UpArrow, "\xef\x9c\x80");
  OrvantaAppKitKey(mWindow, kVK_DownArrow, "\xef\x9c\x81");
  OrvantaAppKitKey(mWindow, kVK_LeftArrow, "\xef\x9c\x82");
  OrvantaAppKitKey(mWindow, kVK_RightArrow, "\xef\x9c\x83");
  OrvantaAppKitKey(mWindow, kVK_ANSI_7, "7");
  OrvantaAppKitKey(mWindow, kVK_ANSI_Q, "q");
  OrvantaAppKitKey(mWindow, kVK_ANSI_Q, "Q", "Q", NSEventModifierFlagShift);
  EXPECT_EQ(Log({"key 0", "key 1", "key 2", "key 3", "key 4", "key 12", "key 31", "key 31"}), mLog);

  const long beeps = OrvantaAppKitBeepCount();
  OrvantaAppKitKey(mWindow, kVK_Escape, "\x1b");
  OrvantaAppKitKey(mWindow, kVK_ANSI_Z, "z");  // mapped (40), but the editor returns false
  EXPECT_EQ(beeps + 2, OrvantaAppKitBeepCount());
  EXPECT_EQ("key 40", mLog.back());
}

// Catches events reaching an editor that has closed (its control would
// move a parameter the host no longer shows).
TEST_F(MacEditorTest, EventsAfterTheEditorClosedAreIgnored)
{
  mView->retain();  // as a host that still holds the view would
  mGraphics->CloseWindow();
  EXPECT_EQ(nullptr, mView->Graphics());
  mWindow->contentView()->addSubview(mView);
  OrvantaAppKitRunPending();
  Mouse(NSEventTypeLeftMouseDown, 30, 30);
  Mouse(NSEventTypeLeftMouseDragged, 30, 10);
  Mouse(NSEventTypeLeftMouseUp, 30, 10);
  OrvantaAppKitScroll(mWindow, NSMakePoint(30, 30), 3);
  OrvantaAppKitKey(mWindow, kVK_ANSI_7, "7");
  NSRect r = mView->bounds();
  mView->drawRect(r);
  mView->onTimer(nullptr);
  EXPECT_TRUE(mLog.empty());
  EXPECT_TRUE(mPlug->mEvents.empty());
  EXPECT_FALSE(mView->isOpaque());
  mView->removeFromSuperview();
  mView->release();
}

// Catches a close in the middle of a drag that leaves the host inside an
// open gesture (automation stays latched).
TEST_F(MacEditorTest, ClosingDuringADragEndsTheGesture)
{
  Mouse(NSEventTypeLeftMouseDown, 30, 30);
  Mouse(NSEventTypeLeftMouseDragged, 30, 20);
  ASSERT_EQ("begin 0", mPlug->mEvents.front());
  mGraphics->CloseWindow();
  EXPECT_EQ("end 0", mPlug->mEvents.back());
  const size_t events = mPlug->mEvents.size();
  Mouse(NSEventTypeLeftMouseUp, 30, 20);
  EXPECT_EQ(events, mPlug->mEvents.size());
}

// Catches a removal that only detaches the editor but leaves the view in
// the host's window (or one that leaves the editor attached).
TEST_F(MacEditorTest, RemovalFromTheSuperviewDetachesAndReallyRemoves)
{
  NSView* content = mWindow->contentView();
  ASSERT_EQ(1u, content->subviews().size());
  const long live = OrvantaAppKitLiveObjectCount();
  mView->removeFromSuperview();
  EXPECT_TRUE(content->subviews().empty());
  EXPECT_FALSE(mGraphics->WindowIsOpen());
  EXPECT_EQ(nullptr, mGraphics->GetWindow());
  // The view and its timer are gone: neither the window nor the editor holds the view.
  EXPECT_EQ(live - 2, OrvantaAppKitLiveObjectCount());
}
}  // namespace
