// Object model shared by the CoreFoundation types of libplatform: the common
// header every object starts with, the per-type operation table, allocation
// through CFAllocator and the helpers the types use on each other.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#define CF_PRIVATE __attribute__((visibility("hidden")))

namespace cf {

enum TypeID : uint16_t {
    kTypeNotAType = 0,
    kTypeAllocator,
    kTypeNull,
    kTypeString,
    kTypeNumber,
    kTypeBoolean,
    kTypeData,
    kTypeArray,
    kTypeDictionary,
    kTypeDate,
    kTypeError,
    kTypeURL,
    kTypeBundle,
    kTypeAttributedString,
    kTypeCount
};

// Header flags.
enum : uint16_t {
    kFlagImmortal = 1,   // a constant: retain and release do nothing, never freed
    kFlagMutable = 2,
    kFlagConstStorage = 4 // contents live in static storage (constant strings)
};

constexpr uint32_t kLiveMagic = 0xCF0B1EC7u;
constexpr uint32_t kDeadMagic = 0xDEADCF00u;
constexpr intptr_t kImmortalCount = INTPTR_MAX / 2;

struct ObjectHeader {
    uint32_t magic;
    uint16_t typeID;
    uint16_t flags;
    std::atomic<intptr_t> retainCount;
    // The allocator the object was made with; it owns a retain on it.
    CFAllocatorRef allocator;

    constexpr ObjectHeader(uint16_t type, uint16_t fl)
        : magic(kLiveMagic), typeID(type), flags(fl), retainCount(kImmortalCount), allocator(nullptr) {}
    ObjectHeader(const ObjectHeader&) = delete;
    ObjectHeader& operator=(const ObjectHeader&) = delete;

