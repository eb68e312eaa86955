#include "au/IFxAU.h"

#include "plugin/IPlugTrace.h"

#include <cmath>
#include <cstring>

// ---- buses ----

int IFxAU::NHostChannelsConnected(const KIT_PtrList<BusChannels>* pBuses, int excludeIdx)
{
  bool counted = false;
  int n = 0;
  for (int i = 0; i < pBuses->GetSize(); ++i)
  {
    const BusChannels* pBus = pBuses->Get(i);
    if (i != excludeIdx && pBus->mNHostChannels >= 0)
    {
      n += pBus->mNHostChannels;
      counted = true;
    }
  }
  return counted ? n : -1;
}

bool IFxAU::CheckLegalIO()
{
  const int nIn = NHostChannelsConnected(&mInBuses, -1);
  const int nOut = NHostChannelsConnected(&mOutBuses, -1);
  if (NOutBuses() > 0 && nIn == 0 && nOut == 0) return true;
  return LegalIO(nIn, nOut);
}

bool IFxAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
  int nIn, nOut;
  if (scope == kAudioUnitScope_Input)
  {
    const int others = NHostChannelsConnected(&mInBuses, busIdx);
    nIn = (others > 0 ? others : 0) + nChannels;
    nOut = mActive ? NHostChannelsConnected(&mOutBuses, -1) : -1;
  }
  else
  {
    const int others = NHostChannelsConnected(&mOutBuses, busIdx);
    nIn = mActive ? NHostChannelsConnected(&mInBuses, -1) : -1;
    nOut = (others > 0 ? others : 0) + nChannels;
  }
  return LegalIO(nIn, nOut);
}

IFxAU::BusChannels* IFxAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx)
{
  if (busIdx > (AudioUnitElement)INT32_MAX) return nullptr;
  switch (scope)
  {
    case kAudioUnitScope_Global:
    case kAudioUnitScope_Output: return mOutBuses.Get((int)busIdx);
    case kAudioUnitScope_Input: return mInBuses.Get((int)busIdx);
    default: return nullptr;
  }
}

void IFxAU::ClearConnections()
{
  for (int i = 0; i < mInBuses.GetSize(); ++i)
  {
    BusChannels* pBus = mInBuses.Get(i);
    pBus->mConnected = false;
    pBus->mNHostChannels = -1;
    if (InputBusConnection* pConn = mInBusConnections.Get(i)) *pConn = InputBusConnection();
  }
  for (int i = 0; i < mOutBuses.GetSize(); ++i)
  {
    BusChannels* pBus = mOutBuses.Get(i);
    pBus->mConnected = false;
    pBus->mNHostChannels = -1;
  }
}

void IFxAU::AssessInputConnections()
{
  TRACE_F("AssessInputConnections", "%s", "");
  KIT_MutexLock lock(GetMutex());
  SetInputChannelConnections(0, NInChannels(), false);
  // Where the inputs come from may have changed: the next render pulls afresh.
  mLastRenderSampleTime = -1.0;

  for (int i = 0; i < mInBuses.GetSize(); ++i)
  {
    BusChannels* pBus = mInBuses.Get(i);
    InputBusConnection* pConn = mInBusConnections.Get(i);
    if (!pConn) continue;

    if (pConn->mUpstreamRenderProc && pConn->mUpstreamObj)
      pConn->mInputType = eDirectFastProc;
    else if (pConn->mUpstreamUnit)
      pConn->mInputType = eDirectNoFastProc;
    else if (pConn->mUpstreamRenderCallback.inputProc)
      pConn->mInputType = eRenderCallback;
    else
      pConn->mInputType = eNotConnected;

    pBus->mConnected = pConn->mInputType != eNotConnected;
    if (pBus->mConnected)
    {
      if (pBus->mNHostChannels < 0)
      {
        TRACE_F("AssessInputConnections", "AssumeChannels:%d", pBus->mNPlugChannels);
        pBus->mNHostChannels = pBus->mNPlugChannels;
      }
      const int nConnected =
        pBus->mNHostChannels < pBus->mNPlugChannels ? pBus->mNHostChannels : pBus->mNPlugChannels;
      SetInputChannelConnections(pBus->mPlugChannelStartIdx, nConnected, true);
      SetInputChannelConnections(pBus->mPlugChannelStartIdx + nConnected,
                                 pBus->mNPlugChannels - nConnected, false);
    }
    TRACE_F("AssessInputConnections", "%d:%s:%d:%d:%d", i, AUInputTypeStr(pConn->mInputType),
            pBus->mPlugChannelStartIdx, pBus->mNPlugChannels, pBus->mNHostChannels);
  }
}

