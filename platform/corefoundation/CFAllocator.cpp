// Allocators: the system (malloc) allocator, the null allocator, and
// allocators built from a caller's context.
#include "corefoundation/CFInternal.h"

#include <cstdlib>
#include <cstring>

namespace {

enum class AllocatorKind { System, Null, UseContext, Custom };

void* mallocAllocate(CFIndex size, CFOptionFlags, void*) {
    return malloc(static_cast<size_t>(size));
}

void* mallocReallocate(void* ptr, CFIndex size, CFOptionFlags, void*) {
    return realloc(ptr, static_cast<size_t>(size));
}

void mallocDeallocate(void* ptr, void*) {
    free(ptr);
}

void* nullAllocate(CFIndex, CFOptionFlags, void*) {
    return nullptr;
}

void* nullReallocate(void*, CFIndex, CFOptionFlags, void*) {
    return nullptr;
}

void nullDeallocate(void*, void*) {}

} // namespace

struct __CFAllocator : cf::ObjectHeader {
    AllocatorKind kind;
    bool selfAllocated;
    CFAllocatorContext context;

    constexpr __CFAllocator(AllocatorKind k, CFAllocatorContext ctx)
        : ObjectHeader(cf::kTypeAllocator, cf::kFlagImmortal), kind(k), selfAllocated(false), context(ctx) {}
    __CFAllocator(const CFAllocatorContext& ctx, bool self)
        : ObjectHeader(cf::kTypeAllocator, 0), kind(AllocatorKind::Custom), selfAllocated(self), context(ctx) {}
};

static constinit __CFAllocator gSystemAllocator(
    AllocatorKind::System, {0, nullptr, nullptr, nullptr, nullptr, mallocAllocate, mallocReallocate, mallocDeallocate, nullptr});
static constinit __CFAllocator gNullAllocator(
    AllocatorKind::Null, {0, nullptr, nullptr, nullptr, nullptr, nullAllocate, nullReallocate, nullDeallocate, nullptr});
static constinit __CFAllocator gUseContextAllocator(
    AllocatorKind::UseContext, {0, nullptr, nullptr, nullptr, nullptr, nullAllocate, nullReallocate, nullDeallocate, nullptr});

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gSystemAllocator;
const CFAllocatorRef kCFAllocatorMalloc = &gSystemAllocator;
const CFAllocatorRef kCFAllocatorMallocZone = &gSystemAllocator;
const CFAllocatorRef kCFAllocatorNull = &gNullAllocator;
const CFAllocatorRef kCFAllocatorUseContext = &gUseContextAllocator;

// The default is per thread, as published; a thread starts with the system allocator.
static thread_local CFAllocatorRef tDefaultAllocator = nullptr;

namespace cf {
namespace {

const __CFAllocator* asAllocator(CFAllocatorRef allocator) {
    return isType(allocator, kTypeAllocator) ? allocator : nullptr;
}

void finalizeAllocator(CFTypeRef cf) {
    auto* a = const_cast<__CFAllocator*>(static_cast<const __CFAllocator*>(cf));
    if (!a->selfAllocated && a->context.release && a->context.info)
        a->context.release(a->context.info);
}

CFStringRef describeAllocator(CFTypeRef cf) {
    auto* a = static_cast<const __CFAllocator*>(cf);
    if (a->context.copyDescription && a->context.info) {
        CFStringRef own = a->context.copyDescription(a->context.info);
        if (own)
            return own;
    }
    const char* kind = a->kind == AllocatorKind::System ? "system" : a->kind == AllocatorKind::Null ? "null" : "custom";
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFAllocator %p [%s]>"), cf, kind);
}

} // namespace

const TypeClass kAllocatorClass = {"CFAllocator", finalizeAllocator, nullptr, nullptr, describeAllocator};

CFAllocatorRef resolveAllocator(CFAllocatorRef allocator) {
    if (!allocator)
        allocator = tDefaultAllocator ? tDefaultAllocator : kCFAllocatorSystemDefault;
    if (allocator == kCFAllocatorUseContext || !asAllocator(allocator))
        return kCFAllocatorSystemDefault;
    return allocator;
}

bool isSystemAllocator(CFAllocatorRef allocator) {
    return !allocator || allocator == kCFAllocatorSystemDefault;
}

void* allocateBytes(CFAllocatorRef allocator, size_t size) {
    if (size == 0 || size > static_cast<size_t>(PTRDIFF_MAX))
        return nullptr;
    const __CFAllocator* a = asAllocator(resolveAllocator(allocator));
    if (!a->context.allocate)
        return nullptr;
    return a->context.allocate(static_cast<CFIndex>(size), 0, a->context.info);
}

void freeBytes(CFAllocatorRef allocator, void* ptr) {
    if (!ptr)
        return;
    const __CFAllocator* a = asAllocator(resolveAllocator(allocator));
    if (a->context.deallocate)
        a->context.deallocate(ptr, a->context.info);
}

bool allocatorFreesItself(ObjectHeader* object) {
    auto* a = static_cast<__CFAllocator*>(object);
    if (!a->selfAllocated)
        return false;
    CFAllocatorContext context = a->context;
    if (context.deallocate)
        context.deallocate(a, context.info);
    if (context.release && context.info)
        context.release(context.info);
    return true;
}

} // namespace cf

