// The editor's LV2 UI on a real X server (a private Xvfb this test starts
// and stops): the test host makes a parent window, the UI embeds itself
// there, port events change the knob's pixels on the screen, and a drag from
// xdotool reaches the host as a port write.

#include "HostTestSupport.h"
#include "XvfbServer.h"
#include "LV2UIHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace
{
constexpr uint32_t kLevelPort = 4;
constexpr int kW = 432, kH = 357;

// One server for the whole program: the UI's window system connects once, to
// the display it finds when first loaded, and keeps that connection.
class LV2UIOnX11 : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    if (!ProgramInstalled("Xvfb") || !ProgramInstalled("xdotool")) return;
    sServer = new XvfbServer;
    if (sServer->Start())
      setenv("DISPLAY", sServer->Name().c_str(), 1);
    else
    {
      delete sServer;
      sServer = nullptr;
    }
  }
  static void TearDownTestSuite()
  {
    delete sServer;
    sServer = nullptr;
  }
  void SetUp() override
  {
    if (!ProgramInstalled("Xvfb") || !ProgramInstalled("xdotool")) GTEST_SKIP() << "Xvfb and xdotool are needed";
    ASSERT_NE(nullptr, sServer) << "Xvfb did not start";
    mDisplay = XOpenDisplay(sServer->Name().c_str());
    ASSERT_NE(nullptr, mDisplay);
    mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 500, 400, 0, 0, 0);
    XMapWindow(mDisplay, mParent);
    XSync(mDisplay, False);
    std::string error;
    ASSERT_TRUE(mHost.Open(hosttest::BuildDir() + "/Orvanta.lv2/OrvantaUI.bundle/Contents/MacOS/Orvanta_ui.so",
                           IFXLV2_PLUGIN_URI "#ui", mParent, &error))
      << error;
    mWidget = (Window)(uintptr_t)mHost.Widget();
  }
  void TearDown() override
  {
    mHost.Close();
    if (mParent) XDestroyWindow(mDisplay, mParent);
    if (mDisplay) XCloseDisplay(mDisplay);
  }
  // Drives the UI's idle calls until `done` holds (at most about five seconds).
  bool IdleUntil(const std::function<bool()>& done)
  {
    for (int i = 0; i < 500; ++i)
    {
      mHost.Idle();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // Level's knob as the screen shows it (36 x 36 at editor (177, 29)).
  std::vector<unsigned long> LevelKnob()
  {
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(mDisplay, mWidget, 177, 29, 36, 36, AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < 36; ++y)
      for (int x = 0; x < 36; ++x) pixels.push_back(XGetPixel(image, x, y) & 0xffffff);
    XDestroyImage(image);
    return pixels;
  }
  int Xdotool(const std::vector<std::string>& args)
  {
    std::vector<std::string> argv{"/usr/bin/env", "DISPLAY=" + sServer->Name(), "xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return hosttest::Run(argv).exitCode;
  }

  static XvfbServer* sServer;
  Display* mDisplay = nullptr;
  Window mParent = 0, mWidget = 0;
  LV2UIHost mHost;
};

XvfbServer* LV2UIOnX11::sServer = nullptr;

// Catches a UI that does not embed itself in the host's parent window, or
// embeds a window of another size.
TEST_F(LV2UIOnX11, EmbedsInTheParentWindow)
{
  ASSERT_NE(0ul, mWidget);
  Window root = 0, up = 0, *children = nullptr;
  unsigned n = 0;
  ASSERT_TRUE(XQueryTree(mDisplay, mWidget, &root, &up, &children, &n));
  if (children) XFree(children);
  EXPECT_EQ(mParent, up);
  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(mDisplay, mWidget, &attrs));
  EXPECT_EQ(kW, attrs.width);
  EXPECT_EQ(kH, attrs.height);
}

// Catches port events that never reach the screen (no repaint from the idle
// calls) and a drag on the X server that does not come back to the host as
// Level's port write: 36 pixels up over four frame heights (144) of travel
// is a quarter of the range, 0.5 to 0.75.
TEST_F(LV2UIOnX11, PortEventsShowAndDragsWrite)
{
  std::vector<unsigned long> before;
  ASSERT_TRUE(IdleUntil([&] {
    before = LevelKnob();
    return !before.empty() && before != std::vector<unsigned long>(before.size(), before[0]);
  }));
  mHost.PortEvent(kLevelPort, 1.0f);
  EXPECT_TRUE(IdleUntil([&] { return LevelKnob() != before; }));
  mHost.PortEvent(kLevelPort, 0.5f);
  EXPECT_TRUE(IdleUntil([&] { return LevelKnob() == before; }));
  EXPECT_TRUE(mHost.writes.empty());

  const std::string w = std::to_string(mWidget);
  ASSERT_EQ(0, Xdotool({"mousemove", "--window", w, "197", "50", "mousedown", "1", "mousemove", "--window", w,
                        "197", "35", "mousemove", "--window", w, "197", "14", "mouseup", "1"}));
  ASSERT_TRUE(IdleUntil([&] { return !mHost.touches.empty() && !mHost.touches.back().grabbed; }));
  ASSERT_FALSE(mHost.writes.empty());
  EXPECT_EQ(kLevelPort, mHost.writes.back().port);
  EXPECT_EQ(0.75f, mHost.writes.back().value);
}

}  // namespace
