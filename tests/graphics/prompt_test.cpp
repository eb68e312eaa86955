// Value prompts: which parameters get a menu and which a text box, what the
// user's answer does to the parameter, and the gestures around it; and the
// plug-in base's own calls into its editor.

#include "HeadlessGraphics.h"

#include <gtest/gtest.h>

namespace
{
using Events = std::vector<std::string>;

struct PromptTest : ::testing::Test
{
  RecordingPlug plug;
  HeadlessGraphics* g = new HeadlessGraphics(&plug, 100, 100);
  IControl* channel = new IControl(&plug, IRECT(10, 10, 30, 26), 4);
  IControl* level = new IControl(&plug, IRECT(40, 10, 80, 50), 0);
  IMouseMod right{false, true};
  void SetUp() override
  {
    g->AttachControl(channel);
    g->AttachControl(level);
    channel->DisablePrompt(false);
    level->DisablePrompt(false);
    plug.AttachGraphics(g);
  }
};
} // namespace

// Catches an enumerated parameter prompted by text, a wrong checked item, a
// chosen index not taken as the value, a menu that leaves the gesture of the
// mouse down open or changes the value outside a gesture; and a dismissed
// menu or an index the menu does not have changing the value (or reading
// past the items).
TEST_F(PromptTest, EnumParameterIsChosenFromAMenu)
{
  g->mMenuAnswers = {-1, 5, -7, 0};
  for (int i = 0; i < 3; ++i) g->PromptUserInput(channel, plug.GetParam(4), channel->GetRECT());
  EXPECT_EQ(plug.GetParam(4)->Value(), 1.0);
  EXPECT_TRUE(plug.mEvents.empty());
  g->OnMouseDown(15, 15, &right);
  g->OnMouseUp(15, 15, &right);
  ASSERT_EQ(g->mMenus.size(), 4u);
  EXPECT_EQ(g->mMenus[3].items, (std::vector<std::string>{"Clean", "Dirty"}));
  EXPECT_EQ(g->mMenus[3].checked, (std::vector<bool>{false, true}));
  EXPECT_EQ(g->mMenus[3].rect, IRECT(10, 10, 30, 26));
  EXPECT_EQ(plug.GetParam(4)->Value(), 0.0);
  EXPECT_EQ(plug.mEvents, (Events{"begin 4", "end 4", "begin 4", "change 4 0", "end 4"}));
}

// Catches a text box of the wrong size or place, an initial text with the
// display text or label, and typed text not read as the parameter's value.
TEST_F(PromptTest, NumberIsTypedInACentredTextBox)
{
  g->OnMouseDown(60, 30, &right);
  g->OnMouseUp(60, 30, &right);
  ASSERT_EQ(g->mEntries.size(), 1u);
  EXPECT_EQ(g->mEntries[0].rect, IRECT(45, 22, 75, 38));
  EXPECT_EQ(g->mEntries[0].text, "0.500");
  g->FinishTextEntry("0.25");
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.25);
  EXPECT_EQ(plug.mEvents, (Events{"begin 0", "end 0", "begin 0", "change 0 0.25", "end 0"}));
}

// Catches a boolean parameter with display texts prompted by text, a
// negated display whose typed value is not negated back, and missing
// arguments dereferenced.
TEST_F(PromptTest, PromptKindFollowsTheParameter)
{
  IParam onOff, negated;
  onOff.InitBool("On", false);
  negated.InitDouble("Gain", 0.0, -10.0, 10.0, 0.1);
  negated.SetNegateDisplay(true);
  IControl free(nullptr, IRECT(0, 0, 10, 10));
  IRECT r(0, 0, 10, 10);
  g->PromptUserInput(&free, &onOff, &r);
  ASSERT_EQ(g->mMenus.size(), 1u);
  EXPECT_EQ(g->mMenus[0].items, (std::vector<std::string>{"off", "on"}));
  g->PromptUserInput(&free, &negated, &r);
  ASSERT_EQ(g->mEntries.size(), 1u);
  g->FinishTextEntry("3");
  EXPECT_DOUBLE_EQ(free.GetValue(), 0.35); // -3 over [-10, 10]
  g->PromptUserInput(nullptr, &onOff, &r);
  g->PromptUserInput(&free, nullptr, &r);
  g->PromptUserInput(&free, &onOff, nullptr);
  g->SetFromStringAfterPrompt(&free, nullptr, "1");
  EXPECT_EQ(g->mMenus.size(), 1u);
  EXPECT_EQ(g->mEntries.size(), 1u);
}

// Catches prompts that open on a control that did not ask for them (prompts
// are off by default).
TEST_F(PromptTest, PromptsAreOffUnlessEnabled)
{
  channel->DisablePrompt(true);
  g->OnMouseDown(15, 15, &right);
  EXPECT_TRUE(g->mMenus.empty());
}

// Catches the plug-in base's editor calls not reaching the controls: values
// pushed at attach time (which become the defaults) and after a preset.
TEST_F(PromptTest, PluginBaseCallsReachTheControls)
{
  EXPECT_EQ(channel->GetValue(), 1.0);
  EXPECT_EQ(level->GetDefault(), 0.5);
  plug.GetParam(0)->Set(0.8);
  plug.RedrawParamControls();
  EXPECT_EQ(level->GetValue(), 0.8);
  EXPECT_EQ(level->GetDefault(), 0.5);
}
