// Argument packing of every Audio Unit host call, instance storage, and the
// Component Manager / AudioComponent calls over components registered in
// this process.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/OrvantaCFTesting.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Layouts and values hosts and units exchange in binary form.
static_assert(sizeof(AudioStreamBasicDescription) == 40);
static_assert(sizeof(AudioTimeStamp) == 64);
static_assert(sizeof(AudioUnitParameterInfo) == 104);
static_assert(sizeof(AudioUnitParameterEvent) == 32);
static_assert(sizeof(HostCallbackInfo) == 32);
static_assert(sizeof(AUPreset) == 16);
static_assert(sizeof(AudioUnitCocoaViewInfo) == 16);
static_assert(sizeof(AudioUnitParameterStringFromValue) == 24);
static_assert(sizeof(AudioUnitParameterValueFromString) == 24);
static_assert(sizeof(AudioUnitParameterNameInfo) == 16);
static_assert(sizeof(AudioBufferList) == 24);
static_assert(sizeof(ComponentDescription) == 20);
static_assert(sizeof(AudioComponentDescription) == 20);
static_assert(offsetof(ComponentParameters, what) == 2);
static_assert(offsetof(ComponentParameters, params) == 8);
static_assert(offsetof(AudioUnitParameterInfo, unitName) == 56);
static_assert(offsetof(AudioUnitParameterInfo, flags) == 96);
static_assert(badComponentSelector == -2147450878);
static_assert(kAudioUnitType_Effect == 0x61756678);
static_assert(kAudioFormatLinearPCM == 0x6C70636D);
static_assert(kAudioChannelLayoutTag_Stereo == 6619138);

// One call as the entry function saw it.
struct SeenCall {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    UInt32 padding;
    std::vector<long> words;  // instance word + argument words
    Handle storage;
};

struct Recorder {
    std::vector<SeenCall> calls;
    ComponentResult result = noErr;          // returned for every selector but open/close
    ComponentResult openResult = noErr;
    bool refuseUserDataRemoval = false;
    int storageTag = 0;                       // what open stores as instance storage
};

Recorder recorder;

ComponentResult RecordingEntry(ComponentParameters* params, Handle storage) {
    SeenCall call;
    call.flags = params->flags;
    call.paramSize = params->paramSize;
    call.what = params->what;
    call.padding = params->padding;
    call.storage = storage;
    int words = 1 + params->paramSize / 8;
    for (int i = 0; i < words; ++i) {
        call.words.push_back(params->params[i]);
    }
    recorder.calls.push_back(call);
    ComponentInstance self = reinterpret_cast<ComponentInstance>(params->params[0]);
    switch (params->what) {
        case kComponentOpenSelect:
            if (recorder.openResult == noErr) {
                SetComponentInstanceStorage(self, reinterpret_cast<Handle>(&recorder.storageTag));
            }
            return recorder.openResult;
        case kComponentCloseSelect:
            return noErr;
        case kComponentCanDoSelect:
            return params->params[1] == kAudioUnitRenderSelect ? 1 : 0;
        case kComponentVersionSelect:
            return 0x10300;
        case kAudioUnitRemovePropertyListenerWithUserDataSelect:
            return recorder.refuseUserDataRemoval ? badComponentSelector : recorder.result;
        default:
            return recorder.result;
    }
}

long Word(const void* p) {
    return reinterpret_cast<long>(p);
}

constexpr OSType kType = 0x61756678;          // 'aufx'
constexpr OSType kManufacturer = 0x54657374;  // 'Test'

class ComponentDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder = Recorder();
        ComponentDescription desc{kType, nextSubtype++, kManufacturer, 0, 0};
        desc_ = desc;
        Handle name = NewHandle(0);
        const char text[] = "Test: Recorder";
        SetHandleSize(name, sizeof text);
        (*name)[0] = static_cast<char>(sizeof text - 1);
        std::memcpy(*name + 1, text, sizeof text - 1);
        component_ = RegisterComponent(&desc, RecordingEntry, 0, name, nullptr, nullptr);
        DisposeHandle(name);
        ASSERT_NE(component_, nullptr);
        ASSERT_EQ(OpenAComponent(component_, &unit_), noErr);
        recorder.calls.clear();
    }

    void TearDown() override {
        if (unit_ != nullptr) {
            CloseComponent(unit_);
        }
        UnregisterComponent(component_);
    }

    // The single call recorded since the last clear.
    const SeenCall& OnlyCall() {
        EXPECT_EQ(recorder.calls.size(), 1u);
        return recorder.calls.back();
    }

    void ExpectHeader(const SeenCall& call, SInt16 what, int nArgs) {
        EXPECT_EQ(call.what, what);
        EXPECT_EQ(call.flags, 0);
        EXPECT_EQ(call.padding, 0u);
        EXPECT_EQ(call.paramSize, nArgs * 8);
        ASSERT_EQ(call.words.size(), static_cast<size_t>(nArgs + 1));
        EXPECT_EQ(call.words[0], Word(unit_));
        EXPECT_EQ(call.storage, reinterpret_cast<Handle>(&recorder.storageTag));
    }

    static OSType nextSubtype;
    ComponentDescription desc_{};
    Component component_ = nullptr;
    ComponentInstance unit_ = nullptr;
};

OSType ComponentDispatchTest::nextSubtype = 0x72633030;  // 'rc00', 'rc01', ...

void ListenerA(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
OSStatus NotifyA(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
    return noErr;
}

TEST_F(ComponentDispatchTest, OpenPassesInstanceTwiceAndCloseGetsStorage) {
    ComponentInstance second = nullptr;
    ASSERT_EQ(OpenAComponent(component_, &second), noErr);
    const SeenCall& open = OnlyCall();
    EXPECT_EQ(open.what, kComponentOpenSelect);
    EXPECT_EQ(open.paramSize, 8);
    ASSERT_EQ(open.words.size(), 2u);
    EXPECT_EQ(open.words[0], Word(second));
    EXPECT_EQ(open.words[1], Word(second));
    EXPECT_EQ(open.storage, nullptr);
    EXPECT_EQ(GetComponentInstanceStorage(second), reinterpret_cast<Handle>(&recorder.storageTag));
    EXPECT_EQ(CountComponentInstances(component_), 2);

    recorder.calls.clear();
    EXPECT_EQ(CloseComponent(second), noErr);
    const SeenCall& close = OnlyCall();
    EXPECT_EQ(close.what, kComponentCloseSelect);
    EXPECT_EQ(close.words[1], Word(second));
    EXPECT_EQ(close.storage, reinterpret_cast<Handle>(&recorder.storageTag));
    EXPECT_EQ(CountComponentInstances(component_), 1);

    // The closed instance is gone: no call reaches the entry any more.
    recorder.calls.clear();
    EXPECT_EQ(AudioUnitInitialize(second), badComponentInstance);
    EXPECT_EQ(GetComponentInstanceStorage(second), nullptr);
    EXPECT_EQ(CloseComponent(second), (OSErr)invalidComponentID);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ComponentDispatchTest, InstanceStorageIsPerInstanceAndReplaceable) {
    int other = 0;
    SetComponentInstanceStorage(unit_, reinterpret_cast<Handle>(&other));
    EXPECT_EQ(GetComponentInstanceStorage(unit_), reinterpret_cast<Handle>(&other));
    AudioUnitReset(unit_, kAudioUnitScope_Global, 0);
    EXPECT_EQ(OnlyCall().storage, reinterpret_cast<Handle>(&other));
    SetComponentInstanceStorage(unit_, reinterpret_cast<Handle>(&recorder.storageTag));

    // Unknown handles are ignored, not written through.
    int fake = 0;
    SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(&fake), reinterpret_cast<Handle>(&other));
    SetComponentInstanceStorage(nullptr, reinterpret_cast<Handle>(&other));
    EXPECT_EQ(fake, 0);
    EXPECT_EQ(GetComponentInstanceStorage(nullptr), nullptr);
}

