// The component entry point: open and close, the selector table and its
// locking, listeners and render notifications, parameters through the entry
// and through fast dispatch, scheduled parameters, MIDI and the view entry.

#include "AUTestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace
{
struct ListenerLog
{
  std::vector<AudioUnitPropertyID> ids;
  std::vector<AudioUnitScope> scopes;
  std::vector<AudioUnitElement> elements;
  std::vector<AudioUnit> units;
  bool lockedEachTime = true;
  AUTestPlug* plug = nullptr;
};

void LogListener(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                 AudioUnitElement element)
{
  ListenerLog* log = (ListenerLog*)refCon;
  log->ids.push_back(id);
  log->scopes.push_back(scope);
  log->elements.push_back(element);
  log->units.push_back(unit);
  if (log->plug && !log->plug->GetMutex()->IsHeldByCurrentThread()) log->lockedEachTime = false;
}

void OtherListener(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ++*(int*)refCon;
}

float GetParam(AudioUnit unit, AudioUnitParameterID id)
{
  AudioUnitParameterValue v = -1.0f;
  EXPECT_EQ(noErr, AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v));
  return v;
}
}  // namespace

TEST(AUDispatch, OpenMakesThePlugInAndStoresItAsInstanceStorage)
{
  TestUnit unit;
  ASSERT_NE(nullptr, unit.Get());
  AUTestPlug* plug = unit.Plug();
  ASSERT_NE(nullptr, plug);
  EXPECT_EQ((ComponentInstance)unit.Get(), plug->GetComponentInstance());
  EXPECT_STREQ(kTestBundleID, plug->GetBundleID());
  EXPECT_STREQ(kTestViewClass, plug->GetCocoaViewFactoryClassName());
  EXPECT_EQ(1, plug->mHostIdentified.load());
  EXPECT_NE(kHostUninit, plug->GetHost());
  EXPECT_EQ(3, plug->NPresets());
  EXPECT_FALSE(plug->IsActive());
  EXPECT_EQ(1024, plug->GetBlockSize());
  EXPECT_EQ(0, plug->mUnlockedCalls.load());
}

TEST(AUDispatch, UnusedPresetSlotsArePrunedAtOpen)
{
  AUTestPlug direct(IFxInstanceInfo(), TestPlugConfig{"1-1 2-2", false, 0, 5});
  EXPECT_EQ(5, direct.NPresets());
  TestUnit unit;
  EXPECT_EQ(3, unit.Plug()->NPresets());
  EXPECT_STREQ("Loud", unit.Plug()->GetPresetName(0));
  EXPECT_STREQ("Init", unit.Plug()->GetPresetName(2));
}

TEST(AUDispatch, CloseWithNullStorageAndCanDoAndVersion)
{
  EXPECT_EQ(noErr, CallEntry(nullptr, kComponentCloseSelect));
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  for (int sel : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17})
    EXPECT_EQ(1, CallEntry(plug, kComponentCanDoSelect, (SInt16)sel)) << sel;
  for (int sel : {18, 8, -1, -2, 0, 12, 13, 19, 20, 21, 257})
    EXPECT_EQ(0, CallEntry(plug, kComponentCanDoSelect, (SInt16)sel)) << sel;
  EXPECT_EQ(1, ComponentFunctionImplemented((ComponentInstance)unit.Get(), 17));
  EXPECT_EQ(0, ComponentFunctionImplemented((ComponentInstance)unit.Get(), 18));
  EXPECT_EQ(66304, CallEntry(plug, kComponentVersionSelect));
  EXPECT_EQ(66304, GetComponentVersion((ComponentInstance)unit.Get()));
}

TEST(AUDispatch, UnknownSelectorsAreRefused)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  for (int sel : {0, 8, 12, 13, 19, 20, 21, 22, 100, 263, 0x301, -5, -9})
    EXPECT_EQ(badComponentSelector, CallEntry(plug, (SInt16)sel)) << sel;
  EXPECT_EQ((int)0x80008002, (int)badComponentSelector);
}