    bool isMutable() const { return (flags & kFlagMutable) != 0; }
};

// Operations each type provides; any may be null (then identity semantics and
// a generic description apply). They run on whichever thread drops the last
// reference, compares, hashes or describes; they may allocate and take locks.
struct TypeClass {
    const char* name;
    // Releases what the object owns and runs its destructor; the shell is freed by the runtime.
    void (*finalize)(CFTypeRef);
    bool (*equal)(CFTypeRef, CFTypeRef);
    CFHashCode (*hash)(CFTypeRef);
    CFStringRef (*copyDescription)(CFTypeRef);
};

// Identifiers from kFirstRegisteredType up to kTypeLimit belong to types that
// other parts of libplatform define (the CoreGraphics and CoreText objects).
// They start with ObjectHeader, are made through createObject and register
// their class before their first object exists; from then on every
// polymorphic function serves them like the built-in types.
constexpr uint16_t kFirstRegisteredType = 0x40;
constexpr uint16_t kTypeLimit = 256;
static_assert(kTypeCount <= kFirstRegisteredType);

// Makes the runtime dispatch objects of typeID through cls, which must live
// as long as the process. Thread-safe and usable from static initialisers of
// any library. False when typeID is outside the registered range or already
// belongs to a different class.
CF_PRIVATE bool registerClass(uint16_t typeID, const TypeClass* cls);

extern const TypeClass kAllocatorClass;
extern const TypeClass kNullClass;
extern const TypeClass kStringClass;
extern const TypeClass kNumberClass;
extern const TypeClass kBooleanClass;
extern const TypeClass kDataClass;
extern const TypeClass kArrayClass;
extern const TypeClass kDictionaryClass;
extern const TypeClass kDateClass;
extern const TypeClass kErrorClass;
extern const TypeClass kURLClass;
extern const TypeClass kBundleClass;
extern const TypeClass kAttributedStringClass;

inline const ObjectHeader* header(CFTypeRef cf) { return static_cast<const ObjectHeader*>(cf); }
inline ObjectHeader* mutableHeader(CFTypeRef cf) { return const_cast<ObjectHeader*>(static_cast<const ObjectHeader*>(cf)); }

// True for a live object of the given type; null and foreign pointers fail.
CF_PRIVATE bool isType(CFTypeRef cf, uint16_t type);

// The allocator a NULL argument stands for on this thread.
CF_PRIVATE CFAllocatorRef resolveAllocator(CFAllocatorRef allocator);
CF_PRIVATE void* allocateBytes(CFAllocatorRef allocator, size_t size);
CF_PRIVATE void freeBytes(CFAllocatorRef allocator, void* ptr);
CF_PRIVATE bool isSystemAllocator(CFAllocatorRef allocator);
// An allocator made with kCFAllocatorUseContext frees its own shell; true when it did.
CF_PRIVATE bool allocatorFreesItself(ObjectHeader* allocator);

// Allocates an object shell with the allocator and constructs T in it; null
// when the allocator gives no memory. The object starts with a count of 1.
CF_PRIVATE void* allocateShell(CFAllocatorRef allocator, size_t size);
CF_PRIVATE void registerObject(ObjectHeader* object, CFAllocatorRef allocator);
// Turns a freshly made object into a constant that is never freed.
CF_PRIVATE void makeImmortal(ObjectHeader* object);

template <class T, class... Args>
T* createObject(CFAllocatorRef allocator, Args&&... args) {
    CFAllocatorRef resolved = resolveAllocator(allocator);
    void* memory = allocateShell(resolved, sizeof(T));
    if (!memory)
        return nullptr;
    T* object = new (memory) T(std::forward<Args>(args)...);
    registerObject(object, resolved);
    return object;
}

// The standard callbacks of collections made for CF objects (kCFType...).
inline const void* typeRetain(CFAllocatorRef, const void* value) { return CFRetain(value); }
inline void typeRelease(CFAllocatorRef, const void* value) { CFRelease(value); }
inline Boolean typeEqual(const void* a, const void* b) { return CFEqual(a, b); }
inline CFHashCode typeHash(const void* value) { return CFHash(value); }

// Grows a malloc'd buffer to hold at least `needed` elements; false (buffer
// untouched) when memory runs out. Object contents always live in malloc'd
// storage; only object shells come from the object's allocator.
template <class T>
bool growBuffer(T*& buffer, CFIndex& capacity, CFIndex needed) {
    if (needed <= capacity)
        return true;
    CFIndex newCapacity = capacity < 4 ? 4 : capacity;
    while (newCapacity < needed) {
        if (newCapacity > PTRDIFF_MAX / 2 / static_cast<CFIndex>(sizeof(T)))
            return false;
        newCapacity *= 2;
    }
    void* grown = realloc(static_cast<void*>(buffer), static_cast<size_t>(newCapacity) * sizeof(T));
    if (!grown)
        return false;
    buffer = static_cast<T*>(grown);
    capacity = newCapacity;
    return true;
}

// Strings, as the other types need them.
CF_PRIVATE CFStringRef createStringFromUTF8(CFAllocatorRef allocator, std::string_view utf8);
CF_PRIVATE CFStringRef createStringFromUTF16(CFAllocatorRef allocator, const UniChar* chars, CFIndex length);
CF_PRIVATE CFMutableStringRef createMutableStringFromUTF8(CFAllocatorRef allocator, std::string_view utf8);
// The string as UTF-8; false when it holds an unpaired surrogate.
CF_PRIVATE bool stringToUTF8(CFStringRef str, std::string& out);
CF_PRIVATE std::string stringToUTF8Lossy(CFStringRef str);
CF_PRIVATE const UniChar* stringCharacters(CFStringRef str, CFIndex* length);
// Formats with printf conversions plus %@ into a UTF-16 accumulator.
CF_PRIVATE bool formatAppend(std::u16string& out, CFStringRef format, va_list args);
CF_PRIVATE std::string describe(CFTypeRef cf);
CF_PRIVATE CFStringRef copyDescriptionOrAddress(CFTypeRef cf);

// UTF-8 <-> UTF-16; false on malformed input.
CF_PRIVATE bool utf8ToUTF16(std::string_view in, std::u16string& out);
CF_PRIVATE bool utf16ToUTF8(const UniChar* chars, CFIndex length, std::string& out);
CF_PRIVATE bool isSupportedEncoding(CFStringEncoding encoding);
// Decodes bytes of an encoding into UTF-16; false on bytes invalid in it.
// `external`: a byte-order mark is honoured and dropped.
CF_PRIVATE bool decodeBytes(const UInt8* bytes, CFIndex length, CFStringEncoding encoding, bool external,
                            std::u16string& out);
// Encodes characters, stopping at one that cannot be encoded (unless
// lossByte stands in for it) or that would overflow maxBytes. A null buffer
// only measures. Returns the characters consumed; *usedBytes the bytes.
// `external` prefixes a byte-order mark for the UTF-16 and UTF-32 encodings.
CF_PRIVATE CFIndex encodeChars(const UniChar* chars, CFIndex length, CFStringEncoding encoding, UInt8 lossByte,
                               bool external, UInt8* buffer, CFIndex maxBytes, CFIndex* usedBytes);

// Bundles whose code this process has mapped (see CFBundle.cpp).
CF_PRIVATE std::string currentExecutablePath();

// Property-list value check used by the writer and CFPropertyListIsValid.
CF_PRIVATE bool isPropertyListObject(CFTypeRef cf, int depth);

constexpr int kMaxPropertyListDepth = 256;

// Whether untrusted bytes may be handed to libplist (see CFPropertyListGuard.cpp).
// The XML check gives null for a well-formed document, else why it is refused.
CF_PRIVATE const char* xmlPropertyListFault(const UInt8* bytes, CFIndex length);
CF_PRIVATE bool binaryPropertyListIsSafe(const UInt8* bytes, CFIndex length);

} // namespace cf

