// View geometry, coordinate conversion, invalidation and painting of the
// window-system stand-in, on the headless window system.
#include "platform/appkit_testing.h"

namespace {

class FlippedView : public NSView {
public:
    using NSView::NSView;
    bool isFlipped() override { return true; }
};

const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;

using ViewGeometry = AppKitTest;

// Catches: a flipped view measured from its bottom edge, or a child of a
// flipped superview placed from the superview's bottom.
TEST_F(ViewGeometry, PointsConvertThroughFlippedAndUnflippedViews) {
    NSWindow* w = MakeWindow(200, 100);
    NSView* a = new NSView(NSMakeRect(10, 20, 50, 40));
    NSView* b = new FlippedView(NSMakeRect(5, 5, 30, 20));
    w->contentView()->addSubview(a);
    a->addSubview(b);

    NSPoint p = a->convertPointToView(NSMakePoint(0, 0), nullptr);
    EXPECT_DOUBLE_EQ(p.x, 10);
    EXPECT_DOUBLE_EQ(p.y, 20);
    // b's origin is its top-left: 5 + 20 above a's bottom.
    p = b->convertPointToView(NSMakePoint(0, 0), nullptr);
    EXPECT_DOUBLE_EQ(p.x, 15);
    EXPECT_DOUBLE_EQ(p.y, 45);
    p = b->convertPointToView(NSMakePoint(3, 4), a);
    EXPECT_DOUBLE_EQ(p.x, 8);
    EXPECT_DOUBLE_EQ(p.y, 21);
    p = b->convertPointFromView(NSMakePoint(18, 41), nullptr);
    EXPECT_DOUBLE_EQ(p.x, 3);
    EXPECT_DOUBLE_EQ(p.y, 4);

    // A rectangle at b's top-left lands at the top of b's area in the window.
    NSRect r = b->convertRectToView(NSMakeRect(0, 0, 10, 5), nullptr);
    EXPECT_TRUE(NSEqualRects(r, NSMakeRect(15, 40, 10, 5))) << r.origin.x << "," << r.origin.y;

    // An unflipped child of a flipped view: frame origin is its top-left in the parent.
    NSView* c = new NSView(NSMakeRect(2, 3, 10, 6));
    b->addSubview(c);
    p = c->convertPointToView(NSMakePoint(0, 0), b);
    EXPECT_DOUBLE_EQ(p.x, 2);
    EXPECT_DOUBLE_EQ(p.y, 9);
    c->release();
    b->release();
    a->release();
    w->close();
}

// Catches: hit testing that ignores flipping, hidden views or z order.
TEST_F(ViewGeometry, HitTestFindsTheDeepestVisibleViewOnTop) {
    NSWindow* w = MakeWindow(200, 100);
    NSView* a = new NSView(NSMakeRect(10, 20, 50, 40));
    NSView* b = new FlippedView(NSMakeRect(5, 5, 30, 20));
    NSView* over = new NSView(NSMakeRect(0, 0, 20, 20));
    w->contentView()->addSubview(a);
    a->addSubview(b);
    w->contentView()->addSubview(over);
    EXPECT_EQ(w->contentView()->hitTest(NSMakePoint(16, 44)), b);
    EXPECT_EQ(w->contentView()->hitTest(NSMakePoint(12, 22)), a);
    EXPECT_EQ(w->contentView()->hitTest(NSMakePoint(150, 90)), w->contentView());
    EXPECT_EQ(w->contentView()->hitTest(NSMakePoint(10, 19)), over);
    over->setHidden(true);
    EXPECT_EQ(w->contentView()->hitTest(NSMakePoint(12, 19)), w->contentView());
    EXPECT_EQ(w->contentView()->hitTest(NSMakePoint(250, 50)), nullptr);
    over->release();
    b->release();
    a->release();
    w->close();
}

using ViewPainting = AppKitTest;

// Catches: drawRect given the window's coordinates instead of the view's,
// the whole view instead of the marked part, or pixels flipped vertically.
TEST_F(ViewPainting, InvalidatedRectsComeBackAsTheirUnionAndLandOnThosePixels) {
    NSWindow* w = MakeWindow(100, 80);
    std::vector<std::string> order;
    RecordingView* root = new RecordingView(NSMakeRect(0, 0, 100, 80), false, 0, 0, 1);
    root->name = "root";
    root->order = &order;
    RecordingView* r = new RecordingView(NSMakeRect(10, 10, 40, 30), true);
    r->name = "child";
    r->order = &order;
    w->setContentView(root);
    root->addSubview(r);
    OrvantaAppKitRunPending();
    root->paints.clear();
    r->paints.clear();
    order.clear();
    EXPECT_EQ(OrvantaAppKitPixel(w, 35, 40), kRed);
    r->SetColor(0, 1, 0);

    r->setNeedsDisplayInRect(NSMakeRect(0, 0, 10, 10));
    r->setNeedsDisplayInRect(NSMakeRect(20, 5, 5, 5));
    EXPECT_TRUE(r->needsDisplay());
    OrvantaAppKitRunPending();
    ASSERT_EQ(r->paints.size(), 1u);
    EXPECT_TRUE(NSEqualRects(r->paints[0], NSMakeRect(0, 0, 25, 10)));
    // The same area in root's coordinates: r's top 10 rows are y 30..40.
    ASSERT_EQ(root->paints.size(), 1u);
    EXPECT_TRUE(NSEqualRects(root->paints[0], NSMakeRect(10, 30, 25, 10)));
    EXPECT_EQ(order, (std::vector<std::string>{"root", "child"}));
    EXPECT_FALSE(r->needsDisplay());

    // Window rows counted from the top: y 30..40 are rows 40..49.
    EXPECT_EQ(OrvantaAppKitPixel(w, 10, 40), kGreen);
    EXPECT_EQ(OrvantaAppKitPixel(w, 34, 49), kGreen);
    EXPECT_EQ(OrvantaAppKitPixel(w, 35, 40), kRed);
    EXPECT_EQ(OrvantaAppKitPixel(w, 10, 50), kRed);
    EXPECT_NE(OrvantaAppKitPixel(w, 10, 39), kGreen);
    r->release();
    root->release();
    w->close();
}

// Catches: each invalidation handed to the window system on its own, or
// pixels handed over on passes where nothing changed.
TEST_F(ViewPainting, OnePassPresentsOnceAndOnlyWhenSomethingChanged) {
    NSWindow* w = MakeWindow(50, 50);
    RecordingView* v = new RecordingView(NSMakeRect(0, 0, 20, 20));
    w->contentView()->addSubview(v);
    OrvantaAppKitRunPending();
    const long before = OrvantaAppKitPresentCount();
    OrvantaAppKitRunPending();
    EXPECT_EQ(OrvantaAppKitPresentCount(), before);
    v->setNeedsDisplayInRect(NSMakeRect(0, 0, 5, 5));
    v->setNeedsDisplayInRect(NSMakeRect(10, 10, 5, 5));
    w->contentView()->setNeedsDisplayInRect(NSMakeRect(30, 30, 5, 5));
    OrvantaAppKitRunPending();
    EXPECT_EQ(OrvantaAppKitPresentCount(), before + 1);
    v->release();
    w->close();
}

// Catches: painting hidden views, or a hidden view's invalidation repainting anything.
TEST_F(ViewPainting, HiddenViewsNeitherPaintNorInvalidate) {
    NSWindow* w = MakeWindow(50, 50);
    RecordingView* v = new RecordingView(NSMakeRect(0, 0, 20, 20));
    w->contentView()->addSubview(v);
    OrvantaAppKitRunPending();
    v->setHidden(true);
    OrvantaAppKitRunPending();
    v->paints.clear();
    v->setNeedsDisplay(true);
    EXPECT_FALSE(w->viewsNeedDisplay());
    w->display();
    EXPECT_TRUE(v->paints.empty());
    EXPECT_NE(OrvantaAppKitPixel(w, 5, 45), kRed);
    v->release();
    w->close();
}

// Catches: a removed view still painted, still retained by its old
// superview, or left as the window's first responder.
TEST_F(ViewPainting, RemovalDetachesPaintingAndFirstResponder) {
    NSWindow* w = MakeWindow(50, 50);
    RecordingView* v = new RecordingView(NSMakeRect(0, 0, 20, 20));
    v->takesKeys = true;
    w->contentView()->addSubview(v);
    ASSERT_TRUE(w->makeFirstResponder(v));
    EXPECT_EQ(v->retainCount(), 2u);
    v->removeFromSuperview();
    EXPECT_EQ(v->retainCount(), 1u);
    EXPECT_EQ(v->window(), nullptr);
    EXPECT_EQ(w->firstResponder(), w);
    v->paints.clear();
    w->display();
    EXPECT_TRUE(v->paints.empty());
    v->release();
    w->close();
}

// Catches: a current graphics context left set after painting, or the
// context's flipped flag not following the view.
TEST_F(ViewPainting, CurrentContextIsSetOnlyWhilePainting) {
    struct Probe : FlippedView {
        using FlippedView::FlippedView;
        bool sawPort = false, sawFlipped = false;
        void drawRect(NSRect) override {
            NSGraphicsContext* c = NSGraphicsContext::currentContext();
            sawPort = c && c->graphicsPort();
            sawFlipped = c && c->isFlipped();
        }
    };
    NSWindow* w = MakeWindow(20, 20);
    Probe* p = new Probe(NSMakeRect(0, 0, 10, 10));
    w->contentView()->addSubview(p);
    w->display();
    EXPECT_TRUE(p->sawPort);
    EXPECT_TRUE(p->sawFlipped);
    EXPECT_EQ(NSGraphicsContextCurrentPort(), nullptr);
    p->release();
    w->close();
}

// Catches: an image drawn into a view upside down, which would show the
// editor's bitmap mirrored in every window.
TEST_F(ViewPainting, ImagesDrawUprightInAnUnflippedView) {
    struct ImageView : NSView {
        CGImageRef image;
        ImageView(NSRect r, CGImageRef i) : NSView(r), image(i) {}
        void drawRect(NSRect) override { CGContextDrawImage(NSGraphicsContextCurrentPort(), bounds(), image); }
    };
    // Rows from the top: red, then blue.
    uint32_t data[4] = {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF};
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef bitmap = CGBitmapContextCreate(data, 2, 2, 8, 8, space,
                                                (uint32_t)kCGImageAlphaPremultipliedFirst | (uint32_t)kCGBitmapByteOrder32Little);
    CGImageRef image = CGBitmapContextCreateImage(bitmap);
    CGContextRelease(bitmap);
    CGColorSpaceRelease(space);
    NSWindow* w = MakeWindow(2, 2);
    ImageView* v = new ImageView(NSMakeRect(0, 0, 2, 2), image);
    w->setContentView(v);
    OrvantaAppKitRunPending();
    EXPECT_EQ(OrvantaAppKitPixel(w, 0, 0), kRed);
    EXPECT_EQ(OrvantaAppKitPixel(w, 1, 1), 0x0000FFu);
    v->release();
    w->close();
    CGImageRelease(image);
}

} // namespace
