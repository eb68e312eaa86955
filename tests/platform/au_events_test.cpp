// Parameter and property change notification: registration matching,
// sender exclusion, value read-back from the unit, and listener disposal.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A unit whose parameter n has the value n + 0.5 in the global scope.
ComponentResult ParameterEntry(ComponentParameters* params, Handle) {
    if (params->what == kAudioUnitGetParameterSelect) {
        UInt32 id = static_cast<UInt32>(params->params[1]);
        UInt32 scope = static_cast<UInt32>(params->params[2]);
        if (scope != kAudioUnitScope_Global) {
            return kAudioUnitErr_InvalidScope;
        }
        *reinterpret_cast<AudioUnitParameterValue*>(params->params[4]) = static_cast<Float32>(id) + 0.5f;
        return noErr;
    }
    if (params->what == kAudioUnitSetParameterSelect) {
        if (static_cast<UInt32>(params->params[1]) == 99) {
            return kAudioUnitErr_InvalidParameter;
        }
        return noErr;
    }
    if (params->what < 0) {
        return noErr;
    }
    return badComponentSelector;
}

struct Heard {
    void* object;
    AudioUnitEvent event;
    AudioUnitParameterValue value;
};

struct Ear {
    std::vector<Heard> heard;
};

void HearEvent(void* refCon, void* object, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value) {
    static_cast<Ear*>(refCon)->heard.push_back({object, *event, value});
}

void HearParameter(void* refCon, void* object, const AudioUnitParameter* parameter, AudioUnitParameterValue value) {
    AudioUnitEvent event{};
    event.mEventType = kAudioUnitEvent_ParameterValueChange;
    event.mArgument.mParameter = *parameter;
    static_cast<Ear*>(refCon)->heard.push_back({object, event, value});
}

class AUEventListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ComponentDescription desc{kAudioUnitType_Effect, 0x65767430, 0x54657374, 0, 0};  // 'evt0', 'Test'
        component_ = RegisterComponent(&desc, ParameterEntry, 0, nullptr, nullptr, nullptr);
        ASSERT_NE(component_, nullptr);
        ASSERT_EQ(OpenAComponent(component_, &unit_), noErr);
        ASSERT_EQ(AUEventListenerCreate(HearEvent, &ear_, &listener_), noErr);
    }

    void TearDown() override {
        if (listener_ != nullptr) {
            AUListenerDispose(listener_);
        }
        CloseComponent(unit_);
        UnregisterComponent(component_);
    }

    AudioUnitEvent Event(AudioUnitEventType type, AudioUnitParameterID id, AudioUnitScope scope = 0,
                         AudioUnitElement element = 0) {
        AudioUnitEvent event{};
        event.mEventType = type;
        event.mArgument.mParameter = {unit_, id, scope, element};
        return event;
    }

    Component component_ = nullptr;
    AudioUnit unit_ = nullptr;
    Ear ear_;
    AUEventListenerRef listener_ = nullptr;
};

TEST_F(AUEventListenerTest, GesturesAndValueChangesReachMatchingRegistrationsOnly) {
    int object = 0;
    AudioUnitEvent begin = Event(kAudioUnitEvent_BeginParameterChangeGesture, 2);
    AudioUnitEvent change = Event(kAudioUnitEvent_ParameterValueChange, 2);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, &object, &begin), noErr);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, &object, &change), noErr);
    // Adding the same registration again does not double the deliveries.
    ASSERT_EQ(AUEventListenerAddEventType(listener_, &object, &change), noErr);

    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &begin), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    AudioUnitEvent end = Event(kAudioUnitEvent_EndParameterChangeGesture, 2);
    AudioUnitEvent otherParameter = Event(kAudioUnitEvent_ParameterValueChange, 3);
    AudioUnitEvent otherElement = Event(kAudioUnitEvent_ParameterValueChange, 2, 0, 1);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &end), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &otherParameter), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &otherElement), noErr);

    ASSERT_EQ(ear_.heard.size(), 2u);
    EXPECT_EQ(ear_.heard[0].event.mEventType, kAudioUnitEvent_BeginParameterChangeGesture);
    EXPECT_EQ(ear_.heard[0].object, &object);
    EXPECT_EQ(ear_.heard[0].value, 0.0f);
    EXPECT_EQ(ear_.heard[1].event.mEventType, kAudioUnitEvent_ParameterValueChange);
    EXPECT_EQ(ear_.heard[1].event.mArgument.mParameter.mParameterID, 2u);
    // The value is read back from the unit, not carried by the event.
    EXPECT_EQ(ear_.heard[1].value, 2.5f);
}

TEST_F(AUEventListenerTest, AnyParameterHearsEveryParameterOfItsUnitOnly) {
    AudioUnitEvent any = Event(kAudioUnitEvent_ParameterValueChange, kAUParameterListener_AnyParameter);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, nullptr, &any), noErr);
    AudioUnitEvent change = Event(kAudioUnitEvent_ParameterValueChange, 7);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    AudioUnitEvent elsewhere = change;
    int otherUnit = 0;
    elsewhere.mArgument.mParameter.mAudioUnit = reinterpret_cast<AudioUnit>(&otherUnit);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &elsewhere), noErr);
    ASSERT_EQ(ear_.heard.size(), 1u);
    EXPECT_EQ(ear_.heard[0].value, 7.5f);
}

