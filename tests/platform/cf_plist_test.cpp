// Property lists: XML and binary round trips, a hand-written document,
// mutability options and refusal of malformed or unwritable input.
#include "platform/cf_balance.h"

#include <string>
#include <vector>

namespace {

using CFPlist = CFBalanced;

CFDataRef DataOf(const std::string& text) {
    return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), static_cast<CFIndex>(text.size()));
}

// A dictionary shaped like saved plug-in state, plus every other value kind.
CFDictionaryRef MakeState(double date) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    SInt32 version = 0x10300, subtype = 0x6F727635, negative = -10851;
    double level = 0.1;
    const UInt8 chunk[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xFF, 0};
    CFNumberRef v = CFNumberCreate(nullptr, kCFNumberSInt32Type, &version);
    CFNumberRef s = CFNumberCreate(nullptr, kCFNumberSInt32Type, &subtype);
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &negative);
    CFNumberRef l = CFNumberCreate(nullptr, kCFNumberFloat64Type, &level);
    CFDataRef data = CFDataCreate(nullptr, chunk, sizeof chunk);
    CFDateRef when = CFDateCreate(nullptr, date);
    const void* items[] = {CFSTR("Clean"), kCFBooleanTrue, l};
    CFArrayRef list = CFArrayCreate(nullptr, items, 3, &kCFTypeArrayCallBacks);
    CFMutableDictionaryRef inner = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                             &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(inner, CFSTR("empty"), CFSTR(""));
    CFDictionarySetValue(d, CFSTR("version"), v);
    CFDictionarySetValue(d, CFSTR("subtype"), s);
    CFDictionarySetValue(d, CFSTR("status"), n);
    CFDictionarySetValue(d, CFSTR("level"), l);
    CFDictionarySetValue(d, CFSTR("data"), data);
    CFDictionarySetValue(d, CFSTR("saved"), when);
    CFDictionarySetValue(d, CFSTR("list"), list);
    CFDictionarySetValue(d, CFSTR("inner"), inner);
    CFDictionarySetValue(d, CFSTR("name"), CFSTR("Gr\u00fc\u00dfe <&> \U0001F3B8"));
    CFDictionarySetValue(d, CFSTR("off"), kCFBooleanFalse);
    for (CFTypeRef o : {CFTypeRef(v), CFTypeRef(s), CFTypeRef(n), CFTypeRef(l), CFTypeRef(data), CFTypeRef(when),
                        CFTypeRef(list), CFTypeRef(inner)})
        CFRelease(o);
    return d;
}

TEST_F(CFPlist, XmlRoundTrip) {
    CFOwned<CFDictionaryRef> state(MakeState(700000000.0)); // XML dates keep whole seconds
    CFErrorRef error = reinterpret_cast<CFErrorRef>(1);
    CFOwned<CFDataRef> xml(CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, &error));
    ASSERT_TRUE(xml);
    EXPECT_EQ(error, nullptr);
    std::string text(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), static_cast<size_t>(CFDataGetLength(xml)));
    EXPECT_NE(text.find("<key>subtype</key>"), std::string::npos);
    EXPECT_NE(text.find("&lt;&amp;&gt;"), std::string::npos);
    EXPECT_LT(text.find("<key>data</key>"), text.find("<key>version</key>")) << "keys are written sorted";
    CFPropertyListFormat format = 0;
    CFOwned<CFPropertyListRef> back(CFPropertyListCreateWithData(nullptr, xml, kCFPropertyListImmutable, &format, &error));
    ASSERT_TRUE(back);
    EXPECT_EQ(format, kCFPropertyListXMLFormat_v1_0);
    EXPECT_TRUE(CFEqual(back, state));
}

TEST_F(CFPlist, BinaryRoundTrip) {
    CFOwned<CFDictionaryRef> state(MakeState(12345.25));
    CFOwned<CFDataRef> bin(CFPropertyListCreateData(nullptr, state, kCFPropertyListBinaryFormat_v1_0, 0, nullptr));
    ASSERT_TRUE(bin);
    EXPECT_EQ(memcmp(CFDataGetBytePtr(bin), "bplist00", 8), 0);
    CFPropertyListFormat format = 0;
    CFOwned<CFPropertyListRef> back(CFPropertyListCreateWithData(nullptr, bin, 0, &format, nullptr));
    ASSERT_TRUE(back);
    EXPECT_EQ(format, kCFPropertyListBinaryFormat_v1_0);
    EXPECT_TRUE(CFEqual(back, state));
    auto data = static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(back.get()), CFSTR("data")));
    EXPECT_EQ(CFDataGetLength(data), 10);
}

