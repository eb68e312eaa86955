#include "audiounit/ComponentRegistry.h"

#include "audiounit/ComponentBundle.h"
#include "audiounit/ComponentCall.h"

#include <AudioUnit/AudioComponent.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace orvanta_cm {

namespace {

bool SameIdentity(const ComponentDescription& a, const ComponentDescription& b) {
    return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
           a.componentManufacturer == b.componentManufacturer;
}

// Zero type, subtype or manufacturer fields of `looking` are wildcards; the
// flags are compared only where looking's mask has bits.
bool Matches(const ComponentDescription& have, const ComponentDescription* looking) {
    if (looking == nullptr) {
        return true;
    }
    if (looking->componentType != 0 && looking->componentType != have.componentType) {
        return false;
    }
    if (looking->componentSubType != 0 && looking->componentSubType != have.componentSubType) {
        return false;
    }
    if (looking->componentManufacturer != 0 && looking->componentManufacturer != have.componentManufacturer) {
        return false;
    }
    UInt32 mask = looking->componentFlagsMask;
    return (have.componentFlags & mask) == (looking->componentFlags & mask);
}

bool CanonicalPath(const char* path, std::string* out) {
    char resolved[PATH_MAX];
    if (realpath(path, resolved) == nullptr) {
        return false;
    }
    *out = resolved;
    return true;
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> SearchDirectories() {
    std::vector<std::string> directories;
    if (const char* list = std::getenv("AUDIO_COMPONENT_PATH")) {
        std::string text(list);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(':', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            if (end > start) {
                directories.push_back(text.substr(start, end - start));
            }
            start = end + 1;
        }
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        directories.push_back(std::string(home) + "/Library/Audio/Plug-Ins/Components");
    }
    directories.push_back("/Library/Audio/Plug-Ins/Components");
    return directories;
}

}  // namespace

ComponentRegistry& ComponentRegistry::Get() {
    // Never destroyed: components may be called from other libraries' static
    // destructors, and loaded executables are never unloaded.
    static ComponentRegistry* registry = new ComponentRegistry();
    return *registry;
}

bool ComponentRegistry::IsComponentLocked(const void* handle) const {
    return handle != nullptr && componentSet_.count(handle) != 0;
}

bool ComponentRegistry::IsInstanceLocked(const void* handle) const {
    return handle != nullptr && instances_.count(handle) != 0;
}

void ComponentRegistry::EnsureScanned() {
    std::call_once(scanOnce_, [this] {
        for (const std::string& directory : SearchDirectories()) {
            ScanDirectory(directory);
        }
    });
}

void ComponentRegistry::ScanDirectory(const std::string& directory) {
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return;
    }
    static const std::string kExtension = ".component";
    std::vector<std::string> names;
    while (struct dirent* entry = readdir(dir)) {
        std::string name(entry->d_name);
        if (name.size() > kExtension.size() &&
            name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
            names.push_back(std::move(name));
        }
    }
    closedir(dir);
    // Directory order is arbitrary; sorting makes ties between equal
    // versions of one description resolve the same way on every run.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string path;
        if (!IsDirectory(directory + "/" + name) || !CanonicalPath((directory + "/" + name).c_str(), &path)) {
            continue;
        }
        {
            std::shared_lock lock(mutex_);
            if (bundlePaths_.count(path) != 0) {
                continue;
            }
        }
        ComponentBundle bundle;
        if (bundle.Read(path) != noErr) {
            continue;
        }
        std::unique_lock lock(mutex_);
        if (bundlePaths_.insert(path).second) {
            AddBundleLocked(bundle);
            ++modSeed_;
        }
    }
}

int ComponentRegistry::AddBundleLocked(ComponentBundle& bundle) {
    int listed = 0;
    for (const BundleComponent& declared : bundle.Components()) {
        ComponentRecord* rival = nullptr;
        for (const auto& record : components_) {
            if (record->listed && record->bundle != nullptr && SameIdentity(record->desc, declared.desc)) {
                rival = record.get();
                break;
            }
        }
        const bool wins = rival == nullptr || declared.version > rival->version;
        if (rival != nullptr && wins) {
            rival->listed = false;
            rival->fallback = true;
        }
        auto record = std::make_unique<ComponentRecord>();
        record->desc = declared.desc;
        record->name = declared.name;
        record->version = declared.version;
        record->factoryFunction = declared.factoryFunction;
        record->bundle = static_cast<CFBundleRef>(const_cast<void*>(CFRetain(bundle.Bundle())));
        record->listed = wins;
        record->fallback = !wins;
        componentSet_.insert(record.get());
        components_.push_back(std::move(record));
        listed += wins ? 1 : 0;
    }
    return listed;
}

