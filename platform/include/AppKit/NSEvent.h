#ifndef APPKIT_NSEVENT_H_
#define APPKIT_NSEVENT_H_

// Mouse, wheel and key events. Locations are in the window's coordinates:
// origin at the bottom-left of the content area, y growing upward; the
// pointer over the pixel in column c, row r (counted from the top of a
// content area h pixels high) is at (c, h - r), as AppKit reports it.

#include <AppKit/NSObject.h>

class NSWindow;
class NSGraphicsContext;

typedef enum NSEventType : NSUInteger {
  NSEventTypeLeftMouseDown = 1,
  NSEventTypeLeftMouseUp = 2,
  NSEventTypeRightMouseDown = 3,
  NSEventTypeRightMouseUp = 4,
  NSEventTypeMouseMoved = 5,
  NSEventTypeLeftMouseDragged = 6,
  NSEventTypeRightMouseDragged = 7,
  NSEventTypeMouseEntered = 8,
  NSEventTypeMouseExited = 9,
  NSEventTypeKeyDown = 10,
  NSEventTypeKeyUp = 11,
  NSEventTypeFlagsChanged = 12,
  NSEventTypeAppKitDefined = 13,
  NSEventTypeSystemDefined = 14,
  NSEventTypeApplicationDefined = 15,
  NSEventTypeScrollWheel = 22,
  NSEventTypeOtherMouseDown = 25,
  NSEventTypeOtherMouseUp = 26,
  NSEventTypeOtherMouseDragged = 27,
} NSEventType;

typedef unsigned long long NSEventMask;
static const NSEventMask NSEventMaskAny = ~0ULL;
static inline NSEventMask NSEventMaskFromType(NSEventType type) { return 1ULL << type; }

typedef enum NSEventModifierFlags : NSUInteger {
  NSEventModifierFlagCapsLock = 1 << 16,
  NSEventModifierFlagShift = 1 << 17,
  NSEventModifierFlagControl = 1 << 18,
  NSEventModifierFlagOption = 1 << 19,
  NSEventModifierFlagCommand = 1 << 20,
  NSEventModifierFlagNumericPad = 1 << 21,
  NSEventModifierFlagHelp = 1 << 22,
  NSEventModifierFlagFunction = 1 << 23,
  NSEventModifierFlagDeviceIndependentFlagsMask = 0xffff0000UL,
} NSEventModifierFlags;

// The older names of the same flags.
static const NSUInteger NSAlphaShiftKeyMask = NSEventModifierFlagCapsLock;
static const NSUInteger NSShiftKeyMask = NSEventModifierFlagShift;
static const NSUInteger NSControlKeyMask = NSEventModifierFlagControl;
static const NSUInteger NSAlternateKeyMask = NSEventModifierFlagOption;
static const NSUInteger NSCommandKeyMask = NSEventModifierFlagCommand;

