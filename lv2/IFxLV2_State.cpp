// State through the LV2 state extension: one property, the plug-in's state
// chunk as an atom:Chunk, exactly the bytes SerializeState makes.

#include "lv2/IFxLV2.h"

#include <climits>
#include <ctime>

LV2_State_Status IFxLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle)
{
  if (!mStateKey || !mAtomChunk) return LV2_STATE_ERR_NO_FEATURE;
  if (!store) return LV2_STATE_ERR_UNKNOWN;
  ByteChunk chunk;
  bool ok = false;
  {
    // Polls rather than blocks: a thread asleep on the mutex would make the
    // audio thread's release of it a system call.
    KIT_Mutex* mutex = GetMutex();
    const timespec pause = {0, 200 * 1000};
    while (!mutex->TryEnter()) nanosleep(&pause, nullptr);
    ok = SerializeState(&chunk);
    mutex->Leave();
  }
  if (!ok) return LV2_STATE_ERR_UNKNOWN;
  return store(handle, mStateKey, chunk.GetData(), (size_t)chunk.Size(), mAtomChunk,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IFxLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
  if (!mStateKey || !mAtomChunk) return LV2_STATE_ERR_NO_FEATURE;
  if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* value = retrieve(handle, mStateKey, &size, &type, &flags);
  if (!value) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mAtomChunk) return LV2_STATE_ERR_BAD_TYPE;
  if (size > (size_t)INT_MAX) return LV2_STATE_ERR_UNKNOWN;

  ByteChunk chunk, before;
  if (!chunk.PutBytes(value, (int)size)) return LV2_STATE_ERR_UNKNOWN;
  KIT_MutexLock lock(GetMutex());
  if (!SerializeState(&before)) return LV2_STATE_ERR_UNKNOWN;
  // Only a chunk that reads back whole is this plug-in's state. Anything else
  // (cut short, or with bytes this plug-in never wrote) is refused, and what
  // the partial read changed goes back to what it was.
  if (UnserializeState(&chunk, 0) != chunk.Size())
  {
    UnserializeState(&before, 0);
    return LV2_STATE_ERR_UNKNOWN;
  }
  RedrawParamControls();
  // The restored values hold until the host writes something new to a port.
  void* const* data = mPortData.Get();
  float* taken = mTakenControls.Get();
  for (int i = 0; i < mPorts.NControls(); ++i)
  {
    const float* port = static_cast<const float*>(data[mPorts.ControlPort(i)]);
    taken[i] = port ? *port : (float)GetParam(i)->Value();
  }
  mTakeAllControls = false;
  return LV2_STATE_SUCCESS;
}
