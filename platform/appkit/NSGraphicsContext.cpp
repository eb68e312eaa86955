#include <AppKit/NSGraphicsContext.h>

#include "appkit/NSWindowSystem.h"

static thread_local bool tCurrentFlipped = false;

bool NSGraphicsContextCurrentIsFlipped() { return tCurrentFlipped; }

void NSGraphicsContextSetCurrentFlipped(bool flipped) { tCurrentFlipped = flipped; }

NSGraphicsContext* NSGraphicsContext::currentContext()
{
  CGContextRef port = NSGraphicsContextCurrentPort();
  return port ? graphicsContextWithGraphicsPort(port, tCurrentFlipped) : nullptr;
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort(CGContextRef port, bool flipped)
{
  return static_cast<NSGraphicsContext*>((new NSGraphicsContext(port, flipped))->autorelease());
}
