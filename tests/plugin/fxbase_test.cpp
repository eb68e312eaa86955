#include "AllocHooks.h"
#include "TestPlug.h"

#include "plugin/IFxFactory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>
#include <vector>

TEST(IFxBase, ConstructionParsesChannelIOAndSetsDefaults)
{
  TestPlug plug;
  EXPECT_EQ(plug.NParams(), 5);
  EXPECT_EQ(plug.NPresets(), 1);
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  ASSERT_EQ(plug.NChannelIO(), 2);
  int in = 0, out = 0;
  EXPECT_TRUE(plug.GetChannelIO(1, &in, &out));
  EXPECT_EQ(in, 2);
  EXPECT_EQ(out, 2);
  EXPECT_FALSE(plug.GetChannelIO(2, &in, &out));
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetBlockSize(), 0);
  EXPECT_STREQ(plug.GetEffectName(), "Orvanta");
  EXPECT_STREQ(plug.GetMfrName(), "zerrantic");
  EXPECT_EQ(plug.GetUniqueID(), kTestUniqueID);
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_STREQ(IFxBase::GetAPIString(5), "Standalone");
  EXPECT_STREQ(IFxBase::GetAPIString(9), "");
  EXPECT_STREQ(IFxBase::GetArchString(), "x64");
  // Even before any block size, no channel slot is null.
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_NE(plug.GetInputPointers()[i], nullptr);
    EXPECT_NE(plug.GetOutputPointers()[i], nullptr);
  }

  TestPlug odd(0, "3 -1-2 x-4 7-", 0);
  ASSERT_EQ(odd.NChannelIO(), 4);
  odd.GetChannelIO(0, &in, &out);
  EXPECT_EQ(in, 3);
  EXPECT_EQ(out, 0);
  odd.GetChannelIO(1, &in, &out);
  EXPECT_EQ(in, -1);
  EXPECT_EQ(out, 2);
  odd.GetChannelIO(2, &in, &out);
  EXPECT_EQ(in, 0);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(odd.NInChannels(), 7);
  EXPECT_EQ(odd.NOutChannels(), 2);
}

TEST(IFxBase, VersionsAndLegalIO)
{
  TestPlug plug;
  char str[32];
  plug.GetEffectVersionStr(str);
  EXPECT_STREQ(str, "v1.3.0");
  EXPECT_EQ(plug.GetEffectVersion(true), 10300);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x10300);

  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_FALSE(plug.LegalIO(1, 2));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_TRUE(plug.LegalIO(2, -1));
  EXPECT_FALSE(plug.LegalIO(3, -1));

  plug.mTempo = 120.0;
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.mTempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(IFxBase, ConnectionsAndLabels)
{
  TestPlug plug(0, "4-4", 0);
  plug.SetInputChannelConnections(-1, 3, true);  // channels 0 and 1 exist in that span
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(99));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));
  plug.SetOutputChannelConnections(3, INT_MAX, true);  // no overflow past the end
  EXPECT_TRUE(plug.IsOutChannelConnected(3));

  plug.LimitToStereoIO();
  plug.SetInputChannelConnections(0, 4, true);
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_TRUE(plug.IsOutChannelConnected(2));

  plug.SetInputLabel(1, "left");
  plug.SetInputLabel(9, "ignored");
  EXPECT_STREQ(plug.GetInputLabel(1), "left");
  EXPECT_STREQ(plug.GetInputLabel(9), "");

  plug.SetInputBusLabel(1, "aux input");  // appended at index 0: the list was shorter
  plug.SetInputBusLabel(0, "input");      // replaces it
  plug.SetInputBusLabel(1, "aux input");
  plug.SetInputBusLabel(2, "ignored");
  EXPECT_EQ(plug.NInputBusLabels(), 2);
  EXPECT_STREQ(plug.GetInputBusLabel(0), "input");
  EXPECT_STREQ(plug.GetInputBusLabel(1), "aux input");
  EXPECT_EQ(plug.GetInputBusLabel(2), nullptr);
  plug.SetOutputBusLabel(0, "output");
  EXPECT_STREQ(plug.GetOutputBusLabel(0), "output");
}

