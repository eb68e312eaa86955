#ifndef AUDIOUNIT_AUCOCOAUIVIEW_H_
#define AUDIOUNIT_AUCOCOAUIVIEW_H_

// The protocol a Cocoa view factory adopts. A host reads
// kAudioUnitProperty_CocoaUI (AudioUnitCocoaViewInfo: the bundle that holds
// the factory and its class name), loads that bundle, finds the class with
// NSClassFromString, checks conformsToProtocol(objc_getProtocol("AUCocoaUIBase")),
// instantiates it and asks it for the view.

#include <AppKit/NSObjCRuntime.h>
#include <AudioUnit/AUComponent.h>

class NSView;

class AUCocoaUIBase
{
public:
  static constexpr const char* kProtocolName = "AUCocoaUIBase";
  virtual ~AUCocoaUIBase();

  // Host UI thread. The version of this protocol the factory implements (0).
  virtual unsigned interfaceVersion() = 0;
  // Host UI thread; may allocate. The unit's editor view, autoreleased (the
  // host keeps it by adding it to a superview), or null when the unit has none.
  virtual NSView* uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize) = 0;
};

#endif
