// Strings: UTF-16 contents, with a UTF-8 copy kept for immutable strings so
// CFStringGetCStringPtr can answer without converting.
#include "corefoundation/CFInternal.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace cf {
namespace {

__CFString* asString(CFStringRef str) {
    return isType(str, kTypeString) ? const_cast<__CFString*>(str) : nullptr;
}

__CFString* asMutableString(CFMutableStringRef str) {
    __CFString* s = asString(str);
    return s && s->isMutable() ? s : nullptr;
}

bool validRange(const __CFString* s, CFRange range) {
    return range.location >= 0 && range.length >= 0 && range.location <= s->length &&
           range.length <= s->length - range.location;
}

void finalizeString(CFTypeRef cf) {
    auto* s = const_cast<__CFString*>(static_cast<const __CFString*>(cf));
    if (s->flags & kFlagConstStorage)
        return;
    free(s->chars);
    free(const_cast<char*>(s->utf8));
}

bool equalStrings(CFTypeRef a, CFTypeRef b) {
    auto* x = static_cast<const __CFString*>(a);
    auto* y = static_cast<const __CFString*>(b);
    return x->length == y->length &&
           (x->length == 0 || memcmp(x->chars, y->chars, static_cast<size_t>(x->length) * sizeof(UniChar)) == 0);
}

CFHashCode hashString(CFTypeRef cf) {
    auto* s = static_cast<const __CFString*>(cf);
    uint64_t h = 1469598103934665603ull;
    for (CFIndex i = 0; i < s->length; ++i) {
        h ^= s->chars[i];
        h *= 1099511628211ull;
    }
    return static_cast<CFHashCode>(h);
}

CFStringRef describeString(CFTypeRef cf) {
    return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(cf));
}

// Fills in the UTF-8 copy of a new immutable string; a string with an unpaired
// surrogate simply has none.
bool attachUTF8(__CFString* s) {
    std::string utf8;
    if (!utf16ToUTF8(s->chars, s->length, utf8))
        return true;
    char* copy = static_cast<char*>(malloc(utf8.size() + 1));
    if (!copy)
        return false;
    memcpy(copy, utf8.data(), utf8.size());
    copy[utf8.size()] = 0;
    s->utf8 = copy;
    s->utf8Length = static_cast<CFIndex>(utf8.size());
    s->ascii = utf8.size() == static_cast<size_t>(s->length);
    return true;
}

__CFString* newString(CFAllocatorRef allocator, const UniChar* chars, CFIndex length, bool isMutable) {
    if (length < 0 || (length > 0 && !chars))
        return nullptr;
    __CFString* s = createObject<__CFString>(allocator, isMutable);
    if (!s)
        return nullptr;
    if (length > 0) {
        if (!growBuffer(s->chars, s->capacity, length)) {
            CFRelease(s);
            return nullptr;
        }
        memcpy(s->chars, chars, static_cast<size_t>(length) * sizeof(UniChar));
        s->length = length;
    }
    if (!isMutable && !attachUTF8(s)) {
        CFRelease(s);
        return nullptr;
    }
    return s;
}

__CFString* newString(CFAllocatorRef allocator, const std::u16string& chars, bool isMutable) {
    UniChar empty = 0;
    const UniChar* p = chars.empty() ? &empty : reinterpret_cast<const UniChar*>(chars.data());
    return newString(allocator, p, static_cast<CFIndex>(chars.size()), isMutable);
}

// Replaces a range of a mutable string with other characters, which may be
// the string's own.
bool replaceChars(__CFString* s, CFRange range, const UniChar* chars, CFIndex count) {
    std::u16string copy;
    if (count > 0 && chars >= s->chars && chars < s->chars + s->capacity) {
        copy.assign(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(count));
        chars = reinterpret_cast<const UniChar*>(copy.data());
    }
    CFIndex newLength = s->length - range.length + count;
    if (!growBuffer(s->chars, s->capacity, newLength))
        return false;
    CFIndex tail = s->length - range.location - range.length;
    if (tail > 0)
        memmove(s->chars + range.location + count, s->chars + range.location + range.length,
                static_cast<size_t>(tail) * sizeof(UniChar));
    if (count > 0)
        memcpy(s->chars + range.location, chars, static_cast<size_t>(count) * sizeof(UniChar));
    s->length = newLength;
    return true;
}

