#include "au/IFxAU.h"

#include "au/CFAUPreset.h"
#include "au/CFText.h"
#include "plugin/IPlugTrace.h"

#include <CoreServices/Gestalt.h>

#include <climits>
#include <cmath>
#include <cstring>

namespace
{
// The Cocoa view needs 10.5 or later.
constexpr int kMinCocoaViewSystem = 0x1050;

// The system version code, as the editor reports it (0x1095 for 10.9.5).
int SystemVersionCode()
{
  SInt32 version = 0;
  if (Gestalt(gestaltSystemVersion, &version) != noErr) return 0;
  TRACE_F("GetUserOSVersion", "%x", (int)version);
  return (int)version;
}

// Where a get request's answer goes. With data, the host's size is the capacity
// of its buffer: an answer that does not fit is refused before anything is
// written or created.
struct PropertyReply
{
  UInt32* pDataSize;
  Boolean* pWritable;
  void* pData;
  UInt32 capacity;

  ComponentResult Size(UInt32 size, bool writable) const
  {
    if (pData && capacity < size) return kAudioUnitErr_InvalidPropertyValue;
    *pDataSize = size;
    if (writable) *pWritable = true;
    return noErr;
  }
};

bool IsGlobal(AudioUnitScope scope)
{
  return scope == kAudioUnitScope_Global;
}
}  // namespace

// Sets the answer's size and writable flag; returns from GetProperty when the
// host's buffer is too small or when it asked for information only.
#define ANSWER(size, writable)                              \
  do                                                        \
  {                                                         \
    const ComponentResult r_ = reply.Size((size), (writable)); \
    if (r_ != noErr) return r_;                             \
    if (!pData) return noErr;                               \
  } while (0)

