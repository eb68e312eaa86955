// Arrays: a contiguous run of values, retained, released, compared and
// described through the callbacks the array was made with.
#include "corefoundation/CFInternal.h"

#include <algorithm>
#include <cstring>

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, cf::typeRetain, cf::typeRelease, CFCopyDescription, cf::typeEqual};

struct __CFArray : cf::ObjectHeader {
    CFArrayCallBacks callBacks;
    const void** values = nullptr;
    CFIndex count = 0;
    CFIndex capacity = 0;

    __CFArray(bool isMutable, const CFArrayCallBacks* cb)
        : ObjectHeader(cf::kTypeArray, isMutable ? cf::kFlagMutable : 0),
          callBacks(cb ? *cb : CFArrayCallBacks{0, nullptr, nullptr, nullptr, nullptr}) {}
};

namespace cf {
namespace {

__CFArray* asArray(CFArrayRef a) {
    return isType(a, kTypeArray) ? const_cast<__CFArray*>(a) : nullptr;
}

__CFArray* asMutableArray(CFMutableArrayRef a) {
    __CFArray* array = asArray(a);
    return array && array->isMutable() ? array : nullptr;
}

bool validRange(const __CFArray* a, CFRange range) {
    return range.location >= 0 && range.length >= 0 && range.location <= a->count &&
           range.length <= a->count - range.location;
}

const void* retainValue(const __CFArray* a, const void* value) {
    return a->callBacks.retain ? a->callBacks.retain(a->allocator, value) : value;
}

void releaseValue(const __CFArray* a, const void* value) {
    if (a->callBacks.release)
        a->callBacks.release(a->allocator, value);
}

bool valuesEqual(const __CFArray* a, const void* x, const void* y) {
    if (x == y)
        return true;
    return a->callBacks.equal ? a->callBacks.equal(x, y) : false;
}

void finalizeArray(CFTypeRef cf) {
    auto* a = const_cast<__CFArray*>(static_cast<const __CFArray*>(cf));
    for (CFIndex i = a->count; i-- > 0;)
        releaseValue(a, a->values[i]);
    free(a->values);
}

bool equalArrays(CFTypeRef x, CFTypeRef y) {
    auto* a = static_cast<const __CFArray*>(x);
    auto* b = static_cast<const __CFArray*>(y);
    if (a->count != b->count)
        return false;
    for (CFIndex i = 0; i < a->count; ++i) {
        if (!valuesEqual(a, a->values[i], b->values[i]))
            return false;
    }
    return true;
}

CFHashCode hashArray(CFTypeRef cf) {
    return static_cast<CFHashCode>(static_cast<const __CFArray*>(cf)->count);
}

CFStringRef describeValue(const __CFArray* a, const void* value) {
    if (a->callBacks.copyDescription) {
        CFStringRef own = a->callBacks.copyDescription(value);
        if (own)
            return own;
    }
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%p>"), value);
}

CFStringRef describeArray(CFTypeRef cf) {
    auto* a = static_cast<const __CFArray*>(cf);
    CFMutableStringRef text = CFStringCreateMutable(nullptr, 0);
    CFStringAppendFormat(text, nullptr, CFSTR("<CFArray %p [%p]>{type = %s, count = %ld, values = (\n"), cf, a->allocator,
                         a->isMutable() ? "mutable-small" : "immutable", static_cast<long>(a->count));
    for (CFIndex i = 0; i < a->count; ++i) {
        CFStringRef item = describeValue(a, a->values[i]);
        CFStringAppendFormat(text, nullptr, CFSTR("\t%ld : %@\n"), static_cast<long>(i), item);
        if (item)
            CFRelease(item);
    }
    CFStringAppend(text, CFSTR(")}"));
    CFStringRef result = CFStringCreateCopy(nullptr, text);
    CFRelease(text);
    return result;
}

__CFArray* newArray(CFAllocatorRef allocator, const void** values, CFIndex count, const CFArrayCallBacks* callBacks,
                    bool isMutable) {
    if (count < 0 || (count > 0 && !values))
        return nullptr;
    __CFArray* a = createObject<__CFArray>(allocator, isMutable, callBacks);
    if (!a)
        return nullptr;
    if (count > 0 && !growBuffer(a->values, a->capacity, count)) {
        CFRelease(a);
        return nullptr;
    }
    for (CFIndex i = 0; i < count; ++i)
        a->values[a->count++] = retainValue(a, values[i]);
    return a;
}

// Replaces a range with new values: the new ones are retained before the old
// ones are released, so a value moved within the array survives.
void replaceValues(__CFArray* a, CFRange range, const void** newValues, CFIndex newCount) {
    CFIndex finalCount = a->count - range.length + newCount;
    if (!growBuffer(a->values, a->capacity, finalCount))
        return;
    const void* retained[16];
    const void** incoming = newCount <= 16 ? retained : static_cast<const void**>(malloc(sizeof(void*) * static_cast<size_t>(newCount)));
    if (!incoming)
        return;
    for (CFIndex i = 0; i < newCount; ++i)
        incoming[i] = retainValue(a, newValues[i]);
    for (CFIndex i = 0; i < range.length; ++i)
        releaseValue(a, a->values[range.location + i]);
    CFIndex tail = a->count - range.location - range.length;
    if (tail > 0)
        memmove(a->values + range.location + newCount, a->values + range.location + range.length,
                static_cast<size_t>(tail) * sizeof(void*));
    for (CFIndex i = 0; i < newCount; ++i)
        a->values[range.location + i] = incoming[i];
    a->count = finalCount;
    if (incoming != retained)
        free(incoming);
}

} // namespace

const TypeClass kArrayClass = {"CFArray", finalizeArray, equalArrays, hashArray, describeArray};

} // namespace cf

