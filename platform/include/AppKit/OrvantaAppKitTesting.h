#ifndef APPKIT_ORVANTA_APPKIT_TESTING_H_
#define APPKIT_ORVANTA_APPKIT_TESTING_H_

// Test hooks of the window-system stand-in. Not part of the platform's
// published interface: only tests (and tools that render without a
// display) include this header. Main thread only.

#include <AppKit/NSApplication.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSWindow.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Chooses the headless window system; call before anything else of AppKit.
void OrvantaAppKitUseHeadless();
// True when windows reach no display; with X11 chosen this opens the
// connection to find out, so ask only when about to show a window.
bool OrvantaAppKitIsHeadless();

// The headless clock: runs the main loop in the default mode until the clock
// has moved on by `seconds`, firing every timer on its exact date on the way.
void OrvantaAppKitAdvanceClock(double seconds);
// Delivers the queued events, fires the timers that are due and repaints, without moving the clock.
void OrvantaAppKitRunPending();

// Posts a synthetic event for `window` (location in window coordinates) and
// runs it through the loop. The timestamp is the clock's time.
void OrvantaAppKitMouse(NSWindow* window, NSEventType type, NSPoint location, NSUInteger modifierFlags = 0,
                        NSInteger clickCount = 1);
void OrvantaAppKitScroll(NSWindow* window, NSPoint location, CGFloat deltaY, NSUInteger modifierFlags = 0);
// A key down (and, when `andUp`, its key up) with the given characters.
void OrvantaAppKitKey(NSWindow* window, unsigned short keyCode, const char* characters,
                      const char* charactersIgnoringModifiers = nullptr, NSUInteger modifierFlags = 0,
                      bool andUp = true);
// Where NSEvent::mouseLocation says the pointer is (screen coordinates).
void OrvantaAppKitSetPointer(NSPoint screenPoint);
bool OrvantaAppKitCursorVisible();

// One pixel of the window as 0x00RRGGBB, (x, y) counted from the top-left.
uint32_t OrvantaAppKitPixel(NSWindow* window, int x, int y);

// Live NSObjects (every class of the stand-in and their subclasses).
long OrvantaAppKitLiveObjectCount();
long OrvantaAppKitBeepCount();
// How many times a window handed pixels to the headless window system.
long OrvantaAppKitPresentCount();

// Alerts, file panels and the colour panel ask this instead of the user.
struct OrvantaModalRequest
{
  enum Kind { Alert, OpenPanel, SavePanel, ColorPanel } kind = Alert;
  std::string title, message, informativeText;
  std::vector<std::string> buttons; // alerts: in order, the first is the default
  std::string directory, fileName;  // panels: where they start
  std::vector<std::string> allowedTypes;
  bool canChooseFiles = true, canChooseDirectories = false;
  double color[4] = {0, 0, 0, 1};
};
struct OrvantaModalAnswer
{
  bool cancelled = true;
  int button = 0;   // alerts: index into buttons
  std::string path; // panels: the chosen file
  double color[4] = {0, 0, 0, 1};
};
// Null restores the default (zenity when installed, else "cancelled").
void OrvantaAppKitSetModalHandler(std::function<OrvantaModalAnswer(const OrvantaModalRequest&)> handler);

// The open popup menu, as a test sees it while the menu is tracking.
class OrvantaMenuSession
{
public:
  virtual ~OrvantaMenuSession() = default;
  // Open levels: 0 is the menu itself, then each open submenu.
  virtual int levelCount() = 0;
  virtual NSMenu* menuAt(int level) = 0;
  // Where the menu was asked to appear, and an item's frame (screen coordinates).
  virtual NSPoint location() = 0;
  virtual NSRect itemFrame(int level, NSInteger index) = 0;
  // The title as shown (checks and indentation are drawn, not in the text).
  virtual std::string shownTitle(int level, NSInteger index) = 0;
  virtual NSWindow* levelWindow(int level) = 0;
  // Input as the user gives it (screen coordinates).
  virtual void moveTo(NSPoint screenPoint) = 0;
  virtual void click(NSPoint screenPoint) = 0;
  // Only a release (of the button that opened the menu, say).
  virtual void mouseUp(NSPoint screenPoint) = 0;
  virtual void key(unsigned short keyCode) = 0;
  // Moves to the centre of the first item shown with this title in the
  // deepest open level that has it and clicks; false when none is shown.
  virtual bool clickItem(const std::string& title) = 0;
  // Moves the clock while the menu tracks (timers of the tracking mode fire).
  virtual void advanceClock(double seconds) = 0;
  virtual bool isOpen() = 0;
};
// Called once each time a menu starts tracking in the headless window
// system; a menu still open when it returns is dismissed.
void OrvantaAppKitSetMenuHandler(std::function<void(OrvantaMenuSession&)> handler);

// NSWorkspace asks this instead of running xdg-open (null restores that).
void OrvantaAppKitSetOpenHandler(std::function<bool(const std::string& target)> handler);

#endif