ComponentResult IFxAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                   AudioUnitElement element, UInt32* pDataSize,
                                   Boolean* pWritable, void* pData)
{
  TRACE_F("GetProperty", "%s(%d:%s):(%d:%s):%d", pData ? "" : "info:", (int)propID,
          AUPropertyStr((int)propID), (int)scope, AUScopeStr((int)scope), (int)element);
  const PropertyReply reply = {pDataSize, pWritable, pData, pData ? *pDataSize : 0};

  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo:
      ANSWER(sizeof(CFPropertyListRef), true);
      return GetState((CFPropertyListRef*)pData);

    case kAudioUnitProperty_MakeConnection:
      if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input)
        return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(AudioUnitConnection), true);
      return noErr;

    case kAudioUnitProperty_SampleRate:
    {
      ANSWER(sizeof(Float64), true);
      const Float64 sr = GetSampleRate();
      memcpy(pData, &sr, sizeof(sr));
      return noErr;
    }

    case kAudioUnitProperty_ParameterList:
    {
      if (!IsGlobal(scope))
      {
        ANSWER(0, false);
        return noErr;
      }
      const int n = NParams();
      ANSWER((UInt32)(n * sizeof(AudioUnitParameterID)), false);
      AudioUnitParameterID* pIDs = (AudioUnitParameterID*)pData;
      for (int i = 0; i < n; ++i) pIDs[i] = (AudioUnitParameterID)i;
      return noErr;
    }

    case kAudioUnitProperty_ParameterInfo:
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      if (element >= (AudioUnitElement)NParams()) return kAudioUnitErr_InvalidElement;
      ANSWER(sizeof(AudioUnitParameterInfo), false);
      return GetParamInfo(element, (AudioUnitParameterInfo*)pData);

    case kAudioUnitProperty_FastDispatch:
    {
      UInt32 size = 0;
      const ComponentResult r = GetProc(element, &size, nullptr);
      if (r != noErr) return r;
      ANSWER(size, false);
      return GetProc(element, pDataSize, pData);
    }

    case kAudioUnitProperty_StreamFormat:
    {
      const BusChannels* pBus = GetBus(scope, element);
      if (!pBus) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(AudioStreamBasicDescription), true);
      const int nChannels = pBus->mNHostChannels >= 0 ? pBus->mNHostChannels : pBus->mNPlugChannels;
      MakeDefaultASBD((AudioStreamBasicDescription*)pData, GetSampleRate(), nChannels, false);
      return noErr;
    }

    case kAudioUnitProperty_ElementCount:
    {
      ANSWER(sizeof(UInt32), false);
      UInt32 n = 0;
      if (scope == kAudioUnitScope_Global) n = 1;
      else if (scope == kAudioUnitScope_Input) n = (UInt32)NInBuses();
      else if (scope == kAudioUnitScope_Output) n = (UInt32)NOutBuses();
      memcpy(pData, &n, sizeof(n));
      return noErr;
    }

    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
    {
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(Float64), false);
      const Float64 seconds = (Float64)GetLatency() / GetSampleRate();
      memcpy(pData, &seconds, sizeof(seconds));
      return noErr;
    }

    case kAudioUnitProperty_SupportedNumChannels:
    {
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      const int n = NChannelIO();
      ANSWER((UInt32)(n * sizeof(AUChannelInfo)), false);
      AUChannelInfo* pInfo = (AUChannelInfo*)pData;
      for (int i = 0; i < n; ++i)
      {
        int nIn = 0, nOut = 0;
        GetChannelIO(i, &nIn, &nOut);
        pInfo[i].inChannels = (SInt16)nIn;
        pInfo[i].outChannels = (SInt16)nOut;
        TRACE_F("GetProperty", "IO:%d:%d", nIn, nOut);
      }
      return noErr;
    }

    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(UInt32), true);
      const UInt32 n = (UInt32)GetBlockSize();
      memcpy(pData, &n, sizeof(n));
      return noErr;
    }

    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      if (element >= (AudioUnitElement)NParams()) return kAudioUnitErr_InvalidElement;
      if (GetParam((int)element)->GetNDisplayTexts() == 0)
      {
        *pDataSize = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      ANSWER(sizeof(CFArrayRef), false);
      return GetParamValueStrings(element, (CFArrayRef*)pData);
    }

    case kAudioUnitProperty_GetUIComponentList:
    {
      if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(AudioComponentDescription), false);
      AudioComponentDescription desc;
      desc.componentType = kAudioUnitCarbonViewComponentType;
      desc.componentSubType = (OSType)GetUniqueID();
      desc.componentManufacturer = (OSType)GetMfrID();
      desc.componentFlags = 0;
      desc.componentFlagsMask = 0;
      memcpy(pData, &desc, sizeof(desc));
      return noErr;
    }

    case kAudioUnitProperty_AudioChannelLayout:
      return kAudioUnitErr_InvalidPropertyValue;

    case kAudioUnitProperty_BypassEffect:
    {
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(UInt32), true);
      const UInt32 bypassed = IsBypassed() ? 1 : 0;
      memcpy(pData, &bypassed, sizeof(bypassed));
      return noErr;
    }

    case kAudioUnitProperty_LastRenderError:
    {
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(OSStatus), false);
      const OSStatus none = noErr;
      memcpy(pData, &none, sizeof(none));
      return noErr;
    }

    case kAudioUnitProperty_SetRenderCallback:
      if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
          element >= (AudioUnitElement)NInBuses())
        return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(AURenderCallbackStruct), true);
      return noErr;

    case kAudioUnitProperty_FactoryPresets:
      ANSWER(sizeof(CFArrayRef), false);
      return GetFactoryPresets((CFArrayRef*)pData);

    case kAudioUnitProperty_HostCallbacks:
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(HostCallbackInfo), true);
      return noErr;

    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      ANSWER(sizeof(AUPreset), true);
      CFStringRef name = MakeCFString(GetPresetName(GetCurrentPresetIdx()));
      if (!name) return coreFoundationUnknownErr;
      AUPreset* pPreset = (AUPreset*)pData;
      pPreset->presetNumber = GetCurrentPresetIdx();
      pPreset->presetName = name;
      return noErr;
    }

    case kAudioUnitProperty_ElementName:
    {
      if (!pData) return kAudioUnitErr_InvalidProperty;
      const char* label = nullptr;
      const ComponentResult r = GetElementLabel(scope, element, &label);
      if (r != noErr) return r;
      ANSWER(sizeof(CFStringRef), false);
      CFStringRef name = MakeCFString(label);
      if (!name) return coreFoundationUnknownErr;
      memcpy(pData, &name, sizeof(name));
      return noErr;
    }

    case kAudioUnitProperty_CocoaUI:
      if (!GetGUI() || SystemVersionCode() < kMinCocoaViewSystem) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(AudioUnitCocoaViewInfo), false);
      return GetCocoaUI((AudioUnitCocoaViewInfo*)pData);

    case kAudioUnitProperty_SupportedChannelLayoutTags:
    {
      if (!IsInst() || NOutBuses() == 1) return kAudioUnitErr_InvalidProperty;
      // An element beyond the buses has no layout; other scopes have none either.
      if ((scope == kAudioUnitScope_Output && element >= (AudioUnitElement)NOutBuses()) ||
          (scope == kAudioUnitScope_Input && element >= (AudioUnitElement)NInBuses()))
        return kAudioUnitErr_InvalidElement;
      if (GetChannelLayoutTags(scope, element, nullptr) == 0) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(AudioChannelLayoutTag), true);
      GetChannelLayoutTags(scope, element, (AudioChannelLayoutTag*)pData);
      return noErr;
    }

    case kAudioUnitProperty_ParameterStringFromValue:
      ANSWER(sizeof(AudioUnitParameterStringFromValue), false);
      if (!IsGlobal(scope)) return noErr;
      return GetValueToText((AudioUnitParameterStringFromValue*)pData);

    case kAudioUnitProperty_ParameterIDName:
      ANSWER(sizeof(AudioUnitParameterIDName), false);
      if (!IsGlobal(scope)) return noErr;
      return GetParamName((AudioUnitParameterIDName*)pData);

    case kAudioUnitProperty_ParameterClumpName:
      ANSWER(sizeof(AudioUnitParameterNameInfo), false);
      if (!IsGlobal(scope)) return noErr;
      return GetClumpName((AudioUnitParameterNameInfo*)pData);

    case kAudioUnitProperty_ParameterValueFromString:
      ANSWER(sizeof(AudioUnitParameterValueFromString), false);
      if (!IsGlobal(scope)) return noErr;
      return GetTextToValue((AudioUnitParameterValueFromString*)pData);

    case kMusicDeviceProperty_InstrumentCount:
    {
      if (!IsGlobal(scope) || !IsInst()) return kAudioUnitErr_InvalidProperty;
      ANSWER(sizeof(UInt32), false);
      const UInt32 one = 1;
      memcpy(pData, &one, sizeof(one));
      return noErr;
    }

    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

