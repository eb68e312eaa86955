#include "effect/Orvanta.h"
#include "effect/OrvantaIds.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every instance advances the shared noise generator; tests that compare two
// instances' audio start both from the same seed.
std::unique_ptr<Orvanta> makeOrvanta() {
  OrvantaNoise::_rand_state = 1;
  IFxBase* plug = MakePlug();
  auto* orvanta = dynamic_cast<Orvanta*>(plug);
  EXPECT_NE(orvanta, nullptr);
  return std::unique_ptr<Orvanta>(orvanta);
}

std::vector<double> testSignal(int n, double amp) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = amp * std::sin(0.037 * i) * std::exp(-(i % 5000) / 2000.0);
  return v;
}

// Runs n frames of a mono signal through ProcessDoubleReplacing.
std::vector<double> render(Orvanta& plug, const std::vector<double>& in, int block) {
  const int n = static_cast<int>(in.size());
  std::vector<double> silent(n, 0.0), left(n), right(n);
  for (int pos = 0; pos < n; pos += block) {
    const int frames = std::min(block, n - pos);
    double* ins[2] = {const_cast<double*>(in.data()) + pos, silent.data() + pos};
    double* outs[2] = {left.data() + pos, right.data() + pos};
    plug.ProcessDoubleReplacing(ins, outs, frames);
  }
  EXPECT_EQ(0, std::memcmp(left.data(), right.data(), sizeof(double) * n));
  return left;
}

std::string readFile(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(Orvanta, FactoryBuildsTheEffectWithItsIdentity) {
  auto plug = makeOrvanta();
  EXPECT_STREQ(plug->GetEffectName(), "Orvanta");
  EXPECT_STREQ(plug->GetMfrName(), "zerrantic");
  EXPECT_EQ(plug->GetUniqueID(), ('o' << 24) | ('r' << 16) | ('v' << 8) | '5');
  EXPECT_EQ(plug->GetMfrID(), ('Z' << 24) | ('r' << 16) | ('n' << 8) | 't');
  EXPECT_EQ(plug->GetEffectVersion(false), 66304);
  EXPECT_STREQ(plug->GetBundleID(), "com.zerrantic.audiounit.Orvanta");
  EXPECT_STREQ(plug->GetCocoaViewFactoryClassName(), "Orvanta_View");
  EXPECT_TRUE(plug->LegalIO(1, 1));
  EXPECT_TRUE(plug->LegalIO(2, 2));
  EXPECT_FALSE(plug->LegalIO(1, 2));
  EXPECT_NE(plug->GetGUI(), nullptr);
}

// The host finds the editor and images through the bundle identifier the
// effect was given, so it must be the one the bundle is installed under.
TEST(Orvanta, BundleIdentifierMatchesInfoPlist) {
  const char* dir = std::getenv("ORVANTA_BUILD_DIR");
  if (!dir) GTEST_SKIP() << "ORVANTA_BUILD_DIR not set";
  const std::string plist = readFile(std::string(dir) + "/Orvanta.component/Contents/Info.plist");
  ASSERT_FALSE(plist.empty());
  auto plug = makeOrvanta();
  const std::string key = "<key>CFBundleIdentifier</key>";
  const size_t at = plist.find(key);
  ASSERT_NE(at, std::string::npos);
  const size_t open = plist.find("<string>", at) + 8;
  const std::string id = plist.substr(open, plist.find("</string>", open) - open);
  EXPECT_EQ(id, plug->GetBundleID());
  for (const char* text : {"<string>aufx</string>", "<string>orv5</string>", "<string>Zrnt</string>",
                           "<string>zerrantic: Orvanta</string>", "<integer>66304</integer>",
                           "<string>Orvanta_Entry</string>", "<string>1.3.0</string>"})
    EXPECT_NE(plist.find(text), std::string::npos) << text;
}

TEST(Orvanta, Parameters) {
  auto plug = makeOrvanta();
  ASSERT_EQ(plug->NParams(), 5);
  const char* names[] = {"Level", "Drive", "Low", "High"};
  for (int i = 0; i < 4; ++i) {
    const IParam* p = plug->GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), names[i]);
    EXPECT_EQ(p->Type(), IParam::kTypeDouble);
    EXPECT_EQ(p->GetDefault(), 0.5);
    EXPECT_EQ(p->GetMin(), 0.0);
    EXPECT_EQ(p->GetMax(), 1.0);
    EXPECT_EQ(p->GetStep(), 0.001);
    EXPECT_EQ(p->GetShape(), 1.0);
    EXPECT_STREQ(p->GetLabelForHost(), "");
    EXPECT_STREQ(p->GetParamGroupForHost(), "");
  }
  char text[MAX_PARAM_DISPLAY_LEN];
  plug->GetParam(Orvanta::kLevel)->GetDisplayForHost(text);
  EXPECT_STREQ(text, "0.500");

  const IParam* channel = plug->GetParam(Orvanta::kChannel);
  EXPECT_STREQ(channel->GetNameForHost(), "Channel");
  EXPECT_EQ(channel->Type(), IParam::kTypeEnum);
  EXPECT_EQ(channel->Value(), 1.0);
  EXPECT_EQ(channel->GetMax(), 1.0);
  EXPECT_STREQ(channel->GetDisplayText(0), "Clean");
  EXPECT_STREQ(channel->GetDisplayText(1), "Dirty");
}

