// Bundles: a directory with Contents/Info.plist, the executable under
// Contents/MacOS/ and resources under Contents/Resources/. Bundles are unique
// per directory; a process-wide registry finds them by path and identifier.
#include "corefoundation/CFInternal.h"
#include "corefoundation/NativeSharedObject.h"

#include <CoreFoundation/OrvantaCFTesting.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

static constinit cf::ConstString gInfoDictionaryVersionKey("CFBundleInfoDictionaryVersion");
static constinit cf::ConstString gExecutableKey("CFBundleExecutable");
static constinit cf::ConstString gIdentifierKey("CFBundleIdentifier");
static constinit cf::ConstString gVersionKey("CFBundleVersion");
static constinit cf::ConstString gDevelopmentRegionKey("CFBundleDevelopmentRegion");
static constinit cf::ConstString gNameKey("CFBundleName");
static constinit cf::ConstString gLocalizationsKey("CFBundleLocalizations");

const CFStringRef kCFBundleInfoDictionaryVersionKey = &gInfoDictionaryVersionKey;
const CFStringRef kCFBundleExecutableKey = &gExecutableKey;
const CFStringRef kCFBundleIdentifierKey = &gIdentifierKey;
const CFStringRef kCFBundleVersionKey = &gVersionKey;
const CFStringRef kCFBundleDevelopmentRegionKey = &gDevelopmentRegionKey;
const CFStringRef kCFBundleNameKey = &gNameKey;
const CFStringRef kCFBundleLocalizationsKey = &gLocalizationsKey;

struct __CFBundle : cf::ObjectHeader {
    std::string path;           // absolute, no trailing '/'
    std::string executablePath; // set for a main bundle without a bundle directory
    CFURLRef url = nullptr;
    CFDictionaryRef info = nullptr; // never null once made
    // Guards the executable's load state; recursive because loading runs the
    // executable's initialisers, which may ask their own bundle for symbols.
    std::recursive_mutex loadMutex;
    void* handle = nullptr;
    std::atomic<bool> mappedByOthers{false}; // found among the objects the process had already loaded

    __CFBundle() : ObjectHeader(cf::kTypeBundle, 0) {}
};

namespace cf {
namespace {

constexpr long kMaxInfoPlistBytes = 16 * 1024 * 1024;

// Recursive: a bundle that fails half-made is released, and so unregistered,
// while the registry is locked.
struct Registry {
    std::recursive_mutex mutex;
    std::map<std::string, __CFBundle*> byPath; // live bundles, not owned
    std::vector<CFBundleRef> held;             // owned: the main bundle and bundles with loaded code
    __CFBundle* main = nullptr;
};

Registry& registry() {
    // Never destroyed: bundles may be released during process exit.
    static Registry* r = new Registry;
    return *r;
}

__CFBundle* asBundle(CFBundleRef b) {
    return isType(b, kTypeBundle) ? b : nullptr;
}

// Takes a reference unless the count has already reached zero (the bundle is
// being freed by another thread).
bool tryRetain(__CFBundle* b) {
    intptr_t count = b->retainCount.load(std::memory_order_relaxed);
    while (count > 0) {
        if (b->retainCount.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel))
            return true;
    }
    return false;
}

void finalizeBundle(CFTypeRef cf) {
    auto* b = const_cast<__CFBundle*>(static_cast<const __CFBundle*>(cf));
    {
        Registry& r = registry();
        std::lock_guard<std::recursive_mutex> lock(r.mutex);
        auto found = r.byPath.find(b->path);
        if (found != r.byPath.end() && found->second == b)
            r.byPath.erase(found);
    }
    if (b->handle)
        dlclose(b->handle);
    if (b->url)
        CFRelease(b->url);
    if (b->info)
        CFRelease(b->info);
    std::destroy_at(&b->path);
    std::destroy_at(&b->executablePath);
    std::destroy_at(&b->loadMutex);
}

CFStringRef describeBundle(CFTypeRef cf) {
    auto* b = static_cast<const __CFBundle*>(cf);
    bool loaded = b->handle || b->mappedByOthers;
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("CFBundle %p <%s> (%s)"), cf, b->path.c_str(),
                                    loaded ? "executable, loaded" : "not loaded");
}