TEST(IFxBase, DoubleAttachmentSkipsUnconnectedAndStopsAtLastChannel)
{
  TestPlug plug;
  ASSERT_TRUE(plug.SetBlockSize(4));
  plug.SetInputChannelConnections(1, 1, true);
  double a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8};
  double* pp[3] = {a, b, nullptr};
  plug.AttachInputBuffers(0, 5, pp, 4);
  EXPECT_EQ(plug.GetInputPointers()[0], plug.In(0)->mScratchBuf.Get());
  EXPECT_EQ(plug.GetInputPointers()[1], a);  // the one connected channel took the first pointer

  plug.SetOutputChannelConnections(0, 2, true);
  double o0[4], o1[4];
  double* op[2] = {o0, o1};
  plug.AttachOutputBuffers(0, 2, op);
  plug.ProcessBuffers(0.0, 4);
  // Default processing: input i to output i; the unconnected input reads silence.
  EXPECT_EQ(o0[2], 0.0);
  EXPECT_EQ(o1[2], 3.0);
}

TEST(IFxBase, FloatProcessingPassThroughAndAccumulation)
{
  TestPlug plug(0, "1-2", 0);
  ASSERT_TRUE(plug.SetBlockSize(8));
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 2, true);
  float in[8], out0[8], out1[8];
  for (int i = 0; i < 8; ++i)
  {
    in[i] = 0.25f * (float)i;
    out0[i] = out1[i] = 9.0f;
  }
  float* ip[1] = {in};
  float* op[2] = {out0, out1};
  plug.AttachInputBuffers(0, 1, ip, 8);
  plug.AttachOutputBuffers(0, 2, op);
  plug.PassThroughBuffers(0.0f, 8);
  for (int i = 0; i < 8; ++i)
  {
    EXPECT_EQ(out0[i], in[i]);
    EXPECT_EQ(out1[i], 0.0f);  // one input, two outputs: the second is silent
  }
  plug.ProcessBuffersAccumulating(0.0f, 8);
  EXPECT_EQ(out0[3], 2.0f * in[3]);
  plug.ProcessBuffers(0.0f, 8);
  EXPECT_EQ(out0[3], in[3]);

  // More frames than the block size never run past the scratch buffers.
  float longIn[64] = {}, longOut[64];
  for (float& f : longOut) f = -1.0f;
  float* lip[1] = {longIn};
  float* lop[2] = {longOut, longOut};
  plug.AttachInputBuffers(0, 1, lip, 64);
  plug.AttachOutputBuffers(0, 2, lop);
  plug.ProcessBuffers(0.0f, 64);
  EXPECT_EQ(longOut[7], 0.0f);
  EXPECT_EQ(longOut[8], -1.0f);
}

TEST(IFxBase, BlockSizeKeepsSlotsOnTheirScratchAndZeroesOnChange)
{
  TestPlug plug;
  ASSERT_TRUE(plug.SetBlockSize(16));
  plug.SetInputChannelConnections(0, 1, true);
  float in[16];
  for (float& f : in) f = 0.5f;
  float* ip[1] = {in};
  plug.AttachInputBuffers(0, 1, ip, 16);
  EXPECT_EQ(plug.In(0)->mScratchBuf.Get()[15], 0.5);

  ASSERT_TRUE(plug.SetBlockSize(16));  // same size: contents survive
  EXPECT_EQ(plug.In(0)->mScratchBuf.Get()[15], 0.5);

  ASSERT_TRUE(plug.SetBlockSize(100000));  // new size: memory moves, slots follow, zeroed
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_EQ(plug.GetInputPointers()[i], plug.In(i)->mScratchBuf.Get());
    EXPECT_EQ(plug.GetOutputPointers()[i], plug.Out(i)->mScratchBuf.Get());
    EXPECT_EQ(plug.In(i)->mScratchBuf.GetSize(), 100000);
  }
  EXPECT_EQ(plug.In(0)->mScratchBuf.Get()[15], 0.0);
  EXPECT_EQ(plug.GetBlockSize(), 100000);

  // A host buffer attached to a connected channel stays attached.
  double host[4] = {};
  double* hp[1] = {host};
  plug.AttachInputBuffers(0, 1, hp, 4);
  ASSERT_TRUE(plug.SetBlockSize(8));
  EXPECT_EQ(plug.GetInputPointers()[0], host);
  EXPECT_EQ(plug.GetInputPointers()[1], plug.In(1)->mScratchBuf.Get());

  EXPECT_FALSE(plug.SetBlockSize(-1));
  EXPECT_FALSE(plug.SetBlockSize(INT_MAX / 4));  // bytes do not fit an int
  EXPECT_EQ(plug.GetBlockSize(), 8);
}

