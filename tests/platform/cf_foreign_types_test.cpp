// CoreGraphics and CoreText objects through the CoreFoundation runtime:
// CFRetain/CFRelease own them, CFGetTypeID names them, CF collections keep
// them alive, and they count among the live objects.
#include "platform/cf_balance.h"

#include <AppKit/AppKitGraphics.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <set>
#include <vector>

// fontconfig keeps a block from parsing its configuration that no pointer
// reaches any more; it is fontconfig's, made once per process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

class CFForeignTypes : public CFBalanced {
protected:
    void SetUp() override {
        // Text layout keeps a default font and a face cache for the process;
        // make them before counting.
        CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
        CFAttributedStringRef text = CFAttributedStringCreate(nullptr, CFSTR("warm"), nullptr);
        CTLineRef line = CTLineCreateWithAttributedString(text);
        CFRelease(line);
        CFRelease(text);
        CFRelease(font);
        CFBalanced::SetUp();
    }

    CFAttributedStringRef Text(const char* s, CTFontRef font) {
        CFStringRef str = CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8);
        const void* keys[] = {kCTFontAttributeName};
        const void* values[] = {font};
        CFDictionaryRef attrs = CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                                   &kCFTypeDictionaryValueCallBacks);
        CFAttributedStringRef a = CFAttributedStringCreate(nullptr, str, attrs);
        CFRelease(attrs);
        CFRelease(str);
        return a;
    }
};

struct Made {
    CFTypeRef object;
    CFTypeID expected;
    const char* name;
};

TEST_F(CFForeignTypes, EveryTypeIsRetainedReleasedAndCountedByCF) {
    const CFIndex before = OrvantaCFLiveObjectCount();
    std::vector<UInt8> pixels(4 * 4 * 4);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef context =
        CGBitmapContextCreate(pixels.data(), 4, 4, 8, 16, space, kCGImageAlphaPremultipliedFirst);
    CGImageRef image = CGBitmapContextCreateImage(context);
    CFDataRef bytes = CFDataCreate(nullptr, pixels.data(), static_cast<CFIndex>(pixels.size()));
    CGDataProviderRef provider = CGDataProviderCreateWithCFData(bytes);
    CGColorRef colour = CGColorCreateGenericRGB(1, 0, 0, 1);
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, 200, 200));
    CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 14, nullptr);
    CFAttributedStringRef text = Text("one two", font);
    CTLineRef line = CTLineCreateWithAttributedString(text);
    CTFramesetterRef setter = CTFramesetterCreateWithAttributedString(text);
    CTFrameRef frame = CTFramesetterCreateFrame(setter, CFRangeMake(0, 0), path, nullptr);

    const Made made[] = {
        {space, CGColorSpaceGetTypeID(), "CGColorSpace"},
        {context, CGContextGetTypeID(), "CGContext"},
        {image, CGImageGetTypeID(), "CGImage"},
        {provider, CGDataProviderGetTypeID(), "CGDataProvider"},
        {colour, CGColorGetTypeID(), "CGColor"},
        {path, CGPathGetTypeID(), "CGPath"},
        {font, CTFontGetTypeID(), "CTFont"},
        {text, CFAttributedStringGetTypeID(), "CFAttributedString"},
        {line, CTLineGetTypeID(), "CTLine"},
        {setter, CTFramesetterGetTypeID(), "CTFramesetter"},
        {frame, CTFrameGetTypeID(), "CTFrame"},
    };
    std::set<CFTypeID> ids = {CFStringGetTypeID(), CFArrayGetTypeID(), CFDictionaryGetTypeID(), CFDataGetTypeID()};
    // The frame's lines are objects too, beyond the list above and the data.
    EXPECT_GE(OrvantaCFLiveObjectCount() - before, static_cast<CFIndex>(std::size(made)) + 1);
    for (const Made& m : made) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.object, nullptr);
        EXPECT_EQ(CFGetTypeID(m.object), m.expected);
        EXPECT_TRUE(ids.insert(m.expected).second) << "type ids are distinct from each other and from CF's";
        CFOwned<CFStringRef> typeName(CFCopyTypeIDDescription(m.expected));
        EXPECT_EQ(Utf8(typeName), m.name);
        CFOwned<CFStringRef> description(CFCopyDescription(m.object));
        EXPECT_NE(Utf8(description).find(m.name), std::string::npos) << Utf8(description);
        EXPECT_TRUE(CFEqual(m.object, m.object));

        const CFIndex count = CFGetRetainCount(m.object);
        EXPECT_EQ(CFRetain(m.object), m.object);
        EXPECT_EQ(CFGetRetainCount(m.object), count + 1);
        EXPECT_EQ(NSObjectRetain(m.object), m.object);
        CFRelease(m.object);
        NSObjectRelease(m.object);
        EXPECT_EQ(CFGetRetainCount(m.object), count);
    }
    CFArrayRef lines = CTFrameGetLines(frame);
    ASSERT_EQ(CFArrayGetCount(lines), 1);
    EXPECT_EQ(CFGetTypeID(CFArrayGetValueAtIndex(lines, 0)), CTLineGetTypeID());

    // Typed and CF releases are one and the same.
    CGColorRetain(colour);
    CFRelease(colour);
    CGContextRetain(context);
    NSObjectRelease(context);
    for (const Made& m : made)
        CFRelease(m.object);
    CFRelease(bytes);
    EXPECT_EQ(OrvantaCFLiveObjectCount(), before);
}

