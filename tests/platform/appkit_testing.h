// Shared set-up of the window-system tests: the headless window system,
// windows that clean up after themselves, and a view that records what
// reaches it.
#pragma once

#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Selected before any test touches AppKit.
inline const bool kAppKitHeadless = (OrvantaAppKitUseHeadless(), NSApplicationLoad());

// Every test leaves as many NSObjects alive as it found.
class AppKitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kAppKitHeadless);
        ASSERT_TRUE(OrvantaAppKitIsHeadless());
        mLive = OrvantaAppKitLiveObjectCount();
    }
    void TearDown() override {
        OrvantaAppKitRunPending();
        EXPECT_EQ(OrvantaAppKitLiveObjectCount(), mLive) << "NSObjects leaked or freed twice";
    }

    // A titled key window whose content area is w x h at screen (100, 200).
    static NSWindow* MakeWindow(CGFloat w, CGFloat h) {
        NSWindow* window = new NSWindow(NSMakeRect(100, 200, w, h), NSWindowStyleMaskTitled,
                                        NSBackingStoreBuffered, false);
        window->makeKeyAndOrderFront(nullptr);
        OrvantaAppKitRunPending();
        return window;
    }

private:
    long mLive = 0;
};

struct Received {
    std::string what;
    NSPoint at;         // view coordinates
    NSUInteger flags;
    NSInteger clicks;
    CGFloat deltaY;
    unsigned short keyCode;
    std::string chars;
};

inline std::string Utf8Of(CFStringRef s) {
    if (!s)
        return "<null>";
    char buf[512];
    return CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8) ? buf : "<unconvertible>";
}

// Records every event and paint; fills what it paints with its colour.
class RecordingView : public NSView {
public:
    RecordingView(NSRect frame, bool flipped = false, CGFloat red = 1, CGFloat green = 0, CGFloat blue = 0)
        : NSView(frame), mFlipped(flipped), mRed(red), mGreen(green), mBlue(blue) {}

    std::vector<Received> events;
    std::vector<NSRect> paints;
    std::vector<std::string>* order = nullptr; // shared paint order log
    std::string name;
    bool takesKeys = false;      // accepts first responder and keeps keys
    bool passesKeys = false;     // accepts first responder but passes keys on
    bool firstMouse = false;

    void SetColor(CGFloat red, CGFloat green, CGFloat blue) { mRed = red, mGreen = green, mBlue = blue; }
    bool isFlipped() override { return mFlipped; }
    bool acceptsFirstResponder() override { return takesKeys || passesKeys; }
    bool acceptsFirstMouse(NSEvent*) override { return firstMouse; }
    void drawRect(NSRect r) override {
        paints.push_back(r);
        if (order)
            order->push_back(name);
        CGContextRef c = NSGraphicsContextCurrentPort();
        CGContextSetRGBFillColor(c, mRed, mGreen, mBlue, 1);
        CGContextFillRect(c, r);
    }
    void mouseDown(NSEvent* e) override { Record("down", e); }
    void mouseUp(NSEvent* e) override { Record("up", e); }
    void mouseDragged(NSEvent* e) override { Record("drag", e); }
    void mouseMoved(NSEvent* e) override { Record("moved", e); }
    void mouseEntered(NSEvent* e) override { Record("entered", e); }
    void mouseExited(NSEvent* e) override { Record("exited", e); }
    void rightMouseDown(NSEvent* e) override { Record("rdown", e); }
    void rightMouseUp(NSEvent* e) override { Record("rup", e); }
    void scrollWheel(NSEvent* e) override { Record("wheel", e); }
    void keyDown(NSEvent* e) override {
        if (passesKeys) {
            NSView::keyDown(e);
            return;
        }
        Record("key", e);
    }

private:
    void Record(const char* what, NSEvent* e) {
        Received r{what, convertPointFromView(e->locationInWindow(), nullptr), e->modifierFlags(),
                   e->clickCount(), e->deltaY(), e->keyCode(),
                   e->type() == NSEventTypeKeyDown ? Utf8Of(e->charactersIgnoringModifiers()) : ""};
        events.push_back(r);
    }
    bool mFlipped;
    CGFloat mRed, mGreen, mBlue;
};
