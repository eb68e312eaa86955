#include "plugin/IFxBase.h"

#include "graphics/IGraphics.h"
#include "plugin/IMidiMsg.h"
#include "plugin/IPlugTrace.h"
#include "plugin/IPlugUtilities.h"
#include "plugin/SampleConvert.h"

#include <climits>
#include <cstring>

namespace
{
// Reads an optionally signed decimal int the way "%d" does (leading blanks
// skipped), saturating instead of overflowing. False when there is no number.
bool ScanInt(const char*& p, int* pOut)
{
  const char* s = p;
  while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r' || *s == '\v' || *s == '\f') ++s;
  bool neg = false;
  if (*s == '+' || *s == '-') neg = *s++ == '-';
  if (*s < '0' || *s > '9') return false;
  long long v = 0;
  while (*s >= '0' && *s <= '9')
  {
    if (v < (long long)INT_MAX + 1) v = v * 10 + (*s - '0');
    ++s;
  }
  if (neg) v = -v;
  *pOut = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : (int)v);
  p = s;
  return true;
}

// Scratch buffers always hold at least one sample, so a channel's slot never
// holds a null pointer, even before the first block size is set.
int ScratchFrames(int blockSize)
{
  return blockSize > 0 ? blockSize : 1;
}

void ZeroBuf(KIT_TypedBuf<double>* pBuf)
{
  if (pBuf->GetSize() > 0) memset(pBuf->Get(), 0, (size_t)pBuf->GetSize() * sizeof(double));
}
}  // namespace

IFxBase::IFxBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                 const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                 int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
  : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mAPI(plugAPI), mHost(kHostUninit),
    mHostVersion(0), mStateChunks(plugDoesChunks), mIsInst(plugIsInst), mDoesMIDI(plugDoesMidi),
    mIsBypassed(false), mCurrentPresetIdx(0), mSampleRate(44100.0), mBlockSize(0), mLatency(latency),
    mGraphics(nullptr), mInData(4096), mOutData(4096)
{
  TRACE_F("IFxBase", "%s:%s", effectName, CurrentTime());

  mPreviousPath.Set("");

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  CopyTextField(mEffectName, MAX_EFFECT_NAME_LEN, effectName);
  CopyTextField(mProductName, MAX_EFFECT_NAME_LEN, productName);
  CopyTextField(mMfrName, MAX_EFFECT_NAME_LEN, mfrName);

  int nIn = 0, nOut = 0;
  const char* p = channelIOStr;
  while (p)
  {
    ChannelIO io = {0, 0};
    const char* q = p;
    if (ScanInt(q, &io.mIn) && *q == '-')
    {
      ++q;
      ScanInt(q, &io.mOut);
    }
    mChannelIO.Add(new ChannelIO(io));
    if (io.mIn > nIn) nIn = io.mIn;
    if (io.mOut > nOut) nOut = io.mOut;
    p = strchr(p, ' ');
    if (p) ++p;
  }

  mInData.Resize(nIn);
  mOutData.Resize(nOut);
  nIn = mInData.GetSize();
  nOut = mOutData.GetSize();
  for (int i = 0; i < nIn; ++i)
  {
    InChannel* ch = new InChannel;
    ch->mSrc = mInData.Get() + i;
    ch->mScratchBuf.Resize(ScratchFrames(0));
    ZeroBuf(&ch->mScratchBuf);
    *ch->mSrc = ch->mScratchBuf.Get();
    mInChannels.Add(ch);
  }
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* ch = new OutChannel;
    ch->mDest = mOutData.Get() + i;
    ch->mScratchBuf.Resize(ScratchFrames(0));
    ZeroBuf(&ch->mScratchBuf);
    *ch->mDest = ch->mScratchBuf.Get();
    mOutChannels.Add(ch);
  }
}

IFxBase::~IFxBase()
{
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
}

void IFxBase::Reset()
{
  KIT_MutexLock lock(&mMutex);
}

void IFxBase::OnParamChange(int paramIdx)
{
  (void)paramIdx;
  KIT_MutexLock lock(&mMutex);
}

void IFxBase::OnActivate(bool active)
{
  (void)active;
  KIT_MutexLock lock(&mMutex);
}

