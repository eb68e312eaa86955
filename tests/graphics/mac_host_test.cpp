// The editor host's life and services: the refresh timer, incremental
// repaint into the window, opening and closing without leaks, tooltips, and
// the dialogs, addresses and paths it hands to the platform.

#include "MacTestSupport.h"

namespace
{
class MacHostTest : public MacEditorTest
{
protected:
  void TearDown() override
  {
    OrvantaAppKitSetModalHandler(nullptr);
    OrvantaAppKitSetOpenHandler(nullptr);
    MacEditorTest::TearDown();
  }
};

// Catches the interval computed in integers (1 / 25 == 0: a timer that never rests).
TEST_F(MacHostTest, RefreshTimerFiresAtTheEditorsRate)
{
  ASSERT_NE(nullptr, mView->Timer());
  EXPECT_DOUBLE_EQ(1.0 / 25.0, mView->Timer()->timeInterval());
  RecordingPlug plug;
  IGraphicsMac* g30 = new IGraphicsMac(&plug, 20, 20, 30);
  plug.AttachGraphics(g30);
  auto* view = static_cast<IGraphicsCocoa_vOrvanta_au*>(g30->OpenWindow(nullptr));
  EXPECT_DOUBLE_EQ(1.0 / 30.0, view->Timer()->timeInterval());
}

// Paints its rectangle red above half its range, else blue.
class Lamp : public IControl
{
public:
  using IControl::IControl;
  bool Draw(IGraphics* g) override
  {
    const IColor red(255, 255, 0, 0), blue(255, 0, 0, 255);
    return g->FillIRect(mValue > 0.5 ? &red : &blue, &mRECT);
  }
};

// Catches a repaint that misses a dirty control, repaints when nothing
// changed, or puts the editor's rows upside down in the window.
TEST_F(MacHostTest, DirtyControlsReachTheWindowAtTheNextTick)
{
  mGraphics->AttachControl(new Lamp(mPlug, IRECT(0, 0, 10, 6), 1));
  mGraphics->SetParameterFromPlug(1, 0.2, true);
  OrvantaAppKitAdvanceClock(0.1);
  EXPECT_EQ(0x0000FFu, OrvantaAppKitPixel(mWindow, 0, 0));
  EXPECT_EQ(0x0000FFu, OrvantaAppKitPixel(mWindow, 9, 5));
  EXPECT_EQ(0x5A5A5Au, OrvantaAppKitPixel(mWindow, 10, 6));
  EXPECT_EQ(0x5A5A5Au, OrvantaAppKitPixel(mWindow, 0, kH - 1));
  const long presents = OrvantaAppKitPresentCount();
  OrvantaAppKitAdvanceClock(0.2);
  EXPECT_EQ(presents, OrvantaAppKitPresentCount());

  mGraphics->SetParameterFromPlug(1, 1.0, true);
  OrvantaAppKitAdvanceClock(0.04);
  EXPECT_EQ(presents + 1, OrvantaAppKitPresentCount());
  EXPECT_EQ(0xFF0000u, OrvantaAppKitPixel(mWindow, 0, 0));
  EXPECT_EQ(0xFF0000u, OrvantaAppKitPixel(mWindow, 9, 5));
  EXPECT_EQ(0x5A5A5Au, OrvantaAppKitPixel(mWindow, 0, kH - 1));
}

// Catches views, timers or CoreFoundation objects left behind by a cycle
// of opening and closing, in either order of closing.
TEST_F(MacHostTest, OpeningAndClosingManyTimesLeavesNothingBehind)
{
  mGraphics->CloseWindow();
  OrvantaAppKitRunPending();
  const long ns = OrvantaAppKitLiveObjectCount();
  const CFIndex cf = OrvantaCFLiveObjectCount();
  for (int i = 0; i < 20; ++i)
  {
    mGraphics->OpenWindow(mWindow->contentView());
    OrvantaAppKitAdvanceClock(0.04);
    if (i % 2)
      mGraphics->CloseWindow();
    else
      static_cast<NSView*>(mGraphics->GetWindow())->removeFromSuperview();
    OrvantaAppKitRunPending();
  }
  EXPECT_EQ(ns, OrvantaAppKitLiveObjectCount());
  EXPECT_EQ(cf, OrvantaCFLiveObjectCount());
}

// Catches the tooltip lookup depending on hover handling (off here), and
// the text of a control that is not the one under the pointer.
TEST_F(MacHostTest, TooltipIsTheControlUnderThePointerWithHoverOff)
{
  mGraphics->GetControl(1)->SetTooltip("Level");
  mGraphics->EnableTooltips(true);
  mGraphics->UpdateTooltips();
  ASSERT_EQ(1u, mView->toolTipRects().size());
  CFStringRef tip = mView->viewStringForToolTip(mView, 0, NSMakePoint(50, 40), nullptr);
  EXPECT_EQ(kCFCompareEqualTo, CFStringCompare(tip, CFSTR("Level"), 0));
  CFRelease(tip);
  mGraphics->GetControl(1)->SetTooltip(nullptr);
  tip = mView->viewStringForToolTip(mView, 0, NSMakePoint(50, 40), nullptr);
  EXPECT_EQ(0, CFStringGetLength(tip));
  CFRelease(tip);
}

// Catches a failure to make the address reported as success (the caller
// then never tries its backup), and web and file addresses mixed up.
TEST_F(MacHostTest, OpenURLSaysWhetherAnythingWasOpened)
{
  std::vector<std::string> opened;
  OrvantaAppKitSetOpenHandler([&](const std::string& target) {
    opened.push_back(target);
    return true;
  });
  EXPECT_FALSE(mGraphics->OpenURL("http://bad address"));
  EXPECT_TRUE(mGraphics->OpenURL("https://zerrantic.com/orvanta"));
  EXPECT_TRUE(mGraphics->OpenURL("/tmp/manual.pdf"));
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ("https://zerrantic.com/orvanta", opened[0]);
  EXPECT_NE(std::string::npos, opened[1].find("/tmp/manual.pdf"));
}

// Catches the default folder not written back on cancel, a name kept after
// a cancel, and extensions not split at spaces.
TEST_F(MacHostTest, FileDialogStartsOnTheDesktopAndReportsTheChosenFolder)
{
  OrvantaModalRequest seen;
  OrvantaAppKitSetModalHandler([&](const OrvantaModalRequest& r) {
    seen = r;
    return OrvantaModalAnswer();
  });
  KIT_String name("preset.fxp"), dir("");
  char ext[] = "fxp fxb";
  mGraphics->PromptForFile(&name, kFileSave, &dir, ext);
  EXPECT_STREQ("", name.Get());
  EXPECT_STREQ("~/Desktop", dir.Get());
  EXPECT_EQ(OrvantaModalRequest::SavePanel, seen.kind);
  EXPECT_EQ(std::vector<std::string>({"fxp", "fxb"}), seen.allowedTypes);
  EXPECT_EQ("preset.fxp", seen.fileName);

  OrvantaAppKitSetModalHandler([](const OrvantaModalRequest&) {
    OrvantaModalAnswer a;
    a.cancelled = false;
    a.path = "/tmp/banks/live.fxb";
    return a;
  });
  mGraphics->PromptForFile(&name, kFileOpen, &dir, ext);
  EXPECT_STREQ("/tmp/banks/live.fxb", name.Get());
  EXPECT_STREQ("/tmp/banks/", dir.Get());
}

// Catches a wrong button set per type or a wrong answer code per button.
TEST_F(MacHostTest, MessageBoxButtonsAndAnswers)
{
  std::vector<std::string> buttons;
  int press = 0;
  bool cancel = false;
  OrvantaAppKitSetModalHandler([&](const OrvantaModalRequest& r) {
    buttons = r.buttons;
    OrvantaModalAnswer a;
    a.cancelled = cancel;
    a.button = press;
    return a;
  });
  press = 1;
  EXPECT_EQ(7, mGraphics->ShowMessageBox("Save?", "Orvanta", 3));
  EXPECT_EQ(std::vector<std::string>({"Yes", "No", "Cancel"}), buttons);
  press = 2;
  EXPECT_EQ(2, mGraphics->ShowMessageBox("Save?", "Orvanta", 3));
  press = 0;
  EXPECT_EQ(1, mGraphics->ShowMessageBox("Sure?", "Orvanta", 4));
  EXPECT_EQ(std::vector<std::string>({"Yes", "No"}), buttons);
  cancel = true;
  EXPECT_EQ(0, mGraphics->ShowMessageBox("Note", "Orvanta", 0));
}
}  // namespace
