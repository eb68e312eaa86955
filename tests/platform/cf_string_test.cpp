// Strings: encodings in and out, lengths in UTF-16 units, comparison,
// searching, mutation and formatting.
#include "platform/cf_balance.h"

#include <climits>

namespace {

using CFStringTest = CFBalanced;

TEST_F(CFStringTest, Utf8RoundTripAndUtf16Length) {
    const char* text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x8E\xB8"; // "Grüße € 🎸"
    CFOwned<CFStringRef> s(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8));
    ASSERT_TRUE(s);
    // G r ü ß e space € space + a surrogate pair for the guitar
    EXPECT_EQ(CFStringGetLength(s), 10);
    EXPECT_EQ(CFStringGetCharacterAtIndex(s, 2), 0x00FC);
    EXPECT_EQ(CFStringGetCharacterAtIndex(s, 8), 0xD83C);
    EXPECT_EQ(Utf8(s), text);
    const char* direct = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
    ASSERT_NE(direct, nullptr);
    EXPECT_STREQ(direct, text);
    EXPECT_EQ(CFStringGetCStringPtr(s, kCFStringEncodingASCII), nullptr);
    EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8), static_cast<CFIndex>(strlen(text)));
}

TEST_F(CFStringTest, GetCStringRefusesSmallBuffersAndUnencodableText) {
    CFOwned<CFStringRef> s(CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingUTF8));
    char buf[16];
    EXPECT_TRUE(CFStringGetCString(s, buf, 6, kCFStringEncodingUTF8));
    EXPECT_STREQ(buf, "caf\xC3\xA9");
    EXPECT_FALSE(CFStringGetCString(s, buf, 5, kCFStringEncodingUTF8));
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingASCII));
    EXPECT_TRUE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingISOLatin1));
    EXPECT_STREQ(buf, "caf\xE9");
    EXPECT_TRUE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buf, "caf\x8E");
    EXPECT_FALSE(CFStringGetCString(nullptr, buf, sizeof buf, kCFStringEncodingUTF8));
    EXPECT_FALSE(CFStringGetCString(s, nullptr, 0, kCFStringEncodingUTF8));
}

TEST_F(CFStringTest, MalformedInputGivesNull) {
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "bad \xC3", kCFStringEncodingUTF8), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC0\xAF", kCFStringEncodingUTF8), nullptr);      // overlong '/'
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xED\xA0\x80", kCFStringEncodingUTF8), nullptr);  // surrogate
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "hi\x80", kCFStringEncodingASCII), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "x", 0x7777), nullptr);
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>("abc"), 3, kCFStringEncodingUTF16, false), nullptr);
}

TEST_F(CFStringTest, SingleByteEncodingsDecode) {
    CFOwned<CFStringRef> roman(CFStringCreateWithCString(nullptr, "\xA5\xDB", kCFStringEncodingMacRoman));
    EXPECT_EQ(CFStringGetCharacterAtIndex(roman, 0), 0x2022);
    EXPECT_EQ(CFStringGetCharacterAtIndex(roman, 1), 0x20AC);
    CFOwned<CFStringRef> windows(CFStringCreateWithCString(nullptr, "\x80\x93", kCFStringEncodingWindowsLatin1));
    EXPECT_EQ(CFStringGetCharacterAtIndex(windows, 0), 0x20AC);
    EXPECT_EQ(CFStringGetCharacterAtIndex(windows, 1), 0x201C);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\x81", kCFStringEncodingWindowsLatin1), nullptr);
}

