// The audio path: control ports into parameters at the start of a run, then
// the block through the plug-in base in pieces of at most the block size.

#include "lv2/IFxLV2.h"

#include <cstring>

namespace
{
bool SameBits(float a, float b) { return memcmp(&a, &b, sizeof(float)) == 0; }
}  // namespace

void IFxLV2::ApplyControlPorts()
{
  const int n = mPorts.NControls();
  void* const* data = mPortData.Get();
  float* taken = mTakenControls.Get();
  bool changed = false;
  for (int i = 0; i < n && !changed; ++i)
  {
    const float* port = static_cast<const float*>(data[mPorts.ControlPort(i)]);
    changed = port && (mTakeAllControls || !SameBits(*port, taken[i]));
  }
  if (!changed) return;
  // The mutex is only ever held briefly by a state save; rather than wait for
  // it, the changes stay pending until the next run.
  KIT_Mutex* mutex = GetMutex();
  if (!mutex->TryEnter()) return;
  for (int i = 0; i < n; ++i)
  {
    const float* port = static_cast<const float*>(data[mPorts.ControlPort(i)]);
    if (!port) continue;
    const float value = *port;
    if (!mTakeAllControls && SameBits(value, taken[i])) continue;
    taken[i] = value;
    // As the Audio Unit's parameter call: the clamping setter on the real value.
    GetParam(i)->Set(value);
    OnParamChange(i);
  }
  mTakeAllControls = false;
  mutex->Leave();
}

void IFxLV2::Run(uint32_t nFrames)
{
  ApplyControlPorts();
  void* const* data = mPortData.Get();
  if (float* latency = static_cast<float*>(data[mPorts.LatencyPort()])) *latency = (float)GetLatency();

  const uint32_t block = (uint32_t)GetBlockSize();
  if (block == 0) return;
  const int nIn = mPorts.NAudioIn(), nOut = mPorts.NAudioOut();
  float** in = mInPtrs.Get();
  float** out = mOutPtrs.Get();
  // A host that runs more frames than it promised still gets them all.
  for (uint32_t done = 0; done < nFrames;)
  {
    const uint32_t n = nFrames - done < block ? nFrames - done : block;
    for (int c = 0; c < nIn; ++c)
    {
      float* buf = static_cast<float*>(data[mPorts.AudioInPort(c)]);
      in[c] = buf ? buf + done : nullptr;
    }
    for (int c = 0; c < nOut; ++c)
    {
      float* buf = static_cast<float*>(data[mPorts.AudioOutPort(c)]);
      out[c] = buf ? buf + done : nullptr;
    }
    AttachInputBuffers(0, nIn, in, (int)n);
    AttachOutputBuffers(0, nOut, out);
    ProcessBuffers(0.0f, (int)n);
    done += n;
  }
}
