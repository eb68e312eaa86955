#include <AppKit/NSResponder.h>
#include <AppKit/OrvantaAppKitTesting.h>

#include <atomic>

static std::atomic<long> gBeeps{0};

long OrvantaAppKitBeepCount() { return gBeeps.load(); }

void NSBeep() { gBeeps.fetch_add(1); }

bool NSResponder::acceptsFirstResponder() { return false; }
bool NSResponder::becomeFirstResponder() { return true; }
bool NSResponder::resignFirstResponder() { return true; }

#define NSRESPONDER_FORWARD(message, eventType)          \
  void NSResponder::message(NSEvent* event)              \
  {                                                      \
    if (mNextResponder)                                  \
      mNextResponder->message(event);                    \
    else                                                 \
      noResponderFor(eventType);                         \
  }

NSRESPONDER_FORWARD(mouseDown, NSEventTypeLeftMouseDown)
NSRESPONDER_FORWARD(mouseUp, NSEventTypeLeftMouseUp)
NSRESPONDER_FORWARD(mouseDragged, NSEventTypeLeftMouseDragged)
NSRESPONDER_FORWARD(mouseMoved, NSEventTypeMouseMoved)
NSRESPONDER_FORWARD(mouseEntered, NSEventTypeMouseEntered)
NSRESPONDER_FORWARD(mouseExited, NSEventTypeMouseExited)
NSRESPONDER_FORWARD(rightMouseDown, NSEventTypeRightMouseDown)
NSRESPONDER_FORWARD(rightMouseUp, NSEventTypeRightMouseUp)
NSRESPONDER_FORWARD(rightMouseDragged, NSEventTypeRightMouseDragged)
NSRESPONDER_FORWARD(otherMouseDown, NSEventTypeOtherMouseDown)
NSRESPONDER_FORWARD(otherMouseUp, NSEventTypeOtherMouseUp)
NSRESPONDER_FORWARD(otherMouseDragged, NSEventTypeOtherMouseDragged)
NSRESPONDER_FORWARD(scrollWheel, NSEventTypeScrollWheel)
NSRESPONDER_FORWARD(keyDown, NSEventTypeKeyDown)
NSRESPONDER_FORWARD(keyUp, NSEventTypeKeyUp)
NSRESPONDER_FORWARD(flagsChanged, NSEventTypeFlagsChanged)

void NSResponder::noResponderFor(NSEventType type)
{
  if (type == NSEventTypeKeyDown) NSBeep();
}

NSMenu* NSResponder::menuForEvent(NSEvent*) { return nullptr; }