TEST_F(CFStringTest, ExternalRepresentationCarriesByteOrderMark) {
    CFOwned<CFStringRef> s(CFStringCreateWithCString(nullptr, "A\xC3\xA9", kCFStringEncodingUTF8));
    CFOwned<CFDataRef> utf16(CFStringCreateExternalRepresentation(nullptr, s, kCFStringEncodingUTF16, 0));
    ASSERT_EQ(CFDataGetLength(utf16), 6);
    const UInt8* b = CFDataGetBytePtr(utf16);
    EXPECT_EQ(b[0] | b[1] << 8, 0xFEFF);
    CFOwned<CFStringRef> back(CFStringCreateFromExternalRepresentation(nullptr, utf16, kCFStringEncodingUTF16));
    EXPECT_TRUE(CFEqual(back, s));
    const UInt8 bigEndian[] = {0x00, 'h', 0x00, 'i'};
    CFOwned<CFStringRef> be(CFStringCreateWithBytes(nullptr, bigEndian, 4, kCFStringEncodingUTF16BE, false));
    EXPECT_EQ(Utf8(be), "hi");
    CFOwned<CFDataRef> lossy(CFStringCreateExternalRepresentation(nullptr, s, kCFStringEncodingASCII, '?'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(lossy)), 2), "A?");
}

// Catches external UTF-16 without a byte-order mark being read in the host's
// (little-endian) order: without a mark it is big-endian. The same bytes not
// marked external are in host order.
TEST_F(CFStringTest, ExternalUTF16WithoutMarkIsBigEndian) {
    const UInt8 bytes[] = {0x00, 'h', 0x00, 'i'};
    CFOwned<CFStringRef> external(CFStringCreateWithBytes(nullptr, bytes, 4, kCFStringEncodingUTF16, true));
    EXPECT_EQ(Utf8(external), "hi");
    CFOwned<CFStringRef> internal(CFStringCreateWithBytes(nullptr, bytes, 4, kCFStringEncodingUTF16, false));
    ASSERT_EQ(CFStringGetLength(internal), 2);
    EXPECT_EQ(CFStringGetCharacterAtIndex(internal, 0), 0x6800);
}

TEST_F(CFStringTest, GetBytesStopsAtBufferEnd) {
    CFOwned<CFStringRef> s(CFStringCreateWithCString(nullptr, "a\xC3\xA9z", kCFStringEncodingUTF8));
    UInt8 buf[8];
    CFIndex used = 0;
    CFIndex n = CFStringGetBytes(s, CFRangeMake(0, 3), kCFStringEncodingUTF8, 0, false, buf, 2, &used);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(used, 1);
    n = CFStringGetBytes(s, CFRangeMake(0, 3), kCFStringEncodingUTF8, 0, false, nullptr, 0, &used);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(used, 4);
    EXPECT_EQ(CFStringGetBytes(s, CFRangeMake(2, 5), kCFStringEncodingUTF8, 0, false, buf, 8, &used), 0);
}