// ---- formats and connections (under the mutex taken by the entry point) ----

void IFxAU::MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels,
                            bool interleaved)
{
  memset(pASBD, 0, sizeof(*pASBD));
  pASBD->mSampleRate = sampleRate;
  pASBD->mFormatID = kAudioFormatLinearPCM;
  pASBD->mFormatFlags = kAudioFormatFlagsCanonical;
  pASBD->mBitsPerChannel = 8 * sizeof(AudioSampleType);
  pASBD->mChannelsPerFrame = (UInt32)nChannels;
  pASBD->mFramesPerPacket = 1;
  if (interleaved)
  {
    pASBD->mBytesPerPacket = pASBD->mBytesPerFrame = (UInt32)(nChannels * sizeof(AudioSampleType));
  }
  else
  {
    pASBD->mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
    pASBD->mBytesPerPacket = pASBD->mBytesPerFrame = sizeof(AudioSampleType);
  }
}

ComponentResult IFxAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                       const AudioStreamBasicDescription* pASBD)
{
  BusChannels* pBus = GetBus(scope, element);
  if (!pBus) return kAudioUnitErr_InvalidProperty;
  // A rate that is not a finite positive number would poison every filter.
  if (!std::isfinite(pASBD->mSampleRate) || pASBD->mSampleRate <= 0.0)
    return kAudioUnitErr_InvalidPropertyValue;

  pBus->mNHostChannels = 0;
  const int nHostChannels = pASBD->mChannelsPerFrame > (UInt32)kMaxInputBusChannels
                              ? kMaxInputBusChannels + 1
                              : (int)pASBD->mChannelsPerFrame;
  const bool connectionOK = CheckLegalIO(scope, (int)element, nHostChannels);
  const bool isLPCM = pASBD->mFormatID == kAudioFormatLinearPCM;
  const bool canonical = (pASBD->mFormatFlags & kAudioFormatFlagsCanonical) != 0;
  // The unit reads and writes separate buffers of 32-bit floats, so any other
  // sample layout would be misread or overrun the host's buffers.
  const bool floatSamples = (pASBD->mFormatFlags & kAudioFormatFlagIsFloat) &&
                            pASBD->mBitsPerChannel == 8 * sizeof(AudioSampleType) &&
                            ((pASBD->mFormatFlags & kAudioFormatFlagIsNonInterleaved) ||
                             pASBD->mChannelsPerFrame == 1);
  TRACE_F("SetProperty", "%d:%d:%s:%s:%s", nHostChannels, pBus->mNPlugChannels,
          isLPCM ? "linearPCM" : "notLinearPCM", canonical ? "canonicalFormat" : "notCanonicalFormat",
          connectionOK ? "connectionOK" : "connectionNotOK");

  const bool accepted = nHostChannels > 0 && nHostChannels <= pBus->mNPlugChannels &&
                        connectionOK && isLPCM && canonical && floatSamples;
  if (accepted)
  {
    pBus->mNHostChannels = nHostChannels;
    SetSampleRate(pASBD->mSampleRate);
    Reset();
  }
  AssessInputConnections();
  return accepted ? (ComponentResult)noErr : (ComponentResult)kAudioUnitErr_InvalidProperty;
}

