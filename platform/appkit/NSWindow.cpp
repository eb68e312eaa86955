#include <AppKit/NSApplication.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSTimer.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSTextDrawing.h"
#include "appkit/NSWindowSystem.h"

#include <algorithm>
#include <cmath>
#include <functional>

const CFStringRef NSWindowWillCloseNotification = CFSTR("NSWindowWillCloseNotification");

// How long the pointer rests before a tooltip shows (AppKit's default).
static const double kToolTipDelay = 1.0;

NSWindowDelegate::~NSWindowDelegate() {}
bool NSWindowDelegate::windowShouldClose(NSWindow*) { return true; }
void NSWindowDelegate::windowWillClose(NSNotification*) {}

static NSInteger gNextWindowNumber = 1;

namespace {

// The content of a tooltip window: the text on a pale yellow ground.
class ToolTipView : public NSView
{
public:
  ToolTipView(NSRect frame, CFStringRef text) : NSView(frame), mText((CFStringRef)CFRetain(text)) {}
  static NSSize sizeFor(CFStringRef text)
  {
    CTFontRef font = NSCreateSystemFont(11);
    NSTextLine line(text, font, nullptr);
    CFRelease(font);
    return NSMakeSize(std::ceil(line.width) + 8, 17);
  }
  void drawRect(NSRect) override
  {
    CGContextRef c = NSGraphicsContextCurrentPort();
    const NSRect b = bounds();
    NSDrawPanel(c, b, 0.55, 1.0, 1.0, 0.82);
    CTFontRef font = NSCreateSystemFont(11);
    CGColorRef black = NSCreateColor(0, 0, 0);
    NSTextLine line(mText, font, black);
    line.draw(c, 4, std::floor((b.size.height - line.ascent + line.descent) / 2 + line.descent - 1) + 1);
    CGColorRelease(black);
    CFRelease(font);
  }

protected:
  ~ToolTipView() override { CFRelease(mText); }

private:
  CFStringRef mText;
};

void ForEachView(NSView* v, const std::function<void(NSView*)>& f)
{
  if (!v) return;
  v->retain();
  f(v);
  std::vector<NSView*> subs = v->subviews();
  for (NSView* s : subs) ForEachView(s, f);
  v->release();
}

} // namespace

NSWindow::NSWindow(NSRect contentRect, NSWindowStyleMask style, NSBackingStoreType, bool)
{
  init(contentRect, style);
}

NSWindow::NSWindow(uintptr_t parentWindowID, NSRect contentRect)
{
  mEmbedded = true;
  mParentID = parentWindowID;
  init(contentRect, NSWindowStyleMaskBorderless);
  orderFront(nullptr);
}

