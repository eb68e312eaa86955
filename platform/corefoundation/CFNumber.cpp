// Numbers: a signed integer of 8 to 64 bits or a 32/64-bit float, with
// conversion on the way out.
#include "corefoundation/CFInternal.h"

#include <cmath>
#include <cstring>
#include <limits>

struct __CFNumber : cf::ObjectHeader {
    CFNumberType type; // the storage type: one of the fixed-size kinds
    bool isFloat;
    int64_t i;
    double d;

    __CFNumber(CFNumberType t, int64_t value) : ObjectHeader(cf::kTypeNumber, 0), type(t), isFloat(false), i(value), d(0) {}
    __CFNumber(CFNumberType t, double value) : ObjectHeader(cf::kTypeNumber, 0), type(t), isFloat(true), i(0), d(value) {}
    constexpr explicit __CFNumber(double constant)
        : ObjectHeader(cf::kTypeNumber, cf::kFlagImmortal), type(kCFNumberFloat64Type), isFloat(true), i(0), d(constant) {}
};

static constinit __CFNumber gPositiveInfinity(std::numeric_limits<double>::infinity());
static constinit __CFNumber gNegativeInfinity(-std::numeric_limits<double>::infinity());
static constinit __CFNumber gNaN(std::numeric_limits<double>::quiet_NaN());

const CFNumberRef kCFNumberPositiveInfinity = &gPositiveInfinity;
const CFNumberRef kCFNumberNegativeInfinity = &gNegativeInfinity;
const CFNumberRef kCFNumberNaN = &gNaN;

namespace cf {
namespace {

const __CFNumber* asNumber(CFNumberRef n) {
    return isType(n, kTypeNumber) ? n : nullptr;
}

// The fixed-size storage type for a requested type, or 0 for an unknown one.
CFNumberType storageType(CFNumberType t) {
    switch (t) {
    case kCFNumberSInt8Type: case kCFNumberCharType: return kCFNumberSInt8Type;
    case kCFNumberSInt16Type: case kCFNumberShortType: return kCFNumberSInt16Type;
    case kCFNumberSInt32Type: case kCFNumberIntType: return kCFNumberSInt32Type;
    case kCFNumberSInt64Type: case kCFNumberLongType: case kCFNumberLongLongType:
    case kCFNumberCFIndexType: case kCFNumberNSIntegerType: return kCFNumberSInt64Type;
    case kCFNumberFloat32Type: case kCFNumberFloatType: return kCFNumberFloat32Type;
    case kCFNumberFloat64Type: case kCFNumberDoubleType: case kCFNumberCGFloatType: return kCFNumberFloat64Type;
    default: return 0;
    }
}

int integerBits(CFNumberType storage) {
    switch (storage) {
    case kCFNumberSInt8Type: return 8;
    case kCFNumberSInt16Type: return 16;
    case kCFNumberSInt32Type: return 32;
    default: return 64;
    }
}

// Integer value of a float, saturated; `exact` tells whether nothing was lost.
int64_t floatToInteger(double d, int bits, bool* exact) {
    const long double lo = -std::ldexp(1.0L, bits - 1);
    const long double hi = std::ldexp(1.0L, bits - 1) - 1;
    if (std::isnan(d)) {
        *exact = false;
        return 0;
    }
    long double t = std::trunc(static_cast<long double>(d));
    *exact = t == d && t >= lo && t <= hi;
    if (t < lo)
        t = lo;
    if (t > hi)
        t = hi;
    return static_cast<int64_t>(t);
}

bool fitsBits(int64_t v, int bits) {
    if (bits >= 64)
        return true;
    int64_t limit = int64_t(1) << (bits - 1);
    return v >= -limit && v < limit;
}

// Value as a long double, which holds every int64 and double exactly.
long double exactValue(const __CFNumber* n) {
    return n->isFloat ? static_cast<long double>(n->d) : static_cast<long double>(n->i);
}

CFComparisonResult compareNumbers(const __CFNumber* a, const __CFNumber* b) {
    if (!a->isFloat && !b->isFloat)
        return a->i < b->i ? kCFCompareLessThan : a->i > b->i ? kCFCompareGreaterThan : kCFCompareEqualTo;
    bool nanA = a->isFloat && std::isnan(a->d);
    bool nanB = b->isFloat && std::isnan(b->d);
    if (nanA || nanB)
        return nanA && nanB ? kCFCompareEqualTo : nanA ? kCFCompareLessThan : kCFCompareGreaterThan;
    long double x = exactValue(a), y = exactValue(b);
    return x < y ? kCFCompareLessThan : x > y ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

bool equalNumbers(CFTypeRef a, CFTypeRef b) {
    return compareNumbers(static_cast<const __CFNumber*>(a), static_cast<const __CFNumber*>(b)) == kCFCompareEqualTo;
}

// Equal numbers hash alike whatever their storage: an integral float hashes as the integer.
CFHashCode hashNumber(CFTypeRef cf) {
    auto* n = static_cast<const __CFNumber*>(cf);
    if (!n->isFloat)
        return static_cast<CFHashCode>(n->i);
    bool exact = false;
    int64_t asInteger = floatToInteger(n->d, 64, &exact);
    if (exact)
        return static_cast<CFHashCode>(asInteger);
    if (std::isnan(n->d))
        return 0x7FF8000000000000ull;
    uint64_t bits;
    memcpy(&bits, &n->d, sizeof bits);
    return static_cast<CFHashCode>(bits);
}

const char* typeName(CFNumberType t) {
    switch (t) {
    case kCFNumberSInt8Type: return "kCFNumberSInt8Type";
    case kCFNumberSInt16Type: return "kCFNumberSInt16Type";
    case kCFNumberSInt32Type: return "kCFNumberSInt32Type";
    case kCFNumberSInt64Type: return "kCFNumberSInt64Type";
    case kCFNumberFloat32Type: return "kCFNumberFloat32Type";
    default: return "kCFNumberFloat64Type";
    }
}

CFStringRef describeNumber(CFTypeRef cf) {
    auto* n = static_cast<const __CFNumber*>(cf);
    if (n->isFloat)
        return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFNumber %p [%p]>{value = %+.17g, type = %s}"), cf,
                                        n->allocator, n->d, typeName(n->type));
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFNumber %p [%p]>{value = %+lld, type = %s}"), cf,
                                    n->allocator, static_cast<long long>(n->i), typeName(n->type));
}

template <class T>
T load(const void* p) {
    T v;
    memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
void store(void* p, T v) {
    memcpy(p, &v, sizeof v);
}

} // namespace

const TypeClass kNumberClass = {"CFNumber", nullptr, equalNumbers, hashNumber, describeNumber};

} // namespace cf