// Copies each input to its output (in place when the host passes the same
// buffer) and silences outputs without an input.
template <class Sample>
static void PassThrough(Sample** inputs, Sample** outputs, int nIn, int nOut, int nFrames)
{
  for (int i = 0; i < nOut; ++i)
  {
    if (i < nIn)
    {
      if (inputs[i] != outputs[i]) memmove(outputs[i], inputs[i], (size_t)nFrames * sizeof(Sample));
    }
    else
    {
      memset(outputs[i], 0, (size_t)nFrames * sizeof(Sample));
    }
  }
}

void IFxBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  PassThrough(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IFxBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  PassThrough(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IFxBase::ProcessMidiMsg(IMidiMsg* pMsg)
{
  SendMidiMsg(pMsg);
}

bool IFxBase::MidiNoteName(int noteNumber, char* name)
{
  (void)noteNumber;
  if (name) name[0] = 0;
  return false;
}

void IFxBase::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  TRACE_F("SetParameterFromGUI", "%d:%f", paramIdx, normalizedValue);
  KIT_MutexLock lock(&mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IFxBase::AttachGraphics(IGraphics* pGraphics)
{
  if (!pGraphics) return;
  KIT_MutexLock lock(&mMutex);
  const int n = NParams();
  for (int i = 0; i < n; ++i) pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  pGraphics->PrepDraw();
  // The base owns its editor: a replaced one would otherwise be lost.
  if (mGraphics != pGraphics) delete mGraphics;
  mGraphics = pGraphics;
}

void IFxBase::SetLatency(int samples)
{
  mLatency = samples;
}

void IFxBase::RedrawParamControls()
{
  if (!mGraphics) return;
  const int n = NParams();
  for (int i = 0; i < n; ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

bool IFxBase::SetBlockSize(int blockSize)
{
  if (blockSize < 0) return false;
  if (blockSize == mBlockSize) return true;
  const int frames = ScratchFrames(blockSize);
  if ((long long)frames * (long long)sizeof(double) > INT_MAX) return false;

  const int nIn = NInChannels(), nOut = NOutChannels();
  const int nBufs = nIn + nOut;
  auto scratchOf = [&](int i) -> KIT_TypedBuf<double>* {
    return i < nIn ? &mInChannels.Get(i)->mScratchBuf : &mOutChannels.Get(i - nIn)->mScratchBuf;
  };
  auto slotOf = [&](int i) -> double** {
    return i < nIn ? mInChannels.Get(i)->mSrc : mOutChannels.Get(i - nIn)->mDest;
  };
  auto connectedOf = [&](int i) -> bool {
    return i < nIn ? mInChannels.Get(i)->mConnected : mOutChannels.Get(i - nIn)->mConnected;
  };

  // Remember where every scratch buffer was: the slots that point there must
  // follow it if the memory moves, whether or not the resize succeeds.
  KIT_TypedBuf<double*> oldPtrs(4096);
  if (!oldPtrs.TryResize(nBufs)) return false;
  for (int i = 0; i < nBufs; ++i) oldPtrs.Get()[i] = scratchOf(i)->Get();

  // Shrinking never reallocates, so undoing a partial grow cannot fail either.
  bool ok = true;
  int done = 0;
  for (; done < nBufs; ++done)
  {
    if (!scratchOf(done)->TryResize(frames, false))
    {
      ok = false;
      break;
    }
  }
  if (!ok)
  {
    for (int i = 0; i < done; ++i) scratchOf(i)->Resize(ScratchFrames(mBlockSize), false);
  }

  for (int i = 0; i < nBufs; ++i)
  {
    double** slot = slotOf(i);
    if (!connectedOf(i) || *slot == oldPtrs.Get()[i]) *slot = scratchOf(i)->Get();
  }
  if (!ok) return false;

  for (int i = 0; i < nBufs; ++i) ZeroBuf(scratchOf(i));
  mBlockSize = blockSize;
  return true;
}

int IFxBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IFxBase::GetEffectVersionStr(char* str) const
{
  GetVersionStr(mVersion, str);
}

const char* IFxBase::GetAPIString(int api)
{
  switch (api)
  {
    case kAPIVST2: return "VST2";
    case kAPIVST3: return "VST3";
    case kAPIAU: return "AU";
    case kAPIRTAS: return "RTAS";
    case kAPIAAX: return "AAX";
    case kAPISA: return "Standalone";
    case kAPILV2: return "LV2";
    default: return "";
  }
}

bool IFxBase::GetChannelIO(int idx, int* pNIn, int* pNOut) const
{
  const ChannelIO* io = mChannelIO.Get(idx);
  if (!io) return false;
  if (pNIn) *pNIn = io->mIn;
  if (pNOut) *pNOut = io->mOut;
  return true;
}

bool IFxBase::LegalIO(int nIn, int nOut) const
{
  bool legal = false;
  const int n = mChannelIO.GetSize();
  for (int i = 0; i < n && !legal; ++i)
  {
    const ChannelIO* io = mChannelIO.Get(i);
    legal = (nIn < 0 || io->mIn < 0 || nIn == io->mIn) && (nOut < 0 || io->mOut < 0 || nOut == io->mOut);
  }
  TRACE_F("LegalIO", "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

void IFxBase::LimitToStereoIO()
{
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

// The existing channels among idx ... idx + n - 1 (host-given, so any values):
// the first index through *first, one past the last as the result.
static int ChannelSpan(int idx, int n, int count, int* first)
{
  const long long end = (long long)idx + (n > 0 ? n : 0);
  *first = idx < 0 ? 0 : idx;
  return end < count ? (int)end : count;
}

// Shared by input and output channels; slot is the member holding the
// channel's place in the processing pointers, pointed at the channel's scratch
// buffer while disconnected.
template <class Channel>
static void SetChannelConnections(KIT_PtrList<Channel>& channels, int idx, int n, bool connected,
                                  double** Channel::*slot)
{
  int first = 0;
  const int last = ChannelSpan(idx, n, channels.GetSize(), &first);
  for (int i = first; i < last; ++i)
  {
    Channel* ch = channels.Get(i);
    if (!connected)
    {
      // A channel that stops being connected must read silence, not the last block.
      if (ch->mConnected) ZeroBuf(&ch->mScratchBuf);
      *(ch->*slot) = ch->mScratchBuf.Get();
    }
    ch->mConnected = connected;
  }
}

void IFxBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  SetChannelConnections(mInChannels, idx, n, connected, &InChannel::mSrc);
}

void IFxBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  SetChannelConnections(mOutChannels, idx, n, connected, &OutChannel::mDest);
}

bool IFxBase::IsInChannelConnected(int chIdx) const
{
  const InChannel* ch = mInChannels.Get(chIdx);
  return ch && ch->mConnected;
}

bool IFxBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* ch = mOutChannels.Get(chIdx);
  return ch && ch->mConnected;
}

void IFxBase::SetInputLabel(int idx, const char* label)
{
  if (InChannel* ch = mInChannels.Get(idx)) ch->mLabel.Set(label ? label : "");
}

void IFxBase::SetOutputLabel(int idx, const char* label)
{
  if (OutChannel* ch = mOutChannels.Get(idx)) ch->mLabel.Set(label ? label : "");
}

const char* IFxBase::GetInputLabel(int idx) const
{
  const InChannel* ch = mInChannels.Get(idx);
  return ch ? ch->mLabel.Get() : "";
}

const char* IFxBase::GetOutputLabel(int idx) const
{
  const OutChannel* ch = mOutChannels.Get(idx);
  return ch ? ch->mLabel.Get() : "";
}

static void SetBusLabel(KIT_PtrList<KIT_String>* pLabels, int idx, const char* label)
{
  if (idx < 0 || idx > 1) return;
  KIT_String* s = new KIT_String(label ? label : "");
  if (idx < pLabels->GetSize())
  {
    pLabels->Delete(idx, true);
    if (!pLabels->Insert(idx, s)) delete s;
  }
  else if (!pLabels->Add(s))
  {
    delete s;
  }
}

void IFxBase::SetInputBusLabel(int idx, const char* label)
{
  SetBusLabel(&mInputBusLabels, idx, label);
}

void IFxBase::SetOutputBusLabel(int idx, const char* label)
{
  SetBusLabel(&mOutputBusLabels, idx, label);
}

const char* IFxBase::GetInputBusLabel(int idx) const
{
  const KIT_String* s = mInputBusLabels.Get(idx);
  return s ? s->Get() : nullptr;
}

const char* IFxBase::GetOutputBusLabel(int idx) const
{
  const KIT_String* s = mOutputBusLabels.Get(idx);
  return s ? s->Get() : nullptr;
}

int IFxBase::ClampFrames(int nFrames) const
{
  if (nFrames < 0) return 0;
  return nFrames < mBlockSize ? nFrames : mBlockSize;
}

// Hands each existing, connected channel among idx ... idx + n - 1, in order,
// the next of the caller's pointers; unconnected channels consume none.
template <class Channel, class Pointer, class Attach>
static void AttachConnected(KIT_PtrList<Channel>& channels, int idx, int n, Pointer* ppData, Attach attach)
{
  if (!ppData) return;
  int first = 0;
  const int last = ChannelSpan(idx, n, channels.GetSize(), &first);
  int next = 0;
  for (int i = first; i < last; ++i)
  {
    Channel* ch = channels.Get(i);
    if (ch->mConnected) attach(ch, ppData[next++]);
  }
}

void IFxBase::AttachInputBuffers(int idx, int n, double** ppData, int)
{
  AttachConnected(mInChannels, idx, n, ppData,
                  [](InChannel* ch, double* p) { *ch->mSrc = p ? p : ch->mScratchBuf.Get(); });
}

void IFxBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  nFrames = ClampFrames(nFrames);
  AttachConnected(mInChannels, idx, n, ppData, [nFrames](InChannel* ch, const float* src) {
    double* dst = ch->mScratchBuf.Get();
    if (src)
      ConvertFloatToDouble(src, dst, nFrames);
    else
      memset(dst, 0, (size_t)nFrames * sizeof(double));
    *ch->mSrc = dst;
  });
}

void IFxBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  AttachConnected(mOutChannels, idx, n, ppData,
                  [](OutChannel* ch, double* p) { *ch->mDest = p ? p : ch->mScratchBuf.Get(); });
}

void IFxBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  AttachConnected(mOutChannels, idx, n, ppData, [](OutChannel* ch, float* p) {
    *ch->mDest = ch->mScratchBuf.Get();
    ch->mFDest = p;
  });
}

void IFxBase::ConvertOutputs(int nFrames, bool accumulate)
{
  const int nOut = NOutChannels();
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected || !ch->mFDest) continue;
    const double* src = *ch->mDest;
    float* dst = ch->mFDest;
    if (accumulate)
      AccumulateDoubleToFloat(src, dst, nFrames);
    else
      ConvertDoubleToFloat(src, dst, nFrames);
  }
}

