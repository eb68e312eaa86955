// Attributed strings: a string plus a list of runs, each a length and the
// attribute dictionary (retained) that covers it. Runs are kept normalised
// (no empty runs, no equal neighbours), so equal strings have equal runs.
#include "corefoundation/CFInternal.h"

#include <algorithm>

const __CFAttributedString::Run* __CFAttributedString::runAt(CFIndex loc, CFIndex* start) const {
    CFIndex s = 0;
    for (const Run& r : runs) {
        if (loc < s + r.length) {
            *start = s;
            return &r;
        }
        s += r.length;
    }
    return nullptr;
}

namespace cf {
namespace {

using Run = __CFAttributedString::Run;

__CFAttributedString* asAttributed(CFAttributedStringRef s) {
    return isType(s, kTypeAttributedString) ? const_cast<__CFAttributedString*>(s) : nullptr;
}

CFDictionaryRef keep(CFDictionaryRef d) {
    return d ? static_cast<CFDictionaryRef>(CFRetain(d)) : nullptr;
}

void drop(CFDictionaryRef d) {
    if (d)
        CFRelease(d);
}

bool sameAttributes(CFDictionaryRef a, CFDictionaryRef b) {
    return a == b || (a && b && CFEqual(a, b));
}

// Runs on whichever thread drops the last reference; may allocate and lock.
void finalizeAttributed(CFTypeRef cf) {
    auto* a = const_cast<__CFAttributedString*>(static_cast<const __CFAttributedString*>(cf));
    for (const Run& r : a->runs)
        drop(r.attrs);
    if (a->string)
        CFRelease(a->string);
    a->~__CFAttributedString();
}

// Any thread; no locks.
bool equalAttributed(CFTypeRef x, CFTypeRef y) {
    auto* a = static_cast<const __CFAttributedString*>(x);
    auto* b = static_cast<const __CFAttributedString*>(y);
    if (a->runs.size() != b->runs.size() || !CFEqual(a->string, b->string))
        return false;
    for (size_t i = 0; i < a->runs.size(); ++i) {
        if (a->runs[i].length != b->runs[i].length || !sameAttributes(a->runs[i].attrs, b->runs[i].attrs))
            return false;
    }
    return true;
}

// Any thread; no locks.
CFHashCode hashAttributed(CFTypeRef cf) {
    return CFHash(static_cast<const __CFAttributedString*>(cf)->string);
}

// Joins neighbouring runs that share their attributes and drops empty ones.
void normalize(__CFAttributedString* a) {
    std::vector<Run> out;
    out.reserve(a->runs.size());
    for (const Run& r : a->runs) {
        if (r.length > 0 && (out.empty() || !sameAttributes(out.back().attrs, r.attrs))) {
            out.push_back(r);
            continue;
        }
        if (r.length > 0)
            out.back().length += r.length;
        drop(r.attrs);
    }
    a->runs.swap(out);
}

// Splits runs so that a run boundary falls at loc.
void splitAt(__CFAttributedString* a, CFIndex loc) {
    CFIndex s = 0;
    for (size_t i = 0; i < a->runs.size(); ++i) {
        const CFIndex len = a->runs[i].length;
        if (loc > s && loc < s + len) {
            Run tail = {s + len - loc, keep(a->runs[i].attrs)};
            a->runs[i].length = loc - s;
            a->runs.insert(a->runs.begin() + static_cast<ptrdiff_t>(i) + 1, tail);
            return;
        }
        s += len;
    }
}

// The attributed string when it is mutable and the range lies within it.
__CFAttributedString* editable(CFMutableAttributedStringRef s, CFRange r) {
    __CFAttributedString* a = asAttributed(s);
    if (!a || !a->isMutable())
        return nullptr;
    const CFIndex length = a->length();
    return r.location >= 0 && r.length >= 0 && r.location <= length && r.length <= length - r.location ? a : nullptr;
}

// Gives every run inside range the dictionary make(old attributes) returns
// (retained, may be null).
template <class Make>
void rewriteRuns(__CFAttributedString* a, CFRange range, Make make) {
    splitAt(a, range.location);
    splitAt(a, range.location + range.length);
    CFIndex pos = 0;
    for (Run& r : a->runs) {
        if (pos >= range.location && pos < range.location + range.length) {
            CFDictionaryRef next = make(r.attrs);
            drop(r.attrs);
            r.attrs = next;
        }
        pos += r.length;
    }
    normalize(a);
}

} // namespace

const TypeClass kAttributedStringClass = {"CFAttributedString", finalizeAttributed, equalAttributed, hashAttributed,
                                          nullptr};

} // namespace cf

