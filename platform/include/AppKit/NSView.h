#ifndef APPKIT_NSVIEW_H_
#define APPKIT_NSVIEW_H_

// A rectangle of a window that draws itself and takes events.
//
// Geometry: frame() is in the superview's coordinates (the window's for a
// content view); bounds() is the view's own, origin (0, 0). A view's own
// coordinates have their origin at its bottom-left with y growing upward,
// unless isFlipped() answers true: then the origin is its top-left and y
// grows downward. convertPoint/convertRect take null for the window.
//
// Painting: setNeedsDisplayInRect marks part of the view; the window later
// (once per pass of the run loop) calls drawRect with the bounding box of
// everything marked, in the view's coordinates, with the current graphics
// context (NSGraphicsContextCurrentPort) set up so that drawing in the
// view's coordinates lands in the window, clipped to that box. Superviews
// draw before their subviews.
//
// Objective-C names: a message is a member function named after its first
// keyword; when AppKit has two messages that share that keyword, the next
// keyword is appended (convertPoint:fromView: is convertPointFromView), and
// a first keyword that only names the caller gets the next one appended
// (view:stringForToolTip:point:userData: is viewStringForToolTip).

#include <AppKit/NSResponder.h>
#include <AppKit/NSTrackingArea.h>

#include <vector>

class NSWindow;
class NSView;

typedef NSInteger NSToolTipTag;

// The owner of tooltip rectangles (addToolTipRect).
class NSViewToolTipOwner
{
public:
  virtual ~NSViewToolTipOwner();
  // Main thread; may allocate. The text to show for the rectangle `tag` of
  // `view`, with the pointer at `point` (view coordinates): a new string the
  // caller releases, or null / empty for no tooltip.
  virtual CFStringRef viewStringForToolTip(NSView* view, NSToolTipTag tag, NSPoint point, void* userData) = 0;
};

class NSView : public NSResponder
{
public:
  NSView();                     // init: a zero frame
  explicit NSView(NSRect frame); // initWithFrame:

  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  // Main thread. Marks the old and new areas for display.
  virtual void setFrame(NSRect frame);
  void setFrameSize(NSSize size);
  void setFrameOrigin(NSPoint origin);

  // Main thread; must not allocate. Default false.
  virtual bool isFlipped();
  // Main thread; must not allocate. Whether drawRect covers every pixel it
  // is given (default false); a superview beneath an opaque view is not
  // asked to draw what the view covers.
  virtual bool isOpaque();

  NSView* superview() const { return mSuperview; }
  NSWindow* window() const { return mWindow; }
  const std::vector<NSView*>& subviews() const { return mSubviews; }
  // Retains the view and puts it above its siblings; takes it from its old superview first.
  void addSubview(NSView* view);
  // Main thread. Takes the view out of its superview and window (releasing
  // it); ends its tooltips, tracking and first-responder status.
  virtual void removeFromSuperview();
  bool isDescendantOf(const NSView* view) const;

  // Main thread: the deepest visible subview (or this view) under a point
  // given in the superview's coordinates; null when outside.
  virtual NSView* hitTest(NSPoint pointInSuperview);

  NSPoint convertPointFromView(NSPoint point, const NSView* view) const;
  NSPoint convertPointToView(NSPoint point, const NSView* view) const;
  NSRect convertRectFromView(NSRect rect, const NSView* view) const;
  NSRect convertRectToView(NSRect rect, const NSView* view) const;

  void setNeedsDisplay(bool flag);
  void setNeedsDisplayInRect(NSRect rect);
  bool needsDisplay() const;
  // Main thread: paints at once what is marked in the window (displayIfNeeded) or all of the view (display).
  void displayIfNeeded();
  void display();
  // Main thread; may allocate; must not block. Paints `dirtyRect` (view coordinates). Default: nothing.
  virtual void drawRect(NSRect dirtyRect);
  // The part of the bounds not clipped away by superviews.
  NSRect visibleRect() const;

  // Main thread; may allocate. Around joining or leaving a window or superview.
  virtual void viewWillMoveToWindow(NSWindow* newWindow);
  virtual void viewDidMoveToWindow();
  virtual void viewWillMoveToSuperview(NSView* newSuperview);
  virtual void viewDidMoveToSuperview();
  // Main thread: whether a click into an inactive window already reaches this view (default false).
  virtual bool acceptsFirstMouse(NSEvent* event);

  void setHidden(bool hidden);
  bool isHidden() const { return mHidden; }
  bool isHiddenOrHasHiddenAncestor() const;

  // Retains the area until it is removed or the view is freed.
  void addTrackingArea(NSTrackingArea* area);
  void removeTrackingArea(NSTrackingArea* area);
  const std::vector<NSTrackingArea*>& trackingAreas() const { return mTrackingAreas; }
  // Main thread: the window asks views to refresh their areas after geometry changes. Default: nothing.
  virtual void updateTrackingAreas();

  // A rectangle (view coordinates) whose tooltip text the owner supplies when
  // the pointer rests in it. The owner is not retained.
  NSToolTipTag addToolTipRect(NSRect rect, NSViewToolTipOwner* owner, void* userData);
  void removeToolTip(NSToolTipTag tag);
  void removeAllToolTips();
  // A fixed tooltip for the whole view (copied; null removes it).
  void setToolTip(CFStringRef text);
  CFStringRef toolTip() const { return mToolTip; }

  NSMenu* menu() const { return mMenu; }
  void setMenu(NSMenu* menu);
  // Main thread: pops up menuForEvent's menu, else passes the click on.
  void rightMouseDown(NSEvent* event) override;
  // Main thread: menu() by default.
  NSMenu* menuForEvent(NSEvent* event) override;

  struct ToolTip
  {
    NSToolTipTag tag;
    NSRect rect;
    NSViewToolTipOwner* owner;
    void* userData;
  };
  const std::vector<ToolTip>& toolTipRects() const { return mToolTips; }

protected:
  ~NSView() override;

private:
  friend class NSWindow;
  void setWindowRecursive(NSWindow* window);
  NSPoint toSuperview(NSPoint p) const;
  NSPoint fromSuperview(NSPoint p) const;
  NSPoint toWindow(NSPoint p) const;
  NSPoint fromWindow(NSPoint p) const;

  NSRect mFrame{{0, 0}, {0, 0}};
  NSView* mSuperview = nullptr;
  NSWindow* mWindow = nullptr;
  std::vector<NSView*> mSubviews;
  std::vector<NSTrackingArea*> mTrackingAreas;
  std::vector<ToolTip> mToolTips;
  CFStringRef mToolTip = nullptr;
  NSMenu* mMenu = nullptr;
  bool mHidden = false;
};

#endif
