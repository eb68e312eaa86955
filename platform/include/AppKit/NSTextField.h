#ifndef APPKIT_NSTEXTFIELD_H_
#define APPKIT_NSTEXTFIELD_H_

// Controls and the one-line text field, drawn by the window system itself.
//
// Editing: a field that becomes first responder (a click into it, or
// makeFirstResponder) starts editing with all of its text selected and
// tells its delegate controlTextDidBeginEditing at the first change. Typed
// characters replace the selection; Backspace and Forward Delete delete;
// Left, Right, Home and End move the caret. Every change is first put to
// the formatter's isPartialStringValid; a refused change beeps and leaves
// the text as it was. Return, Enter and Tab end editing; so does losing
// first responder (a click elsewhere); Escape puts back the text editing
// started with and ends editing. Ended from the keyboard, the field gives
// first responder back to its window. Ending sends controlTextDidEndEditing
// with the NSControlTextDidEndEditingNotification, whose user info holds
// the "NSTextMovement" (a CFNumber) that ended it.

#include <AppKit/NSFormatter.h>
#include <AppKit/NSNotification.h>
#include <AppKit/NSView.h>

typedef enum NSTextAlignment : NSInteger {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentRight = 1,
  NSTextAlignmentCenter = 2,
  NSTextAlignmentJustified = 3,
  NSTextAlignmentNatural = 4,
} NSTextAlignment;

typedef enum NSLineBreakMode : NSUInteger {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping = 1,
  NSLineBreakByClipping = 2,
  NSLineBreakByTruncatingHead = 3,
  NSLineBreakByTruncatingTail = 4,
  NSLineBreakByTruncatingMiddle = 5,
} NSLineBreakMode;

typedef enum NSFocusRingType : NSUInteger {
  NSFocusRingTypeDefault = 0,
  NSFocusRingTypeNone = 1,
  NSFocusRingTypeExterior = 2,
} NSFocusRingType;

enum {
  NSOtherTextMovement = 0,
  NSReturnTextMovement = 0x10,
  NSTabTextMovement = 0x11,
  NSBacktabTextMovement = 0x12,
  NSCancelTextMovement = 0x17,
};

extern const CFStringRef NSControlTextDidBeginEditingNotification;
extern const CFStringRef NSControlTextDidChangeNotification;
extern const CFStringRef NSControlTextDidEndEditingNotification;

// The delegate of a text field (not retained by it).
class NSTextFieldDelegate
{
public:
  virtual ~NSTextFieldDelegate();
  // Main thread; may allocate. Default: nothing.
  virtual void controlTextDidBeginEditing(NSNotification* notification);
  virtual void controlTextDidChange(NSNotification* notification);
  virtual void controlTextDidEndEditing(NSNotification* notification);
};

class NSControl : public NSView
{
public:
  explicit NSControl(NSRect frame);
  // Get rule: the control owns the string.
  CFStringRef stringValue() const { return mString; }
  // Main thread; allocates. Copies the text (null: empty) without
  // consulting the formatter.
  virtual void setStringValue(CFStringRef string);
  int intValue() const;
  double doubleValue() const;
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled);
  NSTextAlignment alignment() const { return mAlignment; }
  void setAlignment(NSTextAlignment alignment);
  // Retains the font (CTFontRef stands for NSFont); null sets the system font.
  CTFontRef font() const { return mFont; }
  void setFont(CTFontRef font);
  NSFormatter* formatter() const { return mFormatter; }
  // Retains the formatter.
  void setFormatter(NSFormatter* formatter);
  NSInteger tag() const { return mTag; }
  void setTag(NSInteger tag) { mTag = tag; }

protected:
  ~NSControl() override;
  CFStringRef mString;
  CTFontRef mFont;
  NSFormatter* mFormatter = nullptr;
  NSTextAlignment mAlignment = NSTextAlignmentNatural;
  bool mEnabled = true;
  NSInteger mTag = 0;
};

class NSTextField : public NSControl
{
public:
  explicit NSTextField(NSRect frame); // initWithFrame:

  void setEditable(bool flag) { mEditable = flag; }
  bool isEditable() const { return mEditable; }
  void setSelectable(bool flag) { mSelectable = flag; }
  bool isSelectable() const { return mSelectable || mEditable; }
  void setBordered(bool flag);
  void setBezeled(bool flag);
  void setDrawsBackground(bool flag);
  // Retain the colours (CGColorRef stands for NSColor).
  void setBackgroundColor(CGColorRef color);
  void setTextColor(CGColorRef color);
  void setFocusRingType(NSFocusRingType type) { mFocusRing = type; }
  void setAllowsEditingTextAttributes(bool flag) { mRichText = flag; }
  // AppKit sets this on the field's cell; the stand-in's field is its own cell.
  void setLineBreakMode(NSLineBreakMode mode);
  NSLineBreakMode lineBreakMode() const { return mLineBreak; }
  void setDelegate(NSTextFieldDelegate* delegate) { mDelegate = delegate; }
  NSTextFieldDelegate* delegate() const { return mDelegate; }

  bool isEditing() const { return mEditing; }
  // Caret and selection while editing, in UTF-16 units.
  CFRange selectedRange() const;
  void setSelectedRange(CFRange range);

  void setStringValue(CFStringRef string) override;
  bool acceptsFirstResponder() override;
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  bool isOpaque() override { return mDrawsBackground; }
  void keyDown(NSEvent* event) override;
  void mouseDown(NSEvent* event) override;
  void drawRect(NSRect dirtyRect) override;
  void viewDidMoveToWindow() override;

protected:
  ~NSTextField() override;

private:
  bool edit(size_t from, size_t to, const std::vector<UniChar>& insert);
  void endEditing(int movement);
  void notify(CFStringRef name, int movement);
  std::vector<UniChar> chars() const;
  NSTextFieldDelegate* mDelegate = nullptr;
  CGColorRef mBackground;
  CGColorRef mTextColor;
  CFStringRef mStringAtStart = nullptr;
  size_t mSelStart = 0, mSelEnd = 0;
  NSLineBreakMode mLineBreak = NSLineBreakByClipping;
  NSFocusRingType mFocusRing = NSFocusRingTypeDefault;
  bool mEditable = true;
  bool mSelectable = true;
  bool mBordered = false;
  bool mBezeled = true;
  bool mDrawsBackground = true;
  bool mRichText = false;
  bool mEditing = false;
  bool mChanged = false;
};

#endif