TEST(Orvanta, FactoryPresets) {
  auto plug = makeOrvanta();
  ASSERT_EQ(plug->NPresets(), 3);
  EXPECT_STREQ(plug->GetPresetName(0), "Dirty");
  EXPECT_STREQ(plug->GetPresetName(1), "Clean");
  EXPECT_STREQ(plug->GetPresetName(2), "Init");
  plug->PruneUninitializedPresets();
  EXPECT_EQ(plug->NPresets(), 3);

  ASSERT_TRUE(plug->RestorePreset(1));
  EXPECT_EQ(plug->GetParam(Orvanta::kDrive)->Value(), 0.1);
  EXPECT_EQ(plug->GetParam(Orvanta::kChannel)->Value(), 0.0);
  EXPECT_EQ(plug->Chain().DriveAmount(), 0.1);

  ASSERT_TRUE(plug->RestorePreset(0));
  EXPECT_EQ(plug->GetParam(Orvanta::kDrive)->Value(), 0.3);
  EXPECT_EQ(plug->GetParam(Orvanta::kChannel)->Value(), 1.0);
  EXPECT_EQ(plug->GetParam(Orvanta::kLevel)->Value(), 0.5);

  ASSERT_TRUE(plug->RestorePreset(2));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(plug->GetParam(i)->Value(), 0.5);
  EXPECT_EQ(plug->GetParam(Orvanta::kChannel)->Value(), 1.0);
}

TEST(Orvanta, InitDerivesValuesFromTheDefaults) {
  auto plug = makeOrvanta();
  EXPECT_EQ(plug->Chain().LevelGainValue(), OrvantaChain::LevelGain(0.5));
  EXPECT_EQ(plug->Chain().DriveAmount(), 0.5);
  EXPECT_EQ(plug->Chain().WorkingSampleRate(), 44100.0);
  EXPECT_EQ(plug->Chain().SetupSampleRate(), 44100.0);
  EXPECT_EQ(plug->Chain().NoiseTable()[0], 1.25 * std::ldexp(1.0, -67));
}

TEST(Orvanta, ParameterChangesReachTheChain) {
  auto plug = makeOrvanta();
  plug->GetParam(Orvanta::kLevel)->Set(0.0);
  plug->OnParamChange(Orvanta::kLevel);
  EXPECT_EQ(plug->Chain().LevelGainValue(), 0.0);

  plug->GetParam(Orvanta::kDrive)->Set(0.8);
  plug->OnParamChange(Orvanta::kDrive);
  EXPECT_EQ(plug->Chain().DriveAmount(), 0.8);

  const AuDSP before = plug->Chain().Bank();
  plug->GetParam(Orvanta::kLow)->Set(1.0);
  plug->OnParamChange(Orvanta::kLow);
  EXPECT_NE(plug->Chain().Bank().b0[8], before.b0[8]);
  EXPECT_EQ(plug->Chain().Bank().b0[10], before.b0[10]);
  plug->GetParam(Orvanta::kHigh)->Set(0.0);
  plug->OnParamChange(Orvanta::kHigh);
  EXPECT_NE(plug->Chain().Bank().b0[10], before.b0[10]);

  // Channel and unknown indices change nothing.
  const AuDSP after = plug->Chain().Bank();
  plug->OnParamChange(Orvanta::kChannel);
  plug->OnParamChange(99);
  plug->OnParamChange(-1);
  EXPECT_EQ(0, std::memcmp(&after, &plug->Chain().Bank(), sizeof(AuDSP)));
}