TEST_F(CFPlist, HandWrittenXml) {
    const std::string doc = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- a component bundle's description -->
<dict>
    <key>CFBundleIdentifier</key>
    <string>com.zrnt.orvanta</string>
    <key>AudioComponents</key>
    <array>
        <dict>
            <key>type</key><string>aufx</string>
            <key>version</key><integer>66304</integer>
            <key>offset</key><integer>-12</integer>
            <key>gain</key><real>-0.5</real>
            <key>sandboxSafe</key><true/>
            <key>euro</key><string>&#x20AC;&#8364;</string>
            <key>blob</key>
            <data>
            AAEC
            /w==
            </data>
        </dict>
    </array>
</dict>
</plist>
)";
    CFOwned<CFDataRef> data(DataOf(doc));
    CFOwned<CFPropertyListRef> plist(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr));
    ASSERT_TRUE(plist);
    auto root = static_cast<CFDictionaryRef>(plist.get());
    ASSERT_EQ(CFGetTypeID(root), CFDictionaryGetTypeID());
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(CFDictionaryGetValue(root, CFSTR("CFBundleIdentifier")))), "com.zrnt.orvanta");
    auto components = static_cast<CFArrayRef>(CFDictionaryGetValue(root, CFSTR("AudioComponents")));
    ASSERT_EQ(CFArrayGetCount(components), 1);
    auto c = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(components, 0));
    SInt32 version = 0, offset = 0;
    double gain = 0;
    EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(c, CFSTR("version"))), kCFNumberSInt32Type, &version));
    EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(c, CFSTR("offset"))), kCFNumberSInt32Type, &offset));
    EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(c, CFSTR("gain"))), kCFNumberFloat64Type, &gain));
    EXPECT_EQ(version, 66304);
    EXPECT_EQ(offset, -12);
    EXPECT_EQ(gain, -0.5);
    EXPECT_EQ(CFDictionaryGetValue(c, CFSTR("sandboxSafe")), kCFBooleanTrue);
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(CFDictionaryGetValue(c, CFSTR("euro")))), "\xE2\x82\xAC\xE2\x82\xAC");
    auto blob = static_cast<CFDataRef>(CFDictionaryGetValue(c, CFSTR("blob")));
    ASSERT_EQ(CFDataGetLength(blob), 4);
    EXPECT_EQ(CFDataGetBytePtr(blob)[3], 0xFF);
}

TEST_F(CFPlist, TopLevelScalarsAreAllowed) {
    CFOwned<CFDataRef> data(DataOf("<plist version=\"1.0\"><string>just text</string></plist>"));
    CFOwned<CFPropertyListRef> plist(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr));
    ASSERT_TRUE(plist);
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(plist.get())), "just text");
}

TEST_F(CFPlist, MutabilityOptions) {
    CFOwned<CFDictionaryRef> state(MakeState(0));
    CFOwned<CFDataRef> bin(CFPropertyListCreateData(nullptr, state, kCFPropertyListBinaryFormat_v1_0, 0, nullptr));

    CFOwned<CFPropertyListRef> fixed(CFPropertyListCreateWithData(nullptr, bin, kCFPropertyListImmutable, nullptr, nullptr));
    auto fixedDict = const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(fixed.get()));
    CFDictionarySetValue(fixedDict, CFSTR("added"), kCFBooleanTrue);
    EXPECT_FALSE(CFDictionaryContainsKey(fixedDict, CFSTR("added")));

    CFOwned<CFPropertyListRef> containers(
        CFPropertyListCreateWithData(nullptr, bin, kCFPropertyListMutableContainers, nullptr, nullptr));
    auto dict = const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(containers.get()));
    CFDictionarySetValue(dict, CFSTR("added"), kCFBooleanTrue);
    EXPECT_TRUE(CFDictionaryContainsKey(dict, CFSTR("added")));
    auto name = const_cast<CFMutableStringRef>(static_cast<CFStringRef>(CFDictionaryGetValue(dict, CFSTR("name"))));
    CFStringAppend(name, CFSTR("!"));
    EXPECT_EQ(CFStringFind(name, CFSTR("!"), 0).location, kCFNotFound) << "leaves stay immutable";

    CFOwned<CFPropertyListRef> leaves(
        CFPropertyListCreateWithData(nullptr, bin, kCFPropertyListMutableContainersAndLeaves, nullptr, nullptr));
    auto leafDict = static_cast<CFDictionaryRef>(leaves.get());
    name = const_cast<CFMutableStringRef>(static_cast<CFStringRef>(CFDictionaryGetValue(leafDict, CFSTR("name"))));
    CFStringAppend(name, CFSTR("!"));
    EXPECT_NE(CFStringFind(name, CFSTR("!"), 0).location, kCFNotFound);
    auto data = const_cast<CFMutableDataRef>(static_cast<CFDataRef>(CFDictionaryGetValue(leafDict, CFSTR("data"))));
    CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("x"), 1);
    EXPECT_EQ(CFDataGetLength(data), 11);
}