// Simple one-to-one case mapping of the common alphabets; other characters
// map to themselves.
UniChar toLower(UniChar c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? static_cast<UniChar>(c + 32) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return static_cast<UniChar>(c + 32);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<UniChar>(c + 80);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        bool evenUpper = (c < 0x139) || (c >= 0x14A && c < 0x178);
        if (evenUpper ? (c % 2 == 0) : (c % 2 == 1))
            return static_cast<UniChar>(c + 1);
        return c;
    }
    return c;
}

UniChar toUpper(UniChar c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? static_cast<UniChar>(c - 32) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return static_cast<UniChar>(c - 32);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<UniChar>(c - 80);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F && toLower(static_cast<UniChar>(c - 1)) == c)
        return static_cast<UniChar>(c - 1);
    return c;
}

bool isWhitespace(UniChar c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isDigit(UniChar c) {
    return c >= '0' && c <= '9';
}

CFComparisonResult compareChars(const UniChar* a, CFIndex na, const UniChar* b, CFIndex nb, CFStringCompareFlags flags) {
    bool fold = (flags & kCFCompareCaseInsensitive) != 0;
    bool numeric = (flags & kCFCompareNumerically) != 0;
    CFIndex i = 0, j = 0;
    while (i < na && j < nb) {
        if (numeric && isDigit(a[i]) && isDigit(b[j])) {
            // Compare digit runs by value: skip leading zeros, then longer wins, then digit by digit.
            CFIndex si = i, sj = j;
            while (si < na && a[si] == '0')
                ++si;
            while (sj < nb && b[sj] == '0')
                ++sj;
            CFIndex ei = si, ej = sj;
            while (ei < na && isDigit(a[ei]))
                ++ei;
            while (ej < nb && isDigit(b[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? kCFCompareLessThan : kCFCompareGreaterThan;
            for (CFIndex k = 0; k < ei - si; ++k) {
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? kCFCompareLessThan : kCFCompareGreaterThan;
            }
            i = ei;
            j = ej;
            continue;
        }
        UniChar x = fold ? toLower(a[i]) : a[i];
        UniChar y = fold ? toLower(b[j]) : b[j];
        if (x != y)
            return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
        ++i;
        ++j;
    }
    if (i < na)
        return kCFCompareGreaterThan;
    if (j < nb)
        return kCFCompareLessThan;
    return kCFCompareEqualTo;
}

bool matchesAt(const UniChar* hay, const UniChar* needle, CFIndex n, bool fold) {
    for (CFIndex k = 0; k < n; ++k) {
        UniChar x = fold ? toLower(hay[k]) : hay[k];
        UniChar y = fold ? toLower(needle[k]) : needle[k];
        if (x != y)
            return false;
    }
    return true;
}

bool findChars(const __CFString* s, const __CFString* f, CFRange range, CFStringCompareFlags options, CFRange* result) {
    CFIndex n = f->length;
    if (n == 0 || n > range.length)
        return false;
    bool fold = (options & kCFCompareCaseInsensitive) != 0;
    bool backwards = (options & kCFCompareBackwards) != 0;
    bool anchored = (options & kCFCompareAnchored) != 0;
    CFIndex first = range.location;
    CFIndex last = range.location + range.length - n;
    if (anchored) {
        CFIndex at = backwards ? last : first;
        if (!matchesAt(s->chars + at, f->chars, n, fold))
            return false;
        if (result)
            *result = CFRangeMake(at, n);
        return true;
    }
    for (CFIndex k = 0; k <= last - first; ++k) {
        CFIndex at = backwards ? last - k : first + k;
        if (matchesAt(s->chars + at, f->chars, n, fold)) {
            if (result)
                *result = CFRangeMake(at, n);
            return true;
        }
    }
    return false;
}

struct ConstantTable {
    std::mutex mutex;
    std::unordered_map<std::string, CFStringRef> strings;
};

ConstantTable& constants() {
    // Never destroyed: constant strings outlive every static destructor.
    static ConstantTable* table = new ConstantTable;
    return *table;
}

} // namespace

const TypeClass kStringClass = {"CFString", finalizeString, equalStrings, hashString, describeString};

CFStringRef createStringFromUTF8(CFAllocatorRef allocator, std::string_view utf8) {
    std::u16string chars;
    if (!utf8ToUTF16(utf8, chars))
        return nullptr;
    return newString(allocator, chars, false);
}

CFMutableStringRef createMutableStringFromUTF8(CFAllocatorRef allocator, std::string_view utf8) {
    std::u16string chars;
    if (!utf8ToUTF16(utf8, chars))
        return nullptr;
    return newString(allocator, chars, true);
}

CFStringRef createStringFromUTF16(CFAllocatorRef allocator, const UniChar* chars, CFIndex length) {
    return newString(allocator, chars, length, false);
}

bool stringToUTF8(CFStringRef str, std::string& out) {
    const __CFString* s = asString(str);
    if (!s)
        return false;
    if (s->utf8) {
        out.assign(s->utf8, static_cast<size_t>(s->utf8Length));
        return true;
    }
    return utf16ToUTF8(s->chars, s->length, out);
}

std::string stringToUTF8Lossy(CFStringRef str) {
    std::string out;
    if (stringToUTF8(str, out))
        return out;
    const __CFString* s = asString(str);
    if (!s)
        return "(null)";
    std::u16string repaired(reinterpret_cast<const char16_t*>(s->chars), static_cast<size_t>(s->length));
    for (size_t i = 0; i < repaired.size(); ++i) {
        char16_t c = repaired[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < repaired.size() && repaired[i + 1] >= 0xDC00 && repaired[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            repaired[i] = 0xFFFD;
    }
    utf16ToUTF8(reinterpret_cast<const UniChar*>(repaired.data()), static_cast<CFIndex>(repaired.size()), out);
    return out;
}

const UniChar* stringCharacters(CFStringRef str, CFIndex* length) {
    const __CFString* s = asString(str);
    *length = s ? s->length : 0;
    return s ? s->chars : nullptr;
}

} // namespace cf

using namespace cf;

CFStringRef __CFStringMakeConstantString(const char* cStr) {
    if (!cStr)
        return nullptr;
    ConstantTable& table = constants();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.strings.find(cStr);
    if (found != table.strings.end())
        return found->second;
    std::u16string chars;
    size_t length = strlen(cStr);
    if (!decodeBytes(reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(length), kCFStringEncodingUTF8, false, chars))
        decodeBytes(reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(length), kCFStringEncodingMacRoman, false, chars);
    __CFString* s = newString(kCFAllocatorSystemDefault, chars, false);
    if (!s)
        return nullptr;
    makeImmortal(s);
    table.strings.emplace(cStr, s);
    return s;
}

CFTypeID CFStringGetTypeID(void) {
    return kTypeString;
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding) {
    if (!pStr)
        return nullptr;
    return CFStringCreateWithBytes(alloc, pStr + 1, pStr[0], encoding, false);
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding) {
    if (!cStr)
        return nullptr;
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(strlen(cStr)),
                                   encoding, false);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean isExternalRepresentation) {
    std::u16string chars;
    if (!decodeBytes(bytes, numBytes, encoding, isExternalRepresentation, chars))
        return nullptr;
    return newString(alloc, chars, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars) {
    return newString(alloc, chars, numChars, false);
}

// The "no copy" variants copy anyway; the caller's buffer is then released
// through the contents deallocator straight away, as it would be at the end.
CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding,
                                            CFAllocatorRef contentsDeallocator) {
    CFStringRef s = CFStringCreateWithCString(alloc, cStr, encoding);
    if (s && contentsDeallocator != kCFAllocatorNull)
        CFAllocatorDeallocate(contentsDeallocator, const_cast<char*>(cStr));
    return s;
}

CFStringRef CFStringCreateWithBytesNoCopy(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                          CFStringEncoding encoding, Boolean isExternalRepresentation,
                                          CFAllocatorRef contentsDeallocator) {
    CFStringRef s = CFStringCreateWithBytes(alloc, bytes, numBytes, encoding, isExternalRepresentation);
    if (s && contentsDeallocator != kCFAllocatorNull)
        CFAllocatorDeallocate(contentsDeallocator, const_cast<UInt8*>(bytes));
    return s;
}

CFStringRef CFStringCreateWithCharactersNoCopy(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars,
                                               CFAllocatorRef contentsDeallocator) {
    CFStringRef s = CFStringCreateWithCharacters(alloc, chars, numChars);
    if (s && contentsDeallocator != kCFAllocatorNull)
        CFAllocatorDeallocate(contentsDeallocator, const_cast<UniChar*>(chars));
    return s;
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str, CFRange range) {
    const __CFString* s = asString(str);
    if (!s || !validRange(s, range))
        return nullptr;
    UniChar empty = 0;
    return newString(alloc, range.length ? s->chars + range.location : &empty, range.length, false);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString) {
    const __CFString* s = asString(theString);
    if (!s)
        return nullptr;
    if (!s->isMutable())
        return static_cast<CFStringRef>(CFRetain(s));
    UniChar empty = 0;
    return newString(alloc, s->length ? s->chars : &empty, s->length, false);
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format, ...) {
    va_list args;
    va_start(args, format);
    CFStringRef result = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, args);
    va_end(args);
    return result;
}

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFDictionaryRef, CFStringRef format,
                                                 va_list arguments) {
    std::u16string out;
    if (!formatAppend(out, format, arguments))
        return nullptr;
    return newString(alloc, out, false);
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex) {
    return createObject<__CFString>(alloc, true);
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex, CFStringRef theString) {
    const __CFString* s = asString(theString);
    if (!s)
        return nullptr;
    UniChar empty = 0;
    return newString(alloc, s->length ? s->chars : &empty, s->length, true);
}

CFStringRef CFStringCreateWithFileSystemRepresentation(CFAllocatorRef alloc, const char* buffer) {
    return CFStringCreateWithCString(alloc, buffer, kCFStringEncodingUTF8);
}

CFIndex CFStringGetLength(CFStringRef theString) {
    const __CFString* s = asString(theString);
    return s ? s->length : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
    const __CFString* s = asString(theString);
    if (!s || idx < 0 || idx >= s->length)
        return 0;
    return s->chars[idx];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
    const __CFString* s = asString(theString);
    if (!s || !buffer || !validRange(s, range) || range.length == 0)
        return;
    memcpy(buffer, s->chars + range.location, static_cast<size_t>(range.length) * sizeof(UniChar));
}

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize, CFStringEncoding encoding) {
    const __CFString* s = asString(theString);
    if (!s || !buffer || bufferSize < 1)
        return false;
    CFIndex used = 0;
    CFIndex room = bufferSize - 1 < 255 ? bufferSize - 1 : 255;
    CFIndex consumed = encodeChars(s->chars, s->length, encoding, 0, false, buffer + 1, room, &used);
    if (consumed != s->length) {
        buffer[0] = 0;
        return false;
    }
    buffer[0] = static_cast<UInt8>(used);
    return true;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
    const __CFString* s = asString(theString);
    if (!buffer || bufferSize < 1)
        return false;
    if (!s) {
        buffer[0] = 0;
        return false;
    }
    CFIndex used = 0;
    CFIndex consumed = encodeChars(s->chars, s->length, encoding, 0, false, reinterpret_cast<UInt8*>(buffer),
                                   bufferSize - 1, &used);
    if (consumed != s->length) {
        buffer[0] = 0;
        return false;
    }
    buffer[used] = 0;
    return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
    const __CFString* s = asString(theString);
    if (!s || !s->utf8 || s->isMutable())
        return nullptr;
    if (encoding == kCFStringEncodingUTF8)
        return s->utf8;
    bool asciiCompatible = encoding == kCFStringEncodingASCII || encoding == kCFStringEncodingMacRoman ||
                           encoding == kCFStringEncodingISOLatin1 || encoding == kCFStringEncodingWindowsLatin1;
    return asciiCompatible && s->ascii ? s->utf8 : nullptr;
}

