#include "effect/OrvantaChain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// Counts every allocation in this program, to show the audio path makes none.
static std::atomic<long> gAllocations{0};
void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// ---------------------------------------------------------------------------
// An independent, deliberately plain model of the amp: every filter is its own
// object, every frame runs through the whole chain before the next one.
// ---------------------------------------------------------------------------
struct RefBiquad {
  double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

  void design(int type, double f, double q, double gainDb, double fs) {
    f = std::min(f, 0.45 * fs);
    const double w = f * 6.283185307179586 / fs;
    const double sn = std::sin(w), cs = std::cos(w);
    const double alpha = sn * std::sinh(q * 0.34657359027997264 * w / sn);
    const double A = std::pow(10.0, gainDb / 40.0);
    double c[6];
    if (type == 1) {
      c[0] = (1 + cs) / 2; c[1] = -(1 + cs); c[2] = (1 + cs) / 2;
      c[3] = 1 + alpha; c[4] = -2 * cs; c[5] = 1 - alpha;
    } else if (type == 4) {
      c[0] = 1 + alpha * A; c[1] = -2 * cs; c[2] = 1 - alpha * A;
      c[3] = 1 + alpha / A; c[4] = -2 * cs; c[5] = 1 - alpha / A;
    } else if (type == 5) {
      const double k = std::cos(0.4099999964237213 * w);
      const double beta = std::sqrt(A) / 1.409999966621399 * sn;
      c[0] = A * ((A + 1) - (A - 1) * k + beta);
      c[1] = 2 * A * ((A - 1) - (A + 1) * k);
      c[2] = A * ((A + 1) - (A - 1) * k - beta);
      c[3] = (A + 1) + (A - 1) * k + beta;
      c[4] = -2 * ((A - 1) + (A + 1) * k);
      c[5] = (A + 1) + (A - 1) * k - beta;
    } else if (type == 6) {
      const double beta = std::sqrt(2 * A) * sn;
      c[0] = A * ((A + 1) + (A - 1) * cs + beta);
      c[1] = -2 * A * ((A - 1) + (A + 1) * cs);
      c[2] = A * ((A + 1) + (A - 1) * cs - beta);
      c[3] = (A + 1) - (A - 1) * cs + beta;
      c[4] = 2 * ((A - 1) - (A + 1) * cs);
      c[5] = (A + 1) - (A - 1) * cs - beta;
    } else {
      c[0] = (1 - cs) / 2; c[1] = 1 - cs; c[2] = (1 - cs) / 2;
      c[3] = 1 + alpha; c[4] = -2 * cs; c[5] = 1 - alpha;
    }
    b0 = c[0] / c[3]; b1 = c[1] / c[3]; b2 = c[2] / c[3]; a1 = c[4] / c[3]; a2 = c[5] / c[3];
  }

  double run(double in) {
    double y = b0 * in;
    y += b1 * x1;
    y += b2 * x2;
    y -= a1 * y1;
    y -= a2 * y2;
    x2 = x1; x1 = in; y2 = y1; y1 = y;
    return y + 1e-20;
  }
};

struct RefOnePole {
  double a0 = 0, b1 = 0, z = 0;
  void design(double f, double fs) {
    const double p = std::exp(-(f * 6.283185307179586) / fs);
    a0 = 1 - p;
    b1 = -p;
  }
  double lowPass(double in) { z = a0 * in - b1 * z; return z + 1e-20; }
  double highPass(double in) { z = a0 * in - b1 * z; return in - z + 1e-20; }
};

double refClip(double in, double drive) {
  const double x = in * drive;
  if (std::isnan(x)) return 0.0;
  if (std::fabs(x) >= 0.2) return (x < 0 ? -0.1 : 0.1) * 0.5 * 10;
  return x * (1 - std::fabs(x) / 0.4) * 0.5 * 10;
}

struct RefAmp {
  RefBiquad pre, tsLow, tsShelf, drvHigh, drvLow, drvShelf, toneLow, toneHigh, cab[8], clnHigh, clnLow, clnShelf;
  RefOnePole tsaHigh, tsaLow, tsbLow1, tsbHigh1, tsbLow2, tsbHigh2;
  std::vector<double> noise;
  double fs = 44100, level = 0.5, drive = 0.5, low = 0.5, high = 0.5;

  RefAmp() : noise(44100) {}

  static double gain(double lv) { return 1 - (1 - std::exp(-3 * (1 - lv / 4))) / (1 - std::exp(-3.0)); }

