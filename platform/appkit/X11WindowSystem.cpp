#include <AppKit/NSApplication.h>
#include <AppKit/NSRunLoop.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSTextDrawing.h"
#include "appkit/HeadlessWindowSystem.h"
#include "appkit/NSWindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <thread>

namespace {

// X errors (a foreign parent window that went away, a refused shared-memory
// attach) must not end the host process: they are counted and the request
// that caused them is treated as failed.
int gXErrors = 0;
int CountXError(Display*, XErrorEvent*)
{
  ++gXErrors;
  return 0;
}

double MonotonicSeconds()
{
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

// No window of the process can bring an event: the wait is the clock's
// alone, and a deadline that never comes ends it at once, as headless.
bool SleepUntil(double deadline)
{
  if (deadline >= NSDate::distantFuture()) return false;
  const double wait = deadline - MonotonicSeconds();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
  return true;
}

class X11WindowSystem;

class X11Surface : public NSWindowSurface
{
public:
  X11Surface(X11WindowSystem* system, NSWindow* owner, Window window, NSSurfaceKind kind)
    : mSystem(system), mOwner(owner), mWindow(window), mEmbedded(kind == NSSurfaceKind::Embedded),
      mTakesFocus(kind != NSSurfaceKind::Popup)
  {
  }
  ~X11Surface() override;
  void setFrame(NSRect screenRect) override;
  void setVisible(bool visible) override;
  void setTitle(const std::string& title) override;
  void raise() override;
  void present(const uint32_t* pixels, size_t wordsPerRow, int x, int y, int w, int h) override;
  uintptr_t nativeID() const override { return mWindow; }

  NSWindow* owner() const { return mOwner; }
  bool takesFocus() const { return mTakesFocus; }
  int height() const { return mHeight; }
  void setSize(int w, int h) { mWidth = w, mHeight = h; }

private:
  bool makeImage(int w, int h);
  void freeImage();
  X11WindowSystem* mSystem;
  NSWindow* mOwner;
  Window mWindow;
  bool mEmbedded;
  bool mTakesFocus;
  int mWidth = 0, mHeight = 0;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShm{};
  bool mUsesShm = false;
};

class X11WindowSystem : public NSWindowSystem
{
public:
  explicit X11WindowSystem(std::string displayName) : mName(std::move(displayName)) {}

  bool isHeadless() override { return !connected(); }
  bool realTimeClock() const override { return true; }
  Display* display() const { return mDisplay; }
  bool shm() const { return mShm; }
  void shmFailed() { mShm = false; }
  int screenHeight() const { return DisplayHeight(mDisplay, mScreen); }

  NSWindowSurface* createSurface(NSWindow* window, NSRect r, NSSurfaceKind kind, uintptr_t parent) override
  {
    if (!connected()) return mNoDisplay.createSurface(window, r, kind, parent);
    const int w = std::max(1, (int)r.size.width), h = std::max(1, (int)r.size.height);
    int x = (int)r.origin.x, y = screenHeight() - (int)NSMaxY(r);
    Window parentWindow = mRoot;
    if (kind == NSSurfaceKind::Embedded)
    {
      parentWindow = (Window)parent;
      x = (int)r.origin.x;
      y = (int)r.origin.y;
    }
    XSetWindowAttributes a{};
    a.background_pixel = BlackPixel(mDisplay, mScreen);
    a.override_redirect = kind == NSSurfaceKind::Popup;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
    const int errors = gXErrors;
    Window win = XCreateWindow(mDisplay, parentWindow, x, y, (unsigned)w, (unsigned)h, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &a);
    XSync(mDisplay, False);
    if (gXErrors != errors || !win)
    {
      fprintf(stderr, "AppKit: cannot make an X11 window (parent 0x%lx)\n", (unsigned long)parentWindow);
      return nullptr;
    }
    if (kind == NSSurfaceKind::Titled) XSetWMProtocols(mDisplay, win, &mDeleteWindow, 1);
    if (kind == NSSurfaceKind::Borderless)
    {
      const long hints[5] = {2, 0, 0, 0, 0}; // decorations flag set, no decorations
      XChangeProperty(mDisplay, win, mMotifHints, mMotifHints, 32, PropModeReplace, (const unsigned char*)hints, 5);
    }
    if (kind != NSSurfaceKind::Embedded && kind != NSSurfaceKind::Popup)
    {
      XSizeHints* sh = XAllocSizeHints();
      sh->flags = PPosition | USPosition;
      sh->x = x, sh->y = y;
      XSetWMNormalHints(mDisplay, win, sh);
      XFree(sh);
    }
    if (!mCursorVisible) XDefineCursor(mDisplay, win, mBlankCursor);
    auto* s = new X11Surface(this, window, win, kind);
    s->setSize(w, h);
    mSurfaces[win] = s;
    return s;
  }

  void forget(Window w) { mSurfaces.erase(w); }

  double now() override { return MonotonicSeconds(); }

  bool waitForEvents(double deadline) override
  {
    // X events concern only windows this process made, so a loop that runs
    // before any window was shown (timers alone) sleeps instead of connecting.
    if (!mDisplay) return SleepUntil(deadline);
    XFlush(mDisplay);
    if (!XPending(mDisplay))
    {
      const double wait = deadline - now();
      if (wait > 0)
      {
        pollfd p{ConnectionNumber(mDisplay), POLLIN, 0};
        poll(&p, 1, (int)std::min(std::ceil(wait * 1000), 1e6));
      }
    }
    while (XPending(mDisplay))
    {
      XEvent e;
      XNextEvent(mDisplay, &e);
      translate(e);
    }
    return true;
  }

  // The screen's size is asked only by code that places something on it (a
  // menu, the pointer), so asking connects; before that no made-up size is
  // ever handed out.
  NSRect screenFrame() override
  {
    if (!connected()) return mNoDisplay.screenFrame();
    return NSMakeRect(0, 0, DisplayWidth(mDisplay, mScreen), DisplayHeight(mDisplay, mScreen));
  }

  NSPoint pointerLocation() override
  {
    if (!connected()) return mNoDisplay.pointerLocation();
    Window root, child;
    int rx = 0, ry = 0, wx, wy;
    unsigned mask;
    XQueryPointer(mDisplay, mRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
    return NSMakePoint(rx, screenHeight() - ry);
  }

  NSUInteger modifierFlags() override
  {
    if (!connected()) return mNoDisplay.modifierFlags();
    Window root, child;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    XQueryPointer(mDisplay, mRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
    return Flags(mask);
  }

  // The hidden cursor is this process's windows' own: before any exists
  // there is nothing to change, and windows made later start with it.
  bool setCursorVisible(bool visible) override
  {
    mCursorVisible = visible;
    if (!mDisplay) return true;
    for (auto& [win, s] : mSurfaces)
      if (visible)
        XUndefineCursor(mDisplay, win);
      else
        XDefineCursor(mDisplay, win, mBlankCursor);
    XFlush(mDisplay);
    return true;
  }

  bool warpPointer(NSPoint p) override
  {
    if (!connected()) return mNoDisplay.warpPointer(p);
    XWarpPointer(mDisplay, None, mRoot, 0, 0, 0, 0, (int)p.x, screenHeight() - (int)p.y);
    XFlush(mDisplay);
    return true;
  }

  void grabPointer(NSWindow* window, bool grab) override
  {
    if (!mDisplay) return; // no window of this process is on the display
    if (!grab)
    {
      XUngrabPointer(mDisplay, CurrentTime);
      XUngrabKeyboard(mDisplay, CurrentTime);
      XFlush(mDisplay);
      return;
    }
    const Window w = (Window)window->windowRef();
    if (!w) return;
    XGrabPointer(mDisplay, w, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(mDisplay, w, True, GrabModeAsync, GrabModeAsync, CurrentTime);
  }

  static NSUInteger Flags(unsigned state)
  {
    NSUInteger f = 0;
    if (state & ShiftMask) f |= NSEventModifierFlagShift;
    if (state & LockMask) f |= NSEventModifierFlagCapsLock;
    if (state & ControlMask) f |= NSEventModifierFlagControl;
    if (state & Mod1Mask) f |= NSEventModifierFlagOption;
    // The Super (logo) key plays the Command key.
    if (state & Mod4Mask) f |= NSEventModifierFlagCommand;
    return f;
  }

private:
  // Opens the connection the first time something needs the display (a
  // window to show, the pointer, the screen's size), so a process that loads
  // the application environment but never shows a window never talks to the
  // X server. A display that cannot be used is not tried again: windows then
  // keep their pixels unshown, as in the headless system, under the real clock.
  bool connected()
  {
    if (!mDisplay && !mRefused) mRefused = !open();
    return mDisplay != nullptr;
  }
  bool open();
  void translate(XEvent& e);
  void key(XKeyEvent& k, X11Surface* s, bool repeat);
  NSInteger clickCount(int button, int x, int y, Time t);

  std::string mName;
  Display* mDisplay = nullptr;
  bool mRefused = false;
  HeadlessWindowSystem mNoDisplay;
  int mScreen = 0;
  Window mRoot = 0;
  Atom mDeleteWindow = 0, mMotifHints = 0;
  Cursor mBlankCursor = 0;
  bool mShm = false;
  bool mCursorVisible = true;
  std::map<Window, X11Surface*> mSurfaces;
  int mLastButton = 0, mLastX = 0, mLastY = 0, mClicks = 0;
  Time mLastTime = 0;
};

bool X11WindowSystem::open()
{
  Display* d = XOpenDisplay(mName.c_str());
  if (!d)
  {
    fprintf(stderr, "AppKit: cannot open display %s; running without windows\n", mName.c_str());
    return false;
  }
  // The window pixels are 32-bit words 0x00RRGGBB: the display must take them as they are.
  Visual* v = DefaultVisual(d, DefaultScreen(d));
  if (DefaultDepth(d, DefaultScreen(d)) < 24 || v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 ||
      v->blue_mask != 0xFF || ImageByteOrder(d) != LSBFirst)
  {
    fprintf(stderr, "AppKit: display %s is not 24-bit true colour; running without windows\n", mName.c_str());
    XCloseDisplay(d);
    return false;
  }
  XSetErrorHandler(CountXError);
  mDisplay = d;
  mScreen = DefaultScreen(d);
  mRoot = RootWindow(d, mScreen);
  mDeleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
  mMotifHints = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  int major, minor;
  Bool pixmaps;
  mShm = XShmQueryVersion(d, &major, &minor, &pixmaps) && !getenv("ORVANTA_APPKIT_NO_SHM");
  static char empty[1] = {0};
  Pixmap blank = XCreateBitmapFromData(d, mRoot, empty, 1, 1);
  XColor black{};
  mBlankCursor = XCreatePixmapCursor(d, blank, blank, &black, &black, 0, 0);
  XFreePixmap(d, blank);
  return true;
}

X11Surface::~X11Surface()
{
  freeImage();
  mSystem->forget(mWindow);
  XDestroyWindow(mSystem->display(), mWindow);
  XFlush(mSystem->display());
}

void X11Surface::setFrame(NSRect r)
{
  const int w = std::max(1, (int)r.size.width), h = std::max(1, (int)r.size.height);
  if (mEmbedded)
    XResizeWindow(mSystem->display(), mWindow, (unsigned)w, (unsigned)h);
  else
    XMoveResizeWindow(mSystem->display(), mWindow, (int)r.origin.x, mSystem->screenHeight() - (int)NSMaxY(r),
                      (unsigned)w, (unsigned)h);
  mWidth = w, mHeight = h;
}

void X11Surface::setVisible(bool visible)
{
  if (visible)
    XMapRaised(mSystem->display(), mWindow);
  else
    XUnmapWindow(mSystem->display(), mWindow);
  XFlush(mSystem->display());
}

void X11Surface::setTitle(const std::string& title) { XStoreName(mSystem->display(), mWindow, title.c_str()); }

void X11Surface::raise() { XRaiseWindow(mSystem->display(), mWindow); }

void X11Surface::freeImage()
{
  if (!mImage) return;
  if (mUsesShm)
  {
    XShmDetach(mSystem->display(), &mShm);
    XDestroyImage(mImage);
    shmdt(mShm.shmaddr);
  }
  else
    XDestroyImage(mImage);
  mImage = nullptr;
  mUsesShm = false;
}

bool X11Surface::makeImage(int w, int h)
{
  if (mImage && mImage->width == w && mImage->height == h) return true;
  freeImage();
  Display* d = mSystem->display();
  Visual* visual = DefaultVisual(d, DefaultScreen(d));
  const unsigned depth = (unsigned)DefaultDepth(d, DefaultScreen(d));
  if (mSystem->shm())
  {
    mImage = XShmCreateImage(d, visual, depth, ZPixmap, nullptr, &mShm, (unsigned)w, (unsigned)h);
    if (mImage)
    {
      mShm.shmid = shmget(IPC_PRIVATE, (size_t)mImage->bytes_per_line * (size_t)h, IPC_CREAT | 0600);
      mShm.shmaddr = mShm.shmid >= 0 ? (char*)shmat(mShm.shmid, nullptr, 0) : (char*)-1;
      if (mShm.shmaddr != (char*)-1)
      {
        mImage->data = mShm.shmaddr;
        mShm.readOnly = False;
        const int errors = gXErrors;
        const bool attached = XShmAttach(d, &mShm);
        XSync(d, False);
        // The segment is freed once both sides let go of it.
        shmctl(mShm.shmid, IPC_RMID, nullptr);
        if (attached && gXErrors == errors)
        {
          mUsesShm = true;
          return true;
        }
        shmdt(mShm.shmaddr);
      }
      else if (mShm.shmid >= 0)
        shmctl(mShm.shmid, IPC_RMID, nullptr);
      mImage->data = nullptr;
      XDestroyImage(mImage);
      mImage = nullptr;
    }
    // A display on another machine cannot share memory: plain requests from now on.
    mSystem->shmFailed();
  }
  char* data = (char*)malloc((size_t)w * (size_t)h * 4);
  if (!data) return false;
  mImage = XCreateImage(d, visual, depth, ZPixmap, 0, data, (unsigned)w, (unsigned)h, 32, w * 4);
  if (!mImage) free(data);
  return mImage != nullptr;
}

void X11Surface::present(const uint32_t* pixels, size_t wordsPerRow, int x, int y, int w, int h)
{
  const int fullW = (int)mOwner->frame().size.width, fullH = (int)mOwner->frame().size.height;
  if (!pixels || !makeImage(fullW, fullH)) return;
  x = std::max(0, x), y = std::max(0, y);
  w = std::min(w, fullW - x), h = std::min(h, fullH - y);
  if (w <= 0 || h <= 0) return;
  for (int row = y; row < y + h; ++row)
  {
    char* dst = mImage->data + (size_t)row * (size_t)mImage->bytes_per_line + (size_t)x * 4;
    memcpy(dst, pixels + (size_t)row * wordsPerRow + (size_t)x, (size_t)w * 4);
  }
  Display* d = mSystem->display();
  GC gc = DefaultGC(d, DefaultScreen(d));
  if (mUsesShm)
    XShmPutImage(d, mWindow, gc, mImage, x, y, x, y, (unsigned)w, (unsigned)h, False);
  else
    XPutImage(d, mWindow, gc, mImage, x, y, x, y, (unsigned)w, (unsigned)h);
  XFlush(d);
}

NSInteger X11WindowSystem::clickCount(int button, int x, int y, Time t)
{
  const bool again = button == mLastButton && t - mLastTime <= (Time)(NSEvent::doubleClickInterval() * 1000) &&
                     std::abs(x - mLastX) <= 4 && std::abs(y - mLastY) <= 4;
  mClicks = again ? mClicks + 1 : 1;
  mLastButton = button, mLastX = x, mLastY = y, mLastTime = t;
  return mClicks;
}

struct KeyInfo
{
  unsigned short code;
  UniChar character;
};

// Keys whose character is not their text, and the Mac key codes of keys.
bool SpecialKey(KeySym sym, KeyInfo* k)
{
  switch (sym)
  {
    case XK_Return: *k = {kVK_Return, NSCarriageReturnCharacter}; return true;
    case XK_KP_Enter: *k = {kVK_ANSI_KeypadEnter, NSEnterCharacter}; return true;
    case XK_Tab: case XK_ISO_Left_Tab: *k = {kVK_Tab, NSTabCharacter}; return true;
    case XK_BackSpace: *k = {kVK_Delete, NSDeleteCharacter}; return true;
    case XK_Delete: *k = {kVK_ForwardDelete, NSDeleteFunctionKey}; return true;
    case XK_Escape: *k = {kVK_Escape, 0x1B}; return true;
    case XK_Left: *k = {kVK_LeftArrow, NSLeftArrowFunctionKey}; return true;
    case XK_Right: *k = {kVK_RightArrow, NSRightArrowFunctionKey}; return true;
    case XK_Up: *k = {kVK_UpArrow, NSUpArrowFunctionKey}; return true;
    case XK_Down: *k = {kVK_DownArrow, NSDownArrowFunctionKey}; return true;
    case XK_Home: *k = {kVK_Home, NSHomeFunctionKey}; return true;
    case XK_End: *k = {kVK_End, NSEndFunctionKey}; return true;
    case XK_Page_Up: *k = {kVK_PageUp, NSPageUpFunctionKey}; return true;
    case XK_Page_Down: *k = {kVK_PageDown, NSPageDownFunctionKey}; return true;
    default: break;
  }
  if (sym >= XK_F1 && sym <= XK_F12)
  {
    static const unsigned short codes[12] = {kVK_F1, kVK_F2, kVK_F3, kVK_F4, kVK_F5,  kVK_F6,
                                             kVK_F7, kVK_F8, kVK_F9, kVK_F10, kVK_F11, kVK_F12};
    *k = {codes[sym - XK_F1], (UniChar)(NSF1FunctionKey + (sym - XK_F1))};
    return true;
  }
  return false;
}

// The Mac key code of the key that gives this character on a US keyboard.
unsigned short CodeForCharacter(KeySym sym)
{
  static const unsigned short letters[26] = {
      kVK_ANSI_A, kVK_ANSI_B, kVK_ANSI_C, kVK_ANSI_D, kVK_ANSI_E, kVK_ANSI_F, kVK_ANSI_G, kVK_ANSI_H, kVK_ANSI_I,
      kVK_ANSI_J, kVK_ANSI_K, kVK_ANSI_L, kVK_ANSI_M, kVK_ANSI_N, kVK_ANSI_O, kVK_ANSI_P, kVK_ANSI_Q, kVK_ANSI_R,
      kVK_ANSI_S, kVK_ANSI_T, kVK_ANSI_U, kVK_ANSI_V, kVK_ANSI_W, kVK_ANSI_X, kVK_ANSI_Y, kVK_ANSI_Z};
  static const unsigned short digits[10] = {kVK_ANSI_0, kVK_ANSI_1, kVK_ANSI_2, kVK_ANSI_3, kVK_ANSI_4,
                                            kVK_ANSI_5, kVK_ANSI_6, kVK_ANSI_7, kVK_ANSI_8, kVK_ANSI_9};
  if (sym >= XK_a && sym <= XK_z) return letters[sym - XK_a];
  if (sym >= XK_A && sym <= XK_Z) return letters[sym - XK_A];
  if (sym >= XK_0 && sym <= XK_9) return digits[sym - XK_0];
  if (sym >= XK_KP_0 && sym <= XK_KP_9)
  {
    static const unsigned short pad[10] = {kVK_ANSI_Keypad0, kVK_ANSI_Keypad1, kVK_ANSI_Keypad2, kVK_ANSI_Keypad3,
                                           kVK_ANSI_Keypad4, kVK_ANSI_Keypad5, kVK_ANSI_Keypad6, kVK_ANSI_Keypad7,
                                           kVK_ANSI_Keypad8, kVK_ANSI_Keypad9};
    return pad[sym - XK_KP_0];
  }
  switch (sym)
  {
    case XK_space: return kVK_Space;
    case XK_minus: case XK_underscore: return kVK_ANSI_Minus;
    case XK_equal: case XK_plus: return kVK_ANSI_Equal;
    case XK_period: case XK_greater: return kVK_ANSI_Period;
    case XK_comma: case XK_less: return kVK_ANSI_Comma;
    case XK_slash: case XK_question: return kVK_ANSI_Slash;
    case XK_semicolon: case XK_colon: return kVK_ANSI_Semicolon;
    case XK_apostrophe: case XK_quotedbl: return kVK_ANSI_Quote;
    case XK_bracketleft: case XK_braceleft: return kVK_ANSI_LeftBracket;
    case XK_bracketright: case XK_braceright: return kVK_ANSI_RightBracket;
    case XK_backslash: case XK_bar: return kVK_ANSI_Backslash;
    case XK_grave: case XK_asciitilde: return kVK_ANSI_Grave;
    case XK_KP_Decimal: return kVK_ANSI_KeypadDecimal;
    case XK_KP_Add: return kVK_ANSI_KeypadPlus;
    case XK_KP_Subtract: return kVK_ANSI_KeypadMinus;
    case XK_KP_Multiply: return kVK_ANSI_KeypadMultiply;
    case XK_KP_Divide: return kVK_ANSI_KeypadDivide;
    default: return 0xFF;
  }
}

CFStringRef LookUp(XKeyEvent* k, unsigned state, KeySym* sym)
{
  XKeyEvent copy = *k;
  copy.state = state;
  char buf[32];
  const int n = XLookupString(&copy, buf, sizeof buf, sym, nullptr);
  KeyInfo info;
  if (SpecialKey(*sym, &info)) return CFStringCreateWithCharacters(nullptr, &info.character, 1);
  // XLookupString answers Latin-1.
  return CFStringCreateWithBytes(nullptr, (const UInt8*)buf, n > 0 ? n : 0, kCFStringEncodingISOLatin1, false);
}

// A modifier key's Mac key code and flag, for flagsChanged.
bool ModifierKey(KeySym sym, unsigned short* code, NSUInteger* flag)
{
  switch (sym)
  {
    case XK_Shift_L: case XK_Shift_R: *code = kVK_Shift, *flag = NSEventModifierFlagShift; return true;
    case XK_Control_L: case XK_Control_R: *code = kVK_Control, *flag = NSEventModifierFlagControl; return true;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R:
      *code = kVK_Option, *flag = NSEventModifierFlagOption;
      return true;
    case XK_Super_L: case XK_Super_R: *code = kVK_Command, *flag = NSEventModifierFlagCommand; return true;
    case XK_Caps_Lock: *code = kVK_CapsLock, *flag = NSEventModifierFlagCapsLock; return true;
    default: return false;
  }
}

void X11WindowSystem::key(XKeyEvent& k, X11Surface* s, bool repeat)
{
  const NSPoint at = NSMakePoint(k.x, s->height() - k.y);
  unsigned short modifierCode;
  NSUInteger modifierFlag;
  // Modifier keys alone are not typing: AppKit reports them as flagsChanged.
  if (ModifierKey(XLookupKeysym(&k, 0), &modifierCode, &modifierFlag))
  {
    NSUInteger flags = Flags(k.state);
    flags = k.type == KeyPress ? (flags | modifierFlag) : (flags & ~modifierFlag);
    NSApp->postEvent(NSEvent::keyEventWithType(NSEventTypeFlagsChanged, at, flags, now(), s->owner()->windowNumber(),
                                               nullptr, CFSTR(""), CFSTR(""), false, modifierCode),
                     false);
    return;
  }
  KeySym sym = 0, plainSym = 0;
  CFStringRef chars = LookUp(&k, k.state, &sym);
  // Ignoring modifiers keeps Shift (and Caps Lock), as AppKit does.
  CFStringRef plain = LookUp(&k, k.state & (ShiftMask | LockMask), &plainSym);
  KeyInfo info{0xFF, 0};
  const unsigned short code = SpecialKey(plainSym, &info) ? info.code : CodeForCharacter(plainSym);
  NSUInteger flags = Flags(k.state);
  if (IsKeypadKey(plainSym)) flags |= NSEventModifierFlagNumericPad;
  NSEvent* e = NSEvent::keyEventWithType(k.type == KeyPress ? NSEventTypeKeyDown : NSEventTypeKeyUp, at, flags, now(),
                                         s->owner()->windowNumber(), nullptr, chars, plain, repeat, code);
  NSApp->postEvent(e, false);
  if (chars) CFRelease(chars);
  if (plain) CFRelease(plain);
}

void X11WindowSystem::translate(XEvent& e)
{
  auto it = mSurfaces.find(e.xany.window);
  if (it == mSurfaces.end()) return;
  X11Surface* s = it->second;
  NSWindow* w = s->owner();
  const NSInteger number = w->windowNumber();
  const int h = s->height();
  NSAutoreleasePool pool;
  switch (e.type)
  {
    case Expose:
      w->nativeExposed(NSMakeRect(e.xexpose.x, h - e.xexpose.y - e.xexpose.height, e.xexpose.width, e.xexpose.height));
      break;
    case ConfigureNotify:
    {
      int rx = 0, ry = 0;
      Window child;
      XTranslateCoordinates(mDisplay, e.xconfigure.window, mRoot, 0, 0, &rx, &ry, &child);
      s->setSize(e.xconfigure.width, e.xconfigure.height);
      w->nativeFrameChanged(
          NSMakeRect(rx, screenHeight() - ry - e.xconfigure.height, e.xconfigure.width, e.xconfigure.height));
      break;
    }
    case ButtonPress:
    case ButtonRelease:
    {
      const XButtonEvent& b = e.xbutton;
      // The window's place on the screen, known exactly at every click (an
      // embedded window is not told when its host moves it).
      w->nativeFrameChanged(NSMakeRect(b.x_root - b.x, screenHeight() - (b.y_root - b.y) - h, w->frame().size.width,
                                       w->frame().size.height));
      const NSPoint at = NSMakePoint(b.x, h - b.y);
      if (b.button >= 4 && b.button <= 7)
      {
        if (e.type == ButtonPress)
          NSApp->postEvent(NSEvent::scrollWheelEventWithLocation(at, Flags(b.state), now(), number,
                                                                 b.button == 6 ? 1 : b.button == 7 ? -1 : 0,
                                                                 b.button == 4 ? 1 : b.button == 5 ? -1 : 0),
                           false);
        break;
      }
      // Keys follow the click, also into a window embedded in another program's.
      if (e.type == ButtonPress && s->takesFocus()) XSetInputFocus(mDisplay, b.window, RevertToParent, CurrentTime);
      const bool down = e.type == ButtonPress;
      NSEventType type = b.button == 1 ? (down ? NSEventTypeLeftMouseDown : NSEventTypeLeftMouseUp)
                         : b.button == 3 ? (down ? NSEventTypeRightMouseDown : NSEventTypeRightMouseUp)
                                         : (down ? NSEventTypeOtherMouseDown : NSEventTypeOtherMouseUp);
      const NSInteger clicks = down ? clickCount((int)b.button, b.x_root, b.y_root, b.time) : mClicks;
      NSApp->postEvent(NSEvent::mouseEventWithType(type, at, Flags(b.state), now(), number, nullptr, 0, clicks, 1), false);
      break;
    }
    case MotionNotify:
    {
      // Only the latest of a run of motions matters.
      while (XPending(mDisplay))
      {
        XEvent next;
        XPeekEvent(mDisplay, &next);
        if (next.type != MotionNotify || next.xmotion.window != e.xmotion.window) break;
        XNextEvent(mDisplay, &e);
      }
      const XMotionEvent& m = e.xmotion;
      const NSEventType type = (m.state & Button1Mask)   ? NSEventTypeLeftMouseDragged
                               : (m.state & Button3Mask) ? NSEventTypeRightMouseDragged
                               : (m.state & Button2Mask) ? NSEventTypeOtherMouseDragged
                                                         : NSEventTypeMouseMoved;
      NSApp->postEvent(NSEvent::mouseEventWithType(type, NSMakePoint(m.x, h - m.y), Flags(m.state), now(), number,
                                                   nullptr, 0, 0, 1),
                       false);
      break;
    }
    case LeaveNotify:
      NSApp->postEvent(NSEvent::enterExitEventWithType(NSEventTypeMouseExited,
                                                       NSMakePoint(e.xcrossing.x, h - e.xcrossing.y),
                                                       Flags(e.xcrossing.state), now(), number, 0, nullptr),
                       false);
      break;
    case KeyRelease:
      // A held key: X sends a release and a press at the same moment for
      // each repeat; AppKit sends only key downs marked as repeats.
      if (XPending(mDisplay))
      {
        XEvent next;
        XPeekEvent(mDisplay, &next);
        if (next.type == KeyPress && next.xkey.keycode == e.xkey.keycode && next.xkey.time == e.xkey.time)
        {
          XNextEvent(mDisplay, &next);
          key(next.xkey, s, true);
          break;
        }
      }
      key(e.xkey, s, false);
      break;
    case KeyPress: key(e.xkey, s, false); break;
    case FocusIn: w->makeKeyWindow(); break;
    case ClientMessage:
      if ((Atom)e.xclient.data.l[0] == mDeleteWindow) w->performClose(nullptr);
      break;
    default: break;
  }
}

} // namespace

NSWindowSystem* MakeX11WindowSystem()
{
  const char* name = getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  return new X11WindowSystem(name);
}
