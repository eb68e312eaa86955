// orvanta-phrase, the demo's and the benchmark's source of guitar.

#include "HostTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace hosttest;

TEST(PhraseTest, WritesTheRequestedMonoPhraseAndPlaysThroughout)
{
  TempDir dir;
  const RunResult r = hosttest::Run({PhraseTool(), "--rate", "44100", "--seconds", "20", dir / "p.wav"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Audio a;
  ASSERT_TRUE(ReadAudio(dir / "p.wav", &a));
  EXPECT_EQ(a.rate, 44100);
  EXPECT_EQ(a.channels, 1);
  EXPECT_EQ(a.Frames(), 20u * 44100u);
  float peak = 0;
  for (float v : a.samples) peak = std::max(peak, std::fabs(v));
  EXPECT_NEAR(peak, 0.5f, 1e-6f);
  // A long phrase repeats the riff rather than falling silent: every second has sound.
  for (size_t s = 0; s < 20; ++s)
  {
    float secondPeak = 0;
    for (size_t i = s * 44100; i < (s + 1) * 44100; ++i) secondPeak = std::max(secondPeak, std::fabs(a.samples[i]));
    EXPECT_GT(secondPeak, 0.01f) << "second " << s;
  }
}

TEST(PhraseTest, RefusesBadArguments)
{
  TempDir dir;
  EXPECT_EQ(hosttest::Run({PhraseTool(), "--rate", "100", dir / "p.wav"}).exitCode, 2);
  EXPECT_EQ(hosttest::Run({PhraseTool(), "--seconds", "0", dir / "p.wav"}).exitCode, 2);
  EXPECT_EQ(hosttest::Run({PhraseTool()}).exitCode, 2);
  EXPECT_EQ(hosttest::Run({PhraseTool(), dir / "no/folder/p.wav"}).exitCode, 1);
  EXPECT_FALSE(Exists(dir / "p.wav"));
}
