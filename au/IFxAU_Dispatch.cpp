#include "au/IFxAU.h"

#include "plugin/IMidiMsg.h"
#include "plugin/IPlugTrace.h"
#include "plugin/ISysEx.h"
#include "graphics/IGraphics.h"

#include <climits>
#include <cstddef>
#include <cstring>

namespace
{
// Argument word idx of a component call (word 0 is the instance). The words
// follow the record's header; params is declared with one entry only, so the
// words are read from the record's bytes.
UInt64 Word(const ComponentParameters* params, int idx)
{
  UInt64 w;
  memcpy(&w, (const char*)params + offsetof(ComponentParameters, params) + (size_t)idx * sizeof(UInt64),
         sizeof(w));
  return w;
}

template <class T>
T* PtrArg(const ComponentParameters* params, int idx)
{
  return (T*)(uintptr_t)Word(params, idx);
}

UInt32 U32Arg(const ComponentParameters* params, int idx)
{
  return (UInt32)(Word(params, idx) & 0xFFFFFFFFu);
}

Float32 F32Arg(const ComponentParameters* params, int idx)
{
  const UInt32 bits = U32Arg(params, idx);
  Float32 f;
  memcpy(&f, &bits, sizeof(f));
  return f;
}

ComponentResult CanDo(int selector)
{
  switch (selector)
  {
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect:
    case kAudioUnitSetPropertySelect:
    case kAudioUnitGetParameterSelect:
    case kAudioUnitSetParameterSelect:
    case kAudioUnitResetSelect:
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRenderSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitScheduleParametersSelect:
      return 1;
    default:
      return 0;
  }
}

// What the view component keeps per view: its own instance and the unit it shows.
struct CarbonViewRecord
{
  ComponentInstance mViewCI;
  IFxAU* mPlug;
};
}  // namespace

ComponentResult IFxAU::IFxAUEntry(ComponentParameters* params, void* pPlug)
{
  if (!params) return kAudio_ParamError;
  const int select = params->what;
  TRACE_F("IFxAUEntry", "(%d:%s)", select, AUSelectStr(select));

  if (select == kComponentOpenSelect)
  {
    ComponentInstance ci = PtrArg<ComponentInstanceRecord>(params, 1);
    IFxBase* pBase = MakePlug();
    IFxAU* _this = dynamic_cast<IFxAU*>(pBase);
    if (!_this)
    {
      delete pBase;
      return memFullErr;
    }
    _this->mCI = ci;
    {
      KIT_MutexLock lock(_this->GetMutex());
      _this->HostSpecificInit();
      _this->PruneUninitializedPresets();
    }
    SetComponentInstanceStorage(ci, (Handle)_this);
    return noErr;
  }

  IFxAU* _this = (IFxAU*)pPlug;
  if (select == kComponentCloseSelect)
  {
    if (_this)
    {
      _this->ClearConnections();
      delete _this;
    }
    return noErr;
  }
  if (!_this) return select == kComponentCanDoSelect ? CanDo((SInt16)U32Arg(params, 1)) : badComponentSelector;

  KIT_MutexLock lock(_this->GetMutex());
  return _this->Dispatch(select, params);
}

