#include <AppKit/NSMenu.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSTextDrawing.h"

#include <algorithm>

NSViewToolTipOwner::~NSViewToolTipOwner() {}

static NSToolTipTag gNextToolTipTag = 1;

NSView::NSView() = default;

NSView::NSView(NSRect frame) : mFrame(frame) {}

NSView::~NSView()
{
  for (NSView* v : mSubviews)
  {
    v->mSuperview = nullptr;
    v->setNextResponder(nullptr);
    v->setWindowRecursive(nullptr);
    v->release();
  }
  for (NSTrackingArea* a : mTrackingAreas) a->release();
  if (mToolTip) CFRelease(mToolTip);
  if (mMenu) mMenu->release();
}

void NSView::setFrame(NSRect frame)
{
  if (mSuperview) mSuperview->setNeedsDisplayInRect(mFrame);
  mFrame = frame;
  setNeedsDisplay(true);
  updateTrackingAreas();
}

void NSView::setFrameSize(NSSize size) { setFrame(NSMakeRect(mFrame.origin.x, mFrame.origin.y, size.width, size.height)); }

void NSView::setFrameOrigin(NSPoint origin) { setFrame(NSMakeRect(origin.x, origin.y, mFrame.size.width, mFrame.size.height)); }

bool NSView::isFlipped() { return false; }

bool NSView::isOpaque() { return false; }

void NSView::setWindowRecursive(NSWindow* window)
{
  if (mWindow == window) return;
  viewWillMoveToWindow(window);
  if (mWindow) mWindow->forgetView(this);
  for (NSView* v : mSubviews) v->setWindowRecursive(window);
  mWindow = window;
  if (mWindow) setNeedsDisplay(true);
  viewDidMoveToWindow();
}

void NSView::addSubview(NSView* view)
{
  if (!view || view == this || isDescendantOf(view)) return;
  view->retain();
  if (view->mSuperview) view->removeFromSuperview();
  view->viewWillMoveToSuperview(this);
  mSubviews.push_back(view);
  view->mSuperview = this;
  view->setNextResponder(this);
  view->setWindowRecursive(mWindow);
  view->viewDidMoveToSuperview();
  view->setNeedsDisplay(true);
}

void NSView::removeFromSuperview()
{
  NSView* super = mSuperview;
  if (!super) return;
  super->setNeedsDisplayInRect(mFrame);
  viewWillMoveToSuperview(nullptr);
  setWindowRecursive(nullptr);
  super->mSubviews.erase(std::remove(super->mSubviews.begin(), super->mSubviews.end(), this), super->mSubviews.end());
  mSuperview = nullptr;
  setNextResponder(nullptr);
  retain(); // viewDidMoveToSuperview runs on a live object
  viewDidMoveToSuperview();
  release();
  release();
}

bool NSView::isDescendantOf(const NSView* view) const
{
  for (const NSView* v = this; v; v = v->mSuperview)
    if (v == view) return true;
  return false;
}

NSView* NSView::hitTest(NSPoint pointInSuperview)
{
  if (mHidden) return nullptr;
  const NSPoint local = fromSuperview(pointInSuperview);
  if (!NSMouseInRect(local, bounds(), isFlipped())) return nullptr;
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  return this;
}

// Own coordinates to the superview's (the window's for a view without one).
NSPoint NSView::toSuperview(NSPoint p) const
{
  const CGFloat h = mFrame.size.height;
  const CGFloat up = const_cast<NSView*>(this)->isFlipped() ? h - p.y : p.y; // from the bottom edge
  const bool superFlipped = mSuperview && mSuperview->isFlipped();
  return NSMakePoint(mFrame.origin.x + p.x, superFlipped ? mFrame.origin.y + h - up : mFrame.origin.y + up);
}

NSPoint NSView::fromSuperview(NSPoint q) const
{
  const CGFloat h = mFrame.size.height;
  const bool superFlipped = mSuperview && mSuperview->isFlipped();
  const CGFloat up = superFlipped ? h - (q.y - mFrame.origin.y) : q.y - mFrame.origin.y;
  return NSMakePoint(q.x - mFrame.origin.x, const_cast<NSView*>(this)->isFlipped() ? h - up : up);
}

NSPoint NSView::toWindow(NSPoint p) const
{
  for (const NSView* v = this; v; v = v->mSuperview) p = v->toSuperview(p);
  return p;
}

NSPoint NSView::fromWindow(NSPoint p) const
{
  std::vector<const NSView*> chain;
  for (const NSView* v = this; v; v = v->mSuperview) chain.push_back(v);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) p = (*it)->fromSuperview(p);
  return p;
}

NSPoint NSView::convertPointFromView(NSPoint point, const NSView* view) const
{
  return fromWindow(view ? view->toWindow(point) : point);
}