  void makeNoise(uint32_t state) {
    float acc = 0;
    for (double& v : noise) {
      state = state * 1234567u + 890123u;
      const double mag = std::ldexp(1.0 + ((state >> 16) & 0x7f) / 128.0, -67);
      acc += static_cast<float>((state & 0x80000000u) ? -mag : mag);
      v = acc;
    }
  }

  // Full set-up: every filter starts over from a cleared state.
  void designAll() {
    for (RefBiquad* b : {&pre, &tsLow, &tsShelf, &drvHigh, &drvLow, &drvShelf, &toneLow, &toneHigh, &clnHigh,
                         &clnLow, &clnShelf})
      *b = RefBiquad();
    for (RefBiquad& b : cab) b = RefBiquad();
    for (RefOnePole* p : {&tsaHigh, &tsaLow, &tsbLow1, &tsbHigh1, &tsbLow2, &tsbHigh2}) *p = RefOnePole();
    pre.design(0, 650, 1.4, 0, fs);
    tsLow.design(0, 2000, 1.4, 0, fs);
    tsShelf.design(6, 3100, 3, 12, fs);
    tsaHigh.design(720.484, fs);
    tsaLow.design(723.431, fs);
    tsbHigh1.design(720.484, fs);
    tsbLow1.design(2000, fs);
    tsbHigh2.design(723.431, fs);
    tsbLow2.design(2700, fs);
    drvHigh.design(1, 730, 1.4, 0, fs);
    drvLow.design(0, 650, 1.4, 0, fs);
    drvShelf.design(6, 9000, 1, -24, fs);
    toneLow.design(5, 500, 2, low * 12 - 6, fs);
    toneHigh.design(4, 6000, 2, high * 18 - 9, fs);
    const double cabSpec[8][3] = {{700, 1, 9},   {60, 1, 19},    {3000, 1.8, 16.5}, {750, 1, 5.7},
                                  {1200, 0.5, 2.7}, {3500, 0.4, 2.4}, {200, 2, 10},      {430, 1.4, -4.5}};
    for (int k = 0; k < 8; ++k) cab[k].design(k == 0 ? 5 : 4, cabSpec[k][0], cabSpec[k][1], cabSpec[k][2], fs);
    clnHigh.design(1, 120, 1.4, 0, fs);
    clnLow.design(0, 6150, 1.4, 0, fs);
    clnShelf.design(6, 3100, 1, 18.9, fs);
  }
  double screamer(double a, double clipDrive) {
    const double t1 = tsLow.run(a);
    const double t3 = t1 + refClip(tsaHigh.highPass(t1), clipDrive);
    return tsShelf.run(tsaLow.lowPass(t3));
  }

  double frame(double x, bool dirty) {
    const double a = pre.run(x);
    double s;
    if (dirty) {
      const double da = drvShelf.run(refClip(drvLow.run(drvHigh.run(x)), drive * 500)) * 2.55;
      const double ta = screamer(a, 32.4);
      const double d1 = refClip(tsbHigh1.highPass(tsbLow1.lowPass(a)), drive * 75 + 3);
      const double d2 = refClip(d1, 1);
      const double l = tsbLow2.lowPass(d2);
      const double h = tsbHigh2.highPass(d2);
      s = da + ta + (h * -0.07 + l) * 0.6;
    } else {
      const double cl = clnShelf.run(clnLow.run(clnHigh.run(x))) * 10;
      const double tc = screamer(a, drive * 3.8 + 1) * 3;
      s = tc + cl;
    }
    double v = toneHigh.run(toneLow.run(s * gain(level)));
    for (RefBiquad& b : cab) v = b.run(v);
    return v;
  }

  void process(const double* in0, const double* in1, double* out0, double* out1, int n, bool dirty) {
    for (int i = 0; i < n; ++i) {
      const double y = frame(in0[i] + in1[i] + noise[i % 44100], dirty);
      out0[i] = y;
      out1[i] = y;
    }
  }
};

// ---------------------------------------------------------------------------

std::vector<double> guitar(int n, double amp, double phase) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) {
    const int t = i % 9000;
    v[i] = amp * std::exp(-t / 3000.0) *
           (std::sin(0.031 * i + phase) + 0.6 * std::sin(0.093 * i) + 0.3 * std::sin(0.41 * i + phase));
  }
  return v;
}

struct Setting {
  double fs, level, drive, low, high;
  int channel;
};