ComponentResult IFxAU::Dispatch(int select, ComponentParameters* params)
{
  switch (select)
  {
    case kComponentCanDoSelect:
      return CanDo((SInt16)U32Arg(params, 1));

    case kComponentVersionSelect:
      return GetEffectVersion(false);

    case kAudioUnitInitializeSelect:
      if (!CheckLegalIO()) return badComponentSelector;
      mActive = true;
      OnParamReset();
      OnActivate(true);
      return noErr;

    case kAudioUnitUninitializeSelect:
      mActive = false;
      OnActivate(false);
      return noErr;

    case kAudioUnitGetPropertyInfoSelect:
    {
      UInt32 localSize = 0;
      Boolean localWritable = false;
      UInt32* pSize = PtrArg<UInt32>(params, 4);
      Boolean* pWritable = PtrArg<Boolean>(params, 5);
      if (!pSize) pSize = &localSize;
      if (!pWritable) pWritable = &localWritable;
      *pWritable = false;
      return GetProperty(U32Arg(params, 1), U32Arg(params, 2), U32Arg(params, 3), pSize, pWritable,
                         nullptr);
    }

    case kAudioUnitGetPropertySelect:
    {
      // Without a size the host's buffer has no known capacity, so data is refused.
      UInt32 localSize = 0;
      Boolean writable = false;
      UInt32* pSize = PtrArg<UInt32>(params, 5);
      return GetProperty(U32Arg(params, 1), U32Arg(params, 2), U32Arg(params, 3),
                         pSize ? pSize : &localSize, &writable, PtrArg<void>(params, 4));
    }

    case kAudioUnitSetPropertySelect:
    {
      UInt32 size = U32Arg(params, 5);
      return SetProperty(U32Arg(params, 1), U32Arg(params, 2), U32Arg(params, 3), &size,
                         PtrArg<const void>(params, 4));
    }

    case kAudioUnitGetParameterSelect:
      return GetParamProc(this, U32Arg(params, 1), U32Arg(params, 2), U32Arg(params, 3),
                          PtrArg<AudioUnitParameterValue>(params, 4));

    case kAudioUnitSetParameterSelect:
      return SetParamProc(this, U32Arg(params, 1), U32Arg(params, 2), U32Arg(params, 3),
                          F32Arg(params, 4), U32Arg(params, 5));

    case kAudioUnitResetSelect:
      Reset();
      return noErr;

    case kAudioUnitAddPropertyListenerSelect:
      AddPropertyListener(U32Arg(params, 1), (AudioUnitPropertyListenerProc)PtrArg<void>(params, 2),
                          PtrArg<void>(params, 3));
      return noErr;

    case kAudioUnitRemovePropertyListenerSelect:
      RemovePropertyListener(U32Arg(params, 1), (AudioUnitPropertyListenerProc)PtrArg<void>(params, 2),
                             false, nullptr);
      return noErr;

    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      RemovePropertyListener(U32Arg(params, 1), (AudioUnitPropertyListenerProc)PtrArg<void>(params, 2),
                             true, PtrArg<void>(params, 3));
      return noErr;

    case kAudioUnitRenderSelect:
      return RenderProc(this, PtrArg<AudioUnitRenderActionFlags>(params, 1),
                        PtrArg<const AudioTimeStamp>(params, 2), U32Arg(params, 3), U32Arg(params, 4),
                        PtrArg<AudioBufferList>(params, 5));

    case kAudioUnitAddRenderNotifySelect:
      AddRenderNotify((AURenderCallback)PtrArg<void>(params, 1), PtrArg<void>(params, 2));
      return noErr;

    case kAudioUnitRemoveRenderNotifySelect:
      RemoveRenderNotify((AURenderCallback)PtrArg<void>(params, 1));
      return noErr;

    case kAudioUnitScheduleParametersSelect:
      return ScheduleParameters(PtrArg<const AudioUnitParameterEvent>(params, 1), U32Arg(params, 2));

    case kMusicDeviceMIDIEventSelect:
    {
      IMidiMsg msg((int)U32Arg(params, 4), (uint8_t)U32Arg(params, 1), (uint8_t)U32Arg(params, 2),
                   (uint8_t)U32Arg(params, 3));
      ProcessMidiMsg(&msg);
      return noErr;
    }

    case kMusicDeviceSysExSelect:
    {
      const UInt32 length = U32Arg(params, 2);
      ISysEx sysex(0, PtrArg<const uint8_t>(params, 1), length > INT_MAX ? INT_MAX : (int)length);
      ProcessSysEx(&sysex);
      return noErr;
    }

    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
      return noErr;

    case kMusicDeviceStartNoteSelect:
    {
      const MusicDeviceNoteParams* pNote = PtrArg<const MusicDeviceNoteParams>(params, 5);
      if (!pNote) return kAudio_ParamError;
      const int note = SaturatingInt(pNote->mPitch);
      NoteInstanceID* pNoteID = PtrArg<NoteInstanceID>(params, 3);
      if (pNoteID) *pNoteID = (NoteInstanceID)note;
      IMidiMsg msg;
      msg.MakeNoteOnMsg(note, SaturatingInt(pNote->mVelocity), (int)U32Arg(params, 4), 0);
      ProcessMidiMsg(&msg);
      return noErr;
    }

    case kMusicDeviceStopNoteSelect:
    {
      IMidiMsg msg;
      msg.MakeNoteOffMsg((int)U32Arg(params, 2), (int)U32Arg(params, 3), 0);
      ProcessMidiMsg(&msg);
      return noErr;
    }

    default:
      return badComponentSelector;
  }
}