TEST(IFxBase, DisconnectedChannelReadsSilenceNotTheLastBlock)
{
  TestPlug plug;
  ASSERT_TRUE(plug.SetBlockSize(4));
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  float in0[4] = {1, 1, 1, 1}, in1[4] = {2, 2, 2, 2}, out0[4], out1[4];
  float* ip[2] = {in0, in1};
  float* op[2] = {out0, out1};
  plug.AttachInputBuffers(0, 2, ip, 4);
  plug.AttachOutputBuffers(0, 2, op);
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out1[0], 2.0f);

  plug.SetInputChannelConnections(1, 1, false);
  plug.AttachInputBuffers(0, 2, ip, 4);
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out0[0], 1.0f);
  EXPECT_EQ(out1[0], 0.0f);

  plug.ZeroScratchBuffers();
  EXPECT_EQ(plug.In(0)->mScratchBuf.Get()[3], 0.0);
}

TEST(IFxBase, FailedResizeKeepsOldBuffersAndBlockSize)
{
  if (!kHooked) GTEST_SKIP() << "allocation hooks are off under sanitizers";
  // Let some of the four scratch buffers grow, then fail: all must go back.
  for (long allowed : {0L, 1L, 2L, 3L, 4L})
  {
    TestPlug plug;
    ASSERT_TRUE(plug.SetBlockSize(64));
    plug.SetInputChannelConnections(0, 1, true);
    float in[64];
    for (float& f : in) f = 0.75f;
    float* ip[1] = {in};
    plug.AttachInputBuffers(0, 1, ip, 64);

    bool ok;
    {
      FailAfter fail(allowed);
      ok = plug.SetBlockSize(1 << 20);
    }
    ASSERT_FALSE(ok) << allowed;
    EXPECT_EQ(plug.GetBlockSize(), 64);
    for (int i = 0; i < 2; ++i)
    {
      EXPECT_EQ(plug.In(i)->mScratchBuf.GetSize(), 64);
      EXPECT_EQ(plug.Out(i)->mScratchBuf.GetSize(), 64);
      EXPECT_EQ(plug.GetInputPointers()[i], plug.In(i)->mScratchBuf.Get());
      EXPECT_EQ(plug.GetOutputPointers()[i], plug.Out(i)->mScratchBuf.Get());
    }
    EXPECT_EQ(plug.In(0)->mScratchBuf.Get()[63], 0.75);  // old contents kept
    EXPECT_TRUE(plug.SetBlockSize(1 << 20));
  }
}

TEST(IFxBase, AudioPathAllocatesNothing)
{
  if (!kHooked) GTEST_SKIP() << "allocation hooks are off under sanitizers";
  TestPlug plug;
  ASSERT_TRUE(plug.SetBlockSize(512));
  std::vector<float> in0(512, 0.1f), in1(512, 0.2f), out0(512), out1(512);
  std::vector<double> d0(512, 0.3), d1(512), d2(512);
  float* ip[2] = {in0.data(), in1.data()};
  float* op[2] = {out0.data(), out1.data()};
  double* dip[1] = {d0.data()};
  double* dop[2] = {d1.data(), d2.data()};

  const long before = gAllocs.load();
  for (int block = 0; block < 20; ++block)
  {
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.AttachInputBuffers(0, 2, ip, 512);
    plug.AttachOutputBuffers(0, 2, op);
    plug.ProcessBuffers(0.0f, 512);
    plug.ProcessBuffersAccumulating(0.0f, 512);
    plug.PassThroughBuffers(0.0f, 512);
    plug.SetInputChannelConnections(1, 1, false);
    plug.AttachInputBuffers(0, 1, dip, 512);
    plug.AttachOutputBuffers(0, 2, dop);
    plug.ProcessBuffers(0.0, 512);
    plug.PassThroughBuffers(0.0, 512);
    plug.ZeroScratchBuffers();
  }
  EXPECT_EQ(gAllocs.load(), before);
  EXPECT_EQ(out0[100], 0.1f);
  EXPECT_EQ(d1[100], 0.3);
}

