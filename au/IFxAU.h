#pragma once

// The Audio Unit wrapper: one IFxAU is one instance of the component. The host
// talks to it through the component entry point (IFxAUEntry), through the three
// fast-dispatch functions it may fetch (GetParamProc, SetParamProc, RenderProc)
// and, for the old view-component interface, through IFxAUCarbonViewEntry.
//
// What an effect built on this wrapper must provide
// -------------------------------------------------
// 1. A class deriving from IFxAU whose constructor takes an IFxInstanceInfo and
//    passes it on with the plug-in's description:
//
//      Orvanta::Orvanta(IFxInstanceInfo info)
//        : IFxAU(info, kNumParams, "1-1 2-2", kNumPresets, "Orvanta", "", "zerrantic",
//                0x10300, 'orv5', 'Zrnt', 0, false, false, false, 0) { ... }
//
// 2. The factory declared in plugin/IFxBase.h, which the open selector calls:
//
//      IFxBase* MakePlug()
//      {
//        return MakePlugUnderFactoryMutex<Orvanta>(kBundleID, "Orvanta_View");
//      }
//
//    MakePlug must return an IFxAU (the open selector refuses anything else).
//
// 3. The two exported entry points, with IFXAU_ENTRY_POINTS(Orvanta) at file
//    scope in one source file. It defines
//
//      extern "C" ComponentResult Orvanta_Entry(ComponentParameters*, Handle);
//      extern "C" ComponentResult Orvanta_ViewEntry(ComponentParameters*, Handle);
//
//    with default visibility. They have exactly the type of the platform's
//    ComponentRoutineProcPtr, through which the host calls them; the storage
//    handle is the instance's IFxAU (or view record) and is converted inside.
//    Those two are the only symbols a host looks up, and the only ones the
//    bundle's shared object needs to export: link it with -fvisibility=hidden
//    objects, or with a version script that keeps exactly these two global
//    ({ global: Orvanta_Entry; Orvanta_ViewEntry; local: *; };).
//    The source file holding the macro must be compiled into the shared object
//    itself (or its archive linked whole): nothing else references the entry
//    points, so a static archive would otherwise leave them out.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreAudio/CoreAudioTypes.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#include "au/ITimeInfo.h"
#include "plugin/IFxBase.h"
#include "plugin/IParam.h"
#include "plugin/containers/KIT_PtrList.h"
#include "plugin/containers/KIT_String.h"
#include "plugin/containers/KIT_TypedBuf.h"

class IFxAU : public IFxBase
{
public:
  // How an input bus gets its audio.
  enum EAUInputType
  {
    eNotConnected = 0,
    eDirectFastProc = 1,
    eDirectNoFastProc = 2,
    eRenderCallback = 3
  };

  // One input or output bus and the plug-in channels it covers.
  struct BusChannels
  {
    bool mConnected = false;
    int mNHostChannels = -1;  // -1: not negotiated yet
    int mNPlugChannels = 0;
    int mPlugChannelStartIdx = 0;
  };

  // Where one input bus comes from; all zero means nothing is connected.
  struct InputBusConnection
  {
    void* mUpstreamObj = nullptr;
    AudioUnit mUpstreamUnit = nullptr;
    int mUpstreamBusIdx = 0;
    AudioUnitRenderProc mUpstreamRenderProc = nullptr;
    AURenderCallbackStruct mUpstreamRenderCallback = {nullptr, nullptr};
    EAUInputType mInputType = eNotConnected;
  };

  // One registered property listener. A null proc marks a record removed while
  // the listeners are being called; it is deleted once the calling is over.
  struct PropertyListener
  {
    AudioUnitPropertyID mPropID = 0;
    AudioUnitPropertyListenerProc mListenerProc = nullptr;
    void* mProcArgs = nullptr;
  };

  // Most channels an input bus can hand over in one render call.
  static constexpr int kMaxInputBusChannels = 128;

  // Host UI thread (instance open, under the factory mutex); allocates.
  // plugScChans is the number of side-chain input channels (0 for none).
  IFxAU(IFxInstanceInfo info, int nParams, const char* channelIOStr, int nPresets,
        const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
        int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
        bool plugIsInst, int plugScChans);

  // Host UI thread (instance close); frees everything the wrapper owns.
  ~IFxAU() override;

  // ---- the component entry points ----

  // Any host thread. Takes the plug-in mutex around every selector but open and
  // close; may allocate (except for render and parameter selectors).
  static ComponentResult IFxAUEntry(ComponentParameters* params, void* pPlug);
  // Host UI thread; view-component calls. pView is the view record (null at open).
  static ComponentResult IFxAUCarbonViewEntry(ComponentParameters* params, void* pView);

