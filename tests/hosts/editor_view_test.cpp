// The editor as a host reaches it: the component's Cocoa-UI property and
// view list, the view factory found by name in the class registry, its view
// in a window, the mouse moving a parameter the host reads back, and the
// editor host program drawing the same picture headless.

#include "EditorTestSupport.h"
#include "HostTestSupport.h"

#include <AppKit/AppKit.h>
#include <AppKit/OrvantaAppKitTesting.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <CoreFoundation/OrvantaCFTesting.h>
#include <gtest/gtest.h>

using namespace hosttest;

namespace {

constexpr int kW = 432, kH = 357;

class EditorView : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    OrvantaAppKitUseHeadless();
    NSApplicationLoad();
  }
  void SetUp() override
  {
    mUnit = OpenOrvanta();
    ASSERT_NE(nullptr, mUnit) << "the built component was not found in " << BuildDir();
  }
  void TearDown() override
  {
    if (mUnit) AudioComponentInstanceDispose(mUnit);
  }

  // The view as a host gets it: property, class by name, factory, view (retained for the caller).
  NSView* HostView(NSObject** factory)
  {
    AudioUnitCocoaViewInfo info{};
    UInt32 size = sizeof(info);
    if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size) != noErr)
      return nullptr;
    Class cls = NSClassFromString(info.mCocoaAUViewClass[0]);
    CFRelease(info.mCocoaAUViewBundleLocation);
    CFRelease(info.mCocoaAUViewClass[0]);
    if (!cls || !cls->conformsToProtocol(objc_getProtocol("AUCocoaUIBase"))) return nullptr;
    *factory = cls->createInstance();
    NSAutoreleasePool pool;
    NSView* view = dynamic_cast<AUCocoaUIBase*>(*factory)->uiViewForAudioUnit(mUnit, NSMakeSize(0, 0));
    return view ? static_cast<NSView*>(view->retain()) : nullptr;
  }

  float Param(AudioUnitParameterID id)
  {
    AudioUnitParameterValue v = -1;
    AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &v);
    return v;
  }

  AudioUnit mUnit = nullptr;
};

// Catches the properties still refused once the editor exists, a wrong
// bundle location or class name, and the view list naming another component.
TEST_F(EditorView, CocoaUIPropertyNamesTheBundleAndTheViewFactory)
{
  AudioComponentDescription list{};
  UInt32 size = sizeof(list);
  ASSERT_EQ(noErr, AudioUnitGetProperty(mUnit, kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0,
                                        &list, &size));
  EXPECT_EQ((OSType)FourCC("auvw"), list.componentType);
  EXPECT_EQ((OSType)FourCC("orv5"), list.componentSubType);
  EXPECT_EQ((OSType)FourCC("Zrnt"), list.componentManufacturer);

  AudioUnitCocoaViewInfo info{};
  size = sizeof(info);
  ASSERT_EQ(noErr, AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size));
  char path[4096], name[64];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(info.mCocoaAUViewBundleLocation, true, (UInt8*)path, sizeof path));
  ASSERT_TRUE(CFStringGetCString(info.mCocoaAUViewClass[0], name, sizeof name, kCFStringEncodingUTF8));
  EXPECT_EQ(BuildDir() + "/Orvanta.component", std::string(path).substr(0, std::string(path).find_last_not_of('/') + 1));
  EXPECT_STREQ("Orvanta_View", name);
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
}

// Catches a click that does not reach the switch through the window, a
// parameter change the host cannot read back, and views, timers or
// CoreFoundation objects left over from opening the editor again and again.
TEST_F(EditorView, ViewInAWindowMovesParametersAndReopensWithoutLeaks)
{
  NSWindow* window = new NSWindow(NSMakeRect(0, 0, kW, kH), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  window->makeKeyAndOrderFront(nullptr);
  NSObject* factory = nullptr;
  NSView* view = HostView(&factory);
  ASSERT_NE(nullptr, view);
  EXPECT_TRUE(NSEqualRects(NSMakeRect(0, 0, kW, kH), view->frame()));
  window->contentView()->addSubview(view);
  view->release();
  OrvantaAppKitRunPending();
  ASSERT_EQ(1.0f, Param(4));
  // The switch's middle, (154, 50) in the editor, is (156, H - 53) in the window.
  OrvantaAppKitMouse(window, NSEventTypeLeftMouseDown, NSMakePoint(156, kH - 53));
  OrvantaAppKitMouse(window, NSEventTypeLeftMouseUp, NSMakePoint(156, kH - 53));
  EXPECT_EQ(0.0f, Param(4));
  view->removeFromSuperview();
  factory->release();

  OrvantaAppKitRunPending();
  const long ns = OrvantaAppKitLiveObjectCount();
  const CFIndex cf = OrvantaCFLiveObjectCount();
  for (int i = 0; i < 10; ++i)
  {
    view = HostView(&factory);
    ASSERT_NE(nullptr, view);
    window->contentView()->addSubview(view);
    view->release();
    OrvantaAppKitAdvanceClock(0.05);
    view->removeFromSuperview();
    factory->release();
    OrvantaAppKitRunPending();
  }
  EXPECT_EQ(ns, OrvantaAppKitLiveObjectCount());
  EXPECT_EQ(cf, OrvantaCFLiveObjectCount());
  window->close();
  window->release();
}

// Catches a screenshot of the wrong size, an empty (one-colour) picture,
// and one that differs from what the same state shows in a host's window.
TEST_F(EditorView, ScreenshotEqualsTheEditorInAHostWindow)
{
  TempDir dir;
  const std::string file = dir / "editor.png";
  RunResult r = hosttest::Run({EditorTool(), "--set", "Channel=Clean", "--set", "Level=0.8", "--screenshot", file});
  ASSERT_EQ(0, r.exitCode) << r.err;
  Picture shot;
  ASSERT_TRUE(ReadPNG(file, &shot));
  EXPECT_EQ(kW, shot.width);
  EXPECT_EQ(kH, shot.height);
  EXPECT_FALSE(shot.OneColour());

  AudioUnitSetParameter(mUnit, 4, kAudioUnitScope_Global, 0, 0.0f, 0);
  AudioUnitSetParameter(mUnit, 0, kAudioUnitScope_Global, 0, 0.8f, 0);
  NSWindow* window = new NSWindow(NSMakeRect(0, 0, kW, kH), NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  NSObject* factory = nullptr;
  NSView* view = HostView(&factory);
  ASSERT_NE(nullptr, view);
  window->contentView()->addSubview(view);
  view->release();
  window->display();
  Picture shown;
  shown.width = kW;
  shown.height = kH;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) shown.pixels.push_back(OrvantaAppKitPixel(window, x, y));
  EXPECT_EQ("", FirstDifference(shot, shown));
  view->removeFromSuperview();
  factory->release();
  window->close();
  window->release();
}

}  // namespace

namespace {

// Catches an editor shown on an invisible window when there is no display
// (the user would wait for nothing), and command-line mistakes not told apart.
TEST(EditorProgram, RefusesToShowWithoutADisplayAndReportsBadSettings)
{
  RunResult r = hosttest::Run({"/usr/bin/env", "-u", "DISPLAY", EditorTool()});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("no X display")) << r.err;
  TempDir dir;
  r = hosttest::Run({EditorTool(), "--set", "Tone=1", "--screenshot", dir / "x.png"});
  EXPECT_EQ(2, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("valid parameters: Level, Drive, Low, High, Channel")) << r.err;
}

}  // namespace
