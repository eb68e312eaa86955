// Bundles built by the test in a temporary folder: Info.plist, identifiers,
// resources, executables, uniqueness, discovery of bundles whose code was
// loaded by someone else, and the main bundle of a program inside a bundle.
#include "platform/cf_balance.h"

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string InfoPlist(const std::string& identifier, const std::string& executable, const std::string& extra = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>CFBundleIdentifier</key><string>" + identifier + "</string>\n"
           "<key>CFBundleExecutable</key><string>" + executable + "</string>\n"
           "<key>CFBundleVersion</key><string>1.3.0</string>\n"
           "<key>CFBundleDevelopmentRegion</key><string>German</string>\n" + extra +
           "</dict>\n</plist>\n";
}

void WriteFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

// A small real shared library to stand in for a bundle's executable.
fs::path SomeSharedLibrary() {
    for (const char* candidate : {"/lib/x86_64-linux-gnu/libz.so.1", "/usr/lib/x86_64-linux-gnu/libz.so.1"}) {
        if (fs::exists(candidate))
            return fs::canonical(candidate);
    }
    return {};
}

CFURLRef DirectoryURL(const fs::path& path) {
    std::string text = path.string();
    return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(text.c_str()),
                                                   static_cast<CFIndex>(text.size()), true);
}

std::string PathOf(CFURLRef url) {
    UInt8 buffer[1536];
    if (!url || !CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer))
        return "<none>";
    return reinterpret_cast<const char*>(buffer);
}

class CFBundleTest : public CFBalanced {
protected:
    static void SetUpTestSuite() {
        // Made once and kept by the library; taken before any baseline.
        CFBundleGetMainBundle();
    }

    void SetUp() override {
        char pattern[] = "/tmp/orvanta-cf-bundle-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mRoot = fs::canonical(pattern);
        mBundle = mRoot / "Orvanta.component";
        WriteFile(mBundle / "Contents/Info.plist", InfoPlist("com.zrnt.orvanta.test", "Orvanta"));
        WriteFile(mBundle / "Contents/MacOS/Orvanta", "not really code");
        WriteFile(mBundle / "Contents/Resources/img/orvanta_knob.png", "png");
        WriteFile(mBundle / "Contents/Resources/img/background.png", "png");
        WriteFile(mBundle / "Contents/Resources/img/notes.txt", "txt");
        WriteFile(mBundle / "Contents/Resources/Base.lproj/about.png", "png");
        WriteFile(mBundle / "Contents/Resources/German.lproj/hilfe.txt", "txt");
        CFBalanced::SetUp();
    }

    void TearDown() override {
        CFBalanced::TearDown();
        fs::remove_all(mRoot);
    }

    fs::path mRoot;
    fs::path mBundle;
};

TEST_F(CFBundleTest, ReadsInfoPlist) {
    CFOwned<CFURLRef> url(DirectoryURL(mBundle));
    CFOwned<CFBundleRef> bundle(CFBundleCreate(nullptr, url));
    ASSERT_TRUE(bundle);
    EXPECT_EQ(CFGetTypeID(bundle), CFBundleGetTypeID());
    EXPECT_EQ(Utf8(CFBundleGetIdentifier(bundle)), "com.zrnt.orvanta.test");
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleExecutableKey))), "Orvanta");
    EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(bundle)), 4);
    EXPECT_EQ(CFBundleGetVersionNumber(bundle), 0x01308000u);
    EXPECT_EQ(Utf8(CFBundleGetDevelopmentRegion(bundle)), "German");
    CFOwned<CFURLRef> bundleURL(CFBundleCopyBundleURL(bundle));
    EXPECT_EQ(PathOf(bundleURL), mBundle.string());
    CFOwned<CFURLRef> exe(CFBundleCopyExecutableURL(bundle));
    EXPECT_EQ(PathOf(exe), (mBundle / "Contents/MacOS/Orvanta").string());
    CFOwned<CFURLRef> resources(CFBundleCopyResourcesDirectoryURL(bundle));
    EXPECT_EQ(PathOf(resources), (mBundle / "Contents/Resources").string());
}