TEST(AUDispatch, InitialiseResendsEveryParameterAndActivates)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  const int before = plug->mParamChanges;
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  EXPECT_TRUE(plug->IsActive());
  EXPECT_EQ(before + kNumTestParams, plug->mParamChanges.load());
  EXPECT_EQ(1, plug->mActivations.load());
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  EXPECT_EQ(before + 2 * kNumTestParams, plug->mParamChanges.load());
  EXPECT_EQ(noErr, AudioUnitUninitialize(unit));
  EXPECT_FALSE(plug->IsActive());
  EXPECT_EQ(1, plug->mDeactivations.load());
}

TEST(AUDispatch, InitialiseFailsForAnIllegalChannelConfiguration)
{
  AUTestPlug plug(IFxInstanceInfo(), TestPlugConfig{"1-1 2-2", false, 0, 3});
  // Mono in, stereo out: each format alone is legal while inactive, together they are not.
  AudioStreamBasicDescription mono = FloatFormat(44100, 1), stereo = FloatFormat(44100, 2);
  ASSERT_EQ(noErr, CallEntry(&plug, kAudioUnitSetPropertySelect, (UInt32)kAudioUnitProperty_StreamFormat,
                             (UInt32)kAudioUnitScope_Input, (UInt32)0, &mono, (UInt32)sizeof(mono)));
  ASSERT_EQ(noErr, CallEntry(&plug, kAudioUnitSetPropertySelect, (UInt32)kAudioUnitProperty_StreamFormat,
                             (UInt32)kAudioUnitScope_Output, (UInt32)0, &stereo, (UInt32)sizeof(stereo)));
  EXPECT_EQ(badComponentSelector, CallEntry(&plug, kAudioUnitInitializeSelect));
  EXPECT_FALSE(plug.IsActive());
  EXPECT_EQ(0, plug.mActivations.load());
}

TEST(AUDispatch, ResetCallsTheEffectsReset)
{
  TestUnit unit;
  const int before = unit.Plug()->mResets;
  EXPECT_EQ(noErr, AudioUnitReset(unit, kAudioUnitScope_Global, 0));
  EXPECT_EQ(before + 1, unit.Plug()->mResets.load());
}

TEST(AUDispatch, ParameterValuesSurviveResetAndReinitialisation)
{
  TestUnit unit;
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, kAudioUnitScope_Global, 0, 1.5f, 0));
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kChannel, kAudioUnitScope_Global, 0, 0.0f, 0));
  ASSERT_EQ(noErr, AudioUnitReset(unit, kAudioUnitScope_Global, 0));
  ASSERT_EQ(noErr, AudioUnitUninitialize(unit));
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  EXPECT_FLOAT_EQ(1.5f, GetParam(unit, kGain));
  EXPECT_FLOAT_EQ(0.0f, GetParam(unit, kChannel));
  EXPECT_DOUBLE_EQ(1.5, unit.Plug()->mGain);
}

TEST(AUDispatch, ParametersClampAndReachTheEditorAsGiven)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  AUTestGraphics* gui = new AUTestGraphics(plug);
  plug->AttachGraphics(gui);
  gui->mPushes.clear();
  EXPECT_EQ(noErr, AudioUnitSetParameter(unit, kGain, kAudioUnitScope_Global, 0, 7.5f, 0));
  EXPECT_FLOAT_EQ(2.0f, GetParam(unit, kGain));
  ASSERT_EQ(1u, gui->mPushes.size());
  EXPECT_EQ(kGain, gui->mPushes[0].idx);
  EXPECT_DOUBLE_EQ(7.5, gui->mPushes[0].value);
  EXPECT_FALSE(gui->mPushes[0].normalized);
  EXPECT_EQ(noErr, AudioUnitSetParameter(unit, kTrim, kAudioUnitScope_Global, 0, -100.0f, 0));
  EXPECT_FLOAT_EQ(-12.0f, GetParam(unit, kTrim));
}

