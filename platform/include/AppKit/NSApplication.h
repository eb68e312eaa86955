#ifndef APPKIT_NSAPPLICATION_H_
#define APPKIT_NSAPPLICATION_H_

// The application environment: the window system connection, the event
// queue, the list of windows and the key window.
//
// Window systems: X11 (through Xlib, $DISPLAY) or a headless one whose
// clock, events and pixels tests drive (OrvantaAppKitTesting.h). The
// environment variable ORVANTA_APPKIT_BACKEND ("x11" or "headless") chooses;
// without it X11 is used when DISPLAY is set, else headless. The X server is
// contacted only when something first needs the display (a window shown, the
// pointer, the screen's size, the main loop's run), so loading the environment
// alone never depends on it; a display that cannot be opened then leaves the
// windows unshown, with a message on stderr.
// Pixels reach an X server through shared memory (XShm) when it can attach
// it, else through plain XPutImage requests (always with ORVANTA_APPKIT_NO_SHM set).

#include <AppKit/NSEvent.h>
#include <AppKit/NSResponder.h>

#include <vector>

class NSWindow;

// Makes sure the application environment exists (NSApp, the window system).
// Main thread. Always true, and opens no connection to a display.
bool NSApplicationLoad();

typedef NSInteger NSModalResponse;
enum : NSModalResponse {
  NSModalResponseCancel = 0,
  NSModalResponseOK = 1,
  NSModalResponseStop = -1000,
  NSModalResponseAbort = -1001,
};

class NSApplication : public NSResponder
{
public:
  static NSApplication* sharedApplication();

  // Runs the main loop until stop().
  void run();
  void stop(NSObject* sender);
  bool isRunning() const { return mRunning; }

  // The next event that matches `mask`, waiting until `expiration` (a
  // date) while firing the timers of `mode`; null when none came.
  NSEvent* nextEventMatchingMask(NSEventMask mask, NSTimeInterval expiration, CFStringRef mode, bool dequeue);
  // Main thread: hands the event to its window (events without one are dropped).
  virtual void sendEvent(NSEvent* event);
  // Main thread: queues an event (first in line when atStart).
  void postEvent(NSEvent* event, bool atStart);
  void discardEventsMatchingMask(NSEventMask mask, NSTimeInterval beforeDate);

  NSWindow* keyWindow() const { return mKeyWindow; }
  NSWindow* mainWindow() const { return mKeyWindow; }
  const std::vector<NSWindow*>& windows() const { return mWindows; }
  NSWindow* windowWithWindowNumber(NSInteger number) const;
  void activateIgnoringOtherApps(bool flag);
  // Repaints every window that has marked areas.
  void updateWindows();

  // Window-system side.
  void windowCreated(NSWindow* window);
  void windowGone(NSWindow* window);
  void setKeyWindow(NSWindow* window);

private:
  NSApplication();
  ~NSApplication() override;
  bool mRunning = false;
  NSWindow* mKeyWindow = nullptr;
  std::vector<NSWindow*> mWindows;
  std::vector<NSEvent*> mQueue;
};

extern NSApplication* NSApp;

#endif
