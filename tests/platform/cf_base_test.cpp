// Reference counting, the polymorphic functions, allocators and the test hooks.
#include "platform/cf_balance.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

using CFBase = CFBalanced;

TEST_F(CFBase, RetainReleaseFollowTheCountAndFreeAtZero) {
    CFIndex before = OrvantaCFLiveObjectCount();
    CFStringRef s = CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(OrvantaCFLiveObjectCount(), before + 1);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    EXPECT_EQ(CFRetain(s), s);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    CFRelease(s);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);
    EXPECT_EQ(OrvantaCFLiveObjectCount(), before);
}

TEST_F(CFBase, NullArgumentsAreHarmless) {
    EXPECT_EQ(CFRetain(nullptr), nullptr);
    CFRelease(nullptr);
    EXPECT_EQ(CFGetRetainCount(nullptr), 0);
    EXPECT_EQ(CFGetTypeID(nullptr), 0u);
    EXPECT_FALSE(CFEqual(nullptr, nullptr));
    EXPECT_FALSE(CFEqual(CFSTR("a"), nullptr));
    EXPECT_EQ(CFHash(nullptr), 0u);
    EXPECT_EQ(CFCopyDescription(nullptr), nullptr);
}

TEST_F(CFBase, ConstantsAreImmortalAndUncounted) {
    CFIndex before = OrvantaCFLiveObjectCount();
    for (int i = 0; i < 5; ++i) {
        CFRelease(kCFBooleanTrue);
        CFRelease(CFSTR("constant"));
        CFRelease(kCFNull);
        CFRelease(kCFNumberNaN);
        CFRelease(kCFAllocatorSystemDefault);
    }
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_EQ(Utf8(CFSTR("constant")), "constant");
    EXPECT_EQ(CFSTR("constant"), CFSTR("constant"));
    EXPECT_GT(CFGetRetainCount(kCFNull), 1000000);
    EXPECT_EQ(OrvantaCFLiveObjectCount(), before);
}

TEST_F(CFBase, OverReleaseIsCaughtWithoutCrashing) {
    Boolean previous = OrvantaCFSetAbortOnOverRelease(false);
    CFIndex count = OrvantaCFOverReleaseCount();
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &count);
    CFRelease(n);
    CFRelease(n);
    CFRetain(n);
    EXPECT_EQ(OrvantaCFOverReleaseCount(), count + 2);
    OrvantaCFSetAbortOnOverRelease(previous);
    ExpectOverReleases(2);
}

TEST(CFBaseDeathTest, OverReleaseAbortsWhenAsked) {
    EXPECT_DEATH(
        {
            OrvantaCFSetAbortOnOverRelease(true);
            CFDataRef d = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("ab"), 2);
            CFRelease(d);
            CFRelease(d);
        },
        "over-release|retain count already reached zero");
}

TEST_F(CFBase, TypeIDsAndEqualityHashAgree) {
    CFOwned<CFStringRef> a(CFStringCreateWithCString(nullptr, "same", kCFStringEncodingUTF8));
    CFOwned<CFMutableStringRef> b(CFStringCreateMutable(nullptr, 0));
    CFStringAppendCString(b, "same", kCFStringEncodingUTF8);
    EXPECT_EQ(CFGetTypeID(a), CFStringGetTypeID());
    EXPECT_EQ(CFGetTypeID(b), CFStringGetTypeID());
    EXPECT_NE(CFStringGetTypeID(), CFNumberGetTypeID());
    EXPECT_TRUE(CFEqual(a, b));
    EXPECT_EQ(CFHash(a), CFHash(b));
    int one = 1;
    double oneD = 1.0;
    CFOwned<CFNumberRef> i(CFNumberCreate(nullptr, kCFNumberIntType, &one));
    CFOwned<CFNumberRef> d(CFNumberCreate(nullptr, kCFNumberDoubleType, &oneD));
    EXPECT_TRUE(CFEqual(i, d));
    EXPECT_EQ(CFHash(i), CFHash(d));
    EXPECT_FALSE(CFEqual(a, i));
    CFOwned<CFStringRef> typeName(CFCopyTypeIDDescription(CFArrayGetTypeID()));
    EXPECT_EQ(Utf8(typeName), "CFArray");
}