TEST_F(CFStringTest, CompareWithOptions) {
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ab"), 0), kCFCompareGreaterThan);
    EXPECT_EQ(CFStringCompare(CFSTR("Dirty"), CFSTR("dirty"), 0), kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR("Dirty"), CFSTR("dIRTY"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
    CFOwned<CFStringRef> upper(CFStringCreateWithCString(nullptr, "\xC3\x89T\xC3\x89", kCFStringEncodingUTF8));
    CFOwned<CFStringRef> lower(CFStringCreateWithCString(nullptr, "\xC3\xA9t\xC3\xA9", kCFStringEncodingUTF8));
    EXPECT_EQ(CFStringCompare(upper, lower, kCFCompareCaseInsensitive), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(CFSTR("preset 9"), CFSTR("preset 10"), 0), kCFCompareGreaterThan);
    EXPECT_EQ(CFStringCompare(CFSTR("preset 9"), CFSTR("preset 10"), kCFCompareNumerically), kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR("x007"), CFSTR("x7"), kCFCompareNumerically), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(nullptr, nullptr, 0), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(CFSTR(""), nullptr, 0), kCFCompareGreaterThan);
}

TEST_F(CFStringTest, FindPrefixSuffix) {
    CFStringRef hay = CFSTR("Level Drive Low Drive");
    CFRange r = CFStringFind(hay, CFSTR("Drive"), 0);
    EXPECT_EQ(r.location, 6);
    EXPECT_EQ(r.length, 5);
    r = CFStringFind(hay, CFSTR("drive"), kCFCompareBackwards | kCFCompareCaseInsensitive);
    EXPECT_EQ(r.location, 16);
    EXPECT_EQ(CFStringFind(hay, CFSTR("High"), 0).location, kCFNotFound);
    EXPECT_EQ(CFStringFind(hay, CFSTR(""), 0).location, kCFNotFound);
    EXPECT_TRUE(CFStringHasPrefix(hay, CFSTR("Level")));
    EXPECT_FALSE(CFStringHasPrefix(hay, CFSTR("Drive")));
    EXPECT_TRUE(CFStringHasSuffix(hay, CFSTR("Drive")));
    EXPECT_FALSE(CFStringHasSuffix(CFSTR("a"), CFSTR("ba")));
}

TEST_F(CFStringTest, MutableEditing) {
    CFOwned<CFMutableStringRef> m(CFStringCreateMutable(nullptr, 0));
    CFStringAppend(m, CFSTR("Drive"));
    CFStringAppendCString(m, " \xC3\xBC", kCFStringEncodingUTF8);
    CFStringInsert(m, 0, CFSTR("["));
    CFStringAppend(m, m); // appending to itself reads the old contents
    EXPECT_EQ(Utf8(m), "[Drive \xC3\xBC[Drive \xC3\xBC");
    CFStringDelete(m, CFRangeMake(8, 8));
    EXPECT_EQ(Utf8(m), "[Drive \xC3\xBC");
    CFStringReplace(m, CFRangeMake(0, 1), CFSTR("<<"));
    EXPECT_EQ(Utf8(m), "<<Drive \xC3\xBC");
    EXPECT_EQ(CFStringFindAndReplace(m, CFSTR("<"), CFSTR("(("), CFRangeMake(0, CFStringGetLength(m)), 0), 2);
    EXPECT_EQ(Utf8(m), "((((Drive \xC3\xBC");
    CFStringUppercase(m, nullptr);
    EXPECT_EQ(Utf8(m), "((((DRIVE \xC3\x9C");
    CFStringReplaceAll(m, CFSTR("  padded \t"));
    CFStringTrimWhitespace(m);
    EXPECT_EQ(Utf8(m), "padded");
    CFStringDelete(m, CFRangeMake(3, 10)); // out of range: nothing happens
    EXPECT_EQ(Utf8(m), "padded");
    EXPECT_EQ(CFStringGetCStringPtr(m, kCFStringEncodingUTF8), nullptr);
    // Immutable strings refuse mutation.
    CFOwned<CFStringRef> fixed(CFStringCreateWithCString(nullptr, "fixed", kCFStringEncodingUTF8));
    CFStringAppend(const_cast<CFMutableStringRef>(fixed.get()), CFSTR("!"));
    EXPECT_EQ(Utf8(fixed), "fixed");
}

TEST_F(CFStringTest, CopiesOfImmutableStringsShareTheObject) {
    CFOwned<CFStringRef> s(CFStringCreateWithCString(nullptr, "keep", kCFStringEncodingUTF8));
    CFOwned<CFStringRef> copy(CFStringCreateCopy(nullptr, s));
    EXPECT_EQ(copy.get(), s.get());
    CFOwned<CFMutableStringRef> m(CFStringCreateMutableCopy(nullptr, 0, s));
    CFOwned<CFStringRef> frozen(CFStringCreateCopy(nullptr, m));
    EXPECT_NE(frozen.get(), static_cast<CFStringRef>(m.get()));
    CFStringAppend(m, CFSTR("!"));
    EXPECT_EQ(Utf8(frozen), "keep");
    CFOwned<CFStringRef> sub(CFStringCreateWithSubstring(nullptr, s, CFRangeMake(1, 2)));
    EXPECT_EQ(Utf8(sub), "ee");
    EXPECT_EQ(CFStringCreateWithSubstring(nullptr, s, CFRangeMake(3, 2)), nullptr);
}

TEST_F(CFStringTest, FormatConversions) {
    CFOwned<CFStringRef> name(CFStringCreateWithCString(nullptr, "Dirty", kCFStringEncodingUTF8));
    CFOwned<CFStringRef> f(CFStringCreateWithFormat(nullptr, nullptr,
                                                    CFSTR("AUPreset:\npreset number = %d\npreset name = %@"), 3, name.get()));
    EXPECT_EQ(Utf8(f), "AUPreset:\npreset number = 3\npreset name = Dirty");
    CFOwned<CFStringRef> g(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s|%5.2f|%-4d|%04x|%lld|%u|%%|%c|%e"),
                                                    "gr\xC3\xBCn", 3.14159, 7, 255, -9000000000LL, 4000000000u, 'Z', 1.5e10));
    EXPECT_EQ(Utf8(g), "gr\xC3\xBCn| 3.14|7   |00ff|-9000000000|4000000000|%|Z|1.500000e+10");
    CFOwned<CFStringRef> h(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%2$@ %1$d %2$@"), 5, CFSTR("x")));
    EXPECT_EQ(Utf8(h), "x 5 x");
    CFOwned<CFStringRef> stars(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("[%*d][%.*f][%8@]"), 4, 1, 2, 2.0, CFSTR("r")));
    EXPECT_EQ(Utf8(stars), "[   1][2.00][       r]");
    CFOwned<CFStringRef> nulls(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ %s"), nullptr, static_cast<char*>(nullptr)));
    EXPECT_EQ(Utf8(nulls), "(null) (null)");
    CFOwned<CFStringRef> narrow(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%hd %hhu %ld %zu"), 70000, 300, LONG_MIN, size_t(12)));
    EXPECT_EQ(Utf8(narrow), "4464 44 " + std::to_string(LONG_MIN) + " 12");
    int n = 1;
    CFOwned<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberIntType, &n));
    CFOwned<CFStringRef> described(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@"), number.get()));
    EXPECT_NE(Utf8(described).find("CFNumber"), std::string::npos);
}

TEST_F(CFStringTest, FormatRefusesWritesAndKeepsUnknownConversions) {
    int target = 77;
    CFOwned<CFStringRef> s(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("ab%n|%k|%d"), &target, 5));
    EXPECT_EQ(Utf8(s), "ab|%k|5");
    EXPECT_EQ(target, 77);
    EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("dangling %")), nullptr);
    EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, nullptr), nullptr);
    CFOwned<CFMutableStringRef> m(CFStringCreateMutable(nullptr, 0));
    CFStringAppendFormat(m, nullptr, CFSTR("%d-%d"), 1, 2);
    CFStringAppendFormat(m, nullptr, CFSTR("/%s"), "x");
    EXPECT_EQ(Utf8(m), "1-2/x");
}