bool isDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

CFDictionaryRef emptyDictionary() {
    return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
}

// Contents/Info.plist as a dictionary; empty when missing, unreadable,
// malformed or not a dictionary.
CFDictionaryRef readInfoDictionary(const std::string& bundlePath) {
    std::string file = bundlePath + "/Contents/Info.plist";
    FILE* f = fopen(file.c_str(), "rb");
    if (!f)
        return emptyDictionary();
    std::string bytes;
    char chunk[16384];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0 && static_cast<long>(bytes.size()) <= kMaxInfoPlistBytes)
        bytes.append(chunk, n);
    fclose(f);
    if (static_cast<long>(bytes.size()) > kMaxInfoPlistBytes)
        return emptyDictionary();
    CFDataRef data = CFDataCreateWithBytesNoCopy(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                                 static_cast<CFIndex>(bytes.size()), kCFAllocatorNull);
    CFPropertyListRef plist = data ? CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr)
                                   : nullptr;
    if (data)
        CFRelease(data);
    if (plist && CFGetTypeID(plist) == CFDictionaryGetTypeID())
        return static_cast<CFDictionaryRef>(plist);
    if (plist)
        CFRelease(plist);
    return emptyDictionary();
}

// A new bundle object for a directory; the caller registers it.
__CFBundle* makeBundle(CFAllocatorRef allocator, const std::string& path, const std::string& executablePath) {
    __CFBundle* b = createObject<__CFBundle>(allocator);
    if (!b)
        return nullptr;
    b->path = path;
    b->executablePath = executablePath;
    b->url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.c_str()),
                                                     static_cast<CFIndex>(path.size()), true);
    b->info = executablePath.empty() ? readInfoDictionary(path) : emptyDictionary();
    if (!b->url || !b->info) {
        CFRelease(b);
        return nullptr;
    }
    return b;
}

// The registered bundle for a directory, retained, or a new registered one.
// Called with the registry locked.
__CFBundle* bundleForPathLocked(Registry& r, CFAllocatorRef allocator, const std::string& path) {
    auto found = r.byPath.find(path);
    if (found != r.byPath.end() && tryRetain(found->second))
        return found->second;
    __CFBundle* b = makeBundle(allocator, path, std::string());
    if (b)
        r.byPath[path] = b;
    return b;
}

// "…/X.ext" for an executable at "…/X.ext/Contents/MacOS/name", else "".
std::string bundleDirectoryForExecutable(const std::string& executable) {
    static const std::string kMarker = "/Contents/MacOS/";
    size_t at = executable.rfind(kMarker);
    if (at == std::string::npos || at == 0)
        return std::string();
    std::string name = executable.substr(at + kMarker.size());
    if (name.empty() || name.find('/') != std::string::npos)
        return std::string();
    return executable.substr(0, at);
}

std::string canonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return std::string();
    return resolved;
}

// Registers, and keeps for the life of the process, every bundle whose
// executable some part of the process has already loaded (a plug-in loaded by
// its host finds its own bundle this way).
void adoptLoadedBundles() {
    std::vector<std::string> objects;
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void* out) {
            if (info->dlpi_name && info->dlpi_name[0] && strstr(info->dlpi_name, "/Contents/MacOS/"))
                static_cast<std::vector<std::string>*>(out)->push_back(info->dlpi_name);
            return 0;
        },
        &objects);
    std::vector<CFBundleRef> surplus;
    Registry& r = registry();
    for (const std::string& object : objects) {
        std::string directory = canonicalPath(bundleDirectoryForExecutable(canonicalPath(object)));
        if (directory.empty() || !isDirectory(directory))
            continue;
        std::lock_guard<std::recursive_mutex> lock(r.mutex);
        auto found = r.byPath.find(directory);
        if (found != r.byPath.end() && found->second->mappedByOthers)
            continue;
        __CFBundle* b = bundleForPathLocked(r, nullptr, directory);
        if (!b)
            continue;
        if (b->mappedByOthers || b->handle) {
            surplus.push_back(b);
            continue;
        }
        b->mappedByOthers = true;
        r.held.push_back(b);
    }
    for (CFBundleRef b : surplus)
        CFRelease(b);
}

