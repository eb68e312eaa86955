// Arrays and dictionaries: the standard CF-type callbacks, custom callbacks
// (a reference-counted record like a factory preset), and no callbacks at all.
#include "platform/cf_balance.h"

#include <vector>

namespace {

using CFCollections = CFBalanced;

// A record with its own reference count, as an array of presets holds them.
struct Record {
    int number;
    int refs;
    CFStringRef name;
};

int gRecordsFreed = 0;

const void* RecordRetain(CFAllocatorRef, const void* value) {
    auto* r = const_cast<Record*>(static_cast<const Record*>(value));
    ++r->refs;
    CFRetain(r->name);
    return r;
}

void RecordRelease(CFAllocatorRef, const void* value) {
    auto* r = const_cast<Record*>(static_cast<const Record*>(value));
    CFRelease(r->name);
    if (--r->refs == 0) {
        ++gRecordsFreed;
        delete r;
    }
}

Boolean RecordEqual(const void* a, const void* b) {
    auto* x = static_cast<const Record*>(a);
    auto* y = static_cast<const Record*>(b);
    return x->number == y->number && CFStringCompare(x->name, y->name, 0) == kCFCompareEqualTo;
}

CFStringRef RecordDescribe(const void* value) {
    auto* r = static_cast<const Record*>(value);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"), r->number,
                                    r->name);
}

const CFArrayCallBacks kRecordCallBacks = {0, RecordRetain, RecordRelease, RecordDescribe, RecordEqual};

Record* NewRecord(int number, const char* name) {
    CFStringRef s = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    auto* r = new Record{number, 1, s};
    return r;
}

// The caller's release of a record it made: drops the count once and the string once.
void DropRecord(Record* r) {
    RecordRelease(nullptr, r);
}

TEST_F(CFCollections, CustomCallbacksAreHonoured) {
    gRecordsFreed = 0;
    CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, 2, &kRecordCallBacks);
    Record* clean = NewRecord(0, "Clean");
    Record* dirty = NewRecord(1, "Dirty");
    CFArrayAppendValue(presets, clean);
    CFArrayAppendValue(presets, dirty);
    EXPECT_EQ(clean->refs, 2);
    EXPECT_EQ(CFGetRetainCount(clean->name), 2);
    DropRecord(clean);
    DropRecord(dirty);
    EXPECT_EQ(gRecordsFreed, 0) << "the array still holds both records";
    EXPECT_EQ(CFArrayGetCount(presets), 2);
    EXPECT_EQ(CFArrayGetValueAtIndex(presets, 1), dirty);

    Record* probe = NewRecord(1, "Dirty");
    EXPECT_EQ(CFArrayGetFirstIndexOfValue(presets, CFRangeMake(0, 2), probe), 1);
    probe->number = 0;
    EXPECT_FALSE(CFArrayContainsValue(presets, CFRangeMake(0, 2), probe));
    DropRecord(probe);
    EXPECT_EQ(gRecordsFreed, 1);

    CFOwned<CFStringRef> description(CFCopyDescription(presets));
    EXPECT_NE(Utf8(description).find("preset number = 1\npreset name = Dirty"), std::string::npos) << Utf8(description);

    CFOwned<CFArrayRef> copy(CFArrayCreateCopy(nullptr, presets));
    EXPECT_EQ(clean->refs, 2);
    EXPECT_TRUE(CFEqual(copy, presets));
    CFRelease(presets);
    EXPECT_EQ(gRecordsFreed, 1) << "the copy keeps them";
}

TEST_F(CFCollections, RecordsFreedWithLastArray) {
    gRecordsFreed = 0;
    CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kRecordCallBacks);
    Record* r = NewRecord(7, "Seven");
    CFArrayAppendValue(a, r);
    CFArrayAppendValue(a, r);
    DropRecord(r);
    CFArrayRemoveValueAtIndex(a, 0);
    EXPECT_EQ(gRecordsFreed, 0);
    CFRelease(a);
    EXPECT_EQ(gRecordsFreed, 1);
}