void ExpectRefused(const std::string& bytes, CFIndex code = kCFPropertyListReadCorruptError) {
    CFOwned<CFDataRef> data(DataOf(bytes));
    CFErrorRef error = nullptr;
    CFPropertyListFormat format = 77;
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, 0, &format, &error);
    EXPECT_EQ(plist, nullptr) << bytes;
    if (plist)
        CFRelease(plist);
    ASSERT_NE(error, nullptr) << bytes;
    EXPECT_EQ(CFErrorGetCode(error), code) << bytes;
    EXPECT_TRUE(CFEqual(CFErrorGetDomain(error), kCFErrorDomainCocoa));
    EXPECT_EQ(format, 77) << "format untouched on failure";
    CFRelease(error);
}

TEST_F(CFPlist, MalformedDocumentsAreRefused) {
    ExpectRefused("");
    ExpectRefused("hello there, not a plist");
    ExpectRefused("{ key = value; }"); // OpenStep text is not read
    ExpectRefused("<plist><dict><key>a</key></dict></plist>");
    ExpectRefused("<plist><dict><key>a</key><string>x</dict></plist>");
    ExpectRefused("<plist><array><integer>12</array>");
    ExpectRefused("<plist><dict><key>a</key><key>b</key><true/></dict></plist>");
    ExpectRefused("<plist><dict><true/></dict></plist>");
    ExpectRefused("<plist><integer>18446744073709551615</integer></plist>"); // would read back as -1
    ExpectRefused("<plist><integer>12abc</integer></plist>");
    ExpectRefused("<plist><real>1.5 dB</real></plist>");
    ExpectRefused("<plist><date>yesterday</date></plist>");
    ExpectRefused("<plist><date>2100-01-01T00:00:00Z</date></plist>"); // beyond what the date field holds
    ExpectRefused("<plist><string>\xC3</string></plist>");
    ExpectRefused(std::string("bplist00") + std::string(40, '\xFF'));
    ExpectRefused("bplist15 some later version", kCFPropertyListReadUnknownVersionError);
    ExpectRefused("<!-- never closed <plist/>");
    ExpectRefused("<plist><string>a&#0;b</string></plist>");
    ExpectRefused("<plist><string>a&#x000;b</string></plist>");
    ExpectRefused(std::string("<plist><string>a\0b</string></plist>", 32));
    EXPECT_EQ(CFPropertyListCreateWithData(nullptr, nullptr, 0, nullptr, nullptr), nullptr);
    CFOwned<CFDataRef> ok(DataOf("<plist><true/></plist>"));
    EXPECT_EQ(CFPropertyListCreateWithData(nullptr, ok, 9, nullptr, nullptr), nullptr) << "unknown mutability option";
}