#undef ANSWER

ComponentResult IFxAU::GetParamInfo(AudioUnitElement paramIdx, AudioUnitParameterInfo* pInfo)
{
  const IParam* pParam = GetParam((int)paramIdx);
  memset(pInfo, 0, sizeof(*pInfo));
  pInfo->flags = kAudioUnitParameterFlag_CFNameRelease | kAudioUnitParameterFlag_HasCFNameString |
                 kAudioUnitParameterFlag_IsGlobalMeta | kAudioUnitParameterFlag_IsElementMeta |
                 kAudioUnitParameterFlag_IsReadable;
  if (pParam->GetCanAutomate()) pInfo->flags |= kAudioUnitParameterFlag_IsWritable;

  const char* name = pParam->GetNameForHost();
  pInfo->cfNameString = MakeCFString(name);
  CopyTextField(pInfo->name, (int)sizeof(pInfo->name), name);

  switch (pParam->Type())
  {
    case IParam::kTypeBool:
      pInfo->unit = kAudioUnitParameterUnit_Boolean;
      break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      pInfo->unit = kAudioUnitParameterUnit_Indexed;
      break;
    default:
    {
      const char* label = pParam->GetLabelForHost();
      if (label[0])
      {
        pInfo->unit = kAudioUnitParameterUnit_CustomUnit;
        pInfo->unitName = MakeCFString(label);
      }
      else
      {
        pInfo->unit = kAudioUnitParameterUnit_Generic;
      }
    }
  }

  double minVal, maxVal;
  pParam->GetBounds(&minVal, &maxVal);
  pInfo->minValue = (AudioUnitParameterValue)minVal;
  pInfo->maxValue = (AudioUnitParameterValue)maxVal;
  // Hosts read the default as the value a fresh editor view starts from.
  pInfo->defaultValue = (AudioUnitParameterValue)pParam->Value();

  const char* group = pParam->GetParamGroupForHost();
  if (group[0])
  {
    KIT_PtrList<const char>* pGroups = GetParamGroups();
    int clumpID = 0;
    for (int i = pGroups->GetSize() - 1; i >= 0; --i)
    {
      if (!strcmp(pGroups->Get(i), group))
      {
        clumpID = i + 1;
        break;
      }
    }
    if (!clumpID && pGroups->Add(group)) clumpID = pGroups->GetSize();
    if (clumpID)
    {
      pInfo->flags |= kAudioUnitParameterFlag_HasClump;
      pInfo->clumpID = (UInt32)clumpID;
    }
  }
  return noErr;
}

ComponentResult IFxAU::GetParamValueStrings(AudioUnitElement paramIdx, CFArrayRef* pStrings)
{
  const IParam* pParam = GetParam((int)paramIdx);
  const int n = pParam->GetNDisplayTexts();
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
  if (!array) return coreFoundationUnknownErr;
  for (int i = 0; i < n; ++i)
  {
    CFStringRef str = MakeCFString(pParam->GetDisplayText(i));
    if (!str)
    {
      CFRelease(array);
      return coreFoundationUnknownErr;
    }
    CFArrayAppendValue(array, str);
    CFRelease(str);
  }
  *pStrings = array;
  return noErr;
}

