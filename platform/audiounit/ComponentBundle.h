// Reading the component declarations of one *.component bundle directory.
#ifndef ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTBUNDLE_H
#define ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTBUNDLE_H

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>

#include <string>
#include <vector>

namespace orvanta_cm {

// One entry of a bundle's AudioComponents array.
struct BundleComponent {
    ComponentDescription desc;
    std::string name;
    UInt32 version;
    std::string factoryFunction;
};

// A bundle and the usable components it declares. Owns one reference to the
// CFBundle.
class ComponentBundle {
public:
    ComponentBundle() = default;
    ~ComponentBundle();
    ComponentBundle(const ComponentBundle&) = delete;
    ComponentBundle& operator=(const ComponentBundle&) = delete;

    // Reads the bundle at `path`. noErr with at least one component;
    // fnfErr when the path is not a bundle directory with a readable
    // Info.plist; invalidComponentID when it declares no usable component
    // (no AudioComponents array, malformed entries only, or no executable).
    // Entries with a missing or malformed four-character code or factory
    // name are skipped.
    OSStatus Read(const std::string& path);

    CFBundleRef Bundle() const { return bundle_; }
    const std::vector<BundleComponent>& Components() const { return components_; }

    // "abcd" as a four-character code; false unless exactly four printable
    // ASCII characters.
    static bool ParseFourCharCode(const char* text, OSType* code);

private:
    CFBundleRef bundle_ = nullptr;
    std::vector<BundleComponent> components_;
};

}  // namespace orvanta_cm

#endif  // ORVANTA_PLATFORM_AUDIOUNIT_COMPONENTBUNDLE_H
