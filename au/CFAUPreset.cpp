#include "au/CFAUPreset.h"

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {
  kCFAUPreset_CurrentVersion, CFAUPresetArrayRetainCallBack, CFAUPresetArrayReleaseCallBack,
  CFAUPresetArrayCopyDescriptionCallBack, CFAUPresetArrayEqualCallBack};

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name)
{
  CFAUPresetRef preset = (CFAUPresetRef)CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
  if (!preset) return nullptr;
  preset->auPreset.presetNumber = number;
  preset->auPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  preset->allocator = allocator ? (CFAllocatorRef)CFRetain(allocator) : nullptr;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(void* p)
{
  CFAUPresetRef preset = (CFAUPresetRef)p;
  if (!preset) return nullptr;
  if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
  ++preset->retainCount;
  return preset;
}

void CFAUPresetRelease(void* p)
{
  CFAUPresetRef preset = (CFAUPresetRef)p;
  if (!preset || preset->retainCount <= 0) return;
  if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
  if (--preset->retainCount > 0) return;
  preset->auPreset.presetName = nullptr;
  preset->auPreset.presetNumber = 0;
  CFAllocatorRef allocator = preset->allocator;
  CFAllocatorDeallocate(allocator, preset);
  if (allocator) CFRelease(allocator);
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* preset)
{
  (void)allocator;
  return CFAUPresetRetain((void*)preset);
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* preset)
{
  (void)allocator;
  CFAUPresetRelease((void*)preset);
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* p)
{
  const CFAUPreset* preset = (const CFAUPreset*)p;
  if (!preset) return nullptr;
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  (int)preset->auPreset.presetNumber, preset->auPreset.presetName);
}

Boolean CFAUPresetArrayEqualCallBack(const void* p1, const void* p2)
{
  const CFAUPreset* a = (const CFAUPreset*)p1;
  const CFAUPreset* b = (const CFAUPreset*)p2;
  if (a == b) return true;
  if (!a || !b || a->auPreset.presetNumber != b->auPreset.presetNumber) return false;
  if (!a->auPreset.presetName || !b->auPreset.presetName)
    return a->auPreset.presetName == b->auPreset.presetName;
  return CFStringCompare(a->auPreset.presetName, b->auPreset.presetName, 0) == kCFCompareEqualTo;
}

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callbacks)
{
  if (callbacks) *callbacks = kCFAUPresetArrayCallBacks;
}