  // ---- fast dispatch (free-standing; the first argument is the IFxAU) ----

  // Host UI thread, answering the fast-dispatch property; no lock, no allocation.
  static OSStatus GetProc(AudioUnitElement selector, UInt32* pDataSize, void* pData);
  // Any host thread; takes the mutex; no allocation.
  static OSStatus GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* pValue);
  // Any host thread; takes the mutex; no allocation.
  static OSStatus SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               UInt32 offsetFrames);
  // Render thread; takes the mutex (so no filter is re-initialised while a block
  // runs through it, whichever way the host calls); no allocation.
  static OSStatus RenderProc(void* pPlug, AudioUnitRenderActionFlags* pFlags,
                             const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                             UInt32 nFrames, AudioBufferList* pBufferList);

  // ---- properties (host UI thread, under the mutex taken by the entry point) ----

  // pDataSize and pWritable are always valid; pData is null for an information
  // query. With data, *pDataSize is the capacity of the host's buffer on entry.
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                              AudioUnitElement element, UInt32* pDataSize, Boolean* pWritable,
                              void* pData);
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                              AudioUnitElement element, UInt32* pDataSize, const void* pData);
  // Calls every listener registered for propID, element 0.
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);

  // ---- state (host UI thread, under the mutex) ----

  // Builds the class-info dictionary; the caller owns *ppPropList.
  ComponentResult GetState(CFPropertyListRef* ppPropList);
  // Restores from a class-info dictionary; 0, -10851 or a platform status.
  ComponentResult SetState(CFPropertyListRef pPropList);

  // ---- buses (host UI thread unless noted) ----

  int NInBuses() const { return mInBuses.GetSize(); }
  int NOutBuses() const { return mOutBuses.GetSize(); }
  // Sum of the host channel counts that are 0 or more, except bus excludeIdx;
  // -1 when no bus counted.
  static int NHostChannelsConnected(const KIT_PtrList<BusChannels>* pBuses, int excludeIdx);
  // Whether the negotiated channel counts form a legal configuration.
  bool CheckLegalIO();
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  // Global scope gives the output bus; null out of range.
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  const InputBusConnection* GetInputBusConnection(int busIdx) const
  {
    return mInBusConnections.Get(busIdx);
  }
  // Takes the mutex; derives each input bus's type and the plug-in's input connections.
  void AssessInputConnections();
  // Instance close: every bus back to its start state.
  void ClearConnections();
  // Writes the layout tag for scope/element into *pTags when given; returns the
  // number of tags (1 or 0).
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                           AudioChannelLayoutTag* pTags);
  static AudioChannelLayoutTag GetTagForNumChannels(int nChannels);
  static void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate,
                              int nChannels, bool interleaved);

  // ---- the rest of the instance's state ----

  bool IsActive() const { return mActive; }
  ComponentInstance GetComponentInstance() const { return mCI; }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetCocoaViewFactoryClassName() const { return mCocoaViewFactoryClassName.Get(); }
  int NPropertyListeners() const;
  int NRenderNotifications() const;

  // Sends one parameter event to the host's event listeners.
  static void SendAUEvent(AudioUnitEventType type, ComponentInstance ci, int paramIdx);

  // ---- IFxBase operations the wrapper supplies ----

  // Editor thread, at the start of a gesture; no lock needed; may allocate (platform).
  void BeginInformHostOfParamChange(int paramIdx) override;
  // Editor thread, with the mutex held; may allocate (platform).
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  // Editor thread, at the end of a gesture; may allocate (platform).
  void EndInformHostOfParamChange(int paramIdx) override;
  // Host UI or editor thread, under the mutex; calls the present-preset listeners.
  void InformHostOfProgramChange() override;
  // Any thread; no lock.
  bool IsRenderingOffline() override { return mIsOffline; }
  // Render thread; asks the host; no lock, no allocation.
  int GetSamplePos() override;
  // Render thread; asks the host; no lock, no allocation.
  double GetTempo() override;
  // Render thread; asks the host; no lock, no allocation.
  void GetTimeSig(int* pNum, int* pDenom) override;
  // Render thread; asks the host; no lock, no allocation.
  void GetTime(ITimeInfo* pTimeInfo) override;
  // Any thread; identifies the host from the main bundle on first use; may allocate then.
  EHost GetHost() override;
  // Editor thread; tells the plug-in its editor changed size.
  void ResizeGraphics(int w, int h) override;
  // Host UI thread at instance open; identifies the host.
  void HostSpecificInit() override;
  // Host UI thread, under the mutex; tells the latency listeners, then stores it.
  void SetLatency(int samples) override;
  // Render or host thread; this unit sends no MIDI.
  bool SendMidiMsg(IMidiMsg* pMsg) override;
  // Host UI thread, under the mutex, never while rendering; allocates. Sizes the
  // wrapper's float scratch and the base's buffers; false (nothing changed) when
  // the size is not positive or the memory cannot be had.
  bool SetBlockSize(int blockSize) override;

