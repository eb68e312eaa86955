#pragma once

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>

class IFxBase;

// The view factory a host instantiates by name to get the editor's view.
class Orvanta_View : public NSObject, public AUCocoaUIBase
{
public:
  Orvanta_View() = default;

  // Host UI thread.
  unsigned interfaceVersion() override { return 0; }
  // Host UI thread; allocates: the editor's view of the unit, autoreleased, or null without an editor.
  NSView* uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize) override;
  // A new string: "Orvanta View".
  CFStringRef description() override;

  IFxBase* Plug() const { return mPlug; }

private:
  IFxBase* mPlug = nullptr;
};
