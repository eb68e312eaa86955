// Errors: a domain, a code and an optional user-info dictionary.
#include "corefoundation/CFInternal.h"

static constinit cf::ConstString gPOSIX("NSPOSIXErrorDomain");
static constinit cf::ConstString gOSStatus("NSOSStatusErrorDomain");
static constinit cf::ConstString gMach("NSMachErrorDomain");
static constinit cf::ConstString gCocoa("NSCocoaErrorDomain");
static constinit cf::ConstString gLocalizedDescription("NSLocalizedDescription");
static constinit cf::ConstString gLocalizedFailureReason("NSLocalizedFailureReason");
static constinit cf::ConstString gDescription("NSDescription");
static constinit cf::ConstString gUnderlyingError("NSUnderlyingError");
static constinit cf::ConstString gFilePath("NSFilePath");

const CFErrorDomain kCFErrorDomainPOSIX = &gPOSIX;
const CFErrorDomain kCFErrorDomainOSStatus = &gOSStatus;
const CFErrorDomain kCFErrorDomainMach = &gMach;
const CFErrorDomain kCFErrorDomainCocoa = &gCocoa;
const CFStringRef kCFErrorLocalizedDescriptionKey = &gLocalizedDescription;
const CFStringRef kCFErrorLocalizedFailureReasonKey = &gLocalizedFailureReason;
const CFStringRef kCFErrorDescriptionKey = &gDescription;
const CFStringRef kCFErrorUnderlyingErrorKey = &gUnderlyingError;
const CFStringRef kCFErrorFilePathKey = &gFilePath;

struct __CFError : cf::ObjectHeader {
    CFStringRef domain;
    CFIndex code;
    CFDictionaryRef userInfo; // never null
    __CFError(CFStringRef d, CFIndex c, CFDictionaryRef info)
        : ObjectHeader(cf::kTypeError, 0), domain(d), code(c), userInfo(info) {}
};

namespace cf {
namespace {

const __CFError* asError(CFErrorRef e) {
    return isType(e, kTypeError) ? e : nullptr;
}

void finalizeError(CFTypeRef cf) {
    auto* e = static_cast<const __CFError*>(cf);
    CFRelease(e->domain);
    CFRelease(e->userInfo);
}

bool equalErrors(CFTypeRef a, CFTypeRef b) {
    auto* x = static_cast<const __CFError*>(a);
    auto* y = static_cast<const __CFError*>(b);
    return x->code == y->code && CFEqual(x->domain, y->domain) && CFEqual(x->userInfo, y->userInfo);
}

CFHashCode hashError(CFTypeRef cf) {
    auto* e = static_cast<const __CFError*>(cf);
    return static_cast<CFHashCode>(e->code) ^ CFHash(e->domain);
}

CFStringRef describeError(CFTypeRef cf) {
    CFStringRef text = CFErrorCopyDescription(static_cast<CFErrorRef>(const_cast<void*>(cf)));
    CFStringRef result = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("Error Domain=%@ Code=%ld \"%@\""),
                                                  static_cast<const __CFError*>(cf)->domain,
                                                  static_cast<long>(static_cast<const __CFError*>(cf)->code), text);
    CFRelease(text);
    return result;
}

} // namespace

const TypeClass kErrorClass = {"CFError", finalizeError, equalErrors, hashError, describeError};

} // namespace cf

using namespace cf;

CFTypeID CFErrorGetTypeID(void) {
    return kTypeError;
}

CFErrorRef CFErrorCreate(CFAllocatorRef allocator, CFErrorDomain domain, CFIndex code, CFDictionaryRef userInfo) {
    if (!isType(domain, kTypeString) || (userInfo && !isType(userInfo, kTypeDictionary)))
        return nullptr;
    CFStringRef ownDomain = CFStringCreateCopy(allocator, domain);
    CFDictionaryRef info = userInfo ? CFDictionaryCreateCopy(allocator, userInfo)
                                    : CFDictionaryCreate(allocator, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    __CFError* e = ownDomain && info ? createObject<__CFError>(allocator, ownDomain, code, info) : nullptr;
    if (!e) {
        if (ownDomain)
            CFRelease(ownDomain);
        if (info)
            CFRelease(info);
    }
    return e;
}

CFErrorDomain CFErrorGetDomain(CFErrorRef err) {
    const __CFError* e = asError(err);
    return e ? e->domain : nullptr;
}

CFIndex CFErrorGetCode(CFErrorRef err) {
    const __CFError* e = asError(err);
    return e ? e->code : 0;
}

CFDictionaryRef CFErrorCopyUserInfo(CFErrorRef err) {
    const __CFError* e = asError(err);
    return e ? static_cast<CFDictionaryRef>(CFRetain(e->userInfo)) : nullptr;
}

CFStringRef CFErrorCopyDescription(CFErrorRef err) {
    const __CFError* e = asError(err);
    if (!e)
        return nullptr;
    auto own = static_cast<CFStringRef>(CFDictionaryGetValue(e->userInfo, kCFErrorLocalizedDescriptionKey));
    if (isType(own, kTypeString))
        return static_cast<CFStringRef>(CFRetain(own));
    auto reason = static_cast<CFStringRef>(CFDictionaryGetValue(e->userInfo, kCFErrorDescriptionKey));
    if (isType(reason, kTypeString))
        return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("The operation couldn\u2019t be completed. %@"), reason);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("The operation couldn\u2019t be completed. (%@ error %ld.)"),
                                    e->domain, static_cast<long>(e->code));
}

CFStringRef CFErrorCopyFailureReason(CFErrorRef err) {
    const __CFError* e = asError(err);
    if (!e)
        return nullptr;
    auto reason = static_cast<CFStringRef>(CFDictionaryGetValue(e->userInfo, kCFErrorLocalizedFailureReasonKey));
    return isType(reason, kTypeString) ? static_cast<CFStringRef>(CFRetain(reason)) : nullptr;
}
