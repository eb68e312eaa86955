#include "graphics/mac/IGraphicsCocoa.h"

#include "graphics/mac/CocoaFormatter.h"
#include "graphics/mac/IGraphicsMac.h"
#include "graphics/mac/IGraphicsMenu.h"
#include "graphics/graphics.h"
#include "plugin/IParam.h"

#include <cmath>
#include <string>

namespace
{
NSRect ViewRect(int editorHeight, const IRECT& r)
{
  double x, y, w, h;
  IGraphicsMac::ToViewRect(editorHeight, r, &x, &y, &w, &h);
  return NSMakeRect(x, y, w, h);
}

CGColorRef MakeColor(const IColor& c)
{
  return CGColorCreateGenericRGB(c.R / 255.0, c.G / 255.0, c.B / 255.0, c.A / 255.0);
}
}  // namespace

IGraphicsCocoa_vOrvanta_au::IGraphicsCocoa_vOrvanta_au() = default;

IGraphicsCocoa_vOrvanta_au::IGraphicsCocoa_vOrvanta_au(IGraphicsMac* pGraphics)
  : NSView(NSMakeRect(0, 0, pGraphics->Width(), pGraphics->Height())), mGraphics(pGraphics)
{
  NSAutoreleasePool pool;
  // In floating point: an integer 1 / 25 would be a zero interval, a timer that never rests.
  const double interval = 1.0 / (double)pGraphics->FPS();
  mTimer = NSTimer::timerWithTimeInterval(interval, this, &IGraphicsCocoa_vOrvanta_au::onTimer, nullptr, true);
  NSRunLoop::currentRunLoop()->addTimer(mTimer, NSRunLoopCommonModes);
}

IGraphicsCocoa_vOrvanta_au::~IGraphicsCocoa_vOrvanta_au() { killTimer(); }

bool IGraphicsCocoa_vOrvanta_au::isOpaque() { return mGraphics != nullptr; }

void IGraphicsCocoa_vOrvanta_au::viewDidMoveToWindow()
{
  if (NSWindow* w = window())
  {
    w->makeFirstResponder(this);
    w->setAcceptsMouseMovedEvents(true);
  }
}

void IGraphicsCocoa_vOrvanta_au::onTimer(NSTimer* timer)
{
  if (timer != mTimer || !mGraphics) return;
  IRECT r;
  if (mGraphics->IsDirty(&r)) setNeedsDisplayInRect(ViewRect(mGraphics->Height(), r));
}

void IGraphicsCocoa_vOrvanta_au::drawRect(NSRect rect)
{
  if (!mGraphics) return;
  const int H = mGraphics->Height();
  const int x = (int)rect.origin.x, y = (int)rect.origin.y;
  const int w = (int)rect.size.width, h = (int)rect.size.height;
  IRECT r(x, H - y - h, x + w, H - y);
  mGraphics->Draw(&r);
}

bool IGraphicsCocoa_vOrvanta_au::getMouseXY(NSEvent* event, int* x, int* y)
{
  if (!mGraphics) return false;
  const NSPoint p = convertPointFromView(event->locationInWindow(), nullptr);
  *x = (int)p.x - 2;
  *y = mGraphics->Height() - (int)p.y - 3;
  mPrevX = *x;
  mPrevY = *y;
  return true;
}

IMouseMod IGraphicsCocoa_vOrvanta_au::MouseMod(NSUInteger flags, bool left, bool right)
{
  return IMouseMod(left, right, (flags & NSEventModifierFlagShift) != 0, (flags & NSEventModifierFlagControl) != 0,
                   (flags & NSEventModifierFlagOption) != 0);
}

// A command-click stands for a right click.
IMouseMod IGraphicsCocoa_vOrvanta_au::LeftMod(NSEvent* event)
{
  const NSUInteger flags = event->modifierFlags();
  return MouseMod(flags, true, (flags & NSEventModifierFlagCommand) != 0);
}