std::unique_ptr<OrvantaChain> makeChain(const Setting& s) {
  auto chain = std::make_unique<OrvantaChain>();
  OrvantaNoise::_rand_state = 1;
  chain->SetLevel(s.level);
  chain->SetDrive(s.drive);
  chain->Init(s.fs, s.low, s.high);
  return chain;
}

std::unique_ptr<RefAmp> makeRef(const Setting& s) {
  auto ref = std::make_unique<RefAmp>();
  ref->fs = s.fs;
  ref->level = s.level;
  ref->drive = s.drive;
  ref->low = s.low;
  ref->high = s.high;
  ref->makeNoise(1);
  ref->designAll();
  return ref;
}

void expectClose(const std::vector<double>& got, const std::vector<double>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    ASSERT_TRUE(std::isfinite(got[i])) << what << " frame " << i;
    ASSERT_LE(std::fabs(got[i] - want[i]), 1e-12 * std::fabs(want[i])) << what << " frame " << i;
  }
}

// Runs `total` frames through chain and model in blocks of the given sizes
// (cycled), comparing both outputs of every frame.
void compareRun(OrvantaChain& chain, RefAmp& ref, int channel, const std::vector<int>& blocks, int total,
                double amp) {
  const std::vector<double> in0 = guitar(total, amp, 0.0), in1 = guitar(total, amp * 0.5, 1.3);
  std::vector<double> got0(total), got1(total), want0(total), want1(total);
  int pos = 0;
  for (size_t b = 0; pos < total; ++b) {
    const int n = std::min(blocks[b % blocks.size()], total - pos);
    const double* ins[2] = {in0.data() + pos, in1.data() + pos};
    double* outs[2] = {got0.data() + pos, got1.data() + pos};
    chain.Process(ins, outs, n, channel);
    ref.process(ins[0], ins[1], want0.data() + pos, want1.data() + pos, n, channel == OrvantaChain::kDirty);
    pos += n;
  }
  expectClose(got0, want0, "left");
  expectClose(got1, want1, "right");
  EXPECT_EQ(0, std::memcmp(got0.data(), got1.data(), total * sizeof(double)));
}

TEST(ChainOracle, BothChannelsAgreeWithPlainModel) {
  const Setting settings[] = {
      {44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty}, {44100, 0.5, 0.1, 0.5, 0.5, OrvantaChain::kClean},
      {48000, 1.0, 1.0, 0.0, 1.0, OrvantaChain::kDirty}, {96000, 0.8, 0.9, 1.0, 0.0, OrvantaChain::kClean},
      {22050, 0.2, 0.0, 0.3, 0.7, OrvantaChain::kDirty}, {192000, 1.0, 0.6, 0.9, 0.2, OrvantaChain::kClean},
  };
  const std::vector<int> blocks = {64, 1, 7, 1024, 3, 6, 5, 333, 2, 512};
  for (const Setting& s : settings) {
    SCOPED_TRACE(::testing::Message() << "fs " << s.fs << " channel " << s.channel << " drive " << s.drive);
    auto chain = makeChain(s);
    auto ref = makeRef(s);
    compareRun(*chain, *ref, s.channel, blocks, 12000, 0.3);
  }
}

TEST(ChainOracle, SilenceAndHotInput) {
  for (int channel : {OrvantaChain::kDirty, OrvantaChain::kClean}) {
    const Setting s = {44100, 0.7, 0.8, 0.5, 0.5, channel};
    auto chain = makeChain(s);
    auto ref = makeRef(s);
    compareRun(*chain, *ref, channel, {256}, 4096, 0.0);
    compareRun(*chain, *ref, channel, {100, 13}, 8000, 4.0);
  }
}

TEST(ChainOracle, ParameterChangesAndChannelSwitchesBetweenBlocks) {
  Setting s = {44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty};
  auto chain = makeChain(s);
  auto ref = makeRef(s);
  compareRun(*chain, *ref, OrvantaChain::kDirty, {128}, 2000, 0.3);

  chain->SetLow(1.0);
  chain->SetHigh(0.1);
  ref->low = 1.0;
  ref->high = 0.1;
  ref->toneLow.design(5, 500, 2, 1.0 * 12 - 6, 44100);
  ref->toneHigh.design(4, 6000, 2, 0.1 * 18 - 9, 44100);
  compareRun(*chain, *ref, OrvantaChain::kClean, {77}, 3000, 0.3);

  chain->SetDrive(0.9);
  chain->SetLevel(0.95);
  ref->drive = 0.9;
  ref->level = 0.95;
  compareRun(*chain, *ref, OrvantaChain::kDirty, {1000, 9}, 3000, 0.3);
  compareRun(*chain, *ref, OrvantaChain::kClean, {64}, 1000, 0.3);

  // A new rate clears every state and re-designs every filter.
  EXPECT_TRUE(chain->SetSampleRate(48000));
  ref->fs = 48000;
  ref->designAll();
  compareRun(*chain, *ref, OrvantaChain::kDirty, {512}, 3000, 0.3);
}