void IFxBase::ProcessBuffers(double, int nFrames)
{
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), ClampFrames(nFrames));
}

void IFxBase::ProcessBuffers(float, int nFrames)
{
  nFrames = ClampFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IFxBase::ProcessBuffersAccumulating(float, int nFrames)
{
  nFrames = ClampFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, true);
}

void IFxBase::PassThroughDouble(int nFrames)
{
  double** in = mInData.Get();
  double** out = mOutData.Get();
  const int nIn = NInChannels(), nOut = NOutChannels();
  for (int i = 0; i < nOut; ++i)
  {
    if (i < nIn)
    {
      if (in[i] != out[i]) memmove(out[i], in[i], (size_t)nFrames * sizeof(double));
    }
    else
    {
      memset(out[i], 0, (size_t)nFrames * sizeof(double));
    }
  }
}

void IFxBase::PassThroughBuffers(double, int nFrames)
{
  PassThroughDouble(ClampFrames(nFrames));
}

void IFxBase::PassThroughBuffers(float, int nFrames)
{
  nFrames = ClampFrames(nFrames);
  PassThroughDouble(nFrames);
  ConvertOutputs(nFrames, false);
}

void IFxBase::ZeroScratchBuffers()
{
  const size_t bytes = (size_t)mBlockSize * sizeof(double);
  for (int i = 0; i < NInChannels(); ++i) memset(mInChannels.Get(i)->mScratchBuf.Get(), 0, bytes);
  for (int i = 0; i < NOutChannels(); ++i) memset(mOutChannels.Get(i)->mScratchBuf.Get(), 0, bytes);
}

double IFxBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

void IFxBase::OnParamReset()
{
  const int n = NParams();
  for (int i = 0; i < n; ++i) OnParamChange(i);
}

void IFxBase::DirtyParameters()
{
  KIT_MutexLock lock(&mMutex);
  const int n = NParams();
  for (int i = 0; i < n; ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}
