#pragma once

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

// One factory preset as hosts expect it inside the factory-presets array: a
// reference-counted record whose name's own count moves with the record's.
// The array's callbacks (kCFAUPresetArrayCallBacks) retain and release records.
// Any thread that owns the record; no lock (a record belongs to one array).
struct CFAUPreset
{
  AUPreset auPreset;
  CFAllocatorRef allocator;
  SInt64 retainCount;
};
typedef CFAUPreset* CFAUPresetRef;

constexpr CFIndex kCFAUPreset_CurrentVersion = 0;

// Callbacks of arrays that hold CFAUPreset records.
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;

// A new record (count 1) holding number and a copy of name (none for null);
// null when the allocator gives no memory.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name);
// Adds one reference (and one to the name); null gives null.
CFAUPresetRef CFAUPresetRetain(void* preset);
// Drops one reference (and one of the name); the last frees the record.
void CFAUPresetRelease(void* preset);

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* preset);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* preset);
// "AUPreset:\npreset number = %d\npreset name = %@", a new string.
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset);
// Equal numbers and equal names.
Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2);
// Fills callbacks like kCFAUPresetArrayCallBacks; nothing for null.
void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callbacks);