ComponentRecord* ComponentRegistry::FindNext(ComponentRecord* after, const ComponentDescription* looking) {
    EnsureScanned();
    std::shared_lock lock(mutex_);
    size_t start = 0;
    if (after != nullptr) {
        auto it = std::find_if(components_.begin(), components_.end(),
                               [after](const auto& record) { return record.get() == after; });
        if (it == components_.end()) {
            return nullptr;
        }
        start = static_cast<size_t>(it - components_.begin()) + 1;
    }
    for (size_t i = start; i < components_.size(); ++i) {
        if (components_[i]->listed && Matches(components_[i]->desc, looking)) {
            return components_[i].get();
        }
    }
    return nullptr;
}

long ComponentRegistry::Count(const ComponentDescription* looking) {
    EnsureScanned();
    std::shared_lock lock(mutex_);
    long count = 0;
    for (const auto& record : components_) {
        if (record->listed && Matches(record->desc, looking)) {
            ++count;
        }
    }
    return count;
}

long ComponentRegistry::ModSeed() {
    EnsureScanned();
    std::shared_lock lock(mutex_);
    return modSeed_;
}

ComponentRecord* ComponentRegistry::Register(const ComponentDescription& desc, ComponentRoutineUPP entry,
                                             std::string name, SInt16 global) {
    if (entry == nullptr) {
        return nullptr;
    }
    EnsureScanned();
    std::unique_lock lock(mutex_);
    if ((global & registerComponentNoDuplicates) != 0) {
        for (const auto& record : components_) {
            if (record->listed && SameIdentity(record->desc, desc)) {
                return nullptr;
            }
        }
    }
    auto record = std::make_unique<ComponentRecord>();
    record->desc = desc;
    record->name = std::move(name);
    record->entry = entry;
    ComponentRecord* added = record.get();
    auto position = components_.end();
    if ((global & registerComponentAfterExisting) == 0) {
        position = std::find_if(components_.begin(), components_.end(), [&desc](const auto& existing) {
            return existing->listed && existing->desc.componentType == desc.componentType;
        });
    }
    components_.insert(position, std::move(record));
    componentSet_.insert(added);
    ++modSeed_;
    return added;
}

OSErr ComponentRegistry::Unregister(ComponentRecord* component) {
    std::unique_lock lock(mutex_);
    if (!IsComponentLocked(component) || !component->listed) {
        return invalidComponentID;
    }
    if (component->instanceCount > 0) {
        return validInstancesExist;
    }
    component->listed = false;
    component->fallback = false;
    ++modSeed_;
    return noErr;
}

OSStatus ComponentRegistry::RegisterBundle(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return paramErr;
    }
    EnsureScanned();
    std::string canonical;
    if (!CanonicalPath(path, &canonical) || !IsDirectory(canonical)) {
        return fnfErr;
    }
    {
        std::shared_lock lock(mutex_);
        if (bundlePaths_.count(canonical) != 0) {
            return noErr;
        }
    }
    ComponentBundle bundle;
    OSStatus status = bundle.Read(canonical);
    if (status != noErr) {
        return status;
    }
    std::unique_lock lock(mutex_);
    if (!bundlePaths_.insert(canonical).second) {
        return noErr;
    }
    int listed = AddBundleLocked(bundle);
    ++modSeed_;
    return listed > 0 ? OSStatus{noErr} : OSStatus{kAudioComponentErr_DuplicateDescription};
}

bool ComponentRegistry::Describe(const void* handle, ComponentInfo* info, bool acceptInstance) {
    std::shared_lock lock(mutex_);
    const ComponentRecord* component = nullptr;
    if (acceptInstance && IsInstanceLocked(handle)) {
        component = static_cast<const ComponentInstanceRecord*>(handle)->component;
    } else if (IsComponentLocked(handle)) {
        component = static_cast<const ComponentRecord*>(handle);
    } else {
        return false;
    }
    info->desc = component->desc;
    info->name = component->name;
    info->version = component->version;
    return true;
}

long ComponentRegistry::InstanceCount(ComponentRecord* component) {
    std::shared_lock lock(mutex_);
    return IsComponentLocked(component) ? component->instanceCount : 0;
}

