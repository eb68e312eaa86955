// orvanta-render shows no window, so an X display named by DISPLAY must play
// no part in a render: the display here is a port the test listens on itself.

#include "HostTestSupport.h"
#include "XDisplayListener.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

class RenderWithDisplay : public RenderHostTest
{
};

// Catches: the window system connecting when the unit opens (the effect builds
// its editor then), which makes every render wait on, or fail with, whatever
// server DISPLAY names.
TEST_F(RenderWithDisplay, RenderingNeverContactsTheXServer)
{
  XDisplayListener display;
  ASSERT_TRUE(display.Start()) << "no free X display port on 127.0.0.1";
  const std::string in = WriteSignal("in.wav", 44100, 1, 0.1);
  const RunResult r = hosttest::Run({"/usr/bin/env", "DISPLAY=" + display.Name(), RenderTool(), in, dir / "out.wav"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Audio out;
  EXPECT_TRUE(ReadAudio(dir / "out.wav", &out));
  EXPECT_EQ(out.Frames(), 4410u);
  EXPECT_EQ(display.Connections(), 0);
}

}  // namespace