ComponentResult IFxAU::SetConnection(AudioUnitScope scope, const AudioUnitConnection* pConn)
{
  if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
      pConn->destInputNumber >= (UInt32)mInBusConnections.GetSize())
    return kAudioUnitErr_InvalidProperty;

  const int busIdx = (int)pConn->destInputNumber;
  InputBusConnection* pInBusConn = mInBusConnections.Get(busIdx);
  *pInBusConn = InputBusConnection();
  bool ok = true;

  if (pConn->sourceAudioUnit)
  {
    AudioStreamBasicDescription srcASBD;
    UInt32 size = sizeof(srcASBD);
    ok = AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_StreamFormat,
                              kAudioUnitScope_Output, pConn->sourceOutputNumber, &srcASBD,
                              &size) == noErr &&
         size == sizeof(srcASBD) &&
         SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, (AudioUnitElement)busIdx,
                     &size, &srcASBD) == noErr;
    if (ok)
    {
      pInBusConn->mUpstreamUnit = pConn->sourceAudioUnit;
      pInBusConn->mUpstreamBusIdx = (int)pConn->sourceOutputNumber;
      AudioUnitRenderProc srcRenderProc = nullptr;
      size = sizeof(srcRenderProc);
      if (AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_FastDispatch,
                               kAudioUnitScope_Global, kAudioUnitRenderSelect, &srcRenderProc,
                               &size) == noErr &&
          size == sizeof(srcRenderProc) && srcRenderProc)
      {
        pInBusConn->mUpstreamRenderProc = srcRenderProc;
        pInBusConn->mUpstreamObj = (void*)GetComponentInstanceStorage(pConn->sourceAudioUnit);
      }
    }
  }

  AssessInputConnections();
  return ok ? (ComponentResult)noErr : (ComponentResult)kAudioUnitErr_InvalidProperty;
}

ComponentResult IFxAU::SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                         const AURenderCallbackStruct* pCallback)
{
  if (scope != kAudioUnitScope_Input || element >= (AudioUnitElement)mInBusConnections.GetSize())
    return kAudioUnitErr_InvalidProperty;
  InputBusConnection* pInBusConn = mInBusConnections.Get((int)element);
  *pInBusConn = InputBusConnection();
  if (pCallback->inputProc) pInBusConn->mUpstreamRenderCallback = *pCallback;
  AssessInputConnections();
  return noErr;
}

// ---- channel layouts ----

AudioChannelLayoutTag IFxAU::GetTagForNumChannels(int nChannels)
{
  switch (nChannels)
  {
    case 1: return kAudioChannelLayoutTag_Mono;
    case 2: return kAudioChannelLayoutTag_Stereo;
    default: return kAudioChannelLayoutTag_Unknown;
  }
}

int IFxAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                                AudioChannelLayoutTag* pTags)
{
  const BusChannels* pBus = nullptr;
  if (scope == kAudioUnitScope_Output || (scope == kAudioUnitScope_Input && NInBuses() > 0))
    pBus = GetBus(scope, element);
  if (!pBus) return 0;
  if (pTags) pTags[0] = GetTagForNumChannels(pBus->mNPlugChannels);
  return 1;
}

// ---- buffers ----

bool IFxAU::SetBlockSize(int blockSize)
{
  if (blockSize < 1) return false;
  const long long nIn = (long long)blockSize * NInChannels();
  const long long nOut = (long long)blockSize * NOutChannels();
  if (nIn > INT32_MAX || nOut > INT32_MAX) return false;
  // Grow first and shrink last, so a failure can go back to the old sizes.
  const int oldIn = mInScratchBuf.GetSize(), oldOut = mOutScratchBuf.GetSize();
  auto keepOld = [&] {
    mInScratchBuf.Resize(oldIn, true);
    mOutScratchBuf.Resize(oldOut, true);
    return false;
  };
  if (nIn > oldIn && !mInScratchBuf.TryResize((int)nIn, false)) return keepOld();
  if (nOut > oldOut && !mOutScratchBuf.TryResize((int)nOut, false)) return keepOld();
  if (!IFxBase::SetBlockSize(blockSize)) return keepOld();
  mInScratchBuf.Resize((int)nIn, true);
  mOutScratchBuf.Resize((int)nOut, true);
  if (float* p = mInScratchBuf.Get()) memset(p, 0, (size_t)nIn * sizeof(float));
  if (float* p = mOutScratchBuf.Get()) memset(p, 0, (size_t)nOut * sizeof(float));
  // Inputs pulled into the old buffers are gone: the next render pulls afresh.
  mLastRenderSampleTime = -1.0;
  return true;
}

// ---- rendering ----

