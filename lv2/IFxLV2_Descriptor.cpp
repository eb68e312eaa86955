// The LV2 descriptor: the free-standing functions a host calls, each with the
// exact parameter types of lv2/core/lv2.h, forwarding to the instance.

#include "lv2/IFxLV2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>
#include <new>

namespace
{
IFxLV2* Plug(LV2_Handle instance) { return static_cast<IFxLV2*>(instance); }

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (int i = 0; features && features[i]; ++i)
    if (features[i]->URI && strcmp(features[i]->URI, uri) == 0) return features[i]->data;
  return nullptr;
}

// The block length the host promises: its maximum, else its nominal length;
// 0 when it states neither as an int.
int BlockLengthOption(const LV2_Options_Option* options, LV2_URID_Map* map)
{
  if (!options || !map) return 0;
  const LV2_URID maxLen = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID nominalLen = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
  const LV2_URID atomInt = map->map(map->handle, LV2_ATOM__Int);
  int maxValue = 0, nominalValue = 0;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o)
  {
    if (o->type != atomInt || o->size != sizeof(int32_t) || !o->value) continue;
    const int32_t v = *static_cast<const int32_t*>(o->value);
    if (o->key == maxLen) maxValue = v;
    if (o->key == nominalLen) nominalValue = v;
  }
  return maxValue > 0 ? maxValue : nominalValue > 0 ? nominalValue : 0;
}

// Instantiation thread; allocates. Null when the rate is unusable, the
// plug-in cannot be made or memory runs out.
LV2_Handle DescInstantiate(const LV2_Descriptor* descriptor, double sampleRate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
  (void)descriptor;
  (void)bundlePath;
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0) return nullptr;
  IFxBase* base = nullptr;
  try
  {
    base = MakePlug();
  }
  catch (const std::bad_alloc&)
  {
    return nullptr;
  }
  IFxLV2* plug = dynamic_cast<IFxLV2*>(base);
  if (!plug || !plug->Instantiate(sampleRate, features))
  {
    delete base;
    return nullptr;
  }
  return plug;
}

// Audio thread; no lock, no allocation.
void DescConnectPort(LV2_Handle instance, uint32_t port, void* data) { Plug(instance)->ConnectPort(port, data); }

// Instantiation thread.
void DescActivate(LV2_Handle instance) { Plug(instance)->Activate(); }

// Audio thread; no lock, no allocation, no system call.
void DescRun(LV2_Handle instance, uint32_t sampleCount) { Plug(instance)->Run(sampleCount); }

// Instantiation thread.
void DescDeactivate(LV2_Handle instance) { Plug(instance)->Deactivate(); }

// Instantiation thread; frees the instance.
void DescCleanup(LV2_Handle instance) { delete Plug(instance); }

// Any thread that may save state; no allocation.
LV2_State_Status DescSave(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t flags, const LV2_Feature* const* features)
{
  (void)flags;
  (void)features;
  return Plug(instance)->SaveState(store, handle);
}

// Instantiation thread.
LV2_State_Status DescRestore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, uint32_t flags, const LV2_Feature* const* features)
{
  (void)flags;
  (void)features;
  return Plug(instance)->RestoreState(retrieve, handle);
}

// Discovery thread; no allocation.
const void* DescExtensionData(const char* uri)
{
  static const LV2_State_Interface sState = {DescSave, DescRestore};
  if (uri && strcmp(uri, LV2_STATE__interface) == 0) return &sState;
  return nullptr;
}
}  // namespace

const LV2_Descriptor* IFxLV2::GetDescriptor(uint32_t index, const char* uri)
{
  static const LV2_Descriptor sDescriptor = {uri,          DescInstantiate, DescConnectPort,
                                             DescActivate, DescRun,         DescDeactivate,
                                             DescCleanup,  DescExtensionData};
  return index == 0 ? &sDescriptor : nullptr;
}

bool IFxLV2::Instantiate(double sampleRate, const LV2_Feature* const* features)
{
  if (mPortData.GetSize() != (int)mPorts.NPorts() || mInPtrs.GetSize() != mPorts.NAudioIn() ||
      mOutPtrs.GetSize() != mPorts.NAudioOut() || mTakenControls.GetSize() != mPorts.NControls())
    return false;
  auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
  if (map)
  {
    mStateKey = map->map(map->handle, StateKeyURI());
    mAtomChunk = map->map(map->handle, LV2_ATOM__Chunk);
  }
  const auto* options = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
  const int blockLength = BlockLengthOption(options, map);
  if (!SetBlockSize(blockLength > 0 ? blockLength : kDefaultBlockSize)) return false;
  SetSampleRate(sampleRate);
  Reset();
  // As when an Audio Unit opens: only presets the plug-in filled are offered.
  PruneUninitializedPresets();
  return true;
}

const char* IFxLV2::StateKeyURI() { return IFXLV2_PLUGIN_URI "#state"; }

void IFxLV2::ConnectPort(uint32_t port, void* data)
{
  if (port < mPorts.NPorts()) mPortData.Get()[port] = data;
}

void IFxLV2::Activate() { OnActivate(true); }

void IFxLV2::Deactivate() { OnActivate(false); }