// Virtual key codes of the ANSI keyboard (HIToolbox's kVK_ names).
enum {
  kVK_ANSI_A = 0x00, kVK_ANSI_S = 0x01, kVK_ANSI_D = 0x02, kVK_ANSI_F = 0x03, kVK_ANSI_H = 0x04,
  kVK_ANSI_G = 0x05, kVK_ANSI_Z = 0x06, kVK_ANSI_X = 0x07, kVK_ANSI_C = 0x08, kVK_ANSI_V = 0x09,
  kVK_ANSI_B = 0x0B, kVK_ANSI_Q = 0x0C, kVK_ANSI_W = 0x0D, kVK_ANSI_E = 0x0E, kVK_ANSI_R = 0x0F,
  kVK_ANSI_Y = 0x10, kVK_ANSI_T = 0x11, kVK_ANSI_1 = 0x12, kVK_ANSI_2 = 0x13, kVK_ANSI_3 = 0x14,
  kVK_ANSI_4 = 0x15, kVK_ANSI_6 = 0x16, kVK_ANSI_5 = 0x17, kVK_ANSI_Equal = 0x18, kVK_ANSI_9 = 0x19,
  kVK_ANSI_7 = 0x1A, kVK_ANSI_Minus = 0x1B, kVK_ANSI_8 = 0x1C, kVK_ANSI_0 = 0x1D,
  kVK_ANSI_RightBracket = 0x1E, kVK_ANSI_O = 0x1F, kVK_ANSI_U = 0x20, kVK_ANSI_LeftBracket = 0x21,
  kVK_ANSI_I = 0x22, kVK_ANSI_P = 0x23, kVK_Return = 0x24, kVK_ANSI_L = 0x25, kVK_ANSI_J = 0x26,
  kVK_ANSI_Quote = 0x27, kVK_ANSI_K = 0x28, kVK_ANSI_Semicolon = 0x29, kVK_ANSI_Backslash = 0x2A,
  kVK_ANSI_Comma = 0x2B, kVK_ANSI_Slash = 0x2C, kVK_ANSI_N = 0x2D, kVK_ANSI_M = 0x2E,
  kVK_ANSI_Period = 0x2F, kVK_Tab = 0x30, kVK_Space = 0x31, kVK_ANSI_Grave = 0x32, kVK_Delete = 0x33,
  kVK_Escape = 0x35, kVK_Command = 0x37, kVK_Shift = 0x38, kVK_CapsLock = 0x39, kVK_Option = 0x3A,
  kVK_Control = 0x3B, kVK_ANSI_KeypadDecimal = 0x41, kVK_ANSI_KeypadMultiply = 0x43,
  kVK_ANSI_KeypadPlus = 0x45, kVK_ANSI_KeypadClear = 0x47, kVK_ANSI_KeypadDivide = 0x4B,
  kVK_ANSI_KeypadEnter = 0x4C, kVK_ANSI_KeypadMinus = 0x4E, kVK_ANSI_KeypadEquals = 0x51,
  kVK_ANSI_Keypad0 = 0x52, kVK_ANSI_Keypad1 = 0x53, kVK_ANSI_Keypad2 = 0x54, kVK_ANSI_Keypad3 = 0x55,
  kVK_ANSI_Keypad4 = 0x56, kVK_ANSI_Keypad5 = 0x57, kVK_ANSI_Keypad6 = 0x58, kVK_ANSI_Keypad7 = 0x59,
  kVK_ANSI_Keypad8 = 0x5B, kVK_ANSI_Keypad9 = 0x5C, kVK_F5 = 0x60, kVK_F6 = 0x61, kVK_F7 = 0x62,
  kVK_F3 = 0x63, kVK_F8 = 0x64, kVK_F9 = 0x65, kVK_F11 = 0x67, kVK_F10 = 0x6D, kVK_F12 = 0x6F,
  kVK_Home = 0x73, kVK_PageUp = 0x74, kVK_ForwardDelete = 0x75, kVK_F4 = 0x76, kVK_End = 0x77,
  kVK_F2 = 0x78, kVK_PageDown = 0x79, kVK_F1 = 0x7A, kVK_LeftArrow = 0x7B, kVK_RightArrow = 0x7C,
  kVK_DownArrow = 0x7D, kVK_UpArrow = 0x7E,
};

// The characters AppKit reports for keys that have no printable character.
enum {
  NSUpArrowFunctionKey = 0xF700, NSDownArrowFunctionKey = 0xF701, NSLeftArrowFunctionKey = 0xF702,
  NSRightArrowFunctionKey = 0xF703, NSF1FunctionKey = 0xF704, NSDeleteFunctionKey = 0xF728,
  NSHomeFunctionKey = 0xF729, NSEndFunctionKey = 0xF72B, NSPageUpFunctionKey = 0xF72C,
  NSPageDownFunctionKey = 0xF72D,
  NSEnterCharacter = 0x0003, NSBackspaceCharacter = 0x0008, NSTabCharacter = 0x0009,
  NSCarriageReturnCharacter = 0x000D, NSDeleteCharacter = 0x007F,
};

