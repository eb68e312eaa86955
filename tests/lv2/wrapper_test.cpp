// The LV2 wrapper driven in process through its own descriptor, against the
// effect driven directly through IFxBase the way the Audio Unit does it
// (float in, ProcessDoubleReplacing, float out). Every instance is made with
// the noise generator back at its start, so both sides carry the same noise.

#include "../plugin/AllocHooks.h"
#include "HostTestSupport.h"
#include "LV2Features.h"
#include "effect/Orvanta.h"
#include "effect/OrvantaNoise.h"
#include "lv2/lv2.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace
{
// The port indices as a host reads them from the description.
enum Port : uint32_t { kInL, kInR, kOutL, kOutR, kLevel, kDrive, kLow, kHigh, kChannel, kLatency, kNumPorts };

struct Instance
{
  explicit Instance(int maxBlock, double rate = 48000, bool withMap = true)
    : features(maxBlock, 0, withMap)
  {
    OrvantaNoise::_rand_state = 1;
    desc = lv2_descriptor(0);
    handle = desc->instantiate(desc, rate, "", features.Get());
    if (!handle) return;
    const float defaults[] = {0.5f, 0.5f, 0.5f, 0.5f, 1.0f};
    for (uint32_t p = kLevel; p <= kChannel; ++p)
    {
      controls[p - kLevel] = defaults[p - kLevel];
      desc->connect_port(handle, p, &controls[p - kLevel]);
    }
    desc->connect_port(handle, kLatency, &latency);
    desc->activate(handle);
  }
  ~Instance()
  {
    if (!handle) return;
    desc->deactivate(handle);
    desc->cleanup(handle);
  }

  IFxLV2* Plug() const { return static_cast<IFxLV2*>(handle); }
  float& Control(Port p) { return controls[p - kLevel]; }

  // One run over frames [pos, pos + n) of the inputs; a null right input is left unconnected.
  void Run(const float* l, const float* r, float* outL, float* outR, size_t pos, uint32_t n)
  {
    desc->connect_port(handle, kInL, const_cast<float*>(l + pos));
    desc->connect_port(handle, kInR, r ? const_cast<float*>(r + pos) : nullptr);
    desc->connect_port(handle, kOutL, outL + pos);
    desc->connect_port(handle, kOutR, outR + pos);
    desc->run(handle, n);
  }

  LV2Features features;
  const LV2_Descriptor* desc = nullptr;
  LV2_Handle handle = nullptr;
  float controls[5] = {};
  float latency = -1.0f;
};

// The effect on its own, driven as the Audio Unit drives it.
struct Direct
{
  explicit Direct(double rate)
  {
    OrvantaNoise::_rand_state = 1;
    plug.reset(MakePlug());
    plug->SetSampleRate(rate);
    plug->Reset();
    plug->OnParamReset();
  }
  void Set(int param, double value)
  {
    plug->GetParam(param)->Set(value);
    plug->OnParamChange(param);
  }
  void Process(const float* l, const float* r, float* outL, float* outR, size_t pos, int n)
  {
    std::vector<double> in0(n), in1(n, 0.0), out0(n), out1(n);
    for (int i = 0; i < n; ++i)
    {
      in0[i] = l[pos + i];
      if (r) in1[i] = r[pos + i];
    }
    double* ins[2] = {in0.data(), in1.data()};
    double* outs[2] = {out0.data(), out1.data()};
    plug->ProcessDoubleReplacing(ins, outs, n);
    for (int i = 0; i < n; ++i)
    {
      outL[pos + i] = (float)out0[i];
      outR[pos + i] = (float)out1[i];
    }
  }
  std::unique_ptr<IFxBase> plug;
};

struct Stereo
{
  explicit Stereo(size_t frames) : l(frames), r(frames), outL(frames), outR(frames)
  {
    const hosttest::Audio a = hosttest::TestSignal(48000, 2, (double)frames / 48000);
    for (size_t i = 0; i < frames; ++i)
    {
      l[i] = a.At(i, 0);
      r[i] = a.At(i, 1);
    }
  }
  std::vector<float> l, r, outL, outR;
};

// A run longer than the promised block length is processed in pieces of that length.
int Piece(int runLength, int maxBlock) { return runLength < maxBlock ? runLength : maxBlock; }
}  // namespace

// Catches the effect still built on the Audio Unit wrapper, or a descriptor
// list that offers more than the one plug-in.
TEST(LV2Wrapper, TheEffectIsBuiltAsAnLV2PlugIn)
{
  const LV2_Descriptor* d = lv2_descriptor(0);
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->URI, IFXLV2_PLUGIN_URI);
  EXPECT_EQ(lv2_descriptor(1), nullptr);
  Instance inst(512);
  ASSERT_NE(inst.handle, nullptr);
  EXPECT_STREQ(inst.Plug()->GetAPIString(), "LV2");
  EXPECT_NE(d->extension_data(LV2_STATE__interface), nullptr);
  EXPECT_EQ(d->extension_data("http://example.org/nothing"), nullptr);
}

