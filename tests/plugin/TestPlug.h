#pragma once

// A plug-in and an editor stand-in for the base's tests: the plug-in answers
// the wrapper's operations and records what the base tells the host; the
// editor records what the base pushes to it and answers file prompts with a
// chosen path.

#include "graphics/IGraphics.h"
#include "plugin/IFxBase.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int TestFourCC(const char (&s)[5])
{
  return (int)((uint32_t)(unsigned char)s[0] << 24 | (uint32_t)(unsigned char)s[1] << 16 |
               (uint32_t)(unsigned char)s[2] << 8 | (uint32_t)(unsigned char)s[3]);
}

constexpr int kTestUniqueID = TestFourCC("orv5");
constexpr int kTestMfrID = TestFourCC("Zrnt");

class TestPlug : public IFxBase
{
public:
  explicit TestPlug(int nParams = 5, const char* channelIO = "1-1 2-2", int nPresets = 1, bool chunks = false)
    : IFxBase(nParams, channelIO, nPresets, "Orvanta", "", "zerrantic", 0x10300, kTestUniqueID, kTestMfrID, 0,
              false, chunks, false, kAPIAU)
  {
  }

  // The effect's five parameters: Level, Drive, Low, High (0..1 by 0.001,
  // default 0.5) and Channel (enum Clean/Dirty, default Dirty).
  void InitAmpParams()
  {
    const char* names[] = {"Level", "Drive", "Low", "High"};
    for (int i = 0; i < 4; ++i) GetParam(i)->InitDouble(names[i], 0.5, 0.0, 1.0, 0.001);
    GetParam(4)->InitEnum("Channel", 1, 2);
    GetParam(4)->SetDisplayText(0, "Clean");
    GetParam(4)->SetDisplayText(1, "Dirty");
  }

  void OnParamChange(int paramIdx) override
  {
    IFxBase::OnParamChange(paramIdx);
    mParamChanges.push_back(paramIdx);
  }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int idx, double v) override { mInformed.emplace_back(idx, v); }
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override { ++mProgramChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return mTempo; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }

  const InChannel* In(int i) const { return mInChannels.Get(i); }
  const OutChannel* Out(int i) const { return mOutChannels.Get(i); }

  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i) v.push_back(GetParam(i)->Value());
    return v;
  }

  std::vector<int> mParamChanges;
  std::vector<std::pair<int, double>> mInformed;
  int mProgramChanges = 0;
  double mTempo = 120.0;
};

class TestGraphics : public IGraphics
{
public:
  struct Push
  {
    int idx;
    double value;
    bool normalized;
  };

  TestGraphics(IFxBase* plug, bool* pDeleted = nullptr) : IGraphics(plug, 100, 100), mDeleted(pDeleted) {}
  ~TestGraphics() override
  {
    if (mDeleted) *mDeleted = true;
  }

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    mPushes.push_back({paramIdx, value, normalized});
  }
  void PrepDraw() override { ++mPrepDraws; }
  void PromptForFile(KIT_String* pFileName, EFileAction action, KIT_String* pDir, char* extensions) override
  {
    mPromptDefault = pFileName->Get();
    mPromptAction = action;
    mPromptDir = pDir->Get();
    mPromptExt = extensions;
    pFileName->Set(mAnswer.c_str());
    if (!mAnswer.empty()) pDir->Set(mAnswerDir.c_str());
  }

  std::vector<Push> mPushes;
  int mPrepDraws = 0;
  std::string mAnswer, mAnswerDir;
  std::string mPromptDefault, mPromptDir, mPromptExt;
  EFileAction mPromptAction = kFileOpen;
  bool* mDeleted;
};
