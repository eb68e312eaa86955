// The X11 window system of the AppKit stand-in, against a private Xvfb
// server this test starts and stops. Runs alone with
//   ./build/tests/test_platform_appkit_x11   (or ctest -R X11Display)
// and skips with a message when Xvfb is not installed.
#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <gtest/gtest.h>

#include "XvfbServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int RunProgram(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Key {
    unsigned short code;
    std::string chars, plain;
    NSUInteger flags;
};

// Paints a blue ground with a red square and a green strip, and records
// clicks, wheel turns and keys.
class PaintView : public NSView {
public:
    using NSView::NSView;
    std::vector<NSPoint> clicks;
    std::vector<NSInteger> clickCounts;
    std::vector<CGFloat> wheel;
    std::vector<Key> keys;
    bool acceptsFirstMouse(NSEvent*) override { return true; }
    bool acceptsFirstResponder() override { return true; }
    void scrollWheel(NSEvent* e) override { wheel.push_back(e->deltaY()); }
    void keyDown(NSEvent* e) override {
        keys.push_back({e->keyCode(), Utf8(e->characters()), Utf8(e->charactersIgnoringModifiers()),
                        e->modifierFlags() & NSEventModifierFlagDeviceIndependentFlagsMask});
    }
    static std::string Utf8(CFStringRef s) {
        char buf[64];
        return s && CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8) ? buf : "";
    }
    void drawRect(NSRect) override {
        CGContextRef c = NSGraphicsContextCurrentPort();
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextFillRect(c, bounds());
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, NSMakeRect(10, 10, 20, 20));
        CGContextSetRGBFillColor(c, 0, 1, 0, 1);
        CGContextFillRect(c, NSMakeRect(0, 0, 5, bounds().size.height));
    }
    void mouseDown(NSEvent* e) override {
        clicks.push_back(convertPointFromView(e->locationInWindow(), nullptr));
        clickCounts.push_back(e->clickCount());
    }
};

void Pump(double seconds) { NSRunLoop::mainRunLoop()->runUntilDate(NSDate::date() + seconds); }

// Pixels that differ between the X window and the window's own pixels.
int Differences(Display* d, NSWindow* w) {
    const int width = (int)w->frame().size.width, height = (int)w->frame().size.height;
    XImage* img = XGetImage(d, (Window)w->windowRef(), 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!img)
        return -1;
    int diff = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            diff += (XGetPixel(img, x, y) & 0xFFFFFF) != (w->pixels()[(size_t)y * w->pixelsPerRow() + (size_t)x] & 0xFFFFFF);
    XDestroyImage(img);
    return diff;
}