ComponentResult IFxAU::GetValueToText(AudioUnitParameterStringFromValue* pSFV)
{
  if (pSFV->inParamID >= (AudioUnitParameterID)NParams()) return kAudioUnitErr_InvalidParameter;
  const IParam* pParam = GetParam((int)pSFV->inParamID);
  // No value given asks for the current one.
  const double value = pSFV->inValue ? (double)*pSFV->inValue : pParam->Value();
  pParam->GetDisplayForHost(value, false, mParamDisplayStr, true);
  pSFV->outString = MakeCFString(mParamDisplayStr);
  return pSFV->outString ? (ComponentResult)noErr : (ComponentResult)coreFoundationUnknownErr;
}

ComponentResult IFxAU::GetParamName(AudioUnitParameterIDName* pName)
{
  if (pName->inID >= (AudioUnitParameterID)NParams()) return kAudioUnitErr_InvalidParameter;
  char name[MAX_PARAM_NAME_LEN];
  CopyTextField(name, (int)sizeof(name), GetParam((int)pName->inID)->GetNameForHost());
  const SInt32 desired = pName->inDesiredLength < -1 ? -1 : pName->inDesiredLength;
  if (desired != -1)
  {
    // Cut to the desired length, at a whole character, never beyond the field.
    const int keep = desired < MAX_PARAM_NAME_LEN - 1 ? (int)desired : MAX_PARAM_NAME_LEN - 1;
    char cut[MAX_PARAM_NAME_LEN];
    CopyTextField(cut, keep + 1, name);
    memcpy(name, cut, sizeof(name));
  }
  pName->outName = MakeCFString(name);
  return pName->outName ? (ComponentResult)noErr : (ComponentResult)coreFoundationUnknownErr;
}

ComponentResult IFxAU::GetClumpName(AudioUnitParameterNameInfo* pName)
{
  KIT_PtrList<const char>* pGroups = GetParamGroups();
  if (pName->inID < 1 || pName->inID > (UInt32)pGroups->GetSize()) return kAudioUnitErr_PropertyNotInUse;
  pName->outName = MakeCFString(pGroups->Get((int)pName->inID - 1));
  return pName->outName ? (ComponentResult)noErr : (ComponentResult)coreFoundationUnknownErr;
}

ComponentResult IFxAU::GetTextToValue(AudioUnitParameterValueFromString* pVFS)
{
  if (pVFS->inParamID >= (AudioUnitParameterID)NParams()) return kAudioUnitErr_InvalidParameter;
  const IParam* pParam = GetParam((int)pVFS->inParamID);
  char text[128];
  CopyCFStringToUTF8(pVFS->inString, text, (int)sizeof(text));
  if (pParam->GetNDisplayTexts() == 0)
  {
    double value = ParseDecimal(text);
    if (pParam->GetNegateDisplay()) value = -value;
    pVFS->outValue = (AudioUnitParameterValue)value;
  }
  else
  {
    int key;
    if (pParam->MapDisplayText(text, &key)) pVFS->outValue = (AudioUnitParameterValue)key;
  }
  return noErr;
}

ComponentResult IFxAU::GetElementLabel(AudioUnitScope scope, AudioUnitElement element,
                                       const char** pLabel)
{
  const char* label;
  if (scope == kAudioUnitScope_Output)
    label = element <= INT_MAX ? GetOutputBusLabel((int)element) : nullptr;
  else if (scope == kAudioUnitScope_Input)
    label = element <= 1 ? GetInputBusLabel((int)element) : nullptr;
  else
    return kAudioUnitErr_InvalidScope;
  if (!label) return kAudioUnitErr_InvalidElement;
  *pLabel = label;
  return noErr;
}

ComponentResult IFxAU::GetFactoryPresets(CFArrayRef* pArray)
{
  const int n = NPresets();
  CFMutableArrayRef presets = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFAUPresetArrayCallBacks);
  if (!presets) return coreFoundationUnknownErr;
  for (int i = 0; i < n; ++i)
  {
    CFStringRef name = MakeCFString(GetPresetName(i));
    CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
    if (preset)
    {
      CFArrayAppendValue(presets, preset);
      CFAUPresetRelease(preset);
    }
    if (name) CFRelease(name);
  }
  *pArray = presets;
  return noErr;
}