// Catches a parameter change applied a block late or in the middle of a block,
// a port mapped to the wrong parameter, a run longer than the block length not
// processed in block-length pieces, and the mono case reading garbage from the
// unconnected right input. The oracle is the effect's direct call.
TEST(LV2Wrapper, OutputEqualsTheDirectCallAtEveryBlockSize)
{
  struct Case
  {
    int maxBlock, runLength;
    bool mono;
  } cases[] = {{1, 1, false}, {64, 64, false}, {512, 512, true}, {1000, 1000, false}, {256, 700, false}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "block " << c.maxBlock << " run " << c.runLength << (c.mono ? " mono" : ""));
    Stereo lv2(12000), direct(12000);
    Instance inst(c.maxBlock);
    ASSERT_NE(inst.handle, nullptr);
    Direct ref(48000);
    const float* r = c.mono ? nullptr : lv2.r.data();
    size_t pos = 0;
    for (int run = 0; pos < lv2.l.size(); ++run)
    {
      // Changes arrive between runs: Drive, then the Clean channel, then Low and High.
      const struct { int when; Port port; int param; float value; } changes[] = {
        {3, kDrive, Orvanta::kDrive, 0.9f}, {5, kChannel, Orvanta::kChannel, 0.0f},
        {7, kLow, Orvanta::kLow, 1.0f},     {7, kHigh, Orvanta::kHigh, 0.1f}};
      for (const auto& ch : changes)
        if (ch.when == run)
        {
          inst.Control(ch.port) = ch.value;
          ref.Set(ch.param, ch.value);
        }
      const uint32_t n = (uint32_t)std::min<size_t>(c.runLength, lv2.l.size() - pos);
      inst.Run(lv2.l.data(), r, lv2.outL.data(), lv2.outR.data(), pos, n);
      for (size_t done = 0; done < n;)
      {
        const int piece = Piece((int)(n - done), c.maxBlock);
        ref.Process(direct.l.data(), c.mono ? nullptr : direct.r.data(), direct.outL.data(), direct.outR.data(),
                    pos + done, piece);
        done += (size_t)piece;
      }
      pos += n;
    }
    EXPECT_EQ(0, memcmp(lv2.outL.data(), direct.outL.data(), lv2.outL.size() * sizeof(float)));
    EXPECT_EQ(0, memcmp(lv2.outR.data(), direct.outR.data(), lv2.outR.size() * sizeof(float)));
  }
}

// Catches a run that allocates, whether or not parameters change.
TEST(LV2Wrapper, RunAllocatesNothing)
{
  if (!kHooked) GTEST_SKIP() << "the sanitizer runtime owns malloc";
  Stereo s(512 * 40);
  Instance inst(512);
  ASSERT_NE(inst.handle, nullptr);
  inst.Run(s.l.data(), s.r.data(), s.outL.data(), s.outR.data(), 0, 512);
  const long before = gAllocs.load();
  for (int i = 1; i < 40; ++i)
  {
    inst.Control(kLow) = (float)(i % 10) / 10.0f;
    inst.Control(kChannel) = (float)(i % 2);
    inst.Run(s.l.data(), s.r.data(), s.outL.data(), s.outR.data(), (size_t)i * 512, 512);
  }
  EXPECT_EQ(gAllocs.load(), before);
}

// Catches a run that waits for the plug-in mutex while another thread (a state
// save) holds it, and a change that is dropped rather than taken next time.
TEST(LV2Wrapper, RunNeverWaitsForTheMutexAndTakesChangesLater)
{
  Stereo s(1024);
  Instance inst(512);
  ASSERT_NE(inst.handle, nullptr);
  inst.Run(s.l.data(), s.r.data(), s.outL.data(), s.outR.data(), 0, 512);
  std::atomic<bool> held{false}, release{false};
  std::thread saver([&] {
    KIT_MutexLock lock(inst.Plug()->GetMutex());
    held = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  while (!held) std::this_thread::yield();
  inst.Control(kDrive) = 0.25f;
  std::atomic<bool> ran{false};
  std::thread audio([&] {
    inst.Run(s.l.data(), s.r.data(), s.outL.data(), s.outR.data(), 512, 512);
    ran = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!ran && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(ran) << "run waited for the mutex";
  EXPECT_EQ(inst.Plug()->GetParam(Orvanta::kDrive)->Value(), 0.5) << "applied without the mutex";
  release = true;
  saver.join();
  audio.join();
  inst.Run(s.l.data(), s.r.data(), s.outL.data(), s.outR.data(), 0, 512);
  EXPECT_EQ(inst.Plug()->GetParam(Orvanta::kDrive)->Value(), 0.25);
}

// Catches a latency port never written, and block lengths not taken from the
// host's options (maximum first, else nominal, else the default).
TEST(LV2Wrapper, ReportsLatencyAndTakesTheBlockLengthFromOptions)
{
  Stereo s(64);
  Instance inst(64);
  ASSERT_NE(inst.handle, nullptr);
  inst.Run(s.l.data(), s.r.data(), s.outL.data(), s.outR.data(), 0, 64);
  EXPECT_EQ(inst.latency, 0.0f);
  EXPECT_EQ(inst.Plug()->GetBlockSize(), 64);

  OrvantaNoise::_rand_state = 1;
  LV2Features nominal(0, 300);
  const LV2_Descriptor* d = lv2_descriptor(0);
  LV2_Handle h = d->instantiate(d, 44100, "", nominal.Get());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(static_cast<IFxLV2*>(h)->GetBlockSize(), 300);
  EXPECT_EQ(static_cast<IFxLV2*>(h)->GetSampleRate(), 44100);
  d->cleanup(h);

  Instance bare(0, 48000, false);
  ASSERT_NE(bare.handle, nullptr) << "a host without a URID map still gets a plug-in";
  EXPECT_EQ(bare.Plug()->GetBlockSize(), IFxLV2::kDefaultBlockSize);
  EXPECT_EQ(d->instantiate(d, 0.0, "", bare.features.Get()), nullptr) << "a rate of 0 is refused";
}