using namespace cf;

CFTypeID CFArrayGetTypeID(void) {
    return kTypeArray;
}

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues, const CFArrayCallBacks* callBacks) {
    return newArray(allocator, values, numValues, callBacks, false);
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef allocator, CFArrayRef theArray) {
    const __CFArray* a = asArray(theArray);
    if (!a)
        return nullptr;
    return newArray(allocator, a->values, a->count, &a->callBacks, false);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks) {
    if (capacity < 0)
        return nullptr;
    return newArray(allocator, nullptr, 0, callBacks, true);
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFArrayRef theArray) {
    const __CFArray* a = asArray(theArray);
    if (!a || capacity < 0 || (capacity > 0 && capacity < a->count))
        return nullptr;
    return newArray(allocator, a->values, a->count, &a->callBacks, true);
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
    const __CFArray* a = asArray(theArray);
    return a ? a->count : 0;
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void* value) {
    const __CFArray* a = asArray(theArray);
    if (!a || !validRange(a, range))
        return 0;
    CFIndex n = 0;
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        n += valuesEqual(a, a->values[i], value) ? 1 : 0;
    return n;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value) {
    return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
    const __CFArray* a = asArray(theArray);
    if (!a || idx < 0 || idx >= a->count)
        return nullptr;
    return a->values[idx];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void** values) {
    const __CFArray* a = asArray(theArray);
    if (!a || !values || !validRange(a, range) || range.length == 0)
        return;
    memcpy(values, a->values + range.location, static_cast<size_t>(range.length) * sizeof(void*));
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier, void* context) {
    const __CFArray* a = asArray(theArray);
    if (!a || !applier || !validRange(a, range))
        return;
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        applier(a->values[i], context);
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
    const __CFArray* a = asArray(theArray);
    if (!a || !validRange(a, range))
        return kCFNotFound;
    for (CFIndex i = range.location; i < range.location + range.length; ++i) {
        if (valuesEqual(a, a->values[i], value))
            return i;
    }
    return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
    const __CFArray* a = asArray(theArray);
    if (!a || !validRange(a, range))
        return kCFNotFound;
    for (CFIndex i = range.location + range.length; i-- > range.location;) {
        if (valuesEqual(a, a->values[i], value))
            return i;
    }
    return kCFNotFound;
}

CFIndex CFArrayBSearchValues(CFArrayRef theArray, CFRange range, const void* value, CFComparatorFunction comparator,
                             void* context) {
    const __CFArray* a = asArray(theArray);
    if (!a || !comparator || !validRange(a, range))
        return range.location;
    // Published result: the index of a value equal to `value`, else where it would be inserted.
    CFIndex lo = range.location, hi = range.location + range.length;
    while (lo < hi) {
        CFIndex mid = lo + (hi - lo) / 2;
        if (comparator(a->values[mid], value, context) == kCFCompareLessThan)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value) {
    __CFArray* a = asMutableArray(theArray);
    if (a)
        replaceValues(a, CFRangeMake(a->count, 0), &value, 1);
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
    __CFArray* a = asMutableArray(theArray);
    if (a && idx >= 0 && idx <= a->count)
        replaceValues(a, CFRangeMake(idx, 0), &value, 1);
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
    __CFArray* a = asMutableArray(theArray);
    if (!a || idx < 0 || idx > a->count)
        return;
    replaceValues(a, CFRangeMake(idx, idx == a->count ? 0 : 1), &value, 1);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx) {
    __CFArray* a = asMutableArray(theArray);
    if (a && idx >= 0 && idx < a->count)
        replaceValues(a, CFRangeMake(idx, 1), nullptr, 0);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray) {
    __CFArray* a = asMutableArray(theArray);
    if (a)
        replaceValues(a, CFRangeMake(0, a->count), nullptr, 0);
}

void CFArrayReplaceValues(CFMutableArrayRef theArray, CFRange range, const void** newValues, CFIndex newCount) {
    __CFArray* a = asMutableArray(theArray);
    if (!a || !validRange(a, range) || newCount < 0 || (newCount > 0 && !newValues))
        return;
    replaceValues(a, range, newValues, newCount);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2) {
    __CFArray* a = asMutableArray(theArray);
    if (!a || idx1 < 0 || idx2 < 0 || idx1 >= a->count || idx2 >= a->count)
        return;
    std::swap(a->values[idx1], a->values[idx2]);
}

void CFArraySortValues(CFMutableArrayRef theArray, CFRange range, CFComparatorFunction comparator, void* context) {
    __CFArray* a = asMutableArray(theArray);
    if (!a || !comparator || !validRange(a, range))
        return;
    std::stable_sort(a->values + range.location, a->values + range.location + range.length,
                     [&](const void* x, const void* y) { return comparator(x, y, context) == kCFCompareLessThan; });
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange) {
    __CFArray* a = asMutableArray(theArray);
    const __CFArray* other = asArray(otherArray);
    if (!a || !other || !validRange(other, otherRange) || otherRange.length == 0)
        return;
    if (a == other) {
        // Appending a range of itself: take the values before the buffer can move.
        const void** copy = static_cast<const void**>(malloc(sizeof(void*) * static_cast<size_t>(otherRange.length)));
        if (!copy)
            return;
        memcpy(copy, a->values + otherRange.location, sizeof(void*) * static_cast<size_t>(otherRange.length));
        replaceValues(a, CFRangeMake(a->count, 0), copy, otherRange.length);
        free(copy);
        return;
    }
    replaceValues(a, CFRangeMake(a->count, 0), other->values + otherRange.location, otherRange.length);
}
