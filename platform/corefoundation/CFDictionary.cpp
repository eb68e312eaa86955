// Dictionaries: entries in insertion order with an open-addressing hash index
// over them. Keys and values are retained, released, compared, hashed and
// described through the callbacks the dictionary was made with.
#include "corefoundation/CFInternal.h"

#include <cstring>

namespace cf {
namespace {

// A mutable string key is copied so later edits to it cannot move the entry.
const void* copyStringRetain(CFAllocatorRef allocator, const void* value) {
    if (isType(value, kTypeString))
        return CFStringCreateCopy(allocator, static_cast<CFStringRef>(value));
    return CFRetain(value);
}

} // namespace
} // namespace cf

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, cf::typeRetain, cf::typeRelease, CFCopyDescription,
                                                                 cf::typeEqual, cf::typeHash};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {0, cf::copyStringRetain, cf::typeRelease,
                                                                       CFCopyDescription, cf::typeEqual, cf::typeHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, cf::typeRetain, cf::typeRelease,
                                                                     CFCopyDescription, cf::typeEqual};

namespace {

struct Entry {
    const void* key;
    const void* value;
    CFHashCode hash;
};

constexpr CFIndex kEmptySlot = -1;

} // namespace

struct __CFDictionary : cf::ObjectHeader {
    CFDictionaryKeyCallBacks keyCallBacks;
    CFDictionaryValueCallBacks valueCallBacks;
    Entry* entries = nullptr;
    CFIndex count = 0;
    CFIndex capacity = 0;
    // Slots hold entry indices or kEmptySlot; the size is a power of two at
    // least twice the count. It never shrinks, so rebuilding after a removal
    // cannot fail.
    CFIndex* slots = nullptr;
    CFIndex slotCount = 0;

    __CFDictionary(bool isMutable, const CFDictionaryKeyCallBacks* kcb, const CFDictionaryValueCallBacks* vcb)
        : ObjectHeader(cf::kTypeDictionary, isMutable ? cf::kFlagMutable : 0),
          keyCallBacks(kcb ? *kcb : CFDictionaryKeyCallBacks{0, nullptr, nullptr, nullptr, nullptr, nullptr}),
          valueCallBacks(vcb ? *vcb : CFDictionaryValueCallBacks{0, nullptr, nullptr, nullptr, nullptr}) {}
};