// Catches an XML reader that takes a document whose closing tags are cut
// off, or that goes on after its root element, as if it were whole.
TEST_F(CFPlist, XmlThatIsNotWellFormedIsRefused) {
    CFOwned<CFDictionaryRef> state(MakeState(700000000.0));
    CFOwned<CFDataRef> xml(CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr));
    const std::string full(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), static_cast<size_t>(CFDataGetLength(xml)));
    const size_t rootEnd = full.rfind("</plist>") + 8;
    ASSERT_NE(rootEnd, std::string::npos + 8);
    for (size_t n = 0; n < rootEnd; ++n) {
        CFOwned<CFDataRef> cut(DataOf(full.substr(0, n)));
        CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, cut, 0, nullptr, nullptr);
        EXPECT_EQ(plist, nullptr) << "accepted the first " << n << " of " << rootEnd << " bytes";
        if (plist)
            CFRelease(plist);
    }
    const std::string root = full.substr(0, rootEnd);
    for (const std::string& doc : std::vector<std::string>{root + "<key>x</key>", root + "x", root + "<plist/>",
                                                           root + "<![CDATA[x]]>", "<plist><dict></array></plist>",
                                                           "<plist><string>a</str></plist>"})
        ExpectRefused(doc);
    for (const std::string& doc : std::vector<std::string>{root, root + " \r\n\t\n", root + "\n<!-- saved by hand -->\n"}) {
        CFOwned<CFDataRef> data(DataOf(doc));
        CFOwned<CFPropertyListRef> back(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr));
        EXPECT_TRUE(back && CFEqual(back, state)) << doc.substr(rootEnd);
    }
    CFOwned<CFDataRef> cut(DataOf(full.substr(0, full.rfind("</dict>"))));
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateWithData(nullptr, cut, 0, nullptr, &error), nullptr);
    ASSERT_NE(error, nullptr);
    CFOwned<CFStringRef> why(CFErrorCopyDescription(error));
    EXPECT_NE(Utf8(why).find("cut short"), std::string::npos) << Utf8(why);
    CFRelease(error);
}

TEST_F(CFPlist, TruncatedBinaryIsRefusedAtEveryLength) {
    CFOwned<CFDictionaryRef> state(MakeState(1.0));
    CFOwned<CFDataRef> bin(CFPropertyListCreateData(nullptr, state, kCFPropertyListBinaryFormat_v1_0, 0, nullptr));
    const std::string full(reinterpret_cast<const char*>(CFDataGetBytePtr(bin)), static_cast<size_t>(CFDataGetLength(bin)));
    // Every byte of a binary list counts (its trailer is at the end), so no
    // shorter prefix may pass for a property list of any format.
    for (size_t n = 0; n < full.size(); ++n) {
        CFOwned<CFDataRef> cut(DataOf(full.substr(0, n)));
        CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, cut, 0, nullptr, nullptr);
        EXPECT_EQ(plist, nullptr) << "accepted the first " << n << " of " << full.size() << " bytes";
        if (plist)
            CFRelease(plist);
    }
    CFOwned<CFDataRef> whole(DataOf(full));
    CFOwned<CFPropertyListRef> back(CFPropertyListCreateWithData(nullptr, whole, 0, nullptr, nullptr));
    EXPECT_TRUE(CFEqual(back, state));
}

TEST_F(CFPlist, DeepNestingIsRefusedNotOverflowed) {
    std::string doc = "<plist>";
    for (int i = 0; i < 5000; ++i)
        doc += "<array>";
    for (int i = 0; i < 5000; ++i)
        doc += "</array>";
    doc += "</plist>";
    CFOwned<CFDataRef> data(DataOf(doc));
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    EXPECT_EQ(plist, nullptr);

    CFMutableArrayRef outer = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFMutableArrayRef current = outer;
    for (int i = 0; i < 300; ++i) {
        CFMutableArrayRef next = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
        CFArrayAppendValue(current, next);
        CFRelease(next);
        current = next;
    }
    EXPECT_EQ(CFPropertyListCreateData(nullptr, outer, kCFPropertyListBinaryFormat_v1_0, 0, nullptr), nullptr);
    EXPECT_FALSE(CFPropertyListIsValid(outer, kCFPropertyListXMLFormat_v1_0));
    CFRelease(outer);
}

// A binary document from raw objects (2-byte references, 4-byte offsets).
std::string BinaryDocument(const std::vector<std::string>& objects, uint64_t top = 0) {
    std::string doc = "bplist00";
    std::vector<uint32_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(static_cast<uint32_t>(doc.size()));
        doc += object;
    }
    uint64_t table = doc.size();
    for (uint32_t o : offsets)
        for (int shift = 24; shift >= 0; shift -= 8)
            doc.push_back(static_cast<char>(o >> shift));
    std::string trailer(6, '\0');
    trailer += '\4';
    trailer += '\2';
    for (uint64_t v : {uint64_t(objects.size()), top, table})
        for (int shift = 56; shift >= 0; shift -= 8)
            trailer.push_back(static_cast<char>(v >> shift));
    return doc + trailer;
}

