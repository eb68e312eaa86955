// Orvanta as an LV2 plug-in beside the open-source amp, overdrive and
// equaliser plug-ins a Linux guitarist would otherwise pick, all run by one
// block host (lilv) at 48 kHz in blocks of 512: nanoseconds per sample
// (`time/sample`). Plug-ins that are not installed (guitarix-lv2,
// calf-plugins, x42-plugins) are skipped. Orvanta comes from the build's own
// bundle, build*/Orvanta.lv2.
//
// BM_LV2OverDirect alternates the effect's direct ProcessDoubleReplacing call
// and a run through the LV2 wrapper on the same instance of the same shared
// object, timed in processor time of the thread, and prints `lv2/direct`: the
// wrapper's price as a ratio a busy machine cannot skew. Run with --benchmark_repetitions=10 and read the _min rows.

#include "LV2BlockHost.h"
#include "lv2/IFxLV2.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr double kRate = 48000;
constexpr int kBlock = 512;
// The signal played round: 16 blocks, so every block a plug-in reads is in the
// cache, as the block a host hands over has just been written.
constexpr int kSpan = 16 * kBlock;

// The build's bundle, beside the bench folder.
std::string BuildBundle()
{
  char exe[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string dir = n > 0 ? std::string(exe, (size_t)n) : std::string();
  dir = dir.substr(0, dir.rfind('/'));
  return dir.substr(0, dir.rfind('/')) + "/Orvanta.lv2";
}

const LV2BlockHost::World& World()
{
  // The system's plug-ins and the build's bundle, not an installed copy of it.
  static const bool pathSet = [] { return setenv("LV2_PATH", "/usr/lib/lv2:/usr/local/lib/lv2", 0) == 0; }();
  (void)pathSet;
  static LV2BlockHost::World world(BuildBundle().c_str());
  return world;
}

// A plucked-string phrase, as bench_effect plays it.
const std::vector<float>& Guitar()
{
  static const std::vector<float> signal = [] {
    std::vector<float> s(kSpan + kBlock);
    for (size_t i = 0; i < s.size(); ++i)
    {
      const double t = (double)(i % kSpan) / kRate;
      double v = 0;
      for (int k = 1; k <= 6; ++k) v += std::sin(2 * M_PI * 110.0 * k * t) / k;
      s[i] = (float)(0.3 * v * std::exp(-3.0 * t));
    }
    return s;
  }();
  return signal;
}

struct Peer
{
  const char* name;
  const char* uri;
};

const Peer kPeers[] = {
  {"Orvanta", IFXLV2_PLUGIN_URI},
  {"guitarix_amp", "http://guitarix.sourceforge.net/plugins/gx_amp#GUITARIX"},
  {"guitarix_ts9_overdrive", "http://guitarix.sourceforge.net/plugins/gxts9#ts9sim"},
  {"calf_saturator", "http://calf.sourceforge.net/plugins/Saturator"},
  {"x42_fil4_eq_stereo", "http://gareus.org/oss/lv2/fil4#stereo"},
};

void BM_LV2Run(benchmark::State& state, const char* uri)
{
  LV2BlockHost host(World(), uri, kRate, kBlock);
  if (!host.Error().empty())
  {
    state.SkipWithError(host.Error().c_str());
    return;
  }
  const std::vector<float>& in = Guitar();
  std::vector<std::vector<float>> outs((size_t)std::max(host.NAudioOut(), 1), std::vector<float>(kBlock));
  std::vector<float*> outPtrs;
  for (auto& o : outs) outPtrs.push_back(o.data());
  std::vector<const float*> inPtrs((size_t)std::max(host.NAudioIn(), 1));
  int pos = 0;
  for (auto _ : state)
  {
    // Every input carries the guitar, as a stereo track hands it over.
    std::fill(inPtrs.begin(), inPtrs.end(), in.data() + pos);
    host.Run(inPtrs.data(), outPtrs.data(), kBlock);
    benchmark::DoNotOptimize(outs[0].data());
    benchmark::ClobberMemory();
    pos = (pos + kBlock) % kSpan;
  }
  state.counters["time/sample"] =
    benchmark::Counter((double)state.iterations() * kBlock, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

const bool kRegistered = [] {
  for (const Peer& p : kPeers)
    benchmark::RegisterBenchmark((std::string("BM_LV2Run/") + p.name).c_str(), BM_LV2Run, p.uri)
      ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
  return true;
}();

// The processor time of this thread: on a machine shared with other work,
// the rounds are timed by what they cost, not by how long they waited.
double ThreadSeconds()
{
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

void BM_LV2OverDirect(benchmark::State& state)
{
  constexpr int kBlocksPerRound = 32;
  LV2BlockHost host(World(), IFXLV2_PLUGIN_URI, kRate, kBlock);
  if (!host.Error().empty())
  {
    state.SkipWithError(host.Error().c_str());
    return;
  }
  // The instance the host runs is the plug-in itself: its direct call runs
  // the very code the wrapper's run does.
  IFxBase* plug = static_cast<IFxLV2*>(lilv_instance_get_handle(host.Instance()));
  // Two buffers holding the same signal, as a stereo host hands them over,
  // in double precision for the direct call and in float for the host.
  const std::vector<float>& in = Guitar();
  const std::vector<float> inR = in;
  const std::vector<double> inDL(in.begin(), in.end()), inDR(in.begin(), in.end());
  std::vector<double> l(kBlock), r(kBlock);
  std::vector<float> outL(kBlock), outR(kBlock);
  float* outs[2] = {outL.data(), outR.data()};
  host.Run(nullptr, outs, kBlock);  // the first run takes every control port

  double fastestDirect = 1e30, fastestLV2 = 1e30;
  int pos = 0;
  for (auto _ : state)
  {
    const double t0 = ThreadSeconds();
    for (int i = 0; i < kBlocksPerRound; ++i)
    {
      double* ins[2] = {const_cast<double*>(inDL.data()) + pos, const_cast<double*>(inDR.data()) + pos};
      double* o[2] = {l.data(), r.data()};
      plug->ProcessDoubleReplacing(ins, o, kBlock);
      benchmark::DoNotOptimize(l.data());
      benchmark::ClobberMemory();
      pos = (pos + kBlock) % kSpan;
    }
    const double t1 = ThreadSeconds();
    for (int i = 0; i < kBlocksPerRound; ++i)
    {
      const float* ins[2] = {in.data() + pos, inR.data() + pos};
      host.Run(ins, outs, kBlock);
      benchmark::DoNotOptimize(outL.data());
      benchmark::ClobberMemory();
      pos = (pos + kBlock) % kSpan;
    }
    const double t2 = ThreadSeconds();
    const double d = t1 - t0;
    const double w = t2 - t1;
    fastestDirect = std::min(fastestDirect, d);
    fastestLV2 = std::min(fastestLV2, w);
    state.SetIterationTime(d + w);
  }
  const double samples = double(kBlocksPerRound) * kBlock;
  state.counters["direct/sample"] = fastestDirect / samples;
  state.counters["lv2/sample"] = fastestLV2 / samples;
  state.counters["lv2/direct"] = fastestLV2 / fastestDirect;
}
BENCHMARK(BM_LV2OverDirect)->UseManualTime()->MinTime(2.0);

}  // namespace
