// Component bundles on disk: the scan of AUDIO_COMPONENT_PATH and the home
// folder, loading the executable on first open, explicit registration, and
// every kind of broken bundle. The bundles are built in a temporary folder
// before the first platform call, since the scan runs once per process.
//
// Damaged executables (truncated anywhere, a segment reaching past the end of
// the file) fault with SIGBUS on the first touch of a missing page once
// mapped, so each must be refused before it reaches the loader, and a later
// bundle of the same identity must be opened in its place.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/OrvantaCFTesting.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

OSType Code(const char* text) {
    return (static_cast<OSType>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<OSType>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<OSType>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<OSType>(static_cast<unsigned char>(text[3]));
}

const OSType kManufacturer = Code("Orvt");

fs::path root;

struct Entry {
    const char* type;
    const char* subtype;
    const char* manufacturer;
    const char* name;
    long version;  // < 0: no version key
    const char* factory;
};

std::string Key(const char* key, const char* value) {
    return value == nullptr ? std::string() : "<key>" + std::string(key) + "</key><string>" + value + "</string>";
}

std::string EntryXml(const Entry& e) {
    std::string xml = "<dict>" + Key("type", e.type) + Key("subtype", e.subtype) +
                      Key("manufacturer", e.manufacturer) + Key("name", e.name) + Key("factoryFunction", e.factory);
    if (e.version >= 0) {
        xml += "<key>version</key><integer>" + std::to_string(e.version) + "</integer>";
    }
    return xml + "</dict>";
}

std::string Plist(const std::string& identifier, const std::string& components, bool withArray = true) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\"><dict>"
        "<key>CFBundleExecutable</key><string>TestComponent</string>"
        "<key>CFBundleIdentifier</key><string>" +
        identifier + "</string>";
    if (withArray) {
        xml += "<key>AudioComponents</key><array>" + components + "</array>";
    }
    return xml + "</dict></plist>\n";
}

enum class Executable { Library, Missing, Garbage };

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

fs::path ExecutableOf(const fs::path& bundle) {
    return bundle / "Contents" / "MacOS" / "TestComponent";
}

fs::path MakeBundle(const fs::path& directory, const std::string& name, const std::string* plist,
                    Executable executable) {
    fs::path bundle = directory / name;
    fs::create_directories(bundle / "Contents" / "MacOS");
    if (plist != nullptr) {
        WriteFile(bundle / "Contents" / "Info.plist", *plist);
    }
    if (executable == Executable::Library) {
        fs::copy_file(AU_TEST_COMPONENT_LIBRARY, ExecutableOf(bundle));
    } else if (executable == Executable::Garbage) {
        WriteFile(ExecutableOf(bundle), "this is not an executable\n");
    }
    return bundle;
}

fs::path MakeBundle(const fs::path& directory, const std::string& name, const std::string& plist,
                    Executable executable = Executable::Library) {
    return MakeBundle(directory, name, &plist, executable);
}

// A bundle of one effect component whose executable holds `bytes`.
fs::path MakeBundleWith(const fs::path& directory, const std::string& name, const char* subtype, long version,
                        const std::string& bytes) {
    std::string plist = Plist("com.orvanta.test." + name, EntryXml({"aufx", subtype, "Orvt", "Loading", version,
                                                                   "TestComponentEntry"}));
    fs::path bundle = MakeBundle(directory, name, &plist, Executable::Missing);
    WriteFile(ExecutableOf(bundle), bytes);
    return bundle;
}