OSStatus ComponentRegistry::LoadEntry(ComponentRecord* component, ComponentRoutineUPP* entry) {
    auto known = [component, entry]() -> bool {
        *entry = component->entry;
        return component->entry != nullptr || component->loadStatus != noErr;
    };
    {
        std::shared_lock lock(mutex_);
        if (known()) {
            return component->loadStatus;
        }
    }
    // Loading runs the executable's static initialisers, which may call back
    // into this registry; only the load mutex is held meanwhile.
    std::lock_guard load(loadMutex_);
    {
        std::shared_lock lock(mutex_);
        if (known()) {
            return component->loadStatus;
        }
    }
    OSStatus status = noErr;
    void* address = nullptr;
    // Loading refuses an executable that is not a complete shared object of
    // this machine's kind, so a damaged bundle fails here instead of faulting.
    if (component->bundle == nullptr || !CFBundleLoadExecutable(component->bundle)) {
        status = componentDllLoadErr;
    } else {
        CFStringRef symbol = CFStringCreateWithCString(kCFAllocatorDefault, component->factoryFunction.c_str(),
                                                       kCFStringEncodingUTF8);
        address = symbol != nullptr ? CFBundleGetFunctionPointerForName(component->bundle, symbol) : nullptr;
        if (symbol != nullptr) {
            CFRelease(symbol);
        }
        if (address == nullptr) {
            status = componentDllEntryNotFoundErr;
        }
    }
    std::unique_lock lock(mutex_);
    component->entry = reinterpret_cast<ComponentRoutineUPP>(address);
    component->loadStatus = status;
    *entry = component->entry;
    return status;
}

OSStatus ComponentRegistry::LoadEntryOrFallback(ComponentRecord* component, ComponentRoutineUPP* entry) {
    OSStatus status = LoadEntry(component, entry);
    if (status != componentDllLoadErr && status != componentDllEntryNotFoundErr) {
        return status;
    }
    std::vector<ComponentRecord*> fallbacks;
    {
        std::shared_lock lock(mutex_);
        for (const auto& record : components_) {
            if (record->fallback && record.get() != component && SameIdentity(record->desc, component->desc)) {
                fallbacks.push_back(record.get());
            }
        }
    }
    std::stable_sort(fallbacks.begin(), fallbacks.end(),
                     [](const ComponentRecord* a, const ComponentRecord* b) { return a->version > b->version; });
    for (ComponentRecord* fallback : fallbacks) {
        if (LoadEntry(fallback, entry) == noErr) {
            return noErr;
        }
    }
    return status;
}

OSStatus ComponentRegistry::Open(ComponentRecord* component, ComponentInstanceRecord** instance) {
    if (instance == nullptr) {
        return paramErr;
    }
    *instance = nullptr;
    {
        std::shared_lock lock(mutex_);
        if (!IsComponentLocked(component) || !component->listed) {
            return invalidComponentID;
        }
    }
    ComponentRoutineUPP entry = nullptr;
    OSStatus status = LoadEntryOrFallback(component, &entry);
    if (status != noErr) {
        return status;
    }
    auto* record = new ComponentInstanceRecord();
    record->component = component;
    record->entry = entry;
    {
        std::unique_lock lock(mutex_);
        instances_.insert(record);
        ++component->instanceCount;
    }
    ComponentInstance ci = record;
    ComponentResult result = InvokeEntry(entry, nullptr, ci, kComponentOpenSelect, ci);
    if (result != noErr) {
        // The component may have set up part of its state before failing;
        // its close selector is its chance to release it.
        Close(record);
        return result;
    }
    *instance = record;
    return noErr;
}

OSStatus ComponentRegistry::Close(ComponentInstanceRecord* instance) {
    ComponentRoutineUPP entry = nullptr;
    Handle storage = nullptr;
    {
        std::unique_lock lock(mutex_);
        if (!IsInstanceLocked(instance) || instance->closing) {
            return badComponentInstance;
        }
        instance->closing = true;
        entry = instance->entry;
        storage = instance->storage;
    }
    ComponentInstance ci = instance;
    ComponentResult result = InvokeEntry(entry, storage, ci, kComponentCloseSelect, ci);
    {
        std::unique_lock lock(mutex_);
        instances_.erase(instance);
        --instance->component->instanceCount;
    }
    delete instance;
    return result;
}

bool ComponentRegistry::Resolve(ComponentInstanceRecord* instance, ComponentRoutineUPP* entry, Handle* storage) {
    std::shared_lock lock(mutex_);
    if (!IsInstanceLocked(instance)) {
        return false;
    }
    *entry = instance->entry;
    *storage = instance->storage;
    return true;
}

bool ComponentRegistry::SetStorage(ComponentInstanceRecord* instance, Handle storage) {
    std::unique_lock lock(mutex_);
    if (!IsInstanceLocked(instance)) {
        return false;
    }
    instance->storage = storage;
    return true;
}

ComponentRecord* ComponentRegistry::ComponentOf(ComponentInstanceRecord* instance) {
    std::shared_lock lock(mutex_);
    return IsInstanceLocked(instance) ? instance->component : nullptr;
}

}  // namespace orvanta_cm
