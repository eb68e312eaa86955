#include "au/IFxAU.h"

#include "au/CFText.h"
#include "plugin/IPlugTrace.h"

#include <cstring>

// ---- telling the host about edits ----

void IFxAU::SendAUEvent(AudioUnitEventType type, ComponentInstance ci, int paramIdx)
{
  AudioUnitEvent event;
  memset(&event, 0, sizeof(event));
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = ci;
  event.mArgument.mParameter.mParameterID = (AudioUnitParameterID)paramIdx;
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IFxAU::BeginInformHostOfParamChange(int paramIdx)
{
  TRACE_F("BeginInformHostOfParamChange", "%d", paramIdx);
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, mCI, paramIdx);
}

void IFxAU::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  TRACE_F("InformHostOfParamChange", "%d:%f", paramIdx, normalizedValue);
  // The value is not sent: listeners read it back with the get-parameter call.
  (void)normalizedValue;
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, mCI, paramIdx);
}

void IFxAU::EndInformHostOfParamChange(int paramIdx)
{
  TRACE_F("EndInformHostOfParamChange", "%d", paramIdx);
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, mCI, paramIdx);
}

void IFxAU::InformHostOfProgramChange()
{
  KIT_MutexLock lock(GetMutex());
  CallPropertyListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

void IFxAU::SetLatency(int samples)
{
  KIT_MutexLock lock(GetMutex());
  CallPropertyListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IFxBase::SetLatency(samples);
}

// ---- asking the host about musical time ----

double IFxAU::GetTempo()
{
  if (mHostCallbacks.beatAndTempoProc)
  {
    Float64 currentBeat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &currentBeat, &tempo);
    if (tempo > 0.0) mTempo = tempo;
  }
  return mTempo;
}

int IFxAU::GetSamplePos()
{
  if (!mHostCallbacks.transportStateProc) return 0;
  Boolean playing = false, changed = false, cycling = false;
  Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
  mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos,
                                    &cycling, &cycleStart, &cycleEnd);
  return SaturatingInt(samplePos + 0.5);
}

void IFxAU::GetTimeSig(int* pNum, int* pDenom)
{
  if (!mHostCallbacks.musicalTimeLocationProc) return;
  UInt32 deltaToNextBeat = 0, denominator = 0;
  Float32 numerator = 0.0f;
  Float64 downBeat = 0.0;
  mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &deltaToNextBeat, &numerator,
                                         &denominator, &downBeat);
  if (pNum) *pNum = SaturatingInt(numerator);
  if (pDenom) *pDenom = (int)denominator;
}

void IFxAU::GetTime(ITimeInfo* pTimeInfo)
{
  if (!pTimeInfo) return;
  if (mHostCallbacks.beatAndTempoProc)
  {
    Float64 currentBeat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &currentBeat, &tempo);
    if (tempo > 0.0) pTimeInfo->mTempo = tempo;
    if (currentBeat > 0.0) pTimeInfo->mPPQPos = currentBeat;
  }
  if (mHostCallbacks.transportStateProc)
  {
    Boolean playing = false, changed = false, cycling = false;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos,
                                      &cycling, &cycleStart, &cycleEnd);
    if (samplePos > 0.0) pTimeInfo->mSamplePos = samplePos;
    if (cycleStart > 0.0) pTimeInfo->mCycleStart = cycleStart;
    if (cycleEnd > 0.0) pTimeInfo->mCycleEnd = cycleEnd;
    pTimeInfo->mTransportIsRunning = playing;
    pTimeInfo->mTransportLoopEnabled = cycling;
  }
  if (mHostCallbacks.musicalTimeLocationProc)
  {
    UInt32 deltaToNextBeat = 0, denominator = 0;
    Float32 numerator = 0.0f;
    Float64 downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &deltaToNextBeat,
                                           &numerator, &denominator, &downBeat);
    pTimeInfo->mNumerator = SaturatingInt(numerator);
    pTimeInfo->mDenominator = (int)denominator;
    if (downBeat > 0.0) pTimeInfo->mLastBar = downBeat;
  }
}

// ---- who the host is ----

EHost IFxAU::GetHost()
{
  if (mHost != kHostUninit) return mHost;
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  CFStringRef id = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
  if (id)
  {
    char text[256];
    if (CopyCFStringToUTF8(id, text, (int)sizeof(text)))
    {
      SetHost(text, 0);
      if (mHost != kHostUninit) return mHost;
    }
  }
  SetHost("", 0);
  return mHost;
}

void IFxAU::HostSpecificInit()
{
  GetHost();
  OnHostIdentified();
}

void IFxAU::SetHostIdentifier(const AUHostIdentifier* pHostID)
{
  char name[256];
  CopyCFStringToUTF8(pHostID->hostName, name, (int)sizeof(name));
  const NumVersion& v = pHostID->hostVersion;
  const int version = (v.majorRev << 16) + ((v.minorAndBugRev >> 4) << 8) + (v.minorAndBugRev & 0x0F);
  SetHost(name, version);
  OnHostIdentified();
}