__CFBundle* findByIdentifier(CFStringRef identifier) {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (r.main && CFEqual(CFBundleGetIdentifier(r.main), identifier))
        return r.main;
    for (auto& entry : r.byPath) {
        __CFBundle* b = entry.second;
        if (b->retainCount.load(std::memory_order_relaxed) > 0 && CFEqual(CFBundleGetIdentifier(b), identifier))
            return b;
    }
    return nullptr;
}

std::string resourcesDirectory(const __CFBundle* b) {
    return b->executablePath.empty() ? b->path + "/Contents/Resources" : b->path;
}

CFURLRef fileURL(const std::string& path, bool directory) {
    return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.c_str()),
                                                   static_cast<CFIndex>(path.size()), directory);
}

std::string infoString(const __CFBundle* b, CFStringRef key) {
    std::string text;
    auto value = static_cast<CFStringRef>(CFDictionaryGetValue(b->info, key));
    if (!isType(value, kTypeString) || !stringToUTF8(value, text))
        return std::string();
    return text;
}

// Where resources are looked for, in order: the resources folder, then the
// Base, development-region and English localisations.
std::vector<std::string> resourceSearchPath(const __CFBundle* b, const std::string& subDirectory) {
    std::string root = resourcesDirectory(b);
    std::string sub = subDirectory.empty() ? std::string() : "/" + subDirectory;
    std::vector<std::string> dirs = {root + sub, root + "/Base.lproj" + sub};
    std::string region = infoString(b, kCFBundleDevelopmentRegionKey);
    if (!region.empty() && region.find('/') == std::string::npos)
        dirs.push_back(root + "/" + region + ".lproj" + sub);
    dirs.push_back(root + "/English.lproj" + sub);
    dirs.push_back(root + "/en.lproj" + sub);
    return dirs;
}

bool safeComponent(const std::string& text) {
    return text.find('\0') == std::string::npos && text != ".." && text.compare(0, 3, "../") != 0 &&
           text.find("/../") == std::string::npos;
}

std::string executableFile(__CFBundle* b) {
    if (!b->executablePath.empty())
        return b->executablePath;
    std::string name = infoString(b, kCFBundleExecutableKey);
    if (name.empty() || name.find('/') != std::string::npos)
        return std::string();
    std::string file = b->path + "/Contents/MacOS/" + name;
    return exists(file) ? file : std::string();
}

void holdForever(__CFBundle* b) {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (std::find(r.held.begin(), r.held.end(), b) == r.held.end()) {
        CFRetain(b);
        r.held.push_back(b);
    }
}

} // namespace

const TypeClass kBundleClass = {"CFBundle", finalizeBundle, nullptr, nullptr, describeBundle};

std::string currentExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::string();
    return std::string(buffer, static_cast<size_t>(n));
}

} // namespace cf

using namespace cf;

CFTypeID CFBundleGetTypeID(void) {
    return kTypeBundle;
}

CFBundleRef CFBundleGetMainBundle(void) {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (r.main)
        return r.main;
    std::string executable = currentExecutablePath();
    std::string directory = canonicalPath(bundleDirectoryForExecutable(executable));
    __CFBundle* b = nullptr;
    if (!directory.empty() && isDirectory(directory)) {
        b = bundleForPathLocked(r, nullptr, directory);
    } else if (!executable.empty()) {
        // A program outside any bundle: its folder stands in, without an identifier.
        std::string folder = executable.substr(0, executable.rfind('/'));
        b = makeBundle(nullptr, folder.empty() ? std::string("/") : folder, executable);
    }
    if (b) {
        r.held.push_back(b);
        r.main = b;
    }
    return b;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    if (!isType(bundleID, kTypeString))
        return nullptr;
    CFBundleGetMainBundle();
    if (__CFBundle* b = findByIdentifier(bundleID))
        return b;
    adoptLoadedBundles();
    return findByIdentifier(bundleID);
}

CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL) {
    char path[PATH_MAX];
    if (!CFURLGetFileSystemRepresentation(bundleURL, true, reinterpret_cast<UInt8*>(path), sizeof path))
        return nullptr;
    std::string directory = canonicalPath(path);
    if (directory.empty() || !isDirectory(directory))
        return nullptr;
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    return bundleForPathLocked(r, allocator, directory);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    return b ? static_cast<CFURLRef>(CFRetain(b->url)) : nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return nullptr;
    auto id = static_cast<CFStringRef>(CFDictionaryGetValue(b->info, kCFBundleIdentifierKey));
    return isType(id, kTypeString) ? id : nullptr;
}

// "major.minor.bugfix" with an optional stage letter (d, a, b, fc) and
// release number, packed as the classic version resource does:
// "1.3.0" -> 0x01308000.
UInt32 CFBundleGetVersionNumber(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return 0;
    auto value = CFDictionaryGetValue(b->info, kCFBundleVersionKey);
    if (isType(value, kTypeNumber)) {
        SInt32 n = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &n);
        return static_cast<UInt32>(n);
    }
    std::string text = infoString(b, kCFBundleVersionKey);
    unsigned major = 0, minor = 0, bugfix = 0, release = 0;
    const char* p = text.c_str();
    auto number = [&](unsigned limit, unsigned* out) {
        if (*p < '0' || *p > '9')
            return false;
        unsigned v = 0;
        while (*p >= '0' && *p <= '9') {
            v = v * 10 + static_cast<unsigned>(*p++ - '0');
            if (v > limit)
                return false;
        }
        *out = v;
        return true;
    };
    if (!number(99, &major))
        return 0;
    if (*p == '.') {
        ++p;
        if (!number(9, &minor))
            return 0;
        if (*p == '.') {
            ++p;
            if (!number(9, &bugfix))
                return 0;
        }
    }
    unsigned stage = 0x80;
    if (*p) {
        if (*p == 'd') {
            stage = 0x20;
            ++p;
        } else if (*p == 'a') {
            stage = 0x40;
            ++p;
        } else if (*p == 'b') {
            stage = 0x60;
            ++p;
        } else if (p[0] == 'f' && p[1] == 'c') {
            stage = 0x80;
            p += 2;
        } else {
            return 0;
        }
        if (!number(255, &release) || *p)
            return 0;
    }
    unsigned bcdMajor = (major / 10) << 4 | (major % 10);
    return static_cast<UInt32>(bcdMajor << 24 | minor << 20 | bugfix << 16 | stage << 8 | release);
}

CFStringRef CFBundleGetDevelopmentRegion(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return nullptr;
    auto region = static_cast<CFStringRef>(CFDictionaryGetValue(b->info, kCFBundleDevelopmentRegionKey));
    return isType(region, kTypeString) ? region : nullptr;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    return b ? b->info : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
    __CFBundle* b = asBundle(bundle);
    if (!b || !key)
        return nullptr;
    return CFDictionaryGetValue(b->info, key);
}

CFURLRef CFBundleCopySupportFilesDirectoryURL(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return nullptr;
    return b->executablePath.empty() ? fileURL(b->path + "/Contents/", true) : fileURL(b->path, true);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    return b ? fileURL(resourcesDirectory(b), true) : nullptr;
}

CFURLRef CFBundleCopyPrivateFrameworksURL(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b || !b->executablePath.empty())
        return nullptr;
    return fileURL(b->path + "/Contents/Frameworks", true);
}

CFURLRef CFBundleCopyBuiltInPlugInsURL(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b || !b->executablePath.empty())
        return nullptr;
    return fileURL(b->path + "/Contents/PlugIns", true);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return nullptr;
    std::string name, type, sub;
    if ((resourceType && !stringToUTF8(resourceType, type)) || (subDirName && !stringToUTF8(subDirName, sub)))
        return nullptr;
    if (!resourceName) {
        // No name: the first resource of the type, in name order.
        CFArrayRef all = CFBundleCopyResourceURLsOfType(bundle, resourceType, subDirName);
        CFURLRef first = CFArrayGetCount(all) > 0 ? static_cast<CFURLRef>(CFRetain(CFArrayGetValueAtIndex(all, 0))) : nullptr;
        if (all)
            CFRelease(all);
        return first;
    }
    if (!stringToUTF8(resourceName, name) || name.empty())
        return nullptr;
    if (!type.empty() && type[0] == '.')
        type.erase(0, 1);
    std::string file = type.empty() ? name : name + "." + type;
    if (!safeComponent(file) || !safeComponent(sub))
        return nullptr;
    for (const std::string& dir : resourceSearchPath(b, sub)) {
        std::string candidate = dir + "/" + file;
        if (exists(candidate))
            return fileURL(candidate, isDirectory(candidate));
    }
    return nullptr;
}

CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType, CFStringRef subDirName) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return nullptr;
    std::string type, sub;
    if ((resourceType && !stringToUTF8(resourceType, type)) || (subDirName && !stringToUTF8(subDirName, sub)) ||
        !safeComponent(sub))
        return nullptr;
    if (!type.empty() && type[0] == '.')
        type.erase(0, 1);
    std::vector<std::string> names;
    for (const std::string& dir : resourceSearchPath(b, sub)) {
        DIR* d = opendir(dir.c_str());
        if (!d)
            continue;
        while (struct dirent* entry = readdir(d)) {
            std::string name = entry->d_name;
            if (name == "." || name == ".." || (name.size() > 6 && name.compare(name.size() - 6, 6, ".lproj") == 0))
                continue;
            if (!type.empty() && (name.size() <= type.size() + 1 || name.compare(name.size() - type.size(), type.size(), type) != 0 ||
                                  name[name.size() - type.size() - 1] != '.'))
                continue;
            bool seen = false;
            for (const std::string& n : names)
                seen = seen || n.substr(n.rfind('/') + 1) == name;
            if (!seen)
                names.push_back(dir + "/" + name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
        return x.substr(x.rfind('/') + 1) < y.substr(y.rfind('/') + 1);
    });
    CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const std::string& path : names) {
        CFURLRef url = fileURL(path, isDirectory(path));
        if (url) {
            CFArrayAppendValue(urls, url);
            CFRelease(url);
        }
    }
    CFArrayRef result = CFArrayCreateCopy(nullptr, urls);
    CFRelease(urls);
    return result;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return nullptr;
    std::string file = executableFile(b);
    return file.empty() ? nullptr : fileURL(file, false);
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return false;
    std::lock_guard<std::recursive_mutex> lock(b->loadMutex);
    return b->handle != nullptr || b->mappedByOthers || !b->executablePath.empty();
}

// Loads with local symbol scope, as each plug-in keeps its own symbols. A
// bundle with loaded code stays registered for the life of the process.
Boolean CFBundleLoadExecutable(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return false;
    std::lock_guard<std::recursive_mutex> lock(b->loadMutex);
    if (b->handle)
        return true;
    std::string file = b->executablePath.empty() ? executableFile(b) : std::string();
    if (b->executablePath.empty() && file.empty())
        return false;
    // A damaged file would be mapped and then fault (SIGBUS) on its first
    // missing page, so only a complete one reaches the loader; code the
    // process already mapped is not read again.
    if (!file.empty() && !b->mappedByOthers && !IsCompleteNativeSharedObject(file))
        return false;
    void* handle = dlopen(file.empty() ? nullptr : file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    b->handle = handle;
    holdForever(b);
    return true;
}

void CFBundleUnloadExecutable(CFBundleRef bundle) {
    __CFBundle* b = asBundle(bundle);
    if (!b)
        return;
    std::lock_guard<std::recursive_mutex> lock(b->loadMutex);
    if (!b->handle)
        return;
    dlclose(b->handle);
    b->handle = nullptr;
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
    return CFBundleGetDataPointerForName(bundle, functionName);
}

void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName) {
    __CFBundle* b = asBundle(bundle);
    std::string name;
    if (!b || !stringToUTF8(symbolName, name) || name.empty())
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(b->loadMutex);
    if (!b->handle && !CFBundleLoadExecutable(bundle))
        return nullptr;
    return dlsym(b->handle, name.c_str());
}

CFURLRef OrvantaCFCopyBundleURLForExecutablePath(const char* executablePath) {
    if (!executablePath)
        return nullptr;
    std::string directory = bundleDirectoryForExecutable(executablePath);
    return directory.empty() ? nullptr : fileURL(directory, true);
}