TEST(Orvanta, ResetSetsUpOnlyOnARateChange) {
  auto plug = makeOrvanta();
  plug->SetSampleRate(48000);
  plug->Reset();
  EXPECT_EQ(plug->Chain().SetupSampleRate(), 48000.0);
  const std::vector<double> sig = testSignal(500, 0.3);
  render(*plug, sig, 100);
  const AuDSP before = plug->Chain().Bank();
  plug->Reset();
  EXPECT_EQ(0, std::memcmp(&before, &plug->Chain().Bank(), sizeof(AuDSP)));
  plug->SetSampleRate(NAN);
  plug->Reset();
  EXPECT_EQ(plug->Chain().SetupSampleRate(), 48000.0);
  EXPECT_EQ(0, std::memcmp(&before, &plug->Chain().Bank(), sizeof(AuDSP)));
}

TEST(Orvanta, ProcessingRunsTheChainOfTheChannelParameter) {
  const std::vector<double> sig = testSignal(3000, 0.4);
  for (double channelValue : {0.0, 0.7, 1.0}) {
    auto plug = makeOrvanta();
    plug->GetParam(Orvanta::kChannel)->Set(channelValue);
    plug->OnParamChange(Orvanta::kChannel);
    const std::vector<double> got = render(*plug, sig, 256);

    // A bare chain set up the same way, fed the same mono sum.
    auto chain = std::make_unique<OrvantaChain>();
    OrvantaNoise::_rand_state = 1;
    chain->SetLevel(0.5);
    chain->SetDrive(0.5);
    chain->Init(44100, 0.5, 0.5);
    const int channel = channelValue >= 1.0 ? OrvantaChain::kDirty : OrvantaChain::kClean;
    std::vector<double> zero(3000, 0.0), want(3000);
    for (int pos = 0; pos < 3000; pos += 256) {
      const int n = std::min(256, 3000 - pos);
      const double* ins[2] = {sig.data() + pos, zero.data() + pos};
      double* outs[2] = {want.data() + pos, want.data() + pos};
      chain->Process(ins, outs, n, channel);
    }
    EXPECT_EQ(0, std::memcmp(got.data(), want.data(), sizeof(double) * 3000)) << channelValue;
  }
}

TEST(Orvanta, EmptyBlockWritesNothing) {
  auto plug = makeOrvanta();
  std::vector<double> in(8, 0.5), out(8, 3.0);
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {out.data(), out.data()};
  plug->ProcessDoubleReplacing(ins, outs, 0);
  for (double v : out) EXPECT_EQ(v, 3.0);
}

// OnParamChange and Reset must wait while another thread (a render through
// the entry point) holds the plug-in's mutex.
TEST(Orvanta, ParameterChangesAndResetWaitForTheMutex) {
  auto plug = makeOrvanta();
  for (int which = 0; which < 2; ++which) {
    std::atomic<bool> held{false}, release{false}, done{false};
    std::thread holder([&] {
      plug->GetMutex()->Enter();
      held = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      plug->GetMutex()->Leave();
    });
    while (!held) std::this_thread::yield();
    std::thread caller([&] {
      if (which == 0) {
        plug->OnParamChange(Orvanta::kLow);
      } else {
        plug->SetSampleRate(96000);
        plug->Reset();
      }
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done);
    release = true;
    holder.join();
    caller.join();
    EXPECT_TRUE(done);
  }
  EXPECT_EQ(plug->Chain().SetupSampleRate(), 96000.0);
}

} // namespace