TEST_F(CFStringTest, NumbersFromText) {
    EXPECT_EQ(CFStringGetIntValue(CFSTR("  -42xyz")), -42);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("99999999999")), INT_MAX);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("abc")), 0);
    EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR(" 2.5e3")), 2500.0);
    EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR("-0.125")), -0.125);
}

TEST_F(CFStringTest, SplitAndJoin) {
    CFOwned<CFArrayRef> parts(CFStringCreateArrayBySeparatingStrings(nullptr, CFSTR("1-1 2-2"), CFSTR(" ")));
    ASSERT_EQ(CFArrayGetCount(parts), 2);
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(parts, 1))), "2-2");
    CFOwned<CFStringRef> joined(CFStringCreateByCombiningStrings(nullptr, parts, CFSTR(", ")));
    EXPECT_EQ(Utf8(joined), "1-1, 2-2");
}

TEST_F(CFStringTest, PascalAndCharacterForms) {
    const unsigned char pascal[] = {3, 'a', 'b', 'c'};
    CFOwned<CFStringRef> p(CFStringCreateWithPascalString(nullptr, pascal, kCFStringEncodingMacRoman));
    EXPECT_EQ(Utf8(p), "abc");
    Str255 out;
    EXPECT_TRUE(CFStringGetPascalString(p, out, sizeof out, kCFStringEncodingMacRoman));
    EXPECT_EQ(out[0], 3);
    const UniChar chars[] = {'h', 0x00E9};
    CFOwned<CFStringRef> c(CFStringCreateWithCharacters(nullptr, chars, 2));
    UniChar back[2] = {};
    CFStringGetCharacters(c, CFRangeMake(0, 2), back);
    EXPECT_EQ(back[1], 0x00E9);
    EXPECT_NE(CFStringGetCharactersPtr(c), nullptr);
}

} // namespace
