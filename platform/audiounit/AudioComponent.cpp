// The AudioComponent calls: the same registry seen through the current names.
// An AudioComponent handle is the ComponentRecord of the registration.
#include <AudioUnit/AudioUnit.h>

#include "audiounit/ComponentCall.h"
#include "audiounit/ComponentRegistry.h"

using orvanta_cm::ComponentInfo;
using orvanta_cm::ComponentRegistry;
using orvanta_cm::InvokeEntry;

namespace {

ComponentRecord* RecordOf(AudioComponent component) {
    return reinterpret_cast<ComponentRecord*>(component);
}

AudioComponent HandleOf(ComponentRecord* record) {
    return reinterpret_cast<AudioComponent>(record);
}

ComponentDescription ToComponentDescription(const AudioComponentDescription& desc) {
    ComponentDescription out;
    out.componentType = desc.componentType;
    out.componentSubType = desc.componentSubType;
    out.componentManufacturer = desc.componentManufacturer;
    out.componentFlags = desc.componentFlags;
    out.componentFlagsMask = desc.componentFlagsMask;
    return out;
}

bool DescribeComponent(AudioComponent component, ComponentInfo* info) {
    return ComponentRegistry::Get().Describe(RecordOf(component), info, false);
}

}  // namespace

extern "C" {

AudioComponent AudioComponentFindNext(AudioComponent inComponent, const AudioComponentDescription* inDesc) {
    if (inDesc == nullptr) {
        return HandleOf(ComponentRegistry::Get().FindNext(RecordOf(inComponent), nullptr));
    }
    ComponentDescription looking = ToComponentDescription(*inDesc);
    return HandleOf(ComponentRegistry::Get().FindNext(RecordOf(inComponent), &looking));
}

UInt32 AudioComponentCount(const AudioComponentDescription* inDesc) {
    if (inDesc == nullptr) {
        return static_cast<UInt32>(ComponentRegistry::Get().Count(nullptr));
    }
    ComponentDescription looking = ToComponentDescription(*inDesc);
    return static_cast<UInt32>(ComponentRegistry::Get().Count(&looking));
}

OSStatus AudioComponentCopyName(AudioComponent inComponent, CFStringRef* outName) {
    if (outName == nullptr) {
        return kAudio_ParamError;
    }
    *outName = nullptr;
    ComponentInfo info;
    if (!DescribeComponent(inComponent, &info)) {
        return kAudio_ParamError;
    }
    // Names registered in-process come from Pascal strings, which on this
    // platform's ancestors were MacRoman; bundle names are always UTF-8.
    CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, info.name.c_str(), kCFStringEncodingUTF8);
    if (name == nullptr) {
        name = CFStringCreateWithCString(kCFAllocatorDefault, info.name.c_str(), kCFStringEncodingMacRoman);
    }
    if (name == nullptr) {
        return kAudio_MemFullError;
    }
    *outName = name;
    return noErr;
}

OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc) {
    ComponentInfo info;
    if (outDesc == nullptr || !DescribeComponent(inComponent, &info)) {
        return kAudio_ParamError;
    }
    outDesc->componentType = info.desc.componentType;
    outDesc->componentSubType = info.desc.componentSubType;
    outDesc->componentManufacturer = info.desc.componentManufacturer;
    outDesc->componentFlags = info.desc.componentFlags;
    outDesc->componentFlagsMask = info.desc.componentFlagsMask;
    return noErr;
}

OSStatus AudioComponentGetVersion(AudioComponent inComponent, UInt32* outVersion) {
    ComponentInfo info;
    if (outVersion == nullptr || !DescribeComponent(inComponent, &info)) {
        return kAudio_ParamError;
    }
    *outVersion = info.version;
    return noErr;
}

OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance) {
    if (outInstance == nullptr) {
        return kAudio_ParamError;
    }
    return ComponentRegistry::Get().Open(RecordOf(inComponent), outInstance);
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance) {
    return ComponentRegistry::Get().Close(inInstance);
}

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance) {
    return HandleOf(ComponentRegistry::Get().ComponentOf(inInstance));
}

Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID) {
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    if (!ComponentRegistry::Get().Resolve(inInstance, &entry, &storage)) {
        return false;
    }
    return InvokeEntry(entry, storage, inInstance, kComponentCanDoSelect, inSelectorID) != 0;
}

OSStatus AudioComponentRegisterBundle(const char* inBundlePath) {
    return ComponentRegistry::Get().RegisterBundle(inBundlePath);
}

}  // extern "C"