// Catches: windows that never reach the screen, pixels shown flipped or
// shifted, an embedded window not made inside the host's window, and clicks
// delivered in X's top-left coordinates instead of the view's.
TEST(X11Display, WindowsShowTheirPixelsAndClicksArriveInViewCoordinates) {
    if (!ProgramInstalled("Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
    XvfbServer server;
    ASSERT_TRUE(server.Start()) << "no free display for Xvfb";
    setenv("DISPLAY", server.Name().c_str(), 1);
    setenv("ORVANTA_APPKIT_BACKEND", "x11", 1);
    NSApplicationLoad();
    ASSERT_FALSE(OrvantaAppKitIsHeadless());
    Display* d = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(d, nullptr);

    NSWindow* top = new NSWindow(NSMakeRect(50, 100, 120, 80), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
    PaintView* topView = new PaintView(NSMakeRect(0, 0, 120, 80));
    top->setContentView(topView);
    top->makeKeyAndOrderFront(nullptr);
    Pump(0.3);
    ASSERT_NE(top->windowRef(), 0u);
    EXPECT_EQ(Differences(d, top), 0);
    // The red square's bottom-left is 10 points above the bottom: X rows 50..69.
    EXPECT_EQ(top->pixels()[60 * top->pixelsPerRow() + 20] & 0xFFFFFF, 0xFF0000u);

    Window parent = XCreateSimpleWindow(d, DefaultRootWindow(d), 300, 50, 200, 150, 0, 0, 0xFFFFFF);
    XMapWindow(d, parent);
    XSync(d, False);
    NSWindow* embedded = new NSWindow((uintptr_t)parent, NSMakeRect(5, 7, 60, 40));
    PaintView* view = new PaintView(NSMakeRect(0, 0, 60, 40));
    embedded->contentView()->addSubview(view);
    Pump(0.3);
    Window root, actualParent, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(d, (Window)embedded->windowRef(), &root, &actualParent, &children, &count));
    if (children)
        XFree(children);
    EXPECT_EQ(actualParent, parent);
    EXPECT_EQ(Differences(d, embedded), 0);

    if (ProgramInstalled("xdotool")) {
        const std::string id = std::to_string(embedded->windowRef());
        ASSERT_EQ(RunProgram({"xdotool", "mousemove", "--window", id, "12", "15", "click", "1"}), 0);
        for (int i = 0; i < 40 && view->clicks.empty(); ++i)
            Pump(0.05);
        ASSERT_EQ(view->clicks.size(), 1u);
        EXPECT_DOUBLE_EQ(view->clicks[0].x, 12);
        EXPECT_DOUBLE_EQ(view->clicks[0].y, 25);

        // The click gave the view the keyboard.
        ASSERT_EQ(RunProgram({"xdotool", "key", "shift+q", "Up", "space"}), 0);
        Pump(0.6); // longer than a double click: the next click counts from 1
        ASSERT_EQ(RunProgram({"xdotool", "click", "--repeat", "2", "--delay", "80", "1", "click", "4"}), 0);
        for (int i = 0; i < 40 && (view->keys.size() < 3 || view->wheel.empty()); ++i)
            Pump(0.05);
        ASSERT_EQ(view->keys.size(), 3u);
        EXPECT_EQ(view->keys[0].code, kVK_ANSI_Q);
        EXPECT_EQ(view->keys[0].chars, "Q");
        EXPECT_EQ(view->keys[0].plain, "Q") << "ignoring modifiers keeps Shift";
        EXPECT_EQ(view->keys[0].flags, (NSUInteger)NSEventModifierFlagShift);
        EXPECT_EQ(view->keys[1].code, kVK_UpArrow);
        EXPECT_EQ(view->keys[1].chars, "\xef\x9c\x80"); // U+F700
        EXPECT_EQ(view->keys[2].code, kVK_Space);
        EXPECT_EQ(view->keys[2].chars, " ");
        ASSERT_EQ(view->clickCounts.size(), 3u);
        EXPECT_EQ(view->clickCounts[1], 1);
        EXPECT_EQ(view->clickCounts[2], 2);
        ASSERT_EQ(view->wheel.size(), 1u);
        EXPECT_DOUBLE_EQ(view->wheel[0], 1) << "wheel away from the user scrolls up";

        // A right click pops up the view's menu with its top-left under the
        // pointer; a second xdotool, started first, then picks the second row.
        NSMenu* menu = new NSMenu(CFSTR(""));
        std::string picked;
        menu->addItemWithTitle(CFSTR("First"), [&picked](NSMenuItem*) { picked = "First"; }, CFSTR(""));
        menu->addItemWithTitle(CFSTR("Second"), [&picked](NSMenuItem*) { picked = "Second"; }, CFSTR(""));
        view->setMenu(menu);
        menu->release();
        Window child;
        int rootX = 0, rootY = 0;
        XTranslateCoordinates(d, (Window)embedded->windowRef(), DefaultRootWindow(d), 12, 15, &rootX, &rootY, &child);
        // Rows are 20 high below 4 points of padding: the second row's middle is 34 down.
        const pid_t chooser = fork();
        if (chooser == 0) {
            execlp("xdotool", "xdotool", "sleep", "0.6", "mousemove", std::to_string(rootX + 30).c_str(),
                   std::to_string(rootY + 34).c_str(), "sleep", "0.2", "click", "1", (char*)nullptr);
            _exit(127);
        }
        ASSERT_EQ(RunProgram({"xdotool", "click", "3"}), 0);
        for (int i = 0; i < 60 && picked.empty(); ++i)
            Pump(0.05);
        waitpid(chooser, nullptr, 0);
        EXPECT_EQ(picked, "Second");
    } else {
        std::cout << "xdotool is not installed: the click is not tried\n";
    }

    view->release();
    embedded->close();
    topView->release();
    top->close();
    Pump(0.05);
    XDestroyWindow(d, parent);
    XCloseDisplay(d);
}

} // namespace
