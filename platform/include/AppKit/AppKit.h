#ifndef APPKIT_APPKIT_H_
#define APPKIT_APPKIT_H_

// The window-system stand-in: the part of AppKit a plug-in editor and its
// host use, as C++ classes with AppKit's names and behaviour (see
// NSObject.h for how Objective-C messages map to member functions).

#include <AppKit/AppKitGraphics.h>
#include <AppKit/NSAlert.h>
#include <AppKit/NSApplication.h>
#include <AppKit/NSColorPanel.h>
#include <AppKit/NSCursor.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSFormatter.h>
#include <AppKit/NSGeometry.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSNotification.h>
#include <AppKit/NSObjCRuntime.h>
#include <AppKit/NSObject.h>
#include <AppKit/NSPathUtilities.h>
#include <AppKit/NSResponder.h>
#include <AppKit/NSRunLoop.h>
#include <AppKit/NSSavePanel.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSTimer.h>
#include <AppKit/NSTrackingArea.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <AppKit/NSWorkspace.h>

#endif
