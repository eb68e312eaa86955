#ifndef APPKIT_NSGRAPHICSCONTEXT_H_
#define APPKIT_NSGRAPHICSCONTEXT_H_

// The drawing destination of the view being painted. Its port is a
// CoreGraphics context (AppKitGraphics.h: NSGraphicsContextCurrentPort).

#include <AppKit/AppKitGraphics.h>
#include <AppKit/NSObject.h>

class NSGraphicsContext : public NSObject
{
public:
  // Main thread. The context of the current port (autoreleased), or null
  // outside painting. Flipped when the view being drawn is flipped.
  static NSGraphicsContext* currentContext();
  // Autoreleased; does not retain the port, which must outlive it.
  static NSGraphicsContext* graphicsContextWithGraphicsPort(CGContextRef port, bool flipped);
  CGContextRef graphicsPort() const { return mPort; }
  bool isFlipped() const { return mFlipped; }

private:
  NSGraphicsContext(CGContextRef port, bool flipped) : mPort(port), mFlipped(flipped) {}
  CGContextRef mPort;
  bool mFlipped;
};

// Whether the view being painted on this thread is flipped (set with the port).
bool NSGraphicsContextCurrentIsFlipped();

#endif