void IGraphicsCocoa_vOrvanta_au::mouseDown(NSEvent* event)
{
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = LeftMod(event);
  if (event->clickCount() > 1)
    mGraphics->OnMouseDblClick(x, y, &mod);
  else
    mGraphics->OnMouseDown(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::mouseUp(NSEvent* event)
{
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = LeftMod(event);
  mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::mouseDragged(NSEvent* event)
{
  int x, y;
  if (mTextFieldView || !getMouseXY(event, &x, &y)) return;
  IMouseMod mod = LeftMod(event);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::rightMouseDown(NSEvent* event)
{
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = MouseMod(event->modifierFlags(), false, true);
  mGraphics->OnMouseDown(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::rightMouseUp(NSEvent* event)
{
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = MouseMod(event->modifierFlags(), false, true);
  mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::rightMouseDragged(NSEvent* event)
{
  int x, y;
  if (mTextFieldView || !getMouseXY(event, &x, &y)) return;
  IMouseMod mod = MouseMod(event->modifierFlags(), false, true);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::mouseMoved(NSEvent* event)
{
  int x, y;
  if (!getMouseXY(event, &x, &y)) return;
  IMouseMod mod = LeftMod(event);
  mGraphics->OnMouseOver(x, y, &mod);
}

void IGraphicsCocoa_vOrvanta_au::scrollWheel(NSEvent* event)
{
  if (!mGraphics) return;
  endUserInput();
  int x, y;
  getMouseXY(event, &x, &y);
  IMouseMod mod = LeftMod(event);
  // Toward zero: a trackpad's small deltas below one step give 0.
  mGraphics->OnMouseWheel(x, y, &mod, (int)std::trunc(event->deltaY()));
}

int IGraphicsCocoa_vOrvanta_au::EditorKey(unsigned short keyCode, UniChar c)
{
  switch (keyCode)
  {
    case kVK_Space: return 0;
    case kVK_UpArrow: return 1;
    case kVK_DownArrow: return 2;
    case kVK_LeftArrow: return 3;
    case kVK_RightArrow: return 4;
    default: break;
  }
  if (c >= '0' && c <= '9') return 5 + (c - '0');
  if (c >= 'A' && c <= 'Z') return 15 + (c - 'A');
  if (c >= 'a' && c <= 'z') return 15 + (c - 'a');
  return -1;
}

void IGraphicsCocoa_vOrvanta_au::keyDown(NSEvent* event)
{
  CFStringRef chars = event->charactersIgnoringModifiers();
  if (mGraphics && chars && CFStringGetLength(chars) == 1)
  {
    const int key = EditorKey(event->keyCode(), CFStringGetCharacterAtIndex(chars, 0));
    // A key the editor does not take goes on to the host, which keeps its shortcuts.
    if (key >= 0 && mGraphics->OnKeyDown(mPrevX, mPrevY, key)) return;
  }
  NSView::keyDown(event);
}

void IGraphicsCocoa_vOrvanta_au::killTimer()
{
  if (mTimer) mTimer->invalidate();
  mTimer = nullptr;
}

void IGraphicsCocoa_vOrvanta_au::detach()
{
  endUserInput();
  if (mOpenMenu) mOpenMenu->cancelTracking();
  mGraphics = nullptr;
}

void IGraphicsCocoa_vOrvanta_au::removeFromSuperview()
{
  // Leaving the superview may free the view: it stays alive to the end of this call.
  retain();
  endUserInput();
  if (IGraphicsMac* g = mGraphics)
  {
    mGraphics = nullptr;
    g->CloseWindow();
  }
  // The host's window really loses the view, not only the editor.
  NSView::removeFromSuperview();
  release();
}

IPopupMenu* IGraphicsCocoa_vOrvanta_au::createIPopupMenu(IPopupMenu* pMenu, NSRect rect)
{
  if (!pMenu || !mGraphics || mOpenMenu) return nullptr;
  NSAutoreleasePool pool;
  // The editor may close while the menu is open; the view outlives the menu.
  retain();
  auto* receiver = new IGraphicsMenuRcvr_vOrvanta_au(rect);
  auto* menu = new IGraphicsNSMenu_vOrvanta_au(pMenu, receiver);
  const NSPoint at = convertPointToView(NSMakePoint(rect.origin.x, rect.origin.y - 4), nullptr);
  NSEvent* event = NSEvent::otherEventWithType(NSEventTypeApplicationDefined, at, 0, NSDate::date(),
                                               window() ? window()->windowNumber() : 0, nullptr, 0, 0, 0);
  mOpenMenu = menu;
  NSMenu::popUpContextMenu(menu, event, this);
  mOpenMenu = nullptr;

  IPopupMenu* chosen = nullptr;
  NSMenuItem* item = receiver->MenuItem();
  // A choice made while the editor closed is not delivered.
  if (item && mGraphics)
  {
    auto* from = dynamic_cast<IGraphicsNSMenu_vOrvanta_au*>(item->menu());
    const NSInteger index = from ? from->indexOfItem(item) : -1;
    if (index >= 0)
    {
      chosen = from->AssociatedIPopupMenu();
      chosen->SetChosenItemIdx((int)index);
    }
  }
  menu->release();
  receiver->release();
  release();
  return chosen;
}

void IGraphicsCocoa_vOrvanta_au::createTextEntry(IControl* pControl, IParam* pParam, IText* pText, const char* str,
                                                 NSRect rect)
{
  if (!pControl || !pText || mTextFieldView || !mGraphics) return;
  NSAutoreleasePool pool;
  auto* field = new NSTextField(rect);

  CFStringRef face = CFStringCreateWithCString(nullptr, pText->mFont, kCFStringEncodingUTF8);
  const CGFloat size = (CGFloat)(int)(0.9 * pText->mSize);
  CTFontRef font = face ? NSFontCreateWithNameSize(face, size) : nullptr;
  if (!font) font = NSFontCreateLabelFontOfSize(size);
  if (face) CFRelease(face);
  field->setFont(font);
  if (font) CFRelease(font);
  switch (pText->mAlign)
  {
    case IText::kAlignNear: field->setAlignment(NSTextAlignmentLeft); break;
    case IText::kAlignFar: field->setAlignment(NSTextAlignmentRight); break;
    default: field->setAlignment(NSTextAlignmentCenter); break;
  }

  if (pParam)
  {
    const bool isDouble = pParam->Type() == IParam::kTypeDouble;
    auto* set = new NSCharacterSet(isDouble ? CFSTR("0123456789.-+") : CFSTR("0123456789-+"));
    auto* formatter = new CocoaFormatter_vOrvanta_au();
    formatter->setAcceptableCharacterSet(set);
    formatter->setMaximumLength(pControl->GetTextEntryLength());
    field->setFormatter(formatter);
    formatter->release();
    set->release();
  }

  field->setLineBreakMode(NSLineBreakByTruncatingTail);
  field->setAllowsEditingTextAttributes(false);
  CGColorRef fg = MakeColor(pText->mTextEntryFGColor);
  CGColorRef bg = MakeColor(pText->mTextEntryBGColor);
  field->setTextColor(fg);
  field->setBackgroundColor(bg);
  CGColorRelease(fg);
  CGColorRelease(bg);
  CFStringRef initial = CFStringCreateWithCString(nullptr, str ? str : "", kCFStringEncodingUTF8);
  field->setStringValue(initial);
  if (initial) CFRelease(initial);
  field->setBordered(false);
  field->setFocusRingType(NSFocusRingTypeNone);
  field->setDelegate(this);

  addSubview(field);
  field->release();  // the view holds it until endUserInput
  mTextFieldView = field;
  mEdControl = pControl;
  mEdParam = pParam;
  if (NSWindow* w = window())
  {
    w->makeKeyAndOrderFront(nullptr);
    w->makeFirstResponder(field);
  }
}

void IGraphicsCocoa_vOrvanta_au::endUserInput()
{
  NSTextField* field = mTextFieldView;
  if (!field) return;
  mTextFieldView = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  // Without its delegate the field's removal delivers no text.
  field->setDelegate(nullptr);
  field->removeFromSuperview();
  if (NSWindow* w = window()) w->makeFirstResponder(this);
}

void IGraphicsCocoa_vOrvanta_au::controlTextDidEndEditing(NSNotification* notification)
{
  if (!mTextFieldView || !mGraphics)
  {
    endUserInput();
    return;
  }
  // Escape puts the text back; nothing is entered then.
  int movement = NSOtherTextMovement;
  if (notification && notification->userInfo())
  {
    auto number = (CFNumberRef)CFDictionaryGetValue(notification->userInfo(), CFSTR("NSTextMovement"));
    if (number) CFNumberGetValue(number, kCFNumberIntType, &movement);
  }
  IControl* control = mEdControl;
  IParam* param = mEdParam;
  const std::string text = IGraphicsMac::UTF8(mTextFieldView->stringValue());
  endUserInput();
  if (movement != NSCancelTextMovement)
  {
    if (param)
      mGraphics->SetFromStringAfterPrompt(control, param, text.c_str());
    else
      control->TextFromTextEntry(text.c_str());
  }
  setNeedsDisplay(true);
}

CFStringRef IGraphicsCocoa_vOrvanta_au::viewStringForToolTip(NSView*, NSToolTipTag, NSPoint point, void*)
{
  if (!mGraphics) return nullptr;
  // The control under the pointer, found from the point itself: the editor
  // tracks the control under the mouse only while hover handling is on.
  const int x = (int)point.x - 2;
  const int y = mGraphics->Height() - (int)point.y - 3;
  const char* tip = nullptr;
  for (int i = mGraphics->GetNControls() - 1; i >= 0; --i)
  {
    IControl* c = mGraphics->GetControl(i);
    if (c->IsHidden() || !c->IsHit(x, y)) continue;
    tip = c->GetTooltip();
    break;
  }
  return CFStringCreateWithCString(nullptr, tip ? tip : "", kCFStringEncodingUTF8);
}

void IGraphicsCocoa_vOrvanta_au::registerToolTip(IRECT* pRECT)
{
  if (!mGraphics || !pRECT) return;
  addToolTipRect(ViewRect(mGraphics->Height(), *pRECT), this, nullptr);
}

NS_REGISTER_CLASS(IGraphicsCocoa_vOrvanta_au, NSView);
