#pragma once

// A small effect built on the Audio Unit wrapper, for the wrapper's tests: a
// gain with parameters of every type and three presets. It records what the
// wrapper asks of it, and whether the plug-in mutex was held each time.

#include "au/IFxAU.h"
#include "graphics/IGraphics.h"
#include "plugin/IMidiMsg.h"
#include "plugin/ISysEx.h"

#include <CoreServices/CoreServices.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

constexpr OSType FourCC(const char (&s)[5])
{
  return (OSType)((uint32_t)(unsigned char)s[0] << 24 | (uint32_t)(unsigned char)s[1] << 16 |
                  (uint32_t)(unsigned char)s[2] << 8 | (uint32_t)(unsigned char)s[3]);
}

constexpr OSType kTestSubtype = FourCC("tgai");
constexpr OSType kTestMfr = FourCC("Zrnt");
constexpr int kTestVersion = 0x10300;
constexpr const char* kTestBundleID = "com.zerrantic.test.gain";
constexpr const char* kTestViewClass = "TestGain_View";

enum ETestParams
{
  kGain = 0,    // double 0..2, step 0.01, label "x", group "Main"
  kChannel,     // enum Clean/Dirty, group "Main"
  kMute,        // bool
  kSteps,       // int 0..10, group "Extra"
  kTrim,        // double -12..12, step 0.1, label "dB", group "Extra", negated display
  kLevel,       // double 0..1, step 0.001, no label, no group
  kLocked,      // double 0..1, not automatable
  kNumTestParams
};

// How a test plug-in is built; the defaults make the stereo gain effect.
struct TestPlugConfig
{
  const char* channelIO = "1-1 2-2";
  bool isInstrument = false;
  int sideChainChannels = 0;
  int nPresets = 3;
};

class AUTestPlug : public IFxAU
{
public:
  explicit AUTestPlug(IFxInstanceInfo info, const TestPlugConfig& config = TestPlugConfig());

  // Render thread (under the mutex): out = in * gain, or silence when muted.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Host UI thread; takes the mutex.
  void OnParamChange(int paramIdx) override;
  // Host UI thread; takes the mutex.
  void Reset() override;
  // Host UI thread; takes the mutex.
  void OnActivate(bool active) override;
  // Host thread (under the mutex).
  void ProcessMidiMsg(IMidiMsg* pMsg) override;
  // Host thread (under the mutex).
  void ProcessSysEx(ISysEx* pSysEx) override;
  // Host UI thread (under the mutex).
  void OnHostIdentified() override;

  // Parameter values as the tests compare them.
  std::vector<double> Values() const;
  void SetValues(const std::vector<double>& values);
  int CurrentPreset() const { return mCurrentPresetIdx; }

  // Counters: written under the plug-in mutex, read by the tests.
  std::atomic<int> mResets{0};
  std::atomic<int> mActivations{0};
  std::atomic<int> mDeactivations{0};
  std::atomic<int> mParamChanges{0};
  std::atomic<int> mProcessCalls{0};
  std::atomic<int> mHostIdentified{0};
  std::atomic<int> mUnlockedCalls{0};  // callbacks that ran without the mutex
  std::atomic<bool> mNonFinite{false};
  std::vector<IMidiMsg> mMidi;
  std::vector<std::vector<uint8_t>> mSysEx;
  double mGain = 1.0;
  double mResetSampleRate = 0.0;

private:
  void NoteLock();
};

// An editor stand-in that records what the plug-in pushes to it.
class AUTestGraphics : public IGraphics
{
public:
  explicit AUTestGraphics(IFxBase* pPlug) : IGraphics(pPlug, 100, 50) {}
  // UI thread, under the plug-in mutex.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    mPushes.push_back({paramIdx, value, normalized});
  }
  struct Push
  {
    int idx;
    double value;
    bool normalized;
  };
  std::vector<Push> mPushes;
};

// The component description and entry point under which the tests register
// the test plug-in with the platform.
AudioComponentDescription TestComponentDescription();
extern "C" ComponentResult TestGain_Entry(ComponentParameters* params, Handle storage);
extern "C" ComponentResult TestGain_ViewEntry(ComponentParameters* params, Handle storage);

// The test plug-in's component, registered on first use.
AudioComponent TestComponent();

// The plug-in object of an open instance.
AUTestPlug* PlugOf(AudioUnit unit);

// An instance opened through the platform, closed when it goes out of scope.
class TestUnit
{
public:
  TestUnit();
  ~TestUnit();
  TestUnit(const TestUnit&) = delete;
  TestUnit& operator=(const TestUnit&) = delete;
  AudioUnit Get() const { return mUnit; }
  operator AudioUnit() const { return mUnit; }
  AUTestPlug* Plug() const { return PlugOf(mUnit); }

private:
  AudioUnit mUnit = nullptr;
};

// Calls the wrapper's entry point directly, packing the arguments as the
// platform does (word 0 the instance, then one 64-bit word per argument).
struct EntryCall
{
  UInt8 flags = 0;
  UInt8 paramSize = 0;
  SInt16 what = 0;
  UInt32 padding = 0;
  long params[8] = {};
};

template <class T>
long PackArg(T value)
{
  if constexpr (std::is_pointer_v<T>)
    return (long)(uintptr_t)value;
  else if constexpr (std::is_floating_point_v<T>)
  {
    uint32_t bits;
    float f = (float)value;
    memcpy(&bits, &f, sizeof(bits));
    return (long)bits;
  }
  else if constexpr (std::is_signed_v<T>)
    return (long)value;
  else
    return (long)(unsigned long)value;
}

template <class... Args>
ComponentResult CallEntryOf(ComponentResult (*entry)(ComponentParameters*, void*), void* storage, SInt16 what,
                            Args... args)
{
  EntryCall call;
  call.what = what;
  call.paramSize = (UInt8)(sizeof...(Args) * 8);
  int w = 1;
  ((call.params[w++] = PackArg(args)), ...);
  return entry((ComponentParameters*)&call, storage);
}

template <class... Args>
ComponentResult CallEntry(void* storage, SInt16 what, Args... args)
{
  return CallEntryOf(IFxAU::IFxAUEntry, storage, what, args...);
}

// A mono or stereo non-interleaved float format.
AudioStreamBasicDescription FloatFormat(double sampleRate, int nChannels);
// A time stamp with a valid sample time.
AudioTimeStamp SampleTime(double sampleTime);

// A buffer list that owns its channel buffers.
class TestBuffers
{
public:
  TestBuffers(int nChannels, int nFrames, bool withData = true);
  TestBuffers(const TestBuffers&) = delete;
  TestBuffers& operator=(const TestBuffers&) = delete;
  AudioBufferList* List() { return (AudioBufferList*)mList.data(); }
  float* Channel(int c) { return (float*)List()->mBuffers[c].mData; }
  void Fill(int c, float value);

private:
  std::vector<uint8_t> mList;
  std::vector<std::vector<float>> mData;
};

// Number of CF objects alive (the platform's test hook).
long LiveCFObjects();