TEST(AUDispatch, ParameterCallsCheckScopeAndIndex)
{
  TestUnit unit;
  AudioUnitParameterValue v = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitGetParameter(unit, kGain, kAudioUnitScope_Input, 0, &v));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitSetParameter(unit, kGain, kAudioUnitScope_Output, 0, 1, 0));
  for (AudioUnitParameterID id : {(UInt32)kNumTestParams, 100u, 0x7FFFFFFFu, 0xFFFFFFFFu})
  {
    EXPECT_EQ(kAudioUnitErr_InvalidParameter, AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v));
    EXPECT_EQ(kAudioUnitErr_InvalidParameter, AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, 1, 0));
  }
  // A null output through the entry itself (the platform refuses it before that).
  EXPECT_EQ(kAudio_ParamError, CallEntry(unit.Plug(), kAudioUnitGetParameterSelect, (UInt32)0,
                                         (UInt32)0, (UInt32)0, (float*)nullptr));
}

TEST(AUDispatch, FastDispatchGivesTheThreeFunctions)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  AudioUnitGetParameterProc getProc = nullptr;
  AudioUnitSetParameterProc setProc = nullptr;
  AudioUnitRenderProc renderProc = nullptr;
  UInt32 size = sizeof(getProc);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                        kAudioUnitGetParameterSelect, &getProc, &size));
  EXPECT_EQ(8u, size);
  size = sizeof(setProc);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                        kAudioUnitSetParameterSelect, &setProc, &size));
  size = sizeof(renderProc);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Output,
                                        kAudioUnitRenderSelect, &renderProc, &size));
  ASSERT_TRUE(getProc && setProc && renderProc);
  EXPECT_EQ(noErr, setProc(plug, kGain, kAudioUnitScope_Global, 0, 0.5f, 0));
  AudioUnitParameterValue v = 0;
  EXPECT_EQ(noErr, getProc(plug, kGain, kAudioUnitScope_Global, 0, &v));
  EXPECT_FLOAT_EQ(0.5f, v);
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, getProc(plug, 99, kAudioUnitScope_Global, 0, &v));
  EXPECT_FALSE(plug->GetMutex()->IsHeldByCurrentThread());

  size = 8;
  void* other = nullptr;
  for (UInt32 sel : {0u, 1u, 5u, 8u, 15u, 257u})
    EXPECT_EQ(kAudioUnitErr_InvalidElement, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch,
                                                                 kAudioUnitScope_Global, sel, &other, &size));
  Boolean writable = true;
  size = 0;
  EXPECT_EQ(noErr, AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                            kAudioUnitRenderSelect, &size, &writable));
  EXPECT_EQ(8u, size);
  EXPECT_FALSE(writable);
}

TEST(AUDispatch, ScheduleAppliesImmediateEventsAndStopsAtTheFirstError)
{
  TestUnit unit;
  AudioUnitParameterEvent ev[4];
  memset(ev, 0, sizeof(ev));
  ev[0].parameter = kGain;
  ev[0].eventType = kParameterEvent_Immediate;
  ev[0].eventValues.immediate.value = 0.75f;
  ev[1].parameter = kLevel;
  ev[1].eventType = kParameterEvent_Ramped;  // ignored
  ev[1].eventValues.ramp.startValue = 0.9f;
  ev[2].parameter = kSteps;
  ev[2].scope = kAudioUnitScope_Input;  // refused: stops here
  ev[2].eventType = kParameterEvent_Immediate;
  ev[2].eventValues.immediate.value = 7;
  ev[3].parameter = kChannel;
  ev[3].eventType = kParameterEvent_Immediate;
  ev[3].eventValues.immediate.value = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitScheduleParameters(unit, ev, 4));
  EXPECT_FLOAT_EQ(0.75f, GetParam(unit, kGain));
  EXPECT_FLOAT_EQ(0.5f, GetParam(unit, kLevel));
  EXPECT_FLOAT_EQ(3.0f, GetParam(unit, kSteps));
  EXPECT_FLOAT_EQ(1.0f, GetParam(unit, kChannel));

  ev[2].scope = kAudioUnitScope_Global;
  ev[2].parameter = kNumTestParams;  // out of the list: stops here too
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, AudioUnitScheduleParameters(unit, ev, 4));
  EXPECT_FLOAT_EQ(1.0f, GetParam(unit, kChannel));
  EXPECT_EQ(noErr, AudioUnitScheduleParameters(unit, ev, 2));
  EXPECT_EQ(kAudio_ParamError, CallEntry(unit.Plug(), kAudioUnitScheduleParametersSelect,
                                         (const AudioUnitParameterEvent*)nullptr, (UInt32)3));
}

