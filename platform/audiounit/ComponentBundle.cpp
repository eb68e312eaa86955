#include "audiounit/ComponentBundle.h"

#include <cstdint>

namespace orvanta_cm {

namespace {

bool IsA(CFTypeRef value, CFTypeID type) {
    return value != nullptr && CFGetTypeID(value) == type;
}

bool CopyUTF8(CFTypeRef value, std::string* out) {
    if (!IsA(value, CFStringGetTypeID())) {
        return false;
    }
    CFStringRef text = static_cast<CFStringRef>(value);
    CFIndex capacity = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
    if (capacity <= 0) {
        return false;
    }
    std::string buffer(static_cast<size_t>(capacity), '\0');
    if (!CFStringGetCString(text, buffer.data(), capacity, kCFStringEncodingUTF8)) {
        return false;
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    *out = std::move(buffer);
    return true;
}

bool ReadCode(CFDictionaryRef entry, CFStringRef key, OSType* code) {
    std::string text;
    return CopyUTF8(CFDictionaryGetValue(entry, key), &text) && ComponentBundle::ParseFourCharCode(text.c_str(), code);
}

// A missing or unreadable version counts as 0: the component still works,
// it only loses against any other version of itself.
UInt32 ReadVersion(CFDictionaryRef entry) {
    CFTypeRef value = CFDictionaryGetValue(entry, CFSTR("version"));
    SInt64 version = 0;
    if (!IsA(value, CFNumberGetTypeID()) ||
        !CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &version) || version < 0 ||
        version > static_cast<SInt64>(UINT32_MAX)) {
        return 0;
    }
    return static_cast<UInt32>(version);
}

bool ReadEntry(CFTypeRef value, BundleComponent* out) {
    if (!IsA(value, CFDictionaryGetTypeID())) {
        return false;
    }
    CFDictionaryRef entry = static_cast<CFDictionaryRef>(value);
    BundleComponent component{};
    if (!ReadCode(entry, CFSTR("type"), &component.desc.componentType) ||
        !ReadCode(entry, CFSTR("subtype"), &component.desc.componentSubType) ||
        !ReadCode(entry, CFSTR("manufacturer"), &component.desc.componentManufacturer)) {
        return false;
    }
    if (!CopyUTF8(CFDictionaryGetValue(entry, CFSTR("factoryFunction")), &component.factoryFunction) ||
        component.factoryFunction.empty()) {
        return false;
    }
    // A nameless component is still usable; hosts show it with an empty name.
    CopyUTF8(CFDictionaryGetValue(entry, CFSTR("name")), &component.name);
    component.version = ReadVersion(entry);
    *out = std::move(component);
    return true;
}

}  // namespace

ComponentBundle::~ComponentBundle() {
    if (bundle_ != nullptr) {
        CFRelease(bundle_);
    }
}

bool ComponentBundle::ParseFourCharCode(const char* text, OSType* code) {
    if (text == nullptr) {
        return false;
    }
    OSType value = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
        value = (value << 8) | c;
    }
    if (text[4] != '\0') {
        return false;
    }
    *code = value;
    return true;
}

OSStatus ComponentBundle::Read(const std::string& path) {
    components_.clear();
    if (bundle_ != nullptr) {
        CFRelease(bundle_);
        bundle_ = nullptr;
    }
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()), static_cast<CFIndex>(path.size()), true);
    if (url == nullptr) {
        return fnfErr;
    }
    bundle_ = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    if (bundle_ == nullptr) {
        return fnfErr;
    }
    CFDictionaryRef info = CFBundleGetInfoDictionary(bundle_);
    if (info == nullptr || CFDictionaryGetCount(info) == 0) {
        return fnfErr;
    }
    CFURLRef executable = CFBundleCopyExecutableURL(bundle_);
    if (executable == nullptr) {
        return invalidComponentID;
    }
    CFRelease(executable);

    CFTypeRef list = CFBundleGetValueForInfoDictionaryKey(bundle_, CFSTR("AudioComponents"));
    if (!IsA(list, CFArrayGetTypeID())) {
        return invalidComponentID;
    }
    CFArrayRef entries = static_cast<CFArrayRef>(list);
    CFIndex count = CFArrayGetCount(entries);
    for (CFIndex i = 0; i < count; ++i) {
        BundleComponent component;
        if (ReadEntry(CFArrayGetValueAtIndex(entries, i), &component)) {
            components_.push_back(std::move(component));
        }
    }
    return components_.empty() ? OSStatus{invalidComponentID} : OSStatus{noErr};
}

}  // namespace orvanta_cm