TEST(ChainOracle, BlocksLongerThanTheNoiseTableWrapAroundIt) {
  const Setting s = {44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty};
  auto chain = makeChain(s);
  auto ref = makeRef(s);
  compareRun(*chain, *ref, OrvantaChain::kDirty, {50000}, 50000, 0.0);
}

TEST(ChainOracle, InPlaceBuffers) {
  const Setting s = {44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty};
  auto chain = makeChain(s);
  auto ref = makeRef(s);
  std::vector<double> l = guitar(3000, 0.3, 0), r = guitar(3000, 0.1, 2), want0(3000), want1(3000);
  for (int pos = 0; pos < 3000; pos += 300)
    ref->process(l.data() + pos, r.data() + pos, want0.data() + pos, want1.data() + pos, 300, true);
  for (int pos = 0; pos < 3000; pos += 300) {
    const double* ins[2] = {l.data() + pos, r.data() + pos};
    double* outs[2] = {l.data() + pos, r.data() + pos};
    chain->Process(ins, outs, 300, OrvantaChain::kDirty);
  }
  expectClose(l, want0, "left");
  expectClose(r, want1, "right");
}

TEST(Chain, LevelGainCurve) {
  EXPECT_EQ(OrvantaChain::LevelGain(0.0), 0.0);
  EXPECT_NEAR(OrvantaChain::LevelGain(0.5), 0.02384, 1e-5);
  EXPECT_NEAR(OrvantaChain::LevelGain(1.0), 0.05853, 1e-5);
}

TEST(Chain, LevelZeroCutsTheInput) {
  const Setting s = {44100, 0.0, 0.3, 0.5, 0.5, OrvantaChain::kDirty};
  auto chain = makeChain(s);
  std::vector<double> loud = guitar(2048, 1.0, 0), quiet(2048, 0.0), a(2048), b(2048);
  const double* in1[2] = {loud.data(), loud.data()};
  double* out1[2] = {a.data(), a.data()};
  chain->Process(in1, out1, 2048, OrvantaChain::kDirty);
  auto silent = makeChain(s);
  const double* in2[2] = {quiet.data(), quiet.data()};
  double* out2[2] = {b.data(), b.data()};
  silent->Process(in2, out2, 2048, OrvantaChain::kDirty);
  EXPECT_EQ(0, std::memcmp(a.data(), b.data(), sizeof(double) * 2048));
}

TEST(Chain, SilenceGivesTinyNormalOutput) {
  for (int channel : {OrvantaChain::kDirty, OrvantaChain::kClean}) {
    auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, channel});
    std::vector<double> zero(4096, 0.0), l(4096), r(4096);
    const double* ins[2] = {zero.data(), zero.data()};
    double* outs[2] = {l.data(), r.data()};
    for (int k = 0; k < 20; ++k) {
      chain->Process(ins, outs, 4096, channel);
      for (double v : l) {
        ASSERT_NE(v, 0.0);
        ASSERT_EQ(std::fpclassify(v), FP_NORMAL);
        ASSERT_LT(std::fabs(v), 1e-15);
      }
    }
  }
}

TEST(Chain, EmptyBlockChangesNothing) {
  auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  std::vector<double> sig = guitar(100, 0.3, 0), out(100, 7.0);
  const double* ins[2] = {sig.data(), sig.data()};
  double* outs[2] = {out.data(), out.data()};
  chain->Process(ins, outs, 100, OrvantaChain::kDirty);
  const AuDSP before = chain->Bank();
  std::vector<double> untouched(100, 7.0);
  double* outs2[2] = {untouched.data(), untouched.data()};
  chain->Process(ins, outs2, 0, OrvantaChain::kDirty);
  EXPECT_EQ(0, std::memcmp(&before, &chain->Bank(), sizeof(AuDSP)));
  for (double v : untouched) EXPECT_EQ(v, 7.0);
}

