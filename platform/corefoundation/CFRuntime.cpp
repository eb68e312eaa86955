// Reference counting and the polymorphic functions every CF object answers.
#include "corefoundation/CFInternal.h"

#include <CoreFoundation/OrvantaCFTesting.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace cf {
namespace {

const TypeClass* const kClasses[kTypeCount] = {
    nullptr,          &kAllocatorClass, &kNullClass, &kStringClass, &kNumberClass, &kBooleanClass, &kDataClass,
    &kArrayClass,     &kDictionaryClass, &kDateClass, &kErrorClass, &kURLClass,    &kBundleClass,
    &kAttributedStringClass,
};

// Classes registered from outside; constant-initialised so registration
// works whenever it happens, even before this file's dynamic initialisers.
constinit std::atomic<const TypeClass*> gRegistered[kTypeLimit - kFirstRegisteredType] = {};

std::atomic<CFIndex> gLiveObjects{0};
std::atomic<CFIndex> gOverReleases{0};
#ifdef NDEBUG
std::atomic<bool> gAbortOnOverRelease{false};
#else
std::atomic<bool> gAbortOnOverRelease{true};
#endif

// Freed shells of default-allocated objects are held back for a while with a
// dead mark, so that releasing an object a second time finds the mark in
// memory that is still ours instead of in memory somebody else now uses.
class Quarantine {
public:
    void hold(void* shell) {
        void* evicted;
        {
            std::lock_guard<std::mutex> lock(mMutex);
            evicted = mSlots[mNext];
            mSlots[mNext] = shell;
            mNext = (mNext + 1) % kSlots;
        }
        free(evicted);
    }

private:
    static constexpr size_t kSlots = 1024;
    std::mutex mMutex;
    void* mSlots[kSlots] = {};
    size_t mNext = 0;
};

Quarantine& quarantine() {
    // Never destroyed: objects may still be released while the process exits.
    static Quarantine* q = new Quarantine;
    return *q;
}

void reportMisuse(CFTypeRef cf, const char* what) {
    gOverReleases.fetch_add(1, std::memory_order_relaxed);
    fprintf(stderr, "CoreFoundation: %s of %p, whose retain count already reached zero\n", what, cf);
    if (gAbortOnOverRelease.load(std::memory_order_relaxed))
        abort();
}

const TypeClass* classFor(CFTypeID typeID) {
    if (typeID < kTypeCount)
        return kClasses[typeID];
    if (typeID >= kFirstRegisteredType && typeID < kTypeLimit)
        return gRegistered[typeID - kFirstRegisteredType].load(std::memory_order_acquire);
    return nullptr;
}

const TypeClass* classOf(const ObjectHeader* h) {
    return classFor(h->typeID);
}

// Validates a pointer handed to a polymorphic function. A dead object is
// reported; anything else unknown is treated as not an object.
const ObjectHeader* live(CFTypeRef cf, const char* what) {
    if (!cf)
        return nullptr;
    const ObjectHeader* h = header(cf);
    if (h->magic == kLiveMagic && classOf(h))
        return h;
    if (h->magic == kDeadMagic)
        reportMisuse(cf, what);
    return nullptr;
}

void destroy(ObjectHeader* h) {
    const TypeClass* cls = classOf(h);
    if (cls->finalize)
        cls->finalize(h);
    h->magic = kDeadMagic;
    gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
    if (h->typeID == kTypeAllocator && allocatorFreesItself(h))
        return;
    CFAllocatorRef allocator = h->allocator;
    if (isSystemAllocator(allocator)) {
        quarantine().hold(h);
    } else {
        freeBytes(allocator, h);
        CFRelease(allocator);
    }
}

} // namespace

bool registerClass(uint16_t typeID, const TypeClass* cls) {
    if (!cls || typeID < kFirstRegisteredType || typeID >= kTypeLimit)
        return false;
    const TypeClass* expected = nullptr;
    return gRegistered[typeID - kFirstRegisteredType].compare_exchange_strong(expected, cls,
                                                                              std::memory_order_acq_rel) ||
           expected == cls;
}

bool isType(CFTypeRef cf, uint16_t type) {
    return cf && header(cf)->magic == kLiveMagic && header(cf)->typeID == type;
}

void* allocateShell(CFAllocatorRef allocator, size_t size) {
    return allocateBytes(allocator, size);
}

void registerObject(ObjectHeader* object, CFAllocatorRef allocator) {
    object->retainCount.store(1, std::memory_order_relaxed);
    object->allocator = allocator;
    if (!isSystemAllocator(allocator))
        CFRetain(allocator);
    gLiveObjects.fetch_add(1, std::memory_order_relaxed);
}

