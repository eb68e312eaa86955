// The effect's editor: its controls, their order, positions, parameters
// and images, and how the switch and a knob answer the mouse. The images
// come from the built bundle's resources, as they do in a host.

#include "effect/Orvanta.h"
#include "graphics/graphics.h"
#include "graphics/mac/mac.h"

#include <AppKit/OrvantaAppKitTesting.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace
{
class EffectEditor : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    OrvantaAppKitUseHeadless();
    const char* dir = std::getenv("ORVANTA_BUILD_DIR");
    if (!dir) return;
    // Known to the bundle registry, the bundle's identifier leads to its images.
    const std::string path = std::string(dir) + "/Orvanta.component";
    CFStringRef text = CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, true);
    sBundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    CFRelease(text);
  }
  static void TearDownTestSuite()
  {
    if (sBundle) CFRelease(sBundle);
  }

  void SetUp() override
  {
    if (!sBundle) GTEST_SKIP() << "ORVANTA_BUILD_DIR not set: no bundle to take the images from";
    mPlug.reset(dynamic_cast<Orvanta*>(MakePlug()));
    ASSERT_NE(nullptr, mPlug);
    mGraphics = mPlug->GetGUI();
    ASSERT_NE(nullptr, mGraphics);
  }

  static CFBundleRef sBundle;
  std::unique_ptr<Orvanta> mPlug;
  IGraphics* mGraphics = nullptr;
};
CFBundleRef EffectEditor::sBundle = nullptr;

// Catches a control missing, out of order (painting order), at the wrong
// place, on the wrong parameter, or sized from the wrong frame count.
TEST_F(EffectEditor, ControlsInOrderAtTheirPositionsWithTheImagesSizes)
{
  EXPECT_EQ(432, mGraphics->Width());
  EXPECT_EQ(357, mGraphics->Height());
  EXPECT_STREQ("Cocoa GUI", mGraphics->GetGUIAPI());
  EXPECT_STREQ(mPlug->GetBundleID(), static_cast<IGraphicsMac*>(mGraphics)->GetBundleID());
  ASSERT_EQ(7, mGraphics->GetNControls());
  struct Row
  {
    int param;
    IRECT rect;
  };
  // Background 432 x 357; switch 30 x 60 in 2 frames; knob 36 x 2340 in 65; about 394 x 240.
  const Row rows[] = {
    {-1, IRECT(0, 0, 432, 357)},     {Orvanta::kChannel, IRECT(139, 35, 169, 65)},
    {Orvanta::kLevel, IRECT(177, 29, 213, 65)}, {Orvanta::kDrive, IRECT(217, 29, 253, 65)},
    {Orvanta::kLow, IRECT(257, 29, 293, 65)},   {Orvanta::kHigh, IRECT(297, 29, 333, 65)},
    {-1, IRECT(19, 97, 413, 337)},
  };
  for (int i = 0; i < 7; ++i)
  {
    IControl* c = mGraphics->GetControl(i);
    EXPECT_EQ(rows[i].param, c->ParamIdx()) << "control " << i;
    EXPECT_EQ(rows[i].rect, *c->GetRECT()) << "control " << i;
  }
  EXPECT_EQ(IRECT(24, 282, 54, 312), *mGraphics->GetControl(6)->GetTargetRECT());
}

// Catches a switch that does not alternate Channel, a knob gearing other
// than 4 (four frame heights of travel for the whole range), and an about
// box that opens from anywhere but its hot spot.
TEST_F(EffectEditor, SwitchKnobAndAboutBoxAnswerTheMouse)
{
  IMouseMod left(true);
  ASSERT_EQ(1, mPlug->GetParam(Orvanta::kChannel)->Int());
  mGraphics->OnMouseDown(150, 45, &left);
  mGraphics->OnMouseUp(150, 45, &left);
  EXPECT_EQ(0, mPlug->GetParam(Orvanta::kChannel)->Int());
  mGraphics->OnMouseDown(150, 45, &left);
  mGraphics->OnMouseUp(150, 45, &left);
  EXPECT_EQ(1, mPlug->GetParam(Orvanta::kChannel)->Int());

  mGraphics->OnMouseDown(195, 47, &left);
  mGraphics->OnMouseDrag(195, 47 + 72, &left);
  EXPECT_DOUBLE_EQ(0.0, mPlug->GetParam(Orvanta::kLevel)->Value());
  mGraphics->OnMouseDrag(195, 47 + 72 - 144, &left);
  EXPECT_DOUBLE_EQ(1.0, mPlug->GetParam(Orvanta::kLevel)->Value());
  mGraphics->OnMouseUp(195, 47 - 72, &left);

  IControl* about = mGraphics->GetControl(6);
  mGraphics->OnMouseDown(100, 200, &left);
  mGraphics->OnMouseUp(100, 200, &left);
  EXPECT_EQ(0.0, about->GetValue());
  mGraphics->OnMouseDown(30, 290, &left);
  mGraphics->OnMouseUp(30, 290, &left);
  EXPECT_EQ(1.0, about->GetValue());
}
}  // namespace