// An array object holding the given references.
std::string ArrayOf(std::initializer_list<int> refs) {
    std::string object(1, static_cast<char>(0xA0 | refs.size()));
    for (int r : refs) {
        object.push_back(static_cast<char>(r >> 8));
        object.push_back(static_cast<char>(r & 0xFF));
    }
    return object;
}

TEST_F(CFPlist, HostileBinaryStructuresAreRefused) {
    // Sanity: a well-formed document built the same way is read.
    CFOwned<CFDataRef> fine(DataOf(BinaryDocument({ArrayOf({1, 1}), "\x09"})));
    CFOwned<CFPropertyListRef> ok(CFPropertyListCreateWithData(nullptr, fine, 0, nullptr, nullptr));
    ASSERT_TRUE(ok);
    EXPECT_EQ(CFArrayGetCount(static_cast<CFArrayRef>(ok.get())), 2);

    ExpectRefused(BinaryDocument({ArrayOf({0})}));     // contains itself
    ExpectRefused(BinaryDocument({ArrayOf({1}), ArrayOf({0})}));
    ExpectRefused(BinaryDocument({ArrayOf({7})}));     // reference past the object table
    ExpectRefused(BinaryDocument({"\x5F\x10\x7F" "ab"})); // string longer than the document
    ExpectRefused(BinaryDocument({"\x09"}, 3));       // top object out of range
    ExpectRefused(BinaryDocument({std::string("\x33\x7F\xF0\0\0\0\0\0\0", 9)})); // a date at infinity
    ExpectRefused(BinaryDocument({std::string("\x53" "a\0b", 4)}));                 // NUL inside an ASCII string
    ExpectRefused(BinaryDocument({std::string("\x62\0a\0\0", 5)}));              // NUL inside a UTF-16 string
    ExpectRefused(BinaryDocument({std::string("\x62\0a\xD8\0", 5)}));            // unpaired high surrogate
    ExpectRefused(BinaryDocument({std::string("\x62\xDC\0\0a", 5)}));            // unpaired low surrogate
    ExpectRefused(BinaryDocument({std::string("\x62\xD8\x3C\xD8\x3C", 5)}));    // two high surrogates
    CFOwned<CFDataRef> pair(DataOf(BinaryDocument({std::string("\x62\xD8\x3C\xDF\xB8", 5)})));
    CFOwned<CFPropertyListRef> guitar(CFPropertyListCreateWithData(nullptr, pair, 0, nullptr, nullptr));
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(guitar.get())), "\U0001F3B8");

    std::vector<std::string> deep;
    for (int i = 0; i < 1000; ++i)
        deep.push_back(i + 1 < 1000 ? ArrayOf({i + 1}) : ArrayOf({}));
    ExpectRefused(BinaryDocument(deep));

    // Each level holds the next twice: 2^40 nodes once copied out.
    std::vector<std::string> shared;
    for (int i = 0; i < 40; ++i)
        shared.push_back(ArrayOf({i + 1, i + 1}));
    shared.push_back("\x08");
    ExpectRefused(BinaryDocument(shared));
}