TEST(Chain, SameSignalOnBothInputsDrivesHarder) {
  const Setting s = {44100, 0.5, 0.5, 0.5, 0.5, OrvantaChain::kClean};
  auto a = makeChain(s);
  auto b = makeChain(s);
  std::vector<double> sig = guitar(4000, 0.2, 0), twice(4000), zero(4000, 0.0), ya(4000), yb(4000);
  for (int i = 0; i < 4000; ++i) twice[i] = 2 * sig[i];
  const double* inA[2] = {sig.data(), sig.data()};
  const double* inB[2] = {twice.data(), zero.data()};
  double* outA[2] = {ya.data(), ya.data()};
  double* outB[2] = {yb.data(), yb.data()};
  a->Process(inA, outA, 4000, OrvantaChain::kClean);
  b->Process(inB, outB, 4000, OrvantaChain::kClean);
  EXPECT_EQ(0, std::memcmp(ya.data(), yb.data(), sizeof(double) * 4000));
}

TEST(Chain, ToneChangeTouchesOnlyItsFilter) {
  auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  std::vector<double> sig = guitar(500, 0.3, 0), out(500);
  const double* ins[2] = {sig.data(), sig.data()};
  double* outs[2] = {out.data(), out.data()};
  chain->Process(ins, outs, 500, OrvantaChain::kDirty);
  const AuDSP before = chain->Bank();
  chain->SetLow(1.0);
  const AuDSP& after = chain->Bank();
  for (int s = 0; s < AuDSP::kNumBiquads; ++s) {
    EXPECT_EQ(before.x1[s], after.x1[s]);
    EXPECT_EQ(before.y1[s], after.y1[s]);
    EXPECT_EQ(before.y2[s], after.y2[s]);
    if (s == 8) {
      EXPECT_NE(before.b0[s], after.b0[s]);
      continue;
    }
    EXPECT_EQ(before.b0[s], after.b0[s]);
    EXPECT_EQ(before.a1[s], after.a1[s]);
  }
  // +6 dB at DC.
  const double dc = (after.b0[8] + after.b1[8] + after.b2[8]) / (1 + after.a1[8] + after.a2[8]);
  EXPECT_NEAR(20 * std::log10(dc), 6.0, 1e-9);
}

TEST(Chain, SetUpRunsOnlyWhenTheRateChanges) {
  auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  EXPECT_FALSE(chain->SetSampleRate(44100));
  EXPECT_TRUE(chain->SetSampleRate(48000));
  std::vector<double> sig = guitar(300, 0.3, 0), out(300);
  const double* ins[2] = {sig.data(), sig.data()};
  double* outs[2] = {out.data(), out.data()};
  chain->Process(ins, outs, 300, OrvantaChain::kDirty);
  const AuDSP before = chain->Bank();
  EXPECT_FALSE(chain->SetSampleRate(48000));
  EXPECT_EQ(0, std::memcmp(&before, &chain->Bank(), sizeof(AuDSP)));
  EXPECT_EQ(chain->SetupSampleRate(), 48000);
}

