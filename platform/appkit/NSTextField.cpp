#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSTextDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const CFStringRef NSControlTextDidBeginEditingNotification = CFSTR("NSControlTextDidBeginEditingNotification");
const CFStringRef NSControlTextDidChangeNotification = CFSTR("NSControlTextDidChangeNotification");
const CFStringRef NSControlTextDidEndEditingNotification = CFSTR("NSControlTextDidEndEditingNotification");

NSTextFieldDelegate::~NSTextFieldDelegate() {}
void NSTextFieldDelegate::controlTextDidBeginEditing(NSNotification*) {}
void NSTextFieldDelegate::controlTextDidChange(NSNotification*) {}
void NSTextFieldDelegate::controlTextDidEndEditing(NSNotification*) {}

NSControl::NSControl(NSRect frame)
  : NSView(frame), mString(CFStringCreateCopy(nullptr, CFSTR(""))), mFont(NSCreateSystemFont(13))
{
}

NSControl::~NSControl()
{
  CFRelease(mString);
  if (mFont) CFRelease(mFont);
  if (mFormatter) mFormatter->release();
}

void NSControl::setStringValue(CFStringRef string)
{
  CFStringRef old = mString;
  mString = CFStringCreateCopy(nullptr, string ? string : CFSTR(""));
  CFRelease(old);
  setNeedsDisplay(true);
}

int NSControl::intValue() const { return atoi(NSUtf8(mString).c_str()); }

double NSControl::doubleValue() const { return atof(NSUtf8(mString).c_str()); }

void NSControl::setEnabled(bool enabled)
{
  mEnabled = enabled;
  setNeedsDisplay(true);
}

void NSControl::setAlignment(NSTextAlignment alignment)
{
  mAlignment = alignment;
  setNeedsDisplay(true);
}

void NSControl::setFont(CTFontRef font)
{
  // No font (a face that is not installed, say): the system font, as AppKit does.
  font = font ? (CTFontRef)CFRetain(font) : NSCreateSystemFont(13);
  if (mFont) CFRelease(mFont);
  mFont = font;
  setNeedsDisplay(true);
}

void NSControl::setFormatter(NSFormatter* formatter)
{
  if (formatter) formatter->retain();
  if (mFormatter) mFormatter->release();
  mFormatter = formatter;
}

NSTextField::NSTextField(NSRect frame)
  : NSControl(frame), mBackground(NSCreateColor(1, 1, 1)), mTextColor(NSCreateColor(0, 0, 0))
{
}

NSTextField::~NSTextField()
{
  CGColorRelease(mBackground);
  CGColorRelease(mTextColor);
  if (mStringAtStart) CFRelease(mStringAtStart);
}

void NSTextField::setBordered(bool flag)
{
  mBordered = flag;
  setNeedsDisplay(true);
}

void NSTextField::setBezeled(bool flag)
{
  mBezeled = flag;
  setNeedsDisplay(true);
}

void NSTextField::setDrawsBackground(bool flag)
{
  mDrawsBackground = flag;
  setNeedsDisplay(true);
}

static void SetColor(CGColorRef* slot, CGColorRef color)
{
  if (color) CGColorRetain(color);
  CGColorRelease(*slot);
  *slot = color;
}

void NSTextField::setBackgroundColor(CGColorRef color)
{
  SetColor(&mBackground, color);
  setNeedsDisplay(true);
}

void NSTextField::setTextColor(CGColorRef color)
{
  SetColor(&mTextColor, color);
  setNeedsDisplay(true);
}

void NSTextField::setLineBreakMode(NSLineBreakMode mode)
{
  mLineBreak = mode;
  setNeedsDisplay(true);
}

std::vector<UniChar> NSTextField::chars() const
{
  std::vector<UniChar> out((size_t)CFStringGetLength(mString));
  if (!out.empty()) CFStringGetCharacters(mString, CFRangeMake(0, (CFIndex)out.size()), out.data());
  return out;
}

CFRange NSTextField::selectedRange() const { return CFRangeMake((CFIndex)mSelStart, (CFIndex)(mSelEnd - mSelStart)); }

void NSTextField::setSelectedRange(CFRange range)
{
  const size_t n = (size_t)CFStringGetLength(mString);
  mSelStart = std::min((size_t)std::max<CFIndex>(range.location, 0), n);
  mSelEnd = std::min(mSelStart + (size_t)std::max<CFIndex>(range.length, 0), n);
  setNeedsDisplay(true);
}

void NSTextField::setStringValue(CFStringRef string)
{
  NSControl::setStringValue(string);
  const size_t n = (size_t)CFStringGetLength(mString);
  mSelStart = mSelEnd = n;
}

bool NSTextField::acceptsFirstResponder() { return isSelectable() && mEnabled; }

bool NSTextField::becomeFirstResponder()
{
  if (!acceptsFirstResponder()) return false;
  mEditing = true;
  mChanged = false;
  if (mStringAtStart) CFRelease(mStringAtStart);
  mStringAtStart = CFStringCreateCopy(nullptr, mString);
  mSelStart = 0;
  mSelEnd = (size_t)CFStringGetLength(mString);
  setNeedsDisplay(true);
  return true;
}

