// Byte buffers. Immutable data made "without copy" keeps the caller's bytes
// and hands them to the given deallocator when it is freed.
#include "corefoundation/CFInternal.h"

#include <cstring>

struct __CFData : cf::ObjectHeader {
    UInt8* bytes = nullptr;
    CFIndex length = 0;
    CFIndex capacity = 0;
    // Non-null for borrowed bytes: who frees them (kCFAllocatorNull: nobody).
    CFAllocatorRef bytesDeallocator = nullptr;
    bool borrowed = false;

    explicit __CFData(bool isMutable) : ObjectHeader(cf::kTypeData, isMutable ? cf::kFlagMutable : 0) {}
};

namespace cf {
namespace {

// What CFDataGetBytePtr gives for empty data: a valid pointer, never null.
const UInt8 kNoBytes[1] = {0};

__CFData* asData(CFDataRef d) {
    return isType(d, kTypeData) ? const_cast<__CFData*>(d) : nullptr;
}

__CFData* asMutableData(CFMutableDataRef d) {
    __CFData* data = asData(d);
    return data && data->isMutable() ? data : nullptr;
}

bool validRange(const __CFData* d, CFRange range) {
    return range.location >= 0 && range.length >= 0 && range.location <= d->length &&
           range.length <= d->length - range.location;
}

void finalizeData(CFTypeRef cf) {
    auto* d = const_cast<__CFData*>(static_cast<const __CFData*>(cf));
    if (d->borrowed) {
        if (d->bytesDeallocator != kCFAllocatorNull)
            CFAllocatorDeallocate(d->bytesDeallocator, d->bytes);
        if (d->bytesDeallocator)
            CFRelease(d->bytesDeallocator);
    } else {
        free(d->bytes);
    }
}

bool equalData(CFTypeRef a, CFTypeRef b) {
    auto* x = static_cast<const __CFData*>(a);
    auto* y = static_cast<const __CFData*>(b);
    return x->length == y->length && (x->length == 0 || memcmp(x->bytes, y->bytes, static_cast<size_t>(x->length)) == 0);
}

CFHashCode hashData(CFTypeRef cf) {
    auto* d = static_cast<const __CFData*>(cf);
    uint64_t h = 1469598103934665603ull;
    CFIndex n = d->length < 80 ? d->length : 80;
    for (CFIndex i = 0; i < n; ++i) {
        h ^= d->bytes[i];
        h *= 1099511628211ull;
    }
    return static_cast<CFHashCode>(h ^ static_cast<uint64_t>(d->length));
}

CFStringRef describeData(CFTypeRef cf) {
    auto* d = static_cast<const __CFData*>(cf);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    CFIndex shown = d->length < 1024 ? d->length : 1024;
    for (CFIndex i = 0; i < shown; ++i) {
        hex.push_back(kHex[d->bytes[i] >> 4]);
        hex.push_back(kHex[d->bytes[i] & 15]);
    }
    if (shown < d->length)
        hex += "...";
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFData %p [%p]>{length = %ld, capacity = %ld, bytes = 0x%s}"),
                                    cf, d->allocator, static_cast<long>(d->length),
                                    static_cast<long>(d->isMutable() ? d->capacity : d->length), hex.c_str());
}

__CFData* newData(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length, bool isMutable) {
    if (length < 0 || (length > 0 && !bytes))
        return nullptr;
    __CFData* d = createObject<__CFData>(allocator, isMutable);
    if (!d)
        return nullptr;
    if (length > 0) {
        if (!growBuffer(d->bytes, d->capacity, length)) {
            CFRelease(d);
            return nullptr;
        }
        memcpy(d->bytes, bytes, static_cast<size_t>(length));
        d->length = length;
    }
    return d;
}

// Resizes a mutable buffer; new bytes are zero.
bool resize(__CFData* d, CFIndex length) {
    if (length < 0 || !growBuffer(d->bytes, d->capacity, length))
        return false;
    if (length > d->length)
        memset(d->bytes + d->length, 0, static_cast<size_t>(length - d->length));
    d->length = length;
    return true;
}

} // namespace

const TypeClass kDataClass = {"CFData", finalizeData, equalData, hashData, describeData};

} // namespace cf

using namespace cf;

CFTypeID CFDataGetTypeID(void) {
    return kTypeData;
}

CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length) {
    return newData(allocator, bytes, length, false);
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator) {
    if (length < 0 || (length > 0 && !bytes))
        return nullptr;
    __CFData* d = createObject<__CFData>(allocator, false);
    if (!d)
        return nullptr;
    d->bytes = const_cast<UInt8*>(bytes);
    d->length = length;
    d->capacity = length;
    d->borrowed = true;
    d->bytesDeallocator = bytesDeallocator ? static_cast<CFAllocatorRef>(CFRetain(bytesDeallocator)) : nullptr;
    return d;
}

CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef theData) {
    const __CFData* d = asData(theData);
    if (!d)
        return nullptr;
    if (!d->isMutable() && !d->borrowed)
        return static_cast<CFDataRef>(CFRetain(d));
    return newData(allocator, d->bytes, d->length, false);
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef allocator, CFIndex) {
    return newData(allocator, nullptr, 0, true);
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef allocator, CFIndex, CFDataRef theData) {
    const __CFData* d = asData(theData);
    if (!d)
        return nullptr;
    return newData(allocator, d->bytes, d->length, true);
}

CFIndex CFDataGetLength(CFDataRef theData) {
    const __CFData* d = asData(theData);
    return d ? d->length : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
    const __CFData* d = asData(theData);
    if (!d)
        return nullptr;
    return d->bytes ? d->bytes : kNoBytes;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData) {
    __CFData* d = asMutableData(theData);
    if (!d)
        return nullptr;
    return d->bytes ? d->bytes : const_cast<UInt8*>(kNoBytes);
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer) {
    const __CFData* d = asData(theData);
    if (!d || !buffer || !validRange(d, range) || range.length == 0)
        return;
    memcpy(buffer, d->bytes + range.location, static_cast<size_t>(range.length));
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length) {
    __CFData* d = asMutableData(theData);
    if (d)
        resize(d, length);
}

void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength) {
    __CFData* d = asMutableData(theData);
    if (d && extraLength > 0 && extraLength <= PTRDIFF_MAX - d->length)
        resize(d, d->length + extraLength);
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length) {
    __CFData* d = asMutableData(theData);
    if (d)
        CFDataReplaceBytes(theData, CFRangeMake(d->length, 0), bytes, length);
}

void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes, CFIndex newLength) {
    __CFData* d = asMutableData(theData);
    if (!d || !validRange(d, range) || newLength < 0 || (newLength > 0 && !newBytes))
        return;
    std::string copy;
    if (newLength > 0 && newBytes >= d->bytes && newBytes < d->bytes + d->capacity) {
        copy.assign(reinterpret_cast<const char*>(newBytes), static_cast<size_t>(newLength));
        newBytes = reinterpret_cast<const UInt8*>(copy.data());
    }
    CFIndex tail = d->length - range.location - range.length;
    CFIndex finalLength = d->length - range.length + newLength;
    if (!growBuffer(d->bytes, d->capacity, finalLength))
        return;
    if (tail > 0)
        memmove(d->bytes + range.location + newLength, d->bytes + range.location + range.length, static_cast<size_t>(tail));
    if (newLength > 0)
        memcpy(d->bytes + range.location, newBytes, static_cast<size_t>(newLength));
    d->length = finalLength;
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) {
    CFDataReplaceBytes(theData, range, nullptr, 0);
}
