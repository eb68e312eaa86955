// The graphics manager driven as the platform view would: mouse and key
// events on the effect's own layout (and on small hand-made ones), checked on
// parameter values and on what the host is told, in order.

#include "HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
using Events = std::vector<std::string>;

struct AmpTest : ::testing::Test
{
  RecordingPlug plug;
  HeadlessGraphics* g = new HeadlessGraphics(&plug, kAmpW, kAmpH);
  IMouseMod left{true};
  void SetUp() override
  {
    BuildAmpEditor(&plug, g);
    plug.mEvents.clear();
  }
  double Param(int i) { return plug.GetParam(i)->Value(); }
  void Click(int x, int y)
  {
    g->OnMouseDown(x, y, &left);
    g->OnMouseUp(x, y, &left);
  }
};

// A control that records the events it gets, with its own tag.
class Recorder : public IControl
{
public:
  Recorder(IRECT r, std::vector<std::string>* pLog, const char* tag, bool* pDeleted = nullptr)
    : IControl(nullptr, r), mLog(pLog), mTag(tag), mDeleted(pDeleted)
  {
  }
  ~Recorder() override
  {
    if (mDeleted) *mDeleted = true;
  }
  void OnMouseDown(int, int, IMouseMod*) override { mLog->push_back(mTag + " down"); }
  void OnMouseUp(int, int, IMouseMod*) override { mLog->push_back(mTag + " up"); }
  void OnMouseOver(int, int, IMouseMod*) override { mLog->push_back(mTag + " over"); }
  void OnMouseOut() override { mLog->push_back(mTag + " out"); }
  bool OnKeyDown(int, int, int key) override
  {
    mLog->push_back(mTag + " key " + std::to_string(key));
    return true;
  }

private:
  std::vector<std::string>* mLog;
  std::string mTag;
  bool* mDeleted;
};
} // namespace

// Catches a wrong drag sign or gearing, and gestures that are not begin,
// changes, end: 16 steps of 9 px up on a 36 px knob at gearing 4 sweep the
// Level from 0 to 1 exactly (9 / 36 / 4 = 1/16).
TEST_F(AmpTest, KnobDraggedUpFourHeightsSweepsItsParameter)
{
  g->SetParameterFromPlug(0, 0.0, true);
  plug.GetParam(0)->Set(0.0);
  g->OnMouseDown(190, 60, &left);
  for (int i = 1; i <= 16; ++i) g->OnMouseDrag(190, 60 - 9 * i, &left);
  g->OnMouseUp(190, 60 - 144, &left);
  EXPECT_EQ(Param(0), 1.0);
  ASSERT_EQ(plug.mEvents.size(), 18u);
  EXPECT_EQ(plug.mEvents.front(), "begin 0");
  EXPECT_EQ(plug.mEvents[1], "change 0 0.0625");
  EXPECT_EQ(plug.mEvents[16], "change 0 1");
  EXPECT_EQ(plug.mEvents.back(), "end 0");
}

// One gesture each, checked on what the host hears, in order. Catches:
// a switch that does not alternate the Channel (Dirty = 1 at start); a drag
// event at an unchanged position reaching the control, or a mouse up outside
// every control losing the captured control's end; a double-click default
// set without a gesture, or the mouse up after it sending an unbalanced end;
// a capture released in mid-gesture (a menu opening, the editor closing)
// leaving the gesture open or ending it twice; a wheel step of the wrong size
// (0.01, or 0.001 with shift) or outside a gesture of its own.
TEST_F(AmpTest, EachGestureIsBalancedAndReachesTheHost)
{
  IMouseMod shift(false, false, true);
  const struct
  {
    const char* name;
    std::function<void()> act;
    Events want;
  } cases[] = {
    {"switch", [&] { Click(150, 50); Click(150, 50); },
     {"begin 4", "change 4 0", "end 4", "begin 4", "change 4 1", "end 4"}},
    {"drag", [&] {
       g->OnMouseDown(230, 40, &left);
       g->OnMouseDrag(230, 30, &left);
       g->OnMouseDrag(230, 30, &left);
       g->OnMouseUp(-50, -50, &left);
     },
     {"begin 1", "change 1 0.569444", "end 1"}},
    {"double click", [&] {
       g->SetParameterFromPlug(2, 0.9, true);
       g->OnMouseDblClick(270, 40, &left);
       g->OnMouseUp(270, 40, &left);
     },
     {"begin 2", "change 2 0.5", "end 2"}},
    {"capture released", [&] {
       g->OnMouseDown(310, 40, &left);
       g->ReleaseMouseCapture();
       g->OnMouseUp(310, 40, &left);
       g->ReleaseMouseCapture();
     },
     {"begin 3", "end 3"}},
    {"wheel", [&] {
       g->OnMouseWheel(190, 40, nullptr, 2);
       g->OnMouseWheel(190, 40, &shift, -10);
     },
     {"begin 0", "change 0 0.52", "end 0", "begin 0", "change 0 0.51", "end 0"}},
  };
  for (const auto& c : cases)
  {
    plug.mEvents.clear();
    c.act();
    EXPECT_EQ(plug.mEvents, c.want) << c.name;
    EXPECT_EQ(g->GetMouseCapture(), -1) << c.name;
  }
  EXPECT_EQ(Param(4), 1.0);
  EXPECT_EQ(Param(2), 0.5);
  EXPECT_NEAR(Param(0), 0.51, 1e-12);
}