class NSEvent : public NSObject
{
public:
  // The factories answer autoreleased events, as AppKit's do.
  static NSEvent* mouseEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                     NSTimeInterval timestamp, NSInteger windowNumber, NSGraphicsContext* context,
                                     NSInteger eventNumber, NSInteger clickCount, float pressure);
  // characters and charactersIgnoringModifiers are copied.
  static NSEvent* keyEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                   NSTimeInterval timestamp, NSInteger windowNumber, NSGraphicsContext* context,
                                   CFStringRef characters, CFStringRef charactersIgnoringModifiers, bool isARepeat,
                                   unsigned short keyCode);
  static NSEvent* otherEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                     NSTimeInterval timestamp, NSInteger windowNumber, NSGraphicsContext* context,
                                     short subtype, NSInteger data1, NSInteger data2);
  // AppKit makes wheel events only from the device; the stand-in's backends
  // and tests make them here. Positive deltaY scrolls up (away from the user).
  static NSEvent* scrollWheelEventWithLocation(NSPoint location, NSUInteger modifierFlags, NSTimeInterval timestamp,
                                               NSInteger windowNumber, CGFloat deltaX, CGFloat deltaY);
  // Mouse enter and exit, for tracking areas.
  static NSEvent* enterExitEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                         NSTimeInterval timestamp, NSInteger windowNumber,
                                         NSInteger trackingNumber, void* userData);

  NSEventType type() const { return mType; }
  NSPoint locationInWindow() const { return mLocation; }
  NSUInteger modifierFlags() const { return mModifierFlags; }
  NSTimeInterval timestamp() const { return mTimestamp; }
  NSInteger windowNumber() const { return mWindowNumber; }
  // The window with windowNumber (null when it is gone).
  NSWindow* window() const;
  NSInteger clickCount() const { return mClickCount; }
  NSInteger buttonNumber() const;
  float pressure() const { return mPressure; }
  CGFloat deltaX() const { return mDeltaX; }
  CGFloat deltaY() const { return mDeltaY; }
  // Get rule: the event owns these strings. Null for non-key events.
  CFStringRef characters() const { return mCharacters; }
  CFStringRef charactersIgnoringModifiers() const { return mCharactersIgnoringModifiers; }
  bool isARepeat() const { return mIsARepeat; }
  unsigned short keyCode() const { return mKeyCode; }
  short subtype() const { return mSubtype; }
  NSInteger data1() const { return mData1; }
  NSInteger data2() const { return mData2; }
  NSInteger trackingNumber() const { return mData1; }
  void* userData() const { return mUserData; }

  // The pointer position in screen coordinates (origin at the bottom-left of the main display).
  static NSPoint mouseLocation();
  // The modifier keys held now, as far as the window system knows.
  static NSUInteger modifierFlagsNow();
  // Seconds within which a second click counts as a double click.
  static NSTimeInterval doubleClickInterval();

protected:
  ~NSEvent() override;

private:
  NSEvent() = default;
  static NSEvent* make(NSEventType type, NSPoint location, NSUInteger flags, NSTimeInterval timestamp, NSInteger window);
  NSEventType mType = NSEventTypeApplicationDefined;
  NSPoint mLocation{0, 0};
  NSUInteger mModifierFlags = 0;
  NSTimeInterval mTimestamp = 0;
  NSInteger mWindowNumber = 0;
  NSInteger mClickCount = 0;
  float mPressure = 0;
  CGFloat mDeltaX = 0, mDeltaY = 0;
  CFStringRef mCharacters = nullptr;
  CFStringRef mCharactersIgnoringModifiers = nullptr;
  bool mIsARepeat = false;
  unsigned short mKeyCode = 0;
  short mSubtype = 0;
  NSInteger mData1 = 0, mData2 = 0;
  void* mUserData = nullptr;
};

#endif