TEST_F(CFBundleTest, FindsResources) {
    CFOwned<CFURLRef> url(DirectoryURL(mBundle));
    CFOwned<CFBundleRef> bundle(CFBundleCreate(nullptr, url));
    CFOwned<CFURLRef> knob(CFBundleCopyResourceURL(bundle, CFSTR("orvanta_knob"), CFSTR("png"), CFSTR("img")));
    EXPECT_EQ(PathOf(knob), (mBundle / "Contents/Resources/img/orvanta_knob.png").string());
    CFOwned<CFURLRef> byFullName(CFBundleCopyResourceURL(bundle, CFSTR("background.png"), nullptr, CFSTR("img")));
    EXPECT_EQ(PathOf(byFullName), (mBundle / "Contents/Resources/img/background.png").string());
    CFOwned<CFURLRef> localized(CFBundleCopyResourceURL(bundle, CFSTR("about"), CFSTR("png"), nullptr));
    EXPECT_EQ(PathOf(localized), (mBundle / "Contents/Resources/Base.lproj/about.png").string());
    CFOwned<CFURLRef> region(CFBundleCopyResourceURL(bundle, CFSTR("hilfe"), CFSTR("txt"), nullptr));
    EXPECT_EQ(PathOf(region), (mBundle / "Contents/Resources/German.lproj/hilfe.txt").string());
    CFOwned<CFURLRef> dir(CFBundleCopyResourceURL(bundle, CFSTR("img"), nullptr, nullptr));
    EXPECT_TRUE(CFURLHasDirectoryPath(dir));
    CFOwned<CFURLRef> firstPng(CFBundleCopyResourceURL(bundle, nullptr, CFSTR("png"), CFSTR("img")));
    EXPECT_EQ(PathOf(firstPng), (mBundle / "Contents/Resources/img/background.png").string());

    EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("png"), CFSTR("img")), nullptr);
    EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("../Info"), CFSTR("plist"), nullptr), nullptr);
    EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("Info"), CFSTR("plist"), CFSTR("..")), nullptr);
    EXPECT_EQ(CFBundleCopyResourceURL(nullptr, CFSTR("about"), CFSTR("png"), nullptr), nullptr);

    CFOwned<CFArrayRef> pngs(CFBundleCopyResourceURLsOfType(bundle, CFSTR("png"), CFSTR("img")));
    ASSERT_EQ(CFArrayGetCount(pngs), 2);
    EXPECT_EQ(PathOf(static_cast<CFURLRef>(CFArrayGetValueAtIndex(pngs, 1))),
              (mBundle / "Contents/Resources/img/orvanta_knob.png").string());
}

TEST_F(CFBundleTest, OneObjectPerDirectoryWhileAlive) {
    CFOwned<CFURLRef> url(DirectoryURL(mBundle));
    CFOwned<CFURLRef> dotted(DirectoryURL(mRoot / "." / "Orvanta.component"));
    CFBundleRef a = CFBundleCreate(nullptr, url);
    CFBundleRef b = CFBundleCreate(nullptr, dotted);
    EXPECT_EQ(a, b);
    EXPECT_EQ(CFGetRetainCount(a), 2);
    CFOwned<CFStringRef> id(CFStringCreateWithCString(nullptr, "com.zrnt.orvanta.test", kCFStringEncodingUTF8));
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), a) << "opened bundles are found by identifier";
    CFRelease(a);
    CFRelease(b);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), nullptr) << "a released bundle is forgotten";
}

