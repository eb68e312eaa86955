#ifndef APPKIT_NSWINDOW_H_
#define APPKIT_NSWINDOW_H_

// A window: a content view tree, its pixels, and the routing of events.
// Frames are in screen coordinates (origin at the bottom-left of the main
// display); the window's own coordinates have their origin at the bottom-left
// of the content area. The window keeps its pixels itself (a 32-bit
// CoreGraphics bitmap, no alpha) and hands the changed part to the window
// system after each painting pass.
//
// Event routing (sendEvent): a mouse down goes to the view hitTest finds
// under the pointer (a left click first makes that view first responder
// when it accepts; a click into a window that is not key makes it key and
// reaches the view only when acceptsFirstMouse says so); drags and the
// mouse up go to the view that took the mouse down; wheel events go to the
// view under the pointer; key events and mouse moves (when
// acceptsMouseMovedEvents) go to the first responder. Tracking areas and
// tooltips are updated on every pointer move.
//
// On Linux a host hands a plug-in a native (X11) window id rather than a
// view: the second constructor makes a borderless window inside that
// foreign window, and the plug-in's view goes into its content view.

#include <AppKit/NSNotification.h>
#include <AppKit/NSView.h>

#include <cstdint>
#include <vector>

typedef enum NSWindowStyleMask : NSUInteger {
  NSWindowStyleMaskBorderless = 0,
  NSWindowStyleMaskTitled = 1 << 0,
  NSWindowStyleMaskClosable = 1 << 1,
  NSWindowStyleMaskMiniaturizable = 1 << 2,
  NSWindowStyleMaskResizable = 1 << 3,
} NSWindowStyleMask;

typedef enum NSBackingStoreType : NSUInteger {
  NSBackingStoreRetained = 0,
  NSBackingStoreNonretained = 1,
  NSBackingStoreBuffered = 2,
} NSBackingStoreType;

typedef enum NSWindowOrderingMode : NSInteger {
  NSWindowBelow = -1,
  NSWindowOut = 0,
  NSWindowAbove = 1,
} NSWindowOrderingMode;

typedef NSInteger NSWindowLevel;
static const NSWindowLevel NSNormalWindowLevel = 0;
static const NSWindowLevel NSFloatingWindowLevel = 3;
static const NSWindowLevel NSPopUpMenuWindowLevel = 101;

class NSWindow;

class NSWindowDelegate
{
public:
  virtual ~NSWindowDelegate();
  // Main thread: the close box was pressed; false keeps the window open. Default true.
  virtual bool windowShouldClose(NSWindow* sender);
  // Main thread: the window is about to close. Default: nothing.
  virtual void windowWillClose(NSNotification* notification);
};

extern const CFStringRef NSWindowWillCloseNotification;

class NSWindowSurface;

class NSWindow : public NSResponder
{
public:
  // initWithContentRect:styleMask:backing:defer:. The content rectangle is in screen coordinates.
  NSWindow(NSRect contentRect, NSWindowStyleMask style, NSBackingStoreType backing, bool defer);
  // A borderless window embedded in the native window `parentWindowID`, its
  // content rectangle's origin given from the parent's top-left corner in
  // pixels (the parent's own convention). Shown at once.
  NSWindow(uintptr_t parentWindowID, NSRect contentRect);

  NSView* contentView() const { return mContentView; }
  // Retains the view, sizes it to the content area, and releases the old one.
  void setContentView(NSView* view);

  NSRect frame() const { return mFrame; }
  NSRect contentRectForFrameRect(NSRect frame) const { return frame; }
  void setFrame(NSRect frame, bool display);
  void setFrameOrigin(NSPoint origin);
  void setContentSize(NSSize size);
  NSWindowStyleMask styleMask() const { return mStyle; }
  void setTitle(CFStringRef title);
  CFStringRef title() const { return mTitle; }

  void makeKeyAndOrderFront(NSObject* sender);
  void orderFront(NSObject* sender);
  void orderOut(NSObject* sender);
  bool isVisible() const { return mVisible; }
  void makeKeyWindow();
  bool isKeyWindow() const;
  // Main thread; must not allocate. Titled windows and embedded windows can; borderless ones cannot.
  virtual bool canBecomeKeyWindow();

  NSResponder* firstResponder() const { return mFirstResponder; }
  // Asks the current first responder to resign and the new one to accept;
  // null (or a refusal) makes the window itself first responder. False when
  // the current one refuses to resign.
  bool makeFirstResponder(NSResponder* responder);
  void setAcceptsMouseMovedEvents(bool flag) { mAcceptsMouseMoved = flag; }
  bool acceptsMouseMovedEvents() const { return mAcceptsMouseMoved; }

