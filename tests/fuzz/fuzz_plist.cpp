// Property-list parsing on arbitrary bytes: whatever comes in, the parser
// returns an object or NULL, and everything it made is released again.
#include <CoreFoundation/CoreFoundation.h>
#include <CoreFoundation/OrvantaCFTesting.h>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFIndex live = OrvantaCFLiveObjectCount();
    CFDataRef bytes = CFDataCreateWithBytesNoCopy(nullptr, data, static_cast<CFIndex>(size), kCFAllocatorNull);
    CFErrorRef error = nullptr;
    CFPropertyListFormat format = 0;
    CFPropertyListRef plist =
        CFPropertyListCreateWithData(nullptr, bytes, kCFPropertyListMutableContainersAndLeaves, &format, &error);
    if (plist) {
        // Whatever was read must write back out in the format it came in.
        CFDataRef again = CFPropertyListCreateData(nullptr, plist, format, 0, nullptr);
        if (!again && CFPropertyListIsValid(plist, format)) {
            fprintf(stderr, "a property list that was read could not be written\n");
            abort();
        }
        if (again)
            CFRelease(again);
        CFRelease(plist);
    } else if (!error) {
        fprintf(stderr, "refused without an error object\n");
        abort();
    }
    if (error)
        CFRelease(error);
    CFRelease(bytes);
    if (OrvantaCFLiveObjectCount() != live) {
        fprintf(stderr, "property-list parsing leaked CF objects\n");
        abort();
    }
    return 0;
}