TEST_F(CFBundleTest, DamagedOrMissingInfoPlist) {
    WriteFile(mBundle / "Contents/Info.plist", "<plist><dict><key>CFBundleIdentifier</key>");
    CFOwned<CFURLRef> url(DirectoryURL(mBundle));
    CFOwned<CFBundleRef> damaged(CFBundleCreate(nullptr, url));
    ASSERT_TRUE(damaged);
    EXPECT_EQ(CFBundleGetIdentifier(damaged), nullptr);
    EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(damaged)), 0);
    EXPECT_EQ(CFBundleCopyExecutableURL(damaged), nullptr);
    EXPECT_EQ(CFBundleGetVersionNumber(damaged), 0u);
    EXPECT_FALSE(CFBundleLoadExecutable(damaged));

    fs::path empty = mRoot / "Empty.component";
    fs::create_directories(empty);
    CFOwned<CFURLRef> emptyURL(DirectoryURL(empty));
    CFOwned<CFBundleRef> bare(CFBundleCreate(nullptr, emptyURL));
    ASSERT_TRUE(bare);
    EXPECT_EQ(CFBundleGetIdentifier(bare), nullptr);

    WriteFile(mRoot / "plain-file", "x");
    CFOwned<CFURLRef> fileURL(DirectoryURL(mRoot / "plain-file"));
    EXPECT_EQ(CFBundleCreate(nullptr, fileURL), nullptr);
    CFOwned<CFURLRef> missing(DirectoryURL(mRoot / "Nowhere.component"));
    EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
    EXPECT_EQ(CFBundleCreate(nullptr, nullptr), nullptr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(nullptr), nullptr);
}

TEST_F(CFBundleTest, ExecutableThatIsNotCodeDoesNotLoad) {
    CFOwned<CFURLRef> url(DirectoryURL(mBundle));
    CFOwned<CFBundleRef> bundle(CFBundleCreate(nullptr, url));
    EXPECT_FALSE(CFBundleLoadExecutable(bundle));
    EXPECT_FALSE(CFBundleIsExecutableLoaded(bundle));
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("Orvanta_Entry")), nullptr);
}

TEST_F(CFBundleTest, LoadsCodeAndFindsSymbols) {
    fs::path library = SomeSharedLibrary();
    if (library.empty())
        GTEST_SKIP() << "no shared library to stand in for bundle code";
    fs::copy_file(library, mBundle / "Contents/MacOS/Orvanta", fs::copy_options::overwrite_existing);
    {
        CFOwned<CFURLRef> url(DirectoryURL(mBundle));
        CFBundleRef bundle = CFBundleCreate(nullptr, url);
        ASSERT_NE(bundle, nullptr);
        EXPECT_NE(CFBundleGetFunctionPointerForName(bundle, CFSTR("zlibVersion")), nullptr);
        EXPECT_TRUE(CFBundleIsExecutableLoaded(bundle));
        EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("NoSuchSymbol")), nullptr);
        CFRelease(bundle);
        // Bundles with loaded code stay registered for the life of the process.
        CFOwned<CFStringRef> id(CFStringCreateWithCString(nullptr, "com.zrnt.orvanta.test", kCFStringEncodingUTF8));
        EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), bundle);
    }
    Rebaseline();
}

// Catches loading that hands a truncated executable to the loader: its
// missing pages would fault (SIGBUS) when first touched, killing the host.
TEST_F(CFBundleTest, TruncatedExecutableIsRefusedNotMapped) {
    fs::path library = SomeSharedLibrary();
    if (library.empty())
        GTEST_SKIP() << "no shared library to stand in for bundle code";
    const fs::path executable = mBundle / "Contents/MacOS/Orvanta";
    fs::copy_file(library, executable, fs::copy_options::overwrite_existing);
    fs::resize_file(executable, fs::file_size(executable) / 2);
    CFOwned<CFURLRef> url(DirectoryURL(mBundle));
    CFOwned<CFBundleRef> bundle(CFBundleCreate(nullptr, url));
    ASSERT_NE(bundle.get(), nullptr);
    EXPECT_FALSE(CFBundleLoadExecutable(bundle));
    EXPECT_FALSE(CFBundleIsExecutableLoaded(bundle));
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("zlibVersion")), nullptr);
    std::ifstream maps("/proc/self/maps");
    const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    EXPECT_EQ(mapped.find(executable.string()), std::string::npos) << "the damaged file reached the loader";
}

