// One frame of a knob drag through the window-system stand-in: the drag
// event goes in, the view marks the knob's 48 x 48 rectangle, the window
// repaints it (the view draws the editor-sized image, clipped to the
// rectangle, as the editor host does) and hands the pixels to the window
// system. Headless unless ORVANTA_APPKIT_BACKEND=x11 and a display are given.
// Budget: 25 frames per second within 2% of one core is 800 us per frame.
#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class KnobView : public NSView {
public:
    KnobView(NSRect frame, CGImageRef image) : NSView(frame), mImage(image) {}
    bool isOpaque() override { return true; }
    void mouseDragged(NSEvent*) override { setNeedsDisplayInRect(NSMakeRect(100, 200, 48, 48)); }
    void drawRect(NSRect) override { CGContextDrawImage(NSGraphicsContextCurrentPort(), bounds(), mImage); }

private:
    CGImageRef mImage;
};

void BM_KnobDragFrame(benchmark::State& state) {
    const char* backend = getenv("ORVANTA_APPKIT_BACKEND");
    if (!backend || strcmp(backend, "x11") != 0)
        OrvantaAppKitUseHeadless();
    NSApplicationLoad();
    NSAutoreleasePool pool;
    const int w = 432, h = 357;
    std::vector<uint32_t> pixels((size_t)w * h);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | (uint32_t)(i * 2654435761u >> 8);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef bitmap = CGBitmapContextCreate(pixels.data(), w, h, 8, w * 4, space,
                                                (uint32_t)kCGImageAlphaPremultipliedFirst | (uint32_t)kCGBitmapByteOrder32Little);
    CGImageRef image = CGBitmapContextCreateImage(bitmap);
    NSWindow* window = new NSWindow(NSMakeRect(100, 100, w, h), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
    KnobView* view = new KnobView(NSMakeRect(0, 0, w, h), image);
    window->setContentView(view);
    window->makeKeyAndOrderFront(nullptr);
    OrvantaAppKitRunPending();
    OrvantaAppKitMouse(window, NSEventTypeLeftMouseDown, NSMakePoint(124, 224));
    CGFloat y = 224;
    for (auto _ : state) {
        y = y > 300 ? 224 : y + 1;
        OrvantaAppKitMouse(window, NSEventTypeLeftMouseDragged, NSMakePoint(124, y));
    }
    state.SetLabel(OrvantaAppKitIsHeadless() ? "headless" : "x11");
    OrvantaAppKitMouse(window, NSEventTypeLeftMouseUp, NSMakePoint(124, y));
    view->release();
    window->close();
    CGImageRelease(image);
    CGContextRelease(bitmap);
    CGColorSpaceRelease(space);
}
BENCHMARK(BM_KnobDragFrame)->Unit(benchmark::kMicrosecond);

} // namespace
