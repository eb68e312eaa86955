// URLs for file paths: made from paths, turned back into paths, relative to
// a base, and taken apart.
#include "platform/cf_balance.h"

#include <unistd.h>

namespace {

using CFURLTest = CFBalanced;

std::string FsPath(CFURLRef url, bool resolve = true) {
    UInt8 buffer[1536];
    if (!CFURLGetFileSystemRepresentation(url, resolve, buffer, sizeof buffer))
        return "<none>";
    return reinterpret_cast<const char*>(buffer);
}

TEST_F(CFURLTest, AbsolutePathRoundTrip) {
    CFOwned<CFURLRef> url(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/Library/Audio/Plug-Ins/Orvanta 1.3 \xC3\xBC.component"),
                                                        kCFURLPOSIXPathStyle, true));
    ASSERT_TRUE(url);
    EXPECT_EQ(Utf8(CFURLGetString(url)), "file:///Library/Audio/Plug-Ins/Orvanta%201.3%20%C3%BC.component/");
    EXPECT_TRUE(CFURLHasDirectoryPath(url));
    CFOwned<CFStringRef> path(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
    EXPECT_EQ(Utf8(path), "/Library/Audio/Plug-Ins/Orvanta 1.3 \xC3\xBC.component");
    EXPECT_EQ(FsPath(url), "/Library/Audio/Plug-Ins/Orvanta 1.3 \xC3\xBC.component");
    CFOwned<CFStringRef> last(CFURLCopyLastPathComponent(url));
    EXPECT_EQ(Utf8(last), "Orvanta 1.3 \xC3\xBC.component");
    CFOwned<CFStringRef> ext(CFURLCopyPathExtension(url));
    EXPECT_EQ(Utf8(ext), "component");
    CFOwned<CFStringRef> scheme(CFURLCopyScheme(url));
    EXPECT_EQ(Utf8(scheme), "file");
}

TEST_F(CFURLTest, FileSystemRepresentationBothWays) {
    const char* raw = "/tmp/res/img/knob#1?.png";
    CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(raw),
                                                                  static_cast<CFIndex>(strlen(raw)), false));
    EXPECT_EQ(Utf8(CFURLGetString(url)), "file:///tmp/res/img/knob%231%3F.png");
    EXPECT_EQ(FsPath(url), raw);
    EXPECT_FALSE(CFURLHasDirectoryPath(url));
    UInt8 tiny[8];
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, tiny, sizeof tiny));
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(nullptr, true, tiny, sizeof tiny));
    EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(nullptr, nullptr, 3, false), nullptr);
}

TEST_F(CFURLTest, RelativePathsUseTheWorkingDirectory) {
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    CFOwned<CFURLRef> url(CFURLCreateWithFileSystemPath(nullptr, CFSTR("sub/file.txt"), kCFURLPOSIXPathStyle, false));
    ASSERT_NE(CFURLGetBaseURL(url), nullptr);
    EXPECT_EQ(Utf8(CFURLGetString(url)), "sub/file.txt");
    CFOwned<CFStringRef> relative(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
    EXPECT_EQ(Utf8(relative), "sub/file.txt");
    EXPECT_EQ(FsPath(url, false), "sub/file.txt");
    std::string expected = std::string(cwd) + (strcmp(cwd, "/") == 0 ? "" : "/") + "sub/file.txt";
    EXPECT_EQ(FsPath(url, true), expected);
    CFOwned<CFURLRef> absolute(CFURLCopyAbsoluteURL(url));
    EXPECT_EQ(CFURLGetBaseURL(absolute), nullptr);
    EXPECT_EQ(FsPath(absolute), expected);
}

TEST_F(CFURLTest, StringsAndBases) {
    CFOwned<CFURLRef> base(CFURLCreateWithString(nullptr, CFSTR("file:///a/b/c/"), nullptr));
    CFOwned<CFURLRef> up(CFURLCreateWithString(nullptr, CFSTR("../d/e.png"), base));
    EXPECT_EQ(FsPath(up), "/a/b/d/e.png");
    CFOwned<CFURLRef> web(CFURLCreateWithString(nullptr, CFSTR("http://user@www.example.com:8080/x?q=1#top"), nullptr));
    ASSERT_TRUE(web);
    CFOwned<CFStringRef> host(CFURLCopyHostName(web));
    EXPECT_EQ(Utf8(host), "www.example.com");
    EXPECT_EQ(FsPath(web), "<none>") << "not a file URL";
    EXPECT_EQ(CFURLCopyFileSystemPath(web, kCFURLPOSIXPathStyle), nullptr);
    EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("has space"), nullptr), nullptr);
    EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("bad%zzescape"), nullptr), nullptr);
    EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR(""), nullptr), nullptr);
    CFOwned<CFURLRef> same(CFURLCreateWithString(nullptr, CFSTR("file:///a/b/c/"), nullptr));
    EXPECT_TRUE(CFEqual(same, base));
    EXPECT_EQ(CFHash(same), CFHash(base));
    CFOwned<CFStringRef> description(CFCopyDescription(up));
    EXPECT_EQ(Utf8(description), "../d/e.png -- file:///a/b/c/");
}