TEST(IFxBase, ParameterTrafficReachesHostEffectAndEditor)
{
  // The editors write these flags from their destructors, the last one from
  // the plug-in's: they must outlive it.
  bool deleted1 = false, deleted2 = false;
  TestPlug plug;
  plug.InitAmpParams();
  plug.SetParameterFromGUI(1, 0.25);
  EXPECT_EQ(plug.GetParam(1)->Value(), 0.25);
  ASSERT_EQ(plug.mInformed.size(), 1u);
  EXPECT_EQ(plug.mInformed[0].first, 1);
  EXPECT_EQ(plug.mInformed[0].second, 0.25);
  ASSERT_EQ(plug.mParamChanges.size(), 1u);
  plug.SetParameterFromGUI(7, 0.5);  // out of range: ignored
  EXPECT_EQ(plug.mParamChanges.size(), 1u);

  plug.OnParamReset();
  EXPECT_EQ(plug.mParamChanges, (std::vector<int>{1, 0, 1, 2, 3, 4}));
  plug.mInformed.clear();
  plug.DirtyParameters();
  ASSERT_EQ(plug.mInformed.size(), 5u);
  EXPECT_EQ(plug.mInformed[4].second, 1.0);

  auto* g = new TestGraphics(&plug, &deleted1);
  plug.AttachGraphics(g);
  EXPECT_EQ(plug.GetGUI(), g);
  EXPECT_EQ(g->mPrepDraws, 1);
  ASSERT_EQ(g->mPushes.size(), 5u);
  EXPECT_TRUE(g->mPushes[1].normalized);
  EXPECT_EQ(g->mPushes[1].value, 0.25);
  g->mPushes.clear();
  plug.RedrawParamControls();
  ASSERT_EQ(g->mPushes.size(), 5u);
  EXPECT_FALSE(g->mPushes[4].normalized);
  EXPECT_EQ(g->mPushes[4].value, 1.0);

  plug.AttachGraphics(new TestGraphics(&plug, &deleted2));  // a replaced editor is not leaked
  EXPECT_TRUE(deleted1);
  EXPECT_FALSE(deleted2);
}

TEST(IFxBase, DestructorDeletesTheEditor)
{
  bool deleted = false;
  {
    TestPlug plug;
    plug.AttachGraphics(new TestGraphics(&plug, &deleted));
  }
  EXPECT_TRUE(deleted);
}

TEST(IFxBase, GuiChangesWaitForTheMutexHolder)
{
  TestPlug plug;
  plug.InitAmpParams();
  plug.GetMutex()->Enter();
  plug.GetMutex()->Enter();  // re-entrant for the owner
  std::atomic<bool> done{false};
  std::thread editor([&] {
    plug.SetParameterFromGUI(0, 0.9);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(done.load());
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.5);
  plug.GetMutex()->Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(done.load());  // still held once
  plug.GetMutex()->Leave();
  editor.join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.9);
}

namespace
{
std::atomic<int> gInside{0};
std::atomic<int> gMaxInside{0};

class SlowPlug : public TestPlug
{
public:
  explicit SlowPlug(const IFxInstanceInfo& info) : mBundle(info.mBundleID), mView(info.mCocoaViewFactoryClassName)
  {
    const int now = ++gInside;
    int seen = gMaxInside.load();
    while (now > seen && !gMaxInside.compare_exchange_weak(seen, now)) {}
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    --gInside;
  }
  KIT_String mBundle, mView;
};
}  // namespace

TEST(IFxBase, FactoryConstructsOneInstanceAtATime)
{
  std::vector<std::thread> threads;
  std::vector<IFxBase*> made(8, nullptr);
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] { made[t] = MakePlugUnderFactoryMutex<SlowPlug>("com.zerrantic.orvanta", "Orvanta_View"); });
  for (auto& th : threads) th.join();
  EXPECT_EQ(gMaxInside.load(), 1);
  for (IFxBase* p : made)
  {
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(static_cast<SlowPlug*>(p)->mView.Get(), "Orvanta_View");
    EXPECT_STREQ(static_cast<SlowPlug*>(p)->mBundle.Get(), "com.zerrantic.orvanta");
    delete p;
  }
}