// Catches the about box reacting outside its hot spot while closed, or not
// closing from anywhere on it once open.
TEST_F(AmpTest, AboutBoxOpensFromItsHotSpotOnly)
{
  IControl* about = g->GetControl(kAbout);
  Click(100, 150);
  EXPECT_EQ(about->GetValue(), 0.0);
  Click(30, 290);
  EXPECT_EQ(about->GetValue(), 1.0);
  g->Draw(nullptr);
  Click(100, 150);
  EXPECT_EQ(about->GetValue(), 0.0);
  g->Draw(nullptr);
  Click(100, 150);
  EXPECT_EQ(about->GetValue(), 0.0);
  EXPECT_TRUE(plug.mEvents.empty());
}

// Catches Resize leaving a text entry open, a capture or mouse-over index
// pointing at deleted controls, or the gesture unended; later events must
// reach nothing (the sanitizer build checks for use after free).
TEST_F(AmpTest, ResizeEndsEntryCaptureAndGestureBeforeDeletingControls)
{
  g->GetControl(kLevelKnob)->DisablePrompt(false);
  g->HandleMouseOver(true);
  g->OnMouseOver(200, 40, &left);
  g->OnMouseDown(200, 40, &left);
  g->PromptUserInput(g->GetControl(kLevelKnob), plug.GetParam(0), g->GetControl(kLevelKnob)->GetRECT());
  ASSERT_TRUE(g->mOpenEntry);
  g->Resize(500, 400);
  EXPECT_FALSE(g->mOpenEntry);
  EXPECT_EQ(g->mForcedEnds, 1);
  EXPECT_EQ(g->GetMouseCapture(), -1);
  EXPECT_EQ(g->GetMouseOver(), -1);
  EXPECT_EQ(g->GetNControls(), 0);
  EXPECT_EQ(plug.mEvents, (Events{"begin 0", "end 0", "resize 500x400"}));
  g->OnMouseDrag(10, 10, &left);
  g->OnMouseUp(10, 10, &left);
  g->OnMouseOver(10, 10, &left);
  g->OnMouseOut();
  EXPECT_FALSE(g->OnKeyDown(10, 10, 'a'));
  g->Resize(-1, 5);
  EXPECT_EQ(g->Width(), 500);
}

// Catches out-of-range values from the plug-in reaching controls unclamped,
// real values not converted, and a parameter or control index the editor
// does not have dereferenced.
TEST_F(AmpTest, PluginValuesAreClampedAndBadIndicesIgnored)
{
  IControl* level = g->GetControl(kLevelKnob);
  g->SetParameterFromPlug(0, 1.7, true);
  EXPECT_EQ(level->GetValue(), 1.0);
  g->SetParameterFromPlug(0, -0.2, true);
  EXPECT_EQ(level->GetValue(), 0.0);
  g->SetParameterFromPlug(0, 0.25, false);
  EXPECT_EQ(level->GetValue(), 0.25);
  g->SetParameterFromPlug(0, NAN, true);
  EXPECT_EQ(level->GetValue(), 0.25);
  g->SetParameterFromPlug(9, 0.5, false);
  g->SetControlFromPlug(99, 0.5);
  g->SetControlFromPlug(-1, 0.5);
  g->SetControlFromPlug(kLevelKnob, 3.0);
  EXPECT_EQ(level->GetValue(), 1.0);
  EXPECT_TRUE(plug.mEvents.empty());
}

