#include <AppKit/NSApplication.h>
#include <AppKit/NSWindow.h>
#include <AppKit/OrvantaAppKitTesting.h>

#include "appkit/HeadlessWindowSystem.h"

namespace {

// Pixels stay in the window; nothing is shown anywhere.
class HeadlessSurface : public NSWindowSurface
{
public:
  void setFrame(NSRect) override {}
  void setVisible(bool) override {}
  void setTitle(const std::string&) override {}
  void raise() override {}
  void present(const uint32_t*, size_t, int, int, int, int) override { ++gPresents; }
  uintptr_t nativeID() const override { return 0; }
  static long gPresents;
};

long HeadlessSurface::gPresents = 0;

} // namespace

long OrvantaAppKitPresentCount() { return HeadlessSurface::gPresents; }

NSWindowSurface* HeadlessWindowSystem::createSurface(NSWindow*, NSRect, NSSurfaceKind, uintptr_t)
{
  return new HeadlessSurface;
}

bool HeadlessWindowSystem::waitForEvents(double deadline)
{
  if (deadline >= 1e11) return false; // nothing would ever wake it
  if (deadline > mNow) mNow = deadline;
  return true;
}

NSRect HeadlessWindowSystem::screenFrame() { return NSMakeRect(0, 0, 1920, 1080); }

bool HeadlessWindowSystem::setCursorVisible(bool visible)
{
  mCursorVisible = visible;
  return true;
}

bool HeadlessWindowSystem::warpPointer(NSPoint p)
{
  mPointer = p;
  return true;
}
