// Attributed strings as CoreFoundation offers them: runs of attributes over
// the text, edits, copies, equality and ownership.
#include "platform/cf_balance.h"

namespace {

using CFAttributed = CFBalanced;

CFDictionaryRef Attrs(CFStringRef key, CFTypeRef value) {
    const void* keys[] = {key};
    const void* values[] = {value};
    return CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
}

// "abcdef" with "size" = 12 on all of it and "weight" = "bold" on "cd".
CFMutableAttributedStringRef Sample() {
    CFMutableAttributedStringRef m = CFAttributedStringCreateMutable(nullptr, 0);
    CFAttributedStringReplaceString(m, CFRangeMake(0, 0), CFSTR("abcdef"));
    int twelve = 12;
    CFOwned<CFNumberRef> size(CFNumberCreate(nullptr, kCFNumberIntType, &twelve));
    CFAttributedStringSetAttribute(m, CFRangeMake(0, 6), CFSTR("size"), size);
    CFAttributedStringSetAttribute(m, CFRangeMake(2, 2), CFSTR("weight"), CFSTR("bold"));
    return m;
}

TEST_F(CFAttributed, RunsFollowEdits) {
    CFOwned<CFMutableAttributedStringRef> m(Sample());
    EXPECT_EQ(CFGetTypeID(m), CFAttributedStringGetTypeID());
    CFOwned<CFStringRef> typeName(CFCopyTypeIDDescription(CFAttributedStringGetTypeID()));
    EXPECT_EQ(Utf8(typeName), "CFAttributedString");

    CFRange r;
    EXPECT_TRUE(CFEqual(CFAttributedStringGetAttribute(m, 3, CFSTR("weight"), &r), CFSTR("bold")));
    EXPECT_EQ(r.location, 2);
    EXPECT_EQ(r.length, 2);
    EXPECT_EQ(CFDictionaryGetCount(CFAttributedStringGetAttributes(m, 0, &r)), 1);
    EXPECT_EQ(r.length, 2);

    // Inserted text takes the attributes of the character before it.
    CFAttributedStringReplaceString(m, CFRangeMake(4, 0), CFSTR("XY"));
    EXPECT_EQ(Utf8(CFAttributedStringGetString(m)), "abcdXYef");
    EXPECT_TRUE(CFEqual(CFAttributedStringGetAttribute(m, 5, CFSTR("weight"), &r), CFSTR("bold")));
    EXPECT_EQ(r.length, 4);
    // At the start, of the character after it.
    CFAttributedStringReplaceString(m, CFRangeMake(0, 1), CFSTR("_"));
    EXPECT_EQ(Utf8(CFAttributedStringGetString(m)), "_bcdXYef");
    EXPECT_EQ(CFAttributedStringGetAttribute(m, 0, CFSTR("weight"), nullptr), nullptr);
    EXPECT_NE(CFAttributedStringGetAttribute(m, 0, CFSTR("size"), nullptr), nullptr);

    // Removing the attribute joins the runs again.
    CFAttributedStringRemoveAttribute(m, CFRangeMake(0, 8), CFSTR("weight"));
    CFAttributedStringGetAttributes(m, 3, &r);
    EXPECT_EQ(r.location, 0);
    EXPECT_EQ(r.length, 8);

    // Replacing all attributes of a range; clearing the rest.
    CFOwned<CFDictionaryRef> italic(Attrs(CFSTR("slant"), kCFBooleanTrue));
    CFAttributedStringSetAttributes(m, CFRangeMake(1, 1), italic, false);
    EXPECT_EQ(CFDictionaryGetCount(CFAttributedStringGetAttributes(m, 1, nullptr)), 2);
    CFAttributedStringSetAttributes(m, CFRangeMake(1, 1), italic, true);
    EXPECT_EQ(CFDictionaryGetCount(CFAttributedStringGetAttributes(m, 1, nullptr)), 1);
    CFAttributedStringSetAttributes(m, CFRangeMake(1, 1), nullptr, true);
    EXPECT_EQ(CFAttributedStringGetAttributes(m, 1, &r), nullptr);
    EXPECT_EQ(r.location, 1);
    EXPECT_EQ(r.length, 1);

    // Out of range: nothing happens.
    CFAttributedStringReplaceString(m, CFRangeMake(7, 5), CFSTR("!"));
    CFAttributedStringSetAttribute(m, CFRangeMake(-1, 2), CFSTR("slant"), kCFBooleanFalse);
    EXPECT_EQ(CFAttributedStringGetLength(m), 8);
    EXPECT_EQ(CFAttributedStringGetAttributes(m, 8, &r), nullptr);
    EXPECT_EQ(r.location, kCFNotFound);
}

TEST_F(CFAttributed, StringOfAMutableAttributedStringStaysValidAcrossEdits) {
    CFOwned<CFMutableAttributedStringRef> m(Sample());
    CFStringRef text = CFAttributedStringGetString(m);
    CFAttributedStringReplaceString(m, CFRangeMake(0, 6), CFSTR("a much longer text than before"));
    EXPECT_EQ(Utf8(text), "a much longer text than before");

    // Its own characters as the replacement.
    CFAttributedStringReplaceString(m, CFRangeMake(0, 0), CFAttributedStringGetString(m));
    EXPECT_EQ(Utf8(CFAttributedStringGetString(m)), "a much longer text than beforea much longer text than before");
    EXPECT_EQ(CFAttributedStringGetLength(m), 60);
}

TEST_F(CFAttributed, CopiesAndEquality) {
    CFOwned<CFMutableAttributedStringRef> m(Sample());
    CFOwned<CFAttributedStringRef> frozen(CFAttributedStringCreateCopy(nullptr, m));
    EXPECT_TRUE(CFEqual(frozen, m));
    EXPECT_EQ(CFHash(frozen), CFHash(m));
    CFOwned<CFAttributedStringRef> again(CFAttributedStringCreateCopy(nullptr, frozen));
    EXPECT_EQ(again.get(), frozen.get()) << "an immutable copy of an immutable string is the string";

    // Edits to an immutable string are ignored; the original is independent of its copies.
    CFAttributedStringReplaceString(const_cast<CFMutableAttributedStringRef>(frozen.get()), CFRangeMake(0, 1),
                                    CFSTR("z"));
    CFAttributedStringReplaceString(m, CFRangeMake(0, 1), CFSTR("z"));
    EXPECT_EQ(Utf8(CFAttributedStringGetString(frozen)), "abcdef");
    EXPECT_FALSE(CFEqual(frozen, m));

    // The same text and attributes built another way compare equal.
    CFOwned<CFMutableAttributedStringRef> copy(CFAttributedStringCreateMutableCopy(nullptr, 0, frozen));
    CFAttributedStringRemoveAttribute(copy, CFRangeMake(2, 2), CFSTR("weight"));
    EXPECT_FALSE(CFEqual(copy, frozen));
    CFAttributedStringSetAttribute(copy, CFRangeMake(2, 2), CFSTR("weight"), CFSTR("bold"));
    EXPECT_TRUE(CFEqual(copy, frozen));

    CFOwned<CFAttributedStringRef> plain(CFAttributedStringCreate(nullptr, CFSTR("abcdef"), nullptr));
    EXPECT_FALSE(CFEqual(plain, frozen));
    EXPECT_EQ(CFAttributedStringGetAttributes(plain, 0, nullptr), nullptr);
    EXPECT_EQ(CFAttributedStringCreate(nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CFAttributedStringCreateCopy(nullptr, reinterpret_cast<CFAttributedStringRef>(CFSTR("x"))), nullptr);
}

TEST_F(CFAttributed, KeepsItsAttributesAndUsesItsAllocator) {
    CFMutableStringRef source = CFStringCreateMutableCopy(nullptr, 0, CFSTR("text"));
    CFMutableDataRef payload = CFDataCreateMutable(nullptr, 0);
    CFDictionaryRef attrs = Attrs(CFSTR("payload"), payload);
    CFRelease(payload);
    CFOwned<CFAttributedStringRef> a(CFAttributedStringCreate(kCFAllocatorSystemDefault, source, attrs));
    CFRelease(attrs);
    CFStringAppend(source, CFSTR(" changed"));
    CFRelease(source);
    EXPECT_EQ(Utf8(CFAttributedStringGetString(a)), "text") << "the characters were copied";
    CFTypeRef kept = CFAttributedStringGetAttribute(a, 0, CFSTR("payload"), nullptr);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(CFGetTypeID(kept), CFDataGetTypeID());
    EXPECT_EQ(CFGetAllocator(a), kCFAllocatorSystemDefault);
}

} // namespace