namespace
{
// An AudioBufferList with room for every channel an input bus may deliver.
struct InputBufferList
{
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[IFxAU::kMaxInputBusChannels];
};
}  // namespace

OSStatus IFxAU::RenderProc(void* pPlug, AudioUnitRenderActionFlags* pFlags,
                           const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                           AudioBufferList* pBufferList)
{
  TRACE_F("RenderProc", "%d:%d:%d", pTimestamp ? (int)pTimestamp->mSampleTime : -1,
          (int)outputBusIdx, (int)nFrames);
  // The host's action flags are neither read nor written.
  (void)pFlags;
  IFxAU* _this = (IFxAU*)pPlug;
  if (!_this) return kAudio_ParamError;
  KIT_MutexLock lock(_this->GetMutex());
  return _this->Render(pTimestamp, outputBusIdx, nFrames, pBufferList);
}

void IFxAU::CallRenderNotify(int nNotify, AudioUnitRenderActionFlags flags,
                             const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                             AudioBufferList* pBufferList)
{
  for (int i = 0; i < nNotify; ++i)
  {
    const AURenderCallbackStruct* pNotify = mRenderNotify.Get(i);
    if (!pNotify || !pNotify->inputProc) continue;
    AudioUnitRenderActionFlags localFlags = flags;
    pNotify->inputProc(pNotify->inputProcRefCon, &localFlags, pTimestamp, outputBusIdx, nFrames,
                       pBufferList);
  }
}

OSStatus IFxAU::PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames)
{
  const UInt32 nBytes = nFrames * (UInt32)sizeof(AudioSampleType);
  for (int i = 0; i < mInBuses.GetSize(); ++i)
  {
    const BusChannels* pBus = mInBuses.Get(i);
    const InputBusConnection* pConn = mInBusConnections.Get(i);
    if (!pBus->mConnected || !pConn) continue;

    const int nCh = pBus->mNHostChannels;
    InputBufferList list;
    list.mNumberBuffers = (UInt32)nCh;
    for (int j = 0; j < nCh; ++j)
    {
      list.mBuffers[j].mNumberChannels = 1;
      list.mBuffers[j].mDataByteSize = nBytes;
      list.mBuffers[j].mData = nullptr;
    }
    AudioBufferList* pList = (AudioBufferList*)&list;
    AudioUnitRenderActionFlags flags = 0;
    OSStatus r;
    switch (pConn->mInputType)
    {
      case eRenderCallback:
        for (int j = 0; j < nCh; ++j)
          list.mBuffers[j].mData = mInScratchBuf.Get() + (size_t)(pBus->mPlugChannelStartIdx + j) * nFrames;
        r = pConn->mUpstreamRenderCallback.inputProc(pConn->mUpstreamRenderCallback.inputProcRefCon,
                                                     &flags, pTimestamp, (UInt32)i, nFrames, pList);
        break;
      case eDirectNoFastProc:
        r = AudioUnitRender(pConn->mUpstreamUnit, &flags, pTimestamp, (UInt32)pConn->mUpstreamBusIdx,
                            nFrames, pList);
        break;
      case eDirectFastProc:
        r = pConn->mUpstreamRenderProc(pConn->mUpstreamObj, &flags, pTimestamp,
                                       (UInt32)pConn->mUpstreamBusIdx, nFrames, pList);
        break;
      default:
        r = noErr;
        break;
    }
    if (r != noErr) return r;

    for (int j = 0; j < nCh; ++j)
    {
      // A pull that reports success but hands back no samples (or too few) is
      // a failed pull: nothing may be read from it.
      if (!list.mBuffers[j].mData || list.mBuffers[j].mDataByteSize < nBytes)
        return kAudioUnitErr_NoConnection;
    }
    for (int j = 0; j < nCh; ++j)
    {
      float* pData = (float*)list.mBuffers[j].mData;
      AttachInputBuffers(pBus->mPlugChannelStartIdx + j, 1, &pData, (int)nFrames);
    }
  }
  return noErr;
}