TEST(AUDispatch, PropertyListenersAreRegisteredOncePerPropertyAndFunction)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  ListenerLog a, b;
  a.plug = plug;
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_SampleRate, LogListener, &a));
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_SampleRate, LogListener, &a));
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_SampleRate, LogListener, &b));
  EXPECT_EQ(1, plug->NPropertyListeners());
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, LogListener, &b));
  EXPECT_EQ(2, plug->NPropertyListeners());

  const Float64 sr = 48000;
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 3, &sr, 8));
  ASSERT_EQ(1u, a.ids.size());
  EXPECT_EQ(kAudioUnitProperty_SampleRate, a.ids[0]);
  EXPECT_EQ(kAudioUnitScope_Output, a.scopes[0]);
  EXPECT_EQ(0u, a.elements[0]);
  EXPECT_EQ(unit.Get(), a.units[0]);
  EXPECT_TRUE(a.lockedEachTime);
  EXPECT_TRUE(b.ids.empty());

  // Removing with another user data leaves it; removing without removes the first match.
  ASSERT_EQ(noErr, AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_SampleRate, LogListener, &b));
  EXPECT_EQ(2, plug->NPropertyListeners());
  ASSERT_EQ(noErr, AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_SampleRate, LogListener, &a));
  EXPECT_EQ(1, plug->NPropertyListeners());
  ASSERT_EQ(noErr, AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, LogListener));
  EXPECT_EQ(0, plug->NPropertyListeners());
  // Removing what is not there is not an error.
  EXPECT_EQ(noErr, AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, LogListener));
  EXPECT_EQ(noErr, CallEntry(plug, kAudioUnitRemovePropertyListenerWithUserDataSelect,
                             (UInt32)kAudioUnitProperty_Latency, (void*)LogListener, (void*)&a));
}

namespace
{
struct SelfRemover
{
  AudioUnit unit;
  AudioUnitPropertyID id;
  int calls = 0;
};

void RemoveSelf(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  SelfRemover* r = (SelfRemover*)refCon;
  ++r->calls;
  AudioUnitRemovePropertyListenerWithUserData(unit, id, RemoveSelf, refCon);
}

void RemoveOther(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  ++*(int*)refCon;
  AudioUnitRemovePropertyListener(unit, id, OtherListener);
}
}  // namespace

TEST(AUDispatch, ListenersMayRemoveThemselvesOrOthersWhileBeingCalled)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  SelfRemover self{unit.Get(), kAudioUnitProperty_BypassEffect};
  int removerCalls = 0, otherCalls = 0;
  ListenerLog after;
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, RemoveSelf, &self));
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, RemoveOther, &removerCalls));
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, OtherListener, &otherCalls));
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, LogListener, &after));

  const UInt32 on = 1;
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, 4));
  EXPECT_EQ(1, self.calls);
  EXPECT_EQ(1, removerCalls);
  EXPECT_EQ(0, otherCalls);     // removed before its turn: never called
  EXPECT_EQ(1u, after.ids.size());  // the one after the removed ones is not skipped
  EXPECT_EQ(2, plug->NPropertyListeners());

  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, 4));
  EXPECT_EQ(1, self.calls);
  EXPECT_EQ(2, removerCalls);
  EXPECT_EQ(2u, after.ids.size());
}