ComponentResult IFxAU::ScheduleParameters(const AudioUnitParameterEvent* pEvents, UInt32 nEvents)
{
  if (nEvents && !pEvents) return kAudio_ParamError;
  for (UInt32 i = 0; i < nEvents; ++i)
  {
    const AudioUnitParameterEvent& ev = pEvents[i];
    if (ev.eventType != kParameterEvent_Immediate) continue;
    const OSStatus r = SetParamProc(this, ev.parameter, ev.scope, ev.element,
                                    ev.eventValues.immediate.value,
                                    ev.eventValues.immediate.bufferOffset);
    if (r != noErr) return r;
  }
  return noErr;
}

// ---- fast dispatch ----

OSStatus IFxAU::GetProc(AudioUnitElement selector, UInt32* pDataSize, void* pData)
{
  TRACE_F("GetProc", "%s:(%d:%s)", pData ? "" : "Info", (int)selector, AUSelectStr((int)selector));
  void* fn;
  switch (selector)
  {
    case kAudioUnitGetParameterSelect: fn = (void*)(AudioUnitGetParameterProc)GetParamProc; break;
    case kAudioUnitSetParameterSelect: fn = (void*)(AudioUnitSetParameterProc)SetParamProc; break;
    case kAudioUnitRenderSelect: fn = (void*)(AudioUnitRenderProc)RenderProc; break;
    default: return kAudioUnitErr_InvalidElement;
  }
  if (pDataSize) *pDataSize = sizeof(fn);
  if (pData) memcpy(pData, &fn, sizeof(fn));
  return noErr;
}

OSStatus IFxAU::GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                             AudioUnitElement element, AudioUnitParameterValue* pValue)
{
  TRACE_F("GetParamProc", "%d:(%d:%s):%d", (int)paramID, (int)scope, AUScopeStr((int)scope),
          (int)element);
  (void)element;
  IFxAU* _this = (IFxAU*)pPlug;
  if (!_this || !pValue) return kAudio_ParamError;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  KIT_MutexLock lock(_this->GetMutex());
  if (paramID >= (AudioUnitParameterID)_this->NParams()) return kAudioUnitErr_InvalidParameter;
  *pValue = (AudioUnitParameterValue)_this->GetParam((int)paramID)->Value();
  return noErr;
}

OSStatus IFxAU::SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                             AudioUnitElement element, AudioUnitParameterValue value,
                             UInt32 offsetFrames)
{
  TRACE_F("SetParamProc", "%d:(%d:%s):%d", (int)paramID, (int)scope, AUScopeStr((int)scope),
          (int)element);
  (void)element;
  // Every change takes effect at the start of the next block.
  (void)offsetFrames;
  IFxAU* _this = (IFxAU*)pPlug;
  if (!_this) return kAudio_ParamError;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  KIT_MutexLock lock(_this->GetMutex());
  if (paramID >= (AudioUnitParameterID)_this->NParams()) return kAudioUnitErr_InvalidParameter;
  const int idx = (int)paramID;
  _this->GetParam(idx)->Set(value);
  if (IGraphics* pGraphics = _this->GetGUI()) pGraphics->SetParameterFromPlug(idx, value, false);
  _this->OnParamChange(idx);
  return noErr;
}

// ---- listeners and render notifications (always under the mutex) ----

void IFxAU::AddPropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                                void* userData)
{
  if (!proc) return;
  const int n = mPropertyListeners.GetSize();
  for (int i = 0; i < n; ++i)
  {
    const PropertyListener* pListener = mPropertyListeners.Get(i);
    if (pListener->mPropID == propID && pListener->mListenerProc == proc) return;
  }
  PropertyListener* pListener = new PropertyListener;
  pListener->mPropID = propID;
  pListener->mListenerProc = proc;
  pListener->mProcArgs = userData;
  if (!mPropertyListeners.Add(pListener)) delete pListener;
}

void IFxAU::RemovePropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                                   bool matchUserData, void* userData)
{
  if (!proc) return;
  const int n = mPropertyListeners.GetSize();
  for (int i = 0; i < n; ++i)
  {
    PropertyListener* pListener = mPropertyListeners.Get(i);
    if (pListener->mPropID != propID || pListener->mListenerProc != proc) continue;
    if (matchUserData && pListener->mProcArgs != userData) continue;
    if (mNotifyDepth > 0)
    {
      pListener->mListenerProc = nullptr;
      mPurgePending = true;
    }
    else
    {
      mPropertyListeners.Delete(i, true);
    }
    return;
  }
}