void NSWindow::init(NSRect contentRect, NSWindowStyleMask style)
{
  NSApplicationLoad();
  mFrame = NSIntegralRect(contentRect);
  if (mFrame.size.width < 1) mFrame.size.width = 1;
  if (mFrame.size.height < 1) mFrame.size.height = 1;
  mStyle = style;
  mNumber = gNextWindowNumber++;
  mFirstResponder = this;
  resizeBacking();
  mContentView = new NSView(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
  mContentView->setNextResponder(this);
  mContentView->setWindowRecursive(this);
  NSApp->windowCreated(this);
}

NSWindowSurface* NSWindow::nativeSurface()
{
  if (!mSurface && !mClosed)
  {
    NSSurfaceKind kind = mEmbedded                      ? NSSurfaceKind::Embedded
                         : mLevel >= NSPopUpMenuWindowLevel ? NSSurfaceKind::Popup
                         : (mStyle & NSWindowStyleMaskTitled) ? NSSurfaceKind::Titled
                                                             : NSSurfaceKind::Borderless;
    mSurface = NSWindowSystem::Get()->createSurface(this, mFrame, kind, mParentID);
    if (mSurface && mTitle) mSurface->setTitle(NSUtf8(mTitle));
  }
  return mSurface;
}

void NSWindow::resizeBacking()
{
  const size_t w = (size_t)mFrame.size.width, h = (size_t)mFrame.size.height;
  if (mBacking && CGBitmapContextGetWidth(mBacking) == w && CGBitmapContextGetHeight(mBacking) == h) return;
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef backing =
      CGBitmapContextCreate(nullptr, w, h, 8, w * 4, space, (uint32_t)kCGImageAlphaNoneSkipFirst | (uint32_t)kCGBitmapByteOrder32Little);
  CGColorSpaceRelease(space);
  if (!backing) return; // keeps the old pixels rather than none
  if (mBacking) CGContextRelease(mBacking);
  mBacking = backing;
  mDirty.clear();
  invalidateRect(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
}

void NSWindow::teardown()
{
  hideToolTip();
  if (mToolTipTimer)
  {
    mToolTipTimer->invalidate();
    mToolTipTimer = nullptr;
  }
  for (NSWindow* child : std::vector<NSWindow*>(mChildren)) removeChildWindow(child);
  if (mParent) mParent->removeChildWindow(this);
  if (NSApp && NSApp->keyWindow() == this) NSApp->setKeyWindow(nullptr);
  if (NSApp) NSApp->windowGone(this);
  delete mSurface;
  mSurface = nullptr;
  mVisible = false;
}

NSWindow::~NSWindow()
{
  if (!mClosed) teardown();
  if (mContentView)
  {
    mContentView->setWindowRecursive(nullptr);
    mContentView->release();
  }
  if (mBacking) CGContextRelease(mBacking);
  if (mTitle) CFRelease(mTitle);
}

void NSWindow::setContentView(NSView* view)
{
  if (view == mContentView) return;
  if (view)
  {
    view->retain();
    if (view->superview()) view->removeFromSuperview();
  }
  if (mContentView)
  {
    mContentView->setWindowRecursive(nullptr);
    mContentView->setNextResponder(nullptr);
    mContentView->release();
  }
  mContentView = view;
  mFirstResponder = this;
  mMouseView = nullptr;
  if (view)
  {
    view->mFrame = NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height);
    view->setNextResponder(this);
    view->setWindowRecursive(this);
  }
  invalidateRect(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
}

void NSWindow::setFrame(NSRect frame, bool displayNow)
{
  frame = NSIntegralRect(frame);
  if (frame.size.width < 1 || frame.size.height < 1) return;
  mFrame = frame;
  resizeBacking();
  if (mContentView) mContentView->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
  if (mSurface) mSurface->setFrame(frame);
  if (displayNow) display();
}

void NSWindow::setFrameOrigin(NSPoint origin)
{
  setFrame(NSMakeRect(origin.x, origin.y, mFrame.size.width, mFrame.size.height), false);
}

void NSWindow::setContentSize(NSSize size)
{
  // Keeps the top-left corner where it is, as AppKit does.
  setFrame(NSMakeRect(mFrame.origin.x, NSMaxY(mFrame) - size.height, size.width, size.height), false);
}

void NSWindow::nativeFrameChanged(NSRect frame)
{
  frame = NSIntegralRect(frame);
  if (frame.size.width < 1 || frame.size.height < 1) return;
  const bool resized = !CGSizeEqualToSize(frame.size, mFrame.size);
  mFrame = frame;
  if (!resized) return;
  resizeBacking();
  if (mContentView) mContentView->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
}

void NSWindow::nativeExposed(NSRect windowRect) { present(windowRect); }

void NSWindow::setTitle(CFStringRef title)
{
  NSReplaceString(&mTitle, title);
  if (mSurface) mSurface->setTitle(NSUtf8(mTitle));
}

void NSWindow::makeKeyAndOrderFront(NSObject* sender)
{
  orderFront(sender);
  makeKeyWindow();
}

void NSWindow::orderFront(NSObject*)
{
  if (mClosed) return;
  NSWindowSurface* s = nativeSurface();
  const bool wasVisible = mVisible;
  mVisible = true;
  if (s)
  {
    s->setVisible(true);
    s->raise();
  }
  if (!wasVisible) display();
}

void NSWindow::orderOut(NSObject*)
{
  if (!mVisible) return;
  mVisible = false;
  hideToolTip();
  if (mSurface) mSurface->setVisible(false);
  if (isKeyWindow()) NSApp->setKeyWindow(nullptr);
}

void NSWindow::makeKeyWindow()
{
  if (!mClosed && canBecomeKeyWindow()) NSApp->setKeyWindow(this);
}

bool NSWindow::isKeyWindow() const { return NSApp && NSApp->keyWindow() == this; }

bool NSWindow::canBecomeKeyWindow() { return mEmbedded || (mStyle & NSWindowStyleMaskTitled); }

uintptr_t NSWindow::windowRef() const { return mSurface ? mSurface->nativeID() : 0; }

bool NSWindow::makeFirstResponder(NSResponder* responder)
{
  if (responder == mFirstResponder) return true;
  if (mFirstResponder && mFirstResponder != this)
  {
    if (!mFirstResponder->resignFirstResponder()) return false;
  }
  mFirstResponder = this;
  if (responder && responder != this && responder->acceptsFirstResponder() && responder->becomeFirstResponder())
  {
    mFirstResponder = responder;
    return true;
  }
  return !responder || responder == this;
}

void NSWindow::forgetView(NSView* view)
{
  if (mMouseView && mMouseView->isDescendantOf(view)) mMouseView = nullptr;
  if (NSView* fr = dynamic_cast<NSView*>(mFirstResponder))
    if (fr->isDescendantOf(view)) mFirstResponder = this;
  hideToolTip();
}

void NSWindow::sendEvent(NSEvent* event)
{
  if (!event || mClosed) return;
  retain(); // a handler may close the window
  event->retain();
  const NSPoint p = event->locationInWindow();
  switch (event->type())
  {
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    case NSEventTypeOtherMouseDown:
    {
      hideToolTip();
      NSView* hit = mContentView ? mContentView->hitTest(p) : nullptr;
      const bool wasKey = isKeyWindow();
      if (!wasKey) makeKeyWindow();
      if (!hit) break;
      if (!wasKey && !hit->acceptsFirstMouse(event)) break;
      if (event->type() == NSEventTypeLeftMouseDown && hit != mFirstResponder && hit->acceptsFirstResponder())
        makeFirstResponder(hit);
      mMouseView = hit;
      hit->retain();
      if (event->type() == NSEventTypeLeftMouseDown)
        hit->mouseDown(event);
      else if (event->type() == NSEventTypeRightMouseDown)
        hit->rightMouseDown(event);
      else
        hit->otherMouseDown(event);
      hit->release();
      break;
    }
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
    case NSEventTypeOtherMouseDragged:
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
    case NSEventTypeOtherMouseUp:
    {
      trackPointer(event);
      NSView* target = mMouseView;
      if (!target) break;
      target->retain();
      switch (event->type())
      {
        case NSEventTypeLeftMouseDragged: target->mouseDragged(event); break;
        case NSEventTypeRightMouseDragged: target->rightMouseDragged(event); break;
        case NSEventTypeOtherMouseDragged: target->otherMouseDragged(event); break;
        case NSEventTypeLeftMouseUp: target->mouseUp(event); break;
        case NSEventTypeRightMouseUp: target->rightMouseUp(event); break;
        default: target->otherMouseUp(event); break;
      }
      target->release();
      if (event->type() == NSEventTypeLeftMouseUp || event->type() == NSEventTypeRightMouseUp ||
          event->type() == NSEventTypeOtherMouseUp)
        mMouseView = nullptr;
      break;
    }
    case NSEventTypeMouseMoved:
      trackPointer(event);
      if (mAcceptsMouseMoved && mFirstResponder) mFirstResponder->mouseMoved(event);
      break;
    case NSEventTypeMouseExited:
      // From the window system: the pointer left the window.
      trackPointer(event);
      break;
    case NSEventTypeScrollWheel:
      if (NSView* hit = mContentView ? mContentView->hitTest(p) : nullptr) hit->scrollWheel(event);
      break;
    case NSEventTypeKeyDown:
      hideToolTip();
      if (mFirstResponder) mFirstResponder->keyDown(event);
      break;
    case NSEventTypeKeyUp:
      if (mFirstResponder) mFirstResponder->keyUp(event);
      break;
    case NSEventTypeFlagsChanged:
      if (mFirstResponder) mFirstResponder->flagsChanged(event);
      break;
    default: break;
  }
  event->release();
  release();
}

void NSWindow::trackPointer(NSEvent* event)
{
  const bool left = event->type() == NSEventTypeMouseExited;
  const NSPoint p = event->locationInWindow();
  const bool dragging = event->type() == NSEventTypeLeftMouseDragged ||
                        event->type() == NSEventTypeRightMouseDragged ||
                        event->type() == NSEventTypeOtherMouseDragged;
  ForEachView(mContentView, [&](NSView* v) {
    std::vector<NSTrackingArea*> areas = v->trackingAreas();
    for (NSTrackingArea* a : areas)
    {
      if (dragging && !(a->options() & NSTrackingEnabledDuringMouseDrag)) continue;
      const NSRect local = (a->options() & NSTrackingInVisibleRect) ? v->visibleRect() : a->rect();
      const NSRect inWindow = v->convertRectToView(local, nullptr);
      const bool inside = !left && !v->isHiddenOrHasHiddenAncestor() && NSPointInRect(p, inWindow);
      NSResponder* owner = a->owner();
      if (!owner) continue;
      if (inside != a->mInside)
      {
        a->mInside = inside;
        if (a->options() & NSTrackingMouseEnteredAndExited)
        {
          NSEvent* e = NSEvent::enterExitEventWithType(inside ? NSEventTypeMouseEntered : NSEventTypeMouseExited, p,
                                                       event->modifierFlags(), event->timestamp(), mNumber, 0,
                                                       a->userInfo());
          if (inside)
            owner->mouseEntered(e);
          else
            owner->mouseExited(e);
        }
      }
      if (inside && event->type() == NSEventTypeMouseMoved && (a->options() & NSTrackingMouseMoved))
        owner->mouseMoved(event);
    }
  });
  updateToolTip(p, !left);
}

void NSWindow::hideToolTip()
{
  if (mShownToolTip)
  {
    CFRelease(mShownToolTip);
    mShownToolTip = nullptr;
  }
  if (mToolTipWindow)
  {
    NSWindow* w = mToolTipWindow;
    mToolTipWindow = nullptr;
    w->close();
  }
}

void NSWindow::updateToolTip(NSPoint windowPoint, bool inside)
{
  if (mShownToolTip && !NSEqualPoints(windowPoint, mPointer)) hideToolTip();
  mPointer = windowPoint;
  mPointerInside = inside;
  if (mToolTipTimer)
  {
    mToolTipTimer->invalidate();
    mToolTipTimer = nullptr;
  }
  if (!inside) return;
  mToolTipTimer = NSTimer::timerWithTimeInterval(kToolTipDelay, false, [this](NSTimer*) {
    mToolTipTimer = nullptr;
    toolTipTimerFired();
  });
  NSRunLoop::mainRunLoop()->addTimer(mToolTipTimer, NSRunLoopCommonModes);
}

void NSWindow::toolTipTimerFired()
{
  if (!mPointerInside || !mContentView || mClosed) return;
  CFStringRef text = nullptr;
  for (NSView* v = mContentView->hitTest(mPointer); v && !text; v = v->superview())
  {
    const NSPoint local = v->convertPointFromView(mPointer, nullptr);
    for (const NSView::ToolTip& t : std::vector<NSView::ToolTip>(v->toolTipRects()))
      if (NSMouseInRect(local, t.rect, v->isFlipped()))
      {
        text = t.owner->viewStringForToolTip(v, t.tag, local, t.userData);
        if (text && CFStringGetLength(text) == 0)
        {
          CFRelease(text);
          text = nullptr;
        }
        if (text) break;
      }
    if (!text && v->toolTip() && CFStringGetLength(v->toolTip()) > 0) text = CFStringCreateCopy(nullptr, v->toolTip());
  }
  if (!text) return;
  hideToolTip();
  mShownToolTip = text;
  const NSSize size = ToolTipView::sizeFor(text);
  const NSPoint screen = convertPointToScreen(mPointer);
  mToolTipWindow = new NSWindow(NSMakeRect(screen.x, screen.y - 22 - size.height, size.width, size.height),
                                NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  mToolTipWindow->setLevel(NSPopUpMenuWindowLevel);
  mToolTipWindow->setReleasedWhenClosed(true);
  NSView* view = new ToolTipView(NSMakeRect(0, 0, size.width, size.height), text);
  mToolTipWindow->setContentView(view);
  view->release();
  mToolTipWindow->orderFront(nullptr);
}

void NSWindow::close()
{
  if (mClosed) return;
  retain();
  if (mDelegate)
  {
    NSNotification* n = new NSNotification(NSWindowWillCloseNotification, this, nullptr);
    mDelegate->windowWillClose(n);
    n->release();
  }
  orderOut(nullptr);
  teardown();
  mClosed = true;
  if (mContentView) mContentView->setWindowRecursive(nullptr);
  release();
  if (mReleasedWhenClosed) release();
}

void NSWindow::performClose(NSObject*)
{
  if (!mDelegate || mDelegate->windowShouldClose(this)) close();
}

void NSWindow::invalidateRect(NSRect windowRect)
{
  const NSRect r = NSIntersectionRect(NSIntegralRect(windowRect), NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
  if (NSIsEmptyRect(r)) return;
  for (const NSRect& d : mDirty)
    if (CGRectContainsRect(d, r)) return;
  mDirty.push_back(r);
}

void NSWindow::display()
{
  invalidateRect(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
  displayIfNeeded();
}

void NSWindow::drawView(NSView* view, NSRect area)
{
  if (view->isHidden()) return;
  const NSRect visible = view->convertRectToView(view->visibleRect(), nullptr);
  const NSRect r = NSIntersectionRect(area, visible);
  if (NSIsEmptyRect(r)) return;
  const NSPoint o = view->toWindow(NSZeroPoint);
  const NSPoint ex = view->toWindow(NSMakePoint(1, 0)), ey = view->toWindow(NSMakePoint(0, 1));
  const CGAffineTransform toWindow = {ex.x - o.x, ex.y - o.y, ey.x - o.x, ey.y - o.y, o.x, o.y};
  CGContextSaveGState(mBacking);
  CGContextClipToRect(mBacking, r);
  CGContextConcatCTM(mBacking, toWindow);
  CGContextRef previousPort = NSGraphicsContextSetCurrentPort(mBacking);
  const bool previousFlipped = NSGraphicsContextCurrentIsFlipped();
  NSGraphicsContextSetCurrentFlipped(view->isFlipped());
  view->drawRect(view->convertRectFromView(r, nullptr));
  NSGraphicsContextSetCurrentFlipped(previousFlipped);
  NSGraphicsContextSetCurrentPort(previousPort);
  CGContextRestoreGState(mBacking);
  std::vector<NSView*> subs = view->subviews();
  for (NSView* s : subs)
  {
    s->retain();
    if (s->superview() == view) drawView(s, r);
    s->release();
  }
}

void NSWindow::displayIfNeeded()
{
  if (mDirty.empty() || !mBacking || mClosed) return;
  NSAutoreleasePool pool;
  retain();
  NSRect area = NSZeroRect;
  for (const NSRect& d : mDirty) area = NSUnionRect(area, d);
  mDirty.clear();
  // The window's own background first, then the views in tree order.
  CGContextSaveGState(mBacking);
  CGColorRef background = NSColorCreateWindowBackgroundColor();
  CGContextSetFillColorWithColor(mBacking, background);
  CGContextFillRect(mBacking, area);
  CGColorRelease(background);
  CGContextRestoreGState(mBacking);
  if (mContentView)
  {
    mContentView->retain();
    drawView(mContentView, area);
    mContentView->release();
  }
  present(area);
  release();
}

void NSWindow::present(NSRect r)
{
  r = NSIntersectionRect(NSIntegralRect(r), NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
  if (NSIsEmptyRect(r) || !mVisible) return;
  NSWindowSurface* s = nativeSurface();
  if (!s) return;
  const int h = (int)mFrame.size.height;
  s->present(pixels(), pixelsPerRow(), (int)r.origin.x, h - (int)NSMaxY(r), (int)r.size.width, (int)r.size.height);
}

const uint32_t* NSWindow::pixels() const { return mBacking ? (const uint32_t*)CGBitmapContextGetData(mBacking) : nullptr; }

size_t NSWindow::pixelsPerRow() const { return mBacking ? CGBitmapContextGetBytesPerRow(mBacking) / 4 : 0; }

NSRect NSWindow::convertRectToScreen(NSRect rect) const { return NSOffsetRect(rect, mFrame.origin.x, mFrame.origin.y); }

NSRect NSWindow::convertRectFromScreen(NSRect rect) const { return NSOffsetRect(rect, -mFrame.origin.x, -mFrame.origin.y); }

NSPoint NSWindow::convertPointToScreen(NSPoint p) const { return NSMakePoint(p.x + mFrame.origin.x, p.y + mFrame.origin.y); }

NSPoint NSWindow::convertPointFromScreen(NSPoint p) const { return NSMakePoint(p.x - mFrame.origin.x, p.y - mFrame.origin.y); }

NSPoint NSWindow::mouseLocationOutsideOfEventStream() const { return convertPointFromScreen(NSEvent::mouseLocation()); }

void NSWindow::addChildWindow(NSWindow* child, NSWindowOrderingMode)
{
  if (!child || child == this || child->mParent == this) return;
  if (child->mParent) child->mParent->removeChildWindow(child);
  child->mParent = this;
  mChildren.push_back(child);
  if (mVisible) child->orderFront(nullptr);
}

void NSWindow::removeChildWindow(NSWindow* child)
{
  auto it = std::find(mChildren.begin(), mChildren.end(), child);
  if (it == mChildren.end()) return;
  mChildren.erase(it);
  child->mParent = nullptr;
}