using namespace cf;

CFTypeID CFAttributedStringGetTypeID(void) {
    return kTypeAttributedString;
}

CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef alloc, CFStringRef str, CFDictionaryRef attributes) {
    if (!isType(str, kTypeString))
        return nullptr;
    __CFAttributedString* a = createObject<__CFAttributedString>(alloc, false);
    if (!a)
        return nullptr;
    a->string = CFStringCreateCopy(alloc, str);
    if (!a->string) {
        CFRelease(a);
        return nullptr;
    }
    if (a->length() > 0)
        a->runs.push_back({a->length(), keep(attributes)});
    return a;
}

CFMutableAttributedStringRef CFAttributedStringCreateMutable(CFAllocatorRef alloc, CFIndex) {
    __CFAttributedString* a = createObject<__CFAttributedString>(alloc, true);
    if (!a)
        return nullptr;
    a->string = CFStringCreateMutable(alloc, 0);
    if (!a->string) {
        CFRelease(a);
        return nullptr;
    }
    return a;
}

CFMutableAttributedStringRef CFAttributedStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex,
                                                                 CFAttributedStringRef aStr) {
    const __CFAttributedString* src = asAttributed(aStr);
    if (!src)
        return nullptr;
    __CFAttributedString* a = createObject<__CFAttributedString>(alloc, true);
    if (!a)
        return nullptr;
    a->string = CFStringCreateMutableCopy(alloc, 0, src->string);
    if (!a->string) {
        CFRelease(a);
        return nullptr;
    }
    a->runs.reserve(src->runs.size());
    for (const Run& r : src->runs)
        a->runs.push_back({r.length, keep(r.attrs)});
    return a;
}

CFAttributedStringRef CFAttributedStringCreateCopy(CFAllocatorRef alloc, CFAttributedStringRef aStr) {
    const __CFAttributedString* src = asAttributed(aStr);
    if (!src)
        return nullptr;
    if (!src->isMutable())
        return static_cast<CFAttributedStringRef>(CFRetain(src));
    __CFAttributedString* a = createObject<__CFAttributedString>(alloc, false);
    if (!a)
        return nullptr;
    a->string = CFStringCreateCopy(alloc, src->string);
    if (!a->string) {
        CFRelease(a);
        return nullptr;
    }
    a->runs.reserve(src->runs.size());
    for (const Run& r : src->runs)
        a->runs.push_back({r.length, keep(r.attrs)});
    return a;
}

CFStringRef CFAttributedStringGetString(CFAttributedStringRef aStr) {
    const __CFAttributedString* a = asAttributed(aStr);
    return a ? a->string : nullptr;
}

CFIndex CFAttributedStringGetLength(CFAttributedStringRef aStr) {
    const __CFAttributedString* a = asAttributed(aStr);
    return a ? a->length() : 0;
}

CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef aStr, CFIndex loc, CFRange* effectiveRange) {
    const __CFAttributedString* a = asAttributed(aStr);
    CFIndex start = 0;
    const Run* r = a && loc >= 0 ? a->runAt(loc, &start) : nullptr;
    if (!r) {
        if (effectiveRange)
            *effectiveRange = CFRangeMake(kCFNotFound, 0);
        return nullptr;
    }
    if (effectiveRange)
        *effectiveRange = CFRangeMake(start, r->length);
    return r->attrs;
}

CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef aStr, CFIndex loc, CFStringRef attrName,
                                         CFRange* effectiveRange) {
    CFDictionaryRef d = CFAttributedStringGetAttributes(aStr, loc, effectiveRange);
    return d && attrName ? CFDictionaryGetValue(d, attrName) : nullptr;
}