// Catches documents that libplist reads as another value than they hold:
// decimal integers with a leading zero (read as octal: "010" as 8, "08" as 0),
// a comment or CDATA section inside a number or data element (the number
// changes, the data comes back empty), and 16-byte binary integers beyond 64
// bits (2^64 - 1 read as -1). Values written the usual way still read as
// themselves.
TEST_F(CFPlist, ValuesThatWouldReadBackChangedAreRefused) {
    auto integerOf = [](const std::string& bytes, SInt64* value) {
        CFOwned<CFDataRef> data(DataOf(bytes));
        CFOwned<CFPropertyListRef> plist(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr));
        return plist && CFGetTypeID(plist) == CFNumberGetTypeID() &&
               CFNumberGetValue(static_cast<CFNumberRef>(plist.get()), kCFNumberSInt64Type, value);
    };
    for (const char* text : {"010", "08", "-010", "00", "+007"})
        ExpectRefused(std::string("<plist><integer>") + text + "</integer></plist>");
    const std::pair<const char*, SInt64> exact[] = {{"0", 0}, {"-0", 0}, {" 10 ", 10}, {"0x10", 16}, {"-0X1f", -31}};
    for (const auto& [text, want] : exact) {
        SInt64 v = 99;
        EXPECT_TRUE(integerOf(std::string("<plist><integer>") + text + "</integer></plist>", &v) && v == want)
            << text << " read as " << v;
    }

    ExpectRefused("<plist><integer>1<!-- x -->2</integer></plist>");
    ExpectRefused("<plist><real>1.5<!-- x -->0</real></plist>");
    ExpectRefused("<plist><data>AAEC<!-- x -->/w==</data></plist>");
    ExpectRefused("<plist><data><![CDATA[AAEC]]></data></plist>");

    const std::string zeros8(8, '\0'), zeros7(7, '\0');
    ExpectRefused(BinaryDocument({"\x14" + zeros8 + std::string(8, '\xFF')})); // 2^64 - 1
    ExpectRefused(BinaryDocument({"\x14" + zeros7 + "\x01" + zeros8}));         // 2^64
    ExpectRefused(BinaryDocument({"\x14" + zeros8 + "\x80" + zeros7}));         // 2^63
    SInt64 v = 0;
    EXPECT_TRUE(integerOf(BinaryDocument({"\x14" + std::string(16, '\xFF')}), &v) && v == -1) << v;
    EXPECT_TRUE(integerOf(BinaryDocument({"\x14" + std::string(15, '\0') + "\x05"}), &v) && v == 5) << v;
}

TEST_F(CFPlist, UnwritableObjectsAreRefused) {
    CFOwned<CFMutableDictionaryRef> d(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks));
    int one = 1;
    CFOwned<CFNumberRef> key(CFNumberCreate(nullptr, kCFNumberIntType, &one));
    CFDictionarySetValue(d, key, CFSTR("number key"));
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateData(nullptr, d, kCFPropertyListXMLFormat_v1_0, 0, &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListWriteStreamError);
    CFRelease(error);
    EXPECT_FALSE(CFPropertyListIsValid(d, kCFPropertyListXMLFormat_v1_0));

    CFOwned<CFURLRef> url(CFURLCreateWithString(nullptr, CFSTR("file:///tmp/"), nullptr));
    const void* values[] = {url.get()};
    CFOwned<CFArrayRef> array(CFArrayCreate(nullptr, values, 1, &kCFTypeArrayCallBacks));
    EXPECT_EQ(CFPropertyListCreateData(nullptr, array, kCFPropertyListBinaryFormat_v1_0, 0, nullptr), nullptr);
    EXPECT_EQ(CFPropertyListCreateData(nullptr, CFSTR("x"), kCFPropertyListOpenStepFormat, 0, nullptr), nullptr);
    EXPECT_EQ(CFPropertyListCreateData(nullptr, nullptr, kCFPropertyListXMLFormat_v1_0, 0, nullptr), nullptr);
}

TEST_F(CFPlist, DeepCopyAndOlderCalls) {
    CFOwned<CFDictionaryRef> state(MakeState(5.0));
    CFOwned<CFPropertyListRef> copy(CFPropertyListCreateDeepCopy(nullptr, state, kCFPropertyListMutableContainersAndLeaves));
    EXPECT_TRUE(CFEqual(copy, state));
    EXPECT_NE(CFDictionaryGetValue(static_cast<CFDictionaryRef>(copy.get()), CFSTR("list")),
              CFDictionaryGetValue(state, CFSTR("list")));
    EXPECT_TRUE(CFPropertyListIsValid(state, kCFPropertyListBinaryFormat_v1_0));

    CFOwned<CFDataRef> xml(CFPropertyListCreateXMLData(nullptr, state));
    ASSERT_TRUE(xml);
    CFStringRef errorString = reinterpret_cast<CFStringRef>(1);
    CFOwned<CFPropertyListRef> back(CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, &errorString));
    EXPECT_EQ(errorString, nullptr);
    EXPECT_TRUE(back);
    CFOwned<CFDataRef> junk(DataOf("<plist><dict>"));
    EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, junk, 0, &errorString), nullptr);
    ASSERT_NE(errorString, nullptr);
    EXPECT_FALSE(Utf8(errorString).empty());
    CFRelease(errorString);
}

} // namespace