bool NSTextField::resignFirstResponder()
{
  if (mEditing) endEditing(NSOtherTextMovement);
  return true;
}

void NSTextField::viewDidMoveToWindow()
{
  // Taken out of its window while editing: the edit ends without a word to anyone.
  if (!window() && mEditing)
  {
    mEditing = false;
    mSelStart = mSelEnd = 0;
  }
}

void NSTextField::notify(CFStringRef name, int movement)
{
  if (!mDelegate) return;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &movement);
  const void* keys[] = {CFSTR("NSTextMovement")};
  const void* values[] = {number};
  CFDictionaryRef info =
      CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFRelease(number);
  NSNotification* n = new NSNotification(name, this, info);
  CFRelease(info);
  if (name == NSControlTextDidBeginEditingNotification)
    mDelegate->controlTextDidBeginEditing(n);
  else if (name == NSControlTextDidChangeNotification)
    mDelegate->controlTextDidChange(n);
  else
    mDelegate->controlTextDidEndEditing(n);
  n->release();
}

void NSTextField::endEditing(int movement)
{
  if (!mEditing) return;
  retain(); // the delegate may take the field away
  mEditing = false;
  mSelStart = mSelEnd = (size_t)CFStringGetLength(mString);
  setNeedsDisplay(true);
  notify(NSControlTextDidEndEditingNotification, movement);
  // Ended from the keyboard: the field stops taking keys; a click or
  // makeFirstResponder starts a new edit.
  if (movement != NSOtherTextMovement && window() && window()->firstResponder() == this)
    window()->makeFirstResponder(nullptr);
  release();
}

bool NSTextField::edit(size_t from, size_t to, const std::vector<UniChar>& insert)
{
  std::vector<UniChar> text = chars();
  from = std::min(from, text.size());
  to = std::clamp(to, from, text.size());
  text.erase(text.begin() + (long)from, text.begin() + (long)to);
  text.insert(text.begin() + (long)from, insert.begin(), insert.end());
  CFStringRef candidate = CFStringCreateWithCharacters(nullptr, text.data(), (CFIndex)text.size());
  size_t caret = from + insert.size();
  if (mFormatter)
  {
    CFStringRef replacement = nullptr, error = nullptr;
    const bool ok = mFormatter->isPartialStringValid(candidate, &replacement, &error);
    if (error) CFRelease(error);
    if (!ok)
    {
      CFRelease(candidate);
      if (!replacement)
      {
        NSBeep();
        return false;
      }
      candidate = replacement;
      caret = (size_t)CFStringGetLength(candidate);
    }
    else if (replacement)
      CFRelease(replacement);
  }
  CFRelease(mString);
  mString = candidate;
  mSelStart = mSelEnd = std::min(caret, (size_t)CFStringGetLength(mString));
  setNeedsDisplay(true);
  if (!mChanged)
  {
    mChanged = true;
    notify(NSControlTextDidBeginEditingNotification, NSOtherTextMovement);
  }
  notify(NSControlTextDidChangeNotification, NSOtherTextMovement);
  return true;
}

void NSTextField::keyDown(NSEvent* event)
{
  if (!mEditing || !mEditable)
  {
    NSControl::keyDown(event);
    return;
  }
  const size_t n = (size_t)CFStringGetLength(mString);
  const bool hasSelection = mSelEnd > mSelStart;
  switch (event->keyCode())
  {
    case kVK_Return:
    case kVK_ANSI_KeypadEnter: endEditing(NSReturnTextMovement); return;
    case kVK_Tab:
      endEditing((event->modifierFlags() & NSEventModifierFlagShift) ? NSBacktabTextMovement : NSTabTextMovement);
      return;
    case kVK_Escape:
      if (mStringAtStart) NSControl::setStringValue(mStringAtStart);
      endEditing(NSCancelTextMovement);
      return;
    case kVK_Delete:
      if (hasSelection)
        edit(mSelStart, mSelEnd, {});
      else if (mSelStart > 0)
        edit(mSelStart - 1, mSelStart, {});
      return;
    case kVK_ForwardDelete:
      if (hasSelection)
        edit(mSelStart, mSelEnd, {});
      else if (mSelStart < n)
        edit(mSelStart, mSelStart + 1, {});
      return;
    case kVK_LeftArrow:
      mSelStart = mSelEnd = hasSelection ? mSelStart : (mSelStart > 0 ? mSelStart - 1 : 0);
      setNeedsDisplay(true);
      return;
    case kVK_RightArrow:
      mSelStart = mSelEnd = hasSelection ? mSelEnd : std::min(mSelEnd + 1, n);
      setNeedsDisplay(true);
      return;
    case kVK_Home:
    case kVK_UpArrow:
      mSelStart = mSelEnd = 0;
      setNeedsDisplay(true);
      return;
    case kVK_End:
    case kVK_DownArrow:
      mSelStart = mSelEnd = n;
      setNeedsDisplay(true);
      return;
    default: break;
  }
  if (event->modifierFlags() & (NSEventModifierFlagCommand | NSEventModifierFlagControl))
  {
    NSControl::keyDown(event);
    return;
  }
  CFStringRef typed = event->characters();
  std::vector<UniChar> insert((size_t)(typed ? CFStringGetLength(typed) : 0));
  if (!insert.empty()) CFStringGetCharacters(typed, CFRangeMake(0, (CFIndex)insert.size()), insert.data());
  // Control characters and the function-key range are not text.
  insert.erase(std::remove_if(insert.begin(), insert.end(),
                              [](UniChar c) { return c < 0x20 || c == 0x7F || (c >= 0xF700 && c <= 0xF8FF); }),
               insert.end());
  if (insert.empty())
  {
    NSBeep();
    return;
  }
  edit(mSelStart, mSelEnd, insert);
}

