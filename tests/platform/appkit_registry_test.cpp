// The class registry that finds a Cocoa view factory by name: what a host
// does with the Cocoa-UI property of an Audio Unit.
#include "platform/appkit_testing.h"
#include "platform/cf_balance.h"

#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnitProperties.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A bundle folder holding the fixture executable, made once per run.
fs::path MakeViewBundle() {
    const fs::path root = fs::temp_directory_path() / ("appkit_registry_" + std::to_string(getpid()));
    const fs::path bundle = root / "ViewFactory.component";
    fs::create_directories(bundle / "Contents" / "MacOS");
    std::ofstream(bundle / "Contents" / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>CFBundleExecutable</key><string>ViewFactory</string>"
           "<key>CFBundleIdentifier</key><string>com.orvanta.test.viewfactory</string>"
           "</dict></plist>\n";
    fs::copy_file(APPKIT_VIEW_FACTORY_LIBRARY, bundle / "Contents" / "MacOS" / "ViewFactory",
                  fs::copy_options::overwrite_existing);
    return bundle;
}

class ClassRegistry : public CFBalanced {
protected:
    void SetUp() override {
        ASSERT_TRUE(kAppKitHeadless);
        CFBalanced::SetUp();
        mLive = OrvantaAppKitLiveObjectCount();
    }
    void TearDown() override {
        EXPECT_EQ(OrvantaAppKitLiveObjectCount(), mLive);
        CFBalanced::TearDown();
    }
    long mLive = 0;
};

// Catches: classes of a bundle unknown after loading it, the protocol check
// answering for classes that do not adopt it, the factory not instantiable
// through the protocol, or classes left registered after unloading.
TEST_F(ClassRegistry, HostFindsTheFactoryOfALoadedBundleByName) {
    static const fs::path bundlePath = MakeViewBundle();
    EXPECT_EQ(objc_getClass("OrvantaTest_View"), nullptr);

    // What the plug-in answers for the Cocoa-UI property.
    CFStringRef path = CFStringCreateWithCString(nullptr, bundlePath.c_str(), kCFStringEncodingUTF8);
    AudioUnitCocoaViewInfo info;
    info.mCocoaAUViewBundleLocation = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    info.mCocoaAUViewClass[0] = CFStringCreateWithCString(nullptr, "OrvantaTest_View", kCFStringEncodingUTF8);
    CFRelease(path);

    // What the host does with it.
    CFBundleRef bundle = CFBundleCreate(nullptr, info.mCocoaAUViewBundleLocation);
    ASSERT_NE(bundle, nullptr);
    ASSERT_TRUE(CFBundleLoadExecutable(bundle));
    // Loading keeps the bundle's objects for the process; from here on the
    // lookup and the factory must give back every object they make.
    const CFIndex afterLoad = OrvantaCFLiveObjectCount();
    Class cls = NSClassFromString(info.mCocoaAUViewClass[0]);
    ASSERT_NE(cls, nullptr);
    const NSProtocol* protocol = objc_getProtocol("AUCocoaUIBase");
    EXPECT_TRUE(cls->conformsToProtocol(protocol));
    EXPECT_TRUE(cls->isSubclassOfClass(objc_getClass("NSObject")));
    Class plain = objc_getClass("OrvantaTest_Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->conformsToProtocol(protocol));
    {
        CFOwned<CFStringRef> name(NSStringFromClass(cls));
        EXPECT_EQ(Utf8(name), "OrvantaTest_View");
        NSAutoreleasePool pool;
        NSObject* factory = cls->createInstance();
        EXPECT_EQ(object_getClass(factory), cls);
        EXPECT_STREQ(factory->className(), "OrvantaTest_View");
        auto* ui = dynamic_cast<AUCocoaUIBase*>(factory);
        ASSERT_NE(ui, nullptr);
        EXPECT_EQ(ui->interfaceVersion(), 0u);
        CFOwned<CFStringRef> description(factory->description());
        EXPECT_EQ(Utf8(description), "Test View");
        NSView* view = ui->uiViewForAudioUnit(nullptr, NSMakeSize(432, 357));
        ASSERT_NE(view, nullptr);
        EXPECT_DOUBLE_EQ(view->frame().size.width, 432);
        factory->release();
    }

    EXPECT_EQ(OrvantaCFLiveObjectCount(), afterLoad);
    CFBundleUnloadExecutable(bundle);
    EXPECT_EQ(objc_getClass("OrvantaTest_View"), nullptr);
    CFRelease(bundle);
    CFRelease(info.mCocoaAUViewBundleLocation);
    CFRelease(info.mCocoaAUViewClass[0]);
    Rebaseline();
}

class Duplicate : public NSObject {};
class Subclass : public NSView {};

// Catches: a second class of the same name replacing the first, or a class
// with an unknown superclass registered with a broken chain.
TEST_F(ClassRegistry, NamesAreTakenOnceAndSuperclassesMustExist) {
    Class first = objc_getClass("NSView");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(objc_registerClass("NSView", "NSObject", [] { return new NSObject; }, typeid(Duplicate), nullptr, 0),
              nullptr);
    EXPECT_EQ(objc_getClass("NSView"), first);
    EXPECT_EQ(objc_registerClass("Orphan", "NoSuchClass", [] { return new NSObject; }, typeid(Duplicate), nullptr, 0),
              nullptr);
    {
        NSClassRegistrar<Subclass, NSView> reg("OrvantaTest_Subclass", "NSView");
        ASSERT_NE(reg.cls(), nullptr);
        EXPECT_EQ(reg.cls()->superclass(), first);
        NSObject* o = reg.cls()->createInstance();
        EXPECT_NE(dynamic_cast<NSView*>(o), nullptr);
        o->release();
    }
    EXPECT_EQ(objc_getClass("OrvantaTest_Subclass"), nullptr);
}

} // namespace