const UniChar* CFStringGetCharactersPtr(CFStringRef theString) {
    const __CFString* s = asString(theString);
    if (!s || s->isMutable() || s->length == 0)
        return nullptr;
    return s->chars;
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                         Boolean isExternalRepresentation, UInt8* buffer, CFIndex maxBufLen, CFIndex* usedBufLen) {
    const __CFString* s = asString(theString);
    if (usedBufLen)
        *usedBufLen = 0;
    if (!s || !validRange(s, range) || (buffer && maxBufLen < 0))
        return 0;
    return encodeChars(s->chars + range.location, range.length, encoding, lossByte, isExternalRepresentation, buffer,
                       maxBufLen, usedBufLen);
}

CFStringRef CFStringCreateFromExternalRepresentation(CFAllocatorRef alloc, CFDataRef data, CFStringEncoding encoding) {
    if (!isType(data, kTypeData))
        return nullptr;
    return CFStringCreateWithBytes(alloc, CFDataGetBytePtr(data), CFDataGetLength(data), encoding, true);
}

CFDataRef CFStringCreateExternalRepresentation(CFAllocatorRef alloc, CFStringRef theString, CFStringEncoding encoding,
                                               UInt8 lossByte) {
    const __CFString* s = asString(theString);
    if (!s)
        return nullptr;
    CFIndex needed = 0;
    if (encodeChars(s->chars, s->length, encoding, lossByte, true, nullptr, 0, &needed) != s->length)
        return nullptr;
    CFMutableDataRef data = CFDataCreateMutable(alloc, 0);
    if (!data)
        return nullptr;
    CFDataSetLength(data, needed);
    if (CFDataGetLength(data) != needed) {
        CFRelease(data);
        return nullptr;
    }
    encodeChars(s->chars, s->length, encoding, lossByte, true, CFDataGetMutableBytePtr(data), needed, nullptr);
    CFDataRef result = CFDataCreateCopy(alloc, data);
    CFRelease(data);
    return result;
}