TEST_F(CFBundleTest, PluginFindsItsOwnBundleAfterTheHostLoadedIt) {
    fs::path library = SomeSharedLibrary();
    if (library.empty())
        GTEST_SKIP() << "no shared library to stand in for bundle code";
    fs::path plug = mRoot / "Plug.component";
    WriteFile(plug / "Contents/Info.plist", InfoPlist("com.example.hostloaded", "Plug"));
    fs::create_directories(plug / "Contents/MacOS");
    fs::copy_file(library, plug / "Contents/MacOS/Plug");
    // The host maps the code itself, without asking CoreFoundation.
    void* handle = dlopen((plug / "Contents/MacOS/Plug").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    {
        CFOwned<CFStringRef> id(CFStringCreateWithCString(nullptr, "com.example.hostloaded", kCFStringEncodingUTF8));
        CFBundleRef found = CFBundleGetBundleWithIdentifier(id);
        ASSERT_NE(found, nullptr);
        CFOwned<CFURLRef> where(CFBundleCopyBundleURL(found));
        EXPECT_EQ(PathOf(where), plug.string());
        EXPECT_TRUE(CFBundleIsExecutableLoaded(found));
        CFIndex live = OrvantaCFLiveObjectCount();
        EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), found);
        EXPECT_EQ(OrvantaCFLiveObjectCount(), live) << "a second search makes nothing new";
    }
    Rebaseline();
}

TEST_F(CFBundleTest, BundleDirectoryOfAnExecutable) {
    CFOwned<CFURLRef> inBundle(OrvantaCFCopyBundleURLForExecutablePath("/Applications/Host.app/Contents/MacOS/Host"));
    EXPECT_EQ(PathOf(inBundle), "/Applications/Host.app");
    EXPECT_EQ(OrvantaCFCopyBundleURLForExecutablePath("/usr/bin/host"), nullptr);
    EXPECT_EQ(OrvantaCFCopyBundleURLForExecutablePath("/x/Contents/MacOS/sub/host"), nullptr);
    EXPECT_EQ(OrvantaCFCopyBundleURLForExecutablePath(nullptr), nullptr);
}

TEST_F(CFBundleTest, MainBundleOfAProgramOutsideABundle) {
    CFBundleRef main = CFBundleGetMainBundle();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(CFBundleGetMainBundle(), main);
    if (getenv("ORVANTA_CF_EXPECT_MAIN_ID"))
        GTEST_SKIP() << "running inside a bundle";
    EXPECT_EQ(CFBundleGetIdentifier(main), nullptr);
    char exe[1024] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    CFOwned<CFURLRef> exeURL(CFBundleCopyExecutableURL(main));
    EXPECT_EQ(PathOf(exeURL), exe);
    CFOwned<CFURLRef> folder(CFBundleCopyBundleURL(main));
    EXPECT_EQ(PathOf(folder), fs::path(exe).parent_path().string());
}

// Run by MainBundleOfAProgramInsideABundle in a copy of this program placed in a bundle.
TEST(CFBundleInside, MainBundleIsTheEnclosingBundle) {
    const char* expected = getenv("ORVANTA_CF_EXPECT_MAIN_ID");
    if (!expected)
        GTEST_SKIP() << "only meaningful inside a bundle";
    CFBundleRef main = CFBundleGetMainBundle();
    EXPECT_EQ(Utf8(CFBundleGetIdentifier(main)), expected);
    CFOwned<CFStringRef> id(CFStringCreateWithCString(nullptr, expected, kCFStringEncodingUTF8));
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), main);
    CFOwned<CFURLRef> exe(CFBundleCopyExecutableURL(main));
    char self[1024] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_EQ(PathOf(exe), self);
}

TEST_F(CFBundleTest, MainBundleOfAProgramInsideABundle) {
    if (getenv("ORVANTA_CF_EXPECT_MAIN_ID"))
        GTEST_SKIP();
    fs::path app = mRoot / "Host.app";
    WriteFile(app / "Contents/Info.plist", InfoPlist("com.example.testhost", "testhost"));
    fs::create_directories(app / "Contents/MacOS");
    fs::path exe = app / "Contents/MacOS/testhost";
    fs::copy_file(fs::read_symlink("/proc/self/exe"), exe);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("ORVANTA_CF_EXPECT_MAIN_ID", "com.example.testhost", 1);
        execl(exe.c_str(), exe.c_str(), "--gtest_filter=CFBundleInside.*", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy inside the bundle failed its checks";
}

} // namespace