TEST_F(ComponentDispatchTest, FailedOpenClosesAndReturnsTheStatus) {
    recorder.openResult = kAudioUnitErr_FailedInitialization;
    AudioComponentInstance instance = reinterpret_cast<AudioComponentInstance>(1);
    EXPECT_EQ(AudioComponentInstanceNew(reinterpret_cast<AudioComponent>(component_), &instance),
              kAudioUnitErr_FailedInitialization);
    EXPECT_EQ(instance, nullptr);
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].what, kComponentOpenSelect);
    EXPECT_EQ(recorder.calls[1].what, kComponentCloseSelect);
    EXPECT_EQ(recorder.calls[1].words[1], recorder.calls[0].words[0]);
    EXPECT_EQ(CountComponentInstances(component_), 1);

    // A status that does not fit an OSErr must not come back truncated to 0.
    recorder.openResult = 0x00010000;
    ComponentInstance ci = nullptr;
    EXPECT_NE(OpenAComponent(component_, &ci), noErr);
    EXPECT_EQ(ci, nullptr);
    EXPECT_EQ(OpenComponent(component_), nullptr);
}

TEST_F(ComponentDispatchTest, LifecycleAndPropertyCallsPackInDeclarationOrder) {
    recorder.result = 1234;
    EXPECT_EQ(AudioUnitInitialize(unit_), 1234);
    ExpectHeader(OnlyCall(), kAudioUnitInitializeSelect, 0);
    recorder.calls.clear();
    EXPECT_EQ(AudioUnitUninitialize(unit_), 1234);
    ExpectHeader(OnlyCall(), kAudioUnitUninitializeSelect, 0);

    UInt32 size = 0;
    Boolean writable = false;
    recorder.calls.clear();
    AudioUnitGetPropertyInfo(unit_, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0xFFFFFFFFu, &size,
                             &writable);
    const SeenCall& info = OnlyCall();
    ExpectHeader(info, kAudioUnitGetPropertyInfoSelect, 5);
    EXPECT_EQ(info.words[1], kAudioUnitProperty_StreamFormat);
    EXPECT_EQ(info.words[2], kAudioUnitScope_Output);
    EXPECT_EQ(info.words[3], 0xFFFFFFFFL);  // zero-extended, not -1
    EXPECT_EQ(info.words[4], Word(&size));
    EXPECT_EQ(info.words[5], Word(&writable));

    // Nulls the unit may accept are passed through untouched.
    recorder.calls.clear();
    AudioUnitGetPropertyInfo(unit_, 3, 0, 0, nullptr, nullptr);
    EXPECT_EQ(OnlyCall().words[4], 0);
    EXPECT_EQ(OnlyCall().words[5], 0);

    AudioStreamBasicDescription format{};
    recorder.calls.clear();
    AudioUnitGetProperty(unit_, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, &format, &size);
    const SeenCall& get = OnlyCall();
    ExpectHeader(get, kAudioUnitGetPropertySelect, 5);
    EXPECT_EQ(get.words[1], kAudioUnitProperty_StreamFormat);
    EXPECT_EQ(get.words[2], kAudioUnitScope_Input);
    EXPECT_EQ(get.words[3], 1);
    EXPECT_EQ(get.words[4], Word(&format));
    EXPECT_EQ(get.words[5], Word(&size));

    recorder.calls.clear();
    AudioUnitSetProperty(unit_, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &format,
                         sizeof(Float64));
    const SeenCall& set = OnlyCall();
    ExpectHeader(set, kAudioUnitSetPropertySelect, 5);
    EXPECT_EQ(set.words[1], kAudioUnitProperty_SampleRate);
    EXPECT_EQ(set.words[4], Word(&format));
    EXPECT_EQ(set.words[5], 8);  // the size travels by value

    recorder.calls.clear();
    AudioUnitReset(unit_, kAudioUnitScope_Global, 3);
    const SeenCall& reset = OnlyCall();
    ExpectHeader(reset, kAudioUnitResetSelect, 2);
    EXPECT_EQ(reset.words[1], kAudioUnitScope_Global);
    EXPECT_EQ(reset.words[2], 3);
}

