// The Component Manager calls over the component registry.
#include <CoreServices/CoreServices.h>

#include "audiounit/ComponentCall.h"
#include "audiounit/ComponentRegistry.h"

#include <algorithm>
#include <cstring>
#include <string>

using orvanta_cm::ComponentInfo;
using orvanta_cm::ComponentRegistry;
using orvanta_cm::InvokeEntry;

namespace {

// The Component Manager reports through 16-bit OSErr results; a component
// status outside that range would otherwise be truncated, possibly to 0, so
// it is reported as the component being unusable.
OSErr ToOSErr(OSStatus status) {
    if (status >= -32768 && status <= 32767) {
        return static_cast<OSErr>(status);
    }
    return invalidComponentID;
}

bool StorePascalString(Handle h, const std::string& text) {
    size_t length = std::min<size_t>(text.size(), 255);
    SetHandleSize(h, static_cast<Size>(length + 1));
    if (MemError() != noErr) {
        return false;
    }
    (*h)[0] = static_cast<char>(length);
    std::memcpy(*h + 1, text.data(), length);
    return true;
}

std::string ReadPascalString(Handle h) {
    Size size = GetHandleSize(h);
    if (size < 1) {
        return std::string();
    }
    size_t length = std::min<size_t>(static_cast<unsigned char>((*h)[0]), static_cast<size_t>(size - 1));
    return std::string(*h + 1, length);
}

}  // namespace

extern "C" {

Component FindNextComponent(Component aComponent, ComponentDescription* looking) {
    return ComponentRegistry::Get().FindNext(aComponent, looking);
}

long CountComponents(ComponentDescription* looking) {
    return ComponentRegistry::Get().Count(looking);
}

long GetComponentListModSeed(void) {
    return ComponentRegistry::Get().ModSeed();
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName, Handle componentInfo,
                       Handle componentIcon) {
    ComponentInfo info;
    if (!ComponentRegistry::Get().Describe(aComponent, &info, true)) {
        return invalidComponentID;
    }
    if (cd != nullptr) {
        *cd = info.desc;
    }
    if (componentName != nullptr && !StorePascalString(componentName, info.name)) {
        return memFullErr;
    }
    if (componentInfo != nullptr) {
        SetHandleSize(componentInfo, 0);
    }
    if (componentIcon != nullptr) {
        SetHandleSize(componentIcon, 0);
    }
    return noErr;
}

long CountComponentInstances(Component aComponent) {
    return ComponentRegistry::Get().InstanceCount(aComponent);
}

Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16 global,
                            Handle componentName, Handle /*componentInfo*/, Handle /*componentIcon*/) {
    if (cd == nullptr) {
        return nullptr;
    }
    std::string name = componentName != nullptr ? ReadPascalString(componentName) : std::string();
    return ComponentRegistry::Get().Register(*cd, componentEntryPoint, std::move(name), global);
}

OSErr UnregisterComponent(Component aComponent) {
    return ComponentRegistry::Get().Unregister(aComponent);
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci) {
    return ToOSErr(ComponentRegistry::Get().Open(aComponent, ci));
}

ComponentInstance OpenComponent(Component aComponent) {
    ComponentInstance ci = nullptr;
    ComponentRegistry::Get().Open(aComponent, &ci);
    return ci;
}

OSErr CloseComponent(ComponentInstance aComponentInstance) {
    return ToOSErr(ComponentRegistry::Get().Close(aComponentInstance));
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage) {
    ComponentRegistry::Get().SetStorage(aComponentInstance, theStorage);
}

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance) {
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    return ComponentRegistry::Get().Resolve(aComponentInstance, &entry, &storage) ? storage : nullptr;
}

long ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber) {
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    if (!ComponentRegistry::Get().Resolve(ci, &entry, &storage)) {
        return 0;
    }
    return InvokeEntry(entry, storage, ci, kComponentCanDoSelect, ftnNumber);
}

long GetComponentVersion(ComponentInstance ci) {
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    if (!ComponentRegistry::Get().Resolve(ci, &entry, &storage)) {
        return badComponentInstance;
    }
    return InvokeEntry(entry, storage, ci, kComponentVersionSelect);
}

}  // extern "C"