  // Main thread: routes one event (see above).
  virtual void sendEvent(NSEvent* event);

  // Closes the window; it is released when isReleasedWhenClosed (the default).
  void close();
  // The close box: asks the delegate, then closes.
  void performClose(NSObject* sender);
  void setReleasedWhenClosed(bool flag) { mReleasedWhenClosed = flag; }
  bool isReleasedWhenClosed() const { return mReleasedWhenClosed; }
  void setDelegate(NSWindowDelegate* delegate) { mDelegate = delegate; }
  NSWindowDelegate* delegate() const { return mDelegate; }

  // Popup-menu level and above: shown above everything, without decoration
  // or focus (menus, tooltips). Set before the window is first shown.
  void setLevel(NSWindowLevel level) { mLevel = level; }
  NSWindowLevel level() const { return mLevel; }
  void setOpaque(bool flag) { mOpaque = flag; }
  bool isOpaque() const { return mOpaque; }
  void setHasShadow(bool flag) { mHasShadow = flag; }
  void setCanHide(bool flag) { mCanHide = flag; }

  NSInteger windowNumber() const { return mNumber; }
  // The native window (the X11 window id; 0 without a window system).
  uintptr_t windowRef() const;

  // Main thread: paints every view part that is marked, and hands the changed pixels to the window system.
  void displayIfNeeded();
  // Main thread: marks all of the window and paints it.
  void display();
  bool viewsNeedDisplay() const { return !mDirty.empty(); }
  // Window coordinates; called by views.
  void invalidateRect(NSRect windowRect);

  NSRect convertRectToScreen(NSRect rect) const;
  NSRect convertRectFromScreen(NSRect rect) const;
  NSPoint convertPointToScreen(NSPoint point) const;
  NSPoint convertPointFromScreen(NSPoint point) const;
  NSPoint mouseLocationOutsideOfEventStream() const;

  void addChildWindow(NSWindow* child, NSWindowOrderingMode place);
  void removeChildWindow(NSWindow* child);
  const std::vector<NSWindow*>& childWindows() const { return mChildren; }
  NSWindow* parentWindow() const { return mParent; }

  // The window's pixels: 32-bit words 0x00RRGGBB, rows from the top.
  const uint32_t* pixels() const;
  size_t pixelsPerRow() const;
  // The tooltip being shown (get rule), or null.
  CFStringRef shownToolTip() const { return mShownToolTip; }

  // Window-system side (backends): the content area moved or changed size.
  void nativeFrameChanged(NSRect frame);
  // Window-system side: the native window must show this window-coordinate area again.
  void nativeExposed(NSRect windowRect);
  NSWindowSurface* surface() const { return mSurface; }

protected:
  ~NSWindow() override;

private:
  void init(NSRect contentRect, NSWindowStyleMask style);
  NSWindowSurface* nativeSurface();
  void teardown();
  void resizeBacking();
  void drawView(NSView* view, NSRect windowRect);
  void present(NSRect windowRect);
  void trackPointer(NSEvent* event);
  void updateToolTip(NSPoint windowPoint, bool moved);
  void forgetView(NSView* view);
  friend class NSView;
  void toolTipTimerFired();
  void hideToolTip();

  NSRect mFrame;
  NSWindowStyleMask mStyle;
  NSInteger mNumber;
  NSView* mContentView = nullptr;
  NSResponder* mFirstResponder = nullptr;
  NSView* mMouseView = nullptr;
  NSWindowDelegate* mDelegate = nullptr;
  NSWindow* mParent = nullptr;
  std::vector<NSWindow*> mChildren;
  CFStringRef mTitle = nullptr;
  std::vector<NSRect> mDirty;
  CGContextRef mBacking = nullptr;
  NSWindowSurface* mSurface = nullptr;
  bool mVisible = false;
  bool mAcceptsMouseMoved = false;
  bool mReleasedWhenClosed = true;
  bool mOpaque = true;
  bool mHasShadow = true;
  bool mCanHide = true;
  bool mClosed = false;
  bool mEmbedded = false;
  uintptr_t mParentID = 0;
  NSWindowLevel mLevel = NSNormalWindowLevel;
  // Tooltip tracking: where the pointer rests, since when, what is shown.
  NSPoint mPointer{-1, -1};
  double mRestSince = 0;
  bool mPointerInside = false;
  CFStringRef mShownToolTip = nullptr;
  class NSTimer* mToolTipTimer = nullptr;
  NSWindow* mToolTipWindow = nullptr;
};

#endif