namespace
{
struct NotifyLog
{
  std::vector<std::pair<int, AudioUnitRenderActionFlags>> calls;  // (tag, flags)
  int tag = 0;
  AUTestPlug* plug = nullptr;
  bool locked = true;
  AudioUnit removeOnCall = nullptr;
};

OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                AudioBufferList*)
{
  NotifyLog* log = (NotifyLog*)refCon;
  log->calls.emplace_back(log->tag, *flags);
  if (log->plug && !log->plug->GetMutex()->IsHeldByCurrentThread()) log->locked = false;
  if (log->removeOnCall) AudioUnitRemoveRenderNotify(log->removeOnCall, Notify, refCon);
  return noErr;
}

OSStatus Notify2(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus,
                 UInt32 n, AudioBufferList* list)
{
  return Notify(refCon, flags, ts, bus, n, list);
}

OSStatus RenderInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                     AudioBufferList* list)
{
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    for (UInt32 i = 0; i < nFrames; ++i) ((float*)list->mBuffers[b].mData)[i] = 0.5f;
  return noErr;
}
}  // namespace

TEST(AUDispatch, RenderNotificationsRunBeforeAndAfterInOrder)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  NotifyLog first, second;
  first.tag = 1;
  second.tag = 2;
  first.plug = second.plug = plug;
  ASSERT_EQ(noErr, AudioUnitAddRenderNotify(unit, Notify, &first));
  ASSERT_EQ(noErr, AudioUnitAddRenderNotify(unit, Notify, &second));  // same function, kept
  EXPECT_EQ(2, plug->NRenderNotifications());

  TestBuffers out(2, 64);
  AudioTimeStamp ts = SampleTime(0);
  AudioUnitRenderActionFlags flags = 0x1234;
  ASSERT_EQ(noErr, AudioUnitRender(unit, &flags, &ts, 0, 64, out.List()));
  EXPECT_EQ(0x1234u, flags);  // the host's flags are left alone
  ASSERT_EQ(2u, first.calls.size());
  EXPECT_EQ((AudioUnitRenderActionFlags)kAudioUnitRenderAction_PreRender, first.calls[0].second);
  EXPECT_EQ((AudioUnitRenderActionFlags)kAudioUnitRenderAction_PostRender, first.calls[1].second);
  EXPECT_EQ(2u, second.calls.size());
  EXPECT_TRUE(first.locked && second.locked);

  // Removal by function removes the earlier registration only.
  ASSERT_EQ(noErr, AudioUnitRemoveRenderNotify(unit, Notify, &second));
  EXPECT_EQ(1, plug->NRenderNotifications());
  ts = SampleTime(64);
  ASSERT_EQ(noErr, AudioUnitRender(unit, &flags, &ts, 0, 64, out.List()));
  EXPECT_EQ(2u, first.calls.size());
  EXPECT_EQ(4u, second.calls.size());
  EXPECT_EQ(noErr, AudioUnitRemoveRenderNotify(unit, Notify2, nullptr));
}

TEST(AUDispatch, ARenderNotificationMayRemoveItselfDuringTheCall)
{
  TestUnit unit;
  NotifyLog self, later;
  self.removeOnCall = unit.Get();
  ASSERT_EQ(noErr, AudioUnitAddRenderNotify(unit, Notify, &self));
  ASSERT_EQ(noErr, AudioUnitAddRenderNotify(unit, Notify2, &later));
  TestBuffers out(2, 16);
  AudioTimeStamp ts = SampleTime(0);
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(noErr, AudioUnitRender(unit, &flags, &ts, 0, 16, out.List()));
  EXPECT_EQ(1u, self.calls.size());  // pre-render only: gone before post-render
  EXPECT_EQ(2u, later.calls.size());
  EXPECT_EQ(1, unit.Plug()->NRenderNotifications());
}

