// Event routing of the window-system stand-in: mouse, wheel and keys,
// first responders, tracking areas and tooltips, on the headless system.
#include "platform/appkit_testing.h"

namespace {

using EventRouting = AppKitTest;

const NSUInteger kShiftCommand = NSEventModifierFlagShift | NSEventModifierFlagCommand;

// Catches: events delivered in window coordinates, modifier flags or click
// counts dropped, or drags and the mouse up sent to the view under the
// pointer instead of the one that took the mouse down.
TEST_F(EventRouting, MouseEventsReachTheViewUnderThePointerAndStayWithIt) {
    NSWindow* w = MakeWindow(200, 100);
    RecordingView* v = new RecordingView(NSMakeRect(20, 30, 50, 50));
    RecordingView* other = new RecordingView(NSMakeRect(100, 0, 50, 50));
    w->contentView()->addSubview(v);
    w->contentView()->addSubview(other);

    OrvantaAppKitMouse(w, NSEventTypeLeftMouseDown, NSMakePoint(30.5, 40.25), kShiftCommand, 2);
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseDragged, NSMakePoint(120, 10), 0, 1);
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseUp, NSMakePoint(121, 11), 0, 1);
    OrvantaAppKitMouse(w, NSEventTypeRightMouseDown, NSMakePoint(110, 20), NSEventModifierFlagOption, 1);
    OrvantaAppKitScroll(w, NSMakePoint(25, 35), -3.5);

    ASSERT_EQ(v->events.size(), 4u);
    EXPECT_EQ(v->events[0].what, "down");
    EXPECT_DOUBLE_EQ(v->events[0].at.x, 10.5);
    EXPECT_DOUBLE_EQ(v->events[0].at.y, 10.25);
    EXPECT_EQ(v->events[0].flags, kShiftCommand);
    EXPECT_EQ(v->events[0].clicks, 2);
    EXPECT_EQ(v->events[1].what, "drag");
    EXPECT_DOUBLE_EQ(v->events[1].at.x, 100);
    EXPECT_EQ(v->events[2].what, "up");
    EXPECT_EQ(v->events[3].what, "wheel");
    EXPECT_DOUBLE_EQ(v->events[3].deltaY, -3.5);
    ASSERT_EQ(other->events.size(), 1u);
    EXPECT_EQ(other->events[0].what, "rdown");
    EXPECT_EQ(other->events[0].flags, (NSUInteger)NSEventModifierFlagOption);
    other->release();
    v->release();
    w->close();
}

// Catches: a first click into an inactive window reaching views that did
// not ask for it, or being swallowed for views that did.
TEST_F(EventRouting, FirstClickIntoAnInactiveWindowNeedsAcceptsFirstMouse) {
    NSWindow* w = MakeWindow(100, 100);
    RecordingView* shy = new RecordingView(NSMakeRect(0, 0, 50, 100));
    RecordingView* eager = new RecordingView(NSMakeRect(50, 0, 50, 100));
    eager->firstMouse = true;
    w->contentView()->addSubview(shy);
    w->contentView()->addSubview(eager);
    NSWindow* front = MakeWindow(10, 10);
    ASSERT_FALSE(w->isKeyWindow());
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseDown, NSMakePoint(10, 10));
    EXPECT_TRUE(w->isKeyWindow());
    EXPECT_TRUE(shy->events.empty());
    front->makeKeyWindow();
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseDown, NSMakePoint(60, 10));
    ASSERT_EQ(eager->events.size(), 1u);
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseDown, NSMakePoint(10, 10));
    EXPECT_EQ(shy->events.size(), 1u) << "a click into the key window always arrives";
    front->close();
    eager->release();
    shy->release();
    w->close();
}

// Catches: keys sent to the view under the pointer instead of the first
// responder, refused keys lost instead of passed up the responder chain, or
// a key nobody takes not ending in a beep.
TEST_F(EventRouting, KeysGoToTheFirstResponderAndPassUpTheChain) {
    NSWindow* w = MakeWindow(100, 100);
    RecordingView* parent = new RecordingView(NSMakeRect(0, 0, 100, 100));
    RecordingView* child = new RecordingView(NSMakeRect(10, 10, 20, 20));
    child->passesKeys = true;
    w->contentView()->addSubview(parent);
    parent->addSubview(child);
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseDown, NSMakePoint(15, 15));
    OrvantaAppKitMouse(w, NSEventTypeLeftMouseUp, NSMakePoint(15, 15));
    ASSERT_EQ(w->firstResponder(), child) << "a click makes an accepting view first responder";
    OrvantaAppKitKey(w, kVK_ANSI_Q, "Q", "q", NSEventModifierFlagShift);
    ASSERT_EQ(parent->events.size(), 1u);
    EXPECT_EQ(parent->events[0].what, "key");
    EXPECT_EQ(parent->events[0].keyCode, kVK_ANSI_Q);
    EXPECT_EQ(parent->events[0].chars, "q");

    const long beeps = OrvantaAppKitBeepCount();
    w->makeFirstResponder(nullptr);
    OrvantaAppKitKey(w, kVK_Escape, "\x1b");
    EXPECT_EQ(OrvantaAppKitBeepCount(), beeps + 1);
    child->release();
    parent->release();
    w->close();
}

