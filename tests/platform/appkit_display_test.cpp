// When the X11 window system reaches its display: DISPLAY names a port this
// test listens on itself, which counts the clients and hangs up on them.
#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <gtest/gtest.h>

#include "XDisplayListener.h"

#include <cstdlib>

namespace {

class RedView : public NSView {
public:
    using NSView::NSView;
    void drawRect(NSRect) override {
        CGContextSetRGBFillColor(NSGraphicsContextCurrentPort(), 1, 0, 0, 1);
        CGContextFillRect(NSGraphicsContextCurrentPort(), bounds());
    }
};

// Catches: a connection opened by merely loading the environment, reading the
// clock, running timers, hiding the cursor or building a window (every
// process that loads the editor would then depend on the server); a window
// shown without ever reaching the display (the lazy connection never made);
// and, once the display hangs up, windows that stop painting, a crash, or the
// display dialled again for every window.
TEST(DisplayConnection, OnlyShowingAWindowReachesTheDisplay) {
    XDisplayListener display;
    ASSERT_TRUE(display.Start()) << "no free X display port on 127.0.0.1";
    setenv("DISPLAY", display.Name().c_str(), 1);
    unsetenv("ORVANTA_APPKIT_BACKEND");

    NSApplicationLoad();
    NSAutoreleasePool pool;
    NSScreen::mainScreen();
    bool fired = false;
    NSTimer::scheduledTimerWithTimeInterval(0.01, false, [&fired](NSTimer*) { fired = true; });
    NSRunLoop::mainRunLoop()->runUntilDate(NSDate::date() + 0.03);
    EXPECT_TRUE(fired);
    NSCursor::hide();
    NSCursor::unhide();
    NSWindow* first = new NSWindow(NSMakeRect(10, 10, 40, 30), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
    RedView* view = new RedView(NSMakeRect(0, 0, 40, 30));
    first->setContentView(view);
    view->release();
    EXPECT_EQ(display.Connections(), 0);

    first->makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(display.Connections(), 1);
    EXPECT_TRUE(OrvantaAppKitIsHeadless());
    EXPECT_EQ(OrvantaAppKitPixel(first, 20, 15), 0xFF0000u);

    NSWindow* second = new NSWindow(NSMakeRect(60, 10, 40, 30), NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
    second->orderFront(nullptr);
    EXPECT_EQ(display.Connections(), 1);
    second->close();
    first->close();
}

} // namespace