void makeImmortal(ObjectHeader* object) {
    object->flags |= kFlagImmortal;
    object->retainCount.store(kImmortalCount, std::memory_order_relaxed);
    gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

CFStringRef copyDescriptionOrAddress(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "description");
    if (!h)
        return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%p>"), cf);
    const TypeClass* cls = classOf(h);
    if (cls->copyDescription)
        return cls->copyDescription(cf);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%s %p [%p]>"), cls->name, cf, h->allocator);
}

std::string describe(CFTypeRef cf) {
    CFStringRef description = copyDescriptionOrAddress(cf);
    std::string text = stringToUTF8Lossy(description);
    CFRelease(description);
    return text;
}

// kCFNull

namespace {

CFStringRef nullDescription(CFTypeRef cf) {
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFNull %p [%p]>"), cf, kCFAllocatorSystemDefault);
}

} // namespace

const TypeClass kNullClass = {"CFNull", nullptr, nullptr, nullptr, nullDescription};

} // namespace cf

struct __CFNull : cf::ObjectHeader {
    constexpr __CFNull() : ObjectHeader(cf::kTypeNull, cf::kFlagImmortal) {}
};

static constinit __CFNull gNull;
const CFNullRef kCFNull = &gNull;

using namespace cf;

CFTypeID CFNullGetTypeID(void) {
    return kTypeNull;
}

CFRange __CFRangeMake(CFIndex loc, CFIndex len) {
    return CFRangeMake(loc, len);
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "type query");
    return h ? static_cast<CFTypeID>(h->typeID) : static_cast<CFTypeID>(kTypeNotAType);
}

CFStringRef CFCopyTypeIDDescription(CFTypeID typeID) {
    const TypeClass* cls = classFor(typeID);
    return cls ? CFStringCreateWithCString(nullptr, cls->name, kCFStringEncodingUTF8) : nullptr;
}

CFTypeRef CFRetain(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "retain");
    if (!h)
        return cf;
    if (!(h->flags & kFlagImmortal))
        mutableHeader(cf)->retainCount.fetch_add(1, std::memory_order_relaxed);
    return cf;
}

void CFRelease(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "release");
    if (!h || (h->flags & kFlagImmortal))
        return;
    ObjectHeader* m = mutableHeader(cf);
    intptr_t before = m->retainCount.fetch_sub(1, std::memory_order_acq_rel);
    if (before == 1)
        destroy(m);
    else if (before <= 0)
        reportMisuse(cf, "release");
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "retain-count query");
    if (!h)
        return 0;
    return h->retainCount.load(std::memory_order_relaxed);
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
    if (cf1 == cf2)
        return cf1 != nullptr;
    const ObjectHeader* a = live(cf1, "comparison");
    const ObjectHeader* b = live(cf2, "comparison");
    if (!a || !b || a->typeID != b->typeID)
        return false;
    const TypeClass* cls = classOf(a);
    return cls->equal ? cls->equal(cf1, cf2) : false;
}

CFHashCode CFHash(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "hash");
    if (!h)
        return 0;
    const TypeClass* cls = classOf(h);
    return cls->hash ? cls->hash(cf) : reinterpret_cast<CFHashCode>(cf);
}

CFStringRef CFCopyDescription(CFTypeRef cf) {
    if (!live(cf, "description"))
        return nullptr;
    return copyDescriptionOrAddress(cf);
}

CFAllocatorRef CFGetAllocator(CFTypeRef cf) {
    const ObjectHeader* h = live(cf, "allocator query");
    if (!h || !h->allocator)
        return kCFAllocatorSystemDefault;
    return h->allocator;
}

void CFShow(CFTypeRef obj) {
    if (!obj) {
        fputs("(null)\n", stderr);
        return;
    }
    std::string text = isType(obj, kTypeString) ? stringToUTF8Lossy(static_cast<CFStringRef>(obj)) : describe(obj);
    fprintf(stderr, "%s\n", text.c_str());
}

CFIndex OrvantaCFLiveObjectCount(void) {
    return gLiveObjects.load(std::memory_order_relaxed);
}

CFIndex OrvantaCFOverReleaseCount(void) {
    return gOverReleases.load(std::memory_order_relaxed);
}

Boolean OrvantaCFSetAbortOnOverRelease(Boolean abortOnOverRelease) {
    return gAbortOnOverRelease.exchange(abortOnOverRelease != 0);
}