void IFxAU::AddRenderNotify(AURenderCallback proc, void* refCon)
{
  if (!proc) return;
  AURenderCallbackStruct* pNotify = new AURenderCallbackStruct;
  pNotify->inputProc = proc;
  pNotify->inputProcRefCon = refCon;
  if (!mRenderNotify.Add(pNotify)) delete pNotify;
}

void IFxAU::RemoveRenderNotify(AURenderCallback proc)
{
  if (!proc) return;
  const int n = mRenderNotify.GetSize();
  for (int i = 0; i < n; ++i)
  {
    AURenderCallbackStruct* pNotify = mRenderNotify.Get(i);
    if (pNotify->inputProc != proc) continue;
    if (mNotifyDepth > 0)
    {
      pNotify->inputProc = nullptr;
      mPurgePending = true;
    }
    else
    {
      mRenderNotify.Delete(i, true);
    }
    return;
  }
}

void IFxAU::EndNotifying()
{
  if (--mNotifyDepth == 0 && mPurgePending) PurgeRemovedCallbacks();
}

void IFxAU::PurgeRemovedCallbacks()
{
  for (int i = mPropertyListeners.GetSize() - 1; i >= 0; --i)
    if (!mPropertyListeners.Get(i)->mListenerProc) mPropertyListeners.Delete(i, true);
  for (int i = mRenderNotify.GetSize() - 1; i >= 0; --i)
    if (!mRenderNotify.Get(i)->inputProc) mRenderNotify.Delete(i, true);
  mPurgePending = false;
}

int IFxAU::NPropertyListeners() const
{
  int n = 0;
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i)
    if (mPropertyListeners.Get(i)->mListenerProc) ++n;
  return n;
}

int IFxAU::NRenderNotifications() const
{
  int n = 0;
  for (int i = 0; i < mRenderNotify.GetSize(); ++i)
    if (mRenderNotify.Get(i)->inputProc) ++n;
  return n;
}

void IFxAU::CallPropertyListeners(AudioUnitPropertyID propID, AudioUnitScope scope)
{
  BeginNotifying();
  // The size is read again on every step: a listener may add or remove
  // registrations (removed ones are blanked, not moved, until the end).
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i)
  {
    const PropertyListener* pListener = mPropertyListeners.Get(i);
    if (pListener->mPropID == propID && pListener->mListenerProc)
      pListener->mListenerProc(pListener->mProcArgs, mCI, propID, scope, 0);
  }
  EndNotifying();
}

void IFxAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope)
{
  TRACE_F("InformListeners", "%d:%s:%d:%s", (int)propID, AUPropertyStr((int)propID), (int)scope,
          AUScopeStr((int)scope));
  CallPropertyListeners(propID, scope);
}

// ---- the view component ----

ComponentResult IFxAU::IFxAUCarbonViewEntry(ComponentParameters* params, void* pView)
{
  if (!params) return kAudio_ParamError;
  const int select = params->what;
  TRACE_F("IFxAUCarbonViewEntry", "%d:%s", select, AUSelectStr(select));
  CarbonViewRecord* pRec = (CarbonViewRecord*)pView;

  switch (select)
  {
    case kComponentOpenSelect:
    {
      ComponentInstance ci = PtrArg<ComponentInstanceRecord>(params, 1);
      pRec = new CarbonViewRecord{ci, nullptr};
      SetComponentInstanceStorage(ci, (Handle)pRec);
      return noErr;
    }

    // Arguments: audio unit, window, parent control, location, size, out control.
    case kAudioUnitCarbonViewCreateSelect:
    {
      if (!pRec) return badComponentSelector;
      AudioUnit unit = PtrArg<ComponentInstanceRecord>(params, 1);
      pRec->mPlug = unit ? (IFxAU*)(void*)GetComponentInstanceStorage(unit) : nullptr;
      if (!pRec->mPlug || !pRec->mPlug->GetGUI()) return badComponentSelector;
      // The editor base opens no platform window of its own, so there is no control to hand out.
      void** pOutControl = PtrArg<void*>(params, 6);
      if (pOutControl) *pOutControl = nullptr;
      return noErr;
    }

    case kComponentCloseSelect:
      delete pRec;
      return noErr;

    default:
      return badComponentSelector;
  }
}
