// A window opened and closed many times, with everything an editor uses on
// the way (views, a refresh timer, tooltips, a text entry, a popup menu),
// leaves no CoreFoundation object and no NSObject behind.
#include "platform/appkit_testing.h"
#include "platform/cf_balance.h"

namespace {

class Lifecycle : public CFBalanced {
protected:
    void SetUp() override {
        ASSERT_TRUE(kAppKitHeadless);
        // CoreText keeps a default font for the process from its first line on.
        CFAttributedStringRef text = CFAttributedStringCreate(nullptr, CFSTR("x"), nullptr);
        CFRelease(CTLineCreateWithAttributedString(text));
        CFRelease(text);
        CFBalanced::SetUp();
        mLive = OrvantaAppKitLiveObjectCount();
    }
    void TearDown() override {
        OrvantaAppKitRunPending();
        EXPECT_EQ(OrvantaAppKitLiveObjectCount(), mLive);
        CFBalanced::TearDown();
    }
    long mLive = 0;
};

class Owner : public NSViewToolTipOwner {
public:
    CFStringRef viewStringForToolTip(NSView*, NSToolTipTag, NSPoint, void*) override {
        return CFStringCreateWithCString(nullptr, "Level", kCFStringEncodingUTF8);
    }
};

class Ender : public NSTextFieldDelegate {
public:
    int ended = 0;
    void controlTextDidEndEditing(NSNotification* n) override {
        ++ended;
        auto* field = static_cast<NSTextField*>(n->object());
        field->setDelegate(nullptr);
        field->removeFromSuperview();
    }
};

// Catches: strings, colours, fonts or notifications of the window system
// leaked (or freed twice) somewhere between opening and closing a window.
TEST_F(Lifecycle, OpenUseAndCloseManyTimesLeavesNothingBehind) {
    Owner owner;
    for (int round = 0; round < 3; ++round) {
        NSAutoreleasePool pool;
        NSWindow* w = new NSWindow(NSMakeRect(100, 200, 300, 200), NSWindowStyleMaskTitled, NSBackingStoreBuffered,
                                   false);
        w->setTitle(CFSTR("Orvanta"));
        w->makeKeyAndOrderFront(nullptr);
        RecordingView* v = new RecordingView(NSMakeRect(0, 0, 300, 200));
        w->contentView()->addSubview(v);
        int ticks = 0;
        NSTimer* timer = NSTimer::timerWithTimeInterval(0.04, true, [v, &ticks](NSTimer*) {
            ++ticks;
            v->setNeedsDisplayInRect(NSMakeRect(10, 10, 20, 20));
        });
        NSRunLoop::currentRunLoop()->addTimer(timer, NSRunLoopCommonModes);
        v->addToolTipRect(NSMakeRect(0, 0, 50, 50), &owner, nullptr);
        OrvantaAppKitMouse(w, NSEventTypeMouseMoved, NSMakePoint(20, 20));
        OrvantaAppKitAdvanceClock(1.2);
        EXPECT_EQ(Utf8Of(w->shownToolTip()), "Level");

        NSTextField* field = new NSTextField(NSMakeRect(100, 100, 60, 20));
        Ender ender;
        field->setDelegate(&ender);
        v->addSubview(field);
        w->makeFirstResponder(field);
        OrvantaAppKitKey(w, kVK_ANSI_5, "5");
        OrvantaAppKitKey(w, kVK_Return, "\r");
        EXPECT_EQ(ender.ended, 1);
        field->release();

        NSMenu* menu = new NSMenu(CFSTR(""));
        int chosen = 0;
        menu->addItemWithTitle(CFSTR("Clean"), [&chosen](NSMenuItem*) { ++chosen; }, CFSTR(""));
        OrvantaAppKitSetMenuHandler([](OrvantaMenuSession& s) {
            s.advanceClock(0.1);
            s.clickItem("Clean");
        });
        NSEvent* e = NSEvent::mouseEventWithType(NSEventTypeRightMouseDown, NSMakePoint(40, 40), 0, NSDate::date(),
                                                 w->windowNumber(), nullptr, 0, 1, 1);
        NSMenu::popUpContextMenu(menu, e, v);
        OrvantaAppKitSetMenuHandler(nullptr);
        menu->release();
        EXPECT_EQ(chosen, 1);
        EXPECT_GT(ticks, 25);

        timer->invalidate();
        v->removeAllToolTips();
        v->release();
        w->close();
    }
}

} // namespace