CFStringEncoding CFStringGetSmallestEncoding(CFStringRef theString) {
    const __CFString* s = asString(theString);
    if (!s)
        return kCFStringEncodingInvalidId;
    for (CFIndex i = 0; i < s->length; ++i) {
        if (s->chars[i] >= 0x80)
            return kCFStringEncodingUnicode;
    }
    return kCFStringEncodingASCII;
}

CFStringEncoding CFStringGetFastestEncoding(CFStringRef theString) {
    return asString(theString) ? static_cast<CFStringEncoding>(kCFStringEncodingUnicode) : kCFStringEncodingInvalidId;
}

CFStringEncoding CFStringGetSystemEncoding(void) {
    return kCFStringEncodingMacRoman;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
    if (length < 0 || !isSupportedEncoding(encoding))
        return kCFNotFound;
    CFIndex perChar = 1;
    if (encoding == kCFStringEncodingUTF8)
        perChar = 3;
    else if (encoding == kCFStringEncodingUTF16 || encoding == kCFStringEncodingUTF16BE || encoding == kCFStringEncodingUTF16LE)
        perChar = 2;
    else if (encoding == kCFStringEncodingUTF32 || encoding == kCFStringEncodingUTF32BE || encoding == kCFStringEncodingUTF32LE)
        perChar = 4;
    if (length > LONG_MAX / perChar)
        return kCFNotFound;
    return length * perChar;
}

