#include <gtest/gtest.h>

#include <vector>

#include "plugin/IFxBase.h"
#include "plugin/IMidiMsg.h"

namespace
{
// A wrapper stand-in: identifies its host lazily the way the Audio Unit wrapper
// does, and records (and optionally refuses) the MIDI it is asked to send.
class HostPlug : public IFxBase
{
public:
  HostPlug()
    : IFxBase(0, "1-1 2-2", 0, "Test", "", "mfr", 0x10300, 0x54657374, 0x5A726E74, 0, true, false, false, kAPIAU)
  {
  }

  EHost GetHost() override
  {
    ++mGetHostCalls;
    if (mHost == kHostUninit) SetHost(mBundleID, 0);
    return mHost;
  }

  bool SendMidiMsg(IMidiMsg* pMsg) override
  {
    mSent.push_back(*pMsg);
    return pMsg->mStatus != mRefusedStatus;
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}

  const char* mBundleID = "com.apple.logic10";
  int mGetHostCalls = 0;
  int mRefusedStatus = -1;
  std::vector<IMidiMsg> mSent;
};
}  // namespace

TEST(IFxBaseHost, SetHostStoresCodeAndVersion)
{
  HostPlug plug;
  plug.SetHost("REAPER64", 0x60203);
  EXPECT_EQ(plug.GetHost(), kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(false), 0x60203);
  EXPECT_EQ(plug.GetHostVersion(true), 60203);
  char text[16];
  plug.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v6.2.3");

  // A later identification replaces both.
  plug.SetHost("Some Unheard-of DAW", 0);
  EXPECT_EQ(plug.GetHost(), kHostUnknown);
  EXPECT_EQ(plug.GetHostVersion(false), 0);
  plug.SetHost(nullptr, 5);
  EXPECT_EQ(plug.GetHost(), kHostUnknown);
}

TEST(IFxBaseHost, VersionQueriesIdentifyTheHostFirst)
{
  HostPlug plug;
  EXPECT_EQ(plug.GetHostVersion(false), 0);
  EXPECT_GE(plug.mGetHostCalls, 1);
  EXPECT_EQ(plug.GetHost(), kHostLogic);

  HostPlug other;
  char text[16];
  other.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v0.0.0");
  EXPECT_GE(other.mGetHostCalls, 1);
}

TEST(IFxBaseHost, SendMidiMsgsOffersEveryMessage)
{
  HostPlug plug;
  KIT_TypedBuf<IMidiMsg> msgs;
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));  // nothing to send, nothing failed
  EXPECT_TRUE(plug.SendMidiMsgs(nullptr));

  ASSERT_TRUE(msgs.TryResize(3));
  msgs.Get()[0].MakeNoteOnMsg(60, 100, 0);
  msgs.Get()[1].MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5);
  msgs.Get()[2].MakeNoteOffMsg(60, 10);
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
  ASSERT_EQ(plug.mSent.size(), 3u);
  EXPECT_EQ(plug.mSent[2].mOffset, 10);

  // One refusal fails the whole call but the note-off behind it still goes out.
  plug.mSent.clear();
  plug.mRefusedStatus = 0xB0;
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  ASSERT_EQ(plug.mSent.size(), 3u);
  EXPECT_EQ(plug.mSent[2].StatusMsg(), IMidiMsg::kNoteOff);
}
