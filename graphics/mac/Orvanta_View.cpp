#include "graphics/mac/Orvanta_View.h"

#include "graphics/mac/IGraphicsMac.h"
#include "plugin/IFxBase.h"

#include <CoreServices/Components.h>

NSView* Orvanta_View::uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize)
{
  // The instance storage is the Audio Unit object, whose first and only base is IFxBase.
  mPlug = inAudioUnit ? static_cast<IFxBase*>(static_cast<void*>(GetComponentInstanceStorage(inAudioUnit))) : nullptr;
  if (!mPlug || !mPlug->GetGUI()) return nullptr;
  auto* view = static_cast<NSView*>(mPlug->GetGUI()->OpenWindow(nullptr));
  // The editor keeps its own reference; the host's is the superview it adds the view to.
  return view ? static_cast<NSView*>(view->retain()->autorelease()) : nullptr;
}

CFStringRef Orvanta_View::description() { return CFStringCreateCopy(nullptr, CFSTR("Orvanta View")); }

NS_REGISTER_CLASS(Orvanta_View, NSObject, AUCocoaUIBase);