TEST(Chain, NoiseTableStartsFromTheSeed) {
  auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  const double* t = chain->NoiseTable();
  const double first = 1.25 * std::ldexp(1.0, -67);
  const double second = -(1 + 86 / 128.0) * std::ldexp(1.0, -67);
  EXPECT_EQ(t[0], first);
  EXPECT_EQ(t[1], static_cast<double>(static_cast<float>(first) + static_cast<float>(second)));
  auto ref = makeRef({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  EXPECT_EQ(0, std::memcmp(t, ref->noise.data(), sizeof(double) * 44100));
  // The generator is shared: a second instance continues the sequence.
  auto second_chain = std::make_unique<OrvantaChain>();
  second_chain->Init(44100, 0.5, 0.5);
  EXPECT_NE(second_chain->NoiseTable()[0], t[0]);
}

TEST(Chain, LowRatesStayFinite) {
  for (double fs : {8000.0, 11025.0, 16000.0, 22050.0}) {
    for (int channel : {OrvantaChain::kDirty, OrvantaChain::kClean}) {
      auto chain = makeChain({fs, 1.0, 1.0, 1.0, 1.0, channel});
      std::vector<double> sig = guitar(20000, 1.0, 0), out(20000);
      const double* ins[2] = {sig.data(), sig.data()};
      double* outs[2] = {out.data(), out.data()};
      chain->Process(ins, outs, 20000, channel);
      for (double v : out) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 1e3) << fs;
    }
  }
}

// One NaN frame used to poison every recursive filter for good; now that
// frame alone is silent.
TEST(Chain, RecoversAfterNonFiniteInput) {
  auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  std::vector<double> sig = guitar(256, 0.3, 0), out(256);
  sig[100] = NAN;
  const double* ins[2] = {sig.data(), sig.data()};
  double* outs[2] = {out.data(), out.data()};
  chain->Process(ins, outs, 256, OrvantaChain::kDirty);
  EXPECT_EQ(out[100], 0.0);
  for (double v : out) ASSERT_TRUE(std::isfinite(v));
  sig[100] = 0.0;
  sig[50] = INFINITY;
  chain->Process(ins, outs, 256, OrvantaChain::kClean);
  sig[50] = 0.0;
  for (int channel : {OrvantaChain::kClean, OrvantaChain::kDirty}) {
    chain->Process(ins, outs, 256, channel);
    for (double v : out) ASSERT_TRUE(std::isfinite(v));
  }
}

// ---------------------------------------------------------------------------
// Every vector path the processor has, forced one by one, against the plain
// model, bit for bit.
// ---------------------------------------------------------------------------

std::vector<OrvantaPath> machinePaths() {
  std::vector<OrvantaPath> paths;
  for (OrvantaPath p : {OrvantaPath::kSse2, OrvantaPath::kAvx2, OrvantaPath::kAvx512})
    if (OrvantaChain::PathAvailable(p)) paths.push_back(p);
  return paths;
}

const char* pathName(OrvantaPath p) {
  return p == OrvantaPath::kSse2 ? "SSE2" : p == OrvantaPath::kAvx2 ? "AVX2" : "AVX-512";
}

// Runs the model frame by frame from table position `noiseAt`, as the chain
// does for the frames of one block.
void modelFrames(RefAmp& ref, const double* in0, const double* in1, double* out, int n, int noiseAt, bool dirty) {
  for (int i = 0; i < n; ++i) out[i] = ref.frame(in0[i] + in1[i] + ref.noise[(noiseAt + i) % 44100], dirty);
}

void expectSameBits(const std::vector<double>& got, const std::vector<double>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i)
    ASSERT_EQ(0, std::memcmp(&got[i], &want[i], sizeof(double)))
        << what << " frame " << i << ": " << got[i] << " vs " << want[i];
}

// Catches a filter put in the wrong lane or at the wrong delay, a lane that
// advances while its frame lies outside the block (the edges of the masked
// fill and drain, and both sides of the narrow/wide block threshold), and a
// compiler that fuses a multiply and an add on one path (the last bit moves).
TEST(ChainPaths, EveryPathMatchesThePlainModelBitForBit) {
  const Setting settings[] = {{44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty},
                              {48000, 0.9, 0.8, 0.1, 0.9, OrvantaChain::kClean},
                              {96000, 1.0, 1.0, 1.0, 0.0, OrvantaChain::kDirty}};
  const std::vector<OrvantaPath> paths = machinePaths();
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(paths.back(), OrvantaChain::BestPath());
  for (OrvantaPath path : paths) {
    for (const Setting& s : settings) {
      SCOPED_TRACE(::testing::Message() << pathName(path) << " fs " << s.fs << " channel " << s.channel);
      auto chain = makeChain(s);
      ASSERT_TRUE(chain->SetPath(path));
      EXPECT_EQ(chain->Path(), path);
      auto ref = makeRef(s);
      // Both sides of the narrow/wide threshold, short and long blocks.
      const int wide = std::max(1, OrvantaChain::WideMinFrames(path, s.channel));
      const std::vector<int> blocks = {1, std::max(1, wide - 1), wide, wide + 1, 57, 512, 2, 3000, 100};
      const int total = 9000;
      const std::vector<double> in0 = guitar(total, 0.6, 0.0), in1 = guitar(total, 0.3, 1.3);
      std::vector<double> got(total), right(total), want(total);
      int pos = 0;
      for (size_t b = 0; pos < total; ++b) {
        const int n = std::min(blocks[b % blocks.size()], total - pos);
        const double* ins[2] = {in0.data() + pos, in1.data() + pos};
        double* outs[2] = {got.data() + pos, right.data() + pos};
        chain->Process(ins, outs, n, s.channel);
        modelFrames(*ref, ins[0], ins[1], want.data() + pos, n, 0, s.channel == OrvantaChain::kDirty);
        pos += n;
      }
      expectSameBits(got, want, "left");
      expectSameBits(right, want, "right");
    }
  }
}