namespace cf {
namespace {

__CFDictionary* asDictionary(CFDictionaryRef d) {
    return isType(d, kTypeDictionary) ? const_cast<__CFDictionary*>(d) : nullptr;
}

__CFDictionary* asMutableDictionary(CFMutableDictionaryRef d) {
    __CFDictionary* dict = asDictionary(d);
    return dict && dict->isMutable() ? dict : nullptr;
}

CFHashCode hashKey(const __CFDictionary* d, const void* key) {
    return d->keyCallBacks.hash ? d->keyCallBacks.hash(key) : reinterpret_cast<CFHashCode>(key);
}

bool keysEqual(const __CFDictionary* d, const void* a, const void* b) {
    return a == b || (d->keyCallBacks.equal && d->keyCallBacks.equal(a, b));
}

bool valuesEqual(const __CFDictionary* d, const void* a, const void* b) {
    return a == b || (d->valueCallBacks.equal && d->valueCallBacks.equal(a, b));
}

bool rebuildIndex(__CFDictionary* d, CFIndex minimumEntries) {
    CFIndex size = 8;
    while (size < minimumEntries * 2)
        size *= 2;
    if (size > d->slotCount) {
        auto* slots = static_cast<CFIndex*>(malloc(sizeof(CFIndex) * static_cast<size_t>(size)));
        if (!slots)
            return false;
        free(d->slots);
        d->slots = slots;
        d->slotCount = size;
    }
    for (CFIndex i = 0; i < d->slotCount; ++i)
        d->slots[i] = kEmptySlot;
    const CFIndex mask = d->slotCount - 1;
    for (CFIndex e = 0; e < d->count; ++e) {
        CFIndex s = static_cast<CFIndex>(d->entries[e].hash) & mask;
        while (d->slots[s] != kEmptySlot)
            s = (s + 1) & mask;
        d->slots[s] = e;
    }
    return true;
}

// Index of the entry with an equal key, or kCFNotFound.
CFIndex find(const __CFDictionary* d, const void* key) {
    if (d->count == 0)
        return kCFNotFound;
    CFHashCode h = hashKey(d, key);
    const CFIndex mask = d->slotCount - 1;
    for (CFIndex s = static_cast<CFIndex>(h) & mask;; s = (s + 1) & mask) {
        CFIndex e = d->slots[s];
        if (e == kEmptySlot)
            return kCFNotFound;
        if (d->entries[e].hash == h && keysEqual(d, d->entries[e].key, key))
            return e;
    }
}

bool addEntry(__CFDictionary* d, const void* key, const void* value) {
    if (!growBuffer(d->entries, d->capacity, d->count + 1))
        return false;
    if ((d->count + 1) * 2 > d->slotCount) {
        if (!rebuildIndex(d, d->count + 1))
            return false;
    }
    Entry& e = d->entries[d->count];
    e.hash = hashKey(d, key);
    e.key = d->keyCallBacks.retain ? d->keyCallBacks.retain(d->allocator, key) : key;
    e.value = d->valueCallBacks.retain ? d->valueCallBacks.retain(d->allocator, value) : value;
    const CFIndex mask = d->slotCount - 1;
    CFIndex s = static_cast<CFIndex>(e.hash) & mask;
    while (d->slots[s] != kEmptySlot)
        s = (s + 1) & mask;
    d->slots[s] = d->count++;
    return true;
}

void replaceValue(__CFDictionary* d, CFIndex index, const void* value) {
    const void* retained = d->valueCallBacks.retain ? d->valueCallBacks.retain(d->allocator, value) : value;
    const void* old = d->entries[index].value;
    d->entries[index].value = retained;
    if (d->valueCallBacks.release)
        d->valueCallBacks.release(d->allocator, old);
}

void releaseEntry(const __CFDictionary* d, const Entry& e) {
    if (d->keyCallBacks.release)
        d->keyCallBacks.release(d->allocator, e.key);
    if (d->valueCallBacks.release)
        d->valueCallBacks.release(d->allocator, e.value);
}

void finalizeDictionary(CFTypeRef cf) {
    auto* d = const_cast<__CFDictionary*>(static_cast<const __CFDictionary*>(cf));
    for (CFIndex i = d->count; i-- > 0;)
        releaseEntry(d, d->entries[i]);
    free(d->entries);
    free(d->slots);
}

bool equalDictionaries(CFTypeRef x, CFTypeRef y) {
    auto* a = static_cast<const __CFDictionary*>(x);
    auto* b = static_cast<const __CFDictionary*>(y);
    if (a->count != b->count)
        return false;
    for (CFIndex i = 0; i < a->count; ++i) {
        CFIndex j = find(b, a->entries[i].key);
        if (j == kCFNotFound || !valuesEqual(a, a->entries[i].value, b->entries[j].value))
            return false;
    }
    return true;
}

CFHashCode hashDictionary(CFTypeRef cf) {
    return static_cast<CFHashCode>(static_cast<const __CFDictionary*>(cf)->count);
}

CFStringRef describeWith(CFDictionaryCopyDescriptionCallBack describe, const void* item) {
    CFStringRef own = describe ? describe(item) : nullptr;
    return own ? own : CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%p>"), item);
}

CFStringRef describeDictionary(CFTypeRef cf) {
    auto* d = static_cast<const __CFDictionary*>(cf);
    CFMutableStringRef text = CFStringCreateMutable(nullptr, 0);
    CFStringAppendFormat(text, nullptr, CFSTR("<CFDictionary %p [%p]>{type = %s, count = %ld, entries =>\n"), cf,
                         d->allocator, d->isMutable() ? "mutable" : "immutable", static_cast<long>(d->count));
    for (CFIndex i = 0; i < d->count; ++i) {
        CFStringRef key = describeWith(d->keyCallBacks.copyDescription, d->entries[i].key);
        CFStringRef value = describeWith(d->valueCallBacks.copyDescription, d->entries[i].value);
        CFStringAppendFormat(text, nullptr, CFSTR("\t%ld : %@ = %@\n"), static_cast<long>(i), key, value);
        CFRelease(key);
        CFRelease(value);
    }
    CFStringAppend(text, CFSTR("}"));
    CFStringRef result = CFStringCreateCopy(nullptr, text);
    CFRelease(text);
    return result;
}

__CFDictionary* newDictionary(CFAllocatorRef allocator, bool isMutable, const CFDictionaryKeyCallBacks* kcb,
                              const CFDictionaryValueCallBacks* vcb) {
    __CFDictionary* d = createObject<__CFDictionary>(allocator, isMutable, kcb, vcb);
    if (d && !rebuildIndex(d, 0)) {
        CFRelease(d);
        return nullptr;
    }
    return d;
}

// Sets or adds one pair; `mode` 0 = set, 1 = add only, 2 = replace only.
void store(__CFDictionary* d, const void* key, const void* value, int mode) {
    CFIndex i = find(d, key);
    if (i != kCFNotFound) {
        if (mode != 1)
            replaceValue(d, i, value);
    } else if (mode != 2) {
        addEntry(d, key, value);
    }
}

__CFDictionary* copyDictionary(CFAllocatorRef allocator, const __CFDictionary* src, bool isMutable) {
    __CFDictionary* d = newDictionary(allocator, isMutable, &src->keyCallBacks, &src->valueCallBacks);
    if (!d)
        return nullptr;
    for (CFIndex i = 0; i < src->count; ++i) {
        if (!addEntry(d, src->entries[i].key, src->entries[i].value)) {
            CFRelease(d);
            return nullptr;
        }
    }
    return d;
}

} // namespace

const TypeClass kDictionaryClass = {"CFDictionary", finalizeDictionary, equalDictionaries, hashDictionary,
                                    describeDictionary};

} // namespace cf

