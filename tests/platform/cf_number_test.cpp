// Numbers, booleans, data and dates.
#include "platform/cf_balance.h"

#include <cmath>
#include <cstdint>

namespace {

using CFNumberTest = CFBalanced;

TEST_F(CFNumberTest, StoresFixedSizeTypesAndConverts) {
    SInt32 v = 0x0FADE;
    CFOwned<CFNumberRef> n(CFNumberCreate(nullptr, kCFNumberIntType, &v));
    EXPECT_EQ(CFNumberGetType(n), kCFNumberSInt32Type);
    EXPECT_EQ(CFNumberGetByteSize(n), 4);
    EXPECT_FALSE(CFNumberIsFloatType(n));
    SInt32 out32 = 0;
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt32Type, &out32));
    EXPECT_EQ(out32, v);
    double d = 0;
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat64Type, &d));
    EXPECT_EQ(d, 64222.0);
    SInt8 small = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt8Type, &small)); // does not fit: reported lossy
    EXPECT_EQ(small, static_cast<SInt8>(0xDE));
    EXPECT_FALSE(CFNumberGetValue(n, static_cast<CFNumberType>(0), &out32));
    EXPECT_FALSE(CFNumberGetValue(nullptr, kCFNumberSInt32Type, &out32));
}

TEST_F(CFNumberTest, CanonicalTypesForCTypes) {
    long l = -5;
    double dbl = 0.5;
    float f = 0.25f;
    short s = 3;
    CFOwned<CFNumberRef> nl(CFNumberCreate(nullptr, kCFNumberLongType, &l));
    CFOwned<CFNumberRef> nd(CFNumberCreate(nullptr, kCFNumberDoubleType, &dbl));
    CFOwned<CFNumberRef> nf(CFNumberCreate(nullptr, kCFNumberFloatType, &f));
    CFOwned<CFNumberRef> ns(CFNumberCreate(nullptr, kCFNumberShortType, &s));
    EXPECT_EQ(CFNumberGetType(nl), kCFNumberSInt64Type);
    EXPECT_EQ(CFNumberGetType(nd), kCFNumberFloat64Type);
    EXPECT_EQ(CFNumberGetType(nf), kCFNumberFloat32Type);
    EXPECT_EQ(CFNumberGetType(ns), kCFNumberSInt16Type);
    EXPECT_EQ(CFNumberCreate(nullptr, static_cast<CFNumberType>(99), &l), nullptr);
    EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberIntType, nullptr), nullptr);
}

TEST_F(CFNumberTest, FloatToIntegerReportsLoss) {
    double v = 3.75;
    CFOwned<CFNumberRef> n(CFNumberCreate(nullptr, kCFNumberFloat64Type, &v));
    SInt32 i = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &i));
    EXPECT_EQ(i, 3);
    float f = 0;
    EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat32Type, &f));
    EXPECT_EQ(f, 3.75f);
    double big = 1e30;
    CFOwned<CFNumberRef> huge(CFNumberCreate(nullptr, kCFNumberFloat64Type, &big));
    SInt64 i64 = 0;
    EXPECT_FALSE(CFNumberGetValue(huge, kCFNumberSInt64Type, &i64));
    EXPECT_EQ(i64, INT64_MAX);
    SInt32 nanOut = 5;
    EXPECT_FALSE(CFNumberGetValue(kCFNumberNaN, kCFNumberSInt32Type, &nanOut));
    EXPECT_EQ(nanOut, 0);
    double tenth = 0.1;
    CFOwned<CFNumberRef> t(CFNumberCreate(nullptr, kCFNumberFloat64Type, &tenth));
    EXPECT_FALSE(CFNumberGetValue(t, kCFNumberFloat32Type, &f));
    SInt64 exact = (1LL << 53) + 1;
    CFOwned<CFNumberRef> e(CFNumberCreate(nullptr, kCFNumberSInt64Type, &exact));
    double asDouble = 0;
    EXPECT_FALSE(CFNumberGetValue(e, kCFNumberFloat64Type, &asDouble));
}

TEST_F(CFNumberTest, CompareAcrossKinds) {
    SInt64 big = (1LL << 53) + 1;
    double near = static_cast<double>(1LL << 53);
    CFOwned<CFNumberRef> a(CFNumberCreate(nullptr, kCFNumberSInt64Type, &big));
    CFOwned<CFNumberRef> b(CFNumberCreate(nullptr, kCFNumberFloat64Type, &near));
    EXPECT_EQ(CFNumberCompare(a, b, nullptr), kCFCompareGreaterThan);
    EXPECT_FALSE(CFEqual(a, b));
    EXPECT_EQ(CFNumberCompare(kCFNumberNegativeInfinity, a, nullptr), kCFCompareLessThan);
    EXPECT_EQ(CFNumberCompare(kCFNumberNaN, kCFNumberNaN, nullptr), kCFCompareEqualTo);
}