ComponentResult IFxAU::GetCocoaUI(AudioUnitCocoaViewInfo* pInfo)
{
  CFStringRef bundleID = MakeCFString(mBundleID.Get());
  if (!bundleID) return coreFoundationUnknownErr;
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID);
  CFRelease(bundleID);
  if (!bundle) return kAudioUnitErr_InvalidProperty;
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  if (!url) return kAudioUnitErr_InvalidProperty;
  CFStringRef viewClass = MakeCFString(mCocoaViewFactoryClassName.Get());
  if (!viewClass)
  {
    CFRelease(url);
    return coreFoundationUnknownErr;
  }
  pInfo->mCocoaAUViewBundleLocation = url;
  pInfo->mCocoaAUViewClass[0] = viewClass;
  return noErr;
}

// ---- set ----

ComponentResult IFxAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                   AudioUnitElement element, UInt32* pDataSize, const void* pData)
{
  TRACE_F("SetProperty", "(%d:%s):(%d:%s):%d", (int)propID, AUPropertyStr((int)propID), (int)scope,
          AUScopeStr((int)scope), (int)element);
  // Listeners hear of the change before it takes effect, whatever comes of it.
  InformListeners(propID, scope);
  const UInt32 size = pDataSize ? *pDataSize : 0;
  auto payloadOK = [&](size_t need) { return pData && size >= need; };

  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo:
      if (!payloadOK(sizeof(CFPropertyListRef))) return kAudioUnitErr_InvalidPropertyValue;
      return SetState(*(const CFPropertyListRef*)pData);

    case kAudioUnitProperty_MakeConnection:
      if (!payloadOK(sizeof(AudioUnitConnection))) return kAudioUnitErr_InvalidPropertyValue;
      return SetConnection(scope, (const AudioUnitConnection*)pData);

    case kAudioUnitProperty_SampleRate:
    {
      if (!payloadOK(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
      Float64 sr;
      memcpy(&sr, pData, sizeof(sr));
      if (!std::isfinite(sr) || sr <= 0.0) return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(sr);
      Reset();
      return noErr;
    }

    case kAudioUnitProperty_StreamFormat:
      if (!payloadOK(sizeof(AudioStreamBasicDescription))) return kAudioUnitErr_InvalidPropertyValue;
      return SetStreamFormat(scope, element, (const AudioStreamBasicDescription*)pData);

    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      if (!payloadOK(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      UInt32 n;
      memcpy(&n, pData, sizeof(n));
      if (n > INT_MAX || !SetBlockSize((int)n)) return kAudioUnitErr_InvalidPropertyValue;
      Reset();
      return noErr;
    }

    case kAudioUnitProperty_BypassEffect:
    {
      if (!payloadOK(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      UInt32 v;
      memcpy(&v, pData, sizeof(v));
      SetBypassed(v != 0);
      OnActivate(v == 0);
      Reset();
      return noErr;
    }

    case kAudioUnitProperty_SetRenderCallback:
      if (!payloadOK(sizeof(AURenderCallbackStruct))) return kAudioUnitErr_InvalidPropertyValue;
      return SetRenderCallback(scope, element, (const AURenderCallbackStruct*)pData);

    case kAudioUnitProperty_HostCallbacks:
      if (!IsGlobal(scope)) return kAudioUnitErr_InvalidProperty;
      if (!payloadOK(sizeof(HostCallbackInfo))) return kAudioUnitErr_InvalidPropertyValue;
      memcpy(&mHostCallbacks, pData, sizeof(mHostCallbacks));
      return noErr;

    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      if (!payloadOK(sizeof(AUPreset))) return kAudioUnitErr_InvalidPropertyValue;
      AUPreset preset;
      memcpy(&preset, pData, sizeof(preset));
      // A negative number names a user preset the host keeps itself: nothing to select here.
      if (preset.presetNumber >= NPresets()) return kAudioUnitErr_InvalidPropertyValue;
      RestorePreset((int)preset.presetNumber);
      return noErr;
    }

    case kAudioUnitProperty_OfflineRender:
    {
      if (!payloadOK(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      UInt32 v;
      memcpy(&v, pData, sizeof(v));
      mIsOffline = v != 0;
      return noErr;
    }

    case kAudioUnitProperty_AUHostIdentifier:
      if (!payloadOK(sizeof(AUHostIdentifier))) return kAudioUnitErr_InvalidPropertyValue;
      SetHostIdentifier((const AUHostIdentifier*)pData);
      return noErr;

    default:
      return kAudioUnitErr_InvalidProperty;
  }
}