// Catches: mouse-moved events sent without setAcceptsMouseMovedEvents, or
// to the view under the pointer instead of the first responder.
TEST_F(EventRouting, MouseMovesGoToTheFirstResponderOnlyWhenAsked) {
    NSWindow* w = MakeWindow(100, 100);
    RecordingView* v = new RecordingView(NSMakeRect(0, 0, 20, 20));
    v->takesKeys = true;
    w->contentView()->addSubview(v);
    w->makeFirstResponder(v);
    OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(50, 50));
    EXPECT_TRUE(v->events.empty());
    w->setAcceptsMouseMovedEvents(true);
    OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(50, 50));
    ASSERT_EQ(v->events.size(), 1u);
    EXPECT_DOUBLE_EQ(v->events[0].at.x, 50);
    v->release();
    w->close();
}

// Catches: entered/exited sent on every move, or never.
TEST_F(EventRouting, TrackingAreasReportEnteringAndLeavingOnce) {
    NSWindow* w = MakeWindow(100, 100);
    RecordingView* v = new RecordingView(NSMakeRect(10, 10, 40, 40));
    w->contentView()->addSubview(v);
    NSTrackingArea* area = new NSTrackingArea(NSMakeRect(0, 0, 10, 10),
                                              (NSTrackingAreaOptions)(NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways),
                                              v, nullptr);
    v->addTrackingArea(area);
    area->release();
    for (CGFloat x : {5.0, 12.0, 15.0, 18.0, 30.0, 40.0})
        OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(x, x));
    ASSERT_EQ(v->events.size(), 2u);
    EXPECT_EQ(v->events[0].what, "entered");
    EXPECT_EQ(v->events[1].what, "exited");
    v->release();
    w->close();
}

class ToolTipOwner : public NSViewToolTipOwner {
public:
    const char* text = "Drive";
    int asked = 0;
    NSPoint at{-1, -1};
    void* data = nullptr;
    CFStringRef viewStringForToolTip(NSView*, NSToolTipTag, NSPoint point, void* userData) override {
        ++asked;
        at = point;
        data = userData;
        return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
    }
};

using ToolTips = AppKitTest;

// Catches: tooltips shown before the pointer rests, asked with window
// coordinates, left up after the pointer moves, shown empty, or surviving
// removeAllToolTips.
TEST_F(ToolTips, OwnerIsAskedAfterThePointerRestsInTheRect) {
    NSWindow* w = MakeWindow(100, 100);
    NSView* v = new NSView(NSMakeRect(20, 20, 50, 50));
    w->contentView()->addSubview(v);
    ToolTipOwner owner;
    int cookie = 0;
    v->addToolTipRect(NSMakeRect(10, 10, 20, 20), &owner, &cookie);
    OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(35, 36));
    OrvantaAppKitAdvanceClock(0.9);
    EXPECT_EQ(owner.asked, 0);
    EXPECT_EQ(w->shownToolTip(), nullptr);
    OrvantaAppKitAdvanceClock(0.2);
    ASSERT_EQ(owner.asked, 1);
    EXPECT_DOUBLE_EQ(owner.at.x, 15);
    EXPECT_DOUBLE_EQ(owner.at.y, 16);
    EXPECT_EQ(owner.data, &cookie);
    EXPECT_EQ(Utf8Of(w->shownToolTip()), "Drive");

    OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(80, 80));
    EXPECT_EQ(w->shownToolTip(), nullptr);
    OrvantaAppKitAdvanceClock(2);
    EXPECT_EQ(owner.asked, 1) << "outside the rectangle nobody is asked";

    owner.text = "";
    OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(36, 36));
    OrvantaAppKitAdvanceClock(2);
    EXPECT_EQ(owner.asked, 2);
    EXPECT_EQ(w->shownToolTip(), nullptr) << "an empty text shows no tooltip";

    v->removeAllToolTips();
    OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(35, 36));
    OrvantaAppKitAdvanceClock(2);
    EXPECT_EQ(owner.asked, 2);
    EXPECT_EQ(w->shownToolTip(), nullptr);
    v->release();
    w->close();
}

} // namespace
