#pragma once

// An IGraphicsMac editor shown in a headless window, with one control that
// records every event it gets, for the editor host's tests.

#include "HeadlessGraphics.h"
#include "graphics/mac/mac.h"

#include <AppKit/OrvantaAppKitTesting.h>
#include <CoreFoundation/OrvantaCFTesting.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// Logs "down x y LRSCA" style lines: the event, the editor position and the
// modifier flags as letters (a dot for a flag that is off).
class RecorderControl : public IControl
{
public:
  RecorderControl(IFxBase* pPlug, IRECT r, int paramIdx, std::vector<std::string>* log)
    : IControl(pPlug, r, paramIdx), mLog(log)
  {
  }
  void OnMouseDown(int x, int y, IMouseMod* m) override { Add("down", x, y, m); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { Add("up", x, y, m); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* m) override { Add("drag", x, y, m); }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { Add("dbl", x, y, m); }
  void OnMouseOver(int x, int y, IMouseMod* m) override { Add("over", x, y, m); }
  void OnMouseWheel(int x, int y, IMouseMod* m, int d) override { Add("wheel " + std::to_string(d), x, y, m); }
  bool OnKeyDown(int, int, int key) override
  {
    mLog->push_back("key " + std::to_string(key));
    return key != 40;  // "z" is left to the host
  }
  bool Draw(IGraphics*) override { return true; }

private:
  void Add(const std::string& what, int x, int y, IMouseMod* m)
  {
    char text[96];
    snprintf(text, sizeof text, "%s %d %d %c%c%c%c%c", what.c_str(), x, y, m->L ? 'L' : '.', m->R ? 'R' : '.',
             m->S ? 'S' : '.', m->C ? 'C' : '.', m->A ? 'A' : '.');
    mLog->push_back(text);
  }
  std::vector<std::string>* mLog;
};

// A 100 x 80 editor: a panel background and a recorder over all of it for
// parameter 0, open in a titled window of the same size.
class MacEditorTest : public testing::Test
{
protected:
  static constexpr int kW = 100, kH = 80;

  static void SetUpTestSuite()
  {
    OrvantaAppKitUseHeadless();
    NSApplicationLoad();
  }

  void SetUp() override
  {
    mPlug = new RecordingPlug();
    mGraphics = new IGraphicsMac(mPlug, kW, kH);
    const IColor grey(255, 90, 90, 90);
    mGraphics->AttachPanelBackground(&grey);
    mGraphics->AttachControl(new RecorderControl(mPlug, IRECT(0, 0, kW, kH), 0, &mLog));
    mPlug->AttachGraphics(mGraphics);
    mWindow = new NSWindow(NSMakeRect(50, 50, kW, kH), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
    mWindow->setReleasedWhenClosed(false);
    mView = static_cast<IGraphicsCocoa_vOrvanta_au*>(mGraphics->OpenWindow(mWindow->contentView()));
    mWindow->makeKeyAndOrderFront(nullptr);
    OrvantaAppKitRunPending();
  }

  void TearDown() override
  {
    delete mPlug;  // deletes the editor, which closes its view
    mWindow->close();
    mWindow->release();
  }

  void Mouse(NSEventType type, double x, double y, NSUInteger flags = 0, NSInteger clicks = 1)
  {
    OrvantaAppKitMouse(mWindow, type, NSMakePoint(x, y), flags, clicks);
  }

  RecordingPlug* mPlug = nullptr;
  IGraphicsMac* mGraphics = nullptr;
  NSWindow* mWindow = nullptr;
  IGraphicsCocoa_vOrvanta_au* mView = nullptr;
  std::vector<std::string> mLog;
};