Boolean CFStringGetFileSystemRepresentation(CFStringRef string, char* buffer, CFIndex maxBufLen) {
    return CFStringGetCString(string, buffer, maxBufLen, kCFStringEncodingUTF8);
}

CFIndex CFStringGetMaximumSizeOfFileSystemRepresentation(CFStringRef string) {
    const __CFString* s = asString(string);
    if (!s)
        return kCFNotFound;
    return CFStringGetMaximumSizeForEncoding(s->length, kCFStringEncodingUTF8) + 1;
}

Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding) {
    return isSupportedEncoding(encoding);
}

CFStringRef CFStringGetNameOfEncoding(CFStringEncoding encoding) {
    switch (encoding) {
    case kCFStringEncodingMacRoman: return CFSTR("Western (Mac OS Roman)");
    case kCFStringEncodingWindowsLatin1: return CFSTR("Western (Windows Latin 1)");
    case kCFStringEncodingISOLatin1: return CFSTR("Western (ISO Latin 1)");
    case kCFStringEncodingASCII: return CFSTR("Western (ASCII)");
    case kCFStringEncodingUTF8: return CFSTR("Unicode (UTF-8)");
    case kCFStringEncodingUTF16: return CFSTR("Unicode (UTF-16)");
    case kCFStringEncodingUTF16BE: return CFSTR("Unicode (UTF-16BE)");
    case kCFStringEncodingUTF16LE: return CFSTR("Unicode (UTF-16LE)");
    case kCFStringEncodingUTF32: return CFSTR("Unicode (UTF-32)");
    case kCFStringEncodingUTF32BE: return CFSTR("Unicode (UTF-32BE)");
    case kCFStringEncodingUTF32LE: return CFSTR("Unicode (UTF-32LE)");
    default: return nullptr;
    }
}