// Catches automation queries answering for the background or not resetting.
TEST_F(AmpTest, AutomationQueries)
{
  EXPECT_EQ(g->GetParamIdxForPTAutomation(230, 40), 1);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), 1);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(g->GetParamIdxForPTAutomation(5, 5), -1);
}

// Catches hit testing in attach order instead of topmost first, and hidden or
// grayed controls that still take clicks.
TEST(ManagerHits, TopmostVisibleEnabledControlTakesTheClick)
{
  std::vector<std::string> log;
  IGraphics g(nullptr, 100, 100);
  g.AttachControl(new Recorder(IRECT(0, 0, 50, 50), &log, "a"));
  g.AttachControl(new Recorder(IRECT(20, 20, 60, 60), &log, "b"));
  IMouseMod left(true);
  g.OnMouseDown(30, 30, &left);
  g.GetControl(1)->Hide(true);
  g.OnMouseDown(30, 30, &left);
  g.GetControl(1)->Hide(false);
  g.GetControl(1)->GrayOut(true);
  g.OnMouseDown(30, 30, &left);
  g.OnMouseUp(30, 30, &left);
  EXPECT_EQ(log, (Events{"b down", "a down", "a down", "a up"}));
}

// Catches keys over the background going to it instead of the catcher, and a
// replaced catcher leaking (or the same one deleted while still in use).
TEST(ManagerKeys, BackgroundKeysGoToTheCatcherWhichIsOwned)
{
  std::vector<std::string> log;
  bool firstDeleted = false, secondDeleted = false;
  {
    IGraphics g(nullptr, 100, 100);
    g.AttachControl(new Recorder(IRECT(0, 0, 100, 100), &log, "bg"));
    g.AttachControl(new Recorder(IRECT(10, 10, 20, 20), &log, "c"));
    EXPECT_FALSE(g.OnKeyDown(50, 50, 1));
    EXPECT_TRUE(g.OnKeyDown(15, 15, 2));
    Recorder* first = new Recorder(IRECT(), &log, "catch1", &firstDeleted);
    g.AttachKeyCatcher(first);
    g.AttachKeyCatcher(first);
    EXPECT_FALSE(firstDeleted);
    EXPECT_TRUE(g.OnKeyDown(50, 50, 3));
    g.AttachKeyCatcher(new Recorder(IRECT(), &log, "catch2", &secondDeleted));
    EXPECT_TRUE(firstDeleted);
    EXPECT_TRUE(g.OnKeyDown(50, 50, 4));
  }
  EXPECT_TRUE(secondDeleted);
  EXPECT_EQ(log, (Events{"c key 2", "catch1 key 3", "catch2 key 4"}));
}

// Catches hover events sent while not wanted, a missing OnMouseOut for the
// control left, and grayed controls hovered without their flag.
TEST(ManagerHover, MouseOverFollowsTheHoveredControl)
{
  std::vector<std::string> log;
  IGraphics g(nullptr, 100, 100);
  g.AttachControl(new Recorder(IRECT(0, 0, 100, 100), &log, "bg"));
  g.AttachControl(new Recorder(IRECT(10, 10, 20, 20), &log, "c"));
  g.GetControl(1)->GrayOut(true);
  EXPECT_FALSE(g.OnMouseOver(15, 15, nullptr));
  g.HandleMouseOver(true);
  EXPECT_TRUE(g.OnMouseOver(15, 15, nullptr));
  g.GetControl(1)->SetMOWhenGrayed(true);
  g.OnMouseOver(15, 15, nullptr);
  EXPECT_EQ(g.GetMouseOver(), 1);
  g.OnMouseOver(50, 50, nullptr);
  EXPECT_EQ(log, (Events{"bg over", "c over", "bg out", "bg over", "c out"}));
}