using namespace cf;

CFTypeID CFDictionaryGetTypeID(void) {
    return kTypeDictionary;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
    if (numValues < 0 || (numValues > 0 && (!keys || !values)))
        return nullptr;
    __CFDictionary* d = newDictionary(allocator, false, keyCallBacks, valueCallBacks);
    if (!d)
        return nullptr;
    for (CFIndex i = 0; i < numValues; ++i) {
        CFIndex existing = find(d, keys[i]);
        if (existing != kCFNotFound) {
            replaceValue(d, existing, values[i]);
        } else if (!addEntry(d, keys[i], values[i])) {
            CFRelease(d);
            return nullptr;
        }
    }
    return d;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef allocator, CFDictionaryRef theDict) {
    const __CFDictionary* d = asDictionary(theDict);
    if (!d)
        return nullptr;
    if (!d->isMutable())
        return static_cast<CFDictionaryRef>(CFRetain(d));
    return copyDictionary(allocator, d, false);
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
    if (capacity < 0)
        return nullptr;
    return newDictionary(allocator, true, keyCallBacks, valueCallBacks);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFDictionaryRef theDict) {
    const __CFDictionary* d = asDictionary(theDict);
    if (!d || capacity < 0 || (capacity > 0 && capacity < d->count))
        return nullptr;
    return copyDictionary(allocator, d, true);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
    const __CFDictionary* d = asDictionary(theDict);
    return d ? d->count : 0;
}

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void* key) {
    return CFDictionaryContainsKey(theDict, key) ? 1 : 0;
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void* value) {
    const __CFDictionary* d = asDictionary(theDict);
    if (!d)
        return 0;
    CFIndex n = 0;
    for (CFIndex i = 0; i < d->count; ++i)
        n += valuesEqual(d, d->entries[i].value, value) ? 1 : 0;
    return n;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key) {
    const __CFDictionary* d = asDictionary(theDict);
    return d && find(d, key) != kCFNotFound;
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void* value) {
    return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
    const void* value = nullptr;
    CFDictionaryGetValueIfPresent(theDict, key, &value);
    return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value) {
    const __CFDictionary* d = asDictionary(theDict);
    if (!d)
        return false;
    CFIndex i = find(d, key);
    if (i == kCFNotFound)
        return false;
    if (value)
        *value = d->entries[i].value;
    return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values) {
    const __CFDictionary* d = asDictionary(theDict);
    if (!d)
        return;
    for (CFIndex i = 0; i < d->count; ++i) {
        if (keys)
            keys[i] = d->entries[i].key;
        if (values)
            values[i] = d->entries[i].value;
    }
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier, void* context) {
    const __CFDictionary* d = asDictionary(theDict);
    if (!d || !applier)
        return;
    for (CFIndex i = 0; i < d->count; ++i)
        applier(d->entries[i].key, d->entries[i].value, context);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
    __CFDictionary* d = asMutableDictionary(theDict);
    if (d)
        store(d, key, value, 1);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
    __CFDictionary* d = asMutableDictionary(theDict);
    if (d)
        store(d, key, value, 0);
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
    __CFDictionary* d = asMutableDictionary(theDict);
    if (d)
        store(d, key, value, 2);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key) {
    __CFDictionary* d = asMutableDictionary(theDict);
    if (!d)
        return;
    CFIndex i = find(d, key);
    if (i == kCFNotFound)
        return;
    Entry removed = d->entries[i];
    memmove(d->entries + i, d->entries + i + 1, sizeof(Entry) * static_cast<size_t>(d->count - i - 1));
    --d->count;
    rebuildIndex(d, d->count);
    releaseEntry(d, removed);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict) {
    __CFDictionary* d = asMutableDictionary(theDict);
    if (!d)
        return;
    CFIndex n = d->count;
    Entry* old = d->entries;
    d->entries = nullptr;
    d->count = 0;
    d->capacity = 0;
    rebuildIndex(d, 0);
    for (CFIndex i = n; i-- > 0;)
        releaseEntry(d, old[i]);
    free(old);
}