TEST(AUDispatch, MidiSelectorsReachTheEffect)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  EXPECT_EQ(noErr, MusicDeviceMIDIEvent(unit, 0x190, 0x13C, 0x64, 12));
  ASSERT_EQ(1u, plug->mMidi.size());
  EXPECT_EQ(0x90, plug->mMidi[0].mStatus);
  EXPECT_EQ(0x3C, plug->mMidi[0].mData1);
  EXPECT_EQ(0x64, plug->mMidi[0].mData2);
  EXPECT_EQ(12, plug->mMidi[0].mOffset);

  const UInt8 sysex[] = {0xF0, 0x7E, 0x01, 0xF7};
  EXPECT_EQ(noErr, MusicDeviceSysEx(unit, sysex, 4));
  ASSERT_EQ(1u, plug->mSysEx.size());
  EXPECT_EQ(std::vector<uint8_t>(sysex, sysex + 4), plug->mSysEx[0]);

  MusicDeviceNoteParams note;
  note.argCount = 2;
  note.mPitch = 64.7f;
  note.mVelocity = 99.9f;
  NoteInstanceID id = 0;
  EXPECT_EQ(noErr, MusicDeviceStartNote(unit, 0, 0, &id, 5, &note));
  EXPECT_EQ(64u, id);
  ASSERT_EQ(2u, plug->mMidi.size());
  EXPECT_EQ(IMidiMsg::kNoteOn, plug->mMidi[1].StatusMsg());
  EXPECT_EQ(64, plug->mMidi[1].NoteNumber());
  EXPECT_EQ(99, plug->mMidi[1].Velocity());
  EXPECT_EQ(5, plug->mMidi[1].mOffset);
  EXPECT_EQ(noErr, MusicDeviceStopNote(unit, 0, 64, 9));
  ASSERT_EQ(3u, plug->mMidi.size());
  EXPECT_EQ(IMidiMsg::kNoteOff, plug->mMidi[2].StatusMsg());
  EXPECT_EQ(64, plug->mMidi[2].NoteNumber());
  EXPECT_EQ(9, plug->mMidi[2].mOffset);

  EXPECT_EQ(noErr, CallEntry(plug, kMusicDevicePrepareInstrumentSelect, (UInt32)0));
  EXPECT_EQ(noErr, CallEntry(plug, kMusicDeviceReleaseInstrumentSelect, (UInt32)0));
  EXPECT_EQ(kAudio_ParamError, CallEntry(plug, kMusicDeviceStartNoteSelect, (UInt32)0, (UInt32)0, &id,
                                         (UInt32)0, (const MusicDeviceNoteParams*)nullptr));
  EXPECT_EQ(0, plug->mUnlockedCalls.load());
}