// The chain hands a wide kernel only blocks above its measured threshold, so
// here each kernel is called directly on every length from 1 to 70 frames:
// blocks shorter than the pipe (its fill and drain overlap), and lengths just
// around the points where whole register groups start and stop running.
// Catches a group skipped while one of its lanes still had a frame of the
// block, or run so that a lane outside the block moved a filter state.
TEST(ChainPaths, WideKernelsMatchThePlainModelOnEveryShortBlock) {
  const OrvantaKernel* const kernels[] = {&kOrvantaKernelSse2, &kOrvantaKernelAvx2, &kOrvantaKernelAvx512};
  const Setting s = {44100, 0.7, 0.6, 0.4, 0.6, OrvantaChain::kDirty};
  for (OrvantaPath path : machinePaths()) {
    const OrvantaKernel& kernel = *kernels[static_cast<int>(path)];
    for (int channel : {OrvantaChain::kDirty, OrvantaChain::kClean}) {
      SCOPED_TRACE(::testing::Message() << pathName(path) << " channel " << channel);
      auto chain = makeChain(s);
      auto ref = makeRef(s);
      AuDSP dsp = chain->Bank();
      int total = 0;
      for (int n = 1; n <= 70; ++n) total += n;
      const std::vector<double> in0 = guitar(total, 0.6, 0.0), in1 = guitar(total, 0.3, 1.3);
      std::vector<double> got(total), right(total), want(total);
      for (int n = 1, pos = 0; n <= 70; pos += n, ++n) {
        const OrvantaBlock block = {in0.data() + pos, in1.data() + pos, chain->NoiseTable(), got.data() + pos,
                                    right.data() + pos, n, chain->DriveAmount(), chain->LevelGainValue()};
        (channel == OrvantaChain::kDirty ? kernel.dirty : kernel.clean)(dsp, block);
        modelFrames(*ref, in0.data() + pos, in1.data() + pos, want.data() + pos, n, 0,
                    channel == OrvantaChain::kDirty);
      }
      expectSameBits(got, want, "left");
      expectSameBits(right, want, "right");
    }
  }
}

TEST(ChainPaths, OnlyThePathsTheProcessorHasCanBeChosen) {
  OrvantaChain chain;
  for (OrvantaPath p : {OrvantaPath::kSse2, OrvantaPath::kAvx2, OrvantaPath::kAvx512}) {
    ASSERT_TRUE(chain.SetPath(OrvantaPath::kSse2));
    EXPECT_EQ(chain.SetPath(p), OrvantaChain::PathAvailable(p));
    EXPECT_EQ(chain.Path(), OrvantaChain::PathAvailable(p) ? p : OrvantaPath::kSse2);
  }
  EXPECT_FALSE(chain.SetPath(static_cast<OrvantaPath>(7)));
  EXPECT_TRUE(OrvantaChain::PathAvailable(OrvantaPath::kSse2));
}

// A NaN or infinity at frame k: frame k is silent, the frames before it are
// what they were, and the frames after it are what a chain with every filter
// state cleared gives for them. Catches poison left in a recursion (or in a
// pipe register of the wide path), a reset that lands at the block's end or a
// frame late, and a silent frame that is not exactly 0.
TEST(ChainNonFinite, ABadFrameIsSilentAndTheChainRestartsRightAfterIt) {
  struct Case {
    int block;
    std::vector<int> bad;  // frames whose input is not finite
    double value;
  };
  const Case cases[] = {{512, {200}, NAN},          {512, {0}, INFINITY},      {512, {511}, -INFINITY},
                        {512, {100, 101, 300}, NAN}, {9, {4}, NAN},             {4096, {4000}, INFINITY},
                        {40, {39}, NAN},             {64, {20, 63}, -INFINITY}};
  for (OrvantaPath path : machinePaths()) {
    for (int channel : {OrvantaChain::kDirty, OrvantaChain::kClean}) {
      for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << pathName(path) << " channel " << channel << " block " << c.block
                                          << " first bad " << c.bad[0]);
        const Setting s = {44100, 0.6, 0.7, 0.5, 0.5, channel};
        auto chain = makeChain(s);
        ASSERT_TRUE(chain->SetPath(path));
        auto ref = makeRef(s);
        // A warm first block, so the states cleared are not already zero.
        std::vector<double> warm0 = guitar(700, 0.5, 0.2), warm1 = guitar(700, 0.2, 0.9), warmOut(700),
                            warmWant(700);
        const double* warmIns[2] = {warm0.data(), warm1.data()};
        double* warmOuts[2] = {warmOut.data(), warmOut.data()};
        chain->Process(warmIns, warmOuts, 700, channel);
        modelFrames(*ref, warm0.data(), warm1.data(), warmWant.data(), 700, 0, channel == OrvantaChain::kDirty);

        std::vector<double> in0 = guitar(c.block, 0.5, 0.0), in1 = guitar(c.block, 0.2, 1.0);
        std::vector<double> got(c.block), right(c.block), want(c.block);
        for (int k : c.bad) in0[k] = c.value;
        // An infinity on one input and its opposite on the other sum to NaN.
        if (c.value == INFINITY) in1[c.bad[0]] = -INFINITY;
        const double* ins[2] = {in0.data(), in1.data()};
        double* outs[2] = {got.data(), right.data()};
        chain->Process(ins, outs, c.block, channel);

        int from = 0;
        for (int k : c.bad) {
          modelFrames(*ref, in0.data() + from, in1.data() + from, want.data() + from, k - from, from,
                      channel == OrvantaChain::kDirty);
          want[k] = 0.0;
          ref->designAll();
          from = k + 1;
        }
        modelFrames(*ref, in0.data() + from, in1.data() + from, want.data() + from, c.block - from, from,
                    channel == OrvantaChain::kDirty);
        expectSameBits(got, want, "left");
        expectSameBits(right, want, "right");
      }
    }
  }
}

