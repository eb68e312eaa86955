#pragma once

// The LV2 wrapper: one IFxLV2 is one instance of the plug-in in an LV2 host.
// It mirrors the Audio Unit wrapper: the effect derives from it (through the
// build-time choice in the effect's wrapper header) and it derives from
// IFxBase, turning the host's LV2 calls into calls on the base.
//
// What an effect built on this wrapper provides is what it provides for the
// Audio Unit: a constructor taking an IFxInstanceInfo, MakePlug(), and the
// entry points, here IFXLV2_ENTRY_POINTS(NAME), which defines the one symbol an
// LV2 host looks up, lv2_descriptor. The plug-in's URI is IFXLV2_PLUGIN_URI,
// given by the build so the shared object and its Turtle description agree.
//
// Ports: see LV2PortLayout. Control inputs carry real parameter values; a
// value the host writes takes effect at the start of the next run(). State:
// the LV2 state extension stores the very chunk SerializeState makes, the
// one the Audio Unit keeps under "data".

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "lv2/LV2PortLayout.h"
#include "plugin/IFxBase.h"
#include "plugin/containers/KIT_TypedBuf.h"

class IFxLV2 : public IFxBase
{
public:
  // Frames per processing call when the host states no block length: the
  // usual host buffers fit in one piece, longer runs are processed in pieces
  // of this size, and the scratch buffers stay small.
  static constexpr int kDefaultBlockSize = 4096;

  // Host thread calling instantiate (under the factory mutex); allocates.
  // plugScChans is accepted for the Audio Unit's signature; LV2 ports carry no
  // side chain here.
  IFxLV2(IFxInstanceInfo info, int nParams, const char* channelIOStr, int nPresets,
         const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
         int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
         bool plugIsInst, int plugScChans);
  // Host thread calling cleanup.
  ~IFxLV2() override;

  // Discovery thread; no allocation. The descriptor of plug-in `index` (only 0
  // exists) with the given URI; null for any other index.
  static const LV2_Descriptor* GetDescriptor(uint32_t index, const char* uri);

  // ---- the LV2 calls, as the descriptor forwards them ----

  // Instantiation thread, right after construction; allocates. Takes the sample
  // rate and, from the features, the URID map and the block length options.
  // False when the block buffers cannot be had.
  bool Instantiate(double sampleRate, const LV2_Feature* const* features);
  // Audio thread (or before activation); no lock, no allocation.
  void ConnectPort(uint32_t port, void* data);
  // Instantiation thread; takes the mutex.
  void Activate();
  void Deactivate();
  // Audio thread; no allocation, no system call, never waits for a lock.
  // Applies the control ports the host changed, processes nFrames (in pieces
  // of at most the block size) and reports the latency.
  void Run(uint32_t nFrames);
  // Any thread but the instantiation ones, possibly while Run runs; allocates.
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  // Instantiation thread; allocates. Refuses (nothing changed) a state that is
  // missing, of another type, or that does not read back as a whole chunk.
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  const LV2PortLayout& Ports() const { return mPorts; }
  // The URIDs the state is stored under; 0 without the host's URID map.
  LV2_URID StateKeyURID() const { return mStateKey; }
  LV2_URID ChunkTypeURID() const { return mAtomChunk; }
  // The key the state chunk is stored under (IFXLV2_PLUGIN_URI + "#state").
  static const char* StateKeyURI();

  // ---- IFxBase operations the wrapper supplies ----

  // Editor thread; LV2 control inputs belong to the host, so there is nothing
  // to announce here: an editor reaches the host through its own port events.
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  // Host or editor thread; nothing to announce (LV2 presets are the host's).
  void InformHostOfProgramChange() override;
  // Audio thread; no lock, no allocation. No transport is asked of the host:
  // position 0, tempo 120, and the time signature and time queries keep the
  // caller's defaults, as with an Audio Unit host that offers no callbacks.
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* pNum, int* pDenom) override
  {
    (void)pNum;
    (void)pDenom;
  }
  void GetTime(ITimeInfo* pTimeInfo) override { (void)pTimeInfo; }
  // Editor thread; tells the plug-in its editor changed size.
  void ResizeGraphics(int w, int h) override;
  // Audio or host thread; this wrapper sends no MIDI.
  bool SendMidiMsg(IMidiMsg* pMsg) override
  {
    (void)pMsg;
    return false;
  }

private:
  // Audio thread; no allocation, never waits. Takes over the control ports the
  // host changed; with the mutex busy they stay pending for the next run.
  void ApplyControlPorts();

  LV2PortLayout mPorts;
  // The host's buffer for every port (null until connected).
  KIT_TypedBuf<void*> mPortData;
  // The pointers handed to the base for one piece of a run.
  KIT_TypedBuf<float*> mInPtrs;
  KIT_TypedBuf<float*> mOutPtrs;
  // Each control port's value as last taken over; until the first run (or a
  // restore) every connected port is taken whatever it holds.
  KIT_TypedBuf<float> mTakenControls;
  bool mTakeAllControls = true;
  LV2_URID mStateKey = 0;
  LV2_URID mAtomChunk = 0;
};

#define IFXLV2_ENTRY_VISIBLE __attribute__((visibility("default")))

#ifndef IFXLV2_PLUGIN_URI
#error "the LV2 build defines IFXLV2_PLUGIN_URI, the plug-in's URI"
#endif

// Defines the one exported entry point, lv2_descriptor. NAME is the effect
// class, named for symmetry with the Audio Unit's entry points.
#define IFXLV2_ENTRY_POINTS(NAME)                                                     \
  extern "C" IFXLV2_ENTRY_VISIBLE const LV2_Descriptor* lv2_descriptor(uint32_t index) \
  {                                                                                   \
    return IFxLV2::GetDescriptor(index, IFXLV2_PLUGIN_URI);                           \
  }