// Holding the plug-in mutex on one thread must keep a selector on another
// thread waiting, and the selector must let go of it on every way out.
TEST(AUDispatch, EverySelectorButOpenAndCloseRunsUnderThePlugInMutex)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  TestBuffers out(2, 32);
  AudioTimeStamp ts = SampleTime(0);
  AudioTimeStamp badTs = SampleTime(0);
  badTs.mFlags = 0;
  AudioUnitRenderActionFlags flags = 0;
  Float64 sr = 0;
  UInt32 size = 8;
  AudioUnitParameterValue v = 0;
  AudioUnitParameterEvent ev;
  memset(&ev, 0, sizeof(ev));
  ev.eventType = kParameterEvent_Immediate;
  ev.parameter = 1000;

  struct Case
  {
    const char* name;
    std::function<ComponentResult()> call;
  };
  const std::vector<Case> cases = {
    {"cando", [&] { return CallEntry(plug, kComponentCanDoSelect, (SInt16)1); }},
    {"version", [&] { return CallEntry(plug, kComponentVersionSelect); }},
    {"init", [&] { return CallEntry(plug, kAudioUnitInitializeSelect); }},
    {"uninit", [&] { return CallEntry(plug, kAudioUnitUninitializeSelect); }},
    {"info", [&] { return CallEntry(plug, kAudioUnitGetPropertyInfoSelect, 2u, 0u, 0u, &size, (Boolean*)nullptr); }},
    {"get", [&] { return CallEntry(plug, kAudioUnitGetPropertySelect, 2u, 0u, 0u, &sr, &size); }},
    {"get-error", [&] { return CallEntry(plug, kAudioUnitGetPropertySelect, 9999u, 0u, 0u, &sr, &size); }},
    {"set", [&] { return CallEntry(plug, kAudioUnitSetPropertySelect, 2u, 0u, 0u, &sr, 8u); }},
    {"getparam", [&] { return CallEntry(plug, kAudioUnitGetParameterSelect, 0u, 0u, 0u, &v); }},
    {"setparam", [&] { return CallEntry(plug, kAudioUnitSetParameterSelect, 0u, 0u, 0u, 1.0f, 0u); }},
    {"setparam-error", [&] { return CallEntry(plug, kAudioUnitSetParameterSelect, 999u, 0u, 0u, 1.0f, 0u); }},
    {"reset", [&] { return CallEntry(plug, kAudioUnitResetSelect, 0u, 0u); }},
    {"addlistener", [&] { return CallEntry(plug, kAudioUnitAddPropertyListenerSelect, 2u, (void*)OtherListener, (void*)nullptr); }},
    {"removelistener", [&] { return CallEntry(plug, kAudioUnitRemovePropertyListenerSelect, 2u, (void*)OtherListener); }},
    {"removelistener2", [&] { return CallEntry(plug, kAudioUnitRemovePropertyListenerWithUserDataSelect, 2u, (void*)OtherListener, (void*)nullptr); }},
    {"render", [&] { return CallEntry(plug, kAudioUnitRenderSelect, &flags, &ts, 0u, 32u, out.List()); }},
    {"render-error", [&] { return CallEntry(plug, kAudioUnitRenderSelect, &flags, &badTs, 0u, 32u, out.List()); }},
    {"addnotify", [&] { return CallEntry(plug, kAudioUnitAddRenderNotifySelect, (void*)Notify, (void*)nullptr); }},
    {"removenotify", [&] { return CallEntry(plug, kAudioUnitRemoveRenderNotifySelect, (void*)Notify, (void*)nullptr); }},
    {"schedule", [&] { return CallEntry(plug, kAudioUnitScheduleParametersSelect, &ev, 1u); }},
    {"midi", [&] { return CallEntry(plug, kMusicDeviceMIDIEventSelect, 0x90u, 60u, 1u, 0u); }},
    {"unknown", [&] { return CallEntry(plug, (SInt16)8); }},
  };

  for (const Case& c : cases)
  {
    std::atomic<bool> holding{false}, release{false}, done{false};
    std::thread holder([&] {
      plug->GetMutex()->Enter();
      holding = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      plug->GetMutex()->Leave();
    });
    while (!holding) std::this_thread::yield();
    std::thread caller([&] {
      c.call();
      EXPECT_FALSE(plug->GetMutex()->IsHeldByCurrentThread()) << c.name;
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(done) << c.name << " ran while another thread held the mutex";
    release = true;
    holder.join();
    caller.join();
    EXPECT_TRUE(done) << c.name;
  }
  EXPECT_EQ(0, plug->mUnlockedCalls.load());
}

TEST(AUDispatch, TheFastDispatchRenderTakesTheMutexToo)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  AudioUnitRenderProc renderProc = nullptr;
  UInt32 size = sizeof(renderProc);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                        kAudioUnitRenderSelect, &renderProc, &size));
  TestBuffers out(2, 32);
  AudioTimeStamp ts = SampleTime(0);
  AudioUnitRenderActionFlags flags = 0;
  std::atomic<bool> holding{false}, release{false}, done{false};
  std::thread holder([&] {
    plug->GetMutex()->Enter();
    holding = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    plug->GetMutex()->Leave();
  });
  while (!holding) std::this_thread::yield();
  std::thread renderer([&] {
    EXPECT_EQ(noErr, renderProc(plug, &flags, &ts, 0, 32, out.List()));
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(done);
  release = true;
  holder.join();
  renderer.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(0, plug->mUnlockedCalls.load());
}

TEST(AUDispatch, CloseClearsConnectionsBeforeDeletingThePlugIn)
{
  AudioUnit unit = nullptr;
  ASSERT_EQ(noErr, AudioComponentInstanceNew(TestComponent(), &unit));
  AURenderCallbackStruct cb = {RenderInput, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                        &cb, sizeof(cb)));
  AUTestPlug* plug = PlugOf(unit);
  EXPECT_EQ(IFxAU::eRenderCallback, plug->GetInputBusConnection(0)->mInputType);
  plug->ClearConnections();
  EXPECT_EQ(nullptr, plug->GetInputBusConnection(0)->mUpstreamRenderCallback.inputProc);
  EXPECT_EQ(-1, plug->GetBus(kAudioUnitScope_Input, 0)->mNHostChannels);
  EXPECT_FALSE(plug->GetBus(kAudioUnitScope_Output, 0)->mConnected);
  EXPECT_EQ(noErr, AudioComponentInstanceDispose(unit));
}