std::string Library() {
    std::ifstream in(AU_TEST_COMPONENT_LIBRARY, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ElfW(Ehdr) HeaderOf(const std::string& image) {
    ElfW(Ehdr) header;
    std::memcpy(&header, image.data(), sizeof header);
    return header;
}

size_t SegmentOffset(const std::string& image, size_t index) {
    return HeaderOf(image).e_phoff + index * sizeof(ElfW(Phdr));
}

ElfW(Phdr) Segment(const std::string& image, size_t index) {
    ElfW(Phdr) segment;
    std::memcpy(&segment, image.data() + SegmentOffset(image, index), sizeof segment);
    return segment;
}

// The program header indices of the library's loadable segments, in order.
std::vector<size_t> LoadSegments(const std::string& image) {
    std::vector<size_t> loads;
    for (size_t i = 0; i < HeaderOf(image).e_phnum; ++i) {
        ElfW(Phdr) segment = Segment(image, i);
        if (segment.p_type == PT_LOAD && segment.p_filesz > 0) {
            loads.push_back(i);
        }
    }
    return loads;
}

// The library cut in the middle of a segment's bytes.
std::string CutInside(const std::string& image, size_t index) {
    ElfW(Phdr) segment = Segment(image, index);
    return image.substr(0, segment.p_offset + segment.p_filesz / 2);
}

class BundleFolders : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/orvanta-au-bundles-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::path a = root / "pathA";
        fs::path b = root / "pathB";
        fs::path extra = root / "extra";
        fs::path home = root / "home";

        MakeBundle(a, "Good.component",
                   Plist("com.orvanta.test.good",
                         EntryXml({"aufx", "tst1", "Orvt", "Orvanta: Test One", 65536, "TestComponentEntry"}) +
                             EntryXml({"aufx", "tst2", "Orvt", "Missing Symbol", 1, "NoSuchEntry"}) +
                             EntryXml({"auf", "bad1", "Orvt", "Short type", 1, "TestComponentEntry"}) +
                             EntryXml({"aufxx", "bad2", "Orvt", "Long type", 1, "TestComponentEntry"}) +
                             EntryXml({"aufx", nullptr, "Orvt", "No subtype", 1, "TestComponentEntry"}) +
                             EntryXml({"aufx", "bad4", "Orvt", "Empty factory", 1, ""}) +
                             EntryXml({"aufx", "bad5", "Orv\xc3\xa9", "Not ASCII", 1, "TestComponentEntry"}) +
                             EntryXml({"aufx", "bad6", "Orvt", "No factory", 1, nullptr}) +
                             "<string>not a dictionary</string>"));
        MakeBundle(a, "Dup.component",
                   Plist("com.orvanta.test.dup",
                         EntryXml({"aufx", "tst3", "Orvt", "Old", 1, "TestComponentEntry"})));
        MakeBundle(a, "Garbage.component", std::string("not a plist \x01\x02 <dict>", 21));
        MakeBundle(a, "NoPlist.component", nullptr, Executable::Library);
        MakeBundle(a, "NoExec.component",
                   Plist("com.orvanta.test.noexec",
                         EntryXml({"aufx", "tst4", "Orvt", "No executable", 1, "TestComponentEntry"})),
                   Executable::Missing);
        MakeBundle(a, "NoArray.component", Plist("com.orvanta.test.noarray", "", false));
        MakeBundle(a, "BadExe.component",
                   Plist("com.orvanta.test.badexe",
                         EntryXml({"aufx", "tst6", "Orvt", "Bad executable", 1, "TestComponentEntry"})),
                   Executable::Garbage);
        MakeBundle(a, "Other.bundle",
                   Plist("com.orvanta.test.other",
                         EntryXml({"aufx", "tst7", "Orvt", "Wrong extension", 1, "TestComponentEntry"})));
        WriteFile(a / "File.component", "a file, not a bundle");

        MakeBundle(b, "Newer.component",
                   Plist("com.orvanta.test.newer",
                         EntryXml({"aufx", "tst3", "Orvt", "New", 2, "TestComponentEntry"})));
        MakeBundle(b, "Tie.component",
                   Plist("com.orvanta.test.tie",
                         EntryXml({"aufx", "tst1", "Orvt", "Tie", 65536, "TestComponentEntry"})));

        // Equal versions keep the earlier bundle, so the damaged ones in pathA
        // are listed; for lfb3 a later, higher version supersedes a whole one.
        const std::string image = Library();
        const std::string cut = CutInside(image, LoadSegments(image).back());
        MakeBundleWith(a, "Cut.component", "lfb1", 1, cut);
        MakeBundleWith(b, "Whole.component", "lfb1", 1, image);
        MakeBundleWith(a, "Junk.component", "lfb2", 1, "not an executable\n");
        MakeBundleWith(b, "Whole2.component", "lfb2", 1, image);
        MakeBundleWith(a, "OldWhole.component", "lfb3", 2, image);
        MakeBundleWith(b, "NewCut.component", "lfb3", 5, cut);
        MakeBundleWith(a, "Lone.component", "lfb4", 1, cut);

        MakeBundle(home / "Library/Audio/Plug-Ins/Components", "Home.component",
                   Plist("com.orvanta.test.home",
                         EntryXml({"aumf", "tst8", "Orvt", "Home", -1, "TestComponentEntry"})));

        MakeBundle(extra, "Extra.component",
                   Plist("com.orvanta.test.extra",
                         EntryXml({"aufx", "tst9", "Orvt", "Extra", 3, "TestComponentEntry"})));
        MakeBundle(extra, "ExtraOld.component",
                   Plist("com.orvanta.test.extraold",
                         EntryXml({"aufx", "tst3", "Orvt", "Older still", 1, "TestComponentEntry"})));
        MakeBundle(extra, "ExtraGarbage.component", std::string("\x00\x01garbage", 9));
        MakeBundle(extra, "ExtraNoArray.component", Plist("com.orvanta.test.extranoarray", "", false));
        MakeBundle(extra, "ExtraBadEntries.component",
                   Plist("com.orvanta.test.extrabad",
                         EntryXml({"aufx", "tsta", "Orvt", "No factory", 1, nullptr})));

        std::string path = a.string() + "::" + (root / "missing").string() + ":" + b.string();
        setenv("AUDIO_COMPONENT_PATH", path.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

const auto* const folders = ::testing::AddGlobalTestEnvironment(new BundleFolders);

AudioComponent Find(const char* subtype, OSType type = 0) {
    AudioComponentDescription desc{type, Code(subtype), kManufacturer, 0, 0};
    return AudioComponentFindNext(nullptr, &desc);
}

UInt32 CountSubtype(const char* subtype) {
    AudioComponentDescription desc{0, Code(subtype), 0, 0, 0};
    return AudioComponentCount(&desc);
}

std::string NameOf(AudioComponent component) {
    CFStringRef name = nullptr;
    if (AudioComponentCopyName(component, &name) != noErr) {
        return "<none>";
    }
    char text[256] = {};
    CFStringGetCString(name, text, sizeof text, kCFStringEncodingUTF8);
    CFRelease(name);
    return text;
}

UInt32 VersionOf(AudioComponent component) {
    UInt32 version = 0xDEAD;
    AudioComponentGetVersion(component, &version);
    return version;
}

int CloseCountOf(const fs::path& bundle) {
    std::string exe = (bundle / "Contents/MacOS/TestComponent").string();
    void* library = dlopen(exe.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) {
        return -1;
    }
    auto count = reinterpret_cast<int (*)()>(dlsym(library, "TestComponentCloseCount"));
    int result = count != nullptr ? count() : -1;
    dlclose(library);
    return result;
}

TEST(AudioComponentBundleTest, ScanListsUsableComponentsFromPathAndHome) {
    AudioComponent one = Find("tst1", kAudioUnitType_Effect);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(NameOf(one), "Orvanta: Test One");
    EXPECT_EQ(VersionOf(one), 65536u);
    AudioComponentDescription desc{};
    ASSERT_EQ(AudioComponentGetDescription(one, &desc), noErr);
    EXPECT_EQ(desc.componentType, kAudioUnitType_Effect);
    EXPECT_EQ(desc.componentManufacturer, kManufacturer);

    // A missing symbol or a broken executable only shows on open.
    EXPECT_NE(Find("tst2"), nullptr);
    EXPECT_NE(Find("tst6"), nullptr);

    AudioComponent home = Find("tst8");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(VersionOf(home), 0u);
    AudioComponentDescription music{kAudioUnitType_MusicEffect, 0, kManufacturer, 0, 0};
    EXPECT_EQ(AudioComponentFindNext(nullptr, &music), home);
}

TEST(AudioComponentBundleTest, BrokenBundlesAndEntriesAreSkipped) {
    for (const char* subtype : {"bad1", "bad2", "bad4", "bad5", "bad6", "tst4", "tst5", "tst7"}) {
        EXPECT_EQ(CountSubtype(subtype), 0u) << subtype;
    }
    // The entry without a subtype must not have been registered as a wildcard.
    AudioComponentDescription good{0, 0, kManufacturer, 0, 0};
    AudioComponent c = nullptr;
    while ((c = AudioComponentFindNext(c, &good)) != nullptr) {
        AudioComponentDescription desc{};
        ASSERT_EQ(AudioComponentGetDescription(c, &desc), noErr);
        EXPECT_NE(desc.componentSubType, 0u);
    }
}

TEST(AudioComponentBundleTest, HigherVersionWinsAndTiesKeepTheEarlierBundle) {
    EXPECT_EQ(CountSubtype("tst3"), 1u);
    EXPECT_EQ(NameOf(Find("tst3")), "New");
    EXPECT_EQ(VersionOf(Find("tst3")), 2u);
    EXPECT_EQ(CountSubtype("tst1"), 1u);
    EXPECT_EQ(NameOf(Find("tst1")), "Orvanta: Test One");
}

TEST(AudioComponentBundleTest, OpenLoadsTheExecutableAndDrivesIt) {
    AudioComponent one = Find("tst1");
    ASSERT_NE(one, nullptr);
    AudioComponentInstance a = nullptr;
    AudioComponentInstance b = nullptr;
    ASSERT_EQ(AudioComponentInstanceNew(one, &a), noErr);
    ASSERT_EQ(AudioComponentInstanceNew(one, &b), noErr);
    EXPECT_NE(GetComponentInstanceStorage(a), nullptr);
    EXPECT_NE(GetComponentInstanceStorage(a), GetComponentInstanceStorage(b));

    AudioUnitParameterValue value = 0;
    ASSERT_EQ(AudioUnitGetParameter(a, 1, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, 0.5f);
    ASSERT_EQ(AudioUnitSetParameter(a, 1, kAudioUnitScope_Global, 0, 0.9f, 0), noErr);
    ASSERT_EQ(AudioUnitGetParameter(a, 1, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, 0.9f);
    ASSERT_EQ(AudioUnitGetParameter(b, 1, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, 0.5f);
    EXPECT_EQ(AudioUnitGetParameter(a, 7, kAudioUnitScope_Global, 0, &value), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitInitialize(a), noErr);
    EXPECT_EQ(AudioUnitReset(a, 0, 0), badComponentSelector);
    EXPECT_EQ(GetComponentVersion(a), 0x10300);

    ComponentDescription desc{};
    ASSERT_EQ(GetComponentInfo(reinterpret_cast<Component>(a), &desc, nullptr, nullptr, nullptr), noErr);
    EXPECT_EQ(desc.componentSubType, Code("tst1"));

    // The plug-in finds its own bundle by identifier once its code is loaded.
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.orvanta.test.good"));
    EXPECT_NE(bundle, nullptr);

    fs::path good = root / "pathA/Good.component";
    int closed = CloseCountOf(good);
    ASSERT_GE(closed, 0);
    EXPECT_EQ(AudioComponentInstanceDispose(a), noErr);
    EXPECT_EQ(CloseComponent(b), noErr);
    EXPECT_EQ(CloseCountOf(good), closed + 2);
    EXPECT_EQ(AudioUnitInitialize(a), badComponentInstance);

    // The Component Manager names reach the same registration.
    ComponentDescription looking{kAudioUnitType_Effect, Code("tst1"), kManufacturer, 0, 0};
    Component component = FindNextComponent(nullptr, &looking);
    ASSERT_EQ(reinterpret_cast<void*>(component), reinterpret_cast<void*>(one));
    ComponentInstance ci = nullptr;
    ASSERT_EQ(OpenAComponent(component, &ci), noErr);
    EXPECT_EQ(CountComponentInstances(component), 1);
    EXPECT_EQ(CloseComponent(ci), noErr);
}

TEST(AudioComponentBundleTest, MissingSymbolAndBrokenExecutableFailToOpen) {
    AudioComponentInstance instance = reinterpret_cast<AudioComponentInstance>(1);
    EXPECT_EQ(AudioComponentInstanceNew(Find("tst2"), &instance), componentDllEntryNotFoundErr);
    EXPECT_EQ(instance, nullptr);
    EXPECT_EQ(AudioComponentInstanceNew(Find("tst6"), &instance), componentDllLoadErr);
    EXPECT_EQ(instance, nullptr);
    // Asking again gives the same answer rather than a half-loaded component.
    ComponentInstance ci = nullptr;
    EXPECT_EQ(OpenAComponent(reinterpret_cast<Component>(Find("tst6")), &ci), componentDllLoadErr);
    EXPECT_EQ(OpenAComponent(reinterpret_cast<Component>(Find("tst2")), &ci), componentDllEntryNotFoundErr);
    EXPECT_EQ(ci, nullptr);
}

TEST(AudioComponentBundleTest, ExplicitRegistration) {
    fs::path extra = root / "extra";
    EXPECT_EQ(Find("tst9"), nullptr);
    long seed = GetComponentListModSeed();
    ASSERT_EQ(AudioComponentRegisterBundle((extra / "Extra.component").c_str()), noErr);
    EXPECT_NE(GetComponentListModSeed(), seed);
    AudioComponent added = Find("tst9");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(VersionOf(added), 3u);
    AudioComponentInstance instance = nullptr;
    ASSERT_EQ(AudioComponentInstanceNew(added, &instance), noErr);
    EXPECT_EQ(AudioComponentInstanceDispose(instance), noErr);

    // Registering a bundle twice, or one the scan found, adds nothing.
    std::string relative = (extra / "Extra.component/../Extra.component").string();
    EXPECT_EQ(AudioComponentRegisterBundle(relative.c_str()), noErr);
    EXPECT_EQ(CountSubtype("tst9"), 1u);
    EXPECT_EQ(AudioComponentRegisterBundle((root / "pathA/Good.component").c_str()), noErr);
    EXPECT_EQ(CountSubtype("tst1"), 1u);

    EXPECT_EQ(AudioComponentRegisterBundle((extra / "ExtraOld.component").c_str()),
              kAudioComponentErr_DuplicateDescription);
    EXPECT_EQ(VersionOf(Find("tst3")), 2u);
    EXPECT_EQ(AudioComponentRegisterBundle((extra / "ExtraGarbage.component").c_str()), kAudio_FileNotFoundError);
    EXPECT_EQ(AudioComponentRegisterBundle((extra / "ExtraNoArray.component").c_str()), invalidComponentID);
    EXPECT_EQ(AudioComponentRegisterBundle((extra / "ExtraBadEntries.component").c_str()), invalidComponentID);
    EXPECT_EQ(AudioComponentRegisterBundle((root / "pathA/NoExec.component").c_str()), invalidComponentID);
    EXPECT_EQ(AudioComponentRegisterBundle((root / "pathA/File.component").c_str()), kAudio_FileNotFoundError);
    EXPECT_EQ(AudioComponentRegisterBundle((root / "nowhere.component").c_str()), kAudio_FileNotFoundError);
    EXPECT_EQ(AudioComponentRegisterBundle(""), kAudio_ParamError);
    EXPECT_EQ(AudioComponentRegisterBundle(nullptr), kAudio_ParamError);
    EXPECT_EQ(CountSubtype("tsta"), 0u);
}

TEST(AudioComponentBundleTest, NamesAreHandedOverWithoutLeaks) {
    AudioComponent one = Find("tst1");
    ASSERT_NE(one, nullptr);
    CFIndex live = OrvantaCFLiveObjectCount();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(NameOf(one), "Orvanta: Test One");
    }
    EXPECT_EQ(OrvantaCFLiveObjectCount(), live);
    EXPECT_EQ(OrvantaCFOverReleaseCount(), 0);
}

bool Mapped(const fs::path& executable) {
    void* library = dlopen(executable.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library != nullptr) {
        dlclose(library);
    }
    return library != nullptr;
}

// Catches a damaged executable reaching the loader (the process dies of
// SIGBUS) and a failed load that ends the search instead of falling back to
// the next bundle with the same type, subtype and manufacturer: the later
// bundle of an equal version for lfb1 and lfb2, the superseded lower version
// for lfb3.
TEST(AudioComponentLoading, ADamagedExecutableFallsBackToTheNextBundleOfItsIdentity) {
    struct Case {
        const char* subtype;
        const char* damaged;
        const char* whole;
    };
    for (const Case& c : {Case{"lfb1", "pathA/Cut.component", "pathB/Whole.component"},
                          Case{"lfb2", "pathA/Junk.component", "pathB/Whole2.component"},
                          Case{"lfb3", "pathB/NewCut.component", "pathA/OldWhole.component"}}) {
        AudioComponent component = Find(c.subtype, kAudioUnitType_Effect);
        ASSERT_NE(component, nullptr) << c.subtype;
        AudioComponentDescription any{0, Code(c.subtype), 0, 0, 0};
        EXPECT_EQ(AudioComponentCount(&any), 1u) << c.subtype;
        for (int attempt = 0; attempt < 2; ++attempt) {
            AudioComponentInstance instance = nullptr;
            ASSERT_EQ(AudioComponentInstanceNew(component, &instance), noErr) << c.subtype;
            AudioUnitParameterValue value = 0;
            EXPECT_EQ(AudioUnitGetParameter(instance, 1, kAudioUnitScope_Global, 0, &value), noErr);
            EXPECT_EQ(value, 0.5f);
            EXPECT_EQ(AudioComponentInstanceGetComponent(instance), component);
            EXPECT_EQ(AudioComponentInstanceDispose(instance), noErr);
        }
        EXPECT_FALSE(Mapped(ExecutableOf(root / c.damaged))) << c.subtype;
        EXPECT_TRUE(Mapped(ExecutableOf(root / c.whole))) << c.subtype;
    }
    AudioComponentInstance instance = nullptr;
    EXPECT_EQ(AudioComponentInstanceNew(Find("lfb4"), &instance), componentDllLoadErr);
    EXPECT_EQ(instance, nullptr);
}

// Catches a check that looks at the header alone, or at only some of the
// file: the library cut inside a loadable segment (the loader would fault),
// cut after the segments or by its last byte (it would load an incomplete
// file), and whole but with its last segment claimed past the end. Each is
// registered alone, so a load that gets through crashes the test or opens.
TEST(AudioComponentLoading, EveryKindOfDamageIsRefusedBeforeLoading) {
    const std::string image = Library();
    const std::vector<size_t> loads = LoadSegments(image);
    const ElfW(Phdr) last = Segment(image, loads.back());

    struct Damage {
        std::string name;
        std::string bytes;
    };
    std::vector<Damage> damages = {
        {"inside the first segment", CutInside(image, loads.front())},
        {"inside the last segment", CutInside(image, loads.back())},
        {"section headers cut off", image.substr(0, last.p_offset + last.p_filesz)},
        {"last byte missing", image.substr(0, image.size() - 1)},
    };
    std::string longSegment = image;
    ElfW(Phdr) grown = last;
    grown.p_filesz += image.size();
    grown.p_memsz += image.size();
    std::memcpy(longSegment.data() + SegmentOffset(image, loads.back()), &grown, sizeof grown);
    damages.push_back({"segment past the end", longSegment});

    const char* subtypes[] = {"dmg0", "dmg1", "dmg2", "dmg3", "dmg4"};
    ASSERT_EQ(damages.size(), std::size(subtypes));
    for (size_t i = 0; i < damages.size(); ++i) {
        fs::path bundle = MakeBundleWith(root / "damaged", "Damaged" + std::to_string(i) + ".component", subtypes[i],
                                         1, damages[i].bytes);
        ASSERT_EQ(AudioComponentRegisterBundle(bundle.c_str()), noErr) << damages[i].name;
        AudioComponentInstance instance = nullptr;
        EXPECT_EQ(AudioComponentInstanceNew(Find(subtypes[i]), &instance), componentDllLoadErr) << damages[i].name;
        EXPECT_EQ(instance, nullptr);
        EXPECT_FALSE(Mapped(ExecutableOf(bundle))) << damages[i].name;
    }

    // The same bytes undamaged load: the refusals above are the damage's.
    fs::path whole = MakeBundleWith(root / "damaged", "Undamaged.component", "dmgz", 1, image);
    ASSERT_EQ(AudioComponentRegisterBundle(whole.c_str()), noErr);
    AudioComponentInstance instance = nullptr;
    ASSERT_EQ(AudioComponentInstanceNew(Find("dmgz"), &instance), noErr);
    EXPECT_EQ(AudioComponentInstanceDispose(instance), noErr);
}

}  // namespace
