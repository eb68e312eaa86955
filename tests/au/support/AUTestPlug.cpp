#include "AUTestPlug.h"

#include "plugin/IFxFactory.h"

#include <CoreFoundation/OrvantaCFTesting.h>

#include <cmath>
#include <mutex>

AUTestPlug::AUTestPlug(IFxInstanceInfo info, const TestPlugConfig& config)
  : IFxAU(info, kNumTestParams, config.channelIO, config.nPresets, "TestGain", "", "zerrantic",
          kTestVersion, (int)kTestSubtype, (int)kTestMfr, 0, false, false, config.isInstrument,
          config.sideChainChannels)
{
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x", "Main");
  GetParam(kChannel)->InitEnum("Channel", 1, 2, "", "Main");
  GetParam(kChannel)->SetDisplayText(0, "Clean");
  GetParam(kChannel)->SetDisplayText(1, "Dirty");
  GetParam(kMute)->InitBool("Mute", false);
  GetParam(kSteps)->InitInt("Steps", 3, 0, 10, "", "Extra");
  GetParam(kTrim)->InitDouble("Trim", 0.0, -12.0, 12.0, 0.1, "dB", "Extra");
  GetParam(kTrim)->SetNegateDisplay(true);
  GetParam(kLevel)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
  GetParam(kLocked)->InitDouble("Locked", 0.25, 0.0, 1.0, 0.01);
  GetParam(kLocked)->SetCanAutomate(false);

  MakePreset("Loud", 2.0, 1, 0, 5, 6.0, 0.9, 0.25);
  MakePreset("Quiet", 0.25, 0, 0, 1, -6.0, 0.1, 0.25);
  MakeDefaultPreset("Init", 1);
  OnParamReset();
}

void AUTestPlug::NoteLock()
{
  if (!GetMutex()->IsHeldByCurrentThread()) ++mUnlockedCalls;
}

void AUTestPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  NoteLock();
  ++mProcessCalls;
  const double gain = GetParam(kMute)->Bool() ? 0.0 : mGain;
  for (int c = 0; c < NOutChannels(); ++c)
  {
    const double* in = c < NInChannels() ? inputs[c] : nullptr;
    for (int s = 0; s < nFrames; ++s)
    {
      outputs[c][s] = in ? in[s] * gain : 0.0;
      if (!std::isfinite(outputs[c][s])) mNonFinite = true;
    }
  }
}

void AUTestPlug::OnParamChange(int paramIdx)
{
  KIT_MutexLock lock(GetMutex());
  NoteLock();
  ++mParamChanges;
  if (paramIdx == kGain) mGain = GetParam(kGain)->Value();
}

void AUTestPlug::Reset()
{
  KIT_MutexLock lock(GetMutex());
  NoteLock();
  ++mResets;
  mResetSampleRate = GetSampleRate();
}

void AUTestPlug::OnActivate(bool active)
{
  KIT_MutexLock lock(GetMutex());
  NoteLock();
  ++(active ? mActivations : mDeactivations);
}

void AUTestPlug::ProcessMidiMsg(IMidiMsg* pMsg)
{
  NoteLock();
  mMidi.push_back(*pMsg);
}

void AUTestPlug::ProcessSysEx(ISysEx* pSysEx)
{
  NoteLock();
  mSysEx.emplace_back(pSysEx->mData, pSysEx->mData + pSysEx->mSize);
}

void AUTestPlug::OnHostIdentified()
{
  NoteLock();
  ++mHostIdentified;
}

std::vector<double> AUTestPlug::Values() const
{
  std::vector<double> v;
  for (int i = 0; i < NParams(); ++i) v.push_back(GetParam(i)->Value());
  return v;
}

void AUTestPlug::SetValues(const std::vector<double>& values)
{
  KIT_MutexLock lock(GetMutex());
  for (int i = 0; i < NParams() && i < (int)values.size(); ++i)
  {
    GetParam(i)->Set(values[i]);
    OnParamChange(i);
  }
}

IFxBase* MakePlug()
{
  return MakePlugUnderFactoryMutex<AUTestPlug>(kTestBundleID, kTestViewClass);
}

IFXAU_ENTRY_POINTS(TestGain)

AudioComponentDescription TestComponentDescription()
{
  return {kAudioUnitType_Effect, kTestSubtype, kTestMfr, 0, 0};
}

AudioComponent TestComponent()
{
  static Component component = [] {
    ComponentDescription desc;
    const AudioComponentDescription acd = TestComponentDescription();
    memcpy(&desc, &acd, sizeof(desc));
    return RegisterComponent(&desc, TestGain_Entry, 0, nullptr, nullptr, nullptr);
  }();
  return (AudioComponent)component;
}

AUTestPlug* PlugOf(AudioUnit unit)
{
  return dynamic_cast<AUTestPlug*>((IFxAU*)(void*)GetComponentInstanceStorage(unit));
}

TestUnit::TestUnit()
{
  AudioComponentInstanceNew(TestComponent(), &mUnit);
}

TestUnit::~TestUnit()
{
  if (mUnit) AudioComponentInstanceDispose(mUnit);
}

AudioStreamBasicDescription FloatFormat(double sampleRate, int nChannels)
{
  AudioStreamBasicDescription asbd;
  memset(&asbd, 0, sizeof(asbd));
  asbd.mSampleRate = sampleRate;
  asbd.mFormatID = kAudioFormatLinearPCM;
  asbd.mFormatFlags = kAudioFormatFlagsAudioUnitCanonical;
  asbd.mBytesPerPacket = 4;
  asbd.mFramesPerPacket = 1;
  asbd.mBytesPerFrame = 4;
  asbd.mChannelsPerFrame = (UInt32)nChannels;
  asbd.mBitsPerChannel = 32;
  return asbd;
}

AudioTimeStamp SampleTime(double sampleTime)
{
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mSampleTime = sampleTime;
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  return ts;
}

TestBuffers::TestBuffers(int nChannels, int nFrames, bool withData)
  : mList(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (nChannels > 0 ? nChannels : 1)),
    mData((size_t)nChannels)
{
  AudioBufferList* list = List();
  list->mNumberBuffers = (UInt32)nChannels;
  for (int c = 0; c < nChannels; ++c)
  {
    mData[c].assign((size_t)(nFrames > 0 ? nFrames : 1), 0.0f);
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = (UInt32)(nFrames * sizeof(float));
    list->mBuffers[c].mData = withData ? mData[c].data() : nullptr;
  }
}

void TestBuffers::Fill(int c, float value)
{
  const UInt32 n = List()->mBuffers[c].mDataByteSize / sizeof(float);
  for (UInt32 i = 0; i < n; ++i) Channel(c)[i] = value;
}

long LiveCFObjects()
{
  return (long)OrvantaCFLiveObjectCount();
}