// In place, the outputs overwrite the inputs as the block runs. Catches a
// search for bad frames that reads samples the block has already replaced,
// and silence written over an input still to be read.
TEST(ChainNonFinite, InPlaceBuffers) {
  for (OrvantaPath path : machinePaths()) {
    SCOPED_TRACE(pathName(path));
    const Setting s = {44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty};
    auto chain = makeChain(s);
    ASSERT_TRUE(chain->SetPath(path));
    auto ref = makeRef(s);
    std::vector<double> l = guitar(1000, 0.3, 0), r = guitar(1000, 0.1, 2);
    l[700] = NAN;
    std::vector<double> want(1000);
    modelFrames(*ref, l.data(), r.data(), want.data(), 700, 0, true);
    want[700] = 0.0;
    ref->designAll();
    modelFrames(*ref, l.data() + 701, r.data() + 701, want.data() + 701, 299, 701, true);
    const double* ins[2] = {l.data(), r.data()};
    double* outs[2] = {l.data(), r.data()};
    chain->Process(ins, outs, 1000, OrvantaChain::kDirty);
    expectSameBits(l, want, "left");
    expectSameBits(r, want, "right");
  }
}

// Two finite samples whose sum overflows make a frame the chain cannot run
// either. Catches a test of each input sample instead of the summed frame.
TEST(ChainNonFinite, FiniteInputsWhoseSumOverflows) {
  const Setting s = {44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kClean};
  auto chain = makeChain(s);
  auto ref = makeRef(s);
  std::vector<double> in0 = guitar(600, 0.3, 0), in1 = guitar(600, 0.1, 2), out(600), want(600);
  in0[250] = in1[250] = 1.5e308;
  modelFrames(*ref, in0.data(), in1.data(), want.data(), 250, 0, false);
  want[250] = 0.0;
  ref->designAll();
  modelFrames(*ref, in0.data() + 251, in1.data() + 251, want.data() + 251, 349, 251, false);
  const double* ins[2] = {in0.data(), in1.data()};
  double* outs[2] = {out.data(), out.data()};
  chain->Process(ins, outs, 600, OrvantaChain::kClean);
  expectSameBits(out, want, "output");
}

TEST(Chain, ProcessingAllocatesNothing) {
  auto chain = makeChain({44100, 0.5, 0.3, 0.5, 0.5, OrvantaChain::kDirty});
  std::vector<double> sig = guitar(50000, 0.3, 0), out(50000);
  const double* ins[2] = {sig.data(), sig.data()};
  double* outs[2] = {out.data(), out.data()};
  const long before = gAllocations.load();
  for (int channel : {OrvantaChain::kDirty, OrvantaChain::kClean}) {
    chain->Process(ins, outs, 64, channel);
    chain->Process(ins, outs, 50000, channel);
  }
  chain->SetLow(0.2);
  chain->SetHigh(0.9);
  chain->SetLevel(0.3);
  chain->SetDrive(0.3);
  EXPECT_EQ(gAllocations.load(), before);
}

} // namespace