void NSTextField::mouseDown(NSEvent* event)
{
  if (!mEditing)
  {
    if (window()) window()->makeFirstResponder(this);
    return;
  }
  // Puts the caret at the character boundary nearest the click.
  const NSPoint p = convertPointFromView(event->locationInWindow(), nullptr);
  NSTextLine line(mString, mFont, nullptr);
  const CGFloat x0 = 2;
  const CFIndex n = CFStringGetLength(mString);
  size_t best = 0;
  CGFloat bestDistance = 1e30;
  for (CFIndex i = 0; i <= n; ++i)
  {
    const CGFloat d = std::fabs(x0 + line.offsetOf(i) - p.x);
    if (d < bestDistance) bestDistance = d, best = (size_t)i;
  }
  mSelStart = mSelEnd = best;
  setNeedsDisplay(true);
}

void NSTextField::drawRect(NSRect)
{
  CGContextRef c = NSGraphicsContextCurrentPort();
  if (!c) return;
  const NSRect b = bounds();
  if (mDrawsBackground)
  {
    CGContextSetFillColorWithColor(c, mBackground);
    CGContextFillRect(c, b);
  }
  if (mBordered || mBezeled)
  {
    CGContextSetRGBStrokeColor(c, 0.55, 0.55, 0.55, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokeRect(c, NSInsetRect(b, 0.5, 0.5));
  }
  CFStringRef shown = mString;
  CFStringRef truncated = nullptr;
  NSTextLine full(mString, mFont, mTextColor);
  const CGFloat inner = b.size.width - 4;
  if (!mEditing && full.width > inner && mLineBreak == NSLineBreakByTruncatingTail)
  {
    // Drops characters from the end until the text and an ellipsis fit.
    std::vector<UniChar> text = chars();
    while (!text.empty())
    {
      text.pop_back();
      std::vector<UniChar> t = text;
      t.push_back(0x2026);
      CFStringRef s = CFStringCreateWithCharacters(nullptr, t.data(), (CFIndex)t.size());
      NSTextLine l(s, mFont, nullptr);
      if (l.width <= inner || text.empty())
      {
        truncated = s;
        break;
      }
      CFRelease(s);
    }
    if (truncated) shown = truncated;
  }
  NSTextLine line(shown, mFont, mTextColor);
  CGFloat x = 2;
  const NSTextAlignment a = mAlignment;
  if (a == NSTextAlignmentCenter) x = std::floor((b.size.width - line.width) / 2);
  if (a == NSTextAlignmentRight) x = std::floor(b.size.width - 2 - line.width);
  // While editing, the caret stays in sight.
  if (mEditing)
  {
    const CGFloat caretX = x + line.offsetOf((CFIndex)mSelEnd);
    if (caretX > b.size.width - 2) x -= caretX - (b.size.width - 2);
    if (x + line.offsetOf((CFIndex)mSelEnd) < 2) x = 2 - line.offsetOf((CFIndex)mSelEnd);
  }
  const CGFloat baseline = std::floor((b.size.height - line.ascent + line.descent) / 2 + line.descent);
  CGContextSaveGState(c);
  CGContextClipToRect(c, NSInsetRect(b, 1, 1));
  if (mEditing && mSelEnd > mSelStart)
  {
    const CGFloat s0 = x + line.offsetOf((CFIndex)mSelStart), s1 = x + line.offsetOf((CFIndex)mSelEnd);
    CGContextSetRGBFillColor(c, 0.70, 0.84, 1.0, 1);
    CGContextFillRect(c, NSMakeRect(s0, baseline - line.descent, s1 - s0, line.ascent + line.descent));
  }
  line.draw(c, x, baseline);
  if (mEditing && mSelEnd == mSelStart)
  {
    CGContextSetFillColorWithColor(c, mTextColor);
    CGContextFillRect(c, NSMakeRect(std::floor(x + line.offsetOf((CFIndex)mSelEnd)), baseline - line.descent, 1,
                                    line.ascent + line.descent));
  }
  CGContextRestoreGState(c);
  if (truncated) CFRelease(truncated);
}