TEST_F(ComponentDispatchTest, ParameterCallsPackFloatsAsLow32Bits) {
    AudioUnitParameterValue value = 0;
    AudioUnitGetParameter(unit_, 4, kAudioUnitScope_Global, 2, &value);
    const SeenCall& get = OnlyCall();
    ExpectHeader(get, kAudioUnitGetParameterSelect, 4);
    EXPECT_EQ(get.words[1], 4);
    EXPECT_EQ(get.words[2], kAudioUnitScope_Global);
    EXPECT_EQ(get.words[3], 2);
    EXPECT_EQ(get.words[4], Word(&value));

    recorder.calls.clear();
    AudioUnitSetParameter(unit_, 1, kAudioUnitScope_Global, 0, -0.75f, 17);
    const SeenCall& set = OnlyCall();
    ExpectHeader(set, kAudioUnitSetParameterSelect, 5);
    EXPECT_EQ(set.words[1], 1);
    Float32 seen = 0;
    UInt32 bits = static_cast<UInt32>(set.words[4]);
    std::memcpy(&seen, &bits, sizeof seen);
    EXPECT_EQ(seen, -0.75f);
    EXPECT_EQ(static_cast<unsigned long>(set.words[4]) >> 32, 0u);
    EXPECT_EQ(set.words[5], 17);

    AudioUnitParameterEvent events[2] = {};
    recorder.calls.clear();
    AudioUnitScheduleParameters(unit_, events, 2);
    const SeenCall& schedule = OnlyCall();
    ExpectHeader(schedule, kAudioUnitScheduleParametersSelect, 2);
    EXPECT_EQ(schedule.words[1], Word(events));
    EXPECT_EQ(schedule.words[2], 2);
}

TEST_F(ComponentDispatchTest, ListenerAndNotificationCallsPackFunctionsAndUserData) {
    int userData = 0;
    AudioUnitAddPropertyListener(unit_, kAudioUnitProperty_Latency, ListenerA, &userData);
    const SeenCall& add = OnlyCall();
    ExpectHeader(add, kAudioUnitAddPropertyListenerSelect, 3);
    EXPECT_EQ(add.words[1], kAudioUnitProperty_Latency);
    EXPECT_EQ(add.words[2], reinterpret_cast<long>(&ListenerA));
    EXPECT_EQ(add.words[3], Word(&userData));

    recorder.calls.clear();
    AudioUnitRemovePropertyListenerWithUserData(unit_, kAudioUnitProperty_Latency, ListenerA, &userData);
    const SeenCall& remove = OnlyCall();
    ExpectHeader(remove, kAudioUnitRemovePropertyListenerWithUserDataSelect, 3);
    EXPECT_EQ(remove.words[2], reinterpret_cast<long>(&ListenerA));
    EXPECT_EQ(remove.words[3], Word(&userData));

    recorder.calls.clear();
    AudioUnitRemovePropertyListener(unit_, kAudioUnitProperty_Latency, ListenerA);
    ExpectHeader(OnlyCall(), kAudioUnitRemovePropertyListenerSelect, 2);

    recorder.calls.clear();
    AudioUnitAddRenderNotify(unit_, NotifyA, &userData);
    const SeenCall& notify = OnlyCall();
    ExpectHeader(notify, kAudioUnitAddRenderNotifySelect, 2);
    EXPECT_EQ(notify.words[1], reinterpret_cast<long>(&NotifyA));
    EXPECT_EQ(notify.words[2], Word(&userData));

    recorder.calls.clear();
    AudioUnitRemoveRenderNotify(unit_, NotifyA, &userData);
    ExpectHeader(OnlyCall(), kAudioUnitRemoveRenderNotifySelect, 2);
    EXPECT_EQ(OnlyCall().words[2], Word(&userData));
}