NSPoint NSView::convertPointToView(NSPoint point, const NSView* view) const
{
  const NSPoint w = toWindow(point);
  return view ? view->fromWindow(w) : w;
}

static NSRect RectFromCorners(NSPoint a, NSPoint b)
{
  return NSMakeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y));
}

NSRect NSView::convertRectFromView(NSRect r, const NSView* view) const
{
  return RectFromCorners(convertPointFromView(r.origin, view),
                         convertPointFromView(NSMakePoint(NSMaxX(r), NSMaxY(r)), view));
}

NSRect NSView::convertRectToView(NSRect r, const NSView* view) const
{
  return RectFromCorners(convertPointToView(r.origin, view), convertPointToView(NSMakePoint(NSMaxX(r), NSMaxY(r)), view));
}

NSRect NSView::visibleRect() const
{
  NSRect r = bounds();
  for (const NSView* v = this; v->mSuperview; v = v->mSuperview)
  {
    const NSRect inSuper = NSIntersectionRect(convertRectToView(r, v->mSuperview), v->mSuperview->bounds());
    r = convertRectFromView(inSuper, v->mSuperview);
  }
  return NSIntersectionRect(r, bounds());
}

void NSView::setNeedsDisplay(bool flag)
{
  if (flag) setNeedsDisplayInRect(bounds());
}

void NSView::setNeedsDisplayInRect(NSRect rect)
{
  if (!mWindow || isHiddenOrHasHiddenAncestor()) return;
  const NSRect visible = NSIntersectionRect(rect, visibleRect());
  if (NSIsEmptyRect(visible)) return;
  mWindow->invalidateRect(convertRectToView(visible, nullptr));
}

bool NSView::needsDisplay() const
{
  if (!mWindow) return false;
  const NSRect mine = convertRectToView(visibleRect(), nullptr);
  for (const NSRect& r : mWindow->mDirty)
    if (NSIntersectsRect(r, mine)) return true;
  return false;
}

void NSView::displayIfNeeded()
{
  if (mWindow) mWindow->displayIfNeeded();
}

void NSView::display()
{
  setNeedsDisplay(true);
  displayIfNeeded();
}

void NSView::drawRect(NSRect) {}

void NSView::viewWillMoveToWindow(NSWindow*) {}
void NSView::viewDidMoveToWindow() {}
void NSView::viewWillMoveToSuperview(NSView*) {}
void NSView::viewDidMoveToSuperview() {}

bool NSView::acceptsFirstMouse(NSEvent*) { return false; }

void NSView::setHidden(bool hidden)
{
  if (hidden == mHidden) return;
  if (hidden)
  {
    setNeedsDisplay(true);
    mHidden = true;
    if (mWindow) mWindow->forgetView(this);
  }
  else
  {
    mHidden = false;
    setNeedsDisplay(true);
  }
}

bool NSView::isHiddenOrHasHiddenAncestor() const
{
  for (const NSView* v = this; v; v = v->mSuperview)
    if (v->mHidden) return true;
  return false;
}

void NSView::addTrackingArea(NSTrackingArea* area)
{
  if (!area || std::find(mTrackingAreas.begin(), mTrackingAreas.end(), area) != mTrackingAreas.end()) return;
  area->retain();
  mTrackingAreas.push_back(area);
}

void NSView::removeTrackingArea(NSTrackingArea* area)
{
  auto it = std::find(mTrackingAreas.begin(), mTrackingAreas.end(), area);
  if (it == mTrackingAreas.end()) return;
  mTrackingAreas.erase(it);
  area->release();
}

void NSView::updateTrackingAreas() {}

NSToolTipTag NSView::addToolTipRect(NSRect rect, NSViewToolTipOwner* owner, void* userData)
{
  if (!owner || NSIsEmptyRect(rect)) return 0;
  const NSToolTipTag tag = gNextToolTipTag++;
  mToolTips.push_back({tag, rect, owner, userData});
  return tag;
}

void NSView::removeToolTip(NSToolTipTag tag)
{
  mToolTips.erase(std::remove_if(mToolTips.begin(), mToolTips.end(), [tag](const ToolTip& t) { return t.tag == tag; }),
                  mToolTips.end());
  if (mWindow) mWindow->forgetView(this);
}

void NSView::removeAllToolTips()
{
  mToolTips.clear();
  if (mWindow) mWindow->forgetView(this);
}

void NSView::setToolTip(CFStringRef text)
{
  NSReplaceString(&mToolTip, text);
}

void NSView::setMenu(NSMenu* menu)
{
  if (menu) menu->retain();
  if (mMenu) mMenu->release();
  mMenu = menu;
}

NSMenu* NSView::menuForEvent(NSEvent*) { return mMenu; }

void NSView::rightMouseDown(NSEvent* event)
{
  if (NSMenu* m = menuForEvent(event))
    NSMenu::popUpContextMenu(m, event, this);
  else
    NSResponder::rightMouseDown(event);
}