TEST_F(AUEventListenerTest, UnreadableValueIsReportedAsZero) {
    AudioUnitEvent change = Event(kAudioUnitEvent_ParameterValueChange, 1, kAudioUnitScope_Input);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, nullptr, &change), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    ASSERT_EQ(ear_.heard.size(), 1u);
    EXPECT_EQ(ear_.heard[0].value, 0.0f);
}

TEST_F(AUEventListenerTest, PropertyChangesMatchOnPropertyScopeAndElement) {
    AudioUnitEvent property{};
    property.mEventType = kAudioUnitEvent_PropertyChange;
    property.mArgument.mProperty = {unit_, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUEventListenerAddEventType(listener_, nullptr, &property), noErr);
    AudioUnitEvent other = property;
    other.mArgument.mProperty.mPropertyID = kAudioUnitProperty_TailTime;
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &other), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &property), noErr);
    ASSERT_EQ(ear_.heard.size(), 1u);
    EXPECT_EQ(ear_.heard[0].event.mArgument.mProperty.mPropertyID, kAudioUnitProperty_Latency);
}

TEST_F(AUEventListenerTest, SenderDoesNotHearItself) {
    int view = 0;
    int otherView = 0;
    AudioUnitEvent change = Event(kAudioUnitEvent_ParameterValueChange, 0);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, &view, &change), noErr);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, &otherView, &change), noErr);

    EXPECT_EQ(AUEventListenerNotify(listener_, &view, &change), noErr);
    ASSERT_EQ(ear_.heard.size(), 1u);
    EXPECT_EQ(ear_.heard[0].object, &otherView);

    ear_.heard.clear();
    EXPECT_EQ(AUEventListenerNotify(listener_, nullptr, &change), noErr);
    EXPECT_TRUE(ear_.heard.empty());
}

TEST_F(AUEventListenerTest, ParameterListenersHearValueChangesAndAUParameterSet) {
    Ear ear;
    AUParameterListenerRef listener = nullptr;
    ASSERT_EQ(AUListenerCreate(HearParameter, &ear, &listener), noErr);
    AudioUnitParameter parameter{unit_, 1, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &parameter), noErr);
    // A parameter listener cannot take gesture events.
    AudioUnitEvent begin = Event(kAudioUnitEvent_BeginParameterChangeGesture, 1);
    EXPECT_EQ(AUEventListenerAddEventType(listener, nullptr, &begin), kAudio_ParamError);

    EXPECT_EQ(AUParameterSet(nullptr, nullptr, &parameter, 0.3f, 0), noErr);
    ASSERT_EQ(ear.heard.size(), 1u);
    EXPECT_EQ(ear.heard[0].value, 1.5f);

    // A refused set notifies nobody.
    AudioUnitParameter refused{unit_, 99, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUListenerAddParameter(listener, nullptr, &refused), noErr);
    EXPECT_EQ(AUParameterSet(nullptr, nullptr, &refused, 0.3f, 0), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(ear.heard.size(), 1u);

    EXPECT_EQ(AUListenerRemoveParameter(listener, nullptr, &parameter), noErr);
    EXPECT_EQ(AUParameterListenerNotify(nullptr, nullptr, &parameter), noErr);
    EXPECT_EQ(ear.heard.size(), 1u);
    EXPECT_EQ(AUListenerDispose(listener), noErr);
}

TEST_F(AUEventListenerTest, DisposedAndInvalidListenersAreRefused) {
    AudioUnitEvent change = Event(kAudioUnitEvent_ParameterValueChange, 0);
    ASSERT_EQ(AUEventListenerAddEventType(listener_, nullptr, &change), noErr);
    ASSERT_EQ(AUEventListenerRemoveEventType(listener_, nullptr, &change), noErr);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    EXPECT_TRUE(ear_.heard.empty());

    ASSERT_EQ(AUEventListenerAddEventType(listener_, nullptr, &change), noErr);
    EXPECT_EQ(AUListenerDispose(listener_), noErr);
    AUEventListenerRef disposed = listener_;
    listener_ = nullptr;
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
    EXPECT_TRUE(ear_.heard.empty());
    EXPECT_EQ(AUListenerDispose(disposed), kAudio_ParamError);
    EXPECT_EQ(AUEventListenerAddEventType(disposed, nullptr, &change), kAudio_ParamError);

    AUEventListenerRef out = nullptr;
    EXPECT_EQ(AUEventListenerCreate(nullptr, nullptr, &out), kAudio_ParamError);
    EXPECT_EQ(AUEventListenerCreate(HearEvent, nullptr, nullptr), kAudio_ParamError);
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), kAudio_ParamError);
    AudioUnitEvent unknown = change;
    unknown.mEventType = 42;
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &unknown), kAudio_ParamError);
    EXPECT_EQ(AUListenerDispose(nullptr), kAudio_ParamError);
}

}  // namespace