TEST_F(ComponentDispatchTest, UserDataRemovalFallsBackForOlderUnits) {
    recorder.refuseUserDataRemoval = true;
    int userData = 0;
    EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit_, 12, ListenerA, &userData), noErr);
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].what, kAudioUnitRemovePropertyListenerWithUserDataSelect);
    EXPECT_EQ(recorder.calls[1].what, kAudioUnitRemovePropertyListenerSelect);
    EXPECT_EQ(recorder.calls[1].words[1], 12);
    EXPECT_EQ(recorder.calls[1].words[2], reinterpret_cast<long>(&ListenerA));
}

TEST_F(ComponentDispatchTest, RenderPacksFiveArguments) {
    AudioUnitRenderActionFlags flags = 0;
    AudioTimeStamp stamp{};
    AudioBufferList list{};
    AudioUnitRender(unit_, &flags, &stamp, 1, 512, &list);
    const SeenCall& render = OnlyCall();
    ExpectHeader(render, kAudioUnitRenderSelect, 5);
    EXPECT_EQ(render.words[1], Word(&flags));
    EXPECT_EQ(render.words[2], Word(&stamp));
    EXPECT_EQ(render.words[3], 1);
    EXPECT_EQ(render.words[4], 512);
    EXPECT_EQ(render.words[5], Word(&list));
}

TEST_F(ComponentDispatchTest, MusicDeviceCallsPackTheirArguments) {
    MusicDeviceMIDIEvent(unit_, 0x90, 60, 100, 33);
    const SeenCall& midi = OnlyCall();
    ExpectHeader(midi, kMusicDeviceMIDIEventSelect, 4);
    EXPECT_EQ(midi.words[1], 0x90);
    EXPECT_EQ(midi.words[2], 60);
    EXPECT_EQ(midi.words[3], 100);
    EXPECT_EQ(midi.words[4], 33);

    const UInt8 sysex[] = {0xF0, 0x7E, 0xF7};
    recorder.calls.clear();
    MusicDeviceSysEx(unit_, sysex, 3);
    ExpectHeader(OnlyCall(), kMusicDeviceSysExSelect, 2);
    EXPECT_EQ(OnlyCall().words[1], Word(sysex));
    EXPECT_EQ(OnlyCall().words[2], 3);

    NoteInstanceID note = 0;
    MusicDeviceNoteParams params{2, 64.0f, 90.0f, {}};
    recorder.calls.clear();
    MusicDeviceStartNote(unit_, kMusicNoteEvent_Unused, 5, &note, 7, &params);
    const SeenCall& start = OnlyCall();
    ExpectHeader(start, kMusicDeviceStartNoteSelect, 5);
    EXPECT_EQ(start.words[1], 0xFFFFFFFFL);
    EXPECT_EQ(start.words[2], 5);
    EXPECT_EQ(start.words[3], Word(&note));
    EXPECT_EQ(start.words[4], 7);
    EXPECT_EQ(start.words[5], Word(&params));

    recorder.calls.clear();
    MusicDeviceStopNote(unit_, 5, 64, 9);
    ExpectHeader(OnlyCall(), kMusicDeviceStopNoteSelect, 3);
    EXPECT_EQ(OnlyCall().words[2], 64);
}

TEST_F(ComponentDispatchTest, CanDoAndVersionReachTheEntry) {
    EXPECT_EQ(ComponentFunctionImplemented(unit_, kAudioUnitRenderSelect), 1);
    EXPECT_EQ(ComponentFunctionImplemented(unit_, kComponentOpenSelect), 0);
    // A negative selector arrives sign-extended, whichever width the entry reads.
    EXPECT_EQ(recorder.calls.back().words[1], -1);
    EXPECT_TRUE(AudioComponentInstanceCanDo(unit_, kAudioUnitRenderSelect));
    EXPECT_FALSE(AudioComponentInstanceCanDo(unit_, 18));
    EXPECT_EQ(GetComponentVersion(unit_), 0x10300);
    EXPECT_EQ(recorder.calls.back().paramSize, 0);
    EXPECT_EQ(ComponentFunctionImplemented(nullptr, 1), 0);
    EXPECT_EQ(GetComponentVersion(nullptr), badComponentInstance);
}