TEST_F(CFNumberTest, Booleans) {
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
    EXPECT_FALSE(CFBooleanGetValue(nullptr));
    EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
    EXPECT_FALSE(CFEqual(kCFBooleanTrue, kCFBooleanFalse));
    EXPECT_FALSE(CFBooleanGetValue(reinterpret_cast<CFBooleanRef>(CFSTR("true"))));
}

TEST_F(CFNumberTest, DataBasics) {
    const UInt8 bytes[] = {1, 2, 3, 4};
    CFOwned<CFDataRef> d(CFDataCreate(nullptr, bytes, 4));
    EXPECT_EQ(CFDataGetLength(d), 4);
    EXPECT_EQ(memcmp(CFDataGetBytePtr(d), bytes, 4), 0);
    CFOwned<CFDataRef> empty(CFDataCreate(nullptr, nullptr, 0));
    ASSERT_TRUE(empty);
    EXPECT_NE(CFDataGetBytePtr(empty), nullptr);
    EXPECT_EQ(CFDataGetLength(empty), 0);
    EXPECT_EQ(CFDataCreate(nullptr, nullptr, 3), nullptr);
    EXPECT_EQ(CFDataCreate(nullptr, bytes, -1), nullptr);
    UInt8 part[2] = {};
    CFDataGetBytes(d, CFRangeMake(2, 2), part);
    EXPECT_EQ(part[1], 4);
    CFDataGetBytes(d, CFRangeMake(3, 2), part); // out of range: untouched
    EXPECT_EQ(part[0], 3);
    CFOwned<CFDataRef> copy(CFDataCreateCopy(nullptr, d));
    EXPECT_TRUE(CFEqual(copy, d));
    EXPECT_EQ(CFHash(copy), CFHash(d));
}

TEST_F(CFNumberTest, MutableData) {
    CFOwned<CFMutableDataRef> m(CFDataCreateMutable(nullptr, 0));
    CFDataAppendBytes(m, reinterpret_cast<const UInt8*>("abc"), 3);
    CFDataIncreaseLength(m, 2);
    EXPECT_EQ(CFDataGetLength(m), 5);
    EXPECT_EQ(CFDataGetBytePtr(m)[4], 0);
    CFDataReplaceBytes(m, CFRangeMake(1, 1), reinterpret_cast<const UInt8*>("XYZ"), 3);
    EXPECT_EQ(CFDataGetLength(m), 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(m)), 5), "aXYZc");
    CFDataSetLength(m, 5);
    CFDataAppendBytes(m, CFDataGetBytePtr(m), CFDataGetLength(m)); // its own bytes
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(m)), 10), "aXYZcaXYZc");
    CFDataDeleteBytes(m, CFRangeMake(0, 5));
    CFDataSetLength(m, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(m)), 3), "aXY");
    CFDataGetMutableBytePtr(m)[0] = 'b';
    EXPECT_EQ(CFDataGetBytePtr(m)[0], 'b');
    CFOwned<CFDataRef> frozen(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("q"), 1));
    EXPECT_EQ(CFDataGetMutableBytePtr(const_cast<CFMutableDataRef>(frozen.get())), nullptr);
}

struct FreeCounter {
    int frees = 0;
};

void CountFree(void* ptr, void* info) {
    ++static_cast<FreeCounter*>(info)->frees;
    free(ptr);
}

TEST_F(CFNumberTest, NoCopyDataHandsBytesToItsDeallocator) {
    FreeCounter counter;
    CFAllocatorContext context = {0, &counter, nullptr, nullptr, nullptr, nullptr, nullptr, CountFree, nullptr};
    CFAllocatorRef deallocator = CFAllocatorCreate(nullptr, &context);
    auto* bytes = static_cast<UInt8*>(malloc(4));
    memcpy(bytes, "wxyz", 4);
    CFDataRef d = CFDataCreateWithBytesNoCopy(nullptr, bytes, 4, deallocator);
    CFRelease(deallocator);
    EXPECT_EQ(CFDataGetBytePtr(d), bytes);
    EXPECT_EQ(counter.frees, 0);
    CFRelease(d);
    EXPECT_EQ(counter.frees, 1);
    static const UInt8 kept[] = {9};
    CFDataRef borrowed = CFDataCreateWithBytesNoCopy(nullptr, kept, 1, kCFAllocatorNull);
    CFRelease(borrowed);
}

TEST_F(CFNumberTest, Dates) {
    CFOwned<CFDateRef> a(CFDateCreate(nullptr, 100.5));
    CFOwned<CFDateRef> b(CFDateCreate(nullptr, 50.0));
    EXPECT_EQ(CFDateGetAbsoluteTime(a), 100.5);
    EXPECT_EQ(CFDateGetTimeIntervalSinceDate(a, b), 50.5);
    EXPECT_EQ(CFDateCompare(a, b, nullptr), kCFCompareGreaterThan);
    EXPECT_GT(CFAbsoluteTimeGetCurrent(), 7.0e8); // after 2023
    CFOwned<CFStringRef> text(CFCopyDescription(b));
    EXPECT_NE(Utf8(text).find("2001-01-01 00:00:50"), std::string::npos) << Utf8(text);
}

} // namespace