TEST(AUDispatch, ViewEntryCreatesOnlyForAPlugInWithAnEditor)
{
  TestUnit unit;
  // The view record is made on open and stored through the platform: use a
  // registered view component so that storage has somewhere to live.
  ComponentDescription viewDesc = {kAudioUnitCarbonViewComponentType, kTestSubtype, kTestMfr, 0, 0};
  Component viewComp = RegisterComponent(&viewDesc, TestGain_ViewEntry, 0, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, viewComp);
  ComponentInstance view = nullptr;
  ASSERT_EQ(noErr, OpenAComponent(viewComp, &view));
  void* viewStorage = (void*)GetComponentInstanceStorage(view);
  ASSERT_NE(nullptr, viewStorage);

  void* control = (void*)1;
  EXPECT_EQ(badComponentSelector, CallEntryOf(IFxAU::IFxAUCarbonViewEntry, viewStorage, kAudioUnitCarbonViewCreateSelect, unit.Get(),
                                            (void*)nullptr, (void*)nullptr, (void*)nullptr,
                                            (void*)nullptr, &control));
  EXPECT_EQ(badComponentSelector, CallEntryOf(IFxAU::IFxAUCarbonViewEntry, viewStorage, kAudioUnitCarbonViewCreateSelect,
                                            (AudioUnit) nullptr, (void*)nullptr, (void*)nullptr,
                                            (void*)nullptr, (void*)nullptr, &control));
  unit.Plug()->AttachGraphics(new AUTestGraphics(unit.Plug()));
  EXPECT_EQ(noErr, CallEntryOf(IFxAU::IFxAUCarbonViewEntry, viewStorage, kAudioUnitCarbonViewCreateSelect, unit.Get(), (void*)nullptr,
                             (void*)nullptr, (void*)nullptr, (void*)nullptr, &control));
  EXPECT_EQ(nullptr, control);
  EXPECT_EQ(badComponentSelector, CallEntryOf(IFxAU::IFxAUCarbonViewEntry, viewStorage, kAudioUnitCarbonViewSetEventListenerSelect));
  EXPECT_EQ(noErr, CloseComponent(view));
}