TEST_F(ComponentDispatchTest, BadUnitsAndMissingPointersNeverReachTheEntry) {
    int fake[16] = {};
    AudioUnit bogus = reinterpret_cast<AudioUnit>(fake);
    AudioUnitParameterValue value = 0;
    AudioUnitRenderActionFlags flags = 0;
    AudioTimeStamp stamp{};
    AudioBufferList list{};
    EXPECT_EQ(AudioUnitInitialize(nullptr), badComponentInstance);
    EXPECT_EQ(AudioUnitInitialize(bogus), badComponentInstance);
    EXPECT_EQ(AudioUnitGetParameter(bogus, 0, 0, 0, &value), badComponentInstance);
    EXPECT_EQ(AudioUnitRender(nullptr, &flags, &stamp, 0, 1, &list), badComponentInstance);
    EXPECT_EQ(MusicDeviceMIDIEvent(bogus, 0x90, 1, 2, 0), badComponentInstance);
    EXPECT_EQ(AudioComponentInstanceDispose(bogus), badComponentInstance);

    EXPECT_EQ(AudioUnitGetParameter(unit_, 0, 0, 0, nullptr), kAudio_ParamError);
    EXPECT_EQ(AudioUnitRender(unit_, nullptr, &stamp, 0, 1, &list), kAudio_ParamError);
    EXPECT_EQ(AudioUnitRender(unit_, &flags, nullptr, 0, 1, &list), kAudio_ParamError);
    EXPECT_EQ(AudioUnitRender(unit_, &flags, &stamp, 0, 1, nullptr), kAudio_ParamError);
    EXPECT_EQ(AudioUnitAddPropertyListener(unit_, 0, nullptr, nullptr), kAudio_ParamError);
    EXPECT_EQ(AudioUnitAddRenderNotify(unit_, nullptr, nullptr), kAudio_ParamError);
    EXPECT_EQ(AudioUnitScheduleParameters(unit_, nullptr, 1), kAudio_ParamError);
    EXPECT_EQ(MusicDeviceSysEx(unit_, nullptr, 4), kAudio_ParamError);
    MusicDeviceNoteParams params{};
    EXPECT_EQ(MusicDeviceStartNote(unit_, 0, 0, nullptr, 0, &params), kAudio_ParamError);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(std::memcmp(fake, std::vector<int>(16, 0).data(), sizeof fake), 0);

    // Empty event arrays and SysEx messages are legal.
    EXPECT_EQ(AudioUnitScheduleParameters(unit_, nullptr, 0), noErr);
    EXPECT_EQ(MusicDeviceSysEx(unit_, nullptr, 0), noErr);
    EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST_F(ComponentDispatchTest, FindCountAndDescribe) {
    ComponentDescription exact = desc_;
    EXPECT_EQ(FindNextComponent(nullptr, &exact), component_);
    EXPECT_EQ(FindNextComponent(component_, &exact), nullptr);
    EXPECT_EQ(CountComponents(&exact), 1);

    ComponentDescription anySubtype{kType, 0, kManufacturer, 0, 0};
    EXPECT_GE(CountComponents(&anySubtype), 1);
    ComponentDescription unknown{0x7A7A7A7A, 0, 0, 0, 0};  // 'zzzz'
    EXPECT_EQ(FindNextComponent(nullptr, &unknown), nullptr);
    EXPECT_EQ(CountComponents(&unknown), 0);

    // Flags only count where the mask has bits.
    ComponentDescription flagged = desc_;
    flagged.componentFlags = 4;
    EXPECT_EQ(FindNextComponent(nullptr, &flagged), component_);
    flagged.componentFlagsMask = 4;
    EXPECT_EQ(FindNextComponent(nullptr, &flagged), nullptr);

    ComponentDescription seen{};
    Handle name = NewHandle(0);
    Handle info = NewHandle(10);
    EXPECT_EQ(GetComponentInfo(component_, &seen, name, info, nullptr), noErr);
    EXPECT_EQ(seen.componentSubType, desc_.componentSubType);
    ASSERT_EQ(GetHandleSize(name), 15);
    EXPECT_EQ(std::string(*name + 1, static_cast<unsigned char>((*name)[0])), "Test: Recorder");
    EXPECT_EQ(GetHandleSize(info), 0);
    DisposeHandle(name);
    DisposeHandle(info);

    // The wrapper asks with its instance rather than its component.
    seen = ComponentDescription{};
    EXPECT_EQ(GetComponentInfo(reinterpret_cast<Component>(unit_), &seen, nullptr, nullptr, nullptr), noErr);
    EXPECT_EQ(seen.componentManufacturer, kManufacturer);
    int fake = 0;
    EXPECT_EQ(GetComponentInfo(reinterpret_cast<Component>(&fake), &seen, nullptr, nullptr, nullptr),
              invalidComponentID);
    EXPECT_EQ(GetComponentInfo(nullptr, &seen, nullptr, nullptr, nullptr), invalidComponentID);
}

TEST_F(ComponentDispatchTest, AudioComponentNamesSeeTheSameRegistration) {
    AudioComponentDescription desc{desc_.componentType, desc_.componentSubType, desc_.componentManufacturer, 0, 0};
    AudioComponent component = AudioComponentFindNext(nullptr, &desc);
    ASSERT_EQ(reinterpret_cast<void*>(component), reinterpret_cast<void*>(component_));
    EXPECT_EQ(AudioComponentCount(&desc), 1u);
    EXPECT_EQ(AudioComponentInstanceGetComponent(unit_), component);

    AudioComponentDescription seen{};
    EXPECT_EQ(AudioComponentGetDescription(component, &seen), noErr);
    EXPECT_EQ(seen.componentSubType, desc_.componentSubType);
    UInt32 version = 1;
    EXPECT_EQ(AudioComponentGetVersion(component, &version), noErr);
    EXPECT_EQ(version, 0u);

    CFIndex live = OrvantaCFLiveObjectCount();
    CFStringRef name = nullptr;
    ASSERT_EQ(AudioComponentCopyName(component, &name), noErr);
    ASSERT_NE(name, nullptr);
    char text[64];
    ASSERT_TRUE(CFStringGetCString(name, text, sizeof text, kCFStringEncodingUTF8));
    EXPECT_STREQ(text, "Test: Recorder");
    CFRelease(name);
    EXPECT_EQ(OrvantaCFLiveObjectCount(), live);

    // Instances are not components, and missing outputs are refused.
    EXPECT_EQ(AudioComponentCopyName(reinterpret_cast<AudioComponent>(unit_), &name), kAudio_ParamError);
    EXPECT_EQ(AudioComponentCopyName(component, nullptr), kAudio_ParamError);
    EXPECT_EQ(AudioComponentGetDescription(nullptr, &seen), kAudio_ParamError);
    EXPECT_EQ(AudioComponentInstanceNew(component, nullptr), kAudio_ParamError);
    AudioComponentInstance instance = nullptr;
    EXPECT_EQ(AudioComponentInstanceNew(nullptr, &instance), invalidComponentID);

    ASSERT_EQ(AudioComponentInstanceNew(component, &instance), noErr);
    EXPECT_EQ(AudioComponentInstanceDispose(instance), noErr);
    EXPECT_EQ(AudioComponentInstanceGetComponent(instance), nullptr);
}

TEST_F(ComponentDispatchTest, RegistrationRules) {
    ComponentDescription same = desc_;
    EXPECT_EQ(RegisterComponent(&same, RecordingEntry, registerComponentNoDuplicates, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(RegisterComponent(&same, nullptr, 0, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(RegisterComponent(nullptr, RecordingEntry, 0, nullptr, nullptr, nullptr), nullptr);

    // Without registerComponentAfterExisting a newer registration is found first.
    long seed = GetComponentListModSeed();
    Component newer = RegisterComponent(&same, RecordingEntry, 0, nullptr, nullptr, nullptr);
    ASSERT_NE(newer, nullptr);
    EXPECT_NE(GetComponentListModSeed(), seed);
    EXPECT_EQ(FindNextComponent(nullptr, &same), newer);
    EXPECT_EQ(FindNextComponent(newer, &same), component_);
    EXPECT_EQ(CountComponents(&same), 2);
    Component later = RegisterComponent(&same, RecordingEntry, registerComponentAfterExisting, nullptr, nullptr,
                                        nullptr);
    EXPECT_EQ(FindNextComponent(component_, &same), later);

    EXPECT_EQ(UnregisterComponent(component_), validInstancesExist);
    EXPECT_EQ(UnregisterComponent(newer), noErr);
    EXPECT_EQ(UnregisterComponent(newer), invalidComponentID);
    EXPECT_EQ(UnregisterComponent(later), noErr);
    // Iteration may continue from an unregistered component.
    EXPECT_EQ(FindNextComponent(newer, &same), component_);
    ComponentInstance ci = nullptr;
    EXPECT_EQ(OpenAComponent(newer, &ci), invalidComponentID);
    EXPECT_EQ(OpenAComponent(component_, nullptr), paramErr);
}

ComponentResult StorageEntry(ComponentParameters* params, Handle storage) {
    ComponentInstance self = reinterpret_cast<ComponentInstance>(params->params[0]);
    switch (params->what) {
        case kComponentOpenSelect:
            SetComponentInstanceStorage(self, reinterpret_cast<Handle>(new ComponentInstance(self)));
            return noErr;
        case kComponentCloseSelect:
            delete reinterpret_cast<ComponentInstance*>(storage);
            return noErr;
        default:
            // Each call must arrive with its own instance's storage.
            if (*reinterpret_cast<ComponentInstance*>(storage) != self) {
                return badComponentInstance;
            }
            return noErr;
    }
}

TEST(ComponentThreadsTest, ConcurrentOpensCallsAndClosesKeepInstancesApart) {
    ComponentDescription desc{kType, 0x74687264, kManufacturer, 0, 0};  // 'thrd'
    Component component = RegisterComponent(&desc, StorageEntry, 0, nullptr, nullptr, nullptr);
    ASSERT_NE(component, nullptr);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                ComponentInstance ci = nullptr;
                if (OpenAComponent(component, &ci) != noErr || AudioUnitReset(ci, 0, 0) != noErr ||
                    AudioUnitInitialize(ci) != noErr || CloseComponent(ci) != noErr) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(CountComponentInstances(component), 0);
    EXPECT_EQ(UnregisterComponent(component), noErr);
}

TEST(MacMemoryTest, HandlesResizeAndKeepTheirPrefix) {
    Handle h = NewHandleClear(4);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetHandleSize(h), 4);
    EXPECT_EQ((*h)[3], 0);
    std::memcpy(*h, "abcd", 4);
    SetHandleSize(h, 4096);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetHandleSize(h), 4096);
    EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
    SetHandleSize(h, -1);
    EXPECT_EQ(MemError(), paramErr);
    EXPECT_EQ(GetHandleSize(h), 4096);
    DisposeHandle(h);
    EXPECT_EQ(NewHandle(-5), nullptr);
    EXPECT_EQ(MemError(), paramErr);
    EXPECT_EQ(GetHandleSize(nullptr), 0);
    EXPECT_EQ(MemError(), nilHandleErr);
}

}  // namespace
