// The process-wide table of registered components and open instances behind
// the Component Manager and AudioComponent calls.
#ifndef ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTREGISTRY_H
#define ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTREGISTRY_H

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_set>
#include <vector>

// One registration. Records live until the process ends (handles to them stay
// safe to pass around); an unregistered or superseded one is only unlisted.
// A bundle component that lost to another bundle's component of the same
// type, subtype and manufacturer stays as a fallback: it is opened in place
// of the listed one when that one's executable cannot be loaded.
struct ComponentRecord {
    ComponentDescription desc{};
    std::string name;  // UTF-8 for bundle components, the caller's bytes otherwise
    UInt32 version = 0;
    ComponentRoutineUPP entry = nullptr;  // bundle components: set on first open
    CFBundleRef bundle = nullptr;         // one reference, never released
    std::string factoryFunction;
    bool listed = true;
    bool fallback = false;
    OSStatus loadStatus = noErr;  // a failed load is not tried again
    long instanceCount = 0;
};

// One open instance.
struct ComponentInstanceRecord {
    ComponentRecord* component = nullptr;
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    bool closing = false;
};

namespace orvanta_cm {

struct ComponentInfo {
    ComponentDescription desc;
    std::string name;
    UInt32 version;
};

// Every method may be called from any thread; a shared mutex guards the
// tables and no lock is held while a component's entry function runs or a
// bundle's executable is loaded.
class ComponentRegistry {
public:
    static ComponentRegistry& Get();

    // Components. A NULL `looking` matches everything.
    ComponentRecord* FindNext(ComponentRecord* after, const ComponentDescription* looking);
    long Count(const ComponentDescription* looking);
    long ModSeed();
    ComponentRecord* Register(const ComponentDescription& desc, ComponentRoutineUPP entry, std::string name,
                              SInt16 global);
    OSErr Unregister(ComponentRecord* component);
    OSStatus RegisterBundle(const char* path);

    // Description of a component or, when acceptInstance is set and an
    // instance is given in its place, of the instance's component. False
    // for unknown handles.
    bool Describe(const void* handle, ComponentInfo* info, bool acceptInstance);
    long InstanceCount(ComponentRecord* component);

    // Instances.
    OSStatus Open(ComponentRecord* component, ComponentInstanceRecord** instance);
    OSStatus Close(ComponentInstanceRecord* instance);
    // The entry function and storage for a call; false for unknown instances.
    bool Resolve(ComponentInstanceRecord* instance, ComponentRoutineUPP* entry, Handle* storage);
    bool SetStorage(ComponentInstanceRecord* instance, Handle storage);
    ComponentRecord* ComponentOf(ComponentInstanceRecord* instance);

private:
    ComponentRegistry() = default;

    void EnsureScanned();
    void ScanDirectory(const std::string& directory);
    // Adds a bundle's components under the rule that the higher version of a
    // description wins (the earlier bundle on a tie); the losers are kept as
    // fallbacks. Returns the number listed.
    int AddBundleLocked(class ComponentBundle& bundle);
    OSStatus LoadEntry(ComponentRecord* component, ComponentRoutineUPP* entry);
    // The entry of `component` or, when its executable cannot be loaded, of
    // the first fallback of the same identity that loads (higher versions
    // first, then in registration order). The error is the component's own.
    OSStatus LoadEntryOrFallback(ComponentRecord* component, ComponentRoutineUPP* entry);
    bool IsComponentLocked(const void* handle) const;
    bool IsInstanceLocked(const void* handle) const;

    std::shared_mutex mutex_;
    std::mutex loadMutex_;
    std::once_flag scanOnce_;
    std::vector<std::unique_ptr<ComponentRecord>> components_;
    std::unordered_set<const void*> componentSet_;
    std::unordered_set<const void*> instances_;
    std::unordered_set<std::string> bundlePaths_;
    long modSeed_ = 1;
};

}  // namespace orvanta_cm

#endif  // ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTREGISTRY_H