// Case and digit handling is locale-independent; diacritic, width and
// non-literal options are accepted and have no effect.
CFComparisonResult CFStringCompareWithOptionsAndLocale(CFStringRef theString1, CFStringRef theString2, CFRange rangeToCompare,
                                                       CFStringCompareFlags compareOptions, CFLocaleRef) {
    const __CFString* a = asString(theString1);
    const __CFString* b = asString(theString2);
    if (!a || !b) {
        if (a == b)
            return kCFCompareEqualTo;
        return a ? kCFCompareGreaterThan : kCFCompareLessThan;
    }
    if (!validRange(a, rangeToCompare))
        rangeToCompare = CFRangeMake(0, a->length);
    return compareChars(a->chars + rangeToCompare.location, rangeToCompare.length, b->chars, b->length, compareOptions);
}

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2, CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions) {
    return CFStringCompareWithOptionsAndLocale(theString1, theString2, rangeToCompare, compareOptions, nullptr);
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2, CFStringCompareFlags compareOptions) {
    return CFStringCompareWithOptionsAndLocale(theString1, theString2, CFRangeMake(0, CFStringGetLength(theString1)),
                                               compareOptions, nullptr);
}

Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind, CFRange rangeToSearch,
                                CFStringCompareFlags searchOptions, CFRange* result) {
    const __CFString* s = asString(theString);
    const __CFString* f = asString(stringToFind);
    if (!s || !f || !validRange(s, rangeToSearch))
        return false;
    return findChars(s, f, rangeToSearch, searchOptions, result);
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind, CFStringCompareFlags compareOptions) {
    CFRange result = CFRangeMake(kCFNotFound, 0);
    if (!CFStringFindWithOptions(theString, stringToFind, CFRangeMake(0, CFStringGetLength(theString)), compareOptions,
                                 &result))
        return CFRangeMake(kCFNotFound, 0);
    return result;
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix) {
    return CFStringFindWithOptions(theString, prefix, CFRangeMake(0, CFStringGetLength(theString)), kCFCompareAnchored,
                                   nullptr);
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix) {
    return CFStringFindWithOptions(theString, suffix, CFRangeMake(0, CFStringGetLength(theString)),
                                   kCFCompareAnchored | kCFCompareBackwards, nullptr);
}

CFArrayRef CFStringCreateArrayBySeparatingStrings(CFAllocatorRef alloc, CFStringRef theString, CFStringRef separatorString) {
    const __CFString* s = asString(theString);
    const __CFString* sep = asString(separatorString);
    if (!s || !sep)
        return nullptr;
    CFMutableArrayRef parts = CFArrayCreateMutable(alloc, 0, &kCFTypeArrayCallBacks);
    if (!parts)
        return nullptr;
    CFIndex start = 0;
    CFRange found;
    while (findChars(s, sep, CFRangeMake(start, s->length - start), 0, &found)) {
        CFStringRef part = CFStringCreateWithSubstring(alloc, s, CFRangeMake(start, found.location - start));
        CFArrayAppendValue(parts, part);
        CFRelease(part);
        start = found.location + found.length;
    }
    CFStringRef last = CFStringCreateWithSubstring(alloc, s, CFRangeMake(start, s->length - start));
    CFArrayAppendValue(parts, last);
    CFRelease(last);
    CFArrayRef result = CFArrayCreateCopy(alloc, parts);
    CFRelease(parts);
    return result;
}