TEST_F(CFCollections, TypeCallbacksRetainAndRelease) {
    CFStringRef s = CFStringCreateWithCString(nullptr, "held", kCFStringEncodingUTF8);
    const void* values[] = {s, s, CFSTR("other")};
    CFArrayRef a = CFArrayCreate(nullptr, values, 3, &kCFTypeArrayCallBacks);
    EXPECT_EQ(CFGetRetainCount(s), 3);
    CFRelease(s);
    EXPECT_EQ(CFArrayGetCountOfValue(a, CFRangeMake(0, 3), CFSTR("held")), 2);
    EXPECT_EQ(CFArrayGetLastIndexOfValue(a, CFRangeMake(0, 3), CFSTR("held")), 1);
    EXPECT_EQ(CFArrayGetValueAtIndex(a, 3), nullptr);
    EXPECT_EQ(CFArrayGetValueAtIndex(a, -1), nullptr);
    CFArrayAppendValue(const_cast<CFMutableArrayRef>(a), CFSTR("x")); // immutable: ignored
    EXPECT_EQ(CFArrayGetCount(a), 3);
    CFRelease(a);
}

CFComparisonResult CompareNumbers(const void* a, const void* b, void*) {
    return CFNumberCompare(static_cast<CFNumberRef>(a), static_cast<CFNumberRef>(b), nullptr);
}

TEST_F(CFCollections, MutableArrayOperations) {
    CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (int i = 0; i < 40; ++i) {
        CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &i);
        CFArrayInsertValueAtIndex(a, 0, n);
        CFRelease(n);
    }
    EXPECT_EQ(CFArrayGetCount(a), 40);
    CFArraySortValues(a, CFRangeMake(0, 40), CompareNumbers, nullptr);
    int first = -1;
    CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(a, 0)), kCFNumberIntType, &first);
    EXPECT_EQ(first, 0);
    int key = 17;
    CFOwned<CFNumberRef> k(CFNumberCreate(nullptr, kCFNumberIntType, &key));
    EXPECT_EQ(CFArrayBSearchValues(a, CFRangeMake(0, 40), k, CompareNumbers, nullptr), 17);
    CFArraySetValueAtIndex(a, 0, CFArrayGetValueAtIndex(a, 0)); // same value in place survives
    CFArrayExchangeValuesAtIndices(a, 0, 39);
    CFArrayAppendArray(a, a, CFRangeMake(0, 40));
    EXPECT_EQ(CFArrayGetCount(a), 80);
    CFArrayReplaceValues(a, CFRangeMake(10, 60), nullptr, 0);
    EXPECT_EQ(CFArrayGetCount(a), 20);
    CFMutableArrayRef copy = CFArrayCreateMutableCopy(nullptr, 0, a);
    CFArrayRemoveAllValues(a);
    EXPECT_EQ(CFArrayGetCount(a), 0);
    EXPECT_EQ(CFArrayGetCount(copy), 20);
    CFRelease(copy);
    CFRelease(a);
}

TEST_F(CFCollections, NullCallbacksStorePlainPointers) {
    int x = 1, y = 2;
    const void* values[] = {&x, &y};
    CFOwned<CFArrayRef> a(CFArrayCreate(nullptr, values, 2, nullptr));
    EXPECT_EQ(CFArrayGetValueAtIndex(a, 1), &y);
    int y2 = 2;
    EXPECT_FALSE(CFArrayContainsValue(a, CFRangeMake(0, 2), &y2));
    std::vector<const void*> seen;
    CFArrayApplyFunction(a, CFRangeMake(0, 2), [](const void* v, void* ctx) {
        static_cast<std::vector<const void*>*>(ctx)->push_back(v);
    }, &seen);
    EXPECT_EQ(seen.size(), 2u);
}

CFNumberRef Int(int v) {
    return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
}