// Object layouts. They are complete here so the types can reach into each
// other without accessor calls.
struct __CFString : cf::ObjectHeader {
    UniChar* chars;
    CFIndex length;
    CFIndex capacity;
    // UTF-8 form of an immutable string, kept for CFStringGetCStringPtr; null for
    // mutable strings and for strings with unpaired surrogates.
    const char* utf8;
    CFIndex utf8Length;
    bool ascii;

    __CFString(bool isMutable)
        : ObjectHeader(cf::kTypeString, isMutable ? cf::kFlagMutable : 0),
          chars(nullptr), length(0), capacity(0), utf8(nullptr), utf8Length(0), ascii(true) {}
    constexpr __CFString(UniChar* constChars, CFIndex len, const char* constUTF8)
        : ObjectHeader(cf::kTypeString, cf::kFlagImmortal | cf::kFlagConstStorage),
          chars(constChars), length(len), capacity(len), utf8(constUTF8), utf8Length(len), ascii(true) {}
};

// Text layout (CoreText) reads the characters and runs directly.
struct __CFAttributedString : cf::ObjectHeader {
    struct Run {
        CFIndex length;
        CFDictionaryRef attrs; // retained, may be null
    };

    // The characters: a CFString, or a CFMutableString edited in place when
    // the attributed string is mutable (so CFAttributedStringGetString's
    // result stays valid across edits).
    CFStringRef string = nullptr;
    // Cover the text exactly; no empty runs, neighbours differ.
    std::vector<Run> runs;

    explicit __CFAttributedString(bool isMutable)
        : ObjectHeader(cf::kTypeAttributedString, isMutable ? cf::kFlagMutable : 0) {}

    CFIndex length() const { return CFStringGetLength(string); }
    const UniChar* characters() const {
        CFIndex length;
        return cf::stringCharacters(string, &length);
    }
    // The run holding loc, with its start; null outside the text.
    const Run* runAt(CFIndex loc, CFIndex* start) const;
};

namespace cf {

// A constant ASCII string in static storage, usable from static initialisers
// of any library: `static constinit ConstString kName("text");`.
template <size_t N>
struct ConstString : __CFString {
    UniChar storage[N];
    constexpr ConstString(const char (&text)[N]) : __CFString(storage, N - 1, text), storage() {
        for (size_t i = 0; i < N; ++i)
            storage[i] = static_cast<UniChar>(text[i]);
    }
};

} // namespace cf
