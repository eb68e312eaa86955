// The editor's LV2 UI in a test host, on the headless window system: port
// events reach the knobs' pixels, a drag reaches the host as a port write,
// and the UI never writes back what the host told it.

#include "HostTestSupport.h"
#include "LV2UIHost.h"

#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
// The control ports: two audio inputs and two outputs come first.
constexpr uint32_t kLevelPort = 4, kDrivePort = 5, kLatencyPort = 9;
constexpr int kW = 432, kH = 357;
// The knobs' rectangles (36 x 36 frames, 40 pixels apart from x 177, y 29).
constexpr int kKnobTop = 29, kKnobSize = 36;
int KnobLeft(int paramIdx) { return 177 + 40 * paramIdx; }

std::string UIBinary() { return hosttest::BuildDir() + "/Orvanta.lv2/OrvantaUI.bundle/Contents/MacOS/Orvanta_ui.so"; }

class LV2UIHeadless : public testing::Test
{
protected:
  static void SetUpTestSuite() { OrvantaAppKitUseHeadless(); }
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(mHost.Open(UIBinary(), IFXLV2_PLUGIN_URI "#ui", 0x1234, &error)) << error;
    for (NSWindow* w : NSApp->windows())
      if (w->isVisible()) mWindow = w;
    ASSERT_NE(nullptr, mWindow);
    Settle();
  }
  // Lets the refresh timer find the dirty controls and repaint.
  void Settle()
  {
    OrvantaAppKitAdvanceClock(0.1);
    mHost.Idle();
  }
  std::vector<uint32_t> Knob(int paramIdx)
  {
    std::vector<uint32_t> pixels;
    for (int y = kKnobTop; y < kKnobTop + kKnobSize; ++y)
      for (int x = KnobLeft(paramIdx); x < KnobLeft(paramIdx) + kKnobSize; ++x)
        pixels.push_back(OrvantaAppKitPixel(mWindow, x, y));
    return pixels;
  }
  // A mouse event at an editor point: the view adds 2 to x and 3 to y.
  void Mouse(NSEventType type, int x, int y)
  {
    OrvantaAppKitMouse(mWindow, type, NSMakePoint(x + 2, kH - y - 3));
  }

  LV2UIHost mHost;
  NSWindow* mWindow = nullptr;
};

// Catches a UI that does not tell the host its size, or opens a window of
// another size.
TEST_F(LV2UIHeadless, TellsTheHostTheEditorsSize)
{
  EXPECT_EQ(kW, mHost.resizedWidth);
  EXPECT_EQ(kH, mHost.resizedHeight);
  EXPECT_EQ(kW, (int)mWindow->frame().size.width);
  EXPECT_EQ(kH, (int)mWindow->frame().size.height);
}

// Catches port events that miss the editor, land on the wrong knob, are
// echoed back to the host as writes, or (for ports that are not controls, or
// values that are not one float) disturb anything.
TEST_F(LV2UIHeadless, PortEventsMoveTheirKnobOnly)
{
  const std::vector<uint32_t> level = Knob(0), drive = Knob(1);
  mHost.PortEvent(kLevelPort, 1.0f);
  Settle();
  EXPECT_NE(level, Knob(0));
  EXPECT_EQ(drive, Knob(1));

  const float bad = 0.0f;
  mHost.PortEventRaw(kDrivePort, 2, 0, &bad);
  mHost.PortEventRaw(kDrivePort, sizeof bad, 7, &bad);
  mHost.PortEvent(kLatencyPort, 0.0f);
  mHost.PortEvent(99, 0.0f);
  Settle();
  EXPECT_EQ(drive, Knob(1));

  // Back at the default, the knob shows exactly what it showed at first.
  mHost.PortEvent(kLevelPort, 0.5f);
  Settle();
  EXPECT_EQ(level, Knob(0));
  EXPECT_TRUE(mHost.writes.empty());
}

// Catches a drag that does not reach the host, reaches it on the wrong port
// or with another value than the knob's, or without its gesture.
TEST_F(LV2UIHeadless, DragReachesTheHostAsAPortWrite)
{
  // Drive's middle, then 18 pixels up: 18 / 36 / gearing 4 = 0.125 more.
  const int x = KnobLeft(1) + 18, y = kKnobTop + 18;
  Mouse(NSEventTypeLeftMouseDown, x, y);
  Mouse(NSEventTypeLeftMouseDragged, x, y - 18);
  Mouse(NSEventTypeLeftMouseUp, x, y - 18);
  ASSERT_FALSE(mHost.writes.empty());
  for (const LV2UIHost::Write& w : mHost.writes) EXPECT_EQ(kDrivePort, w.port);
  EXPECT_EQ(0.625f, mHost.writes.back().value);
  ASSERT_EQ(2u, mHost.touches.size());
  EXPECT_EQ(kDrivePort, mHost.touches[0].port);
  EXPECT_TRUE(mHost.touches[0].grabbed);
  EXPECT_FALSE(mHost.touches[1].grabbed);
}

// Catches a switch click that does not reach the host's Channel port: from
// "Dirty" (1) it writes "Clean" (0).
TEST_F(LV2UIHeadless, SwitchWritesTheChannelsRealValue)
{
  Mouse(NSEventTypeLeftMouseDown, 154, 50);
  Mouse(NSEventTypeLeftMouseUp, 154, 50);
  ASSERT_FALSE(mHost.writes.empty());
  EXPECT_EQ(8u, mHost.writes.back().port);
  EXPECT_EQ(0.0f, mHost.writes.back().value);
}

}  // namespace
