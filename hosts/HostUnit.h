// HostUnit: one Audio Unit instance driven the way a digital audio workstation
// drives it, through nothing but the platform's component and Audio Unit calls.
// Everything here runs on the program's single thread; the unit calls back into
// the input callback from inside Render, on that same thread.

#pragma once

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <vector>

// A four-character code as the platform spells it, e.g. CodeFromText("orv5").
constexpr OSType CodeFromText(const char (&s)[5])
{
  return ((OSType)(unsigned char)s[0] << 24) | ((OSType)(unsigned char)s[1] << 16) |
         ((OSType)(unsigned char)s[2] << 8) | (OSType)(unsigned char)s[3];
}

std::string TextFromCode(OSType code);
std::string StringFromCF(CFStringRef s);

struct HostParameter
{
  AudioUnitParameterID id = 0;
  std::string name;
  AudioUnitParameterUnit unit = kAudioUnitParameterUnit_Generic;
  std::string unitName;  // only for kAudioUnitParameterUnit_CustomUnit
  float minValue = 0.0f;
  float maxValue = 0.0f;
  std::vector<std::string> valueNames;  // display texts of values 0, 1, ...

  // Indexed and on/off parameters take whole numbers only.
  bool IsDiscrete() const;
};

struct HostPreset
{
  SInt32 number = 0;
  std::string name;
};

class HostUnit
{
public:
  HostUnit() = default;
  HostUnit(const HostUnit&) = delete;
  HostUnit& operator=(const HostUnit&) = delete;
  ~HostUnit();

  // Finds the component in the platform's registry, opens an instance and reads
  // its parameters and factory presets.
  bool Open(const AudioComponentDescription& desc, std::string* error);

  AudioUnit Get() const { return mUnit; }
  const AudioComponentDescription& Description() const { return mDesc; }
  const std::string& Name() const { return mName; }
  UInt32 Version() const { return mVersion; }
  const std::vector<HostParameter>& Parameters() const { return mParams; }
  const std::vector<HostPreset>& Presets() const { return mPresets; }

  std::vector<AUChannelInfo> ChannelConfigurations() const;
  double LatencySeconds() const;
  double TailSeconds() const;
  double SampleRate() const;

  // Exact name first, then the same name in any letter case.
  const HostParameter* FindParameter(const std::string& name) const;
  const HostPreset* FindPreset(const std::string& name) const;

  bool GetParameter(const HostParameter& p, float* value) const;
  // The text the unit itself shows for the parameter's current value.
  std::string ValueText(const HostParameter& p) const;

  bool SelectPreset(const HostPreset& preset, std::string* error);
  bool SetParameter(const HostParameter& p, double value, std::string* error);
  bool SetBypass(bool on, std::string* error);

  // The state dictionary; the caller releases it.
  bool CopyState(CFPropertyListRef* state, std::string* error) const;
  bool RestoreState(CFPropertyListRef state, std::string* error);

  // Channel counts the unit offers for `inChannels` input channels, from its
  // configuration list; false when it offers none.
  bool OutputChannelsFor(int inChannels, int* outChannels) const;

  // Formats, sample rate, maximum frames and the input callback, then
  // initialisation: what a host does before its first render.
  bool Prepare(double sampleRate, UInt32 inChannels, UInt32 outChannels, UInt32 maxFrames,
               AURenderCallback input, void* inputRef, std::string* error);

  // One render call of `frames` frames into `io`; the time stamp advances by
  // the frames rendered.
  OSStatus Render(UInt32 frames, AudioBufferList* io);

private:
  bool ReadParameters(std::string* error);
  bool ReadPresets(std::string* error);

  AudioUnit mUnit = nullptr;
  bool mInitialized = false;
  AudioComponentDescription mDesc{};
  std::string mName;
  UInt32 mVersion = 0;
  std::vector<HostParameter> mParams;
  std::vector<HostPreset> mPresets;
  AudioTimeStamp mTime{};
};

// The stream format a host hands the unit: non-interleaved 32-bit float.
AudioStreamBasicDescription HostFloatFormat(double sampleRate, UInt32 channels);
