#include "hosts/HostUnit.h"

#include <strings.h>

#include <cstring>

namespace {

std::string Status(const std::string& what, OSStatus err)
{
  return what + " (status " + std::to_string((int)err) + ")";
}

bool Fail(std::string* error, std::string text)
{
  *error = std::move(text);
  return false;
}

// A global Float64 property; 0 when the unit does not give it.
double GlobalFloat64(AudioUnit unit, AudioUnitPropertyID property)
{
  Float64 v = 0;
  UInt32 size = sizeof(v);
  return AudioUnitGetProperty(unit, property, kAudioUnitScope_Global, 0, &v, &size) ? 0.0 : v;
}

// The exact name first, then the name in any letter case.
template <typename T>
const T* FindNamed(const std::vector<T>& items, const std::string& name)
{
  for (const T& item : items)
    if (item.name == name) return &item;
  for (const T& item : items)
    if (strcasecmp(item.name.c_str(), name.c_str()) == 0) return &item;
  return nullptr;
}

}  // namespace

std::string TextFromCode(OSType code)
{
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = (char)((code >> shift) & 0xFF);
    s += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return s;
}

std::string StringFromCF(CFStringRef s)
{
  if (!s) return std::string();
  const CFIndex max = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::vector<char> buf((size_t)max);
  if (!CFStringGetCString(s, buf.data(), max, kCFStringEncodingUTF8)) return std::string();
  return std::string(buf.data());
}

bool HostParameter::IsDiscrete() const
{
  return unit == kAudioUnitParameterUnit_Indexed || unit == kAudioUnitParameterUnit_Boolean;
}

AudioStreamBasicDescription HostFloatFormat(double sampleRate, UInt32 channels)
{
  AudioStreamBasicDescription f{};
  f.mSampleRate = sampleRate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = (UInt32)kAudioFormatFlagIsFloat | (UInt32)kAudioFormatFlagIsPacked |
                   (UInt32)kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = sizeof(float);
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = sizeof(float);
  f.mChannelsPerFrame = channels;
  f.mBitsPerChannel = 32;
  return f;
}

HostUnit::~HostUnit()
{
  if (!mUnit) return;
  if (mInitialized) AudioUnitUninitialize(mUnit);
  AudioComponentInstanceDispose(mUnit);
}

bool HostUnit::Open(const AudioComponentDescription& desc, std::string* error)
{
  const std::string identity =
    TextFromCode(desc.componentType) + " " + TextFromCode(desc.componentSubType) + " " + TextFromCode(desc.componentManufacturer);
  AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
  if (!comp)
  {
    return Fail(error, "no component " + identity +
                         " was found; set AUDIO_COMPONENT_PATH to the folder that holds its .component bundle");
  }
  mDesc = desc;
  AudioComponentGetDescription(comp, &mDesc);
  CFStringRef name = nullptr;
  if (AudioComponentCopyName(comp, &name) == noErr && name)
  {
    mName = StringFromCF(name);
    CFRelease(name);
  }
  AudioComponentGetVersion(comp, &mVersion);
  AudioUnit unit = nullptr;
  const OSStatus err = AudioComponentInstanceNew(comp, &unit);
  if (err || !unit) return Fail(error, Status("cannot open the component " + identity, err));
  mUnit = unit;
  return ReadParameters(error) && ReadPresets(error);
}