TEST_F(CFBase, DescriptionsAreNewStrings) {
    int v = 42;
    CFOwned<CFNumberRef> n(CFNumberCreate(nullptr, kCFNumberSInt32Type, &v));
    CFOwned<CFStringRef> text(CFCopyDescription(n));
    EXPECT_NE(Utf8(text).find("value = +42"), std::string::npos) << Utf8(text);
    CFOwned<CFStringRef> self(CFCopyDescription(CFSTR("plain")));
    EXPECT_EQ(Utf8(self), "plain");
}

struct CountingHeap {
    std::atomic<int> allocations{0};
    std::atomic<int> frees{0};
    bool fail = false;
};

void* CountingAllocate(CFIndex size, CFOptionFlags, void* info) {
    auto* heap = static_cast<CountingHeap*>(info);
    if (heap->fail)
        return nullptr;
    ++heap->allocations;
    return malloc(static_cast<size_t>(size));
}

void CountingDeallocate(void* ptr, void* info) {
    ++static_cast<CountingHeap*>(info)->frees;
    free(ptr);
}

TEST_F(CFBase, CustomAllocatorMakesAndFreesObjects) {
    CountingHeap heap;
    CFAllocatorContext context = {0, &heap, nullptr, nullptr, nullptr, CountingAllocate, nullptr, CountingDeallocate, nullptr};
    CFAllocatorRef allocator = CFAllocatorCreate(nullptr, &context);
    ASSERT_NE(allocator, nullptr);
    CFStringRef s = CFStringCreateWithCString(allocator, "on my heap", kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFGetAllocator(s), allocator);
    EXPECT_EQ(heap.allocations.load(), 1);
    void* block = CFAllocatorAllocate(allocator, 16, 0);
    EXPECT_EQ(heap.allocations.load(), 2);
    CFAllocatorDeallocate(allocator, block);
    CFRelease(allocator); // the string keeps it alive
    CFRelease(s);
    EXPECT_EQ(heap.frees.load(), 2);

    heap.fail = true;
    allocator = CFAllocatorCreate(nullptr, &context);
    EXPECT_EQ(CFStringCreateWithCString(allocator, "no room", kCFStringEncodingUTF8), nullptr);
    EXPECT_EQ(CFArrayCreateMutable(allocator, 0, &kCFTypeArrayCallBacks), nullptr);
    EXPECT_EQ(CFAllocatorAllocate(allocator, 8, 0), nullptr);
    CFRelease(allocator);
}

TEST_F(CFBase, AllocatorThatAllocatesItself) {
    CountingHeap heap;
    CFAllocatorContext context = {0, &heap, nullptr, nullptr, nullptr, CountingAllocate, nullptr, CountingDeallocate, nullptr};
    CFAllocatorRef allocator = CFAllocatorCreate(kCFAllocatorUseContext, &context);
    ASSERT_NE(allocator, nullptr);
    EXPECT_EQ(heap.allocations.load(), 1);
    CFRelease(allocator);
    EXPECT_EQ(heap.frees.load(), 1);
}

TEST_F(CFBase, DefaultAllocatorBasics) {
    EXPECT_EQ(kCFAllocatorDefault, nullptr);
    EXPECT_EQ(CFAllocatorAllocate(nullptr, 0, 0), nullptr);
    void* p = CFAllocatorAllocate(kCFAllocatorDefault, 32, 0);
    ASSERT_NE(p, nullptr);
    p = CFAllocatorReallocate(nullptr, p, 64, 0);
    ASSERT_NE(p, nullptr);
    CFAllocatorDeallocate(nullptr, p);
    CFAllocatorDeallocate(nullptr, nullptr);
    EXPECT_EQ(CFAllocatorAllocate(kCFAllocatorNull, 32, 0), nullptr);
}

TEST_F(CFBase, ConcurrentRetainReleaseKeepsCount) {
    CFStringRef shared = CFStringCreateWithCString(nullptr, "shared", kCFStringEncodingUTF8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < 20000; ++i) {
                CFRetain(shared);
                CFRelease(shared);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(CFGetRetainCount(shared), 1);
    CFRelease(shared);
}

TEST_F(CFBase, ConstantStringsFromManyThreadsAreOneObject) {
    std::vector<std::thread> threads;
    std::vector<CFStringRef> seen(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&seen, t] { seen[static_cast<size_t>(t)] = CFSTR("raced constant"); });
    for (auto& t : threads)
        t.join();
    for (CFStringRef s : seen)
        EXPECT_EQ(s, seen[0]);
}

} // namespace
