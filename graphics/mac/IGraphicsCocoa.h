#pragma once

#include "graphics/IMouseMod.h"
#include "graphics/IRECT.h"

#include <AppKit/AppKit.h>

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IText;

// The view that shows an editor: it repaints the editor's dirty area at the
// refresh rate and turns the window system's mouse and key events into the
// editor's calls. Detached from its editor (CloseWindow), it ignores every
// event. All of it runs on the main thread; handlers may allocate.
class IGraphicsCocoa_vOrvanta_au : public NSView, public NSTextFieldDelegate, public NSViewToolTipOwner
{
public:
  // init: detached, no timer.
  IGraphicsCocoa_vOrvanta_au();
  // initWithIGraphics: a view of the editor's size, with its refresh timer running.
  explicit IGraphicsCocoa_vOrvanta_au(IGraphicsMac* pGraphics);

  IGraphicsMac* Graphics() const { return mGraphics; }
  NSTimer* Timer() const { return mTimer; }
  NSTextField* TextField() const { return mTextFieldView; }
  int PrevX() const { return mPrevX; }
  int PrevY() const { return mPrevY; }

  // Main thread; no allocation.
  bool isOpaque() override;
  bool acceptsFirstResponder() override { return true; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }
  // Main thread.
  void viewDidMoveToWindow() override;
  // Main thread, painting; may allocate.
  void drawRect(NSRect rect) override;
  // Main thread, from the run loop (common modes).
  void onTimer(NSTimer* timer);

  // Main thread, from the window's event routing; may allocate and take the
  // plug-in's lock (parameter changes). Locations are in window coordinates.
  void mouseDown(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void rightMouseDown(NSEvent* event) override;
  void rightMouseUp(NSEvent* event) override;
  void rightMouseDragged(NSEvent* event) override;
  void mouseMoved(NSEvent* event) override;
  void scrollWheel(NSEvent* event) override;
  void keyDown(NSEvent* event) override;

  // Editor coordinates of the event's location; false when detached.
  bool getMouseXY(NSEvent* event, int* x, int* y);

  // Main thread; no allocation.
  void killTimer();
  // Main thread: stops showing the editor, then leaves the superview.
  void removeFromSuperview() override;
  // Main thread, as the editor closes: discards a text entry, cancels an open menu, forgets the editor.
  void detach();

  // Main thread; modal. The menu whose item was chosen, or null.
  IPopupMenu* createIPopupMenu(IPopupMenu* pMenu, NSRect rect);
  // Main thread; allocates.
  void createTextEntry(IControl* pControl, IParam* pParam, IText* pText, const char* str, NSRect rect);
  // Main thread: ends the text entry without taking its text.
  void endUserInput();
  // Main thread, from the text field: takes its text, then ends the entry.
  void controlTextDidEndEditing(NSNotification* notification) override;

  // Main thread, when the pointer rests on a tooltip area; allocates the returned string.
  CFStringRef viewStringForToolTip(NSView* view, NSToolTipTag tag, NSPoint point, void* userData) override;
  // Main thread; allocates.
  void registerToolTip(IRECT* pRECT);

  // The key table: the editor's key for a virtual key code and the one
  // character typed ignoring modifiers, or -1 for a key it does not take.
  static int EditorKey(unsigned short keyCode, UniChar character);
  // The modifier flags with the given left and right button states.
  static IMouseMod MouseMod(NSUInteger flags, bool left, bool right);

protected:
  ~IGraphicsCocoa_vOrvanta_au() override;

private:
  IMouseMod LeftMod(NSEvent* event);

  IGraphicsMac* mGraphics = nullptr;
  NSTimer* mTimer = nullptr;
  int mPrevX = 0, mPrevY = 0;
  NSTextField* mTextFieldView = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  NSMenu* mOpenMenu = nullptr;
};
