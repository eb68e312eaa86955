#ifndef APPKIT_GRAPHICS_H_
#define APPKIT_GRAPHICS_H_

// The few AppKit font, colour and drawing-context calls the drawing layers
// use, offered as C++ functions. Each names the AppKit message it stands for.
// Fonts come back as CTFontRef (NSFont and CTFont are the same objects on
// the platform) and follow the create rule: the caller releases them.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

// [obj retain] and [obj release]: for every object of the platform
// (CoreFoundation, CoreGraphics and CoreText ones alike), as the objects
// are toll-free bridged. Null is ignored.
CFTypeRef NSObjectRetain(CFTypeRef obj);
void NSObjectRelease(CFTypeRef obj);

// NSFoundationVersionNumber: this stand-in reports the 10.9 Foundation.
extern const double NSFoundationVersionNumber;

// [NSFont fontWithName:size:]: the installed font the name denotes exactly
// (PostScript name, full name, or family plus style words, with the usual
// Mac face names mapped to installed look-alikes), or null when there is none.
CTFontRef NSFontCreateWithNameSize(CFStringRef name, CGFloat size);
// [NSFont labelFontOfSize:] (size 0 or less: [NSFont labelFontSize]).
CTFontRef NSFontCreateLabelFontOfSize(CGFloat size);
// [NSFont labelFontSize]
CGFloat NSFontLabelFontSize();
// How many times NSFontCreateWithNameSize has searched the font catalogue
// (a test hook: callers that cache names must not search twice).
long NSFontCatalogLookupCount();

// [NSColor windowBackgroundColor] and [NSColor controlTextColor] in device RGB.
CGColorRef NSColorCreateWindowBackgroundColor();
CGColorRef NSColorCreateControlTextColor();

// [NSGraphicsContext currentContext].graphicsPort: the context drawing goes
// to on this thread, set by the window host around painting (null otherwise).
CGContextRef NSGraphicsContextCurrentPort();
// Makes port the current one on this thread (null to clear); returns the
// previous one. The caller keeps the port alive while it is current.
CGContextRef NSGraphicsContextSetCurrentPort(CGContextRef port);

#endif