bool HostUnit::ReadParameters(std::string* error)
{
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus err = AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable);
  if (err) return Fail(error, Status("the unit gave no parameter list", err));
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (!ids.empty())
  {
    err = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size);
    if (err) return Fail(error, Status("the unit gave no parameter list", err));
    ids.resize(size / sizeof(AudioUnitParameterID));
  }
  for (AudioUnitParameterID id : ids)
  {
    AudioUnitParameterInfo info{};
    UInt32 isz = sizeof(info);
    err = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &isz);
    if (err) return Fail(error, Status("the unit gave no information on parameter " + std::to_string(id), err));
    HostParameter p;
    p.id = id;
    const bool release = (info.flags & kAudioUnitParameterFlag_CFNameRelease) != 0;
    if ((info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString)
      p.name = StringFromCF(info.cfNameString);
    else
      p.name.assign(info.name, strnlen(info.name, sizeof(info.name)));
    if (release && info.cfNameString) CFRelease(info.cfNameString);
    p.unit = info.unit;
    if (info.unit == kAudioUnitParameterUnit_CustomUnit && info.unitName)
    {
      p.unitName = StringFromCF(info.unitName);
      if (release) CFRelease(info.unitName);
    }
    p.minValue = info.minValue;
    p.maxValue = info.maxValue;
    CFArrayRef names = nullptr;
    UInt32 nsz = sizeof(names);
    if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &names, &nsz) == noErr &&
        names)
    {
      for (CFIndex i = 0; i < CFArrayGetCount(names); ++i)
        p.valueNames.push_back(StringFromCF((CFStringRef)CFArrayGetValueAtIndex(names, i)));
      CFRelease(names);
    }
    mParams.push_back(std::move(p));
  }
  return true;
}

bool HostUnit::ReadPresets(std::string* error)
{
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof(presets);
  const OSStatus err = AudioUnitGetProperty(mUnit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size);
  // A unit without factory presets is a valid unit.
  if (err == kAudioUnitErr_InvalidProperty) return true;
  if (err || !presets) return Fail(error, Status("the unit gave no factory presets", err));
  for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i)
  {
    const AUPreset* p = (const AUPreset*)CFArrayGetValueAtIndex(presets, i);
    if (p) mPresets.push_back(HostPreset{p->presetNumber, StringFromCF(p->presetName)});
  }
  CFRelease(presets);
  return true;
}

std::vector<AUChannelInfo> HostUnit::ChannelConfigurations() const
{
  UInt32 size = 0;
  Boolean writable = false;
  std::vector<AUChannelInfo> configs;
  if (AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size, &writable))
    return configs;
  configs.resize(size / sizeof(AUChannelInfo));
  if (configs.empty() ||
      AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, configs.data(), &size))
    return {};
  configs.resize(size / sizeof(AUChannelInfo));
  return configs;
}

double HostUnit::LatencySeconds() const
{
  return GlobalFloat64(mUnit, kAudioUnitProperty_Latency);
}

double HostUnit::TailSeconds() const
{
  return GlobalFloat64(mUnit, kAudioUnitProperty_TailTime);
}

double HostUnit::SampleRate() const
{
  return GlobalFloat64(mUnit, kAudioUnitProperty_SampleRate);
}

const HostParameter* HostUnit::FindParameter(const std::string& name) const
{
  return FindNamed(mParams, name);
}

const HostPreset* HostUnit::FindPreset(const std::string& name) const
{
  return FindNamed(mPresets, name);
}

bool HostUnit::GetParameter(const HostParameter& p, float* value) const
{
  return AudioUnitGetParameter(mUnit, p.id, kAudioUnitScope_Global, 0, value) == noErr;
}

std::string HostUnit::ValueText(const HostParameter& p) const
{
  AudioUnitParameterValue v = 0;
  if (!GetParameter(p, &v)) return "?";
  AudioUnitParameterStringFromValue req{};
  req.inParamID = p.id;
  req.inValue = &v;
  UInt32 size = sizeof(req);
  std::string text;
  if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &req, &size) == noErr &&
      req.outString)
  {
    text = StringFromCF(req.outString);
    CFRelease(req.outString);
  }
  if (text.empty())
  {
    char buf[32];
    snprintf(buf, sizeof(buf), "%g", v);
    text = buf;
  }
  return text;
}

bool HostUnit::SelectPreset(const HostPreset& preset, std::string* error)
{
  AUPreset p{};
  p.presetNumber = preset.number;
  p.presetName = CFStringCreateWithCString(kCFAllocatorDefault, preset.name.c_str(), kCFStringEncodingUTF8);
  const OSStatus err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &p, sizeof(p));
  if (p.presetName) CFRelease(p.presetName);
  if (err) return Fail(error, Status("the unit refused preset \"" + preset.name + "\"", err));
  return true;
}