protected:
  KIT_String mBundleID;
  KIT_String mCocoaViewFactoryClassName;
  char mParamDisplayStr[MAX_PARAM_DISPLAY_LEN];
  ComponentInstance mCI = nullptr;
  bool mActive = false;
  bool mIsOffline = false;
  double mLastRenderSampleTime = -1.0;
  double mTempo = 120.0;
  HostCallbackInfo mHostCallbacks;
  KIT_TypedBuf<float> mInScratchBuf;
  KIT_TypedBuf<float> mOutScratchBuf;
  KIT_PtrList<AURenderCallbackStruct> mRenderNotify;
  KIT_PtrList<BusChannels> mInBuses;
  KIT_PtrList<BusChannels> mOutBuses;
  KIT_PtrList<InputBusConnection> mInBusConnections;
  KIT_PtrList<PropertyListener> mPropertyListeners;

private:
  // Listener and notification lists may be changed by the very callbacks they
  // are calling; while any such loop runs, removals only blank the record.
  int mNotifyDepth = 0;
  bool mPurgePending = false;
  // Frames of the last input pull: a call with the same sample time but another
  // frame count pulls again rather than read what the last pull left.
  UInt32 mLastPullFrames = 0;

  void BeginNotifying() { ++mNotifyDepth; }
  void EndNotifying();
  void PurgeRemovedCallbacks();
  void CallPropertyListeners(AudioUnitPropertyID propID, AudioUnitScope scope);

  void AddPropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                           void* userData);
  void RemovePropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                              bool matchUserData, void* userData);
  void AddRenderNotify(AURenderCallback proc, void* refCon);
  void RemoveRenderNotify(AURenderCallback proc);

  ComponentResult Dispatch(int selector, ComponentParameters* params);
  ComponentResult ScheduleParameters(const AudioUnitParameterEvent* pEvents, UInt32 nEvents);

  ComponentResult GetParamInfo(AudioUnitElement paramIdx, AudioUnitParameterInfo* pInfo);
  ComponentResult GetParamValueStrings(AudioUnitElement paramIdx, CFArrayRef* pStrings);
  ComponentResult GetValueToText(AudioUnitParameterStringFromValue* pSFV);
  ComponentResult GetParamName(AudioUnitParameterIDName* pName);
  ComponentResult GetClumpName(AudioUnitParameterNameInfo* pName);
  ComponentResult GetTextToValue(AudioUnitParameterValueFromString* pVFS);
  ComponentResult GetElementLabel(AudioUnitScope scope, AudioUnitElement element, const char** pLabel);
  ComponentResult GetFactoryPresets(CFArrayRef* pArray);
  ComponentResult GetCocoaUI(AudioUnitCocoaViewInfo* pInfo);
  ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                  const AudioStreamBasicDescription* pASBD);
  ComponentResult SetConnection(AudioUnitScope scope, const AudioUnitConnection* pConn);
  ComponentResult SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                    const AURenderCallbackStruct* pCallback);
  void SetHostIdentifier(const AUHostIdentifier* pHostID);
  bool MakeBuses(int plugScChans);

  OSStatus Render(const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                  AudioBufferList* pBufferList);
  OSStatus PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames);
  void CallRenderNotify(int nNotify, AudioUnitRenderActionFlags flags,
                        const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                        AudioBufferList* pBufferList);
};

// Name of an input type for trace output ("NotConnected", "DirectFastProc", ...).
const char* AUInputTypeStr(int type);

#define IFXAU_ENTRY_VISIBLE __attribute__((visibility("default")))

// Defines the bundle's two exported entry points, NAME_Entry and NAME_ViewEntry.
// Any host thread, as the two entries they call.
#define IFXAU_ENTRY_POINTS(NAME)                                                            \
  extern "C" IFXAU_ENTRY_VISIBLE ComponentResult NAME##_Entry(ComponentParameters* params, \
                                                              Handle storage)              \
  {                                                                                         \
    return IFxAU::IFxAUEntry(params, static_cast<void*>(storage));                          \
  }                                                                                         \
  extern "C" IFXAU_ENTRY_VISIBLE ComponentResult NAME##_ViewEntry(                          \
    ComponentParameters* params, Handle storage)                                            \
  {                                                                                         \
    return IFxAU::IFxAUCarbonViewEntry(params, static_cast<void*>(storage));                \
  }
