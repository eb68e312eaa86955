#ifndef APPKIT_NSRESPONDER_H_
#define APPKIT_NSRESPONDER_H_

// The responder chain. Every event handler here runs on the main thread
// (the window system's event loop), may allocate and must not block. The
// default of each handler passes the event to nextResponder(); a key event
// that no responder takes ends in noResponderFor, which beeps.

#include <AppKit/NSEvent.h>

class NSMenu;

class NSResponder : public NSObject
{
public:
  NSResponder* nextResponder() const { return mNextResponder; }
  void setNextResponder(NSResponder* next) { mNextResponder = next; }

  // Main thread: whether makeFirstResponder may choose this object (default false).
  virtual bool acceptsFirstResponder();
  // Main thread: asked when becoming / ceasing to be first responder; false refuses.
  virtual bool becomeFirstResponder();
  virtual bool resignFirstResponder();

  // Main thread; each passes the event to nextResponder().
  virtual void mouseDown(NSEvent* event);
  virtual void mouseUp(NSEvent* event);
  virtual void mouseDragged(NSEvent* event);
  virtual void mouseMoved(NSEvent* event);
  virtual void mouseEntered(NSEvent* event);
  virtual void mouseExited(NSEvent* event);
  virtual void rightMouseDown(NSEvent* event);
  virtual void rightMouseUp(NSEvent* event);
  virtual void rightMouseDragged(NSEvent* event);
  virtual void otherMouseDown(NSEvent* event);
  virtual void otherMouseUp(NSEvent* event);
  virtual void otherMouseDragged(NSEvent* event);
  virtual void scrollWheel(NSEvent* event);
  virtual void keyDown(NSEvent* event);
  virtual void keyUp(NSEvent* event);
  virtual void flagsChanged(NSEvent* event);
  // Main thread: the end of the chain for an event nobody took (beeps for key downs).
  virtual void noResponderFor(NSEventType type);

  // Main thread: the context menu for a right click (null: none).
  virtual NSMenu* menuForEvent(NSEvent* event);

private:
  NSResponder* mNextResponder = nullptr;
};

// Sounds the alert beep (counted for tests, see OrvantaAppKitTesting.h).
void NSBeep();

#endif
