#pragma once

// A block-based LV2 host over lilv, as a workstation runs a plug-in: it finds
// the plug-in by URI in a world loaded from LV2_PATH, instantiates it with a
// URID map and the block length options, connects every port it describes
// (control inputs at their defaults, atom ports to empty sequences, CV ports to
// silence, optional ports left unconnected), activates it and runs it on the
// caller's buffers one block at a time. A plug-in that schedules work gets it
// done at once, on the calling thread, and the responses after its run.

#include "LV2Features.h"

#include <lilv/lilv.h>
#include <lv2/worker/worker.h>

#include <memory>
#include <string>
#include <vector>

class LV2BlockHost
{
public:
  // A lilv world holding every bundle on LV2_PATH (or lilv's default path),
  // and the bundle folder `bundle` when one is given.
  class World
  {
  public:
    explicit World(const char* bundle = nullptr);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    LilvWorld* Get() const { return mWorld; }
    const LilvPlugin* Find(const char* uri) const;

  private:
    LilvWorld* mWorld;
  };

  LV2BlockHost(const World& world, const char* uri, double sampleRate, int maxBlock);
  ~LV2BlockHost();
  LV2BlockHost(const LV2BlockHost&) = delete;
  LV2BlockHost& operator=(const LV2BlockHost&) = delete;

  // Empty when the plug-in is running; else why it is not.
  const std::string& Error() const { return mError; }
  int NAudioIn() const { return (int)mAudioIn.size(); }
  int NAudioOut() const { return (int)mAudioOut.size(); }
  // False for a symbol that names no control port.
  bool SetControl(const char* symbol, float value);
  float Control(const char* symbol) const;
  // One block of at most maxBlock frames: in[i] feeds audio input i (null
  // leaves an optional input unconnected, else reads silence), out[i] takes
  // audio output i (null: the host's own scratch).
  void Run(const float* const* in, float* const* out, uint32_t nFrames);
  LilvInstance* Instance() const { return mInstance; }
  LV2Features& Features() { return *mFeatures; }

private:
  struct Port
  {
    uint32_t index;
    std::string symbol;
    bool optional;
  };
  int ControlIndex(const char* symbol) const;
  static LV2_Worker_Status ScheduleWork(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data);
  static LV2_Worker_Status Respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data);

  std::string mError;
  std::unique_ptr<LV2Features> mFeatures;
  LilvInstance* mInstance = nullptr;
  int mMaxBlock;
  std::vector<Port> mAudioIn, mAudioOut, mControls, mAtomIn, mAtomOut;
  std::vector<float> mControlValues;  // by control index
  std::vector<std::vector<float>> mScratch;  // CV ports
  std::vector<float> mSilence;  // inputs the caller gives none for
  std::vector<float> mSink;     // outputs the caller takes none of
  std::vector<std::vector<uint64_t>> mAtomBuffers;  // atom inputs, then atom outputs
  uint32_t mSequenceType = 0, mChunkType = 0;
  LV2_Worker_Schedule mSchedule{this, ScheduleWork};
  const LV2_Worker_Interface* mWorker = nullptr;
  std::vector<std::vector<unsigned char>> mResponses;
};
