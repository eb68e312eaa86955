#include "au/IFxAU.h"

#include "au/StateDict.h"
#include "plugin/IPreset.h"

ComponentResult IFxAU::GetState(CFPropertyListRef* ppPropList)
{
  ComponentDescription desc;
  const OSErr err = GetComponentInfo((Component)mCI, &desc, nullptr, nullptr, nullptr);
  if (err != noErr) return err;

  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
    kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!dict) return coreFoundationUnknownErr;
  PutNumberInDict(dict, kAUPresetVersionKey, GetEffectVersion(false));
  PutNumberInDict(dict, kAUPresetTypeKey, (SInt32)desc.componentType);
  PutNumberInDict(dict, kAUPresetSubtypeKey, (SInt32)desc.componentSubType);
  PutNumberInDict(dict, kAUPresetManufacturerKey, (SInt32)desc.componentManufacturer);
  PutStrInDict(dict, kAUPresetNameKey, GetPresetName(GetCurrentPresetIdx()));

  ByteChunk chunk;
  if (SerializeState(&chunk)) PutDataInDict(dict, kAUPresetDataKey, &chunk);
  *ppPropList = dict;
  return noErr;
}

ComponentResult IFxAU::SetState(CFPropertyListRef pPropList)
{
  ComponentDescription desc;
  const OSErr err = GetComponentInfo((Component)mCI, &desc, nullptr, nullptr, nullptr);
  if (err != noErr) return err;

  // Everything is checked before anything changes: a dictionary from another
  // component, or one whose entries have the wrong types, changes nothing.
  if (!pPropList || CFGetTypeID(pPropList) != CFDictionaryGetTypeID())
    return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef dict = (CFDictionaryRef)pPropList;
  SInt32 version, type, subtype, mfr;
  if (!GetNumberFromDict(dict, kAUPresetVersionKey, &version) ||
      !GetNumberFromDict(dict, kAUPresetTypeKey, &type) ||
      !GetNumberFromDict(dict, kAUPresetSubtypeKey, &subtype) ||
      !GetNumberFromDict(dict, kAUPresetManufacturerKey, &mfr))
    return kAudioUnitErr_InvalidPropertyValue;
  // Older and newer versions of the plug-in read the same chunk: the version is not compared.
  char name[MAX_PRESET_NAME_LEN];
  if (!GetStrFromDict(dict, kAUPresetNameKey, name, (int)sizeof(name)))
    return kAudioUnitErr_InvalidPropertyValue;
  if (type != (SInt32)desc.componentType || subtype != (SInt32)desc.componentSubType ||
      mfr != (SInt32)desc.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;
  CFTypeRef data = GetValueFromDict(dict, kAUPresetDataKey);
  if (data && CFGetTypeID(data) != CFDataGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;

  RestorePreset(name);

  ByteChunk chunk;
  if (!GetDataFromDict(dict, kAUPresetDataKey, &chunk)) return kAudioUnitErr_InvalidPropertyValue;
  // A chunk too short for every parameter is refused, and the parameters keep
  // what the preset of that name gave them rather than a half-read state.
  ByteChunk before;
  const bool saved = SerializeState(&before);
  if (UnserializeState(&chunk, 0) > 0)
  {
    RedrawParamControls();
    return noErr;
  }
  if (saved) UnserializeState(&before, 0);
  return kAudioUnitErr_InvalidPropertyValue;
}