TEST_F(CFURLTest, PathEditing) {
    CFOwned<CFURLRef> dir(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/x/Orvanta.component"), kCFURLPOSIXPathStyle, true));
    CFOwned<CFURLRef> contents(CFURLCreateCopyAppendingPathComponent(nullptr, dir, CFSTR("Contents"), true));
    CFOwned<CFURLRef> plist(CFURLCreateCopyAppendingPathComponent(nullptr, contents, CFSTR("Info.plist"), false));
    EXPECT_EQ(FsPath(plist), "/x/Orvanta.component/Contents/Info.plist");
    CFOwned<CFURLRef> parent(CFURLCreateCopyDeletingLastPathComponent(nullptr, plist));
    EXPECT_EQ(Utf8(CFURLGetString(parent)), "file:///x/Orvanta.component/Contents/");
    CFOwned<CFURLRef> bare(CFURLCreateCopyDeletingPathExtension(nullptr, dir));
    EXPECT_EQ(Utf8(CFURLGetString(bare)), "file:///x/Orvanta/");
    CFOwned<CFURLRef> vst(CFURLCreateCopyAppendingPathExtension(nullptr, bare, CFSTR("vst")));
    EXPECT_EQ(Utf8(CFURLGetString(vst)), "file:///x/Orvanta.vst/");
    CFOwned<CFURLRef> root(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/"), kCFURLPOSIXPathStyle, true));
    CFOwned<CFStringRef> rootName(CFURLCopyLastPathComponent(root));
    EXPECT_EQ(Utf8(rootName), "/");
    EXPECT_EQ(FsPath(root), "/");
    EXPECT_EQ(CFURLCopyPathExtension(root), nullptr);
}

TEST_F(CFURLTest, BadArguments) {
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, nullptr, kCFURLPOSIXPathStyle, false), nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR(""), kCFURLPOSIXPathStyle, false), nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR("C:\\x"), kCFURLWindowsPathStyle, false), nullptr);
    EXPECT_EQ(CFURLCopyFileSystemPath(nullptr, kCFURLPOSIXPathStyle), nullptr);
    EXPECT_EQ(CFURLGetString(nullptr), nullptr);
    CFOwned<CFURLRef> escapedNul(CFURLCreateWithString(nullptr, CFSTR("file:///a%00b"), nullptr));
    EXPECT_EQ(FsPath(escapedNul), "<none>");
}

TEST_F(CFURLTest, Reachability) {
    CFOwned<CFURLRef> here(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/"), kCFURLPOSIXPathStyle, true));
    EXPECT_TRUE(CFURLResourceIsReachable(here, nullptr));
    CFOwned<CFURLRef> missing(CFURLCreateWithFileSystemPath(nullptr, CFSTR("/no/such/file"), kCFURLPOSIXPathStyle, false));
    CFErrorRef error = nullptr;
    EXPECT_FALSE(CFURLResourceIsReachable(missing, &error));
    ASSERT_NE(error, nullptr);
    EXPECT_TRUE(CFEqual(CFErrorGetDomain(error), kCFErrorDomainPOSIX));
    CFRelease(error);
}

TEST_F(CFURLTest, PercentEscapes) {
    CFOwned<CFStringRef> all(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("a%20b%2Fc"), CFSTR("")));
    EXPECT_EQ(Utf8(all), "a b/c");
    CFOwned<CFStringRef> keep(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("a%20b%2Fc"), CFSTR("/")));
    EXPECT_EQ(Utf8(keep), "a b%2Fc");
    CFOwned<CFStringRef> none(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("a%20b"), nullptr));
    EXPECT_EQ(Utf8(none), "a%20b");
    EXPECT_EQ(CFURLCreateStringByReplacingPercentEscapes(nullptr, CFSTR("%FF"), CFSTR("")), nullptr);
}

} // namespace