CFStringRef CFStringCreateByCombiningStrings(CFAllocatorRef alloc, CFArrayRef theArray, CFStringRef separatorString) {
    CFIndex count = CFArrayGetCount(theArray);
    if (!isType(theArray, kTypeArray) || (count > 1 && !asString(separatorString)))
        return nullptr;
    CFMutableStringRef joined = CFStringCreateMutable(alloc, 0);
    if (!joined)
        return nullptr;
    for (CFIndex i = 0; i < count; ++i) {
        auto part = static_cast<CFStringRef>(CFArrayGetValueAtIndex(theArray, i));
        if (!asString(part)) {
            CFRelease(joined);
            return nullptr;
        }
        if (i > 0)
            CFStringAppend(joined, separatorString);
        CFStringAppend(joined, part);
    }
    CFStringRef result = CFStringCreateCopy(alloc, joined);
    CFRelease(joined);
    return result;
}

SInt32 CFStringGetIntValue(CFStringRef str) {
    const __CFString* s = asString(str);
    if (!s)
        return 0;
    CFIndex i = 0;
    while (i < s->length && isWhitespace(s->chars[i]))
        ++i;
    bool negative = false;
    if (i < s->length && (s->chars[i] == '-' || s->chars[i] == '+'))
        negative = s->chars[i++] == '-';
    int64_t value = 0;
    while (i < s->length && isDigit(s->chars[i])) {
        value = value * 10 + (s->chars[i++] - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1)
            value = static_cast<int64_t>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<SInt32>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<SInt32>(value);
}

double CFStringGetDoubleValue(CFStringRef str) {
    std::string text;
    if (!stringToUTF8(str, text))
        return 0.0;
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    double value = 0.0;
    auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString) {
    __CFString* s = asMutableString(theString);
    const __CFString* a = asString(appendedString);
    if (!s || !a)
        return;
    replaceChars(s, CFRangeMake(s->length, 0), a->chars, a->length);
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars) {
    __CFString* s = asMutableString(theString);
    if (!s || !chars || numChars <= 0)
        return;
    replaceChars(s, CFRangeMake(s->length, 0), chars, numChars);
}

void CFStringAppendPascalString(CFMutableStringRef theString, ConstStr255Param pStr, CFStringEncoding encoding) {
    if (!pStr)
        return;
    std::u16string chars;
    if (decodeBytes(pStr + 1, pStr[0], encoding, false, chars))
        CFStringAppendCharacters(theString, reinterpret_cast<const UniChar*>(chars.data()), static_cast<CFIndex>(chars.size()));
}

void CFStringAppendCString(CFMutableStringRef theString, const char* cStr, CFStringEncoding encoding) {
    if (!cStr)
        return;
    std::u16string chars;
    if (decodeBytes(reinterpret_cast<const UInt8*>(cStr), static_cast<CFIndex>(strlen(cStr)), encoding, false, chars))
        CFStringAppendCharacters(theString, reinterpret_cast<const UniChar*>(chars.data()), static_cast<CFIndex>(chars.size()));
}

void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef formatOptions, CFStringRef format, ...) {
    va_list args;
    va_start(args, format);
    CFStringAppendFormatAndArguments(theString, formatOptions, format, args);
    va_end(args);
}

void CFStringAppendFormatAndArguments(CFMutableStringRef theString, CFDictionaryRef, CFStringRef format, va_list arguments) {
    if (!asMutableString(theString))
        return;
    std::u16string out;
    if (formatAppend(out, format, arguments))
        CFStringAppendCharacters(theString, reinterpret_cast<const UniChar*>(out.data()), static_cast<CFIndex>(out.size()));
}

void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr) {
    __CFString* s = asMutableString(str);
    const __CFString* a = asString(insertedStr);
    if (!s || !a || idx < 0 || idx > s->length)
        return;
    replaceChars(s, CFRangeMake(idx, 0), a->chars, a->length);
}