using namespace cf;

CFTypeID CFAllocatorGetTypeID(void) {
    return kTypeAllocator;
}

void CFAllocatorSetDefault(CFAllocatorRef allocator) {
    if (allocator == kCFAllocatorUseContext || (allocator && !asAllocator(allocator)))
        return;
    CFAllocatorRef previous = tDefaultAllocator;
    tDefaultAllocator = allocator ? static_cast<CFAllocatorRef>(CFRetain(allocator)) : nullptr;
    if (previous)
        CFRelease(previous);
}

CFAllocatorRef CFAllocatorGetDefault(void) {
    return tDefaultAllocator ? tDefaultAllocator : kCFAllocatorSystemDefault;
}

CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context) {
    if (!context)
        return nullptr;
    if (allocator == kCFAllocatorUseContext) {
        if (!context->allocate)
            return nullptr;
        void* memory = context->allocate(sizeof(__CFAllocator), 0, context->info);
        if (!memory)
            return nullptr;
        CFAllocatorContext own = *context;
        if (own.retain && own.info)
            own.info = const_cast<void*>(own.retain(own.info));
        auto* a = new (memory) __CFAllocator(own, true);
        // Its own allocator would be itself; it is freed through its context instead.
        registerObject(a, kCFAllocatorSystemDefault);
        return a;
    }
    CFAllocatorContext own = *context;
    if (own.retain && own.info)
        own.info = const_cast<void*>(own.retain(own.info));
    __CFAllocator* a = createObject<__CFAllocator>(allocator, own, false);
    if (!a && own.release && own.info)
        own.release(own.info);
    return a;
}

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags) {
    if (size <= 0)
        return nullptr;
    return allocateBytes(allocator, static_cast<size_t>(size));
}

void* CFAllocatorReallocate(CFAllocatorRef allocator, void* ptr, CFIndex newsize, CFOptionFlags hint) {
    if (!ptr)
        return CFAllocatorAllocate(allocator, newsize, hint);
    if (newsize <= 0) {
        freeBytes(allocator, ptr);
        return nullptr;
    }
    const __CFAllocator* a = asAllocator(resolveAllocator(allocator));
    if (!a->context.reallocate)
        return nullptr;
    return a->context.reallocate(ptr, newsize, hint, a->context.info);
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr) {
    freeBytes(allocator, ptr);
}

CFIndex CFAllocatorGetPreferredSizeForSize(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint) {
    const __CFAllocator* a = asAllocator(resolveAllocator(allocator));
    if (a->context.preferredSize) {
        CFIndex preferred = a->context.preferredSize(size, hint, a->context.info);
        return preferred >= size ? preferred : size;
    }
    return size;
}

void CFAllocatorGetContext(CFAllocatorRef allocator, CFAllocatorContext* context) {
    if (!context)
        return;
    *context = asAllocator(resolveAllocator(allocator))->context;
}