OSStatus IFxAU::Render(const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                       AudioBufferList* pBufferList)
{
  if (!pTimestamp || !(pTimestamp->mFlags & kAudioTimeStampSampleTimeValid) ||
      outputBusIdx >= (UInt32)NOutBuses() || nFrames > (UInt32)GetBlockSize() || !pBufferList)
    return kAudioUnitErr_InvalidPropertyValue;

  BusChannels* pOutBus = mOutBuses.Get((int)outputBusIdx);
  const UInt32 nBytes = nFrames * (UInt32)sizeof(AudioSampleType);
  const int nBuffers = (int)(pBufferList->mNumberBuffers < 0x7FFFFFFF ? pBufferList->mNumberBuffers : 0x7FFFFFFF);
  // More host buffers than the bus has channels, or buffers too small for the
  // block, cannot be served without writing past what the host handed over.
  if (nBuffers > pOutBus->mNPlugChannels) return kAudioUnitErr_InvalidPropertyValue;
  for (int i = 0; i < nBuffers; ++i)
  {
    const AudioBuffer& buf = pBufferList->mBuffers[i];
    if (buf.mData && buf.mDataByteSize < nBytes) return kAudioUnitErr_InvalidPropertyValue;
  }
  for (int i = 0; i < mInBuses.GetSize(); ++i)
  {
    const BusChannels* pBus = mInBuses.Get(i);
    if (pBus->mConnected && (pBus->mNHostChannels > pBus->mNPlugChannels ||
                             pBus->mNHostChannels > kMaxInputBusChannels))
      return kAudioUnitErr_InvalidPropertyValue;
  }

  BeginNotifying();
  const int nNotify = mRenderNotify.GetSize();
  CallRenderNotify(nNotify, kAudioUnitRenderAction_PreRender, pTimestamp, outputBusIdx, nFrames,
                   pBufferList);

  if (pTimestamp->mSampleTime != mLastRenderSampleTime || nFrames != mLastPullFrames)
  {
    const OSStatus r = PullInputs(pTimestamp, nFrames);
    if (r != noErr)
    {
      EndNotifying();
      return r;
    }
    mLastRenderSampleTime = pTimestamp->mSampleTime;
    mLastPullFrames = nFrames;
  }

  // A bus whose format the host never set has its plug-in channel count.
  const int nHostCh = pOutBus->mNHostChannels >= 0 ? pOutBus->mNHostChannels : pOutBus->mNPlugChannels;
  const int nConnected = nBuffers < nHostCh ? nBuffers : nHostCh;
  const int first = pOutBus->mPlugChannelStartIdx;
  bool reconnect = !pOutBus->mConnected;
  for (int c = 0; c < pOutBus->mNPlugChannels && !reconnect; ++c)
    reconnect = IsOutChannelConnected(first + c) != (c < nConnected);
  if (reconnect)
  {
    SetOutputChannelConnections(first, nConnected, true);
    SetOutputChannelConnections(first + nConnected, pOutBus->mNPlugChannels - nConnected, false);
    pOutBus->mConnected = true;
  }

  for (int i = 0; i < nBuffers; ++i)
  {
    AudioBuffer& buf = pBufferList->mBuffers[i];
    if (!buf.mData)
    {
      buf.mData = mOutScratchBuf.Get() + (size_t)(first + i) * nFrames;
      buf.mDataByteSize = nBytes;
    }
    float* pData = (float*)buf.mData;
    if (i < nConnected)
      AttachOutputBuffers(first + i, 1, &pData);
    else
      memset(pData, 0, nBytes);  // a buffer beyond the host's channel count carries silence
  }

  int firstUnconnected = 0;
  while (firstUnconnected < NOutBuses() && mOutBuses.Get(firstUnconnected)->mConnected) ++firstUnconnected;
  if (firstUnconnected == (int)outputBusIdx + 1)
  {
    if (firstUnconnected < NOutBuses())
    {
      const int firstIdle = mOutBuses.Get(firstUnconnected)->mPlugChannelStartIdx;
      SetOutputChannelConnections(firstIdle, NOutChannels() - firstIdle, false);
    }
    if (IsBypassed())
      PassThroughBuffers(0.0f, (int)nFrames);
    else
      ProcessBuffers(0.0f, (int)nFrames);
  }

  CallRenderNotify(nNotify, kAudioUnitRenderAction_PostRender, pTimestamp, outputBusIdx, nFrames,
                   pBufferList);
  EndNotifying();
  return noErr;
}