void CFStringDelete(CFMutableStringRef theString, CFRange range) {
    __CFString* s = asMutableString(theString);
    if (!s || !validRange(s, range))
        return;
    replaceChars(s, range, nullptr, 0);
}

void CFStringReplace(CFMutableStringRef theString, CFRange range, CFStringRef replacement) {
    __CFString* s = asMutableString(theString);
    const __CFString* r = asString(replacement);
    if (!s || !r || !validRange(s, range))
        return;
    replaceChars(s, range, r->chars, r->length);
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement) {
    __CFString* s = asMutableString(theString);
    if (s)
        CFStringReplace(theString, CFRangeMake(0, s->length), replacement);
}

CFIndex CFStringFindAndReplace(CFMutableStringRef theString, CFStringRef stringToFind, CFStringRef replacementString,
                               CFRange rangeToSearch, CFStringCompareFlags compareOptions) {
    __CFString* s = asMutableString(theString);
    const __CFString* f = asString(stringToFind);
    const __CFString* r = asString(replacementString);
    if (!s || !f || !r || f->length == 0 || !validRange(s, rangeToSearch))
        return 0;
    std::u16string replacement(reinterpret_cast<const char16_t*>(r->chars), static_cast<size_t>(r->length));
    const bool backwards = (compareOptions & kCFCompareBackwards) != 0;
    CFIndex count = 0;
    CFIndex start = rangeToSearch.location;
    CFIndex end = rangeToSearch.location + rangeToSearch.length;
    CFRange found;
    while (start <= end && findChars(s, f, CFRangeMake(start, end - start), compareOptions, &found)) {
        replaceChars(s, found, reinterpret_cast<const UniChar*>(replacement.data()), r->length);
        ++count;
        if (backwards) {
            end = found.location;
        } else {
            start = found.location + r->length;
            end += r->length - f->length;
        }
        if (compareOptions & kCFCompareAnchored)
            break;
    }
    return count;
}

void CFStringTrim(CFMutableStringRef theString, CFStringRef trimString) {
    __CFString* s = asMutableString(theString);
    const __CFString* t = asString(trimString);
    if (!s || !t || t->length == 0)
        return;
    CFIndex start = 0;
    while (s->length - start >= t->length && matchesAt(s->chars + start, t->chars, t->length, false))
        start += t->length;
    CFIndex end = s->length;
    while (end - start >= t->length && matchesAt(s->chars + end - t->length, t->chars, t->length, false))
        end -= t->length;
    replaceChars(s, CFRangeMake(end, s->length - end), nullptr, 0);
    replaceChars(s, CFRangeMake(0, start), nullptr, 0);
}

void CFStringTrimWhitespace(CFMutableStringRef theString) {
    __CFString* s = asMutableString(theString);
    if (!s)
        return;
    CFIndex start = 0;
    while (start < s->length && isWhitespace(s->chars[start]))
        ++start;
    CFIndex end = s->length;
    while (end > start && isWhitespace(s->chars[end - 1]))
        --end;
    replaceChars(s, CFRangeMake(end, s->length - end), nullptr, 0);
    replaceChars(s, CFRangeMake(0, start), nullptr, 0);
}

void CFStringLowercase(CFMutableStringRef theString, CFLocaleRef) {
    __CFString* s = asMutableString(theString);
    for (CFIndex i = 0; s && i < s->length; ++i)
        s->chars[i] = toLower(s->chars[i]);
}

void CFStringUppercase(CFMutableStringRef theString, CFLocaleRef) {
    __CFString* s = asMutableString(theString);
    for (CFIndex i = 0; s && i < s->length; ++i)
        s->chars[i] = toUpper(s->chars[i]);
}

void CFShowStr(CFStringRef str) {
    const __CFString* s = asString(str);
    if (!s) {
        fputs("This is a NULL string\n", stderr);
        return;
    }
    fprintf(stderr, "Length %ld\nIsMutable %d\nContents: %s\n", static_cast<long>(s->length), s->isMutable() ? 1 : 0,
            stringToUTF8Lossy(str).c_str());
}