void CFAttributedStringReplaceString(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef replacement) {
    __CFAttributedString* a = editable(aStr, range);
    if (!a)
        return;
    // The replacement may be this string's own characters (from
    // CFAttributedStringGetString), which the edit is about to change.
    CFStringRef rep = replacement ? CFStringCreateCopy(nullptr, replacement) : nullptr;
    if (replacement && !rep)
        return;
    const CFIndex repLength = rep ? CFStringGetLength(rep) : 0;
    const CFIndex end = range.location + range.length;
    CFIndex start = 0;
    CFDictionaryRef inherit = nullptr;
    if (range.location > 0)
        inherit = a->runAt(range.location - 1, &start)->attrs;
    else if (const Run* r = a->runAt(end, &start))
        inherit = r->attrs;

    std::vector<Run> before, after;
    CFIndex pos = 0;
    for (const Run& r : a->runs) {
        const CFIndex b = std::min(r.length, std::max<CFIndex>(0, range.location - pos));
        const CFIndex f = std::min(r.length, std::max<CFIndex>(0, pos + r.length - end));
        if (b > 0)
            before.push_back({b, keep(r.attrs)});
        if (f > 0)
            after.push_back({f, keep(r.attrs)});
        pos += r.length;
    }
    if (repLength > 0)
        before.push_back({repLength, keep(inherit)});
    before.insert(before.end(), after.begin(), after.end());
    for (const Run& r : a->runs)
        drop(r.attrs);
    a->runs.swap(before);
    CFStringReplace(const_cast<CFMutableStringRef>(a->string), range, rep ? rep : CFSTR(""));
    if (rep)
        CFRelease(rep);
    normalize(a);
}

void CFAttributedStringSetAttributes(CFMutableAttributedStringRef aStr, CFRange range, CFDictionaryRef replacement,
                                     Boolean clearOtherAttributes) {
    __CFAttributedString* a = editable(aStr, range);
    if (!a || range.length == 0)
        return;
    rewriteRuns(a, range, [&](CFDictionaryRef old) -> CFDictionaryRef {
        if (clearOtherAttributes || !old)
            return replacement ? CFDictionaryCreateCopy(nullptr, replacement) : nullptr;
        CFMutableDictionaryRef merged = CFDictionaryCreateMutableCopy(nullptr, 0, old);
        if (merged && replacement) {
            const CFIndex n = CFDictionaryGetCount(replacement);
            std::vector<const void*> keys(static_cast<size_t>(n)), values(static_cast<size_t>(n));
            CFDictionaryGetKeysAndValues(replacement, keys.data(), values.data());
            for (CFIndex i = 0; i < n; ++i)
                CFDictionarySetValue(merged, keys[static_cast<size_t>(i)], values[static_cast<size_t>(i)]);
        }
        return merged;
    });
}

void CFAttributedStringSetAttribute(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef attrName,
                                    CFTypeRef value) {
    if (!attrName || !value)
        return;
    const void* keys[] = {attrName};
    const void* values[] = {value};
    CFDictionaryRef d =
        CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    if (!d)
        return;
    CFAttributedStringSetAttributes(aStr, range, d, false);
    CFRelease(d);
}

void CFAttributedStringRemoveAttribute(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef attrName) {
    __CFAttributedString* a = editable(aStr, range);
    if (!a || range.length == 0 || !attrName)
        return;
    rewriteRuns(a, range, [&](CFDictionaryRef old) -> CFDictionaryRef {
        if (!old || !CFDictionaryContainsKey(old, attrName))
            return keep(old);
        CFMutableDictionaryRef m = CFDictionaryCreateMutableCopy(nullptr, 0, old);
        if (!m)
            return keep(old);
        CFDictionaryRemoveValue(m, attrName);
        return m;
    });
}

// Edits take effect at once; there is nothing to batch.
void CFAttributedStringBeginEditing(CFMutableAttributedStringRef) {}
void CFAttributedStringEndEditing(CFMutableAttributedStringRef) {}
