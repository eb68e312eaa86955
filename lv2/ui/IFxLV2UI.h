#pragma once

// The editor of a plug-in in an LV2 host, as an X11 UI. LV2 keeps a UI apart
// from the instance it controls: the two share nothing but port traffic. So
// the UI makes its own plug-in object (the same effect class, built with its
// editor), which owns the editor and mirrors the parameters:
//
//   host -> UI:  port_event on a control port sets that parameter on the UI's
//                object and pushes it to the editor (SetParameterFromPlug);
//   UI -> host:  a control moved in the editor reaches the base through
//                SetParameterFromGUI, whose host notification here is the
//                host's write_function on the parameter's control port, with
//                the parameter's real value (what control ports carry).
//
// The UI's object never processes audio. The editor view goes into a window
// embedded in the host's ui:parent window; the host's idle calls drive the
// window system's run loop (timers, events, repaint).

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "lv2/LV2PortLayout.h"
#include "plugin/IFxBase.h"
#include "plugin/IFxFactory.h"

class NSWindow;
class NSView;

// What the UI's plug-in object reports instead of informing an Audio Unit
// host. Host UI thread; may not lock; the host's calls may allocate.
class IFxLV2UIHost
{
public:
  virtual ~IFxLV2UIHost() = default;
  virtual void ParamGestureBegin(int paramIdx) = 0;
  virtual void ParamChangedFromGUI(int paramIdx) = 0;
  virtual void ParamGestureEnd(int paramIdx) = 0;
};

// The effect class with its host notifications turned into IFxLV2UIHost
// calls. TPlug is the effect built for the Audio Unit wrapper (it carries the
// editor); its constructor takes an IFxInstanceInfo.
template <class TPlug>
class IFxLV2UIPlug : public TPlug
{
public:
  IFxLV2UIPlug(IFxInstanceInfo info, IFxLV2UIHost* host) : TPlug(info), mHost(host) {}

  // Editor thread (the host's UI thread); no lock taken.
  void BeginInformHostOfParamChange(int paramIdx) override { mHost->ParamGestureBegin(paramIdx); }
  // Editor thread, with the plug-in's mutex held.
  void InformHostOfParamChange(int paramIdx, double) override { mHost->ParamChangedFromGUI(paramIdx); }
  // Editor thread; no lock taken.
  void EndInformHostOfParamChange(int paramIdx) override { mHost->ParamGestureEnd(paramIdx); }
  // Editor thread; presets stay the host's business in LV2.
  void InformHostOfProgramChange() override {}

private:
  IFxLV2UIHost* mHost;
};

class IFxLV2UI : public IFxLV2UIHost
{
public:
  // Makes the UI's plug-in object with `host` as its notification target.
  typedef IFxBase* (*MakeUIPlugFn)(IFxLV2UIHost* host);

  // Host UI thread; no allocation. The descriptor of UI `index` (only 0) with
  // the given URI; null for any other index.
  static const LV2UI_Descriptor* GetDescriptor(uint32_t index, const char* uri, MakeUIPlugFn make);

  // Host UI thread; allocates. Null (nothing left behind) when the plug-in
  // object or its editor cannot be made, or the window cannot be opened.
  static IFxLV2UI* Create(MakeUIPlugFn make, LV2UI_Write_Function write, LV2UI_Controller controller,
                          LV2UI_Widget* widget, const LV2_Feature* const* features);
  // Host UI thread: closes the editor and its window.
  ~IFxLV2UI() override;

  // Host UI thread; no allocation. A control port's new real value; other
  // ports, formats other than plain floats and short buffers are ignored.
  void PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
  // Host UI thread: one pass of the run loop without waiting. 0: keep going.
  int Idle();

  IFxBase* Plug() const { return mPlug; }
  NSWindow* Window() const { return mWindow; }

  // Host UI thread; the host's calls may allocate.
  void ParamGestureBegin(int paramIdx) override;
  void ParamChangedFromGUI(int paramIdx) override;
  void ParamGestureEnd(int paramIdx) override;

private:
  IFxLV2UI(LV2UI_Write_Function write, LV2UI_Controller controller);

  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  const LV2UI_Touch* mTouch = nullptr;
  IFxBase* mPlug = nullptr;
  LV2PortLayout* mPorts = nullptr;
  NSWindow* mWindow = nullptr;
  NSView* mView = nullptr;
};

#define IFXLV2UI_ENTRY_VISIBLE __attribute__((visibility("default")))

#ifndef IFXLV2_PLUGIN_URI
#error "the LV2 build defines IFXLV2_PLUGIN_URI, the plug-in's URI"
#endif
// The UI's URI: the plug-in's with "#ui".
#define IFXLV2UI_URI IFXLV2_PLUGIN_URI "#ui"

// Defines the UI's one exported entry point, lv2ui_descriptor, for effect
// class NAME (built with its editor); BUNDLE_ID and VIEW_CLASS are what its
// factory hands the effect (the editor finds its images by the bundle id).
#define IFXLV2UI_ENTRY_POINTS(NAME, BUNDLE_ID, VIEW_CLASS)                                   \
  static IFxBase* NAME##_MakeUIPlug(IFxLV2UIHost* host)                                       \
  {                                                                                           \
    KIT_MutexLock lock(GetPlugFactoryMutex());                                                \
    IFxInstanceInfo info;                                                                     \
    info.mBundleID.Set(BUNDLE_ID);                                                            \
    info.mCocoaViewFactoryClassName.Set(VIEW_CLASS);                                          \
    return new IFxLV2UIPlug<NAME>(info, host);                                                \
  }                                                                                           \
  extern "C" IFXLV2UI_ENTRY_VISIBLE const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) \
  {                                                                                           \
    return IFxLV2UI::GetDescriptor(index, IFXLV2UI_URI, NAME##_MakeUIPlug);                   \
  }