using namespace cf;

CFTypeID CFNumberGetTypeID(void) {
    return kTypeNumber;
}

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr) {
    CFNumberType storage = storageType(theType);
    if (!valuePtr || !storage)
        return nullptr;
    switch (theType) {
    case kCFNumberSInt8Type: case kCFNumberCharType:
        return createObject<__CFNumber>(allocator, storage, static_cast<int64_t>(load<int8_t>(valuePtr)));
    case kCFNumberSInt16Type: case kCFNumberShortType:
        return createObject<__CFNumber>(allocator, storage, static_cast<int64_t>(load<int16_t>(valuePtr)));
    case kCFNumberSInt32Type: case kCFNumberIntType:
        return createObject<__CFNumber>(allocator, storage, static_cast<int64_t>(load<int32_t>(valuePtr)));
    case kCFNumberFloat32Type: case kCFNumberFloatType:
        return createObject<__CFNumber>(allocator, storage, static_cast<double>(load<float>(valuePtr)));
    case kCFNumberFloat64Type: case kCFNumberDoubleType: case kCFNumberCGFloatType:
        return createObject<__CFNumber>(allocator, storage, load<double>(valuePtr));
    default:
        return createObject<__CFNumber>(allocator, storage, load<int64_t>(valuePtr));
    }
}

CFNumberType CFNumberGetType(CFNumberRef number) {
    const __CFNumber* n = asNumber(number);
    return n ? n->type : 0;
}

CFIndex CFNumberGetByteSize(CFNumberRef number) {
    const __CFNumber* n = asNumber(number);
    if (!n)
        return 0;
    if (n->type == kCFNumberFloat32Type)
        return 4;
    if (n->type == kCFNumberFloat64Type)
        return 8;
    return integerBits(n->type) / 8;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    const __CFNumber* n = asNumber(number);
    return n && n->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
    const __CFNumber* n = asNumber(number);
    CFNumberType storage = storageType(theType);
    if (!n || !valuePtr || !storage)
        return false;
    if (storage == kCFNumberFloat32Type) {
        float f = n->isFloat ? static_cast<float>(n->d) : static_cast<float>(n->i);
        store(valuePtr, f);
        if (n->isFloat)
            return std::isnan(n->d) || static_cast<double>(f) == n->d;
        return static_cast<long double>(f) == static_cast<long double>(n->i);
    }
    if (storage == kCFNumberFloat64Type) {
        double d = n->isFloat ? n->d : static_cast<double>(n->i);
        store(valuePtr, d);
        return n->isFloat || static_cast<long double>(d) == static_cast<long double>(n->i);
    }
    int bits = integerBits(storage);
    bool exact = true;
    int64_t v = n->isFloat ? floatToInteger(n->d, bits, &exact) : n->i;
    if (!n->isFloat)
        exact = fitsBits(v, bits);
    switch (bits) {
    case 8: store(valuePtr, static_cast<int8_t>(v)); break;
    case 16: store(valuePtr, static_cast<int16_t>(v)); break;
    case 32: store(valuePtr, static_cast<int32_t>(v)); break;
    default: store(valuePtr, v); break;
    }
    return exact;
}

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void*) {
    const __CFNumber* a = asNumber(number);
    const __CFNumber* b = asNumber(otherNumber);
    if (!a || !b)
        return a == b ? kCFCompareEqualTo : a ? kCFCompareGreaterThan : kCFCompareLessThan;
    return compareNumbers(a, b);
}