TEST_F(CFForeignTypes, CollectionsKeepTheirGraphicsObjectsAlive) {
    CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 17, nullptr);
    CGColorRef colour = CGColorCreateGenericGray(0.5, 1);
    const void* values[] = {font, colour};
    CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    CFRelease(font);
    CGColorRelease(colour);
    EXPECT_EQ(CTFontGetSize(static_cast<CTFontRef>(CFArrayGetValueAtIndex(array, 0))), 17);
    EXPECT_EQ(CGColorGetAlpha(static_cast<CGColorRef>(const_cast<void*>(CFArrayGetValueAtIndex(array, 1)))), 1);

    // An attributed string outlives the dictionary its attributes came in and
    // keeps the font after the caller lets go of it.
    CFAttributedStringRef text = Text("kept", static_cast<CTFontRef>(CFArrayGetValueAtIndex(array, 0)));
    CFRelease(array);
    CTLineRef line = CTLineCreateWithAttributedString(text);
    CFRelease(text);
    ASSERT_NE(line, nullptr);
    EXPECT_GT(CTLineGetTypographicBounds(line, nullptr, nullptr, nullptr), 0);
    CFRelease(line);
}

TEST_F(CFForeignTypes, EqualValuesCompareAndHashAlike) {
    CGColorRef a = CGColorCreateGenericRGB(0.25, 0.5, 0, 1);
    CGColorRef b = CGColorCreateGenericRGB(0.25, 0.5, -0.0, 1);
    CGColorRef c = CGColorCreateGenericRGB(0.25, 0.5, 0, 0.5);
    EXPECT_TRUE(CFEqual(a, b));
    EXPECT_EQ(CFHash(a), CFHash(b));
    EXPECT_FALSE(CFEqual(a, c));
    CGColorSpaceRef rgb1 = CGColorSpaceCreateDeviceRGB();
    CGColorSpaceRef rgb2 = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
    CGColorSpaceRef gray = CGColorSpaceCreateDeviceGray();
    EXPECT_TRUE(CFEqual(rgb1, rgb2));
    EXPECT_EQ(CFHash(rgb1), CFHash(rgb2));
    EXPECT_FALSE(CFEqual(rgb1, gray));
    EXPECT_FALSE(CFEqual(a, rgb1));
    CTFontRef f1 = CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
    CTFontRef f2 = CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
    CTFontRef f3 = CTFontCreateWithName(CFSTR("Helvetica"), 13, nullptr);
    EXPECT_TRUE(CFEqual(f1, f2));
    EXPECT_EQ(CFHash(f1), CFHash(f2));
    EXPECT_FALSE(CFEqual(f1, f3));

    // Collections find colours by value.
    const void* colours[] = {a, b, c};
    CFOwned<CFArrayRef> list(CFArrayCreate(nullptr, colours, 3, &kCFTypeArrayCallBacks));
    EXPECT_EQ(CFArrayGetCountOfValue(list, CFRangeMake(0, 3), b), 2);
    for (CFTypeRef o : {CFTypeRef(a), CFTypeRef(b), CFTypeRef(c), CFTypeRef(rgb1), CFTypeRef(rgb2), CFTypeRef(gray),
                        CFTypeRef(f1), CFTypeRef(f2), CFTypeRef(f3)})
        CFRelease(o);
}

TEST_F(CFForeignTypes, OverReleaseIsCaughtNotFreedTwice) {
    Boolean previous = OrvantaCFSetAbortOnOverRelease(false);
    CGPathRef path = CGPathCreateWithRect(CGRectMake(0, 0, 1, 1), nullptr);
    CGPathRelease(path);
    CFRelease(path);
    ExpectOverReleases(1);
    EXPECT_EQ(CFGetTypeID(path), static_cast<CFTypeID>(0)) << "a freed object is no longer of its type";
    ExpectOverReleases(1);
    OrvantaCFSetAbortOnOverRelease(previous);
}

} // namespace