bool HostUnit::SetParameter(const HostParameter& p, double value, std::string* error)
{
  const OSStatus err = AudioUnitSetParameter(mUnit, p.id, kAudioUnitScope_Global, 0, (AudioUnitParameterValue)value, 0);
  if (err) return Fail(error, Status("the unit refused a new value for " + p.name, err));
  return true;
}

bool HostUnit::SetBypass(bool on, std::string* error)
{
  UInt32 v = on ? 1 : 0;
  const OSStatus err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &v, sizeof(v));
  if (err) return Fail(error, Status("the unit refused bypass", err));
  return true;
}

bool HostUnit::CopyState(CFPropertyListRef* state, std::string* error) const
{
  CFPropertyListRef plist = nullptr;
  UInt32 size = sizeof(plist);
  const OSStatus err = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, &size);
  if (err || !plist)
  {
    if (plist) CFRelease(plist);
    return Fail(error, Status("the unit gave no state", err));
  }
  *state = plist;
  return true;
}

bool HostUnit::RestoreState(CFPropertyListRef state, std::string* error)
{
  const OSStatus err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state));
  if (err) return Fail(error, Status("the unit refused the state", err));
  return true;
}

bool HostUnit::OutputChannelsFor(int inChannels, int* outChannels) const
{
  // Negative counts in a configuration are wildcards: -1 "any", -2 "any, but
  // the same on both sides" on the input side; both mean "as many as in" here.
  for (const AUChannelInfo& c : ChannelConfigurations())
  {
    if (c.inChannels != inChannels && c.inChannels >= 0) continue;
    *outChannels = c.outChannels > 0 ? c.outChannels : inChannels;
    return true;
  }
  return false;
}

bool HostUnit::Prepare(double sampleRate, UInt32 inChannels, UInt32 outChannels, UInt32 maxFrames,
                       AURenderCallback input, void* inputRef, std::string* error)
{
  AudioStreamBasicDescription inFmt = HostFloatFormat(sampleRate, inChannels);
  AudioStreamBasicDescription outFmt = HostFloatFormat(sampleRate, outChannels);
  OSStatus err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &inFmt, sizeof(inFmt));
  if (!err) err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &outFmt, sizeof(outFmt));
  if (err)
  {
    return Fail(error, Status("the unit refused " + std::to_string(inChannels) + "-channel input at " +
                                  std::to_string((long long)sampleRate) + " Hz", err));
  }
  Float64 rate = sampleRate;
  err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, &rate, sizeof(rate));
  if (err) return Fail(error, Status("the unit refused the sample rate", err));
  err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames, sizeof(maxFrames));
  if (err) return Fail(error, Status("the unit refused blocks of " + std::to_string(maxFrames) + " frames", err));
  // Files are rendered as fast as the unit goes, as a workstation bounces
  // offline; a unit without the property renders the same either way.
  UInt32 offline = 1;
  AudioUnitSetProperty(mUnit, kAudioUnitProperty_OfflineRender, kAudioUnitScope_Global, 0, &offline, sizeof(offline));
  AURenderCallbackStruct cb{input, inputRef};
  err = AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb));
  if (err) return Fail(error, Status("the unit refused the input callback", err));
  err = AudioUnitInitialize(mUnit);
  if (err) return Fail(error, Status("the unit refused to initialise", err));
  mInitialized = true;
  mTime = AudioTimeStamp{};
  mTime.mFlags = kAudioTimeStampSampleTimeValid;
  return true;
}

OSStatus HostUnit::Render(UInt32 frames, AudioBufferList* io)
{
  AudioUnitRenderActionFlags flags = 0;
  const OSStatus err = AudioUnitRender(mUnit, &flags, &mTime, 0, frames, io);
  if (!err) mTime.mSampleTime += frames;
  return err;
}