TEST_F(CFCollections, DictionaryStateLikeAHostSavesIt) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    const char* keys[] = {"version", "type", "subtype", "manufacturer"};
    for (int i = 0; i < 4; ++i) {
        CFStringRef key = CFStringCreateWithCString(nullptr, keys[i], kCFStringEncodingUTF8);
        CFNumberRef value = Int(i * 100);
        CFDictionarySetValue(d, key, value);
        CFRelease(key);
        CFRelease(value);
    }
    EXPECT_EQ(CFDictionaryGetCount(d), 4);
    auto subtype = static_cast<CFNumberRef>(CFDictionaryGetValue(d, CFSTR("subtype")));
    SInt32 v = 0;
    ASSERT_TRUE(CFNumberGetValue(subtype, kCFNumberSInt32Type, &v));
    EXPECT_EQ(v, 200);
    const void* found = nullptr;
    EXPECT_FALSE(CFDictionaryGetValueIfPresent(d, CFSTR("data"), &found));
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("data")), nullptr);

    CFNumberRef replacement = Int(5);
    CFDictionaryAddValue(d, CFSTR("type"), replacement); // present: AddValue leaves it
    CFDictionaryReplaceValue(d, CFSTR("name"), replacement); // absent: ReplaceValue leaves it
    EXPECT_EQ(CFDictionaryGetCount(d), 4);
    CFDictionarySetValue(d, CFSTR("type"), replacement);
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("type")), replacement);
    EXPECT_EQ(CFGetRetainCount(replacement), 2);
    CFRelease(replacement);

    CFMutableDictionaryRef copy = CFDictionaryCreateMutableCopy(nullptr, 0, d);
    EXPECT_TRUE(CFEqual(copy, d));
    CFDictionaryRemoveValue(copy, CFSTR("version"));
    EXPECT_FALSE(CFEqual(copy, d));
    EXPECT_EQ(CFDictionaryGetCount(copy), 3);
    EXPECT_FALSE(CFDictionaryContainsKey(copy, CFSTR("version")));
    EXPECT_TRUE(CFDictionaryContainsKey(copy, CFSTR("manufacturer")));
    CFRelease(copy);
    CFRelease(d);
}

TEST_F(CFCollections, DictionaryGrowsAndShrinks) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    for (int i = 0; i < 500; ++i) {
        CFNumberRef k = Int(i);
        CFStringRef v = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("v%d"), i);
        CFDictionarySetValue(d, k, v);
        CFRelease(k);
        CFRelease(v);
    }
    for (int i = 0; i < 500; i += 2) {
        CFNumberRef k = Int(i);
        CFDictionaryRemoveValue(d, k);
        CFRelease(k);
    }
    EXPECT_EQ(CFDictionaryGetCount(d), 250);
    double key = 301.0; // equal to the integer key 301
    CFOwned<CFNumberRef> k(CFNumberCreate(nullptr, kCFNumberDoubleType, &key));
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(CFDictionaryGetValue(d, k))), "v301");
    std::vector<const void*> keys(250), values(250);
    CFDictionaryGetKeysAndValues(d, keys.data(), values.data());
    int counted = 0;
    CFDictionaryApplyFunction(d, [](const void*, const void*, void* ctx) { ++*static_cast<int*>(ctx); }, &counted);
    EXPECT_EQ(counted, 250);
    CFDictionaryRemoveAllValues(d);
    EXPECT_EQ(CFDictionaryGetCount(d), 0);
    CFRelease(d);
}

TEST_F(CFCollections, CopyStringKeysAreFrozen) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFCopyStringDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    CFMutableStringRef key = CFStringCreateMutable(nullptr, 0);
    CFStringAppend(key, CFSTR("name"));
    CFDictionarySetValue(d, key, CFSTR("Clean"));
    CFStringAppend(key, CFSTR("-changed"));
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("name")), CFSTR("Clean"));
    EXPECT_EQ(CFGetRetainCount(key), 1);
    CFRelease(key);
    CFRelease(d);
}

TEST_F(CFCollections, ImmutableDictionaryFromArrays) {
    const void* keys[] = {CFSTR("a"), CFSTR("b"), CFSTR("a")};
    CFNumberRef one = Int(1), two = Int(2), three = Int(3);
    const void* values[] = {one, two, three};
    CFDictionaryRef d = CFDictionaryCreate(nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks,
                                           &kCFTypeDictionaryValueCallBacks);
    CFRelease(one);
    CFRelease(two);
    CFRelease(three);
    EXPECT_EQ(CFDictionaryGetCount(d), 2);
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("a")), three);
    CFDictionarySetValue(const_cast<CFMutableDictionaryRef>(d), CFSTR("c"), three);
    EXPECT_EQ(CFDictionaryGetCount(d), 2);
    CFDictionaryRef same = CFDictionaryCreateCopy(nullptr, d);
    EXPECT_EQ(same, d);
    CFRelease(same);
    CFOwned<CFStringRef> description(CFCopyDescription(d));
    EXPECT_NE(Utf8(description).find("a = "), std::string::npos);
    CFRelease(d);
    EXPECT_EQ(CFDictionaryCreate(nullptr, nullptr, values, 1, nullptr, nullptr), nullptr);
    EXPECT_EQ(CFDictionaryGetValue(nullptr, CFSTR("a")), nullptr);
    EXPECT_EQ(CFDictionaryGetCount(nullptr), 0);
}

} // namespace
